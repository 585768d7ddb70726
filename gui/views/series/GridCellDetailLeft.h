#pragma once
// Column 0 of a detail row: a gradient from the gripper's colour at the top to
// the detail area's colour at the bottom, without text.
#include "ui/grid/GridCellGradient.h"

class CGridCellDetailLeft : public CGridCellGradient {
  public:
    CGridCellDetailLeft();
};

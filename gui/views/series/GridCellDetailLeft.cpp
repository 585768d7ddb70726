#include "views/series/GridCellDetailLeft.h"

#include "views/series/ColorScheme.h"

CGridCellDetailLeft::CGridCellDetailLeft() {
    SetCorners(CColorScheme::RowDark(), CColorScheme::RowDark(), CColorScheme::RowLight(),
               CColorScheme::RowLight());
    SetReadOnly(true);
}

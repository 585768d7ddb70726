#pragma once
// Column 0 of a series' main row: the impact counter on a plain fill, with
// the expand/collapse picture at (5, 1) and the in-summary picture at (30, 1).
// A click on a picture shows the other one of its pair; the table then acts.
#include "ui/grid/GridCellMultiBmp.h"

class CGridCellDetailGripper : public CGridCellMultiBmp {
  public:
    enum EPair { kExpandPair = 0, kSummaryPair = 1 };

    // Starts collapsed and in the summary.
    CGridCellDetailGripper();

    bool IsExpanded() const { return Shown(kExpandPair) == 1; }
    void SetExpanded(bool expanded) { SetShown(kExpandPair, expanded ? 1 : 0); }
    bool IsInSummary() const { return Shown(kSummaryPair) == 0; }
    void SetInSummary(bool in) { SetShown(kSummaryPair, in ? 0 : 1); }
};

#include "views/series/GridCellDetailGripper.h"

#include "views/series/ColorScheme.h"
#include "views/series/GripperImages.h"

CGridCellDetailGripper::CGridCellDetailGripper() {
    const QColor c = CColorScheme::RowDark();
    SetCorners(c, c, c, c);
    SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetReadOnly(true);
    AddPair(CGripperImages::Image(CGripperImages::kCollapsed),
            CGripperImages::Image(CGripperImages::kExpanded), QPoint(5, 1));
    AddPair(CGripperImages::Image(CGripperImages::kInSummary),
            CGripperImages::Image(CGripperImages::kNotInSummary), QPoint(30, 1));
}

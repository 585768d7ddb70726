#pragma once
// The four 22x19 pictures of the series gripper: collapsed, expanded, in the
// summary and not in the summary. Drawn once and shared by every gripper.
#include <QPixmap>

class CGripperImages {
  public:
    enum EImage { kCollapsed = 0, kExpanded = 1, kInSummary = 2, kNotInSummary = 3 };
    static constexpr int kWidth = 22;
    static constexpr int kHeight = 19;

    static const QPixmap& Image(EImage image);
};

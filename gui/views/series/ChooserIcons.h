#pragma once
// The 16x16 icon strips of the chooser menus, drawn by the program itself:
// units (6), averaging modes (9), form factors (6) and curves (9).
#include <QIcon>
#include <QPixmap>

#include "views/series/SeriesUi.h"

class CChooserIcons {
  public:
    static constexpr int kSize = 16;

    // The whole strip, kSize high and kSize times the icon count wide.
    static QPixmap Strip(EChooserStrip strip);
    static int Count(EChooserStrip strip);
    // One icon of a strip; a null icon outside it.
    static QIcon Icon(EChooserStrip strip, int index);
};

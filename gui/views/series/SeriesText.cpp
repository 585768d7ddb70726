#include "views/series/SeriesText.h"

#include "text/StringTable.h"

namespace SeriesText {

std::u16string Load(unsigned id) {
    return Text::LoadString(id);
}

}  // namespace SeriesText

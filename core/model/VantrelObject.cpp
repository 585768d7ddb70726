#include "model/VantrelObject.h"

bool IsTypeN(const TVantrelObject& series) {
    const std::size_t at = series.NewDataFormat ? 16 : 15;
    return at < series.DeviceType.size() && series.DeviceType[at] == u'N';
}

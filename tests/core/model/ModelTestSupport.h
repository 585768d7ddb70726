#pragma once
// Small builders shared by the model tests.
#include <initializer_list>
#include <string>
#include <vector>

#include "model/CurveStore.h"
#include "model/DataOwner.h"
#include "model/HammerData.h"
#include "model/ModelTypes.h"
#include "model/VantrelObject.h"

// Device type texts with the hammer type letter where the hammer puts it:
// index 15 in the old download format, 16 in the new one.
inline const std::u16string kTypeN = u"Talvenbrecker  N";
inline const std::u16string kTypeL = u"Talvenbrecker  L";
inline const std::u16string kTypeNNewFormat = u"Talvenbrecker   N";

// A series of readings given as Q values (multiples of 0.5).
inline TVantrelObject MakeSeries(std::initializer_list<double> q, std::uint8_t mode = kModeMean,
                                 std::uint8_t unit = kUnitQ, std::uint16_t energy = 500) {
    TVantrelObject s;
    s.AveragingMode = mode;
    s.Unit = unit;
    s.NewDataFormat = 1;  // MeanQ rounded to 0.1 unless a test asks for the old format
    s.DeviceType = kTypeNNewFormat;
    s.CurveId = 1;
    s.FormCode = 4;  // cube 150 mm, factor 1.00
    for (double v : q) {
        TMeas m;
        m.QHalf = static_cast<std::uint8_t>(v * 2);
        m.Energy = energy;
        s.Readings.push_back(m);
    }
    s.ResetReadingFlags();
    return s;
}

inline TVantrelObject RepeatQ(double q, int count, std::uint8_t mode = kModeMean) {
    TVantrelObject s = MakeSeries({}, mode);
    for (int i = 0; i < count; ++i) s.Readings.push_back(TMeas{static_cast<std::uint8_t>(q * 2), 500, 0});
    s.ResetReadingFlags();
    return s;
}

// Records what the container tells its document.
class CFakeOwner : public IDataOwner {
  public:
    int modified = 0;
    std::vector<int> notices;
    void SetModifiedFlag() override { ++modified; }
    void NotifyViews(int seriesIndex) override { notices.push_back(seriesIndex); }
};

// Every test that touches the process-wide curve store starts and ends empty.
class CCurveStoreScope {
  public:
    CCurveStoreScope() { CCurveStore::Instance().Clear(); }
    ~CCurveStoreScope() { CCurveStore::Instance().Clear(); }
};

inline TConvCust MakeCurve(const char* name, float a, std::uint8_t flags = 9) {
    TConvCust c;
    c.QMin = 20;
    c.QMax = 60;
    c.Kind = kCurvePolynomial;
    c.C = a;  // fck = a * Q
    c.SetName8(name);
    c.Flags = flags;
    return c;
}

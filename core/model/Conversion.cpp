#include "model/Conversion.h"

#include <array>
#include <cfloat>
#include <cmath>

#include "model/CurveStore.h"
#include "model/ModelTypes.h"
#include "model/VantrelObject.h"
#include "text/Format.h"
#include "text/StringTable.h"

namespace Model {
namespace {

constexpr TCurveRecord Poly(std::uint8_t qMin, std::uint8_t qMax, float b, float c, float d) {
    TCurveRecord r;
    r.QMin = qMin;
    r.QMax = qMax;
    r.Kind = kCurvePolynomial;
    r.B = b;
    r.C = c;
    r.D = d;
    return r;
}

constexpr TCurveRecord Expo(std::uint8_t qMin, std::uint8_t qMax, float a, float b) {
    TCurveRecord r;
    r.QMin = qMin;
    r.QMax = qMax;
    r.Kind = kCurveExponential;
    r.A = a;
    r.B = b;
    return r;
}

// fck = Q over 0..100: the L-table entries of curves that a type L hammer does
// not offer.
constexpr TCurveRecord kIdentity = Poly(0, 100, 0.0f, 1.0f, 0.0f);

struct SBuiltIn {
    int id;
    unsigned nameId;
    TCurveRecord typeN;
    TCurveRecord typeL;
};

const std::array<SBuiltIn, 10> kBuiltIn = {{
    {0, 59479, Poly(11, 41, 0.0148f, 0.1827f, -2.1659f), kIdentity},
    {1, 59480, Poly(19, 61, 0.0165f, 0.1024f, 3.2483f), Poly(23, 64, 0.0064f, 0.7016f, -0.2f)},
    {2, 59482, Poly(11, 59, 0.0314f, -0.086f, 6.5334f), Poly(7, 65, 0.0185f, 0.5175f, 0.0f)},
    {3, 59481, Poly(42, 63, 0.0538f, -0.6629f, 0.0f), kIdentity},
    {10, 59557, Expo(20, 62, 1.8943f, 0.064f), Expo(20, 62, 1.9368f, 0.0637f)},
    {11, 59558, Expo(20, 62, 1.8943f, 0.064f), Expo(20, 62, 1.9368f, 0.0637f)},
    {12, 59559, Expo(20, 62, 1.8943f, 0.064f), Expo(20, 62, 1.9368f, 0.0637f)},
    {13, 59560, Poly(20, 75, 0.0244f, -0.6129f, 10.0f), Expo(20, 62, 1.9368f, 0.0637f)},
    {14, 59561, Poly(20, 77, 0.03f, -0.86f, 9.5f), Expo(20, 62, 1.9368f, 0.0637f)},
    {15, 59599, Expo(22, 75, 2.77f, 0.048f), kIdentity},
}};

const SBuiltIn* FindBuiltIn(int id) {
    for (const auto& b : kBuiltIn)
        if (b.id == id) return &b;
    return nullptr;
}

struct SForm {
    unsigned shapeId;
    const char16_t* metric;
    const char16_t* inch;
    double factor;
};

const std::array<SForm, 10> kForms = {{
    {9202, u" 100mm * 200mm", u" 4 * 8\"", 0.86},
    {9202, u" 150mm * 300mm", u" 6 * 12\"", 0.81},
    {9202, u" 200mm * 200mm", u" 8 * 8\"", 0.95},
    {9200, u" 100mm", u" 4\"", 1.03},
    {9200, u" 150mm", u" 6\"", 1.00},
    {9200, u" 200mm", u" 8\"", 0.95},
    {9200, u" 300mm", u" 12\"", 0.86},
    {9201, u" 50mm * 56mm", u" 2 * 2.2\"", 1.04},
    {9201, u" 100mm * 100mm", u" 4 * 4\"", 1.02},
    {9201, u" 150mm * 150mm", u" 6 * 6\"", 1.00},
}};
constexpr SForm kForm21 = {9200, u" 150mm (100%)", u" 6\" (100%)", 1.00};
constexpr std::uint8_t kFormCylinderByClass = 20;
constexpr std::uint8_t kFormCube150Fixed = 21;

const SForm* FindForm(std::uint8_t code) {
    if (code < kForms.size()) return &kForms[code];
    if (code == kFormCube150Fixed) return &kForm21;
    return nullptr;
}

// Cylinder-to-cube ratios of the strength classes, from the top.
struct SClass {
    double minStrength;
    double factor;
};
constexpr std::array<SClass, 12> kCylinderClasses = {{
    {115, 0.87},
    {105, 0.86},
    {95, 0.84},
    {85, 0.82},
    {75, 0.80},
    {67, 0.82},
    {60, 0.83},
    {55, 0.82},
    {50, 0.80},
    {45, 0.78},
    {37, 0.81},
    {30, 0.83},
}};
constexpr double kCylinderFactorBelow30 = 0.80;

constexpr std::array<int, 13> kCarbonationDepthPercent = {100, 97, 93, 89, 85, 81, 79,
                                                          76,  73, 71, 68, 65, 62};

// The carbonation code travels as a float; its integer part's low byte counts.
std::uint8_t CarbonationCodeOf(float carbonation) {
    if (!(carbonation > -2147483648.0f && carbonation < 2147483648.0f)) return 0;
    return static_cast<std::uint8_t>(static_cast<std::int64_t>(carbonation) & 0xFF);
}

float ToResult(double v) {
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return kNoValue;
    return static_cast<float>(v);
}

}  // namespace

// The hammer's firmware rounds by converting to a 16-bit integer, which cuts
// toward zero: a negative strength moves up, not down. Results stored and
// compared by users depend on matching it.
double RoundToHalf(double v) {
    return std::trunc((v + 0.25) * 2.0) / 2.0;
}

bool IsBuiltInCurve(int curveId) {
    return FindBuiltIn(curveId) != nullptr;
}

bool UsesTypeLCurves(std::u16string_view deviceType) {
    return (deviceType.size() > 15 && deviceType[15] == u'L') ||
           (deviceType.size() > 16 && deviceType[16] == u'L');
}

TCurveRecord GetCurveRecord(std::uint8_t curveId, std::u16string_view deviceType) {
    if (const SBuiltIn* b = FindBuiltIn(curveId)) return UsesTypeLCurves(deviceType) ? b->typeL : b->typeN;
    if (auto custom = CCurveStore::Instance().GetCurve(curveId)) return custom->Curve();
    return TCurveRecord{};
}

double GetFormFactor(std::uint8_t formCode, double strength) {
    if (formCode == kFormCylinderByClass) {
        if (!(strength < kNoValue)) return kCylinderFactorBelow30;  // no number
        for (const auto& c : kCylinderClasses)
            if (strength >= c.minStrength) return c.factor;
        return kCylinderFactorBelow30;
    }
    if (const SForm* f = FindForm(formCode)) return f->factor;
    return formCode / 100.0;
}

double GetCarbonationFactor(std::uint8_t code) {
    if (code < kCarbonationDepthPercent.size()) return kCarbonationDepthPercent[code] / 100.0;
    return code / 100.0;
}

float Convert(float q, std::uint8_t unit, std::uint8_t curveId, std::u16string_view deviceType,
              float carbonation, std::uint8_t formCode, bool rangeCheck) {
    if (unit == kUnitR) {
        const double r = q > 66.0f ? 0.9 * q : (0.005 * q + 0.3995) * q + 11.146;
        return ToResult(RoundToHalf(r));
    }
    if (unit == kUnitQ) return q;

    const TCurveRecord curve = GetCurveRecord(curveId, deviceType);
    if (rangeCheck && !curve.InRange(q)) return kNoValue;

    double v = curve.Evaluate(q);
    const double carbonationFactor = GetCarbonationFactor(CarbonationCodeOf(carbonation));
    const double formFactor = GetFormFactor(formCode, v);
    v = v * (formFactor * carbonationFactor);

    switch (unit) {
        case kUnitNmm2:
        case kUnitMPa:
            v = RoundToHalf(v);
            break;
        case kUnitKgCm2:
            v = std::trunc((v * 10.197 + 2.5) / 5.0) * 5.0;
            break;
        case kUnitPSI:
            v = RoundToHalf(v * 1.45037) * 100.0;
            break;
        default:
            break;
    }
    return ToResult(v);
}

int GetDisplayDecimals(std::uint8_t unit) {
    switch (unit) {
        case kUnitR:
        case kUnitQ:
        case kUnitNmm2:
        case kUnitMPa:
            return 1;
        default:
            return 0;
    }
}

int GetDisplayDecimals(const TVantrelObject& series) {
    return GetDisplayDecimals(series.Unit);
}

std::u16string GetUnitText(std::uint8_t unit) {
    switch (unit) {
        case kUnitR:
            return u"R";
        case kUnitQ:
            return u"Q";
        case kUnitNmm2:
            return u"N/mm\u00B2";
        case kUnitKgCm2:
            return u"kg/cm\u00B2";
        case kUnitPSI:
            return u"PSI";
        case kUnitMPa:
            return u"MPa";
        default:
            return Text::LoadString(59489);
    }
}

std::u16string GetModeName(std::uint8_t mode) {
    static constexpr std::array<unsigned, 9> ids = {59484, 59485, 59486, 59487, 59488,
                                                    59562, 59565, 59563, 59564};
    return Text::LoadString(mode < ids.size() ? ids[mode] : 59483);
}

std::u16string GetCurveName(int curveId) {
    if (const SBuiltIn* b = FindBuiltIn(curveId)) return Text::LoadString(b->nameId);
    if (curveId >= kFirstCustomCurveId) {
        auto custom = CCurveStore::Instance().GetCurve(curveId);
        return custom ? custom->Name() : std::u16string();
    }
    return Text::LoadString(59478);
}

std::u16string GetHammerTypeName(bool typeN) {
    return Text::LoadString(typeN ? 59536 : 59534);
}

std::u16string GetFormShapeName(std::uint8_t formCode) {
    if (formCode == kFormCylinderByClass) return Text::LoadString(9202);
    if (const SForm* f = FindForm(formCode)) return Text::LoadString(f->shapeId);
    return {};
}

std::u16string GetFormText(std::uint8_t formCode, bool inch, double factor) {
    if (formCode == kFormCylinderByClass)
        return Text::Format(u"%s (%d%%)", Text::LoadString(9202),
                            static_cast<int>(std::lround(factor * 100.0)));
    if (const SForm* f = FindForm(formCode))
        return Text::LoadString(f->shapeId) + (inch ? f->inch : f->metric);
    return Text::Format(u"%d%%", static_cast<int>(formCode));
}

std::u16string GetCarbonationText(std::uint8_t code, bool inch) {
    if (code < kCarbonationDepthPercent.size()) {
        if (inch) return Text::Format(u"%1.0f/100\"", code * 2.0);
        return Text::Format(u"%0.1f mm", code * 0.5);
    }
    return Text::Format(u"%0.2f", code / 100.0);
}

std::u16string GetCarbonationText(const TVantrelObject& series) {
    return GetCarbonationText(series.CarbonationCode, series.Unit == kUnitPSI);
}

TConversionMessage GetConversionFailure(float meanQ, std::uint8_t curveId, std::u16string_view deviceType) {
    const TCurveRecord curve = GetCurveRecord(curveId, deviceType);
    TConversionMessage m;
    m.titleId = 59452;
    m.textId = meanQ > curve.QMax ? 59454 : 59453;
    m.text = Text::FormatString(m.textId, static_cast<double>(meanQ), GetCurveName(curveId),
                                static_cast<int>(curve.QMin), static_cast<int>(curve.QMax));
    return m;
}

}  // namespace Model

double TCurveRecord::Evaluate(double q) const {
    switch (Kind) {
        case kCurvePolynomial:
            return ((static_cast<double>(A) * q + B) * q + C) * q + D;
        case kCurveExponential:
            return static_cast<double>(A) * std::exp(static_cast<double>(B) * q);
        default:
            return q;
    }
}

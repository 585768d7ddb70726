#include "tools/CurveCreation.h"

#include <charconv>
#include <cmath>

namespace Tools {
namespace {

constexpr double kKgCm2ToNmm2 = 0.09806805923310778;
constexpr double kPsiToNmm2 = 0.006894792363327978;
constexpr double kPolynomialLimit = 1e11;
constexpr double kExponentialLimit = 1e13;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string_view Trimmed(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::uint8_t EntryFlag(std::uint8_t unit) {
    switch (unit) {
        case kUnitKgCm2:
            return kFlagEnteredKgCm2;
        case kUnitPSI:
            return kFlagEnteredPSI;
        case kUnitMPa:
            return kFlagEnteredMPa;
        default:
            return kFlagEnteredNmm2;
    }
}

// The factor from N/mm² into a unit of entry, as the curve view converts.
double FromNmm2(std::uint8_t unit) {
    switch (unit) {
        case kUnitKgCm2:
            return 10.197;
        case kUnitPSI:
            return 145.037;
        default:
            return 1.0;
    }
}

}  // namespace

bool IsCurveEntryUnit(std::uint8_t unit) {
    return unit == kUnitNmm2 || unit == kUnitKgCm2 || unit == kUnitPSI || unit == kUnitMPa;
}

double CurveUnitFactor(std::uint8_t unit) {
    switch (unit) {
        case kUnitKgCm2:
            return kKgCm2ToNmm2;
        case kUnitPSI:
            return kPsiToNmm2;
        default:
            return 1.0;
    }
}

double CurveUnitChangeFactor(std::uint8_t from, std::uint8_t to) {
    if (from == to) return 1.0;
    // The steps the unit label of the plot cycles through.
    if (from == kUnitNmm2) return FromNmm2(to);
    if (from == kUnitKgCm2 && to == kUnitPSI) return 14.223497106992255;
    if (from == kUnitPSI && to == kUnitMPa) return kPsiToNmm2;
    if (from == kUnitMPa && to == kUnitNmm2) return 1.0;
    // Any other pair goes through N/mm².
    return CurveUnitFactor(from) * FromNmm2(to);
}

double NewCurveValue(const TNewCurveInput& input, double q, double t) {
    if (input.kind == kCurveExponential) {
        const double power = static_cast<double>(static_cast<float>(std::exp(q * input.b)));
        return power < kExponentialLimit ? t * input.a * power : 0.0;
    }
    const double v = t * input.a * q * q * q + t * input.b * q * q + t * input.c * q + t * input.d;
    return v > kPolynomialLimit ? 0.0 : v;
}

double CurveFieldNumber(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    // from_chars reads ASCII only and takes no "+".
    std::string ascii;
    for (char16_t c : text) {
        if (c >= 0x80) break;
        ascii.push_back(static_cast<char>(c));
    }
    const char* first = ascii.data();
    const char* last = ascii.data() + ascii.size();
    if (first != last && *first == '+') ++first;
    if (first != last && (*first == '+' || *first == '-') && first != ascii.data()) return 0.0;
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

bool IsCurveNameChar(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_' ||
           c == u'#' || c == u'%' || c == u'-' || c == u'.' || c == u' ';
}

std::u16string FilterCurveName(std::u16string_view name, bool& removed) {
    std::u16string out;
    out.reserve(name.size());
    removed = false;
    for (char16_t c : name) {
        if (IsCurveNameChar(c))
            out.push_back(c);
        else
            removed = true;
    }
    return out;
}

unsigned CurveNameHint(std::u16string_view typed) {
    bool removed = false;
    const std::u16string kept = FilterCurveName(typed, removed);
    if (removed) return kIdCurveNameLetters;
    if (kept.size() > kMaxCurveNameLength) return kIdCurveNameTypedTooLong;
    return 0;
}

TQRange NormaliseQRange(double qMin, double qMax) {
    double m = qMin;
    double M = qMax;
    if (m >= M - kMinQSpan) m = M - kMinQSpan;
    if (m < 0) m = 0;
    if (M - m < kMinQSpan) M = m + kMinQSpan;
    if (M > kHighestQ) M = kHighestQ;
    return {static_cast<int>(m), static_cast<int>(M)};
}

TNewCurveCheck CheckNewCurve(const TNewCurveInput& input) {
    TNewCurveCheck check;
    const std::u16string_view name = Trimmed(input.name);
    for (char16_t c : name) {
        if (!IsCurveNameChar(c)) {
            check.messageId = kIdCurveNameLetters;
            return check;
        }
    }
    if (name.empty()) {
        check.messageId = kIdCurveNameInvalid;
        return check;
    }
    if (name.size() > kMaxCurveNameLength) {
        check.messageId = kIdCurveNameTooLong;
        return check;
    }

    const double t = CurveUnitFactor(input.unit);
    const double qMin = input.qMin;
    const double qMax = input.qMax;
    // The record keeps the range in bytes; the dialog's fields never leave 0 to 100.
    if (!(qMin >= kLowestQ && qMax <= kHighestQ)) {
        check.messageId = kIdCurveQRangeLimits;
        return check;
    }
    if (qMax - qMin < kMinQSpan) {
        check.messageId = kIdCurveRangeTooSmall;
        return check;
    }
    // Written as negated comparisons so that a value that is no number fails.
    double u = NewCurveValue(input, qMin, t);
    if (!(u >= 0)) {
        check.messageId = kIdCurveNegative;
        return check;
    }
    // Q steps of 0.1 from the minimum; computed from the step count, not
    // summed, so the last step lands exactly on a whole maximum.
    for (int k = 1;; ++k) {
        const double q = qMin + k / 10.0;
        if (q > qMax) break;
        const double w = NewCurveValue(input, q, t);
        if (!(w - u > 0)) {
            check.messageId = kIdCurveNotIncreasing;
            return check;
        }
        u = w;
    }
    if (!(NewCurveValue(input, qMax, t) <= kHighestStrength)) {
        check.messageId = kIdCurveOutOfRange;
        return check;
    }

    TConvCust& curve = check.curve;
    const bool exponential = input.kind == kCurveExponential;
    curve.Kind = exponential ? kCurveExponential : kCurvePolynomial;
    curve.A = static_cast<float>(t * input.a);
    curve.B = static_cast<float>(exponential ? input.b : t * input.b);
    curve.C = static_cast<float>(exponential ? input.c : t * input.c);
    curve.D = static_cast<float>(exponential ? input.d : t * input.d);
    curve.QMin = static_cast<std::uint8_t>(qMin);
    curve.QMax = static_cast<std::uint8_t>(qMax);
    std::string bytes;
    for (char16_t c : name) bytes.push_back(static_cast<char>(c & 0xFF));
    curve.SetName8(bytes);
    curve.Flags = static_cast<std::uint8_t>((input.typeN ? TConvCust::kFlagTypeN : TConvCust::kFlagTypeL) |
                                            EntryFlag(input.unit));
    return check;
}

std::uint8_t CurveEntryUnit(const TConvCust& curve) {
    if (curve.Flags & kFlagEnteredKgCm2) return kUnitKgCm2;
    if (curve.Flags & kFlagEnteredPSI) return kUnitPSI;
    if (curve.Flags & kFlagEnteredMPa) return kUnitMPa;
    return kUnitNmm2;
}

std::array<double, 4> CoefficientsInEntryUnit(const TConvCust& curve) {
    const double f = CurveUnitChangeFactor(kUnitNmm2, CurveEntryUnit(curve));
    const bool exponential = curve.Kind == kCurveExponential;
    return {curve.A * f, exponential ? curve.B : curve.B * f, exponential ? curve.C : curve.C * f,
            exponential ? curve.D : curve.D * f};
}

}  // namespace Tools

#include "model/ConvCust.h"

#include <algorithm>

#include "text/Encoding.h"

TCurveRecord TConvCust::Curve() const {
    TCurveRecord r;
    r.QMin = QMin;
    r.QMax = QMax;
    r.Kind = Kind;
    r.A = A;
    r.B = B;
    r.C = C;
    r.D = D;
    return r;
}

void TConvCust::SetCurve(const TCurveRecord& curve) {
    QMin = curve.QMin;
    QMax = curve.QMax;
    Kind = curve.Kind;
    A = curve.A;
    B = curve.B;
    C = curve.C;
    D = curve.D;
}

std::string TConvCust::Name8() const {
    std::string s;
    for (char c : CurveName)
        if (c != 0) s.push_back(c);
    return s;
}

std::u16string TConvCust::Name() const {
    return Text::FromCp1252(Name8());
}

void TConvCust::SetName8(std::string_view name) {
    CurveName.fill(0);
    std::copy_n(name.begin(), std::min(name.size(), CurveName.size()), CurveName.begin());
}

void TConvCust::SetName(std::u16string_view name) {
    SetName8(Text::ToCp1252(name.substr(0, std::min<std::size_t>(name.size(), CurveName.size()))));
}

bool TConvCust::IsEqualCurve(const TConvCust& o) const {
    constexpr std::uint8_t typeBits = kFlagTypeN | kFlagTypeL;
    return Name8() == o.Name8() && Kind == o.Kind && A == o.A && B == o.B && C == o.C && D == o.D &&
           QMin == o.QMin && QMax == o.QMax && (Flags & typeBits) == (o.Flags & typeBits);
}

#include "text/Format.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <string>

#include "text/Encoding.h"

namespace Text {
namespace {

struct SSpec {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = -1;
    int precision = -1;
    int bits = 32;  // integer width the conversion reads: 8, 16, 32 or 64
    char conv = 0;
};

class CArgs {
public:
    explicit CArgs(std::span<const FmtArg> args) : m_args(args) {}
    const FmtArg* Next() { return m_next < m_args.size() ? &m_args[m_next++] : nullptr; }
    // An int for "*": missing or non-numeric arguments count as absent (-1).
    int NextInt() {
        const FmtArg* a = Next();
        if (!a) return -1;
        return std::visit(
            [](const auto& v) -> int {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::uint64_t>)
                    return static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(v), 4096));
                else if constexpr (std::is_same_v<T, double>)
                    return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1.0, 4096.0)) : -1;
                else
                    return -1;
            },
            a->value());
    }

private:
    std::span<const FmtArg> m_args;
    std::size_t m_next = 0;
};

std::int64_t AsSigned(const FmtArg& a) {
    return std::visit(
        [](const auto& v) -> std::int64_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int64_t>)
                return v;
            else if constexpr (std::is_same_v<T, std::uint64_t>)
                return static_cast<std::int64_t>(v);
            else if constexpr (std::is_same_v<T, double>) {
                if (!std::isfinite(v)) return 0;
                if (v >= 9.2e18) return INT64_MAX;
                if (v <= -9.2e18) return INT64_MIN;
                return static_cast<std::int64_t>(v);
            } else
                return 0;
        },
        a.value());
}

double AsDouble(const FmtArg& a) {
    return std::visit(
        [](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int64_t> || std::is_same_v<T, std::uint64_t> ||
                          std::is_same_v<T, double>)
                return static_cast<double>(v);
            else
                return 0.0;
        },
        a.value());
}

bool IsText(const FmtArg& a) {
    return std::holds_alternative<std::u16string_view>(a.value()) ||
           std::holds_alternative<std::string_view>(a.value());
}

std::u16string AsText(const FmtArg& a) {
    if (auto* w = std::get_if<std::u16string_view>(&a.value())) return std::u16string(*w);
    if (auto* n = std::get_if<std::string_view>(&a.value())) return FromUtf8(*n);
    return {};
}

// Pads `body` (after an optional sign/prefix) to the field width.
void Emit(std::u16string& out, const SSpec& s, std::u16string_view prefix, std::u16string_view body,
          bool zeroPadAllowed) {
    std::size_t len = prefix.size() + body.size();
    std::size_t width = s.width > 0 ? static_cast<std::size_t>(s.width) : 0;
    std::size_t pad = width > len ? width - len : 0;
    if (s.left) {
        out += prefix;
        out += body;
        out.append(pad, u' ');
    } else if (s.zero && zeroPadAllowed) {
        out += prefix;
        out.append(pad, u'0');
        out += body;
    } else {
        out.append(pad, u' ');
        out += prefix;
        out += body;
    }
}

void FormatInteger(std::u16string& out, const SSpec& s, const FmtArg& a) {
    bool isSigned = s.conv == 'd' || s.conv == 'i';
    std::int64_t sv = AsSigned(a);
    std::uint64_t uv = static_cast<std::uint64_t>(sv);
    if (auto* u = std::get_if<std::uint64_t>(&a.value())) uv = *u;
    bool negative = false;
    // Read the value at the width the conversion names, as a C library does with its argument.
    switch (s.bits) {
        case 8:
            uv &= 0xFFu;
            if (isSigned && (uv & 0x80u)) {
                negative = true;
                uv = 0x100u - uv;
            }
            break;
        case 16:
            uv &= 0xFFFFu;
            if (isSigned && (uv & 0x8000u)) {
                negative = true;
                uv = 0x10000u - uv;
            }
            break;
        case 32:
            uv &= 0xFFFFFFFFu;
            if (isSigned && (uv & 0x80000000u)) {
                negative = true;
                uv = 0x100000000u - uv;
            }
            break;
        default:
            if (isSigned && (uv >> 63)) {
                negative = true;
                uv = ~uv + 1;
            }
            break;
    }
    int base = 10;
    bool upper = false;
    if (s.conv == 'x' || s.conv == 'X') {
        base = 16;
        upper = s.conv == 'X';
    } else if (s.conv == 'o') {
        base = 8;
    }
    char buf[80];
    auto res = std::to_chars(buf, buf + sizeof buf, uv, base);
    std::string digits(buf, res.ptr);
    if (upper)
        for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (s.precision >= 0) {
        if (s.precision == 0 && uv == 0) digits.clear();
        if (digits.size() < static_cast<std::size_t>(s.precision))
            digits = std::string(static_cast<std::size_t>(s.precision) - digits.size(), '0') + digits;
    }
    std::string prefix;
    if (isSigned) {
        if (negative)
            prefix = "-";
        else if (s.plus)
            prefix = "+";
        else if (s.space)
            prefix = " ";
    }
    if (s.alt && base == 16 && uv != 0) prefix += upper ? "0X" : "0x";
    if (s.alt && base == 8 && (digits.empty() || digits[0] != '0')) digits = std::string("0") + digits;
    Emit(out, s, Widen(prefix), Widen(digits), s.precision < 0);
}

void FormatFloat(std::u16string& out, const SSpec& s, double v) {
    std::string prefix;
    if (std::signbit(v) && !std::isnan(v)) {
        prefix = "-";
        v = -v;
    } else if (s.plus) {
        prefix = "+";
    } else if (s.space) {
        prefix = " ";
    }
    std::string body;
    bool upper = s.conv == 'F' || s.conv == 'E' || s.conv == 'G' || s.conv == 'A';
    if (std::isnan(v) || std::isinf(v)) {
        body = std::isnan(v) ? "nan" : "inf";
    } else {
        int prec = s.precision < 0 ? 6 : std::min(s.precision, 100);
        char buf[512];
        std::to_chars_result res{};
        switch (s.conv) {
            case 'e':
            case 'E':
                res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, prec);
                break;
            case 'g':
            case 'G':
                res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, prec == 0 ? 1 : prec);
                break;
            case 'a':
            case 'A':
                res = s.precision < 0 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::hex)
                                      : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::hex, prec);
                break;
            default:
                // Very large values in fixed notation are long but bounded (at most ~310 digits + 100).
                res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, prec);
                break;
        }
        body.assign(buf, res.ec == std::errc() ? res.ptr : buf);
        if (s.alt && prec == 0 && (s.conv == 'f' || s.conv == 'F')) body += '.';
        if (s.conv == 'a' || s.conv == 'A') prefix += "0x";
    }
    if (upper)
        for (char& c : body) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Emit(out, s, Widen(prefix), Widen(body), std::isfinite(v));
}

void FormatText(std::u16string& out, const SSpec& s, const FmtArg& a) {
    std::u16string text;
    if (IsText(a)) {
        text = AsText(a);
    } else if (std::holds_alternative<double>(a.value())) {
        SSpec g;
        g.conv = 'g';
        FormatFloat(text, g, AsDouble(a));
    } else {
        SSpec d;
        d.conv = std::holds_alternative<std::uint64_t>(a.value()) ? 'u' : 'd';
        d.bits = 64;
        FormatInteger(text, d, a);
    }
    if (s.precision >= 0 && text.size() > static_cast<std::size_t>(s.precision))
        text.resize(static_cast<std::size_t>(s.precision));
    Emit(out, s, u"", text, false);
}

}  // namespace

std::u16string FormatV(std::u16string_view fmt, std::span<const FmtArg> args) {
    std::u16string out;
    out.reserve(fmt.size() + 16);
    CArgs list(args);
    std::size_t i = 0;
    const std::size_t n = fmt.size();
    while (i < n) {
        char16_t c = fmt[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        std::size_t start = i++;
        if (i < n && fmt[i] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        SSpec s;
        for (; i < n; ++i) {
            char16_t f = fmt[i];
            if (f == u'-')
                s.left = true;
            else if (f == u'+')
                s.plus = true;
            else if (f == u' ')
                s.space = true;
            else if (f == u'0')
                s.zero = true;
            else if (f == u'#')
                s.alt = true;
            else
                break;
        }
        if (i < n && fmt[i] == u'*') {
            s.width = list.NextInt();
            if (s.width < 0 && s.width != -1) {
                s.left = true;
                s.width = -s.width;
            }
            ++i;
        } else {
            int w = 0;
            bool any = false;
            while (i < n && fmt[i] >= u'0' && fmt[i] <= u'9') {
                w = std::min(w * 10 + (fmt[i] - u'0'), 4096);
                any = true;
                ++i;
            }
            if (any) s.width = w;
        }
        if (i < n && fmt[i] == u'.') {
            ++i;
            if (i < n && fmt[i] == u'*') {
                s.precision = list.NextInt();
                ++i;
            } else {
                int p = 0;
                while (i < n && fmt[i] >= u'0' && fmt[i] <= u'9') {
                    p = std::min(p * 10 + (fmt[i] - u'0'), 4096);
                    ++i;
                }
                s.precision = p;
            }
        }
        // Length modifiers, including the Windows forms I64 and I32.
        while (i < n) {
            char16_t m = fmt[i];
            if (m == u'h') {
                s.bits = (s.bits == 16) ? 8 : 16;
                ++i;
            } else if (m == u'l') {
                // "l" is 32 bits in the format texts' origin; "ll" is 64.
                if (i + 1 < n && fmt[i + 1] == u'l') {
                    s.bits = 64;
                    i += 2;
                } else {
                    ++i;
                }
            } else if (m == u'I' && i + 2 < n && fmt[i + 1] == u'6' && fmt[i + 2] == u'4') {
                s.bits = 64;
                i += 3;
            } else if (m == u'I' && i + 2 < n && fmt[i + 1] == u'3' && fmt[i + 2] == u'2') {
                s.bits = 32;
                i += 3;
            } else if (m == u'j' || m == u'z' || m == u't' || m == u'q' || m == u'L' || m == u'I') {
                s.bits = 64;
                ++i;
            } else if (m == u'w') {
                ++i;
            } else {
                break;
            }
        }
        if (i >= n) {  // incomplete conversion: keep it as text
            out.append(fmt.substr(start));
            break;
        }
        s.conv = static_cast<char>(fmt[i] < 0x80 ? fmt[i] : '?');
        ++i;
        switch (s.conv) {
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X':
            case 'o':
                if (const FmtArg* a = list.Next()) {
                    if (IsText(*a))
                        FormatText(out, s, *a);
                    else
                        FormatInteger(out, s, *a);
                }
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                if (const FmtArg* a = list.Next()) {
                    if (IsText(*a))
                        FormatText(out, s, *a);
                    else
                        FormatFloat(out, s, AsDouble(*a));
                }
                break;
            case 's':
            case 'S':
                if (const FmtArg* a = list.Next()) FormatText(out, s, *a);
                break;
            case 'c':
            case 'C':
                if (const FmtArg* a = list.Next()) {
                    std::u16string ch;
                    if (IsText(*a)) {
                        ch = AsText(*a).substr(0, 1);
                    } else {
                        auto v = static_cast<std::uint32_t>(AsSigned(*a));
                        if (v != 0 && v < 0x10000) ch = std::u16string(1, static_cast<char16_t>(v));
                    }
                    Emit(out, s, u"", ch, false);
                }
                break;
            case 'p':
            case 'n':
                list.Next();  // never write through or print an address
                break;
            default:
                out.append(fmt.substr(start, i - start));  // unknown conversion: shown as written
                break;
        }
    }
    return out;
}

}  // namespace Text

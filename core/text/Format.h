#pragma once
// printf-style formatting of the string table's format texts over UTF-16.
//
// Understands the conversions the texts use (%d %i %u %ld %I64d %x %X %08X %c %s
// %S %f %e %g, flags "-+ 0#", width and precision including "*", and %%), always
// with a full stop as decimal separator whatever the locale. A conversion whose
// argument is missing yields nothing; an argument of the wrong kind is converted
// sensibly (a number for %s is printed as a number), never undefined behaviour.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace Text {

class FmtArg {
public:
    using Value = std::variant<std::int64_t, std::uint64_t, double, std::u16string_view, std::string_view>;

    template <class T>
        requires(std::is_integral_v<T> && std::is_signed_v<T>)
    FmtArg(T v) : m_value(static_cast<std::int64_t>(v)) {}
    template <class T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, bool>)
    FmtArg(T v) : m_value(static_cast<std::uint64_t>(v)) {}
    FmtArg(bool v) : m_value(static_cast<std::int64_t>(v)) {}
    FmtArg(float v) : m_value(static_cast<double>(v)) {}
    FmtArg(double v) : m_value(v) {}
    FmtArg(std::u16string_view v) : m_value(v) {}
    FmtArg(const std::u16string& v) : m_value(std::u16string_view(v)) {}
    FmtArg(const char16_t* v) : m_value(std::u16string_view(v)) {}
    // 8-bit texts are taken as UTF-8.
    FmtArg(std::string_view v) : m_value(v) {}
    FmtArg(const std::string& v) : m_value(std::string_view(v)) {}
    FmtArg(const char* v) : m_value(std::string_view(v)) {}

    const Value& value() const { return m_value; }

private:
    Value m_value;
};

std::u16string FormatV(std::u16string_view fmt, std::span<const FmtArg> args);

template <class... A>
std::u16string Format(std::u16string_view fmt, const A&... args) {
    if constexpr (sizeof...(A) == 0) {
        return FormatV(fmt, {});
    } else {
        const FmtArg list[] = {FmtArg(args)...};
        return FormatV(fmt, list);
    }
}

}  // namespace Text

#include "report/FieldText.h"

#include <array>

namespace Report {
namespace {

struct SHalfQTable {
    std::array<std::u16string, 256> texts;

    SHalfQTable() {
        for (unsigned h = 0; h < texts.size(); ++h) {
            std::u16string& t = texts[h];
            const unsigned whole = h / 2;
            if (whole >= 100) t += static_cast<char16_t>(u'0' + whole / 100);
            if (whole >= 10) t += static_cast<char16_t>(u'0' + whole / 10 % 10);
            t += static_cast<char16_t>(u'0' + whole % 10);
            t += h % 2 ? u".5" : u".0";
        }
    }
};

}  // namespace

void AppendFieldText(std::u16string& out, std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out += u' ';
            ++i;
        } else if (c == u'\t' || c == u'\r' || c == u'\n') {
            out += u' ';
        } else {
            out += c;
        }
    }
}

std::u16string FieldText(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    AppendFieldText(out, text);
    return out;
}

void AppendEscapedComment(std::u16string& out, std::u16string_view comment) {
    for (std::size_t i = 0; i < comment.size(); ++i) {
        const char16_t c = comment[i];
        switch (c) {
            case u'\r':
                if (i + 1 < comment.size() && comment[i + 1] == u'\n') ++i;
                out += u"<br>";
                break;
            case u'\n':
                out += u"<br>";
                break;
            case u'"':
                out += u"&quot";
                break;
            case u'\t':
                out += u' ';
                break;
            default:
                out += c;
                break;
        }
    }
}

std::u16string EscapedComment(std::u16string_view comment) {
    std::u16string out;
    out.reserve(comment.size());
    AppendEscapedComment(out, comment);
    return out;
}

std::u16string_view HalfQText(std::uint8_t qHalf) {
    static const SHalfQTable table;
    return table.texts[qHalf];
}

}  // namespace Report

// Turns core/text/strings-en.tsv (id TAB text, with the escapes \n \r \t \" and
// every other backslash literal) into a C++ table of UTF-16 literals.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: gen_strings IN.tsv OUT.inc\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "gen_strings: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream out;
    out << "// Generated from strings-en.tsv; do not edit.\n";
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (lineNo == 1 || line.empty()) continue;  // header
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) {
            std::cerr << argv[1] << ":" << lineNo << ": expected id TAB text\n";
            return 1;
        }
        std::string id = line.substr(0, tab);
        for (char c : id)
            if (c < '0' || c > '9') {
                std::cerr << argv[1] << ":" << lineNo << ": bad id\n";
                return 1;
            }
        std::string text = line.substr(tab + 1);
        auto tab2 = text.find('\t');
        if (tab2 != std::string::npos) text.resize(tab2);
        std::string lit;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\\' && i + 1 < text.size() &&
                (text[i + 1] == 'n' || text[i + 1] == 'r' || text[i + 1] == 't' || text[i + 1] == '"')) {
                lit += '\\';
                lit += text[++i];
            } else if (c == '\\') {
                lit += "\\\\";
            } else if (c == '"') {
                lit += "\\\"";
            } else if (c == '?') {
                lit += "\\?";  // no trigraph surprises
            } else {
                lit += c;
            }
        }
        out << "{" << id << "u, u\"" << lit << "\"},\n";
    }
    std::ofstream o(argv[2], std::ios::binary);
    o << out.str();
    return o ? 0 : 1;
}

// Class identifiers as text and back.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace velmap::com {

namespace detail {
constexpr unsigned HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    throw "invalid hexadecimal digit in GUID";  // a compile-time error in constant evaluation
}
constexpr unsigned long long HexField(std::string_view text, size_t pos, size_t digits) {
    unsigned long long v = 0;
    for (size_t i = 0; i < digits; ++i) v = v * 16 + HexDigit(text[pos + i]);
    return v;
}
}  // namespace detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional) at compile time.
constexpr GUID ParseGuid(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') throw "GUID braces expected";
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
        throw "malformed GUID";
    GUID g{};
    g.Data1 = static_cast<unsigned long>(detail::HexField(text, 0, 8));
    g.Data2 = static_cast<unsigned short>(detail::HexField(text, 9, 4));
    g.Data3 = static_cast<unsigned short>(detail::HexField(text, 14, 4));
    g.Data4[0] = static_cast<unsigned char>(detail::HexField(text, 19, 2));
    g.Data4[1] = static_cast<unsigned char>(detail::HexField(text, 21, 2));
    for (size_t i = 0; i < 6; ++i) g.Data4[2 + i] = static_cast<unsigned char>(detail::HexField(text, 24 + 2 * i, 2));
    return g;
}

// The registry form: 38 characters, upper-case digits in braces.
std::wstring GuidToString(REFGUID guid);

}  // namespace velmap::com

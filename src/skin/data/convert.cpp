#include "skin/data/convert.h"

#include <charconv>
#include <cmath>

namespace velmap {

SkinConvertError::SkinConvertError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + "' is not a valid integer value"), text_(text) {}

namespace {
char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Up(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Optional sign, then decimal digits only; no overflow past 32 bits.
std::optional<int32_t> ParseDecimal(std::string_view s) {
    if (s.empty()) return std::nullopt;
    bool neg = false;
    size_t i = 0;
    if (s[0] == '+' || s[0] == '-') {
        neg = s[0] == '-';
        i = 1;
    }
    if (i == s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > int64_t(INT32_MAX) + 1) return std::nullopt;
    }
    if (neg) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(v);
}
}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Up(a[i]) != Up(b[i])) return false;
    return true;
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Up(c);
    return r;
}

bool ContainsNoCase(std::string_view s, std::string_view n) {
    if (n.empty()) return true;
    if (n.size() > s.size()) return false;
    // Candidates start where the needle's first character (never a letter in
    // the file extensions searched for) appears.
    if (!(n[0] >= 'A' && n[0] <= 'Z')) {
        for (std::size_t i = s.find(n[0]); i != std::string_view::npos && i + n.size() <= s.size();
             i = s.find(n[0], i + 1)) {
            std::size_t k = 1;
            while (k < n.size() && Up(s[i + k]) == n[k]) ++k;
            if (k == n.size()) return true;
        }
        return false;
    }
    for (std::size_t i = 0; i + n.size() <= s.size(); ++i) {
        std::size_t k = 0;
        while (k < n.size() && Up(s[i + k]) == n[k]) ++k;
        if (k == n.size()) return true;
    }
    return false;
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::optional<int32_t> ParseIntLenient(std::string_view s) {
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        std::string_view h = s.substr(2);
        if (h.size() > 8) return std::nullopt;
        uint32_t v = 0;
        for (char c : h) {
            int d = HexDigit(c);
            if (d < 0) return std::nullopt;
            v = (v << 4) | uint32_t(d);
        }
        return static_cast<int32_t>(v);
    }
    return ParseDecimal(s);
}

int32_t StrToIntStrict(std::string_view s) {
    if (auto v = ParseDecimal(TrimBlanks(s))) return *v;
    throw SkinConvertError(s);
}

bool ParseBool(std::string_view s) { return EqualsNoCase(s, "TRUE"); }

double ParseVersion(std::string_view s) {
    s = TrimBlanks(s);
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return 0;
    return v;
}

}  // namespace velmap

// Text-to-number conversions shared by the options reader and the skin loader.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmap {

// A malformed number inside a skin value: ends the skin's load.
class SkinConvertError : public std::runtime_error {
public:
    explicit SkinConvertError(std::string_view text);
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

bool EqualsNoCase(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view s);  // ASCII a-z only
// Whether s contains upper_needle, comparing s upper-cased (ASCII).
bool ContainsNoCase(std::string_view s, std::string_view upper_needle);
std::string_view TrimBlanks(std::string_view s);  // blanks and control characters

// Decimal, or hexadecimal with "0x"/"0X" when the text is longer than two
// characters; anything else (including overflow) is no value. Hexadecimal takes
// up to eight digits and wraps to a signed 32-bit value, as colours are written.
std::optional<int32_t> ParseIntLenient(std::string_view s);

// Optional sign and decimal digits, surrounding blanks allowed; otherwise throws
// SkinConvertError carrying the text.
int32_t StrToIntStrict(std::string_view s);

// "TRUE" in any letter case.
bool ParseBool(std::string_view s);

// Real number with "." as the decimal separator whatever the locale; 0 when unreadable.
double ParseVersion(std::string_view s);

}  // namespace velmap

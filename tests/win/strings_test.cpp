// The one UTF-8/UTF-16 conversion: round trips, and refusal of broken text.
#include "win/strings.h"

#include <gtest/gtest.h>

namespace velmap::win {
namespace {

TEST(Strings, ConvertBothWaysAndRefuseBrokenText) {
    const std::string utf8 = "Sk\xC3\xA4n \xE2\x82\xAC \xF0\x9F\x8E\xB5";  // ä, €, and a pair of surrogates
    const std::wstring wide = L"Sk\u00E4n \u20AC \U0001F3B5";
    EXPECT_EQ(Utf8ToWide(utf8), wide);
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToWide(""), L"");
    // cut, impossible byte, encoded surrogate, overlong '/', overlong NUL, beyond U+10FFFF, stray continuation
    for (const char* broken : {"\xC3", "a\xFF" "b", "\xED\xA0\x80", "\xC0\xAF", "\xE0\x80\x80", "\xF4\x90\x80\x80",
                               "\x80"})
        EXPECT_THROW(Utf8ToWide(broken), EncodingError) << broken;
    EXPECT_EQ(Utf8ToWide("\xF4\x8F\xBF\xBF"), L"\U0010FFFF");
    EXPECT_THROW(WideToUtf8(std::wstring(1, wchar_t(0xD800))), EncodingError);  // lone high
    EXPECT_THROW(WideToUtf8(std::wstring(1, wchar_t(0xDC00))), EncodingError);  // lone low
}

}  // namespace
}  // namespace velmap::win

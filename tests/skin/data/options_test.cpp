#include <gtest/gtest.h>

#include "skin/data/convert.h"
#include "skin/data/ini_file.h"

namespace velmap {
namespace {

TEST(MemIniFile, SplitsLinesAtEveryLineEndAndTrims) {
    MemIniFile ini("junk before=1\r\n[ one ]\r\n  A = 1 \rB=2\n\n; C=3\nno equals sign\n[Two]\nA=x=y");
    ASSERT_EQ(ini.Sections().size(), 2u);
    EXPECT_EQ(ini.Sections()[0].name, "one");
    EXPECT_EQ(ini.ReadString("one", "A", "?"), "1");
    EXPECT_EQ(ini.ReadString("one", "B", "?"), "2");
    EXPECT_FALSE(ini.ValueExists("one", "C"));               // comment
    EXPECT_FALSE(ini.ValueExists("one", "no equals sign"));  // kept, never matched
    EXPECT_EQ(ini.Sections()[0].entries.size(), 3u);
    EXPECT_EQ(ini.ReadString("two", "a", "?"), "x=y");  // first "=" splits
    EXPECT_FALSE(ini.SectionExists("junk before"));
}

TEST(MemIniFile, ReadsIgnoreCaseButNamesKeepTheirs) {
    MemIniFile ini("[Panel]\nColor=5\n[PANEL]\nExtra=1");
    ASSERT_EQ(ini.Sections().size(), 1u);  // the same section, joined
    EXPECT_EQ(ini.Sections()[0].name, "Panel");
    EXPECT_EQ(ini.Sections()[0].entries[0].key, "Color");
    EXPECT_EQ(ini.ReadInteger("PANEL", "COLOR", 0), 5);
    EXPECT_EQ(ini.ReadInteger("panel", "extra", 0), 1);
}

TEST(Conversions, LenientIntegers) {
    EXPECT_EQ(ParseIntLenient("3881787"), 3881787);
    EXPECT_EQ(ParseIntLenient("-1"), -1);
    EXPECT_EQ(ParseIntLenient("0x3B3B3B"), 0x3B3B3B);
    EXPECT_EQ(ParseIntLenient("0XfF"), 255);
    EXPECT_EQ(ParseIntLenient("0xFFFFFFFF"), -1);  // colours wrap to 32 bits
    EXPECT_EQ(ParseIntLenient("00"), 0);
    EXPECT_FALSE(ParseIntLenient("0x"));  // the prefix needs more than two characters
    EXPECT_FALSE(ParseIntLenient("0x1FFFFFFFF"));
    EXPECT_FALSE(ParseIntLenient(""));
    EXPECT_FALSE(ParseIntLenient("12a"));
    EXPECT_FALSE(ParseIntLenient("N/A"));
    EXPECT_FALSE(ParseIntLenient("2147483648"));
    EXPECT_EQ(ParseIntLenient("-2147483648"), INT32_MIN);
}

TEST(Conversions, StrictDecimalNamesTheText) {
    EXPECT_EQ(StrToIntStrict("0036"), 36);
    EXPECT_EQ(StrToIntStrict("-5"), -5);
    try {
        StrToIntStrict("0x10");
        FAIL();
    } catch (const SkinConvertError& e) {
        EXPECT_STREQ(e.what(), "'0x10' is not a valid integer value");
    }
    EXPECT_THROW(StrToIntStrict(""), SkinConvertError);
    EXPECT_THROW(StrToIntStrict("-"), SkinConvertError);
}

TEST(Conversions, BooleansAndVersions) {
    EXPECT_TRUE(ParseBool("TRUE"));
    EXPECT_TRUE(ParseBool("true"));
    EXPECT_FALSE(ParseBool("1"));
    EXPECT_FALSE(ParseBool("TRUE "));
    EXPECT_DOUBLE_EQ(ParseVersion("5.43"), 5.43);
    EXPECT_DOUBLE_EQ(ParseVersion("5"), 5.0);
    EXPECT_DOUBLE_EQ(ParseVersion("5,43"), 0.0);  // only "." separates decimals
    EXPECT_DOUBLE_EQ(ParseVersion("abc"), 0.0);
}

}  // namespace
}  // namespace velmap

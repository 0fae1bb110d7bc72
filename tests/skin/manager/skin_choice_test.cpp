// The user's skin choice: which names are names, what is stored and read
// back, where a named skin is found, and the size limit checked unread.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/manager/skin_choice.h"
#include "skin_test_support.h"

namespace velmap::skin {
namespace {

using test::TempDir;

TEST(SkinChoice, ANameIsNeverAPath) {
    const struct {
        const char* name;
        bool ok;
    } cases[] = {
        {"Chalk", true}, {"My skin 2", true}, {"skin.v2", true}, {"Cold (internal)", true},
        {"", false}, {"..", false}, {"..\\x", false}, {"a\\b", false}, {"a/b", false}, {"c:x", false},
        {"C:\\Skins\\x", false}, {"\\\\server\\share", false}, {"a..b", false}, {".hidden", false},
        {"trailing.", false}, {"trailing ", false}, {" leading", false}, {"wild*", false}, {"q?", false},
        {"pipe|", false}, {"CON", false}, {"nul.asz", false}, {"Com1", false}, {"LPT9", false},
        {"CONSOLE", true}, {"COM", true}, {"tab\there", false},
        {"x12345678901234567890123456789012345678901234567890123456789012", true},    // 63
        {"x123456789012345678901234567890123456789012345678901234567890123", true},   // 64
        {"x1234567890123456789012345678901234567890123456789012345678901234", false}, // 65
    };
    for (const auto& c : cases) EXPECT_EQ(c.ok, IsSkinName(c.name)) << '"' << c.name << '"';
}

TEST(SkinChoice, ValuesOutOfRangeAreRefusedAndNothingIsWritten) {
    ClearSkinChoice();
    const struct {
        SkinChoice choice;
        const char* says;
    } refused[] = {
        {{"..\\..\\x", 0, 0, false}, "not a skin name"},
        {{"Chalk", 361, 0, false}, "hue offset 361"},
        {{"Chalk", -361, 0, false}, "hue offset -361"},
        {{"Chalk", 0, 101, false}, "saturation 101"},
        {{"Chalk", 0, -101, false}, "saturation -101"},
    };
    for (const auto& r : refused) {
        std::string error;
        EXPECT_FALSE(WriteSkinChoice(r.choice, error));
        EXPECT_NE(std::string::npos, error.find(r.says)) << error;
    }
    EXPECT_FALSE(ReadSkinChoice()) << "a refused choice left something behind";
}

TEST(SkinChoice, WhatIsWrittenIsReadBackAndMalformedValuesCountAsUnset) {
    ClearSkinChoice();
    EXPECT_FALSE(ReadSkinChoice()) << "no choice stored: the band must stay as built";
    std::string error;
    const SkinChoice choice{"Graphite", -360, 100, true};
    ASSERT_TRUE(WriteSkinChoice(choice, error)) << error;
    EXPECT_EQ(choice, ReadSkinChoice());
    ASSERT_TRUE(WriteSkinChoice({"", 0, 0, false}, error));
    EXPECT_EQ(SkinChoice{}, ReadSkinChoice()) << "the internal skin, chosen on purpose, is a stored choice";

    // Written by hand: a path for a name, a hue out of range, a string for a number.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kSkinChoiceKey, 0, KEY_SET_VALUE, &key));
    const wchar_t path[] = L"C:\\evil\\skin";
    ::RegSetValueExW(key, kSkinChoiceSkinValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path);
    const DWORD hue = 1000;
    ::RegSetValueExW(key, kSkinChoiceHueValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&hue), sizeof hue);
    ::RegSetValueExW(key, kSkinChoiceSaturationValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"5"), 4);
    ::RegCloseKey(key);
    EXPECT_EQ(SkinChoice{}, ReadSkinChoice());
    ASSERT_TRUE(ClearSkinChoice());
    EXPECT_FALSE(ReadSkinChoice());
}

TEST(SkinChoice, FollowingWindowsPicksTheLightOrDarkSkin) {
    EXPECT_EQ(kLightSkinName, SkinToShow({"Mine", 0, 0, true}, true));
    EXPECT_EQ(kDarkSkinName, SkinToShow({"Mine", 0, 0, true}, false));
    EXPECT_EQ("Mine", SkinToShow({"Mine", 0, 0, false}, true));
}

TEST(SkinChoice, TheUsersFolderComesFirstAndAnOversizedFileIsRefusedUnread) {
    TempDir user("choice-user"), installed("choice-installed");
    const SkinFolders folders{installed.str(), user.str()};
    test::WriteFile(installed.path() / "Both.asz", std::string("x"));
    test::WriteFile(user.path() / "Both" / "Options.dat", std::string("[GLOBALINFO]\r\n"));
    test::WriteFile(installed.path() / "Shipped.asz", std::string("x"));
    EXPECT_EQ(user.str(), FindSkin(folders, "Both")->Folder);
    EXPECT_FALSE(FindSkin(folders, "Both")->Packed);
    EXPECT_EQ(installed.str(), FindSkin(folders, "Shipped")->Folder);
    EXPECT_FALSE(FindSkin(folders, "Missing"));
    EXPECT_FALSE(FindSkin(folders, "..\\choice-installed\\Shipped")) << "a path reached a skin";

    EXPECT_EQ("", CheckSkinSize(*FindSkin(folders, "Shipped"), "Shipped", 1));
    // A file one byte over the limit, made sparse: its size alone must refuse it.
    test::WriteFile(user.path() / "Both" / "Huge.bmp", std::string(16, 'x'));
    const std::string error = CheckSkinSize(*FindSkin(folders, "Both"), "Both", 15);
    EXPECT_NE(std::string::npos, error.find("Huge.bmp is 16 bytes")) << error;
    EXPECT_EQ("", CheckSkinSize(*FindSkin(folders, "Both"), "Both", 16));
}

}  // namespace
}  // namespace velmap::skin

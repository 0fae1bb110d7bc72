// Path rules and option defaults of the skin manager.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/manager/skin_directory.h"
#include "win/strings.h"
#include "skin/manager/skin_manager_options.h"

namespace velmap::skin {
namespace {

TEST(SkinDirectoryRules, RelativeDirectoriesResolveAgainstTheBaseFolder) {
    const std::string base = "C:\\Prog\\Band\\";
    EXPECT_EQ(NormalizeSkinDirectory("..\\Skins", base), "C:\\Prog\\Skins");
    EXPECT_EQ(NormalizeSkinDirectory("../Skins", base), "C:\\Prog\\Skins");
    EXPECT_EQ(NormalizeSkinDirectory(".\\Skins", base), "C:\\Prog\\Band\\Skins");
    EXPECT_EQ(NormalizeSkinDirectory("./Skins", base), "C:\\Prog\\Band\\Skins");
    EXPECT_EQ(NormalizeSkinDirectory("Skins\\Dark", base), "C:\\Prog\\Band\\Skins\\Dark");
    // Absolute and network paths stay as they are; nothing is appended.
    EXPECT_EQ(NormalizeSkinDirectory("D:\\Skins\\", base), "D:\\Skins\\");
    EXPECT_EQ(NormalizeSkinDirectory("\\\\server\\skins", base), "\\\\server\\skins");
    // ".." alone or a base at the root never reads outside the strings.
    EXPECT_EQ(NormalizeSkinDirectory("..", "C:\\"), "");
    EXPECT_EQ(NormalizeSkinDirectory("..\\x", ""), "x");
}

TEST(SkinDirectoryRules, PackedSkinPathGetsOneSeparatorAndTheExtension) {
    EXPECT_EQ(PackedSkinPath("c:\\Skins", "Dark"), "c:\\Skins\\Dark.asz");
    EXPECT_EQ(PackedSkinPath("c:\\Skins\\", "Dark"), "c:\\Skins\\Dark.asz");
    EXPECT_EQ(PackedSkinPath("c:/Skins/", "Dark"), "c:/Skins\\Dark.asz");
    EXPECT_EQ(PackedSkinPath("d", "Dark"), "d:\\Dark.asz");
    EXPECT_EQ(PackedSkinPath(".\\Skins", "A.B"), ".\\Skins\\A.B.asz");
}

TEST(SkinDirectoryRules, CommonSectionLinesLoseTheirBlanksButCommentsDoNot) {
    EXPECT_EQ(RemoveBlanksFromIniLines("[ MY SECTION ]\r\nCOLOR = 5\r\n; keep me as I am\r\n\r\n"),
              "[MYSECTION]\r\nCOLOR=5\r\n; keep me as I am\r\n\r\n");
    EXPECT_EQ(RemoveBlanksFromIniLines("A = 1\nB = 2"), "A=1\nB=2");
}

// The band's skin directory must never lead to a file or folder anybody could
// put on the disk.
TEST(SealedSkinDirectory, NothingCanExistOrBeCreatedBelowIt) {
    const std::string dir = SealedSkinDirectory;
    // Used unchanged (it names a drive) and its paths are refused by the system.
    EXPECT_EQ(NormalizeSkinDirectory(dir, HostExecutableFolder()), dir);
    EXPECT_FALSE(DirectoryExists(dir));
    EXPECT_FALSE(FileExists(PackedSkinPath(dir, "Cold (internal)")));
    EXPECT_FALSE(FileExists(dir + "\\Cold (internal)\\Options.dat"));

    EXPECT_FALSE(::CreateDirectoryW(win::Utf8ToWide(dir).c_str(), nullptr));
    HANDLE h = ::CreateFileW(win::Utf8ToWide(PackedSkinPath(dir, "Cold (internal)")).c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);

    // Nor is it a relative path that another current directory could satisfy.
    EXPECT_NE(dir.find(':'), std::string::npos);
}

TEST(ThirdPartyDefaults, EmptyListsTakeDefaultsAndBlankLinesStay) {
    ThirdPartyList t;
    t.Lists[tpButtons] = "TButton\r\nTSpeedButton\r\n";
    t.Lists[tpEdits] = " \r\n";
    t.ApplyDefaults();
    EXPECT_EQ(t.Lists[tpButtons], "TButton\r\nTSpeedButton\r\n");
    EXPECT_EQ(t.Lists[tpEdits], " \r\n");
    EXPECT_EQ(t.Lists[tpBitBtns], "TBitBtn\r\n");
    auto grids = SplitLines(t.Lists[tpGrids]);
    ASSERT_EQ(grids.size(), 11u);
    EXPECT_EQ(grids.front(), "TStringGrid");
    EXPECT_EQ(grids.back(), "TDBGrid");
    EXPECT_EQ(SplitLines(t.Lists[tpVirtualTrees]).size(), 7u);
}

TEST(ThirdPartyDefaults, ListsOfTheOlderOrderMoveBackIntoPlace) {
    ThirdPartyList t;
    // Stored one place early: the buttons list sits in the edits property.
    t.Lists[tpEdits] = "TButton\r\n";
    t.Lists[tpButtons] = "TBitBtn\r\n";
    t.Lists[tpBitBtns] = "TCheckBox\r\n";
    t.Lists[tpVirtualTrees] = "Garbage\r\n";
    t.ApplyDefaults();
    EXPECT_EQ(t.Lists[tpButtons], "TButton\r\n");
    EXPECT_EQ(t.Lists[tpBitBtns], "TBitBtn\r\n");
    EXPECT_EQ(t.Lists[tpCheckBoxes], "TCheckBox\r\n");
    EXPECT_EQ(t.Lists[tpEdits], ThirdPartyList::DefaultText(tpEdits));
    EXPECT_EQ(t.Lists[tpVirtualTrees], ThirdPartyList::DefaultText(tpVirtualTrees));

    ThirdPartyList u;
    u.Lists[tpEdits] = "TEdit\r\n";
    u.Lists[tpButtons] = "TBitBtn\r\n";
    u.ApplyDefaults();
    EXPECT_EQ(u.Lists[tpEdits], "TEdit\r\n");
    EXPECT_EQ(u.Lists[tpButtons], ThirdPartyList::DefaultText(tpButtons));
    EXPECT_EQ(u.Lists[tpBitBtns], "TBitBtn\r\n");
}

}  // namespace
}  // namespace velmap::skin

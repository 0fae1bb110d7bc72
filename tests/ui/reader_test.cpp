#include "test_form.h"

#include <gtest/gtest.h>

#include <string>

namespace velmap::ui::test {
namespace {

TEST(DescriptionParser, ReadsEveryKindOfValue) {
    TObjectDesc d = ParseDescription(
        "object F : TForm\n"
        "  A.B.C = -12\n"
        "  H = 0x1F\n"
        "  S = \"a\\\"b\\\\c\\r\\n\"\n"
        "  E = bsNone  // comment\n"
        "  Z = [akLeft, akTop]\n"
        "  L = (\"x\", \" \")\n"
        "  C = < item W = 1 end item end >\n"
        "  R = @GLYPH\n"
        "  object P : TPanel end\n"
        "end\n");
    EXPECT_EQ(d.name, "F");
    EXPECT_EQ(d.class_name, "TForm");
    ASSERT_EQ(d.props.size(), 8u);
    EXPECT_EQ(d.props[0].path, "A.B.C");
    EXPECT_EQ(d.props[0].value.integer, -12);
    EXPECT_EQ(d.props[1].value.integer, 31);
    EXPECT_EQ(d.props[2].value.string, L"a\"b\\c\r\n");
    EXPECT_EQ(d.props[3].value.ident, "bsNone");
    EXPECT_EQ(d.props[4].value.members, (std::vector<std::string>{"akLeft", "akTop"}));
    EXPECT_EQ(d.props[5].value.strings, (std::vector<std::wstring>{L"x", L" "}));
    ASSERT_EQ(d.props[6].value.items.size(), 2u);
    EXPECT_EQ(d.props[6].value.items[0].props[0].path, "W");
    EXPECT_EQ(d.props[7].value.type, TValueType::Binary);
    EXPECT_EQ(d.props[7].value.ident, "GLYPH");
    ASSERT_EQ(d.children.size(), 1u);
    EXPECT_EQ(d.children[0].line, 10);
}

TEST(DescriptionParser, MalformedInputNamesTheLine) {
    auto message = [](const char* text) {
        try {
            ParseDescription(text);
        } catch (const EUiError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("object F : TForm\n  X = 12ab\nend"), "line 2: malformed number");
    EXPECT_EQ(message("object F : TForm\n  X = \"open\nend"), "line 2: unterminated string");
    EXPECT_EQ(message("object F : TForm\n  X = 1\n"), "line 3: 'end' expected");
    EXPECT_EQ(message("object F : TForm\n  X = 99999999999\nend"), "line 2: number out of range");
    EXPECT_EQ(message("object F : TForm end junk"), "line 1: text after the root object's end");
    EXPECT_EQ(message("object F : TForm X = \"\\q\" end"), "line 1: unknown escape \\q");
    // Nesting beyond the bound is refused, not recursed into.
    std::string deep;
    for (int i = 0; i < 40; ++i) deep += "object A" + std::to_string(i) + " : TPanel\n";
    EXPECT_NE(message(deep.c_str()).find("nested too deeply"), std::string::npos);
}

// Each load error names what could not be found, and the failed form
// leaves nothing behind.
TEST(FormReader, LoadErrorsNameWhatIsMissing) {
    HWND host = MakeHostWindow();
    auto load_error = [&](const std::string& body) {
        std::string text = "object TestForm : TTestForm\n" + body + "end\n";
        try {
            Make<TTestForm>(host, text)->Free();
        } catch (const EUiError& e) {
            return std::string(e.what());
        }
        return std::string("loaded");
    };
    EXPECT_EQ(load_error("  object X : TNoSuchClass\n  end\n"), "line 2: class 'TNoSuchClass' not found");
    EXPECT_EQ(load_error("  Colour = clBlack\n"), "line 2: unknown property 'Colour' of class TTestForm");
    EXPECT_EQ(load_error("  Font.Heigth = 3\n"), "line 2: unknown property 'Font.Heigth' of class TTestForm");
    EXPECT_EQ(load_error("  OnCreate = NoSuchHandler\n"), "line 2: OnCreate: handler 'NoSuchHandler' not found");
    EXPECT_EQ(load_error("  object B : TSpeedButton\n    Glyph = @NO_SUCH_RES\n  end\n"),
              "line 3: Glyph: resource 'NO_SUCH_RES' not found");
    EXPECT_EQ(load_error("  object C : TCoolBar\n    Bands = < item Control = Ghost end >\n  end\n"),
              "line 3: component 'Ghost' not found");
    EXPECT_EQ(load_error("  BorderStyle = bsWobbly\n"), "line 2: BorderStyle: 'bsWobbly' is not a valid value");
    EXPECT_EQ(load_error("  Visible = 1\n"), "line 2: Visible: boolean expected, found an integer");
    EXPECT_EQ(load_error("  object B : TSpeedButton\n    object P : TPanel\n    end\n  end\n"),
              "line 3: B cannot hold controls");
    EXPECT_EQ(load_error("  object P : TPanel\n  end\n  object P : TPanel\n  end\n"),
              "line 4: a component named P already exists");
    EXPECT_EQ(load_error(""), "loaded");
    // A root of another class is refused before anything is made.
    try {
        Make<TTestForm>(host, "object X : TForm\nend\n")->Free();
        ADD_FAILURE() << "loaded";
    } catch (const EUiError& e) {
        EXPECT_STREQ(e.what(), "line 1: the root is of class TTestForm, not TForm");
    }
    // The failed loads left no windows behind in the host.
    EXPECT_EQ(::GetWindow(host, GW_CHILD), nullptr);
    ::DestroyWindow(host);
}

// A description stored in this module is parsed once and kept; one missing
// or not a description is refused at every call, nothing kept for it.
TEST(StoredDescription, KeptOnceParsedAndRefusedEveryTimeWhenBad) {
    const auto first = StoredDescription(ThisModule(), "TESTFORM");
    EXPECT_EQ(first->class_name, "TTestForm");
    EXPECT_EQ(StoredDescription(ThisModule(), "TESTFORM"), first);
    for (int i = 0; i < 2; ++i) {
        EXPECT_THROW(StoredDescription(ThisModule(), "NO_SUCH_FORM"), EUiError) << i;
        EXPECT_THROW(StoredDescription(ThisModule(), "TEST_GLYPH"), EUiError) << i;  // a bitmap
    }
}

TEST(Bitmap, FileImageLoadsAndBadOnesAreRefused) {
    auto data = ModuleResources(ThisModule())("TEST_GLYPH");
    ASSERT_TRUE(data);
    TBitmap b;
    b.LoadFromBmpData(*data);
    EXPECT_EQ(b.Width(), 14);
    EXPECT_EQ(b.Height(), 14);
    // Rows are stored bottom-up in the file; ScanLine(13) is the bottom row.
    const std::uint8_t* bottom = b.ScanLine(13);
    EXPECT_EQ(bottom[0], 255);  // blue
    EXPECT_EQ(bottom[1], 36);
    EXPECT_EQ(bottom[2], 0);
    EXPECT_EQ(b.Canvas().Pixel(5, 5), RGB(255, 255, 255));
    EXPECT_EQ(b.Canvas().Pixel(0, 13), RGB(0, 36, 255));

    std::vector<std::uint8_t> truncated(data->begin(), data->begin() + 300);
    EXPECT_THROW(b.LoadFromBmpData(truncated), EUiError);
    std::vector<std::uint8_t> huge = *data;
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x0F;  // 268 million pixels wide
    EXPECT_THROW(b.LoadFromBmpData(huge), EUiError);
    EXPECT_EQ(b.Width(), 14);  // unchanged after a refused image

    b.SetPixelFormat(TPixelFormat::pf32bit);
    EXPECT_EQ(b.Canvas().Pixel(5, 5), RGB(255, 255, 255));
    EXPECT_EQ(b.Canvas().Pixel(0, 13), RGB(0, 36, 255));
}

}  // namespace
}  // namespace velmap::ui::test

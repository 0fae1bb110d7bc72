// The band form as its description builds it, inside a plain host window.
#include "remote/band_form.h"
#include "skin/manager/shared_skins.h"
#include "skin/manager/skin_directory.h"
#include "win/strings.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace velmap::remote {
namespace {

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

HWND MakeHost() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BandFormTestHost";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return ::CreateWindowExW(0, L"BandFormTestHost", L"host", WS_POPUP, 100, 100, 300, 60, nullptr, nullptr, nullptr,
                             nullptr);
}

class BandForm : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
    void SetUp() override {
        host = MakeHost();
        ASSERT_NE(nullptr, host);
    }
    void TearDown() override { ::DestroyWindow(host); }
    HWND host = nullptr;
};

TEST_F(BandForm, LaysOutTheBarThePanelAndSixButtonsWithTheirGlyphs) {
    ui::owned<TBandForm> form(TBandForm::Create(host));
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_EQ(host, ::GetParent(form->Handle()));
    EXPECT_TRUE(::GetWindowLongPtrW(form->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(160, form->ClientWidth());
    EXPECT_EQ(25, form->ClientHeight());
    EXPECT_EQ(160, form->Constraints().MinWidth());
    EXPECT_EQ(188, form->Constraints().MaxWidth());
    ASSERT_NE(nullptr, form->CoolBar);
    EXPECT_EQ(160, form->CoolBar->Width());
    EXPECT_EQ(180, form->CoolBar->Height());
    ASSERT_NE(nullptr, form->Panel);
    EXPECT_EQ(form->CoolBar, form->Panel->Parent());
    EXPECT_EQ("0,0,160,25", Text(form->Panel->BoundsRect()));

    struct Expected {
        TBandButton* button;
        RECT bounds;
        int glyph;
    };
    const Expected buttons[] = {
        {form->btnVolUp, {124, 7, 138, 21}, 14}, {form->btnVolDn, {108, 7, 122, 21}, 14},
        {form->btnPrev, {14, 3, 34, 23}, 18},    {form->btnPlayPause, {36, 3, 56, 23}, 18},
        {form->btnStop, {58, 3, 78, 23}, 18},    {form->btnNext, {80, 3, 100, 23}, 18},
    };
    ASSERT_EQ(6u, form->Panel->Controls().size());
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const Expected& e = buttons[i];
        ASSERT_NE(nullptr, e.button) << i;
        EXPECT_EQ(e.button, form->Panel->Controls()[i]) << "creation order, " << e.button->Name();
        EXPECT_EQ(Text(e.bounds), Text(e.button->BoundsRect())) << e.button->Name();
        ASSERT_EQ(e.glyph, e.button->Glyph().Width()) << e.button->Name();
        EXPECT_EQ(e.glyph, e.button->Glyph().Height());
        EXPECT_EQ(RGB(0, 36, 255), e.button->Glyph().Canvas().Pixel(0, e.glyph - 1)) << e.button->Name();
        EXPECT_TRUE(e.button->OnClick) << e.button->Name();
    }
}

TEST_F(BandForm, LoadsTheInternalSkinWithoutLookingInAnyFolder) {
    // A skin planted where a manager looks by default, under the internal
    // skin's name: the band must never pick it up.
    const std::wstring planted = L"C:\\Skins\\Cold (internal)";
    ::CreateDirectoryW(L"C:\\Skins", nullptr);
    ::CreateDirectoryW(planted.c_str(), nullptr);
    const std::wstring source = win::Utf8ToWide(VELMAP_TEST_SOURCE_DIR "/tests/skins/folder/");
    for (const wchar_t* file : {L"Options.dat", L"MASTER.BMP", L"FRAME.BMP"})
        ASSERT_TRUE(::CopyFileW((source + file).c_str(), (planted + L"\\" + file).c_str(), FALSE));

    ui::owned<TBandForm> form(TBandForm::Create(host));
    skin::TsSkinManager* manager = form->SkinManager;
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(skin::SealedSkinDirectory, manager->SkinDirectory());
    EXPECT_EQ("Cold (internal)", manager->SkinName());
    EXPECT_TRUE(manager->SkinLoaded());
    EXPECT_FALSE(manager->FromPackedFile());
    EXPECT_EQ("", manager->Model().SkinData.SkinFolder) << "a skin folder was loaded";
    EXPECT_GE(manager->FindSectionIndex("SPEEDBUTTON"), 0);

    for (const wchar_t* file : {L"Options.dat", L"MASTER.BMP", L"FRAME.BMP"})
        ::DeleteFileW((planted + L"\\" + file).c_str());
    ::RemoveDirectoryW(planted.c_str());
}

TEST_F(BandForm, ClosingOneBandNeverTurnsAnotherPlain) {
    ui::owned<TBandForm> first(TBandForm::Create(host));
    ui::owned<TBandForm> second(TBandForm::Create(host));
    ASSERT_TRUE(second->Panel->SkinData().IsSkinned());
    first.reset();
    EXPECT_TRUE(second->Panel->SkinData().IsSkinned());
    for (TBandButton* b : {second->btnVolUp, second->btnVolDn, second->btnPrev, second->btnPlayPause, second->btnStop,
                           second->btnNext}) {
        EXPECT_TRUE(b->SkinData().IsSkinned()) << b->Name();
        EXPECT_EQ(second->SkinManager, b->SkinData().EffectiveManager()) << b->Name();
    }
}

// The band's pixels as its window shows them, repainted now.
std::vector<COLORREF> Pixels(TBandForm& form) {
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<COLORREF> pixels;
    HDC dc = ::GetDC(form.Handle());
    for (int y = 0; y < form.Height(); ++y)
        for (int x = 0; x < form.Width(); ++x) pixels.push_back(::GetPixel(dc, x, y));
    ::ReleaseDC(form.Handle(), dc);
    return pixels;
}

TEST_F(BandForm, ASecondBandDrawsWithTheFirstOnesSkinAndKeepsItWhenTheFirstCloses) {
    HWND other = MakeHost();
    ::SetWindowPos(host, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::SetWindowPos(other, nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    {
        ui::owned<TBandForm> first(TBandForm::Create(host));
        ui::owned<TBandForm> second(TBandForm::Create(other));
        EXPECT_EQ(&first->SkinManager->Model(), &second->SkinManager->Model()) << "the skin was decoded twice";
        const std::vector<COLORREF> look = Pixels(*first);
        ASSERT_EQ(look.size(), 160u * 25u);
        EXPECT_EQ(look, Pixels(*second));
        first.reset();
        EXPECT_EQ(look, Pixels(*second));
    }
    EXPECT_EQ(0u, skin::SharedSkinCount()) << "the decoded skin outlived the bands";
    ::DestroyWindow(other);
}

RECT TurnedRect(const RECT& r) { return {r.top, r.left, r.bottom, r.right}; }

// For a vertical taskbar the form is the row turned by a quarter, at any
// density, centred across a wider window; turned back it is the row again,
// to the pixel.
TEST_F(BandForm, AColumnIsTheRowTurnedAndTurnsBackToTheSamePixels) {
    ::SetWindowPos(host, nullptr, 0, 0, 300, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    for (const int ppi : {96, 144}) {
        SCOPED_TRACE(ppi);
        ui::owned<TBandForm> form(TBandForm::Create(host));
        form->SetDensity(ppi);
        const std::vector<COLORREF> row_pixels = Pixels(*form);
        const SIZE row{form->ClientWidth(), form->ClientHeight()};
        std::vector<RECT> row_bounds;
        for (ui::TControl* c : form->Panel->Controls()) row_bounds.push_back(c->BoundsRect());
        const RECT row_panel = form->Panel->BoundsRect();

        ASSERT_TRUE(form->SetVertical(true));
        EXPECT_EQ(row.cy, form->ClientWidth());
        EXPECT_EQ(row.cx, form->ClientHeight());
        EXPECT_EQ(Text(TurnedRect(row_panel)), Text(form->Panel->BoundsRect()));
        for (std::size_t i = 0; i < row_bounds.size(); ++i)
            EXPECT_EQ(Text(TurnedRect(row_bounds[i])), Text(form->Panel->Controls()[i]->BoundsRect())) << i;

        // The host makes the window as wide as its bar: the column stays as
        // thick and moves to the middle, and the answer keeps its thickness.
        ::SetWindowPos(form->Handle(), nullptr, 0, 0, 62 * ppi / 96, row.cx, SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ((62 * ppi / 96 - row.cy) / 2, form->CoolBar->Left());
        EXPECT_EQ(row.cy, form->AlongAndAcross().cy);

        ASSERT_TRUE(form->SetVertical(false));
        EXPECT_EQ(row.cx, form->ClientWidth());
        for (std::size_t i = 0; i < row_bounds.size(); ++i)
            EXPECT_EQ(Text(row_bounds[i]), Text(form->Panel->Controls()[i]->BoundsRect())) << i;
        // (At 144 dpi the end-to-end density test compares the turned-back
        // row with a band made at 144.)
        if (ppi == 96) EXPECT_EQ(row_pixels, Pixels(*form));
    }
}

// A system that refuses layered child windows, as those before layered
// children were supported do.
class TRefusedLayeredForm : public TBandForm {
public:
    using TBandForm::TBandForm;
    int refusals = 0;

protected:
    void CreateParams(TCreateParams& p) override {
        TBandForm::CreateParams(p);
        if ((p.style & WS_CHILD) && (p.ex_style & WS_EX_LAYERED)) {
            ++refusals;
            p.parent = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0xDEAD0));  // no such window
        }
    }
};

TEST_F(BandForm, ARefusedLayeredChildWindowIsMadeWithoutTheColourKey) {
    ui::owned<TRefusedLayeredForm> form(ui::Make<TRefusedLayeredForm>(host, ui::ThisModule()));
    EXPECT_EQ(1, form->refusals);
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_EQ(host, ::GetParent(form->Handle()));
    EXPECT_FALSE(form->TransparentColor());
    EXPECT_FALSE(::GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_NE(nullptr, form->btnNext);
}

}  // namespace
}  // namespace velmap::remote

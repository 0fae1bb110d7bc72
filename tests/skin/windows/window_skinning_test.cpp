// Window skinning under Wine, with real windows on the test thread and a
// skin manager of the test's own holding the internal skin.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "archive_builder.h"
#include "image_file.h"
#include "skin/manager/skin_hook.h"
#include "skin/messages/message_routines.h"
#include "skin/windows/control_adapters.h"
#include "skin/windows/window_skinning.h"
#include "skin/windows/window_subclass.h"
#include "ui/panel.h"

namespace velmap::skin {
namespace {

constexpr COLORREF kDialogColor = RGB(0x3B, 0x3B, 0x3B);  // DIALOG, FORM and MAINMENU of the internal skin
constexpr COLORREF kEditColor = RGB(0x2A, 0x2A, 0x2A);    // EDIT

TacSkinningRules Rules(std::initializer_list<TacSkinningRule> rules) {
    TacSkinningRules r;
    for (auto x : rules) r.Include(x);
    return r;
}
const TacSkinningRules kBandRules = Rules({srStdForms, srThirdParty});

void Pump(int ms) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(ms);
    MSG m;
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
        ::Sleep(5);
    }
}

// What the window shows of its client (its children included).
std::unique_ptr<paint::Bitmap> Capture(HWND wnd) {
    RECT rc;
    ::GetClientRect(wnd, &rc);
    auto bmp = paint::CreateBitmap24(rc.right, rc.bottom);
    HDC dc = ::GetDC(wnd);
    ::BitBlt(bmp->Dc(), 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(wnd, dc);
    ::GdiFlush();
    return bmp;
}

COLORREF PixelAt(const paint::Bitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.ScanLine(y) + x * bmp.BytesPerPixel();
    return RGB(p[2], p[1], p[0]);
}

void SaveArtefact(const paint::Bitmap& bmp, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(VELMAP_TEST_BINARY_DIR) / "artefacts";
    std::filesystem::create_directories(dir);
    const auto png = skinpack::EncodePng(bmp);
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
}

LONG_PTR ProcOf(HWND wnd) { return ::GetWindowLongPtrW(wnd, GWLP_WNDPROC); }

bool AnswersSkinned(HWND wnd) { return ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_IS_SKINNED), 0) == 1; }

// A standard dialog with one control of each kind the map tells apart.
struct Dialog {
    HWND wnd = nullptr;
    HWND button, check, radio, group, edit, list, text, ownerDrawn;

    explicit Dialog(HWND extra_parent_for_tests = nullptr) {
        (void)extra_parent_for_tests;
        wnd = ::CreateWindowExW(WS_EX_DLGMODALFRAME, L"#32770", L"Options", WS_POPUP | WS_CAPTION | WS_SYSMENU, 60, 60,
                                340, 250, nullptr, nullptr, nullptr, nullptr);
        group = Child(L"BUTTON", L"Playback", BS_GROUPBOX, 10, 8, 200, 90);
        check = Child(L"BUTTON", L"&Repeat", BS_AUTOCHECKBOX, 20, 28, 120, 20);
        radio = Child(L"BUTTON", L"&Shuffle", BS_AUTORADIOBUTTON, 20, 52, 120, 20);
        text = Child(L"STATIC", L"Name:", SS_LEFT, 10, 110, 60, 18);
        edit = Child(L"EDIT", L"Cold", WS_BORDER | ES_AUTOHSCROLL, 74, 108, 136, 22);
        list = Child(L"LISTBOX", L"", WS_BORDER | WS_VSCROLL, 10, 138, 200, 70);
        button = Child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON, 230, 14, 86, 26);
        ownerDrawn = Child(L"BUTTON", L"", BS_OWNERDRAW, 230, 48, 86, 26);
        for (const wchar_t* s : {L"Cold (internal)", L"Second skin"})
            ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        ::SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
    }
    ~Dialog() {
        if (::IsWindow(wnd)) ::DestroyWindow(wnd);
    }
    HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
        HWND c = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, wnd, nullptr, nullptr,
                                   nullptr);
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return c;
    }
    std::vector<HWND> All() const { return {wnd, button, check, radio, group, edit, list, text, ownerDrawn}; }
    // Activates it, which is where the hook skins it; shown only when its
    // pixels are looked at (hiding a shown window costs Wine two seconds).
    void Activate(bool shown = false) {
        if (shown) ::ShowWindow(wnd, SW_SHOW);
        ::SetActiveWindow(wnd);
        if (shown) Pump(150);
    }
};

class WindowSkinningTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the skin's images decode through WIC
        EnableWindowSkinning();
        ASSERT_EQ(TacWindowAdapter::LiveCount(), 0);
    }
    void TearDown() override {
        manager_.reset();
        EXPECT_FALSE(SkinHookInstalled());
        EXPECT_EQ(ProviderCount(), 0);
        EXPECT_EQ(PopupMenuAdapterCount(), 0);
        EXPECT_EQ(TacWindowAdapter::LiveCount(), 0);
        SetDefaultSkinItemHandler(nullptr);
        DisableWindowSkinning();
        ::CoUninitialize();
    }

    void StartManager(TacSkinningRules rules, bool popups) {
        manager_.reset(ui::Make<TsSkinManager>(nullptr));
        manager_->SetSkinningRules(rules);
        manager_->SetSkinnedPopups(popups);
        TsStoredSkin cold;
        cold.Name = "Cold (internal)";
        std::ifstream in(VELMAP_COLD_ARCHIVE, std::ios::binary);
        cold.Data.assign(std::istreambuf_iterator<char>(in), {});
        ASSERT_FALSE(cold.Data.empty());
        manager_->InternalSkins().push_back(std::move(cold));
        manager_->SetSkinName("Cold (internal)");
        ASSERT_TRUE(manager_->SkinLoaded());
        ASSERT_TRUE(SkinHookInstalled());
    }

    ui::owned<TsSkinManager> manager_;
};

// ---- popup menus -------------------------------------------------------------------------

struct MenuSeen {
    HWND wnd = nullptr;
    bool adapted = false, answers = false;
    int adapters = -1;
    std::unique_ptr<paint::Bitmap> shot;
};
MenuSeen* g_seen = nullptr;

void CALLBACK LookAtMenu(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_seen->wnd = ::FindWindowW(L"#32768", nullptr);
    g_seen->adapted = FindAdapter(g_seen->wnd) != nullptr;
    g_seen->answers = AnswersSkinned(g_seen->wnd);
    g_seen->adapters = PopupMenuAdapterCount();
    ::UpdateWindow(g_seen->wnd);
    g_seen->shot = Capture(g_seen->wnd);
    ::EndMenu();
}

void CALLBACK MoveDown(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    // Real keys: the system highlights the item itself while tracking.
    ::keybd_event(VK_DOWN, 0, 0, 0);
    ::keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
    ::SetTimer(nullptr, 0, 250, LookAtMenu);
}

MenuSeen OpenMenu(HWND owner, bool selectFirst) {
    HMENU sub = ::CreatePopupMenu();
    ::AppendMenuW(sub, MF_STRING, 20, L"Inner");
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, L"&Play\tCtrl+Alt+X");
    ::AppendMenuW(menu, MF_STRING | MF_CHECKED, 2, L"&Repeat");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING | MF_GRAYED, 3, L"Disabled");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"&Skins");
    MenuSeen seen;
    g_seen = &seen;
    ::SetForegroundWindow(owner);
    ::SetTimer(nullptr, 0, 200, selectFirst ? MoveDown : LookAtMenu);
    ::TrackPopupMenu(menu, TPM_RETURNCMD, 300, 300, 0, owner, nullptr);
    g_seen = nullptr;
    ::DestroyMenu(menu);
    return seen;
}

HWND PlainWindow(const wchar_t* cls = L"STATIC") {
    return ::CreateWindowExW(0, cls, L"plain", WS_OVERLAPPEDWINDOW, 400, 60, 200, 120, nullptr, nullptr, nullptr,
                             nullptr);
}

TEST_F(WindowSkinningTest, TheBandsRulesLeaveTheThreadsMenusAndDialogsAlone) {
    StartManager(kBandRules, false);
    Dialog d;
    std::vector<LONG_PTR> procs;
    for (HWND w : d.All()) procs.push_back(ProcOf(w));
    d.Activate();
    EXPECT_EQ(FindProvider(d.wnd), nullptr);
    for (std::size_t i = 0; i < procs.size(); ++i) EXPECT_EQ(ProcOf(d.All()[i]), procs[i]) << i;
    EXPECT_FALSE(AnswersSkinned(d.wnd));

    HWND owner = PlainWindow();
    const MenuSeen seen = OpenMenu(owner, false);
    ::DestroyWindow(owner);
    ASSERT_NE(seen.wnd, nullptr);
    EXPECT_FALSE(seen.adapted);
    EXPECT_FALSE(seen.answers);
    EXPECT_EQ(seen.adapters, 0);
    EXPECT_EQ(TacWindowAdapter::LiveCount(), 0);
}

// Messages of the application range (WM_APP to 0xBFFF) a window of the
// test's own received: the engine's skin message lies there, and so do the
// host program's own messages.
std::vector<UINT> g_appMessages;

LRESULT CALLBACK RecordingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_APP && msg < 0xC000) g_appMessages.push_back(msg);
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

INT_PTR CALLBACK RecordingDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    if (msg >= WM_APP && msg < 0xC000) g_appMessages.push_back(msg);
    return msg == WM_INITDIALOG;
}

HWND RecordingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"VelmapRecording";
    ::RegisterClassW(&wc);
    return PlainWindow(L"VelmapRecording");
}

// A #32770 dialog whose procedure is the test's.
HWND RecordingDialog() {
    struct alignas(4) {
        DLGTEMPLATE t{WS_POPUP | WS_CAPTION, 0, 0, 10, 10, 120, 60};
        WORD menu = 0, cls = 0, title = 0;
    } tpl;
    return ::CreateDialogIndirectParamW(nullptr, &tpl.t, nullptr, RecordingDialogProc, 0);
}

TEST_F(WindowSkinningTest, WindowsTheBandsRulesLeaveAloneHearNothingFromTheEngine) {
    StartManager(kBandRules, true);
    HWND plain = RecordingWindow(), dialog = RecordingDialog();
    ASSERT_TRUE(plain && dialog);
    g_appMessages.clear();
    for (HWND w : {plain, dialog, plain}) {
        ::SetActiveWindow(w);
        Pump(30);
    }
    EXPECT_TRUE(g_appMessages.empty()) << std::hex << g_appMessages.front();
    EXPECT_EQ(ProviderCount(), 0);
    ::DestroyWindow(dialog);
    ::DestroyWindow(plain);
    EXPECT_TRUE(g_appMessages.empty());
}

TEST_F(WindowSkinningTest, AStandardDialogIsAdaptedChildByChildAndPaintedFromTheSkin) {
    StartManager(kBandRules, false);
    {
        Dialog plain;
        plain.Activate(true);
        SaveArtefact(*Capture(plain.wnd), "dialog_plain.png");
    }
    manager_->SetSkinningRules(TacSkinningRules::All());
    Dialog d;
    d.Activate(true);
    TacProvider* p = FindProvider(d.wnd);
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->IsDialog());
    const struct {
        HWND wnd;
        AdapterKind kind;
        const char* section;
    } expected[] = {
        {d.wnd, AdapterKind::Dialog, "DIALOG"},       {d.button, AdapterKind::Button, "BUTTON"},
        {d.check, AdapterKind::CheckBox, "CHECKBOX"}, {d.radio, AdapterKind::CheckBox, "CHECKBOX"},
        {d.group, AdapterKind::GroupBox, "GROUPBOX"}, {d.edit, AdapterKind::Edit, "EDIT"},
        {d.list, AdapterKind::Edit, "EDIT"},          {d.text, AdapterKind::Text, "CHECKBOX"},
    };
    for (const auto& e : expected) {
        TacWindowAdapter* a = FindAdapter(e.wnd);
        ASSERT_NE(a, nullptr) << e.section;
        EXPECT_EQ(a->Kind(), e.kind) << e.section;
        EXPECT_TRUE(AnswersSkinned(e.wnd)) << e.section;
        EXPECT_EQ(::SendMessageW(e.wnd, SM_SKINCMD, SkinWParam(SMC_GET_SKIN_INDEX), 0),
                  manager_->FindSectionIndex(e.section) + 1)
            << e.section;
    }
    EXPECT_EQ(FindAdapter(d.ownerDrawn), nullptr);
    EXPECT_FALSE(AnswersSkinned(d.ownerDrawn));
    EXPECT_EQ(p->ChildAdapters().size(), 7u);
    // What the children ask their dialog for.
    RECT client;
    ::GetClientRect(d.wnd, &client);
    ParentCacheAnswer = {};
    ::SendMessageW(d.wnd, SM_SKINCMD, SkinWParam(SMC_GET_CACHE), 0);
    ASSERT_TRUE(ParentCacheAnswer.Ready && ParentCacheAnswer.Bmp);
    EXPECT_EQ(ParentCacheAnswer.Bmp->Width(), client.right);
    paint::ParentBgColor = paint::KeyColor;
    ::SendMessageW(d.wnd, SM_SKINCMD, SkinWParam(SMC_GET_BG_COLOR), 0);
    EXPECT_EQ(paint::ParentBgColor, static_cast<paint::TColor>(kDialogColor));
    EXPECT_GT(::SendMessageW(d.group, SM_SKINCMD, SkinWParam(SMC_GET_CAPTION_HEIGHT), 0), 0);

    const auto shot = Capture(d.wnd);
    SaveArtefact(*shot, "dialog_skinned.png");
    RECT rc;
    ::GetClientRect(d.wnd, &rc);
    EXPECT_EQ(PixelAt(*shot, rc.right - 12, rc.bottom - 12), kDialogColor);  // the dialog's face
    EXPECT_EQ(PixelAt(*shot, 10 + 55, 110 + 9), kDialogColor);               // beside the static's text
    EXPECT_EQ(PixelAt(*shot, 74 + 126, 108 + 11), kEditColor);               // inside the edit, past its text
    EXPECT_EQ(PixelAt(*shot, 10 + 150, 8 + 60), kDialogColor);               // inside the group box
}

TEST_F(WindowSkinningTest, ATabControlOf470By349KeepsTheWholeDialogPlain) {
    StartManager(TacSkinningRules::All(), false);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    for (const int width : {470, 471}) {
        Dialog d;
        ::SetWindowPos(d.wnd, nullptr, 0, 0, 520, 420, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        d.Child(WC_TABCONTROLW, L"", 0, 4, 4, width, 349);
        const LONG_PTR buttonProc = ProcOf(d.button);
        d.Activate();
        if (width == 470) {
            EXPECT_EQ(FindProvider(d.wnd), nullptr);
            EXPECT_EQ(ProcOf(d.button), buttonProc);
            EXPECT_EQ(TacWindowAdapter::LiveCount(), 0);
        } else {
            EXPECT_NE(FindProvider(d.wnd), nullptr);
        }
    }
}

TEST_F(WindowSkinningTest, TheFrameworksApplicationWindowIsNeverSkinned) {
    StartManager(TacSkinningRules::All(), true);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.lpszClassName = L"TApplication";
    ::RegisterClassW(&wc);
    HWND app = PlainWindow(L"TApplication");
    const LONG_PTR proc = ProcOf(app);
    ::SetActiveWindow(app);
    Pump(50);
    EXPECT_EQ(FindProvider(app), nullptr);
    EXPECT_EQ(ProcOf(app), proc);
    ::DestroyWindow(app);
}

TEST_F(WindowSkinningTest, DroppingTheSkinRestoresEveryProcedureAndFreesEveryAdapter) {
    StartManager(TacSkinningRules::All(), false);
    Dialog d;
    std::vector<LONG_PTR> procs;
    for (HWND w : d.All()) procs.push_back(ProcOf(w));
    d.Activate();
    ASSERT_EQ(TacWindowAdapter::LiveCount(), 8);
    EXPECT_EQ(ProcOf(d.edit), reinterpret_cast<LONG_PTR>(WindowSubclass::ReplacementProc()));

    manager_->SetActive(false);
    EXPECT_EQ(TacWindowAdapter::LiveCount(), 0);
    EXPECT_EQ(ProviderCount(), 0);
    for (std::size_t i = 0; i < procs.size(); ++i) EXPECT_EQ(ProcOf(d.All()[i]), procs[i]) << i;
    EXPECT_FALSE(AnswersSkinned(d.wnd));
}

TEST_F(WindowSkinningTest, AnAdapterWhoseWindowGoesBehindTheEnginesBackIsFreedOnce) {
    StartManager(TacSkinningRules::All(), false);
    Dialog d;
    d.Activate();
    const int before = TacWindowAdapter::LiveCount();
    ASSERT_NE(FindAdapter(d.edit), nullptr);
    // The edit moves to a window the engine knows nothing of, and goes with it.
    HWND elsewhere = PlainWindow();
    ::SetParent(d.edit, elsewhere);
    ::DestroyWindow(elsewhere);
    EXPECT_FALSE(::IsWindow(d.edit));
    EXPECT_EQ(TacWindowAdapter::LiveCount(), before - 1);
    EXPECT_EQ(FindProvider(d.wnd)->ChildAdapters().size(), 6u);
    // The rest goes with the dialog; TearDown counts that nothing is left.
    ::DestroyWindow(d.wnd);
    EXPECT_EQ(ProviderCount(), 0);
}

TEST_F(WindowSkinningTest, ASkinChangeReachesTheAdaptersOfASkinnedDialog) {
    StartManager(TacSkinningRules::All(), false);
    TsStoredSkin red;
    red.Name = "Red";
    red.Data = velmap::test::BuildArchive(
        {{"Options.dat", velmap::test::ToBytes("[GLOBALINFO]\r\nVERSION=6\r\n[X]\r\n[DIALOG]\r\nCOLOR=255\r\n")}});
    manager_->InternalSkins().push_back(std::move(red));
    Dialog d;
    d.Activate();
    ASSERT_NE(FindProvider(d.wnd), nullptr);
    const int coldIndex = manager_->FindSectionIndex("DIALOG");
    manager_->SetSkinName("Red");
    ASSERT_EQ(manager_->SkinName(), "Red");
    ASSERT_NE(manager_->FindSectionIndex("DIALOG"), coldIndex);
    EXPECT_EQ(::SendMessageW(d.wnd, SM_SKINCMD, SkinWParam(SMC_GET_SKIN_INDEX), 0),
              manager_->FindSectionIndex("DIALOG") + 1);
    paint::ParentBgColor = paint::KeyColor;
    ::SendMessageW(d.wnd, SM_SKINCMD, SkinWParam(SMC_GET_BG_COLOR), 0);
    EXPECT_EQ(paint::ParentBgColor, static_cast<paint::TColor>(RGB(255, 0, 0)));
    // The new skin has no EDIT: the edit's adapter stays, painting nothing.
    EXPECT_EQ(::SendMessageW(d.edit, SM_SKINCMD, SkinWParam(SMC_GET_SKIN_INDEX), 0), 0);
    EXPECT_TRUE(AnswersSkinned(d.edit));
}

// ---- failures stay inside ------------------------------------------------------------------

class ThrowingAdapter : public TacWindowAdapter {
public:
    using TacWindowAdapter::TacWindowAdapter;

protected:
    bool HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == WM_USER + 7) throw std::runtime_error("painting failed");
        return false;
    }
};

LRESULT CALLBACK AnswersFortyTwo(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return msg == WM_USER + 7 ? 42 : ::DefWindowProcW(wnd, msg, wParam, lParam);
}

TEST_F(WindowSkinningTest, AFailingAdapterLeavesTheMessageToTheWindowsOwnProcedure) {
    StartManager(kBandRules, false);
    WNDCLASSW wc{};
    wc.lpfnWndProc = AnswersFortyTwo;
    wc.lpszClassName = L"VelmapFortyTwo";
    ::RegisterClassW(&wc);
    HWND wnd = PlainWindow(L"VelmapFortyTwo");
    {
        ThrowingAdapter adapter(wnd, AdapterKind::Button, "BUTTON");
        ASSERT_TRUE(adapter.Attach());
        EXPECT_EQ(::SendMessageW(wnd, WM_USER + 7, 0, 0), 42);
        EXPECT_TRUE(AnswersSkinned(wnd));
    }
    EXPECT_EQ(ProcOf(wnd), reinterpret_cast<LONG_PTR>(&AnswersFortyTwo));
    ::DestroyWindow(wnd);
}

LRESULT CALLBACK Later(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return msg == WM_USER + 7 ? 7 : ::DefWindowProcW(wnd, msg, wParam, lParam);
}

TEST_F(WindowSkinningTest, AnAdapterUnderALaterSubclassLeavesAPassThroughUntilTheWindowGoes) {
    StartManager(kBandRules, false);
    WNDCLASSW wc{};
    wc.lpfnWndProc = AnswersFortyTwo;
    wc.lpszClassName = L"VelmapFortyTwo";
    ::RegisterClassW(&wc);
    HWND wnd = PlainWindow(L"VelmapFortyTwo");
    {
        TacPassiveWnd adapter(wnd, AdapterKind::Link, "CHECKBOX");
        ASSERT_TRUE(adapter.Attach());
        // Someone subclasses after us and never gives the window back.
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Later));
    }
    EXPECT_EQ(ProcOf(wnd), reinterpret_cast<LONG_PTR>(&Later));
    EXPECT_FALSE(WindowSubclass::IsSubclassed(wnd));
    EXPECT_FALSE(AnswersSkinned(wnd));
    EXPECT_EQ(::SendMessageW(wnd, WM_USER + 7, 0, 0), 7);
    ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowSubclass::ReplacementProc()));
    EXPECT_EQ(::SendMessageW(wnd, WM_USER + 7, 0, 0), 42);  // the pass-through reaches the original
    ::DestroyWindow(wnd);
}

// The engine counts its procedure's links as live objects; this counter
// stands for the module's object count.
int g_countedLinks = 0;
void CountLinkForTest(bool alive) noexcept { g_countedLinks += alive ? 1 : -1; }

// A later subclass that passes everything on to the procedure before it.
WNDPROC g_beforeLater = nullptr;
LRESULT CALLBACK ChainingLater(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(g_beforeLater, wnd, msg, wParam, lParam);
}

TEST_F(WindowSkinningTest, APassThroughCountsAsLiveUntilItIsOutOfTheChain) {
    StartManager(TacSkinningRules::All(), false);
    g_countedLinks = 0;
    const auto previous = WindowSubclass::SetLinkCounter(&CountLinkForTest);
    WNDCLASSW wc{};
    wc.lpfnWndProc = AnswersFortyTwo;
    wc.lpszClassName = L"VelmapFortyTwo";
    ::RegisterClassW(&wc);
    for (const bool destroy : {true, false}) {
        HWND wnd = PlainWindow(L"VelmapFortyTwo");
        {
            TacPassiveWnd adapter(wnd, AdapterKind::Link, "CHECKBOX");
            ASSERT_TRUE(adapter.Attach());
            EXPECT_EQ(g_countedLinks, 1);
            g_beforeLater = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChainingLater)));
        }
        // Skin dropped and window skinning off: the pass-through still counts.
        manager_->SetActive(false);
        DisableWindowSkinning();
        EXPECT_EQ(g_countedLinks, 1);
        EXPECT_EQ(WindowSubclass::LinkCount(), 1);
        if (destroy) {
            ::DestroyWindow(wnd);
        } else {
            // The later subclass leaves: at its next message the pass-through,
            // last in the chain, goes too and the original is back.
            ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowSubclass::ReplacementProc()));
            EXPECT_EQ(::SendMessageW(wnd, WM_USER + 7, 0, 0), 42);
            EXPECT_EQ(ProcOf(wnd), reinterpret_cast<LONG_PTR>(&AnswersFortyTwo));
        }
        EXPECT_EQ(g_countedLinks, 0) << (destroy ? "destroyed" : "given back");
        EXPECT_EQ(WindowSubclass::LinkCount(), 0);
        if (!destroy) ::DestroyWindow(wnd);
    }
    WindowSubclass::SetLinkCounter(previous);
}

TEST_F(WindowSkinningTest, AnAdapterHandsItsWindowBackWithoutAWordAfter) {
    StartManager(kBandRules, false);
    HWND wnd = RecordingWindow();
    {
        TacPassiveWnd adapter(wnd, AdapterKind::Link, "CHECKBOX");
        ASSERT_TRUE(adapter.Attach());
        ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // now the hot window
        ASSERT_EQ(manager_->HotWindow(), wnd);
        g_appMessages.clear();
    }
    EXPECT_TRUE(g_appMessages.empty()) << std::hex << g_appMessages.front();
    EXPECT_EQ(manager_->HotWindow(), nullptr);
    ::DestroyWindow(wnd);
}

// The next hook in the chain refuses: the dialog is not activated and the
// menu window never exists, so nothing is skinned or attached.
HWND g_refusedActivation = nullptr;
HHOOK g_refusingHook = nullptr;
LRESULT CALLBACK RefusingHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && reinterpret_cast<HWND>(wParam) == g_refusedActivation) return 1;
    if (code == HCBT_CREATEWND && WindowClassName(reinterpret_cast<HWND>(wParam)) == "#32768") return 1;
    return ::CallNextHookEx(g_refusingHook, code, wParam, lParam);
}

TEST_F(WindowSkinningTest, EventsTheChainRefusesAreNotActedOn) {
    // Installed first, it is called after the engine's hook passes on.
    g_refusingHook = ::SetWindowsHookExW(WH_CBT, RefusingHook, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(g_refusingHook, nullptr);
    StartManager(TacSkinningRules::All(), true);
    Dialog d;
    g_refusedActivation = d.wnd;
    const LONG_PTR proc = ProcOf(d.edit);
    d.Activate();
    EXPECT_NE(::GetActiveWindow(), d.wnd);
    EXPECT_EQ(FindProvider(d.wnd), nullptr);
    EXPECT_EQ(ProcOf(d.edit), proc);
    HWND menu = ::CreateWindowExW(0, L"#32768", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(PopupMenuAdapterCount(), 0);
    EXPECT_EQ(TacWindowAdapter::LiveCount(), 0);
    ::UnhookWindowsHookEx(g_refusingHook);
    g_refusedActivation = nullptr;
}

// ---- framework forms -------------------------------------------------------------------------

struct Form {
    ui::owned<ui::TForm> form;
    ui::TPanel *adapted, *vetoed, *tagged;

    Form() : form(ui::Make<ui::TForm>(static_cast<ui::TComponent*>(nullptr))) {
        form->SetBounds(80, 80, 320, 200);
        form->SetCaption(L"Velmora remote");
        adapted = Panel("Adapted", 10);
        vetoed = Panel("Vetoed", 60);
        tagged = Panel("Tagged", 110);
        tagged->SetTag(kNoSkinTag);
    }
    ui::TPanel* Panel(const char* name, int top) {
        auto* p = ui::Make<ui::TPanel>(form.get());
        p->SetName(name);
        p->SetBounds(10, top, 120, 40);
        p->SetParent(form.get());
        return p;
    }
    HWND Activate() {
        HWND wnd = form->Handle();
        ::SetActiveWindow(wnd);
        return wnd;
    }
};

TEST_F(WindowSkinningTest, AFrameworkFormGetsItsFrameAndItsForeignControlsSkinned) {
    StartManager(kBandRules, false);
    SetDefaultSkinItemHandler([](ui::TControl* c, bool& allow) { allow = c->Name() != "Vetoed"; });
    Form f;
    const ui::TColor color = f.form->Color();
    HWND wnd = f.Activate();
    TacProvider* p = FindProvider(wnd);
    ASSERT_NE(p, nullptr);
    ASSERT_NE(p->FormProvider(), nullptr);
    EXPECT_NE(::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_GET_PROVIDER), 0), 0);
    ASSERT_NE(FindAdapter(f.adapted->Handle()), nullptr);
    EXPECT_EQ(FindAdapter(f.adapted->Handle())->Kind(), AdapterKind::ThirdParty);
    EXPECT_EQ(FindAdapter(f.vetoed->Handle()), nullptr);
    EXPECT_EQ(FindAdapter(f.tagged->Handle()), nullptr);

    // The frame as the form prints it: the title bar from TITLEBAR's grey
    // gradient, the client in FORM's colour.
    RECT wr;
    ::GetWindowRect(wnd, &wr);
    POINT origin{0, 0};
    ::ClientToScreen(wnd, &origin);
    auto shot = paint::CreateBitmap24(wr.right - wr.left, wr.bottom - wr.top);
    ::SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(shot->Dc()), PRF_NONCLIENT | PRF_CLIENT);
    ::GdiFlush();
    SaveArtefact(*shot, "form_skinned.png");
    const int dx = origin.x - wr.left, dy = origin.y - wr.top;
    const COLORREF title = PixelAt(*shot, (wr.right - wr.left) / 2, dy - 4);
    EXPECT_TRUE(GetRValue(title) == GetGValue(title) && GetGValue(title) == GetBValue(title)) << std::hex << title;
    EXPECT_GE(GetRValue(title), 0x21);
    EXPECT_LE(GetRValue(title), 0x3B);
    EXPECT_EQ(PixelAt(*shot, dx + 250, dy + 150), kDialogColor);

    manager_->SetActive(false);
    EXPECT_EQ(f.form->Color(), color);
    EXPECT_EQ(ProcOf(wnd), ProcOf(f.vetoed->Handle()));  // the framework's own procedure again
}

TEST_F(WindowSkinningTest, AControlAddedToASkinnedFormIsAdaptedWhenItTellsTheForm) {
    StartManager(kBandRules, false);
    Form f, other;
    HWND wnd = f.Activate();
    ASSERT_NE(FindProvider(wnd), nullptr);
    ui::TPanel* late = f.Panel("Late", 150);
    EXPECT_EQ(FindAdapter(late->Handle()), nullptr);
    NotifyParentForm(late);
    ASSERT_NE(FindAdapter(late->Handle()), nullptr);
    // A control of another form named by the message is not followed.
    ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_CONTROL_CHANGED), reinterpret_cast<LPARAM>(other.adapted));
    EXPECT_EQ(FindAdapter(other.adapted->Handle()), nullptr);
}

TEST_F(WindowSkinningTest, AFailureInsideTheHookLeavesTheFormPlainAndWorking) {
    StartManager(kBandRules, false);
    SetDefaultSkinItemHandler([](ui::TControl*, bool&) { throw std::runtime_error("handler failed"); });
    Form f;
    const LONG_PTR proc = ProcOf(f.form->Handle());
    HWND wnd = nullptr;
    EXPECT_NO_THROW(wnd = f.Activate());
    EXPECT_EQ(ProviderCount(), 0);
    EXPECT_EQ(ProcOf(wnd), proc);
    EXPECT_EQ(TacWindowAdapter::LiveCount(), 0);
    EXPECT_EQ(::GetActiveWindow(), wnd);
}

TEST_F(WindowSkinningTest, PopupMenusAreSkinnedWhenThePrimaryManagerSkinsPopups) {
    StartManager(kBandRules, true);
    HWND owner = PlainWindow();
    const MenuSeen seen = OpenMenu(owner, true);
    ::DestroyWindow(owner);
    ASSERT_NE(seen.wnd, nullptr);
    EXPECT_TRUE(seen.adapted);
    EXPECT_TRUE(seen.answers);
    EXPECT_EQ(seen.adapters, 1);
    EXPECT_EQ(PopupMenuAdapterCount(), 0);  // gone with the menu
    ASSERT_TRUE(seen.shot && !seen.shot->Empty());
    SaveArtefact(*seen.shot, "popup_menu_skinned.png");
    const auto& shot = *seen.shot;
    EXPECT_EQ(PixelAt(shot, shot.Width() - 6, shot.Height() - 4), kDialogColor);
    // The first item, highlighted by the system, shows the skin's hot grey
    // instead of the system's highlight.
    const COLORREF hot = PixelAt(shot, shot.Width() - 8, 10);
    EXPECT_TRUE(GetRValue(hot) == GetGValue(hot) && GetGValue(hot) == GetBValue(hot)) << std::hex << hot;
    EXPECT_GT(GetRValue(hot), 0x3B) << std::hex << hot;
}

}  // namespace
}  // namespace velmap::skin

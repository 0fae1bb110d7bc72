// The band DLL as the shell meets it: registered, created through COM by its
// class identifier, sited in a strip window by the host side of bandhost,
// clicked with the real mouse, and its clicks heard by the stand-in player in
// another process.
#include "band/band_clsid.h"
#include "com/guid.h"
#include "band_harness.h"
#include "player_process.h"
#include "test_registry.h"

#include <shlguid.h>

#include <cstring>
#include <map>
#include <vector>

namespace velmap::test {
namespace {

using Microsoft::WRL::ComPtr;
using tools::BandButton;
using tools::BandHost;
using tools::BandSite;
using tools::CallLog;
using tools::CountGdiObjects;
using tools::CountProcessWindows;
using tools::PrivateBytes;
using tools::PumpMessages;
using tools::StripOrientation;

const std::wstring kDll = WindowsPath(VELMAP_BAND_DLL);
const std::wstring kClsid = com::GuidToString(band::CLSID_VelmapBand);
const std::wstring kClassKey = L"CLSID\\" + kClsid;
constexpr wchar_t kToolbarKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr wchar_t kCategoryCache[] = L"Component Categories\\{00021492-0000-0000-C000-000000000046}\\Enum";

std::wstring Sz(const std::wstring& text) { return L"1:" + text + L'\0'; }

std::map<std::wstring, std::wstring> RegistryState(const std::wstring& class_key, const std::wstring& clsid) {
    std::map<std::wstring, std::wstring> state;
    DumpKey(HKEY_CLASSES_ROOT, class_key, state);
    if (auto v = ReadString(HKEY_LOCAL_MACHINE, kToolbarKey, clsid.c_str())) state[L"toolbar|" + clsid] = Sz(*v);
    return state;
}

class BandTest : public RegisteredBand {
protected:
    void TearDown() override { MovePointerAway(); }

    CallLog log;
};

// ---- registration -------------------------------------------------------------------

TEST_F(BandTest, RegistrationWritesExactlyTheBandsEntriesAndTwiceChangesNothing) {
    BandDll dll(kDll);
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(dll.module, path, MAX_PATH);
    ASSERT_EQ(S_OK, dll.Register());
    const auto once = RegistryState(kClassKey, kClsid);
    const std::map<std::wstring, std::wstring> expected = {
        {kClassKey, L"(key)"},
        {kClassKey + L"|", Sz(L"&Velmora Player")},
        {kClassKey + L"\\Implemented Categories", L"(key)"},
        {kClassKey + L"\\Implemented Categories\\{00021492-0000-0000-C000-000000000046}", L"(key)"},
        {kClassKey + L"\\InprocServer32", L"(key)"},
        {kClassKey + L"\\InprocServer32|", Sz(path)},
        {kClassKey + L"\\InprocServer32|ThreadingModel", Sz(L"Apartment")},
        {L"toolbar|" + kClsid, Sz(L"")},
    };
    EXPECT_EQ(expected, once);
    ASSERT_EQ(S_OK, dll.Register());
    EXPECT_EQ(once, RegistryState(kClassKey, kClsid));
}

TEST_F(BandTest, UnregistrationRemovesOurEntriesOnlyAndTheCategoryCache) {
    // Another band, registered the same way.
    const std::wstring other = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
    const std::wstring other_key = L"CLSID\\" + other;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT,
                                               (other_key + L"\\Implemented Categories\\"
                                                            L"{00021492-0000-0000-C000-000000000046}")
                                                   .c_str(),
                                               0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ::RegCloseKey(key);
    ::RegSetKeyValueW(HKEY_CLASSES_ROOT, (other_key + L"\\InprocServer32").c_str(), nullptr, REG_SZ, L"o.dll", 12);
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kToolbarKey, other.c_str(), REG_SZ, L"", 2);
    ::RegCreateKeyExW(HKEY_CLASSES_ROOT, kCategoryCache, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegCloseKey(key);
    const auto others_before = RegistryState(other_key, other);

    BandDll dll(kDll);
    ASSERT_EQ(S_OK, dll.Register());
    ASSERT_EQ(S_OK, dll.Unregister());
    EXPECT_TRUE(RegistryState(kClassKey, kClsid).empty());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kCategoryCache));
    EXPECT_EQ(others_before, RegistryState(other_key, other));
    EXPECT_EQ(S_OK, dll.Unregister()) << "nothing left to remove is no failure";

    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, other_key.c_str());
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kToolbarKey, other.c_str());
    ASSERT_EQ(S_OK, dll.Register());
}

// The user's cached members of the desk-band category, in both registry
// views: registering and unregistering each drop the category's Enum key and
// nothing beside it.
TEST_F(BandTest, RegisteringEitherWayDropsTheUsersCachedCategoryMembersOnly) {
    const std::wstring base = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Discardable\\PostSetup\\";
    const std::wstring desk_bands = L"\\{00021492-0000-0000-C000-000000000046}";
    const std::wstring other = L"\\{00021493-0000-0000-C000-000000000046}";
    const auto exists = [](const std::wstring& path, REGSAM view) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
        ::RegCloseKey(key);
        return true;
    };
    BandDll dll(kDll);
    for (const bool do_register : {true, false}) {
        for (const wchar_t* cache : {L"Component Categories", L"Component Categories64"}) {
            for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
                for (const std::wstring& category : {desk_bands, other}) {
                    HKEY key = nullptr;
                    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER,
                                                               (base + cache + category + L"\\Enum").c_str(), 0,
                                                               nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr));
                    const DWORD member = 1;
                    ::RegSetValueExW(key, L"Implementing", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&member),
                                     sizeof member);
                    ::RegCloseKey(key);
                }
            }
        }
        ASSERT_EQ(S_OK, do_register ? dll.Register() : dll.Unregister());
        for (const wchar_t* cache : {L"Component Categories", L"Component Categories64"}) {
            for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
                SCOPED_TRACE(testing::Message() << (do_register ? "register " : "unregister ") << cache << " view "
                                                << view);
                EXPECT_FALSE(exists(base + cache + desk_bands + L"\\Enum", view));
                EXPECT_TRUE(exists(base + cache + desk_bands, view));
                EXPECT_TRUE(exists(base + cache + other + L"\\Enum", view));
            }
        }
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (base + L"Component Categories").c_str());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (base + L"Component Categories64").c_str());
    ASSERT_EQ(S_OK, dll.Register());
}

TEST_F(BandTest, AModulePathWithABlankIsRegisteredShortAndServesBands) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"velmap band test";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\Velmap Band.dll";
    ASSERT_TRUE(::CopyFileW(kDll.c_str(), copy.c_str(), FALSE));
    {
        BandDll dll(copy);
        ASSERT_EQ(S_OK, dll.Register());
        const auto registered = ReadString(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", nullptr);
        ASSERT_TRUE(registered.has_value());
        EXPECT_EQ(std::wstring::npos, registered->find(L' ')) << *registered;
        BandHost host(log, StripOrientation::Horizontal);
        EXPECT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
        EXPECT_EQ(S_OK, host.Show());
        EXPECT_EQ(S_OK, host.Close());
    }
    ::CoFreeUnusedLibraries();
    BandDll dll(kDll);
    ASSERT_EQ(S_OK, dll.Register());
    ::DeleteFileW(copy.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// ---- the band object ----------------------------------------------------------------

TEST_F(BandTest, AnswersExactlyItsInterfaces) {
    ComPtr<IUnknown> band;
    ASSERT_EQ(S_OK, ::CoCreateInstance(band::CLSID_VelmapBand, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&band)));
    for (const IID* iid : {&IID_IInputObject, &IID_IContextMenu, &IID_IObjectWithSite, &IID_IPersistStreamInit,
                           &IID_IPersistStream, &IID_IPersist, &IID_IDeskBand, &IID_ISupportErrorInfo,
                           &IID_IUnknown}) {
        ComPtr<IUnknown> itf;
        EXPECT_EQ(S_OK, band->QueryInterface(*iid, &itf)) << tools::GuidText(*iid);
        EXPECT_NE(nullptr, itf.Get());
    }
    // IPersistStream answers as IPersistStreamInit does, slot for slot.
    ComPtr<IPersistStream> stream;
    ASSERT_EQ(S_OK, band.As(&stream));
    CLSID clsid{};
    EXPECT_EQ(S_OK, stream->GetClassID(&clsid));
    EXPECT_TRUE(::IsEqualCLSID(band::CLSID_VelmapBand, clsid));
    EXPECT_EQ(S_FALSE, stream->IsDirty());
    EXPECT_EQ(S_OK, stream->Load(nullptr));
    EXPECT_EQ(S_OK, stream->Save(nullptr, TRUE));
    ULARGE_INTEGER size;
    EXPECT_EQ(E_NOTIMPL, stream->GetSizeMax(&size));
    for (const IID* iid : {&IID_IOleWindow, &IID_IDockingWindow, &IID_IDispatch,
                           &IID_IInputObjectSite, &IID_IDeskBand2, &IID_IOleCommandTarget}) {
        void* itf = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, band->QueryInterface(*iid, &itf)) << tools::GuidText(*iid);
        EXPECT_EQ(nullptr, itf);
    }
    EXPECT_EQ(E_POINTER, band->QueryInterface(IID_IDeskBand, nullptr));
}

TEST_F(BandTest, GetBandInfoFillsTheRequestedMembersOnly) {
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    DESKBANDINFO info;
    std::memset(&info, 0x5A, sizeof info);
    ASSERT_EQ(S_OK, host.QueryBandInfo(DBIM_MINSIZE | DBIM_ACTUAL, info));
    EXPECT_EQ(160, info.ptMinSize.x) << "before the window exists: the design size";
    EXPECT_EQ(25, info.ptActual.y);

    ASSERT_EQ(S_OK, host.Show());
    const DESKBANDINFO untouched = [] {
        DESKBANDINFO i;
        std::memset(&i, 0x5A, sizeof i);
        return i;
    }();
    struct Case {
        DWORD mask;
        DWORD mask_after;
    };
    for (const Case c : {Case{0x7F, 0x3F}, Case{DBIM_MINSIZE, DBIM_MINSIZE}, Case{DBIM_MAXSIZE, DBIM_MAXSIZE},
                         Case{DBIM_INTEGRAL, DBIM_INTEGRAL}, Case{DBIM_ACTUAL, DBIM_ACTUAL},
                         Case{DBIM_TITLE, DBIM_TITLE}, Case{DBIM_MODEFLAGS, DBIM_MODEFLAGS}, Case{DBIM_BKCOLOR, 0}}) {
        info = untouched;
        ASSERT_EQ(S_OK, host.QueryBandInfo(c.mask, info));
        EXPECT_EQ(c.mask_after, info.dwMask);
        const auto check = [&](DWORD bit, const POINTL& got, POINTL want, const POINTL& was) {
            if (c.mask & bit)
                EXPECT_TRUE(got.x == want.x && got.y == want.y) << "mask " << c.mask;
            else
                EXPECT_EQ(0, std::memcmp(&got, &was, sizeof got)) << "mask " << c.mask << " wrote bit " << bit;
        };
        check(DBIM_MINSIZE, info.ptMinSize, {160, 25}, untouched.ptMinSize);
        check(DBIM_MAXSIZE, info.ptMaxSize, {25, 160}, untouched.ptMaxSize);
        check(DBIM_INTEGRAL, info.ptIntegral, {1, 1}, untouched.ptIntegral);
        check(DBIM_ACTUAL, info.ptActual, {160, 25}, untouched.ptActual);
        EXPECT_EQ(0, std::memcmp(info.wszTitle, untouched.wszTitle, sizeof info.wszTitle));
        EXPECT_EQ(0, std::memcmp(&info.crBkgnd, &untouched.crBkgnd, sizeof info.crBkgnd));
        if (c.mask & DBIM_MODEFLAGS)
            EXPECT_EQ(0u, info.dwModeFlags);
        else
            EXPECT_EQ(untouched.dwModeFlags, info.dwModeFlags);
    }
    EXPECT_EQ(E_INVALIDARG, host.Band()->GetBandInfo(0, 0, nullptr));

    // The vertical mode lays the form out as a column on the spot and
    // answers along the bar in x, across it in y: the same figures. Every
    // other mode gives the row back.
    for (const DWORD mode : {DBIF_VIEWMODE_VERTICAL, DBIF_VIEWMODE_FLOATING, DBIF_VIEWMODE_VERTICAL,
                             DBIF_VIEWMODE_TRANSPARENT, DBIF_VIEWMODE_VERTICAL, DBIF_VIEWMODE_NORMAL}) {
        info = untouched;
        info.dwMask = 0x7F;
        ASSERT_EQ(S_OK, host.Band()->GetBandInfo(0, mode, &info));
        EXPECT_TRUE(info.ptMinSize.x == 160 && info.ptMinSize.y == 25) << mode;
        EXPECT_TRUE(info.ptMaxSize.x == 25 && info.ptMaxSize.y == 160) << mode;
        EXPECT_TRUE(info.ptActual.x == 160 && info.ptActual.y == 25) << mode;
        RECT client;
        ::GetClientRect(host.BandWindow(), &client);
        const SIZE laid_out = mode == DBIF_VIEWMODE_VERTICAL ? SIZE{25, 160} : SIZE{160, 25};
        EXPECT_EQ(laid_out.cx, client.right) << mode;
        EXPECT_EQ(laid_out.cy, client.bottom) << mode;
    }
}

TEST_F(BandTest, FocusKeysMenuAndPersistenceAnswerAsSpecified) {
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    IDeskBand* band = host.Band();
    ComPtr<IInputObject> input;
    ASSERT_EQ(S_OK, band->QueryInterface(IID_PPV_ARGS(&input)));
    BandSite& site = host.Site();

    const int before = site.FocusChanges();
    EXPECT_EQ(S_OK, band->ShowDW(FALSE));
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    EXPECT_EQ(FALSE, site.LastFocus());
    EXPECT_EQ(S_OK, band->ShowDW(TRUE));
    EXPECT_EQ(S_OK, input->HasFocusIO());
    EXPECT_EQ(-1, site.LastFocus()) << "true is passed with all bits set";
    EXPECT_EQ(before + 2, site.FocusChanges());
    ComPtr<IUnknown> identity;
    band->QueryInterface(IID_PPV_ARGS(&identity));
    EXPECT_EQ(identity.Get(), site.LastFocusObject());

    EXPECT_EQ(S_OK, input->UIActivateIO(FALSE, nullptr));
    EXPECT_EQ(S_FALSE, input->HasFocusIO());
    EXPECT_EQ(S_OK, input->UIActivateIO(TRUE, nullptr));
    EXPECT_EQ(S_OK, input->HasFocusIO());
    EXPECT_EQ(host.BandWindow(), ::GetFocus());
    EXPECT_EQ(before + 2, site.FocusChanges()) << "UIActivateIO notifies nobody";

    for (UINT message : {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_NULL}) {
        MSG tab{host.BandWindow(), message, VK_TAB, 0, 0, {}};
        EXPECT_EQ(S_FALSE, input->TranslateAcceleratorIO(&tab)) << message;
    }
    MSG other{host.BandWindow(), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(S_OK, input->TranslateAcceleratorIO(&other));
    EXPECT_EQ(E_POINTER, input->TranslateAcceleratorIO(nullptr));

    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, band->QueryInterface(IID_PPV_ARGS(&menu)));
    HMENU popup = ::CreatePopupMenu();
    EXPECT_EQ(S_OK, menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL));
    EXPECT_EQ(0, ::GetMenuItemCount(popup));
    ::DestroyMenu(popup);
    for (LPCSTR verb : {static_cast<LPCSTR>(MAKEINTRESOURCEA(0)), static_cast<LPCSTR>(MAKEINTRESOURCEA(1)), "open"}) {
        CMINVOKECOMMANDINFO invoke{sizeof invoke, 0, nullptr, verb, nullptr, nullptr, SW_SHOWNORMAL, 0, nullptr};
        EXPECT_EQ(E_FAIL, menu->InvokeCommand(&invoke));
    }

    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, band->QueryInterface(IID_PPV_ARGS(&persist)));
    CLSID clsid{};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(::IsEqualCLSID(band::CLSID_VelmapBand, clsid));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    EXPECT_EQ(S_OK, persist->Load(nullptr));
    EXPECT_EQ(S_OK, persist->Save(nullptr, TRUE));
    ULARGE_INTEGER size;
    EXPECT_EQ(E_NOTIMPL, persist->GetSizeMax(&size));
    EXPECT_EQ(E_NOTIMPL, persist->InitNew());
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    EXPECT_EQ(E_NOTIMPL, band->ContextSensitiveHelp(TRUE));
    EXPECT_EQ(E_NOTIMPL, band->ResizeBorderDW(nullptr, nullptr, FALSE));
}

TEST_F(BandTest, WithoutASiteWindowNoWindowIsMadeAndTheSiteIsReleasedOnSetSiteNull) {
    ComPtr<IDeskBand> band;
    ASSERT_EQ(S_OK, ::CoCreateInstance(band::CLSID_VelmapBand, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&band)));
    ComPtr<IObjectWithSite> with_site;
    ASSERT_EQ(S_OK, band.As(&with_site));
    HWND wnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_POINTER, band->GetWindow(nullptr));
    const int windows = CountProcessWindows();
    EXPECT_EQ(E_FAIL, band->GetWindow(&wnd)) << "no site at all";
    EXPECT_EQ(nullptr, wnd);

    auto* site = new BandSite(nullptr, log);
    ASSERT_EQ(S_OK, with_site->SetSite(static_cast<IOleWindow*>(site)));
    EXPECT_GT(site->RefCount(), 1);
    EXPECT_EQ(E_FAIL, band->GetWindow(&wnd)) << "a site without a window";
    EXPECT_EQ(windows, CountProcessWindows());
    EXPECT_EQ(S_OK, with_site->SetSite(nullptr));
    EXPECT_EQ(1, site->RefCount()) << "SetSite(NULL) keeps references to the old site";
    site->Release();

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_FAIL, with_site->GetSite(IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, with_site->GetSite(IID_IUnknown, nullptr));
}

// ---- the band's window ----------------------------------------------------------------

TEST_F(BandTest, OneClickGivesOneFocusNotificationAndCloseDWGivesNone) {
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    PumpMessages(100);
    BandSite& site = host.Site();

    // The panel between the transport and the volume buttons.
    const auto gap = [&] {
        POINT p{::MulDiv(104, 1, 1), 12};
        ::ClientToScreen(host.BandWindow(), &p);
        return p;
    };
    int before = site.FocusChanges();
    ClickAt(gap());
    EXPECT_EQ(before + 1, site.FocusChanges());
    EXPECT_EQ(-1, site.LastFocus());

    before = site.FocusChanges();
    ASSERT_EQ(S_OK, host.Band()->CloseDW(0));
    PumpMessages(50);
    EXPECT_EQ(before, site.FocusChanges()) << "the closing form reported focus";

    HWND again = nullptr;
    ASSERT_EQ(S_OK, host.Band()->GetWindow(&again));
    ASSERT_TRUE(::IsWindow(again));
    ::SetWindowPos(again, nullptr, tools::kStripMargin, tools::kStripMargin, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    HWND same = nullptr;
    ASSERT_EQ(S_OK, host.Band()->GetWindow(&same));
    EXPECT_EQ(again, same);
    PumpMessages(100);
    before = site.FocusChanges();
    POINT p{104, 12};
    ::ClientToScreen(again, &p);
    ClickAt(p);
    EXPECT_EQ(before + 1, site.FocusChanges()) << "the new form is hooked more than once, or not at all";
}

TEST_F(BandTest, ABandReleasedWithoutCloseDWTakesItsWindowAlongAndTheModuleUnloadsSafely) {
    HWND strip = ::CreateWindowExW(0, L"STATIC", L"strip", WS_POPUP | WS_VISIBLE, 0, 0, 300, 40, nullptr, nullptr,
                                   nullptr, nullptr);
    HWND wnd = nullptr;
    {
        ComPtr<IDeskBand> band;
        ASSERT_EQ(S_OK, ::CoCreateInstance(band::CLSID_VelmapBand, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&band)));
        ComPtr<IObjectWithSite> with_site;
        ASSERT_EQ(S_OK, band.As(&with_site));
        auto* site = new BandSite(strip, log);
        ASSERT_EQ(S_OK, with_site->SetSite(static_cast<IOleWindow*>(site)));
        site->Release();
        ASSERT_EQ(S_OK, band->GetWindow(&wnd));
        ASSERT_EQ(S_OK, band->ShowDW(TRUE));
        PumpMessages(50);
        ASSERT_EQ(S_OK, with_site->SetSite(nullptr));
    }  // the last reference goes here, the form still open
    EXPECT_FALSE(::IsWindow(wnd));
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"VelmapBand.dll")) << "an object is still counted";
    PumpMessages(200);  // a timer or window left behind would now call unloaded code
    ::DestroyWindow(strip);

    // Loaded again, the module makes its windows anew.
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    EXPECT_EQ(S_OK, host.Show());
    EXPECT_EQ(S_OK, host.Close());
}

TEST_F(BandTest, RealClicksReachThePlayerInOrder) {
    tools::PlayerProcess player;
    ASSERT_TRUE(player.Start(VELMAP_PLAYER_EXE, std::string(VELMAP_TEST_BINARY_DIR) + "/e2e-band-player.log", 60000));
    ASSERT_NE(nullptr, player.WaitForWindow(20000));
    const std::vector<std::string> expected = {"Ctrl+Alt+Z", "Ctrl+Alt+X", "Ctrl+Alt+C", "Ctrl+Alt+V",
                                               "Ctrl+Alt+B", "Ctrl+Alt+A", "Ctrl+Alt+Q"};
    std::vector<std::string> all;
    // Along the bottom, and in a strip 62 pixels thick at the left edge.
    for (const StripOrientation orientation : {StripOrientation::Horizontal, StripOrientation::Vertical}) {
        SCOPED_TRACE(orientation == StripOrientation::Vertical ? "vertical" : "horizontal");
        BandHost host(log, orientation);
        ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
        ASSERT_EQ(S_OK, host.Show());  // the form looks the player up as it is made
        PumpMessages(100);
        RECT client;
        ::GetClientRect(host.BandWindow(), &client);
        if (orientation == StripOrientation::Vertical) {
            EXPECT_EQ(BandHost::StripThickness(), client.right);
            EXPECT_EQ(160, client.bottom);
        }
        for (BandButton b : tools::kBandButtons) {
            const RECT r = tools::ButtonRect(host.BandWindow(), b);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                << tools::ButtonName(b);
        }
        for (BandButton b : {BandButton::Prev, BandButton::PlayPause, BandButton::PlayPause, BandButton::Stop,
                             BandButton::Next, BandButton::VolDown, BandButton::VolUp}) {
            ClickAt(tools::ButtonCenterOnScreen(host.BandWindow(), b));
            PumpMessages(550);  // two clicks on one spot stay two clicks
        }
        all.insert(all.end(), expected.begin(), expected.end());
        EXPECT_EQ(player.WaitForLines(all.size(), 10000), all);
        MovePointerAway();
    }
    EXPECT_EQ(0, player.Stop());
}

// The player exits and another program takes the same shortcuts under
// another class and title: a click sends it nothing. The player starts again:
// the very next click reaches it, from the same band form, with the letter of
// play/pause that was due.
TEST_F(BandTest, APlayerThatExitsAndComesBackIsFollowedWithoutANewForm) {
    using Lines = std::vector<std::string>;
    const std::string dir = VELMAP_TEST_BINARY_DIR;
    tools::PlayerProcess player;
    ASSERT_TRUE(player.Start(VELMAP_PLAYER_EXE, dir + "/e2e-restart-player.log", 60000));
    ASSERT_NE(nullptr, player.WaitForWindow(20000));
    BandHost host(log, StripOrientation::Horizontal);
    ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
    ASSERT_EQ(S_OK, host.Show());
    PumpMessages(100);
    const auto click = [&](BandButton b) {
        ClickAt(tools::ButtonCenterOnScreen(host.BandWindow(), b));
        PumpMessages(550);  // two clicks on one spot stay two clicks
    };
    click(BandButton::Next);
    EXPECT_EQ(player.WaitForLines(1, 10000), Lines{"Ctrl+Alt+B"});
    ASSERT_EQ(0, player.Stop());

    tools::PlayerProcess impostor;
    ASSERT_TRUE(impostor.Start(VELMAP_PLAYER_EXE, dir + "/e2e-restart-impostor.log", 60000, "velmora impostor",
                               "Tvelmoraimpostor"));
    ASSERT_NE(nullptr, impostor.WaitForWindow(20000));
    click(BandButton::Stop);
    click(BandButton::PlayPause);
    // The impostor does hear a shortcut that is really sent: had the band
    // sent one, it would come first.
    for (auto [vk, flags] : {std::pair<BYTE, DWORD>{VK_CONTROL, 0}, {VK_MENU, 0}, {'Q', 0}, {'Q', KEYEVENTF_KEYUP},
                             {VK_MENU, KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}})
        ::keybd_event(vk, static_cast<BYTE>(::MapVirtualKeyA(vk, 0)), flags, 0);
    EXPECT_EQ(impostor.WaitForLines(1, 10000), Lines{"Ctrl+Alt+Q"});
    ASSERT_EQ(0, impostor.Stop());

    tools::PlayerProcess again;
    ASSERT_TRUE(again.Start(VELMAP_PLAYER_EXE, dir + "/e2e-restart-again.log", 60000));
    ASSERT_NE(nullptr, again.WaitForWindow(20000));
    click(BandButton::PlayPause);
    EXPECT_EQ(again.WaitForLines(1, 10000), Lines{"Ctrl+Alt+X"});
    EXPECT_EQ(0, again.Stop());
}

TEST_F(BandTest, RepeatedCyclesReturnWindowsObjectsAndMemoryToTheirBaseline) {
    const auto cycle = [&] {
        BandHost host(log, StripOrientation::Horizontal);
        ASSERT_EQ(S_OK, host.Create(band::CLSID_VelmapBand));
        ASSERT_EQ(S_OK, host.Show());
        PumpMessages(0);
        ASSERT_EQ(S_OK, host.Close());
        log.Clear();
    };
    // The counter must see what it is meant to count.
    const int gdi_probe = CountGdiObjects();
    HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(gdi_probe + 1, CountGdiObjects());
    ::DeleteObject(brush);

    for (int i = 0; i < 20; ++i) cycle();  // caches and heaps settle
    ComPtr<IClassFactory> keep_loaded;
    ASSERT_EQ(S_OK,
              ::CoGetClassObject(band::CLSID_VelmapBand, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&keep_loaded)));
    cycle();
    const int windows = CountProcessWindows(), gdi = CountGdiObjects();
    const SIZE_T bytes = PrivateBytes();
    for (int i = 0; i < VELMAP_BAND_CYCLES; ++i) cycle();
    EXPECT_EQ(windows, CountProcessWindows());
    EXPECT_EQ(gdi, CountGdiObjects());
    EXPECT_LT(PrivateBytes(), bytes + 1024 * 1024) << "grew by " << (PrivateBytes() - bytes) << " bytes";
    keep_loaded.Reset();
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"VelmapBand.dll")) << "DllCanUnloadNow refused";
}

}  // namespace
}  // namespace velmap::test

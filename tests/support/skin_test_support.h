// Shared by the skin manager and skin state tests: skins packed in memory,
// probe controls that log the skin messages they get, and a host window for
// forms built from stored descriptions.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "archive_builder.h"
#include "win/strings.h"
#include "skin/controls/common_data.h"
#include "skin/messages/message_routines.h"
#include "skin/messages/skin_messages.h"
#include "skin/manager/skin_directory.h"
#include "skin/manager/skin_manager.h"
#include "skin/data/skin_warning.h"
#include "ui/form.h"
#include "ui/graphic_control.h"
#include "ui/panel.h"

namespace velmap::skin::test {

using velmap::test::Bytes;

// A packed skin holding only its options.
inline Bytes PackSkin(const std::string& options) {
    return velmap::test::BuildArchive({{"Options.dat", velmap::test::ToBytes(options)}});
}

// Options of a small skin; `version` tells loads apart through SkinInfo.
inline std::string SkinOptions(const std::string& version, const std::string& extra = {}) {
    return "[GLOBALINFO]\r\nVERSION=" + version +
           "\r\nAUTHOR=tests\r\n"
           "[PANEL]\r\nCOLOR=3881787\r\nHOTCOLOR=3881787\r\nFONTCOLOR=12632256\r\n"
           "[SPEEDBUTTON]\r\nTRANSPARENCY=100\r\nFADINGENABLED=TRUE\r\n"
           "[HALF]\r\nTRANSPARENCY=50\r\nCOLOR=0\r\n"
           "[GRADIENT]\r\nGRADIENTPERCENT=100\r\nGRADIENTDATA=0;0;100;0;0\r\n" +
           extra;
}

inline TsStoredSkin StoredSkin(const std::string& name, const std::string& options) {
    TsStoredSkin s;
    s.Name = name;
    s.Data = PackSkin(options);
    return s;
}

// What the probes saw, in order: "<name>:<sub-command>" for skin messages,
// and whatever markers a test adds.
inline std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

inline std::vector<std::string> LogOf(const std::string& who, std::initializer_list<int> codes) {
    std::vector<std::string> out;
    for (const auto& e : Log()) {
        if (e.rfind(who + ":", 0) != 0) {
            if (e.find(':') == std::string::npos) out.push_back(e);  // markers
            continue;
        }
        int code = std::stoi(e.substr(who.size() + 1));
        if (std::find(codes.begin(), codes.end(), code) != codes.end()) out.push_back(e);
    }
    return out;
}

template <typename Base>
class Probe : public Base, public TsSkinnedControl {
public:
    Probe(ui::TComponent* owner, int kind) : Base(owner), sd_(this, true) { sd_.ControlKind = kind; }
    TsCommonData& SkinData() override { return sd_; }
    void AfterConstruction() override {
        Base::AfterConstruction();
        sd_.AfterOwnerLoaded();
    }
    void Loaded() override {
        Base::Loaded();
        sd_.AfterOwnerLoaded();
    }
    int Received(SkinCommand code) const { return static_cast<int>(std::count(codes_.begin(), codes_.end(), code)); }
    void ClearReceived() { codes_.clear(); }

protected:
    void WndProc(ui::TMessage& m) override {
        if (m.Msg == SM_SKINCMD) {
            codes_.push_back(SkinCommandOf(m.WParam));
            Log().push_back(this->Name() + ":" + std::to_string(SkinCommandOf(m.WParam)));
        }
        if (SkinMessageHandler(m, &sd_)) return;
        Base::WndProc(m);
        // Like a skinned panel, pass skin changes on to the children.
        if constexpr (std::is_base_of_v<ui::TWinControl, Base>) {
            if (m.Msg == SM_SKINCMD) {
                auto code = SkinCommandOf(m.WParam);
                if (code == SMC_SKIN_LOADED || code == SMC_SKIN_REMOVED || code == SMC_SKIN_REFRESH)
                    BroadcastToChildren(this, m.Msg, m.WParam, m.LParam);
            }
        }
    }

    TsCommonData sd_;
    std::vector<int> codes_;
};

class ProbePanel : public Probe<ui::TWinControl> {
public:
    explicit ProbePanel(ui::TComponent* owner) : Probe(owner, ControlKindPanel) {}
    std::string ClassName() const override { return "TProbePanel"; }
    const ui::TPropTable& Props() const override { return ClassProps(); }
    static const ui::TPropTable& ClassProps() {
        static const ui::TPropInfo infos[] = {
            {"SkinData", nullptr,
             [](ui::TPersistent& o) -> ui::TPersistent* { return &static_cast<ProbePanel&>(o).SkinData(); }},
        };
        static const ui::TPropTable table{&ui::TWinControl::ClassProps(), infos};
        return table;
    }
};

class ProbeButton : public Probe<ui::TGraphicControl> {
public:
    explicit ProbeButton(ui::TComponent* owner) : Probe(owner, ControlKindSpeedButton) {}
    std::string ClassName() const override { return "TProbeButton"; }
    const ui::TPropTable& Props() const override { return ClassProps(); }
    static const ui::TPropTable& ClassProps() {
        static const ui::TPropInfo infos[] = {
            {"SkinData", nullptr,
             [](ui::TPersistent& o) -> ui::TPersistent* { return &static_cast<ProbeButton&>(o).SkinData(); }},
        };
        static const ui::TPropTable table{&ui::TControl::ClassProps(), infos};
        return table;
    }
};

inline void RegisterTestClasses() {
    ui::RegisterStandardClasses();
    ui::RegisterClass<ProbePanel>("TProbePanel");
    ui::RegisterClass<ProbeButton>("TProbeButton");
    RegisterSkinManagerClass();
}

// A plain top-level window to hold forms, as the taskbar holds the band.
// It stays hidden: nothing here is looked at, and mapping windows on the
// virtual display only costs time.
class HostWindow {
public:
    HostWindow() {
        static const wchar_t* cls = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VelmapSkinTestHost";
            ::RegisterClassW(&wc);
            return L"VelmapSkinTestHost";
        }();
        wnd_ = ::CreateWindowExW(0, cls, L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 200, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~HostWindow() { ::DestroyWindow(wnd_); }
    HWND get() const { return wnd_; }

private:
    HWND wnd_ = nullptr;
};

// Builds a form inside host from description text; binary values come from
// the given resources by name.
inline ui::owned<ui::TForm> MakeForm(HWND host, const std::string& text, std::map<std::string, Bytes> resources = {}) {
    RegisterTestClasses();
    ui::owned<ui::TForm> form(new ui::TForm(host));
    form->SetDescriptionText(text, [resources](const std::string& name) -> std::optional<std::vector<std::uint8_t>> {
        auto it = resources.find(name);
        if (it == resources.end()) return std::nullopt;
        return it->second;
    });
    form->AfterConstruction();
    return form;
}

// Warnings become test data instead of blocking message boxes.
class WarningCatcher {
public:
    WarningCatcher() {
        previous_ = SetSkinWarningHook([this](const std::string& text, const std::string&) { texts.push_back(text); });
    }
    ~WarningCatcher() { SetSkinWarningHook(previous_); }
    std::vector<std::string> texts;

private:
    SkinWarningHook previous_;
};

// A folder of its own below the system's temporary folder, removed afterwards.
// COM on this thread for one test: skin images decode through WIC.
struct ComApartment {
    ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { ::CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        wchar_t buf[MAX_PATH];
        ::GetTempPathW(MAX_PATH, buf);
        path_ = std::filesystem::path(buf) /
                (L"velmap-" + win::Utf8ToWide(tag) + L"-" + std::to_wstring(::GetCurrentProcessId()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string str() const { return win::WideToUtf8(path_.wstring()); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& p, const Bytes& data) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}
inline void WriteFile(const std::filesystem::path& p, const std::string& text) {
    WriteFile(p, velmap::test::ToBytes(text));
}

}  // namespace velmap::skin::test

// The form and helpers the framework tests share.
#pragma once

#include "ui/cool_bar.h"
#include "ui/form.h"
#include "ui/panel.h"
#include "ui/speed_button.h"
#include "ui/timer.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace velmap::ui::test {

// Nested string lists, as a skin manager's third-party lists are stored.
class TTestThird : public TPersistent {
public:
    std::vector<std::wstring> buttons, edits;
    void SetButtons(const std::vector<std::wstring>& v) { buttons = v; }
    void SetEdits(const std::vector<std::wstring>& v) { edits = v; }
    std::string ClassName() const override { return "TTestThird"; }
    const TPropTable& Props() const override {
        static const TPropInfo p[] = {props::Strings<&TTestThird::SetButtons>("Buttons"),
                                      props::Strings<&TTestThird::SetEdits>("Edits")};
        static const TPropTable t{&TPersistent::ClassProps(), p};
        return t;
    }
};

class TTestLists : public TComponent {
public:
    using TComponent::TComponent;
    TTestThird third;
    std::wstring title;
    TTestThird& Third() { return third; }
    void SetTitle(const std::wstring& v) { title = v; }
    std::string ClassName() const override { return "TTestLists"; }
    const TPropTable& Props() const override {
        static const TPropInfo p[] = {props::Object<&TTestLists::Third>("Third"),
                                      props::String<&TTestLists::SetTitle>("Title")};
        static const TPropTable t{&TComponent::ClassProps(), p};
        return t;
    }
};

inline void RegisterTestClasses() { RegisterClass<TTestLists>("TTestLists"); }

// The form under test: handlers and fields by name, as a real form offers them.
class TTestForm : public TCustomForm {
public:
    TCoolBar* CoolBar = nullptr;
    TPanel* Panel = nullptr;
    TSpeedButton* btnA = nullptr;
    TSpeedButton* btnB = nullptr;
    TTimer* Timer1 = nullptr;
    TTestLists* Lists = nullptr;

    int clicks = 0, enters = 0, leaves = 0, ticks = 0, creates = 0;
    bool fields_ready_at_create = false;
    std::function<void(TTimer*)> on_tick;

    TTestForm(HWND parent, std::string text = {}) : TCustomForm(parent) { Init(std::move(text)); }
    explicit TTestForm(TComponent* owner, std::string text = {}) : TCustomForm(owner) { Init(std::move(text)); }
    std::string ClassName() const override { return "TTestForm"; }

private:
    void Init(std::string text) {
        RegisterTestClasses();
        RegisterField("CoolBar", &CoolBar);
        RegisterField("Panel", &Panel);
        RegisterField("btnA", &btnA);
        RegisterField("btnB", &btnB);
        RegisterField("Timer1", &Timer1);
        RegisterField("Lists", &Lists);
        RegisterHandler<void(TComponent*)>("FormCreate", [this](TComponent*) {
            ++creates;
            fields_ready_at_create = CoolBar && Panel && btnA && btnB && Timer1 && Lists && btnA->Parent() == Panel &&
                                     !btnA->Is(TComponentState::csLoading) && HandleAllocated();
        });
        RegisterHandler<void(TComponent*)>("btnAClick", [this](TComponent*) { ++clicks; });
        RegisterHandler<void(TComponent*)>("ButtonEnter", [this](TComponent*) { ++enters; });
        RegisterHandler<void(TComponent*)>("ButtonLeave", [this](TComponent*) { ++leaves; });
        RegisterHandler<void(TComponent*)>("Timer1Timer", [this](TComponent* s) {
            ++ticks;
            if (on_tick) on_tick(static_cast<TTimer*>(s));
        });
        if (text.empty())
            SetDescriptionResource(ThisModule(), "TESTFORM");
        else
            SetDescriptionText(std::move(text), ModuleResources(ThisModule()));
    }
};

// Runs the thread's messages until done() or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 2000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

// A plain top-level window standing in for a foreign host.
inline HWND MakeHostWindow() {
    static bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"UiTestHost";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    return ::CreateWindowExW(0, L"UiTestHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 300, 200,
                             nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace velmap::ui::test

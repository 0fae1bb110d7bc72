#include "skin/windows/window_skinning.h"

#include <algorithm>

#include "skin/manager/skin_hook.h"
#include "skin/messages/message_routines.h"
#include "skin/messages/skin_messages.h"
#include "skin/windows/control_adapters.h"
#include "skin/windows/menu_adapter.h"
#include "ui/reader.h"

namespace velmap::skin {

namespace {

struct State {
    std::vector<std::unique_ptr<TacProvider>> providers;
    std::vector<std::unique_ptr<TacMnuWnd>> menus;
    std::optional<POINT> position;
    TacSkinItemEvent onSkinItem;
    bool enabled = false;
};

State& S() {
    static State s;
    return s;
}

// Takes an element out of its list first and frees it after: freeing sends
// messages, and those may reach this list again.
template <typename T, typename Pred>
void FreeWhere(std::vector<std::unique_ptr<T>>& list, Pred pred) {
    auto it = std::find_if(list.begin(), list.end(), pred);
    if (it == list.end()) return;
    std::unique_ptr<T> gone = std::move(*it);
    list.erase(it);
    gone.reset();
}

void FreeProvider(HWND wnd) {
    FreeWhere(S().providers, [wnd](const auto& p) { return p->FormWindow() == wnd; });
}

// A form of this module's framework, if the window is one.
ui::TCustomForm* FrameworkFormOf(HWND wnd) {
    for (ui::TWinControl* c : BroadcastForms())
        if (c->HandleAllocated() && c->Handle() == wnd)
            if (auto* form = dynamic_cast<ui::TCustomForm*>(c)) return form;
    // The framework's windows carry their object; only ours are read.
    if (WindowClassName(wnd) != "VelmapUiWindow") return nullptr;
    if (reinterpret_cast<HMODULE>(::GetClassLongPtrW(wnd, GCLP_HMODULE)) != ui::ThisModule()) return nullptr;
    if (::GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD) return nullptr;
    auto* control = reinterpret_cast<ui::TWinControl*>(::GetWindowLongPtrW(wnd, 0));
    return control ? dynamic_cast<ui::TCustomForm*>(control) : nullptr;
}

BOOL CALLBACK FindToolbarChild(HWND child, LPARAM p) {
    if (!SameClass(WindowClassName(child), "toolbarwindow32")) return TRUE;
    *reinterpret_cast<bool*>(p) = true;
    return FALSE;
}

bool HasToolbarChild(HWND wnd) {
    bool found = false;
    ::EnumChildWindows(wnd, &FindToolbarChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool AnotherDialogVisible(HWND wnd) {
    return std::any_of(S().providers.begin(), S().providers.end(), [wnd](const auto& p) {
        return p->IsDialog() && p->FormWindow() != wnd && ::IsWindowVisible(p->FormWindow());
    });
}

void OnCreate(HWND wnd) {
    const TsSkinManager* m = PrimaryManager();
    // The shell's own menus are none of the band's business unless popups
    // are to be skinned.
    if (!m || !m->SkinnedPopups() || !m->HasSections()) return;
    if (!SameClass(WindowClassName(wnd), "#32768") || QueryWindowSkinMessage(wnd, SMC_IS_SKINNED)) return;
    auto menu = std::make_unique<TacMnuWnd>(wnd);
    if (!menu->Attach()) return;
    menu->SetGoneHandler(
        [](TacWindowAdapter* gone) { FreeWhere(S().menus, [gone](const auto& m) { return m.get() == gone; }); });
    S().menus.push_back(std::move(menu));
}

void OnDestroy(HWND wnd) {
    FreeProvider(wnd);
    std::vector<TacProvider*> providers;
    for (const auto& p : S().providers) providers.push_back(p.get());
    for (TacProvider* p : providers)
        if (FindProvider(p->FormWindow()) == p && p->ReleaseChild(wnd)) break;
    FreeWhere(S().menus, [wnd](const auto& m) { return m->Window() == wnd; });
}

void OnActivate(HWND wnd) {
    TsSkinManager* m = PrimaryManager();
    if (!m || !m->HasSections() || !::IsWindow(wnd) || FindProvider(wnd)) return;
    ActivatedWindow w;
    w.ClassName = WindowClassName(wnd);
    ui::TCustomForm* form = FrameworkFormOf(wnd);
    if (form) {
        w.IsFrameworkForm = true;
        w.FormClassName = form->ClassName();
        w.FormTag = form->Tag();
    } else {
        w.AnotherDialogVisible = AnotherDialogVisible(wnd);
        w.HasToolbarChild = w.AnotherDialogVisible && HasToolbarChild(wnd);
    }
    const ActivationVerdict verdict = DecideActivation(w, m->SkinningRules());
    if (verdict == ActivationVerdict::Ignore) return;
    // Only now may the window be messaged: one the rules leave alone (the
    // host's own windows among them) hears nothing from this engine, not
    // even the query whether it is skinned already.
    if (QueryWindowSkinMessage(wnd, SMC_IS_SKINNED)) return;
    std::unique_ptr<TacProvider> provider;
    switch (verdict) {
        case ActivationVerdict::SkinForm:
            provider = TacProvider::ForForm(form);
            break;
        case ActivationVerdict::SkinDialog: {
            auto plan = PlanDialogChildren(wnd);
            if (!plan) return;  // a child refuses: the dialog stays plain
            if (const auto& pos = S().position)
                ::SetWindowPos(wnd, nullptr, pos->x, pos->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            provider = TacProvider::ForDialog(wnd, *plan);
            break;
        }
        case ActivationVerdict::Ignore:
            return;
    }
    if (!provider) return;
    TacProvider* p = provider.get();
    S().providers.push_back(std::move(provider));
    RegisterSkinnedForm(p);
    ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_SKIN_LOADED), reinterpret_cast<LPARAM>(m));
    if (FindProvider(wnd) == p)
        ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(SMC_SKIN_REFRESH), reinterpret_cast<LPARAM>(m));
}

void OnHookEvent(int code, WPARAM wParam, LPARAM) {
    // Nothing may leave the hook: a failure leaves the window plain.
    try {
        if (!S().enabled) return;
        auto wnd = reinterpret_cast<HWND>(wParam);
        switch (code) {
            case HCBT_CREATEWND:
                OnCreate(wnd);
                break;
            case HCBT_DESTROYWND:
                OnDestroy(wnd);
                break;
            case HCBT_ACTIVATE:
                OnActivate(wnd);
                break;
            default:
                break;
        }
    } catch (...) {
    }
}

}  // namespace

// ---- providers --------------------------------------------------------------------------

std::unique_ptr<TacProvider> TacProvider::ForDialog(HWND wnd, const std::vector<Child>& children) {
    std::unique_ptr<TacProvider> p(new TacProvider(wnd));
    p->dialog_ = std::make_unique<TacDialogWnd>(wnd, AdapterKind::Dialog, "DIALOG");
    if (!p->dialog_->Attach()) return nullptr;
    p->dialog_->SetGoneHandler([wnd](TacWindowAdapter*) { FreeProvider(wnd); });
    for (const Child& c : children) {
        auto adapter = MakeControlAdapter(c.Wnd, c.Choice.Kind, c.Choice.Section);
        if (!adapter || !adapter->Attach()) continue;
        TacProvider* self = p.get();
        adapter->SetGoneHandler([self](TacWindowAdapter* gone) {
            std::erase_if(self->children_, [gone](const auto& a) { return a.get() == gone; });
        });
        p->children_.push_back(std::move(adapter));
    }
    return p;
}

std::unique_ptr<TacProvider> TacProvider::ForForm(ui::TCustomForm* form) {
    if (!form || !form->HandleAllocated()) return nullptr;
    std::unique_ptr<TacProvider> p(new TacProvider(form->Handle()));
    p->form_ = std::make_unique<TsSkinProvider>(form);
    p->form_->OnSkinItem = S().onSkinItem;
    if (!p->form_->Attach()) return nullptr;
    const HWND wnd = p->wnd_;
    p->form_->SetGoneHandler([wnd](TacWindowAdapter*) { FreeProvider(wnd); });
    p->form_->AdaptControls();
    return p;
}

TacProvider::~TacProvider() {
    UnregisterSkinnedForm(this);
    children_.clear();
    form_.reset();
    dialog_.reset();
}

bool TacProvider::FormDestroying() const {
    if (form_) return form_->FormGone();
    return !::IsWindow(wnd_);
}

void TacProvider::Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (form_) {
        form_->Broadcast(msg, wParam, lParam);
        return;
    }
    // Windows, not adapters: a receiver may take adapters away meanwhile.
    std::vector<HWND> windows{wnd_};
    for (const auto& c : children_) windows.push_back(c->Window());
    for (HWND w : windows)
        if (::IsWindow(w)) ::SendMessageW(w, msg, wParam, lParam);
}

void TacProvider::RebuildFrame() {
    ::RedrawWindow(wnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

TacWindowAdapter* TacProvider::AdapterOf(HWND wnd) const {
    if (dialog_ && dialog_->Window() == wnd) return dialog_.get();
    if (form_ && form_->Window() == wnd) return form_.get();
    for (const auto& c : children_)
        if (c->Window() == wnd) return c.get();
    if (form_)
        for (const auto& i : form_->Items())
            if (i->Window() == wnd) return i.get();
    return nullptr;
}

bool TacProvider::ReleaseChild(HWND wnd) {
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [wnd](const auto& c) { return c->Window() == wnd; });
    if (it == children_.end()) return false;
    std::unique_ptr<TacWindowAdapter> gone = std::move(*it);
    children_.erase(it);
    return true;
}

std::vector<TacWindowAdapter*> TacProvider::ChildAdapters() const {
    std::vector<TacWindowAdapter*> out;
    for (const auto& c : children_) out.push_back(c.get());
    if (form_)
        for (const auto& i : form_->Items()) out.push_back(i.get());
    return out;
}

namespace {

struct DialogWalk {
    std::vector<TacProvider::Child> children;
    bool refused = false;
};

BOOL CALLBACK PlanDialogChild(HWND child, LPARAM p) {
    auto* w = reinterpret_cast<DialogWalk*>(p);
    RECT r;
    ::GetWindowRect(child, &r);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(child, GWL_STYLE));
    const ChildAdapterChoice c = MapDialogChild(WindowClassName(child), style, r.right - r.left, r.bottom - r.top);
    if (c.RefusesDialog) {
        w->refused = true;
        return FALSE;
    }
    if (c.Kind != AdapterKind::None) w->children.push_back({child, c});
    return TRUE;
}

}  // namespace

std::optional<std::vector<TacProvider::Child>> PlanDialogChildren(HWND dialog) {
    DialogWalk walk;
    ::EnumChildWindows(dialog, &PlanDialogChild, reinterpret_cast<LPARAM>(&walk));
    if (walk.refused) return std::nullopt;
    return walk.children;
}

// ---- the hook's side --------------------------------------------------------------------

void EnableWindowSkinning() {
    S().enabled = true;
    SetSkinHookObserver(&OnHookEvent);
    SetSkinHookCleanup(&ReleaseWindowSkinning);
}

void DisableWindowSkinning() {
    S().enabled = false;
    // Someone else's observer or cleanup stays in place.
    if (SkinHookObserver previous = SetSkinHookObserver(nullptr); previous != &OnHookEvent)
        SetSkinHookObserver(previous);
    if (SkinHookCleanup previous = SetSkinHookCleanup(nullptr); previous != &ReleaseWindowSkinning)
        SetSkinHookCleanup(previous);
    ReleaseWindowSkinning();
}

void ReleaseWindowSkinning() noexcept {
    try {
        State& s = S();
        // Out of the lists first: freeing sends messages that may come back here.
        auto providers = std::move(s.providers);
        auto menus = std::move(s.menus);
        s.providers.clear();
        s.menus.clear();
        menus.clear();
        while (!providers.empty()) providers.pop_back();
    } catch (...) {
    }
}

int ProviderCount() { return static_cast<int>(S().providers.size()); }
int PopupMenuAdapterCount() { return static_cast<int>(S().menus.size()); }

TacProvider* FindProvider(HWND wnd) {
    for (const auto& p : S().providers)
        if (p->FormWindow() == wnd) return p.get();
    return nullptr;
}

TacWindowAdapter* FindAdapter(HWND wnd) {
    for (const auto& m : S().menus)
        if (m->Window() == wnd) return m.get();
    for (const auto& p : S().providers)
        if (TacWindowAdapter* a = p->AdapterOf(wnd)) return a;
    return nullptr;
}

void SetRememberedDialogPosition(std::optional<POINT> position) { S().position = position; }
void SetDefaultSkinItemHandler(TacSkinItemEvent handler) { S().onSkinItem = std::move(handler); }

}  // namespace velmap::skin

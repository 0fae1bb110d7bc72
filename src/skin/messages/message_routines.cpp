#include "skin/messages/message_routines.h"

#include <algorithm>

namespace velmap::skin {

namespace {

using ui::TComponentState;

bool Destroying(const ui::TComponent* c) { return c->Is(TComponentState::csDestroying); }

std::vector<ui::TWinControl*> g_forms;

}  // namespace

LRESULT SendSkinMessage(ui::TControl* control, SkinCommand code, LPARAM lparam, std::uint16_t arg) {
    if (!control) return 0;
    const WPARAM wparam = SkinWParam(code, arg);
    if (auto* win = dynamic_cast<ui::TWinControl*>(control)) {
        if (Destroying(win) || !win->HandleAllocated()) return 0;
        return ::SendMessageW(win->Handle(), SM_SKINCMD, wparam, lparam);
    }
    return control->Perform(SM_SKINCMD, wparam, lparam);
}

LRESULT SendSkinMessageToWindow(HWND wnd, SkinCommand code, LPARAM lparam, std::uint16_t arg) {
    return ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(code, arg), lparam);
}

bool QuerySkinMessage(ui::TControl* control, SkinCommand code) {
    if (!control) return false;
    ui::TMessage msg{SM_SKINCMD, SkinWParam(code), 0, 0};
    if (control->WindowProc) control->WindowProc(msg);
    if (msg.LParam == 1) return true;
    if (auto* win = dynamic_cast<ui::TWinControl*>(control); win && win->HandleAllocated() && !Destroying(win))
        return ::SendMessageW(win->Handle(), SM_SKINCMD, SkinWParam(code), 0) == 1;
    return false;
}

bool QueryWindowSkinMessage(HWND wnd, SkinCommand code) {
    return ::SendMessageW(wnd, SM_SKINCMD, SkinWParam(code), 0) == 1;
}

ui::TWinControl* ParentFormOf(ui::TControl* control) {
    if (!control) return nullptr;
    ui::TWinControl* p = control->Parent();
    if (!p) return nullptr;
    while (p->Parent()) p = p->Parent();
    return p;
}

void NotifyParentForm(ui::TControl* control) {
    if (!control || control->Is(TComponentState::csDesigning)) return;
    ui::TWinControl* form = ParentFormOf(control);
    if (form && form->HandleAllocated())
        ::SendMessageW(form->Handle(), SM_SKINCMD, SkinWParam(SMC_CONTROL_CHANGED), reinterpret_cast<LPARAM>(control));
}

void BroadcastToChildren(ui::TWinControl* control, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!control) return;
    // A child may remove itself while handling the message: walk a copy.
    const std::vector<ui::TControl*> children = control->Controls();
    const bool own_window = control->HandleAllocated();
    for (ui::TControl* child : children) {
        if (Destroying(child)) break;
        auto* win = dynamic_cast<ui::TWinControl*>(child);
        if (!win || !own_window) {
            child->Perform(msg, wparam, lparam);
        } else if (QuerySkinMessage(win, SMC_IS_SKINNED)) {
            if (win->HandleAllocated()) ::SendMessageW(win->Handle(), msg, wparam, lparam);
        } else {
            BroadcastToChildren(win, msg, wparam, lparam);
        }
    }
}

void BroadcastToForm(ui::TWinControl* form, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!form || Destroying(form)) return;
    if (form->HandleAllocated())
        ::SendMessageW(form->Handle(), msg, wparam, lparam);
    else
        form->Perform(msg, wparam, lparam);
    BroadcastToChildren(form, msg, wparam, lparam);
}

void NotifyChildrenReady(ui::TWinControl* control) {
    if (!control) return;
    const std::vector<ui::TControl*> children = control->Controls();
    for (ui::TControl* child : children) {
        try {
            if (Destroying(child)) continue;
            // Graphic controls are painted by the parent's own paint, which is
            // where this comes from: told to repaint, they would paint the
            // parent again inside its paint.
            auto* win = dynamic_cast<ui::TWinControl*>(child);
            if (win && win->HandleAllocated() && win->Showing())
                ::SendMessageW(win->Handle(), SM_SKINCMD, SkinWParam(SMC_PARENT_READY), 0);
        } catch (...) {
            // One child failing must not keep its siblings waiting.
        }
    }
}

void NotifyChildrenReady(HWND wnd) {
    for (HWND child = ::GetWindow(wnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD)
            ::SendMessageW(child, SM_SKINCMD, SkinWParam(SMC_PARENT_READY), 0);
}

void RegisterBroadcastForm(ui::TWinControl* form) {
    if (form && std::find(g_forms.begin(), g_forms.end(), form) == g_forms.end()) g_forms.push_back(form);
}

void UnregisterBroadcastForm(ui::TWinControl* form) { std::erase(g_forms, form); }

const std::vector<ui::TWinControl*>& BroadcastForms() { return g_forms; }

void BroadcastToForms(UINT msg, WPARAM wparam, LPARAM lparam) {
    const std::vector<ui::TWinControl*> forms = g_forms;
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        ui::TWinControl* form = *it;
        // A form may go away while an earlier one handles the message.
        if (std::find(g_forms.begin(), g_forms.end(), form) == g_forms.end()) continue;
        if (form->Is(TComponentState::csDestroying) || form->Is(TComponentState::csReading)) continue;
        if (QuerySkinMessage(form, SMC_IS_SKINNED)) continue;
        BroadcastToForm(form, msg, wparam, lparam);
    }
}

}  // namespace velmap::skin

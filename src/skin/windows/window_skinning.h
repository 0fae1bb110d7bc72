// Window skinning: what the primary skin manager's thread hook does with the
// windows of its thread. A popup menu being created gets a menu adapter
// when the manager skins popups; an activated window is skinned as the
// manager's SkinningRules say (a framework form gets a form provider, a
// standard dialog a dialog adapter and adapters for its children); a window
// being destroyed loses whatever was attached to it. Removing the hook frees
// everything.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "skin/manager/skin_manager.h"
#include "skin/windows/dialog_adapter.h"
#include "skin/windows/skin_provider.h"
#include "skin/windows/window_rules.h"

namespace velmap::skin {

// One skinned foreign window: a framework form with its TsSkinProvider, or a
// plain dialog with its dialog adapter and its children's adapters. The
// manager reaches it among its registered forms.
class TacProvider : public SkinnedFormLink {
public:
    // A dialog with the adapters of the given children.
    struct Child {
        HWND Wnd = nullptr;
        ChildAdapterChoice Choice;
    };
    static std::unique_ptr<TacProvider> ForDialog(HWND wnd, const std::vector<Child>& children);
    static std::unique_ptr<TacProvider> ForForm(ui::TCustomForm* form);
    ~TacProvider() override;

    HWND FormWindow() const override { return wnd_; }
    TsSkinManager* Manager() const override { return PrimaryManager(); }
    bool FormDestroying() const override;
    void Broadcast(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void RebuildFrame() override;

    bool IsDialog() const { return dialog_ != nullptr; }
    TacDialogWnd* Dialog() const { return dialog_.get(); }
    TsSkinProvider* FormProvider() const { return form_.get(); }
    // The adapter on a window of this provider (the dialog, a child, a
    // foreign control of the form), or null.
    TacWindowAdapter* AdapterOf(HWND wnd) const;
    // Frees the adapter of a child window; false when there is none.
    bool ReleaseChild(HWND wnd);
    // Adapters on the children (dialog children or foreign controls).
    std::vector<TacWindowAdapter*> ChildAdapters() const;

private:
    explicit TacProvider(HWND wnd) : wnd_(wnd) {}

    HWND wnd_;
    std::unique_ptr<TacDialogWnd> dialog_;
    std::vector<std::unique_ptr<TacWindowAdapter>> children_;
    std::unique_ptr<TsSkinProvider> form_;
};

// Connects window skinning to the skin manager's thread hook (idempotent):
// from then on the hook, while a primary manager holds a skin, acts on the
// windows of the thread that installed it.
void EnableWindowSkinning();
// Disconnects it and frees every provider and adapter.
void DisableWindowSkinning();
// Frees every provider and popup-menu adapter, giving each window its own
// procedure back (what removing the hook does).
void ReleaseWindowSkinning() noexcept;

// The providers and popup-menu adapters alive.
int ProviderCount();
int PopupMenuAdapterCount();
TacProvider* FindProvider(HWND wnd);
// The adapter window skinning attached to a window, or null.
TacWindowAdapter* FindAdapter(HWND wnd);

// Where a dialog is moved when it is skinned (none: it stays where it is).
void SetRememberedDialogPosition(std::optional<POINT> position);
// The OnSkinItem every new form provider starts with.
void SetDefaultSkinItemHandler(TacSkinItemEvent handler);

// The plan for a dialog's children: their adapters by the child map, or
// none when a child refuses the whole dialog.
std::optional<std::vector<TacProvider::Child>> PlanDialogChildren(HWND dialog);

}  // namespace velmap::skin

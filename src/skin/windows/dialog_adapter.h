// The adapter of a container window: a plain dialog ("DIALOG"), a dialog
// nested in another (which shows its parent through), or a foreign
// framework's panel ("PANEL"). It keeps its client's skinned face as the
// cache its children read their background from, and answers the colour
// requests of the standard controls on it.
#pragma once

#include <memory>

#include "skin/windows/window_adapter.h"
#include "ui/graphics.h"
#include "win/handles.h"

namespace velmap::skin {

class TacDialogWnd : public TacWindowAdapter {
public:
    TacDialogWnd(HWND wnd, AdapterKind kind, std::string section);

    // The client's face (built when missing or stale); null when the window
    // has no client area or the skin has no such section.
    ui::TBitmap* Cache();

protected:
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void RemoveSkin() noexcept override;
    void Redraw() override;

private:
    HBRUSH ChildBrush(HDC dc, HWND child, bool edit);
    void Invalidate() { stale_ = true; }

    std::unique_ptr<ui::TBitmap> cache_;
    bool stale_ = true;
    // The face as a brush, for the children that erase with their parent's
    // brush; and the edits' plain colour.
    win::unique_hbrush face_brush_;
    win::unique_hbrush edit_brush_;
};

}  // namespace velmap::skin

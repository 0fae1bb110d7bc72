// The window adapter: what every adapter of a foreign window shares. It
// subclasses the window, follows the active skin's section, answers the skin
// message as a window adapter (who is skinned, which section, the parent's
// background colour, the hot state) and gives its kind the painting helpers
// that draw from the skin over the parent's background.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/controls/common_data.h"
#include "skin/paint/item_paint.h"
#include "skin/windows/window_rules.h"
#include "skin/windows/window_subclass.h"
#include "ui/graphics.h"

namespace velmap {
class SkinModel;
struct TsGeneralData;
}  // namespace velmap

namespace velmap::skin {

class TsSkinManager;

class TacWindowAdapter : public WindowSubclass {
public:
    TacWindowAdapter(HWND wnd, AdapterKind kind, std::string section);
    ~TacWindowAdapter() override;

    AdapterKind Kind() const { return kind_; }
    const std::string& Section() const { return section_; }
    int SectionIndex() const { return section_index_; }
    bool MouseOver() const { return mouse_over_; }

    // Subclasses the window and takes the skin's section; false when the
    // window cannot be subclassed (nothing is changed then).
    bool Attach();
    // Gives the window back as it was (procedure, colours) and has it
    // repainted plain. Also done by the destructor.
    void Detach() noexcept;

    // Told when the window was destroyed without the engine freeing the
    // adapter first; the handler frees it (exactly once).
    using GoneHandler = std::function<void(TacWindowAdapter*)>;
    void SetGoneHandler(GoneHandler handler) { gone_ = std::move(handler); }

    // Adapters alive in the process.
    static int LiveCount() noexcept;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) final;
    void WindowGone() noexcept final;

    // The adapter's own messages; true (with the result) when it answered.
    virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The skin message as a window adapter answers it; true when answered.
    virtual bool SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Puts the skin's look on the window beyond painting (colours a control
    // keeps itself), and takes it off again.
    virtual void ApplySkin() {}
    virtual void RemoveSkin() noexcept {}
    // Shows the current look: the default repaints the client.
    virtual void Redraw();

    // ---- the skin ----
    // The primary manager while it holds a skin.
    static const TsSkinManager* Manager();
    static const SkinModel* Model();
    bool Skinned() const;
    const TsGeneralData* SectionData(int index) const;
    static int FindSection(std::string_view name);
    // An image of the skin's GLOBALINFO section (-1 when none).
    static int GlobalMask(std::string_view name);
    void ResolveSection();

    // ---- painting ----
    // Where the window's client finds its background in its parent's cache
    // (the client's position already added), or not Ready.
    paint::BackgroundSource ParentBackground() const;
    // The client's top-left corner in the parent's client.
    POINT PositionInParent() const;
    // The colour the parent shows, as it answers for its children (its own
    // system colour when it does not).
    COLORREF ParentColor() const;
    // The item of a section in a state into r of bmp, over the parent's
    // background (bg has the position of r's origin in the parent added).
    void PaintItem(paint::Bitmap& bmp, const RECT& r, int section, int state, bool centre, bool useBg,
                   const paint::BackgroundSource& bg) const;
    // The parent's background alone into r.
    void PaintParentBackground(paint::Bitmap& bmp, const RECT& r, const paint::BackgroundSource& bg) const;
    // Text in a section's colours, in the window's font unless another is given.
    void WriteText(paint::Bitmap& bmp, const std::wstring& text, RECT r, unsigned format, bool enabled, bool hot,
                   int section, HFONT font = nullptr) const;
    // Builds the client's face in a bitmap and shows it: for WM_PAINT (dc
    // null) and WM_PRINTCLIENT (the given dc). exclude: parts of the client
    // left as they are on screen.
    void PaintClient(HDC given, const std::function<void(paint::Bitmap&)>& face, const std::vector<RECT>& exclude = {});

    HFONT WindowFont() const;
    std::wstring WindowText() const;
    bool HasFocus() const { return ::GetFocus() == Window(); }
    bool Enabled() const { return ::IsWindowEnabled(Window()) != FALSE; }
    // 1 under the mouse or with the focus, else 0.
    int HotState() const { return mouse_over_ || HasFocus() ? 1 : 0; }
    DWORD Style() const { return static_cast<DWORD>(::GetWindowLongPtrW(Window(), GWL_STYLE)); }

    // Painting waits after a skin was loaded until it is refreshed.
    bool updating_ = false;

private:
    void TrackMouse();

    AdapterKind kind_;
    std::string section_;
    int section_index_ = -1;
    bool mouse_over_ = false;
    bool tracking_ = false;
    bool applied_ = false;
    GoneHandler gone_;
};

}  // namespace velmap::skin

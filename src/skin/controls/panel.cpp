#include "skin/controls/panel.h"

#include <vector>

#include "skin/controls/control_painter.h"
#include "skin/messages/message_routines.h"
#include "skin/manager/skin_manager.h"
#include "ui/reader.h"
#include "win/handles.h"

namespace velmap::skin {

namespace {

using ui::TComponentState;

UINT AlignFlag(ui::TAlignment a) {
    return a == ui::TAlignment::taLeftJustify ? DT_LEFT : a == ui::TAlignment::taRightJustify ? DT_RIGHT : DT_CENTER;
}

bool Designing(const ui::TComponent* c) { return c->Is(TComponentState::csDesigning); }

// The canvas draws on dc for the life of the guard, also when painting throws.
class CanvasOn {
public:
    CanvasOn(ui::TCanvas& canvas, HDC dc) : canvas_(canvas) {
        canvas_.Lock();
        canvas_.SetHandle(dc);
    }
    ~CanvasOn() {
        canvas_.SetHandle(nullptr);
        canvas_.Unlock();
    }
    CanvasOn(const CanvasOn&) = delete;
    CanvasOn& operator=(const CanvasOn&) = delete;

private:
    ui::TCanvas& canvas_;
};

class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~SavedDc() { ::RestoreDC(dc_, saved_); }
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace

// ---- shared painting routines ---------------------------------------------------------------

void BlitCacheExcludingChildren(ui::TWinControl* control, POINT src, POINT childOffset, bool refreshBorder, HDC dc,
                                RECT dest) {
    auto* skinned = dynamic_cast<TsSkinnedControl*>(control);
    if (!skinned || !dc) return;
    TsCommonData& sd = skinned->SkinData();
    if (!sd.CacheBitmap || sd.CacheBitmap->Empty()) return;
    if (refreshBorder) CurrentPainter().RefreshCorners(sd, 0, kAllCorners);
    SavedDc saved(dc);
    ::IntersectClipRect(dc, dest.left, dest.top, dest.right, dest.bottom);
    for (ui::TControl* child : control->Controls()) {
        if (!child->Visible()) continue;
        if (child->Left() >= dest.right || child->Top() >= dest.bottom || child->Left() + child->Width() <= dest.left ||
            child->Top() + child->Height() <= dest.top)
            continue;
        // Windowed children cover their place with their own windows.
        const bool graphic = dynamic_cast<ui::TWinControl*>(child) == nullptr;
        if (graphic || child->ControlStyle().Contains(ui::TControlStyle::csOpaque) || Designing(child))
            ::ExcludeClipRect(dc, child->Left() + childOffset.x, child->Top() + childOffset.y,
                              child->Left() + child->Width() + childOffset.x,
                              child->Top() + child->Height() + childOffset.y);
    }
    ::BitBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, sd.CacheBitmap->Image().Dc(),
             src.x, src.y, SRCCOPY);
}

void PaintGraphicChildren(HDC dc, ui::TWinControl* control, POINT offset, std::unique_ptr<paint::Bitmap>* buffer) {
    if (!dc || !control || (!control->Visible() && !Designing(control)) || control->Controls().empty()) return;
    RECT box;
    const int kind = ::GetClipBox(dc, &box);
    if (kind == NULLREGION || kind == ERROR || box.right <= box.left || box.bottom <= box.top) {
        if (control->HandleAllocated()) SendSkinMessageToWindow(control->Handle(), SMC_SET_HALF_VISIBLE);
        return;
    }
    ParentCacheAnswer.Ready = false;
    if (!control->HandleAllocated()) return;
    SendSkinMessageToWindow(control->Handle(), SMC_GET_CACHE);
    const paint::BackgroundSource cache = ParentCacheAnswer;
    struct ClearAnswer {
        ~ClearAnswer() { ParentCacheAnswer.Ready = false; }
    } clear_answer;
    if (!cache.Ready || !cache.Bmp || cache.Bmp->Empty()) return;

    struct Child {
        ui::TControl* control;
        std::weak_ptr<void> life;
        RECT bounds;
    };
    std::vector<Child> paintable;
    for (ui::TControl* c : control->Controls()) {
        if (dynamic_cast<ui::TWinControl*>(c) || (!c->Visible() && !Designing(c))) continue;
        if (c->Width() + c->Height() < 1 || c->Width() <= 0 || c->Height() <= 0) continue;
        if (c->ControlStyle().Contains(ui::TControlStyle::csNoDesignVisible) && Designing(c)) continue;
        if (c->Is(TComponentState::csDestroying)) continue;
        const RECT r = c->BoundsRect();
        if (!::RectVisible(dc, &r)) continue;
        paintable.push_back({c, c->Life(), r});
    }
    if (paintable.empty()) return;

    // Every child is painted over its own place of the cache, in one bitmap:
    // the caller's, kept from one paint to the next, else one for this paint.
    // It is taken out while in use, so a paint within this one makes its own.
    struct Composition {
        std::unique_ptr<paint::Bitmap>* kept;
        std::weak_ptr<void> owner;
        std::unique_ptr<paint::Bitmap> image;
        ~Composition() {
            if (kept && image && !owner.expired() && !*kept) *kept = std::move(image);
        }
    } composition{buffer, control->Life(), buffer ? std::move(*buffer) : nullptr};
    std::unique_ptr<paint::Bitmap>& image = composition.image;
    try {
        if (!image)
            image = paint::CreateBitmap24(control->Width(), control->Height());
        else
            image->SetSize(control->Width(), control->Height());
    } catch (const std::exception&) {
        return;  // no bitmap: the children wait for the next paint
    }
    HDC mem = image->Dc();
    if (!mem) return;
    HDC cache_dc = cache.Bmp->Dc();
    for (const Child& c : paintable) {
        const RECT& r = c.bounds;
        if (c.control->ControlStyle().Contains(ui::TControlStyle::csOpaque)) {
            win::unique_hbrush brush(::CreateSolidBrush(ui::ColorRefOf(c.control->Color())));
            ::FillRect(mem, &r, brush.get());
        } else {
            ::BitBlt(mem, r.left, r.top, r.right - r.left, r.bottom - r.top, cache_dc, r.left + cache.X,
                     r.top + cache.Y, SRCCOPY);
        }
    }
    const bool copy = control->ControlState().Contains(ui::TControlState::csPaintCopy);
    for (const Child& c : paintable) {
        if (c.life.expired()) continue;
        SavedDc saved(mem);
        ::OffsetViewportOrgEx(mem, c.bounds.left, c.bounds.top, nullptr);
        ::IntersectClipRect(mem, 0, 0, c.bounds.right - c.bounds.left, c.bounds.bottom - c.bounds.top);
        const ui::TControlStates was = c.control->ControlState();
        if (copy) {
            ui::TControlStates with = was;
            with.Include(ui::TControlState::csPaintCopy);
            c.control->SetControlState(with);
        }
        c.control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
        if (copy && !c.life.expired()) c.control->SetControlState(was);
    }
    for (const Child& c : paintable) {
        if (c.life.expired()) continue;
        const RECT& r = c.bounds;
        // The memory bitmap has the control's own coordinates: the child's
        // first pixel is at its place, not at its place plus the offset.
        if (::GetPixel(mem, r.left, r.top) == RGB(0xFF, 0x00, 0xFF)) continue;
        ::BitBlt(dc, r.left + offset.x, r.top + offset.y, r.right - r.left, r.bottom - r.top, mem, r.left, r.top,
                 SRCCOPY);
    }
}

// ---- life -----------------------------------------------------------------------------------

TsPanel::TsPanel(ui::TComponent* owner)
    : ui::TPanel(owner), skin_data_(std::make_unique<TsCommonData>(static_cast<ui::TControl*>(this), true)) {
    skin_data_->ControlKind = ControlKindPanel;
}

TsPanel::~TsPanel() = default;

void TsPanel::AfterConstruction() {
    ui::TPanel::AfterConstruction();
    skin_data_->AfterOwnerLoaded();
}

void TsPanel::Loaded() {
    ui::TPanel::Loaded();
    skin_data_->AfterOwnerLoaded();
}

// ---- painting -----------------------------------------------------------------------------------

void TsPanel::Paint() {
    if (skin_data_->IsSkinned() || !OnPaint) {
        ui::TPanel::Paint();
        return;
    }
    if (Is(TComponentState::csLoading) && Visible()) return;
    TPaintEvent handler = OnPaint;
    handler(this, Canvas());
}

void TsPanel::PaintWindow(HDC dc) {
    ui::TPanel::PaintWindow(dc);
    PaintSkinned(dc, true);
}

void TsPanel::RebuildCache() {
    TsCommonData& sd = *skin_data_;
    sd.PrepareCacheBitmap();
    ui::TBitmap& cache = *sd.CacheBitmap;
    if (!cache.Empty()) {
        const paint::BackgroundSource bg = sd.QueryParentCache();
        CurrentPainter().PaintItem(sd, bg, false, 0, {0, 0, Width(), Height()}, {Left(), Top()}, cache, true);
        RECT r = ClientRect();
        int inset = BorderWidth();
        if (BevelInner() != ui::TBevelCut::bvNone) inset += BevelWidth();
        if (BevelOuter() != ui::TBevelCut::bvNone) inset += BevelWidth();
        ::InflateRect(&r, -inset, -inset);
        PaintCaption(r);
        if (OnPaint) {
            TPaintEvent handler = OnPaint;
            handler(this, cache.Canvas());
        }
    }
    sd.CacheStale = false;
}

void TsPanel::PaintCaption(RECT r) {
    if (Caption().empty()) return;
    ui::TCanvas& c = skin_data_->CacheBitmap->Canvas();
    c.Font().Assign(Font());
    c.Brush().SetStyle(ui::TBrushStyle::bsClear);
    const int h = c.TextHeight(L"W");
    r.top = (r.bottom + r.top - h) / 2;
    r.bottom = r.top + h;
    // "&" is shown as it is: a panel's caption has no accelerator.
    const UINT flags = AlignFlag(Alignment()) | DT_VCENTER | DT_EXPANDTABS | DT_NOPREFIX;
    CurrentPainter().WriteText(c, Caption(), Enabled(), false, *skin_data_, flags, r);
}

void TsPanel::PaintSkinned(HDC dc, bool notifyChildren) {
    TsCommonData& sd = *skin_data_;
    if (!Showing() || !sd.IsSkinned()) return;
    // Held until the parent is ready; SMC_PARENT_READY releases it.
    sd.Updating = sd.IsUpdating();
    if (sd.Updating) return;
    const bool rebuild = sd.PartlyVisible || sd.CacheStale;
    std::unique_ptr<win::window_dc> own;
    if (!dc) dc = Canvas().Handle();
    if (!dc) {
        own = std::make_unique<win::window_dc>(Handle());
        dc = own->get();
    }
    if (sd.BgDependsOnPosition()) {
        // Measured against what of the window can be seen, not against the
        // part a paint was asked for.
        RECT box{};
        int kind = NULLREGION;
        if (painting_ && HandleAllocated()) {
            win::window_dc visible(Handle());
            kind = ::GetClipBox(visible.get(), &box);
        } else {
            kind = ::GetClipBox(dc, &box);
        }
        sd.PartlyVisible = kind == NULLREGION || kind == ERROR || box.right - box.left != Width() ||
                           box.bottom - box.top != Height();
    } else {
        sd.PartlyVisible = false;
    }
    if (rebuild && !sd.CacheFrozen) RebuildCache();
    BlitCacheExcludingChildren(this, {0, 0}, {0, 0}, true, dc, {0, 0, Width(), Height()});
    PaintGraphicChildren(dc, this, {0, 0}, &children_image_);
    if (notifyChildren) NotifyChildrenReady(this);
}

void TsPanel::SkinnedPaint(HDC given) {
    // A DC handed in is painted as it is: the update region stays for the
    // real paint to come.
    PAINTSTRUCT ps{};
    HDC dc = given ? given : ::BeginPaint(Handle(), &ps);
    if (!dc) return;
    struct Finish {
        TsPanel& panel;
        HDC given;
        PAINTSTRUCT& ps;
        ~Finish() {
            panel.painting_ = false;
            panel.cstate_.Exclude(ui::TControlState::csCustomPaint);
            if (!given && panel.HandleAllocated()) ::EndPaint(panel.Handle(), &ps);
        }
    } finish{*this, given, ps};
    cstate_.Include(ui::TControlState::csCustomPaint);
    painting_ = !given;
    SavedDc saved(dc);
    CanvasOn canvas(Canvas(), dc);
    PaintSkinned(dc, true);
}

// ---- the window procedure --------------------------------------------------------------------

bool TsPanel::SkinnedReady() { return ReadyToPaint() && HandleAllocated() && skin_data_->IsSkinned(); }

bool TsPanel::HandleSkinChange(ui::TMessage& m) {
    TsCommonData& sd = *skin_data_;
    auto* sender = reinterpret_cast<TsSkinManager*>(m.LParam);
    const bool mine = sender && (sender == sd.EffectiveManager() || sender == sd.SkinManager());
    switch (SkinCommandOf(m.WParam)) {
        case SMC_SKIN_LOADED:
            style_.Exclude(ui::TControlStyle::csOpaque);
            BroadcastToChildren(this, m.Msg, m.WParam, m.LParam);
            if (mine) SkinMessageHandler(m, &sd);
            return true;
        case SMC_SKIN_REMOVED:
            style_.Exclude(ui::TControlStyle::csOpaque);
            if (mine) {
                SkinMessageHandler(m, &sd);
                Invalidate();
            }
            BroadcastToChildren(this, m.Msg, m.WParam, m.LParam);
            return true;
        case SMC_SKIN_REFRESH:
            if (mine) SkinMessageHandler(m, &sd);
            BroadcastToChildren(this, m.Msg, m.WParam, m.LParam);
            if (mine) Repaint();
            return true;
        case SMC_IS_SKINNED:
        case SMC_GET_APPLICATION:
            SkinMessageHandler(m, &sd);
            return true;
        default:
            return false;
    }
}

void TsPanel::SkinnedWndProc(ui::TMessage& m) {
    TsCommonData& sd = *skin_data_;
    switch (m.Msg) {
        case SM_SKINCMD:
            switch (SkinCommandOf(m.WParam)) {
                case SMC_PARENT_READY:
                    if (sd.IsUpdating()) {
                        sd.Updating = false;
                        ::RedrawWindow(Handle(), nullptr, nullptr,
                                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    }
                    return;
                case SMC_FREEZE_CACHE:
                    SkinMessageHandler(m, &sd);
                    if (sd.CacheFrozen) RebuildCache();
                    return;
                default:
                    SkinMessageHandler(m, &sd);
                    return;
            }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            ui::TPanel::WndProc(m);
            return;
        case WM_PAINT:
            if (!Visible() && !Designing(this)) {
                ui::TPanel::WndProc(m);
                return;
            }
            SkinnedPaint(reinterpret_cast<HDC>(m.WParam));
            return;
        case WM_ERASEBKGND:
            m.Result = 1;
            return;
        case WM_PRINT:
            sd.Updating = false;
            if (sd.CacheStale) RebuildCache();
            CurrentPainter().RefreshCorners(sd, 0, kAllCorners);
            PaintSkinned(reinterpret_cast<HDC>(m.WParam), false);
            return;
        case ui::UIM_VISIBLECHANGED:
            sd.CacheStale = true;
            sd.Updating = false;
            ui::TPanel::WndProc(m);
            return;
        case ui::UIM_TEXTCHANGED:
            if (Parent()) sd.InvalidateSkin();
            return;
        case ui::UIM_COLORCHANGED:
            if (sd.CustomColor()) sd.CacheStale = true;
            break;
        default:
            break;
    }
    if (SkinMessageHandler(m, &sd)) return;
    const auto life = Life();
    ui::TPanel::WndProc(m);
    if (life.expired()) return;
    if (m.Msg == WM_SETFONT && !Caption().empty()) {
        sd.CacheStale = true;
        Repaint();
    } else if (m.Msg == ui::UIM_ENABLEDCHANGED) {
        sd.InvalidateSkin();
    }
}

void TsPanel::PlainWndProc(ui::TMessage& m) {
    switch (m.Msg) {
        case WM_ERASEBKGND:
            if (OnPaint) {
                m.Result = 1;
                return;
            }
            break;
        case WM_PRINT:
            if (OnPaint) {
                if (HDC dc = reinterpret_cast<HDC>(m.WParam)) {
                    SavedDc saved(dc);
                    CanvasOn canvas(Canvas(), dc);
                    Canvas().Font().Assign(Font());
                    TPaintEvent handler = OnPaint;
                    handler(this, Canvas());
                }
                return;
            }
            break;
        default:
            break;
    }
    ui::TPanel::WndProc(m);
}

void TsPanel::WndProc(ui::TMessage& m) {
    if (m.Msg == SM_SKINCMD && HandleSkinChange(m)) return;
    if (SkinnedReady())
        SkinnedWndProc(m);
    else
        PlainWndProc(m);
}

// ---- published property table ----------------------------------------------------------------

const ui::TPropTable& TsPanel::ClassProps() {
    static const ui::TPropInfo infos[] = {
        {"SkinData", nullptr,
         [](ui::TPersistent& o) -> ui::TPersistent* { return &static_cast<TsPanel&>(o).SkinData(); }},
        ui::props::Event<&TsPanel::OnPaint>("OnPaint"),
    };
    static const ui::TPropTable table{&ui::TPanel::ClassProps(), infos};
    return table;
}
const ui::TPropTable& TsPanel::Props() const { return ClassProps(); }

}  // namespace velmap::skin

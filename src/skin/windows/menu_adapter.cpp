#include "skin/windows/menu_adapter.h"

#include <algorithm>
#include <vector>

#include "skin/data/item_views.h"
#include "skin/data/skin_model.h"
#include "skin/messages/skin_messages.h"
#include "skin/paint/masks.h"

namespace velmap::skin {

namespace {

constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

// The open menus, repainted when the selection moves.
std::vector<TacMnuWnd*> g_menus;
HHOOK g_selectionHook = nullptr;

LRESULT CALLBACK SelectionWatch(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ::CallNextHookEx(g_selectionHook, code, wParam, lParam);
    if (code == HC_ACTION) try {
            const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
            if (m->message == WM_MENUSELECT || (m->message == WM_ENTERIDLE && m->wParam == MSGF_MENU)) {
                // Copy: a repaint must not see the list change under it.
                std::vector<HWND> menus;
                for (TacMnuWnd* menu : g_menus) menus.push_back(menu->Window());
                for (HWND wnd : menus)
                    if (::IsWindowVisible(wnd)) ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            }
        } catch (...) {
            // The menu keeps the system's look for this selection.
        }
    return result;
}

win::unique_hfont MenuFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return win::unique_hfont(::CreateFontIndirectW(&ncm.lfMenuFont));
    return {};
}

}  // namespace

TacMnuWnd::TacMnuWnd(HWND wnd) : TacWindowAdapter(wnd, AdapterKind::PopupMenu, "MAINMENU"), font_(MenuFont()) {
    g_menus.push_back(this);
    if (!g_selectionHook)
        g_selectionHook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, SelectionWatch, nullptr, ::GetCurrentThreadId());
}

TacMnuWnd::~TacMnuWnd() {
    std::erase(g_menus, this);
    if (g_menus.empty() && g_selectionHook) {
        ::UnhookWindowsHookEx(g_selectionHook);
        g_selectionHook = nullptr;
    }
}

HMENU TacMnuWnd::Menu() const { return reinterpret_cast<HMENU>(::SendMessageW(Window(), kGetMenuHandle, 0, 0)); }

bool TacMnuWnd::OwnerDrawn(HMENU menu) const {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE;
        if (::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi) && (mi.fType & (MFT_OWNERDRAW | MFT_BITMAP)))
            return true;
    }
    return false;
}

bool TacMnuWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_PAINT && msg != WM_PRINTCLIENT && msg != WM_ERASEBKGND) return false;
    HMENU menu = Menu();
    if (!menu || OwnerDrawn(menu)) return false;
    if (msg == WM_ERASEBKGND) {
        result = 1;
        return true;
    }
    PaintClient(msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wParam) : nullptr,
                [this](paint::Bitmap& bmp) { PaintFace(bmp); });
    result = 0;
    return true;
}

bool TacMnuWnd::SkinCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (SkinCommandOf(wParam)) {
        case SMC_MENU_SHOWN:
            if (::IsWindowVisible(Window())) shown_ = true;
            return true;
        case SMC_SET_UPDATING:
            // A menu answers whether it has been shown.
            result = shown_ ? 1 : 0;
            return true;
        default:
            return TacWindowAdapter::SkinCommand(wParam, lParam, result);
    }
}

void TacMnuWnd::PaintFace(paint::Bitmap& bmp) {
    RECT rc;
    ::GetClientRect(Window(), &rc);
    TacWindowAdapter::PaintItem(bmp, rc, SectionIndex(), 0, false, false, {});
    // A one-pixel edge in the skin's border colour keeps the menu apart
    // from what lies under it.
    win::unique_hbrush edge(::CreateSolidBrush(ui::ColorRefOf(Model()->SkinData.BorderColor)));
    ::FrameRect(bmp.Dc(), &rc, edge.get());
    ::GdiFlush();
    const int itemSection = FindSection("MENUITEM") >= 0 ? FindSection("MENUITEM") : SectionIndex();
    HMENU menu = Menu();
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) PaintMenuItem(bmp, menu, i, itemSection);
}

void TacMnuWnd::PaintMenuItem(paint::Bitmap& bmp, HMENU menu, int index, int itemSection) {
    wchar_t text[256] = L"";
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = static_cast<UINT>(std::size(text) - 1);
    RECT r;
    if (!::GetMenuItemInfoW(menu, static_cast<UINT>(index), TRUE, &mi) ||
        !::GetMenuItemRect(nullptr, menu, static_cast<UINT>(index), &r))
        return;
    ::MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&r), 2);
    if (mi.fType & MFT_SEPARATOR) {
        const int line = FindSection("MENULINE");
        const int mid = (r.top + r.bottom) / 2;
        TacWindowAdapter::PaintItem(bmp, {r.left + 2, mid - 1, r.right - 2, mid + 1}, line >= 0 ? line : itemSection, 0,
                                    false, false, {});
        return;
    }
    const bool hot = mi.fState & MFS_HILITE;
    const bool enabled = !(mi.fState & MFS_DISABLED);
    if (hot) TacWindowAdapter::PaintItem(bmp, r, itemSection, 1, false, false, {});
    const int check = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;
    if (mi.fState & MFS_CHECKED) {
        if (auto glyph = MaskViewOf(*Model(), GlobalMask("CHECK")))
            paint::DrawGlyphMask(
                bmp, {r.left + (check - glyph->FrameWidth()) / 2, (r.top + r.bottom - glyph->FrameHeight()) / 2}, 0,
                *glyph, enabled ? 1 : 0);
    }
    const TsGeneralData* s = SectionData(itemSection);
    std::wstring label(text);
    std::wstring accel;
    if (const auto tab = label.find(L'\t'); tab != std::wstring::npos) {
        accel = label.substr(tab + 1);
        label.resize(tab);
    }
    const int arrow = mi.hSubMenu ? check : 4;
    const RECT area{r.left + check, r.top, r.right - arrow, r.bottom};
    WriteText(bmp, label, area, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled, hot, itemSection, font_.get());
    WriteText(bmp, accel, area, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, enabled, hot, itemSection, font_.get());
    if (mi.hSubMenu && s) {
        // A small arrow pointing right.
        const int cx = r.right - arrow / 2, cy = (r.top + r.bottom) / 2;
        const POINT p[3] = {{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}};
        const COLORREF c = ui::ColorRefOf(hot ? s->HotFontColor[0] : s->FontColor[0]);
        win::unique_hbrush brush(::CreateSolidBrush(c));
        win::unique_hpen pen(::CreatePen(PS_SOLID, 1, c));
        win::select_object b(bmp.Dc(), brush.get());
        win::select_object q(bmp.Dc(), pen.get());
        ::Polygon(bmp.Dc(), p, 3);
        ::GdiFlush();
    }
}

}  // namespace velmap::skin

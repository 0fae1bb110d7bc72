#include "skin/windows/window_rules.h"

#include <algorithm>
#include <cctype>

namespace velmap::skin {

namespace {

// Button types (BS_TYPEMASK).
constexpr DWORD kButtonTypeMask = 0x0F;
// Static types (SS_TYPEMASK).
constexpr DWORD kStaticTypeMask = 0x1F;
// A property sheet of this exact size cannot be laid out skinned.
constexpr int kRefusedTabWidth = 470, kRefusedTabHeight = 349;
// A toolbar with this style is a bar of its own, not part of a panel.
constexpr DWORD kToolbarBarStyle = 0x200;

ChildAdapterChoice ForButton(DWORD style) {
    switch (style & kButtonTypeMask) {
        case BS_GROUPBOX:
            return {AdapterKind::GroupBox, "GROUPBOX"};
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return {AdapterKind::CheckBox, "CHECKBOX"};
        // The owner paints these; an adapter would paint over its work.
        case BS_OWNERDRAW:
            return {};
        // Push buttons, user buttons, push boxes, split buttons and command
        // links are all pressed like buttons.
        default:
            return {AdapterKind::Button, "BUTTON"};
    }
}

ChildAdapterChoice ForStatic(DWORD style) {
    switch (style & kStaticTypeMask) {
        case SS_ICON:
        case SS_BITMAP:
        case SS_ENHMETAFILE:
            return {AdapterKind::Icon, "CHECKBOX"};
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_LEFTNOWORDWRAP:
            return {AdapterKind::Text, "CHECKBOX"};
        // Rectangles, frames, etched lines, owner-drawn and simple statics
        // keep the system's painting.
        default:
            return {};
    }
}

}  // namespace

const char* AdapterKindName(AdapterKind kind) {
    static constexpr const char* kNames[] = {"none", "dialog",    "transparent panel", "dialog panel", "icon",
                                             "text", "group box", "check box",         "button",       "combo box",
                                             "edit", "list view", "tree view",         "size grip",    "spin",
                                             "link", "toolbar",   "popup menu",        "third party",  "form frame"};
    const auto i = static_cast<std::size_t>(kind);
    return i < std::size(kNames) ? kNames[i] : "?";
}

std::string LowerClassName(std::string_view name) {
    std::string s(name);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool SameClass(std::string_view a, std::string_view b) {
    return a.size() == b.size() && LowerClassName(a) == LowerClassName(b);
}

bool IsDialogClass(std::string_view class_name) {
    return SameClass(class_name, "#32770") || SameClass(class_name, "TMessageForm");
}

ChildAdapterChoice MapDialogChild(std::string_view class_name, DWORD style, int width, int height) {
    const std::string c = LowerClassName(class_name);
    if (c == "static") return ForStatic(style);
    if (c == "#32770") return {AdapterKind::TransparentPanel, "CHECKBOX"};
    if (c == "tpanel" || c == "tsilentpaintpanel") return {AdapterKind::DialogPanel, "PANEL"};
    if (c == "button") return ForButton(style);
    if (c == "combobox" || c == "comboboxex32") return {AdapterKind::ComboBox, "COMBOBOX"};
    if (c == "combolbox") return {AdapterKind::Edit, "COMBOBOX"};
    if (c == "scrollbar") return {AdapterKind::SizeGrip, "CHECKBOX"};
    if (c == "systabcontrol32") {
        ChildAdapterChoice none;
        none.RefusesDialog = width == kRefusedTabWidth && height == kRefusedTabHeight;
        return none;
    }
    if (c == "syslistview32") return {AdapterKind::ListView, "EDIT"};
    if (c == "msctls_updown32") return {AdapterKind::Spin, "SPEEDBUTTON_SMALL"};
    if (c == "listbox" || c == "edit") return {AdapterKind::Edit, "EDIT"};
    if (c == "systreeview32") return {AdapterKind::TreeView, "EDIT"};
    if (c == "link window") return {AdapterKind::Link, "CHECKBOX"};
    if (c == "toolbarwindow32") return {AdapterKind::Toolbar, (style & kToolbarBarStyle) ? "BAR" : "CHECKBOX"};
    if (c.find("shbrowseforfolder") != std::string::npos) return {AdapterKind::TransparentPanel, "CHECKBOX"};
    return {};
}

ActivationVerdict DecideActivation(const ActivatedWindow& w, TacSkinningRules rules) {
    if (w.IsFrameworkForm) {
        if (w.FormClassName == "TMessageForm")
            return rules.Contains(srStdDialogs) ? ActivationVerdict::SkinForm : ActivationVerdict::Ignore;
        return rules.Contains(srStdForms) && w.FormTag != kNoSkinTag ? ActivationVerdict::SkinForm
                                                                     : ActivationVerdict::Ignore;
    }
    if (!rules.Contains(srStdDialogs)) return ActivationVerdict::Ignore;
    if (w.AnotherDialogVisible && !w.HasToolbarChild) return ActivationVerdict::Ignore;
    // Only the standard dialog classes: this also keeps out a foreign
    // framework's application window and its print preview.
    return IsDialogClass(w.ClassName) ? ActivationVerdict::SkinDialog : ActivationVerdict::Ignore;
}

std::string WindowClassName(HWND wnd) {
    wchar_t buf[256];
    const int n = ::GetClassNameW(wnd, buf, static_cast<int>(std::size(buf)));
    std::string out;
    out.reserve(static_cast<std::size_t>(n > 0 ? n : 0));
    // Class names of interest are ASCII; anything else only needs to compare unequal.
    for (int i = 0; i < n; ++i) out.push_back(buf[i] < 0x80 ? static_cast<char>(buf[i]) : '?');
    return out;
}

}  // namespace velmap::skin

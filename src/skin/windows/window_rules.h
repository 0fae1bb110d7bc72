// The decisions of window skinning, apart from any window: which adapter a
// dialog's child gets, and whether an activated window is skinned at all.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "skin/manager/skin_manager_options.h"

namespace velmap::skin {

// What a window adapter does; also what the counters of window skinning
// count by.
enum class AdapterKind : std::uint8_t {
    None,
    Dialog,            // a plain dialog's client ("DIALOG")
    TransparentPanel,  // a nested dialog: shows its parent through
    DialogPanel,       // a foreign framework's panel ("PANEL")
    Icon,
    Text,
    GroupBox,
    CheckBox,  // check boxes and radio buttons
    Button,
    ComboBox,
    Edit,  // edits and list boxes, framed
    ListView,
    TreeView,
    SizeGrip,
    Spin,
    Link,
    Toolbar,
    PopupMenu,
    ThirdParty,  // a foreign control of a framework form
    FormFrame,   // a framework form's title bar and border
};

const char* AdapterKindName(AdapterKind kind);

struct ChildAdapterChoice {
    AdapterKind Kind = AdapterKind::None;
    const char* Section = "";
    // The whole dialog must stay plain (a property sheet of the size the
    // engine cannot lay out).
    bool RefusesDialog = false;
    friend bool operator==(const ChildAdapterChoice& a, const ChildAdapterChoice& b) {
        return a.Kind == b.Kind && std::string_view(a.Section) == b.Section && a.RefusesDialog == b.RefusesDialog;
    }
};

// The adapter of a dialog's child window. class_name is compared in lower
// case; width and height are the child's window size. Button and static
// controls are told apart by their type field (BS_TYPEMASK, SS_TYPEMASK),
// never by single bits of it.
ChildAdapterChoice MapDialogChild(std::string_view class_name, DWORD style, int width, int height);

// What the activation of a window leads to.
enum class ActivationVerdict : std::uint8_t { Ignore, SkinForm, SkinDialog };

struct ActivatedWindow {
    std::string ClassName;         // the window's class
    bool IsFrameworkForm = false;  // a form of this module's framework
    std::string FormClassName;     // that form's class (TForm, TMessageForm...)
    int FormTag = 0;
    bool AnotherDialogVisible = false;  // a skinned dialog is already on screen
    bool HasToolbarChild = false;       // a "toolbarwindow32" at any depth
};

// A form tagged with this value is never skinned; controls with it are
// left alone by the foreign-control walk.
inline constexpr int kNoSkinTag = -98;

// The skinning rules applied to an activated window. Only dialogs of the
// standard dialog classes are ever skinned among foreign windows: a window
// of another kind has nothing an adapter could paint.
ActivationVerdict DecideActivation(const ActivatedWindow& w, TacSkinningRules rules);

// The standard dialog classes a dialog adapter serves.
bool IsDialogClass(std::string_view class_name);

// Class names compare without regard to case.
bool SameClass(std::string_view a, std::string_view b);
std::string LowerClassName(std::string_view name);

// The window's class name (empty when the window is gone).
std::string WindowClassName(HWND wnd);

}  // namespace velmap::skin

// The child map and the activation rules, decided without windows.
#include <gtest/gtest.h>

#include "skin/windows/window_rules.h"

namespace velmap::skin {
namespace {

struct ChildCase {
    const char* cls;
    DWORD style;
    AdapterKind kind;
    const char* section;
};

TEST(DialogChildMap, ButtonAndStaticTypesCompareTheTypeField) {
    const ChildCase cases[] = {
        {"Button", BS_PUSHBUTTON, AdapterKind::Button, "BUTTON"},
        {"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, AdapterKind::Button, "BUTTON"},
        {"button", BS_AUTOCHECKBOX | BS_LEFTTEXT, AdapterKind::CheckBox, "CHECKBOX"},
        {"button", BS_AUTO3STATE, AdapterKind::CheckBox, "CHECKBOX"},
        {"button", BS_RADIOBUTTON, AdapterKind::CheckBox, "CHECKBOX"},
        {"button", BS_AUTORADIOBUTTON, AdapterKind::CheckBox, "CHECKBOX"},
        {"button", BS_GROUPBOX, AdapterKind::GroupBox, "GROUPBOX"},
        // Single bits of the type would make these check boxes or a group box.
        {"button", BS_OWNERDRAW, AdapterKind::None, ""},
        {"button", BS_PUSHBOX, AdapterKind::Button, "BUTTON"},
        {"button", 0x0C /* split button */, AdapterKind::Button, "BUTTON"},
        {"button", 0x0E /* command link */, AdapterKind::Button, "BUTTON"},
        {"button", 0x0F /* default command link */, AdapterKind::Button, "BUTTON"},
        {"Static", SS_LEFT, AdapterKind::Text, "CHECKBOX"},
        {"static", SS_RIGHT | SS_NOPREFIX, AdapterKind::Text, "CHECKBOX"},
        {"static", SS_ICON, AdapterKind::Icon, "CHECKBOX"},
        {"static", SS_BITMAP | SS_CENTERIMAGE, AdapterKind::Icon, "CHECKBOX"},
        {"static", SS_BLACKFRAME, AdapterKind::None, ""},
        {"static", SS_GRAYRECT, AdapterKind::None, ""},
        {"static", SS_SIMPLE, AdapterKind::None, ""},
        {"static", SS_OWNERDRAW, AdapterKind::None, ""},
        {"static", SS_ETCHEDFRAME, AdapterKind::None, ""},
        {"Edit", ES_MULTILINE, AdapterKind::Edit, "EDIT"},
        {"ListBox", 0, AdapterKind::Edit, "EDIT"},
        {"ComboLBox", 0, AdapterKind::Edit, "COMBOBOX"},
        {"ComboBoxEx32", 0, AdapterKind::ComboBox, "COMBOBOX"},
        {"#32770", 0, AdapterKind::TransparentPanel, "CHECKBOX"},
        {"TPanel", 0, AdapterKind::DialogPanel, "PANEL"},
        {"ToolbarWindow32", 0x200, AdapterKind::Toolbar, "BAR"},
        {"ToolbarWindow32", 0, AdapterKind::Toolbar, "CHECKBOX"},
        {"msctls_updown32", 0, AdapterKind::Spin, "SPEEDBUTTON_SMALL"},
        {"SHBrowseForFolder ShellNameSpace Control", 0, AdapterKind::TransparentPanel, "CHECKBOX"},
        {"RichEdit20W", 0, AdapterKind::None, ""},
    };
    for (const auto& c : cases) {
        const ChildAdapterChoice got = MapDialogChild(c.cls, c.style, 10, 10);
        EXPECT_EQ(got.Kind, c.kind) << c.cls << " style " << std::hex << c.style;
        EXPECT_STREQ(got.Section, c.section) << c.cls << " style " << std::hex << c.style;
        EXPECT_FALSE(got.RefusesDialog);
    }
}

TEST(DialogChildMap, OnlyATabControlOfExactly470By349RefusesTheDialog) {
    EXPECT_TRUE(MapDialogChild("SysTabControl32", 0, 470, 349).RefusesDialog);
    EXPECT_FALSE(MapDialogChild("SysTabControl32", 0, 471, 349).RefusesDialog);
    EXPECT_FALSE(MapDialogChild("SysTabControl32", 0, 470, 348).RefusesDialog);
    EXPECT_FALSE(MapDialogChild("listbox", 0, 470, 349).RefusesDialog);
}

TEST(ActivationRules, FollowTheSkinningRules) {
    const TacSkinningRules all = TacSkinningRules::All();
    TacSkinningRules band;  // what the band's manager stores
    band.Include(srStdForms);
    band.Include(srThirdParty);
    TacSkinningRules dialogsOnly;
    dialogsOnly.Include(srStdDialogs);

    auto window = [](const char* cls) { return ActivatedWindow{cls, false, "", 0, false, false}; };
    auto frameworkForm = [](const char* cls, int tag) {
        return ActivatedWindow{"VelmapUiWindow", true, cls, tag, false, false};
    };
    const ActivatedWindow dialog = window("#32770");
    const ActivatedWindow form = frameworkForm("TForm", 0);
    const ActivatedWindow taggedForm = frameworkForm("TForm", kNoSkinTag);
    const ActivatedWindow messageForm = frameworkForm("TMessageForm", 0);
    const ActivatedWindow application = window("TApplication");
    const ActivatedWindow other = window("Notepad");
    const ActivatedWindow secondDialog{"#32770", false, "", 0, true, false};
    const ActivatedWindow secondWithToolbar{"#32770", false, "", 0, true, true};

    struct Case {
        const ActivatedWindow& w;
        TacSkinningRules rules;
        ActivationVerdict verdict;
        const char* what;
    } cases[] = {
        {dialog, all, ActivationVerdict::SkinDialog, "dialog, all rules"},
        {dialog, band, ActivationVerdict::Ignore, "dialog, band rules"},
        {form, band, ActivationVerdict::SkinForm, "form, band rules"},
        {form, dialogsOnly, ActivationVerdict::Ignore, "form, dialogs only"},
        {taggedForm, all, ActivationVerdict::Ignore, "form tagged -98"},
        {messageForm, band, ActivationVerdict::Ignore, "message form, band rules"},
        {messageForm, dialogsOnly, ActivationVerdict::SkinForm, "message form, dialogs only"},
        {application, all, ActivationVerdict::Ignore, "TApplication"},
        {other, all, ActivationVerdict::Ignore, "a window of no dialog class"},
        {secondDialog, all, ActivationVerdict::Ignore, "a second dialog"},
        {secondWithToolbar, all, ActivationVerdict::SkinDialog, "a second dialog with a toolbar"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecideActivation(c.w, c.rules), c.verdict) << c.what;
}

}  // namespace
}  // namespace velmap::skin

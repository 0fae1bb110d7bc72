#include "skin/manager/skin_manager_options.h"

#include "skin/manager/skin_manager.h"

namespace velmap::skin {

TacBtnEffectSet ButtonEffectEvents = TacBtnEffectSet::All();

void TacBtnEffects::SetEvents(TacBtnEffectSet value) {
    own_ = value;
    if (manager_ && manager_->IsDefault()) ButtonEffectEvents = value;
}

namespace {

constexpr std::string_view kNames[ThirdPartyKindCount] = {
    "ThirdEdits",   "ThirdButtons",    "ThirdBitBtns",      "ThirdCheckBoxes", "ThirdComboBoxes",
    "ThirdGrids",   "ThirdGroupBoxes", "ThirdListViews",    "ThirdPanels",     "ThirdTreeViews",
    "ThirdWWEdits", "ThirdGridEh",     "ThirdVirtualTrees",
};

const std::vector<std::string_view>& Defaults(ThirdPartyKind kind) {
    static const std::vector<std::string_view> lists[ThirdPartyKindCount] = {
        {"TEdit", "TMemo", "TMaskEdit", "TLabeledEdit", "THotKey", "TListBox", "TCheckListBox", "TDBListBox",
         "TRichEdit", "TDBMemo", "TSynEdit", "TSynMemo", "TDBSynEdit", "TDBLookupListBox", "TDBRichEdit", "TDBCtrlGrid",
         "TDateTimePicker", "TDBEdit"},
        {"TButton"},
        {"TBitBtn"},
        {"TCheckBox", "TRadioButton", "TDBCheckBox", "TDBCheckBoxEh", "TGroupButton"},
        {"TComboBox", "TColorBox", "TDBComboBox"},
        {"TStringGrid", "TDrawGrid", "TRichView", "TDBRichViewEdit", "TRichViewEdit", "TDBRichView", "TwwDBGrid",
         "TAdvStringGrid", "TDBAdvGrid", "TValueListEditor", "TDBGrid"},
        {"TGroupBox", "TDBRadioGroup", "TRadioGroup"},
        {"TListView"},
        {"TPanel", "TDBCtrlPanel"},
        {"TTreeView", "TRzTreeView", "TDBTreeView"},
        {"TDBLookupComboBox", "TwwDBComboBox", "TwwDBCustomCombo", "TwwDBCustomLookupCombo"},
        {"TDBGridEh"},
        {"TVirtualStringTree", "TVirtualStringTreeDB", "TEasyListview", "TVirtualExplorerListview",
         "TVirtualExplorerTreeview", "TVirtualExplorerTree", "TVirtualDrawTree"},
    };
    return lists[kind];
}

// The text holds exactly one class name (with or without its line break).
bool HoldsExactly(const std::string& text, std::string_view name) {
    auto lines = SplitLines(text);
    return lines.size() == 1 && lines[0] == name;
}

}  // namespace

std::string_view ThirdPartyList::PropertyName(ThirdPartyKind kind) { return kNames[kind]; }

std::string ThirdPartyList::DefaultText(ThirdPartyKind kind) {
    std::string out;
    for (auto name : Defaults(kind)) {
        out += name;
        out += "\r\n";
    }
    return out;
}

void ThirdPartyList::ApplyDefaults() {
    int shifted_from = -1;
    if (HoldsExactly(Lists[tpEdits], "TButton"))
        shifted_from = tpEdits;
    else if (HoldsExactly(Lists[tpButtons], "TBitBtn"))
        shifted_from = tpButtons;
    if (shifted_from >= 0) {
        // Every list from the first misplaced one sits one place early: move
        // each one place on. The list pushed past ThirdGridEh belonged to no
        // property of the old order, and the place left open takes its default.
        for (int i = tpGridEh; i > shifted_from; --i) Lists[i] = std::move(Lists[i - 1]);
        Lists[shifted_from].clear();
        Lists[tpVirtualTrees] = DefaultText(tpVirtualTrees);
    }
    for (int i = 0; i < ThirdPartyKindCount; ++i)
        if (Lists[i].empty()) Lists[i] = DefaultText(static_cast<ThirdPartyKind>(i));
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(pos, end - pos));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        pos = end;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

}  // namespace velmap::skin

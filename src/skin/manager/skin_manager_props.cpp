// The published properties of the skin manager and its option objects, as the
// stored form description reader sees them.
#include <array>

#include "skin/data/convert.h"
#include "win/strings.h"
#include "skin/manager/skin_manager.h"
#include "ui/reader.h"

namespace velmap::skin {

namespace {

namespace props = ui::props;
using ui::TPersistent;
using ui::TPropInfo;
using ui::TReader;
using ui::TValue;
using ui::TValueType;

std::string Narrow(const std::wstring& w) { return win::WideToUtf8(w); }

// A list property may be stored as one text (lines split at CR LF) or as a
// string list.
std::vector<std::string> ToLines(const TValue& v) {
    if (v.type == TValueType::String) return SplitLines(Narrow(v.string));
    std::vector<std::string> out;
    for (const auto& s : props::ToStrings(v)) out.push_back(Narrow(s));
    return out;
}

template <typename T>
T& As(TPersistent& o) {
    return static_cast<T&>(o);
}

// ---- stored skins ----

// One collection item: the reader sets the published properties of a stored
// skin through it.
class StoredSkinItem : public TPersistent {
public:
    StoredSkinItem(TsStoredSkins& list, std::size_t index) : list_(list), index_(index) {}
    std::string ClassName() const override { return "TsStoredSkin"; }
    const ui::TPropTable& Props() const override;
    TsStoredSkin& Skin() { return list_[index_]; }

private:
    TsStoredSkins& list_;
    std::size_t index_;
};

const ui::TPropTable& StoredSkinItem::Props() const {
    static const TPropInfo infos[] = {
        {"Name", [](TPersistent& o, const TValue& v,
                    TReader&) { As<StoredSkinItem>(o).Skin().Name = Narrow(props::ToString(v)); }},
        {"Data",
         [](TPersistent& o, const TValue& v, TReader& r) {
             r.Expect(v, TValueType::Binary, "a resource reference (@NAME)");
             As<StoredSkinItem>(o).Skin().Data = r.Resource(v.ident, v.line);
         }},
        {"Version",
         [](TPersistent& o, const TValue& v, TReader&) {
             // A real number: written as text ("5.43") or as a whole number.
             As<StoredSkinItem>(o).Skin().Version = v.type == TValueType::String ? ParseVersion(Narrow(v.string))
                                                                                 : props::ToInt(v);
         }},
        {"Author", [](TPersistent& o, const TValue& v,
                      TReader&) { As<StoredSkinItem>(o).Skin().Author = Narrow(props::ToString(v)); }},
        {"Description", [](TPersistent& o, const TValue& v,
                           TReader&) { As<StoredSkinItem>(o).Skin().Description = Narrow(props::ToString(v)); }},
        {"Shadow1Color", [](TPersistent& o, const TValue& v,
                            TReader&) { As<StoredSkinItem>(o).Skin().Shadow1Color = props::ToColor(v); }},
        {"Shadow1Offset", [](TPersistent& o, const TValue& v,
                             TReader&) { As<StoredSkinItem>(o).Skin().Shadow1Offset = props::ToInt(v); }},
        {"Shadow1Blur",
         [](TPersistent& o, const TValue& v, TReader&) { As<StoredSkinItem>(o).Skin().Shadow1Blur = props::ToInt(v); }},
        {"Shadow1Transparency", [](TPersistent& o, const TValue& v,
                                   TReader&) { As<StoredSkinItem>(o).Skin().Shadow1Transparency = props::ToInt(v); }},
        {"BorderColor", [](TPersistent& o, const TValue& v,
                           TReader&) { As<StoredSkinItem>(o).Skin().BorderColor = props::ToColor(v); }},
    };
    static const ui::TPropTable table{&TPersistent::ClassProps(), infos};
    return table;
}

class StoredSkinsCollection : public props::TCollection {
public:
    explicit StoredSkinsCollection(TsStoredSkins& list) : list_(list) {}
    void Clear() override {
        items_.clear();
        list_.clear();
    }
    TPersistent& Add() override {
        list_.emplace_back();
        items_.push_back(std::make_unique<StoredSkinItem>(list_, list_.size() - 1));
        return *items_.back();
    }

private:
    TsStoredSkins& list_;
    std::vector<std::unique_ptr<StoredSkinItem>> items_;
};

constexpr std::array<const char*, 3> kRuleNames = {"srStdForms", "srStdDialogs", "srThirdParty"};
constexpr std::array<const char*, 4> kBtnEffectNames = {"beMouseEnter", "beMouseLeave", "beMouseDown", "beMouseUp"};

}  // namespace

const ui::TPropTable& TacBtnEffects::Props() const {
    static const TPropInfo infos[] = {
        {"Events",
         [](TPersistent& o, const TValue& v, TReader&) {
             As<TacBtnEffects>(o).SetEvents(TacBtnEffectSet::FromBits(props::ToSet(v, kBtnEffectNames)));
         }},
    };
    static const ui::TPropTable table{&TPersistent::ClassProps(), infos};
    return table;
}

const ui::TPropTable& TacFormAnimation::Props() const {
    static const TPropInfo infos[] = {
        {"Active",
         [](TPersistent& o, const TValue& v, TReader&) { As<TacFormAnimation>(o).SetActive(props::ToBool(v)); }},
        {"Time", [](TPersistent& o, const TValue& v, TReader&) { As<TacFormAnimation>(o).SetTime(props::ToInt(v)); }},
    };
    static const ui::TPropTable table{&TPersistent::ClassProps(), infos};
    return table;
}

const ui::TPropTable& TacAnimEffects::Props() const {
    static const TPropInfo infos[] = {
        {"Buttons", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TacAnimEffects>(o).Buttons; }},
        {"DialogShow", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TacAnimEffects>(o).DialogShow; }},
        {"FormShow", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TacAnimEffects>(o).FormShow; }},
        {"PageChange", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TacAnimEffects>(o).PageChange; }},
        {"SkinChanging", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TacAnimEffects>(o).SkinChanging; }},
    };
    static const ui::TPropTable table{&TPersistent::ClassProps(), infos};
    return table;
}

const ui::TPropTable& TacMenuSupport::Props() const {
    static const TPropInfo infos[] = {
        {"IcoLineSkin", [](TPersistent& o, const TValue& v,
                           TReader&) { As<TacMenuSupport>(o).IcoLineSkin = Narrow(props::ToString(v)); }},
        {"UseExtraLine",
         [](TPersistent& o, const TValue& v, TReader&) { As<TacMenuSupport>(o).UseExtraLine = props::ToBool(v); }},
        {"ExtraLineWidth",
         [](TPersistent& o, const TValue& v, TReader&) { As<TacMenuSupport>(o).ExtraLineWidth = props::ToInt(v); }},
    };
    static const ui::TPropTable table{&TPersistent::ClassProps(), infos};
    return table;
}

namespace {

template <ThirdPartyKind K>
TPropInfo ThirdProp() {
    return {ThirdPartyList::PropertyName(K).data(),
            [](TPersistent& o, const TValue& v, TReader&) { As<ThirdPartyList>(o).Lists[K] = JoinLines(ToLines(v)); }};
}

}  // namespace

const ui::TPropTable& ThirdPartyList::Props() const {
    static const TPropInfo infos[] = {
        ThirdProp<tpEdits>(),        ThirdProp<tpButtons>(),   ThirdProp<tpBitBtns>(),    ThirdProp<tpCheckBoxes>(),
        ThirdProp<tpComboBoxes>(),   ThirdProp<tpGrids>(),     ThirdProp<tpGroupBoxes>(), ThirdProp<tpListViews>(),
        ThirdProp<tpPanels>(),       ThirdProp<tpTreeViews>(), ThirdProp<tpWWEdits>(),    ThirdProp<tpGridEh>(),
        ThirdProp<tpVirtualTrees>(),
    };
    static const ui::TPropTable table{&TPersistent::ClassProps(), infos};
    return table;
}

const ui::TPropTable& TsSkinManager::ClassProps() {
    static const TPropInfo infos[] = {
        {"Active", [](TPersistent& o, const TValue& v, TReader&) { As<TsSkinManager>(o).SetActive(props::ToBool(v)); }},
        {"InternalSkins",
         [](TPersistent& o, const TValue& v, TReader& r) {
             r.Expect(v, TValueType::Collection, "a collection");
             StoredSkinsCollection c(As<TsSkinManager>(o).InternalSkins());
             c.Clear();
             for (const auto& item : v.items) r.ApplyProps(c.Add(), item.props);
         }},
        {"SkinDirectory", [](TPersistent& o, const TValue& v,
                             TReader&) { As<TsSkinManager>(o).SetSkinDirectory(Narrow(props::ToString(v))); }},
        {"SkinName", [](TPersistent& o, const TValue& v,
                        TReader&) { As<TsSkinManager>(o).SetSkinName(Narrow(props::ToString(v))); }},
        {"CommonSections",
         [](TPersistent& o, const TValue& v, TReader&) { As<TsSkinManager>(o).SetCommonSections(ToLines(v)); }},
        {"HueOffset",
         [](TPersistent& o, const TValue& v, TReader&) { As<TsSkinManager>(o).SetHueOffset(props::ToInt(v)); }},
        {"Saturation",
         [](TPersistent& o, const TValue& v, TReader&) { As<TsSkinManager>(o).SetSaturation(props::ToInt(v)); }},
        {"IsDefault",
         [](TPersistent& o, const TValue& v, TReader&) { As<TsSkinManager>(o).SetIsDefault(props::ToBool(v)); }},
        {"SkinnedPopups",
         [](TPersistent& o, const TValue& v, TReader&) { As<TsSkinManager>(o).SetSkinnedPopups(props::ToBool(v)); }},
        {"SkinningRules",
         [](TPersistent& o, const TValue& v, TReader&) {
             As<TsSkinManager>(o).SetSkinningRules(TacSkinningRules::FromBits(props::ToSet(v, kRuleNames)));
         }},
        {"AnimEffects", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TsSkinManager>(o).AnimEffects(); }},
        {"MenuSupport", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TsSkinManager>(o).MenuSupport(); }},
        {"ThirdParty", nullptr, [](TPersistent& o) -> TPersistent* { return &As<TsSkinManager>(o).ThirdParty(); }},
        {"SkinInfo", [](TPersistent& o, const TValue& v,
                        TReader&) { As<TsSkinManager>(o).SetSkinInfo(Narrow(props::ToString(v))); }},
        {"Version", [](TPersistent& o, const TValue& v,
                       TReader&) { As<TsSkinManager>(o).SetVersion(Narrow(props::ToString(v))); }},
        props::Event<&TsSkinManager::OnBeforeChange>("OnBeforeChange"),
        props::Event<&TsSkinManager::OnAfterChange>("OnAfterChange"),
        props::Event<&TsSkinManager::OnGetMenuExtraLineData>("OnGetMenuExtraLineData"),
    };
    static const ui::TPropTable table{&ui::TComponent::ClassProps(), infos};
    return table;
}

const ui::TPropTable& TsSkinManager::Props() const { return ClassProps(); }

void RegisterSkinManagerClass() { ui::RegisterClass<TsSkinManager>("TsSkinManager"); }

}  // namespace velmap::skin

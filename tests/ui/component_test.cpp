// Components and the stored-description reader, without any window: a
// probe class with one property of every kind, and a root offering fields
// and handlers as a form does.
#include "ui/form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace velmap::ui::test {
namespace {

std::vector<std::string> g_log;  // "+Name" on Loaded, "-Name" on destruction
int g_live = 0;

enum class TProbeKind { pkOne, pkTwo, pkThree };
constexpr const char* kProbeKinds[] = {"pkOne", "pkTwo", "pkThree"};
using TProbeKinds = TSet<TProbeKind>;

class TProbe;

class TProbeItem : public TPersistent {
public:
    int value = 0;
    std::wstring label;
    TProbe* target = nullptr;
    void SetValue(int v) { value = v; }
    void SetLabel(const std::wstring& v) { label = v; }
    void SetTarget(TProbe* p) { target = p; }
    std::string ClassName() const override { return "TProbeItem"; }
    const TPropTable& Props() const override;
};

class TProbeItems : public props::TCollection {
public:
    std::vector<std::unique_ptr<TProbeItem>> items;
    void Clear() override { items.clear(); }
    TPersistent& Add() override { return *items.emplace_back(std::make_unique<TProbeItem>()); }
};

class TProbeInner : public TPersistent {
public:
    int depth = 0;
    TProbeItems items;
    void SetDepth(int v) { depth = v; }
    TProbeItems& Items() { return items; }
    std::string ClassName() const override { return "TProbeInner"; }
    const TPropTable& Props() const override {
        static const TPropInfo p[] = {props::Int<&TProbeInner::SetDepth>("Depth"),
                                      props::Collection<&TProbeInner::Items>("Items")};
        static const TPropTable t{&TPersistent::ClassProps(), p};
        return t;
    }
};

class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* owner) : TComponent(owner) { ++g_live; }
    ~TProbe() override {
        --g_live;
        g_log.push_back("-" + Name());
    }
    int number = 0;
    bool flag = false;
    TColor color = clNone;
    std::wstring text;
    TProbeKind kind = TProbeKind::pkOne;
    TProbeKinds kinds;
    std::vector<std::wstring> lines;
    std::vector<std::uint8_t> blob;
    TProbe* buddy = nullptr;
    TProbeInner inner;
    TProbeItems items;
    TNotifyEvent OnPing;
    std::vector<std::pair<TComponent*, TOperation>> notes;

    void SetNumber(int v) { number = v; }
    void SetFlag(bool v) { flag = v; }
    void SetColor(TColor v) { color = v; }
    void SetText(const std::wstring& v) { text = v; }
    void SetKind(TProbeKind v) { kind = v; }
    void SetKinds(TProbeKinds v) { kinds = v; }
    void SetLines(const std::vector<std::wstring>& v) { lines = v; }
    void SetBlob(const std::vector<std::uint8_t>& v) { blob = v; }
    void SetBuddy(TProbe* p) { buddy = p; }
    TProbeInner& Inner() { return inner; }
    TProbeItems& Items() { return items; }

    void Loaded() override {
        TComponent::Loaded();
        g_log.push_back("+" + Name());
    }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        notes.emplace_back(c, op);
        if (op == TOperation::opRemove && c == buddy) buddy = nullptr;
    }
    std::string ClassName() const override { return "TProbe"; }
    const TPropTable& Props() const override {
        static const TPropInfo p[] = {
            props::Int<&TProbe::SetNumber>("Number"),
            props::Bool<&TProbe::SetFlag>("Flag"),
            props::Color<&TProbe::SetColor>("Color"),
            props::String<&TProbe::SetText>("Text"),
            props::Enum<&TProbe::SetKind, kProbeKinds>("Kind"),
            props::SetOf<&TProbe::SetKinds, kProbeKinds>("Kinds"),
            props::Strings<&TProbe::SetLines>("Lines"),
            props::Binary<&TProbe::SetBlob>("Blob"),
            props::Ref<&TProbe::SetBuddy>("Buddy"),
            props::Object<&TProbe::Inner>("Inner"),
            props::Collection<&TProbe::Items>("Items"),
            props::Event<&TProbe::OnPing>("OnPing"),
        };
        static const TPropTable t{&TComponent::ClassProps(), p};
        return t;
    }
};

const TPropTable& TProbeItem::Props() const {
    static const TPropInfo p[] = {props::Int<&TProbeItem::SetValue>("Value"),
                                  props::String<&TProbeItem::SetLabel>("Label"),
                                  props::Ref<&TProbeItem::SetTarget>("Target")};
    static const TPropTable t{&TPersistent::ClassProps(), p};
    return t;
}

class TOther : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TOther"; }
};

class TProbeRoot : public TProbe {
public:
    TProbe* First = nullptr;
    TProbe* Second = nullptr;
    int pings = 0;
    explicit TProbeRoot(TComponent* owner = nullptr) : TProbe(owner) {
        RegisterClass<TProbe>("TProbe");
        RegisterClass<TOther>("TOther");
        RegisterField("First", &First);
        RegisterField("Second", &Second);
        RegisterHandler<void(TComponent*)>("Ping", [this](TComponent*) { ++pings; });
        RegisterHandler<void(int)>("WrongShape", [](int) {});
    }
    std::string ClassName() const override { return "TProbeRoot"; }
};

std::map<std::string, std::vector<std::uint8_t>> g_resources{{"BLOB_A", {1, 2, 3}}, {"EMPTY", {}}};

TResourceSource Resources() {
    return [](const std::string& name) -> std::optional<std::vector<std::uint8_t>> {
        auto it = g_resources.find(name);
        if (it == g_resources.end()) return std::nullopt;
        return it->second;
    };
}

// Loads text under a fresh root; returns the error message, or "" on success.
std::string Load(TProbeRoot& root, const std::string& body) {
    try {
        ReadComponentFromText(&root, "object Root : TProbeRoot\n" + body + "end\n", Resources());
    } catch (const EUiError& e) {
        return e.what();
    }
    return {};
}

TEST(Reader, ValueGrammarReachesEveryKindOfProperty) {
    owned<TProbeRoot> root(Make<TProbeRoot>());
    ASSERT_EQ(Load(*root,
                   "  Number = -2147483648\n"
                   "  Flag = TRUE\n"
                   "  Color = 0x80000005\n"
                   "  Text = \"tab\\there \\\"q\\\" back\\\\slash \xC3\xA9\"\n"
                   "  Kind = pkThree\n"
                   "  Kinds = [pkThree, pkOne]\n"
                   "  Lines = (\"\", \"a,b\", \")\")\n"
                   "  Blob = @BLOB_A\n"
                   "  Inner.Depth = 0xfF\n"
                   "  Inner.Items = < item Value = -1 Label = \"x\" end >\n"
                   "  Items = <\n"
                   "    item Value = 7 Target = Second end\n"
                   "    item end\n"
                   "  >\n"
                   "  OnPing = Ping\n"
                   "  Buddy = Second  // declared further down\n"
                   "  object First : TProbe\n"
                   "    Buddy = Root\n"
                   "    Kinds = []\n"
                   "    Blob = @EMPTY\n"
                   "  end\n"
                   "  object Second : TProbe\n"
                   "    Number = 0x7FFFFFFF\n"
                   "  end\n"),
              "");
    EXPECT_EQ(root->number, INT32_MIN);
    EXPECT_TRUE(root->flag);
    EXPECT_EQ(root->color, SystemColor(COLOR_WINDOW));
    EXPECT_EQ(root->text, L"tab\there \"q\" back\\slash \u00E9");
    EXPECT_EQ(root->kind, TProbeKind::pkThree);
    EXPECT_EQ(root->kinds, (TProbeKinds{TProbeKind::pkOne, TProbeKind::pkThree}));
    EXPECT_EQ(root->lines, (std::vector<std::wstring>{L"", L"a,b", L")"}));
    EXPECT_EQ(root->blob, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(root->inner.depth, 255);
    ASSERT_EQ(root->inner.items.items.size(), 1u);
    EXPECT_EQ(root->inner.items.items[0]->value, -1);
    EXPECT_EQ(root->inner.items.items[0]->label, L"x");
    ASSERT_EQ(root->items.items.size(), 2u);
    EXPECT_EQ(root->items.items[0]->value, 7);
    EXPECT_EQ(root->items.items[1]->value, 0);
    // References to components declared later, and to the root itself.
    ASSERT_TRUE(root->First && root->Second);
    EXPECT_EQ(root->buddy, root->Second);
    EXPECT_EQ(root->items.items[0]->target, root->Second);
    EXPECT_EQ(root->First->buddy, root.get());
    EXPECT_TRUE(root->First->kinds.Empty());
    EXPECT_TRUE(root->First->blob.empty());
    EXPECT_EQ(root->Second->number, INT32_MAX);
    ASSERT_TRUE(root->OnPing);
    root->OnPing(root.get());
    EXPECT_EQ(root->pings, 1);
    for (TComponent* c : {static_cast<TComponent*>(root.get()), static_cast<TComponent*>(root->First)})
        EXPECT_TRUE(c->ComponentState().Empty()) << c->Name();
}

// Every refused value names the line and the property, and a failed load
// leaves no component, no field and no loading state behind.
TEST(Reader, ErrorsNameLineAndThingAndLeaveNothing) {
    owned<TProbeRoot> root(Make<TProbeRoot>());
    auto error = [&](const std::string& body) {
        g_log.clear();
        int live = g_live;
        std::string e = Load(*root, body);
        EXPECT_EQ(g_live, live) << body;
        EXPECT_TRUE(root->Components().empty()) << body;
        EXPECT_EQ(root->First, nullptr) << body;
        EXPECT_EQ(root->Second, nullptr) << body;
        EXPECT_FALSE(root->Is(TComponentState::csLoading) || root->Is(TComponentState::csReading)) << body;
        // Nothing that failed was told its loading had ended.
        for (const std::string& l : g_log) EXPECT_NE(l[0], '+') << body << ": " << l;
        return e;
    };
    const std::string first = "  object First : TProbe\n  end\n";
    EXPECT_EQ(error(first + "  Number = 2147483648\n"), "line 4: Number: 2147483648 is out of range");
    EXPECT_EQ(error(first + "  Number = -2147483649\n"), "line 4: Number: -2147483649 is out of range");
    EXPECT_EQ(error(first + "  Number = \"1\"\n"), "line 4: Number: integer expected, found a string");
    EXPECT_EQ(error(first + "  Text = Hello\n"), "line 4: Text: string expected, found an identifier");
    EXPECT_EQ(error(first + "  Kinds = [pkOne, pkFour]\n"), "line 4: Kinds: 'pkFour' is not a valid value");
    EXPECT_EQ(error(first + "  Kind = [pkOne]\n"), "line 4: Kind: identifier expected, found a set");
    EXPECT_EQ(error(first + "  Color = clPuce\n"), "line 4: Color: 'clPuce' is not a colour");
    EXPECT_EQ(error(first + "  Lines = \"one\"\n"), "line 4: Lines: string list expected, found a string");
    EXPECT_EQ(error(first + "  Blob = BLOB_A\n"), "line 4: Blob: a resource reference (@NAME) expected");
    EXPECT_EQ(error(first + "  Blob = @NO_SUCH\n"), "line 4: Blob: resource 'NO_SUCH' not found");
    EXPECT_EQ(error(first + "  OnPing = WrongShape\n"),
              "line 4: OnPing: handler 'WrongShape' has the wrong parameters");
    EXPECT_EQ(error(first + "  Inner.Nope = 1\n"), "line 4: unknown property 'Inner.Nope' of class TProbeRoot");
    EXPECT_EQ(error(first + "  Number.Low = 1\n"), "line 4: property 'Number' has no nested properties");
    EXPECT_EQ(error(first + "  Inner = 1\n"), "line 4: property 'Inner' cannot be assigned a value");
    EXPECT_EQ(error(first + "  Items = < item Value = 1 end\n item Nope = 2 end >\n"),
              "line 5: unknown property 'Nope' of class TProbeItem");
    EXPECT_EQ(error(first + "  Items = < item Target = Nobody end >\n"), "line 4: component 'Nobody' not found");
    // A reference to a component of the wrong class, found only after reading.
    EXPECT_EQ(error(first + "  object Third : TOther\n  end\n  Buddy = Third\n"),
              "line 6: component 'Third' has the wrong class");
    // A field whose component has another class: the line of its declaration.
    EXPECT_EQ(error(first + "\n  object Second : TOther\n  end\n"),
              "line 5: field Second has another class than TOther");
    // The same root loads cleanly afterwards.
    root.reset(Make<TProbeRoot>());
    EXPECT_EQ(Load(*root, first), "");
    EXPECT_NE(root->First, nullptr);
}

TEST(Parser, HostileNestingIsRefusedNotRecursed) {
    // Collections inside collection items, far deeper than any form needs:
    // an error, not a stack overflow.
    std::string text = "object R : TProbeRoot\n";
    for (int i = 0; i < 50000; ++i) text += "X = < item ";
    try {
        ParseDescription(text);
        ADD_FAILURE() << "parsed";
    } catch (const EUiError& e) {
        EXPECT_NE(std::string(e.what()).find("nested too deeply"), std::string::npos) << e.what();
    }
    // A moderately nested collection still parses.
    std::string ok = "object R : TProbeRoot\n";
    for (int i = 0; i < 8; ++i) ok += "X = < item ";
    for (int i = 0; i < 8; ++i) ok += "end > ";
    ok += "end";
    EXPECT_NO_THROW(ParseDescription(ok));
    // Numbers: the sign binds to hex too; 32 bits is the limit either way.
    TObjectDesc d = ParseDescription("object R : T A = -0x10 B = 0xFFFFFFFF C = -0 end");
    EXPECT_EQ(d.props[0].value.integer, -16);
    EXPECT_EQ(d.props[1].value.integer, 0xFFFFFFFFll);
    EXPECT_EQ(d.props[2].value.integer, 0);
    EXPECT_THROW(ParseDescription("object R : T A = 0x100000000 end"), EUiError);
    EXPECT_THROW(ParseDescription("object R : T A = 0x end"), EUiError);
    EXPECT_THROW(ParseDescription("object R : T A = - 1 end"), EUiError);
    EXPECT_THROW(ParseDescription("object R : T A = [a b] end"), EUiError);
    EXPECT_THROW(ParseDescription("object R : T A = (\"a\" \"b\") end"), EUiError);
    EXPECT_THROW(ParseDescription("object R : T A = @ end"), EUiError);
    EXPECT_THROW(ParseDescription("object R : T A = \"\xC3\" end"), EUiError);  // not UTF-8
    EXPECT_THROW(ParseDescription(std::string(kMaxDescriptionBytes + 1, ' ')), EUiError);
}

// Owned components go with their owner, last-made first; the owner hears of
// every arrival and departure, watchers hear of a watched one going, and a
// root's field is cleared when its component is freed.
TEST(Component, OwnershipNotificationsAndFields) {
    g_log.clear();
    {
        owned<TProbeRoot> root(Make<TProbeRoot>());
        root->SetName("Root");
        auto* a = Make<TProbe>(root.get());
        a->SetName("First");
        auto* b = Make<TProbe>(root.get());
        b->SetName("B");
        auto* c = Make<TProbe>(b);
        c->SetName("C");
        ASSERT_EQ(root->notes.size(), 2u);
        EXPECT_EQ(root->notes[0], std::make_pair(static_cast<TComponent*>(a), TOperation::opInsert));
        EXPECT_EQ(root->FindComponent("B"), b);
        EXPECT_EQ(root->FindComponent("C"), nullptr);                        // not the root's own
        EXPECT_THROW(Make<TProbe>(root.get())->SetName("First"), EUiError);  // the unnamed one stays
        EXPECT_THROW(a->SetName("9lives"), EUiError);
        EXPECT_EQ(root->Components().size(), 3u);
        root->Components().back()->Free();

        // A watcher in another tree hears when the watched one goes.
        owned<TProbe> watcher(Make<TProbe>(nullptr));
        watcher->buddy = c;
        watcher->FreeNotification(c);
        ASSERT_TRUE(root->BindField("First", a));
        root->notes.clear();
        a->Free();
        EXPECT_EQ(root->First, nullptr);
        ASSERT_EQ(root->notes.size(), 1u);
        EXPECT_EQ(root->notes[0].second, TOperation::opRemove);
        b->Free();  // C with it
        EXPECT_EQ(watcher->buddy, nullptr);
        EXPECT_TRUE(root->Components().empty());

        // A watch taken back is not reported.
        auto* d = Make<TProbe>(root.get());
        watcher->notes.clear();
        watcher->FreeNotification(d);
        watcher->RemoveFreeNotification(d);
        d->Free();
        EXPECT_TRUE(watcher->notes.empty());

        // Freeing the watcher first leaves the watched one with no dangling watch.
        auto* e = Make<TProbe>(root.get());
        {
            owned<TProbe> w2(Make<TProbe>(nullptr));
            w2->FreeNotification(e);
        }
        e->Free();  // would reach the freed watcher otherwise
        for (const char* n : {"X", "Y", "Z"}) Make<TProbe>(root.get())->SetName(n);
        g_log.clear();
    }
    // The watcher (declared last) goes first; the owner's own destructor
    // runs, then its components go last-made first.
    EXPECT_EQ(g_log, (std::vector<std::string>{"-", "-Root", "-Z", "-Y", "-X"}));
}

// Every component of a tree knows it is being destroyed before any goes.
TEST(Component, WholeTreeIsMarkedBeforeAnyPartGoes) {
    struct TMarked : TProbe {
        using TProbe::TProbe;
        std::vector<bool>* seen = nullptr;
        TComponent* other = nullptr;
        ~TMarked() override {
            if (seen && other) seen->push_back(other->Is(TComponentState::csDestroying));
        }
    };
    std::vector<bool> seen;
    auto* root = Make<TProbe>(nullptr);
    auto* first = Make<TMarked>(root);
    auto* second = Make<TMarked>(root);
    first->seen = &seen;
    first->other = root;
    second->seen = &seen;
    second->other = first;  // still alive when the later one goes first
    root->Free();
    EXPECT_EQ(seen, (std::vector<bool>{true, true}));
}

}  // namespace
}  // namespace velmap::ui::test

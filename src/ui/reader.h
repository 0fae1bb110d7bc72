// The reader that builds a component tree from a stored form description
// (the text format is described in ui/description.h).
#pragma once

#include "ui/component.h"
#include "ui/description.h"
#include "win/module.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <type_traits>
#include <string>
#include <string_view>
#include <vector>

namespace velmap::ui {

// Where binary values come from: the module's RCDATA resources by default.
using TResourceSource = std::function<std::optional<std::vector<std::uint8_t>>(const std::string& name)>;
TResourceSource ModuleResources(HMODULE module);
// The module (EXE or DLL) that holds this code.
using win::ThisModule;
// Reads an RCDATA resource as text; throws when it does not exist.
std::string LoadTextResource(HMODULE module, const std::string& name);

class TReader {
public:
    TReader(TComponent* root, TResourceSource resources);

    // Builds the tree under the root: creates the components in stored order,
    // sets their properties, binds references, events and fields, then runs
    // every end-of-loading step. On failure everything it created is freed.
    void ReadRoot(const TObjectDesc& desc);

    TComponent* Root() const { return root_; }

    // Used by property setters.
    void ApplyProps(TPersistent& target, const std::vector<TPropDesc>& props);
    void AddFixup(const std::string& name, int line, std::function<void(TComponent*)> assign);
    std::vector<std::uint8_t> Resource(const std::string& name, int line);
    template <typename Sig>
    std::function<Sig> Handler(const TValue& v, const char* prop) {
        Expect(v, TValueType::Ident, prop);
        bool wrong = false;
        auto fn = root_->FindHandler<Sig>(v.ident, &wrong);
        if (!fn)
            throw EUiError(wrong ? "handler '" + v.ident + "' has the wrong parameters"
                                 : "handler '" + v.ident + "' not found");
        return fn;
    }
    [[noreturn]] void Fail(int line, const std::string& what) const;
    void Expect(const TValue& v, TValueType t, const char* prop) const;

private:
    void ReadObject(const TObjectDesc& desc, TComponent* parent_object, int depth);
    void SetProperty(TPersistent& target, const TPropDesc& p);

    struct Fixup {
        std::string name;
        int line;
        std::function<void(TComponent*)> assign;
    };

    TComponent* root_;
    TResourceSource resources_;
    std::vector<TComponent*> created_;
    std::vector<int> created_lines_;  // where each was declared, for errors
    std::vector<Fixup> fixups_;
};

// Loads the root from description text.
void ReadComponentFromText(TComponent* root, std::string_view text, TResourceSource resources);
// Loads the root from a parsed description.
void ReadComponent(TComponent* root, const TObjectDesc& desc, TResourceSource resources);

// The description stored as text resource `name` of module, parsed. This
// module's own are parsed once and kept while it is loaded (they cannot
// change meanwhile); another module's are parsed at every call. Throws as
// LoadTextResource and ParseDescription do; nothing is kept then.
std::shared_ptr<const TObjectDesc> StoredDescription(HMODULE module, const std::string& name);

// ---- Helpers that build property tables ------------------------------------

namespace props {

template <typename M>
struct MemberTraits;
template <typename C, typename R, typename A>
struct MemberTraits<R (C::*)(A)> {
    using cls = C;
    using arg = std::decay_t<A>;
};
template <typename C, typename R>
struct MemberTraits<R& (C::*)()> {
    using cls = C;
    using arg = R;
};
template <typename C, typename F>
struct MemberTraits<F C::*> {
    using cls = C;
    using arg = F;
};
template <auto M>
using ClassOf = typename MemberTraits<decltype(M)>::cls;
template <auto M>
using ArgOf = typename MemberTraits<decltype(M)>::arg;

template <typename F>
struct FunctionSig;
template <typename Sig>
struct FunctionSig<std::function<Sig>> {
    using type = Sig;
};

// Value conversions; each throws EUiError describing a mismatch.
int ToInt(const TValue& v);
bool ToBool(const TValue& v);
TColor ToColor(const TValue& v);
std::wstring ToString(const TValue& v);
std::size_t ToEnum(const TValue& v, std::span<const char* const> names);
std::uint32_t ToSet(const TValue& v, std::span<const char* const> names);
const std::vector<std::wstring>& ToStrings(const TValue& v);

template <auto Set>
TPropInfo Int(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader&) { (static_cast<ClassOf<Set>&>(o).*Set)(ToInt(v)); }};
}
template <auto Set>
TPropInfo Bool(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader&) { (static_cast<ClassOf<Set>&>(o).*Set)(ToBool(v)); }};
}
template <auto Set>
TPropInfo Color(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader&) { (static_cast<ClassOf<Set>&>(o).*Set)(ToColor(v)); }};
}
template <auto Set>
TPropInfo String(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader&) { (static_cast<ClassOf<Set>&>(o).*Set)(ToString(v)); }};
}
template <auto Set>
TPropInfo Strings(const char* name) {
    return {name,
            [](TPersistent& o, const TValue& v, TReader&) { (static_cast<ClassOf<Set>&>(o).*Set)(ToStrings(v)); }};
}
// An enum property; Names lists the identifiers in enum order.
template <auto Set, auto& Names>
TPropInfo Enum(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader&) {
                (static_cast<ClassOf<Set>&>(o).*Set)(static_cast<ArgOf<Set>>(ToEnum(v, Names)));
            }};
}
// A set property of TSet<E>; Names lists E's identifiers in enum order.
template <auto Set, auto& Names>
TPropInfo SetOf(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader&) {
                (static_cast<ClassOf<Set>&>(o).*Set)(ArgOf<Set>::FromBits(ToSet(v, Names)));
            }};
}
// A nested object reached through a getter returning a reference.
template <auto Get>
TPropInfo Object(const char* name) {
    return {name, nullptr, [](TPersistent& o) -> TPersistent* { return &(static_cast<ClassOf<Get>&>(o).*Get)(); }};
}
// A reference to another component of the tree, resolved after reading.
template <auto Set>
TPropInfo Ref(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader& r) {
                r.Expect(v, TValueType::Ident, "a component name");
                auto* self = &static_cast<ClassOf<Set>&>(o);
                std::string target = v.ident;
                r.AddFixup(target, v.line, [self, target](TComponent* c) {
                    using T = std::remove_pointer_t<ArgOf<Set>>;
                    T* t = dynamic_cast<T*>(c);
                    if (!t) throw EUiError("component '" + target + "' has the wrong class");
                    (self->*Set)(t);
                });
            }};
}
// An event field (a std::function member) bound to a handler of the root.
template <auto Field>
TPropInfo Event(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader& r) {
                using Sig = typename FunctionSig<ArgOf<Field>>::type;
                static_cast<ClassOf<Field>&>(o).*Field = r.Handler<Sig>(v, "the event");
            }};
}
// Binary data held in a resource of its own.
template <auto Set>
TPropInfo Binary(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader& r) {
                r.Expect(v, TValueType::Binary, "a resource reference (@NAME)");
                (static_cast<ClassOf<Set>&>(o).*Set)(r.Resource(v.ident, v.line));
            }};
}

// A list of items with properties, stored as < item ... end ... >.
class TCollection : public TPersistent {
public:
    virtual void Clear() = 0;
    virtual TPersistent& Add() = 0;
};
template <auto Get>
TPropInfo Collection(const char* name) {
    return {name, [](TPersistent& o, const TValue& v, TReader& r) {
                r.Expect(v, TValueType::Collection, "a collection");
                TCollection& c = (static_cast<ClassOf<Get>&>(o).*Get)();
                c.Clear();
                for (const TItemDesc& item : v.items) r.ApplyProps(c.Add(), item.props);
            }};
}

}  // namespace props

}  // namespace velmap::ui

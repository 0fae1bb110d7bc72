#include "ui/reader.h"

#include "ui/win_control.h"
#include "win/strings.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

namespace velmap::ui {

// ---- Value conversions -----------------------------------------------------

namespace props {

static const char* TypeName(TValueType t) {
    switch (t) {
        case TValueType::Integer:
            return "an integer";
        case TValueType::String:
            return "a string";
        case TValueType::Ident:
            return "an identifier";
        case TValueType::Set:
            return "a set";
        case TValueType::StringList:
            return "a string list";
        case TValueType::Collection:
            return "a collection";
        case TValueType::Binary:
            return "a resource reference";
    }
    return "a value";
}

int ToInt(const TValue& v) {
    if (v.type != TValueType::Integer) throw EUiError(std::string("integer expected, found ") + TypeName(v.type));
    if (v.integer < INT32_MIN || v.integer > INT32_MAX) throw EUiError(std::to_string(v.integer) + " is out of range");
    return static_cast<int>(v.integer);
}

static bool EqualNoCase(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool ToBool(const TValue& v) {
    if (v.type == TValueType::Ident) {
        if (EqualNoCase(v.ident, "true")) return true;
        if (EqualNoCase(v.ident, "false")) return false;
        throw EUiError("'" + v.ident + "' is not a boolean");
    }
    throw EUiError(std::string("boolean expected, found ") + TypeName(v.type));
}

TColor ToColor(const TValue& v) {
    if (v.type == TValueType::Integer) {
        if (v.integer < INT32_MIN || v.integer > 0xFFFFFFFFll) throw EUiError("colour out of range");
        return static_cast<TColor>(static_cast<std::uint32_t>(v.integer));
    }
    if (v.type == TValueType::Ident) {
        TColor c;
        if (IdentToColor(v.ident, c)) return c;
        throw EUiError("'" + v.ident + "' is not a colour");
    }
    throw EUiError(std::string("colour expected, found ") + TypeName(v.type));
}

std::wstring ToString(const TValue& v) {
    if (v.type != TValueType::String) throw EUiError(std::string("string expected, found ") + TypeName(v.type));
    return v.string;
}

std::size_t ToEnum(const TValue& v, std::span<const char* const> names) {
    if (v.type != TValueType::Ident) throw EUiError(std::string("identifier expected, found ") + TypeName(v.type));
    for (std::size_t i = 0; i < names.size(); ++i)
        if (v.ident == names[i]) return i;
    throw EUiError("'" + v.ident + "' is not a valid value");
}

std::uint32_t ToSet(const TValue& v, std::span<const char* const> names) {
    if (v.type != TValueType::Set) throw EUiError(std::string("set expected, found ") + TypeName(v.type));
    std::uint32_t bits = 0;
    for (const std::string& m : v.members) {
        TValue one;
        one.type = TValueType::Ident;
        one.ident = m;
        bits |= 1u << ToEnum(one, names);
    }
    return bits;
}

const std::vector<std::wstring>& ToStrings(const TValue& v) {
    if (v.type != TValueType::StringList)
        throw EUiError(std::string("string list expected, found ") + TypeName(v.type));
    return v.strings;
}

}  // namespace props

// ---- Resources -------------------------------------------------------------

static std::optional<std::vector<std::uint8_t>> LoadRcData(HMODULE module, const std::string& name) {
    std::wstring wname(name.begin(), name.end());
    HRSRC res = ::FindResourceW(module, wname.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!res) return std::nullopt;
    DWORD size = ::SizeofResource(module, res);
    HGLOBAL g = ::LoadResource(module, res);
    const void* p = g ? ::LockResource(g) : nullptr;
    if (!p) return std::nullopt;
    auto b = static_cast<const std::uint8_t*>(p);
    return std::vector<std::uint8_t>(b, b + size);
}

TResourceSource ModuleResources(HMODULE module) {
    return [module](const std::string& name) { return LoadRcData(module, name); };
}

std::string LoadTextResource(HMODULE module, const std::string& name) {
    auto data = LoadRcData(module, name);
    if (!data) throw EUiError("resource '" + name + "' not found");
    if (data->size() > kMaxDescriptionBytes) throw EUiError("resource '" + name + "' too large");
    return std::string(data->begin(), data->end());
}

// ---- Reader ----------------------------------------------------------------

TReader::TReader(TComponent* root, TResourceSource resources) : root_(root), resources_(std::move(resources)) {}

void TReader::Fail(int line, const std::string& what) const {
    throw EUiError("line " + std::to_string(line) + ": " + what);
}

void TReader::Expect(const TValue& v, TValueType t, const char* what) const {
    if (v.type != t) throw EUiError(std::string(what) + " expected");
}

std::vector<std::uint8_t> TReader::Resource(const std::string& name, int line) {
    std::optional<std::vector<std::uint8_t>> data;
    if (resources_) data = resources_(name);
    (void)line;
    if (!data) throw EUiError("resource '" + name + "' not found");
    return std::move(*data);
}

void TReader::AddFixup(const std::string& name, int line, std::function<void(TComponent*)> assign) {
    fixups_.push_back({name, line, std::move(assign)});
}

void TReader::SetProperty(TPersistent& target, const TPropDesc& p) {
    TPersistent* obj = &target;
    std::string_view path = p.path;
    for (;;) {
        std::size_t dot = path.find('.');
        std::string_view head = path.substr(0, dot);
        const TPropInfo* info = obj->Props().Find(head);
        if (!info) Fail(p.line, "unknown property '" + p.path + "' of class " + target.ClassName());
        if (dot == std::string_view::npos) {
            if (!info->set) Fail(p.line, "property '" + p.path + "' cannot be assigned a value");
            try {
                info->set(*obj, p.value, *this);
            } catch (const EUiError& e) {
                // An error inside a collection item already names its line.
                if (std::string_view(e.what()).starts_with("line ")) throw;
                Fail(p.line, p.path + ": " + e.what());
            }
            return;
        }
        if (!info->object) Fail(p.line, "property '" + std::string(head) + "' has no nested properties");
        obj = info->object(*obj);
        path = path.substr(dot + 1);
    }
}

void TReader::ApplyProps(TPersistent& target, const std::vector<TPropDesc>& props) {
    for (const TPropDesc& p : props) SetProperty(target, p);
}

void TReader::ReadObject(const TObjectDesc& desc, TComponent* parent_object, int depth) {
    if (depth > kMaxObjectDepth) Fail(desc.line, "objects nested too deeply");
    TComponentFactory make = FindComponentClass(desc.class_name);
    if (!make) Fail(desc.line, "class '" + desc.class_name + "' not found");
    if (root_->FindComponent(desc.name)) Fail(desc.line, "a component named " + desc.name + " already exists");
    TComponent* c = make(root_);
    created_.push_back(c);
    created_lines_.push_back(desc.line);
    c->SetState(TComponentState::csLoading, true);
    c->SetState(TComponentState::csReading, true);
    c->SetName(desc.name);
    if (auto* control = dynamic_cast<TControl*>(c)) {
        if (auto* parent_control = dynamic_cast<TControl*>(parent_object)) {
            auto* wc = dynamic_cast<TWinControl*>(parent_control);
            if (!wc) Fail(desc.line, parent_control->Name() + " cannot hold controls");
            control->SetParent(wc);
        }
    }
    ApplyProps(*c, desc.props);
    for (const TObjectDesc& child : desc.children) ReadObject(child, c, depth + 1);
}

void TReader::ReadRoot(const TObjectDesc& desc) {
    if (desc.class_name != root_->ClassName())
        Fail(desc.line, "the root is of class " + root_->ClassName() + ", not " + desc.class_name);
    try {
        root_->SetName(desc.name);
        root_->SetState(TComponentState::csLoading, true);
        root_->SetState(TComponentState::csReading, true);
        ApplyProps(*root_, desc.props);
        for (const TObjectDesc& child : desc.children) ReadObject(child, root_, 1);
        for (const Fixup& f : fixups_) {
            TComponent* c = f.name == root_->Name() ? root_ : root_->FindComponent(f.name);
            if (!c) Fail(f.line, "component '" + f.name + "' not found");
            try {
                f.assign(c);
            } catch (const EUiError& e) {
                Fail(f.line, e.what());
            }
        }
        for (std::size_t i = 0; i < created_.size(); ++i)
            if (!root_->BindField(created_[i]->Name(), created_[i]))
                Fail(created_lines_[i],
                     "field " + created_[i]->Name() + " has another class than " + created_[i]->ClassName());
    } catch (...) {
        // Nothing half-built stays: free what was made, in reverse.
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) (*it)->Free();
        created_.clear();
        created_lines_.clear();
        root_->SetState(TComponentState::csReading, false);
        root_->SetState(TComponentState::csLoading, false);
        throw;
    }
    root_->SetState(TComponentState::csReading, false);
    for (TComponent* c : created_) c->SetState(TComponentState::csReading, false);
    // End of loading: the components in stored order, the root last.
    for (TComponent* c : created_) {
        c->SetState(TComponentState::csLoading, false);
        c->Loaded();
    }
    root_->SetState(TComponentState::csLoading, false);
    root_->Loaded();
}

void ReadComponentFromText(TComponent* root, std::string_view text, TResourceSource resources) {
    TObjectDesc desc = ParseDescription(text);
    TReader(root, std::move(resources)).ReadRoot(desc);
}

void ReadComponent(TComponent* root, const TObjectDesc& desc, TResourceSource resources) {
    TReader(root, std::move(resources)).ReadRoot(desc);
}

std::shared_ptr<const TObjectDesc> StoredDescription(HMODULE module, const std::string& name) {
    auto parse = [&] { return std::make_shared<const TObjectDesc>(ParseDescription(LoadTextResource(module, name))); };
    if (module != ThisModule()) return parse();
    // Every form made reads its description: parsing it again each time
    // costs more than the reading.
    static std::mutex lock;
    static std::map<std::string, std::shared_ptr<const TObjectDesc>> parsed;
    std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<const TObjectDesc>& kept = parsed[name];
    if (!kept) kept = parse();
    return kept;
}

}  // namespace velmap::ui

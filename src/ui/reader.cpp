#include "ui/reader.h"

#include "ui/win_control.h"
#include "win/strings.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace velmap::ui {

// ---- Parser -----------------------------------------------------------------

namespace {

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // identifier, punctuation, or UTF-8 string contents
    std::int64_t number = 0;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    Token Next() {
        SkipSpace();
        Token t;
        t.line = line_;
        if (p_ >= s_.size()) return t;
        char c = s_[p_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t b = p_;
            while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_')) ++p_;
            if (p_ - b > 255) Fail("identifier too long");
            t.kind = Tok::Ident;
            t.text.assign(s_.substr(b, p_ - b));
            return t;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '-' && p_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p_ + 1])))) {
            return Number(t);
        }
        if (c == '"') return String(t);
        if (std::strchr("=:.[](),<>@", c)) {
            ++p_;
            t.kind = Tok::Punct;
            t.text = std::string(1, c);
            return t;
        }
        Fail(std::string("unexpected character '") + c + "'");
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EUiError("line " + std::to_string(line_) + ": " + what);
    }

private:
    void SkipSpace() {
        while (p_ < s_.size()) {
            char c = s_[p_];
            if (c == '\n') {
                ++line_;
                ++p_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++p_;
            } else if (c == '/' && p_ + 1 < s_.size() && s_[p_ + 1] == '/') {
                while (p_ < s_.size() && s_[p_] != '\n') ++p_;
            } else {
                break;
            }
        }
    }

    Token Number(Token t) {
        bool neg = s_[p_] == '-';
        if (neg) ++p_;
        std::uint64_t v = 0;
        int base = 10;
        if (p_ + 1 < s_.size() && s_[p_] == '0' && (s_[p_ + 1] == 'x' || s_[p_ + 1] == 'X')) {
            base = 16;
            p_ += 2;
        }
        std::size_t digits = 0;
        while (p_ < s_.size()) {
            char c = s_[p_];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                break;
            v = v * base + d;
            if (v > 0xFFFFFFFFull) Fail("number out of range");
            ++digits;
            ++p_;
        }
        if (digits == 0) Fail("malformed number");
        if (p_ < s_.size() && (std::isalpha(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_'))
            Fail("malformed number");
        t.kind = Tok::Number;
        t.number = neg ? -static_cast<std::int64_t>(v) : static_cast<std::int64_t>(v);
        return t;
    }

    Token String(Token t) {
        ++p_;
        t.kind = Tok::String;
        for (;;) {
            if (p_ >= s_.size() || s_[p_] == '\n') Fail("unterminated string");
            char c = s_[p_++];
            if (c == '"') break;
            if (c == '\\') {
                if (p_ >= s_.size()) Fail("unterminated string");
                char e = s_[p_++];
                switch (e) {
                    case '\\':
                        c = '\\';
                        break;
                    case '"':
                        c = '"';
                        break;
                    case 'n':
                        c = '\n';
                        break;
                    case 'r':
                        c = '\r';
                        break;
                    case 't':
                        c = '\t';
                        break;
                    default:
                        Fail(std::string("unknown escape \\") + e);
                }
            }
            t.text.push_back(c);
            if (t.text.size() > kMaxStringBytes) Fail("string too long");
        }
        return t;
    }

    std::string_view s_;
    std::size_t p_ = 0;
    int line_ = 1;
};

std::wstring Utf8ToWide(const std::string& s, int line) {
    try {
        return win::Utf8ToWide(s);
    } catch (const win::EncodingError&) {
        throw EUiError("line " + std::to_string(line) + ": string is not valid UTF-8");
    }
}

class Parser {
public:
    explicit Parser(std::string_view s) : lex_(s) { Advance(); }

    TObjectDesc Root() {
        TObjectDesc d = Object(0);
        if (cur_.kind != Tok::End) lex_.Fail("text after the root object's end");
        return d;
    }

private:
    void Advance() { cur_ = lex_.Next(); }
    [[noreturn]] void Fail(const std::string& what) const {
        throw EUiError("line " + std::to_string(cur_.line) + ": " + what);
    }
    bool IsPunct(char c) const { return cur_.kind == Tok::Punct && cur_.text[0] == c; }
    bool IsWord(const char* w) const { return cur_.kind == Tok::Ident && cur_.text == w; }
    void ExpectPunct(char c) {
        if (!IsPunct(c)) Fail(std::string("'") + c + "' expected");
        Advance();
    }
    std::string Ident(const char* what) {
        if (cur_.kind != Tok::Ident) Fail(std::string(what) + " expected");
        std::string s = cur_.text;
        Advance();
        return s;
    }

    TObjectDesc Object(int depth) {
        if (depth >= kMaxObjectDepth) Fail("objects nested too deeply");
        if (++objects_ > kMaxObjects) Fail("too many objects");
        if (!IsWord("object")) Fail("'object' expected");
        TObjectDesc d;
        d.line = cur_.line;
        Advance();
        d.name = Ident("object name");
        ExpectPunct(':');
        d.class_name = Ident("class name");
        for (;;) {
            if (IsWord("end")) {
                Advance();
                return d;
            }
            if (IsWord("object")) {
                d.children.push_back(Object(depth + 1));
                continue;
            }
            if (cur_.kind == Tok::End) Fail("'end' expected");
            d.props.push_back(Property());
        }
    }

    TPropDesc Property() {
        TPropDesc p;
        p.line = cur_.line;
        p.path = Ident("property name");
        while (IsPunct('.')) {
            Advance();
            p.path += '.';
            p.path += Ident("property name");
        }
        ExpectPunct('=');
        p.value = Value();
        return p;
    }

    TValue Value() {
        TValue v;
        v.line = cur_.line;
        if (cur_.kind == Tok::Number) {
            v.type = TValueType::Integer;
            v.integer = cur_.number;
            Advance();
        } else if (cur_.kind == Tok::String) {
            v.type = TValueType::String;
            v.string = Utf8ToWide(cur_.text, cur_.line);
            Advance();
        } else if (cur_.kind == Tok::Ident) {
            v.type = TValueType::Ident;
            v.ident = cur_.text;
            Advance();
        } else if (IsPunct('@')) {
            Advance();
            v.type = TValueType::Binary;
            v.ident = Ident("resource name");
        } else if (IsPunct('[')) {
            Advance();
            v.type = TValueType::Set;
            while (!IsPunct(']')) {
                if (!v.members.empty()) ExpectPunct(',');
                v.members.push_back(Ident("set member"));
                if (v.members.size() > 32) Fail("set too large");
            }
            Advance();
        } else if (IsPunct('(')) {
            Advance();
            v.type = TValueType::StringList;
            while (!IsPunct(')')) {
                if (!v.strings.empty()) ExpectPunct(',');
                if (cur_.kind != Tok::String) Fail("string expected");
                v.strings.push_back(Utf8ToWide(cur_.text, cur_.line));
                if (v.strings.size() > kMaxListItems) Fail("list too long");
                Advance();
            }
            Advance();
        } else if (IsPunct('<')) {
            // Items may hold collections again: bounded like objects, so a
            // hostile text cannot recurse the stack away.
            if (collection_depth_ >= kMaxObjectDepth) Fail("collections nested too deeply");
            ++collection_depth_;
            Advance();
            v.type = TValueType::Collection;
            while (!IsPunct('>')) {
                if (!IsWord("item")) Fail("'item' expected");
                if (v.items.size() >= kMaxListItems) Fail("collection too long");
                TItemDesc item;
                item.line = cur_.line;
                Advance();
                while (!IsWord("end")) {
                    if (cur_.kind == Tok::End) Fail("'end' expected");
                    item.props.push_back(Property());
                }
                Advance();
                v.items.push_back(std::move(item));
            }
            --collection_depth_;
            Advance();
        } else {
            Fail("value expected");
        }
        return v;
    }

    Lexer lex_;
    Token cur_;
    std::size_t objects_ = 0;
    int collection_depth_ = 0;
};

}  // namespace

TObjectDesc ParseDescription(std::string_view text) {
    if (text.size() > kMaxDescriptionBytes) throw EUiError("description too large");
    return Parser(text).Root();
}

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

}  // namespace velmap::ui

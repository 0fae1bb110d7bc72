#include "ui/description.h"

#include "win/strings.h"

#include <cctype>
#include <cstring>

namespace velmap::ui {

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

}  // namespace velmap::ui

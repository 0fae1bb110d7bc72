#include "skin/data/ini_file.h"

#include <algorithm>

#include "skin/data/convert.h"

namespace velmap {

void MemIniFile::Clear() {
    sections_.clear();
    index_.clear();
    text_.clear();
    upper_.clear();
}

namespace {
char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
}  // namespace

void MemIniFile::SetText(std::string_view text) {
    Clear();
    text_.assign(text.data(), text.size());
    upper_.resize(text.size());
    char* const out = upper_.data();  // through a local pointer, so the loop vectorises
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = Up(text[i]);
    const std::string_view all(text_), up(upper_);
    // The same slice of the upper-cased copy.
    auto upper_of = [&](std::string_view v) { return up.substr(std::size_t(v.data() - all.data()), v.size()); };

    // Entries are gathered first and handed to their sections afterwards, so
    // that each section's list is allocated once at its final size.
    struct Pending {
        std::size_t section;
        Entry entry;
    };
    std::vector<Pending> pending;
    pending.reserve(std::size_t(std::count(all.begin(), all.end(), '\n')) + 1);
    std::size_t current = std::size_t(-1);
    const char* const begin = all.data();
    const char* const finish = begin + all.size();
    for (const char* p = begin; p < finish;) {
        const char* e = p;
        while (e < finish && *e != '\n' && *e != '\r') ++e;
        std::string_view line = TrimBlanks(std::string_view(p, std::size_t(e - p)));
        p = e;
        if (p < finish) {
            if (*p == '\r' && p + 1 < finish && p[1] == '\n') ++p;
            ++p;
        }
        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string_view name = TrimBlanks(line.substr(1, line.size() - 2));
            std::string_view upper = upper_of(name);
            auto [it, added] = index_.emplace(upper, sections_.size());
            if (added) sections_.push_back(Section{name, {}, upper});
            current = it->second;
            continue;
        }
        if (current == std::size_t(-1)) continue;  // text before the first section
        Entry entry;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            entry.key = line;
        } else {
            entry.key = TrimBlanks(line.substr(0, eq));
            entry.value = TrimBlanks(line.substr(eq + 1));
            entry.has_value = true;
        }
        entry.upper_key = upper_of(entry.key);
        pending.push_back(Pending{current, entry});
    }
    std::vector<std::size_t> counts(sections_.size(), 0);
    for (const Pending& p : pending) ++counts[p.section];
    for (std::size_t i = 0; i < sections_.size(); ++i) sections_[i].entries.reserve(counts[i]);
    for (const Pending& p : pending) sections_[p.section].entries.push_back(p.entry);
}

const MemIniFile::Entry* MemIniFile::Section::Find(std::string_view upper_key) const {
    for (const auto& e : entries)
        if (e.has_value && e.upper_key == upper_key) return &e;
    return nullptr;
}

namespace {
// An upper-cased copy of a name for matching, on the stack when it is short.
class UpperName {
public:
    explicit UpperName(std::string_view s) {
        if (s.size() <= sizeof small_) {
            for (std::size_t i = 0; i < s.size(); ++i) small_[i] = Up(s[i]);
            view_ = std::string_view(small_, s.size());
        } else {
            large_ = UpperCase(s);
            view_ = large_;
        }
    }
    std::string_view view() const { return view_; }

private:
    char small_[64];
    std::string large_;
    std::string_view view_;
};
}  // namespace

const MemIniFile::Section* MemIniFile::FindSection(std::string_view name) const {
    auto it = index_.find(UpperName(name).view());
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const std::string_view* MemIniFile::FindValue(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    const Entry* e = s->Find(UpperName(key).view());
    return e ? &e->value : nullptr;
}

std::string MemIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const std::string_view* v = FindValue(section, key);
    return std::string(v ? *v : def);
}

int32_t MemIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
    const std::string_view* v = FindValue(section, key);
    if (!v) return def;
    return ParseIntLenient(*v).value_or(def);
}

bool MemIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    const std::string_view* v = FindValue(section, key);
    return v ? ParseBool(*v) : def;
}

}  // namespace velmap

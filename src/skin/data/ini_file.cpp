#include "skin/data/ini_file.h"

#include "skin/data/convert.h"

namespace velmap {

void MemIniFile::Clear() {
    sections_.clear();
    index_.clear();
    text_.clear();
    upper_.clear();
}

void MemIniFile::SetText(std::string_view text) {
    Clear();
    text_.assign(text.data(), text.size());
    upper_ = UpperCase(text_);
    const std::string_view all(text_), up(upper_);
    // The same slice of the upper-cased copy.
    auto upper_of = [&](std::string_view v) { return up.substr(std::size_t(v.data() - all.data()), v.size()); };

    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = TrimBlanks(all.substr(pos, end - pos));
        pos = end;
        if (pos < all.size()) {
            if (all[pos] == '\r' && pos + 1 < all.size() && all[pos + 1] == '\n') ++pos;
            ++pos;
        }
        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string_view name = TrimBlanks(line.substr(1, line.size() - 2));
            std::string_view upper = upper_of(name);
            auto [it, added] = index_.emplace(upper, sections_.size());
            if (added) sections_.push_back(Section{name, {}, upper});
            current = &sections_[it->second];
            continue;
        }
        if (!current) continue;  // text before the first section
        Entry e;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            e.key = line;
        } else {
            e.key = TrimBlanks(line.substr(0, eq));
            e.value = TrimBlanks(line.substr(eq + 1));
            e.has_value = true;
        }
        e.upper_key = upper_of(e.key);
        current->entries.push_back(e);
    }
}

const MemIniFile::Entry* MemIniFile::Section::Find(std::string_view upper_key) const {
    for (const auto& e : entries)
        if (e.has_value && e.upper_key == upper_key) return &e;
    return nullptr;
}

const MemIniFile::Section* MemIniFile::FindSection(std::string_view name) const {
    auto it = index_.find(UpperCase(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

const std::string_view* MemIniFile::FindValue(std::string_view section, std::string_view key) const {
    const Section* s = FindSection(section);
    if (!s) return nullptr;
    const Entry* e = s->Find(UpperCase(key));
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

// In-memory options file: the INI dialect every skin's Options.dat is written in.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <string>
#include <string_view>
#include <vector>

namespace velmap {

class MemIniFile {
public:
    struct Entry {
        std::string key;    // trimmed; for a line without "=" the whole line
        std::string value;  // trimmed
        bool has_value = false;  // false: a line without "=", kept but never matched
        std::string upper_key;   // for case-insensitive matching
    };
    struct Section {
        std::string name;  // as written, trimmed
        std::vector<Entry> entries;
        std::string upper_name;
        const Entry* Find(std::string_view upper_key) const;
    };

    MemIniFile() = default;
    explicit MemIniFile(std::string_view text) { SetText(text); }

    // Replaces the content. Lines end at CR LF, CR or LF.
    void SetText(std::string_view text);
    void Clear() {
        sections_.clear();
        index_.clear();
    }

    // Sections in file order; a name repeated later joins the first section of that name.
    const std::vector<Section>& Sections() const { return sections_; }
    const Section* FindSection(std::string_view name) const;  // case-insensitive
    bool SectionExists(std::string_view name) const { return FindSection(name) != nullptr; }

    // Value of the first matching key (case-insensitive), or none.
    const std::string* FindValue(std::string_view section, std::string_view key) const;
    bool ValueExists(std::string_view section, std::string_view key) const {
        return FindValue(section, key) != nullptr;
    }
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Lenient: a value that is not an integer gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

private:
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> index_;  // upper-cased name -> section
};

}  // namespace velmap

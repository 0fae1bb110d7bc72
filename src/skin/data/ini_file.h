// In-memory options file: the INI dialect every skin's Options.dat is written in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmap {

// Holds one copy of the text (and one upper-cased copy for matching); every
// name and value is a view into them, so reading a skin allocates little.
class MemIniFile {
public:
    struct Entry {
        std::string_view key;    // trimmed; for a line without "=" the whole line
        std::string_view value;  // trimmed
        bool has_value = false;  // false: a line without "=", kept but never matched
        std::string_view upper_key;
    };
    struct Section {
        std::string_view name;  // as written, trimmed
        std::vector<Entry> entries;
        std::string_view upper_name;
        const Entry* Find(std::string_view upper_key) const;
    };

    MemIniFile() = default;
    explicit MemIniFile(std::string_view text) { SetText(text); }
    // Views point into this object's own strings: it stays where it is.
    MemIniFile(const MemIniFile&) = delete;
    MemIniFile& operator=(const MemIniFile&) = delete;

    // Replaces the content. Lines end at CR LF, CR or LF.
    void SetText(std::string_view text);
    void Clear();

    // Sections in file order; a name repeated later joins the first section of that name.
    const std::vector<Section>& Sections() const { return sections_; }
    const Section* FindSection(std::string_view name) const;  // case-insensitive
    bool SectionExists(std::string_view name) const { return FindSection(name) != nullptr; }

    // Value of the first matching key (case-insensitive), or none.
    const std::string_view* FindValue(std::string_view section, std::string_view key) const;
    bool ValueExists(std::string_view section, std::string_view key) const {
        return FindValue(section, key) != nullptr;
    }
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Lenient: a value that is not an integer gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;

private:
    std::string text_;
    std::string upper_;
    std::vector<Section> sections_;
    std::unordered_map<std::string_view, std::size_t> index_;  // upper-cased name -> section
};

}  // namespace velmap

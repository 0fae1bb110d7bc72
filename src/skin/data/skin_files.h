// Where a skin's image files come from while it loads: the entries of a packed
// archive or the files of a skin folder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmap {

class SkinFiles {
public:
    virtual ~SkinFiles() = default;
    // The bytes of the file an options value names, or an empty span when there
    // is none. storage may receive the bytes; the span is valid while both it
    // and this object live.
    virtual std::span<const std::uint8_t> Find(std::string_view name, std::vector<std::uint8_t>& storage) = 0;
    // True when names are matched against upper-cased stored names, so a
    // caller that upper-cases a value finds the same file.
    virtual bool MatchesUpperCase() const { return true; }
};

// Image entries of an unpacked archive. A name is found when an entry's
// upper-cased name equals it exactly (skins write their file names in upper case).
class ArchiveFiles : public SkinFiles {
public:
    struct Entry {
        std::string Name;
        std::span<const std::uint8_t> Data;
    };
    ArchiveFiles() = default;
    explicit ArchiveFiles(std::vector<Entry> entries) : entries_(std::move(entries)) {}
    void Add(std::string name, std::span<const std::uint8_t> data) { entries_.push_back({std::move(name), data}); }
    std::span<const std::uint8_t> Find(std::string_view name, std::vector<std::uint8_t>& storage) override;

private:
    std::vector<Entry> entries_;
};

// Files of a skin folder: a name without ":" is taken relative to the folder
// (which ends in a path separator).
class FolderFiles : public SkinFiles {
public:
    // Files larger than this are not skin images and are not read.
    static constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{64} << 20;
    explicit FolderFiles(std::string folder) : folder_(std::move(folder)) {}
    std::span<const std::uint8_t> Find(std::string_view name, std::vector<std::uint8_t>& storage) override;
    const std::string& Folder() const { return folder_; }
    bool MatchesUpperCase() const override { return false; }

private:
    std::string folder_;
};

// Reads a whole file; false when it is missing, unreadable or over the limit.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                   std::uintmax_t max_size = FolderFiles::kMaxFileSize);

}  // namespace velmap

#include "skin/data/skin_files.h"

#include "skin/data/convert.h"
#include "skin/data/file_io.h"

namespace velmap {

std::span<const std::uint8_t> ArchiveFiles::Find(std::string_view name, std::vector<std::uint8_t>&) {
    for (const auto& e : entries_)
        if (UpperCase(e.Name) == name) return e.Data;
    return {};
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::uintmax_t max_size) {
    return ReadFileBytes(path, max_size, out).status == FileReadStatus::Ok;
}

std::span<const std::uint8_t> FolderFiles::Find(std::string_view name, std::vector<std::uint8_t>& storage) {
    if (name.empty()) return {};
    std::string path = name.find(':') == std::string_view::npos ? FileInFolder(folder_, name) : std::string(name);
    if (!ReadWholeFile(path, storage)) return {};
    return storage;
}

}  // namespace velmap

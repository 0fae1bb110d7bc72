#include "skin/data/skin_files.h"

#include <filesystem>
#include <fstream>

#include "skin/data/convert.h"

namespace velmap {

std::span<const std::uint8_t> ArchiveFiles::Find(std::string_view name, std::vector<std::uint8_t>&) {
    for (const auto& e : entries_)
        if (UpperCase(e.Name) == name) return e.Data;
    return {};
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::uintmax_t max_size) {
    std::error_code ec;
    std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec)) return false;
    std::uintmax_t size = std::filesystem::file_size(p, ec);
    if (ec || size > max_size) return false;
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    out.resize(static_cast<std::size_t>(size));
    if (size && !in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size))) return false;
    return true;
}

std::span<const std::uint8_t> FolderFiles::Find(std::string_view name, std::vector<std::uint8_t>& storage) {
    if (name.empty()) return {};
    std::string path = name.find(':') == std::string_view::npos ? folder_ + std::string(name) : std::string(name);
    if (!ReadWholeFile(path, storage)) return {};
    return storage;
}

}  // namespace velmap

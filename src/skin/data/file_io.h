// Whole files read into memory, with a size limit. Paths are UTF-8 everywhere;
// the Windows build opens files by their wide names, so a skin folder or file
// may be named in any language.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmap {

enum class FileReadStatus { Ok, NotAFile, TooLarge, Unreadable };

struct FileRead {
    FileReadStatus status = FileReadStatus::NotAFile;
    std::uint64_t size = 0;  // the file's size whenever it was found
};

// A regular file (not a folder, not missing).
bool IsRegularFile(const std::string& path);

// folder + name, where name is matched against the folder's files ignoring
// ASCII case as Windows does: skins name their files in any case ("MASTER.BMP"
// for "Master.bmp"). An exact match wins; folder ends in a path separator.
std::string FileInFolder(const std::string& folder, std::string_view name);

// Reads the whole file into out when it holds at most max_bytes; out is left
// empty on every other outcome. No memory is taken before the size is known.
FileRead ReadFileBytes(const std::string& path, std::uint64_t max_bytes, std::vector<std::uint8_t>& out);

}  // namespace velmap

// skinpack: packs a skin folder into a packed skin archive and back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "skin/data/skin_archive.h"

namespace velmap::skinpack {

class SkinpackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Why name cannot be an entry name (a bare, portable file name), or empty
// when it can. Archives must unpack to the same files on every system.
std::string EntryNameProblem(std::string_view name);

// The entry names to pack from dir: the options file first, then names in
// the order given, or every other regular file of dir sorted by name. The
// output file is never packed into itself.
std::vector<std::string> PackOrder(const std::filesystem::path& dir, const std::vector<std::string>& names,
                                   const std::filesystem::path& out);

// The archive bytes of the files of dir in the given order, zlib level
// level; checked by reading them back before they are returned.
std::vector<std::uint8_t> PackFiles(const std::filesystem::path& dir, const std::vector<std::string>& order, int level);

// Reads an archive file whole and checks it (same rules as the band).
PackedSkinArchive ReadArchiveFile(const std::filesystem::path& path);

// What makes an archive unfit although the band would read it.
std::vector<std::string> ArchiveProblems(const PackedSkinArchive& archive);

// Writes every entry into dir under its stored name. All names are checked
// before the first file is written; nothing lands outside dir.
void UnpackTo(const PackedSkinArchive& archive, const std::filesystem::path& dir);

// The command line: returns the process exit code (0 done, 1 failed, 2 usage).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmap::skinpack

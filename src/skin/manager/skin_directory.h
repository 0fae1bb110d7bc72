// Where a skin manager looks for skins: the rules that turn SkinDirectory and
// SkinName into the paths of a packed skin file and a skin folder.
#pragma once

#include <string>
#include <string_view>

namespace velmap::skin {

// SkinDirectory when none is given.
inline constexpr char DefaultSkinDirectory[] = "c:\\Skins";

// SkinDirectory for a manager that must only ever use its internal skins: a
// drive named "|" cannot exist and "|" is forbidden in file names, so neither
// a packed skin file nor a skin folder can be found below it, whoever writes
// to the disk. "|" is not a wildcard, so listing the folder finds nothing too.
inline constexpr char SealedSkinDirectory[] = "|:\\VelmapBand|no skins";

// Resolves a relative skin directory against base_folder (the host program's
// folder, ending with a separator): "..\x" one folder up, ".\x" or "./x"
// inside it, a name with neither ":" nor "\\" below it; anything else is
// returned unchanged. No separator is appended.
std::string NormalizeSkinDirectory(std::string_view dir, std::string_view base_folder);

// The packed skin file "<dir>\<name>.asz". The directory is not normalized: a
// relative one is taken relative to the current directory. A trailing "/"
// becomes "\", a one-character directory is a drive ("c" -> "c:\").
std::string PackedSkinPath(std::string_view dir, std::string_view name);

// Removes every blank from each line that is neither empty nor a comment
// (starting with ";"), so "COLOR = 5" and "COLOR=5" read the same.
std::string RemoveBlanksFromIniLines(std::string_view text);

#ifdef _WIN32
// Folder of the host process's executable, ending with "\" (UTF-8).
std::string HostExecutableFolder();
// File-system probes on UTF-8 paths; false for any path the system rejects.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
#endif

}  // namespace velmap::skin

// Whole-skin loads into a model: from packed archive bytes or from a skin folder.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "skin/data/skin_archive.h"
#include "skin/data/skin_files.h"
#include "skin/data/skin_model.h"

namespace velmap {

// The image entries a reader unpacked (the first ImageEntryCount of Entries).
// The reader must outlive the result.
ArchiveFiles ArchiveFilesOf(const TacSkinConvertor& reader);

// Loads a packed skin held in memory. False when the archive is refused for
// its magic (the reader has shown its warning) or carries no options file; the
// model is then unchanged. Format faults and malformed numbers raise their
// errors, also leaving the model unchanged. SkinFolder is left as it is.
bool LoadPackedSkinData(SkinModel& model, std::span<const std::uint8_t> archive);

// Loads folder + "Options.dat" and the images beside it; folder ends in a path
// separator and becomes SkinFolder. False when there is no options file.
bool LoadSkinFolder(SkinModel& model, const std::string& folder);

}  // namespace velmap

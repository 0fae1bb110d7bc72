// Whole-skin loads into a model: from packed archive bytes, a packed skin file,
// a skin folder or a stored skin. Every loader of a skin goes through these;
// the caller sets the model's recolouring and common sections first.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "skin/data/skin_archive.h"
#include "skin/data/skin_files.h"
#include "skin/data/skin_model.h"
#include "skin/data/stored_skin.h"

namespace velmap {

// The image entries a reader unpacked (the first ImageEntryCount of Entries).
// The reader must outlive the result.
ArchiveFiles ArchiveFilesOf(const TacSkinConvertor& reader);

// Loads a packed skin held in memory. folder becomes SkinFolder before
// anything is read, so images the common sections name are looked up there.
// False when the archive is refused for its magic (the reader has shown its
// warning) or carries no options file; the model is then unchanged. Format
// faults and malformed numbers raise their errors, also leaving the model
// (SkinFolder included) unchanged.
bool LoadPackedSkinData(SkinModel& model, std::span<const std::uint8_t> archive, const std::string& folder = {});

// The same for a packed skin file, read whole (at most kMaxPackedArchiveSize
// bytes; a larger or unreadable file raises its error).
bool LoadPackedSkinFromFile(SkinModel& model, const std::string& file, const std::string& folder);

// Loads folder + "Options.dat" and the images beside it; folder ends in a path
// separator and becomes SkinFolder first. False when there is no options file.
bool LoadSkinFolder(SkinModel& model, const std::string& folder);

// Loads a skin stored without archive data; SkinFolder becomes empty first.
void LoadStoredSkin(SkinModel& model, const TsStoredSkin& skin);

}  // namespace velmap

#include "skin/data/skin_loader.h"

#include <string_view>

namespace velmap {

ArchiveFiles ArchiveFilesOf(const TacSkinConvertor& reader) {
    ArchiveFiles files;
    std::size_t n = std::min<std::size_t>(reader.Entries.size(),
                                          reader.ImageEntryCount > 0 ? std::size_t(reader.ImageEntryCount) : 0);
    for (std::size_t i = 0; i < n; ++i) {
        const auto& e = reader.Entries[i];
        if (!e.Data) continue;
        files.Add(e.Name, std::span<const std::uint8_t>(e.Data->Memory(), e.Data->Bytes().size()));
    }
    return files;
}

bool LoadPackedSkinData(SkinModel& model, std::span<const std::uint8_t> archive) {
    MemoryStream source(std::vector<std::uint8_t>(archive.begin(), archive.end()));
    auto reader = std::make_unique<TacSkinConvertor>();
    reader->SetSource(&source);
    if (!LoadPackedSkin(reader)) return false;  // wrong magic: the reader is gone
    reader->SetSource(static_cast<Stream*>(nullptr));
    if (!reader->OptionsData) return false;
    const auto& text = reader->OptionsData->Bytes();
    ArchiveFiles files = ArchiveFilesOf(*reader);
    model.Load(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), files);
    return true;
}

bool LoadSkinFolder(SkinModel& model, const std::string& folder) {
    std::vector<std::uint8_t> text;
    if (!ReadWholeFile(folder + "Options.dat", text)) return false;
    FolderFiles files(folder);
    std::string previous = model.SkinData.SkinFolder;
    model.SkinData.SkinFolder = folder;
    try {
        model.Load(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), files);
    } catch (...) {
        model.SkinData.SkinFolder = previous;
        throw;
    }
    return true;
}

}  // namespace velmap

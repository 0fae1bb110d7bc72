#include "skin/data/skin_loader.h"

#include "skin/data/file_io.h"

#include <string_view>
#include <utility>

namespace velmap {

namespace {

// Runs load with SkinFolder set to folder; a load that throws or refuses
// leaves the previous folder in place.
template <typename Load>
bool WithSkinFolder(SkinModel& model, const std::string& folder, Load&& load) {
    std::string previous = std::exchange(model.SkinData.SkinFolder, folder);
    bool loaded = false;
    try {
        loaded = load();
    } catch (...) {
        model.SkinData.SkinFolder = std::move(previous);
        throw;
    }
    if (!loaded) model.SkinData.SkinFolder = std::move(previous);
    return loaded;
}

bool LoadFromSource(SkinModel& model, Stream& source, const std::string& folder) {
    auto reader = std::make_unique<TacSkinConvertor>();
    reader->SetSource(&source);
    if (!LoadPackedSkin(reader)) return false;  // wrong magic: the reader is gone
    reader->SetSource(static_cast<Stream*>(nullptr));
    if (!reader->OptionsData) return false;
    const auto& text = reader->OptionsData->Bytes();
    ArchiveFiles files = ArchiveFilesOf(*reader);
    return WithSkinFolder(model, folder, [&] {
        model.Load(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), files);
        return true;
    });
}

}  // namespace

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

bool LoadPackedSkinData(SkinModel& model, std::span<const std::uint8_t> archive, const std::string& folder) {
    MemoryStream source(std::vector<std::uint8_t>(archive.begin(), archive.end()));
    return LoadFromSource(model, source, folder);
}

bool LoadPackedSkinFromFile(SkinModel& model, const std::string& file, const std::string& folder) {
    MemoryStream source;
    source.LoadFromFile(file, kMaxPackedArchiveSize);
    return LoadFromSource(model, source, folder);
}

bool LoadSkinFolder(SkinModel& model, const std::string& folder) {
    std::vector<std::uint8_t> text;
    if (!ReadWholeFile(FileInFolder(folder, "Options.dat"), text)) return false;
    FolderFiles files(folder);
    return WithSkinFolder(model, folder, [&] {
        model.Load(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), files);
        return true;
    });
}

void LoadStoredSkin(SkinModel& model, const TsStoredSkin& skin) {
    WithSkinFolder(model, std::string{}, [&] {
        model.LoadStored(skin);
        return true;
    });
}

}  // namespace velmap

#include "skin/data/skin_archive.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "skin/data/file_io.h"
#include "skin/data/skin_warning.h"
#include "skin/data/zstream.h"

namespace velmap {

namespace {

std::size_t ReadAtMost(Stream& s, void* buffer, std::size_t count) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = s.Read(p + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

std::string EntryLabel(std::int32_t index, std::string_view name = {}) {
    std::string label = "entry " + std::to_string(index + 1);
    if (!name.empty()) {
        label += " \"";
        for (char c : name) label += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
        label += '"';
    }
    return label;
}

std::int32_t ReadInt32(Stream& s, const std::string& what) {
    std::uint8_t b[4];
    if (ReadAtMost(s, b, 4) != 4) throw EPackedSkinError("Packed skin archive is cut off inside " + what);
    const std::uint32_t v = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                            std::uint32_t(b[3]) << 24;
    return static_cast<std::int32_t>(v);
}

std::string Range(std::int64_t lo, std::int64_t hi) {
    return " (allowed " + std::to_string(lo) + " to " + std::to_string(hi) + ")";
}

}  // namespace

bool IsOptionsEntryName(std::string_view name) {
    if (name.size() != kOptionsEntryName.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (up(name[i]) != up(kOptionsEntryName[i])) return false;
    }
    return true;
}

PackedSkinArchive ReadPackedSkinArchive(Stream& source) {
    source.SetPosition(0);
    char magic[4];
    const std::size_t got = ReadAtMost(source, magic, 4);
    if (std::memcmp(magic, kPackedSkinMagic, got) != 0) throw EPackedSkinMagicError();
    if (got < 4) throw EPackedSkinError("Packed skin archive is cut off inside its magic");

    const std::int32_t file_count = ReadInt32(source, "its FileCount");
    if (file_count < 1 || file_count > kMaxPackedFileCount)
        throw EPackedSkinError("Packed skin archive has a FileCount of " + std::to_string(file_count) +
                               Range(1, kMaxPackedFileCount));

    PackedSkinArchive archive;
    std::int64_t total = 0;
    bool have_options = false;
    for (std::int32_t i = 0; i < file_count; ++i) {
        PackedSkinItem item;
        item.Offset = source.Position();
        const std::int32_t name_length = ReadInt32(source, "the NameLength of " + EntryLabel(i));
        if (name_length < 1 || name_length > kMaxPackedNameLength)
            throw EPackedSkinError("Packed skin " + EntryLabel(i) + " has a NameLength of " +
                                   std::to_string(name_length) + Range(1, kMaxPackedNameLength));
        item.Name.resize(static_cast<std::size_t>(name_length));
        if (ReadAtMost(source, item.Name.data(), item.Name.size()) != item.Name.size())
            throw EPackedSkinError("Packed skin archive is cut off inside the name of " + EntryLabel(i));
        const std::string label = EntryLabel(i, item.Name);

        const std::int32_t size = ReadInt32(source, "the UncompressedSize of " + label);
        if (size < 1 || size > kMaxPackedEntrySize)
            throw EPackedSkinError("Packed skin " + label + " has an UncompressedSize of " + std::to_string(size) +
                                   Range(1, kMaxPackedEntrySize));
        total += size;
        if (total > kMaxPackedTotalSize)
            throw EPackedSkinError("Packed skin archive holds more than " + std::to_string(kMaxPackedTotalSize) +
                                   " bytes of files");

        if (IsOptionsEntryName(item.Name)) {
            if (have_options) throw EPackedSkinError("Packed skin archive holds more than one options entry");
            have_options = true;
        }

        item.DataOffset = source.Position();
        item.Data = std::make_unique<MemoryStream>();
        // Usually one allocation for the whole file; a size claim far beyond
        // what the rest of the archive holds reserves no more than 32 times that.
        const std::int64_t remaining = source.Seek(0, SeekOrigin::End) - item.DataOffset;
        source.SetPosition(item.DataOffset);
        item.Data->Reserve(static_cast<std::size_t>(std::min<std::int64_t>(size, remaining * 32)));
        {
            TZDecompressionStream z(source);
            item.Data->CopyFrom(z, size);  // short data raises EReadError
            // The zlib stream must end right here, trailer included.
            std::uint8_t extra;
            if (z.Read(&extra, 1) != 0)
                throw EPackedSkinError("Packed skin " + label + " inflates to more than its UncompressedSize of " +
                                       std::to_string(size));
            if (!z.StreamEnded())
                throw EPackedSkinError("Packed skin " + label + " is cut off before the end of its zlib stream");
        }
        item.CompressedSize = source.Position() - item.DataOffset;
        archive.Items.push_back(std::move(item));
    }
    if (!have_options) throw EPackedSkinError("Packed skin archive holds no Options.dat entry");
    const std::int64_t end = source.Position();
    archive.TrailingBytes = source.Seek(0, SeekOrigin::End) - end;
    source.SetPosition(end);
    return archive;
}

TacSkinConvertor::~TacSkinConvertor() { ClearPackedSkin(); }

void TacSkinConvertor::SetSource(Stream* lent) {
    owned_source_.reset();
    source_ = lent;
}

void TacSkinConvertor::SetSource(std::unique_ptr<Stream> owned) {
    owned_source_ = std::move(owned);
    source_ = owned_source_.get();
}

void TacSkinConvertor::ClearPackedSkin() {
    while (!Entries.empty()) Entries.pop_back();
    OptionsData.reset();
    SetSource(nullptr);
}

bool LoadPackedSkin(std::unique_ptr<TacSkinConvertor>& reader) {
    if (!reader) throw std::invalid_argument("LoadPackedSkin needs a reader");
    if (!reader->Source()) throw EPackedSkinError("Packed skin reader has no source to read");
    PackedSkinArchive archive;
    try {
        archive = ReadPackedSkinArchive(*reader->Source());
    } catch (const EPackedSkinMagicError& e) {
        ShowSkinWarning(e.what(), "Warning");
        reader->ClearPackedSkin();
        reader.reset();
        return false;
    }
    // Everything was read and checked: only now does the reader change.
    const auto file_count = static_cast<std::int32_t>(archive.Items.size());
    std::unique_ptr<MemoryStream> options;
    std::vector<TacSkinEntry> images;
    images.reserve(archive.Items.size() - 1);
    for (PackedSkinItem& item : archive.Items) {
        if (IsOptionsEntryName(item.Name)) {
            options = std::move(item.Data);
        } else {
            images.push_back({std::move(item.Name), std::move(item.Data)});
        }
    }
    reader->Entries.reserve(reader->Entries.size() + images.size());
    for (TacSkinEntry& e : images) reader->Entries.push_back(std::move(e));
    reader->OptionsData = std::move(options);
    reader->ImageEntryCount = file_count - 1;
    return true;
}

bool LoadPackedSkinFile(const std::string& file_name, std::unique_ptr<TacSkinConvertor>& reader, bool free_source) {
    if (!IsRegularFile(file_name)) return false;
    if (reader) {
        reader->ClearPackedSkin();
    } else {
        reader = std::make_unique<TacSkinConvertor>();
    }
    auto data = std::make_unique<MemoryStream>();
    data->LoadFromFile(file_name, kMaxPackedArchiveSize);
    reader->SetSource(std::move(data));
    bool loaded = false;
    try {
        loaded = LoadPackedSkin(reader);
    } catch (...) {
        if (free_source && reader) reader->SetSource(nullptr);
        throw;
    }
    if (free_source && reader) reader->SetSource(nullptr);
    return loaded;
}

}  // namespace velmap

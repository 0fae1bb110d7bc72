// Packed skin archive: the options file and the images of a skin, each
// compressed with zlib, in one byte stream.
//
//   "ASzf"  FileCount:int32
//   FileCount x { NameLength:int32  Name  UncompressedSize:int32  zlib stream }
//
// Integers are little-endian. No entry stores its compressed size: an entry
// ends where its zlib stream ends, and the next one follows at the next byte.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "skin/data/stream.h"

namespace velmap {

inline constexpr char kPackedSkinMagic[4] = {'A', 'S', 'z', 'f'};
inline constexpr std::string_view kOptionsEntryName = "Options.dat";

// Bounds on what an archive may make us allocate. A real skin is a few
// hundred kilobytes; these leave ample room and keep a hostile archive cheap.
inline constexpr std::int32_t kMaxPackedFileCount = 1024;
inline constexpr std::int32_t kMaxPackedNameLength = 255;
inline constexpr std::int32_t kMaxPackedEntrySize = 16 * 1024 * 1024;    // per entry, inflated
inline constexpr std::int64_t kMaxPackedTotalSize = 64 * 1024 * 1024;    // all entries, inflated
inline constexpr std::int64_t kMaxPackedArchiveSize = 64 * 1024 * 1024;  // an archive file on disk

// An archive that breaks the format or the bounds above.
class EPackedSkinError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The data does not start with the magic at all.
class EPackedSkinMagicError : public EPackedSkinError {
public:
    EPackedSkinMagicError() : EPackedSkinError("Loaded data is not a packed skin file") {}
};

// ASCII case-insensitive comparison with "Options.dat".
bool IsOptionsEntryName(std::string_view name);

struct PackedSkinItem {
    std::string Name;             // exactly the stored bytes
    std::int64_t Offset = 0;      // of its NameLength field
    std::int64_t DataOffset = 0;  // of its zlib stream
    std::int64_t CompressedSize = 0;
    std::unique_ptr<MemoryStream> Data;  // the inflated file, positioned at its end
};

struct PackedSkinArchive {
    std::vector<PackedSkinItem> Items;  // in archive order, the options entry among them
    std::int64_t TrailingBytes = 0;     // bytes after the last entry (ignored by the reader)
};

// Reads and checks a whole archive from position 0 of source. Either the
// whole archive is returned or an error is raised: EPackedSkinMagicError,
// EPackedSkinError, EReadError (an entry's data ends too early) or
// EZDecompressionError (an entry is not a valid zlib stream).
PackedSkinArchive ReadPackedSkinArchive(Stream& source);

struct TacSkinEntry {
    std::string Name;
    std::unique_ptr<MemoryStream> Data;
};

// Unpacks an archive into memory: the options file into OptionsData, every
// other file into Entries. Lives only while one skin is being loaded.
class TacSkinConvertor {
public:
    TacSkinConvertor() = default;
    ~TacSkinConvertor();
    TacSkinConvertor(const TacSkinConvertor&) = delete;
    TacSkinConvertor& operator=(const TacSkinConvertor&) = delete;

    std::int32_t ImageEntryCount = 0;  // FileCount - 1
    std::vector<TacSkinEntry> Entries;
    std::unique_ptr<MemoryStream> OptionsData;

    Stream* Source() const { return source_; }
    // Lends a stream: the caller keeps it alive while it is the source.
    void SetSource(Stream* lent);
    // Hands over a stream the reader frees when it lets go of it.
    void SetSource(std::unique_ptr<Stream> owned);
    bool OwnsSource() const { return owned_source_ != nullptr; }

    // Frees every entry, the options and an owned source; drops a lent one.
    void ClearPackedSkin();

private:
    Stream* source_ = nullptr;
    std::unique_ptr<Stream> owned_source_;
};

// Reads reader's Source and adds its files to reader. On a wrong magic it
// shows the warning, destroys the reader, leaves reference empty and returns
// false. Any other fault raises its error and leaves the reader as it was.
bool LoadPackedSkin(std::unique_ptr<TacSkinConvertor>& reader);

// Does nothing and returns false when no such file exists. Otherwise creates
// the reader (or clears the existing one), loads the file into memory as its
// Source and runs LoadPackedSkin, returning what it returned (false: a wrong
// magic, and the reader is gone); with free_source the memory copy is freed
// afterwards, also when loading fails.
bool LoadPackedSkinFile(const std::string& file_name, std::unique_ptr<TacSkinConvertor>& reader,
                        bool free_source);

}  // namespace velmap

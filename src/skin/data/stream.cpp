#include "skin/data/stream.h"

#include <algorithm>
#include <cstring>

#include "skin/data/file_io.h"

namespace velmap {

std::int64_t Stream::Size() {
    const std::int64_t pos = Position();
    const std::int64_t size = Seek(0, SeekOrigin::End);
    Seek(pos, SeekOrigin::Begin);
    return size;
}

void Stream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void Stream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::int64_t Stream::CopyFrom(Stream& source, std::int64_t count) {
    if (count <= 0) return 0;
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(std::min<std::int64_t>(count, CopyPieceSize)));
    std::int64_t left = count;
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, CopyPieceSize));
        source.ReadBuffer(piece.data(), n);
        WriteBuffer(piece.data(), n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
    if (pos_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (pos_ + count > bytes_.size()) bytes_.resize(pos_ + count);
    std::memcpy(bytes_.data() + pos_, buffer, count);
    pos_ += count;
    return count;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = 0;
    switch (origin) {
        case SeekOrigin::Begin:
            base = 0;
            break;
        case SeekOrigin::Current:
            base = static_cast<std::int64_t>(pos_);
            break;
        case SeekOrigin::End:
            base = static_cast<std::int64_t>(bytes_.size());
            break;
    }
    // Positions past the end are allowed (a later write fills the gap);
    // before the start they are not.
    if (offset < -base) throw EStreamError("Invalid stream position");
    pos_ = static_cast<std::size_t>(base + offset);
    return base + offset;
}

std::int64_t MemoryStream::CopyFrom(Stream& source, std::int64_t count) {
    std::int64_t left = count;
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, CopyPieceSize));
        const std::size_t old_size = bytes_.size();
        if (pos_ + n > old_size) bytes_.resize(pos_ + n);
        const std::size_t got = source.Read(bytes_.data() + pos_, n);
        if (got != n) {  // like the generic copy, a short piece is not written
            bytes_.resize(old_size);
            throw EReadError();
        }
        pos_ += n;
        left -= static_cast<std::int64_t>(n);
    }
    return std::max<std::int64_t>(count, 0);
}

void MemoryStream::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    pos_ = 0;
}

void MemoryStream::LoadFromFile(const std::string& path, std::int64_t max_bytes) {
    std::vector<std::uint8_t> bytes;
    const FileRead read = ReadFileBytes(path, max_bytes < 0 ? 0 : static_cast<std::uint64_t>(max_bytes), bytes);
    switch (read.status) {
        case FileReadStatus::Ok:
            break;
        case FileReadStatus::NotAFile:
            throw EStreamError("Cannot open file \"" + path + "\"");
        case FileReadStatus::TooLarge:
            throw EStreamError("File \"" + path + "\" is too large (" + std::to_string(read.size) + " bytes, at most " +
                               std::to_string(max_bytes) + ")");
        case FileReadStatus::Unreadable:
            throw EStreamError("Cannot read file \"" + path + "\"");
    }
    bytes_ = std::move(bytes);
    pos_ = 0;
}

}  // namespace velmap

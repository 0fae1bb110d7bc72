// Byte streams used by the skin loader: an abstract seekable stream, an
// in-memory stream that owns its bytes, and the errors of the stream layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmap {

class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A read that delivered fewer bytes than were required.
class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
};

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to count bytes; fewer (or none) at the end of the data.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(std::int64_t pos) { Seek(pos, SeekOrigin::Begin); }
    virtual std::int64_t Size();

    // Exactly count bytes or EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);

    // Copies exactly count bytes from source at its current position, in
    // pieces of at most CopyPieceSize bytes; a short piece raises EReadError.
    static constexpr std::size_t CopyPieceSize = 61440;
    virtual std::int64_t CopyFrom(Stream& source, std::int64_t count);
};

class MemoryStream final : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }
    // Reads straight into the stream's own memory.
    std::int64_t CopyFrom(Stream& source, std::int64_t count) override;
    void Reserve(std::size_t capacity) { bytes_.reserve(capacity); }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    const std::uint8_t* Memory() const { return bytes_.data(); }
    void Clear();

    // Replaces the content with the whole file (a UTF-8 path), refusing files
    // larger than max_bytes. Raises EStreamError when the file cannot be read;
    // the content is unchanged then.
    void LoadFromFile(const std::string& path, std::int64_t max_bytes);

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace velmap

// Read-only inflate stream over a seekable source holding zlib-wrapped data.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "skin/data/stream.h"

namespace velmap {

class EZDecompressionError : public std::runtime_error {
public:
    explicit EZDecompressionError(const std::string& message, std::string detail = {})
        : std::runtime_error(message), detail_(std::move(detail)) {}
    // zlib's own description of the fault, when it gave one ("incorrect header check").
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

// Inflates one zlib stream that starts at the source's current position.
// Once the stream's end (after the Adler-32 trailer) is reached, the input
// read ahead but not consumed is handed back: the source then stands on the
// first byte after the stream. Destroying the stream does not move the source.
class TZDecompressionStream final : public Stream {
public:
    static constexpr std::size_t InputBufferSize = 65536;

    explicit TZDecompressionStream(Stream& source);
    ~TZDecompressionStream() override;
    TZDecompressionStream(const TZDecompressionStream&) = delete;
    TZDecompressionStream& operator=(const TZDecompressionStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;  // always raises
    // Only the current position (bytes produced so far) can be asked for.
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() override;  // unknown: raises

    // True once inflate reported the end of the zlib stream.
    bool StreamEnded() const { return ended_; }
    std::int64_t TotalIn() const;
    std::int64_t TotalOut() const;

private:
    struct State;
    Stream& source_;
    std::unique_ptr<State> state_;
    std::int64_t source_pos_;
    bool ended_ = false;
};

}  // namespace velmap

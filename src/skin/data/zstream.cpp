#include "skin/data/zstream.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace velmap {

namespace {

const char kInvalidOperation[] = "Invalid ZStream operation!";

[[noreturn]] void RaiseZlib(int code, const z_stream& z) {
    throw EZDecompressionError(zError(code), z.msg ? z.msg : "");
}

}  // namespace

struct TZDecompressionStream::State {
    z_stream z{};
    std::vector<Bytef> input = std::vector<Bytef>(InputBufferSize);
};

TZDecompressionStream::TZDecompressionStream(Stream& source)
    : source_(source), state_(std::make_unique<State>()), source_pos_(source.Position()) {
    // zlib checks only the major version; any 1.x library reads these streams.
    const int rc = inflateInit_(&state_->z, "1.2.3", static_cast<int>(sizeof(z_stream)));
    if (rc != Z_OK) RaiseZlib(rc, state_->z);
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&state_->z); }

std::size_t TZDecompressionStream::Read(void* buffer, std::size_t count) {
    z_stream& z = state_->z;
    if (count == 0 || ended_) return 0;
    // Somebody else may have used the source meanwhile.
    if (source_.Position() != source_pos_) source_.SetPosition(source_pos_);

    std::size_t produced = 0;
    auto* out = static_cast<Bytef*>(buffer);
    bool source_dry = false;
    while (produced < count && !ended_) {
        if (z.avail_in == 0) {
            const std::size_t got = source_.Read(state_->input.data(), InputBufferSize);
            if (got > 0) {
                z.next_in = state_->input.data();
                z.avail_in = static_cast<uInt>(got);
                source_pos_ = source_.Position();
            } else {
                source_dry = true;  // inflate may still hold output (the rest of a match)
            }
        }
        const std::size_t room = std::min<std::size_t>(count - produced, UINT_MAX);
        z.next_out = out + produced;
        z.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&z, Z_NO_FLUSH);
        produced += room - z.avail_out;
        if (rc == Z_BUF_ERROR && source_dry) break;  // nothing more without input
        if (rc < 0) RaiseZlib(rc, z);
        if (rc == Z_NEED_DICT) RaiseZlib(Z_DATA_ERROR, z);  // preset dictionaries are not part of the format
        if (rc == Z_STREAM_END) ended_ = true;
    }
    if (ended_ && z.avail_in > 0) {
        // Give back what was read past the stream's trailer.
        source_pos_ = source_.Seek(-static_cast<std::int64_t>(z.avail_in), SeekOrigin::Current);
        z.avail_in = 0;
    }
    return produced;
}

std::size_t TZDecompressionStream::Write(const void*, std::size_t) { throw EZDecompressionError(kInvalidOperation); }

std::int64_t TZDecompressionStream::Seek(std::int64_t offset, SeekOrigin origin) {
    if (offset == 0 && origin == SeekOrigin::Current) return TotalOut();
    throw EZDecompressionError(kInvalidOperation);
}

std::int64_t TZDecompressionStream::Size() { throw EZDecompressionError(kInvalidOperation); }

std::int64_t TZDecompressionStream::TotalIn() const { return static_cast<std::int64_t>(state_->z.total_in); }
std::int64_t TZDecompressionStream::TotalOut() const { return static_cast<std::int64_t>(state_->z.total_out); }

}  // namespace velmap

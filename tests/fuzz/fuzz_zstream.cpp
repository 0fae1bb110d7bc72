// The inflate stream against zlib inflating the same bytes in one go. The
// first input byte picks the size of the reads; whatever the pieces, the
// output must match and, at the stream's end, the source must stand right
// after the bytes zlib consumed.
#include <zlib.h>

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "skin/data/zstream.h"

using namespace velmap;

namespace {

// Names the broken promise before libFuzzer records the input.
#define Check(ok) ((ok) ? void() : (std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok), std::abort()))

constexpr std::size_t kMaxOut = 1 << 17;  // well past the 64 KiB input chunk

struct Reference {
    std::vector<std::uint8_t> out;
    bool ended = false;
    bool failed = false;
    std::size_t consumed = 0;
};

Reference InflateAtOnce(const std::uint8_t* data, std::size_t size) {
    Reference r;
    r.out.resize(kMaxOut);
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = r.out.data();
    z.avail_out = static_cast<uInt>(r.out.size());
    const int rc = inflate(&z, Z_NO_FLUSH);
    r.ended = rc == Z_STREAM_END;
    r.failed = (rc < 0 && rc != Z_BUF_ERROR) || rc == Z_NEED_DICT;  // BUF_ERROR: input ran out
    r.consumed = z.total_in;
    r.out.resize(z.total_out);
    inflateEnd(&z);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = 1 + data[0] * 97u;
    ++data;
    --size;
    const Reference ref = InflateAtOnce(data, size);

    MemoryStream source(std::vector<std::uint8_t>(data, data + size));
    std::vector<std::uint8_t> out;
    bool failed = false;
    try {
        TZDecompressionStream z(source);
        std::vector<std::uint8_t> buf(piece);
        while (out.size() < kMaxOut) {
            const std::size_t n = z.Read(buf.data(), std::min(piece, kMaxOut - out.size()));
            if (n == 0) break;
            out.insert(out.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
        }
        if (z.StreamEnded()) {
            Check(ref.ended);
            Check(source.Position() == static_cast<std::int64_t>(ref.consumed));
            Check(z.TotalIn() == static_cast<std::int64_t>(ref.consumed));
        }
    } catch (const EZDecompressionError&) {
        failed = true;
    }
    // Both stop at the same output cap; below it they agree on faults.
    if (out.size() < kMaxOut) Check(failed == ref.failed);
    Check(out.size() <= ref.out.size() && std::equal(out.begin(), out.end(), ref.out.begin()));
    if (!failed && !ref.failed) Check(out.size() == ref.out.size());
    return 0;
}

// Builds packed skin archives for tests, with zlib streams from several encoders.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmap::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline void PutInt32(Bytes& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

inline void PutBytes(Bytes& out, const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); }

inline std::uint32_t Adler32(const Bytes& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

inline void PutAdler(Bytes& out, const Bytes& data) {
    const std::uint32_t adler = Adler32(data);
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(adler >> (8 * i)));
}

// zlib's own encoder at a level and strategy.
inline Bytes ZlibDeflate(const Bytes& data, int level, int strategy = Z_DEFAULT_STRATEGY) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy) != Z_OK) throw std::runtime_error("deflateInit2");
    Bytes out(deflateBound(&z, static_cast<uLong>(data.size())) + 16);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(z.total_out);
    return out;
}

// Hand-made stored blocks of at most blockSize bytes each (no zlib involved),
// so the stream length is exact: 2 + 5 per block + data + 4.
inline Bytes StoredZlib(const Bytes& data, std::size_t blockSize = 65535) {
    Bytes out{0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min(blockSize, data.size() - pos);
        const bool last = pos + n == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(~n));
        out.push_back(static_cast<std::uint8_t>(~n >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
                   data.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < data.size());
    PutAdler(out, data);
    return out;
}

// Hand-made fixed-Huffman block: literals plus runs of the previous byte
// coded as length/distance-1 matches.
inline Bytes FixedHuffmanZlib(const Bytes& data) {
    Bytes out{0x78, 0x01};
    std::uint32_t bitBuf = 0;
    int bitCount = 0;
    auto bits = [&](std::uint32_t v, int n) {  // LSB first
        bitBuf |= v << bitCount;
        bitCount += n;
        while (bitCount >= 8) {
            out.push_back(static_cast<std::uint8_t>(bitBuf));
            bitBuf >>= 8;
            bitCount -= 8;
        }
    };
    auto code = [&](std::uint32_t c, int n) {  // Huffman codes go MSB first
        std::uint32_t r = 0;
        for (int i = 0; i < n; ++i) r |= ((c >> i) & 1u) << (n - 1 - i);
        bits(r, n);
    };
    auto symbol = [&](int s) {
        if (s < 144)
            code(0x30 + s, 8);
        else if (s < 256)
            code(0x190 + s - 144, 9);
        else if (s < 280)
            code(s - 256, 7);
        else
            code(0xC0 + s - 280, 8);
    };
    bits(1, 1);  // last block
    bits(1, 2);  // fixed Huffman
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t run = 0;
        while (i > 0 && i + run < data.size() && data[i + run] == data[i - 1] && run < 10) ++run;
        if (run >= 3) {
            symbol(257 + static_cast<int>(run) - 3);  // lengths 3..10 have no extra bits
            code(0, 5);                               // distance 1
            i += run;
        } else {
            symbol(data[i++]);
        }
    }
    symbol(256);
    if (bitCount > 0) bits(0, 8 - bitCount);
    PutAdler(out, data);
    return out;
}

struct ArchiveEntry {
    ArchiveEntry(std::string n, Bytes d, Bytes s = {}) : name(std::move(n)), data(std::move(d)), stream(std::move(s)) {}
    std::string name;
    Bytes data;
    Bytes stream;                              // zlib stream; made with zlib's default level when empty
    std::optional<std::int32_t> declaredSize;  // UncompressedSize to write; data.size() when unset
};

inline Bytes BuildArchive(const std::vector<ArchiveEntry>& entries, const char* magic = "ASzf",
                          std::optional<std::int32_t> file_count = std::nullopt) {
    Bytes out(magic, magic + 4);
    PutInt32(out, file_count.value_or(static_cast<std::int32_t>(entries.size())));
    for (const ArchiveEntry& e : entries) {
        PutInt32(out, static_cast<std::int32_t>(e.name.size()));
        PutBytes(out, ToBytes(e.name));
        PutInt32(out, e.declaredSize.value_or(static_cast<std::int32_t>(e.data.size())));
        PutBytes(out, e.stream.empty() ? ZlibDeflate(e.data, Z_DEFAULT_COMPRESSION) : e.stream);
    }
    return out;
}

// Deterministic pseudo-random bytes: incompressible content.
inline Bytes NoiseBytes(std::size_t n, std::uint32_t seed) {
    Bytes b(n);
    for (auto& c : b) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<std::uint8_t>(seed >> 24);
    }
    return b;
}

// Text that looks like an options file.
inline Bytes OptionsText(std::size_t approxSize = 2000) {
    std::string s = "[GLOBALINFO]\r\nVERSION=5.43\r\n";
    for (int i = 0; s.size() < approxSize; ++i)
        s += "[SECTION" + std::to_string(i) + "]\r\nCOLOR=" + std::to_string(3881787 + i * 97) +
             "\r\nTRANSPARENCY=" + std::to_string(i % 100) + "\r\n";
    return ToBytes(s);
}

}  // namespace velmap::test

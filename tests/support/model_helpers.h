// Small skins and images made by the tests themselves.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "skin/data/skin_files.h"

namespace velmap::test {

// A bottom-up 24-bit BMP file of one colour (0x00BBGGRR).
inline std::vector<std::uint8_t> SolidBmp(int w, int h, std::uint32_t colour) {
    const int stride = (w * 3 + 3) & ~3;
    const std::uint32_t size = 54 + std::uint32_t(stride) * h;
    std::vector<std::uint8_t> b(size, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = std::uint8_t(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::size_t at = 54 + std::size_t(y) * stride + std::size_t(x) * 3;
            b[at] = std::uint8_t(colour >> 16);
            b[at + 1] = std::uint8_t(colour >> 8);
            b[at + 2] = std::uint8_t(colour);
        }
    return b;
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::string SourcePath(const std::string& rel) { return std::string(VELMAP_TEST_SOURCE_DIR) + "/" + rel; }

// Files by exact name; remembers every name asked for.
class MapFiles : public SkinFiles {
public:
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::vector<std::string> asked;
    std::span<const std::uint8_t> Find(std::string_view name, std::vector<std::uint8_t>&) override {
        asked.emplace_back(name);
        auto it = files.find(std::string(name));
        if (it == files.end()) return {};
        return it->second;
    }
};

}  // namespace velmap::test

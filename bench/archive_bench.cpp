// Reading a skin-sized archive (an options text and two bitmaps, about
// 130 KB unpacked) with the packed skin reader, against zlib's uncompress
// of the same entries into buffers of the same sizes.
#include <benchmark/benchmark.h>

#include "times_reporter.h"
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "skin/data/skin_archive.h"

using namespace velmap;

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutInt32(Bytes& out, std::size_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes OptionsText() {
    std::string s = "[GLOBALINFO]\r\nVERSION=5.43\r\nAUTHOR=Velmap\r\n";
    const char* keys[] = {"COLOR",           "FONTCOLOR",    "HOTCOLOR",     "HOTFONTCOLOR", "TRANSPARENCY",
                          "GRADIENTPERCENT", "GRADIENTDATA", "IMAGEPERCENT", "SHOWFOCUS",    "FADING"};
    for (int i = 0; s.size() < 13659; ++i) {
        s += "[SECTION" + std::to_string(i) + "]\r\n";
        for (int k = 0; k < 10; ++k)
            s += std::string(keys[k]) + "=" + std::to_string((i * 7919 + k * 104729) % 16777216) + "\r\n";
    }
    s.resize(13659);
    return Bytes(s.begin(), s.end());
}

// A 24-bit bitmap of the size given: gradient faces with borders and a
// little noise, about as compressible as skin art.
Bytes Bitmap(int width, int height, std::uint32_t seed) {
    const int stride = (width * 3 + 3) & ~3;
    Bytes b(54 + static_cast<std::size_t>(stride) * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            std::uint8_t* p = &b[54 + static_cast<std::size_t>(y) * stride + x * 3];
            const bool border = x % 40 < 2 || y % 24 < 2;
            const int shade = border ? 200 : 40 + (y % 24) * 4 + ((seed >> 28) & 1);
            p[0] = static_cast<std::uint8_t>(shade + 10);
            p[1] = static_cast<std::uint8_t>(shade);
            p[2] = static_cast<std::uint8_t>(shade - (x % 40 < 20 ? 5 : 0));
        }
    }
    return b;
}

struct Fixture {
    std::vector<std::string> names;
    std::vector<Bytes> files;
    std::vector<Bytes> streams;
    Bytes archive;

    Fixture() {
        names = {"Options.dat", "ButtonHuge.bmp", "Master.bmp"};
        files = {OptionsText(), Bitmap(200, 93, 1), Bitmap(220, 91, 2)};
        archive = {'A', 'S', 'z', 'f'};
        PutInt32(archive, files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            uLongf n = compressBound(static_cast<uLong>(files[i].size()));
            Bytes z(n);
            compress2(z.data(), &n, files[i].data(), static_cast<uLong>(files[i].size()), Z_DEFAULT_COMPRESSION);
            z.resize(n);
            streams.push_back(z);
            PutInt32(archive, names[i].size());
            archive.insert(archive.end(), names[i].begin(), names[i].end());
            PutInt32(archive, files[i].size());
            archive.insert(archive.end(), z.begin(), z.end());
        }
    }
    std::size_t Unpacked() const {
        std::size_t n = 0;
        for (const Bytes& f : files) n += f.size();
        return n;
    }
};

const Fixture& TheFixture() {
    static const Fixture f;
    return f;
}

void BM_PackedSkinReader(benchmark::State& state) {
    const Fixture& f = TheFixture();
    MemoryStream source(f.archive);
    for (auto _ : state) {
        auto reader = std::make_unique<TacSkinConvertor>();
        reader->SetSource(&source);
        if (!LoadPackedSkin(reader)) state.SkipWithError("not read");
        benchmark::DoNotOptimize(reader->Entries.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.Unpacked()));
}

// The baseline knows every compressed size up front and allocates each
// output buffer once, at its final size.
void BM_ZlibUncompress(benchmark::State& state) {
    const Fixture& f = TheFixture();
    for (auto _ : state) {
        std::vector<Bytes> out;
        for (std::size_t i = 0; i < f.files.size(); ++i) {
            Bytes dest(f.files[i].size());
            uLongf n = static_cast<uLongf>(dest.size());
            if (uncompress(dest.data(), &n, f.streams[i].data(), static_cast<uLong>(f.streams[i].size())) != Z_OK)
                state.SkipWithError("uncompress");
            out.push_back(std::move(dest));
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.Unpacked()));
}

BENCHMARK(BM_PackedSkinReader);
BENCHMARK(BM_ZlibUncompress);

}  // namespace

int main(int argc, char** argv) {
    const Fixture& f = TheFixture();
    std::printf("archive: %zu bytes packed, %zu unpacked\n", f.archive.size(), f.Unpacked());
    velmap::bench::TimesReporter reporter;
    if (!reporter.RunAll(&argc, argv)) return 1;
    for (auto* times : {&reporter.real_ns, &reporter.cpu_ns}) {
        const double reader = reporter.Get(*times, "BM_PackedSkinReader"),
                     zlib = reporter.Get(*times, "BM_ZlibUncompress");
        if (reader > 0 && zlib > 0)
            std::printf("ratio packed skin reader / zlib uncompress (%s time): %.2fx (target <= 1.30x)\n",
                        times == &reporter.real_ns ? "wall" : "CPU", reader / zlib);
    }
    return 0;
}

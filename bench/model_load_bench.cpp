// Loading the internal skin from its packed archive into the data model, beside
// the baseline of unpacking (inflating) the same archive's entries alone.
#include <benchmark/benchmark.h>

#include "times_reporter.h"
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "skin/data/image_decode.h"
#include "skin/data/skin_loader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void PutInt32(Bytes& out, std::size_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The internal skin as the build packs it: Options.dat, ButtonHuge.bmp, Master.bmp.
const Bytes& ColdArchive() {
    static const Bytes archive = [] {
        const std::string dir = std::string(VELMAP_SOURCE_DIR) + "/assets/skins/cold/";
        Bytes out{'A', 'S', 'z', 'f'};
        const char* names[] = {"Options.dat", "ButtonHuge.bmp", "Master.bmp"};
        PutInt32(out, 3);
        for (const char* n : names) {
            Bytes data = ReadFile(dir + n);
            PutInt32(out, std::string(n).size());
            out.insert(out.end(), n, n + std::string(n).size());
            PutInt32(out, data.size());
            uLongf len = compressBound(static_cast<uLong>(data.size()));
            Bytes z(len);
            compress2(z.data(), &len, data.data(), static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION);
            out.insert(out.end(), z.begin(), z.begin() + static_cast<std::ptrdiff_t>(len));
        }
        return out;
    }();
    return archive;
}

void InflateEntries(benchmark::State& state) {
    const Bytes& a = ColdArchive();
    for (auto _ : state) {
        velmap::MemoryStream source(Bytes(a.begin(), a.end()));
        auto reader = std::make_unique<velmap::TacSkinConvertor>();
        reader->SetSource(&source);
        if (!velmap::LoadPackedSkin(reader)) state.SkipWithError("archive refused");
        reader->SetSource(static_cast<velmap::Stream*>(nullptr));
        benchmark::DoNotOptimize(reader->Entries.data());
    }
}
BENCHMARK(InflateEntries);

void LoadModel(benchmark::State& state) {
    const Bytes& a = ColdArchive();
    for (auto _ : state) {
        velmap::SkinModel m;
        if (!velmap::LoadPackedSkinData(m, a)) state.SkipWithError("archive refused");
        m.RebuildCommonIndexes();
        benchmark::DoNotOptimize(m.Sections.data());
    }
}
BENCHMARK(LoadModel);

// The two parts of the load past inflating, each on its own: decoding the two
// bitmaps to 24-bit bitmaps, and reading the options into the section table.
void DecodeImagesOnly(benchmark::State& state) {
    const std::string dir = std::string(VELMAP_SOURCE_DIR) + "/assets/skins/cold/";
    const Bytes huge = ReadFile(dir + "ButtonHuge.bmp"), master = ReadFile(dir + "Master.bmp");
    for (auto _ : state) {
        auto a = velmap::DecodeImage(huge.data(), huge.size());
        auto b = velmap::DecodeImage(master.data(), master.size());
        benchmark::DoNotOptimize(a.get());
        benchmark::DoNotOptimize(b.get());
    }
}
BENCHMARK(DecodeImagesOnly);

void OptionsOnly(benchmark::State& state) {
    const Bytes text = ReadFile(std::string(VELMAP_SOURCE_DIR) + "/assets/skins/cold/Options.dat");
    const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
    for (auto _ : state) {
        velmap::MemIniFile ini(view);
        velmap::SkinModel m;
        m.LoadSections(ini);
        benchmark::DoNotOptimize(m.Sections.data());
    }
}
BENCHMARK(OptionsOnly);

}  // namespace

int main(int argc, char** argv) {
    velmap::bench::TimesReporter reporter;
    if (!reporter.RunAll(&argc, argv)) return 1;
    // CPU time: the machine is shared, and wall time swings with the neighbours.
    const double inflate = reporter.Get(reporter.cpu_ns, "InflateEntries"),
                 load = reporter.Get(reporter.cpu_ns, "LoadModel");
    if (inflate > 0 && load > 0)
        std::printf(
            "\nCold (internal), %zu archive bytes: model load / inflating the entries alone = %.2f "
            "(target <= 1.5)\n",
            ColdArchive().size(), load / inflate);
    const double images = reporter.Get(reporter.cpu_ns, "DecodeImagesOnly"),
                 options = reporter.Get(reporter.cpu_ns, "OptionsOnly");
    if (inflate > 0 && images > 0 && options > 0)
        std::printf("  of which, relative to inflating: decoding the bitmaps %.2f, reading the options %.2f\n",
                    images / inflate, options / inflate);
    return 0;
}

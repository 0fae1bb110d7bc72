// The transparency blend against its baselines: memcpy of the same bytes
// and the scalar reference kernel, at the sizes the band paints (a button,
// the whole band) and at screen sizes.
#include <benchmark/benchmark.h>

#include "times_reporter.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "skin/paint/bitmap.h"
#include "skin/paint/blend_kernels.h"
#include "skin/paint/pixel_ops.h"

namespace {

using velmap::paint::Bitmap;
using velmap::paint::CreateBitmap24;
namespace kernels = velmap::paint::kernels;

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{20, 20}, {160, 25}, {640, 480}, {1920, 1080}};

struct Pair {
    std::unique_ptr<Bitmap> dst, src;
    explicit Pair(benchmark::State& state) : Pair(kSizes[state.range(0)]) {
        state.SetLabel(std::to_string(dst->Width()) + "x" + std::to_string(dst->Height()));
    }
    explicit Pair(Size s) : dst(CreateBitmap24(s.w, s.h)), src(CreateBitmap24(s.w, s.h)) {
        std::mt19937 rng(1);
        for (Bitmap* b : {dst.get(), src.get()})
            for (int y = 0; y < s.h; ++y)
                for (int i = 0; i < b->Stride(); ++i) b->ScanLine(y)[i] = static_cast<std::uint8_t>(rng());
    }
    // Whole buffer including row padding: what memcpy of the same bytes moves.
    std::size_t Bytes() const { return static_cast<std::size_t>(dst->Stride()) * dst->Height(); }
};

template <typename RowFn>
void BlendRows(Bitmap& dst, const Bitmap& src, std::uint8_t a, RowFn row) {
    const std::size_t n = static_cast<std::size_t>(dst.Width()) * 3;
    std::uint8_t* d = dst.RowStart();
    const std::uint8_t* s = src.RowStart();
    for (int y = 0; y < dst.Height(); ++y, d += dst.RowDelta(), s += src.RowDelta()) row(d, s, n, a);
}

void Memcpy(benchmark::State& state) {
    Pair p(state);
    std::uint8_t* d = p.dst->ScanLine(p.dst->Height() - 1);  // bottom-up: lowest address
    const std::uint8_t* s = p.src->ScanLine(p.src->Height() - 1);
    for (auto _ : state) {
        std::memcpy(d, s, p.Bytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.Bytes()));
}

void BlendScalar(benchmark::State& state) {
    Pair p(state);
    for (auto _ : state) {
        BlendRows(*p.dst, *p.src, 100, kernels::BlendRowScalar);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.Bytes()));
}

void BlendSse2(benchmark::State& state) {
    Pair p(state);
    for (auto _ : state) {
        BlendRows(*p.dst, *p.src, 100, kernels::BlendRowSse2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.Bytes()));
}

void BlendBitmaps(benchmark::State& state) {
    Pair p(state);
    for (auto _ : state) {
        velmap::paint::BlendBitmaps(*p.dst, *p.src, 100);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * p.Bytes()));
}

void SizeArgs(benchmark::internal::Benchmark* b) {
    for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i) b->Arg(i);
}

BENCHMARK(Memcpy)->Apply(SizeArgs);
BENCHMARK(BlendScalar)->Apply(SizeArgs);
BENCHMARK(BlendSse2)->Apply(SizeArgs);
BENCHMARK(BlendBitmaps)->Apply(SizeArgs);

// Console output as usual, plus each run's time kept for the ratio table.
}  // namespace

int main(int argc, char** argv) {
    velmap::bench::TimesReporter reporter;
    if (!reporter.RunAll(&argc, argv)) return 1;

    std::printf("\nBlend ratios (time / memcpy time of the same bytes; scalar time / SSE2 time)\n");
    std::printf("%-10s %14s %14s %14s %16s\n", "size", "SSE2/memcpy", "Bitmaps/memcpy", "scalar/memcpy", "scalar/SSE2");
    for (int i = 0; i < static_cast<int>(std::size(kSizes)); ++i) {
        const std::string arg = "/" + std::to_string(i);
        auto get = [&](const char* name) { return reporter.Get(reporter.real_ns, name + arg); };
        const double mc = get("Memcpy"), sc = get("BlendScalar"), ss = get("BlendSse2"), bb = get("BlendBitmaps");
        if (mc <= 0 || ss <= 0) continue;
        const std::string size = std::to_string(kSizes[i].w) + "x" + std::to_string(kSizes[i].h);
        std::printf("%-10s %14.2f %14.2f %14.2f %16.2f\n", size.c_str(), ss / mc, bb / mc, sc / mc, sc / ss);
    }
    return 0;
}

// Skin painting against baselines measured in the same run: gradients against
// a plain fill of the same rectangle, nine-piece borders with a mask half
// against the SSE2 blend of the same bytes, whole items against memcpy of
// the cache's bytes, and a full repaint of the band (panel and six buttons).
#include <benchmark/benchmark.h>

#include "times_reporter.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "skin/data/item_views.h"
#include "skin/data/skin_loader.h"
#include "skin/paint/blend_kernels.h"
#include "skin/paint/gradient.h"
#include "skin/paint/masks.h"
#include "skin/paint/pixel_ops.h"

namespace {

using namespace velmap;
using paint::Bitmap;

struct Size {
    int w, h;
};
constexpr Size kGradientSizes[] = {{20, 20}, {160, 25}, {640, 480}};
constexpr Size kBorderSizes[] = {{20, 20}, {300, 200}};

// The internal skin's sources, named as the packed archive names them.
const SkinModel& Cold() {
    static SkinModel* model = [] {
        const std::string dir = std::string(VELMAP_SOURCE_DIR) + "/assets/skins/cold/";
        static std::vector<std::uint8_t> options, master, huge;
        if (!ReadWholeFile(dir + "Options.dat", options) || !ReadWholeFile(dir + "Master.bmp", master) ||
            !ReadWholeFile(dir + "ButtonHuge.bmp", huge))
            std::abort();
        ArchiveFiles files;
        files.Add("Master.bmp", master);
        files.Add("ButtonHuge.bmp", huge);
        auto* m = new SkinModel;
        m->Load(std::string_view(reinterpret_cast<const char*>(options.data()), options.size()), files);
        if (!m->MasterBitmap) std::abort();
        return m;
    }();
    return *model;
}

paint::SkinItemView View(const char* section) { return *SkinItemViewOf(Cold(), ResolveItemIndexes(Cold(), section)); }

std::size_t Bytes(const Bitmap& b) { return static_cast<std::size_t>(b.Stride()) * b.Height(); }

const paint::TsGradArray& Gradient(int mode) {
    static paint::TsGradArray g[2];
    if (g[mode].empty()) {
        g[mode] = Cold().Sections[Cold().FindSectionIndex("SPEEDBUTTON")].HotGradientArray;
        for (auto& s : g[mode]) s.Mode = mode;
    }
    return g[mode];
}

void PlainFill(benchmark::State& state) {
    const Size s = kGradientSizes[state.range(0)];
    auto bmp = paint::CreateBitmap24(s.w, s.h);
    for (auto _ : state) {
        paint::FillRectColor(*bmp, {0, 0, s.w, s.h}, 0x3B3B3B);
        benchmark::ClobberMemory();
    }
}

void GradientMode(benchmark::State& state, int mode) {
    const Size s = kGradientSizes[state.range(0)];
    auto bmp = paint::CreateBitmap24(s.w, s.h);
    for (auto _ : state) {
        paint::PaintGradient(*bmp, {0, 0, s.w, s.h}, Gradient(mode));
        benchmark::ClobberMemory();
    }
}
void Gradient0(benchmark::State& state) { GradientMode(state, 0); }
void Gradient1(benchmark::State& state) { GradientMode(state, 1); }

// The border of the band's button (SPEEDBUTTON) and of BUTTON_HUGE, hot,
// over a Ready parent.
void Border(benchmark::State& state) {
    const Size s = kBorderSizes[state.range(0)];
    const paint::SkinItemView view = View(state.range(0) == 0 ? "SPEEDBUTTON" : "BUTTON_HUGE");
    auto parent = paint::CreateBitmap24(s.w + 8, s.h + 8);
    auto bmp = paint::CreateBitmap24(s.w, s.h);
    for (auto _ : state) {
        paint::DrawBorderMask(*bmp, {0, 0, s.w, s.h}, true, false, 1, *view.Border, {parent.get(), 4, 4, true});
        benchmark::ClobberMemory();
    }
}

void BlendSameBytes(benchmark::State& state) {
    const Size s = kBorderSizes[state.range(0)];
    auto dst = paint::CreateBitmap24(s.w, s.h), src = paint::CreateBitmap24(s.w, s.h);
    for (auto _ : state) {
        for (int y = 0; y < s.h; ++y)
            paint::kernels::BlendRow(dst->ScanLine(y), src->ScanLine(y), static_cast<std::size_t>(s.w) * 3, 100);
        benchmark::ClobberMemory();
    }
}

// The band: a 160 x 25 panel and six 20 x 20 speed buttons on it.
struct Band {
    paint::SkinItemView panel = View("PANEL"), button = View("SPEEDBUTTON");
    std::unique_ptr<Bitmap> panel_cache = paint::CreateBitmap24(160, 25), button_cache = paint::CreateBitmap24(20, 20);
    void PaintPanel() {
        paint::PaintSkinItem(panel, {}, false, 0, {0, 0, 160, 25}, {0, 0}, panel_cache.get(), true,
                             {0x3B3B3B, 0x3B3B3B});
    }
    void PaintButton(int i, int state) {
        const paint::BackgroundSource bg{panel_cache.get(), 0, 0, true};
        const paint::TPoint at{8 + 24 * i, 2};
        paint::PaintSkinItem(button, bg, true, state, {0, 0, 20, 20}, at, button_cache.get(), false, {0x3B3B3B});
        paint::RefreshCornerPixels(*button.Border, *button_cache, state, paint::kAllCorners, bg, 0x3B3B3B);
    }
};

void ItemPanel(benchmark::State& state) {
    Band band;
    for (auto _ : state) {
        band.PaintPanel();
        benchmark::ClobberMemory();
    }
}

void ItemButton(benchmark::State& state) {
    Band band;
    band.PaintPanel();
    for (auto _ : state) {
        band.PaintButton(0, static_cast<int>(state.range(0)));
        benchmark::ClobberMemory();
    }
}

void BandRepaint(benchmark::State& state) {
    Band band;
    for (auto _ : state) {
        band.PaintPanel();
        for (int i = 0; i < 6; ++i) band.PaintButton(i, i == 2 ? 1 : 0);
        benchmark::ClobberMemory();
    }
}

void Memcpy(benchmark::State& state) {
    const Size s = state.range(0) == 0 ? Size{160, 25} : Size{20, 20};
    auto a = paint::CreateBitmap24(s.w, s.h), b = paint::CreateBitmap24(s.w, s.h);
    for (auto _ : state) {
        std::memcpy(a->ScanLine(s.h - 1), b->ScanLine(s.h - 1), Bytes(*a));
        benchmark::ClobberMemory();
    }
}

BENCHMARK(PlainFill)->DenseRange(0, 2);
BENCHMARK(Gradient0)->DenseRange(0, 2);
BENCHMARK(Gradient1)->DenseRange(0, 2);
BENCHMARK(Border)->DenseRange(0, 1);
BENCHMARK(BlendSameBytes)->DenseRange(0, 1);
BENCHMARK(ItemPanel);
BENCHMARK(ItemButton)->DenseRange(0, 2);
BENCHMARK(Memcpy)->DenseRange(0, 1);
BENCHMARK(BandRepaint);

}  // namespace

int main(int argc, char** argv) {
    velmap::bench::TimesReporter r;
    if (!r.RunAll(&argc, argv)) return 1;
    // CPU time: the machine is shared, and wall time counts the waits.
    auto ns = [&](const std::string& name) { return r.Get(r.cpu_ns, name); };
    auto ratio = [&](const std::string& a, const std::string& b) { return ns(b) > 0 ? ns(a) / ns(b) : 0.0; };

    std::printf("\nGradients (time / plain fill of the same rectangle; target <= 1.3)\n");
    std::printf("%-10s %10s %10s\n", "size", "mode 0", "mode 1");
    for (int i = 0; i < 3; ++i) {
        const std::string a = "/" + std::to_string(i);
        std::printf("%-10s %10.2f %10.2f\n",
                    (std::to_string(kGradientSizes[i].w) + "x" + std::to_string(kGradientSizes[i].h)).c_str(),
                    ratio("Gradient0" + a, "PlainFill" + a), ratio("Gradient1" + a, "PlainFill" + a));
    }
    std::printf("\nNine-piece border with a mask half (time / SSE2 blend of the same bytes; target <= 2)\n");
    for (int i = 0; i < 2; ++i) {
        const std::string a = "/" + std::to_string(i);
        std::printf("%-10s %10.2f\n",
                    (std::to_string(kBorderSizes[i].w) + "x" + std::to_string(kBorderSizes[i].h)).c_str(),
                    ratio("Border" + a, "BlendSameBytes" + a));
    }
    std::printf("\nWhole items (time, and / memcpy of the cache's bytes)\n");
    std::printf("%-22s %10.0f ns %8.1f\n", "PANEL 160x25", ns("ItemPanel"), ratio("ItemPanel", "Memcpy/0"));
    for (int st = 0; st < 3; ++st)
        std::printf("%-22s %10.0f ns %8.1f\n", ("SPEEDBUTTON 20x20 st " + std::to_string(st)).c_str(),
                    ns("ItemButton/" + std::to_string(st)), ratio("ItemButton/" + std::to_string(st), "Memcpy/1"));
    std::printf("\nFull band repaint (panel + six buttons): %.1f us, %.3f of one 10 ms fade tick\n",
                ns("BandRepaint") / 1000.0, ns("BandRepaint") / 1e7);
    return 0;
}

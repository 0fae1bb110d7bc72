// A whole skin load, options text and images, through the packed archive into
// the data model, then every lookup over what was built. An input is either a
// packed archive ("ASzf...") or, so that mutations reach the text and the image
// bytes directly, a list of files separated by "\n|#|": the options text first,
// then "NAME\n" followed by the file's bytes; such a list is packed here and
// loaded the same way.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "skin/data/convert.h"
#include "skin/data/skin_loader.h"
#include "skin/data/skin_warning.h"

#ifdef _WIN32
#include <objbase.h>
#endif

using namespace velmap;

namespace {

#define Check(ok) ((ok) ? void() : (std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok), std::abort()))

void PutInt32(std::vector<std::uint8_t>& out, std::size_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutEntry(std::vector<std::uint8_t>& out, std::string_view name, std::string_view data) {
    PutInt32(out, name.size());
    out.insert(out.end(), name.begin(), name.end());
    PutInt32(out, data.size());
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> z(n);
    Check(compress2(z.data(), &n, reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 0) ==
          Z_OK);
    out.insert(out.end(), z.begin(), z.begin() + static_cast<std::ptrdiff_t>(n));
}

std::vector<std::uint8_t> PackList(std::string_view in) {
    std::vector<std::string_view> parts;
    constexpr std::string_view kSep = "\n|#|";
    std::size_t pos = 0;
    while (true) {
        std::size_t e = in.find(kSep, pos);
        parts.push_back(in.substr(pos, e == std::string_view::npos ? e : e - pos));
        if (e == std::string_view::npos) break;
        pos = e + kSep.size();
    }
    std::vector<std::uint8_t> out{'A', 'S', 'z', 'f'};
    std::vector<std::uint8_t> entries;
    std::size_t count = 0;
    auto add = [&](std::string_view name, std::string_view data) {
        if (data.empty()) return;  // every entry holds at least one byte
        PutEntry(entries, name, data);
        ++count;
    };
    add("Options.dat", parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::size_t nl = parts[i].find('\n');
        if (nl == std::string_view::npos || nl == 0 || nl > 64) continue;
        add(parts[i].substr(0, nl), parts[i].substr(nl + 1));
    }
    PutInt32(out, count);
    out.insert(out.end(), entries.begin(), entries.end());
    return out;
}

void Inspect(SkinModel& m) {
    m.RebuildCommonIndexes();
    const int n = static_cast<int>(m.Sections.size());
    for (int i = -1; i <= n; ++i) {
        std::string name = i >= 0 && i < n ? m.Sections[i].Name : std::string("X");
        Check(i < 0 || i >= n || m.FindSectionIndex(name) <= i);
        for (const char* key : {"BORDERSMASK", "GLYPHMASK", "PATTERN", "HOTPATTERN"}) {
            int k = m.FindMaskIndex(i, name, key);
            Check(k >= -1 && k < static_cast<int>(m.Masks.size()));
            int t = m.FindTextureIndex(i, name, key);
            Check(t == -1 || m.Masks[t].ImgType == TacImgType::itisaTexture);
            int p = m.FindPatternIndex(i, name, key);
            Check(p >= -1 && p < static_cast<int>(m.Patterns.size()));
        }
    }
    for (int i = 0; i < static_cast<int>(m.Masks.size()); ++i) {
        const TsMaskData& mask = m.Masks[i];
        Check(mask.Manager == &m);
        Check(static_cast<int>(mask.ImgType) <= 2);
        Check(mask.ImageCount >= 0 && mask.MaskType >= 0);
        if (mask.Bmp) Check(mask.Bmp->BitsPerPixel() == 24 && !mask.Bmp->Empty());
        (void)m.MaskStateSize(i);
        (void)m.MaskBorderWidthLeft(i);
        (void)m.MaskBorderWidthRight(i);
        (void)m.MaskBorderWidthBottom(i);
    }
    for (const auto& s : m.Sections)
        for (const auto* arr : {&s.GradientArray, &s.HotGradientArray})
            for (const auto& g : *arr) Check(g.Percent <= 100);
    (void)m.GlobalColor();
    (void)m.GlobalFontColor();
    (void)m.GlobalHotColor();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool once = [] {
        SetSkinWarningHook([](const std::string&, const std::string&) {});
#ifdef _WIN32
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
#endif
        return true;
    }();
    (void)once;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> archive = in.substr(0, 4) == "ASzf" ? std::vector<std::uint8_t>(data, data + size)
                                                                  : PackList(in);
    SkinModel m;
    m.HueOffset = size % 7 == 0 ? 40 : 0;  // the recolouring paths too, on some inputs
    m.Saturation = size % 11 == 0 ? -30 : 0;
    // Common sections as a skin manager adds them, over a section or of their own.
    if (size % 5 == 0) m.CommonSections = "[PANEL]\r\nCOLOR=255\r\n[EXTRA]\r\nTRANSPARENCY=50\r\n";
    try {
        // The loader the skin manager runs, with the folder of an internal skin.
        if (LoadPackedSkinData(m, archive, std::string{})) Inspect(m);
    } catch (const SkinConvertError&) {
        Check(m.Sections.empty() && m.Masks.empty());  // a failed load puts nothing in force
    } catch (const std::exception&) {
        // archive format faults: refused as a whole
    }
    return 0;
}

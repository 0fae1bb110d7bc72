#include "render.h"

#ifdef _WIN32
#include <objbase.h>
#endif

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "image_file.h"
#include "skin/data/image_decode.h"
#include "skin/data/item_views.h"
#include "skin/data/skin_loader.h"
#include "skin/data/skin_warning.h"
#include "skin/paint/item_paint.h"
#include "skin/paint/paint_device.h"
#include "skin/paint/pixel_ops.h"
#include "skin/paint/skin_text.h"
#include "skinpack.h"

namespace velmap::skinpack {

namespace fs = std::filesystem;
using paint::Bitmap;
using paint::KeyColor;
using paint::TColor;

namespace {

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path.string(), bytes, kMaxPackedArchiveSize))
        throw SkinpackError("Cannot read \"" + path.string() + "\"");
    return bytes;
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (f) f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (f) f.close();
    if (!f) throw SkinpackError("Cannot write \"" + path.string() + "\"");
}

void WritePicture(const fs::path& path, const Bitmap& bmp) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    WriteFile(path, ext == ".png" ? EncodePng(bmp) : EncodeBmp24(bmp));
}

bool IsPanel(const std::string& section) { return section == "PANEL"; }

// Copies all of src into dst at (x, y), clipped to dst.
void CopyInto(Bitmap& dst, const Bitmap& src, int x, int y) {
    for (int i = 0; i < src.Height(); ++i) {
        if (y + i < 0 || y + i >= dst.Height()) continue;
        for (int j = 0; j < src.Width(); ++j) {
            if (x + j < 0 || x + j >= dst.Width()) continue;
            std::copy_n(src.ScanLine(i) + j * src.BytesPerPixel(), 3,
                        dst.ScanLine(y + i) + (x + j) * dst.BytesPerPixel());
        }
    }
}

std::wstring FromUtf8(const std::string& s) {
    std::wstring w;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        if (n < 0 || i + n >= s.size() + (n == 0 ? 1 : 0)) {
            w += L'?';
            ++i;
            continue;
        }
        unsigned v = n == 0 ? c : c & (0x3Fu >> n);
        for (int k = 1; k <= n; ++k) v = (v << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
        w += v <= 0xFFFF ? static_cast<wchar_t>(v) : L'?';
        i += n + 1;
    }
    return w;
}

#ifdef _WIN32
// Skin images are decoded by the system's codecs, which need COM.
struct ComScope {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(hr)) ::CoUninitialize();
    }
};
#else
struct ComScope {};
#endif

}  // namespace

std::unique_ptr<SkinModel> LoadRenderSkin(const std::string& skin) {
    // A wrong magic is reported here, not in a message box.
    const SkinWarningHook previous = SetSkinWarningHook([](const std::string&, const std::string&) {});
    struct Restore {
        const SkinWarningHook& hook;
        ~Restore() { SetSkinWarningHook(hook); }
    } restore{previous};

    auto model = std::make_unique<SkinModel>();
    std::vector<std::uint8_t> archive;
    std::error_code ec;
    if (skin == "internal") {
        archive = PackFiles(fs::path(VELMAP_INTERNAL_SKIN_DIR), {"Options.dat", "ButtonHuge.bmp", "Master.bmp"}, 9);
    } else if (fs::is_directory(skin, ec)) {
        std::string folder = skin;
        if (folder.back() != '/' && folder.back() != '\\') folder += '/';
        if (!LoadSkinFolder(*model, folder)) throw SkinpackError("\"" + skin + "\" holds no Options.dat");
        return model;
    } else {
        archive = ReadFile(skin);
    }
    if (!LoadPackedSkinData(*model, archive)) throw SkinpackError("\"" + skin + "\" is not a packed skin");
    return model;
}

std::unique_ptr<Bitmap> RenderItem(const SkinModel& model, const RenderOptions& o) {
    const SkinItemIndexes ix = ResolveItemIndexes(model, o.Section);
    const std::optional<paint::SkinItemView> view = SkinItemViewOf(model, ix);
    if (!view) throw SkinpackError("The skin has no section \"" + o.Section + "\"");
    auto cache = paint::CreateBitmap24(o.Width, o.Height);
    const bool panel = IsPanel(o.Section);

    // A parent picture varies under the item: its pixels are used. A uniform
    // parent answers its colour, as a panel whose face does not vary does.
    std::unique_ptr<Bitmap> uniform;
    paint::BackgroundSource bg;
    paint::TPoint pos{};
    paint::ItemColors colors;
    if (o.ParentImage) {
        bg = {const_cast<Bitmap*>(o.ParentImage), 0, 0, true};
        pos = o.At;
    } else if (o.ParentColor) {
        uniform = paint::CreateBitmap24(o.Width, o.Height);
        paint::FillRectColor(*uniform, {0, 0, o.Width, o.Height}, *o.ParentColor);
        bg = {uniform.get(), 0, 0, true};
        colors.ParentBg = *o.ParentColor;
    }
    const paint::TRect all{0, 0, o.Width, o.Height};
    paint::PaintSkinItem(*view, bg, !panel, o.State, all, pos, cache.get(), panel, colors);

    if (!o.Caption.empty()) {
        const paint::SkinTextColors text = TextColorsOf(model.Sections[ix.Section]);
        paint::BitmapTextSurface surface(*cache, paint::TextFont{});
        using namespace paint::text_format;
        paint::WriteSkinText(surface, o.Caption, true, !panel && o.State != 0, &text, false,
                             kCenter | kVCenter | kSingleLine, all);
    }
    if (view->Border) {
        paint::BackgroundSource at = bg;
        at.X += pos.X;
        at.Y += pos.Y;
        const TColor plain = o.ParentColor ? *o.ParentColor : KeyColor;
        // A button refreshes after rebuilding its face and again when it paints.
        if (!panel) paint::RefreshCornerPixels(*view->Border, *cache, o.State, paint::kAllCorners, at, plain);
        paint::RefreshCornerPixels(*view->Border, *cache, 0, paint::kAllCorners, at, plain);
    }
    return cache;
}

std::unique_ptr<Bitmap> RenderPicture(const SkinModel& model, const RenderOptions& o) {
    auto face = RenderItem(model, o);
    if (!o.ParentImage) return face;
    auto picture = paint::CreateBitmap24(o.ParentImage->Width(), o.ParentImage->Height());
    CopyInto(*picture, *o.ParentImage, 0, 0);
    CopyInto(*picture, *face, o.At.X, o.At.Y);  // the control shows its cache at its place
    return picture;
}

std::unique_ptr<Bitmap> RenderSheet(const SkinModel& model, const std::string& section) {
    struct Size {
        int w, h;
    };
    static constexpr Size kSizes[] = {{20, 20}, {48, 24}, {160, 25}, {96, 64}};
    constexpr int kMargin = 8, kCell = 160 + kMargin;
    int height = kMargin;
    for (const Size& s : kSizes) height += s.h + kMargin;
    auto sheet = paint::CreateBitmap24(kMargin + 3 * kCell, height);
    // A checkered parent shows what is transparent.
    for (int y = 0; y < sheet->Height(); y += 8)
        for (int x = 0; x < sheet->Width(); x += 8)
            paint::FillRectColor(*sheet, {x, y, x + 8, y + 8}, ((x / 8 + y / 8) % 2) ? 0x9A9A9A : 0x6E6E6E);
    const auto parent = sheet->Clone();
    int y = kMargin;
    for (const Size& s : kSizes) {
        for (int state = 0; state < 3; ++state) {
            RenderOptions o;
            o.Section = section;
            o.Width = s.w, o.Height = s.h, o.State = state;
            o.ParentImage = parent.get();
            o.At = {kMargin + state * kCell, y};
            CopyInto(*sheet, *RenderItem(model, o), o.At.X, o.At.Y);
        }
        y += s.h + kMargin;
    }
    return sheet;
}

namespace {

const char kRenderUsage[] =
    "usage: skinpack render SKIN OUT --section NAME --size WxH [--state 0|1|2]\n"
    "                       [--parent RRGGBB | --parent-image FILE.bmp --at X,Y] [--caption TEXT]\n"
    "         paint one item of section NAME as a control does and write it as a 24-bit BMP\n"
    "         (PNG when OUT ends in .png). SKIN: a packed skin, a skin folder or \"internal\".\n"
    "         --parent: the parent's cache is that colour; --parent-image: it is the picture,\n"
    "         the item sits at X,Y and OUT is the whole picture; neither: the parent has none.\n"
    "       skinpack render SKIN OUTDIR --sheet\n"
    "         one PNG per section: states 0, 1, 2 at a few sizes\n";

bool ParseInt(std::string_view s, int& v) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size();
}

bool ParsePair(std::string_view s, char sep, int& a, int& b) {
    const std::size_t at = s.find(sep);
    return at != std::string_view::npos && ParseInt(s.substr(0, at), a) && ParseInt(s.substr(at + 1), b);
}

bool ParseColor(std::string_view s, TColor& c) {
    if (s.size() != 6) return false;
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + 6, v, 16);
    if (ec != std::errc() || end != s.data() + 6) return false;
    c = paint::MakeColor(static_cast<int>(v >> 16), static_cast<int>(v >> 8), static_cast<int>(v));
    return true;
}

std::string FileNameOf(const std::string& section) {
    std::string name;
    for (char c : section) name += (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') ? c : '_';
    return name.empty() ? "_" : name;
}

}  // namespace

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 3) {
        err << kRenderUsage;
        return 2;
    }
    const std::string skin = args[0];
    const fs::path target = args[1];
    RenderOptions o;
    bool sheet = false, sized = false;
    std::optional<fs::path> parent_file;
    std::optional<paint::TPoint> at;
    std::string caption;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        auto bad = [&](const std::string& why) {
            err << "skinpack: " << why << "\n" << kRenderUsage;
            return 2;
        };
        if (a == "--sheet") {
            sheet = true;
        } else if (!has_value) {
            return bad("\"" + a + "\" is not an option here, or it lacks its value");
        } else if (a == "--section") {
            o.Section = args[++i];
        } else if (a == "--size") {
            if (!ParsePair(args[++i], 'x', o.Width, o.Height) || o.Width < 1 || o.Height < 1 || o.Width > 4096 ||
                o.Height > 4096)
                return bad("--size takes WxH, each 1 to 4096");
            sized = true;
        } else if (a == "--state") {
            if (!ParseInt(args[++i], o.State) || o.State < 0 || o.State > 2) return bad("--state takes 0, 1 or 2");
        } else if (a == "--parent") {
            TColor c{};
            if (!ParseColor(args[++i], c)) return bad("--parent takes a colour RRGGBB in hexadecimal");
            o.ParentColor = c;
        } else if (a == "--parent-image") {
            parent_file = args[++i];
        } else if (a == "--at") {
            paint::TPoint p;
            if (!ParsePair(args[++i], ',', p.X, p.Y)) return bad("--at takes X,Y");
            at = p;
        } else if (a == "--caption") {
            caption = args[++i];
        } else {
            return bad("unknown option \"" + a + "\"");
        }
    }
    const bool parented = o.ParentColor || parent_file || at;
    const bool fits = sheet ? o.Section.empty() && !sized && !parented && caption.empty()
                            : !o.Section.empty() && sized && !(o.ParentColor && parent_file) &&
                                  at.has_value() == parent_file.has_value();
    if (!fits) {
        err << kRenderUsage;
        return 2;
    }
    [[maybe_unused]] ComScope com;
    const auto model = LoadRenderSkin(skin);
    if (sheet) {
        std::error_code ec;
        fs::create_directories(target, ec);
        if (!fs::is_directory(target, ec)) throw SkinpackError("Cannot create the folder \"" + target.string() + "\"");
        for (const TsGeneralData& s : model->Sections) {
            const fs::path file = target / (FileNameOf(s.Name) + ".png");
            WritePicture(file, *RenderSheet(*model, s.Name));
            out << file.string() << "\n";
        }
        return 0;
    }
    std::unique_ptr<Bitmap> parent;
    if (parent_file) {
        const std::vector<std::uint8_t> bytes = ReadFile(*parent_file);
        parent = DecodeBmp(bytes.data(), bytes.size());
        if (!parent) throw SkinpackError("\"" + parent_file->string() + "\" is not a BMP picture");
        o.ParentImage = parent.get();
        o.At = *at;
    }
    o.Caption = FromUtf8(caption);
    if (!o.Caption.empty() && !paint::PlatformHasText())
        err << "skinpack: this build draws no text; the caption is left out\n";
    WritePicture(target, *RenderPicture(*model, o));
    out << "wrote \"" << target.string() << "\"\n";
    return 0;
}

}  // namespace velmap::skinpack

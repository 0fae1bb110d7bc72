// The band's controls as the band shows them: a 160 x 25 panel of the
// internal skin with 20 x 20 speed buttons carrying 18 x 18 glyphs. Shared by
// the screenshot test and the fade benchmark (Windows).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/controls/control_classes.h"
#include "skin/controls/panel.h"
#include "skin/controls/speed_button.h"
#include "skin/manager/skin_manager.h"
#include "ui/form.h"

namespace velmap::skin::band_controls {

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An 18 x 18 24-bit file image: a white triangle pointing right on the
// glyphs' background colour RGB (0, 36, 255).
inline std::vector<std::uint8_t> TriangleGlyph() {
    constexpr int kSize = 18, kStride = (kSize * 3 + 3) & ~3;
    std::vector<std::uint8_t> f(54 + kStride * kSize, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<std::uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, kSize);
    put32(22, kSize);
    f[26] = 1;
    f[28] = 24;
    for (int row = 0; row < kSize; ++row) {  // bottom-up
        const int y = kSize - 1 - row;
        for (int x = 0; x < kSize; ++x) {
            std::uint8_t* p = &f[54 + row * kStride + x * 3];
            const bool inside = x >= 5 && x < 14 && std::abs(2 * y - (kSize - 1)) <= 2 * (14 - x) - 1;
            p[0] = 255;
            p[1] = inside ? 255 : 36;
            p[2] = inside ? 255 : 0;
        }
    }
    return f;
}

inline const char kBandText[] = R"desc(
object BandForm : TForm
  Width = 160
  Height = 25
  Color = clBlack
  Visible = True
  object SkinManager : TsSkinManager
    InternalSkins = <
      item
        Name = "Cold (internal)"
        Data = @SKIN
      end>
    SkinName = "Cold (internal)"
  end
  object Panel : TsPanel
    Width = 160
    Height = 25
    SkinData.SkinSection = "PANEL"
    object btnPrev : TsSpeedButton
      Left = 14
      Top = 3
      Width = 20
      Height = 20
      Glyph = @GLYPH
      SkinData.SkinSection = "SPEEDBUTTON"
    end
    object btnPlay : TsSpeedButton
      Left = 36
      Top = 3
      Width = 20
      Height = 20
      Glyph = @GLYPH
      SkinData.SkinSection = "SPEEDBUTTON"
    end
  end
end
)desc";

// The form inside host; null when the packed skin cannot be read.
inline ui::owned<ui::TForm> MakeBandControls(HWND host, const std::string& archive_path) {
    const std::vector<std::uint8_t> skin = ReadFile(archive_path);
    if (skin.empty()) return {};
    ui::RegisterStandardClasses();
    RegisterSkinManagerClass();
    RegisterSkinControlClasses();
    const std::vector<std::uint8_t> glyph = TriangleGlyph();
    ui::owned<ui::TForm> form(new ui::TForm(host));
    form->SetDescriptionText(kBandText, [skin, glyph](const std::string& name) -> std::optional<std::vector<std::uint8_t>> {
        if (name == "SKIN") return skin;
        if (name == "GLYPH") return glyph;
        return std::nullopt;
    });
    form->AfterConstruction();
    ::UpdateWindow(host);
    return form;
}

// What a windowed control shows on screen, as a 24-bit bitmap.
inline std::unique_ptr<paint::Bitmap> Capture(ui::TWinControl* control) {
    auto bmp = paint::CreateBitmap24(control->Width(), control->Height());
    HDC dc = ::GetDC(control->Handle());
    ::BitBlt(bmp->Dc(), 0, 0, control->Width(), control->Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(control->Handle(), dc);
    ::GdiFlush();
    return bmp;
}

}  // namespace velmap::skin::band_controls

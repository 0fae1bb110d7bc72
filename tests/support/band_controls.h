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

#include "image_file.h"
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
    auto g = paint::CreateBitmap24(18, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            const bool inside = x >= 5 && x < 14 && std::abs(2 * y - 17) <= 2 * (14 - x) - 1;
            std::uint8_t* p = g->ScanLine(y) + 3 * x;
            p[0] = 255;
            p[1] = inside ? 255 : 36;
            p[2] = inside ? 255 : 0;
        }
    return skinpack::EncodeBmp24(*g);
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
    form->SetDescriptionText(kBandText,
                             [skin, glyph](const std::string& name) -> std::optional<std::vector<std::uint8_t>> {
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

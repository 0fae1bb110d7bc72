// skinpack render: one skin item painted the way a control paints it, and
// contact sheets of every section, for skin authors.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/data/skin_model.h"
#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::skinpack {

// Loads SKIN: "internal" (the band's own skin, packed from its sources as
// the build packs it), a packed skin file or a skin folder.
std::unique_ptr<SkinModel> LoadRenderSkin(const std::string& skin);

struct RenderOptions {
    std::string Section;
    int Width = 0, Height = 0;
    int State = 0;
    // The parent's cache: a uniform colour, or a picture with the item at
    // At; neither: the parent has no cache to offer (not Ready).
    std::optional<paint::TColor> ParentColor;
    const paint::Bitmap* ParentImage = nullptr;
    paint::TPoint At;
    std::wstring Caption;
};

// The control's cache after it has painted itself: PaintSkinItem (a panel's
// rules for PANEL, a speed button's for any other section), the caption,
// the corner refresh.
std::unique_ptr<paint::Bitmap> RenderItem(const SkinModel& model, const RenderOptions& options);

// What `render` writes: the cache, or the parent picture with the cache at At.
std::unique_ptr<paint::Bitmap> RenderPicture(const SkinModel& model, const RenderOptions& options);

// One section in states 0, 1 and 2 (columns) at a few sizes (rows), over a
// checkered parent.
std::unique_ptr<paint::Bitmap> RenderSheet(const SkinModel& model, const std::string& section);

// `skinpack render ...` without the command word; the exit code.
int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmap::skinpack

// What painting reads of one skin image record: the image, the region of it
// holding the state frames (and the mask half), and the border and fill
// settings. Built by the skin data layer; painting knows no skin files.
#pragma once

#include <cstdint>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"

namespace velmap::paint {

struct MaskView {
    // The image the region is cut from: the record's own bitmap or the skin's
    // master bitmap. Null: nothing is drawn.
    Bitmap* Image = nullptr;
    // Image is the record's own bitmap (not the master bitmap).
    bool OwnImage = false;
    TRect R;                             // all frames side by side, mask half below
    int ImageCount = 1;                  // frames side by side
    int MaskType = 0;                    // 0: no mask half; >= 1: the lower part of R is a per-pixel mask
    int WL = 0, WT = 0, WR = 0, WB = 0;  // border widths
    int StretchMode = 0;                 // border: bit set (1 stretch, 2 not in state 0, 4 centre); texture: fill mode

    // The values the drawing code works with: a frame count of at least 1,
    // a mask type of at least 0.
    int Frames() const { return ImageCount < 1 ? 1 : ImageCount; }
    int MaskRows() const { return MaskType < 0 ? 0 : MaskType; }
    int FrameWidth() const { return R.Width() / Frames(); }
    int FrameHeight() const { return R.Height() / (MaskRows() + 1); }
};

// The one frame rule of border masks, for drawing them and for refreshing
// their corners alike: an own image with ImageCount 0 holds three frames
// with a mask half, as a whole bitmap named as a mask does.
inline MaskView BorderFrames(MaskView m) {
    if (m.OwnImage && m.ImageCount == 0) m.ImageCount = 3, m.MaskType = 1;
    return m;
}

// StretchMode bits of a border mask.
inline constexpr int kStretchEdges = 1;  // edges and centre stretched, not tiled (no mask half)
inline constexpr int kNotInNormal = 2;   // not drawn in state 0
inline constexpr int kPaintCentre = 4;   // centre piece drawn when asked for

}  // namespace velmap::paint

// Portable stand-ins for two platform drawing operations, used where there
// is no GDI (and tested everywhere).
#pragma once

#include <span>

#include "skin/paint/bitmap.h"
#include "skin/paint/color.h"
#include "skin/paint/paint_device.h"

namespace velmap::paint {

// Resamples rectangle s of src onto rectangle d of dst, each axis apart:
// - same length: the pixels are copied;
// - enlarging: linear interpolation between source pixel centres, the edge
//   pixels held beyond the outermost centres;
// - shrinking: each destination pixel is the average of the source pixels
//   its footprint covers, weighted by how much of each it covers.
// Weights are 16.16 fixed point summing to exactly 1 per pixel, so a run of
// equal source pixels gives that value exactly. s is clipped to src first;
// only pixels of d inside dst are written.
void ResampleBox(Bitmap& dst, TRect d, const Bitmap& src, TRect s);

// Fills each triangle with its vertex colours interpolated linearly at the
// integer pixel positions it contains (edges included; where triangles
// share an edge the first in order wins). A vertex pixel gets exactly its
// vertex colour; each channel is the 16-bit value's high byte.
void RasterizeGradientTriangles(Bitmap& bmp, TRect clip, std::span<const GradientVertex> vertices,
                                std::span<const GradientTriangle> triangles);

}  // namespace velmap::paint

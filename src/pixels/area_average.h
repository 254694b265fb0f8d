#pragma once
// The image as the view shows it below 100%: each view pixel the average of the image area
// it covers (a box filter). Pure C++. GDI+ cannot be asked for this: Wine's samples in every
// interpolation mode when it draws an image smaller (one-pixel stripes of black and white
// come out all black at 1/2, and as a ramp from black to white at 0.4).
#include <cstdint>

#include "pixel_rows.h"
#include "view_scale.h"

// The largest denominator, once the scale is in lowest terms, that AverageAreas takes: its
// sums of products of weights and pixels must fit in 64 bits.
constexpr std::uint32_t kLargestAveragedDenominator = 1u << 24;

// The view pixels at scale (which reduces) whose areas meet the image pixels of imageRect,
// within the view of an image of imageSize; empty for an empty rectangle.
ImageRect ViewPixelsCovering(const ImageRect& imageRect, ImageSize imageSize, ViewScale scale);

// The image pixels that the areas of the view pixels of viewRect at scale (which reduces)
// cover, clipped to the image; empty for an empty rectangle.
ImageRect ImagePixelsUnder(const ImageRect& viewRect, ImageSize imageSize, ViewScale scale);

// Writes the view pixels of viewRect (inside the view of the whole image) at scale, which
// must reduce, to out: view pixel (viewRect.x + i, viewRect.y + j) goes to out.Row(j)[i].
// image holds the image pixels ImagePixelsUnder(viewRect, ...), its row 0 and column 0 being
// that rectangle's top-left pixel. View pixel v covers the image area [v*d/n, (v+1)*d/n) in
// each direction, clipped to the image; every image pixel it covers counts by the part of
// it that lies inside. The average is taken in premultiplied alpha, so that the colour of a
// transparent pixel counts for nothing, and written as straight ARGB. False, with out
// untouched, when the scale does not reduce, its denominator is too large, or there is no
// memory for the sums.
bool AverageAreas(const PixelRows& image, ImageSize imageSize, ViewScale scale, const ImageRect& viewRect,
                  const PixelRows& out);

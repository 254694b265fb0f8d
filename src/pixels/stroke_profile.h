#pragma once
// The colour of a stroke too thin to cover any pixel fully: its darkest pixel is itself a mix
// with the key, so the colour lies farther from the key than any pixel of the stroke. Pure C++.
#include "pixel_rows.h"

// reference moved along the line from key through it as far as a straight-edged stroke at
// least a pixel wide, of that colour, explains the row and the column of rows (size pixels)
// through (x, y): their sums of P − K along that line tell the stroke's width times its reach
// from the key, their largest values how fully it covers its best pixel, their centroids where
// its centre line runs. At most 15% farther than reference and inside the RGB cube; reference
// itself where a 3 × 3 block of it is centred within 3 of (x, y) (the subject covers pixels
// fully there), where both cross-sections run on (the subject is wider there), where one
// leaves the line (another colour), where they tell of a wider stroke, or where reference lies
// too near the key to tell. A pure function of the pixels within 6 of (x, y) along its row and
// column and 4 around it.
ArgbValue StrokeColour(const PixelRows& rows, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y,
                       ArgbValue reference) noexcept;

// StrokeColour at (x, y) where the cross-sections there say anything; where both run into
// something else (another stroke crossing), the colour those through the pixels within 2 of
// (x, y) move reference to, where at least two of them move it: the middle one of those by
// distance from the key. A step or two along its own stroke, they may run clear.
ArgbValue StrokeColourNear(const PixelRows& rows, ImageSize size, ArgbValue key, std::uint32_t x, std::uint32_t y,
                           ArgbValue reference) noexcept;

// The share of a pixel's area whose projection on the unit normal (normalX, normalY) lies below
// t, the pixel's centre at 0.
double ProjectedShare(double t, double normalX, double normalY) noexcept;

// The share of a pixel a stroke of width (in pixels) covers when its centre line passes offset
// from the pixel's centre, its normal at (normalX, normalY), a unit vector.
double Coverage(double width, double offset, double normalX, double normalY) noexcept;

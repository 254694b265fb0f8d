#pragma once
// Cleaning the edge of a picture already cut out: the rim of the old background that a fill
// or a wand leaves around the subject, taken out of the colour and put into the alpha, the
// fully opaque rim too. Pure C++.
#include <cstdint>

#include "colour_key.h"
#include "pixel_rows.h"

constexpr std::uint32_t kDefaultEdgeWidth = 2;
constexpr std::uint32_t kSmallestEdgeWidth = 1;
constexpr std::uint32_t kLargestEdgeWidth = 10;
constexpr std::uint32_t kDefaultEdgeShrink = 0;
constexpr std::uint32_t kLargestEdgeShrink = 10;

// What the edge work is asked to do.
struct RefineEdgeOptions {
    ArgbValue matte = kOpaqueWhite;  // the colour M the edge is mixed with (alpha ignored)
    // How many pixels in from the transparent part count as edge: kSmallestEdgeWidth to
    // kLargestEdgeWidth (other values are brought into that range).
    std::uint32_t width = kDefaultEdgeWidth;
    // How many pixels are taken off the edge first: 0 to kLargestEdgeShrink (larger counts as
    // kLargestEdgeShrink).
    std::uint32_t shrink = kDefaultEdgeShrink;
    // Only the pixels of this rectangle count and change: the whole image, or the range
    // (half-open, clipped to the image by the caller).
    ImageRect area;
};

// Works out the cleaned edge of image (straight ARGB rows of an image of size), leaving image
// untouched. A pixel of the area within shrink (8-neighbour distance) of a pixel of alpha 0
// becomes alpha 0, its colour kept; each other pixel of alpha above 0 within shrink + width of
// one is taken as a mix of the subject's colour and the matte: its colour becomes the
// subject's, and its alpha its own times the subject's share, except where a part-transparent
// pixel's own alpha is that share already (its colour being the picture's it was cut from):
// there only its colour changes; and where the outermost ring is mostly part transparent, the
// edge is soft already and its opaque pixels stay. Every other pixel stays as it
// was, and no pixel gains alpha. result holds the new pixels of the smallest rectangle of
// changes (empty when nothing changes). Uses one byte per pixel of the area beyond the result,
// and no recursion. False, with result empty, when there is no memory for it.
bool RefineEdge(const PixelRows& image, ImageSize size, const RefineEdgeOptions& options, ColourKeyResult& result);

// The colour the edge of image's area is most mixed with, measured from the picture: where
// the lines from the subject's colours through the edge's colours meet. Opaque. White when
// the area has no edge to measure (or no memory to measure it).
ArgbValue FindMatte(const PixelRows& image, ImageSize size, const ImageRect& area);

// True when some pixel of image has alpha below 255: whether there is an edge to clean.
bool HasTransparency(const PixelRows& image, ImageSize size);

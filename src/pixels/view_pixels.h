#pragma once
// The pixels of a visible part of the view at or above 100%, and the checkerboard behind
// transparent pixels. Pure C++: the canvas draws what these make one to one. (Wine's GDI+
// draws exact squares only with nearest-neighbour interpolation and a half-pixel offset, and
// takes the whole bitmap it is given each time; a bitmap of just the visible part is cheaper.)
#include <cstdint>

#include "pixel_rows.h"
#include "view_scale.h"

// The checkerboard: squares of this many view pixels, white and light grey in turn, the
// square whose top-left is view pixel (0, 0) white.
constexpr std::uint32_t kCheckerSquare = 8;
constexpr ArgbValue kCheckerWhite = 0xFFFFFFFFu;
constexpr ArgbValue kCheckerGrey = 0xFFCCCCCCu;

// The image pixels that the view pixels of viewRect show at scale (at or above 100%), each
// view pixel v showing image pixel ViewToImage(v), clipped to an image of imageSize; empty
// for an empty rectangle.
ImageRect ImagePixelsShown(const ImageRect& viewRect, ImageSize imageSize, ViewScale scale);

// Writes the view pixels of viewRect at scale (at or above 100%) to out, nearest neighbour:
// view pixel (viewRect.x + i, viewRect.y + j) goes to out.Row(j)[i] and is image pixel
// (ViewToImage(viewRect.x + i), ViewToImage(viewRect.y + j)). image holds the pixels
// ImagePixelsShown(viewRect, ...), its row 0 and column 0 being that rectangle's top-left.
void EnlargeInto(const PixelRows& image, ImageSize imageSize, ViewScale scale, const ImageRect& viewRect,
                 const PixelRows& out);

// Writes the straight ARGB pixels of pixels, the view pixels of viewRect, to out as opaque
// pixels: each composited with its alpha over the checkerboard square behind it (alpha 0
// gives the square, 255 the pixel, values between a blend rounded to the nearest). pixels
// and out may be the same rows.
void CompositeOverCheckerboard(const PixelRows& pixels, const ImageRect& viewRect, const PixelRows& out);

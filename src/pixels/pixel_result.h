#pragma once
// How the colour work and the edge work make their result: the new pixels of the smallest
// rectangle that holds every pixel that changes. Pure C++.
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#include "colour_key.h"
#include "pixel_rows.h"
#include "pixel_vector.h"
#include "row_bands.h"

// The bounds of the pixels that change, given row by row.
struct ChangedBounds {
    std::uint32_t left = UINT32_MAX, top = UINT32_MAX, right = 0, bottom = 0;

    // Pixels first … last of row y change (rows come in order).
    void Add(std::uint32_t first, std::uint32_t last, std::uint32_t y)
    {
        left = std::min(left, first);
        right = std::max(right, last + 1);
        top = std::min(top, y);
        bottom = y + 1;
    }
    // The bounds of another band of rows too.
    void Merge(const ChangedBounds& other)
    {
        left = std::min(left, other.left);
        right = std::max(right, other.right);
        top = std::min(top, other.top);
        bottom = std::max(bottom, other.bottom);
    }
    ImageRect Rect() const { return FromEdges(left, top, right, bottom); }
};

// The bounds of the bytes of a mask of width × height (row(y) gives row y) for which
// mayChange(value) holds; empty when none does. Bands of rows are looked at at once.
template <typename Row, typename MayChange>
ImageRect BoundsWhere(std::uint32_t width, std::uint32_t height, Row row, MayChange mayChange)
{
    ChangedBounds all;
    std::mutex merging;
    ForEachRowBand(height, [&](std::uint32_t top, std::uint32_t bottom) {
        ChangedBounds bounds;
        for (std::uint32_t y = top; y < bottom; ++y) {
            const std::uint8_t* values = row(y);
            std::uint32_t first = 0;
            while (first < width && !mayChange(values[first]))
                ++first;
            if (first == width)
                continue;
            std::uint32_t last = width - 1;
            while (!mayChange(values[last]))
                --last;
            bounds.Add(first, last, y);
        }
        const std::lock_guard<std::mutex> lock(merging);
        all.Merge(bounds);
        return true;
    });
    return all.Rect();
}

// Writes row y of a result, width pixels: the image's pixels copied as they are, then those
// that newValue(x, value) changes changed in place (it returns false for a pixel that cannot
// change, and leaves it); adds those that differ from the image's to bounds.
template <typename NewValue>
void WriteNewRow(const ArgbValue* pixels, std::uint32_t width, std::uint32_t y, ArgbValue* written,
                 ChangedBounds& bounds, NewValue newValue)
{
    std::copy(pixels, pixels + width, written);
    std::uint32_t first = width, last = 0;
    for (std::uint32_t x = 0; x < width; ++x) {
        if (!newValue(x, written[x]) || written[x] == pixels[x])
            continue;
        first = std::min(first, x);
        last = x;
    }
    if (first < width)
        bounds.Add(first, last, y);
}

// Moves the pixels of inner (in the rectangle of width pixels per row that pixels hold) to
// the front of pixels, row by row, and drops the rest. Every row moves towards the front, so
// no row overwrites one still to be moved.
inline void KeepOnly(PixelVector& pixels, std::uint32_t width, const ImageRect& inner)
{
    if (inner.width != width || inner.y != 0)
        for (std::uint32_t y = 0; y < inner.height; ++y) {
            const ArgbValue* from = pixels.data() + std::size_t{inner.y + y} * width + inner.x;
            std::copy(from, from + inner.width, pixels.data() + std::size_t{y} * inner.width);
        }
    pixels.resize(inner.PixelCount());
}

// Makes result from the pixels of rect (in area) that may change: newRows(rect, top, bottom,
// out, bounds) writes the new values of rect's rows [top, bottom) to out (rect.width to a row,
// from row top on) and adds to bounds, in rect's own pixels, those that differ from the
// image's. Bands of rows are made at once, on the machine's processors, so newRows may only
// read what the bands share. result's memory is reused; false when there is none.
template <typename NewRows>
bool MakeChangedResult(const ImageRect& area, const ImageRect& rect, NewRows newRows, ColourKeyResult& result)
{
    if (rect.PixelCount() == 0)
        return true;
    try {
        result.pixels.resize(rect.PixelCount());
    } catch (const std::bad_alloc&) {
        return false;
    }
    ChangedBounds all;
    std::mutex merging;
    ForEachRowBand(rect.height, [&](std::uint32_t top, std::uint32_t bottom) {
        ChangedBounds bounds;
        newRows(rect, top, bottom, result.pixels.data() + std::size_t{top} * rect.width, bounds);
        const std::lock_guard<std::mutex> lock(merging);
        all.Merge(bounds);
        return true;
    });
    const ImageRect inner = all.Rect();
    KeepOnly(result.pixels, rect.width, inner);
    if (inner.PixelCount() > 0)
        result.changed = ImageRect{area.x + rect.x + inner.x, area.y + rect.y + inner.y, inner.width, inner.height};
    return true;
}

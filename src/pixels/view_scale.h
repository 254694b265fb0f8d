#pragma once
// The zoom of the view and the mapping between image and view coordinates. Pure C++.
#include <cstdint>

// The zoom of the view: view pixels per image pixel = numerator / denominator, both > 0
// (a zero is read as 1). The same zoom may be written as different fractions (2/4 and 1/2).
struct ViewScale {
    std::uint32_t numerator = 1;
    std::uint32_t denominator = 1;
    bool IsActualSize() const;  // numerator == denominator
    bool Enlarges() const;      // numerator > denominator
};

// Whether two scales are the same zoom, however each fraction is written.
bool IsSameZoom(ViewScale a, ViewScale b);

// The scale as a fraction in lowest terms, with a zero read as 1.
ViewScale Reduced(ViewScale scale);

// The arithmetic below is done in 64 bits and rounds towards minus infinity for negative
// values too. Results are exact for coordinates and lengths of 32 bits, signed.

// Length in view pixels of an image length: round(length * n / d), halves rounded up, at least
// 1 for a length > 0 and 0 for 0 (or less).
std::int64_t ViewLength(std::int64_t imageLength, ViewScale scale);

// The view coordinate at which image coordinate x begins: floor(x * n / d), for x anywhere,
// negative or past the image.
std::int64_t ImageToView(std::int64_t imageCoordinate, ViewScale scale);

// The image coordinate shown at view coordinate v: floor(v * d / n), which may lie outside
// the image.
std::int64_t ViewToImage(std::int64_t viewCoordinate, ViewScale scale);

// A point in client, view or image coordinates, wide enough for any of them.
struct ViewPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// Where the client area lies over the view: the zoom, and the view pixel shown at the client
// area's top-left corner (the scroll position).
struct ViewPlace {
    ViewScale scale;
    ViewPoint origin;
};

// The one mapping between client points and image pixels, at any zoom and scroll position.
// The image pixel shown at a client point: ViewToImage(client + origin). It may lie outside
// the image.
ViewPoint ClientToImage(ViewPoint client, const ViewPlace& place);

// The client point at which an image pixel begins (its top-left screen pixel above 100%):
// ImageToView(image) - origin. It may lie outside the client area.
ViewPoint ImageToClient(ViewPoint image, const ViewPlace& place);

// The origin at zoom to that keeps at client point anchor the image point (pixel and fraction)
// that place shows there, rounded to the nearest view pixel: how a zoom about the cursor
// keeps what is under it.
ViewPoint OriginKeeping(ViewPoint anchor, const ViewPlace& place, ViewScale to);

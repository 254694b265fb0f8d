#include "view_scale.h"

#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

std::int64_t Numerator(ViewScale scale)
{
    return scale.numerator == 0 ? 1 : std::int64_t{scale.numerator};
}

std::int64_t Denominator(ViewScale scale)
{
    return scale.denominator == 0 ? 1 : std::int64_t{scale.denominator};
}

// value / divisor rounded towards minus infinity; C++ division rounds towards zero.
std::int64_t FloorDivide(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

bool ViewScale::IsActualSize() const
{
    return Numerator(*this) == Denominator(*this);
}

bool ViewScale::Enlarges() const
{
    return Numerator(*this) > Denominator(*this);
}

bool IsSameZoom(ViewScale a, ViewScale b)
{
    return Numerator(a) * Denominator(b) == Numerator(b) * Denominator(a);
}

ViewScale Reduced(ViewScale scale)
{
    const std::int64_t numerator = Numerator(scale);
    const std::int64_t denominator = Denominator(scale);
    const std::int64_t divisor = std::gcd(numerator, denominator);
    return {static_cast<std::uint32_t>(numerator / divisor), static_cast<std::uint32_t>(denominator / divisor)};
}

std::int64_t ViewLength(std::int64_t imageLength, ViewScale scale)
{
    if (imageLength <= 0)
        return 0;
    const std::int64_t denominator = Denominator(scale);
    const std::int64_t product = imageLength * Numerator(scale);
    // Quotient and remainder rather than (product + d / 2) / d, which could overflow.
    const std::int64_t rounded = product / denominator + (2 * (product % denominator) >= denominator ? 1 : 0);
    return rounded > 0 ? rounded : 1;
}

std::int64_t ImageToView(std::int64_t imageCoordinate, ViewScale scale)
{
    return FloorDivide(imageCoordinate * Numerator(scale), Denominator(scale));
}

std::int64_t ViewToImage(std::int64_t viewCoordinate, ViewScale scale)
{
    return FloorDivide(viewCoordinate * Denominator(scale), Numerator(scale));
}

ViewPoint ClientToImage(ViewPoint client, const ViewPlace& place)
{
    return {ViewToImage(client.x + place.origin.x, place.scale), ViewToImage(client.y + place.origin.y, place.scale)};
}

ViewPoint ImageToClient(ViewPoint image, const ViewPlace& place)
{
    return {ImageToView(image.x, place.scale) - place.origin.x, ImageToView(image.y, place.scale) - place.origin.y};
}

namespace {

// The view coordinate at zoom to of what view coordinate view shows at zoom from:
// view * (from's d / n) * (to's n / d), rounded to the nearest, halves up. Done in integers
// where the product fits, which it does for every image the program opens.
std::int64_t ViewAtOtherZoom(std::int64_t view, ViewScale from, ViewScale to)
{
    const ViewScale a = Reduced(from), b = Reduced(to);
    const std::int64_t multiplier = std::int64_t{a.denominator} * b.numerator;
    const std::int64_t divisor = std::int64_t{a.numerator} * b.denominator;
    if (view > INT64_MAX / multiplier / 2 || view < INT64_MIN / multiplier / 2) {
        const long double exact = static_cast<long double>(view) * multiplier / divisor;
        return static_cast<std::int64_t>(std::floor(exact + 0.5L));
    }
    return FloorDivide(2 * view * multiplier + divisor, 2 * divisor);
}

}  // namespace

ViewPoint OriginKeeping(ViewPoint anchor, const ViewPlace& place, ViewScale to)
{
    return {ViewAtOtherZoom(anchor.x + place.origin.x, place.scale, to) - anchor.x,
            ViewAtOtherZoom(anchor.y + place.origin.y, place.scale, to) - anchor.y};
}

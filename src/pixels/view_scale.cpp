#include "view_scale.h"

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

#include "edge_unmix.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kChannelMax = 255;
constexpr double kLinePenalty = 2.0;  // how much a reference's distance from the line counts

int Channel(ArgbValue value, int shift) noexcept { return static_cast<int>((value >> shift) & 0xFFu); }

constexpr int kShifts[3] = {16, 8, 0};

}  // namespace

double SmallestAlpha(ArgbValue pixel, ArgbValue key) noexcept
{
    double alpha = 0.0;
    for (const int shift : kShifts) {
        const int p = Channel(pixel, shift);
        const int k = Channel(key, shift);
        if (p < k)
            alpha = std::max(alpha, static_cast<double>(k - p) / k);
        else if (p > k)
            alpha = std::max(alpha, static_cast<double>(p - k) / (kChannelMax - k));
    }
    return alpha;
}

ReferenceScore::ReferenceScore(ArgbValue pixel, ArgbValue key) noexcept
    : red_(Channel(pixel, 16) - Channel(key, 16)),
      green_(Channel(pixel, 8) - Channel(key, 8)),
      blue_(Channel(pixel, 0) - Channel(key, 0)),
      key_(key)
{
    const double length = std::sqrt(red_ * red_ + green_ * green_ + blue_ * blue_);
    const double scale = length > 0.0 ? 1.0 / length : 0.0;
    red_ *= scale;
    green_ *= scale;
    blue_ *= scale;
}

double ReferenceScore::Of(ArgbValue reference) const noexcept
{
    const double r = Channel(reference, 16) - Channel(key_, 16);
    const double g = Channel(reference, 8) - Channel(key_, 8);
    const double b = Channel(reference, 0) - Channel(key_, 0);
    const double along = r * red_ + g * green_ + b * blue_;
    const double off = std::sqrt(std::max(0.0, r * r + g * g + b * b - along * along));
    return along - kLinePenalty * off;
}

double AlphaAlong(ArgbValue pixel, ArgbValue key, ArgbValue reference) noexcept
{
    double along = 0.0;
    double reach = 0.0;
    for (const int shift : kShifts) {
        const double v = Channel(pixel, shift) - Channel(key, shift);
        const double f = Channel(reference, shift) - Channel(key, shift);
        along += v * f;
        reach += f * f;
    }
    const double projected = reach > 0.0 ? along / reach : 1.0;
    return std::clamp(projected, SmallestAlpha(pixel, key), 1.0);
}

ArgbValue Unmixed(ArgbValue pixel, ArgbValue key, double alpha) noexcept
{
    const int level = std::clamp(static_cast<int>(std::lround(alpha * kChannelMax)), 1, kChannelMax);
    if (level == kChannelMax)
        return pixel;
    const double scale = static_cast<double>(kChannelMax) / level;
    ArgbValue colour = 0;
    for (const int shift : kShifts) {
        const int k = Channel(key, shift);
        const long f = std::lround(k + (Channel(pixel, shift) - k) * scale);
        colour |= static_cast<ArgbValue>(std::clamp<long>(f, 0, kChannelMax)) << shift;
    }
    const ArgbValue oldAlpha = pixel >> 24;
    const ArgbValue newAlpha = (static_cast<ArgbValue>(level) * oldAlpha + kChannelMax / 2) / kChannelMax;
    return (newAlpha << 24) | colour;
}

bool OnLine(ArgbValue pixel, ArgbValue key, ArgbValue reference, double alpha, double levels) noexcept
{
    double off = 0.0;
    for (const int shift : kShifts) {
        const double k = Channel(key, shift);
        const double d = Channel(pixel, shift) - (k + alpha * (Channel(reference, shift) - k));
        off += d * d;
    }
    return off <= levels * levels;
}

ArgbValue Coloured(ArgbValue pixel, ArgbValue reference, double alpha) noexcept
{
    const int level = std::clamp(static_cast<int>(std::lround(alpha * kChannelMax)), 0, kChannelMax);
    const ArgbValue oldAlpha = pixel >> 24;
    const ArgbValue newAlpha = (static_cast<ArgbValue>(level) * oldAlpha + kChannelMax / 2) / kChannelMax;
    return (newAlpha << 24) | (reference & 0x00FFFFFFu);
}

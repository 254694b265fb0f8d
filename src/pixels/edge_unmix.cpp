#include "edge_unmix.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kChannelMax = 255;
constexpr double kLinePenalty = 2.0;  // how much a reference's distance from the line counts
constexpr double kSmallestLumaReach = 32.0;  // lumas nearer than this tell too little of a mix
constexpr double kRedLuma = 0.299, kGreenLuma = 0.587, kBlueLuma = 0.114;

constexpr int kShifts[3] = {16, 8, 0};

// pixel's own alpha times level / 255, rounded, in the alpha bits (the rest 0).
ArgbValue ScaledAlpha(ArgbValue pixel, int level) noexcept
{
    const ArgbValue oldAlpha = pixel >> 24;
    const ArgbValue newAlpha = (static_cast<ArgbValue>(level) * oldAlpha + kChannelMax / 2) / kChannelMax;
    return newAlpha << 24;
}

}  // namespace

double SmallestAlpha(ArgbValue pixel, ArgbValue key) noexcept
{
    double alpha = 0.0;
    for (const int shift : kShifts) {
        const int p = ChannelOf(pixel, shift);
        const int k = ChannelOf(key, shift);
        if (p < k)
            alpha = std::max(alpha, static_cast<double>(k - p) / k);
        else if (p > k)
            alpha = std::max(alpha, static_cast<double>(p - k) / (kChannelMax - k));
    }
    return alpha;
}

ReferenceScore::ReferenceScore(ArgbValue pixel, ArgbValue key) noexcept
    : red_(ChannelOf(pixel, 16) - ChannelOf(key, 16)),
      green_(ChannelOf(pixel, 8) - ChannelOf(key, 8)),
      blue_(ChannelOf(pixel, 0) - ChannelOf(key, 0)),
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
    const double r = ChannelOf(reference, 16) - ChannelOf(key_, 16);
    const double g = ChannelOf(reference, 8) - ChannelOf(key_, 8);
    const double b = ChannelOf(reference, 0) - ChannelOf(key_, 0);
    const double along = r * red_ + g * green_ + b * blue_;
    const double off = std::sqrt(std::max(0.0, r * r + g * g + b * b - along * along));
    return along - kLinePenalty * off;
}

double ReferenceScore::Above(ArgbValue reference, double floor) const noexcept
{
    const double along = (ChannelOf(reference, 16) - ChannelOf(key_, 16)) * red_ +
                         (ChannelOf(reference, 8) - ChannelOf(key_, 8)) * green_ +
                         (ChannelOf(reference, 0) - ChannelOf(key_, 0)) * blue_;
    return along <= floor ? along : Of(reference);
}

double Projection(ArgbValue pixel, ArgbValue key, ArgbValue reference) noexcept
{
    double along = 0.0;
    double reach = 0.0;
    for (const int shift : kShifts) {
        const double v = ChannelOf(pixel, shift) - ChannelOf(key, shift);
        const double f = ChannelOf(reference, shift) - ChannelOf(key, shift);
        along += v * f;
        reach += f * f;
    }
    return reach > 0.0 ? along / reach : 0.0;
}

double ShareOfKey(ArgbValue colour, ArgbValue key, double levels) noexcept
{
    const double share = Projection(colour, kOpaqueBlack, key);
    for (const int shift : kShifts) {
        if (std::abs(ChannelOf(colour, shift) - share * ChannelOf(key, shift)) > levels)
            return -1.0;
    }
    return share;
}

bool ShadowOfKey(ArgbValue colour, ArgbValue key, double levels) noexcept
{
    const double share = ShareOfKey(colour, key, levels);
    return share >= 0.0 && share < 1.0;
}

double AlphaAlong(ArgbValue pixel, ArgbValue key, ArgbValue reference) noexcept
{
    const bool apart = (reference & kColourBits) != (key & kColourBits);
    return std::clamp(apart ? Projection(pixel, key, reference) : 1.0, SmallestAlpha(pixel, key), 1.0);
}

ArgbValue Unmixed(ArgbValue pixel, ArgbValue key, double alpha) noexcept
{
    const int level = std::clamp(static_cast<int>(std::lround(alpha * kChannelMax)), 1, kChannelMax);
    if (level == kChannelMax)
        return pixel;
    const double scale = static_cast<double>(kChannelMax) / level;
    ArgbValue colour = 0;
    for (const int shift : kShifts) {
        const int k = ChannelOf(key, shift);
        const long f = std::lround(k + (ChannelOf(pixel, shift) - k) * scale);
        colour |= static_cast<ArgbValue>(std::clamp<long>(f, 0, kChannelMax)) << shift;
    }
    return ScaledAlpha(pixel, level) | colour;
}

bool OnLine(ArgbValue pixel, ArgbValue key, ArgbValue reference, double alpha, double levels) noexcept
{
    double off = 0.0;
    for (const int shift : kShifts) {
        const double k = ChannelOf(key, shift);
        const double d = ChannelOf(pixel, shift) - (k + alpha * (ChannelOf(reference, shift) - k));
        off += d * d;
    }
    return off <= levels * levels;
}

double LumaOf(ArgbValue value) noexcept
{
    return kRedLuma * ChannelOf(value, 16) + kGreenLuma * ChannelOf(value, 8) + kBlueLuma * ChannelOf(value, 0);
}

bool LumaAlpha(ArgbValue pixel, ArgbValue key, ArgbValue reference, double& alpha, double& reach) noexcept
{
    const double keyLuma = LumaOf(key);
    const double span = LumaOf(reference) - keyLuma;
    reach = std::abs(span);
    if (reach < kSmallestLumaReach)
        return false;
    alpha = std::clamp((LumaOf(pixel) - keyLuma) / span, 0.0, 1.0);
    return true;
}

ArgbValue Coloured(ArgbValue pixel, ArgbValue reference, double alpha) noexcept
{
    const int level = std::clamp(static_cast<int>(std::lround(alpha * kChannelMax)), 0, kChannelMax);
    return ScaledAlpha(pixel, level) | (reference & kColourBits);
}

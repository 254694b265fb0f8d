#pragma once
// Taking the key colour K out of a pixel P that mixes it with the subject's colour F:
// P = alpha·F + (1 − alpha)·K. Pure C++.
#include "pixel_rows.h"

// The smallest alpha that keeps F = K + (P − K)/alpha inside the RGB cube: the alpha that
// takes F as far from K, along the line from K through P, as a colour can be. 0 when P is K.
double SmallestAlpha(ArgbValue pixel, ArgbValue key) noexcept;

// How well colours of the subject explain pixel as a mix with key. Made once per pixel, used
// for each colour near it.
class ReferenceScore {
public:
    ReferenceScore(ArgbValue pixel, ArgbValue key) noexcept;

    // The length of reference − K along P − K, less twice its distance from that line:
    // larger is better.
    double Of(ArgbValue reference) const noexcept;
    // Of(reference) where that is above floor; elsewhere a value not above floor, found
    // cheaply: the length along bounds the score.
    double Above(ArgbValue reference, double floor) const noexcept;

private:
    double red_, green_, blue_;  // the direction of P − K, of length 1 (0 when P is K)
    ArgbValue key_;
};

// The alpha of pixel as a mix of reference and key: the projection of P − K on
// reference − K, clamped to SmallestAlpha … 1.
double AlphaAlong(ArgbValue pixel, ArgbValue key, ArgbValue reference) noexcept;

// pixel with key taken out at alpha: F = K + (P − K)/alpha, with alpha rounded to 8 bits first
// so that F over K gives P back, and the new alpha alpha times pixel's own. pixel itself when
// alpha rounds to 255.
ArgbValue Unmixed(ArgbValue pixel, ArgbValue key, double alpha) noexcept;

// True when pixel lies within levels of the mix of reference and key at alpha.
bool OnLine(ArgbValue pixel, ArgbValue key, ArgbValue reference, double alpha, double levels) noexcept;

// The luma of value's colour (the weights of BT.601), 0 to 255: what a JPEG keeps at full
// resolution where it halves its colour.
double LumaOf(ArgbValue value) noexcept;

// The alpha of pixel as a mix of reference and key measured on luma alone, clamped to 0 … 1,
// and reach, how far reference's luma lies from key's. False, and alpha untouched, when the
// two lumas are too near for luma to tell a mix.
bool LumaAlpha(ArgbValue pixel, ArgbValue key, ArgbValue reference, double& alpha, double& reach) noexcept;

// reference's colour at alpha (rounded to 8 bits) times pixel's own alpha.
ArgbValue Coloured(ArgbValue pixel, ArgbValue reference, double alpha) noexcept;

// How far along the line from key through reference pixel lies: 0 at the key, 1 at reference,
// more beyond it; 0 when reference is the key.
double Projection(ArgbValue pixel, ArgbValue key, ArgbValue reference) noexcept;

// How much of key colour is, along the line from black through key; -1 when colour lies more
// than levels off that line in some channel. Below 1, colour is the key darkened, as a shadow's.
double ShareOfKey(ArgbValue colour, ArgbValue key, double levels) noexcept;

// True when colour is key darkened, less than key, within levels of that line: a shadow's.
bool ShadowOfKey(ArgbValue colour, ArgbValue key, double levels) noexcept;

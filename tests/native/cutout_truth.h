#pragma once
// Bad cut-outs of known truth for the edge work: a truth case's flattened picture with a plain
// flood fill run from every part of its background, as another tool leaves it, and the known
// "remove matte" formula beside it. Pure C++.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "key_truth.h"
#include "refine_edge.h"

constexpr std::uint32_t kFloodTolerance = 8;  // about 3%

// A cut-out with the fringe a flood fill leaves, and the layer it was flattened from.
struct CutoutCase {
    TruthCase truthCase;             // truth: the layer; input: flattened over the key
    std::vector<ArgbValue> cutout;   // the input with the fill's pixels made alpha 0, colour kept
};

// Fills, 4-connected from every pixel of alpha 0 in the truth, the input's pixels within
// tolerance of the key in each of red, green and blue, and makes them alpha 0.
CutoutCase FloodCutout(const TruthCase& truthCase, std::uint32_t tolerance = kFloodTolerance);

// The cut-out with every pixel of alpha 0 stored as wiped (0x00000000 or 0x00FFFFFF), as
// most tools save a cut-out: the colour the fill kept is lost.
CutoutCase WipedCutout(CutoutCase cutout, ArgbValue wiped);

// The cut-out an automatic remover leaves: the truth's alpha over the flattened picture's
// colour, so that each part-transparent pixel is still mixed with the key.
CutoutCase RemoverCutout(const TruthCase& truthCase);

// The cut-out a feathered fill leaves: FloodCutout's, with the cleared pixels within one pixel
// of the rest kept at alpha kFeatherNear and those within two at kFeatherFar, their colour the
// picture's (mostly the key's).
constexpr ArgbValue kFeatherNear = 170, kFeatherFar = 85;
CutoutCase FeatheredCutout(const TruthCase& truthCase);

// pixels with the matte taken out by F = (C − (1 − α)·M)/α wherever 0 < α < 255.
std::vector<ArgbValue> RemoveMatte(const std::vector<ArgbValue>& pixels, ArgbValue matte);

// The cut-out with the edge work's result put in; empty when the work failed.
std::vector<ArgbValue> Refined(const CutoutCase& cutout, const RefineEdgeOptions& options);

// The edge work's options on a whole case, with matte.
RefineEdgeOptions WholeCutout(const CutoutCase& cutout, ArgbValue matte);

// What the edge work did to a cut-out, against the truth and the cut-out itself.
struct CutoutMeasures {
    std::size_t halo = 0;               // over black or magenta, more than 8 levels off the truth
    std::size_t insideChanged = 0;      // farther than reach from alpha 0 in the cut-out, changed
    std::size_t backgroundGained = 0;   // alpha 0 in the cut-out, alpha above 0 now
};

CutoutMeasures MeasureCutout(const CutoutCase& cutout, const std::vector<ArgbValue>& result, std::uint32_t reach);

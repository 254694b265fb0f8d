#pragma once
// Real cut-outs as pictures of known truth for the colour work: images with their own
// anti-aliased alpha (tests/data/cutouts, listed in its README), flattened over a key colour,
// the image's own colour and alpha being the truth; and the plain flood fill every result is
// measured beside. Pure C++ (the files are read with libpng).
#include <cstdint>
#include <string>
#include <vector>

#include "key_truth.h"

// The file names of the cut-outs, in the order the cases come in.
const std::vector<std::string>& CutoutFiles();

// Reads the cut-out file (a name from CutoutFiles) as a layer named after it. False when
// the file cannot be read.
bool LoadCutout(const std::string& file, TruthLayer& layer);

// Reads any PNG as a layer named after its path. False when the file cannot be read.
bool LoadLayer(const std::string& path, TruthLayer& layer);

// Every cut-out flattened over white, mid grey and green, in that order per cut-out.
std::vector<TruthCase> RealCases();

// The cut-outs kept as JPEGs: two of them over white, each saved with its colour at half
// resolution (4:2:0) at quality 90 and at 75. Where the truth is opaque it is the decoded
// input: the JPEG's own noise inside the subject is not the colour work's to undo.
std::vector<TruthCase> RealJpegCases();

// The case with its opaque truth replaced by its input (for a lossy input).
TruthCase WithDecodedInside(TruthCase truthCase);

// The reference: the case's input with the 4-connected region of pixels within tolerance of
// the key (largest channel difference) around each of the case's starts made transparent
// (alpha 0, colour kept), and nothing else changed.
std::vector<ArgbValue> PlainFloodFill(const TruthCase& truthCase, std::uint32_t tolerance);

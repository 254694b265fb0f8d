#pragma once
// Pictures of known truth for the colour work: shapes drawn supersampled as a layer whose
// colour F* and coverage alpha* are known, flattened over a key colour K, and the measures of
// a result against that truth. Pure C++ (the JPEG copy uses libjpeg).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "colour_key.h"
#include "pixel_rows.h"

constexpr std::uint32_t kTruthWidth = 600;
constexpr std::uint32_t kTruthHeight = 400;
constexpr ArgbValue kWhiteKey = 0xFFFFFFu;
constexpr ArgbValue kGreyKey = 0x808080u;
constexpr ArgbValue kGreenKey = 0x00B140u;  // a saturated key, as a screen behind a sprite

enum class TruthScene {
    kLogo,     // a saturated disc with a pastel disc inside, and a dark ring around a hole
    kStrokes,  // thin diagonal lines, and letters of strokes with enclosed counters
    kShadow,   // a disc with a soft drop shadow, and a light grey disc
    kThinLogo, // a logo of diagonal strokes 1 to 4 pixels wide, dark and saturated
};

// One picture: the layer, and what the colour work is given.
struct TruthCase {
    std::string name;
    ArgbValue key = 0;
    ImageSize size;
    std::vector<ArgbValue> truth;  // the layer as straight ARGB: F* and alpha*, rounded
    std::vector<ArgbValue> input;  // the layer flattened over the key: opaque
    // 1 where the background is enclosed by the subject, and 2 pixels around it: what the
    // connected background leaves alone.
    std::vector<std::uint8_t> enclosed;
    // 1 for the enclosed background itself.
    std::vector<std::uint8_t> hole;
    // Where the connected background starts: one pixel in each part of the background that
    // reaches the image's border (the top-left pixel when there is one part).
    std::vector<ImagePoint> starts;
    PictureSaved saved = PictureSaved::Lossless;  // as a JPEG, lossy
};

// A layer before it is flattened (a drawn scene is 600 × 400): premultiplied red, green,
// blue (0 to 255) and alpha (0 to 1), row by row.
struct TruthLayer {
    std::string name;
    ImageSize size{kTruthWidth, kTruthHeight};
    std::vector<std::array<double, 4>> premultiplied;
};

TruthLayer DrawTruthLayer(TruthScene scene);

// The layer flattened over key.
TruthCase Flattened(const TruthLayer& layer, ArgbValue key);

// The scene drawn and flattened over key.
TruthCase DrawTruthCase(TruthScene scene, ArgbValue key);

// The case with its input replaced by the input saved as a JPEG at quality and read back:
// with halfColour, its colour kept at half the resolution each way (4:2:0, the JPEG library's
// default), otherwise at full resolution (4:4:4, as common converters write quality 90 and up).
TruthCase AsJpeg(const TruthCase& truthCase, int quality, bool halfColour);

// The options of the colour work on a case: its key, the whole image, its starts.
ColourKeyOptions TruthOptions(const TruthCase& truthCase, std::uint32_t tolerance, bool connected,
                              bool softShadows);

// The options the dialog opens with on a case: the starting tolerance measured at the first
// start, and the picture taken as noisy when that is above kDefaultTolerance.
ColourKeyOptions OpeningOptions(const TruthCase& truthCase, bool connected, bool softShadows);

// The case's input with the colour work's result put in. False when the work failed.
bool KeyedImage(const TruthCase& truthCase, const ColourKeyOptions& options, std::vector<ArgbValue>& keyed);

// How a result compares with the truth. With the connected background, the enclosed
// background and its edge are left out of every count but enclosedChanged.
struct TruthMeasures {
    std::size_t halo = 0;               // over black or magenta, more than 8 levels off the truth
    std::size_t edgePixels = 0;         // truth alpha strictly between 0 and 255
    std::size_t edgeAlphaClose = 0;     // of those, alpha within 8 levels of the truth
    std::size_t farInsideChanged = 0;   // opaque, farther than 3 pixels from the edge, changed
    std::size_t enclosedChanged = 0;    // connected: enclosed background or its edge changed
    std::size_t holeLeft = 0;           // everywhere: enclosed background not made transparent
    std::size_t backgroundAbove8 = 0;   // truth alpha 0, result alpha above 8
    int worstOverKey = 0;               // pixels not made transparent, over K, against the input

    double EdgeAlphaShare() const { return edgePixels ? double(edgeAlphaClose) / double(edgePixels) : 1.0; }
};

TruthMeasures MeasureTruth(const TruthCase& truthCase, const std::vector<ArgbValue>& keyed, bool connected);

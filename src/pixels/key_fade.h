#pragma once
// Finding the soft fades into the background: shadows and glows of any colour that are kept
// as semi-transparent colour. Pure C++.
#include "key_mask.h"
#include "pixel_rows.h"

// Marks kFade on the pixels of a fade: each a mix of some colour with key whose alpha (the
// smallest that explains it) differs from each of its 8 neighbours' by a small step at most, and
// stays below nearly opaque, joined to the background through such pixels, each no fainter
// (but for a slack) than the most opaque on its way in. An outline, an anti-aliased edge or the
// inside of a subject changes alpha faster, so a fade stops there; a light subject whose
// colour nears the key inwards grows fainter, a light subject of one colour rises from the
// background in a pixel or two (and a fade that meets its colour elsewhere stops at the whole
// of it), and one beside a fade has a colour of its own (a black shadow goes on only as
// black), so it stops at those too. A fade rises from the background straight in, so a thick
// part of one that it reaches only far round, though the background lies near in a straight
// line, is a shaded body it entered through a gap in its edge, and no fade. noisy says the
// picture has noise (a JPEG's), which turns a fade's colour a little.
// image holds the mask's pixels (its row 0 at the mask's row 0); the mask's distances must be
// measured (a pixel at distance 1 starts a fade). False when there is no memory for it.
bool FindFades(KeyMask& mask, const PixelRows& image, std::uint32_t left, ArgbValue key, bool noisy);

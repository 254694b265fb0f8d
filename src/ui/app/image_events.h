#pragma once
// The one signal that the image, or the range over it, has changed. Opening, pasting, an
// edit, undo, redo and a tool's applied result all end here, and so do the panel's range and
// outline; the view, and the open tool through the tools' door, follow from it. Nothing else
// tells them by name.
#include "pixel_rows.h"

enum class ImageChangeKind {
    kNewImage,  // another image was opened or pasted: the history is empty, the view reset
    kPixels,    // an edit, undo, redo or a tool's result changed the pixels of area
    kRange,     // one of the range's four numbers changed; nothing is repainted for it
    kOutline,   // the range's outline was shown or hidden, or the range chosen by a drag
};

struct ImageChange {
    ImageChangeKind kind = ImageChangeKind::kPixels;
    ImageRect area;  // kPixels: the pixels that changed
};

// Tells the view first, so that the open tool's preview is worked out over an up-to-date
// view, and then the open tool.
void AnnounceImageChange(const ImageChange& change);

#pragma once
// The one place that includes the GDI+ headers. Only src/imaging and the tests include it.

#include <windows.h>
#include <objidl.h>

#include <algorithm>

// The GDI+ headers of some SDKs use min and max unqualified; NOMINMAX removes the macros.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>

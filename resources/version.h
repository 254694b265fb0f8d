// The program's version, in one place: the version box's text (texts.h), the exe's version
// resource and manifest (tessarel.rc, tessarel.manifest.in) and CMake's project version all
// come from these three numbers. Only #defines, as the resource compiler reads it too.
#pragma once

#define TESSAREL_VERSION_MAJOR  0
#define TESSAREL_VERSION_MINOR  2
#define TESSAREL_VERSION_PATCH  1

#define TESSAREL_STRINGIFY_(value) #value
#define TESSAREL_STRINGIFY(value) TESSAREL_STRINGIFY_(value)

// As the program has always shown it: the patch number with two digits ("0.2.01"); texts.h
// checks that it has only one.
#define TESSAREL_VERSION_TEXT                                                       \
    TESSAREL_STRINGIFY(TESSAREL_VERSION_MAJOR) "." TESSAREL_STRINGIFY(TESSAREL_VERSION_MINOR) \
    ".0" TESSAREL_STRINGIFY(TESSAREL_VERSION_PATCH)

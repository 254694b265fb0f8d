#pragma once
#include <string>

// The full code page 932 path of the file a command line asks to open at start: what stands
// before a trailing "/f" switch, without the spaces and the quotes around it, when it names
// an existing file (a relative name counts from the current folder), however long the path.
// Empty when it does not: "", "/F", "-x /f" and "/f x" open nothing.
std::string StartupFilePath(const char* commandLine);

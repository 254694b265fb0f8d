#pragma once
#include <cstdint>

// Starts GDI+ when constructed and shuts it down when destroyed. Every image must be
// released before the session ends.
class GdiplusSession {
public:
    GdiplusSession() noexcept;
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    // True when GDI+ started; a failed start makes every later imaging call fail quietly.
    bool IsStarted() const noexcept { return started_; }

private:
    std::uintptr_t token_ = 0;
    bool started_ = false;
};

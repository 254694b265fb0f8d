#pragma once
#include <windows.h>

// Shows the wait cursor for as long as it lives and puts the previous cursor back after,
// whatever way the work it covers ends. For work that keeps the thread from its messages:
// nothing can change the cursor in between.
class WaitCursor {
public:
    WaitCursor() noexcept : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// Runs the tests with GDI+ started for the whole process, as the program runs.
#include <gtest/gtest.h>

#include "gdiplus_session.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const GdiplusSession gdiplus;
    if (!gdiplus.IsStarted())
        return 2;
    return RUN_ALL_TESTS();
}

// The tests' own dialog answerer: a modal box it cannot answer in time is closed, so the
// handler blocked in it returns and the test fails instead of hanging the whole run.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resource.h"
#include "ui_support.h"

namespace {

using DialogAnswering = ProgramTest;

// Short limits: the version box opens within 100 ms of its command.
constexpr DWORD kNeverComesTimeoutMs = 300;
constexpr DWORD kStaysOpenTimeoutMs = 1000;

}  // namespace

TEST_F(DialogAnswering, ABoxOtherThanTheAwaitedOneIsClosedWhenTheTimeRunsOutAndTheTestFails)
{
    bool answered = true;
    EXPECT_NONFATAL_FAILURE(
        {
            DialogAnswerer answer("どこにもない", IDOK, {}, kNeverComesTimeoutMs);
            SendMessageA(Main(), WM_COMMAND, IDM_VERSION, 0);  // returns once the box is closed
            answered = answer.Wait();
        },
        "バージョン情報");
    EXPECT_FALSE(answered);
    PumpMessages();
    EXPECT_TRUE(FindTopLevelWindows("#32770", "バージョン情報").empty());
}

TEST_F(DialogAnswering, ABoxTheButtonDoesNotCloseIsClosedAndTheTestFails)
{
    bool answered = true;
    std::string text;
    EXPECT_NONFATAL_FAILURE(
        {
            constexpr int kNoSuchButton = 999;
            DialogAnswerer answer("バージョン情報", kNoSuchButton, {}, kStaysOpenTimeoutMs);
            SendMessageA(Main(), WM_COMMAND, IDM_VERSION, 0);
            answered = answer.Wait();
            text = answer.Text();
        },
        "バージョン情報");
    EXPECT_FALSE(answered);
    EXPECT_EQ("Tessarel あるふぁ～ Ver 0.2.01", text) << "the box was found and pressed";
}

// The wait cursor while a file is opened, the alpha applied and a file saved, gone once each
// is done, also when the file cannot be decoded.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "image_document.h"
#include "resource.h"
#include "test_support.h"
#include "app_state.h"
#include "ui_support.h"

namespace {

// Watches from a second thread which cursor the system shows, until it goes.
class CursorWatch {
public:
    CursorWatch() : thread_([this] { Run(); }) {}
    ~CursorWatch() { Stop(); }
    CursorWatch(const CursorWatch&) = delete;
    CursorWatch& operator=(const CursorWatch&) = delete;

    // Stops watching; true when the wait cursor was shown meanwhile.
    bool SawWaitCursor()
    {
        Stop();
        return sawWait_;
    }

private:
    void Run()
    {
        const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
        while (!stop_) {
            CURSORINFO info = {};
            info.cbSize = sizeof info;
            if (GetCursorInfo(&info) && info.hCursor == wait)
                sawWait_ = true;
            Sleep(1);
        }
    }

    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    std::atomic<bool> stop_{false};
    std::atomic<bool> sawWait_{false};
    std::thread thread_;
};

class BusyCursor : public ProgramTest {};

}  // namespace

TEST_F(BusyCursor, OpeningApplyingAndSavingShowTheWaitCursorAndTakeItAwayAfterwards)
{
    TempFolder folder;
    // Large enough that each step takes a good part of a second.
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(3000, 2000), folder.Path(L"large.png")));
    // Cut in the middle of its image data: the decoder works through half of it, then fails.
    Bytes cut = ReadFileBytes(folder.Path(L"large.png"));
    cut.resize(cut.size() / 2);
    ASSERT_TRUE(WriteFileBytes(folder.Path(L"broken.png"), cut));
    // Nothing moves the mouse here, so a wait cursor left behind would stay on screen.
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);

    for (const wchar_t* name : {L"large.png", L"broken.png"}) {
        CursorWatch watch;
        OpenThroughMenu(folder.AnsiPath(name));
        ASSERT_EQ(std::wstring(name) == L"large.png", g_document.Image() && !g_document.Image()->IsEmpty());
        EXPECT_TRUE(watch.SawWaitCursor()) << "opening " << ToAnsi(name);
        EXPECT_NE(wait, GetCursor()) << "after opening " << ToAnsi(name);
    }

    OpenThroughMenu(folder.AnsiPath(L"large.png"));
    SendMessageA(GetDlgItem(Panel(), IDC_WHOLE_RANGE), BM_CLICK, 0, 0);
    {
        CursorWatch watch;
        SendMessageA(GetDlgItem(Panel(), IDC_APPLY_ALPHA), BM_CLICK, 0, 0);
        EXPECT_TRUE(watch.SawWaitCursor()) << "applying the alpha";
        EXPECT_NE(wait, GetCursor()) << "after applying the alpha";
    }
    {
        CursorWatch watch;
        DialogAnswerer answer("名前をつけて保存", IDOK, FillFileDialog(folder.AnsiPath(L"saved.png"), 1));
        SendMessageA(Main(), WM_COMMAND, IDM_SAVE_AS, 0);
        ASSERT_TRUE(answer.Wait());
        EXPECT_TRUE(watch.SawWaitCursor()) << "saving";
        EXPECT_NE(wait, GetCursor()) << "after saving";
    }
}

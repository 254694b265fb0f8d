#pragma once
// Helpers for tests that drive the program's real windows under Wine and Xvfb.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "image_handle.h"

// Screen colours as CaptureClient reads them (0x00RRGGBB).
constexpr DWORD kWhite = 0xFFFFFF;
constexpr DWORD kBlack = 0x000000;
constexpr DWORD kGrey = 0x808080;

// Dispatches pending messages for at least the given time and until the queue is empty,
// so that paints, fits and notifications have happened before a check; gives up after
// kPumpLimitMs even if messages keep coming.
constexpr DWORD kPumpLimitMs = 5000;
void PumpMessages(DWORD milliseconds = 30);

// Creates the program's windows as its entry point does (class, main window with its tool
// panel, show, instance), without entering the main loop. Each test ends by destroying
// them, unregistering the class and putting the program's state back as it starts, so
// the tests also run one after another in one process.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Main() const { return main_; }
    HWND Panel() const;
    // Puts an image in the document as opening does, and lets the window fit it.
    void UseImage(ImageRef image);
    // Puts the mouse cursor over a client point of the main window and presses the left
    // button there, as the system would report it.
    void ClickAt(int x, int y);
    // Opens a file through the real "画像を開く" menu command and open dialog.
    void OpenThroughMenu(const std::string& ansiPath);
    // Moves the tool panel away from the main window, so that it covers none of it.
    void MovePanelAside() const;
    // Moves it off the screen, beside a main window as large as the screen.
    void MovePanelOffScreen() const;

    bool popup_ = false;

private:
    HWND main_ = nullptr;
};

// Presses the keys in order as real keyboard input, then lets them go in reverse order;
// the keys reach the window with the keyboard focus once messages are pumped.
void PressKeys(std::initializer_list<WORD> keys);

// One step of real mouse input: the cursor goes to a screen point, and the left button is
// pressed or let go there, or stays as it is.
enum class LeftButton { Stays, Press, Release };
struct MouseStep {
    POINT screen;
    LeftButton button = LeftButton::Stays;
};
// Sends the steps as one stream of real mouse input; they reach the windows once messages
// are pumped, and a modal loop that one of them starts takes the rest.
void SendMouse(std::initializer_list<MouseStep> steps);
// One input of real mouse input: the cursor goes to a screen point, with the other flags
// (buttons, a wheel turn of data) added.
INPUT MouseInputAt(POINT screen, DWORD flags = 0, DWORD data = 0);
// The screen point of a client point of a window.
POINT ScreenPointOf(HWND window, POINT client);

// The client rectangle's size of a window.
SIZE ClientSize(HWND window);
std::string WindowTextA(HWND window);
std::wstring WindowTextW(HWND window);
std::string FieldText(HWND dialog, int id);

// What the screen shows in a window's client area, pixel by pixel (0x00RRGGBB), row by row.
struct ClientPixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
ClientPixels CaptureClient(HWND window);
// What the screen shows inside a rectangle of screen coordinates, whichever window it is.
ClientPixels CaptureScreen(const RECT& rect);

// Answers a modal dialog from a helper thread: waits, up to a time limit, for a visible
// top-level dialog with the given caption, of this process or of a program the test
// started, lets prepare fill it in, records its message text, then presses the button and
// waits, up to the time limit again, for the dialog to close. The tests run one at a time,
// so no other test's dialog is on the screen.
// When the time runs out with a dialog still open (the one it pressed, or one that opened
// instead of it), it closes every dialog that opened since it started, so that the
// handler blocked in that dialog returns, and the test fails instead of hanging.
class DialogAnswerer {
public:
    using Prepare = std::function<void(HWND dialog)>;
    DialogAnswerer(std::string caption, int button, Prepare prepare = {}, DWORD timeoutMs = 15000);
    // Finishes as Wait does, if the test did not.
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Waits for the helper thread; true when the dialog was found, answered and closed.
    // Adds a test failure naming each dialog the helper had to close.
    bool Wait();
    const std::string& Text() const { return text_; }
    HWND Owner() const { return owner_; }

private:
    void Run();
    HWND FindDialog() const;
    bool AnswerAndSeeItClose(HWND dialog);
    void CloseWhatIsLeftOpen(HWND dialog);
    void Finish();

    std::string caption_;
    int button_;
    Prepare prepare_;
    DWORD timeoutMs_;
    std::vector<HWND> openBefore_;  // the dialogs already open when it started, left alone
    std::string text_;
    HWND owner_ = nullptr;
    bool answered_ = false;
    std::vector<std::string> closed_;  // captions of the dialogs it had to close
    std::atomic<bool> testWaits_{false};  // the test's thread is in Wait, out of any dialog
    bool finished_ = false;
    std::thread thread_;
};

// Message box button and text ids, and the file dialogs' controls.
constexpr int kMessageTextId = 0xFFFF;
constexpr int kFileNameBox = 0x47C;
constexpr int kFileTypeBox = 0x470;

// Fills a file dialog's name box, and, when filterIndex > 0, chooses that file type.
DialogAnswerer::Prepare FillFileDialog(std::string ansiPath, int filterIndex = 0);

// The top-level windows of every process with the given caption and class (any class
// for a null className).
std::vector<HWND> FindTopLevelWindows(const char* className, const std::string& caption);

// A context menu seen from a helper thread, since the menu's own loop holds the test's: it
// waits, up to a time limit, for the popup menu, records where it stood and its items'
// states, then presses the key (an access key, or Esc to close it). whileOpen, when given, is
// called on its own thread before the key.
class MenuWatcher {
public:
    explicit MenuWatcher(WORD key, std::function<void()> whileOpen = {})
        : key_(key), whileOpen_(std::move(whileOpen)), thread_([this] { Run(); })
    {
    }
    ~MenuWatcher()
    {
        if (thread_.joinable())
            thread_.join();
    }
    bool Wait()
    {
        thread_.join();
        return seen_;
    }
    RECT Where() const { return where_; }
    bool IsGreyed(UINT item) const { return (States(item) & (MF_GRAYED | MF_DISABLED)) != 0; }
    bool IsChecked(UINT item) const { return (States(item) & MF_CHECKED) != 0; }
    std::wstring TextOf(UINT item) const
    {
        for (const Item& each : items_)
            if (each.id == item)
                return each.text;
        return {};
    }

private:
    struct Item {
        UINT id;
        UINT state;
        std::wstring text;
    };

    UINT States(UINT item) const;
    void Run();
    void Read(HWND popup);

    WORD key_;
    std::function<void()> whileOpen_;
    std::atomic<bool> seen_{false};
    RECT where_ = {};
    std::vector<Item> items_;
    std::thread thread_;
};

// What the shell hands a window when files are dropped on it, in code page 932.
HDROP MakeDrop(const std::vector<std::string>& paths);

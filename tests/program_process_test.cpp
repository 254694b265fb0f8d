// The program itself, started as a user starts it, with and without the "/f" switch, and
// ended by Esc or by the exit question.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "test_support.h"
#include "ui_support.h"

namespace {

class RunningProgram {
public:
    explicit RunningProgram(const std::string& arguments, const char* folder = nullptr)
    {
        std::string commandLine = "\"" + ToAnsi(TESSAREL_EXE) + "\"";
        if (!arguments.empty())
            commandLine += " " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  folder, &startup, &process_) != FALSE;
    }

    ~RunningProgram()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 1);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool Started() const { return started_; }

    // The program's main window once it is shown and painted; null after the time limit.
    HWND WaitForMainWindow()
    {
        for (int tries = 0; tries < 1000; ++tries) {
            HWND window = nullptr;
            while ((window = FindWindowExA(nullptr, window, "D3DFWSampleClass", nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(window)) {
                    // The program polls its queue, so it never reports itself idle; give its
                    // first messages a moment instead.
                    Sleep(300);
                    return window;
                }
            }
            Sleep(10);
        }
        return nullptr;
    }

    bool HasEnded(DWORD waitMs) const { return WaitForSingleObject(process_.hProcess, waitMs) == WAIT_OBJECT_0; }

    DWORD ExitCode() const
    {
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

SIZE WindowSize(HWND window)
{
    RECT frame = {};
    GetWindowRect(window, &frame);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace

TEST(ProgramProcess, WithoutASwitchShowsTheCaptionedWindowAndEscapeEndsItWithZero)
{
    RunningProgram program("");
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(L"Tessarel あるふぁ～", WindowTextW(window));
    EXPECT_EQ(400, ClientSize(window).cx);
    EXPECT_EQ(100, ClientSize(window).cy);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION);

    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(program.HasEnded(10000));
    EXPECT_EQ(0u, program.ExitCode());
}

TEST(ProgramProcess, SwitchAtTheEndInEitherCaseGivesTheTopLeftPopup)
{
    for (const char* arguments : {"/F", "abc/f", "-x /f"}) {
        RunningProgram program(arguments);
        ASSERT_TRUE(program.Started());
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(nullptr, window) << arguments;
        RECT frame = {};
        GetWindowRect(window, &frame);
        EXPECT_EQ(0, frame.left) << arguments;
        EXPECT_EQ(0, frame.top) << arguments;
        EXPECT_EQ(400, WindowSize(window).cx) << arguments;
        EXPECT_EQ(100, WindowSize(window).cy) << arguments;
        EXPECT_EQ(WS_POPUP, GetWindowLongA(window, GWL_STYLE) & (WS_POPUP | WS_CAPTION)) << arguments;
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(program.HasEnded(10000)) << arguments;
    }
}

TEST(ProgramProcess, SwitchFollowedByMoreTextGivesTheNormalWindow)
{
    RunningProgram program("/f x");
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION);
    EXPECT_EQ(400, ClientSize(window).cx);
    EXPECT_EQ(100, ClientSize(window).cy);
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(program.HasEnded(10000));
}

TEST(ProgramProcess, ExitQuestionKeepsTheProgramOnCancelAndEndsItWithZeroOnOk)
{
    RunningProgram program("");
    ASSERT_TRUE(program.Started());
    HWND window = program.WaitForMainWindow();
    ASSERT_NE(nullptr, window);

    {
        DialogAnswerer answer("終了確認", IDCANCEL);
        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(answer.Wait());
        EXPECT_EQ("終了してよろしいですか？", answer.Text());
    }
    EXPECT_FALSE(program.HasEnded(500));
    EXPECT_TRUE(IsWindowVisible(window));

    DialogAnswerer answer("終了確認", IDOK);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    ASSERT_TRUE(answer.Wait());
    ASSERT_TRUE(program.HasEnded(10000));
    EXPECT_EQ(0u, program.ExitCode());
}

TEST(ProgramProcess, AFileNamedOnTheCommandLineOpensAtStartWithOrWithoutTheSwitch)
{
    TempFolder folder;
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(320, 200), folder.Path(L"photo.png")));
    ASSERT_TRUE(WritePng(*MakeOpaquePattern(300, 180), folder.Path(L"my photo.png")));
    const std::string here = ToAnsi(folder.Folder());
    const struct {
        std::string arguments;
        const wchar_t* caption;
        LONG width, height;
        bool popup;
    } runs[] = {
        {"photo.png", L"Tessarel あるふぁ～ - [ photo.png ]", 320, 200, false},
        {"\"" + folder.AnsiPath(L"my photo.png") + "\"", L"Tessarel あるふぁ～ - [ my photo.png ]", 300, 180, false},
        {"photo.png /f", L"Tessarel あるふぁ～ - [ photo.png ]", 320, 200, true},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.arguments);
        RunningProgram program(run.arguments, here.c_str());
        ASSERT_TRUE(program.Started());
        HWND window = program.WaitForMainWindow();
        ASSERT_NE(nullptr, window);
        for (int tries = 0; tries < 200 && WindowTextW(window) != run.caption; ++tries)
            Sleep(10);
        EXPECT_EQ(run.caption, WindowTextW(window));
        EXPECT_EQ(run.width, ClientSize(window).cx);
        EXPECT_EQ(run.height, ClientSize(window).cy);
        EXPECT_EQ(run.popup, (GetWindowLongA(window, GWL_STYLE) & WS_CAPTION) == 0);
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(program.HasEnded(10000));
    }
}

// The exe's Properties: its name, version and a description, read from the file as the shell
// reads them.
TEST(ProgramFile, VersionResourceGivesTheNameTheVersionOfTheVersionBoxAndADescription)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(TESSAREL_EXE, &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(TESSAREL_EXE, 0, size, block.data()));
    const auto value = [&block](const wchar_t* name) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\041103a4\\") + name;
        wchar_t* text = nullptr;
        UINT length = 0;
        return VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text
                   ? std::wstring(text)
                   : std::wstring();
    };
    EXPECT_EQ(value(L"ProductName"), L"Tessarel あるふぁ～");
    EXPECT_EQ(value(L"ProductVersion"), L"0.2.01");
    EXPECT_EQ(value(L"FileVersion"), L"0.2.01");
    EXPECT_FALSE(value(L"FileDescription").empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000002u);  // 0.2
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);  // .1.0
}

// The Wine prefix the tests run in: the settings wine-run.sh writes into it, on which what
// the tests read from the windows depends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Whether this process runs under Wine, whose ntdll exports its version.
bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The string value name of the current user's key, or "(none)" when it has none.
std::string UserString(const char* key, const char* name)
{
    char data[256] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "(none)";
    return data;
}

}  // namespace

// Wine draws MS UI Gothic, the tool panel's font, with IPAPGothic, whose proportional kana
// keep the panel's labels inside their widths as on Windows; with Wine's own choice
// "から" shows as "か" and the longer labels are cut short.
TEST(WinePrefix, DrawsThePanelFontWithTheProportionalIpaGothic)
{
    if (!UnderWine())
        GTEST_SKIP() << "Windows has MS UI Gothic itself";
    EXPECT_EQ("IPAPGothic", UserString("Software\\Wine\\Fonts\\Replacements", "MS UI Gothic"))
        << "the prefix lacks the font replacement: tools/wine-run.sh.in prepares it";
}

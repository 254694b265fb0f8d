#include "fitted_dialog.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// An extended template begins with its version and signature; its style, at kStyleOffset,
// says whether a font follows the title; its menu's name or ordinal begins at kMenuOffset.
constexpr WORD kExtendedVersion = 1;
constexpr WORD kExtendedSignature = 0xFFFF;
constexpr std::size_t kStyleOffset = 12;
constexpr std::size_t kMenuOffset = 26;
// A string field may hold nothing (kNoString) or an ordinal after kOrdinalMark.
constexpr WORD kNoString = 0x0000;
constexpr WORD kOrdinalMark = 0xFFFF;
// After the title: point size and weight (words), italic and charset (bytes), the typeface.
constexpr std::size_t kCharsetOffset = 5;
constexpr std::size_t kTypefaceOffset = 6;

// Japanese gothics whose kana are proportional, as the templates' faces are.
constexpr const wchar_t* kProportionalGothics[] = {L"MS UI Gothic", L"Meiryo UI",    L"Yu Gothic UI", L"MS PGothic",
                                                   L"IPAPGothic",   L"TakaoPGothic", L"VL PGothic"};

// A font of face at charset, selected into the screen's device context while this lives.
class FontOnScreen {
public:
    FontOnScreen(const wchar_t* face, BYTE charset) : dc_(GetDC(nullptr))
    {
        LOGFONTW font{};
        font.lfCharSet = charset;
        lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
        font_ = CreateFontIndirectW(&font);
        previous_ = dc_ && font_ ? SelectObject(dc_, font_) : nullptr;
    }
    ~FontOnScreen()
    {
        if (previous_)
            SelectObject(dc_, previous_);
        if (font_)
            DeleteObject(font_);
        if (dc_)
            ReleaseDC(nullptr, dc_);
    }
    FontOnScreen(const FontOnScreen&) = delete;
    FontOnScreen& operator=(const FontOnScreen&) = delete;

    // The flag's name says the opposite of its meaning: set, the pitch is variable.
    bool Proportional() const
    {
        TEXTMETRICW metrics;
        return previous_ && GetTextMetricsW(dc_, &metrics) && (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
    }
    // True when the system chose face itself, not a font in its place.
    bool Is(const wchar_t* face) const
    {
        wchar_t chosen[LF_FACESIZE];
        return previous_ && GetTextFaceW(dc_, LF_FACESIZE, chosen) > 0 && lstrcmpiW(chosen, face) == 0;
    }

private:
    HDC dc_;
    HFONT font_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

WORD WordAt(const BYTE* bytes, std::size_t offset)
{
    WORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

// The offset just past the zero-ended string at offset; 0 when it runs past size.
std::size_t PastString(const BYTE* bytes, std::size_t size, std::size_t offset)
{
    for (; offset + sizeof(WORD) <= size; offset += sizeof(WORD)) {
        if (WordAt(bytes, offset) == 0)
            return offset + sizeof(WORD);
    }
    return 0;
}

// The offset just past the string, ordinal or nothing at offset; 0 when it runs past size.
std::size_t PastStringOrOrdinal(const BYTE* bytes, std::size_t size, std::size_t offset)
{
    if (offset + sizeof(WORD) > size)
        return 0;
    switch (WordAt(bytes, offset)) {
    case kNoString:    return offset + sizeof(WORD);
    case kOrdinalMark: return offset + 2 * sizeof(WORD) <= size ? offset + 2 * sizeof(WORD) : 0;
    default:           return PastString(bytes, size, offset);
    }
}

std::size_t AlignedToDword(std::size_t offset) { return (offset + sizeof(DWORD) - 1) & ~(sizeof(DWORD) - 1); }

// Where an extended template's typeface lies, [begin, end) with its zero, and its charset.
struct TypefaceSpan {
    bool found = false;
    std::size_t begin = 0, end = 0;
    BYTE charset = 0;
};

TypefaceSpan FindTypeface(const BYTE* bytes, std::size_t size)
{
    TypefaceSpan span;
    if (!bytes || size < kMenuOffset || WordAt(bytes, 0) != kExtendedVersion ||
        WordAt(bytes, sizeof(WORD)) != kExtendedSignature)
        return span;
    DWORD style;
    std::memcpy(&style, bytes + kStyleOffset, sizeof style);
    if (!(style & DS_SETFONT))
        return span;
    std::size_t offset = PastStringOrOrdinal(bytes, size, kMenuOffset);  // the menu
    if (offset)
        offset = PastStringOrOrdinal(bytes, size, offset);  // the class
    if (offset)
        offset = PastString(bytes, size, offset);  // the title
    if (!offset || offset + kTypefaceOffset > size)
        return span;
    span.charset = bytes[offset + kCharsetOffset];
    span.begin = offset + kTypefaceOffset;
    span.end = PastString(bytes, size, span.begin);
    span.found = span.end != 0;
    return span;
}

// The template templateId naming a proportional face in place of its own, where its own comes
// out fixed-pitch and the system has one; empty otherwise.
std::vector<DWORD> FittedTemplate(HINSTANCE instance, int templateId)
{
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!resource)
        return {};
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
    const DWORD size = SizeofResource(instance, resource);
    const TypefaceSpan span = FindTypeface(bytes, size);
    if (!span.found)
        return {};
    std::wstring face((span.end - span.begin) / sizeof(wchar_t) - 1, L'\0');
    std::memcpy(face.data(), bytes + span.begin, face.size() * sizeof(wchar_t));
    if (ProportionalFace(face.c_str(), span.charset))
        return {};
    const wchar_t* fitting = ProportionalJapaneseFace();
    return fitting ? WithTypeface(bytes, size, fitting) : std::vector<DWORD>{};
}

}  // namespace

bool ProportionalFace(const wchar_t* face, BYTE charset) { return FontOnScreen(face, charset).Proportional(); }

const wchar_t* ProportionalJapaneseFace()
{
    for (const wchar_t* face : kProportionalGothics) {
        const FontOnScreen font(face, SHIFTJIS_CHARSET);
        if (font.Is(face) && font.Proportional())
            return face;
    }
    return nullptr;
}

std::vector<DWORD> WithTypeface(const BYTE* bytes, DWORD size, const wchar_t* face)
{
    const TypefaceSpan span = FindTypeface(bytes, size);
    if (!span.found)
        return {};
    // The items begin at the first DWORD boundary after the typeface, and keep that alignment.
    const std::size_t items = std::min<std::size_t>(AlignedToDword(span.end), size);
    const std::size_t faceBytes = (std::wcslen(face) + 1) * sizeof(wchar_t);
    const std::size_t newItems = AlignedToDword(span.begin + faceBytes);
    std::vector<DWORD> copy((newItems + (size - items) + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    auto* out = reinterpret_cast<BYTE*>(copy.data());
    std::memcpy(out, bytes, span.begin);
    std::memcpy(out + span.begin, face, faceBytes);
    std::memcpy(out + newItems, bytes + items, size - items);
    return copy;
}

HWND CreateFittedDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, LPARAM parameter)
{
    const std::vector<DWORD> fitted = FittedTemplate(instance, templateId);
    if (fitted.empty())
        return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, procedure, parameter);
    return CreateDialogIndirectParamA(instance, reinterpret_cast<const DLGTEMPLATE*>(fitted.data()), owner, procedure,
                                      parameter);
}

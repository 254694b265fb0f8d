#include "dialog_template.h"

#include <cstring>

namespace {

// A forward reader over the template's bytes.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : p_(data) {}

    template <typename T>
    T Read()
    {
        T value;
        std::memcpy(&value, p_, sizeof value);
        p_ += sizeof value;
        return value;
    }

    std::wstring ReadString()
    {
        std::wstring text;
        for (wchar_t c; (c = Read<wchar_t>()) != L'\0';)
            text += c;
        return text;
    }

    // A string, or an ordinal after 0xFFFF, or nothing after 0x0000.
    std::wstring ReadStringOrOrdinal()
    {
        WORD first;
        std::memcpy(&first, p_, sizeof first);
        if (first == 0x0000) {
            p_ += sizeof first;
            return L"";
        }
        if (first == 0xFFFF) {
            p_ += sizeof first;
            return OrdinalName(Read<WORD>());
        }
        return ReadString();
    }

    void AlignToDword(const BYTE* base)
    {
        while ((p_ - base) % 4 != 0)
            ++p_;
    }

    void Skip(std::size_t bytes) { p_ += bytes; }

private:
    static std::wstring OrdinalName(WORD ordinal)
    {
        switch (ordinal) {
        case 0x0080: return L"Button";
        case 0x0081: return L"Edit";
        case 0x0082: return L"Static";
        case 0x0083: return L"ListBox";
        case 0x0084: return L"ScrollBar";
        case 0x0085: return L"ComboBox";
        default:     return L"#" + std::to_wstring(ordinal);
        }
    }

    const BYTE* p_;
};

}  // namespace

DialogTemplate ReadDialogTemplate(int resourceId)
{
    const TemplateBytes bytes = DialogTemplateBytes(resourceId);
    return bytes.data ? ReadDialogTemplate(bytes.data) : DialogTemplate{};
}

TemplateBytes DialogTemplateBytes(int resourceId)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!resource)
        return TemplateBytes{};
    return TemplateBytes{static_cast<const BYTE*>(LockResource(LoadResource(module, resource))),
                         SizeofResource(module, resource)};
}

DialogTemplate ReadDialogTemplate(const BYTE* base)
{
    DialogTemplate dialog;
    TemplateReader reader(base);
    if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF)
        return dialog;  // not an extended template
    reader.Read<DWORD>();  // help id
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD count = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    reader.ReadStringOrOrdinal();  // menu
    reader.ReadStringOrOrdinal();  // class
    dialog.caption = reader.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = reader.Read<WORD>();
        dialog.weight = reader.Read<WORD>();
        dialog.italic = reader.Read<BYTE>();
        dialog.charset = reader.Read<BYTE>();
        dialog.typeface = reader.ReadString();
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword(base);
        DialogItem item;
        reader.Read<DWORD>();  // help id
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = static_cast<int>(reader.Read<DWORD>());
        item.className = reader.ReadStringOrOrdinal();
        item.text = reader.ReadStringOrOrdinal();
        reader.Skip(reader.Read<WORD>());  // creation data
        dialog.items.push_back(item);
    }
    dialog.found = true;
    return dialog;
}

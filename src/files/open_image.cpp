#include "open_image.h"

#include <commdlg.h>

#include <cstring>

#include "file_dialog.h"
#include "image_document.h"
#include "image_header.h"
#include "image_loader.h"
#include "path_conversion.h"
#include "texts.h"
#include "wait_cursor.h"

namespace {

bool AskForImageFile(ImageDocument& document, HWND owner)
{
    const FileDialogSettings settings = {
        text::kOpenFilter,
        document.OpenedPath(),
        kPathBytes,
        document.OpenedTitle(),
        kTitleBytes,
        OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
        text::kOpenDefaultExtension,
        text::kOpenTitle,
    };
    return RunFileDialog(FileDialogKind::Open, settings, owner) != 0;
}

// Decodes the file the document's opened path names and makes it the document's image.
void LoadOpenedFile(ImageDocument& document)
{
    const WaitCursor wait;
    ConvertPathToWide(document.OpenedPath(), document.WidePath());
    document.SetImage(LoadImageFile(document.WidePath()));
    document.SetFromLossyFile(IsLossyImageFile(document.WidePath()));
}

// What follows the last separator of a code page 932 path. The scan steps over whole
// characters: the second byte of a double-byte character can be the byte of a backslash.
const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

// Copies as many whole characters of text as fit, with the terminator, into buffer.
void CopyWholeCharacters(const char* text, char* buffer, std::size_t bytes)
{
    const char* end = text;
    while (*end) {
        const char* next = CharNextA(end);
        if (static_cast<std::size_t>(next - text) >= bytes)
            break;
        end = next;
    }
    const std::size_t length = static_cast<std::size_t>(end - text);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

}  // namespace

bool OpenImage(ImageDocument& document, HWND owner)
{
    if (!AskForImageFile(document, owner) || document.OpenedPath()[0] == '\0')
        return false;
    LoadOpenedFile(document);
    return true;
}

bool OpenImageFile(ImageDocument& document, const char* path)
{
    const std::size_t length = std::strlen(path);
    if (length == 0 || length >= kPathBytes)
        return false;
    std::memcpy(document.OpenedPath(), path, length + 1);
    CopyWholeCharacters(FileNameOf(path), document.OpenedTitle(), kTitleBytes);
    LoadOpenedFile(document);
    return true;
}

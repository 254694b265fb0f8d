#pragma once
// The program's own texts, code page 932 once compiled. Dialog and menu texts live in
// tessarel.rc.

#include "version.h"

static_assert(TESSAREL_VERSION_PATCH < 10, "the version text shows the patch number as a zero and one digit");

namespace text {

constexpr char kWindowClass[] = "D3DFWSampleClass";
constexpr char kAppTitle[] = "Tessarel あるふぁ～";

// Main window
constexpr char kPrompt[] = "ファイルを読み込んでください";
constexpr char kCaptionPrefix[] = "Tessarel あるふぁ～ - ";
constexpr char kTitleOpen[] = "[ ";
constexpr char kTitleClose[] = " ]";
constexpr char kVersionText[] = "Tessarel あるふぁ～ Ver " TESSAREL_VERSION_TEXT;
constexpr char kVersionCaption[] = "バージョン情報";
constexpr char kExitQuestion[] = "終了してよろしいですか？";
constexpr char kExitCaption[] = "終了確認";
// The tooltip of a range being dragged: X from, X to, Y from, Y to, width, height. UTF-16,
// as code page 932 has no en dash.
constexpr wchar_t kDragRangeFormat[] = L"X %u–%u, Y %u–%u (%u × %u)";

// The colour key dialog: the key colour as red, green and blue in decimal
constexpr char kKeyColourFormat[] = "%u, %u, %u";

// Open dialog: filter pairs of description and pattern, ending in an empty string
constexpr char kOpenFilter[] = "画像ファイル(*.bmp,*.jpg,*.png)\0*.bmp;*.jpg;*.png\0";
constexpr char kOpenTitle[] = "画像選択";
constexpr char kOpenDefaultExtension[] = "png";
constexpr char kOpenErrorCaption[] = "読み込みエラー";
constexpr char kPathTooLong[] = "ファイルのパスが長すぎるため、開くことができません";

// Pasting: the title an image from the clipboard is shown under, and its refusal, which
// has the open error's caption
constexpr char kClipboardTitle[] = "クリップボード";
constexpr char kClipboardUnreadable[] = "クリップボードの画像を読み込めませんでした";

// Save dialog, in the order of the save formats
constexpr char kSaveFilter[] = "PNG(*.png)\0*.png\0JPEG(*.jpg)\0*.jpg\0BMP(*.bmp)\0*.bmp\0";
constexpr char kSaveTitle[] = "名前をつけて保存";
constexpr char kSaveDefaultExtension[] = "bmp";
constexpr char kSaveErrorCaption[] = "保存エラー";
constexpr char kNothingToSave[] = "保存する画像がありません";
constexpr char kSaveFailed[] = "画像を保存できませんでした";

}  // namespace text

#include "app_state.h"

#include "edit_history.h"
#include "image_document.h"
#include "image_saver.h"

AppHandles g_app;
ImageDocument g_document;
ImageSaver g_saver;
EditHistory g_history{EditHistory::kProgramMaxBytes};
UiState g_ui;

void ReleaseAllImages()
{
    g_document.ReleaseImage();
    g_saver.ReleaseImages();
    g_ui.view.reduced.Clear();
    g_ui.view.previewMemory.Forget();
    g_ui.view.preview.Clear();
}

void ResetAppState()
{
    g_app = AppHandles{};
    g_document = ImageDocument{};
    g_saver = ImageSaver{};
    g_history = EditHistory{EditHistory::kProgramMaxBytes};
    g_ui = UiState{};
}

#include "app_state.h"

#include "edit_history.h"
#include "image_document.h"
#include "image_saver.h"

AppHandles g_app;
ImageDocument g_document;
ImageSaver g_saver;
EditHistory g_history{EditHistory::kProgramMaxBytes};

void ReleaseAllImages()
{
    g_document.ReleaseImage();
    g_saver.ReleaseImages();
}

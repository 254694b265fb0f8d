#include "gdiplus_session.h"

#include "gdiplus_api.h"

GdiplusSession::GdiplusSession() noexcept
{
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;

    ULONG_PTR token = 0;
    started_ = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    token_ = token;
}

GdiplusSession::~GdiplusSession()
{
    if (started_)
        Gdiplus::GdiplusShutdown(token_);
}

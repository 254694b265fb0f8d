#pragma once
#include "gdiplus_api.h"

// {1D5BE4B5-FA4A-452D-9CDD-5DB35105E7EB}
constexpr GUID kEncoderQualityCategory = {
    0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

// The JPEG encoder's parameter list: count 1, one EncoderQuality parameter holding one
// 32-bit unsigned value. The list points into this object, so it is neither copied nor moved.
class JpegQualityParameters {
public:
    explicit JpegQualityParameters(ULONG quality) noexcept : quality_(quality), list_()
    {
        list_.Count = 1;
        list_.Parameter[0].Guid = kEncoderQualityCategory;
        list_.Parameter[0].NumberOfValues = 1;
        list_.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
        list_.Parameter[0].Value = &quality_;
    }
    JpegQualityParameters(const JpegQualityParameters&) = delete;
    JpegQualityParameters& operator=(const JpegQualityParameters&) = delete;

    const Gdiplus::EncoderParameters* List() const noexcept { return &list_; }

private:
    ULONG quality_;
    Gdiplus::EncoderParameters list_;
};

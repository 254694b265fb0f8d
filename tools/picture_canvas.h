#pragma once
// The README's pictures: a canvas of RGB pixels over a dark backdrop, on which ARGB pixels are
// composited, written as a PNG. Shared by the programs that draw them.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "pixel_rows.h"

constexpr ArgbValue kBackdrop = 0x24262E;

struct Canvas {
    std::uint32_t width, height;
    std::vector<unsigned char> rgb;

    Canvas(std::uint32_t w, std::uint32_t h) : width(w), height(h), rgb(std::size_t{w} * h * 3)
    {
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = (kBackdrop >> 16) & 0xFF;
            rgb[i + 1] = (kBackdrop >> 8) & 0xFF;
            rgb[i + 2] = kBackdrop & 0xFF;
        }
    }

    // Puts value, composited over the backdrop, in the square of side size at (x, y).
    void Put(std::uint32_t x, std::uint32_t y, ArgbValue value, std::uint32_t size)
    {
        const unsigned alpha = value >> 24;
        for (std::uint32_t j = 0; j < size; ++j) {
            for (std::uint32_t i = 0; i < size; ++i) {
                unsigned char* out = &rgb[(std::size_t{y + j} * width + x + i) * 3];
                for (int c = 0; c < 3; ++c) {
                    const unsigned colour = (value >> (16 - 8 * c)) & 0xFF;
                    const unsigned backdrop = (kBackdrop >> (16 - 8 * c)) & 0xFF;
                    out[c] = static_cast<unsigned char>((colour * alpha + backdrop * (255 - alpha) + 127) / 255);
                }
            }
        }
    }
};

inline bool WritePng(const Canvas& canvas, const char* path)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, canvas.width, canvas.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < canvas.height; ++y)
        png_write_row(png, &canvas.rgb[std::size_t{y} * canvas.width * 3]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}


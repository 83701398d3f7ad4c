// Drawing a pixel map into a device context with a 24-bit device-independent bitmap.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/display_pixels.h"

namespace rx {

OSErr drawPixelMap(const PSPixelMap* map, const VRect* rect, int32_t row, int32_t column,
                   void* context) {
    constexpr OSErr kParamErr = -50;
    if (!map || !rect || !context || !map->baseAddr) return kParamErr;
    const int32_t planes = map->colBytes;
    if (planes < 1 || map->planeBytes != 1) return kParamErr;
    // The part of the source rectangle that the map holds.
    const int32_t top = std::max(rect->top, map->bounds.top);
    const int32_t left = std::max(rect->left, map->bounds.left);
    const int32_t bottom = std::min(rect->bottom, map->bounds.bottom);
    const int32_t right = std::min(rect->right, map->bounds.right);
    const int32_t w = right - left, h = bottom - top;
    if (w <= 0 || h <= 0) return noErr;

    // Bottom-up BGR rows padded to 4 bytes.
    const int32_t stride = (w * 3 + 3) & ~3;
    std::vector<uint8_t> bits(size_t(stride) * h);
    const bool grey = map->imageMode == plugInModeGrayScale || planes < 3;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = static_cast<const uint8_t*>(map->baseAddr) +
                             size_t(top - map->bounds.top + y) * map->rowBytes +
                             size_t(left - map->bounds.left) * planes;
        uint8_t* dst = &bits[size_t(h - 1 - y) * stride];
        for (int32_t x = 0; x < w; ++x, src += planes, dst += 3) {
            dst[0] = grey ? src[0] : src[2];
            dst[1] = grey ? src[0] : src[1];
            dst[2] = src[0];
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(static_cast<HDC>(context), column, row, DWORD(w), DWORD(h), 0, 0, 0, UINT(h),
                      bits.data(), &info, DIB_RGB_COLORS);
    return noErr;
}

}  // namespace rx

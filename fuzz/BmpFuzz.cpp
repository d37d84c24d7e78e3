// Reads arbitrary bytes as a BMP image, as the image store and the picture panel read theirs: a
// malformed image must be refused cleanly, and a loaded one must be whole and drawable.
#include "platform/Windows.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HBITMAP bitmap = platform::LoadBitmapFromBmp(data, size);
    if (bitmap == nullptr) {
        if (GetLastError() != ERROR_INVALID_DATA && GetLastError() != ERROR_NOT_ENOUGH_MEMORY) {
            std::abort(); // a refusal says why
        }
        return 0;
    }
    BITMAP description{};
    if (GetObjectA(bitmap, sizeof description, &description) != static_cast<int>(sizeof description) ||
        description.bmWidth <= 0 || description.bmHeight <= 0 || description.bmBitsPixel != 32) {
        std::abort(); // a loaded image is a colour bitmap of a real size
    }

    // Draw it the ways the program does: copied, stretched into a 16 x 16 lamp, and transparently.
    HDC source = CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateBitmap(16, 16, 1, 32, nullptr);
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    HGDIOBJ oldTarget = SelectObject(target, canvas);
    BitBlt(target, 0, 0, 16, 16, source, 0, 0, SRCCOPY);
    SetStretchBltMode(target, HALFTONE);
    StretchBlt(target, 0, 0, 16, 16, source, 0, 0, description.bmWidth, description.bmHeight, SRCCOPY);
    TransparentBlt(target, 0, 0, 16, 16, source, 0, 0, description.bmWidth, description.bmHeight,
                   RGB(192, 192, 192));
    if (GetPixel(source, description.bmWidth - 1, description.bmHeight - 1) == CLR_INVALID) {
        std::abort(); // every pixel of the image is there
    }
    SelectObject(source, oldSource);
    SelectObject(target, oldTarget);
    DeleteDC(source);
    DeleteDC(target);
    if (!DeleteObject(canvas) || !DeleteObject(bitmap)) {
        std::abort();
    }
    return 0;
}

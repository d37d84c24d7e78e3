#include "framework/Font.h"

namespace framework {

Font::Font(const char* face, int points, bool bold, bool italic)
    : handle(CreateFontA(-(points * 96 + 36) / 72, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? TRUE : FALSE,
                         FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, face)),
      isOwned(true) {}

Font::~Font() {
    if (isOwned && handle != nullptr) {
        DeleteObject(handle);
    }
}

} // namespace framework

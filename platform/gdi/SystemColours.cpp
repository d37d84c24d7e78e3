#include "platform/gdi/SystemColours.h"

#include "platform/gdi/Internal.h"

#include <iterator>
#include <mutex>

namespace {

// The "Windows Standard" scheme of the classic grey desktop. Index 25 has no colour in Win32 and
// reads as black.
constexpr COLORREF classicColours[] = {
    RGB(192, 192, 192), // COLOR_SCROLLBAR
    RGB(0, 128, 128),   // COLOR_BACKGROUND
    RGB(0, 0, 128),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(192, 192, 192), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(192, 192, 192), // COLOR_ACTIVEBORDER
    RGB(192, 192, 192), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(0, 0, 128),     // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(192, 192, 192), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),       // COLOR_3DDKSHADOW
    RGB(192, 192, 192), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(0, 0, 0),       // 25: none
    RGB(0, 0, 128),     // COLOR_HOTLIGHT
    RGB(16, 132, 208),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192), // COLOR_GRADIENTINACTIVECAPTION
    RGB(0, 0, 128),     // COLOR_MENUHILIGHT
    RGB(192, 192, 192), // COLOR_MENUBAR
};
constexpr int colourCount = static_cast<int>(std::size(classicColours));
static_assert(colourCount == COLOR_MENUBAR + 1);

bool IsValidIndex(int index) {
    return index >= 0 && index < colourCount && index != 25;
}

} // namespace

DWORD GetSysColor(int nIndex) {
    return nIndex >= 0 && nIndex < colourCount ? classicColours[nIndex] : 0;
}

HBRUSH GetSysColorBrush(int nIndex) {
    static std::mutex mutex;
    static HBRUSH brushes[colourCount] = {};
    if (!IsValidIndex(nIndex))
        return nullptr;
    std::lock_guard lock(mutex);
    if (brushes[nIndex] == nullptr) {
        auto brush = std::make_shared<platform::gdi::Brush>(BS_SOLID, classicColours[nIndex]);
        brush->isStock = true;
        brushes[nIndex] = static_cast<HBRUSH>(platform::gdi::InsertObject(std::move(brush)));
    }
    return brushes[nIndex];
}

#include "framework/services/ImageSet.h"

#include "framework/Application.h"

namespace framework {

namespace {

constexpr COLORREF LightGrey = RGB(192, 192, 192);

HINSTANCE ProgramModule() {
    const Application* application = Application::Instance();
    // Without the application the program's own module: a null module would ask for the system's
    // predefined bitmaps.
    return application ? application->ModuleHandle() : GetModuleHandleA(nullptr);
}

} // namespace

HBITMAP ImageSet::Fitted(HBITMAP picture) const {
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(list, &width, &height);
    BITMAP info{};
    GetObjectA(picture, sizeof info, &info);
    if (info.bmWidth == width && info.bmHeight == height) {
        return picture;
    }
    // An image list takes as many pictures from a bitmap as its width holds, none from a narrower
    // one: a picture of another size is stretched to the set's size first.
    HBITMAP fitted = CreateBitmap(width, height, 1, 32, nullptr);
    HDC source = CreateCompatibleDC(nullptr);
    HDC target = CreateCompatibleDC(nullptr);
    HGDIOBJ previousSource = SelectObject(source, picture);
    HGDIOBJ previousTarget = SelectObject(target, fitted);
    // Colour on colour: whole pixels, so that the transparent colour stays exactly itself.
    SetStretchBltMode(target, COLORONCOLOR);
    StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(source, previousSource);
    SelectObject(target, previousTarget);
    DeleteDC(source);
    DeleteDC(target);
    DeleteObject(picture);
    return fitted;
}

ImageSet::ImageSet(int width, int height, UINT colourFlags, std::optional<Colour> maskColour)
    : list(ImageList_Create(width, height, colourFlags | ILC_MASK, 0, 1)), maskColour(maskColour) {}

ImageSet::~ImageSet() {
    if (list != nullptr) {
        ImageList_Destroy(list);
    }
}

bool ImageSet::HasSize(int width, int height) const {
    int listWidth = 0;
    int listHeight = 0;
    return list != nullptr && ImageList_GetIconSize(list, &listWidth, &listHeight) && listWidth == width &&
           listHeight == height;
}

int32_t ImageSet::Add(int32_t resourceId) {
    if (const int32_t known = resourceIds.IndexOf(resourceId); known >= 0) {
        return known;
    }
    resourceIds.InsertAt(resourceId);
    const COLORREF transparent = maskColour ? maskColour->Value() : LightGrey;
    HBITMAP picture = LoadBitmapA(ProgramModule(), MAKEINTRESOURCEA(static_cast<WORD>(resourceId)));
    if (picture == nullptr) {
        int width = 0;
        int height = 0;
        ImageList_GetIconSize(list, &width, &height);
        picture = CreateBitmap(width, height, 1, 32, nullptr);
        // A blank picture: all of it in the transparent colour.
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, picture);
        HBRUSH brush = CreateSolidBrush(transparent);
        const RECT all{0, 0, width, height};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        SelectObject(dc, previous);
        DeleteDC(dc);
    }
    picture = Fitted(picture);
    ImageList_AddMasked(list, picture, transparent);
    DeleteObject(picture);
    return resourceIds.Count() - 1;
}

} // namespace framework

#include "app/PictureWindow.h"

#include "framework/Application.h"
#include "framework/Canvas.h"

namespace app {

PictureWindow::PictureWindow(framework::Window* parent, framework::Layout* layout, int32_t bitmapId)
    : Window(parent, layout), bitmapId(bitmapId) {
    CreateFrame(WS_CHILD | WS_VISIBLE, 0);
}

PictureWindow::~PictureWindow() {
    if (picture != nullptr) {
        DeleteObject(picture);
    }
}

LRESULT PictureWindow::OnPaintDefault(framework::MessageRecord& record) {
    const auto* information = reinterpret_cast<const framework::PaintInformation*>(record.lParam);
    HDC dc = GetCanvas()->Context();
    const RECT client{information->client.left, information->client.top, information->client.right,
                      information->client.bottom};
    if (picture == nullptr) {
        const framework::Application* application = framework::Application::Instance();
        picture = LoadBitmapA(application ? application->ModuleHandle() : GetModuleHandleA(nullptr),
                              MAKEINTRESOURCEA(static_cast<WORD>(bitmapId)));
    }
    BITMAP size{};
    if (picture == nullptr || GetObjectA(picture, sizeof size, &size) == 0) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, picture);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    return 1;
}

} // namespace app

#include "platform/gdi/Surface.h"

#include "platform/gdi/Internal.h"
#include "platform/gdi/SystemColours.h"

#include <algorithm>
#include <atomic>

namespace {

using namespace platform::gdi;

cairo_surface_t* CreateFilledImage(int width, int height) {
    cairo_surface_t* image =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 1), std::max(height, 1));
    cairo_t* context = cairo_create(image);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    cairo_set_source_rgb(context, GetRValue(face) / 255.0, GetGValue(face) / 255.0, GetBValue(face) / 255.0);
    cairo_paint(context);
    cairo_destroy(context);
    return image;
}

// Joins rectangles that share a whole edge until no two do, so that an area that is one
// rectangle is held as one.
void JoinNeighbours(platform::RectangleList& area) {
    bool joined = true;
    while (joined) {
        joined = false;
        for (size_t first = 0; first < area.size(); ++first) {
            for (size_t second = first + 1; second < area.size(); ++second) {
                RECT& a = area[first];
                const RECT& b = area[second];
                bool isStacked =
                    a.left == b.left && a.right == b.right && (a.bottom == b.top || b.bottom == a.top);
                bool isSideBySide =
                    a.top == b.top && a.bottom == b.bottom && (a.right == b.left || b.right == a.left);
                if (!isStacked && !isSideBySide)
                    continue;
                a = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                     std::max(a.bottom, b.bottom)};
                area.erase(area.begin() + static_cast<ptrdiff_t>(second));
                joined = true;
                second = first;
            }
        }
    }
}

} // namespace

namespace platform::gdi {

SurfaceImage::SurfaceImage(int width, int height) : image(CreateFilledImage(width, height)) {}

SurfaceImage::~SurfaceImage() {
    cairo_surface_destroy(image);
}

} // namespace platform::gdi

namespace platform {

Surface* CreateSurface(int width, int height) {
    return new Surface{std::make_shared<SurfaceImage>(width, height)};
}

void ResizeSurface(Surface* surface, int width, int height) {
    if (surface == nullptr)
        return;
    cairo_surface_t* resized = CreateFilledImage(width, height);
    cairo_t* context = cairo_create(resized);
    cairo_set_source_surface(context, surface->pixels->image, 0, 0);
    cairo_paint(context);
    cairo_destroy(context);
    cairo_surface_destroy(surface->pixels->image);
    surface->pixels->image = resized;
}

void DestroySurface(Surface* surface) {
    delete surface;
}

const uint8_t* SurfacePixels(Surface* surface, int* stride) {
    if (surface == nullptr)
        return nullptr;
    cairo_surface_flush(surface->pixels->image);
    if (stride != nullptr)
        *stride = cairo_image_surface_get_stride(surface->pixels->image);
    return cairo_image_surface_get_data(surface->pixels->image);
}

SIZE SurfaceSize(Surface* surface) {
    if (surface == nullptr)
        return {0, 0};
    return {cairo_image_surface_get_width(surface->pixels->image),
            cairo_image_surface_get_height(surface->pixels->image)};
}

bool SaveSurfacePng(Surface* surface, const std::string& path) {
    return surface != nullptr &&
           cairo_surface_write_to_png(surface->pixels->image, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

RectangleList IntersectArea(const RectangleList& area, const RECT& with) {
    RectangleList result;
    for (const RECT& piece : area) {
        RECT overlap = Intersect(piece, with);
        if (!IsEmpty(overlap))
            result.push_back(overlap);
    }
    JoinNeighbours(result);
    return result;
}

RectangleList SubtractFromArea(const RectangleList& area, const RECT& cut) {
    RectangleList result;
    for (const RECT& piece : area) {
        RECT overlap = Intersect(piece, cut);
        if (IsEmpty(overlap)) {
            result.push_back(piece);
            continue;
        }
        // What is left is the bands above and below the cut, and the parts beside it between them.
        const RECT parts[] = {
            {piece.left, piece.top, piece.right, overlap.top},
            {piece.left, overlap.bottom, piece.right, piece.bottom},
            {piece.left, overlap.top, overlap.left, overlap.bottom},
            {overlap.right, overlap.top, piece.right, overlap.bottom},
        };
        for (const RECT& part : parts) {
            if (!IsEmpty(part))
                result.push_back(part);
        }
    }
    JoinNeighbours(result);
    return result;
}

RECT AreaBounds(const RectangleList& area) {
    if (area.empty())
        return {0, 0, 0, 0};
    RECT bounds = area.front();
    for (const RECT& piece : area)
        bounds = {std::min(bounds.left, piece.left), std::min(bounds.top, piece.top),
                  std::max(bounds.right, piece.right), std::max(bounds.bottom, piece.bottom)};
    return bounds;
}

HDC CreateSurfaceDC(Surface* surface, POINT origin, const RectangleList& visible) {
    if (surface == nullptr)
        return nullptr;
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Surface);
    dc->surface = surface->pixels;
    dc->origin = origin;
    for (const RECT& piece : visible) {
        if (!IsEmpty(piece))
            dc->systemRegion.push_back(piece);
    }
    SelectDefaultObjects(*dc);
    return InsertDC(std::move(dc));
}

HDC CreateSurfaceDC(Surface* surface, POINT origin, const RECT& clip) {
    return CreateSurfaceDC(surface, origin, RectangleList{clip});
}

void DeleteSurfaceDC(HDC hdc) {
    DeleteDC(hdc);
}

namespace {

std::atomic<int> screenWidth{1920};
std::atomic<int> screenHeight{1080};

} // namespace

void SetScreenSize(int width, int height) {
    screenWidth = width;
    screenHeight = height;
}

SIZE ScreenSize() {
    return SIZE{screenWidth, screenHeight};
}

} // namespace platform

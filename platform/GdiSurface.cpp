#include "platform/GdiSurface.h"

#include "platform/GdiInternal.h"
#include "platform/GdiSystemColours.h"

#include <algorithm>

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

HDC CreateSurfaceDC(Surface* surface, POINT origin, const RECT& clip) {
    if (surface == nullptr)
        return nullptr;
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Surface);
    dc->surface = surface->pixels;
    dc->origin = origin;
    dc->systemClip = IsEmpty(clip) ? RECT{0, 0, 0, 0} : clip;
    SelectDefaultObjects(*dc);
    return InsertDC(std::move(dc));
}

void DeleteSurfaceDC(HDC hdc) {
    DeleteDC(hdc);
}

} // namespace platform

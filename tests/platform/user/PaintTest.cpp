#include "platform/Windows.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

int paints = 0;

// Paints a red square 10..20 in its client area and a blue line along its top edge.
LRESULT Painter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        ++paints;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        const RECT square{10, 10, 20, 20};
        FillRect(dc, &square, red);
        DeleteObject(red);
        HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
        HGDIOBJ old = SelectObject(dc, blue);
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, 30, 0);
        SelectObject(dc, old);
        DeleteObject(blue);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class UserPaint : public ::testing::Test {
protected:
    void SetUp() override {
        paints = 0;
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Painter;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
        windowClass.lpszClassName = "PaintingWindow";
        RegisterClassExA(&windowClass);
        top = CreateWindowExA(0, "PaintingWindow", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                              nullptr, nullptr, nullptr, nullptr);
        child = CreateWindowExA(WS_EX_CLIENTEDGE, "PaintingWindow", "", WS_CHILD | WS_VISIBLE, 50, 30, 60, 40,
                                top, nullptr, nullptr, nullptr);
        testhooks::PumpMessages();
    }
    void TearDown() override {
        DestroyWindow(top);
        UnregisterClassA("PaintingWindow", nullptr);
    }
    testsupport::Watchdog watchdog;
    HWND top = nullptr;
    HWND child = nullptr;
};

} // namespace

TEST_F(UserPaint, WindowsPaintThroughTheirClientOriginAndClip) {
    using testhooks::ClientPixel;
    EXPECT_EQ(paints, 2) << "the window and its child were painted once each";
    EXPECT_EQ(ClientPixel(top, 15, 15), RGB(255, 0, 0)) << "the top-level window's square";
    EXPECT_EQ(ClientPixel(top, 20, 20), GetSysColor(COLOR_WINDOW)) << "FillRect leaves right and bottom out";
    EXPECT_EQ(ClientPixel(top, 5, 0), RGB(0, 0, 255));
    EXPECT_EQ(ClientPixel(child, 15, 15), RGB(255, 0, 0)) << "the child's square in its own coordinates";
    EXPECT_EQ(ClientPixel(top, 50 + 2 + 15, 30 + 2 + 15), RGB(255, 0, 0)) << "inside the client edge";
    EXPECT_EQ(ClientPixel(child, 40, 20), GetSysColor(COLOR_WINDOW)) << "the child's background was erased";
}

TEST_F(UserPaint, ClientEdgeIsDrawnAroundTheClientArea) {
    using testhooks::ClientPixel;
    // The child's client area starts two pixels in; the sunken edge lies outside it.
    EXPECT_EQ(ClientPixel(child, -2, -2), GetSysColor(COLOR_BTNSHADOW)) << "outer top-left";
    EXPECT_EQ(ClientPixel(child, -1, -1), GetSysColor(COLOR_3DDKSHADOW)) << "inner top-left";
    EXPECT_EQ(ClientPixel(child, 57, 37), GetSysColor(COLOR_BTNHIGHLIGHT)) << "outer bottom-right";
    EXPECT_EQ(ClientPixel(child, 56, 36), GetSysColor(COLOR_3DLIGHT)) << "inner bottom-right";
    EXPECT_EQ(ClientPixel(child, 0, 5), GetSysColor(COLOR_WINDOW)) << "the client area itself";
}

TEST_F(UserPaint, InvalidationRepaintsOnlyWhenAsked) {
    EXPECT_FALSE(GetUpdateRect(top, nullptr, FALSE)) << "painting validated the window";
    testhooks::PumpMessages();
    EXPECT_EQ(paints, 2) << "nothing invalid, nothing painted";
    const RECT area{0, 0, 5, 5};
    InvalidateRect(child, &area, FALSE);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
    EXPECT_EQ(update.right, 5);
    testhooks::PumpMessages();
    EXPECT_EQ(paints, 3);
    UpdateWindow(top);
    EXPECT_EQ(paints, 3) << "UpdateWindow paints only what is invalid";
    InvalidateRect(top, nullptr, TRUE);
    UpdateWindow(top);
    EXPECT_EQ(paints, 5) << "the parent and, with it, its child";
}

TEST_F(UserPaint, ScrollingMovesPixelsAndInvalidatesTheUncoveredStrip) {
    using testhooks::ClientPixel;
    RECT uncovered{};
    EXPECT_EQ(ScrollWindowEx(top, 0, -5, nullptr, nullptr, nullptr, &uncovered, SW_INVALIDATE), 2);
    EXPECT_EQ(ClientPixel(top, 15, 5), RGB(255, 0, 0)) << "the square moved up by 5";
    EXPECT_EQ(ClientPixel(top, 15, 17), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(uncovered.top, 95);
    EXPECT_EQ(uncovered.bottom, 100);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
    EXPECT_EQ(update.top, 95) << "only the strip is invalid";
}

TEST_F(UserPaint, SnapshotIsAPng) {
    const std::string path = ::testing::TempDir() + "paint-snapshot.png";
    ASSERT_TRUE(platform::SnapshotPng(child, path));
    std::ifstream file(path, std::ios::binary);
    char signature[8] = {};
    file.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    std::remove(path.c_str());
}

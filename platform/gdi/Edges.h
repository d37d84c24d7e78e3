#pragma once

// The classic three-dimensional look: edges, the focus rectangle and the parts of standard
// controls (push buttons, check boxes, radio buttons, scroll arrows), drawn in the system colours.
//
// An edge is one or two one-pixel borders. The outer border is drawn on the rectangle and the inner
// one just inside it; in each, the top and left lines are drawn first and the bottom and right
// lines over them, so the bottom-left and top-right corners take the bottom-right colour:
//   raised outer  3D light / 3D dark shadow     sunken outer  shadow / highlight
//   raised inner  highlight / shadow            sunken inner  3D dark shadow / 3D light
// EDGE_RAISED is raised outer and inner, EDGE_SUNKEN sunken outer and inner, EDGE_ETCHED sunken
// outer and raised inner, EDGE_BUMP raised outer and sunken inner. BF_SOFT swaps the top-left
// colours of the two borders (the look of push buttons), BF_FLAT draws the outer border in the
// shadow colour and the inner in the face colour, BF_MONO in the frame and window colours.
// BF_DIAGONAL is not supported.

#include "platform/WinTypes.h"

constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT BDR_OUTER = BDR_RAISEDOUTER | BDR_SUNKENOUTER;
constexpr UINT BDR_INNER = BDR_RAISEDINNER | BDR_SUNKENINNER;
constexpr UINT BDR_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT BDR_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr UINT BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr UINT BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr UINT BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr UINT BF_DIAGONAL = 0x0010;
constexpr UINT BF_MIDDLE = 0x0800;
constexpr UINT BF_SOFT = 0x1000;
constexpr UINT BF_ADJUST = 0x2000;
constexpr UINT BF_FLAT = 0x4000;
constexpr UINT BF_MONO = 0x8000;

constexpr UINT DFC_CAPTION = 1;
constexpr UINT DFC_MENU = 2;
constexpr UINT DFC_SCROLL = 3;
constexpr UINT DFC_BUTTON = 4;
constexpr UINT DFC_POPUPMENU = 5;

constexpr UINT DFCS_BUTTONCHECK = 0x0000;
constexpr UINT DFCS_BUTTONRADIOIMAGE = 0x0001;
constexpr UINT DFCS_BUTTONRADIOMASK = 0x0002;
constexpr UINT DFCS_BUTTONRADIO = 0x0004;
constexpr UINT DFCS_BUTTON3STATE = 0x0008;
constexpr UINT DFCS_BUTTONPUSH = 0x0010;
constexpr UINT DFCS_SCROLLUP = 0x0000;
constexpr UINT DFCS_SCROLLDOWN = 0x0001;
constexpr UINT DFCS_SCROLLLEFT = 0x0002;
constexpr UINT DFCS_SCROLLRIGHT = 0x0003;
constexpr UINT DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr UINT DFCS_SCROLLSIZEGRIP = 0x0008;
constexpr UINT DFCS_INACTIVE = 0x0100;
constexpr UINT DFCS_PUSHED = 0x0200;
constexpr UINT DFCS_CHECKED = 0x0400;
constexpr UINT DFCS_TRANSPARENT = 0x0800;
constexpr UINT DFCS_HOT = 0x1000;
constexpr UINT DFCS_ADJUSTRECT = 0x2000;
constexpr UINT DFCS_FLAT = 0x4000;
constexpr UINT DFCS_MONO = 0x8000;

// With BF_ADJUST the rectangle becomes the area inside the borders drawn.
BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);

// Inverts every other pixel of the rectangle's one-pixel frame, counted from the device origin, so
// a second call with the same rectangle takes the frame away again.
BOOL DrawFocusRect(HDC hDC, const RECT* lprc);

// DFC_BUTTON: DFCS_BUTTONPUSH (raised, or sunken when DFCS_PUSHED or DFCS_CHECKED; flat with
// DFCS_FLAT), DFCS_BUTTONCHECK and DFCS_BUTTON3STATE (the 13 x 13 box with its check mark) and
// DFCS_BUTTONRADIO (the 12 x 12 circle with its dot), centred in the rectangle; DFCS_INACTIVE and
// DFCS_PUSHED grey the box. DFC_SCROLL: the arrow buttons (up, down, left, right, combo box).
// Other kinds fail. DFCS_ADJUSTRECT shrinks a push button's rectangle to its inside.
BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT type, UINT state);

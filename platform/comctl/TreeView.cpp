#include "platform/comctl/TreeView.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/user/ControlState.h"
#include "platform/user/Dialog.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBar.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::user {

namespace {

constexpr int DefaultIndent = 19;
constexpr int ButtonSize = 9;
constexpr int LabelPadding = 2;
constexpr int WheelLines = 3;

struct Node {
    std::string text;
    LPARAM value = 0;
    int childrenHint = 0; // cChildren as given: 0, 1 or I_CHILDRENCALLBACK
    UINT state = 0;       // TVIS_EXPANDED, TVIS_EXPANDEDONCE, TVIS_BOLD
    Node* parent = nullptr;
    std::vector<Node*> children;
};

struct Row {
    Node* node;
    int depth;
};

struct TreeViewState {
    std::map<HTREEITEM, std::unique_ptr<Node>> nodes;
    std::vector<Node*> roots;
    Node* selected = nullptr;
    int top = 0; // first shown row
    int indent = DefaultIndent;
    HFONT font = nullptr;
    bool hasFocus = false;
};

TreeViewState* State(HWND hwnd) {
    return StateOf<TreeViewState>(hwnd);
}
HTREEITEM Handle(const Node* node) {
    return reinterpret_cast<HTREEITEM>(const_cast<Node*>(node));
}

Node* Find(TreeViewState& state, HTREEITEM item) {
    auto found = state.nodes.find(item);
    return found == state.nodes.end() ? nullptr : found->second.get();
}

std::vector<Node*>& SiblingsOf(TreeViewState& state, Node* node) {
    return node->parent ? node->parent->children : state.roots;
}

bool IsExpanded(const Node* node) {
    return (node->state & TVIS_EXPANDED) != 0;
}

HFONT FontOf(const TreeViewState& state) {
    return state.font ? state.font : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int RowHeight(HWND hwnd, const TreeViewState& state) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(state));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return std::max<int>(metrics.tmHeight + 3, ButtonSize + 4);
}

int ShownRows(HWND hwnd, const TreeViewState& state) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return std::max(1, static_cast<int>(client.bottom) / RowHeight(hwnd, state));
}

void Collect(const std::vector<Node*>& nodes, int depth, std::vector<Row>& rows) {
    for (Node* node : nodes) {
        rows.push_back({node, depth});
        if (IsExpanded(node)) {
            Collect(node->children, depth + 1, rows);
        }
    }
}

// The items as shown: every root, and the children of every expanded item, depth first.
std::vector<Row> Rows(const TreeViewState& state) {
    std::vector<Row> rows;
    Collect(state.roots, 0, rows);
    return rows;
}

int RowOf(const std::vector<Row>& rows, const Node* node) {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].node == node) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void FillItem(const Node* node, TVITEMA& item) {
    item.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
    item.hItem = node ? Handle(node) : nullptr;
    item.lParam = node ? node->value : 0;
    item.state = node ? node->state : 0;
    item.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE | TVIS_SELECTED | TVIS_BOLD;
    item.cChildren = node ? node->childrenHint : 0;
}

LRESULT Notify(HWND hwnd, UINT code, UINT action, const Node* oldNode, const Node* newNode) {
    NMTREEVIEWA notice{};
    notice.hdr = NoticeHeader(hwnd, code);
    notice.action = action;
    FillItem(oldNode, notice.itemOld);
    FillItem(newNode, notice.itemNew);
    return SendNotice(hwnd, notice.hdr);
}

LRESULT NotifyPlain(HWND hwnd, UINT code) {
    NMHDR header = NoticeHeader(hwnd, code);
    return SendNotice(hwnd, header);
}

// Whether the item shows a button: it has children, or says it will have some.
bool HasChildren(HWND hwnd, Node* node) {
    if (!node->children.empty()) {
        return true;
    }
    if (node->childrenHint != I_CHILDRENCALLBACK) {
        return node->childrenHint > 0;
    }
    NMTVDISPINFOA request{};
    request.hdr = NoticeHeader(hwnd, TVN_GETDISPINFOA);
    request.item.mask = TVIF_CHILDREN;
    request.item.hItem = Handle(node);
    request.item.lParam = node->value;
    request.item.cChildren = I_CHILDRENCALLBACK;
    SendNotice(hwnd, request.hdr);
    // A parent that does not answer leaves the button, so the user can still try.
    return request.item.cChildren != 0;
}

// --- Scrolling -----------------------------------------------------------------------------------

void UpdateBar(HWND hwnd, TreeViewState& state) {
    const int count = static_cast<int>(Rows(state).size());
    const SCROLLINFO info{sizeof(SCROLLINFO),
                          SIF_RANGE | SIF_PAGE | SIF_POS,
                          0,
                          std::max(count - 1, 0),
                          static_cast<UINT>(ShownRows(hwnd, state)),
                          state.top,
                          0};
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

void SetTop(HWND hwnd, TreeViewState& state, int top) {
    const int count = static_cast<int>(Rows(state).size());
    top = std::clamp(top, 0, std::max(count - ShownRows(hwnd, state), 0));
    if (top != state.top) {
        state.top = top;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    UpdateBar(hwnd, state);
}

void Relayout(HWND hwnd, TreeViewState& state) {
    InvalidateRect(hwnd, nullptr, TRUE);
    SetTop(hwnd, state, state.top);
}

void ScrollIntoView(HWND hwnd, TreeViewState& state, const Node* node) {
    const int row = RowOf(Rows(state), node);
    const int shown = ShownRows(hwnd, state);
    if (row < 0) {
        return;
    }
    if (row < state.top) {
        SetTop(hwnd, state, row);
    } else if (row >= state.top + shown) {
        SetTop(hwnd, state, row - shown + 1);
    }
}

// --- Expanding and selecting ---------------------------------------------------------------------

bool Contains(const Node* ancestor, const Node* node) {
    for (const Node* at = node; at != nullptr; at = at->parent) {
        if (at == ancestor) {
            return true;
        }
    }
    return false;
}

bool Select(HWND hwnd, TreeViewState& state, Node* node, UINT cause);

bool Expand(HWND hwnd, TreeViewState& state, Node* node, WPARAM action, bool isByUser) {
    if (node == nullptr) {
        return false;
    }
    const bool isExpanded = IsExpanded(node);
    if (action == TVE_TOGGLE) {
        action = isExpanded ? TVE_COLLAPSE : TVE_EXPAND;
    }
    if ((action == TVE_EXPAND && isExpanded) || (action == TVE_COLLAPSE && !isExpanded)) {
        return action == TVE_EXPAND;
    }
    if (action == TVE_EXPAND && !HasChildren(hwnd, node)) {
        return false;
    }
    // Win32 reports expanding by message only the first time; the user's every time.
    const bool isReported = isByUser || action == TVE_COLLAPSE || (node->state & TVIS_EXPANDEDONCE) == 0;
    if (isReported && Notify(hwnd, TVN_ITEMEXPANDINGA, static_cast<UINT>(action), nullptr, node) != 0) {
        return false;
    }
    if (Find(state, Handle(node)) != node) {
        return false; // deleted by the parent meanwhile
    }
    if (action == TVE_EXPAND) {
        node->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        if (node->children.empty()) {
            // Nothing came: the item has no children after all and loses its button.
            node->state &= ~TVIS_EXPANDED;
            node->childrenHint = 0;
        }
    } else {
        node->state &= ~TVIS_EXPANDED;
        if (state.selected != nullptr && state.selected != node && Contains(node, state.selected)) {
            Select(hwnd, state, node, TVC_UNKNOWN);
        }
    }
    Relayout(hwnd, state);
    if (isReported) {
        Notify(hwnd, TVN_ITEMEXPANDEDA, static_cast<UINT>(action), nullptr, node);
    }
    return true;
}

void RevealAncestors(HWND hwnd, TreeViewState& state, const Node* node) {
    std::vector<Node*> ancestors;
    for (Node* at = node->parent; at != nullptr; at = at->parent) {
        ancestors.push_back(at);
    }
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        Expand(hwnd, state, *it, TVE_EXPAND, false);
    }
}

bool Select(HWND hwnd, TreeViewState& state, Node* node, UINT cause) {
    if (node == state.selected) {
        if (node != nullptr) {
            ScrollIntoView(hwnd, state, node);
        }
        return true;
    }
    if (Notify(hwnd, TVN_SELCHANGINGA, cause, state.selected, node) != 0) {
        return false;
    }
    Node* previous = state.selected;
    if (previous != nullptr) {
        previous->state &= ~TVIS_SELECTED;
    }
    state.selected = node;
    if (node != nullptr) {
        node->state |= TVIS_SELECTED;
        RevealAncestors(hwnd, state, node);
        ScrollIntoView(hwnd, state, node);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, TVN_SELCHANGEDA, cause, previous, node);
    return true;
}

// --- Items ---------------------------------------------------------------------------------------

int CompareFolded(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x - y;
        }
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

void ApplyItem(Node& node, const TVITEMA& item) {
    if ((item.mask & TVIF_TEXT) && item.pszText != nullptr) {
        node.text = item.pszText;
    }
    if (item.mask & TVIF_PARAM) {
        node.value = item.lParam;
    }
    if (item.mask & TVIF_CHILDREN) {
        node.childrenHint = item.cChildren;
    }
    if (item.mask & TVIF_STATE) {
        const UINT kept = TVIS_EXPANDED | TVIS_EXPANDEDONCE | TVIS_BOLD;
        const UINT mask = item.stateMask & kept;
        node.state = (node.state & ~mask) | (item.state & mask);
    }
}

LRESULT Insert(HWND hwnd, TreeViewState& state, const TVINSERTSTRUCTA* insert) {
    if (insert == nullptr) {
        return 0;
    }
    Node* parent = nullptr;
    if (insert->hParent != nullptr && insert->hParent != TVI_ROOT) {
        parent = Find(state, insert->hParent);
        if (parent == nullptr) {
            return 0;
        }
    }
    auto owned = std::make_unique<Node>();
    Node* node = owned.get();
    node->parent = parent;
    ApplyItem(*node, insert->item);
    std::vector<Node*>& siblings = parent ? parent->children : state.roots;
    auto at = siblings.end();
    if (insert->hInsertAfter == TVI_FIRST) {
        at = siblings.begin();
    } else if (insert->hInsertAfter == TVI_SORT) {
        at = std::find_if(siblings.begin(), siblings.end(),
                          [&](const Node* other) { return CompareFolded(other->text, node->text) > 0; });
    } else if (insert->hInsertAfter != TVI_LAST) {
        auto after =
            std::find(siblings.begin(), siblings.end(), reinterpret_cast<Node*>(insert->hInsertAfter));
        at = after == siblings.end() ? siblings.end() : after + 1;
    }
    siblings.insert(at, node);
    state.nodes.emplace(Handle(node), std::move(owned));
    Relayout(hwnd, state);
    return reinterpret_cast<LRESULT>(Handle(node));
}

void CollectSubtree(Node* node, std::vector<Node*>& out) {
    out.push_back(node);
    for (Node* child : node->children) {
        CollectSubtree(child, out);
    }
}

// Where the selection goes when the item that holds it (or one of its ancestors) is deleted: the
// next sibling, else the parent, else (for a top-level item) the previous sibling.
Node* SelectionAfterDeleting(TreeViewState& state, Node* node) {
    if (state.selected == nullptr || !Contains(node, state.selected)) {
        return nullptr;
    }
    const std::vector<Node*>& siblings = SiblingsOf(state, node);
    auto at = std::find(siblings.begin(), siblings.end(), node);
    if (at + 1 < siblings.end()) {
        return *(at + 1);
    }
    if (node->parent != nullptr) {
        return node->parent;
    }
    return at > siblings.begin() ? *(at - 1) : nullptr;
}

LRESULT Delete(HWND hwnd, TreeViewState& state, HTREEITEM item) {
    std::vector<Node*> doomed;
    Node* successor = nullptr;
    if (item == nullptr || item == TVI_ROOT) {
        for (Node* root : state.roots) {
            CollectSubtree(root, doomed);
        }
        state.roots.clear();
    } else {
        Node* node = Find(state, item);
        if (node == nullptr) {
            return FALSE;
        }
        successor = SelectionAfterDeleting(state, node);
        CollectSubtree(node, doomed);
        std::erase(SiblingsOf(state, node), node);
        if (node->parent != nullptr && node->parent->children.empty()) {
            node->parent->state &= ~TVIS_EXPANDED;
        }
    }
    for (Node* node : doomed) {
        if (node == state.selected) {
            state.selected = nullptr;
        }
        Notify(hwnd, TVN_DELETEITEMA, 0, node, nullptr);
    }
    for (Node* node : doomed) {
        state.nodes.erase(Handle(node));
    }
    Relayout(hwnd, state);
    // The deleted item is gone by now, so the change is reported as one from no selection. The
    // parent may have selected something itself while it heard of the deletion; that stands.
    if (successor != nullptr && state.selected == nullptr && Find(state, Handle(successor)) == successor) {
        Select(hwnd, state, successor, TVC_UNKNOWN);
    }
    return TRUE;
}

LRESULT GetItem(HWND hwnd, TreeViewState& state, TVITEMA* item) {
    Node* node = item ? Find(state, item->hItem) : nullptr;
    if (node == nullptr) {
        return FALSE;
    }
    if ((item->mask & TVIF_TEXT) && item->pszText != nullptr && item->cchTextMax > 0) {
        const size_t length = std::min(node->text.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::memcpy(item->pszText, node->text.data(), length);
        item->pszText[length] = '\0';
    }
    if (item->mask & TVIF_PARAM) {
        item->lParam = node->value;
    }
    if (item->mask & TVIF_CHILDREN) {
        item->cChildren = node->childrenHint == I_CHILDRENCALLBACK
                              ? (HasChildren(hwnd, node) ? 1 : 0)
                              : (node->children.empty() ? node->childrenHint : 1);
    }
    if (item->mask & TVIF_STATE) {
        item->state = node->state & item->stateMask;
    }
    return TRUE;
}

LRESULT NextItem(TreeViewState& state, WPARAM code, HTREEITEM item) {
    Node* node = Find(state, item);
    const auto result = [](const Node* found) {
        return reinterpret_cast<LRESULT>(found ? Handle(found) : nullptr);
    };
    switch (code) {
    case TVGN_ROOT:
        return result(state.roots.empty() ? nullptr : state.roots.front());
    case TVGN_CARET:
        return result(state.selected);
    case TVGN_CHILD:
        if (item == nullptr || item == TVI_ROOT) {
            return result(state.roots.empty() ? nullptr : state.roots.front());
        }
        return node == nullptr ? 0 : result(node->children.empty() ? nullptr : node->children.front());
    case TVGN_PARENT:
        return result(node ? node->parent : nullptr);
    case TVGN_NEXT:
    case TVGN_PREVIOUS: {
        if (node == nullptr) {
            return 0;
        }
        const std::vector<Node*>& siblings = SiblingsOf(state, node);
        auto at = std::find(siblings.begin(), siblings.end(), node);
        if (code == TVGN_NEXT) {
            return result(at + 1 < siblings.end() ? *(at + 1) : nullptr);
        }
        return result(at > siblings.begin() ? *(at - 1) : nullptr);
    }
    case TVGN_FIRSTVISIBLE: {
        const std::vector<Row> rows = Rows(state);
        return result(state.top < static_cast<int>(rows.size()) ? rows[state.top].node : nullptr);
    }
    case TVGN_NEXTVISIBLE:
    case TVGN_PREVIOUSVISIBLE: {
        const std::vector<Row> rows = Rows(state);
        const int row = RowOf(rows, node);
        const int wanted = row < 0 ? -1 : row + (code == TVGN_NEXTVISIBLE ? 1 : -1);
        return result(wanted >= 0 && wanted < static_cast<int>(rows.size()) ? rows[wanted].node : nullptr);
    }
    default:
        return 0;
    }
}

// --- Geometry and painting -----------------------------------------------------------------------

struct RowGeometry {
    RECT row;    // the whole row
    RECT button; // the plus/minus box's column
    RECT label;  // the text with its padding
};

RowGeometry Geometry(HWND hwnd, TreeViewState& state, const Row& row, int index, HDC measuring) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const int height = RowHeight(hwnd, state);
    const int top = (index - state.top) * height;
    const int level = row.depth + ((StyleOf(hwnd) & TVS_LINESATROOT) ? 1 : 0);
    const int labelLeft = level * state.indent + 2;
    SIZE extent{};
    GetTextExtentPoint32A(measuring, row.node->text.c_str(), static_cast<int>(row.node->text.size()),
                          &extent);
    RowGeometry geometry;
    geometry.row = RECT{0, top, client.right, top + height};
    geometry.button = RECT{labelLeft - state.indent, top, labelLeft, top + height};
    geometry.label = RECT{labelLeft, top, labelLeft + extent.cx + 2 * LabelPadding, top + height};
    return geometry;
}

void DottedLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour) {
    if (x1 == x2) {
        for (int y = y1; y <= y2; y += 2) {
            SetPixelV(dc, x1, y, colour);
        }
        return;
    }
    for (int x = x1; x <= x2; x += 2) {
        SetPixelV(dc, x, y1, colour);
    }
}

void DrawLines(HWND hwnd, HDC dc, const Row& row, const RowGeometry& geometry, TreeViewState& state) {
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const int middleX = (geometry.button.left + geometry.button.right) / 2;
    const int middleY = (geometry.row.top + geometry.row.bottom) / 2;
    if (row.depth == 0 && (StyleOf(hwnd) & TVS_LINESATROOT) == 0) {
        return;
    }
    DottedLine(dc, middleX, middleY, geometry.button.right - 2, middleY, grey);
    const std::vector<Node*>& siblings = SiblingsOf(state, row.node);
    const bool isFirstRoot = row.node->parent == nullptr && siblings.front() == row.node;
    const bool isLast = siblings.back() == row.node;
    DottedLine(dc, middleX, isFirstRoot ? middleY : geometry.row.top, middleX,
               isLast ? middleY : geometry.row.bottom, grey);
    // The lines of the ancestors that continue below this row.
    int x = middleX;
    for (const Node* ancestor = row.node->parent; ancestor != nullptr; ancestor = ancestor->parent) {
        x -= state.indent;
        const std::vector<Node*>& around = SiblingsOf(state, const_cast<Node*>(ancestor));
        if (around.back() != ancestor && (ancestor->parent != nullptr || (StyleOf(hwnd) & TVS_LINESATROOT))) {
            DottedLine(dc, x, geometry.row.top, x, geometry.row.bottom, grey);
        }
    }
}

void DrawButton(HDC dc, const RowGeometry& geometry, bool isExpanded) {
    const int middleX = (geometry.button.left + geometry.button.right) / 2;
    const int middleY = (geometry.row.top + geometry.row.bottom) / 2;
    const RECT box{middleX - ButtonSize / 2, middleY - ButtonSize / 2, middleX + ButtonSize / 2 + 1,
                   middleY + ButtonSize / 2 + 1};
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(dc, &box, GetSysColorBrush(COLOR_GRAYTEXT));
    const RECT across{middleX - 2, middleY, middleX + 3, middleY + 1};
    FillRect(dc, &across, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (!isExpanded) {
        const RECT down{middleX, middleY - 2, middleX + 1, middleY + 3};
        FillRect(dc, &down, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
}

void Paint(HWND hwnd, TreeViewState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, FontOf(state));
    SetBkMode(dc, TRANSPARENT);
    const bool isEnabled = IsWindowEnabled(hwnd) != FALSE;
    const std::vector<Row> rows = Rows(state);
    for (int index = state.top; index < static_cast<int>(rows.size()); ++index) {
        const Row& row = rows[index];
        const RowGeometry geometry = Geometry(hwnd, state, row, index, dc);
        if (geometry.row.top >= client.bottom) {
            break;
        }
        if (StyleOf(hwnd) & TVS_HASLINES) {
            DrawLines(hwnd, dc, row, geometry, state);
        }
        const bool showsButton =
            (StyleOf(hwnd) & TVS_HASBUTTONS) && (row.depth > 0 || (StyleOf(hwnd) & TVS_LINESATROOT));
        if (showsButton && HasChildren(hwnd, row.node)) {
            DrawButton(dc, geometry, IsExpanded(row.node));
        }
        const bool isSelected = row.node == state.selected;
        const bool isHighlighted = isSelected && state.hasFocus;
        if (isHighlighted || (isSelected && (StyleOf(hwnd) & TVS_SHOWSELALWAYS))) {
            FillRect(dc, &geometry.label, GetSysColorBrush(isHighlighted ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        }
        SetTextColor(dc, GetSysColor(!isEnabled      ? COLOR_GRAYTEXT
                                     : isHighlighted ? COLOR_HIGHLIGHTTEXT
                                                     : COLOR_WINDOWTEXT));
        RECT text = geometry.label;
        DrawTextA(dc, row.node->text.c_str(), static_cast<int>(row.node->text.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        if (isHighlighted) {
            DrawFocusRect(dc, &geometry.label);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

// Which row and part a client point is on; the row index, or -1 below the last row.
int HitTest(HWND hwnd, TreeViewState& state, POINT point, UINT& flags) {
    const std::vector<Row> rows = Rows(state);
    flags = TVHT_NOWHERE;
    if (point.y < 0) {
        return -1;
    }
    const int index = state.top + point.y / RowHeight(hwnd, state);
    if (index >= static_cast<int>(rows.size())) {
        return -1;
    }
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(state));
    const RowGeometry geometry = Geometry(hwnd, state, rows[index], index, dc);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    if (point.x >= geometry.label.left && point.x < geometry.label.right) {
        flags = TVHT_ONITEMLABEL;
    } else if (point.x >= geometry.button.left && point.x < geometry.button.right) {
        flags = TVHT_ONITEMBUTTON;
    } else {
        flags = point.x < geometry.button.left ? TVHT_ONITEMINDENT : TVHT_ONITEMRIGHT;
    }
    return index;
}

// --- Input ---------------------------------------------------------------------------------------

Node* RowNode(const TreeViewState& state, int index) {
    const std::vector<Row> rows = Rows(state);
    return index >= 0 && index < static_cast<int>(rows.size()) ? rows[index].node : nullptr;
}

void MouseDown(HWND hwnd, TreeViewState& state, LPARAM lParam, bool isDouble) {
    if (GetFocus() != hwnd) {
        SetFocus(hwnd);
    }
    UINT flags = 0;
    const int index = HitTest(hwnd, state, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, flags);
    Node* node = RowNode(state, index);
    if (node == nullptr) {
        return;
    }
    if (flags == TVHT_ONITEMBUTTON && (StyleOf(hwnd) & TVS_HASBUTTONS)) {
        Expand(hwnd, state, node, TVE_TOGGLE, true);
        return;
    }
    if (flags != TVHT_ONITEMLABEL) {
        return;
    }
    Select(hwnd, state, node, TVC_BYMOUSE);
    if (isDouble && Find(state, Handle(node)) == node && NotifyPlain(hwnd, NM_DBLCLK) == 0) {
        Expand(hwnd, state, node, TVE_TOGGLE, true);
    }
}

void KeyDown(HWND hwnd, TreeViewState& state, WPARAM key) {
    if (!IsWindowEnabled(hwnd)) {
        return;
    }
    const std::vector<Row> rows = Rows(state);
    if (rows.empty()) {
        return;
    }
    const int count = static_cast<int>(rows.size());
    const int row = std::max(RowOf(rows, state.selected), 0);
    const int page = std::max(ShownRows(hwnd, state) - 1, 1);
    Node* node = state.selected;
    switch (key) {
    case VK_UP:
        Select(hwnd, state, rows[std::max(row - 1, 0)].node, TVC_BYKEYBOARD);
        break;
    case VK_DOWN:
        Select(hwnd, state, rows[node ? std::min(row + 1, count - 1) : 0].node, TVC_BYKEYBOARD);
        break;
    case VK_PRIOR:
        Select(hwnd, state, rows[std::max(row - page, 0)].node, TVC_BYKEYBOARD);
        break;
    case VK_NEXT:
        Select(hwnd, state, rows[std::min(row + page, count - 1)].node, TVC_BYKEYBOARD);
        break;
    case VK_HOME:
        Select(hwnd, state, rows.front().node, TVC_BYKEYBOARD);
        break;
    case VK_END:
        Select(hwnd, state, rows.back().node, TVC_BYKEYBOARD);
        break;
    case VK_LEFT:
        if (node != nullptr && IsExpanded(node)) {
            Expand(hwnd, state, node, TVE_COLLAPSE, true);
        } else if (node != nullptr && node->parent != nullptr) {
            Select(hwnd, state, node->parent, TVC_BYKEYBOARD);
        }
        break;
    case VK_RIGHT:
        if (node != nullptr && !IsExpanded(node)) {
            Expand(hwnd, state, node, TVE_EXPAND, true);
        } else if (node != nullptr && !node->children.empty()) {
            Select(hwnd, state, node->children.front(), TVC_BYKEYBOARD);
        }
        break;
    case VK_ADD:
        Expand(hwnd, state, node, TVE_EXPAND, true);
        break;
    case VK_SUBTRACT:
        Expand(hwnd, state, node, TVE_COLLAPSE, true);
        break;
    default:
        break;
    }
}

void Character(HWND hwnd, TreeViewState& state, WPARAM character) {
    if (!IsWindowEnabled(hwnd) || state.selected == nullptr) {
        return;
    }
    // The main keyboard's '+' and '-' act as the keypad's.
    if (character == '+') {
        Expand(hwnd, state, state.selected, TVE_EXPAND, true);
    } else if (character == '-') {
        Expand(hwnd, state, state.selected, TVE_COLLAPSE, true);
    }
}

void Scroll(HWND hwnd, TreeViewState& state, WPARAM wParam) {
    const int page = std::max(ShownRows(hwnd, state) - 1, 1);
    if (const auto top = ScrolledTop(wParam, state.top, page, static_cast<int>(Rows(state).size()))) {
        SetTop(hwnd, state, *top);
    }
}

void FocusChanged(HWND hwnd, TreeViewState& state, bool hasFocus) {
    state.hasFocus = hasFocus;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyPlain(hwnd, hasFocus ? NM_SETFOCUS : NM_KILLFOCUS);
}

LRESULT ItemRect(HWND hwnd, TreeViewState& state, WPARAM isTextOnly, RECT* rect) {
    if (rect == nullptr) {
        return FALSE;
    }
    HTREEITEM item = nullptr;
    std::memcpy(&item, rect, sizeof item); // the rectangle brings the item's handle in
    const Node* node = Find(state, item);
    const std::vector<Row> rows = Rows(state);
    const int index = RowOf(rows, node);
    if (node == nullptr || index < 0) {
        return FALSE;
    }
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(state));
    const RowGeometry geometry = Geometry(hwnd, state, rows[index], index, dc);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    *rect = isTextOnly ? geometry.label : geometry.row;
    return TRUE;
}

LRESULT TreeMessage(HWND hwnd, TreeViewState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto item = reinterpret_cast<HTREEITEM>(lParam);
    switch (message) {
    case TVM_INSERTITEMA:
        return Insert(hwnd, state, reinterpret_cast<const TVINSERTSTRUCTA*>(lParam));
    case TVM_DELETEITEM:
        return Delete(hwnd, state, item);
    case TVM_EXPAND:
        return Expand(hwnd, state, Find(state, item), wParam & TVE_TOGGLE, false) ? TRUE : FALSE;
    case TVM_SELECTITEM:
        if (wParam == TVGN_CARET) {
            Node* node = Find(state, item);
            return (node != nullptr || item == nullptr) && Select(hwnd, state, node, TVC_UNKNOWN) ? TRUE
                                                                                                  : FALSE;
        }
        if (wParam == TVGN_FIRSTVISIBLE) {
            const int row = RowOf(Rows(state), Find(state, item));
            if (row >= 0) {
                SetTop(hwnd, state, row);
            }
            return row >= 0 ? TRUE : FALSE;
        }
        return FALSE;
    case TVM_GETNEXTITEM:
        return NextItem(state, wParam, item);
    case TVM_GETITEMA:
        return GetItem(hwnd, state, reinterpret_cast<TVITEMA*>(lParam));
    case TVM_SETITEMA: {
        auto* changed = reinterpret_cast<const TVITEMA*>(lParam);
        Node* node = changed ? Find(state, changed->hItem) : nullptr;
        if (node == nullptr) {
            return FALSE;
        }
        ApplyItem(*node, *changed);
        Relayout(hwnd, state);
        return TRUE;
    }
    case TVM_GETCOUNT:
        return static_cast<LRESULT>(state.nodes.size());
    case TVM_ENSUREVISIBLE: {
        Node* node = Find(state, item);
        if (node == nullptr) {
            return FALSE;
        }
        RevealAncestors(hwnd, state, node);
        ScrollIntoView(hwnd, state, node);
        return TRUE;
    }
    case TVM_GETVISIBLECOUNT:
        return ShownRows(hwnd, state);
    case TVM_GETINDENT:
        return state.indent;
    case TVM_SETINDENT:
        state.indent = std::max(static_cast<int>(wParam), ButtonSize + 4);
        Relayout(hwnd, state);
        return 0;
    case TVM_GETITEMRECT:
        return ItemRect(hwnd, state, wParam, reinterpret_cast<RECT*>(lParam));
    case TVM_HITTEST: {
        auto* info = reinterpret_cast<TVHITTESTINFO*>(lParam);
        if (info == nullptr) {
            return 0;
        }
        const Node* node = RowNode(state, HitTest(hwnd, state, info->pt, info->flags));
        info->hItem = node ? Handle(node) : nullptr;
        return reinterpret_cast<LRESULT>(info->hItem);
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

LRESULT TreeViewProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        MakeState<TreeViewState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    TreeViewState* state = State(hwnd);
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        DropState<TreeViewState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_DESTROY:
        Delete(hwnd, *state, TVI_ROOT);
        return 0;
    case WM_SIZE:
        SetTop(hwnd, *state, state->top);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd, *state);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        Relayout(hwnd, *state);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged(hwnd, *state, message == WM_SETFOCUS);
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, *state, wParam);
        return 0;
    case WM_CHAR:
        Character(hwnd, *state, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(hwnd, *state, lParam, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEWHEEL:
        SetTop(hwnd, *state, state->top - static_cast<SHORT>(HIWORD(wParam)) / 120 * WheelLines);
        return 0;
    case WM_VSCROLL:
        if (lParam == 0) {
            Scroll(hwnd, *state, wParam);
        }
        return 0;
    default:
        return TreeMessage(hwnd, *state, message, wParam, lParam);
    }
}

} // namespace platform::user

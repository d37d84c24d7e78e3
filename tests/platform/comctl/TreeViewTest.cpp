#include "support/ControlSupport.h"

#include <cstring>
#include <string>

namespace {

using testhooks::ClickAt;
using testhooks::PressKey;
using testsupport::Notice;

class UserTreeView : public testsupport::HostedControls {
protected:
    void SetUp() override {
        HostedControls::SetUp();
        tree = Create(WC_TREEVIEWA, "", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | WS_TABSTOP, 10, 10,
                      200, 120, 1232, WS_EX_CLIENTEDGE);
    }
    HTREEITEM Insert(HTREEITEM parent, const char* text, int children = 0, HTREEITEM after = TVI_LAST,
                     LPARAM value = 0) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_PARAM;
        insert.item.pszText = const_cast<char*>(text);
        insert.item.cChildren = children;
        insert.item.lParam = value;
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    HTREEITEM Next(WPARAM code, HTREEITEM item = nullptr) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    std::string Text(HTREEITEM item) {
        char text[64] = {};
        TVITEMA query{};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        return SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)) ? text : "<none>";
    }
    UINT StateOf(HTREEITEM item) {
        TVITEMA query{};
        query.mask = TVIF_STATE;
        query.hItem = item;
        query.stateMask = 0xFF;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        return query.state;
    }
    RECT Label(HTREEITEM item) {
        RECT rect{};
        std::memcpy(&rect, &item, sizeof item); // the item goes in, as Win32 asks
        EXPECT_TRUE(SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
        return rect;
    }
    POINT OnLabel(HTREEITEM item) {
        const RECT rect = Label(item);
        return POINT{rect.left + 3, (rect.top + rect.bottom) / 2};
    }
    POINT OnButton(HTREEITEM item) {
        const RECT rect = Label(item);
        const int indent = static_cast<int>(SendMessageA(tree, TVM_GETINDENT, 0, 0));
        return POINT{rect.left - indent / 2, (rect.top + rect.bottom) / 2};
    }
    // The tree's notification codes since the last call.
    std::vector<int> Notes() {
        std::vector<int> codes;
        for (const Notice& notice : Take(WM_NOTIFY)) {
            if (notice.code != static_cast<int>(TVN_GETDISPINFOA)) {
                codes.push_back(notice.code);
            }
        }
        return codes;
    }
    // Gives every item that is expanded for the first time two children, as the folder chooser
    // reads a folder when it is opened.
    static void FillOnExpand() {
        testsupport::NotifyAnswer() = [](const NMHDR& header) -> LRESULT {
            if (header.code != TVN_ITEMEXPANDINGA) {
                return 0;
            }
            const auto& notice = reinterpret_cast<const NMTREEVIEWA&>(header);
            if (notice.action != TVE_EXPAND || (notice.itemNew.state & TVIS_EXPANDEDONCE)) {
                return 0;
            }
            for (const char* name : {"beta", "alpha"}) {
                TVINSERTSTRUCTA insert{};
                insert.hParent = notice.itemNew.hItem;
                insert.hInsertAfter = TVI_SORT;
                insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
                insert.item.pszText = const_cast<char*>(name);
                insert.item.cChildren = 1;
                SendMessageA(header.hwndFrom, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
            }
            return 0;
        };
    }
    HWND tree = nullptr;
};

const int SelChanging = static_cast<int>(TVN_SELCHANGINGA);
const int SelChanged = static_cast<int>(TVN_SELCHANGEDA);
const int Expanding = static_cast<int>(TVN_ITEMEXPANDINGA);
const int Expanded = static_cast<int>(TVN_ITEMEXPANDEDA);

TEST_F(UserTreeView, ItemsKeepTheirPlaceAndValueAndCanBeWalked) {
    HTREEITEM root = Insert(TVI_ROOT, "/", 0, TVI_LAST, 11);
    HTREEITEM home = Insert(TVI_ROOT, "home", 0, TVI_LAST, 12);
    HTREEITEM first = Insert(TVI_ROOT, "first", 0, TVI_FIRST);
    HTREEITEM usr = Insert(root, "usr", 0, TVI_SORT);
    HTREEITEM etc = Insert(root, "ETC", 0, TVI_SORT);
    HTREEITEM var = Insert(root, "var", 0, TVI_SORT);
    EXPECT_EQ(Next(TVGN_ROOT), first);
    EXPECT_EQ(Next(TVGN_NEXT, first), root);
    EXPECT_EQ(Next(TVGN_NEXT, root), home);
    EXPECT_EQ(Next(TVGN_NEXT, home), nullptr);
    EXPECT_EQ(Next(TVGN_PREVIOUS, root), first);
    EXPECT_EQ(Next(TVGN_CHILD, root), etc) << "sorted with case folded";
    EXPECT_EQ(Next(TVGN_NEXT, etc), usr);
    EXPECT_EQ(Next(TVGN_NEXT, usr), var);
    EXPECT_EQ(Next(TVGN_PARENT, var), root);
    EXPECT_EQ(Next(TVGN_PARENT, root), nullptr);
    EXPECT_EQ(Next(TVGN_CARET), nullptr);
    EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 6);
    TVITEMA query{};
    query.mask = TVIF_PARAM;
    query.hItem = home;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    EXPECT_EQ(query.lParam, 12);
    TVITEMA change{};
    change.mask = TVIF_TEXT;
    change.hItem = home;
    change.pszText = const_cast<char*>("Home");
    SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(Text(home), "Home");
    Take();
    EXPECT_TRUE(SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(root)));
    EXPECT_EQ(Notes(), (std::vector<int>(4, static_cast<int>(TVN_DELETEITEMA))))
        << "the item and its three children";
    EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(usr), "<none>") << "a deleted item's handle is no longer valid";
    EXPECT_EQ(Next(TVGN_NEXT, first), home);
}

TEST_F(UserTreeView, ChildrenComeWhenAnItemIsFirstExpanded) {
    FillOnExpand();
    HTREEITEM root = Insert(TVI_ROOT, "/", 1);
    EXPECT_EQ(Next(TVGN_CHILD, root), nullptr) << "nothing until it is opened";
    EXPECT_TRUE(SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root)));
    EXPECT_EQ(Notes(), (std::vector<int>{Expanding, Expanded}));
    EXPECT_EQ(StateOf(root) & (TVIS_EXPANDED | TVIS_EXPANDEDONCE), TVIS_EXPANDED | TVIS_EXPANDEDONCE);
    HTREEITEM alpha = Next(TVGN_CHILD, root);
    EXPECT_EQ(Text(alpha), "alpha");
    EXPECT_EQ(Text(Next(TVGN_NEXT, alpha)), "beta");
    EXPECT_TRUE(SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root)));
    EXPECT_TRUE(SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root)));
    EXPECT_EQ(Notes(), (std::vector<int>{Expanding, Expanded}))
        << "expanding again by message is not reported";
    testsupport::NotifyAnswer() = nullptr;
    HTREEITEM empty = Insert(TVI_ROOT, "empty", 1);
    EXPECT_TRUE(SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(empty)));
    TVITEMA query{};
    query.mask = TVIF_CHILDREN;
    query.hItem = empty;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
    EXPECT_EQ(query.cChildren, 0) << "an item that opened empty loses its button";
    EXPECT_FALSE(SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(empty)));
    HTREEITEM asking = Insert(TVI_ROOT, "asking", I_CHILDRENCALLBACK);
    testsupport::NotifyAnswer() = [](const NMHDR& header) -> LRESULT {
        if (header.code == TVN_GETDISPINFOA) {
            const_cast<NMTVDISPINFOA&>(reinterpret_cast<const NMTVDISPINFOA&>(header)).item.cChildren = 0;
        }
        return header.code == TVN_ITEMEXPANDINGA ? TRUE : 0;
    };
    Take();
    EXPECT_FALSE(SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(asking)))
        << "the parent says the item has no children";
    HTREEITEM refused = Insert(TVI_ROOT, "refused", 1);
    EXPECT_FALSE(SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(refused)));
    EXPECT_EQ(StateOf(refused) & TVIS_EXPANDED, 0u) << "TVN_ITEMEXPANDINGA answered TRUE";
}

TEST_F(UserTreeView, SelectionIsAskedForThenReported) {
    FillOnExpand();
    HTREEITEM root = Insert(TVI_ROOT, "/", 1);
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    HTREEITEM alpha = Next(TVGN_CHILD, root);
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(alpha));
    HTREEITEM deep = Next(TVGN_NEXT, Next(TVGN_CHILD, alpha));
    SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
    Take();
    EXPECT_TRUE(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(deep)));
    EXPECT_EQ(Next(TVGN_CARET), deep);
    EXPECT_NE(StateOf(root) & TVIS_EXPANDED, 0u) << "the parents open to show the selection";
    EXPECT_NE(StateOf(deep) & TVIS_SELECTED, 0u);
    EXPECT_EQ(Notes(), (std::vector<int>{SelChanging, SelChanged}));
    testsupport::NotifyAnswer() = [](const NMHDR& header) -> LRESULT {
        return header.code == TVN_SELCHANGINGA;
    };
    EXPECT_FALSE(SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root)));
    EXPECT_EQ(Next(TVGN_CARET), deep) << "a refused change";
    testsupport::NotifyAnswer() = nullptr;
    Take();
    SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(alpha));
    EXPECT_EQ(Next(TVGN_CARET), alpha) << "collapsing moves the selection up to the collapsed item";
    EXPECT_EQ(Notes(), (std::vector<int>{Expanding, SelChanging, SelChanged, Expanded}));
}

TEST_F(UserTreeView, MouseSelectsByTheLabelAndOpensByTheButtonOrADoubleClick) {
    FillOnExpand();
    HTREEITEM root = Insert(TVI_ROOT, "/", 1);
    HTREEITEM home = Insert(TVI_ROOT, "home", 1);
    ClickAt(tree, OnLabel(home));
    EXPECT_EQ(Next(TVGN_CARET), home);
    auto notices = Take(WM_NOTIFY);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0].code, static_cast<int>(NM_SETFOCUS));
    EXPECT_EQ(notices[2].code, SelChanged);
    EXPECT_EQ(notices[2].id, 1232);
    ClickAt(tree, OnButton(root));
    EXPECT_NE(StateOf(root) & TVIS_EXPANDED, 0u) << "the button opens";
    EXPECT_EQ(Next(TVGN_CARET), home) << "without selecting";
    EXPECT_EQ(Notes(), (std::vector<int>{Expanding, Expanded}));
    testhooks::DoubleClickAt(tree, OnLabel(home));
    EXPECT_NE(StateOf(home) & TVIS_EXPANDED, 0u) << "a double click opens";
    EXPECT_EQ(Notes(), (std::vector<int>{static_cast<int>(NM_DBLCLK), Expanding, Expanded}));
    ClickAt(tree, POINT{190, 100});
    EXPECT_EQ(Next(TVGN_CARET), home) << "empty space selects nothing";
}

TEST_F(UserTreeView, KeysWalkTheOutline) {
    FillOnExpand();
    HTREEITEM root = Insert(TVI_ROOT, "/", 1);
    HTREEITEM home = Insert(TVI_ROOT, "home", 1);
    SetFocus(tree);
    PressKey(tree, VK_DOWN);
    EXPECT_EQ(Next(TVGN_CARET), root) << "the first key selects the first item";
    PressKey(tree, VK_RIGHT);
    EXPECT_NE(StateOf(root) & TVIS_EXPANDED, 0u) << "Right opens";
    PressKey(tree, VK_RIGHT);
    HTREEITEM alpha = Next(TVGN_CHILD, root);
    EXPECT_EQ(Next(TVGN_CARET), alpha) << "Right again goes to the first child";
    PressKey(tree, VK_DOWN);
    EXPECT_EQ(Text(Next(TVGN_CARET)), "beta");
    PressKey(tree, VK_LEFT);
    EXPECT_EQ(Next(TVGN_CARET), root) << "Left goes to the parent";
    PressKey(tree, VK_LEFT);
    EXPECT_EQ(StateOf(root) & TVIS_EXPANDED, 0u) << "Left again closes";
    PressKey(tree, VK_END);
    EXPECT_EQ(Next(TVGN_CARET), home);
    testhooks::TypeText(tree, "+");
    EXPECT_NE(StateOf(home) & TVIS_EXPANDED, 0u);
    testhooks::TypeText(tree, "-");
    EXPECT_EQ(StateOf(home) & TVIS_EXPANDED, 0u);
    PressKey(tree, VK_HOME);
    EXPECT_EQ(Next(TVGN_CARET), root);
    int changes = 0;
    for (const Notice& notice : Take(WM_NOTIFY)) {
        changes += notice.code == SelChanged ? 1 : 0;
    }
    EXPECT_EQ(changes, 6) << "one report per move: Down, Right, Down, Left, End, Home";
    EXPECT_EQ(SendMessageA(tree, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(UserTreeView, BarAppearsWhenTheItemsDoNotFit) {
    EXPECT_EQ(GetWindowLongPtrA(tree, GWL_STYLE) & WS_VSCROLL, 0);
    HTREEITEM last = nullptr;
    for (int i = 0; i < 20; ++i) {
        last = Insert(TVI_ROOT, ("item " + std::to_string(i)).c_str());
    }
    EXPECT_NE(GetWindowLongPtrA(tree, GWL_STYLE) & WS_VSCROLL, 0);
    const int shown = static_cast<int>(SendMessageA(tree, TVM_GETVISIBLECOUNT, 0, 0));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(last));
    EXPECT_EQ(GetScrollPos(tree, SB_VERT), 20 - shown);
    EXPECT_EQ(Text(Next(TVGN_FIRSTVISIBLE)), "item " + std::to_string(20 - shown));
    SetFocus(tree);
    testhooks::TurnWheel(tree, 1);
    EXPECT_EQ(GetScrollPos(tree, SB_VERT), 20 - shown - 3);
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    EXPECT_EQ(SendMessageA(tree, TVM_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(GetWindowLongPtrA(tree, GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_F(UserTreeView, DisabledTreeIgnoresMouseAndKeys) {
    HTREEITEM root = Insert(TVI_ROOT, "/", 1);
    EnableWindow(tree, FALSE);
    ClickAt(tree, OnLabel(root));
    SendMessageA(tree, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Next(TVGN_CARET), nullptr);
    EXPECT_TRUE(Take().empty());
}

TEST_F(UserTreeView, OutlineIsDrawnWithButtonsAndTheSelection) {
    FillOnExpand();
    HTREEITEM root = Insert(TVI_ROOT, "/", 1);
    Insert(TVI_ROOT, "home", 1);
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    SetFocus(tree);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Next(TVGN_CHILD, root)));
    testhooks::PumpMessages();
    using testhooks::ClientPixel;
    const RECT label = Label(Next(TVGN_CARET));
    EXPECT_EQ(ClientPixel(tree, label.right - 2, (label.top + label.bottom) / 2),
              GetSysColor(COLOR_HIGHLIGHT));
    const POINT button = OnButton(root);
    int edges = 0;
    for (int x = button.x - 7; x <= button.x + 7; ++x) {
        edges += ClientPixel(tree, x, button.y) == GetSysColor(COLOR_GRAYTEXT) ? 1 : 0;
    }
    EXPECT_GE(edges, 2) << "the button's box crosses its row";
    testsupport::ExpectTreeAndSnapshot(host, "UserTreeView");
}

// What the host heard of selection changes: the code, the items old and new, and the cause.
struct SelectionNote {
    int code;
    HTREEITEM from;
    HTREEITEM to;
    UINT action;
};

TEST_F(UserTreeView, DeletingTheSelectionMovesItToANeighbour) {
    std::vector<SelectionNote> heard;
    bool refuses = false;
    testsupport::NotifyAnswer() = [&](const NMHDR& header) -> LRESULT {
        if (header.code == TVN_SELCHANGINGA || header.code == TVN_SELCHANGEDA) {
            const auto& notice = reinterpret_cast<const NMTREEVIEWA&>(header);
            heard.push_back(
                {static_cast<int>(header.code), notice.itemOld.hItem, notice.itemNew.hItem, notice.action});
        }
        return refuses && header.code == TVN_SELCHANGINGA ? TRUE : 0;
    };
    HTREEITEM a = Insert(TVI_ROOT, "a");
    HTREEITEM b = Insert(TVI_ROOT, "b", 1);
    HTREEITEM c = Insert(TVI_ROOT, "c");
    HTREEITEM b1 = Insert(b, "b1");
    HTREEITEM b2 = Insert(b, "b2");
    HTREEITEM b3 = Insert(b, "b3");
    SetFocus(tree);
    PressKey(tree, VK_DOWN);
    PressKey(tree, VK_DOWN);
    PressKey(tree, VK_RIGHT);
    PressKey(tree, VK_RIGHT);
    PressKey(tree, VK_DOWN);
    ASSERT_EQ(Next(TVGN_CARET), b2) << "Down, Down, Right, Right, Down";
    Take();
    heard.clear();

    EXPECT_TRUE(SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b2)));
    EXPECT_EQ(Next(TVGN_CARET), b3) << "the next sibling takes the selection";
    EXPECT_NE(StateOf(b3) & TVIS_SELECTED, 0u);
    EXPECT_EQ(Notes(), (std::vector<int>{static_cast<int>(TVN_DELETEITEMA), SelChanging, SelChanged}))
        << "the item is gone before the selection moves";
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1].from, nullptr) << "the change is from no item";
    EXPECT_EQ(heard[1].to, b3);
    EXPECT_EQ(heard[1].action, TVC_UNKNOWN);
    PressKey(tree, VK_UP);
    EXPECT_EQ(Next(TVGN_CARET), b1) << "the keys carry on from the new selection";
    PressKey(tree, VK_DOWN);

    heard.clear();
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b3));
    EXPECT_EQ(Next(TVGN_CARET), b)
        << "a last child gives the selection to its parent, not its previous sibling";
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].code, SelChanging);
    EXPECT_EQ(heard[0].to, b);

    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(c));
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(c));
    EXPECT_EQ(Next(TVGN_CARET), b) << "a last top-level item gives it to its previous sibling";

    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b1));
    Take();
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b));
    EXPECT_EQ(Next(TVGN_CARET), a) << "deleting an ancestor of the selection moves it from the ancestor";
    EXPECT_EQ(Notes(), (std::vector<int>{static_cast<int>(TVN_DELETEITEMA), static_cast<int>(TVN_DELETEITEMA),
                                         SelChanging, SelChanged}));

    HTREEITEM d = Insert(TVI_ROOT, "d");
    Take();
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(d));
    EXPECT_EQ(Next(TVGN_CARET), a) << "deleting another item leaves the selection";
    EXPECT_EQ(Notes(), (std::vector<int>{static_cast<int>(TVN_DELETEITEMA)}));

    HTREEITEM e = Insert(TVI_ROOT, "e");
    refuses = true;
    Take();
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a));
    EXPECT_EQ(Next(TVGN_CARET), nullptr) << "the parent refused the neighbour";
    EXPECT_EQ(StateOf(e) & TVIS_SELECTED, 0u);
    EXPECT_EQ(Notes(), (std::vector<int>{static_cast<int>(TVN_DELETEITEMA), SelChanging}));
    refuses = false;

    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(e));
    Take();
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(e));
    EXPECT_EQ(Next(TVGN_CARET), nullptr) << "the only item leaves no neighbour";
    EXPECT_EQ(Notes(), (std::vector<int>{static_cast<int>(TVN_DELETEITEMA)}));
    testsupport::NotifyAnswer() = nullptr;
}

TEST_F(UserTreeView, DeletingEveryItemDropsTheSelectionSilently) {
    HTREEITEM a = Insert(TVI_ROOT, "a");
    Insert(TVI_ROOT, "b");
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    Take();
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    EXPECT_EQ(Next(TVGN_CARET), nullptr);
    EXPECT_EQ(Notes(), (std::vector<int>(2, static_cast<int>(TVN_DELETEITEMA))));
}

} // namespace

#pragma once

#include "framework/Colour.h"
#include "framework/MessageRecord.h"
#include "framework/PointerArray.h"
#include "framework/Rect.h"
#include "framework/String.h"

#include <cstdint>

namespace framework {

class Brush;
class Canvas;
class Font;
class Layout;
class ScrollBar;

// The base of every window object: main window, dialogs and controls. An object owns its HWND
// (bound through the window's user-data word), its children, its layout, background brush, font
// and canvas. One dispatch routine turns each message into a call of one virtual operation, so a
// derived class handles a message by overriding that operation; other objects can attach handlers
// for a message, command or notification, and the most recently added is asked first.
//
// Window thread only.
class Window {
public:
    enum Kind : int { KindPlain = 0, KindControl = 1, KindCanvasFrame = 2, KindDialog = 4 };

    explicit Window(Window* parent = nullptr, Layout* layout = nullptr);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    // The object bound to a window handle, or null.
    static Window* FromHandle(HWND hwnd);

    // --- Handler table -----------------------------------------------------------------------
    void AddHandler(Window* target, MessageHandler operation, UINT message, int32_t id = -1, UINT code = 0,
                    HWND control = nullptr);
    void RemoveHandler(Window* target, MessageHandler operation, UINT message, int32_t id = -1, UINT code = 0,
                       HWND control = nullptr);
    void AddCommandHandler(Window* target, MessageHandler operation, int32_t id = -1, UINT code = 0,
                           HWND control = nullptr);
    void RemoveCommandHandler(Window* target, MessageHandler operation, int32_t id = -1, UINT code = 0,
                              HWND control = nullptr);
    void AddNotifyHandler(Window* target, MessageHandler operation, int32_t id = -1, UINT code = 0,
                          HWND control = nullptr);
    void RemoveNotifyHandler(Window* target, MessageHandler operation, int32_t id = -1, UINT code = 0,
                             HWND control = nullptr);

    // --- Overridable operations ---------------------------------------------------------------
    virtual void Create() {}
    virtual LRESULT OnDestroy(MessageRecord& record);
    virtual LRESULT OnSysColorChange(MessageRecord& record) { return 0; }
    virtual LRESULT OnActivate(MessageRecord& record) { return 0; }
    virtual LRESULT OnSize(MessageRecord& record) { return 0; }
    virtual void Move(const Rect& rect, bool repaint);
    virtual LRESULT OnMove(MessageRecord& record) { return 0; }
    virtual LRESULT OnFocus(MessageRecord& record) { return 0; }
    virtual LRESULT OnClose(MessageRecord& record) { return 0; }
    virtual void Close() {}
    virtual LRESULT OnPaintDefault(MessageRecord& record) { return 0; }
    virtual LRESULT OnMouseMove(MessageRecord& record) { return 0; }
    virtual LRESULT OnButtonDown(MessageRecord& record) { return 0; }
    virtual LRESULT OnButtonUp(MessageRecord& record) { return 0; }
    virtual LRESULT OnMouseWheel(MessageRecord& record);
    virtual LRESULT OnEraseBackground(Canvas& canvas) { return 0; }
    virtual LRESULT OnEraseBkgnd(MessageRecord& record);
    virtual LRESULT OnContextMenu(MessageRecord& record) { return 0; }
    virtual LRESULT OnKeyDown(MessageRecord& record) { return 0; }
    virtual LRESULT OnChar(MessageRecord& record) { return 0; }
    virtual LRESULT OnKeyUp(MessageRecord& record) { return 0; }
    virtual Brush* OnCtlColor(MessageRecord& record) { return background; }
    virtual LRESULT OnNotify(MessageRecord& record) { return 0; }
    virtual LRESULT OnCommand(MessageRecord& record) { return 0; }
    virtual LRESULT OnMessage(MessageRecord& record) { return 0; }
    virtual LRESULT OnDeferred(MessageRecord& record) { return 0; }
    virtual LRESULT OnQuery(LPARAM argument) { return 0; }
    virtual void SetBackground(Colour colour, bool redraw);
    virtual void SetBackgroundBrush(Brush* brush, bool redraw);
    virtual int OnIdle(int active) { return 0; }
    virtual Window* NextTabStop(Window* from, bool wrap) { return nullptr; }
    virtual Window* PreviousTabStop(Window* from, bool wrap) { return nullptr; }
    virtual LRESULT Zoom(int direction, int amount) { return 0; }
    virtual void SetFont(Font* newFont, bool redraw, bool owns);
    virtual String GetText();
    virtual bool IsEnabled();
    virtual void GetClientArea(Rect& rect);
    virtual int GetToolTipText(String& out, Point point) { return 0; }
    virtual void OnPrivate(LPARAM argument) {}

    // --- Wrappers (nothing happens, 0 is returned, while there is no handle) -----------------
    HWND Handle() const { return handle; }
    Window* Parent() const { return parent; }
    int GetKind() const { return kind; }
    const String& ClassName() const { return className; }
    int32_t ChildCount() const { return children.Count(); }
    Window* Child(int32_t index) const { return children.Get<Window>(index); }
    Layout& GetLayout() { return *layout; }
    Canvas* GetCanvas() const { return canvas; }
    Font* GetFont() const { return font; }
    Brush* Background() const { return background; }

    BOOL Show(int command);
    bool IsVisible() const { return visible; }
    BOOL Enable(bool enable);
    void SetText(const char* newText);
    void SetFocus(bool includingChildren = false);
    bool HasFocus(bool includingChildren = false) const;
    void SetPosition(UINT flags, bool topmost, const Rect* rect);
    void Centre(bool onParent);
    void GetWindowArea(Rect& rect) const;
    Point ScreenToClient(Point point) const;
    Point ClientToScreen(Point point) const;
    Point GetCursorPosition() const;
    void Invalidate(const Rect* rect = nullptr, bool erase = true);
    void Update();
    void Redraw();
    BOOL Post(const MessageRecord& record) const;
    LRESULT Send(const MessageRecord& record) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    DWORD GetStyle(bool extended = false);
    void SetStyle(DWORD bits, bool extended = false);
    void SetParent(Window* newParent, bool reparentHandle, bool relayout);
    void SetWheelScrolling(bool enabled) { wheelScrolling = enabled; }
    // The scroll-bar object of the window's own bar (SB_HORZ, SB_VERT) or, for a SCROLLBAR
    // control's object, of the control itself (SB_CTL); made on first use.
    ScrollBar& Bar(int which);
    void Destroy();

    // The full dispatch of a message to this object; 0 hands the message to the fallback.
    LRESULT Dispatch(MessageRecord& record);
    // Passes a message on to every child; windowless children pass it to their own children.
    void PassToChildren(const MessageRecord& record);

    // A tooltip text as it is shown: longer than 64 characters, its first 31, "..." and its last 31.
    static String ShortenToolTip(const String& text);

    // The window procedure of windows whose class the framework registered.
    static LRESULT FrameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window procedure of standard controls adopted by an object.
    static LRESULT SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Binds the object to a window handle through its user-data word.
    void Bind(HWND hwnd);
    // Adopts an existing control: binds it and routes its messages through SubclassProcedure.
    void Subclass(HWND hwnd);
    // Registers the window's own class ("QOR:t8:n%i") and creates the window with a canvas.
    HWND CreateFrame(DWORD style, DWORD exStyle);
    void SetKind(int newKind) { kind = newKind; }
    void SetClassName(const char* name) { className = name; }
    // Gives an adopted control back to its previous procedure and forgets its handle, leaving the
    // window itself alive (its dialog destroys it).
    void Detach();
    WNDPROC PreviousProcedure() const { return previousProcedure; }
    void SetCanvas(Canvas* newCanvas);

private:
    struct HandlerRecord;

    LRESULT SearchHandlers(MessageRecord& record, int search);
    LRESULT ApplyMessageTable(MessageRecord& record);
    LRESULT HandleMoveOrSize(MessageRecord& record);
    LRESULT HandlePaint(MessageRecord& record);
    LRESULT HandleEraseBackground(MessageRecord& record);
    LRESULT HandleClose(MessageRecord& record);
    LRESULT HandleCommand(MessageRecord& record);
    LRESULT HandleNotify(MessageRecord& record);
    LRESULT HandleScroll(MessageRecord& record);
    LRESULT AnswerToolTipRequest(MessageRecord& record);
    LRESULT HandleOutOfMemory();
    void RemoveHandlerRecord(Window* target, MessageHandler operation, UINT message, int32_t id, UINT code,
                             HWND control);
    void ReplaceChildren();

    PointerArray handlers;
    Window* parent;
    String className{"UnRegistered"};
    String text;
    HWND handle = nullptr;
    Font* font = nullptr;
    bool ownsFont = false;
    bool visible = false;
    Brush* background = nullptr;
    DWORD style = 0;
    Canvas* canvas = nullptr;
    Layout* layout;
    bool wheelScrolling = false;
    ScrollBar* scrollBars[3] = {nullptr, nullptr, nullptr};
    bool isInMoveOrSize = false;
    WNDPROC previousProcedure = nullptr;
    int kind = KindPlain;
    PointerArray children;
};

} // namespace framework

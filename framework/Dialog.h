#pragma once

#include "framework/Window.h"

#include <cstdint>

namespace framework {

// Where a dialog's template comes from: a module loaded by name on first use, or the
// application's resource module when no name is given or the module cannot be loaded. Dialogs
// share one reference; the last release frees a module that was loaded.
class ResourceModule {
public:
    explicit ResourceModule(const char* name = nullptr) : name(name) {}
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;
    ~ResourceModule();

    HINSTANCE Acquire();
    void Release();
    int32_t References() const { return references; }
    bool IsLoaded() const { return isLoaded; }

private:
    String name;
    int32_t references = 0;
    HINSTANCE handle = nullptr;
    bool isLoaded = false;
};

// A dialog template: the module it lives in (null for the application's resource module) and its
// id. A negative id refers to nothing.
struct TemplateReference {
    int32_t id = -1;
    ResourceModule* module = nullptr;
};

// A dialog driven by a template from the resources. It runs modally (Create(true) returns when
// the dialog has ended) or modelessly (the dialog lives beside its owner, is disabled with it and
// hides while another application is active). On WM_INITDIALOG it binds the window to the object,
// adopts the template's font, turns "^" references in the template texts into dictionary texts
// and then calls OnInitDialog. Commands from control 1 and 2 go to OnOK and OnCancel; a zero
// answer closes the dialog through WM_CLOSE, OnClose and Close().
//
// Control objects adopt their template items from a WM_INITDIALOG handler on the dialog's handler
// table: it runs before the base processing, with record.hwnd the dialog window.
//
// Templates whose class is "QorDialogFrame" become resizable frames that paint through a canvas
// and may carry a size grip.
//
// Window thread only. The object outlives its window; its creator deletes it.
class DialogButton;

class Dialog : public Window {
public:
    enum FrameFlags : uint32_t { FrameCentre = 1, FrameAnimate = 2 };
    static constexpr const char* FrameClassName = "QorDialogFrame";
    // The size grip: drawn in the bottom-right 14 x 14 pixels, hit-tested in 16 x 16.
    static constexpr int GripDrawn = 14;
    static constexpr int GripHit = 16;

    // Without a parent the dialog becomes a child object of the application's main window.
    Dialog(Window* parent, TemplateReference reference, bool handlesOk = true, bool handlesCancel = true);
    Dialog(Window* parent, int32_t templateId, bool handlesOk = true, bool handlesCancel = true)
        : Dialog(parent, TemplateReference{templateId, nullptr}, handlesOk, handlesCancel) {}
    ~Dialog() override;

    virtual void RegisterWindowClass();
    virtual LRESULT OnInitDialogBase(MessageRecord& record);
    // Runs the dialog: modal returns when it has ended. Nothing happens when a window exists.
    virtual void Create(bool modal);
    virtual LRESULT OnInitDialog(MessageRecord& record) { return 0; }
    // A non-zero answer keeps the dialog open.
    virtual LRESULT OnOK() { return 0; }
    virtual LRESULT OnCancel() { return 0; }

    void Create() override;
    void Close() override;
    LRESULT OnMessage(MessageRecord& record) override;
    LRESULT OnEraseBackground(Canvas& canvas) override;
    Window* NextTabStop(Window* from, bool wrap) override;
    Window* PreviousTabStop(Window* from, bool wrap) override;
    // The template id as decimal text.
    String GetText() override;

    bool IsModal() const { return modal; }
    int32_t TemplateId() const { return reference.id; }
    // The explicit owner, else the application's main window unless that is this dialog.
    Window* Owner() const;
    void SetOwner(Window* owner) { explicitOwner = owner; }
    bool IsModelessWithOwner();
    bool IsFrameClass() const;
    void SetSizeGrip(bool flag, bool redraw);
    bool HasSizeGrip() const { return sizeGrip; }
    void SetFrameFlags(uint32_t flags) { frameFlags = flags; }
    // A picture tiled as the background of a frame-class dialog instead of the button face; the
    // caller keeps it.
    void SetBackgroundPicture(HBITMAP picture) { backgroundPicture = picture; }

    static Point DialogUnitsToPixels(Point point);
    // Replaces a window text that is a "^" reference known to the dictionary by the dictionary's
    // text; with children, the texts of all descendants too.
    static void TranslateTexts(HWND window, bool children);

    // The window procedure given to the dialog manager, and the one of the frame class.
    static INT_PTR DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT FrameClassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT HandleInitDialog(MessageRecord& record);
    LRESULT HandleCommand(MessageRecord& record);
    LRESULT HandleClose();
    LRESULT HitTestGrip(MessageRecord& record);
    void KeepCaptionActiveForOwner(MessageRecord& record);
    void RunModal(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parentHandle);
    void RunModeless(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parentHandle);
    void DrawSizeGrip(HDC dc, const RECT& client);
    void TileBackground(HDC dc, const RECT& client);
    // The caption animation between owner and dialog. Linux desktops have no such effect to ask
    // for, so this only marks the place where it would run.
    void AnimateCaption(bool opening) {}
    HWND OwnerHandle() const;

    void InstallOwnerFollowing();
    void RemoveOwnerFollowing();
    LRESULT OnOwnerActivate(MessageRecord& record);
    LRESULT OnOwnerActivateApp(MessageRecord& record);
    LRESULT OnOwnerEnable(MessageRecord& record);

    bool modal = false;
    bool handlesOk;
    bool handlesCancel;
    bool enabledBefore = true;
    bool visibleBefore = false;
    TemplateReference reference;
    uint32_t frameFlags = 0;
    // Children of the dialog: deleted with it.
    DialogButton* okButton = nullptr;
    DialogButton* cancelButton = nullptr;
    Window* explicitOwner = nullptr;
    Window* followedOwner = nullptr;
    HBITMAP backgroundPicture = nullptr;
    bool sizeGrip = false;
    bool shortcutsSuspended = false;
};

} // namespace framework

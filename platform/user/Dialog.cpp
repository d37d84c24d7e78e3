#include "platform/user/Dialog.h"

#include "platform/DialogResults.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/kernel/Errors.h"
#include "platform/user/Button.h"
#include "platform/user/Edit.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/Resources.h"
#include "platform/user/Windows.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

namespace {

// --- Templates -----------------------------------------------------------------------------------

struct ItemTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string className;
    std::string caption;
    int pointSize = 0;
    int weight = 0;
    bool isItalic = false;
    std::string face;
    std::vector<ItemTemplate> items;
};

// Reads the little-endian, WORD-aligned fields of a template.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* start) : base(start) {}
    WORD Word() {
        WORD value;
        std::memcpy(&value, base + offset, 2);
        offset += 2;
        return value;
    }
    DWORD Dword() {
        DWORD value;
        std::memcpy(&value, base + offset, 4);
        offset += 4;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return base[offset++]; }
    // UTF-16 to the single-byte code page: characters past 0xFF become '?'.
    std::string Text() {
        std::string text;
        for (WORD c = Word(); c != 0; c = Word()) {
            text += c <= 0xFF ? static_cast<char>(c) : '?';
        }
        return text;
    }
    // A name or an ordinal; an ordinal becomes "#n", as resource names are written.
    std::string NameOrOrdinal(bool* isOrdinal = nullptr, WORD* ordinal = nullptr) {
        const WORD first = Word();
        if (first == 0xFFFF) {
            const WORD value = Word();
            if (isOrdinal) {
                *isOrdinal = true;
                *ordinal = value;
            }
            return "#" + std::to_string(value);
        }
        offset -= 2;
        return Text();
    }
    void AlignDword() { offset = (offset + 3) & ~size_t{3}; }

private:
    const BYTE* base;
    size_t offset = 0;
};

const char* PredefinedClass(WORD ordinal) {
    switch (ordinal) {
    case 0x80:
        return "Button";
    case 0x81:
        return "Edit";
    case 0x82:
        return "Static";
    case 0x83:
        return "ListBox";
    case 0x84:
        return "ScrollBar";
    case 0x85:
        return "ComboBox";
    default:
        return "";
    }
}

// Templates come from the program's own resources or from the stand-in itself: they are trusted
// data, read in either layout (extended when the second word is 0xFFFF).
DialogTemplate ParseTemplate(const void* data) {
    TemplateReader in(static_cast<const BYTE*>(data));
    DialogTemplate dialog;
    const WORD version = in.Word();
    const WORD signature = in.Word();
    const bool isExtended = version == 1 && signature == 0xFFFF;
    if (isExtended) {
        in.Dword(); // help id
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        in = TemplateReader(static_cast<const BYTE*>(data));
        dialog.style = in.Dword();
        dialog.exStyle = in.Dword();
    }
    const WORD count = in.Word();
    dialog.x = in.Short();
    dialog.y = in.Short();
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    in.NameOrOrdinal(); // menu: dialogs of this system have none
    dialog.className = in.NameOrOrdinal();
    dialog.caption = in.Text();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        if (isExtended) {
            dialog.weight = in.Word();
            dialog.isItalic = in.Byte() != 0;
            in.Byte(); // character set
        }
        dialog.face = in.Text();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignDword();
        ItemTemplate item;
        if (isExtended) {
            in.Dword(); // help id
            item.exStyle = in.Dword();
            item.style = in.Dword();
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
        }
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = isExtended ? static_cast<int>(in.Dword()) : static_cast<short>(in.Word());
        bool isOrdinal = false;
        WORD ordinal = 0;
        item.className = in.NameOrOrdinal(&isOrdinal, &ordinal);
        if (isOrdinal) {
            item.className = PredefinedClass(ordinal);
        }
        item.text = in.NameOrOrdinal();
        const WORD extra = in.Word();
        for (WORD skip = 0; skip < extra; ++skip) {
            in.Byte();
        }
        dialog.items.push_back(std::move(item));
    }
    return dialog;
}

// --- Dialog records ------------------------------------------------------------------------------

struct DialogInfo {
    DLGPROC procedure = nullptr;
    HFONT font = nullptr;
    bool ownsFont = false;
    SIZE baseUnits{};
    int defaultId = 0;
    bool isModal = false;
    bool hasEnded = false;
    INT_PTR result = 0;
    HWND disabledOwner = nullptr;
    HWND savedFocus = nullptr;
};

std::mutex dialogsMutex;
std::map<HWND, std::shared_ptr<DialogInfo>> dialogs;

std::shared_ptr<DialogInfo> InfoOf(HWND hwnd) {
    std::lock_guard lock(dialogsMutex);
    auto found = dialogs.find(hwnd);
    return found == dialogs.end() ? nullptr : found->second;
}

// Average width of the letters (rounded as Win32 rounds it) and the height of a font.
SIZE BaseUnitsOf(HFONT font) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    GetTextExtentPoint32A(dc, letters, 52, &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    DeleteDC(dc);
    return SIZE{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

int Scale(int units, int base, int divisor) {
    return (units * base + divisor / 2) / divisor;
}

RECT PixelsOf(short x, short y, short cx, short cy, SIZE base) {
    const int left = Scale(x, base.cx, 4);
    const int top = Scale(y, base.cy, 8);
    return RECT{left, top, left + Scale(cx, base.cx, 4), top + Scale(cy, base.cy, 8)};
}

LRESULT DialogCode(HWND hwnd, const MSG* message = nullptr) {
    return SendMessageA(hwnd, WM_GETDLGCODE, message ? message->wParam : 0,
                        reinterpret_cast<LPARAM>(message));
}

bool IsPushButton(HWND hwnd) {
    return (DialogCode(hwnd) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// The direct child of the dialog that holds hwnd (hwnd itself for a control).
HWND ControlOf(HWND dialog, HWND hwnd) {
    while (hwnd != nullptr && GetParent(hwnd) != dialog) {
        if ((GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) == 0) {
            return nullptr;
        }
        hwnd = GetParent(hwnd);
    }
    return hwnd;
}

// Moves the default look to `focus` when it is a push button, else back to the default button.
void CheckDefaultButton(HWND dialog, HWND focus) {
    const bool focusIsButton = focus != nullptr && IsPushButton(focus);
    const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    HWND defaultButton =
        HIWORD(static_cast<DWORD>(defId)) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(defId)) : nullptr;
    HWND wanted = focusIsButton ? focus : defaultButton;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const LRESULT code = DialogCode(child);
        if ((code & DLGC_DEFPUSHBUTTON) && child != wanted) {
            SendMessageA(child, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        } else if ((code & DLGC_UNDEFPUSHBUTTON) && child == wanted) {
            SendMessageA(child, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        }
    }
}

// Gives a control the focus as the dialog manager does: an edit's whole text is selected.
void SetDialogFocus(HWND dialog, HWND control) {
    if (control == nullptr) {
        return;
    }
    if (DialogCode(control) & DLGC_HASSETSEL) {
        SendMessageA(control, EM_SETSEL, 0, -1);
    }
    SetFocus(control);
    CheckDefaultButton(dialog, control);
}

bool IsTabCandidate(HWND hwnd) {
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

std::vector<HWND> ChildrenOf(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// The letter a text marks with '&' ("&&" is a plain '&'), folded; 0 when none.
char MnemonicOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&') {
            if (text[i + 1] == '&') {
                ++i;
                continue;
            }
            return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
        }
    }
    return 0;
}

std::string TextOf(HWND hwnd) {
    char buffer[256] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

// Alt+letter: the next control after the focus whose text marks the letter. A label passes the
// focus to the control after it; a button is clicked (a push button) or focused and clicked.
bool HandleMnemonic(HWND dialog, char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    const std::vector<HWND> children = ChildrenOf(dialog);
    if (children.empty()) {
        return false;
    }
    HWND focus = ControlOf(dialog, GetFocus());
    size_t start = 0;
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i] == focus) {
            start = i + 1;
        }
    }
    for (size_t step = 0; step < children.size(); ++step) {
        HWND child = children[(start + step) % children.size()];
        const LRESULT code = DialogCode(child);
        if (!IsTabCandidate(child) || MnemonicOf(TextOf(child)) != letter) {
            continue;
        }
        if (code & DLGC_STATIC) {
            for (HWND next = GetWindow(child, GW_HWNDNEXT); next != nullptr;
                 next = GetWindow(next, GW_HWNDNEXT)) {
                if (IsTabCandidate(next) && !(DialogCode(next) & DLGC_STATIC)) {
                    SetDialogFocus(dialog, next);
                    return true;
                }
            }
            return true;
        }
        if (code & DLGC_BUTTON) {
            if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
                SetDialogFocus(dialog, child);
            }
            SendMessageA(child, BM_CLICK, 0, 0);
            return true;
        }
        SetDialogFocus(dialog, child);
        return true;
    }
    return false;
}

void ClickCommand(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr || IsWindowEnabled(control)) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }
}

void PressEnter(HWND dialog) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus) && IsPushButton(focus)) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(focus)), BN_CLICKED),
                     reinterpret_cast<LPARAM>(focus));
        return;
    }
    const LRESULT defId = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    ClickCommand(dialog, HIWORD(static_cast<DWORD>(defId)) == DC_HASDEFID ? LOWORD(defId) : IDOK);
}

// Arrow keys move within the focus's group; an automatic radio button reached so is clicked.
void MoveInGroup(HWND dialog, bool isBackward) {
    HWND focus = ControlOf(dialog, GetFocus());
    HWND next = GetNextDlgGroupItem(dialog, focus, isBackward ? TRUE : FALSE);
    if (next == nullptr || next == focus) {
        return;
    }
    SetDialogFocus(dialog, next);
    if (DialogCode(next) & DLGC_RADIOBUTTON) {
        const LONG type = GetWindowLongA(next, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_AUTORADIOBUTTON) {
            SendMessageA(next, BM_CLICK, 0, 0);
        }
    }
}

bool HandleKeyDown(HWND dialog, const MSG* message, LRESULT code) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (message->wParam) {
    case VK_TAB:
        if (code & DLGC_WANTTAB) {
            return false;
        }
        SendMessageA(dialog, WM_NEXTDLGCTL, shift ? 1 : 0, FALSE);
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (code & DLGC_WANTARROWS) {
            return false;
        }
        MoveInGroup(dialog, message->wParam == VK_LEFT || message->wParam == VK_UP);
        return true;
    case VK_ESCAPE:
    case VK_CANCEL:
        ClickCommand(dialog, IDCANCEL);
        return true;
    case VK_RETURN:
        PressEnter(dialog);
        return true;
    default:
        return false;
    }
}

// --- Creation ------------------------------------------------------------------------------------

HFONT FontOf(const DialogTemplate& dialog, bool& owns) {
    owns = false;
    if ((dialog.style & DS_SETFONT) == 0) {
        return static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    // Point sizes at 96 dots per inch, rounded, as negative (character) heights.
    const int height = -((dialog.pointSize * 96 + 36) / 72);
    HFONT font = CreateFontA(height, 0, 0, 0, dialog.weight != 0 ? dialog.weight : FW_NORMAL, dialog.isItalic,
                             0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, dialog.face.c_str());
    if (font == nullptr) {
        return static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    }
    owns = true;
    return font;
}

// Edits with a border take the sunken client edge of the 3D look.
void AdjustItemStyles(const ItemTemplate& item, DWORD& style, DWORD& exStyle) {
    style = item.style | WS_CHILD;
    exStyle = item.exStyle | WS_EX_NOPARENTNOTIFY;
    if (strcasecmp(item.className.c_str(), "Edit") == 0 && (style & WS_BORDER)) {
        style &= ~WS_BORDER;
        exStyle |= WS_EX_CLIENTEDGE;
    }
}

bool CreateControls(HWND hwnd, HINSTANCE instance, const DialogTemplate& dialog, DialogInfo& info) {
    for (const ItemTemplate& item : dialog.items) {
        const RECT rect = PixelsOf(item.x, item.y, item.cx, item.cy, info.baseUnits);
        DWORD style = 0;
        DWORD exStyle = 0;
        AdjustItemStyles(item, style, exStyle);
        HWND control =
            CreateWindowExA(exStyle, item.className.c_str(), item.text.c_str(), style, rect.left, rect.top,
                            rect.right - rect.left, rect.bottom - rect.top, hwnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
        if (control == nullptr) {
            if (dialog.style & DS_NOFAILCREATE) {
                continue;
            }
            return false;
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(info.font), FALSE);
        // The first default push button of the template is the dialog's default.
        if (info.defaultId == 0 && strcasecmp(item.className.c_str(), "Button") == 0 &&
            (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            info.defaultId = item.id;
        }
    }
    return true;
}

HWND CreateDialogWindow(HINSTANCE instance, const void* data, HWND owner, DLGPROC procedure, LPARAM param,
                        bool isModal) {
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DialogTemplate dialog = ParseTemplate(data);
    auto info = std::make_shared<DialogInfo>();
    info->procedure = procedure;
    info->isModal = isModal;
    info->font = FontOf(dialog, info->ownsFont);
    info->baseUnits = BaseUnitsOf(info->font);

    RECT rect = PixelsOf(dialog.x, dialog.y, dialog.cx, dialog.cy, info->baseUnits);
    const bool isChild = (dialog.style & WS_CHILD) != 0;
    HWND parent = owner;
    if (!isChild && owner != nullptr) {
        parent = GetAncestor(owner, GA_ROOT);
    }
    if (!isChild && !(dialog.style & DS_ABSALIGN) && parent != nullptr) {
        POINT origin{0, 0};
        ClientToScreen(parent, &origin);
        rect = RECT{rect.left + origin.x, rect.top + origin.y, rect.right + origin.x, rect.bottom + origin.y};
    }
    if (dialog.style & DS_CENTER) {
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        rect.left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        rect.top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
    }
    DWORD exStyle = dialog.exStyle;
    if (dialog.style & DS_MODALFRAME) {
        exStyle |= WS_EX_DLGMODALFRAME;
    }
    if (isChild) {
        exStyle |= WS_EX_CONTROLPARENT;
    }
    const std::string className = dialog.className.empty() ? "#32770" : dialog.className;
    // As in Win32, the dialog procedure is attached after creation: it never sees WM_CREATE.
    HWND hwnd = CreateWindowExA(exStyle, className.c_str(), dialog.caption.c_str(),
                                dialog.style & ~WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, nullptr, instance, nullptr);
    if (hwnd == nullptr) {
        if (info->ownsFont) {
            DeleteObject(info->font);
        }
        return nullptr;
    }
    {
        std::lock_guard lock(dialogsMutex);
        dialogs[hwnd] = info;
    }
    SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(procedure));
    if (dialog.style & DS_SETFONT) {
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(info->font), FALSE);
    }
    if (!CreateControls(hwnd, instance, dialog, *info)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (isModal && parent != nullptr && !isChild && IsWindowEnabled(parent)) {
        EnableWindow(parent, FALSE);
        info->disabledOwner = parent;
    }
    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    if (SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && IsWindow(hwnd)) {
        first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
        SetDialogFocus(hwnd, first);
    }
    if (!IsWindow(hwnd)) {
        return nullptr;
    }
    if (dialog.style & WS_VISIBLE) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }
    return hwnd;
}

const void* TemplateResource(HINSTANCE instance, LPCSTR name) {
    HRSRC resource = FindResourceA(instance, name, RT_DIALOG);
    return resource ? LockResource(LoadResource(instance, resource)) : nullptr;
}

// --- Default handling ----------------------------------------------------------------------------

LRESULT EraseBackground(HWND hwnd, HDC dc) {
    RECT client{};
    GetClientRect(hwnd, &client);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageA(hwnd, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

LRESULT DefaultDefId(HWND hwnd, const DialogInfo& info) {
    if (info.defaultId != 0) {
        return MAKELONG(static_cast<WORD>(info.defaultId), DC_HASDEFID);
    }
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (DialogCode(child) & DLGC_DEFPUSHBUTTON) {
            return MAKELONG(static_cast<WORD>(GetDlgCtrlID(child)), DC_HASDEFID);
        }
    }
    return 0;
}

void SetDefId(HWND hwnd, DialogInfo& info, int id) {
    HWND previous = info.defaultId != 0 ? GetDlgItem(hwnd, info.defaultId) : nullptr;
    info.defaultId = id;
    if (previous != nullptr && (DialogCode(previous) & DLGC_DEFPUSHBUTTON)) {
        SendMessageA(previous, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    HWND next = GetDlgItem(hwnd, id);
    if (next != nullptr && (DialogCode(next) & DLGC_UNDEFPUSHBUTTON)) {
        SendMessageA(next, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
}

void RestoreFocus(HWND hwnd, DialogInfo& info) {
    HWND target = info.savedFocus;
    if (target == nullptr || !IsWindow(target) || !IsChild(hwnd, target) || !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    }
    if (target != nullptr) {
        SetDialogFocus(hwnd, target);
    }
}

void SaveFocus(HWND hwnd, DialogInfo& info) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd, focus)) {
        info.savedFocus = focus;
    }
}

void NextControl(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam)) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = ControlOf(hwnd, GetFocus());
        target = GetNextDlgTabItem(hwnd, focus, wParam != 0 ? TRUE : FALSE);
    }
    SetDialogFocus(hwnd, target);
}

LRESULT DefaultDialogHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DialogInfo* info) {
    switch (message) {
    case WM_ERASEBKGND:
        return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        return reinterpret_cast<LRESULT>(
            platform::ControlColours(hwnd, reinterpret_cast<HDC>(wParam), message));
    case WM_CLOSE:
        if (HWND cancel = GetDlgItem(hwnd, IDCANCEL); cancel == nullptr || IsWindowEnabled(cancel)) {
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
        }
        return 0;
    default:
        break;
    }
    if (info == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            RestoreFocus(hwnd, *info);
        } else {
            SaveFocus(hwnd, *info);
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus(hwnd, *info);
        return 0;
    case WM_SHOWWINDOW:
        if (!wParam) {
            SaveFocus(hwnd, *info);
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case DM_GETDEFID:
        return DefaultDefId(hwnd, *info);
    case DM_SETDEFID:
        SetDefId(hwnd, *info, static_cast<int>(wParam));
        return TRUE;
    case WM_NEXTDLGCTL:
        NextControl(hwnd, wParam, lParam);
        return 0;
    case WM_SETFONT:
        info->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(info->font);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void ForgetDialog(HWND hwnd) {
    std::shared_ptr<DialogInfo> info;
    {
        std::lock_guard lock(dialogsMutex);
        auto found = dialogs.find(hwnd);
        if (found == dialogs.end()) {
            return;
        }
        info = found->second;
        dialogs.erase(found);
    }
    if (info->disabledOwner != nullptr && IsWindow(info->disabledOwner)) {
        EnableWindow(info->disabledOwner, TRUE);
    }
    if (info->ownsFont) {
        DeleteObject(info->font);
    }
}

} // namespace

// --- Public calls --------------------------------------------------------------------------------

HWND CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    return CreateDialogWindow(hInstance, lpTemplate, hWndParent, lpDialogFunc, dwInitParam, false);
}

HWND CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    return CreateDialogWindow(hInstance, TemplateResource(hInstance, lpTemplateName), hWndParent,
                              lpDialogFunc, dwInitParam, false);
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    HWND previousFocus = GetFocus();
    HWND hwnd = CreateDialogWindow(hInstance, hDialogTemplate, hWndParent, lpDialogFunc, dwInitParam, true);
    if (hwnd == nullptr) {
        return -1;
    }
    std::shared_ptr<DialogInfo> info = InfoOf(hwnd);
    // A modal dialog is shown whether or not its template asks for it.
    if (!info->hasEnded && !IsWindowVisible(hwnd)) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }
    const bool sendsIdle = (GetWindowLongA(hwnd, GWL_STYLE) & DS_NOIDLEMSG) == 0;
    MSG message{};
    while (!info->hasEnded && IsWindow(hwnd)) {
        if (sendsIdle && info->disabledOwner != nullptr &&
            !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            SendMessageA(info->disabledOwner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(hwnd));
        }
        if (!GetMessageA(&message, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(message.wParam)); // the outer loop ends too
            break;
        }
        if (!IsDialogMessageA(hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    const INT_PTR result = info->result;
    if (info->disabledOwner != nullptr && IsWindow(info->disabledOwner)) {
        EnableWindow(info->disabledOwner, TRUE);
        info->disabledOwner = nullptr;
    }
    if (IsWindow(hwnd)) {
        DestroyWindow(hwnd);
    }
    if (previousFocus != nullptr && IsWindow(previousFocus) && IsWindowEnabled(previousFocus)) {
        SetFocus(previousFocus);
    }
    return result;
}

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
    const void* data = TemplateResource(hInstance, lpTemplateName);
    if (data == nullptr) {
        return -1;
    }
    return DialogBoxIndirectParamA(hInstance, static_cast<LPCDLGTEMPLATEA>(data), hWndParent, lpDialogFunc,
                                   dwInitParam);
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
    std::shared_ptr<DialogInfo> info = InfoOf(hDlg);
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    info->hasEnded = true;
    info->result = nResult;
    // The owner is enabled before the dialog goes, so that activation can return to it.
    if (info->disabledOwner != nullptr && IsWindow(info->disabledOwner)) {
        EnableWindow(info->disabledOwner, TRUE);
        info->disabledOwner = nullptr;
    }
    ShowWindow(hDlg, SW_HIDE);
    PostMessageA(hDlg, WM_NULL, 0, 0); // wakes the modal loop
    return TRUE;
}

LRESULT DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<DialogInfo> info = InfoOf(hDlg);
    DLGPROC procedure = info ? info->procedure : nullptr;
    if (const LONG_PTR stored = GetWindowLongPtrA(hDlg, DWLP_DLGPROC); stored != 0) {
        procedure = reinterpret_cast<DLGPROC>(stored);
    }
    if (Msg == WM_NCDESTROY) {
        if (procedure != nullptr) {
            procedure(hDlg, Msg, wParam, lParam);
        }
        ForgetDialog(hDlg);
        return DefWindowProcA(hDlg, Msg, wParam, lParam);
    }
    INT_PTR result = 0;
    if (procedure != nullptr) {
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, 0);
        result = procedure(hDlg, Msg, wParam, lParam);
    }
    if (result == 0 && IsWindow(hDlg)) {
        return DefaultDialogHandling(hDlg, Msg, wParam, lParam, info.get());
    }
    if (platform::DialogProcAnswersDirectly(Msg)) {
        return result;
    }
    return IsWindow(hDlg) ? GetWindowLongPtrA(hDlg, DWLP_MSGRESULT) : 0;
}

BOOL IsDialogMessageA(HWND hDlg, LPMSG lpMsg) {
    if (lpMsg == nullptr || hDlg == nullptr || (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd))) {
        return FALSE;
    }
    const UINT message = lpMsg->message;
    if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_SYSCHAR) {
        const LRESULT code = DialogCode(lpMsg->hwnd, lpMsg);
        if ((code & DLGC_WANTMESSAGE) == 0) {
            if (message == WM_KEYDOWN && HandleKeyDown(hDlg, lpMsg, code)) {
                return TRUE;
            }
            const bool isMnemonic = message == WM_SYSCHAR || (message == WM_CHAR && !(code & DLGC_WANTCHARS));
            if (isMnemonic && HandleMnemonic(hDlg, static_cast<char>(lpMsg->wParam))) {
                return TRUE;
            }
        }
    }
    TranslateMessage(lpMsg);
    DispatchMessageA(lpMsg);
    return TRUE;
}

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    const std::vector<HWND> children = ChildrenOf(hDlg);
    const size_t count = children.size();
    if (count == 0) {
        return nullptr;
    }
    size_t start = bPrevious ? count - 1 : 0;
    bool hasStart = false;
    for (size_t i = 0; i < count && hCtl != nullptr; ++i) {
        if (children[i] == hCtl) {
            start = bPrevious ? (i + count - 1) % count : (i + 1) % count;
            hasStart = true;
        }
    }
    for (size_t step = 0; step < count; ++step) {
        const size_t index = bPrevious ? (start + count - step) % count : (start + step) % count;
        HWND child = children[index];
        if (IsTabCandidate(child) && (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP)) {
            return child;
        }
    }
    return hasStart ? hCtl : nullptr;
}

HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
    const std::vector<HWND> children = ChildrenOf(hDlg);
    size_t at = children.size();
    for (size_t i = 0; i < children.size(); ++i) {
        if (children[i] == hCtl) {
            at = i;
        }
    }
    if (at == children.size()) {
        return GetNextDlgTabItem(hDlg, nullptr, bPrevious);
    }
    // The group runs from the last WS_GROUP control at or before hCtl to the next one.
    size_t first = at;
    while (first > 0 && !(GetWindowLongA(children[first], GWL_STYLE) & WS_GROUP)) {
        --first;
    }
    size_t end = at + 1;
    while (end < children.size() && !(GetWindowLongA(children[end], GWL_STYLE) & WS_GROUP)) {
        ++end;
    }
    const size_t size = end - first;
    for (size_t step = 1; step < size; ++step) {
        const size_t offset = bPrevious ? (at - first + size - step) % size : (at - first + step) % size;
        HWND candidate = children[first + offset];
        if (IsTabCandidate(candidate)) {
            return candidate;
        }
    }
    return hCtl;
}

LONG GetDialogBaseUnits() {
    static const SIZE units = BaseUnitsOf(static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    return MAKELONG(static_cast<WORD>(units.cx), static_cast<WORD>(units.cy));
}

BOOL MapDialogRect(HWND hDlg, LPRECT lpRect) {
    std::shared_ptr<DialogInfo> info = InfoOf(hDlg);
    if (info == nullptr || lpRect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    lpRect->left = Scale(lpRect->left, info->baseUnits.cx, 4);
    lpRect->right = Scale(lpRect->right, info->baseUnits.cx, 4);
    lpRect->top = Scale(lpRect->top, info->baseUnits.cy, 8);
    lpRect->bottom = Scale(lpRect->bottom, info->baseUnits.cy, 8);
    return TRUE;
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SetWindowTextA(item, lpString) : FALSE;
}

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    if (item == nullptr) {
        if (lpString != nullptr && cchMax > 0) {
            lpString[0] = '\0';
        }
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
    char text[16];
    if (bSigned) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(uValue));
    } else {
        std::snprintf(text, sizeof text, "%u", uValue);
    }
    return SetDlgItemTextA(hDlg, nIDDlgItem, text);
}

// Leading and trailing blanks are allowed; anything else that is not a digit (or a leading minus
// when signed) makes the text untranslated, as does a value out of range.
UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
    if (lpTranslated) {
        *lpTranslated = FALSE;
    }
    char text[64] = {};
    GetDlgItemTextA(hDlg, nIDDlgItem, text, sizeof text);
    const char* at = text;
    while (*at == ' ') {
        ++at;
    }
    const bool isNegative = bSigned && *at == '-';
    at += isNegative ? 1 : 0;
    if (!std::isdigit(static_cast<unsigned char>(*at))) {
        return 0;
    }
    unsigned long long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*at))) {
        value = value * 10 + static_cast<unsigned>(*at++ - '0');
        if (value > 0xFFFFFFFFull) {
            return 0;
        }
    }
    while (*at == ' ') {
        ++at;
    }
    if (*at != '\0' || (bSigned && value > (isNegative ? 0x80000000ull : 0x7FFFFFFFull))) {
        return 0;
    }
    if (lpTranslated) {
        *lpTranslated = TRUE;
    }
    return isNegative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    if (item == nullptr) {
        return FALSE;
    }
    SendMessageA(item, BM_SETCHECK, uCheck, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND hDlg, int nIDButton) {
    HWND item = GetDlgItem(hDlg, nIDButton);
    return item ? static_cast<UINT>(SendMessageA(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    for (int id = nIDFirstButton; id <= nIDLastButton; ++id) {
        if (HWND item = GetDlgItem(hDlg, id)) {
            SendMessageA(item, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(hDlg, nIDDlgItem);
    return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

namespace platform {

bool IsDialogWindow(HWND hwnd) {
    return InfoOf(hwnd) != nullptr;
}

HBRUSH ControlColours(HWND control, HDC dc, UINT ctlColorMessage) {
    HWND parent = GetParent(control);
    if (parent != nullptr && parent != control && (GetWindowLongA(control, GWL_STYLE) & WS_CHILD)) {
        auto answer = reinterpret_cast<HBRUSH>(SendMessageA(
            parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
        if (answer != nullptr) {
            return answer;
        }
    }
    const bool isEditLike = ctlColorMessage == WM_CTLCOLOREDIT || ctlColorMessage == WM_CTLCOLORLISTBOX;
    const int background = isEditLike ? COLOR_WINDOW : COLOR_BTNFACE;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(background));
    return GetSysColorBrush(background);
}

} // namespace platform

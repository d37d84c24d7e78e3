#include "platform/comdlg/FontDialog.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/FontFamilies.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/user/Button.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Dialog.h"
#include "platform/user/DialogTemplateWriter.h"
#include "platform/user/Edit.h"
#include "platform/user/ListBox.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Messages.h"
#include "platform/user/Static.h"
#include "platform/user/Windows.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int screenDotsPerInch = 96;
constexpr int defaultPoints = 10;
constexpr int sizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr const char* sampleText = "AaBbYyZz";

struct Style {
    const char* name;
    bool isBold;
    bool isItalic;
};
constexpr Style styles[] = {
    {"Regular", false, false}, {"Italic", false, true}, {"Bold", true, false}, {"Bold Italic", true, true}};

struct NamedColour {
    const char* name;
    COLORREF colour;
};
// The sixteen colours of the classic palette.
constexpr NamedColour colours[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

struct Family {
    std::string name;
    BYTE pitchAndFamily;
};

int CollectFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM lParam) {
    reinterpret_cast<std::vector<Family>*>(lParam)->push_back({font->lfFaceName, font->lfPitchAndFamily});
    return 1;
}

std::vector<Family> InstalledFamilies() {
    std::vector<Family> families;
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(nullptr, &query, CollectFamily, reinterpret_cast<LPARAM>(&families), 0);
    return families;
}

// Win32 rounds the em height to the nearest pixel (MulDiv), so 8 points are 11 pixels.
LONG PixelHeight(int points) {
    return -((points * screenDotsPerInch + 36) / 72);
}

int PointsOf(LONG height) {
    const LONG pixels = height < 0 ? -height : height;
    return pixels == 0 ? defaultPoints
                       : static_cast<int>((pixels * 72 + screenDotsPerInch / 2) / screenDotsPerInch);
}

bool SameFolded(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string ItemText(HWND list, LRESULT index) {
    std::string text(
        static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0)) + 1, '\0');
    text.resize(static_cast<size_t>(
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

LRESULT Selection(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0);
}

} // namespace

namespace platform::comdlg {

// One run of the Font dialog over the caller's record.
class FontDialog {
public:
    explicit FontDialog(CHOOSEFONTA& record) : record(record) {}

    ~FontDialog() {
        if (sampleFont != nullptr) {
            DeleteObject(sampleFont);
        }
    }

    BOOL Run() {
        SetExtendedError(0);
        if (record.lStructSize != sizeof(CHOOSEFONTA)) {
            return Fail(CDERR_STRUCTSIZE);
        }
        if (record.lpLogFont == nullptr) {
            return Fail(CDERR_INITIALIZATION);
        }
        if ((record.Flags & CF_LIMITSIZE) && record.nSizeMax < record.nSizeMin) {
            return Fail(CFERR_MAXLESSTHANMIN);
        }
        // FIXME: hooks, custom templates, printer fonts and the script choice are not offered.
        families = InstalledFamilies();
        if (families.empty()) {
            return Fail(CFERR_NOFONTS);
        }
        StartingChoice();
        if (!RunModal(record.hInstance, Layout(), record.hwndOwner, Procedure, this)) {
            return FALSE;
        }
        Store();
        return TRUE;
    }

private:
    bool HasEffects() const { return (record.Flags & CF_EFFECTS) != 0; }

    // The caller's font with CF_INITTOLOGFONTSTRUCT, else Liberation Sans at 10 points. A face
    // that is no family of its own starts on the family it is drawn with.
    void StartingChoice() {
        choice = (record.Flags & CF_INITTOLOGFONTSTRUCT) ? *record.lpLogFont : LOGFONTA{};
        points = (record.Flags & CF_INITTOLOGFONTSTRUCT) ? PointsOf(choice.lfHeight) : defaultPoints;
        if (record.Flags & CF_LIMITSIZE) {
            points = std::clamp(points, record.nSizeMin, record.nSizeMax);
        }
        std::string face(choice.lfFaceName, strnlen(choice.lfFaceName, LF_FACESIZE));
        familyIndex = FindFamily(face);
        if (familyIndex < 0) {
            HFONT drawn = CreateFontIndirectA(&choice);
            familyIndex = FindFamily(platform::RealisedFontFamily(drawn));
            DeleteObject(drawn);
        }
        familyIndex = std::max(familyIndex, 0);
        styleIndex = (choice.lfWeight >= FW_BOLD ? 2 : 0) + (choice.lfItalic ? 1 : 0);
        if ((record.Flags & CF_USESTYLE) && record.lpszStyle != nullptr) {
            for (int i = 0; i < 4; ++i) {
                styleIndex = SameFolded(record.lpszStyle, styles[i].name) ? i : styleIndex;
            }
        }
        colour = HasEffects() ? record.rgbColors : 0;
    }

    int FindFamily(const std::string& face) const {
        for (size_t i = 0; i < families.size(); ++i) {
            if (!face.empty() && SameFolded(face, families[i].name.c_str())) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    DialogTemplateWriter Layout() const {
        DialogTemplateWriter out(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_3DLOOK,
                                 264, 174, "Font");
        using Class = DialogItemClass;
        const DWORD list = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        out.Item(Class::Static, SS_LEFT, 7, 6, 98, 9, stc1, "&Font:");
        out.Item(Class::ListBox, list, 7, 16, 98, 76, lst1, "", WS_EX_CLIENTEDGE);
        out.Item(Class::Static, SS_LEFT, 110, 6, 64, 9, stc2, "Font st&yle:");
        out.Item(Class::ListBox, list, 110, 16, 64, 76, lst2, "", WS_EX_CLIENTEDGE);
        out.Item(Class::Static, SS_LEFT, 179, 6, 32, 9, stc3, "&Size:");
        out.Item(Class::Edit, ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, 179, 16, 34, 12, edt3, "",
                 WS_EX_CLIENTEDGE);
        out.Item(Class::ListBox, list, 179, 30, 34, 62, lst3, "", WS_EX_CLIENTEDGE);
        out.Item(Class::Button, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 218, 16, 40, 14, IDOK, "OK");
        out.Item(Class::Button, BS_PUSHBUTTON | WS_TABSTOP, 218, 33, 40, 14, IDCANCEL, "Cancel");
        out.Item(Class::Button, BS_GROUPBOX | WS_GROUP, 7, 96, 98, 72, grp1, "Effects");
        out.Item(Class::Button, BS_AUTOCHECKBOX | WS_TABSTOP, 13, 108, 60, 10, chx1, "Stri&keout");
        out.Item(Class::Button, BS_AUTOCHECKBOX | WS_TABSTOP, 13, 120, 60, 10, chx2, "&Underline");
        out.Item(Class::Static, SS_LEFT, 13, 134, 40, 9, stc4, "&Colour:");
        out.Item(Class::ComboBox, CBS_DROPDOWNLIST | WS_TABSTOP, 13, 144, 86, 100, cmb4, "");
        out.Item(Class::Button, BS_GROUPBOX | WS_GROUP, 110, 96, 148, 72, grp2, "Sample");
        out.Item(Class::Static, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 116, 106, 136, 56, stc5,
                 sampleText);
        return out;
    }

    static INT_PTR Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = DialogObject<FontDialog>(hwnd, message, lParam);
        if (self != nullptr && message == WM_INITDIALOG) {
            self->Start(hwnd);
            return FALSE; // the focus is set
        }
        if (self == nullptr) {
            return FALSE;
        }
        if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == GetDlgItem(hwnd, stc5)) {
            return reinterpret_cast<INT_PTR>(self->SampleColours(reinterpret_cast<HDC>(wParam)));
        }
        if (message == WM_COMMAND) {
            self->Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }

    void Start(HWND hwnd) {
        dialog = hwnd;
        HWND familyList = GetDlgItem(dialog, lst1);
        for (const Family& family : families) {
            SendMessageA(familyList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(family.name.c_str()));
        }
        SendMessageA(familyList, LB_SETCURSEL, static_cast<WPARAM>(familyIndex), 0);
        for (const Style& style : styles) {
            SendDlgItemMessageA(dialog, lst2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(style.name));
        }
        SendDlgItemMessageA(dialog, lst2, LB_SETCURSEL, static_cast<WPARAM>(styleIndex), 0);
        for (const int size : sizes) {
            if (!(record.Flags & CF_LIMITSIZE) || (size >= record.nSizeMin && size <= record.nSizeMax)) {
                SendDlgItemMessageA(dialog, lst3, LB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(std::to_string(size).c_str()));
            }
        }
        SetDlgItemInt(dialog, edt3, static_cast<UINT>(points), FALSE);
        SelectSizeRow();
        StartEffects();
        UpdateSample();
        SetFocus(familyList);
    }

    void StartEffects() {
        HWND combo = GetDlgItem(dialog, cmb4);
        int selected = -1;
        for (const NamedColour& named : colours) {
            const auto index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(named.name));
            SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index),
                         static_cast<LPARAM>(named.colour));
            selected = named.colour == colour ? static_cast<int>(index) : selected;
        }
        if (selected < 0) {
            selected =
                static_cast<int>(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Custom")));
            SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(selected), static_cast<LPARAM>(colour));
        }
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        CheckDlgButton(dialog, chx1, choice.lfStrikeOut ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, chx2, choice.lfUnderline ? BST_CHECKED : BST_UNCHECKED);
        if (!HasEffects()) {
            for (const int id : {grp1, chx1, chx2, stc4, cmb4}) {
                ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
            }
        }
    }

    void Command(int id, int code) {
        switch (id) {
        case IDOK:
            Confirm();
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case lst1:
        case lst2:
        case chx1:
        case chx2:
            UpdateSample();
            break;
        case cmb4:
            if (code == CBN_SELCHANGE) {
                UpdateSample();
            }
            break;
        case lst3:
            if (code == LBN_SELCHANGE) {
                const LRESULT row = Selection(dialog, lst3);
                SetDlgItemTextA(dialog, edt3, ItemText(GetDlgItem(dialog, lst3), row).c_str());
            }
            break;
        case edt3:
            if (code == EN_CHANGE) {
                SizeTyped();
            }
            break;
        default:
            break;
        }
    }

    // A typed size that the list offers selects its row; any valid size shows in the sample.
    void SizeTyped() {
        BOOL isNumber = FALSE;
        const UINT typed = GetDlgItemInt(dialog, edt3, &isNumber, FALSE);
        if (isNumber && typed > 0 && typed <= 999) {
            points = static_cast<int>(typed);
            SelectSizeRow();
            UpdateSample();
        }
    }

    void SelectSizeRow() {
        const std::string text = std::to_string(points);
        const LRESULT row = SendDlgItemMessageA(dialog, lst3, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(text.c_str()));
        if (row != Selection(dialog, lst3)) {
            SendDlgItemMessageA(dialog, lst3, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        }
    }

    // The font the controls describe now.
    LOGFONTA Chosen() const {
        LOGFONTA font = choice;
        const LRESULT family = Selection(dialog, lst1);
        const Family& chosenFamily = families[static_cast<size_t>(family >= 0 ? family : familyIndex)];
        const LRESULT styleRow = Selection(dialog, lst2);
        const Style& style = styles[styleRow >= 0 ? styleRow : styleIndex];
        font.lfHeight = PixelHeight(points);
        font.lfWidth = 0;
        font.lfEscapement = 0;
        font.lfOrientation = 0;
        font.lfWeight = style.isBold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = style.isItalic ? 1 : 0;
        if (HasEffects()) {
            font.lfStrikeOut = IsDlgButtonChecked(dialog, chx1) == BST_CHECKED ? 1 : 0;
            font.lfUnderline = IsDlgButtonChecked(dialog, chx2) == BST_CHECKED ? 1 : 0;
        }
        font.lfCharSet = ANSI_CHARSET;
        font.lfOutPrecision = OUT_TT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = DEFAULT_QUALITY;
        font.lfPitchAndFamily = chosenFamily.pitchAndFamily;
        std::memset(font.lfFaceName, 0, LF_FACESIZE);
        std::memcpy(font.lfFaceName, chosenFamily.name.c_str(), chosenFamily.name.size());
        return font;
    }

    COLORREF ChosenColour() const {
        const LRESULT row = SendDlgItemMessageA(dialog, cmb4, CB_GETCURSEL, 0, 0);
        return row < 0 ? colour
                       : static_cast<COLORREF>(SendDlgItemMessageA(dialog, cmb4, CB_GETITEMDATA, row, 0));
    }

    // The sample is a static control drawn in the chosen font; the old font goes once the
    // control has the new one.
    void UpdateSample() {
        const LOGFONTA font = Chosen();
        HFONT previous = sampleFont;
        sampleFont = CreateFontIndirectA(&font);
        SendDlgItemMessageA(dialog, stc5, WM_SETFONT, reinterpret_cast<WPARAM>(sampleFont), TRUE);
        if (previous != nullptr) {
            DeleteObject(previous);
        }
    }

    HBRUSH SampleColours(HDC dc) const {
        SetTextColor(dc, HasEffects() ? ChosenColour() : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }

    // OK or Enter: the typed size must be a size within the limits.
    void Confirm() {
        BOOL isNumber = FALSE;
        const UINT typed = GetDlgItemInt(dialog, edt3, &isNumber, FALSE);
        const bool isLimited = (record.Flags & CF_LIMITSIZE) != 0;
        if (!isNumber || typed == 0 || typed > 999 ||
            (isLimited &&
             (static_cast<int>(typed) < record.nSizeMin || static_cast<int>(typed) > record.nSizeMax))) {
            const std::string text = isLimited ? "Size must be between " + std::to_string(record.nSizeMin) +
                                                     " and " + std::to_string(record.nSizeMax) + " points."
                                               : std::string("Size must be a number.");
            MessageBoxExA(dialog, text.c_str(), "Font", MB_OK | MB_ICONEXCLAMATION, 0);
            HWND edit = GetDlgItem(dialog, edt3);
            SetFocus(edit);
            SendMessageA(edit, EM_SETSEL, 0, -1);
            return;
        }
        points = static_cast<int>(typed);
        result = Chosen();
        resultColour = ChosenColour();
        const LRESULT styleRow = Selection(dialog, lst2);
        styleIndex = styleRow >= 0 ? static_cast<int>(styleRow) : styleIndex;
        EndDialog(dialog, IDOK);
    }

    void Store() {
        *record.lpLogFont = result;
        record.iPointSize = points * 10;
        const Style& style = styles[styleIndex];
        record.nFontType = static_cast<WORD>(SCREEN_FONTTYPE | (style.isBold ? BOLD_FONTTYPE : 0) |
                                             (style.isItalic ? ITALIC_FONTTYPE : 0) |
                                             (style.isBold || style.isItalic ? 0 : REGULAR_FONTTYPE));
        if (HasEffects()) {
            record.rgbColors = resultColour;
        }
        if ((record.Flags & CF_USESTYLE) && record.lpszStyle != nullptr) {
            std::strcpy(record.lpszStyle, style.name);
        }
    }

    CHOOSEFONTA& record;
    HWND dialog = nullptr;
    std::vector<Family> families;
    LOGFONTA choice{};
    LOGFONTA result{};
    int familyIndex = 0;
    int styleIndex = 0;
    int points = defaultPoints;
    COLORREF colour = 0;
    COLORREF resultColour = 0;
    HFONT sampleFont = nullptr;
};

} // namespace platform::comdlg

BOOL ChooseFontA(LPCHOOSEFONTA lpcf) {
    if (lpcf == nullptr) {
        platform::comdlg::SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    return platform::comdlg::FontDialog(*lpcf).Run();
}

#include "tools/rc/ResourceScript.h"

#include "tools/rc/ScriptLexer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>

namespace rc {

namespace {

// The named styles a script may use, with their Win32 values.
const std::map<std::string, uint32_t, std::less<>>& StyleNames() {
    static const std::map<std::string, uint32_t, std::less<>> names = {
        {"WS_OVERLAPPED", 0x00000000},
        {"WS_POPUP", 0x80000000},
        {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_EX_DLGMODALFRAME", 0x00000001},
        {"WS_EX_NOPARENTNOTIFY", 0x00000004},
        {"WS_EX_TOPMOST", 0x00000008},
        {"WS_EX_TRANSPARENT", 0x00000020},
        {"WS_EX_TOOLWINDOW", 0x00000080},
        {"WS_EX_WINDOWEDGE", 0x00000100},
        {"WS_EX_CLIENTEDGE", 0x00000200},
        {"WS_EX_CONTEXTHELP", 0x00000400},
        {"WS_EX_CONTROLPARENT", 0x00010000},
        {"WS_EX_STATICEDGE", 0x00020000},
        {"WS_EX_APPWINDOW", 0x00040000},
        {"DS_ABSALIGN", 0x01},
        {"DS_SYSMODAL", 0x02},
        {"DS_LOCALEDIT", 0x20},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_NOIDLEMSG", 0x100},
        {"DS_SETFOREGROUND", 0x200},
        {"DS_3DLOOK", 0x4},
        {"DS_FIXEDSYS", 0x8},
        {"DS_NOFAILCREATE", 0x10},
        {"DS_CONTROL", 0x400},
        {"DS_CENTER", 0x800},
        {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000},
        {"DS_SHELLFONT", 0x48},
        {"SS_LEFT", 0x0},
        {"SS_CENTER", 0x1},
        {"SS_RIGHT", 0x2},
        {"SS_ICON", 0x3},
        {"SS_BLACKRECT", 0x4},
        {"SS_GRAYRECT", 0x5},
        {"SS_WHITERECT", 0x6},
        {"SS_BLACKFRAME", 0x7},
        {"SS_GRAYFRAME", 0x8},
        {"SS_WHITEFRAME", 0x9},
        {"SS_SIMPLE", 0xB},
        {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_OWNERDRAW", 0xD},
        {"SS_BITMAP", 0xE},
        {"SS_ETCHEDHORZ", 0x10},
        {"SS_ETCHEDVERT", 0x11},
        {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80},
        {"SS_NOTIFY", 0x100},
        {"SS_CENTERIMAGE", 0x200},
        {"SS_REALSIZEIMAGE", 0x800},
        {"SS_SUNKEN", 0x1000},
        {"SS_ENDELLIPSIS", 0x4000},
        {"SS_PATHELLIPSIS", 0x8000},
        {"BS_PUSHBUTTON", 0x0},
        {"BS_DEFPUSHBUTTON", 0x1},
        {"BS_CHECKBOX", 0x2},
        {"BS_AUTOCHECKBOX", 0x3},
        {"BS_RADIOBUTTON", 0x4},
        {"BS_3STATE", 0x5},
        {"BS_AUTO3STATE", 0x6},
        {"BS_GROUPBOX", 0x7},
        {"BS_AUTORADIOBUTTON", 0x9},
        {"BS_OWNERDRAW", 0xB},
        {"BS_LEFTTEXT", 0x20},
        {"BS_RIGHTBUTTON", 0x20},
        {"BS_ICON", 0x40},
        {"BS_BITMAP", 0x80},
        {"BS_LEFT", 0x100},
        {"BS_RIGHT", 0x200},
        {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400},
        {"BS_BOTTOM", 0x800},
        {"BS_VCENTER", 0xC00},
        {"BS_PUSHLIKE", 0x1000},
        {"BS_MULTILINE", 0x2000},
        {"BS_NOTIFY", 0x4000},
        {"BS_FLAT", 0x8000},
        {"ES_LEFT", 0x0},
        {"ES_CENTER", 0x1},
        {"ES_RIGHT", 0x2},
        {"ES_MULTILINE", 0x4},
        {"ES_UPPERCASE", 0x8},
        {"ES_LOWERCASE", 0x10},
        {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40},
        {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100},
        {"ES_OEMCONVERT", 0x400},
        {"ES_READONLY", 0x800},
        {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        {"CBS_SIMPLE", 0x1},
        {"CBS_DROPDOWN", 0x2},
        {"CBS_DROPDOWNLIST", 0x3},
        {"CBS_OWNERDRAWFIXED", 0x10},
        {"CBS_OWNERDRAWVARIABLE", 0x20},
        {"CBS_AUTOHSCROLL", 0x40},
        {"CBS_OEMCONVERT", 0x80},
        {"CBS_SORT", 0x100},
        {"CBS_HASSTRINGS", 0x200},
        {"CBS_NOINTEGRALHEIGHT", 0x400},
        {"CBS_DISABLENOSCROLL", 0x800},
        {"LBS_NOTIFY", 0x1},
        {"LBS_SORT", 0x2},
        {"LBS_NOREDRAW", 0x4},
        {"LBS_MULTIPLESEL", 0x8},
        {"LBS_OWNERDRAWFIXED", 0x10},
        {"LBS_HASSTRINGS", 0x40},
        {"LBS_USETABSTOPS", 0x80},
        {"LBS_NOINTEGRALHEIGHT", 0x100},
        {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_DISABLENOSCROLL", 0x1000},
        {"LBS_STANDARD", 0x00A00003},
        {"SBS_HORZ", 0x0},
        {"SBS_VERT", 0x1},
        {"TVS_HASBUTTONS", 0x1},
        {"TVS_HASLINES", 0x2},
        {"TVS_LINESATROOT", 0x4},
        {"TVS_EDITLABELS", 0x8},
        {"TVS_DISABLEDRAGDROP", 0x10},
        {"TVS_SHOWSELALWAYS", 0x20},
        {"UDS_WRAP", 0x1},
        {"UDS_SETBUDDYINT", 0x2},
        {"UDS_ALIGNRIGHT", 0x4},
        {"UDS_ALIGNLEFT", 0x8},
        {"UDS_AUTOBUDDY", 0x10},
        {"UDS_ARROWKEYS", 0x20},
        {"UDS_HORZ", 0x40},
        {"UDS_NOTHOUSANDS", 0x80},
    };
    return names;
}

constexpr uint32_t WsChild = 0x40000000;
constexpr uint32_t WsVisible = 0x10000000;
constexpr uint32_t WsBorder = 0x00800000;
constexpr uint32_t WsGroup = 0x00020000;
constexpr uint32_t WsTabStop = 0x00010000;
constexpr uint32_t WsVScroll = 0x00200000;
constexpr uint32_t WsCaption = 0x00C00000;
constexpr uint32_t WsPopup = 0x80000000;
constexpr uint32_t WsSysMenu = 0x00080000;
constexpr uint32_t DsSetFont = 0x40;

// The predefined control classes, stored as ordinals as the Win32 compiler stores them.
constexpr uint16_t ClassButton = 0x80;
constexpr uint16_t ClassEdit = 0x81;
constexpr uint16_t ClassStatic = 0x82;
constexpr uint16_t ClassListBox = 0x83;
constexpr uint16_t ClassScrollBar = 0x84;
constexpr uint16_t ClassComboBox = 0x85;
// The type bits of a combo box style: CBS_SIMPLE 1, CBS_DROPDOWN 2, CBS_DROPDOWNLIST 3.
constexpr uint32_t TypeBits = 0x3;

enum class ItemForm {
    TextFirst, // "text", id, x, y, cx, cy [, style [, exstyle]]
    NoText,    // id, x, y, cx, cy [, style [, exstyle]]
    Icon,      // "text", id, x, y [, cx, cy [, style [, exstyle]]]
    Control,   // "text", id, class, style, x, y, cx, cy [, exstyle]
};

struct ItemKind {
    const char* keyword;
    ItemForm form;
    uint16_t classOrdinal;
    uint32_t defaultStyle; // besides WS_CHILD | WS_VISIBLE
};

const ItemKind itemKinds[] = {
    {"LTEXT", ItemForm::TextFirst, ClassStatic, 0x0 | WsGroup},
    {"RTEXT", ItemForm::TextFirst, ClassStatic, 0x2 | WsGroup},
    {"CTEXT", ItemForm::TextFirst, ClassStatic, 0x1 | WsGroup},
    {"PUSHBUTTON", ItemForm::TextFirst, ClassButton, 0x0 | WsTabStop},
    {"DEFPUSHBUTTON", ItemForm::TextFirst, ClassButton, 0x1 | WsTabStop},
    {"CHECKBOX", ItemForm::TextFirst, ClassButton, 0x2 | WsTabStop},
    {"AUTOCHECKBOX", ItemForm::TextFirst, ClassButton, 0x3 | WsTabStop},
    {"RADIOBUTTON", ItemForm::TextFirst, ClassButton, 0x4},
    {"AUTORADIOBUTTON", ItemForm::TextFirst, ClassButton, 0x9},
    {"GROUPBOX", ItemForm::TextFirst, ClassButton, 0x7},
    {"EDITTEXT", ItemForm::NoText, ClassEdit, WsBorder | WsTabStop},
    {"COMBOBOX", ItemForm::NoText, ClassComboBox, 0x1 | WsTabStop},
    {"LISTBOX", ItemForm::NoText, ClassListBox, 0x1 | WsBorder | WsVScroll},
    {"SCROLLBAR", ItemForm::NoText, ClassScrollBar, 0x0},
    {"ICON", ItemForm::Icon, ClassStatic, 0x3},
    {"CONTROL", ItemForm::Control, 0, 0},
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// A class or text field of a template: an ordinal or a text.
struct NameOrOrdinal {
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::string text;
};

struct DialogItem {
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
};

struct Dialog {
    uint32_t helpId = 0;
    uint32_t exStyle = 0;
    uint32_t style = WsPopup | WsBorder | WsSysMenu;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::string caption;
    bool hasFont = false;
    uint16_t pointSize = 0;
    uint16_t weight = 0;
    uint8_t italic = 0;
    uint8_t charset = 1;
    std::string face;
    std::vector<DialogItem> items;
};

// Little-endian output with the alignment rules of templates.
class Writer {
public:
    void Word(uint16_t value) {
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Dword(uint32_t value) {
        Word(static_cast<uint16_t>(value));
        Word(static_cast<uint16_t>(value >> 16));
    }
    void Byte(uint8_t value) { bytes.push_back(value); }
    // Texts are single-byte in the script (Latin-1 here) and UTF-16 in the template.
    void Text(const std::string& text) {
        for (const char c : text) {
            Word(static_cast<unsigned char>(c));
        }
        Word(0);
    }
    void Field(const NameOrOrdinal& field) {
        if (field.isOrdinal) {
            Word(0xFFFF);
            Word(field.ordinal);
        } else {
            Text(field.text);
        }
    }
    void AlignDword() {
        while (bytes.size() % 4 != 0) {
            bytes.push_back(0);
        }
    }
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> EncodeDialog(const Dialog& dialog) {
    Writer out;
    out.Word(1);      // dlgVer
    out.Word(0xFFFF); // signature of the extended layout
    out.Dword(dialog.helpId);
    out.Dword(dialog.exStyle);
    out.Dword(dialog.style);
    out.Word(static_cast<uint16_t>(dialog.items.size()));
    for (const int16_t value : {dialog.x, dialog.y, dialog.cx, dialog.cy}) {
        out.Word(static_cast<uint16_t>(value));
    }
    out.Field(dialog.menu);
    out.Field(dialog.windowClass);
    out.Text(dialog.caption);
    if (dialog.style & DsSetFont) {
        out.Word(dialog.pointSize);
        out.Word(dialog.weight);
        out.Byte(dialog.italic);
        out.Byte(dialog.charset);
        out.Text(dialog.face);
    }
    for (const DialogItem& item : dialog.items) {
        out.AlignDword();
        out.Dword(item.helpId);
        out.Dword(item.exStyle);
        out.Dword(item.style);
        for (const int16_t value : {item.x, item.y, item.cx, item.cy}) {
            out.Word(static_cast<uint16_t>(value));
        }
        out.Dword(item.id);
        out.Field(item.windowClass);
        out.Field(item.title);
        out.Word(0); // no creation data
    }
    return out.bytes;
}

uint16_t ReadWord(const std::vector<uint8_t>& data, size_t at) {
    return static_cast<uint16_t>(data[at] | data[at + 1] << 8);
}
uint32_t ReadDword(const std::vector<uint8_t>& data, size_t at) {
    return static_cast<uint32_t>(ReadWord(data, at) | static_cast<uint32_t>(ReadWord(data, at + 2)) << 16);
}

} // namespace

// The recursive-descent parser over the lexer's tokens, with one token of look-ahead.
class ScriptParser {
public:
    ScriptParser(ResourceScript& owner, std::string_view source) : script(owner), lexer(source) {
        ReadDefines(source, 0);
        Advance();
    }

    bool Run() {
        while (ok && current.kind != TokenKind::End) {
            ParseResource();
        }
        if (!lexer.Error().empty()) {
            Fail(lexer.Error());
        }
        return ok;
    }

private:
    // Bounds the nesting of expressions (brackets, NOT, minus signs), whose parsers call each other,
    // so that a hostile script cannot run the recursion off the stack.
    static constexpr int MaximumNesting = 100;
    class Nesting {
    public:
        explicit Nesting(ScriptParser& owner) : parser(owner) {
            if (++parser.depth > MaximumNesting) {
                parser.Fail("expression nested too deeply");
            }
        }
        ~Nesting() { --parser.depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        ScriptParser& parser;
    };

    void Advance() {
        current = lexer.Next();
        if (!lexer.Error().empty()) {
            Fail(lexer.Error());
        }
        if (current.kind == TokenKind::Name) {
            if (const auto found = defines.find(current.text); found != defines.end()) {
                current.kind = TokenKind::Number;
                current.number = found->second;
            }
        }
    }

    // The preprocessor's part that resource scripts use: the numbers a script and the headers it
    // includes with quotes (found beside the script) give names with #define, as a resource
    // header shares a program's identifiers between its script and its code. A name then stands
    // for its number wherever a number or a resource name may stand. Headers in angle brackets
    // are the system's: their names are the style names tolva-rc knows itself. Other directives
    // (guards, #pragma once) and defines whose value is no number are passed over.
    void ReadDefines(std::string_view text, int nesting) {
        size_t at = 0;
        int line = 0;
        while (ok && at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            ++line;
            std::string_view directive = text.substr(at, end - at);
            at = end + 1;
            const size_t first = directive.find_first_not_of(" \t");
            if (first == std::string_view::npos || directive[first] != '#') {
                continue;
            }
            std::istringstream words{std::string(directive.substr(first + 1))};
            std::string keyword;
            std::string name;
            words >> keyword >> name;
            if (keyword == "include" && name.size() > 2 && name.front() == '"' && name.back() == '"') {
                const std::string path = name.substr(1, name.size() - 2);
                if (nesting >= 8) {
                    Fail("line " + std::to_string(line) + ": headers nested too deep at " + path);
                    return;
                }
                std::optional<std::vector<uint8_t>> bytes =
                    script.reader ? script.reader(path) : std::nullopt;
                if (!bytes) {
                    Fail("line " + std::to_string(line) + ": cannot read " + path);
                    return;
                }
                ReadDefines(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                            nesting + 1);
            } else if (keyword == "define" && !name.empty()) {
                std::string value;
                words >> value;
                char* rest = nullptr;
                const long long number = std::strtoll(value.c_str(), &rest, 0);
                if (!value.empty() && rest != nullptr && *rest == '\0') {
                    defines[name] = number;
                }
            }
        }
    }
    void Fail(const std::string& message) {
        if (ok) {
            script.error = message.rfind("line ", 0) == 0
                               ? message
                               : "line " + std::to_string(current.line) + ": " + message;
        }
        ok = false;
        current.kind = TokenKind::End;
    }
    bool IsPunctuation(char c) const {
        return current.kind == TokenKind::Punctuation && current.text[0] == c;
    }
    bool IsKeyword(const char* keyword) const {
        return current.kind == TokenKind::Name && Upper(current.text) == keyword;
    }
    void Expect(char c) {
        if (!IsPunctuation(c)) {
            Fail(std::string("expected '") + c + "'");
            return;
        }
        Advance();
    }
    bool SkipComma() {
        if (IsPunctuation(',')) {
            Advance();
            return true;
        }
        return false;
    }
    std::string ExpectString() {
        if (current.kind != TokenKind::String) {
            Fail("expected a quoted text");
            return {};
        }
        std::string text = current.text;
        Advance();
        return text;
    }

    // A style expression: terms joined by |, each a number, a style name, a bracketed expression
    // or NOT and a term; the NOT terms are gathered apart so that they can clear default styles.
    struct StyleValue {
        uint32_t set = 0;
        uint32_t cleared = 0;
    };
    StyleValue ParseStyle() {
        StyleValue value = ParseStyleTerm();
        while (ok && (IsPunctuation('|') || IsPunctuation('+'))) {
            Advance();
            const StyleValue term = ParseStyleTerm();
            value.set = (value.set | term.set) & ~term.cleared;
            value.cleared |= term.cleared;
        }
        return value;
    }
    StyleValue ParseStyleTerm() {
        const Nesting nesting(*this);
        if (!ok) {
            return {};
        }
        if (IsKeyword("NOT")) {
            Advance();
            const StyleValue inner = ParseStyleTerm();
            return StyleValue{0, inner.set};
        }
        if (IsPunctuation('(')) {
            Advance();
            const StyleValue inner = ParseStyle();
            Expect(')');
            return inner;
        }
        return StyleValue{static_cast<uint32_t>(ParseNumber()), 0};
    }
    int64_t ParseNumber() {
        const Nesting nesting(*this);
        if (!ok) {
            return 0;
        }
        int64_t value = 0;
        if (IsPunctuation('-')) {
            Advance();
            value = -ParseNumber();
        } else if (IsPunctuation('(')) {
            Advance();
            value = static_cast<int64_t>(ParseStyle().set);
            Expect(')');
        } else if (current.kind == TokenKind::Number) {
            value = current.number;
            Advance();
        } else if (current.kind == TokenKind::Name) {
            const auto found = StyleNames().find(current.text);
            if (found == StyleNames().end()) {
                Fail("unknown name " + current.text);
            } else {
                value = found->second;
                Advance();
            }
        } else {
            Fail("expected a number");
        }
        return value;
    }
    int16_t ParseCoordinate() {
        const int64_t value = ParseNumber();
        if (value < -32768 || value > 32767) {
            Fail("coordinate out of range");
        }
        return static_cast<int16_t>(value);
    }

    ResourceName ParseResourceName() {
        ResourceName name;
        if (current.kind == TokenKind::Number) {
            if (current.number < 1 || current.number > 0xFFFF) {
                Fail("resource number out of range");
            }
            name.number = static_cast<uint16_t>(current.number);
        } else if (current.kind == TokenKind::Name || current.kind == TokenKind::String) {
            name.text = Upper(current.text);
            if (name.text.empty()) {
                Fail("empty resource name");
            }
        } else {
            Fail("expected a resource name");
        }
        Advance();
        return name;
    }

    void ParseResource() {
        const ResourceName name = ParseResourceName();
        if (!ok) {
            return;
        }
        if (IsKeyword("DIALOGEX") || IsKeyword("DIALOG")) {
            Advance();
            ParseDialog(name);
        } else if (IsKeyword("BITMAP")) {
            Advance();
            fileLine = current.line;
            AddBitmap(name, ExpectString());
        } else if (IsKeyword("ICON")) {
            Advance();
            fileLine = current.line;
            AddIcon(name, ExpectString());
        } else {
            Fail("expected DIALOGEX, BITMAP or ICON");
        }
    }

    void ParseDialog(const ResourceName& name) {
        Dialog dialog;
        dialog.x = ParseCoordinate();
        Expect(',');
        dialog.y = ParseCoordinate();
        Expect(',');
        dialog.cx = ParseCoordinate();
        Expect(',');
        dialog.cy = ParseCoordinate();
        if (SkipComma()) {
            dialog.helpId = static_cast<uint32_t>(ParseNumber());
        }
        bool hasCaption = false;
        while (ok && !IsKeyword("BEGIN") && !IsPunctuation('{')) {
            if (IsKeyword("STYLE")) {
                Advance();
                dialog.style = ParseStyle().set;
            } else if (IsKeyword("EXSTYLE")) {
                Advance();
                dialog.exStyle = ParseStyle().set;
            } else if (IsKeyword("CAPTION")) {
                Advance();
                dialog.caption = ExpectString();
                hasCaption = true;
            } else if (IsKeyword("CLASS")) {
                Advance();
                dialog.windowClass = ParseNameOrOrdinal();
            } else if (IsKeyword("FONT")) {
                Advance();
                ParseFont(dialog);
            } else {
                Fail("unknown dialog statement");
            }
        }
        if (!ok) {
            return;
        }
        Advance(); // BEGIN
        dialog.style |= hasCaption ? WsCaption : 0;
        dialog.style |= dialog.hasFont ? DsSetFont : 0;
        while (ok && !IsKeyword("END") && !IsPunctuation('}')) {
            ParseItem(dialog);
            if (dialog.items.size() > 0xFFFF) {
                Fail("too many dialog items");
            }
        }
        if (!ok) {
            return;
        }
        Advance(); // END
        script.resources.push_back({ResourceName{ResourceTypeDialog, {}}, name, EncodeDialog(dialog)});
    }

    void ParseFont(Dialog& dialog) {
        dialog.hasFont = true;
        dialog.pointSize = static_cast<uint16_t>(ParseNumber());
        Expect(',');
        dialog.face = ExpectString();
        if (SkipComma()) {
            dialog.weight = static_cast<uint16_t>(ParseNumber());
        }
        if (SkipComma()) {
            dialog.italic = static_cast<uint8_t>(ParseNumber());
        }
        if (SkipComma()) {
            dialog.charset = static_cast<uint8_t>(ParseNumber());
        }
    }

    NameOrOrdinal ParseNameOrOrdinal() {
        NameOrOrdinal field;
        if (current.kind == TokenKind::String) {
            field.text = current.text;
            Advance();
        } else {
            field.isOrdinal = true;
            field.ordinal = static_cast<uint16_t>(ParseNumber());
        }
        return field;
    }

    // The class of a CONTROL item: a quoted or bare class name; the predefined classes become
    // their ordinals.
    NameOrOrdinal ParseControlClass() {
        if (current.kind != TokenKind::String && current.kind != TokenKind::Name) {
            Fail("expected a control class");
            return {};
        }
        static const std::pair<const char*, uint16_t> predefined[] = {
            {"BUTTON", ClassButton},   {"EDIT", ClassEdit},           {"STATIC", ClassStatic},
            {"LISTBOX", ClassListBox}, {"SCROLLBAR", ClassScrollBar}, {"COMBOBOX", ClassComboBox},
        };
        NameOrOrdinal field;
        field.text = current.text;
        for (const auto& [className, ordinal] : predefined) {
            if (Upper(current.text) == className) {
                field = NameOrOrdinal{true, ordinal, {}};
            }
        }
        Advance();
        return field;
    }

    const ItemKind* FindItemKind() const {
        if (current.kind != TokenKind::Name) {
            return nullptr;
        }
        const std::string keyword = Upper(current.text);
        for (const ItemKind& kind : itemKinds) {
            if (keyword == kind.keyword) {
                return &kind;
            }
        }
        return nullptr;
    }

    void ParseItem(Dialog& dialog) {
        const ItemKind* kind = FindItemKind();
        if (kind == nullptr) {
            Fail("unknown dialog item");
            return;
        }
        Advance();
        DialogItem item;
        item.windowClass = NameOrOrdinal{true, kind->classOrdinal, {}};
        uint32_t style = WsChild | WsVisible | kind->defaultStyle;
        StyleValue given;
        if (kind->form != ItemForm::NoText) {
            item.title = ParseItemText();
            Expect(',');
        }
        item.id = static_cast<uint32_t>(ParseNumber());
        Expect(',');
        if (kind->form == ItemForm::Control) {
            item.windowClass = ParseControlClass();
            Expect(',');
            given = ParseStyle();
            Expect(',');
        }
        item.x = ParseCoordinate();
        Expect(',');
        item.y = ParseCoordinate();
        const bool sizeOptional = kind->form == ItemForm::Icon;
        if (!sizeOptional || IsPunctuation(',')) {
            Expect(',');
            item.cx = ParseCoordinate();
            Expect(',');
            item.cy = ParseCoordinate();
        }
        if (kind->form != ItemForm::Control && SkipComma()) {
            given = ParseStyle();
        }
        if (SkipComma()) {
            item.exStyle = ParseStyle().set;
        }
        if (SkipComma()) {
            item.helpId = static_cast<uint32_t>(ParseNumber());
        }
        // A combo box given a type of its own (CBS_DROPDOWN, CBS_DROPDOWNLIST) takes
        // that type instead of the default CBS_SIMPLE, as the resource compilers of the platform do.
        const bool isComboBox = kind->classOrdinal == ClassComboBox && kind->form == ItemForm::NoText;
        if (isComboBox && (given.set & TypeBits) != 0) {
            style &= ~TypeBits;
        }
        item.style = (style | given.set) & ~given.cleared;
        dialog.items.push_back(std::move(item));
    }

    NameOrOrdinal ParseItemText() {
        if (current.kind == TokenKind::String) {
            NameOrOrdinal field{false, 0, current.text};
            Advance();
            return field;
        }
        // An image named by number (ICON 1005, ...).
        return NameOrOrdinal{true, static_cast<uint16_t>(ParseNumber()), {}};
    }

    // A fault in a file the script names is reported at the line that names it.
    void FailInFile(const std::string& message) { Fail("line " + std::to_string(fileLine) + ": " + message); }

    std::optional<std::vector<uint8_t>> ReadFile(const std::string& path) {
        std::optional<std::vector<uint8_t>> bytes = script.reader ? script.reader(path) : std::nullopt;
        if (!bytes) {
            FailInFile("cannot read " + path);
        }
        return bytes;
    }

    // A bitmap resource is the BMP file without its 14-byte file header.
    void AddBitmap(const ResourceName& name, const std::string& path) {
        std::optional<std::vector<uint8_t>> bytes = ReadFile(path);
        if (!bytes) {
            return;
        }
        if (bytes->size() < 14 + 40 || (*bytes)[0] != 'B' || (*bytes)[1] != 'M') {
            FailInFile(path + " is not a BMP file");
            return;
        }
        script.resources.push_back({ResourceName{ResourceTypeBitmap, {}}, name,
                                    std::vector<uint8_t>(bytes->begin() + 14, bytes->end())});
    }

    // The images of an icon file lie after its directory, inside the file, one beside the other:
    // a file whose images overlap is broken, and copying each of them would let a small file
    // grow into a huge compiled script.
    bool HasSeparateImages(const std::string& path, const std::vector<uint8_t>& file, uint16_t count) {
        std::vector<std::pair<uint32_t, uint32_t>> images; // offset, size
        for (uint16_t i = 0; i < count; ++i) {
            images.emplace_back(ReadDword(file, 6 + 16u * i + 12), ReadDword(file, 6 + 16u * i + 8));
        }
        std::sort(images.begin(), images.end());
        size_t taken = 6 + 16u * count;
        for (const auto& [offset, size] : images) {
            if (size == 0 || offset < taken || offset > file.size() || size > file.size() - offset) {
                FailInFile(path + " has an empty, overlapping or cut-off image");
                return false;
            }
            taken = static_cast<size_t>(offset) + size;
        }
        return true;
    }

    // An ICO file: a 6-byte directory header and 16-byte entries (width, height, colours, 0,
    // planes, bit count, size, offset). Each image becomes an RT_ICON; the group directory keeps
    // the entries with the image's resource number in place of its offset (14 bytes each).
    void AddIcon(const ResourceName& name, const std::string& path) {
        std::optional<std::vector<uint8_t>> bytes = ReadFile(path);
        if (!bytes) {
            return;
        }
        const std::vector<uint8_t>& file = *bytes;
        if (file.size() < 6 || ReadWord(file, 0) != 0 || ReadWord(file, 2) != 1) {
            FailInFile(path + " is not an ICO file");
            return;
        }
        const uint16_t count = ReadWord(file, 4);
        if (count == 0 || file.size() < 6 + 16u * count) {
            FailInFile(path + " has a truncated icon directory");
            return;
        }
        if (!HasSeparateImages(path, file, count)) {
            return;
        }
        if (script.nextIconId + count > 0x10000u) {
            FailInFile("too many icon images: at most 65535 in one script");
            return;
        }
        Writer group;
        group.Word(0);
        group.Word(1);
        group.Word(count);
        for (uint16_t i = 0; i < count; ++i) {
            const size_t entry = 6 + 16u * i;
            const uint32_t size = ReadDword(file, entry + 8);
            const uint32_t offset = ReadDword(file, entry + 12);
            const auto iconId = static_cast<uint16_t>(script.nextIconId++);
            for (size_t at = entry; at < entry + 12; ++at) {
                group.Byte(file[at]);
            }
            group.Word(iconId);
            script.resources.push_back(
                {ResourceName{ResourceTypeIcon, {}}, ResourceName{iconId, {}},
                 std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + size)});
        }
        script.resources.push_back({ResourceName{ResourceTypeGroupIcon, {}}, name, group.bytes});
    }

    ResourceScript& script;
    std::map<std::string, int64_t> defines;
    ScriptLexer lexer;
    Token current;
    bool ok = true;
    int depth = 0;
    int fileLine = 0; // the line of the file name of the BITMAP or ICON statement being compiled
};

ResourceScript::ResourceScript(FileReader fileReader) : reader(std::move(fileReader)) {}

bool ResourceScript::Compile(std::string_view source) {
    resources.clear();
    error.clear();
    nextIconId = 1;
    return ScriptParser(*this, source).Run();
}

} // namespace rc

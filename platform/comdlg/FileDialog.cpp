#include "platform/comdlg/FileDialog.h"

#include "platform/kernel/DriveTable.h"
#include "platform/user/Button.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Dialog.h"
#include "platform/user/DialogTemplateWriter.h"
#include "platform/user/Edit.h"
#include "platform/user/ListBox.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/Sound.h"
#include "platform/user/Static.h"
#include "platform/user/Windows.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What a row of the list stands for, kept as the row's item data.
enum class Row : LPARAM { File = 0, Folder = 1, Parent = 2 };

// A Windows-shaped folder or file: a drive and the names below its root.
struct DrivePath {
    char drive = 'C';
    std::vector<std::string> names;

    std::string Text() const {
        std::string text = std::string(1, drive) + ":\\";
        for (size_t i = 0; i < names.size(); ++i) {
            text += (i == 0 ? "" : "\\") + names[i];
        }
        return text;
    }
    std::string Native() const { return platform::NativePath(Text().c_str()); }
    bool IsRoot() const { return names.empty(); }
};

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDrive(const std::string& text) {
    return text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

// Applies a path typed or given relative to `base`: a drive starts afresh at that drive's root, a
// leading separator at the base's drive root; "." stays, ".." goes up but never above a root.
DrivePath Resolve(const DrivePath& base, const std::string& text) {
    DrivePath path = base;
    size_t at = 0;
    if (HasDrive(text)) {
        path = DrivePath{static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))), {}};
        at = 2;
    } else if (!text.empty() && IsSeparator(text[0])) {
        path.names.clear();
    }
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        const std::string name = text.substr(at, end - at);
        if (name == "..") {
            if (!path.names.empty()) {
                path.names.pop_back();
            }
        } else if (!name.empty() && name != ".") {
            path.names.push_back(name);
        }
        at = end + 1;
    }
    return path;
}

// The drive whose folder holds a Linux path most closely names it; C: is tried first so that it
// wins among equals (with the default table every drive is `/`).
DrivePath FromNative(const std::string& native) {
    const std::string normal = fs::path(native).lexically_normal().generic_string();
    std::string bestRest = normal;
    char bestDrive = 'C';
    size_t bestLength = 0;
    const std::string order = "CDEFGHIJKLMNOPQRSTUVWXYZAB";
    for (const char drive : order) {
        const std::string root = platform::DriveRoot(drive);
        const bool holds = root == "/" ? !normal.empty() && normal[0] == '/'
                                       : normal.compare(0, root.size(), root) == 0 &&
                                             (normal.size() == root.size() || normal[root.size()] == '/');
        if (holds && (bestLength == 0 || root.size() > bestLength)) {
            bestDrive = drive;
            bestLength = root.size();
            bestRest = normal.substr(root == "/" ? 0 : root.size());
        }
    }
    return Resolve(DrivePath{bestDrive, {}}, bestRest);
}

bool IsFolder(const std::string& native) {
    std::error_code error;
    return fs::is_directory(native, error);
}

bool Exists(const std::string& native) {
    std::error_code error;
    return fs::exists(native, error);
}

char Folded(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Windows file names compare without regard to case, and so do its wildcards.
bool WildcardMatches(const char* pattern, const char* name) {
    for (; *pattern != '\0'; ++pattern, ++name) {
        if (*pattern == '*') {
            for (const char* rest = name;; ++rest) {
                if (WildcardMatches(pattern + 1, rest)) {
                    return true;
                }
                if (*rest == '\0') {
                    return false;
                }
            }
        }
        if (*name == '\0' || (*pattern != '?' && Folded(*pattern) != Folded(*name))) {
            return false;
        }
    }
    return *name == '\0';
}

// "*.*" matches every name, also one without a dot, as on Windows.
bool MatchesAny(const std::vector<std::string>& patterns, const std::string& name) {
    if (patterns.empty()) {
        return true;
    }
    return std::any_of(patterns.begin(), patterns.end(), [&name](const std::string& pattern) {
        return pattern == "*.*" || pattern == "*" || WildcardMatches(pattern.c_str(), name.c_str());
    });
}

std::vector<std::string> SplitPatterns(const std::string& text) {
    std::vector<std::string> patterns;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find(';', at), text.size());
        std::string pattern = text.substr(at, end - at);
        pattern.erase(0, pattern.find_first_not_of(' '));
        pattern.erase(pattern.find_last_not_of(' ') + 1);
        if (!pattern.empty()) {
            patterns.push_back(pattern);
        }
        at = end + 1;
    }
    return patterns;
}

bool HasWildcard(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

bool LessFolded(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Folded(x) < Folded(y); });
}

struct Filter {
    std::string description;
    std::vector<std::string> patterns;
};

// The double-NUL list of description and pattern pairs.
std::vector<Filter> ParseFilters(LPCSTR list) {
    std::vector<Filter> filters;
    while (list != nullptr && *list != '\0') {
        const char* patterns = list + std::strlen(list) + 1;
        filters.push_back({list, SplitPatterns(patterns)});
        if (*patterns == '\0') {
            break;
        }
        list = patterns + std::strlen(patterns) + 1;
    }
    return filters;
}

std::string DialogText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

namespace platform::comdlg {

// One run of the Open or Save As dialog over the caller's record.
class FileDialog {
public:
    enum class Purpose { Open, Save };

    FileDialog(OPENFILENAMEA& record, Purpose purpose) : record(record), purpose(purpose) {}

    BOOL Run() {
        SetExtendedError(0);
        if (record.lStructSize != sizeof(OPENFILENAMEA) &&
            record.lStructSize != OPENFILENAME_SIZE_VERSION_400A) {
            return Fail(CDERR_STRUCTSIZE);
        }
        if (record.lpstrFile == nullptr || record.nMaxFile == 0) {
            return Fail(FNERR_INVALIDFILENAME);
        }
        // FIXME: hooks, custom templates, several files at once and the custom filter are not offered.
        filters = ParseFilters(record.lpstrFilter);
        filterIndex =
            record.nFilterIndex >= 1 && record.nFilterIndex <= filters.size() ? record.nFilterIndex - 1 : 0;
        patterns = filters.empty() ? std::vector<std::string>{} : filters[filterIndex].patterns;
        StartingPlace();
        if (!RunModal(record.hInstance, Layout(), record.hwndOwner, Procedure, this)) {
            return FALSE;
        }
        return Store();
    }

private:
    const char* Title() const {
        if (record.lpstrTitle != nullptr) {
            return record.lpstrTitle;
        }
        return purpose == Purpose::Open ? "Open" : "Save As";
    }

    // The folder to start in and the name to offer: the initial folder where it exists, else the
    // folder of a path already in the file buffer, else the current folder.
    void StartingPlace() {
        const std::string given(record.lpstrFile, strnlen(record.lpstrFile, record.nMaxFile));
        const size_t split = given.find_last_of("\\/");
        initialName = split == std::string::npos ? given : given.substr(split + 1);
        const DrivePath current = FromNative(fs::current_path(ignored).generic_string());
        folder = current;
        if (split != std::string::npos) {
            const std::string part = given.substr(0, split + 1);
            const DrivePath named = Resolve(current, part);
            if (IsFolder(named.Native())) {
                folder = named;
            }
        }
        if (record.lpstrInitialDir != nullptr && record.lpstrInitialDir[0] != '\0') {
            const std::string initial = record.lpstrInitialDir;
            const DrivePath named =
                !HasDrive(initial) && initial[0] == '/' ? FromNative(initial) : Resolve(current, initial);
            if (IsFolder(named.Native())) {
                folder = named;
            }
        }
    }

    DialogTemplateWriter Layout() const {
        DialogTemplateWriter out(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_3DLOOK,
                                 264, 166, Title());
        using Class = DialogItemClass;
        out.Item(Class::Static, SS_LEFT, 7, 8, 36, 9, stc4, "Look &in:");
        out.Item(Class::Static, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 44, 8, 166, 9, stc1, "");
        out.Item(Class::Button, BS_PUSHBUTTON | WS_TABSTOP, 214, 5, 44, 14, psh1, "&Up");
        out.Item(Class::ListBox, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, 7, 24, 251, 96,
                 lst1, "", WS_EX_CLIENTEDGE);
        out.Item(Class::Static, SS_LEFT, 7, 130, 50, 9, stc3, "File &name:");
        out.Item(Class::Edit, ES_AUTOHSCROLL | WS_TABSTOP, 58, 128, 150, 12, edt1, "", WS_EX_CLIENTEDGE);
        out.Item(Class::Static, SS_LEFT, 7, 148, 50, 9, stc2, "Files of &type:");
        out.Item(Class::ComboBox, CBS_DROPDOWNLIST | WS_TABSTOP, 58, 146, 150, 80, cmb1, "");
        out.Item(Class::Button, BS_DEFPUSHBUTTON | WS_TABSTOP, 214, 127, 44, 14, IDOK,
                 purpose == Purpose::Open ? "&Open" : "&Save");
        out.Item(Class::Button, BS_PUSHBUTTON | WS_TABSTOP, 214, 145, 44, 14, IDCANCEL, "Cancel");
        return out;
    }

    static INT_PTR Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = DialogObject<FileDialog>(hwnd, message, lParam);
        if (self != nullptr && message == WM_INITDIALOG) {
            self->Start(hwnd);
            return FALSE; // the focus is set
        }
        if (self == nullptr || message != WM_COMMAND) {
            return FALSE;
        }
        self->Command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }

    void Start(HWND hwnd) {
        dialog = hwnd;
        HWND combo = GetDlgItem(dialog, cmb1);
        for (const Filter& filter : filters) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.description.c_str()));
        }
        SendMessageA(combo, CB_SETCURSEL, filterIndex, 0);
        SetDlgItemTextA(dialog, edt1, initialName.c_str());
        Fill();
        HWND edit = GetDlgItem(dialog, edt1);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }

    void Command(int id, int code) {
        switch (id) {
        case IDOK:
            Confirm();
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        case psh1:
            if (code == BN_CLICKED) {
                GoUp();
            }
            break;
        case lst1:
            ListNotice(code);
            break;
        case cmb1:
            if (code == CBN_SELCHANGE) {
                ChooseFilter();
            }
            break;
        default:
            break;
        }
    }

    // The current folder's sub-folders, then its files that match the patterns.
    void Fill() {
        SetDlgItemTextA(dialog, stc1, folder.Text().c_str());
        EnableWindow(GetDlgItem(dialog, psh1), !folder.IsRoot());
        std::vector<std::string> folders;
        std::vector<std::string> files;
        std::error_code error;
        for (fs::directory_iterator entry(folder.Native(), error), end; !error && entry != end;
             entry.increment(error)) {
            const std::string name = entry->path().filename().string();
            if (name.empty() || name[0] == '.') {
                continue;
            }
            std::error_code kindError;
            if (entry->is_directory(kindError)) {
                folders.push_back(name);
            } else if (MatchesAny(patterns, name)) {
                files.push_back(name);
            }
        }
        std::sort(folders.begin(), folders.end(), LessFolded);
        std::sort(files.begin(), files.end(), LessFolded);
        HWND list = GetDlgItem(dialog, lst1);
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        if (!folder.IsRoot()) {
            AddRow(list, "[..]", Row::Parent);
        }
        for (const std::string& name : folders) {
            AddRow(list, "[" + name + "]", Row::Folder);
        }
        for (const std::string& name : files) {
            AddRow(list, name, Row::File);
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }

    static void AddRow(HWND list, const std::string& text, Row kind) {
        const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(kind));
    }

    void Enter(const DrivePath& target) {
        folder = target;
        Fill();
    }

    void GoUp() {
        if (!folder.IsRoot()) {
            DrivePath parent = folder;
            parent.names.pop_back();
            Enter(parent);
        }
    }

    // The selected row's kind and its name without the brackets of a folder.
    bool Selected(Row& kind, std::string& name) const {
        HWND list = GetDlgItem(dialog, lst1);
        const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (index < 0) {
            return false;
        }
        kind = static_cast<Row>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
        name.resize(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0)) +
                    1);
        name.resize(static_cast<size_t>(SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                                     reinterpret_cast<LPARAM>(name.data()))));
        if (kind != Row::File && name.size() >= 2) {
            name = name.substr(1, name.size() - 2);
        }
        return true;
    }

    // Enters the selected folder; false when the selection is not a folder.
    bool EnterSelectedFolder() {
        Row kind = Row::File;
        std::string name;
        if (!Selected(kind, name) || kind == Row::File) {
            return false;
        }
        if (kind == Row::Parent) {
            GoUp();
        } else {
            Enter(Resolve(folder, name));
        }
        return true;
    }

    void ListNotice(int code) {
        Row kind = Row::File;
        std::string name;
        if (!Selected(kind, name)) {
            return;
        }
        if (code == LBN_SELCHANGE && kind == Row::File) {
            SetDlgItemTextA(dialog, edt1, name.c_str());
        } else if (code == LBN_DBLCLK) {
            if (kind == Row::File) {
                SetDlgItemTextA(dialog, edt1, name.c_str());
                Confirm();
            } else {
                EnterSelectedFolder();
            }
        }
    }

    void ChooseFilter() {
        const LRESULT index = SendDlgItemMessageA(dialog, cmb1, CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<size_t>(index) < filters.size()) {
            filterIndex = static_cast<DWORD>(index);
            patterns = filters[filterIndex].patterns;
            Fill();
        }
    }

    // OK, Enter or a double-clicked file: a folder selected in the list is entered; otherwise the
    // file-name field filters, navigates or names the file.
    void Confirm() {
        if (GetFocus() == GetDlgItem(dialog, lst1) && EnterSelectedFolder()) {
            return;
        }
        std::string text = DialogText(dialog, edt1);
        text.erase(0, text.find_first_not_of(' '));
        text.erase(text.find_last_not_of(' ') + 1);
        if (text.empty()) {
            if (!EnterSelectedFolder()) {
                MessageBeep(MB_OK);
            }
            return;
        }
        if (HasWildcard(text)) {
            ApplyPattern(text);
            return;
        }
        const DrivePath path = Resolve(folder, text);
        if (IsFolder(path.Native())) {
            Enter(path);
            SetDlgItemTextA(dialog, edt1, "");
            return;
        }
        if (!IsSeparator(text.back()) && Accept(WithDefaultExtension(path))) {
            EndDialog(dialog, IDOK);
        }
    }

    // A typed pattern, perhaps after a folder ("jobs\*.nc"), lists that folder by the pattern.
    void ApplyPattern(const std::string& text) {
        const size_t split = text.find_last_of("\\/");
        if (split != std::string::npos) {
            const DrivePath target = Resolve(folder, text.substr(0, split + 1));
            if (!IsFolder(target.Native())) {
                Complain(target.Text() + "\nPath does not exist.\nCheck the path and try again.");
                return;
            }
            folder = target;
        }
        patterns = SplitPatterns(split == std::string::npos ? text : text.substr(split + 1));
        Fill();
    }

    DrivePath WithDefaultExtension(DrivePath path) const {
        if (purpose == Purpose::Save && record.lpstrDefExt != nullptr && record.lpstrDefExt[0] != '\0' &&
            !path.names.empty() && path.names.back().find('.') == std::string::npos) {
            path.names.back() += std::string(".") + record.lpstrDefExt;
        }
        return path;
    }

    // Checks the chosen file as the flags ask; true when it is taken.
    bool Accept(const DrivePath& path) {
        DrivePath parent = path;
        parent.names.pop_back();
        const bool mustHavePath =
            purpose == Purpose::Save || (record.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
        if (mustHavePath && !IsFolder(parent.Native())) {
            Complain(path.Text() + "\nPath does not exist.\nCheck the path and try again.");
            return false;
        }
        const bool exists = Exists(path.Native());
        if (purpose == Purpose::Open && (record.Flags & OFN_FILEMUSTEXIST) && !exists) {
            Complain(path.Text() + "\nFile not found.\nCheck the file name and try again.");
            return false;
        }
        if (purpose == Purpose::Save && (record.Flags & OFN_OVERWRITEPROMPT) && exists &&
            MessageBoxExA(dialog, (path.Text() + " already exists.\nDo you want to replace it?").c_str(),
                          Title(), MB_YESNO | MB_ICONEXCLAMATION, 0) != IDYES) {
            return false;
        }
        chosen = path;
        return true;
    }

    void Complain(const std::string& text) {
        MessageBoxExA(dialog, text.c_str(), Title(), MB_OK | MB_ICONEXCLAMATION, 0);
        HWND edit = GetDlgItem(dialog, edt1);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }

    // Writes the chosen path and its parts into the record.
    BOOL Store() {
        const std::string path = chosen.Text();
        const std::string name = chosen.names.back();
        if (path.size() + 1 > record.nMaxFile) {
            if (record.nMaxFile >= 2) {
                const auto needed = static_cast<WORD>(std::min<size_t>(path.size() + 1, 0xFFFF));
                std::memcpy(record.lpstrFile, &needed, sizeof needed);
            }
            return Fail(FNERR_BUFFERTOOSMALL);
        }
        std::memcpy(record.lpstrFile, path.c_str(), path.size() + 1);
        record.nFileOffset = static_cast<WORD>(path.size() - name.size());
        const size_t dot = name.rfind('.');
        record.nFileExtension =
            static_cast<WORD>(dot == std::string::npos ? path.size() : record.nFileOffset + dot + 1);
        const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
        const bool differs = record.lpstrDefExt != nullptr && !extension.empty() &&
                             !std::equal(extension.begin(), extension.end(), record.lpstrDefExt,
                                         record.lpstrDefExt + std::strlen(record.lpstrDefExt),
                                         [](char a, char b) { return Folded(a) == Folded(b); });
        record.Flags =
            differs ? record.Flags | OFN_EXTENSIONDIFFERENT : record.Flags & ~OFN_EXTENSIONDIFFERENT;
        if (record.lpstrFileTitle != nullptr && record.nMaxFileTitle > 0) {
            const size_t count = std::min<size_t>(name.size(), record.nMaxFileTitle - 1);
            std::memcpy(record.lpstrFileTitle, name.data(), count);
            record.lpstrFileTitle[count] = '\0';
        }
        if (!filters.empty()) {
            record.nFilterIndex = filterIndex + 1;
        }
        if (!(record.Flags & OFN_NOCHANGEDIR)) {
            DrivePath parent = chosen;
            parent.names.pop_back();
            fs::current_path(parent.Native(), ignored);
        }
        return TRUE;
    }

    OPENFILENAMEA& record;
    Purpose purpose;
    HWND dialog = nullptr;
    std::vector<Filter> filters;
    DWORD filterIndex = 0;
    std::vector<std::string> patterns;
    DrivePath folder;
    DrivePath chosen;
    std::string initialName;
    std::error_code ignored;
};

} // namespace platform::comdlg

BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    if (lpofn == nullptr) {
        platform::comdlg::SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    return platform::comdlg::FileDialog(*lpofn, platform::comdlg::FileDialog::Purpose::Open).Run();
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn) {
    if (lpofn == nullptr) {
        platform::comdlg::SetExtendedError(CDERR_INITIALIZATION);
        return FALSE;
    }
    return platform::comdlg::FileDialog(*lpofn, platform::comdlg::FileDialog::Purpose::Save).Run();
}

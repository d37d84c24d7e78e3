#include "framework/services/FolderDialog.h"

#include "framework/Path.h"
#include "framework/services/FrameworkTexts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace framework {

namespace {

bool IsFolder(const String& path) {
    const DWORD attributes = GetFileAttributesA(path.CStr());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

String WithBackslashes(const std::string& path) {
    String text(path.c_str());
    for (int32_t i = 1; i <= text.Length(); ++i) {
        if (text.At(i) == '/') {
            text.At(i) = '\\';
        }
    }
    return text;
}

// The sub-folders of a folder, sorted by name; hidden ones (starting with '.') are left out, as
// the desktop's file managers leave them out.
std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.' && it->is_directory(ignored)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

FolderDialog::FolderDialog(Window* owner, const char* title, const char* initialFolder)
    : Dialog(owner, TemplateId), title(title ? title : "") {
    String path(initialFolder ? initialFolder : "");
    for (int32_t i = 1; i <= path.Length(); ++i) {
        if (path.At(i) == '\\') {
            path.At(i) = '/';
        }
    }
    for (int step = 0; step < MaxStepsUp && !path.IsEmpty() && !PathExists(path); ++step) {
        if (path.At(path.Length()) == '/') {
            path.DropRight(1);
        }
        path = PathDirectory(path);
    }
    // A path that names a file (the log file's own) preselects the folder that holds it.
    if (!path.IsEmpty() && PathExists(path) && !IsFolder(path)) {
        path = PathDirectory(path);
    }
    if (!path.IsEmpty() && IsFolder(path)) {
        NormaliseFolder(path);
        preselected = path;
    }
}

HWND FolderDialog::Tree() const {
    return GetDlgItem(Handle(), TreeId);
}

HTREEITEM FolderDialog::AddItem(HTREEITEM parent, const std::string& path, const std::string& text) {
    paths.push_back(path);
    filled.push_back(false);
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.cChildren = 1; // filled when the branch is opened
    insert.item.lParam = static_cast<LPARAM>(paths.size() - 1);
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(Tree(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void FolderDialog::FillChildren(HTREEITEM item, int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(paths.size()) || filled[index]) {
        return;
    }
    filled[index] = true;
    const std::string folder = paths[index];
    for (const std::string& name : SubFolders(folder)) {
        AddItem(item, folder + name + "/", name);
    }
}

LRESULT FolderDialog::OnInitDialog(MessageRecord& record) {
    // The template's caption is a reference to a dictionary text; a dictionary without it would
    // leave "^3819" itself in the title bar, so the framework's own wording stands in.
    char caption[16] = {};
    GetWindowTextA(Handle(), caption, sizeof caption);
    if (caption[0] == '^') {
        SetWindowTextA(Handle(), FrameworkText(CaptionText));
    }
    SetDlgItemTextA(Handle(), TitleId, title.CStr());
    // FIXME: only the file system's root stands at the top of the tree; the home folder and the
    // mounted volumes are not offered as top-level items yet.
    HTREEITEM root = AddItem(TVI_ROOT, "/", "/");
    HTREEITEM selected = preselected.IsEmpty() ? nullptr : ExpandTo(preselected.CStr());
    if (selected == nullptr) {
        SendMessageA(Tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
        selected = root;
    }
    SendMessageA(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected));
    TVITEMA item{};
    item.mask = TVIF_PARAM;
    item.hItem = selected;
    SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    UpdateChoice(item.lParam);
    ::SetFocus(Tree());
    return 0; // the focus is set
}

// Opens the branches from the root down to the folder and returns its item, or null when the
// folder is not in the tree (a path in another form than the tree's).
HTREEITEM FolderDialog::ExpandTo(const std::string& folder) {
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(Tree(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
    while (item != nullptr) {
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        const std::string& path = paths[static_cast<size_t>(data.lParam)];
        if (path == folder) {
            return item;
        }
        if (folder.compare(0, path.size(), path) == 0) {
            SendMessageA(Tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            FillChildren(item, static_cast<int32_t>(data.lParam));
            item = reinterpret_cast<HTREEITEM>(
                SendMessageA(Tree(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        } else {
            item = reinterpret_cast<HTREEITEM>(
                SendMessageA(Tree(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
        }
    }
    return nullptr;
}

LRESULT FolderDialog::OnNotify(MessageRecord& record) {
    const auto* header = reinterpret_cast<const NMHDR*>(record.lParam);
    if (header == nullptr || header->idFrom != static_cast<UINT_PTR>(TreeId)) {
        return 0;
    }
    const auto* change = reinterpret_cast<const NMTREEVIEWA*>(record.lParam);
    if (header->code == TVN_ITEMEXPANDINGA) {
        FillChildren(change->itemNew.hItem, static_cast<int32_t>(change->itemNew.lParam));
    } else if (header->code == TVN_SELCHANGEDA) {
        UpdateChoice(change->itemNew.lParam);
    }
    return 0;
}

void FolderDialog::UpdateChoice(LPARAM index) {
    const bool isFolder = index >= 0 && index < static_cast<LPARAM>(paths.size());
    if (isFolder) {
        chosen = WithBackslashes(paths[static_cast<size_t>(index)]);
        SetDlgItemTextA(Handle(), EditId, chosen.CStr());
    }
    EnableWindow(GetDlgItem(Handle(), IDOK), isFolder ? TRUE : FALSE);
}

LRESULT FolderDialog::OnOK() {
    char typedText[MAX_PATH] = {};
    GetDlgItemTextA(Handle(), EditId, typedText, sizeof typedText);
    const String typed(typedText);
    if (!typed.IsEmpty() && !typed.Equals(chosen)) {
        return AcceptTyped(typed) ? 0 : 1;
    }
    String folder(chosen);
    NormaliseFolder(folder);
    if (folder.IsEmpty() || !IsFolder(folder)) {
        return 1;
    }
    result = folder;
    accepted = 1;
    return 0;
}

bool FolderDialog::AcceptTyped(const String& typed) {
    String folder(typed);
    NormaliseFolder(folder);
    if (IsFolder(folder)) {
        result = folder;
        accepted = 1;
        return true;
    }
    MessageBeep(MB_ICONHAND);
    HWND edit = GetDlgItem(Handle(), EditId);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    ::SetFocus(edit);
    return false;
}

} // namespace framework

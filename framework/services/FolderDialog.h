#pragma once

#include "framework/Dialog.h"
#include "framework/services/FrameworkResourceIds.h"

#include <cstdint>
#include <string>
#include <vector>

namespace framework {

// The folder chooser, from template 1012: the title above, the chosen folder in an edit box, and a
// tree of the file system's folders below, filled as the user opens its branches. A folder given
// at construction is pre-selected; when it does not exist, its nearest existing parent (at most
// ten steps up) is. "Select" takes the chosen folder, or a path typed into the edit box when that
// names an existing folder; a typed path that does not beeps, selects the typed text and keeps the
// dialog open.
//
// Run it with Create(true); IsAccepted and Folder give the outcome. Window thread only.
class FolderDialog : public Dialog {
public:
    static constexpr int32_t TemplateId = IDD_FOLDER;
    static constexpr int32_t TitleId = IDC_FOLDER_TITLE;
    // The framework text of the caption ("Browse for Folder").
    static constexpr int32_t CaptionText = 3819;
    static constexpr int32_t EditId = IDC_FOLDER_EDIT;
    static constexpr int32_t TreeId = IDC_FOLDER_TREE;
    static constexpr int MaxStepsUp = 10;

    FolderDialog(Window* owner, const char* title, const char* initialFolder);

    bool IsAccepted() const { return accepted == 1; }
    // The chosen folder with slashes and a trailing slash; empty until one was accepted.
    void Folder(String& out) const { out = result; }
    // The folder the dialog opens on, in folder form; empty when none of the steps up exists.
    const String& PreselectedFolder() const { return preselected; }

    LRESULT OnInitDialog(MessageRecord& record) override;
    LRESULT OnOK() override;
    LRESULT OnNotify(MessageRecord& record) override;

private:
    HWND Tree() const;
    HTREEITEM AddItem(HTREEITEM parent, const std::string& path, const std::string& text);
    void FillChildren(HTREEITEM item, int32_t index);
    HTREEITEM ExpandTo(const std::string& folder);
    void UpdateChoice(LPARAM index);
    bool AcceptTyped(const String& typed);

    String title;
    String preselected;
    String chosen;
    String result;
    uint32_t accepted = 0;
    // Tree item values index these folder paths (slash form, trailing slash).
    std::vector<std::string> paths;
    std::vector<bool> filled;
};

} // namespace framework

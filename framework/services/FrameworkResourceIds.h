// The identifiers of the framework's own dialogs and their controls, shared by the program's
// resource script, which holds the templates, and the framework's code. Plain defines, as a
// resource compiler takes nothing else.

#ifndef TOLVA_FRAMEWORK_RESOURCE_IDS_H
#define TOLVA_FRAMEWORK_RESOURCE_IDS_H

// The folder chooser.
#define IDD_FOLDER 1012
#define IDC_FOLDER_TREE 1232
#define IDC_FOLDER_TITLE 1233
#define IDC_FOLDER_EDIT 1234

// The framework's message box.
#define IDD_MESSAGE_BOX 1015
#define IDC_MESSAGE_BOX_NO 1238
#define IDC_MESSAGE_BOX_YES_TO_ALL 1239
#define IDC_MESSAGE_BOX_ICON 1240
#define IDC_MESSAGE_BOX_TEXT 1241

#endif

#pragma once

#include "framework/services/FileDialog.h"

namespace framework {

// The system's file open dialog, shown (modal) by the constructor.
class OpenFileDialog : public FileDialog {
public:
    OpenFileDialog(Window* owner, const char* title, const char* initialPath,
                   const char* const* filters = nullptr, int32_t filterIndex = 1, bool multiSelect = false);
};

} // namespace framework

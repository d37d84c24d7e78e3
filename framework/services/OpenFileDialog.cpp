#include "framework/services/OpenFileDialog.h"

namespace framework {

OpenFileDialog::OpenFileDialog(Window* owner, const char* title, const char* initialPath,
                               const char* const* filters, int32_t filterIndex, bool multiSelect)
    : FileDialog(owner, title, initialPath, filters, filterIndex, multiSelect) {
    Run(&GetOpenFileNameA);
}

} // namespace framework

#include "framework/services/SaveFileDialog.h"

namespace framework {

SaveFileDialog::SaveFileDialog(Window* owner, const char* title, const char* initialPath,
                               const char* const* filters, int32_t filterIndex, bool multiSelect)
    : FileDialog(owner, title, initialPath, filters, filterIndex, multiSelect) {
    Run(&GetSaveFileNameA);
}

} // namespace framework

// On Windows the resource compiler links the script's resources into the program's own module,
// where FindResourceA, LoadBitmapA and LoadIconA find them: there is nothing to register.

#include "resources/ProgramResources.h"

namespace resources {

void RegisterProgramResources() {}

} // namespace resources

#pragma once

// The program's resources (tolva.rc), compiled in by tolva-rc. Start-up calls this once, before
// any dialog or image is loaded; the program's module then finds them with FindResourceA,
// LoadBitmapA and LoadIconA.

namespace resources {

void RegisterProgramResources();

} // namespace resources

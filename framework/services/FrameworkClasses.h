#pragma once

namespace framework {

// Registers the framework's own storable classes in the class registry; start-up calls it once
// before any archive is read.
void RegisterFrameworkClasses();

} // namespace framework

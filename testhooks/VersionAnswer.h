#pragma once

// An older system's answer to GetVersionExA, for the code that tells systems apart.

#include "platform/Windows.h"

#include <optional>

namespace testhooks {

// Makes GetVersionExA answer with this record (the extended part is zero when only the plain
// record is asked for). Requests of the plain or the extended record fail, as an older system's
// would, when refusePlain or refuseExtended says so. Without a record the stand-in's own answer
// comes back.
struct VersionAnswer {
    OSVERSIONINFOA record{};
    bool refuseExtended = false;
    bool refusePlain = false;
};
void SetVersionAnswer(std::optional<VersionAnswer> answer);

} // namespace testhooks

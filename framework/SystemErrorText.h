#pragma once

#include "framework/String.h"

#include <cstdint>

namespace framework {

// The system's text for an error code, without the line end the system puts after it; a text
// naming the code when the system has none.
String SystemErrorText(uint32_t errorCode);

} // namespace framework

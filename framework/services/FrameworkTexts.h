#pragma once

#include <cstdint>

namespace framework {

// The text of a framework text number: the dictionary's text when it has one, else the framework's
// own English wording. The dictionary of this program holds no texts, so without these the
// framework's messages (archive and file errors, answer words of unattended message boxes) would
// be blank. The dictionary itself stays empty, so template references still read as written.
const char* FrameworkText(int32_t number);

} // namespace framework

#pragma once

#include "framework/String.h"

namespace framework {

// The application's current folder: the working folder at start-up with slashes and a trailing
// slash, or the folder that holds the installation's settings file once the program paths have
// settled it. Files the program names relative to "its folder" (the binary settings file) are
// built on it. The application object sets it at start-up; until then it is read from the system
// on first use.
class CurrentFolder {
public:
    static String Get();
    static void Set(const String& folder);
};

} // namespace framework

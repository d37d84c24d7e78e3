#pragma once

#include "framework/String.h"

namespace framework {

// Path helpers over String values. Both "/" and "\" separate folders.

// True when the path is non-empty and the system has attributes for it (file or folder).
bool PathExists(const String& path);
// The extension with its dot, from the last "." after the last separator; empty when none.
String PathExtension(const String& path);
// As PathExtension, and removes the extension from the path.
String TakePathExtension(String& path);
bool SameExtension(const String& path, const String& other);
// "C:" for a drive path, "\\server" for a network path, else empty.
String PathRoot(const String& path);
// Everything up to and including the last separator, with every backslash turned into a slash.
String PathDirectory(const String& path, bool trim = false);
// Folder form: every backslash turned into a slash and, for a non-empty path, a trailing slash.
void NormaliseFolder(String& path);
// Everything after the last separator.
String PathFileName(const String& path, bool trim = false);

} // namespace framework

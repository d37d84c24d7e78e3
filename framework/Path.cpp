#include "framework/Path.h"

#include "platform/Windows.h"

namespace framework {

namespace {

bool IsSeparator(char character) {
    return character == '/' || character == '\\';
}

int32_t LastSeparator(const String& path) {
    for (int32_t position = path.Length(); position >= 1; --position) {
        if (IsSeparator(path.At(position))) {
            return position;
        }
    }
    return 0;
}

int32_t ExtensionStart(const String& path) {
    const int32_t dot = path.Find('.', path.Length(), -1);
    return dot > LastSeparator(path) ? dot : 0;
}

void TurnBackslashes(String& path) {
    for (int32_t position = 1; position <= path.Length(); ++position) {
        if (path.At(position) == '\\') {
            path.At(position) = '/';
        }
    }
}

String ForwardSlashes(const String& path, bool trim) {
    String result(path);
    if (trim) {
        result.Trim();
    }
    TurnBackslashes(result);
    return result;
}

} // namespace

bool PathExists(const String& path) {
    return !path.IsEmpty() && GetFileAttributesA(path.CStr()) != INVALID_FILE_ATTRIBUTES;
}

String PathExtension(const String& path) {
    const int32_t start = ExtensionStart(path);
    return start == 0 ? String() : String(path.CStr() + start - 1);
}

String TakePathExtension(String& path) {
    const int32_t start = ExtensionStart(path);
    return start == 0 ? String() : path.Cut(start, path.Length());
}

bool SameExtension(const String& path, const String& other) {
    return PathExtension(path).Equals(PathExtension(other));
}

String PathRoot(const String& path) {
    String trimmed(path);
    trimmed.Trim();
    if (trimmed.At(2) == ':') {
        return trimmed.Keep(1, 2);
    }
    if (IsSeparator(trimmed.At(1)) && IsSeparator(trimmed.At(2))) {
        for (int32_t position = 3; position <= trimmed.Length(); ++position) {
            if (IsSeparator(trimmed.At(position))) {
                return trimmed.Keep(1, position - 1);
            }
        }
        return trimmed;
    }
    return String();
}

String PathDirectory(const String& path, bool trim) {
    String result = ForwardSlashes(path, trim);
    const int32_t slash = LastSeparator(result);
    if (slash == 0) {
        return String();
    }
    return result.Keep(1, slash);
}

void NormaliseFolder(String& path) {
    if (path.IsEmpty()) {
        return;
    }
    TurnBackslashes(path);
    if (path.At(path.Length()) != '/') {
        path.Append('/');
    }
}

String PathFileName(const String& path, bool trim) {
    String result = ForwardSlashes(path, trim);
    const int32_t slash = LastSeparator(result);
    if (slash == result.Length()) {
        return String();
    }
    return slash == 0 ? result : result.Keep(slash + 1, result.Length());
}

} // namespace framework

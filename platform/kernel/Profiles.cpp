#include "platform/kernel/Profiles.h"

#include "platform/kernel/Environment.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <pwd.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

std::string WithoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

// A process started outside a login session may have no HOME; the password database still
// knows the user's folder.
std::string HomeFolder() {
    std::string home = platform::EnvironmentValue("HOME").value_or("");
    if (!home.empty())
        return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char strings[4096];
    if (::getpwuid_r(::getuid(), &entry, strings, sizeof strings, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return "/";
}

// XDG_CONFIG_HOME counts only when absolute; the base directory rules tell programs to ignore a
// relative one.
std::string ConfigurationFolder() {
    std::string configuration = platform::EnvironmentValue("XDG_CONFIG_HOME").value_or("");
    if (configuration.empty() || configuration.front() != '/')
        configuration = WithoutTrailingSlashes(HomeFolder()) + "/.config";
    return WithoutTrailingSlashes(configuration);
}

std::string WindowsFolder() {
    std::string folder = platform::EnvironmentValue("TOLVA_WINDIR").value_or("");
    if (folder.empty())
        return ConfigurationFolder() + "/tolva-dnc";
    folder = WithoutTrailingSlashes(folder);
    return folder.empty() ? "/" : folder;
}

bool HasDrivePrefix(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

// A drive-relative name (`C:QOR.INI`) has no separator but is not bare: Win32 takes it relative
// to the drive, and so does the drive table.
std::string ProfilePath(LPCSTR fileName) {
    std::string name = fileName == nullptr ? "win.ini" : fileName;
    bool isBare = name.find_first_of("/\\") == std::string::npos && !HasDrivePrefix(name);
    return isBare ? WindowsFolder() + "/" + name : name;
}

// Reads to the end rather than to the size found at the start, so a file that grows while it is
// read is not cut short.
bool ReadToEnd(HANDLE file, std::string& content) {
    constexpr DWORD chunk = 64 * 1024;
    for (;;) {
        std::size_t used = content.size();
        content.resize(used + chunk);
        DWORD got = 0;
        if (!ReadFile(file, content.data() + used, chunk, &got, nullptr))
            return false;
        content.resize(used + got);
        if (got == 0)
            return true;
    }
}

// The text of a profile, or nothing with the last error of the failed open or read. Another
// program may be writing the file; sharing both ways lets us read what is there, as Win32 does.
std::optional<std::string> ReadProfile(LPCSTR fileName) {
    std::string path = ProfilePath(fileName);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string content;
    bool isRead = ReadToEnd(file, content);
    DWORD readError = GetLastError();
    CloseHandle(file);
    if (!isRead) {
        SetLastError(readError);
        return std::nullopt;
    }
    if (content.starts_with(utf8ByteOrderMark))
        content.erase(0, utf8ByteOrderMark.size());
    return content;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimmedBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Win32 drops only spaces around the names a caller asks for; a tab there is part of the name.
std::string_view TrimmedSpaces(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right) {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

enum class LineKind { Ignored, Section, Key };

struct ProfileLine {
    LineKind kind = LineKind::Ignored;
    std::string_view name;
    std::optional<std::string_view> value;
};

ProfileLine ParseLine(std::string_view line) {
    line = TrimmedBlanks(line.substr(0, line.find('\0')));
    if (line.empty() || line.front() == ';')
        return {};
    if (line.front() == '[') {
        std::string_view name = line.substr(1);
        return {LineKind::Section, TrimmedBlanks(name.substr(0, name.find(']'))), std::nullopt};
    }
    std::size_t equals = line.find('=');
    std::string_view name = TrimmedBlanks(line.substr(0, equals));
    if (name.empty())
        return {};
    if (equals == std::string_view::npos)
        return {LineKind::Key, name, std::nullopt};
    return {LineKind::Key, name, TrimmedBlanks(line.substr(equals + 1))};
}

// Calls visit with each line until it returns false.
template <typename Visit> void ForEachLine(std::string_view content, Visit visit) {
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (!visit(ParseLine(line)))
            return;
    }
}

// Calls visit with each key line of the first section of that name until it returns false; a
// later section of the same name is never reached.
template <typename Visit> void ForEachKeyOf(std::string_view content, std::string_view section, Visit visit) {
    bool isInside = false;
    ForEachLine(content, [&](const ProfileLine& line) {
        if (line.kind == LineKind::Section) {
            if (isInside)
                return false;
            isInside = EqualsIgnoringCase(line.name, section);
            return true;
        }
        return !isInside || line.kind != LineKind::Key || visit(line);
    });
}

std::string_view Unquoted(std::string_view value) {
    bool isQuoted =
        value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return isQuoted ? value.substr(1, value.size() - 2) : value;
}

// The value of a key, without its quotes; nothing when the key is missing or has no value.
std::optional<std::string_view> ValueOf(std::string_view content, std::string_view section,
                                        std::string_view key) {
    std::optional<std::string_view> value;
    ForEachKeyOf(content, section, [&](const ProfileLine& line) {
        if (!EqualsIgnoringCase(line.name, key))
            return true;
        if (line.value)
            value = Unquoted(*line.value);
        return false;
    });
    return value;
}

void AppendToList(std::string& list, std::string_view name) {
    list.append(name);
    list.push_back('\0');
}

// Empty section names cannot be listed: their NUL would end the list early.
std::string SectionList(std::string_view content) {
    std::string list;
    ForEachLine(content, [&](const ProfileLine& line) {
        if (line.kind == LineKind::Section && !line.name.empty())
            AppendToList(list, line.name);
        return true;
    });
    list.push_back('\0');
    return list;
}

std::string KeyList(std::string_view content, std::string_view section) {
    std::string list;
    ForEachKeyOf(content, section, [&](const ProfileLine& line) {
        AppendToList(list, line.name);
        return true;
    });
    list.push_back('\0');
    return list;
}

// Win32 drops the trailing spaces of a default, but not other blanks.
std::string DefaultText(LPCSTR defaultText) {
    std::string text = defaultText == nullptr ? "" : defaultText;
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

DWORD StoreText(std::string_view text, LPSTR buffer, DWORD size) {
    if (text.size() < size) {
        std::memcpy(buffer, text.data(), text.size());
        buffer[text.size()] = '\0';
        return static_cast<DWORD>(text.size());
    }
    SetLastError(ERROR_MORE_DATA);
    if (size == 0)
        return 0;
    std::memcpy(buffer, text.data(), size - 1);
    buffer[size - 1] = '\0';
    return size - 1;
}

// The list ends with its own extra NUL. The caller cannot tell a list that fills the buffer
// exactly from a cut one, and Win32 does not try either.
DWORD StoreList(const std::string& list, LPSTR buffer, DWORD size) {
    if (list.size() < size) {
        std::memcpy(buffer, list.data(), list.size());
        return static_cast<DWORD>(list.size() - 1);
    }
    SetLastError(ERROR_MORE_DATA);
    if (size < 2) {
        if (size == 1)
            buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// The value of a key as a string, with the last error set as the header describes.
std::optional<std::string> ProfileValue(LPCSTR section, LPCSTR key, LPCSTR fileName) {
    std::optional<std::string> content = ReadProfile(fileName);
    if (!content)
        return std::nullopt;
    std::optional<std::string_view> value = ValueOf(*content, TrimmedSpaces(section), TrimmedSpaces(key));
    SetLastError(value ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

// The section names (section null) or the key names of a section as a NUL-separated list;
// nothing when the file cannot be read or the section has no keys.
std::optional<std::string> ProfileNames(LPCSTR section, LPCSTR fileName) {
    std::optional<std::string> content = ReadProfile(fileName);
    if (!content)
        return std::nullopt;
    std::string list = section == nullptr ? SectionList(*content) : KeyList(*content, TrimmedSpaces(section));
    bool isEmptyKeyList = section != nullptr && list.size() == 1;
    SetLastError(isEmptyKeyList ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
    return isEmptyKeyList ? std::nullopt : std::optional<std::string>(std::move(list));
}

// As RtlUnicodeStringToInteger with base 0, which Win32 uses here.
UINT ProfileInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ')
        ++at;
    bool isNegative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        ++at;
    UINT base = 10;
    if (text.size() - at >= 2 && text[at] == '0') {
        base = text[at + 1] == 'x' ? 16 : text[at + 1] == 'o' ? 8 : text[at + 1] == 'b' ? 2 : 10;
        at += base == 10 ? 0 : 2;
    }
    UINT total = 0;
    for (; at < text.size(); ++at) {
        char c = text[at];
        UINT digit = c >= '0' && c <= '9'   ? static_cast<UINT>(c - '0')
                     : c >= 'a' && c <= 'z' ? static_cast<UINT>(c - 'a' + 10)
                     : c >= 'A' && c <= 'Z' ? static_cast<UINT>(c - 'A' + 10)
                                            : base;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    return isNegative ? 0u - total : total;
}

} // namespace

UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
    return platform::StoreStringResult(WindowsFolder(), lpBuffer, lpBuffer == nullptr ? 0 : uSize);
}

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName) {
    DWORD size = lpReturnedString == nullptr ? 0 : nSize;
    std::string fallback = DefaultText(lpDefault);
    if (lpAppName != nullptr && lpKeyName != nullptr) {
        std::optional<std::string> value = ProfileValue(lpAppName, lpKeyName, lpFileName);
        return StoreText(value.value_or(fallback), lpReturnedString, size);
    }
    std::optional<std::string> names = ProfileNames(lpAppName, lpFileName);
    return names ? StoreList(*names, lpReturnedString, size) : StoreText(fallback, lpReturnedString, size);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpKeyName == nullptr)
        return static_cast<UINT>(nDefault);
    std::optional<std::string> value = ProfileValue(lpAppName, lpKeyName, lpFileName);
    return value && !value->empty() ? ProfileInteger(*value) : static_cast<UINT>(nDefault);
}

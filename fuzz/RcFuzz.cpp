// Compiles arbitrary bytes as a resource script. The bytes up to the first NUL are the script; the
// bytes after it are the contents of every file the script names (no NUL: no file can be read), so
// that the bitmap and icon readers see hostile files too. The whole input, NULs and all, is then
// compiled once more as a script that can read no file. A script either compiles or fails with an
// error that names its line, and compiling it again gives the same resources.
#include "tools/rc/ResourceScript.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

void CheckOutcome(const rc::ResourceScript& script, bool isCompiled) {
    if (isCompiled != script.Error().empty()) {
        std::abort(); // a failure always says why, a success never does
    }
    if (!isCompiled && script.Error().rfind("line ", 0) != 0) {
        std::abort(); // and names the line
    }
}

bool SameResources(const std::vector<rc::CompiledResource>& a, const std::vector<rc::CompiledResource>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].type.number != b[i].type.number || a[i].type.text != b[i].type.text ||
            a[i].name.number != b[i].name.number || a[i].name.text != b[i].name.text ||
            a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);
    const auto* separator = static_cast<const char*>(std::memchr(text, 0, size));
    const std::string_view source(text, separator ? static_cast<size_t>(separator - text) : size);
    const std::optional<std::vector<uint8_t>> file =
        separator ? std::optional<std::vector<uint8_t>>(
                        std::in_place, reinterpret_cast<const uint8_t*>(separator) + 1, data + size)
                  : std::nullopt;

    rc::ResourceScript script([&](const std::string&) { return file; });
    const bool isCompiled = script.Compile(source);
    CheckOutcome(script, isCompiled);
    const std::vector<rc::CompiledResource> first = script.Resources();
    if (script.Compile(source) != isCompiled || !SameResources(first, script.Resources())) {
        std::abort(); // a second run starts afresh
    }

    rc::ResourceScript whole([](const std::string&) { return std::optional<std::vector<uint8_t>>(); });
    CheckOutcome(whole, whole.Compile(std::string_view(text, size)));
    return 0;
}

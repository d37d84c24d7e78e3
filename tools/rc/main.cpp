// tolva-rc: compiles a resource script into a C++ source file that holds every resource as a byte
// array and a function registering them as the resources of the program's module, so that the
// program finds its dialogs and images with FindResourceA and reads no resource file at run time.
//
//   tolva-rc SCRIPT OUTPUT.cpp FUNCTION [DEPFILE]
//
// FUNCTION is the name of the registration function, declared in namespace resources. Files the
// script names are read relative to the script; the depfile lists them for the build.

#include "tools/rc/ResourceScript.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::optional<std::vector<uint8_t>> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string NameExpression(const rc::ResourceName& name) {
    if (name.text.empty()) {
        return "MAKEINTRESOURCEA(" + std::to_string(name.number) + ")";
    }
    std::string quoted = "\"";
    for (const char c : name.text) {
        quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    }
    return quoted + "\"";
}

std::string Source(const std::vector<rc::CompiledResource>& resources, const std::string& script,
                   const std::string& function) {
    std::ostringstream out;
    out << "// Made by tolva-rc from " << script << ". Do not edit: change the script and rebuild.\n"
        << "#include \"platform/kernel/Modules.h\"\n#include \"platform/user/Resources.h\"\n\n"
        << "namespace {\n\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        out << "const BYTE resource" << i << "[] = {";
        const std::vector<uint8_t>& data = resources[i].data;
        for (size_t at = 0; at < data.size(); ++at) {
            out << (at % 24 == 0 ? "\n    " : "") << static_cast<unsigned>(data[at]) << ",";
        }
        out << "\n};\n";
    }
    out << "\nconst platform::ResourceEntry entries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
        out << "    {" << NameExpression(resources[i].type) << ", " << NameExpression(resources[i].name)
            << ", resource" << i << ", sizeof resource" << i << "},\n";
    }
    out << "};\n\n} // namespace\n\nnamespace resources {\n\nvoid " << function << "();\n\nvoid " << function
        << "() {\n"
        << "    platform::RegisterModuleResources(GetModuleHandleA(nullptr), entries);\n}\n\n"
        << "} // namespace resources\n";
    return out.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: tolva-rc SCRIPT OUTPUT.cpp FUNCTION [DEPFILE]\n");
        return 2;
    }
    const std::filesystem::path scriptPath = argv[1];
    const std::filesystem::path folder = scriptPath.parent_path();
    std::vector<std::string> filesRead;
    rc::ResourceScript script([&](const std::string& name) {
        const std::filesystem::path path = folder / name;
        filesRead.push_back(std::filesystem::absolute(path).string());
        return ReadBytes(path);
    });
    const std::optional<std::vector<uint8_t>> text = ReadBytes(scriptPath);
    if (!text) {
        std::fprintf(stderr, "tolva-rc: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!script.Compile(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()))) {
        std::fprintf(stderr, "%s: %s\n", argv[1], script.Error().c_str());
        return 1;
    }
    std::ofstream(argv[2], std::ios::trunc)
        << Source(script.Resources(), scriptPath.filename().string(), argv[3]);
    if (argc == 5) {
        std::ofstream depfile(argv[4], std::ios::trunc);
        depfile << argv[2] << ":";
        for (const std::string& file : filesRead) {
            depfile << " " << file;
        }
        depfile << "\n";
    }
    return 0;
}

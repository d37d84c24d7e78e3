// tolva-artwork: draws the program's pictures and writes them as the files the resources and the
// desktop entry use. Run it into resources/artwork/ after changing a drawing; the artwork test
// fails while the committed files differ from what this writes.
//
//   tolva-artwork FOLDER

#include "tools/artwork/BmpWriter.h"
#include "tools/artwork/IconPicture.h"
#include "tools/artwork/IconWriter.h"
#include "tools/artwork/LampPicture.h"
#include "tools/artwork/MachinePicture.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

struct ArtworkFile {
    const char* name;
    std::function<std::vector<uint8_t>()> draw;
};

std::vector<uint8_t> IconFile() {
    std::vector<cairo_surface_t*> sizes;
    for (int size : {16, 32, 48, 256})
        sizes.push_back(artwork::DrawIcon(size));
    std::vector<uint8_t> bytes = artwork::EncodeIco(sizes);
    for (cairo_surface_t* surface : sizes)
        cairo_surface_destroy(surface);
    return bytes;
}

std::vector<uint8_t> DesktopIconFile() {
    cairo_surface_t* surface = artwork::DrawIcon(256);
    std::vector<uint8_t> bytes = artwork::EncodePng(surface);
    cairo_surface_destroy(surface);
    return bytes;
}

const std::vector<ArtworkFile>& Files() {
    static const std::vector<ArtworkFile> files = {
        {"lamp-green.bmp", [] { return artwork::EncodeBmp(artwork::DrawLamp(artwork::LampKind::Green)); }},
        {"lamp-red.bmp", [] { return artwork::EncodeBmp(artwork::DrawLamp(artwork::LampKind::Red)); }},
        {"lamp-unlit.bmp", [] { return artwork::EncodeBmp(artwork::DrawLamp(artwork::LampKind::Unlit)); }},
        {"machine.bmp", [] { return artwork::EncodeBmp(artwork::DrawMachine()); }},
        {"tolva.ico", IconFile},
        {"tolva.png", DesktopIconFile},
    };
    return files;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fputs("Usage: tolva-artwork FOLDER\n"
                   "Draws the lamps, the machine picture and the program icon, and writes them into FOLDER\n"
                   "(lamp-green.bmp, lamp-red.bmp, lamp-unlit.bmp, machine.bmp, tolva.ico, tolva.png).\n",
                   argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    const std::string folder = argv[1];
    for (const ArtworkFile& file : Files()) {
        const std::string path = folder + "/" + file.name;
        const std::vector<uint8_t> bytes = file.draw();
        if (bytes.empty() || !WriteFile(path, bytes)) {
            std::fprintf(stderr, "tolva-artwork: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s %zu bytes\n", path.c_str(), bytes.size());
    }
    return 0;
}

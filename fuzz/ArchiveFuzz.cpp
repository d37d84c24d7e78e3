// Reads arbitrary bytes as an archive of nested objects with sections: whatever the file holds,
// reading must end with error bits or objects, never a crash or a runaway loop.
#include "FuzzInput.h"

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/SerialisableObject.h"
#include "framework/services/FrameworkClasses.h"

#include <memory>

using namespace framework;

namespace {

class Nested : public SerialisableObject {
public:
    static constexpr uint32_t Id = 77001;
    uint32_t ClassId() const override { return Id; }
    void Serialise(Archive& archive) override {
        archive.TransferDword(number);
        archive.TransferText(text);
        archive.TransferDouble(value);
        archive.NextSection();
        std::unique_ptr<SerialisableObject> child(archive.ReadNewObject());
        archive.TransferQword(stamp);
        archive.NextSection();
        archive.TransferByte(flag);
        archive.EndObject();
    }
    int32_t number = 0;
    String text;
    double value = 0;
    uint64_t stamp = 0;
    uint8_t flag = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = [] {
        RegisterFrameworkClasses();
        ClassRegistry::RegisterClass([]() -> SerialisableObject* { return new Nested; }, Nested::Id);
        return true;
    }();
    (void)registered;
    if (size < 1) {
        return 0;
    }
    // The first byte picks the type identifier and whether UTF-16 texts are accepted; every report
    // is masked so that the run stays quiet (the report texts have unit tests of their own).
    const uint32_t typeId = (data[0] & 2) ? 100091201 : 0;
    const uint32_t wide = (data[0] & 4) ? Archive::OptionAcceptWideText : 0;
    const uint32_t options = (0xFFFFFFFF & ~Archive::OptionAcceptWideText) | wide;
    const std::string path = fuzzing::WriteInputFile("archive", data + 1, size - 1);
    Archive archive(String(path.c_str()), Archive::DirectionRead, typeId, options);
    for (int i = 0; i < 64; ++i) {
        std::unique_ptr<SerialisableObject> object(archive.ReadNewObject());
        if (!object) {
            break;
        }
    }
    return 0;
}

#include "framework/Archive.h"

#include "framework/ClassRegistry.h"
#include "framework/StoredValues.h"
#include "framework/services/FrameworkClasses.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace framework;

namespace {

// A stored class with two sections: a number, a text and a double, then a later addition.
class Sample : public SerialisableObject {
public:
    static constexpr uint32_t Id = 424242;
    uint32_t ClassId() const override { return Id; }
    void Serialise(Archive& archive) override {
        archive.TransferDword(number);
        archive.TransferText(text);
        archive.TransferDouble(value);
        archive.NextSection();
        archive.TransferDword(addition);
        archive.EndObject();
    }
    int32_t number = 0;
    String text;
    double value = 0.0;
    int32_t addition = -1;
};

// The same class as an older program knew it: only the first section.
class OlderSample : public Sample {
public:
    void Serialise(Archive& archive) override {
        archive.TransferDword(number);
        archive.TransferText(text);
        archive.EndObject();
    }
};

// An object that holds another one inside its own block.
class Holder : public SerialisableObject {
public:
    static constexpr uint32_t Id = 424243;
    uint32_t ClassId() const override { return Id; }
    void Serialise(Archive& archive) override {
        archive.TransferDword(before);
        if (archive.IsWriting()) {
            archive.TransferObject(inner);
        } else {
            std::unique_ptr<SerialisableObject> read(archive.ReadNewObject());
            if (auto* sample = dynamic_cast<Sample*>(read.get())) {
                inner.number = sample->number;
                inner.text = sample->text;
            }
        }
        archive.TransferDword(after);
        archive.EndObject();
    }
    int32_t before = 0;
    Sample inner;
    int32_t after = 0;
};

const bool registered = [] {
    RegisterFrameworkClasses();
    ClassRegistry::RegisterClass([]() -> SerialisableObject* { return new Sample; }, Sample::Id);
    ClassRegistry::RegisterClass([]() -> SerialisableObject* { return new Holder; }, Holder::Id);
    return true;
}();

std::string Word(uint32_t value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

std::string Bytes(std::initializer_list<uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// The expected file of one Sample {7, "AB", 1.5, 99}, built from the layout by hand.
std::string GoldenSample() {
    return Bytes({0xB5, 0xEB, 0x04, 0x01}) +                 // lengths mark 17099701
           Bytes({0x74, 0xC6, 0x24, 0x00}) +                 // doubles mark 2410100
           Bytes({0x32, 0x79, 0x06, 0x00}) +                 // class 424242
           Bytes({0x1F, 0x00, 0x00, 0x00}) +                 // length A: 31 bytes to the end of the block
           Bytes({0x13, 0x00, 0x00, 0x00}) +                 // length B: 19 bytes of the first section
           Bytes({0x07, 0x00, 0x00, 0x00}) +                 // number
           Bytes({0x03, 0x00, 0x00, 0x00, 'A', 'B', 0x00}) + // text: count with the NUL, bytes
           Bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F}) + // 1.5 as 8 bytes
           Bytes({0x04, 0x00, 0x00, 0x00}) +                         // second section: 4 bytes
           Bytes({0x63, 0x00, 0x00, 0x00});                          // addition 99
}

class ArchiveTest : public ::testing::Test {
protected:
    String PathOf(const std::string& name) const { return String((folder / name).c_str()); }

    void WriteSample(const std::string& name, const Sample& sample, uint32_t typeId = 0) {
        Archive archive(PathOf(name), Archive::DirectionWrite, typeId);
        Sample copy;
        copy.number = sample.number;
        copy.text = sample.text;
        copy.value = sample.value;
        copy.addition = sample.addition;
        archive.TransferObject(copy);
        EXPECT_EQ(archive.ErrorBits(), 0u);
    }

    testsupport::TempFolder folder;
};

Sample MakeSample() {
    Sample sample;
    sample.number = 7;
    sample.text = "AB";
    sample.value = 1.5;
    sample.addition = 99;
    return sample;
}

} // namespace

TEST_F(ArchiveTest, WrittenLayoutMatchesTheGoldenFile) {
    WriteSample("golden.bin", MakeSample());
    EXPECT_EQ(folder.Read("golden.bin"), GoldenSample());
}

TEST_F(ArchiveTest, TypeIdentifierComesFirstWhenSet) {
    WriteSample("typed.bin", MakeSample(), 100091201);
    EXPECT_EQ(folder.Read("typed.bin"), Word(100091201) + GoldenSample());

    const int32_t accepted[] = {5, 100091201, -1};
    Archive reading(PathOf("typed.bin"), Archive::DirectionRead, 5, 0, accepted);
    EXPECT_EQ(reading.ErrorBits(), 0u);
    EXPECT_EQ(reading.TypeId(), 100091201u) << "the word read is adopted";
    Sample sample;
    reading.TransferObject(sample);
    EXPECT_EQ(sample.addition, 99);
}

TEST_F(ArchiveTest, ForeignTypeIdentifierIsRefused) {
    WriteSample("typed.bin", MakeSample(), 777);
    ::testing::internal::CaptureStderr();
    Archive reading(PathOf("typed.bin"), Archive::DirectionRead, 100091201);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(reading.ErrorBits(), Archive::ErrorTypeNotAccepted);
    EXPECT_NE(shown.find("32 - The file is not of an accepted type."), std::string::npos) << shown;
    Sample sample;
    reading.TransferObject(sample);
    EXPECT_EQ(sample.number, 0) << "nothing is transferred after an error";
}

TEST_F(ArchiveTest, RoundTripOfEveryFieldKind) {
    {
        Archive archive(PathOf("all.bin"), Archive::DirectionWrite);
        Holder holder;
        holder.before = -5;
        holder.inner.number = 12;
        holder.inner.text = "nested";
        holder.after = 6;
        archive.TransferObject(holder);
        StoredRect rect;
        rect.rect = {1, -2, 300, 400};
        archive.TransferObject(rect);
        StoredTextList list;
        list.texts.Add(new String("first"));
        list.texts.Add(new String(""));
        list.texts.Add(new String("\xE9t\xE9"));
        archive.TransferObject(list);
        EXPECT_EQ(archive.ErrorBits(), 0u);
    }
    Archive archive(PathOf("all.bin"), Archive::DirectionRead);
    std::unique_ptr<SerialisableObject> first(archive.ReadNewObject());
    auto* holder = dynamic_cast<Holder*>(first.get());
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->before, -5);
    EXPECT_EQ(holder->inner.number, 12);
    EXPECT_STREQ(holder->inner.text.CStr(), "nested");
    EXPECT_EQ(holder->after, 6) << "the field after the nested block is read from the right place";
    std::unique_ptr<SerialisableObject> second(archive.ReadNewObject());
    auto* rect = dynamic_cast<StoredRect*>(second.get());
    ASSERT_NE(rect, nullptr);
    EXPECT_TRUE(rect->rect.Equals(Rect{1, -2, 300, 400}));
    std::unique_ptr<SerialisableObject> third(archive.ReadNewObject());
    auto* list = dynamic_cast<StoredTextList*>(third.get());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->texts.Count(), 3);
    EXPECT_STREQ(list->texts.Get<String>(1)->CStr(), "");
    EXPECT_STREQ(list->texts.Get<String>(2)->CStr(), "\xE9t\xE9");
    EXPECT_EQ(archive.ReadNewObject(), nullptr);
    EXPECT_EQ(archive.ErrorBits(), Archive::ErrorEndOfFile);
}

TEST_F(ArchiveTest, EmptyTextIsCountOneAndCountZeroReadsEmpty) {
    {
        Archive archive(PathOf("text.bin"), Archive::DirectionWrite);
        StoredText text;
        archive.TransferObject(text);
    }
    const std::string written = folder.Read("text.bin");
    EXPECT_EQ(written.substr(20), Word(1) + std::string(1, '\0'));

    folder.Write("zero.bin",
                 written.substr(0, 8) + Word(StoredText::ClassIdentifier) + Word(8) + Word(4) + Word(0));
    Archive archive(PathOf("zero.bin"), Archive::DirectionRead);
    StoredText text;
    text.text = "stale";
    archive.TransferObject(text);
    EXPECT_EQ(archive.ErrorBits(), 0u);
    EXPECT_TRUE(text.text.IsEmpty());
}

TEST_F(ArchiveTest, OlderLayoutWithoutMarksReadsFloatsAndOneLength) {
    // No marks: one length word, the double stored as a 4-byte float.
    const std::string old = Word(Sample::Id) + Word(15) + Word(7) + Word(3) + "AB" + std::string(1, '\0') +
                            Bytes({0x00, 0x00, 0xC0, 0x3F});
    folder.Write("old.bin", old);
    Archive archive(PathOf("old.bin"), Archive::DirectionRead);
    EXPECT_FALSE(archive.HasLengths());
    EXPECT_TRUE(archive.StoresFloats());
    EXPECT_EQ(archive.FormatVersion(), 1);
    Sample sample;
    archive.TransferObject(sample);
    EXPECT_EQ(archive.ErrorBits(), 0u);
    EXPECT_EQ(sample.number, 7);
    EXPECT_STREQ(sample.text.CStr(), "AB");
    EXPECT_DOUBLE_EQ(sample.value, 1.5);
    EXPECT_EQ(sample.addition, -1) << "a section the old layout cannot have keeps its value";
}

TEST_F(ArchiveTest, LengthsMarkWithoutDoublesMarkKeepsFloats) {
    const std::string file = Word(Archive::LengthsMark) + Word(Sample::Id) + Word(19) + Word(15) + Word(7) +
                             Word(3) + "AB" + std::string(1, '\0') + Bytes({0x00, 0x00, 0x20, 0xC0});
    folder.Write("mixed.bin", file);
    Archive archive(PathOf("mixed.bin"), Archive::DirectionRead);
    Sample sample;
    archive.TransferObject(sample);
    EXPECT_EQ(archive.ErrorBits(), 0u);
    EXPECT_DOUBLE_EQ(sample.value, -2.5);
}

TEST_F(ArchiveTest, TinyDoublesReadAsZero) {
    Sample tiny = MakeSample();
    tiny.value = 1e-31;
    WriteSample("tiny.bin", tiny);
    Archive archive(PathOf("tiny.bin"), Archive::DirectionRead);
    Sample sample;
    sample.value = 5.0;
    archive.TransferObject(sample);
    EXPECT_EQ(sample.value, 0.0);
}

TEST_F(ArchiveTest, ReaderSkipsWhatItDoesNotKnowAndNewerFieldsKeepTheirValues) {
    {
        Archive archive(PathOf("two.bin"), Archive::DirectionWrite);
        Sample first = MakeSample();
        archive.TransferObject(first);
        OlderSample second;
        second.number = 8;
        second.text = "old";
        archive.TransferObject(second);
    }
    Archive archive(PathOf("two.bin"), Archive::DirectionRead);
    OlderSample older;
    archive.TransferObject(older);
    EXPECT_EQ(older.number, 7);
    Sample newer;
    newer.value = 3.25;
    archive.TransferObject(newer);
    EXPECT_EQ(archive.ErrorBits(), 0u);
    EXPECT_EQ(newer.number, 8) << "the older reader skipped the rest of the first block";
    EXPECT_STREQ(newer.text.CStr(), "old");
    EXPECT_DOUBLE_EQ(newer.value, 3.25) << "reading past the block leaves the field unchanged";
    EXPECT_EQ(newer.addition, -1);
}

TEST_F(ArchiveTest, LargeObjectsCrossTheWindowAndPatchLengthsBehindIt) {
    // The text puts the second section's length word across the 64 KiB boundary, so its write-back
    // lands half in the file and half in the window.
    Sample big = MakeSample();
    std::string text(65534 - 37, 'x');
    text[0] = 'S';
    text.back() = 'E';
    big.text = text.c_str();
    {
        Archive archive(PathOf("big.bin"), Archive::DirectionWrite);
        archive.TransferObject(big);
        for (int i = 0; i < 3; ++i) {
            archive.TransferObject(big);
        }
    }
    const std::string bytes = folder.Read("big.bin");
    EXPECT_EQ(bytes.size(), 4 * (12 + 4 + 4 + text.size() + 1 + 8 + 4 + 4) + 8);
    EXPECT_EQ(bytes.substr(65534, 4), Word(4)) << "the straddling length word was patched";
    Archive archive(PathOf("big.bin"), Archive::DirectionRead);
    for (int i = 0; i < 4; ++i) {
        Sample sample;
        archive.TransferObject(sample);
        ASSERT_EQ(archive.ErrorBits(), 0u) << i;
        EXPECT_EQ(sample.text.Length(), static_cast<int32_t>(text.size()));
        EXPECT_EQ(sample.text.At(sample.text.Length()), 'E');
        EXPECT_EQ(sample.addition, 99) << i;
    }
}

TEST_F(ArchiveTest, MissingFileIsSilentWithTheSettingsOptions) {
    ::testing::internal::CaptureStderr();
    Archive archive(PathOf("absent.ini"), Archive::DirectionRead, 0, 514);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(archive.ErrorBits(), Archive::ErrorOpenRead);
    EXPECT_EQ(archive.ErrorsToReport(), 0u);
    Sample sample;
    archive.TransferObject(sample);
    EXPECT_EQ(sample.number, 0);

    ::testing::internal::CaptureStderr();
    Archive reported(PathOf("absent.ini"), Archive::DirectionRead);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(
        shown.find("Error in file \"" + folder / "absent.ini" + "\" -\n\n Error 2 - The file could not"),
        std::string::npos)
        << shown;
}

TEST_F(ArchiveTest, EmptyFileWithSettingsOptionsIsSilentEndOfFile) {
    folder.Write("empty.ini", GoldenSample().substr(0, 8));
    ::testing::internal::CaptureStderr();
    Archive archive(PathOf("empty.ini"), Archive::DirectionRead, 0, 514);
    Sample sample;
    archive.TransferObject(sample);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(archive.ErrorBits(), Archive::ErrorEndOfFile);
}

TEST_F(ArchiveTest, UnknownClassGivesErrorOneWithItsMessage) {
    std::string file = GoldenSample();
    file.replace(8, 4, Word(555));
    folder.Write("unknown.bin", file);
    ::testing::internal::CaptureStderr();
    Archive archive(PathOf("unknown.bin"), Archive::DirectionRead);
    std::unique_ptr<SerialisableObject> object(archive.ReadNewObject());
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(archive.ErrorBits(), Archive::ErrorUnknownClass);
    EXPECT_NE(shown.find("File Error: Error in file \"" + folder / "unknown.bin" +
                         "\" -\n\n Error 1 - Unknown object type [555] at position [20]"),
              std::string::npos)
        << shown;
}

TEST_F(ArchiveTest, InconsistentLengthsAreDamage) {
    std::string longerSection = GoldenSample();
    longerSection.replace(16, 4, Word(40)); // B beyond A
    folder.Write("b.bin", longerSection);
    ::testing::internal::CaptureStderr();
    Archive archive(PathOf("b.bin"), Archive::DirectionRead);
    Sample sample;
    archive.TransferObject(sample);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Error 64 - "), std::string::npos);
    EXPECT_EQ(archive.ErrorBits(), Archive::ErrorLengths);
    EXPECT_EQ(sample.number, 0);

    std::string beyondFile = GoldenSample();
    beyondFile.replace(12, 4, Word(5000));
    folder.Write("a.bin", beyondFile);
    ::testing::internal::CaptureStderr();
    Archive second(PathOf("a.bin"), Archive::DirectionRead);
    second.TransferObject(sample);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(second.ErrorBits(), Archive::ErrorLengths);
}

TEST_F(ArchiveTest, DirectionMistakesAreRefused) {
    WriteSample("s.bin", MakeSample());
    ::testing::internal::CaptureStderr();
    {
        Archive reading(PathOf("s.bin"), Archive::DirectionRead, 0, 0xFFFFFFFF);
        std::unique_ptr<SerialisableObject> ok(reading.ReadNewObject());
        Archive writing(PathOf("w.bin"), Archive::DirectionWrite, 0, 0xFFFFFFFF);
        EXPECT_EQ(writing.ReadNewObject(), nullptr);
        EXPECT_EQ(writing.ErrorBits(), Archive::ErrorReadWhileWriting);
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "every bit masked by the options";
}

TEST_F(ArchiveTest, EveryTruncationFailsCleanly) {
    const std::string file = GoldenSample();
    for (size_t size = 0; size < file.size(); ++size) {
        folder.Write("cut.bin", file.substr(0, size));
        ::testing::internal::CaptureStderr();
        Archive archive(PathOf("cut.bin"), Archive::DirectionRead);
        Sample sample;
        archive.TransferObject(sample);
        ::testing::internal::GetCapturedStderr();
        // A header that ends exactly at the end of the file reads as no object, without an error.
        EXPECT_TRUE(archive.ErrorBits() != 0 || size == 20) << "size " << size;
        EXPECT_EQ(sample.number, 0) << "size " << size;
        EXPECT_EQ(sample.addition, -1) << "size " << size;
    }
}

TEST_F(ArchiveTest, WideTextNeedsTheOption) {
    const std::string wide = Word(Archive::LengthsMark) + Word(Archive::DoublesMark) +
                             Word(Archive::WideTextMark) + Word(StoredText::ClassIdentifier) + Word(14) +
                             Word(10) + Word(3) + Bytes({'O', 0, 0xAC, 0x20, 0, 0});
    folder.Write("wide.bin", wide);
    ::testing::internal::CaptureStderr();
    Archive refused(PathOf("wide.bin"), Archive::DirectionRead);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Error 1024 - "), std::string::npos);
    EXPECT_EQ(refused.ErrorBits(), Archive::ErrorWideText);

    Archive accepted(PathOf("wide.bin"), Archive::DirectionRead, 0, Archive::OptionAcceptWideText);
    StoredText text;
    accepted.TransferObject(text);
    EXPECT_EQ(accepted.ErrorBits(), 0u);
    EXPECT_STREQ(text.text.CStr(), "O\x80") << "UTF-16 converted to the ANSI code page";
}

TEST(ClassRegistry, NewestRegistrationWinsAndClearEmpties) {
    ClassRegistry::RegisterClass([]() -> SerialisableObject* { return new StoredText; }, 9999);
    ClassRegistry::RegisterClass([]() -> SerialisableObject* { return new StoredColour; }, 9999);
    std::unique_ptr<SerialisableObject> made(ClassRegistry::Create(9999));
    EXPECT_NE(dynamic_cast<StoredColour*>(made.get()), nullptr);
    EXPECT_EQ(ClassRegistry::Create(123456789), nullptr);
    for (uint32_t id : {20039801u, 15099801u, 15099802u, 18099801u, 7129802u, 7079804u, 2129901u, 2129902u}) {
        EXPECT_TRUE(ClassRegistry::IsRegistered(id)) << id;
        std::unique_ptr<SerialisableObject> object(ClassRegistry::Create(id));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->ClassId(), id);
    }
}

#include "framework/File.h"

#include "framework/SystemErrorText.h"
#include "platform/Windows.h"
#include "support/TempFolder.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using framework::File;
using framework::String;

namespace {

class FileTest : public ::testing::Test {
protected:
    String PathOf(const std::string& name) const { return String((folder / name).c_str()); }
    testsupport::TempFolder folder;
};

} // namespace

TEST_F(FileTest, OpenRefusesModeZeroEmptyPathAndSecondOpen) {
    File empty{String()};
    EXPECT_EQ(empty.Open(File::ModeRead), 0);
    File file(PathOf("a.txt"));
    EXPECT_EQ(file.Open(0), 0);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Open(File::ModeWrite), 1);
    EXPECT_EQ(file.Open(File::ModeWrite), 0) << "already open";
    EXPECT_NE(file.Close(), 0);
    EXPECT_EQ(file.Close(), 0) << "nothing open";
    EXPECT_STREQ(file.Path().CStr(), PathOf("a.txt").CStr()) << "the path survives Close";
}

TEST_F(FileTest, CreationFollowsTheMode) {
    folder.Write("log.txt", "old contents\n");
    {
        File appending(PathOf("log.txt"), File::ModeRead | File::ModeWrite);
        ASSERT_TRUE(appending.IsOpen());
        EXPECT_EQ(appending.Size(), 13u) << "read-and-write keeps the contents";
        EXPECT_EQ(appending.SeekFromEnd(0), 13u);
        appending.WriteText("new line\n");
    }
    EXPECT_EQ(folder.Read("log.txt"), "old contents\nnew line\n");
    {
        File replacing(PathOf("log.txt"), File::ModeWrite);
        ASSERT_TRUE(replacing.IsOpen());
        EXPECT_EQ(replacing.Size(), 0u) << "write only replaces the file";
    }
    EXPECT_EQ(folder.Read("log.txt"), "");

    File missing(PathOf("missing.txt"), File::ModeRead);
    EXPECT_FALSE(missing.IsOpen()) << "read only opens an existing file";
    File created(PathOf("created.txt"), File::ModeRead | File::ModeWrite);
    EXPECT_TRUE(created.IsOpen()) << "read-and-write creates a missing file";
}

TEST_F(FileTest, ExclusiveWriterRefusesOtherOpens) {
    File writer(PathOf("busy.txt"), File::ModeWrite);
    ASSERT_TRUE(writer.IsOpen());
    File reader(PathOf("busy.txt"), File::ModeRead);
    EXPECT_FALSE(reader.IsOpen());

    File sharedWriter(PathOf("shared.txt"), File::ModeWrite, File::ShareRead);
    ASSERT_TRUE(sharedWriter.IsOpen());
    File sharedReader(PathOf("shared.txt"), File::ModeRead);
    EXPECT_TRUE(sharedReader.IsOpen()) << "share value 2 lets others read";
    File secondWriter(PathOf("shared.txt"), File::ModeRead | File::ModeWrite, File::ShareRead);
    EXPECT_FALSE(secondWriter.IsOpen()) << "but writers still exclude each other";
}

TEST_F(FileTest, RetryWaitsForTheFileToBeFree) {
    File writer(PathOf("busy.txt"), File::ModeWrite);
    File second(PathOf("busy.txt"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(second.Open(File::ModeWrite, 0, File::NormalAttributes, false), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90)) << "one attempt";
}

TEST_F(FileTest, ReadWriteAndSeekKeepTheLogicalPosition) {
    File file(PathOf("data.bin"), File::ModeRead | File::ModeWrite);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("0123456789", 10), 10u);
    EXPECT_EQ(file.Position(), 10u);
    EXPECT_EQ(file.Size(), 10u);
    EXPECT_EQ(file.SeekTo(2), 2u);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "2345");
    EXPECT_EQ(file.Seek(2, 1), 8u);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(file.Read(buffer, 8), 2u) << "a short read returns what it got";
    EXPECT_EQ(std::string(buffer, 8), std::string("89\0\0\0\0\0\0", 8)) << "the rest stays zero";
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(file.Transfer(buffer, 2), 0u) << "both directions: Transfer does nothing";
    EXPECT_EQ(file.Read(nullptr, 4), 0u);

    File closed(PathOf("data.bin"));
    EXPECT_EQ(closed.Read(buffer, 4), 0u);
    EXPECT_EQ(closed.Write("x", 1), 0u);
}

TEST_F(FileTest, TextModeWritesCrLf) {
    {
        File text(PathOf("text.txt"), File::ModeWrite | File::ModeText);
        EXPECT_EQ(text.WriteText("a\nb\n"), 6u);
        text.WriteFormat("%s=%i\n", "lines", 2);
        File binary(PathOf("binary.txt"), File::ModeWrite);
        binary.WriteText("a\nb\n");
    }
    EXPECT_EQ(folder.Read("text.txt"), "a\r\nb\r\nlines=2\r\n");
    EXPECT_EQ(folder.Read("binary.txt"), "a\nb\n");
}

TEST_F(FileTest, ReadLineDropsControlBytesAndReportsTheEnd) {
    folder.Write("prog.T3", "N10 G00 X1\r\n\tN20\x01 G01\xE9\nlast line");
    File file(PathOf("prog.T3"), File::ModeRead);
    String line;
    EXPECT_EQ(file.ReadLine(line, '\n', 32, 255), 1);
    EXPECT_STREQ(line.CStr(), "N10 G00 X1") << "CR dropped";
    EXPECT_EQ(file.ReadLine(line, '\n', 32, 255), 1);
    EXPECT_STREQ(line.CStr(), "\tN20 G01\xE9") << "tab and high bytes kept, other control bytes dropped";
    EXPECT_EQ(file.ReadLine(line, '\n', 32, 255), 0) << "the end of the file ended the last line";
    EXPECT_STREQ(line.CStr(), "last line");
    EXPECT_EQ(file.ReadLine(line, '\n', 32, 255), 0);
    EXPECT_TRUE(line.IsEmpty());

    File narrow(PathOf("prog.T3"), File::ModeRead);
    narrow.ReadLine(line, ' ', '0', '9');
    EXPECT_STREQ(line.CStr(), "10") << "the byte range and terminator are the caller's";
}

TEST_F(FileTest, ReadLinesJoinsWithLineFeeds) {
    folder.Write("two.T3", "  G00 X0 \r\nM30\r\n");
    File file(PathOf("two.T3"), File::ModeRead);
    String text;
    EXPECT_EQ(file.ReadLines(text, 3, true), 2);
    EXPECT_STREQ(text.CStr(), "G00 X0\nM30\n") << "the separator is written before the end is seen";

    File again(PathOf("two.T3"), File::ModeRead);
    again.ReadLines(text, 1, false);
    EXPECT_STREQ(text.CStr(), "  G00 X0 ");
    again.ReadLines(text, 5, false);
    EXPECT_STREQ(text.CStr(), "M30\n") << "continues where the last read stopped";
}

TEST_F(FileTest, LineReadsAcrossBlocksAndMixedWithBlockReads) {
    std::string program;
    for (int i = 0; i < 2000; ++i) {
        program += "N" + std::to_string(i) + " G01 X" + std::to_string(i * 3) + "\r\n";
    }
    folder.Write("long.T3", program);
    File file(PathOf("long.T3"), File::ModeRead);
    String line;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(file.ReadLine(line), 1);
        ASSERT_STREQ(line.CStr(), ("N" + std::to_string(i) + " G01 X" + std::to_string(i * 3)).c_str());
    }
    // A block read after line reads starts at the logical position, not at the read-ahead.
    const uint32_t position = file.Position();
    char buffer[6] = {};
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer), "N1000");
    EXPECT_EQ(file.Position(), position + 5);
    ASSERT_EQ(file.ReadLine(line), 1);
    EXPECT_STREQ(line.CStr(), " G01 X3000");
    int remaining = 0;
    while (file.ReadLine(line) == 1) {
        ++remaining;
    }
    EXPECT_EQ(remaining, 999);
    EXPECT_EQ(file.Position(), program.size());
}

TEST_F(FileTest, NormaliseFolderUsesSlashes) {
    File file(String("C:\\NC\\Download"));
    file.NormaliseFolder();
    EXPECT_STREQ(file.Path().CStr(), "C:/NC/Download/");
    file.NormaliseFolder();
    EXPECT_STREQ(file.Path().CStr(), "C:/NC/Download/");
}

TEST_F(FileTest, CreateFoldersMakesEveryMissingLevel) {
    std::filesystem::create_directory(folder / "a");
    File target(PathOf("a/b/c/"));
    EXPECT_EQ(target.CreateFolders(true), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a/b/c"));
    EXPECT_EQ(target.CreateFolders(true), 1) << "all exist: nothing to do";

    File forFile(PathOf("x\\y\\file.txt"));
    EXPECT_EQ(forFile.CreateFolders(false), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "x/y"));
    EXPECT_FALSE(std::filesystem::exists(folder / "x/y/file.txt"));
}

TEST_F(FileTest, CreateFoldersStopsAtAPlainFile) {
    folder.Write("plain", "not a folder");
    File target(PathOf("plain/sub/"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(target.CreateFolders(true), 0);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Unable to Create Folder"), std::string::npos) << shown;
    EXPECT_NE(shown.find(folder / "plain"), std::string::npos) << shown;

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(target.CreateFolders(false), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "nothing shown without report";
}

TEST_F(FileTest, CreateFoldersReportsTheSystemError) {
    // A folder name longer than the file system allows fails whoever runs the test, root included.
    const std::string tooLong(300, 'n');
    File target(PathOf(tooLong + "/inner/"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(target.CreateFolders(true), 0);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("Unable to Create Folder"), std::string::npos) << shown;
    // The system's own words for the error: Windows and the stand-in say "The filename or
    // extension is too long.", Wine "File name is too long."
    const std::string reason = framework::SystemErrorText(ERROR_FILENAME_EXCED_RANGE).CStr();
    EXPECT_NE(shown.find("\"" + folder / tooLong + "\"\n\n" + reason), std::string::npos) << shown;
    EXPECT_FALSE(std::filesystem::exists(folder / tooLong.substr(0, 200)));
}

TEST_F(FileTest, CreateFoldersRefusesOpenFilesAndEmptyPaths) {
    File open(PathOf("open.txt"), File::ModeWrite);
    EXPECT_EQ(open.CreateFolders(false), 0);
    File empty{String()};
    EXPECT_EQ(empty.CreateFolders(false), 0);
}

#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/temp_dir.h"

namespace tavo {
namespace {

using test::TempDir;

std::vector<std::string> ReadAll(const std::string& path, TextReader::CtrlZ ctrlZ) {
    auto reader = TextReader::Open(path, ctrlZ);
    EXPECT_TRUE(reader.has_value());
    std::vector<std::string> lines;
    std::string line;
    while (reader && reader->ReadLine(line)) lines.push_back(line);
    return lines;
}

TEST(TextReader, SplitsAtLfAndDropsOnlyTheCrBeforeIt) {
    TempDir dir;
    auto file = dir.Write("mixed.txt", "one\r\ntwo\nthree\r\r\nfo\rur\n\nlast");
    using V = std::vector<std::string>;
    EXPECT_EQ(ReadAll(file, TextReader::CtrlZ::IsText), (V{"one", "two", "three\r", "fo\rur", "", "last"}));
}

TEST(TextReader, ReadsLinesLongerThanItsBuffer) {
    TempDir dir;
    std::string longLine(200000, 'x');
    longLine[123456] = '\xff';
    auto file = dir.Write("long.txt", longLine + "\r\nend\r\n");
    auto lines = ReadAll(file, TextReader::CtrlZ::IsText);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], longLine);
    EXPECT_EQ(lines[1], "end");
}

TEST(TextReader, AtEndSaysWhetherAnythingFollowsTheLineJustRead) {
    TempDir dir;
    for (std::string_view ending : {"a\r\nb\r\n", "a\r\nb"}) {
        auto reader = TextReader::Open(dir.Write("f.txt", ending));
        std::string line;
        ASSERT_TRUE(reader->ReadLine(line));
        EXPECT_FALSE(reader->AtEnd());
        ASSERT_TRUE(reader->ReadLine(line));
        EXPECT_EQ(line, "b");
        EXPECT_TRUE(reader->AtEnd());
        EXPECT_FALSE(reader->ReadLine(line));
    }
    auto empty = TextReader::Open(dir.Write("empty.txt", ""));
    EXPECT_TRUE(empty->AtEnd());
}

TEST(TextReader, CtrlZWhereALineBeginsEndsALogButNotOtherText) {
    TempDir dir;
    auto file = dir.Write("log.txt", "a\r\nb\x1a mid\r\n\x1a\r\nafter\r\n");
    using V = std::vector<std::string>;
    EXPECT_EQ(ReadAll(file, TextReader::CtrlZ::EndsFile), (V{"a", "b\x1a mid"}));
    EXPECT_EQ(ReadAll(file, TextReader::CtrlZ::IsText), (V{"a", "b\x1a mid", "\x1a", "after"}));
}

TEST(TextReader, CannotOpenAMissingFileOrAFolder) {
    TempDir dir;
    EXPECT_FALSE(TextReader::Open(dir.File("missing.txt")).has_value());
    EXPECT_FALSE(TextReader::Open(dir.Path().string()).has_value());
    EXPECT_FALSE(TextReader::Open("").has_value());
    EXPECT_FALSE(FileExists(dir.Path().string()));
    EXPECT_TRUE(FileExists(dir.Write("x", "")));
}

TEST(TextWriter, WritesCrLfLinesAndReplacesAnEarlierFile) {
    TempDir dir;
    auto path = dir.Write("out.txt", "old content that is longer\r\n");
    auto out = TextWriter::Create(path);
    ASSERT_TRUE(out.has_value());
    out->WriteLine("first");
    out->Write("se");
    out->WriteLine("cond");
    out->WriteLine();
    out->Close();
    EXPECT_EQ(test::ReadBytes(path), "first\r\nsecond\r\n\r\n");
}

TEST(TextWriter, CannotCreateInAMissingFolderOrOverAFolder) {
    TempDir dir;
    EXPECT_FALSE(TextWriter::Create(dir.File("no/such/dir.txt")).has_value());
    EXPECT_FALSE(TextWriter::Create(dir.Path().string()).has_value());
}

#ifdef __linux__
TEST(TextWriter, RaisesAWriteFailureWithTheFileName) {
    auto out = TextWriter::Create("/dev/full");
    ASSERT_TRUE(out.has_value());
    try {
        for (int i = 0; i < 100000; ++i) out->WriteLine("filling the disk");
        out->Close();
        FAIL() << "no error raised";
    } catch (const IoError& e) {
        EXPECT_EQ(e.FileName(), "/dev/full");
        EXPECT_NE(std::string(e.what()).find("/dev/full: "), std::string::npos);
    }
}

TEST(TextReader, RaisesAReadFailureWithTheFileName) {
    // The lowest page of our own memory is never mapped: reading it fails with EIO.
    std::FILE* probe = std::fopen("/proc/self/mem", "rb");
    if (probe == nullptr) GTEST_SKIP() << "no /proc here";
    std::fclose(probe);
    auto reader = TextReader::Open("/proc/self/mem");
    ASSERT_TRUE(reader.has_value());
    std::string line;
    EXPECT_THROW(reader->ReadLine(line), IoError);
}
#endif

}  // namespace
}  // namespace tavo

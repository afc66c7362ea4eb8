#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

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
    EXPECT_EQ(ReadAll(file, TextReader::CtrlZ::IsText),
              (V{"one", "two", "three\r", "fo\rur", "", "last"}));
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

// The lines as views, copied before the next read.
std::vector<std::string> ReadAllViews(const std::string& path, TextReader::CtrlZ ctrlZ) {
    auto reader = TextReader::Open(path, ctrlZ);
    EXPECT_TRUE(reader.has_value());
    std::vector<std::string> lines;
    std::string_view line;
    while (reader && reader->ReadLine(line)) lines.emplace_back(line);
    return lines;
}

// Views into the read bytes give the very lines a copy gives: line ends, a
// last line without one, Ctrl-Z, lines over the bound, and a file that grew
// after the open, whose lines then cross a refill.
TEST(TextReader, ViewsGiveTheSameLinesAsCopies) {
    TempDir dir;
    const std::string big(TextReader::kMaxLine + 5, 'b');
    for (const std::string& bytes :
         {std::string("one\r\ntwo\nthree\r\r\nfo\rur\n\nlast"), std::string("a\r\n\x1a\r\nb\r\n"),
          "x\r\n" + big + "\r\n" + std::string(TextReader::kMaxLine, 'e') + "\r\nend"}) {
        const std::string file = dir.Write("log.txt", bytes);
        for (auto ctrlZ : {TextReader::CtrlZ::IsText, TextReader::CtrlZ::EndsFile})
            EXPECT_EQ(ReadAllViews(file, ctrlZ), ReadAll(file, ctrlZ));
    }
    const std::string file = dir.Write("grown.txt", "first\r\nsecond ");
    auto reader = TextReader::Open(file);
    ASSERT_TRUE(reader.has_value());
    dir.Write("grown.txt", "first\r\nsecond half\r\n" + std::string(100000, 'g') + "\r\nlast");
    std::vector<std::string> lines;
    for (std::string_view line; reader->ReadLine(line);) lines.emplace_back(line);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"first", "second half", std::string(100000, 'g'), "last"}));
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

TEST(TextReader, ReadBytesGivesTheBytesAsTheyStandFromWhereReadingIs) {
    TempDir dir;
    const std::string bytes = "a\r\n\x1a" + std::string(200000, 'z') + "\r\nend";
    auto reader = TextReader::Open(dir.Write("log.adi", bytes), TextReader::CtrlZ::EndsFile);
    std::string line;
    ASSERT_TRUE(reader->ReadLine(line));
    std::string rest(bytes.size(), '\0');
    rest.resize(reader->ReadBytes(rest.data(), rest.size()));
    EXPECT_TRUE(rest == bytes.substr(3));
    EXPECT_EQ(reader->ReadBytes(rest.data(), 1), 0u);
}

TEST(TextReader, LendBytesGivesWhatMemoryHoldsAsReadBytesWould) {
    TempDir dir;
    const std::string bytes = "a\r\n\x1a" + std::string(200000, 'z') + "\r\nend";
    auto reader = TextReader::Open(dir.Write("log.adi", bytes), TextReader::CtrlZ::EndsFile);
    std::string line;
    ASSERT_TRUE(reader->ReadLine(line));
    bool last = false;
    std::string_view lent = reader->LendBytes(last);
    EXPECT_TRUE(lent == std::string_view(bytes).substr(3));
    EXPECT_TRUE(last);
    EXPECT_EQ(std::string(lent.data() + lent.size(), TextReader::kLendPad),
              std::string(TextReader::kLendPad, '\0'));
    EXPECT_TRUE(reader->LendBytes(last).empty());
    // A file that grew after the open is held in part: the rest is read on.
    const std::string path = dir.Write("grown.adi", "");
    auto grown = TextReader::Open(path);
    dir.Write("grown.adi", bytes);
    lent = grown->LendBytes(last);
    EXPECT_FALSE(last);
    std::string all(lent);
    all.resize(bytes.size() + 1);
    all.resize(lent.size() + grown->ReadBytes(all.data() + lent.size(), all.size() - lent.size()));
    EXPECT_TRUE(all == bytes);
}

TEST(TextReader, CannotOpenAMissingFileOrAFolder) {
    TempDir dir;
    EXPECT_FALSE(TextReader::Open(dir.File("missing.txt")).has_value());
    EXPECT_FALSE(TextReader::Open(dir.Path().string()).has_value());
    EXPECT_FALSE(TextReader::Open("").has_value());
    EXPECT_FALSE(FileExists(dir.Path().string()));
    EXPECT_TRUE(FileExists(dir.Write("x", "")));
}

TEST(TextReader, CutsALineBeyondTheBoundAndGoesOnAtTheNext) {
    TempDir dir;
    const std::size_t max = TextReader::kMaxLine;
    std::string huge(3 * max + 17, 'q');
    huge[max - 1] = 'k';  // the last byte kept
    auto file = dir.Write("huge.txt", "first\r\n" + huge + "\r\n" + std::string(max, 'e') +
                                          "\r\nafter\r\n" + std::string(max + 1, 't'));
    auto lines = ReadAll(file, TextReader::CtrlZ::IsText);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "first");
    EXPECT_EQ(lines[1].size(), max);
    EXPECT_EQ(lines[1].back(), 'k');
    // A line of exactly the bound loses nothing but its CR LF.
    EXPECT_EQ(lines[2], std::string(max, 'e'));
    EXPECT_EQ(lines[3], "after");
    EXPECT_EQ(lines[4], std::string(max, 't'));
}

TEST(TextReader, RewindStartsOverWithTheCtrlZRuleGiven) {
    TempDir dir;
    auto reader = TextReader::Open(dir.Write("log.txt", "a\r\n\x1a\r\nb\r\n"));
    ASSERT_TRUE(reader.has_value());
    std::vector<std::string> lines;
    for (std::string line; reader->ReadLine(line);) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "\x1a", "b"}));
    reader->Rewind(TextReader::CtrlZ::EndsFile);
    lines.clear();
    for (std::string line; reader->ReadLine(line);) lines.push_back(line);
    EXPECT_EQ(lines, std::vector<std::string>{"a"});
}

// A log is read once: detection's look and the pass after the rewind see
// the same lines, however many reads the file took.
TEST(TextReader, RewindAfterALongFileGivesTheSameLines) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "QSO: 14025 CW 2012-11-24 " + std::to_string(i) + "\r\n";
    auto reader = TextReader::Open(dir.Write("long.log", text));
    ASSERT_TRUE(reader.has_value());
    std::vector<std::string> first;
    for (std::string line; first.size() < 7 && reader->ReadLine(line);) first.push_back(line);
    reader->Rewind(TextReader::CtrlZ::EndsFile);
    std::vector<std::string> all;
    for (std::string line; reader->ReadLine(line);) all.push_back(line);
    ASSERT_EQ(all.size(), 20000u);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin()));
    EXPECT_EQ(all.back(), "QSO: 14025 CW 2012-11-24 19999");
}

#ifndef _WIN32
// What is not a regular file is refused at once: a FIFO with no writer would
// hold the open forever, a device would never end.
TEST(TextReader, RefusesFifosDevicesAndLinkLoopsAtOnce) {
    TempDir dir;
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(TextReader::Open(fifo).has_value());
    EXPECT_FALSE(TextReader::Open("/dev/zero").has_value());
    EXPECT_FALSE(TextReader::Open("/dev/null").has_value());
    std::filesystem::create_symlink("loop-b", dir.File("loop-a"));
    std::filesystem::create_symlink("loop-a", dir.File("loop-b"));
    EXPECT_FALSE(TextReader::Open(dir.File("loop-a")).has_value());
    EXPECT_FALSE(FileExists(dir.File("loop-a")));
    // A link to a regular file is that file.
    std::filesystem::create_symlink(dir.Write("real.txt", "x\n"), dir.File("link.txt"));
    EXPECT_EQ(ReadAll(dir.File("link.txt"), TextReader::CtrlZ::IsText),
              std::vector<std::string>{"x"});
}

TEST(SameFile, IsTrueThroughHardAndSymbolicLinksOnly) {
    TempDir dir;
    const std::string log = dir.Write("cq.cbr", "log");
    std::filesystem::create_hard_link(log, dir.File("hard.tavo"));
    std::filesystem::create_symlink("cq.cbr", dir.File("soft.tavo"));
    EXPECT_TRUE(SameFile(log, dir.File("hard.tavo")));
    EXPECT_TRUE(SameFile(dir.File("soft.tavo"), log));
    EXPECT_FALSE(SameFile(log, dir.Write("other.tavo", "log")));
    EXPECT_FALSE(SameFile(log, dir.File("missing.tavo")));
    // A replacement told to keep the log refuses every name that leads to it.
    const std::optional<FileIdentity> keep = TextReader::Open(log)->Identity();
    ASSERT_EQ(keep, IdentityOf(log));
    for (const char* name : {"hard.tavo", "soft.tavo", "cq.cbr"}) {
        errno = 0;
        EXPECT_FALSE(TextWriter::Replace(dir.File(name), TextWriter::Sync::None, keep)) << name;
        EXPECT_EQ(errno, EEXIST) << name;
    }
    EXPECT_EQ(test::ReadBytes(log), "log");
    EXPECT_TRUE(TextWriter::Replace(dir.File("other.tavo"), TextWriter::Sync::None, keep));
}
#endif

std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The old file stays whole until the new one is complete, and a replacement
// dropped part-way (a write error unwinding) leaves it and nothing else.
TEST(TextWriter, AReplacementTakesTheOldFilesPlaceOnlyWhenClosed) {
    TempDir dir;
    const std::string path = dir.Write("cq.tavo", "old report\r\n");
    {
        auto out = TextWriter::Replace(path);
        ASSERT_TRUE(out.has_value());
        out->WriteLine("new report, never finished");
        EXPECT_EQ(test::ReadBytes(path), "old report\r\n");
    }
    EXPECT_EQ(test::ReadBytes(path), "old report\r\n");
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"cq.tavo"});
    auto out = TextWriter::Replace(path);
    ASSERT_TRUE(out.has_value());
    out->WriteLine("new report");
    out->Close();
    EXPECT_EQ(test::ReadBytes(path), "new report\r\n");
    EXPECT_EQ(NamesIn(dir.Path()), std::vector<std::string>{"cq.tavo"});
    // A new file is made the same way.
    auto fresh = TextWriter::Replace(dir.File("new.tavo"));
    ASSERT_TRUE(fresh.has_value());
    fresh->Close();
    EXPECT_EQ(test::ReadBytes(dir.File("new.tavo")), "");
    EXPECT_FALSE(TextWriter::Replace(dir.Path().string()).has_value());
    EXPECT_FALSE(TextWriter::Replace(dir.File("no/such/dir.txt")).has_value());
}

#ifndef _WIN32
TEST(TextWriter, AReplacementKeepsModeAndLinksAndWritesDevicesInPlace) {
    TempDir dir;
    const std::string path = dir.Write("cq.tavo", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string target = dir.Write("kept/real.tavo", "old");
    std::filesystem::create_symlink(target, dir.File("link.tavo"));
    for (const std::string& name : {path, dir.File("link.tavo"), std::string("/dev/null")}) {
        auto out = TextWriter::Replace(name);
        ASSERT_TRUE(out.has_value()) << name;
        out->Write("new");
        out->Close();
    }
    EXPECT_EQ(test::ReadBytes(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.tavo")));
    EXPECT_EQ(test::ReadBytes(target), "new");
    EXPECT_EQ(NamesIn(dir.File("kept")), std::vector<std::string>{"real.tavo"});
    // Bits the umask would take from a new file are kept on an old one.
    const std::string open = dir.Write("open.tavo", "old");
    ASSERT_EQ(::chmod(open.c_str(), 0666), 0);
    auto out = TextWriter::Replace(open);
    ASSERT_TRUE(out.has_value());
    out->Close();
    ASSERT_EQ(::stat(open.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0666u);
}
#endif

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

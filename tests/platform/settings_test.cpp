#include "common/paths.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include "platform/program_path.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace tavo {
namespace {

using test::Lines;
using test::ReadBytes;
using test::TempDir;

class SettingsFile : public ::testing::Test {
  protected:
    std::string Write(std::string_view bytes) { return dir.Write("tavow.ini", bytes); }
    std::string Read(std::string_view section, std::string_view key) {
        return ReadProfileString(dir.File("tavow.ini"), section, key, "<default>");
    }
    int ReadInt(std::string_view key) {
        return ReadProfileInt(dir.File("tavow.ini"), "window", key, -7);
    }

    TempDir dir;
};

TEST_F(SettingsFile, SectionAndKeyNamesMatchInAnyLetterCase) {
    Write(Lines({"[Window]", "LEFT=10", "top=20", "[view]", "Name=vi"}));
    EXPECT_EQ(Read("window", "Left"), "10");
    EXPECT_EQ(Read("WINDOW", "Top"), "20");
    EXPECT_EQ(Read("VIEW", "NAME"), "vi");
}

TEST_F(SettingsFile, TheFirstMatchingSectionAndKeyWin) {
    Write(Lines({"[window]", "Left=1", "left=2", "[WINDOW]", "Left=3", "Top=4"}));
    EXPECT_EQ(Read("window", "Left"), "1");
    // Only the first section of a name is searched.
    EXPECT_EQ(Read("window", "Top"), "<default>");
}

TEST_F(SettingsFile, BlanksAroundTheEqualsSignAndAtTheEndAreNotPartOfTheValue) {
    Write(Lines({"  [VIEW]  ", " \tNAME \t=  my viewer -x  \t", "[a]", "k= = v ="}));
    EXPECT_EQ(Read("VIEW", "NAME"), "my viewer -x");
    EXPECT_EQ(Read("a", "k"), "= v =");
    // The names asked for are trimmed too.
    EXPECT_EQ(Read(" VIEW ", " NAME "), "my viewer -x");
}

TEST_F(SettingsFile, OnePairOfMatchingQuotesAroundAValueIsDropped) {
    Write(Lines({"[q]", "a=\"two words\"", "b='x'", "c=\"mixed'", "d=\"", "e=''", "f=\"\"in\"\""}));
    EXPECT_EQ(Read("q", "a"), "two words");
    EXPECT_EQ(Read("q", "b"), "x");
    EXPECT_EQ(Read("q", "c"), "\"mixed'");
    EXPECT_EQ(Read("q", "d"), "\"");
    EXPECT_EQ(Read("q", "e"), "");
    EXPECT_EQ(Read("q", "f"), "\"in\"");
}

TEST_F(SettingsFile, CommentsAndUnknownLinesAreNeverTakenForKeys) {
    Write(Lines({"; Left=5", "junk line", "[window]", ";Left=6", "# Top=7", "[broken", "Width=8"}));
    EXPECT_EQ(Read("window", "Left"), "<default>");
    EXPECT_EQ(Read("window", "Top"), "<default>");
    // "[broken" has no closing bracket: an ordinary line inside [window].
    EXPECT_EQ(Read("window", "Width"), "8");
}

TEST_F(SettingsFile, AnEmptyValueReadsAsEmptyButAKeyWithoutEqualsAsMissing) {
    Write(Lines({"[VIEW]", "NAME=", "OTHER"}));
    EXPECT_EQ(Read("VIEW", "NAME"), "");
    EXPECT_EQ(Read("VIEW", "OTHER"), "<default>");
}

TEST_F(SettingsFile, AMissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks) {
    EXPECT_EQ(Read("window", "Left"), "<default>");
    Write(Lines({"[window]", "Left=1"}));
    EXPECT_EQ(Read("VIEW", "NAME"), "<default>");
    EXPECT_EQ(Read("window", "Top"), "<default>");
    EXPECT_EQ(ReadProfileString(dir.File("tavow.ini"), "VIEW", "NAME", " notepad.exe  "),
              " notepad.exe");
}

TEST_F(SettingsFile, LinesMayEndInCrLfLfOrCrAndTheLastNeedsNoEnd) {
    Write("[window]\nLeft=1\rTop=2\r\n\r\n\nWidth=3");
    EXPECT_EQ(Read("window", "Left"), "1");
    EXPECT_EQ(Read("window", "Top"), "2");
    EXPECT_EQ(Read("window", "Width"), "3");
}

TEST_F(SettingsFile, IntegersAreDecimalOrHexadecimalElseTheDefault) {
    Write(Lines({"[window]", "Left=-12", "Top=$1F", "Width=0x20", "Height=0X10", "a=12abc",
                 "b=", "c=99999999999", "d= 7 ", "e=1.5", "f=\"42\""}));
    EXPECT_EQ(ReadInt("Left"), -12);
    EXPECT_EQ(ReadInt("Top"), 31);
    EXPECT_EQ(ReadInt("Width"), 32);
    EXPECT_EQ(ReadInt("Height"), 16);
    EXPECT_EQ(ReadInt("a"), -7);
    EXPECT_EQ(ReadInt("b"), -7);
    EXPECT_EQ(ReadInt("c"), -7);
    EXPECT_EQ(ReadInt("d"), 7);
    EXPECT_EQ(ReadInt("e"), -7);
    EXPECT_EQ(ReadInt("f"), 42);
    EXPECT_EQ(ReadInt("missing"), -7);
}

TEST_F(SettingsFile, WritingIntoNoFileCreatesTheSectionAndTheKey) {
    std::string file = dir.File("tavow.ini");
    WriteProfileInt(file, "window", "Left", -5);
    WriteProfileInt(file, "window", "Top", 0);
    WriteProfileString(file, "VIEW", "NAME", "notepad.exe");
    EXPECT_EQ(ReadBytes(file),
              Lines({"[window]", "Left=-5", "Top=0", "[VIEW]", "NAME=notepad.exe"}));
}

// Windows writes the whole file back from what it read: every line stays, in
// its order and letter case, but trimmed, blank lines dropped, CR LF after each.
TEST_F(SettingsFile, AChangeWritesTheFileBackTidiedAsWindowsDoes) {
    std::string file =
        Write(Lines({"; written by hand", "", "[ Window ] x", "  LEFT = 1  ; old", "Top=2",
                     "unknown line", "", "[other]", "Left=9", "[VIEW]", "NAME=vi"}));
    WriteProfileString(file, "window", "Left", "  30  ");  // blanks before a value go
    EXPECT_EQ(ReadBytes(file),
              Lines({"; written by hand", "[Window]", "LEFT=30  ", "Top=2", "unknown line", "[other]",
                     "Left=9", "[VIEW]", "NAME=vi"}));
}

TEST_F(SettingsFile, AnUnchangedValueLeavesTheFileAsItWas) {
    const std::string bytes = "[window]\n  Left = 1 \n\n[VIEW]\nNAME=vi";
    std::string file = Write(bytes);
    WriteProfileString(file, "WINDOW", "left", " 1");
    EXPECT_EQ(ReadBytes(file), bytes);
}

TEST_F(SettingsFile, ANewKeyGoesAfterTheLastLineOfItsSection) {
    std::string file = Write("[window]\nLeft=1\n; note\n\n\n[VIEW]\nNAME=vi\n");
    WriteProfileInt(file, "window", "Width", 380);
    WriteProfileString(file, "view", "Extra", " x");
    EXPECT_EQ(ReadBytes(file),
              Lines({"[window]", "Left=1", "; note", "Width=380", "[VIEW]", "NAME=vi", "Extra=x"}));
}

TEST_F(SettingsFile, ANewSectionGoesAtTheEndEvenWithoutAFinalLineBreak) {
    std::string file = Write("[window]\r\nLeft=1");
    WriteProfileString(file, "VIEW", "NAME", "");
    EXPECT_EQ(ReadBytes(file), Lines({"[window]", "Left=1", "[VIEW]", "NAME="}));
    EXPECT_EQ(Read("VIEW", "NAME"), "");
}

TEST_F(SettingsFile, AFileThatCannotBeWrittenRaisesAnErrorNamingIt) {
    std::string file = dir.File("no such folder/tavow.ini");
    try {
        WriteProfileInt(file, "window", "Left", 0);
        FAIL() << "no error raised";
    } catch (const IoError& error) {
        EXPECT_EQ(error.FileName(), file);
        EXPECT_NE(std::string(error.what()).find(file), std::string::npos);
    }
    EXPECT_THROW(WriteProfileInt(dir.Path().string(), "window", "Left", 0), IoError);
}

TEST(SettingsFileName, IsTheProgramPathWithTheExtensionIni) {
    EXPECT_EQ(SettingsFileName("/opt/tavo/tavow"), "/opt/tavo/tavow.ini");
    EXPECT_EQ(SettingsFileName("/opt/tavo.d/tavow"), "/opt/tavo.d/tavow.ini");
    EXPECT_EQ(SettingsFileName("/opt/tavo/tavow.bin"), "/opt/tavo/tavow.ini");
}

TEST(ProgramFileName, IsTheFullPathOfTheRunningProgram) {
    std::string path = ProgramFileName();
    ASSERT_FALSE(path.empty());
#ifdef _WIN32
    EXPECT_EQ(path.substr(1, 2), ":\\");
    EXPECT_EQ(ExtractFileName(path), "platform_test.exe");
#else
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(ExtractFileName(path), "platform_test");
#endif
    EXPECT_TRUE(FileExists(path));
}

}  // namespace
}  // namespace tavo

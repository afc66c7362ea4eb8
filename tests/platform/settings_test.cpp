#include "platform/settings.h"

#include <gtest/gtest.h>

#include "common/paths.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

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

// A run of reads takes the file as one read found it; other files, and the
// reads after the run, read the file as it is then. Windows' own functions
// read the file for each value.
#ifndef _WIN32
TEST_F(SettingsFile, ReadOnceKeepsTheFileAsItWasForItsRunOfReads) {
    Write(Lines({"[window]", "Left=1", "Top=2"}));
    {
        const ProfileReadOnce once(dir.File("tavow.ini"));
        Write(Lines({"[window]", "Left=9"}));
        EXPECT_EQ(Read("window", "Left"), "1");
        EXPECT_EQ(Read("window", "Top"), "2");
        const std::string other = dir.Write("other.ini", Lines({"[window]", "Left=5"}));
        EXPECT_EQ(ReadProfileString(other, "window", "Left", ""), "5");
    }
    EXPECT_EQ(Read("window", "Left"), "9");
    EXPECT_EQ(Read("window", "Top"), "<default>");
}
#endif

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

#ifndef _WIN32
// Real Windows changes only the line of the key it writes (Wine, which the
// Windows builds are tested under, tidies the whole file instead), so these
// hold for the POSIX layer.

// A file kept by hand: comments, blank lines, odd spacing, other sections and
// LF line ends all survive a save; only the written keys' lines change.
TEST_F(SettingsFile, ASaveChangesOnlyTheLinesOfTheKeysItWrites) {
    const std::string before =
        "; written by hand\n\n[ Window ] x\n  LEFT = 1  ; old\n\tTop=2\nunknown line\n\n"
        "[other]\nLeft=9\n   \n[VIEW]\nNAME = \"/opt/my viewer/v\" -r \n# the end";
    std::string file = Write(before);
    WriteProfileString(file, "window", "Left", "  30  ");  // blanks before a value go
    WriteProfileString(file, "window", "Top", "2");        // unchanged: not rewritten
    WriteProfileString(file, "VIEW", "NAME", "less");
    WriteProfileInt(file, "window", "Width", 380);
    EXPECT_EQ(ReadBytes(file),
              "; written by hand\n\n[ Window ] x\n  LEFT=30  \n\tTop=2\nunknown line\nWidth=380\n\n"
              "[other]\nLeft=9\n   \n[VIEW]\nNAME=less\n# the end");
    EXPECT_EQ(ReadInt("Left"), 30);
    EXPECT_EQ(Read("other", "Left"), "9");
}

TEST_F(SettingsFile, ANewKeyGoesAfterTheLastLineOfItsSection) {
    std::string file = Write("[window]\nLeft=1\n; note\n\n\n[VIEW]\nNAME=vi");
    WriteProfileInt(file, "window", "Width", 380);
    WriteProfileString(file, "view", "Extra", " x");
    WriteProfileString(file, "New", "k", "v");
    EXPECT_EQ(ReadBytes(file),
              "[window]\nLeft=1\n; note\nWidth=380\n\n\n[VIEW]\nNAME=vi\nExtra=x\n[New]\nk=v\n");
}

// A viewer name typed with a line break must not add keys or sections.
TEST_F(SettingsFile, AValueIsCutAtItsFirstLineBreak) {
    std::string file = Write("[VIEW]\r\nNAME=vi\r\n");
    WriteProfileString(file, "VIEW", "NAME", "less\r\n[window]\r\nLeft=99");
    WriteProfileString(file, "VIEW", "Other", "a\nb");
    EXPECT_EQ(ReadBytes(file), Lines({"[VIEW]", "NAME=less", "Other=a"}));
    EXPECT_EQ(ReadInt("Left"), -7);
}

// The new file is written beside the old one and renamed over it: no
// temporary is left, and the old file's permissions stay.
TEST_F(SettingsFile, ASaveReplacesTheFileWholeAndLeavesNoTemporary) {
    std::string file = Write("[window]\nLeft=1\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    WriteProfileInt(file, "window", "Left", 2);
    EXPECT_EQ(ReadBytes(file), "[window]\nLeft=2\n");
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"tavow.ini"});
}

// A settings file kept elsewhere through a link stays a link.
TEST_F(SettingsFile, ALinkedSettingsFileIsWrittenWhereItPoints) {
    std::string real = dir.Write("real.ini", "[window]\nLeft=1\n");
    std::filesystem::create_symlink(real, dir.File("tavow.ini"));
    WriteProfileInt(dir.File("tavow.ini"), "window", "Left", 5);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("tavow.ini")));
    EXPECT_EQ(ReadBytes(real), "[window]\nLeft=5\n");
}

TEST_F(SettingsFile, TheFirstSaveCreatesTheSettingsFolder) {
    std::string file = dir.File("config/tavo/tavow.ini");
    WriteProfileInt(file, "window", "Left", 3);
    EXPECT_EQ(ReadBytes(file), Lines({"[window]", "Left=3"}));
}

// A failed write leaves the old file as it was, and no temporary behind. A
// file-size limit makes the write fail even for root.
TEST_F(SettingsFile, AFailedSaveLeavesTheOldFileWhole) {
    const std::string before = "; keep me\n[window]\nLeft=1\n";
    std::string file = Write(before);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before.size();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        WriteProfileString(file, "window", "Left", "a value longer than the limit");
    } catch (const IoError& error) {
        raised = true;
        EXPECT_EQ(error.FileName(), file);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadBytes(file), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"tavow.ini"});
}
#endif

TEST_F(SettingsFile, AnUnchangedValueLeavesTheFileAsItWas) {
    const std::string bytes = "[window]\n  Left = 1 \n\n[VIEW]\nNAME=vi";
    std::string file = Write(bytes);
    WriteProfileString(file, "WINDOW", "left", " 1");
    EXPECT_EQ(ReadBytes(file), bytes);
}

TEST_F(SettingsFile, ANewSectionGoesAtTheEndEvenWithoutAFinalLineBreak) {
    std::string file = Write("[window]\r\nLeft=1");
    WriteProfileString(file, "VIEW", "NAME", "");
    EXPECT_EQ(ReadBytes(file), Lines({"[window]", "Left=1", "[VIEW]", "NAME="}));
    EXPECT_EQ(Read("VIEW", "NAME"), "");
}

TEST_F(SettingsFile, AFileThatCannotBeWrittenRaisesAnErrorNamingIt) {
    // A folder that cannot be, because a file has its name.
    dir.Write("a file", "");
    std::string file = dir.File("a file/tavow.ini");
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

#ifdef _WIN32
TEST(WindowSettingsFileName, LiesBesideTheProgram) {
    EXPECT_EQ(WindowSettingsFileName(), SettingsFileName(ProgramFileName()));
}
#else
// Sets one environment variable for a test's length.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The XDG base directory rule; a relative XDG_CONFIG_HOME does not count.
TEST(WindowSettingsFileName, IsTavowIniInTheUsersConfigurationFolder) {
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/home/op/.cfg");
        EXPECT_EQ(WindowSettingsFileName(), "/home/op/.cfg/tavo/tavow.ini");
    }
    ScopedEnv home("HOME", "/home/op");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(WindowSettingsFileName(), "/home/op/.config/tavo/tavow.ini");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(WindowSettingsFileName(), "/home/op/.config/tavo/tavow.ini");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
        EXPECT_EQ(WindowSettingsFileName(), "/home/op/.config/tavo/tavow.ini");
    }
}
#endif

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

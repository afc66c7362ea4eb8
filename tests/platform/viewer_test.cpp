#include "platform/viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace tavo {
namespace {

using test::TempDir;
using V = std::vector<std::string>;

TEST(ViewerArguments, TheTrimmedNameSplitsAtBlanksAndThePathStaysOneArgument) {
    EXPECT_EQ(ViewerArguments("  notepad.exe \t", "/logs/my log.ALL"),
              (V{"notepad.exe", "/logs/my log.ALL"}));
    EXPECT_EQ(ViewerArguments("less  -R\t+G", "/a b/c  d.cbr"),
              (V{"less", "-R", "+G", "/a b/c  d.cbr"}));
    EXPECT_EQ(ViewerArguments("/usr/bin/vi", "a; rm -rf x.cbr"),
              (V{"/usr/bin/vi", "a; rm -rf x.cbr"}));
}

// Split as a Windows command line is: quotes keep blanks in one argument.
TEST(ViewerArguments, AQuotedProgramPathMayHoldBlanks) {
    EXPECT_EQ(ViewerArguments("\"/opt/my viewer/view\"", "/logs/my log.ALL"),
              (V{"/opt/my viewer/view", "/logs/my log.ALL"}));
    EXPECT_EQ(ViewerArguments("  \"/opt/my viewer/view\" -r  ", "a.cbr"),
              (V{"/opt/my viewer/view", "-r", "a.cbr"}));
    EXPECT_EQ(ViewerArguments("\"C:\\Program Files\\v.exe\" /r", "C:\\a.ALL"),
              (V{"C:\\Program Files\\v.exe", "/r", "C:\\a.ALL"}));
    // Quotes may also cover part of the name, and a name without them is cut at a blank.
    EXPECT_EQ(ViewerArguments("/opt/\"my viewer\"/view", "a"), (V{"/opt/my viewer/view", "a"}));
    EXPECT_EQ(ViewerArguments("/opt/my viewer/view", "a"), (V{"/opt/my", "viewer/view", "a"}));
    // A quote never closed runs to the end.
    EXPECT_EQ(ViewerArguments("\"/opt/my viewer", "a"), (V{"/opt/my viewer", "a"}));
}

TEST(ViewerArguments, OptionsFollowTheWindowsQuotingRules) {
    EXPECT_EQ(ViewerArguments("v \"--title=My Log\" -x", "f"),
              (V{"v", "--title=My Log", "-x", "f"}));
    EXPECT_EQ(ViewerArguments("v a\\\"b c\\\\\"d e\"", "f"), (V{"v", "a\"b", "c\\d e", "f"}));
    EXPECT_EQ(ViewerArguments("v C:\\dir\\ \"\"", "f"), (V{"v", "C:\\dir\\", "", "f"}));
    EXPECT_EQ(ViewerArguments("v \"say \"\"hi\"\"\"", "f"), (V{"v", "say \"hi\"", "f"}));
}

TEST(ViewerArguments, ABlankViewerNameStartsNothing) {
    EXPECT_EQ(ViewerArguments("", "/logs/a.ALL"), V{});
    EXPECT_EQ(ViewerArguments(" \t ", "/logs/a.ALL"), V{});
}

TEST(ViewerCommandLine, IsTheTrimmedNameABlankAndThePathWithoutQuotes) {
    EXPECT_EQ(ViewerCommandLine("  notepad.exe ", "C:\\my logs\\a.ALL"),
              "notepad.exe C:\\my logs\\a.ALL");
    EXPECT_EQ(ViewerCommandLine("", "C:\\a.ALL"), " C:\\a.ALL");
}

// A stand-in viewer that writes each argument it got on a line of its own.
// Real starts through shell scripts and the POSIX search path.
#ifndef _WIN32
std::string Quoted(const std::string& text) {
    std::string out(1, '"');
    out += text;
    out += '"';
    return out;
}

class RealStart : public ::testing::Test {
protected:
    void SetUp() override {
        oldDir = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        script = dir.Write("show-args",
                           "#!/bin/sh\nout=$1; shift\nprintf '[%s]\\n' \"$@\" > \"$out.part\"\n"
                           "mv \"$out.part\" \"$out\"\n");
        chmod(script.c_str(), 0755);
    }
    void TearDown() override { std::filesystem::current_path(oldDir); }

    // The viewer is not waited for, so its output is awaited here.
    std::string AwaitOutput() {
        std::string out = dir.File("out.txt");
        for (int i = 0; i < 500 && !FileExists(out); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return test::ReadBytes(out);
    }

    TempDir dir;
    std::filesystem::path oldDir;
    std::string script;
};

TEST_F(RealStart, TheViewerGetsItsOptionsAndThePathWholeWithNoShellBetween) {
    std::string keep = dir.Write("x.cbr", "a log");
    std::string log = dir.File("a; rm -rf x.cbr");
    ASSERT_TRUE(StartViewer("  " + script + " " + dir.File("out.txt") + "  ", log));
    EXPECT_EQ(AwaitOutput(), "[" + log + "]\n");
    EXPECT_TRUE(FileExists(keep));
}

TEST_F(RealStart, AQuotedViewerPathWithBlanksIsStarted) {
    std::filesystem::create_directory(dir.File("my viewers"));
    std::filesystem::copy_file(script, dir.File("my viewers/show args"));
    std::string log = dir.File("my log.ALL");
    const std::string viewer =
        Quoted(dir.File("my viewers/show args")) + ' ' + Quoted(dir.File("out.txt"));
    ASSERT_TRUE(StartViewer(viewer, log));
    EXPECT_EQ(AwaitOutput(), "[" + log + "]\n");
}

TEST_F(RealStart, AProgramFoundOnThePathIsStarted) {
    ASSERT_TRUE(StartViewer("true", "/nowhere/a.ALL"));
}

TEST_F(RealStart, AMissingProgramOrABlankNameIsReportedAsNotStarted) {
    EXPECT_FALSE(StartViewer("notepad.exe", "/nowhere/a.ALL"));
    EXPECT_FALSE(StartViewer(dir.File("no-such-viewer"), "/nowhere/a.ALL"));
    EXPECT_FALSE(StartViewer("   ", dir.File("x.cbr")));
}

// xdg-open with nothing to open a file ends at once with a failure; the
// window hears of it from the waiter, a success says nothing.
TEST_F(RealStart, AProgramThatFailsAtOnceIsReportedAfterItsStart) {
    std::atomic<int> failed{0}, succeeded{0};
    ASSERT_TRUE(StartViewer("false", "/nowhere/a.ALL", [&] { ++failed; }));
    ASSERT_TRUE(StartViewer("true", "/nowhere/a.ALL", [&] { ++succeeded; }));
    for (int i = 0; i < 200 && failed == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(succeeded, 0);
}
#else
// WinExec looks the program up as a command line does and never waits for it.
TEST(RealStart, WinExecStartsAProgramItFindsAndReportsOneItDoesNot) {
    EXPECT_TRUE(StartViewer("  cmd.exe /c rem ", "C:\\no such\\a.ALL"));
    EXPECT_FALSE(StartViewer("no-such-viewer.exe", "C:\\a.ALL"));
}
#endif

}  // namespace
}  // namespace tavo

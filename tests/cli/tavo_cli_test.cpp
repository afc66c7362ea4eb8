// The command-line tool as a user runs it: the real binary, real files in a
// scratch folder, its printed lines and its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/analysis/log_builder.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace tavo::test;
namespace fs = std::filesystem;

const std::string kTavo = TAVO_BIN;

std::string CountryFile() {
    return Lines({"test countries", CountryHeader("Japan", "25", "JA"), "  JA,JE;",
                  CountryHeader("Germany", "14", "DL"), "  DL;",
                  CountryHeader("Hawaii", "31", "KH6"), "  KH6;",
                  CountryHeader("Nowhere", "", "XX"), "  XX;", "end of file"});
}

std::string TwoQsoLog() {
    return CabrilloLog(CabrilloQso("14025", "2012-11-24", "0100", "JA1ABC") + "\r\n" +
                       CabrilloQso(" 7025", "2012-11-24", "0200", "DL1ABC") + "\r\n");
}

class TavoCli : public ::testing::Test {
protected:
    void SetUp() override { dir.Write("CQWW.DAT", CountryFile()); }
    ProgramRun Tavo(const std::vector<std::string>& args) {
        return RunProgram(kTavo, args, dir.Path().string());
    }
    TempDir dir;
};

TEST_F(TavoCli, HelpAndVersionGoToStandardOutput) {
    ProgramRun help = Tavo({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(
        help.out.find("report [--html] [--json] [--off-time MIN] [--jobs N] [--data FILE] LOG..."),
        std::string::npos);
    EXPECT_EQ(help.err, "");
    ProgramRun version = Tavo({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.err, "");
    // The GNU form: program (package) version, then copyright and licence.
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; pos < version.out.size(); pos = end + 1) {
        end = version.out.find('\n', pos);
        lines.push_back(version.out.substr(pos, end - pos));
    }
    ASSERT_GE(lines.size(), 3u) << version.out;
    EXPECT_EQ(lines[0], "tavo (Tavo) 3.80");
    EXPECT_TRUE(lines[1].starts_with("Copyright (C) ")) << lines[1];
    EXPECT_NE(lines[1].find("TAVO-PROJECT"), std::string::npos) << lines[1];
    EXPECT_NE(version.out.find("License MIT"), std::string::npos) << version.out;
}

TEST_F(TavoCli, EveryCommandExplainsItselfAfterHelp) {
    for (const auto& [command, synopsis] : std::vector<std::pair<std::string, std::string>>{
             {"report",
              "Usage: tavo report [--html] [--json] [--off-time MIN] [--jobs N] [--data FILE] "
              "LOG..."},
             {"call", "Usage: tavo call [--data FILE] CALL..."},
             {"data", "Usage: tavo data [--data FILE]"},
             {"convert-cty", "Usage: tavo convert-cty CTY.DAT [-o OUT]"}}) {
        for (const char* flag : {"--help", "-h"}) {
            ProgramRun run = Tavo({command, flag});
            EXPECT_EQ(run.exitCode, 0) << command << ' ' << flag;
            EXPECT_EQ(run.err, "") << command;
            EXPECT_TRUE(run.out.starts_with(synopsis + "\n")) << run.out;
            EXPECT_NE(run.out.find("--help"), std::string::npos) << run.out;
        }
    }
    // Help wins over what else is given, and nothing is analysed.
    std::string log = dir.Write("cq.cbr", TwoQsoLog());
    ProgramRun run = Tavo({"report", log, "--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.starts_with("Usage: tavo report")) << run.out;
    EXPECT_FALSE(fs::exists(dir.File("cq.tavo")));
    EXPECT_EQ(Tavo({"frobnicate", "--help"}).exitCode, 2);
}

TEST_F(TavoCli, UsageErrorsExitTwoWithOneLineOnStandardError) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"report"},
                                               {"report", "--bogus", "x.cbr"},
                                               {"report", "--data"},
                                               {"report", "--stdout", "a.cbr", "b.cbr"},
                                               {"data", "extra"},
                                               {"call"},
                                               {"call", ""},
                                               {"convert-cty"},
                                               {"call", "--stdout", "JA1ABC"},
                                               {"report", "--html"},
                                               {"report", "--html", "--stdout", "a.cbr", "b.cbr"},
                                               {"report", "--off-time", "0", "a.cbr"},
                                               {"report", "--off-time=9x", "a.cbr"},
                                               {"report", "--stdout", "--html", "--json", "a.cbr"},
                                               {"data", "--html"}}) {
        ProgramRun run = Tavo(args);
        EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("tavo: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST_F(TavoCli, ReportWritesBesideTheLogAndPrintsTheStatusLine) {
    std::string log = dir.Write("cq 2012.cbr", TwoQsoLog());
    ProgramRun run = Tavo({"report", log});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_EQ(run.err, "");
    std::string report = ReadBytes(dir.File("cq 2012.tavo"));
    EXPECT_TRUE(
        report.starts_with("  Tavo / Country + Continent  Ver 3.80 TAVO-PROJECT \r\n"
                           "                             logfile=cq 2012.cbr\r\n"));
    EXPECT_EQ(ReadBytes(log), TwoQsoLog());

    // The same pass to standard output gives the same bytes and writes nothing.
    fs::remove(dir.File("cq 2012.tavo"));
    ProgramRun toStdout = Tavo({"report", "--stdout", log});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, report);
    EXPECT_EQ(toStdout.err, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_FALSE(fs::exists(dir.File("cq 2012.tavo")));
}

TEST_F(TavoCli, EachLogOfSeveralGetsItsOwnPrefixedLine) {
    std::string all = dir.Write(
        "a.ALL", Lines({"zLog for Windows ", AllQso("2017/06/04", "09:00", "JA1ABC", "14")}));
    std::string txt = dir.Write(
        "b.TXT",
        Lines({"mon day time  callsign      sent         rcvd      multi   MHz mode pts memo"}));
    std::string cbr = dir.Write("c.cbr", TwoQsoLog());
    std::string missing = dir.File("gone.cbr");
    ProgramRun run = Tavo({"report", all, txt, missing, cbr});
    EXPECT_EQ(run.exitCode, 1);
    // Successes are the output, failures are error messages.
    EXPECT_EQ(run.out, all + ": Worked 1 stations / File type ZLOG(ALL)\n" + cbr +
                           ": Worked 2 stations / File type Cabrillo\n");
    // A refusal says why, line by line under the log's name.
    EXPECT_EQ(run.err, txt + ": Cannot Execute...\n" + txt +
                           ": File type ZLOG(TXT) is recognised, but not analysed.\n" + txt +
                           ": Formats that are read: ZLOG(ALL), Cabrillo, ADIF\n" + missing +
                           ": File Not Found!!\n");
    EXPECT_FALSE(fs::exists(dir.File("b.tavo")));
    EXPECT_TRUE(fs::exists(dir.File("c.tavo")));
}

TEST_F(TavoCli, AReportThatCannotBeCreatedSaysCannotOpenLogFile) {
    std::string log = dir.Write("cq.cbr", TwoQsoLog());
    fs::create_directory(dir.File("cq.tavo"));
    ProgramRun run = Tavo({"report", log});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Cannot Open LOG File\n");
}

// Makes a folder unwritable even for root (which ignores permission bits) by
// marking it immutable; undone when the guard goes.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const fs::path& path) : path_(path) {
        fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_exec);
        if (access(path_.c_str(), W_OK) == 0) immutable_ = Chattr("+i");
    }
    ~ReadOnlyFolder() {
        if (immutable_) Chattr("-i");
        fs::permissions(path_, fs::perms::owner_all);
    }
    bool Holds() const { return access(path_.c_str(), W_OK) != 0 || immutable_; }

private:
    bool Chattr(const char* flag) const {
        std::string cmd = std::string("chattr ") + flag + " '" + path_.string() + "' 2>/dev/null";
        return std::system(cmd.c_str()) == 0;
    }
    fs::path path_;
    bool immutable_ = false;
};

TEST_F(TavoCli, ALogInAReadOnlyFolderIsAnalysedButNotReported) {
    fs::path ro = dir.Path() / "ro";
    fs::create_directory(ro);
    std::string log = dir.Write("ro/cq.cbr", TwoQsoLog());
    ReadOnlyFolder guard(ro);
    if (!guard.Holds()) GTEST_SKIP() << "no way to make a folder read-only here";
    ProgramRun run = Tavo({"report", log});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Cannot Open LOG File\n");
    EXPECT_FALSE(fs::exists(ro / "cq.tavo"));
    EXPECT_EQ(ReadBytes(log), TwoQsoLog());
}

TEST_F(TavoCli, ShellCharactersInALogNameAreJustAName) {
    std::string log = dir.Write("a; touch pwned.cbr", TwoQsoLog());
    EXPECT_EQ(Tavo({"report", log}).exitCode, 0);
    EXPECT_TRUE(fs::exists(dir.File("a; touch pwned.tavo")));
    EXPECT_FALSE(fs::exists(dir.File("pwned.cbr")));
}

TEST_F(TavoCli, CallShowsTheTestTextForEachCallsign) {
    ProgramRun run = Tavo({"call", " ja1abc ", "DL1ABC"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "Call :  JA1ABC \n\nJA : Japan\nZone:25 [Asia]\n\n"
              "Call : DL1ABC\n\nDL : Germany\nZone:14 [Europe]\n");
    ProgramRun unknown = Tavo({"call", "W1AW", "XX1A"});
    EXPECT_EQ(unknown.exitCode, 1);
    // Each answer of several says which call it is, an unknown one too.
    EXPECT_EQ(unknown.out,
              "Call : W1AW\n\nunknown sri..\n\nCall : XX1A\n\nXX : Nowhere\nZone:-1 []\n");
    EXPECT_EQ(Tavo({"call", "w1aw"}).out, "unknown sri..\n");
}

TEST_F(TavoCli, DataNamesTheFileAndItsCounts) {
    ProgramRun run = Tavo({"data"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "Data File:CQWW.DAT\nCountry:4   PX:5\nForm:CQWW.DAT\nVersion:test countries\n");
    std::string other = dir.Write(
        "other.dat", Lines({"", CountryHeader("Japan", "25", "JA"), "JA;", "end of file"}));
    ProgramRun explicitFile = Tavo({"data", "--data", other});
    EXPECT_EQ(explicitFile.out, "Data File:" + other + "\nCountry:1   PX:1\nForm:CQWW.DAT\n");
    EXPECT_EQ(Tavo({"data", "--data=" + other}).out, explicitFile.out);
}

// A cty.dat as --data: exact calls, their overrides and the operating suffixes.
std::string SmallCtyDat() {
    return "Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:\n"
           "    DA,DL;\n"
           "Scotland:                 14:  27:  EU:   56.82:     4.18:     0.0:  GM:\n"
           "    GM,MM;\n"
           "Sint Maarten:             08:  11:  NA:   18.07:    63.07:     4.0:  PJ7:\n"
           "    PJ7,=DL1XX/P(9){SA};\n";
}

TEST_F(TavoCli, CallWithACtyDatShowsTheEntryThatMatched) {
    std::string cty = dir.Write("cty.dat", SmallCtyDat());
    ProgramRun run = Tavo({"call", "--data", cty, "dl1xx/p", "DL1XX", "DL1XX/MM"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "Call : DL1XX/P\n\nPJ7 : Sint Maarten\nZone:9 [South America]\n\n"
              "Call : DL1XX\n\nDL : Fed. Rep. of Germany\nZone:14 [Europe]\n\n"
              "Call : DL1XX/MM\n\nDL : Fed. Rep. of Germany\nZone:14 [Europe]\n");
}

TEST_F(TavoCli, AMalformedCtyDatStopsEveryCommandNamingItsLine) {
    std::string bad = SmallCtyDat();
    bad.replace(bad.find("PJ7,"), 4, "PJ7(99),");
    std::string cty = dir.Write("bad.dat", bad);
    std::string log = dir.Write("a.cbr", TwoQsoLog());
    for (std::vector<std::string> args : {std::vector<std::string>{"data", "--data", cty},
                                          {"call", "--data", cty, "DL1ABC"},
                                          {"report", "--data", cty, log}}) {
        ProgramRun run = Tavo(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(
            run.err,
            "tavo: " + cty + ":6: item \"PJ7(99)\": CQ zone \"99\" is not a number from 1 to 40\n")
            << args[0];
        EXPECT_EQ(run.out, "") << args[0];
    }
    EXPECT_FALSE(fs::exists(dir.File("a.tavo")));
}

TEST_F(TavoCli, AMissingCountryFileStopsEveryCommand) {
    for (const auto& cmd : {"report", "call", "data"}) {
        std::vector<std::string> args = {cmd, "--data", dir.File("none.dat")};
        if (std::string(cmd) != "data") args.push_back("JA1ABC");
        ProgramRun run = Tavo(args);
        EXPECT_EQ(run.exitCode, 1) << cmd;
        EXPECT_EQ(run.err, "Cannot Open DATA file!\n") << cmd;
        EXPECT_EQ(run.out, "") << cmd;
    }
}

// An empty country file, or a file that is no country file at all, holds no
// country: it fails as a missing one does, found in the folder or named.
TEST_F(TavoCli, ACountryFileWithNoCountryStopsEveryCommand) {
    const std::string log = dir.Write("a.cbr", TwoQsoLog());
    const std::string empty = dir.Write("empty.dat", "");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"data", "--data", empty},
                                                 {"data", "--data", log},
                                                 {"call", "--data", log, "JA1ABC"},
                                                 {"report", "--data", empty, log}}) {
        ProgramRun run = Tavo(args);
        EXPECT_EQ(run.exitCode, 1) << args[0] << " " << args[2];
        EXPECT_EQ(run.err, "Cannot Open DATA file!\n") << args[0] << " " << args[2];
        EXPECT_EQ(run.out, "") << args[0] << " " << args[2];
    }
    dir.Write("CQWW.DAT", "");
    ProgramRun run = Tavo({"report", log});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Cannot Open DATA file!\n");
    EXPECT_FALSE(fs::exists(dir.File("a.tavo")));
}

TEST_F(TavoCli, WithoutALocalFileTheBundledCountryDataIsUsed) {
    fs::remove(dir.File("CQWW.DAT"));
    ProgramRun run = Tavo({"data"});
    EXPECT_EQ(run.exitCode, 0);
    std::string bundled = (fs::path(kTavo).parent_path() / "CQWW.DAT").string();
    EXPECT_TRUE(run.out.starts_with("Data File:" + bundled + "\nCountry:")) << run.out;
    ProgramRun call = Tavo({"call", "JA1ABC"});
    EXPECT_NE(call.out.find("JA : Japan"), std::string::npos) << call.out;
}

// Installed as PREFIX/bin/tavo with PREFIX/share/tavo/CQWW.DAT, and started
// from a folder with no country file of its own.
TEST_F(TavoCli, AnInstalledTavoFindsItsDataInTheShareFolder) {
    fs::remove(dir.File("CQWW.DAT"));
    TempDir prefix;
    fs::create_directories(prefix.Path() / "bin");
    fs::create_directories(prefix.Path() / "share" / "tavo");
    const fs::path program = prefix.Path() / "bin" / "tavo";
    fs::copy_file(kTavo, program);
    const std::string installed = prefix.Write("share/tavo/CQWW.DAT", CountryFile());
    ProgramRun run = RunProgram(program.string(), {"data"}, dir.Path().string());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Data File:" + installed +
                           "\nCountry:4   PX:5\nForm:CQWW.DAT\nVersion:test countries\n");

    // The current folder's own file still wins.
    dir.Write("CQWW.DAT", Lines({"t", CountryHeader("Japan", "25", "JA"), "JA;", "end of file"}));
    EXPECT_EQ(RunProgram(program.string(), {"data"}, dir.Path().string()).out,
              "Data File:CQWW.DAT\nCountry:1   PX:1\nForm:CQWW.DAT\nVersion:t\n");

    // With neither, the one message.
    fs::remove(dir.File("CQWW.DAT"));
    fs::remove(installed);
    ProgramRun none = RunProgram(program.string(), {"data"}, dir.Path().string());
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "Cannot Open DATA file!\n");
}

TEST_F(TavoCli, ConvertCtyWritesAFileTheLoaderReads) {
    std::string cty =
        dir.Write("cty.dat",
                  "Canada:                   05:  09:  NA:   44.35:    78.75:     5.0:  VE:\n"
                  "    CF,CG,CJ,VE,=VER20260101;\n"
                  "Japan:                    25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\n"
                  "    JA,JE,7J;\n");
    ProgramRun run = Tavo({"convert-cty", cty, "-o", dir.File("converted.dat")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ProgramRun data = Tavo({"data", "--data", dir.File("converted.dat")});
    EXPECT_EQ(data.out, "Data File:" + dir.File("converted.dat") +
                            "\nCountry:2   PX:7\nForm:CQWW.DAT\nVersion:CQWW.DAT converted from "
                            "cty.dat version 20260101\n");
    // The same cty.dat taken directly: its version, and the exact call kept.
    EXPECT_EQ(
        Tavo({"data", "--data", cty}).out,
        "Data File:" + cty + "\nCountry:2   PX:7\nForm:cty.dat   Exact:1\nVersion:20260101\n");
    ProgramRun toStdout = Tavo({"convert-cty", cty});
    EXPECT_EQ(toStdout.out, ReadBytes(dir.File("converted.dat")));
    ProgramRun missing = Tavo({"convert-cty", dir.File("none.dat"), "-o", dir.File("out.dat")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(fs::exists(dir.File("out.dat")));
}

TEST_F(TavoCli, ABatchOnSeveralJobsPrintsAndWritesWhatOneJobDoes) {
    // Good logs of different sizes, a refused one and a missing one, so that
    // the jobs finish out of order.
    std::vector<std::string> logs;
    for (int i = 0; i < 12; ++i) {
        std::string qsos;
        for (int q = 0; q <= i * 40; ++q)
            qsos += CabrilloQso(q % 2 ? "14025" : " 7025", "2012-11-24", "0100",
                                q % 3 ? "JA1ABC" : "DL1ABC") +
                    "\r\n";
        logs.push_back(dir.Write("log" + std::to_string(i) + ".cbr", CabrilloLog(qsos)));
    }
    logs.insert(logs.begin() + 3, dir.Write("list.txt", "mon day time  callsign\n"));
    logs.insert(logs.begin() + 7, dir.File("missing.cbr"));

    std::vector<std::string> args = {"report", "--jobs", "1"};
    args.insert(args.end(), logs.begin(), logs.end());
    ProgramRun one = Tavo(args);
    std::vector<std::string> reports;
    for (int i = 0; i < 12; ++i) {
        std::string report = dir.File("log" + std::to_string(i) + ".tavo");
        reports.push_back(ReadBytes(report));
        fs::remove(report);
    }
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_NE(one.out.find("log11.cbr: Worked 441 stations / File type Cabrillo\n"),
              std::string::npos)
        << one.out;

    for (std::string jobs : {"2", "4", "64"}) {
        args[2] = jobs;
        ProgramRun many = Tavo(args);
        EXPECT_EQ(many.exitCode, one.exitCode) << jobs;
        EXPECT_EQ(many.out, one.out) << jobs;
        EXPECT_EQ(many.err, one.err) << jobs;
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(ReadBytes(dir.File("log" + std::to_string(i) + ".tavo")),
                      reports[static_cast<std::size_t>(i)])
                << jobs << " log" << i;
    }
}

TEST_F(TavoCli, HtmlPutsThePageBesideAnUnchangedReport) {
    std::string log = dir.Write("cq 2012.cbr", TwoQsoLog());
    ASSERT_EQ(Tavo({"report", log}).exitCode, 0);
    const std::string report = ReadBytes(dir.File("cq 2012.tavo"));
    EXPECT_FALSE(fs::exists(dir.File("cq 2012.html")));

    ProgramRun run = Tavo({"report", "--html", log});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadBytes(dir.File("cq 2012.tavo")), report);
    const std::string page = ReadBytes(dir.File("cq 2012.html"));
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\r\n")) << page.substr(0, 80);
    EXPECT_NE(page.find("<h1>cq 2012.cbr</h1>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">Japan</td>"), std::string::npos);
    EXPECT_EQ(ReadBytes(log), TwoQsoLog());
    EXPECT_NE(Tavo({"report", "--help"}).out.find("--html"), std::string::npos);

    // To standard output the page goes alone: one document per stream.
    fs::remove(dir.File("cq 2012.tavo"));
    fs::remove(dir.File("cq 2012.html"));
    ProgramRun toStdout = Tavo({"report", "--stdout", "--html", log});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, page);
    EXPECT_EQ(toStdout.err, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_FALSE(fs::exists(dir.File("cq 2012.tavo")));
    EXPECT_FALSE(fs::exists(dir.File("cq 2012.html")));
}

TEST_F(TavoCli, JsonGoesBesideTheLogOrAloneToStandardOutput) {
    std::string log = dir.Write("cq.cbr", TwoQsoLog());
    ProgramRun run = Tavo({"report", "--json", "--off-time", "45", log});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_TRUE(fs::exists(dir.File("cq.tavo")));
    EXPECT_FALSE(fs::exists(dir.File("cq.html")));
    const std::string json = ReadBytes(dir.File("cq.json"));
    EXPECT_NE(json.find("\"qsos\": 2,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"threshold_minutes\": 45,"), std::string::npos) << json;

    fs::remove(dir.File("cq.tavo"));
    fs::remove(dir.File("cq.json"));
    ProgramRun toStdout = Tavo({"report", "--stdout", "--json", "--off-time=45", log});
    EXPECT_EQ(toStdout.exitCode, 0);
    EXPECT_EQ(toStdout.out, json);
    EXPECT_EQ(toStdout.err, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_FALSE(fs::exists(dir.File("cq.tavo")));
    EXPECT_FALSE(fs::exists(dir.File("cq.json")));
}

TEST_F(TavoCli, APageThatCannotBeCreatedFailsTheLogAsAReportWould) {
    std::string log = dir.Write("cq.cbr", TwoQsoLog());
    fs::create_directory(dir.File("cq.html"));
    ProgramRun run = Tavo({"report", "--html", log});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Cannot Open LOG File\n");
    // Without --html the same log reports as ever.
    EXPECT_EQ(Tavo({"report", log}).exitCode, 0);
}

TEST_F(TavoCli, ABatchOfPagesOnTwoJobsIsWhatOneJobWrites) {
    std::vector<std::string> args = {"report", "--html", "--json", "--jobs", "1"};
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i) {
        std::string qsos;
        for (int q = 0; q <= i * 30; ++q)
            qsos += CabrilloQso(q % 2 ? "14025" : " 7025", q < 40 ? "2012-11-24" : "2012-11-25",
                                q % 5 ? "0100" : "2300", q % 3 ? "JA1ABC" : "DL1ABC") +
                    "\r\n";
        names.push_back("log" + std::to_string(i));
        args.push_back(dir.Write(names.back() + ".cbr", CabrilloLog(qsos)));
    }
    args.insert(args.begin() + 7, dir.File("missing.cbr"));
    ProgramRun one = Tavo(args);
    EXPECT_EQ(one.exitCode, 1);
    std::vector<std::string> outputs;
    for (const std::string& name : names) {
        for (const char* ext : {".tavo", ".html", ".json"}) {
            outputs.push_back(ReadBytes(dir.File(name + ext)));
            fs::remove(dir.File(name + ext));
        }
    }
    EXPECT_NE(outputs[outputs.size() - 2].find("<h3>Day 2 &middot; from 2012-11-25 "),
              std::string::npos);

    args[4] = "2";
    ProgramRun two = Tavo(args);
    EXPECT_EQ(two.exitCode, one.exitCode);
    EXPECT_EQ(two.out, one.out);
    EXPECT_EQ(two.err, one.err);
    std::size_t i = 0;
    for (const std::string& name : names) {
        for (const char* ext : {".tavo", ".html", ".json"})
            EXPECT_TRUE(ReadBytes(dir.File(name + ext)) == outputs[i++]) << name << ext;
    }
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Logs that are no regular file get the usual messages at once (none may hang
// on a FIFO or read a device forever), and no report is made for any of them.
TEST_F(TavoCli, ALogThatIsNoRegularFileIsRefusedAtOnce) {
    const std::string fifo = dir.File("pipe.cbr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("loop-b.cbr", dir.File("loop-a.cbr"));
    fs::create_symlink("loop-a.cbr", dir.File("loop-b.cbr"));
    fs::create_directory(dir.File("folder.cbr"));
    const std::vector<std::string> before = NamesIn(dir.Path());
    for (const auto& [log, message] : std::vector<std::pair<std::string, std::string>>{
             {fifo, "Cannot Open LOG File"},
             {"/dev/zero", "Cannot Open LOG File"},
             {"/dev/urandom", "Cannot Open LOG File"},
             {"/dev/stdin", "Cannot Open LOG File"},
             {dir.File("loop-a.cbr"), "File Not Found!!"},
             {dir.File("folder.cbr"), "File Not Found!!"}}) {
        ProgramRun run = Tavo({"report", log});
        EXPECT_EQ(run.exitCode, 1) << log;
        EXPECT_EQ(run.err, message + "\n") << log;
        EXPECT_EQ(run.out, "") << log;
    }
    EXPECT_EQ(NamesIn(dir.Path()), before);
    EXPECT_FALSE(fs::exists("/dev/stdin.tavo"));
    EXPECT_FALSE(fs::exists("/dev/zero.tavo"));
    // A country file that is no regular file is refused the same way.
    for (const std::string& data : {fifo, std::string("/dev/zero"), dir.File("folder.cbr")}) {
        ProgramRun run = Tavo({"data", "--data", data});
        EXPECT_EQ(run.exitCode, 1) << data;
        EXPECT_EQ(run.err, "Cannot Open DATA file!\n") << data;
    }
}

// A log read through standard input (a regular file there) is analysed, but
// its report has no folder to go to: only --stdout can take it.
TEST_F(TavoCli, ALogOnStandardInputIsReportedOnlyToStandardOutput) {
    const std::string log = dir.Write("cq.cbr", TwoQsoLog());
    ProgramRun beside = RunProgram(kTavo, {"report", "/dev/stdin"}, dir.Path().string(), {log, ""});
    EXPECT_EQ(beside.exitCode, 1);
    EXPECT_EQ(beside.err, "Cannot Open LOG File\n");
    EXPECT_FALSE(fs::exists("/dev/stdin.tavo"));
    ProgramRun out =
        RunProgram(kTavo, {"report", "--stdout", "/dev/stdin"}, dir.Path().string(), {log, ""});
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_EQ(out.err, "Worked 2 stations / File type Cabrillo\n");
    EXPECT_NE(out.out.find("logfile=stdin"), std::string::npos) << out.out;
    EXPECT_EQ(ReadBytes(log), TwoQsoLog());
}

TEST_F(TavoCli, AReportNameThatIsTheLogItselfIsRefused) {
    const std::string log = dir.Write("cq.cbr", TwoQsoLog());
    fs::create_symlink("cq.cbr", dir.File("cq.tavo"));
    ProgramRun run = Tavo({"report", log});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Cannot Open LOG File\ntavo: " + log + ": its report " +
                           dir.File("cq.tavo") + " would replace the log itself\n");
    EXPECT_EQ(ReadBytes(log), TwoQsoLog());
}

// Logs of one command that share a report name: the first is reported, each
// later one refused on standard error, on one job or several.
TEST_F(TavoCli, LogsSharingAReportNameAreReportedOnce) {
    const std::string cbr = dir.Write("a.cbr", TwoQsoLog());
    const std::string all = dir.Write("a.ALL", "# zLog ALL\n");
    const std::string dotted = (dir.Path() / "." / "a.log").string();
    dir.Write("a.log", TwoQsoLog());
    const std::string other = dir.Write("b.cbr", TwoQsoLog());
    for (std::string jobs : {"1", "3"}) {
        fs::remove(dir.File("a.tavo"));
        ProgramRun run = Tavo({"report", "--jobs", jobs, cbr, all, dotted, other});
        EXPECT_EQ(run.exitCode, 1) << jobs;
        EXPECT_EQ(run.out, cbr + ": Worked 2 stations / File type Cabrillo\n" + other +
                               ": Worked 2 stations / File type Cabrillo\n")
            << jobs;
        EXPECT_EQ(run.err, "tavo: " + all + ": its report " + dir.File("a.tavo") + " is that of " +
                               cbr + " already\n" + "tavo: " + dotted + ": its report " +
                               (dir.Path() / "." / "a.tavo").string() + " is that of " + cbr +
                               " already\n")
            << jobs;
        EXPECT_NE(ReadBytes(dir.File("a.tavo")).find("logfile=a.cbr"), std::string::npos) << jobs;
    }
}

// A full standard output is an error like a full disk for a report.
TEST_F(TavoCli, AStandardOutputThatCannotBeWrittenFailsTheCommand) {
    const std::string log = dir.Write("cq.cbr", TwoQsoLog());
    const std::string cty =
        dir.Write("cty.dat", "Japan:  25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\n    JA;\n");
    Streams full{"/dev/null", "/dev/full"};
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"call", "JA1ABC"}, {"data"}, {"report", log}, {"--help"}, {"convert-cty", cty}}) {
        ProgramRun run = RunProgram(kTavo, args, dir.Path().string(), full);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_EQ(run.err, "tavo: standard output: No space left on device\n") << args[0];
    }
    ProgramRun report = RunProgram(kTavo, {"report", "--stdout", log}, dir.Path().string(), full);
    EXPECT_EQ(report.exitCode, 1);
    EXPECT_EQ(report.err, "standard output: No space left on device\n");
}

// A disk that fills part-way through a report leaves the earlier report as it
// was and nothing else behind. Needs root to mount a small tmpfs.
TEST_F(TavoCli, AFullDiskLeavesTheEarlierReportWhole) {
    if (::geteuid() != 0) GTEST_SKIP() << "not root: cannot mount a small tmpfs";
    const fs::path disk = dir.Path() / "disk";
    fs::create_directory(disk);
    const std::string mount =
        "mount -t tmpfs -o size=64k tmpfs '" + disk.string() + "' 2>/dev/null";
    if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "mounting a tmpfs failed";
    struct Unmount {
        fs::path at;
        ~Unmount() { std::system(("umount '" + at.string() + "'").c_str()); }
    } unmount{disk};
    std::string qsos;
    for (int q = 0; q < 200; ++q)
        qsos += CabrilloQso("14025", "2012-11-24", q % 2 ? "0100" : "0200", "JA1ABC") + "\r\n";
    const std::string log = (disk / "cq.cbr").string();
    const std::string earlier = (disk / "cq.tavo").string();
    {
        std::ofstream(log, std::ios::binary) << CabrilloLog(qsos);
        std::ofstream(earlier, std::ios::binary) << "the earlier report\r\n";
        std::ofstream((disk / "CQWW.DAT").string(), std::ios::binary) << "the earlier data\r\n";
        // The rest of the disk is taken: the report's first block finds no room.
        std::ofstream filler((disk / "filler").string(), std::ios::binary);
        const std::string block(1024, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())).flush()) {
        }
    }
    const std::vector<std::string> before = NamesIn(disk);
    ProgramRun run = Tavo({"report", log});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, earlier + ": No space left on device\n");
    EXPECT_EQ(ReadBytes(earlier), "the earlier report\r\n");
    EXPECT_EQ(NamesIn(disk), before);
    EXPECT_EQ(ReadBytes(log), CabrilloLog(qsos));
    // A conversion to that disk fails the same way.
    const std::string cty =
        dir.Write("cty.dat", "Japan:  25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\n    JA;\n");
    const std::string data = (disk / "CQWW.DAT").string();
    ProgramRun convert = Tavo({"convert-cty", cty, "-o", data});
    EXPECT_EQ(convert.exitCode, 1);
    EXPECT_EQ(convert.err, "tavo: " + data + ": No space left on device\n");
    EXPECT_EQ(ReadBytes(data), "the earlier data\r\n");
    EXPECT_EQ(NamesIn(disk), before);
}

TEST_F(TavoCli, JobsMustBeAPositiveNumber) {
    std::string log = dir.Write("cq.cbr", TwoQsoLog());
    for (std::string bad : {"0", "-1", "x", "2x", ""}) {
        ProgramRun run = Tavo({"report", "--jobs", bad, log});
        EXPECT_EQ(run.exitCode, 2) << bad;
        EXPECT_TRUE(run.err.starts_with("tavo: ")) << run.err;
    }
    EXPECT_EQ(Tavo({"report", "--jobs=3", log}).exitCode, 0);
    EXPECT_EQ(Tavo({"call", "--jobs", "2", "JA1ABC"}).exitCode, 2);
}

TEST_F(TavoCli, ReportsAdifLogsOfBothKindsAndSaysWhyAnAdxIsRefused) {
    std::string adi =
        dir.Write("ft8.adi",
                  "WSJT-X ADIF Export<eoh>\n<call:6>JA1ABC <band:3>20m <qso_date:8>20240102"
                  " <time_on:6>010203 <eor>\n<call:6>DL1ABC <freq:5>7.074 <eor>\n");
    std::string adx = dir.Write("log.adx",
                                "<?xml version=\"1.0\"?>\n<ADX><RECORDS><RECORD><CALL>JA1ABC</CALL>"
                                "<BAND>40M</BAND></RECORD></RECORDS></ADX>\n");
    ProgramRun run = Tavo({"report", adi, adx});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Worked 2 stations / File type ADIF"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Worked 1 stations / File type ADIF"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(dir.File("ft8.tavo")));
    EXPECT_TRUE(fs::exists(dir.File("log.tavo")));

    std::string bomb = dir.Write("bomb.adx",
                                 "<?xml version=\"1.0\"?><!DOCTYPE ADX [<!ENTITY a \"aaaa\">]>"
                                 "<ADX><RECORDS><RECORD><CALL>&a;</CALL></RECORD></RECORDS></ADX>");
    ProgramRun refused = Tavo({"report", bomb});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.err.find("entity declaration"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir.File("bomb.tavo")));
}

}  // namespace

// The outputs of a batch never replace a log of it: not a log named like
// another's report or page, nor one reached through a link.
TEST_F(TavoCli, NoOutputOfABatchReplacesALogOfIt) {
    const std::string log = TwoQsoLog();
    for (std::string jobs : {"1", "2"}) {
        TempDir scratch;
        scratch.Write("CQWW.DAT", CountryFile());
        for (const char* name : {"a.log", "a.tavo", "b.log", "b.html", "d.log", "e.log"})
            scratch.Write(name, log);
        fs::create_symlink("d.log", scratch.File("c.tavo"));
        scratch.Write("c.log", log);
        ProgramRun run = RunProgram(kTavo,
                                    {"report", "--html", "--jobs", jobs, "a.log", "a.tavo", "b.log",
                                     "b.html", "c.log", "d.log", "e.log"},
                                    scratch.Path().string());
        EXPECT_EQ(run.exitCode, 1) << jobs;
        EXPECT_EQ(run.err,
                  "a.log: Cannot Open LOG File\n"
                  "tavo: a.log: its report a.tavo would replace the log a.tavo\n"
                  "b.log: Cannot Open LOG File\n"
                  "tavo: b.log: its page b.html would replace the log b.html\n"
                  "c.log: Cannot Open LOG File\n"
                  "tavo: c.log: its report c.tavo would replace the log d.log\n")
            << jobs;
        // The rest of the batch goes on, the logs named like outputs included.
        EXPECT_EQ(run.out,
                  "a.tavo: Worked 2 stations / File type Cabrillo\n"
                  "b.html: Worked 2 stations / File type Cabrillo\n"
                  "d.log: Worked 2 stations / File type Cabrillo\n"
                  "e.log: Worked 2 stations / File type Cabrillo\n")
            << jobs;
        for (const char* name : {"a.log", "a.tavo", "b.log", "b.html", "c.log", "d.log"})
            EXPECT_EQ(ReadBytes(scratch.File(name)), log) << jobs << ' ' << name;
        EXPECT_TRUE(fs::is_symlink(scratch.File("c.tavo")));
        EXPECT_TRUE(fs::exists(scratch.File("a.tavo.tavo")));
        EXPECT_TRUE(fs::exists(scratch.File("e.tavo")));
    }
    // A hard link is the same file as well.
    std::string a = dir.Write("a.log", log);
    dir.Write("b.log", log);
    fs::create_hard_link(dir.File("b.log"), dir.File("a.tavo"));
    EXPECT_EQ(Tavo({"report", a, dir.File("b.log")}).exitCode, 1);
    EXPECT_EQ(ReadBytes(dir.File("b.log")), log);
}

TEST_F(TavoCli, FilesFromTakesOnePathALineFromAFileOrStandardInput) {
    for (const char* name : {"x 1.cbr", "x2.cbr", "x3.cbr"}) dir.Write(name, TwoQsoLog());
    dir.Write("x3.tavo", TwoQsoLog());
    dir.Write("list", "x 1.cbr\r\n\nx2.cbr\nx3.tavo");
    const std::string ok = ": Worked 2 stations / File type Cabrillo\n";
    for (std::string jobs : {"1", "2"}) {
        ProgramRun run = Tavo({"report", "--jobs", jobs, "--files-from", "list", "x3.cbr"});
        EXPECT_EQ(run.exitCode, 1) << jobs;
        // The listed logs follow those of the command line, and the check
        // that keeps every log whole covers them too.
        EXPECT_EQ(run.out, "x 1.cbr" + ok + "x2.cbr" + ok + "x3.tavo" + ok) << jobs;
        EXPECT_TRUE(run.err.starts_with("x3.cbr: Cannot Open LOG File\n")) << run.err;
        EXPECT_EQ(ReadBytes(dir.File("x3.tavo")), TwoQsoLog());
    }
    const std::string list = dir.Write("list2", "x2.cbr\n");
    ProgramRun piped =
        RunProgram(kTavo, {"report", "--files-from", "-"}, dir.Path().string(), {list, ""});
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.out, "Worked 2 stations / File type Cabrillo\n");
    // A search that found nothing is nothing to do; a list that is not there fails.
    EXPECT_EQ(RunProgram(kTavo, {"report", "--files-from", "-"}, dir.Path().string()).exitCode, 0);
    ProgramRun missing = Tavo({"report", "--files-from", "nothing"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "tavo: cannot open nothing\n");
}

namespace {

// The hidden temporary files of a folder: ".NAME.XXXXXX".
std::vector<std::string> TemporaryFiles(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".") && name.size() > 8 && name[name.size() - 7] == '.')
            found.push_back(name);
    }
    return found;
}

}  // namespace

// An interrupt while reports are being written leaves no temporary file,
// and the process ends as the signal says; one left by a killed run goes on
// the next run over its log.
TEST_F(TavoCli, AnInterruptedBatchLeavesNoTemporaryFile) {
    std::string qsos;
    for (int q = 0; q < 60; ++q)
        qsos += CabrilloQso("14025", "2012-11-24", "0100", q % 2 ? "JA1ABC" : "DL1ABC") + "\r\n";
    std::vector<std::string> args = {kTavo, "report", "--html", "--jobs", "2"};
    for (int i = 0; i < 300; ++i)
        args.push_back(dir.Write("log" + std::to_string(i) + ".cbr", CabrilloLog(qsos)));
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // As from a terminal: the signals at their default actions.
            for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            if (::chdir(dir.Path().c_str()) != 0) _exit(99);
            std::freopen("/dev/null", "w", stdout);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            _exit(98);
        }
        // The signal comes while a temporary file is there to be removed.
        bool seen = false;
        for (int poll = 0; poll < 200000 && !seen; ++poll)
            seen = !TemporaryFiles(dir.Path()).empty();
        ::kill(pid, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(seen) << "the batch ended before a report was written";
        ASSERT_TRUE(WIFSIGNALED(status)) << sig;
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(TemporaryFiles(dir.Path()), std::vector<std::string>{}) << sig;
    }
    // What SIGKILL leaves: removed by the next run over its log, and only that.
    dir.Write(".log0.tavo.Ab12Cd", "half a report");
    dir.Write(".other.tavo.Ab12Cd", "not ours to judge");
    EXPECT_EQ(Tavo({"report", "log0.cbr"}).exitCode, 0);
    EXPECT_EQ(TemporaryFiles(dir.Path()), std::vector<std::string>{".other.tavo.Ab12Cd"});
}

#include "app/u_main.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "analysis/u_tavo300.h"
#include "app/command_texts.h"
#include "country/cty_utl3.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"
#include "platform/viewer.h"
#include "tests/app/fake_toolkit.h"
#include "tests/app/sample_files.h"
#include "tests/app/window_fixture.h"
#include "tests/support/temp_dir.h"

namespace u_main {
namespace {

using tavo::test::Lines;
using tavo::test::ReadBytes;
using tavo::test::TempDir;
using test::FakeToolkit;
using test::InputCall;
using test::ViewerCall;
using V = std::vector<std::string>;

// The commands that take clicks, in the order of the control and menu tables.
std::string EnabledCommands(const TForm1& f) {
    std::pair<const char*, const TCommand*> all[] = {
        {"ButtonOpen", &f.ButtonOpen}, {"ButtonExe", &f.ButtonExe}, {"BitBtn1", &f.BitBtn1},
        {"MenuOpen", &f.MenuOpen},     {"MenuExe", &f.MenuExe},     {"MenuExit", &f.MenuExit},
        {"MenuData", &f.MenuData},     {"MenuTest", &f.MenuTest},   {"MenuLog", &f.MenuLog},
        {"MenuTavo", &f.MenuTavo},     {"MenuPage", &f.MenuPage},   {"MenuSet", &f.MenuSet},
        {"MenuVer", &f.MenuVer}};
    std::string out;
    for (auto [name, command] : all) {
        if (!command->Enabled) continue;
        if (!out.empty()) out += ' ';
        out += name;
    }
    return out;
}

constexpr const char* kAtStart =
    "ButtonOpen BitBtn1 MenuOpen MenuExit MenuData MenuTest MenuSet MenuVer";
constexpr const char* kAfterOpen =
    "ButtonOpen ButtonExe BitBtn1 MenuOpen MenuExe MenuExit MenuData MenuTest MenuLog MenuSet "
    "MenuVer";
constexpr const char* kAfterReport =
    "ButtonOpen ButtonExe BitBtn1 MenuOpen MenuExe MenuExit MenuData MenuTest MenuLog MenuTavo "
    "MenuPage MenuSet MenuVer";

class MainWindow : public test::InScratchFolder {
protected:
    void Start() {
        form.Perform(&TForm1::FormCreate);
        form.Perform(&TForm1::FormShow);
    }
    void StartWithCountries() {
        dir.Write("CQWW.DAT", test::CountryFile());
        Start();
    }
    void Open(std::optional<std::string> chosen) {
        ui.Chosen.push_back(std::move(chosen));
        form.Perform(&TForm1::ButtonOpenClick);
    }
    void Execute() { form.Perform(&TForm1::ButtonExeClick); }
    // The TEST command with one typed answer; the message it showed, if any.
    std::string Test(std::string answer) {
        ui.Answers.push_back(std::move(answer));
        ui.Messages.clear();
        form.Perform(&TForm1::MenuTestClick);
        return ui.Messages.empty() ? "<none>" : ui.Messages.back();
    }

    FakeToolkit ui;
    TForm1 form{ui, dir.File("tavow.ini")};
};

TEST_F(MainWindow, StartsWithItsControlsAsDesignedAndTheCountryFileLoaded) {
    StartWithCountries();
    EXPECT_EQ(ui.Messages, V{});
    EXPECT_EQ(ui.Closes, 0);
    EXPECT_EQ(form.DataFileName, "CQWW.DAT");
    EXPECT_EQ(EnabledCommands(form), kAtStart);
    EXPECT_EQ(form.LabelFile.Caption, "");
    EXPECT_EQ(form.LabelEnv.Caption, "");
    EXPECT_EQ(form.Label1.Caption, "LOG File Name");
    EXPECT_EQ(form.BitBtn1.Caption, "Exit(&C)");
    form.Perform(&TForm1::MenuDataClick);
    EXPECT_EQ(ui.Messages, V{"Data File:CQWW.DAT\r\nCountry:4   PX:6"});
}

TEST_F(MainWindow, WithoutTheCountryFileItSaysSoAndCloses) {
    Start();
    EXPECT_EQ(ui.Messages, V{"Cannot Open DATA file!"});
    EXPECT_EQ(ui.Closes, 1);
}

TEST_F(MainWindow, ACountryFileWithNoCountryIsRefusedAsAMissingOne) {
    dir.Write("CQWW.DAT", "");
    Start();
    EXPECT_EQ(ui.Messages, V{"Cannot Open DATA file!"});
    EXPECT_EQ(ui.Closes, 1);
}

TEST_F(MainWindow, ALogSavedAsTheCountryFileIsRefused) {
    dir.Write("CQWW.DAT", test::CabrilloLog());
    Start();
    EXPECT_EQ(ui.Messages, V{"Cannot Open DATA file!"});
    EXPECT_EQ(ui.Closes, 1);
}

// The installed layouts: the data beside the program (the build tree, a plain
// copy) or in PREFIX/share/tavo for PREFIX/bin/tavow; the current folder first.
TEST_F(MainWindow, TheDataFileIsTheCurrentFoldersElseTheInstalledOne) {
    TempDir prefix;
    const std::string program = prefix.File("bin/tavow");
    EXPECT_EQ(tavo::DefaultDataFile(program), "CQWW.DAT");
    prefix.Write("bin/tavow", "");
    EXPECT_EQ(tavo::DefaultDataFile(program), "CQWW.DAT");
    const std::string shared = prefix.Write("share/tavo/CQWW.DAT", test::CountryFile());
    // Compared as paths: Windows writes either separator.
    auto same = [](const std::string& a, const std::string& b) {
        return std::filesystem::path(a).lexically_normal() ==
               std::filesystem::path(b).lexically_normal();
    };
    EXPECT_PRED2(same, tavo::DefaultDataFile(program), shared);
    const std::string beside = prefix.Write("bin/CQWW.DAT", test::CountryFile());
    EXPECT_PRED2(same, tavo::DefaultDataFile(program), beside);
    dir.Write("CQWW.DAT", test::CountryFile());
    EXPECT_EQ(tavo::DefaultDataFile(program), "CQWW.DAT");
    EXPECT_EQ(tavo::DefaultDataFile(""), "CQWW.DAT");
}

TEST_F(MainWindow, ACancelledOpenChangesNothing) {
    StartWithCountries();
    Open(std::nullopt);
    EXPECT_EQ(form.LogFileName, "");
    EXPECT_EQ(form.LabelFile.Caption, "");
    EXPECT_EQ(EnabledCommands(form), kAtStart);
}

TEST_F(MainWindow, ANameOfNoFileIsTakenButExecuteAndViewFindNothing) {
    StartWithCountries();
    std::string missing = dir.File("typed name.ALL");
    Open(missing);
    EXPECT_EQ(form.LogFileName, missing);
    EXPECT_EQ(form.LabelFile.Caption, "typed name.ALL");
    EXPECT_EQ(EnabledCommands(form), kAfterOpen);
    Execute();
    EXPECT_EQ(ui.Messages, V{"File Not Found!!"});
    EXPECT_EQ(form.LabelEnv.Caption, "");
    EXPECT_EQ(EnabledCommands(form), kAfterOpen);
    form.Perform(&TForm1::MenuLogClick);
    form.Perform(&TForm1::MenuTavoClick);
    EXPECT_EQ(ui.Viewers, std::vector<ViewerCall>{});
}

TEST_F(MainWindow, ExecuteOnAZLogAllLogWritesTheReportAndOffersIt) {
    StartWithCountries();
    std::string log = dir.Write("contest.ALL", test::ZLogAllLog());
    Open(log);
    Execute();
    EXPECT_EQ(ui.Messages, V{});
    EXPECT_EQ(form.LabelEnv.Caption, "Worked 3 stations / File type ZLOG(ALL)");
    EXPECT_EQ(EnabledCommands(form), kAfterReport);
    EXPECT_TRUE(tavo::FileExists(dir.File("contest.tavo")));
}

TEST_F(MainWindow, ExecuteOnACabrilloLogNamesTheCabrilloType) {
    StartWithCountries();
    Open(dir.Write("contest.cbr", test::CabrilloLog()));
    Execute();
    EXPECT_EQ(form.LabelEnv.Caption, "Worked 2 stations / File type Cabrillo");
    EXPECT_EQ(EnabledCommands(form), kAfterReport);
}

TEST_F(MainWindow, ARefusedFormatSaysSoInTheStatusAndWhyInAMessage) {
    StartWithCountries();
    Open(dir.Write("contest.TXT", test::ZLogTxtList()));
    Execute();
    EXPECT_EQ(ui.Messages, V{"File type ZLOG(TXT) is recognised, but not analysed.\r\n"
                             "Formats that are read: ZLOG(ALL), Cabrillo, ADIF"});
    EXPECT_EQ(form.LabelEnv.Caption, "Cannot Execute...");
    EXPECT_EQ(EnabledCommands(form), kAfterOpen);
    EXPECT_FALSE(tavo::FileExists(dir.File("contest.html")));

    Open(dir.Write("notes.log", "Dear diary,\r\nno contest today.\r\n"));
    Execute();
    EXPECT_EQ(ui.Messages.back(),
              "File type not recognised.\r\nFormats that are read: ZLOG(ALL), Cabrillo, ADIF");
    EXPECT_EQ(form.LabelEnv.Caption, "Cannot Execute...");
}

TEST_F(MainWindow, ExecuteWritesThePageThatPageOpensInTheBrowser) {
    StartWithCountries();
    std::string log = dir.Write("my contest.cbr", test::CabrilloLog());
    Open(log);
    form.Perform(&TForm1::MenuPageClick);  // nothing written yet
    EXPECT_EQ(ui.Browsers, V{});
    Execute();
    const std::string page = dir.File("my contest.html");
    EXPECT_NE(ReadBytes(page).find("<html"), std::string::npos);
    form.Perform(&TForm1::MenuPageClick);
    EXPECT_EQ(ui.Browsers, V{page});
    EXPECT_EQ(ui.Messages, V{});
}

TEST_F(MainWindow, PageZeroInTheSettingsWritesNoPageAndKeepsTheFileAsItWas) {
    const std::string settings = Lines(
        {"[window]", "Left=0", "Top=0", "Width=380", "Height=240", "[VIEW]", "NAME=vi", "PAGE=0"});
    dir.Write("tavow.ini", settings);
    StartWithCountries();
    Open(dir.Write("contest.cbr", test::CabrilloLog()));
    Execute();
    EXPECT_TRUE(tavo::FileExists(dir.File("contest.tavo")));
    EXPECT_FALSE(tavo::FileExists(dir.File("contest.html")));
    form.Perform(&TForm1::FormClose);
    EXPECT_EQ(ReadBytes(dir.File("tavow.ini")), settings);
}

// Starting does not wait, so only a program that could not be started at all
// is known here; the message names the command.
TEST_F(MainWindow, AViewerOrBrowserThatCannotStartIsReportedWithItsCommand) {
    StartWithCountries();
    std::string log = dir.Write("contest.ALL", test::ZLogAllLog());
    Open(log);
    Execute();
    ui.Starts = false;
    form.ViewerName = " no-such-viewer -x ";
    form.Perform(&TForm1::MenuLogClick);
    form.Perform(&TForm1::MenuTavoClick);
    form.Perform(&TForm1::MenuPageClick);
    EXPECT_EQ(
        ui.Messages,
        (V{"Cannot start the viewer:\r\nno-such-viewer -x " + log,
           "Cannot start the viewer:\r\nno-such-viewer -x " + dir.File("contest.tavo"),
           "Cannot start the browser:\r\n" + tavo::BrowserCommandLine(dir.File("contest.html"))}));
}

TEST_F(MainWindow, ALogHandedOverIsOpenedAsIfChosenWithOpen) {
    StartWithCountries();
    std::string log = dir.Write("from desktop.ALL", test::ZLogAllLog());
    form.Perform([&] { form.OpenFile(log); });
    EXPECT_EQ(form.LogFileName, log);
    EXPECT_EQ(form.LabelFile.Caption, "from desktop.ALL");
    EXPECT_EQ(EnabledCommands(form), kAfterOpen);
    Execute();
    EXPECT_EQ(form.LabelEnv.Caption, "Worked 3 stations / File type ZLOG(ALL)");
}

TEST(OpenDialog, ListsTheZLogEntryFirstThenTheFormatsReadThenEveryFile) {
    std::vector<TFileFilter> filters = OpenDialogFilters();
    std::string listed;
    for (const TFileFilter& f : filters) {
        listed += f.Name + ":";
        for (const std::string& p : f.Patterns) listed += " " + p;
        listed += "|";
    }
    EXPECT_EQ(listed.substr(0, listed.find("Cabrillo")), "ALL(zlog): *.ALL|");
    EXPECT_NE(listed.find("|Cabrillo: *.cbr *.log *.txt|"), std::string::npos) << listed;
    EXPECT_EQ(filters.back().Name, "ALL");
    EXPECT_EQ(filters.back().Patterns, V{"*.*"});
}

TEST_F(MainWindow, AReportThatCannotBeCreatedIsALogThatCannotBeOpened) {
    StartWithCountries();
    std::string log = dir.Write("contest.ALL", test::ZLogAllLog());
    std::filesystem::create_directory(dir.File("contest.tavo"));
    Open(log);
    Execute();
    EXPECT_EQ(ui.Messages, V{"Cannot Open LOG File"});
    EXPECT_EQ(form.LabelEnv.Caption, "Execute!");
    EXPECT_EQ(EnabledCommands(form), kAfterOpen);
}

TEST_F(MainWindow, ExecuteAfterTheLogWasDeletedFindsNoFile) {
    StartWithCountries();
    std::string log = dir.Write("contest.ALL", test::ZLogAllLog());
    Open(log);
    Execute();
    std::filesystem::remove(log);
    Execute();
    EXPECT_EQ(ui.Messages, V{"File Not Found!!"});
    EXPECT_EQ(form.LabelEnv.Caption, "Worked 3 stations / File type ZLOG(ALL)");
}

TEST_F(MainWindow, ASecondOpenClearsTheStatusButKeepsTheReportCommand) {
    StartWithCountries();
    Open(dir.Write("contest.ALL", test::ZLogAllLog()));
    Execute();
    Open(dir.Write("other.TXT", test::ZLogTxtList()));
    EXPECT_EQ(form.LabelFile.Caption, "other.TXT");
    EXPECT_EQ(form.LabelEnv.Caption, "");
    EXPECT_EQ(EnabledCommands(form), kAfterReport);
    // A refused format leaves the report command as an earlier Execute set it.
    Execute();
    EXPECT_EQ(form.LabelEnv.Caption, "Cannot Execute...");
    EXPECT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(EnabledCommands(form), kAfterReport);
}

TEST_F(MainWindow, TheExecuteButtonDoesNothingWhileTheMenuItemIsDisabled) {
    StartWithCountries();
    form.LogFileName = dir.Write("contest.ALL", test::ZLogAllLog());
    Execute();
    EXPECT_EQ(ui.Messages, V{});
    EXPECT_EQ(form.LabelEnv.Caption, "");
    EXPECT_FALSE(tavo::FileExists(dir.File("contest.tavo")));
}

TEST_F(MainWindow, TestLooksUpTheTrimmedCapitalsAndRepeatsTheCallAsTyped) {
    StartWithCountries();
    EXPECT_EQ(Test("  ja1abc "), "Call :   JA1ABC \r\n\r\nJA : Japan\r\nZone:25 [Asia]");
    EXPECT_EQ(ui.Inputs.back(), (InputCall{"TEST Mode", "Input Callsign", ""}));
    EXPECT_EQ(Test("kh6/w1aw"), "Call : KH6/W1AW\r\n\r\nKH6 : Hawaii\r\nZone:31 [Oceania]");
}

TEST_F(MainWindow, TestShowsMissingContinentAndZoneAsTheTablesHoldThem) {
    StartWithCountries();
    EXPECT_EQ(Test("Q9A"), "Call : Q9A\r\n\r\nQ9 : Nowhere Land\r\nZone:99 []");
    EXPECT_EQ(Test("Z2B"), "Call : Z2B\r\n\r\nZZ : Zoneless\r\nZone:-1 [Europe]");
}

TEST_F(MainWindow, TestWithNoCountryBlanksOnlyOrNothingTyped) {
    StartWithCountries();
    EXPECT_EQ(Test("W1AW"), "unknown sri..");
    EXPECT_EQ(Test("   "), "unknown sri..");
    EXPECT_EQ(Test(""), "<none>");
    ui.Messages.clear();
    form.Perform(&TForm1::MenuTestClick);  // Cancel
    EXPECT_EQ(ui.Messages, V{});
}

// A cty.dat copied under the fixed name: an exact call with its own zone and
// continent, and an operating suffix that names no country.
constexpr std::string_view kCtyDat =
    "Japan:                    25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\r\n"
    "    JA,JE,=JA1ZZZ(27){OC},=VER20260101;\r\n"
    "Scotland:                 14:  27:  EU:   56.82:     4.18:     0.0:  GM:\r\n"
    "    GM,MM;\r\n";

TEST_F(MainWindow, ACtyDatNamedCqwwDatLoadsAndTestShowsTheMatchedEntry) {
    dir.Write("CQWW.DAT", kCtyDat);
    Start();
    EXPECT_EQ(ui.Messages, V{});
    EXPECT_EQ(Test("ja1zzz"), "Call : JA1ZZZ\r\n\r\nJA : Japan\r\nZone:27 [Oceania]");
    EXPECT_EQ(Test("JA1ABC/MM"), "Call : JA1ABC/MM\r\n\r\nJA : Japan\r\nZone:25 [Asia]");
    ui.Messages.clear();
    form.Perform(&TForm1::MenuDataClick);
    EXPECT_EQ(ui.Messages, V{"Data File:CQWW.DAT\r\nCountry:2   PX:4\r\n"
                             "Form:cty.dat   Exact:2\r\nVersion:20260101"});
}

TEST_F(MainWindow, AMalformedCtyDatIsShownByLineAndTheWindowOpensEmpty) {
    std::string bad(kCtyDat);
    bad.replace(bad.find("GM,MM;"), 6, "GM,MM");
    dir.Write("CQWW.DAT", bad);
    Start();
    EXPECT_EQ(ui.Messages,
              V{"CQWW.DAT:4: the file ends inside the prefix list of \"Scotland\" (no \";\")"});
    EXPECT_EQ(ui.Closes, 0);
    form.Perform(&TForm1::MenuDataClick);
    EXPECT_EQ(ui.Messages.back(), "Data File:CQWW.DAT\r\nCountry:0   PX:0");
    EXPECT_EQ(Test("JA1ABC"), "unknown sri..");
}

TEST_F(MainWindow, ViewLogAndTavoStartTheViewerOnTheLogAndItsReport) {
    StartWithCountries();
    std::string log = dir.Write("my contest.ALL", test::ZLogAllLog());
    Open(log);
    form.Perform(&TForm1::MenuTavoClick);  // no report yet
    form.Perform(&TForm1::MenuLogClick);
    Execute();
    form.Perform(&TForm1::MenuTavoClick);
    std::string report = u_tavo300::ReportFileName(log);
    EXPECT_EQ(report, dir.File("my contest.tavo"));
    EXPECT_EQ(ui.Viewers, (std::vector<ViewerCall>{{tavo::kDefaultViewerName, log},
                                                   {tavo::kDefaultViewerName, report}}));
}

TEST_F(MainWindow, ViewTavoFollowsTheLogOpenedLast) {
    StartWithCountries();
    Open(dir.Write("first.ALL", test::ZLogAllLog()));
    Execute();
    Open(dir.Write("second.ALL", test::ZLogAllLog()));
    form.Perform(&TForm1::MenuTavoClick);
    EXPECT_EQ(ui.Viewers, std::vector<ViewerCall>{});
    dir.Write("second.tavo", "an older report");
    form.Perform(&TForm1::MenuTavoClick);
    EXPECT_EQ(ui.Viewers,
              (std::vector<ViewerCall>{{tavo::kDefaultViewerName, dir.File("second.tavo")}}));
}

TEST_F(MainWindow, ViewSetAsksForTheViewerAndKeepsItTrimmed) {
    StartWithCountries();
    form.ViewerName = "  vi  ";
    ui.Answers = {std::nullopt, "  less -R  ", ""};
    form.Perform(&TForm1::MenuSetClick);
    EXPECT_EQ(ui.Inputs.back(), (InputCall{"View Setup", "Input Tool Name?", "  vi  "}));
    EXPECT_EQ(form.ViewerName, "vi");
    form.Perform(&TForm1::MenuSetClick);
    EXPECT_EQ(form.ViewerName, "less -R");
    form.Perform(&TForm1::MenuSetClick);
    EXPECT_EQ(form.ViewerName, "");
}

TEST_F(MainWindow, AboutAndExit) {
    StartWithCountries();
    form.Perform(&TForm1::MenuVerClick);
    EXPECT_EQ(ui.Messages, V{"Tavo for Windows Ver 3.80\r\nTAVO-PROJECT"});
    form.Perform(&TForm1::MenuExitClick);
    EXPECT_EQ(ui.Closes, 1);
}

TEST_F(MainWindow, FirstStartUsesTheDefaultsAndTheFirstCloseWritesThemAll) {
    StartWithCountries();
    EXPECT_EQ(std::tie(form.Left, form.Top, form.Width, form.Height),
              std::make_tuple(0, 0, 380, 240));
    EXPECT_EQ(form.ViewerName, tavo::kDefaultViewerName);
    form.Perform(&TForm1::FormClose);
    EXPECT_EQ(ReadBytes(dir.File("tavow.ini")),
              Lines({"[window]", "Left=0", "Top=0", "Width=380", "Height=240", "[VIEW]",
                     std::string("NAME=") + tavo::kDefaultViewerName}));
}

TEST_F(MainWindow, SettingsComeBackAsStoredAndOtherEntriesStay) {
    dir.Write("tavow.ini",
              Lines({"; tavow", "[Window]", "left=-20", "TOP=$10", "Width=2000", "Height=junk",
                     "Maximized=1", "", "[VIEW]", "NAME=  my viewer  ", "[Other]", "x=y"}));
    StartWithCountries();
    EXPECT_EQ(std::tie(form.Left, form.Top, form.Width, form.Height),
              std::make_tuple(-20, 16, 2000, 240));
    EXPECT_EQ(form.ViewerName, "my viewer");
    form.Left = 5;
    form.Perform(&TForm1::FormClose);
#ifdef _WIN32
    // Wine, which runs these tests, writes the whole file back tidied.
    EXPECT_EQ(ReadBytes(dir.File("tavow.ini")),
              Lines({"; tavow", "[Window]", "left=5", "TOP=16", "Width=2000", "Height=240",
                     "Maximized=1", "[VIEW]", "NAME=my viewer", "[Other]", "x=y"}));
#else
    // Only the lines whose values changed are new; the rest stays byte for byte.
    EXPECT_EQ(ReadBytes(dir.File("tavow.ini")),
              Lines({"; tavow", "[Window]", "left=5", "TOP=16", "Width=2000", "Height=240",
                     "Maximized=1", "", "[VIEW]", "NAME=  my viewer  ", "[Other]", "x=y"}));
#endif
}

TEST_F(MainWindow, ASettingsFileThatCannotBeWrittenIsReportedByName) {
    dir.Write("a file", "");  // no folder can have its name
    TForm1 homeless{ui, dir.File("a file/tavow.ini")};
    homeless.Perform(&TForm1::FormClose);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_NE(ui.Messages[0].find(dir.File("a file/tavow.ini")), std::string::npos);
}

// The failing files are Linux devices reached through symlinks.
#ifndef _WIN32
// A settings file that is no plain file, or a huge one, is ignored: the
// window opens with the defaults at once, and a save leaves the file alone.
TEST_F(MainWindow, AFifoOrAnOversizedSettingsFileGivesTheDefaults) {
    namespace fs = std::filesystem;
    const std::string ini = dir.File("tavow.ini");
    const std::string oversized = "[window]\r\nLeft=7\r\n" + std::string(std::size_t{1} << 20, ';');
    for (const std::string kind : {"fifo", "oversized", "zero"}) {
        fs::remove(ini);
        if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
        }
        if (kind == "oversized") dir.Write("tavow.ini", oversized);
        if (kind == "zero") fs::create_symlink("/dev/zero", ini);
        FakeToolkit toolkit;
        TForm1 window{toolkit, ini};
        window.Perform(&TForm1::FormCreate);
        EXPECT_EQ(std::tie(window.Left, window.Top, window.Width, window.Height),
                  std::make_tuple(0, 0, 380, 240))
            << kind;
        EXPECT_EQ(window.ViewerName, tavo::kDefaultViewerName) << kind;
        window.Perform(&TForm1::FormClose);
        // The save names the file it refused to replace.
        ASSERT_EQ(toolkit.Messages.size(), 1u) << kind;
        EXPECT_NE(toolkit.Messages[0].find(ini), std::string::npos) << kind;
        if (kind == "oversized") {
            EXPECT_EQ(ReadBytes(ini), oversized);
        }
        if (kind == "fifo") {
            EXPECT_TRUE(fs::is_fifo(ini));
        }
    }
}

TEST_F(MainWindow, AnErrorWritingTheReportIsShownAndTheWindowStaysOpen) {
    StartWithCountries();
    std::string log = dir.Write("contest.ALL", test::ZLogAllLog());
    std::filesystem::create_symlink("/dev/full", dir.File("contest.tavo"));
    Open(log);
    Execute();
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].rfind(dir.File("contest.tavo") + ": ", 0), 0u) << ui.Messages[0];
    EXPECT_EQ(ui.Closes, 0);
    EXPECT_EQ(form.LabelEnv.Caption, "Execute!");
    EXPECT_EQ(EnabledCommands(form), kAfterOpen);
    // The window goes on working.
    form.Perform(&TForm1::MenuVerClick);
    EXPECT_EQ(ui.Messages.size(), 2u);
}

TEST_F(MainWindow, AnErrorReadingTheCountryFileIsShownAndTheWindowOpensEmpty) {
    // Reading this file fails after it was opened.
    std::filesystem::create_symlink("/proc/self/mem", dir.File("CQWW.DAT"));
    Start();
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].rfind("CQWW.DAT: ", 0), 0u) << ui.Messages[0];
    EXPECT_EQ(ui.Closes, 0);
    form.Perform(&TForm1::MenuDataClick);
    EXPECT_EQ(ui.Messages.back(), "Data File:CQWW.DAT\r\nCountry:0   PX:0");
    EXPECT_EQ(Test("JA1ABC"), "unknown sri..");
}
#endif

}  // namespace
}  // namespace u_main

#include "app/u_main.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "analysis/html_report.h"
#include "analysis/u_tavo300.h"
#include "app/command_texts.h"
#include "app/execute.h"
#include "app/outputs.h"
#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "logformat/log_formats.h"
#include "platform/settings.h"
#include "platform/text_file.h"
#include "platform/viewer.h"

namespace u_main {

namespace {

std::string Trimmed(std::string_view text) { return std::string(tavo::Trim(text)); }

std::vector<std::string> SplitPatterns(std::string_view patterns) {
    std::vector<std::string> out;
    while (!(patterns = tavo::Trim(patterns)).empty()) {
        std::size_t end = std::min(patterns.find(' '), patterns.size());
        out.emplace_back(patterns.substr(0, end));
        patterns.remove_prefix(end);
    }
    return out;
}

}  // namespace

std::vector<TFileFilter> OpenDialogFilters() {
    std::vector<TFileFilter> filters;
    for (const tv_util2::LogFormatEntry& entry : tv_util2::LogFormats()) {
        if (entry.DialogName.empty()) continue;
        filters.push_back({std::string(entry.DialogName), SplitPatterns(entry.DialogPatterns)});
    }
    filters.push_back({"ALL", {"*.*"}});
    return filters;
}

std::string CannotStartViewerText(const std::string& ViewerName, const std::string& FileName) {
    return "Cannot start the viewer:\r\n" + tavo::ViewerCommandLine(ViewerName, FileName);
}

std::string CannotStartBrowserText(const std::string& FileName) {
    return "Cannot start the browser:\r\n" + tavo::BrowserCommandLine(FileName);
}

TForm1::TForm1(TToolkit& Toolkit, std::string SettingsFileName)
    : toolkit_(Toolkit), settingsFileName_(std::move(SettingsFileName)) {}

// Each bound is applied right after its read, in the order the file lists them.
void TForm1::FormCreate() {
    const tavo::ProfileReadOnce once(settingsFileName_);
    Left = tavo::ReadProfileInt(settingsFileName_, "window", "Left", 0);
    Top = tavo::ReadProfileInt(settingsFileName_, "window", "Top", 0);
    Width = tavo::ReadProfileInt(settingsFileName_, "window", "Width", 380);
    Height = tavo::ReadProfileInt(settingsFileName_, "window", "Height", 240);
    ViewerName =
        tavo::ReadProfileString(settingsFileName_, "VIEW", "NAME", tavo::kDefaultViewerName);
    // Only read: a user who wants no page adds PAGE=0 by hand.
    WritePage = tavo::ReadProfileInt(settingsFileName_, "VIEW", "PAGE", 1) != 0;
}

void TForm1::FormShow() {
#ifdef _WIN32
    DataFileName = tavo::kCountryFileName;
#else
    DataFileName = tavo::DefaultDataFile();
#endif
    if (cty_utl3::LoadCountryFile(DataFileName) == -1) {
        toolkit_.ShowMessage("Cannot Open DATA file!");
        toolkit_.Close();
    }
}

// Every key by its own write; a failing write stops the rest of the save.
void TForm1::FormClose() {
    tavo::WriteProfileInt(settingsFileName_, "window", "Left", Left);
    tavo::WriteProfileInt(settingsFileName_, "window", "Top", Top);
    tavo::WriteProfileInt(settingsFileName_, "window", "Width", Width);
    tavo::WriteProfileInt(settingsFileName_, "window", "Height", Height);
    tavo::WriteProfileString(settingsFileName_, "VIEW", "NAME", ViewerName);
}

void TForm1::MenuOpenClick() {
    std::optional<std::string> chosen = toolkit_.OpenDialog();
    if (chosen) OpenFile(*chosen);
}

// MenuTavo and MenuPage are left alone: once a report was written they stay offered.
void TForm1::OpenFile(const std::string& FileName) {
    LabelFile.Caption = tavo::ExtractFileName(FileName);
    LogFileName = FileName;
    MenuLog.Enabled = true;
    MenuExe.Enabled = true;
    ButtonExe.Enabled = true;
    LabelEnv.Caption.clear();
}

// A button performs its menu item's click, which a disabled item ignores.
void TForm1::ButtonOpenClick() {
    if (MenuOpen.Enabled) MenuOpenClick();
}

void TForm1::MenuExeClick() {
    std::string before = LabelEnv.Caption;
    LabelEnv.Caption = "Execute!";
    // The page (and the JSON) come with the report unless the settings say PAGE=0.
    static constexpr const u_tavo300::OutputKind* kReportOnly[] = {&u_tavo300::TextReport};
    tavo::ExecuteResult result = tavo::ExecuteLog(
        LogFileName,
        WritePage ? tavo::Outputs() : std::span<const u_tavo300::OutputKind* const>(kReportOnly));
    switch (result.Outcome) {
        case tavo::ExecuteOutcome::FileNotFound:
            // The log was missing before the pass began: nothing has changed.
            LabelEnv.Caption = before;
            toolkit_.ShowMessage(tavo::OutcomeText(result));
            break;
        case tavo::ExecuteOutcome::CannotOpenLog:
            toolkit_.ShowMessage(tavo::OutcomeText(result));
            break;
        case tavo::ExecuteOutcome::FormatRefused:
            // The status line keeps its one line; the reason comes in a box.
            LabelEnv.Caption = tavo::OutcomeText(result);
            toolkit_.ShowMessage(tavo::RefusalText(result));
            break;
        case tavo::ExecuteOutcome::Worked:
            LabelEnv.Caption = tavo::OutcomeText(result);
            MenuTavo.Enabled = true;
            MenuPage.Enabled = true;
            break;
    }
}

void TForm1::ButtonExeClick() {
    if (MenuExe.Enabled) MenuExeClick();
}

void TForm1::MenuExitClick() { toolkit_.Close(); }

void TForm1::MenuDataClick() { toolkit_.ShowMessage(tavo::DataText(DataFileName)); }

void TForm1::MenuTestClick() {
    std::string answer = toolkit_.InputBox("TEST Mode", "Input Callsign", "");
    if (answer.empty()) return;
    std::optional<std::string> text = tavo::TestText(answer);
    toolkit_.ShowMessage(text ? *text : std::string(tavo::kUnknownCall));
}

void TForm1::MenuLogClick() {
    if (LogFileName.empty() || !tavo::FileExists(LogFileName)) return;
    if (!toolkit_.StartViewer(ViewerName, LogFileName))
        toolkit_.ShowMessage(CannotStartViewerText(ViewerName, LogFileName));
}

// The report path comes from the analysis itself, so this opens what Execute wrote.
void TForm1::MenuTavoClick() {
    if (LogFileName.empty()) return;
    std::string report = u_tavo300::ReportFileName(LogFileName);
    if (!tavo::FileExists(report)) return;
    if (!toolkit_.StartViewer(ViewerName, report))
        toolkit_.ShowMessage(CannotStartViewerText(ViewerName, report));
}

// As TAVO: the page of the current log, when Execute wrote one.
void TForm1::MenuPageClick() {
    if (LogFileName.empty()) return;
    std::string page = u_tavo300::HtmlFileName(LogFileName);
    if (!tavo::FileExists(page)) return;
    if (!toolkit_.StartBrowser(page)) toolkit_.ShowMessage(CannotStartBrowserText(page));
}

// Cancel gives back the old name, which is then stored trimmed as well.
void TForm1::MenuSetClick() {
    ViewerName = Trimmed(toolkit_.InputBox("View Setup", "Input Tool Name?", ViewerName));
}

void TForm1::MenuVerClick() { toolkit_.ShowMessage(AboutText); }

void TForm1::Perform(THandler Handler) {
    Perform([this, Handler] { (this->*Handler)(); });
}

void TForm1::Perform(const std::function<void()>& Action) {
    try {
        try {
            Action();
        } catch (const std::exception& error) {
            toolkit_.ShowMessage(error.what());
        } catch (...) {
            toolkit_.ShowMessage("Unknown error");
        }
    } catch (...) {
        // Even a failing message box must not unwind into the toolkit's event loop.
    }
}

}  // namespace u_main

// The HTML report: one self-contained page (inline CSS and SVG, no script, no
// file from elsewhere) with the breakdown tables and the QSO-per-hour charts of
// a pass, written from the same pass as the text report.
#pragma once

#include <string>
#include <string_view>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"

namespace u_tavo300 {

// The page beside the log: the log's path with ".html" for its extension,
// by the same rule as ReportFileName.
std::string HtmlFileName(std::string_view LogFileName);

// Text from a log or a data file made safe for HTML text and attribute values.
std::string HtmlEscape(std::string_view Text);

// The fill of continent 1..6 in the charts and the legend (Okabe-Ito colours,
// told apart with colour blindness and in grey print).
std::string_view ContinentColour(int Continent);

void WriteHtmlReport(tavo::TextWriter& Page, const LogPass& Pass,
                     const cty_utl3::CountryDatabase& Db, std::string_view LogFileName);

// The page beside the log, named by HtmlFileName.
class HtmlBesideLog : public ReportSink {
public:
    bool Write(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
               const std::string& LogFileName) override;
};

// The page to a writer the caller owns, such as standard output.
class HtmlTo : public ReportSink {
public:
    explicit HtmlTo(tavo::TextWriter& Out) : out_(Out) {}
    bool Write(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
               const std::string& LogFileName) override;

private:
    tavo::TextWriter& out_;
};

// One pass reported to two sinks in turn, such as the text report and the
// page beside the log; the second is not written when the first fails.
class BothSinks : public ReportSink {
public:
    BothSinks(ReportSink& First, ReportSink& Second) : first_(First), second_(Second) {}
    bool Write(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
               const std::string& LogFileName) override;

private:
    ReportSink& first_;
    ReportSink& second_;
};

}  // namespace u_tavo300

// The analysis pass: one read of a log into the tallies, and the report
// written from them (breakdown tables, then the time charts).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "logformat/tv_util2.h"
#include "platform/text_file.h"

namespace u_tavo300 {

inline constexpr int ChartDays = 3;
inline constexpr int Hours = 24;
inline constexpr int Bands = tv_util2::BandCount;
inline constexpr int CountrySlots = 501;  // 0 is the unknown-country bucket
inline constexpr int Continents = 6;

// The number of worked stations after a pass that wrote the report beside the
// log; 0 with Format -1 for a refused format; -1 when the log cannot be opened
// or the report cannot be created. Format is 1 or 2 when the format was taken.
// Read and write errors after an open raise tavo::IoError.
int AnalyzeLog(const std::string& FileName, int& Format);

// The same pass with the report written to `Report` instead of beside the log.
int AnalyzeLogTo(const std::string& FileName, int& Format, tavo::TextWriter& Report);

// The log path without its extension; the report is this plus ".tavo". A log
// that already ends in ".tavo" keeps its whole name, so a report can never
// replace its log.
std::string DropExtension(std::string_view FileName);
std::string ReportFileName(std::string_view LogFileName);

// A fixed-column field read as a number, -1 when it is not one.
int FieldToInt(std::string_view Line, tv_util2::ColumnSpan Span);

// The three-character label of bands 0..10; other indexes leave Label as it was.
void BandLabel(int Index, std::string& Label);

// The tallies of the last pass.
int TimeTally(int Day, int Hour, int Band, int Country);  // Day 1..3
int CountryTally(int Band, int Country);
int ContinentTally(int Band, int Continent);  // Continent 1..6
int CountryTotal(int Country);
int QsoCount();
int ChartDay();
int FirstHour();
int StartStamp();

// Writers of the report, from the tallies of the last pass.
void WriteBreakdownReport(tavo::TextWriter& Report, std::string_view LogFileName);
void WriteAllBandTimeChart(tavo::TextWriter& Report);
void WriteBandTimeCharts(tavo::TextWriter& Report);

}  // namespace u_tavo300

// What Execute does with one log, shared by the window and the command line so
// that both run the same pass and speak the same texts.
#pragma once

#include <span>
#include <string>

#include "analysis/u_tavo300.h"

namespace tavo {

enum class ExecuteOutcome {
    FileNotFound,   // no file at the log path: a message, nothing else changes
    CannotOpenLog,  // the log or the report cannot be opened: a message
    FormatRefused,  // not a log of a format a pass reads: status "Cannot Execute..."
    Worked,         // the report was written: status "Worked N stations / ..."
};

struct ExecuteResult {
    ExecuteOutcome Outcome;
    int Count = 0;      // worked stations, for Worked
    int Format = -1;    // the log's format code; -1 when refused
    int Detected = -1;  // the format the log was recognised as, refused or not
};

// Runs the analysis of one log with the given database and pass, the report
// going to Sink. Passes of their own may run on several threads at once.
ExecuteResult ExecuteLog(const std::string& LogFileName, u_tavo300::ReportSink& Sink,
                         const cty_utl3::CountryDatabase& Db, u_tavo300::LogPass& Pass);
// The window's Execute: the default database and pass, each of Outputs (the
// report first) beside the log.
ExecuteResult ExecuteLog(const std::string& LogFileName,
                         std::span<const u_tavo300::OutputKind* const> Outputs);

// The user's text for an outcome: the message for the first two, the status
// line for the others.
std::string OutcomeText(const ExecuteResult& Result);

// Why a refused log was refused, in two CR LF separated lines: a format that
// is recognised but not analysed, or none recognised, then the formats that
// are read. Empty for every other outcome.
std::string RefusalText(const ExecuteResult& Result);

}  // namespace tavo

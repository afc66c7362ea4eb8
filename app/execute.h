// What Execute does with one log, shared by the window and the command line so
// that both run the same pass and speak the same texts.
#pragma once

#include <string>

#include "platform/text_file.h"

namespace tavo {

enum class ExecuteOutcome {
    FileNotFound,   // no file at the log path: a message, nothing else changes
    CannotOpenLog,  // the log or the report cannot be opened: a message
    FormatRefused,  // not a zLog ALL or Cabrillo log: status "Cannot Execute..."
    Worked,         // the report was written: status "Worked N stations / ..."
};

struct ExecuteResult {
    ExecuteOutcome Outcome;
    int Count = 0;    // worked stations, for Worked
    int Format = -1;  // 1 zLog ALL, 2 Cabrillo; -1 when refused
};

// Runs the analysis with the report beside the log.
ExecuteResult ExecuteLog(const std::string& LogFileName);
// Runs the analysis with the report written to `Report`.
ExecuteResult ExecuteLogTo(const std::string& LogFileName, TextWriter& Report);

// The user's text for an outcome: the message for the first two, the status
// line for the others.
std::string OutcomeText(const ExecuteResult& Result);

}  // namespace tavo

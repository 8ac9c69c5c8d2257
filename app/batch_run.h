// The batch run: analyse one data file without a window, write the six
// result files beside it and end. Creates no Qt object, so it runs on a
// machine without a display. Progress and messages go to stderr (UTF-8);
// the paths of the written result files go to stdout, one per line.
#pragma once

#include "app/command_line.h"

// Exit codes of the batch run.
constexpr int kBatchOk = 0;
constexpr int kBatchMissingFile = 1;   // no such data file, or it cannot be read
constexpr int kBatchInvalidModel = 2;  // damaged file or validation problems; no result files
constexpr int kBatchFailed = 3;        // analysis failed, a case was singular, the
                                       // expansion fell back, or a result file was not written

// Runs the batch for the options of the command line; returns the exit code.
int RunBatch(const CommandLineOptions& options);

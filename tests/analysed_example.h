// An example model of examples/ read, analysed as the calculate command does
// and labelled, once per test program: the shared starting point of the
// report, preview, figure and RC window tests.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"

struct AnalysedExample {
    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    FrameResults* results = nullptr;  // the process's one results record
};

// `fileName` is a file of examples/; `packValue` the point capacity handed to
// the analysis (20 as the calculate command, 999 to keep every point).
inline AnalysedExample AnalyseExample(const std::string& fileName, int packValue) {
    AnalysedExample a;
    std::string warnings;
    EXPECT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/" + fileName, *a.model, warnings))
        << warnings;
    PrepareMemberLoads(*a.model);
    a.results = AllocateFrameResults();
    ClearFrameResults(*a.results);
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    *copy = *a.model;
    EXPECT_TRUE(RunFrameAnalysis(*a.results, *copy, false, false, packValue));
    SetResultPoints(*a.results, *a.model);
    return a;
}

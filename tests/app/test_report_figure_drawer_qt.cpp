// The report's figure boxes drawn by the structure figure's units: the load
// figure and the M/S/N diagrams appear in the composed pages, inside their
// boxes, and drawing leaves the report's model untouched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/report_figure_drawer.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "report/graphics.h"
#include "report/report_figures.h"
#include "tests/report/report_body_util.h"

namespace {

struct Analysed {
    std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    FrameResults* results = nullptr;
};

Analysed& Portal() {
    static Analysed a = [] {
        Analysed q;
        std::string warnings;
        EXPECT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/portal.$O1", *q.model, warnings));
        PrepareMemberLoads(*q.model);
        q.results = AllocateFrameResults();
        ClearFrameResults(*q.results);
        std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
        *copy = *q.model;
        EXPECT_TRUE(RunFrameAnalysis(*q.results, *copy, false, false, 20));
        SetResultPoints(*q.results, *q.model);
        return q;
    }();
    return a;
}

// Line and polygon records of every body page.
int DrawingRecords(int pages) {
    int n = 0;
    for (int k = 1; k <= pages; ++k)
        for (const std::string& rec : DumpPoolPage(10 + k)) {
            const std::vector<std::string> w = Words(rec);
            if (!w.empty() && (w[0] == "line" || w[0] == "polygon" || w[0] == "polyline")) ++n;
        }
    return n;
}

TEST(ReportFigureDrawer, FillsTheFigureBoxes) {
    Analysed& p = Portal();
    SetReportFigureDrawer(nullptr);
    const int framedOnly = DrawingRecords(ComposeReport(*p.model, p.results, nullptr));
    InstallReportFigureDrawer();
    const int pages = ComposeReport(*p.model, p.results, nullptr);
    const int drawn = DrawingRecords(pages);
    SetReportFigureDrawer(nullptr);
    // Two load figures and three diagrams of one combination, each with its
    // three members, loads and supports or curves: far more than the frames.
    EXPECT_GT(drawn, framedOnly + 5 * 3);
}

TEST(ReportFigureDrawer, LeavesTheModelAsItWas) {
    Analysed& p = Portal();
    std::unique_ptr<FrameModel> before = NewFrameModelRecord();
    std::memcpy(before.get(), p.model.get(), sizeof(FrameModel));
    InstallReportFigureDrawer();
    ComposeReport(*p.model, p.results, nullptr);
    SetReportFigureDrawer(nullptr);
    // The report itself sets each case's load scale; nothing else changes.
    for (int c = 1; c <= p.model->loadCaseCount; ++c) before->loadCases[c].maxLoad = p.model->loadCases[c].maxLoad;
    EXPECT_EQ(0, std::memcmp(before.get(), p.model.get(), sizeof(FrameModel)));
}

}  // namespace

// The report's figure boxes drawn by the structure figure's units: the load
// figure and the M/S/N diagrams appear in the composed pages, inside their
// boxes, and drawing leaves the report's model untouched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/report_figure_drawer.h"
#include "tests/analysed_example.h"
#include "report/graphics.h"
#include "report/report_figures.h"
#include "tests/report/report_body_util.h"

namespace {

AnalysedExample& Portal() {
    static AnalysedExample a = AnalyseExample("portal.$O1", 20);
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
    AnalysedExample& p = Portal();
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
    AnalysedExample& p = Portal();
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

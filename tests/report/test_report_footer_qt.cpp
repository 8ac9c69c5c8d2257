// The foot of every body page belongs to its page number: no table rule,
// text or figure line of the body may reach down into it. The reports of
// the three shipped examples, analysed as the calculate command does, and a
// frame whose result tables happen to end just above the body's last
// millimetres (the continuous beam's reaction table did, and its page number
// was printed over the last row).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "report_body_util.h"
#include "tests/analysed_example.h"

namespace {

struct FootIntrusion {
    int page = 0;
    std::string record;
};

// The records of body page k that reach the band of its page number. A new
// page draws its number first, so the page's leading text records are the
// number; the band starts at their top (pixels, 10 px/mm). Texts are taken
// with the height of their font.
std::vector<FootIntrusion> RecordsInFoot(int k) {
    const std::vector<std::string> dump = DumpPoolPage(10 + k);
    std::size_t i = 0;
    while (i < dump.size() && dump[i].rfind("text ", 0) != 0) ++i;
    std::string number;
    double bandTop = 1e9;
    for (; i < dump.size() && dump[i].rfind("text ", 0) == 0; ++i) {
        const std::vector<std::string> w = Words(dump[i]);
        if (w.size() < 4) break;
        number += w[3];
        bandTop = std::min(bandTop, std::atof(w[2].c_str()));
    }
    std::vector<FootIntrusion> out;
    if (number != std::to_string(k)) {
        out.push_back({k, "page number read as '" + number + "'"});
        return out;
    }
    double fontHeight = 36;
    for (; i < dump.size(); ++i) {
        const std::vector<std::string> w = Words(dump[i]);
        if (w.empty()) continue;
        if (w[0] == "font" && w.size() >= 2) fontHeight = std::atof(w[1].c_str());
        if (w.size() < 3) continue;
        const double y = std::atof(w[2].c_str());
        const bool below = w[0] == "text" ? y + fontHeight > bandTop
                                          : (w[0] == "line" || w[0] == "move") && y > bandTop;
        if (below) out.push_back({k, dump[i]});
    }
    return out;
}

void ExpectFootsClear(const std::string& example) {
    SCOPED_TRACE(example);
    AnalysedExample a = AnalyseExample(example, 20);
    const int pages = ComposeReport(*a.model, a.results, nullptr);
    ASSERT_GT(pages, 0);
    for (int k = 1; k <= pages; ++k)
        for (const FootIntrusion& f : RecordsInFoot(k))
            ADD_FAILURE() << "page " << f.page << ": " << f.record;
}

}  // namespace

TEST(ReportFooter, PortalPagesKeepTheirFootForThePageNumber) { ExpectFootsClear("portal.$O1"); }

TEST(ReportFooter, ContinuousBeamPagesKeepTheirFootForThePageNumber) {
    ExpectFootsClear("continuous_beam.$O1");
}

TEST(ReportFooter, SpringBeamPagesKeepTheirFootForThePageNumber) {
    ExpectFootsClear("spring_beam.$O1");
}

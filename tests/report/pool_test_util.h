// Shared set-up for the report tests: a recording preview device of the
// report's own size with a fresh report run, and the records of a page as
// text lines.
#pragma once
#include <string>
#include <vector>

#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/report_lines.h"
#include "report/report_run.h"
#include "report/text_draw.h"

// The 1800 x 2700 pixel page (10 px/mm), recording into pool page 0; the
// report run state starts afresh.
inline TBitmap& StartRecording(int previewFlag = 2) {
    static TBitmap page(1800, 2700);
    G_SetDevice(&page, 0, 0, 0, previewFlag);
    G_SetWindow(0, 0, 180, 270, 0, 0, 180, 270);
    PoolRecording = true;
    PoolClear();
    PoolSelectPage(0);
    ResetReportRun();
    TextSuppressed = false;
    SetFontMm(3.6, 1.8, 0, 0);
    G_SetLineWidth(0);
    return page;
}

// Records of page 0 whose dump starts with one of the given words.
inline std::vector<std::string> Records(const std::vector<std::string>& kinds, int page = 0) {
    std::vector<std::string> out;
    for (const std::string& line : DumpPoolPage(page))
        for (const std::string& k : kinds)
            if (line.compare(0, k.size() + 1, k + " ") == 0) out.push_back(line);
    return out;
}

// Every record from the first one starting with `from` on.
inline std::vector<std::string> RecordsSince(std::size_t count, int page = 0) {
    std::vector<std::string> all = DumpPoolPage(page);
    if (count > all.size()) count = all.size();
    return std::vector<std::string>(all.begin() + static_cast<long>(count), all.end());
}

inline std::size_t RecordCount(int page = 0) { return DumpPoolPage(page).size(); }

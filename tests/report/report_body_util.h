// Shared by the calculation-report tests: compose a report into the pool
// the way the preview does, and read its pages back as text.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "report/contents_pages.h"
#include "report/page_pool.h"
#include "report/report_cover.h"
#include "report/report_template.h"

// Composes the report and its contents pages; returns the body page count.
inline int ComposeReport(FrameModel& model, const FrameResults* results, RcCheckData* rc) {
    BeginPreview(1800, 2700);
    const int pages = BuildCalculationReport(model, results, rc);
    BuildContentsPages(nullptr);
    return pages;
}

// Text lines of body page k (1-based).
inline std::vector<std::string> BodyPageText(int k) { return PoolPageText(10 + k); }

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

// Every body page's lines, page after page.
inline std::vector<std::string> AllBodyLines(int pages) {
    std::vector<std::string> all;
    for (int k = 1; k <= pages; ++k) {
        const std::vector<std::string> page = BodyPageText(k);
        all.insert(all.end(), page.begin(), page.end());
    }
    return all;
}

inline int CountOccurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos;
         p = text.find(what, p + what.size()))
        ++n;
    return n;
}

// The line holding `key` as a whitespace-separated word list, or empty.
inline std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> out;
    std::string w;
    for (char c : line) {
        if (c == ' ') {
            if (!w.empty()) out.push_back(w);
            w.clear();
        } else {
            w += c;
        }
    }
    if (!w.empty()) out.push_back(w);
    return out;
}

// Largest y (pixels of the 10 px/mm recording page) of any text or line
// record of pool page `page`.
inline double LowestRecordY(int page) {
    double lowest = 0;
    for (const std::string& rec : DumpPoolPage(page)) {
        const std::vector<std::string> w = Words(rec);
        if (w.size() >= 3 && (w[0] == "text" || w[0] == "line" || w[0] == "move"))
            lowest = std::max(lowest, std::atof(w[2].c_str()));
    }
    return lowest;
}

// Shared set-up of the figure tests: the example portal and a simple beam
// as models, their analysis, a recording screen device, and the pool
// records parsed into numbers.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "platform/qt/bitmap.h"
#include "report/graphics.h"
#include "report/page_pool.h"
#include "report/text_draw.h"

inline std::unique_ptr<FrameModel> LoadPortal() {
    auto model = NewFrameModelRecord();
    std::string warnings;
    EXPECT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/portal.$O1", *model, warnings))
        << warnings;
    PrepareMemberLoads(*model);
    return model;
}

// A 6 m simple beam from (0, 0) to (6, 0): pin at node 1, roller at node 2,
// one load case with the given loads, divided into `divisions` parts.
inline std::unique_ptr<FrameModel> SimpleBeam(std::vector<LoadRecord> loads, int divisions = 4) {
    auto m = NewFrameModelRecord();
    m->nodeCount = 2;
    m->nodes[1] = {1, 0, 0, {}};
    m->nodes[2] = {2, 6, 0, {}};
    m->materialCount = 1;
    m->materials[1] = {1, 2.0e8f, 1e-5f, 0};
    m->sectionCount = 1;
    m->sections[1].no = 1;
    m->sections[1].area = 0.1f;
    m->sections[1].inertia = 0.001f;
    m->memberCount = 1;
    m->members[1].no = 1;
    m->members[1].nodeI = 1;
    m->members[1].nodeJ = 2;
    m->members[1].sectionNo = 1;
    m->members[1].materialNo = 1;
    m->supportCaseCount = 1;
    m->supportCases[1].no = 1;
    m->supportCases[1].count = 2;
    m->supportCases[1].entries[1].nodeNo = 1;
    m->supportCases[1].entries[1].code = 1;
    m->supportCases[1].entries[2].nodeNo = 2;
    m->supportCases[1].entries[2].code = 2;
    m->view1Count = 1;
    m->view1[1] = {1, 0, divisions};
    m->loadCaseCount = 1;
    m->loadCases[1].no = 1;
    m->loadCases[1].suptCaseNo = 1;
    m->loadCases[1].count = static_cast<int>(loads.size());
    for (std::size_t k = 0; k < loads.size(); ++k) {
        m->loadCases[1].loads[k + 1] = loads[k];
        // As the reader and the grids keep it: the largest intensity.
        m->loadCases[1].maxLoad =
            std::max({m->loadCases[1].maxLoad, std::fabs(loads[k].qI), std::fabs(loads[k].qJ)});
    }
    PrepareMemberLoads(*m);
    return m;
}

inline LoadRecord Load(int code, int member, double qI, double qJ, double distI = 0,
                       double distJ = 0) {
    LoadRecord r{};
    r.code = code;
    r.memberFrom = member;
    r.qI = static_cast<float>(qI);
    r.qJ = static_cast<float>(qJ);
    r.distI = static_cast<float>(distI);
    r.distJ = static_cast<float>(distJ);
    return r;
}

// Analyses a copy of the model into ResultData and labels the points.
inline FrameResults& Analyse(FrameModel& model) {
    FrameResults* r = AllocateFrameResults();
    EXPECT_NE(r, nullptr);
    ClearFrameResults(*r);
    auto copy = NewFrameModelRecord();
    std::memcpy(copy.get(), &model, sizeof(FrameModel));
    EXPECT_TRUE(RunFrameAnalysis(*r, *copy, false, false, 20));
    SetResultPoints(*r, model);
    return *r;
}

// A screen device on bitmap whose world window shows x1..x2, y1..y2 m
// (y up) over the whole bitmap, recording into pool page 0.
inline void StartScreen(TBitmap& bitmap, double x1, double y1, double x2, double y2) {
    G_SetDevice(&bitmap, 0, bitmap.Width(), bitmap.Height(), 0);
    const double h = 180.0 * bitmap.Height() / bitmap.Width();
    G_SetWindow(0, 0, 180, h, x1, y2, x2, y1);
    PoolRecording = true;
    PoolClear();
    PoolSelectPage(0);
    TextSuppressed = false;
}

inline void StopRecording() { PoolRecording = false; }

struct Rec {
    std::string kind;
    std::vector<double> v;
    std::string text;
};

inline std::vector<Rec> Parse(int page = 0) {
    std::vector<Rec> out;
    for (const std::string& line : DumpPoolPage(page)) {
        Rec r;
        std::istringstream in(line);
        in >> r.kind;
        if (r.kind == "text") {
            double x, y;
            in >> x >> y;
            r.v = {x, y};
            std::getline(in, r.text);
            if (!r.text.empty() && r.text[0] == ' ') r.text.erase(0, 1);
        } else if (r.kind == "pen-colour" || r.kind == "font-colour" || r.kind == "brush-colour") {
            std::string hex;
            in >> hex;
            r.v = {static_cast<double>(std::strtoul(hex.c_str(), nullptr, 16))};
        } else {
            double d;
            while (in >> d) r.v.push_back(d);
        }
        out.push_back(r);
    }
    return out;
}

// A drawn line segment in device pixels with the pen colour it was drawn in.
struct Seg {
    double x1, y1, x2, y2;
    unsigned colour;
};

inline std::vector<Seg> Segments(const std::vector<Rec>& recs) {
    std::vector<Seg> out;
    double cx = 0, cy = 0;
    unsigned colour = 0;
    for (const Rec& r : recs) {
        if (r.kind == "pen-colour") colour = static_cast<unsigned>(r.v[0]);
        if (r.kind == "move" && r.v.size() >= 2) cx = r.v[0], cy = r.v[1];
        if (r.kind == "line" && r.v.size() >= 2) {
            out.push_back({cx, cy, r.v[0], r.v[1], colour});
            cx = r.v[0];
            cy = r.v[1];
        }
    }
    return out;
}

inline std::vector<Rec> Texts(const std::vector<Rec>& recs, const std::string& text) {
    std::vector<Rec> out;
    for (const Rec& r : recs)
        if (r.kind == "text" && r.text == text) out.push_back(r);
    return out;
}

// The texts as a reader sees them. Characters are recorded one by one;
// consecutive ones a cell apart along the font's angle join into one run,
// and a blank (which is not recorded) or a jump starts a new one. Only
// texts in a font below maxHeightPx count.
inline std::vector<std::string> TextRuns(const std::vector<Rec>& recs, double maxHeightPx = 1e9,
                                         double yLo = -1e18, double yHi = 1e18) {
    std::vector<std::string> out;
    double height = 0, pitch = 1, angle = 0, ex = -1e9, ey = -1e9;
    bool open = false;
    for (const Rec& r : recs) {
        if (r.kind == "font" && r.v.size() >= 3) {
            height = r.v[0], pitch = std::max(r.v[1], 1.0), angle = r.v[2] / 10 * M_PI / 180;
            continue;
        }
        if (r.kind != "text" || r.v.size() < 2 || r.text.empty()) continue;
        if (height >= maxHeightPx || r.v[1] < yLo || r.v[1] > yHi) {
            open = false;
            continue;
        }
        const bool joins = open && std::hypot(r.v[0] - ex, r.v[1] - ey) < 0.45 * pitch;
        if (!joins) out.emplace_back();
        out.back() += r.text;
        open = true;
        const double n = static_cast<double>(r.text.size());
        ex = r.v[0] + n * pitch * std::cos(angle);
        ey = r.v[1] - n * pitch * std::sin(angle);
    }
    return out;
}

inline bool HasRun(const std::vector<std::string>& runs, const std::string& text) {
    return std::find(runs.begin(), runs.end(), text) != runs.end();
}

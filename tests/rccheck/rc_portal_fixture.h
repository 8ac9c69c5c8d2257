// The analysed portal frame (examples/portal.$O1) shared by the RC window
// tests: analysed once, then put in FrameData / ResultData with an empty
// RC record for every test.
#pragma once
#include <cstring>
#include <memory>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "tests/analysed_example.h"

inline void LoadPortalWithEmptyRc() {
    static std::unique_ptr<FrameModel> model;
    static FrameResults* results = nullptr;
    if (!model) {
        LoadBuiltInRebarTable();
        AnalysedExample a = AnalyseExample("portal.$O1", 999);
        model = std::move(a.model);
        results = a.results;
    }
    FrameData = model.get();
    ResultData = results;
    // Cleared as a fresh record, its member blocks kept (and cleared too).
    RcCheckData& rc = *AllocateRcCheckData();
    RcMemberChecks* blocks = rc.memberChecks;
    for (int i = 0; i <= 4; ++i) std::memset(static_cast<void*>(&blocks[i]), 0, sizeof blocks[i]);
    std::memset(static_cast<void*>(&rc), 0, sizeof rc);
    rc.memberChecks = blocks;
}

// RC data file benchmark: a frame of 400 nodes (19 bays x 19 stories, 760
// members, 65 load cases and combinations, a named point at every beam's
// middle), analysed and RC-checked as the RC window does, then saved and
// opened as the save and open commands do. Prints the size of the data
// file without RC data, with the RC block as files were written before
// (every row of every case table, with the padding lines) and as it is
// written now (only the rows in use), and the best of the repeats of the
// time to save and to open each.
//
//   bench_rc_file [work folder [repeats]]   default /tmp/vextor_bench_rc, 3
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "tests/model/model_builder.h"

namespace {

constexpr int kBays = 19, kStories = 19, kCases = 65;

void BuildFrame(ModelBuilder& b) {
    b.Material(1, 2.5e7).Section(1, 0.36, 0.0108).Section(2, 0.24, 0.0072);
    const auto node = [](int s, int x) { return s * (kBays + 1) + x + 1; };
    for (int s = 0; s <= kStories; ++s)
        for (int x = 0; x <= kBays; ++x) b.Node(node(s, x), 6.0 * x, 3.5 * s);
    int no = 0;
    for (int s = 1; s <= kStories; ++s) {
        for (int x = 0; x <= kBays; ++x) b.Member(++no, node(s - 1, x), node(s, x), 0, 0, 1);
        for (int x = 0; x < kBays; ++x) {
            b.Member(++no, node(s, x), node(s, x + 1), 0, 0, 2);
            b.ViewPoints(no, {3.0}, "中央"_sj.c_str());
        }
    }
    for (int c = 1; c <= kCases; ++c) {
        for (int x = 0; x <= kBays; ++x) b.Support(c, node(0, x), kSupportFixed);
        b.LoadCaseDef(c, c);
        for (int m = 1; m <= no; ++m) {
            const FrameMember& mb = b.model().members[m];
            if (b.model().nodes[mb.nodeI].y == b.model().nodes[mb.nodeJ].y)
                b.Load(c, kLoadDistY, m, -10.0 - c % 7, -10.0 - c % 7);
        }
        for (int s = 1; s <= kStories; ++s) b.NodalLoad(c, node(s, 0), 2.0 * s * (c % 5), 0);
        b.Combination(c, 1.0, {{c, 1.0}});
    }
    PrepareMemberLoads(b.model());
}

// The RC block as files were written before: every row of every case
// table, the padding lines of each table.
void WriteFullRcBlock(TStringList& list, const FrameModel& model, const RcCheckData& rc) {
    TStringList now;
    WriteRcCheckData(now, model, rc);
    // The section table, the check cases and each member's header and
    // point table are taken as written now; the case tables are written
    // whole.
    const std::string& caseHead = "ｹｰｽ"_sj;
    int member = 0;
    for (int i = 0; i < now.Count(); ++i) {
        const std::string& line = now[i];
        if (line.compare(0, 11, "部材断面ｉ("_sj) == 0) ++member;
        if (line.compare(0, caseHead.size(), caseHead) != 0) {
            list.Add(line);
            continue;
        }
        list.Add(line);
        const int t = TextToInt(line.substr(caseHead.size() + 1));
        const RcMemberChecks& m = rc.memberChecks[member];
        const auto row = [&](const char* key, const char* format,
                             const std::function<double(const RcCaseCheck&)>& get) {
            std::string out = key;
            out += ",";
            while (out.size() < 5) out += ' ';
            for (int p = 1; p <= m.pointCount; ++p)
                out += FormatStr(format, get(m.points[p].cases[t]));
            list.Add(out);
        };
        const auto flag = [&](const char* key, std::uint8_t RcCaseCheck::*f) {
            std::string out = FormatStr("%s,", key);
            for (int p = 1; p <= m.pointCount; ++p)
                out += FormatStr("%9d,", static_cast<int>(m.points[p].cases[t].*f));
            list.Add(out);
        };
        flag("SgCK", &RcCaseCheck::sgCK);
        flag("MuCK", &RcCaseCheck::muCK);
        flag("TuCK", &RcCaseCheck::tuCK);
        flag("VyCK", &RcCaseCheck::vyCK);
        row("Sca", "%9.2f,", [](const RcCaseCheck& c) { return c.sca; });
        row("Ssa", "%9.1f,", [](const RcCaseCheck& c) { return c.ssa; });
        row("Ta0", "%9.3f,", [](const RcCaseCheck& c) { return c.taBase; });
        row("Tsa", "%9.3f,", [](const RcCaseCheck& c) { return c.tsa; });
        row("fck", "%9.2f,", [](const RcCaseCheck& c) { return c.fck; });
        row("fyk", "%9.1f,", [](const RcCaseCheck& c) { return c.fyk; });
        row("fwk", "%9.3f,", [](const RcCaseCheck& c) { return c.fwk; });
        row("Ec", "%9.3f,", [](const RcCaseCheck& c) { return c.ec; });
        row("Es", "%9.3f,", [](const RcCaseCheck& c) { return c.es; });
        row("MzX", "%9.2f,", [](const RcCaseCheck& c) { return c.bend.x; });
        row("MzM", "%9.2f,", [](const RcCaseCheck& c) { return c.bend.m; });
        row("MzN", "%9.2f,", [](const RcCaseCheck& c) { return c.bend.n; });
        row("MzS", "%9.2f,", [](const RcCaseCheck& c) { return c.bend.s; });
        row("SyX", "%9.2f,", [](const RcCaseCheck& c) { return c.shear.x; });
        row("SyM", "%9.2f,", [](const RcCaseCheck& c) { return c.shear.m; });
        row("SyN", "%9.2f,", [](const RcCaseCheck& c) { return c.shear.n; });
        row("SyS", "%9.2f,", [](const RcCaseCheck& c) { return c.shear.s; });
        for (const char* g : {"Gc", "Gs", "Gbm", "Gbc", "Gbs", "Ga", "Gi"})
            row(g, "%9.3f,", [](const RcCaseCheck&) { return 1.0; });
        for (int k = 0; k < 7; ++k) list.Add(",    ");
        // The case's "EOB" follows in the lines taken as written now.
        while (i + 1 < now.Count() && now[i + 1] != "EOB") ++i;
    }
}

double Seconds(const std::function<void()>& run, int repeats) {
    double best = 1e9;
    for (int r = 0; r < repeats; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
        best = std::min(best, d.count());
    }
    return best;
}

long FileBytes(const std::string& name) {
    struct stat st {};
    return stat(name.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp/vextor_bench_rc";
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::system(("mkdir -p '" + folder + "'").c_str());
    LoadBuiltInRebarTable();

    ModelBuilder b;
    BuildFrame(b);
    FrameModel& model = b.model();
    FrameResults& results = *AllocateFrameResults();
    auto copy = NewFrameModelRecord();
    *copy = model;
    if (!RunFrameAnalysis(results, *copy, false, false, 20)) {
        std::fprintf(stderr, "analysis failed\n");
        return 1;
    }
    SetResultPoints(results, model);
    RcCheckData& rc = *AllocateRcCheckData();
    BuildRcCheckData(rc, results, model);
    InitRcSections(rc, model);
    CopySectionSizeToPoints(rc);
    ApplyCheckTypes(rc);
    ApplyCoversToPoints(rc);
    CheckAllMembers(rc);
    BuildEnvelope(rc);

    const std::string plain = folder + "/frame_only.$O1", before = folder + "/rc_before.$O1",
                      after = folder + "/rc_after.$O1";
    struct Layout {
        const char* name;
        const std::string& file;
        std::function<void(TStringList&)> write;
    };
    const Layout layouts[] = {
        {"frame only", plain, [](TStringList&) {}},
        {"RC, every row (before)", before, [&](TStringList& l) { WriteFullRcBlock(l, model, rc); }},
        {"RC, rows in use (now)", after, [&](TStringList& l) { WriteRcCheckData(l, model, rc); }},
    };
    std::printf("400-node RC model: %d nodes, %d members, %d combinations, %d RC members\n",
                model.nodeCount, model.memberCount, model.combinationCount, rc.memberCount);
    std::printf("%-24s %12s %8s %9s %9s\n", "layout", "bytes", "x frame", "save s", "open s");
    long frameBytes = 0;
    for (const Layout& lay : layouts) {
        const double save = Seconds(
            [&] {
                TStringList rcLines;
                lay.write(rcLines);
                WriteFrameDataFile(lay.file, model, &rcLines);
            },
            repeats);
        const long bytes = FileBytes(lay.file);
        if (frameBytes == 0) frameBytes = bytes;
        RcCheckData* read = NewRcCheckData();
        auto readModel = NewFrameModelRecord();
        const double open = Seconds(
            [&] {
                TStringList lines;
                lines.LoadFromFile(lay.file);
                std::string warnings;
                ReadFrameDataFile(*readModel, lines, warnings);
                ReadRcCheckData(*read, *readModel, lines, warnings);
            },
            repeats);
        FreeRcCheckData(read);
        std::printf("%-24s %12ld %8.2f %9.3f %9.3f\n", lay.name, bytes,
                    static_cast<double>(bytes) / static_cast<double>(frameBytes), save, open);
    }
    return 0;
}

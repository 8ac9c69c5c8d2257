// The program's analysis against the reference (tests/oracle), bit for
// bit: every example and a series of random frames are analysed both ways
// through the whole driver; the results records must be byte-identical
// (memcmp of the whole record, padding included) and so must the six
// result files, the program's written by its own writer.
#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/expansion.h"
#include "model/fast_result_files.h"
#include "model/fast_stiffness.h"
#include "model/fast_workers.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/load_terms.h"
#include "model/result_files.h"
#include "model/stiffness.h"
#include "model/validation.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "tests/case_output.h"
#include "tests/oracle/reference_analysis.h"
#include "tests/oracle/reference_result_files.h"

namespace {

// The reference gets a record of its own; the program's analysis uses the
// program's record, so that its partial clearing is what is tested.
FrameResults& ReferenceRecord() {
    static FrameResults* record = static_cast<FrameResults*>(std::calloc(1, sizeof(FrameResults)));
    return *record;
}

struct RunOutcome {
    bool ok = false;
    AnalysisReport report;
};

// The program's analysis of a copy of the model.
RunOutcome Analyse(FrameResults& results, const FrameModel& model) {
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    std::memcpy(copy.get(), &model, sizeof(FrameModel));
    RunOutcome out;
    out.ok = RunFrameAnalysis(results, *copy, false, false, 999, &out.report);
    return out;
}

// The reference analysis of a copy of the model.
RunOutcome AnalyseReference(FrameResults& results, const FrameModel& model) {
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    std::memcpy(copy.get(), &model, sizeof(FrameModel));
    RunOutcome out;
    out.ok = reference::RunFrameAnalysis(results, *copy, false, false, 999, &out.report);
    return out;
}

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes both records' result files and compares them byte for byte.
void ExpectSameFiles(const FrameResults& ref, const FrameResults& fast, const std::string& tag) {
    const std::string dir = CaseOutputDir() + "/fast_path/";
    ForceDirectories(dir);
    ASSERT_TRUE(reference::WriteSdkResultFiles(ref, dir + tag + "_ref"));
    ASSERT_TRUE(WriteSdkResultFiles(fast, dir + tag + "_fast"));
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        const std::string ext = SdkResultExtensions()[f];
        EXPECT_EQ(ReadAll(dir + tag + "_ref" + ext), ReadAll(dir + tag + "_fast" + ext))
            << tag << ext;
    }
}

// The program's analysis again, its member-force files written while it runs
// as the batch run writes them (the load case file from the moment the
// cases are final, the combination file block by block); all six files
// must equal the reference's.
void ExpectSameFilesWrittenDuringAnalysis(const FrameModel& model, const std::string& tag) {
    FrameResults& fast = *AllocateFrameResults();
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    std::memcpy(copy.get(), &model, sizeof(FrameModel));
    const std::string dir = CaseOutputDir() + "/fast_path/";
    const std::string base = dir + tag + "_early";
    MemberForceFilesDuringAnalysis early(fast, base);
    const std::function<void(int)> write = early.BlockFinal();
    int started = 0;
    RunFrameAnalysis(fast, *copy, false, false, 999, nullptr, [&](int block) {
        if (block == 0) ++started;
        write(block);
    });
    early.AnalysisOver();
    EXPECT_EQ(started, 1) << tag << ": every point is kept, so the load cases are told final once";
    ASSERT_TRUE(WriteSdkResultFiles(fast, base, nullptr, early.Jobs()));
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        const std::string ext = SdkResultExtensions()[f];
        EXPECT_EQ(ReadAll(dir + tag + "_ref" + ext), ReadAll(base + ext)) << tag << ext;
    }
}

// Analyses the model both ways and compares everything.
void ExpectSameAnalysis(const FrameModel& model, const std::string& tag) {
    FrameResults& ref = ReferenceRecord();
    FrameResults& fast = *AllocateFrameResults();
    ASSERT_NE(&fast, nullptr);
    const RunOutcome r = AnalyseReference(ref, model);
    const RunOutcome f = Analyse(fast, model);
    EXPECT_EQ(r.ok, f.ok) << tag;
    EXPECT_EQ(r.report.caseWarnings, f.report.caseWarnings) << tag;
    EXPECT_EQ(std::memcmp(&ref, &fast, sizeof(FrameResults)), 0) << tag << ": records differ";
    ExpectSameFiles(ref, fast, tag);
    ExpectSameFilesWrittenDuringAnalysis(model, tag);
}

// ------------------------------------------------------------ random frames

// A frame of random size, shape, numbering and loads: a jittered grid of
// nodes stored in shuffled table order (so profiles are wide and uneven),
// numbers with gaps, columns, beams and some braces, pins, rigid zones, all
// support codes, node springs, distributed springs, loads of every code,
// points of interest and combinations. Many are stable, some are not.
class RandomFrame {
  public:
    explicit RandomFrame(unsigned seed) : rng_(seed), model_(NewFrameModelRecord()) { Build(); }
    const FrameModel& model() const { return *model_; }

  private:
    double U(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
    int I(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng_); }
    bool Chance(double p) { return U(0, 1) < p; }

    void Build() {
        FrameModel& m = *model_;
        NewFrameModel(m, 0);
        m.rigidZoneSwitch = 1;
        const int w = I(1, 5), h = I(1, 4);
        // Nodes: grid positions, table order shuffled, numbers with gaps.
        std::vector<int> order;
        for (int k = 0; k < (w + 1) * (h + 1); ++k) order.push_back(k);
        std::shuffle(order.begin(), order.end(), rng_);
        std::vector<int> numberAt((w + 1) * (h + 1));
        for (int k : order) {
            FramePoint& p = m.nodes[++m.nodeCount];
            p.no = 3 * m.nodeCount + I(0, 2);
            p.x = static_cast<float>((k % (w + 1)) * 5.0 + U(-0.4, 0.4));
            p.y = static_cast<float>((k / (w + 1)) * 3.5 + (k / (w + 1) == 0 ? 0 : U(-0.3, 0.3)));
            numberAt[k] = p.no;
        }
        for (int k = 1; k <= 2; ++k) {
            FrameMaterial& mat = m.materials[++m.materialCount];
            mat.no = k;
            mat.e = static_cast<float>(k == 1 ? 2.5e7 : 2.05e8);
            mat.alpha = static_cast<float>(1e-5 * k);
            FrameSection& s = m.sections[++m.sectionCount];
            s.no = k;
            s.area = static_cast<float>(U(0.05, 0.5));
            s.inertia = static_cast<float>(U(0.0005, 0.02));
        }
        auto member = [&](int a, int b) {
            FrameMember& mb = m.members[++m.memberCount];
            mb.no = 2 * m.memberCount + 1;
            mb.nodeI = numberAt[a];
            mb.nodeJ = numberAt[b];
            mb.sectionNo = I(1, 2);
            mb.materialNo = I(1, 2);
            mb.endI = Chance(0.12) ? 1 : 0;
            mb.endJ = Chance(0.12) ? 1 : 0;
            if (Chance(0.2)) mb.rigidI = static_cast<float>(U(0.1, 0.4));
            if (Chance(0.2)) mb.rigidJ = static_cast<float>(U(0.1, 0.4));
        };
        for (int y = 1; y <= h; ++y)
            for (int x = 0; x <= w; ++x) member((y - 1) * (w + 1) + x, y * (w + 1) + x);
        for (int y = 0; y <= h; ++y)
            for (int x = 0; x < w; ++x)
                if (y > 0 || Chance(0.5)) member(y * (w + 1) + x, y * (w + 1) + x + 1);
        if (w >= 1 && h >= 1 && Chance(0.5)) member(0, w + 2);  // a brace
        // Supports: two support cases over the base nodes.
        for (int sc = 1; sc <= 2; ++sc) {
            SuptCase& s = m.supportCases[++m.supportCaseCount];
            s.no = sc;
            for (int x = 0; x <= w; ++x) {
                SuptEntry& e = s.entries[++s.count];
                e.nodeNo = numberAt[x];
                e.code = I(1, 5);
                if (e.code == kSupportSpring) {
                    e.kx = static_cast<float>(U(1e3, 1e6));
                    e.ky = static_cast<float>(U(1e3, 1e6));
                    e.km = static_cast<float>(Chance(0.5) ? U(1e3, 1e5) : 0.0);
                }
            }
        }
        // Distributed springs on the base beams (if any).
        BaneCase& bc = m.springCases[++m.springCaseCount];
        bc.no = 1;
        for (int t = 1; t <= m.memberCount; ++t) {
            const FrameMember& mb = m.members[t];
            if (mb.nodeI == numberAt[0] || (mb.nodeI < 0)) continue;
            if (Chance(0.15) && bc.count < 3) {
                BaneEntry& e = bc.entries[++bc.count];
                e.memberNo = mb.no;
                e.kv = static_cast<float>(U(1e3, 5e4));
                e.ku = static_cast<float>(Chance(0.5) ? U(1e3, 1e4) : 0.0);
            }
        }
        const int cases = I(1, 5);
        const int codes[] = {11, 12, 13, 14, 21, 22, 23, 24, 27, 31, 51};
        for (int c = 1; c <= cases; ++c) {
            LoadCase& lc = m.loadCases[++m.loadCaseCount];
            lc.no = 10 + c;
            lc.suptCaseNo = Chance(0.7) ? 1 : 2;
            lc.baneCaseNo = Chance(0.4) ? 1 : 0;
            const int loads = I(1, 12);
            for (int l = 0; l < loads; ++l) {
                LoadRecord& r = lc.loads[++lc.count];
                r.code = codes[I(0, 10)];
                const FrameMember& mb = m.members[I(1, m.memberCount)];
                r.memberFrom = r.code == kLoadNodal ? m.nodes[I(1, m.nodeCount)].no : mb.no;
                r.qI = static_cast<float>(U(-40, 40));
                r.qJ =
                    static_cast<float>(r.code < 20 ? U(-40, 40) : (r.code == 51 ? U(-40, 40) : 0));
                r.distI = static_cast<float>(r.code == 51 ? U(-20, 20) : U(0, 1.5));
                r.distJ = static_cast<float>(r.code < 20 ? U(0, 1.0) : 0.0);
            }
        }
        const int combos = I(1, 3);
        for (int k = 1; k <= combos; ++k) {
            KumiCase& kc = m.combinations[++m.combinationCount];
            kc.no = k;
            kc.factor = U(0.8, 1.6);
            for (int e = 0; e < I(1, 3); ++e) {
                KumiEntry& en = kc.entries[++kc.count];
                en.loadCaseNo = m.loadCases[I(1, m.loadCaseCount)].no;
                en.factor = static_cast<float>(U(0.5, 1.5));
            }
        }
        for (int t = 1; t <= m.memberCount && m.view2Count < 5; ++t) {
            if (!Chance(0.3)) continue;
            View2Member& v = m.view2[++m.view2Count];
            v.memberNo = m.members[t].no;
            v.count = 1;
            v.dist[1] = static_cast<float>(U(0.5, 2.5));
            SetFixedText(v.pointName[1], kPointNameSize, "P1");
        }
        PrepareMemberLoads(m);
    }

    std::mt19937 rng_;
    std::unique_ptr<FrameModel> model_;
};

// A three-node beam whose first degree of freedom has a zero diagonal: a
// node spring of -EA/L cancels the member's axial stiffness exactly, so
// the elimination must add the following rows to the first one.
std::unique_ptr<FrameModel> ZeroPivotBeam() {
    std::unique_ptr<FrameModel> m = NewFrameModelRecord();
    NewFrameModel(*m, 0);
    for (int k = 1; k <= 3; ++k) {
        m->nodes[k] = FramePoint{k, static_cast<float>(k - 1), 0.0f, {}};
    }
    m->nodes[4] = FramePoint{4, -1.0f, 0.0f, {}};
    m->nodeCount = 4;
    m->materials[1] = FrameMaterial{1, 1000.0f, 0.0f, 0};
    // A bar of negative stiffness from the held node 4 cancels member 1's
    // axial stiffness on the diagonal of node 1's x, not off it.
    m->materials[2] = FrameMaterial{2, -1000.0f, 0.0f, 0};
    m->materialCount = 2;
    m->sections[1].no = 1;
    m->sections[1].area = 1.0f;
    m->sections[1].inertia = 1.0f;
    m->sectionCount = 1;
    for (int t = 1; t <= 2; ++t) {
        FrameMember& mb = m->members[t];
        mb.no = t;
        mb.nodeI = t;
        mb.nodeJ = t + 1;
        mb.sectionNo = mb.materialNo = 1;
    }
    FrameMember& bar = m->members[3];
    bar.no = 3;
    bar.nodeI = 4;
    bar.nodeJ = 1;
    bar.sectionNo = 1;
    bar.materialNo = 2;
    bar.endI = bar.endJ = 1;
    m->memberCount = 3;
    SuptCase& s = m->supportCases[++m->supportCaseCount];
    s.no = 1;
    s.entries[1] = SuptEntry{4, -1.0f, -1.0f, -1.0f, {}, kSupportFixed};
    s.entries[2] = SuptEntry{3, -1.0f, -1.0f, -1.0f, {}, kSupportFixed};
    s.count = 2;
    LoadCase& lc = m->loadCases[++m->loadCaseCount];
    lc.no = 1;
    lc.suptCaseNo = 1;
    lc.loads[++lc.count] = LoadRecord{kLoadNodal, 1, 0, 5.0f, -3.0f, 2.0f, 0.0f, 0, 0, 0, {}};
    lc.loads[++lc.count] = LoadRecord{kLoadDistY, 2, 0, -4.0f, -4.0f, 0.0f, 0.0f, 0, 0, 0, {}};
    PrepareMemberLoads(*m);
    return m;
}

}  // namespace

TEST(FastPath, EveryExampleGivesTheReferenceBits) {
    DIR* dir = opendir(EXAMPLES_DIR);
    ASSERT_NE(dir, nullptr);
    std::vector<std::string> files;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == ".$O1") files.push_back(name);
    }
    closedir(dir);
    ASSERT_FALSE(files.empty());
    for (const std::string& name : files) {
        std::unique_ptr<FrameModel> model = NewFrameModelRecord();
        std::string warnings;
        ASSERT_TRUE(ReadFrameDataFile(std::string(EXAMPLES_DIR) + "/" + name, *model, warnings))
            << name;
        ExpectSameAnalysis(*model, "example_" + ChangeFileExt(name, ""));
    }
}

TEST(FastPath, RandomFramesGiveTheReferenceBits) {
    int singular = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const RandomFrame frame(seed);
        ExpectSameAnalysis(frame.model(), "random_" + std::to_string(seed));
        if (!AnalyseReference(ReferenceRecord(), frame.model()).report.caseWarnings.empty())
            ++singular;
    }
    // The series must hold both kinds, or it tests less than it claims.
    EXPECT_GT(singular, 0);
    EXPECT_LT(singular, 40);
}

TEST(FastPath, CouplesAtMemberEndsAndOverflowingResultsGiveTheReferenceBits) {
    // Random frames with couples and point loads on member ends and on the
    // inner ends of rigid zones (joints of pieces), where the end values
    // take the member's side and the extremes look on both sides; then the
    // same with a load case whose results overflow and are cleared.
    for (const unsigned seed : {3u, 7u, 12u, 21u}) {
        const RandomFrame frame(seed);
        std::unique_ptr<FrameModel> m = NewFrameModelRecord();
        std::memcpy(m.get(), &frame.model(), sizeof(FrameModel));
        LoadCase& lc = m->loadCases[1];
        auto add = [&](int code, int memberNo, double q, double distI) {
            LoadRecord& r = lc.loads[++lc.count];
            r = LoadRecord{};
            r.code = code;
            r.memberFrom = memberNo;
            r.qI = static_cast<float>(q);
            r.distI = static_cast<float>(distI);
        };
        for (int t = 1; t <= std::min(m->memberCount, 6); ++t) {
            const FrameMember& mb = m->members[t];
            add(kLoadConcMoment, mb.no, 7.5, 0);
            add(kLoadConcMoment, mb.no, -4, mb.length);
            add(kLoadConcMoment, mb.no, 3, mb.rigidI);
            add(kLoadConcPerp, mb.no, -6, mb.length - mb.rigidJ);
        }
        PrepareMemberLoads(*m);
        ExpectSameAnalysis(*m, "end_couples_" + std::to_string(seed));
        lc.loads[++lc.count] =
            LoadRecord{kLoadTemperature, m->members[1].no, 0, 3e38f, 0, 0, 0, 0, 0, 0, {}};
        const RunOutcome r = AnalyseReference(ReferenceRecord(), *m);
        const std::string failed =
            "荷重ｹｰｽ No."_sj + std::to_string(lc.no) + "：計算結果が数値で"_sj;
        EXPECT_NE(r.report.caseWarnings.find(failed), std::string::npos) << seed;
        ExpectSameAnalysis(*m, "overflow_" + std::to_string(seed));
    }
}

TEST(FastPath, ZeroPivotRepairGivesTheReferenceBits) {
    std::unique_ptr<FrameModel> model = ZeroPivotBeam();
    // The first kept degree of freedom really starts with a zero pivot.
    StiffnessWork dense;
    ASSERT_TRUE(dense.Allocate(4, 3));
    dense.Clear();
    CalcMemberEndLoads(*model, 1, dense.endLoads.data());
    AssembleStiffness(*model, 1, dense);
    EXPECT_EQ(dense.k[0], 0.0);
    ASSERT_TRUE(SolveLoadCase(*model, 1, dense));

    StiffnessWork work;
    ASSERT_TRUE(work.Allocate(4, 3, false));
    work.Clear();
    CalcMemberEndLoads(*model, 1, work.endLoads.data());
    FastCaseSolver solver;
    ASSERT_TRUE(solver.SolveCase(*model, 1, work));
    EXPECT_EQ(work.keptCount, dense.keptCount);
    EXPECT_EQ(work.map, dense.map);
    EXPECT_EQ(std::memcmp(work.x.data(), dense.x.data(), sizeof(double) * 12), 0);
    EXPECT_EQ(std::memcmp(work.p.data(), dense.p.data(), sizeof(double) * 12), 0);
    EXPECT_NE(work.x[0], 0.0);
    EXPECT_EQ(solver.DenseFallbacks(), 0);

    ExpectSameAnalysis(*model, "zero_pivot");
}

TEST(FastPath, SingularCaseGivesTheReferenceBits) {
    // A beam pinned at both ends standing on two pins is a mechanism in
    // rotation once a nodal moment loads its end: the case is singular.
    std::unique_ptr<FrameModel> m = ZeroPivotBeam();
    m->supportCases[1].entries[1] = SuptEntry{1, -1.0f, -1.0f, 0.0f, {}, kSupportPin};
    m->supportCases[1].entries[2] = SuptEntry{3, -1.0f, -1.0f, 0.0f, {}, kSupportPin};
    m->members[1].endJ = 1;
    m->members[2].endI = 1;
    PrepareMemberLoads(*m);
    const RunOutcome r = AnalyseReference(ReferenceRecord(), *m);
    EXPECT_FALSE(r.report.caseWarnings.empty());
    ExpectSameAnalysis(*m, "singular");
}

TEST(FastPath, AUsedRecordIsClearedWhereItWasUsed) {
    // A large frame leaves values all over the record; the small one after
    // it must find the record as a whole clear would leave it.
    unsigned seed = 1;
    while (RandomFrame(seed).model().memberCount < 20) ++seed;
    const RandomFrame large(seed), small(3);
    FrameResults& fast = *AllocateFrameResults();
    Analyse(fast, large.model());
    ASSERT_GT(WrittenFrameResultsExtent(fast).members, 10);
    ExpectSameAnalysis(small.model(), "after_large");
}

TEST(FastPath, OneFactorisationServesEveryCaseWithTheSameMatrix) {
    // Five cases on support case 1 and two on support case 2: two
    // factorisations, five reuses.
    const RandomFrame frame(11);
    std::unique_ptr<FrameModel> m = NewFrameModelRecord();
    std::memcpy(m.get(), &frame.model(), sizeof(FrameModel));
    for (int s = 1; s <= 2; ++s) {
        SuptCase& sc = m->supportCases[s];
        for (int e = 1; e <= sc.count; ++e) {
            sc.entries[e] = SuptEntry{sc.entries[e].nodeNo, -1, -1, -1, {}, kSupportFixed};
        }
    }
    // Support case 2 pins its first node instead: another matrix.
    m->supportCases[2].entries[1].code = kSupportPin;
    m->loadCaseCount = 0;
    for (int c = 1; c <= 7; ++c) {
        LoadCase& lc = m->loadCases[++m->loadCaseCount];
        lc = LoadCase{};
        lc.no = c;
        lc.suptCaseNo = c <= 5 ? 1 : 2;
        lc.loads[++lc.count] =
            LoadRecord{kLoadDistY, m->members[1].no, 0, -10.0f * c, -5.0f, 0, 0, 0, 0, 0, {}};
    }
    m->combinationCount = 0;
    PrepareMemberLoads(*m);
    StiffnessWork work;
    ASSERT_TRUE(work.Allocate(m->nodeCount, m->memberCount, false));
    FastCaseSolver solver;
    for (int c = 1; c <= 7; ++c) {
        work.Clear();
        CalcMemberEndLoads(*m, c, work.endLoads.data());
        solver.SolveCase(*m, c, work);
    }
    EXPECT_EQ(solver.Factorisations(), 2);
    EXPECT_EQ(solver.Reuses(), 5);
    ExpectSameAnalysis(*m, "reuse");
}

TEST(FastPath, ACacheTooSmallForTwoMatricesStillGivesTheReferenceBits) {
    // Cases alternate between two support cases; a one-byte cache keeps
    // only the matrix in use, so every switch assembles and factorises
    // again, and every solution must still match the dense solver's.
    const RandomFrame frame(11);
    std::unique_ptr<FrameModel> m = NewFrameModelRecord();
    std::memcpy(m.get(), &frame.model(), sizeof(FrameModel));
    for (int s = 1; s <= 2; ++s) {
        SuptCase& sc = m->supportCases[s];
        for (int e = 1; e <= sc.count; ++e) {
            sc.entries[e] = SuptEntry{
                sc.entries[e].nodeNo, -1, -1, -1, {}, s == 1 ? kSupportFixed : kSupportPin};
        }
    }
    m->loadCaseCount = 0;
    for (int c = 1; c <= 6; ++c) {
        LoadCase& lc = m->loadCases[++m->loadCaseCount];
        lc = LoadCase{};
        lc.no = c;
        lc.suptCaseNo = 1 + c % 2;
        lc.loads[++lc.count] =
            LoadRecord{kLoadDistX, m->members[1].no, 0, 3.0f * c, 1.0f, 0, 0, 0, 0, 0, {}};
    }
    PrepareMemberLoads(*m);
    StiffnessWork fast, dense;
    ASSERT_TRUE(fast.Allocate(m->nodeCount, m->memberCount, false));
    ASSERT_TRUE(dense.Allocate(m->nodeCount, m->memberCount));
    FastCaseSolver solver(1);
    for (int c = 1; c <= 6; ++c) {
        fast.Clear();
        dense.Clear();
        CalcMemberEndLoads(*m, c, fast.endLoads.data());
        CalcMemberEndLoads(*m, c, dense.endLoads.data());
        AssembleStiffness(*m, c, dense);
        EXPECT_EQ(solver.SolveCase(*m, c, fast), SolveLoadCase(*m, c, dense)) << c;
        EXPECT_EQ(fast.map, dense.map) << c;
        EXPECT_EQ(std::memcmp(fast.x.data(), dense.x.data(), sizeof(double) * fast.x.size()), 0)
            << c;
    }
    EXPECT_EQ(solver.Factorisations(), 6);
}

TEST(FastPath, CasesSolvedAtOnceGiveTheReferenceBits) {
    // 24 cases over three support cases, solved on the worker threads at
    // once by one solver whose cache holds a single matrix: entries are
    // built, waited for and evicted while other threads still solve with
    // them, and every solution must still be the dense solver's.
    const RandomFrame frame(11);
    std::unique_ptr<FrameModel> m = NewFrameModelRecord();
    std::memcpy(m.get(), &frame.model(), sizeof(FrameModel));
    const int codes[3] = {kSupportFixed, kSupportPin, kSupportFixed};
    for (int s = 1; s <= 3; ++s) {
        SuptCase& sc = m->supportCases[s];
        sc = m->supportCases[1];
        sc.no = s;
        for (int e = 1; e <= sc.count; ++e) sc.entries[e].code = codes[s - 1];
        if (s == 3) sc.entries[1].kx = 5000.0f;  // a spring: a third matrix
    }
    m->supportCaseCount = 3;
    m->loadCaseCount = 0;
    for (int c = 1; c <= 24; ++c) {
        LoadCase& lc = m->loadCases[++m->loadCaseCount];
        lc = LoadCase{};
        lc.no = c;
        lc.suptCaseNo = 1 + c % 3;
        lc.loads[++lc.count] =
            LoadRecord{kLoadDistY, m->members[1].no, 0, -2.0f * c, 1.0f, 0, 0, 0, 0, 0, {}};
    }
    m->combinationCount = 0;
    PrepareMemberLoads(*m);
    std::vector<StiffnessWork> fast(24), dense(24);
    std::vector<char> fastOk(24), denseOk(24);
    for (int i = 0; i < 24; ++i) {
        ASSERT_TRUE(fast[i].Allocate(m->nodeCount, m->memberCount, false));
        ASSERT_TRUE(dense[i].Allocate(m->nodeCount, m->memberCount));
    }
    FastCaseSolver solver(1);
    ParallelFor(24, [&](int i) {
        StiffnessWork& w = fast[static_cast<std::size_t>(i)];
        w.Clear();
        CalcMemberEndLoads(*m, i + 1, w.endLoads.data());
        fastOk[static_cast<std::size_t>(i)] =
            solver.SolveCaseProfile(*m, i + 1, w) == FastCaseSolver::Outcome::kSolved;
    });
    for (int i = 0; i < 24; ++i) {
        StiffnessWork& d = dense[static_cast<std::size_t>(i)];
        d.Clear();
        CalcMemberEndLoads(*m, i + 1, d.endLoads.data());
        AssembleStiffness(*m, i + 1, d);
        denseOk[static_cast<std::size_t>(i)] = SolveLoadCase(*m, i + 1, d);
        EXPECT_EQ(fastOk[i], denseOk[i]) << i + 1;
        EXPECT_EQ(fast[i].map, d.map) << i + 1;
        EXPECT_EQ(std::memcmp(fast[i].x.data(), d.x.data(), sizeof(double) * d.x.size()), 0)
            << i + 1;
    }
    EXPECT_GE(solver.Factorisations(), 3);
    ExpectSameAnalysis(*m, "at_once");
}

TEST(FastPath, LoadEffectsEvaluatorGivesTheBitsOfLoadEffectsAt) {
    // Every code, every end case, the simple-beam variant, points before,
    // at and after the load, and both ends.
    const int codes[] = {11, 12, 13, 14, 21, 22, 23, 24, 27, 31, 51, 99};
    const int ends[][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    MemberLoadContext ctx;
    ctx.length = 6.25;
    ctx.angle = 0.6;
    ctx.e = 2.5e7;
    ctx.area = 0.3;
    ctx.alpha = 1e-5;
    for (const int code : codes) {
        for (const auto& end : ends) {
            for (const bool simple : {false, true}) {
                ctx.endI = end[0];
                ctx.endJ = end[1];
                const LoadEffectsEvaluator effects(ctx, code, -12.5, 3.75, 1.2, 0.8, simple);
                for (int k = 0; k <= 100; ++k) {
                    const double x = k == 37 ? 1.2 : ctx.length * k / 100;
                    const PointEffects a =
                        LoadEffectsAt(ctx, code, -12.5, 3.75, 1.2, 0.8, x, simple);
                    const PointEffects b = effects.At(x);
                    ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0)
                        << "code " << code << " ends " << end[0] << end[1] << " x " << x;
                }
            }
        }
    }
}

TEST(FastPath, WorkerLoopRunsEveryIterationOnceAndHandsBackAFailure) {
    std::vector<std::atomic<int>> visits(20000);
    for (int round = 0; round < 3; ++round) {
        ParallelFor(static_cast<int>(visits.size()),
                    [&](int i) { ++visits[static_cast<std::size_t>(i)]; });
    }
    for (const auto& v : visits) ASSERT_EQ(v.load(), 3);
    EXPECT_THROW(ParallelFor(1000,
                             [](int i) {
                                 if (i == 321) throw std::runtime_error("task failed");
                             }),
                 std::runtime_error);
    // The pool is still usable afterwards, also for a loop inside a loop.
    std::atomic<int> sum{0};
    ParallelFor(100, [&](int i) { ParallelFor(3, [&](int j) { sum += i * j; }); });
    EXPECT_EQ(sum.load(), 3 * 4950);
}

// Builds small frame models in code for the engine tests: a FrameModel on
// the heap and short calls that add nodes, materials, sections, members,
// supports, loads, combinations and points of interest.
//
// Defaults: material 1 and section 1 are used by members unless told; a
// support entry gets -1 in the spring constants of the directions its code
// restrains (as the grids write them); load cases name support case 1.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"

class ModelBuilder {
  public:
    ModelBuilder() : model_(NewFrameModelRecord()) {}

    FrameModel& model() { return *model_; }
    const FrameModel& model() const { return *model_; }

    ModelBuilder& Node(int no, double x, double y) {
        FramePoint& p = model_->nodes[++model_->nodeCount];
        p.no = no;
        p.x = static_cast<float>(x);
        p.y = static_cast<float>(y);
        return *this;
    }

    ModelBuilder& Material(int no, double e, double alpha = 0) {
        FrameMaterial& m = model_->materials[++model_->materialCount];
        m.no = no;
        m.e = static_cast<float>(e);
        m.alpha = static_cast<float>(alpha);
        return *this;
    }

    ModelBuilder& Section(int no, double area, double inertia) {
        FrameSection& s = model_->sections[++model_->sectionCount];
        s.no = no;
        s.area = static_cast<float>(area);
        s.inertia = static_cast<float>(inertia);
        return *this;
    }

    // endI / endJ: 0 rigid, 1 pin.
    ModelBuilder& Member(int no, int nodeI, int nodeJ, int endI = 0, int endJ = 0,
                         int sectionNo = 1, int materialNo = 1) {
        FrameMember& m = model_->members[++model_->memberCount];
        m.no = no;
        m.nodeI = nodeI;
        m.nodeJ = nodeJ;
        m.endI = endI;
        m.endJ = endJ;
        m.sectionNo = sectionNo;
        m.materialNo = materialNo;
        return *this;
    }

    // Adds an entry to support case caseNo (created when missing).
    ModelBuilder& Support(int caseNo, int nodeNo, int code, double kx = 0, double ky = 0,
                          double km = 0) {
        SuptCase& sc = SupportCase(caseNo);
        SuptEntry& e = sc.entries[++sc.count];
        e.nodeNo = nodeNo;
        e.code = code;
        const bool fx = code == kSupportPin || code == kSupportRollerX || code == kSupportFixed;
        const bool fy = code == kSupportPin || code == kSupportRollerY || code == kSupportFixed;
        const bool fm = code == kSupportFixed;
        e.kx = static_cast<float>(code == kSupportSpring ? kx : (fx ? -1.0 : 0.0));
        e.ky = static_cast<float>(code == kSupportSpring ? ky : (fy ? -1.0 : 0.0));
        e.km = static_cast<float>(code == kSupportSpring ? km : (fm ? -1.0 : 0.0));
        return *this;
    }

    // Adds a load to load case caseNo (created, naming support case 1 unless
    // told otherwise by LoadCase()).
    ModelBuilder& Load(int caseNo, int code, int memberFrom, double qI, double qJ = 0,
                       double distI = 0, double distJ = 0, int memberTo = 0) {
        LoadCase& lc = Case(caseNo);
        LoadRecord& l = lc.loads[++lc.count];
        l.code = code;
        l.memberFrom = memberFrom;
        l.memberTo = memberTo;
        l.qI = static_cast<float>(qI);
        l.qJ = static_cast<float>(qJ);
        l.distI = static_cast<float>(distI);
        l.distJ = static_cast<float>(distJ);
        return *this;
    }

    ModelBuilder& NodalLoad(int caseNo, int nodeNo, double fx, double fy, double m = 0) {
        return Load(caseNo, kLoadNodal, nodeNo, fx, fy, m);
    }

    // A distributed spring under member memberNo in spring case caseNo:
    // kv across the member, ku along it (kN/m2).
    ModelBuilder& Spring(int caseNo, int memberNo, double kv, double ku) {
        BaneCase& bc = SpringCase(caseNo);
        bc.entries[++bc.count] = {memberNo, static_cast<float>(kv), static_cast<float>(ku)};
        return *this;
    }

    ModelBuilder& LoadCaseDef(int caseNo, int suptCaseNo) {
        Case(caseNo).suptCaseNo = suptCaseNo;
        return *this;
    }

    ModelBuilder& Combination(int no, double factor,
                              std::initializer_list<std::pair<int, double>> entries) {
        KumiCase& k = model_->combinations[++model_->combinationCount];
        k.no = no;
        k.factor = factor;
        for (const auto& [caseNo, f] : entries) {
            KumiEntry& e = k.entries[++k.count];
            e.loadCaseNo = caseNo;
            e.factor = static_cast<float>(f);
        }
        return *this;
    }

    ModelBuilder& ViewPoints(int memberNo, std::initializer_list<double> dists,
                             const char* name = nullptr) {
        View2Member& v = model_->view2[++model_->view2Count];
        v.memberNo = memberNo;
        for (double d : dists) {
            ++v.count;
            v.dist[v.count] = static_cast<float>(d);
            if (name) SetFixedText(v.pointName[v.count], kPointNameSize, name);
        }
        return *this;
    }

  private:
    SuptCase& SupportCase(int no) {
        for (int i = 1; i <= model_->supportCaseCount; ++i)
            if (model_->supportCases[i].no == no) return model_->supportCases[i];
        SuptCase& sc = model_->supportCases[++model_->supportCaseCount];
        sc.no = no;
        return sc;
    }

    BaneCase& SpringCase(int no) {
        for (int i = 1; i <= model_->springCaseCount; ++i)
            if (model_->springCases[i].no == no) return model_->springCases[i];
        BaneCase& bc = model_->springCases[++model_->springCaseCount];
        bc.no = no;
        return bc;
    }

    LoadCase& Case(int no) {
        for (int i = 1; i <= model_->loadCaseCount; ++i)
            if (model_->loadCases[i].no == no) return model_->loadCases[i];
        LoadCase& lc = model_->loadCases[++model_->loadCaseCount];
        lc.no = no;
        lc.suptCaseNo = 1;
        return lc;
    }

    std::unique_ptr<FrameModel> model_;
};

// ---------------------------------------------------------------------------
// Analysis and statics helpers for the engine tests.

// Adds n - 1 equally spaced points of interest to a member of length L,
// so that the member gets n + 1 result points in all.
inline void DivideMember(ModelBuilder& b, int memberNo, double length, int n) {
    View2Member& v = b.model().view2[++b.model().view2Count];
    v.memberNo = memberNo;
    for (int k = 1; k < n && v.count < kMaxViewPoints; ++k) {
        v.dist[++v.count] = static_cast<float>(length * k / n);
    }
}

// Runs the engine on the model as the driver does for a model without
// rigid zones or springs: every load case, combinations, reactions.
inline FrameResults& Analyse(FrameModel& model, std::string* warnings = nullptr) {
    FrameResults* r = AllocateFrameResults();
    std::string w;
    const bool ok = AnalyseLoadCases(*r, model, w);
    EXPECT_TRUE(ok);
    CalcSupportReactions(*r, model);
    CombineReactions(*r, model);
    if (warnings) *warnings = w;
    return *r;
}

// 2D cross product a x b.
inline double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// Applied loads of one load case by plain statics (resultant forces and the
// moment about the origin), and the sum of their magnitudes as a scale.
struct StaticSum {
    double fx = 0, fy = 0, m = 0, scale = 0;
    void Add(double px, double py, double f, double dx, double dy) {
        fx += f * dx;
        fy += f * dy;
        m += Cross(px, py, f * dx, f * dy);
        scale += std::fabs(f) * (1 + std::hypot(px, py));
    }
};

inline StaticSum AppliedLoads(const FrameModel& model, int caseIndex) {
    StaticSum s;
    const LoadCase& lc = model.loadCases[caseIndex];
    for (int l = 1; l <= lc.count; ++l) {
        const LoadRecord& load = lc.loads[l];
        if (load.code == kLoadNodal) {
            double x, y;
            GetNodeXYByNo(model, x, y, load.memberFrom);
            s.Add(x, y, load.qI, 1, 0);
            s.Add(x, y, load.qJ, 0, 1);
            s.m += load.distI;
            s.scale += std::fabs(load.distI);
            continue;
        }
        int from = load.memberFrom, to = load.memberTo == 0 ? from : load.memberTo;
        if (to < from) std::swap(from, to);
        // A run of members is one line: a distributed load runs from distI
        // to distJ before the run's end, a concentrated one acts once, at
        // distI along the run; a temperature load warms every member.
        double run = 0;
        int members = 0;
        for (int no = from; no <= to; ++no) {
            double xi, yi, xj, yj;
            if (FindMemberIndex(model, no) == 0) continue;
            GetMemberEndsByNo(model, xi, yi, xj, yj, no);
            run += std::hypot(xj - xi, yj - yi);
            ++members;
        }
        double passed = 0;
        bool placed = false;
        for (int no = from; no <= to; ++no) {
            double xi, yi, xj, yj;
            if (FindMemberIndex(model, no) == 0) continue;
            GetMemberEndsByNo(model, xi, yi, xj, yj, no);
            const double L = std::hypot(xj - xi, yj - yi);
            const double start = passed;
            passed += L;
            LoadRecord piece = load;
            if (members > 1 && load.code >= 11 && load.code <= 14) {
                const double a = load.distI, b = run - load.distJ;
                const double w = std::clamp(a - start, 0.0, L), x = std::clamp(b - start, 0.0, L);
                if (x - w < 1e-9) continue;
                piece.qI =
                    static_cast<float>(load.qI + (load.qJ - load.qI) * (start + w - a) / (b - a));
                piece.qJ =
                    static_cast<float>(load.qI + (load.qJ - load.qI) * (start + x - a) / (b - a));
                piece.distI = static_cast<float>(w);
                piece.distJ = static_cast<float>(L - x);
            } else if (members > 1 && load.code >= 21 && load.code <= 27) {
                const double c = load.distI - start;
                if (placed || c < -1e-4 || c > L + 1e-4) continue;
                placed = true;
                piece.distI = static_cast<float>(std::clamp(c, 0.0, L));
            }
            const double ux = (xj - xi) / L, uy = (yj - yi) / L;
            double dx = 0, dy = 0;
            switch (piece.code % 10) {
                case 1:
                    dx = ux;
                    dy = uy;
                    break;
                case 2:
                    dx = -uy;
                    dy = ux;
                    break;
                case 3:
                    dx = 1;
                    break;
                case 4:
                    dy = 1;
                    break;
            }
            if (piece.code == kLoadTemperature) {
                // No resultant: the restrained force alpha dT EA sets the scale.
                const FrameMember& fm = model.members[FindMemberIndex(model, no)];
                double e, a, i;
                GetMemberEAI(model, e, a, i, fm.materialNo, fm.sectionNo);
                const int mat = FindMaterialIndex(model, fm.materialNo);
                const double alpha = mat ? model.materials[mat].alpha : 0.0;
                s.scale += std::fabs(piece.qI * alpha * e * a);
            } else if (piece.code == kLoadConcMoment) {
                s.m += piece.qI;
                s.scale += std::fabs(piece.qI);
            } else if (piece.code >= 21 && piece.code <= 24) {
                s.Add(xi + piece.distI * ux, yi + piece.distI * uy, piece.qI, dx, dy);
            } else if (piece.code >= 11 && piece.code <= 14) {
                const double x1 = piece.distI, x2 = L - piece.distJ, q1 = piece.qI, q2 = piece.qJ;
                const double f = (x2 - x1) * (q1 + q2) / 2;
                const double fx1 = (x2 - x1) / 6 * (q1 * (2 * x1 + x2) + q2 * (x1 + 2 * x2));
                // Force at the I end plus the moment of its distribution
                // along the member.
                s.Add(xi, yi, f, dx, dy);
                s.m += Cross(ux, uy, dx, dy) * fx1;
                s.scale += std::fabs(fx1);
            }
        }
    }
    return s;
}

// Adds the reactions of a result block to s: their forces, and their
// moments about the origin; with withScale also their magnitude to the
// scale (what a self-balanced case, temperature, is measured by).
inline void AddReactions(StaticSum& s, const FrameModel& model, const ResultCase& block,
                         bool withScale) {
    for (int k = 1; k <= block.reactionCount; ++k) {
        const ReactionRow& row = block.reactions[k];
        double x, y;
        GetNodeXYByNo(model, x, y, row.nodeNo);
        s.fx += row.rx;
        s.fy += row.ry;
        s.m += row.rm + Cross(x, y, row.rx, row.ry);
        if (withScale)
            s.scale += (std::fabs(row.rx) + std::fabs(row.ry)) * (1 + std::hypot(x, y)) +
                       std::fabs(row.rm);
    }
}

// Expects sum Fx, sum Fy and the sum of moments to vanish to 1e-6 of s.scale.
inline void ExpectBalanced(const StaticSum& s, const std::string& what) {
    const double tol = 1e-6 * std::max(s.scale, 1e-9);
    EXPECT_NEAR(s.fx, 0, tol) << what << " sum Fx";
    EXPECT_NEAR(s.fy, 0, tol) << what << " sum Fy";
    EXPECT_NEAR(s.m, 0, tol) << what << " sum M";
}

// Expects the reactions of every load case to balance its applied loads:
// sum Fx, sum Fy and the sum of moments about the origin vanish to 1e-6 of
// the loads' and reactions' magnitude.
inline void ExpectEquilibrium(const FrameModel& model, const FrameResults& r) {
    for (int c = 1; c <= r.caseCount; ++c) {
        StaticSum s = AppliedLoads(model, c);
        AddReactions(s, model, r.block[c], true);
        ExpectBalanced(s, "case " + std::to_string(model.loadCases[c].no));
    }
}

// Result values of member slot m, point p, in block b.
inline double Value(const FrameResults& r, int b, int m, int p, int q) {
    return r.block[b].members[m].values[q][p];
}

// Point index of member slot m nearest to position x.
inline int PointAt(const FrameResults& r, int m, double x) {
    int best = 1;
    for (int p = 1; p <= r.member[m].pointCount; ++p) {
        if (std::fabs(r.member[m].pointPos[p] - x) < std::fabs(r.member[m].pointPos[best] - x))
            best = p;
    }
    return best;
}

// Reaction row of a node number in block b (nullptr when none).
inline const ReactionRow* ReactionOf(const FrameResults& r, int b, int nodeNo) {
    for (int k = 1; k <= r.block[b].reactionCount; ++k) {
        if (r.block[b].reactions[k].nodeNo == nodeNo) return &r.block[b].reactions[k];
    }
    return nullptr;
}

#include "model/frame_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "model/numeric.h"
#include "platform/assertions.h"
#include "platform/sjis.h"

FrameModel* FrameData = nullptr;

void* FrameModel::operator new(std::size_t size) {
    void* p = std::calloc(1, size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void FrameModel::operator delete(void* p) noexcept { std::free(p); }

std::unique_ptr<FrameModel> NewFrameModelRecord() {
    // calloc's fresh pages are zero without being written, so a record
    // costs only the pages that are used (clearing it would touch all 13
    // MB); the record, a plain aggregate, comes into being in them with
    // those zero bytes as its value.
    void* p = std::calloc(1, sizeof(FrameModel));
    if (p == nullptr) throw std::bad_alloc();
    return std::unique_ptr<FrameModel>(static_cast<FrameModel*>(p));
}

void SetFixedText(char* dest, int size, const char* text) {
    if (size <= 0) return;
    int n = 0;
    const int limit = size - 1;
    while (text && text[n] != '\0' && n < limit) {
        const unsigned char c = static_cast<unsigned char>(text[n]);
        if (IsSjisLeadByte(c) && text[n + 1] != '\0') {
            if (n + 2 > limit) break;  // never keep half a character
            n += 2;
        } else {
            n += 1;
        }
    }
    if (n > 0) std::memcpy(dest, text, static_cast<std::size_t>(n));
    std::memset(dest + n, 0, static_cast<std::size_t>(size - n));
}

namespace {

// The lookups serve the validation too, which takes a model with any counts
// (it reports those beyond the tables): they never look beyond a table.
int Used(int count, int capacity) { return std::clamp(count, 0, capacity); }

template <typename T, typename Key>
int FindFirst(const T* table, int count, int capacity, Key key, int no) {
    const int n = Used(count, capacity);
    for (int i = 1; i <= n; ++i)
        if (key(table[i]) == no) return i;
    return 0;
}

}  // namespace

int FindNodeIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.nodes, m.nodeCount, kMaxNodes, [](const FramePoint& r) { return r.no; }, no);
}
int FindMaterialIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.materials, m.materialCount, kMaxMaterials, [](const FrameMaterial& r) { return r.no; },
        no);
}
int FindSectionIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.sections, m.sectionCount, kMaxSections, [](const FrameSection& r) { return r.no; }, no);
}
int FindMemberIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.members, m.memberCount, kMaxMembers, [](const FrameMember& r) { return r.no; }, no);
}
int FindSpringCaseIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.springCases, m.springCaseCount, kMaxSpringCases, [](const BaneCase& r) { return r.no; },
        no);
}
int FindSupportCaseIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.supportCases, m.supportCaseCount, kMaxSupportCases,
        [](const SuptCase& r) { return r.no; }, no);
}
int FindLoadCaseIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.loadCases, m.loadCaseCount, kMaxLoadCases, [](const LoadCase& r) { return r.no; }, no);
}
int FindCombinationIndex(const FrameModel& m, int no) {
    return FindFirst(
        m.combinations, m.combinationCount, kMaxCombinations,
        [](const KumiCase& r) { return r.no; }, no);
}
int FindViewPointIndex(const FrameModel& m, int memberNo) {
    return FindFirst(
        m.view2, m.view2Count, kMaxView2, [](const View2Member& r) { return r.memberNo; },
        memberNo);
}

void GetNodeXY(const FrameModel& m, double& x, double& y, int index) {
    x = 0;
    y = 0;
    if (index < 1 || index > Used(m.nodeCount, kMaxNodes)) return;
    x = m.nodes[index].x;
    y = m.nodes[index].y;
}

int GetNodeXYByNo(const FrameModel& m, double& x, double& y, int no) {
    const int k = FindNodeIndex(m, no);
    GetNodeXY(m, x, y, k);
    return k;
}

void GetMemberEnds(const FrameModel& m, double& xi, double& yi, double& xj, double& yj, int index) {
    xi = yi = xj = yj = 0;
    if (index < 1 || index > Used(m.memberCount, kMaxMembers)) return;
    GetNodeXYByNo(m, xi, yi, m.members[index].nodeI);
    GetNodeXYByNo(m, xj, yj, m.members[index].nodeJ);
}

void GetMemberEndsByNo(const FrameModel& m, double& xi, double& yi, double& xj, double& yj,
                       int no) {
    GetMemberEnds(m, xi, yi, xj, yj, FindMemberIndex(m, no));
}

void GetMemberEAI(const FrameModel& m, double& e, double& a, double& i, int materialNo,
                  int sectionNo) {
    e = a = i = 0;
    const int km = FindMaterialIndex(m, materialNo);
    const int ks = FindSectionIndex(m, sectionNo);
    e = km ? m.materials[km].e : 1.0;
    a = ks ? m.sections[ks].area : 1.0;
    i = ks ? m.sections[ks].inertia : 1.0;
}

MemberNumberIndex::MemberNumberIndex(const FrameModel& model) {
    const int n = CheckedCount(model.memberCount, kMaxMembers);
    byNumber_.reserve(static_cast<std::size_t>(n));
    for (int k = 1; k <= n; ++k) byNumber_.emplace_back(model.members[k].no, k);
    // By number, then slot: the first of equal numbers is the first slot.
    std::sort(byNumber_.begin(), byNumber_.end());
    byNumber_.erase(std::unique(byNumber_.begin(), byNumber_.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    byNumber_.end());
}

// Visiting only existing numbers keeps a huge memberTo from turning into a
// long loop.
std::vector<int> MemberNumberIndex::Run(int lo, int hi) const {
    std::vector<int> slots;
    for (auto it = std::lower_bound(byNumber_.begin(), byNumber_.end(), std::make_pair(lo, 0));
         it != byNumber_.end() && it->first <= hi; ++it)
        slots.push_back(it->second);
    return slots;
}

std::vector<int> RunSlots(const FrameModel& model, int lo, int hi) {
    return MemberNumberIndex(model).Run(lo, hi);
}

namespace {

enum Group { kDistributed = 0, kConcentrated = 1, kNodal = 2 };

struct LoadSums {
    double length = 0;
    double horiz[3] = {0, 0, 0};
    double vert[3] = {0, 0, 0};
};

// Adds one piece of a load (on a member of angle theta) to the sums.
void AddPiece(LoadSums& s, int code, double theta, double pqI, double pqJ, double loaded) {
    const double p = (pqI + pqJ) * loaded * 0.5;
    const double perp = theta + M_PI / 2;
    s.length += loaded;
    switch (code) {
        case kLoadDistAxial:
            s.horiz[kDistributed] += p * std::cos(theta);
            s.vert[kDistributed] += p * std::sin(theta);
            break;
        case kLoadDistPerp:
            s.horiz[kDistributed] += p * std::cos(perp);
            s.vert[kDistributed] += p * std::sin(perp);
            break;
        case kLoadDistX:
            s.horiz[kDistributed] += p;
            break;
        case kLoadDistY:
            s.vert[kDistributed] += p;
            break;
        case 17:
        case kLoadConcAxial:
            s.horiz[kConcentrated] += pqI * std::cos(theta);
            s.vert[kConcentrated] += pqI * std::sin(theta);
            break;
        case kLoadConcPerp:
            s.horiz[kConcentrated] += pqI * std::cos(perp);
            s.vert[kConcentrated] += pqI * std::sin(perp);
            break;
        case kLoadConcX:
            s.horiz[kConcentrated] += pqI;
            break;
        case kLoadConcY:
            s.vert[kConcentrated] += pqI;
            break;
        case kLoadNodal:
            s.horiz[kNodal] += pqI;
            s.vert[kNodal] += pqJ;
            break;
        default:
            break;  // moments, temperature: no resultant
    }
}

LoadSums SumLoadPieces(const FrameModel& m, const LoadRecord& ld) {
    LoadSums s;
    const double qI = Round3(ld.qI), qJ = Round3(ld.qJ);
    const double distI = Round3(ld.distI), distJ = Round3(ld.distJ);
    if (ld.code == kLoadNodal) {
        // memberFrom names a node: the load is one piece whatever memberTo says.
        AddPiece(s, ld.code, 0, qI, qJ, 0);
        return s;
    }
    const int from = ld.memberFrom;
    const int to = ld.memberTo == 0 ? from : ld.memberTo;
    const std::vector<int> slots = RunSlots(m, std::min(from, to), std::max(from, to));
    double run = 0;
    for (int k : slots) run += m.members[k].length;
    const bool multi = slots.size() > 1;
    const bool concentrated = ld.code >= kLoadConcAxial && ld.code <= kLoadConcY;
    double passed = 0;
    bool concentratedPlaced = false;
    for (int k : slots) {
        const double len = m.members[k].length;
        const double theta = m.members[k].angle;
        const double start = passed;
        passed += len;
        if (ld.code < 20 && multi) {
            const double a = distI, b = run - distJ;
            const double w = std::clamp(a - start, 0.0, len);
            const double x = std::clamp(b - start, 0.0, len);
            if (x - w <= 0.0001) continue;
            const double pqI = Interpolate(a, qI, b, qJ, start + w);
            const double pqJ = Interpolate(a, qI, b, qJ, start + x);
            AddPiece(s, ld.code, theta, pqI, pqJ, len - (len - x) - w);
            continue;
        }
        if (concentrated && multi) {
            // Counted once, on the member its position falls on (the first of
            // two at a joint, the last when it lies beyond the run), at its
            // place on that member: the run's position would make the
            // loaded length negative beyond the first member.
            const bool last = k == slots.back();
            if (concentratedPlaced || (distI > start + len && !last)) continue;
            concentratedPlaced = true;
            AddPiece(s, ld.code, theta, qI, qJ, len - distJ - std::clamp(distI - start, 0.0, len));
            continue;
        }
        AddPiece(s, ld.code, theta, qI, qJ, len - distJ - distI);
    }
    return s;
}

}  // namespace

void PrepareMemberLoads(FrameModel& m) {
    const int members = CheckedCount(m.memberCount, kMaxMembers);
    for (int k = 1; k <= members; ++k) {
        FrameMember& mb = m.members[k];
        double xi, yi, xj, yj;
        GetNodeXYByNo(m, xi, yi, mb.nodeI);
        GetNodeXYByNo(m, xj, yj, mb.nodeJ);
        const double dx = xj - xi, dy = yj - yi;
        mb.angle = static_cast<float>(SafeAtan2(dy, dx));
        mb.length = static_cast<float>(SafeSqrt(dx * dx + dy * dy));
    }
    const int cases = CheckedCount(m.loadCaseCount, kMaxLoadCases);
    for (int c = 1; c <= cases; ++c) {
        LoadCase& lc = m.loadCases[c];
        double pos[2][3] = {{0, 0, 0}, {0, 0, 0}};  // [horizontal/vertical][group]
        double neg[2][3] = {{0, 0, 0}, {0, 0, 0}};
        const int loads = CheckedCount(lc.count, kMaxLoads);
        for (int k = 1; k <= loads; ++k) {
            LoadRecord& ld = lc.loads[k];
            const LoadSums s = SumLoadPieces(m, ld);
            double h[3], v[3];
            for (int g = 0; g < 3; ++g) {
                h[g] = Round3(s.horiz[g]);
                v[g] = Round3(s.vert[g]);
            }
            ld.loadedLength = static_cast<float>(Round3(s.length));
            ld.resHoriz = static_cast<float>(h[0] + h[1] + h[2]);
            ld.resVert = static_cast<float>(v[0] + v[1] + v[2]);
            for (int g = 0; g < 3; ++g) {
                if (h[g] >= 0)
                    pos[0][g] += h[g];
                else
                    neg[0][g] -= h[g];
                if (v[g] >= 0)
                    pos[1][g] += v[g];
                else
                    neg[1][g] -= v[g];
            }
        }
        for (int g = 0; g < 3; ++g) {
            lc.sumHorizByGroup[2 * g] = static_cast<float>(pos[0][g]);
            lc.sumHorizByGroup[2 * g + 1] = static_cast<float>(neg[0][g]);
            lc.sumVertByGroup[2 * g] = static_cast<float>(pos[1][g]);
            lc.sumVertByGroup[2 * g + 1] = static_cast<float>(neg[1][g]);
        }
        lc.sumHorizPos = static_cast<float>(pos[0][0] + pos[0][1] + pos[0][2]);
        lc.sumHorizNeg = static_cast<float>(neg[0][0] + neg[0][1] + neg[0][2]);
        lc.sumVertPos = static_cast<float>(pos[1][0] + pos[1][1] + pos[1][2]);
        lc.sumVertNeg = static_cast<float>(neg[1][0] + neg[1][1] + neg[1][2]);
    }
}

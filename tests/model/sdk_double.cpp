// A stand-in for the outside calculation library, for the bridge tests.
//
// It does no structural analysis: it checks the input record (every table
// pointer set exactly when its count is above 0), writes the record as text
// for the tests to inspect, and returns result tables whose values are
// simple functions of the input, so a test can predict every value that
// comes back through the result files.
//
// Environment:
//   FRAMESDK_DOUBLE_MODE  "fail": FrameCalc returns null, FrameErr gives -3.
//   FRAMESDK_DOUBLE_DUMP  file that receives the record as text.
// Built a second time with SDK_DOUBLE_WITHOUT_FRAMEERR: a library that
// lacks one entry point.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/sdk_interface.h"

namespace {

std::string LastError;
int LastCode = 0;
int CalcCount = 0;
int FreeCount = 0;

// Everything one result points to.
struct Holder {
    FR_SDK_MAINRES res{};
    std::vector<std::unique_ptr<std::vector<char>>> blocks;
    template <typename T>
    T* Alloc(int n) {
        if (n <= 0) return nullptr;
        blocks.push_back(
            std::make_unique<std::vector<char>>(sizeof(T) * static_cast<std::size_t>(n)));
        return reinterpret_cast<T*>(blocks.back()->data());
    }
};
std::map<FR_SDK_MAINRES*, std::unique_ptr<Holder>> Live;

template <typename T>
bool Agree(int count, const T* table) {
    return count >= 0 && ((count == 0) == (table == nullptr));
}

bool RecordConsistent(const FR_SDK_MAINDATA& d) {
    bool ok = Agree(d.nodeCount, d.nodes) && Agree(d.memberCount, d.members) &&
              Agree(d.materialCount, d.materials) && Agree(d.sectionCount, d.sections) &&
              Agree(d.springCaseCount, d.springCases) &&
              Agree(d.supportCaseCount, d.supportCases) && d.viewCount == 1 && d.view != nullptr &&
              Agree(d.loadCaseCount, d.loadCases) && Agree(d.combinationCount, d.combinations) &&
              d.pickCaseCount == 0 && d.pickCases == nullptr;
    if (!ok) return false;
    for (int c = 0; c < d.springCaseCount; ++c)
        ok = ok && Agree(d.springCases[c].count, d.springCases[c].entries);
    for (int c = 0; c < d.supportCaseCount; ++c)
        ok = ok && Agree(d.supportCases[c].count, d.supportCases[c].entries);
    ok = ok && Agree(d.view->rangeCount, d.view->ranges) &&
         Agree(d.view->memberCount, d.view->members);
    for (int k = 0; ok && k < d.view->memberCount; ++k)
        ok = Agree(d.view->members[k].count, d.view->members[k].distances);
    for (int c = 0; ok && c < d.loadCaseCount; ++c)
        ok = Agree(d.loadCases[c].count, d.loadCases[c].loads);
    for (int c = 0; ok && c < d.combinationCount; ++c)
        ok = Agree(d.combinations[c].count, d.combinations[c].entries);
    return ok;
}

void Dump(const char* folder, const FR_SDK_MAINDATA& d) {
    const char* path = std::getenv("FRAMESDK_DOUBLE_DUMP");
    if (path == nullptr || *path == '\0') return;
    FILE* f = std::fopen(path, "w");
    if (f == nullptr) return;
    std::fprintf(f, "folder %s\ntitle %s\noptions %d\n", folder, d.title, d.options);
    std::fprintf(f, "nodes %d\n", d.nodeCount);
    for (int k = 0; k < d.nodeCount; ++k)
        std::fprintf(f, "node %d %g %g\n", d.nodes[k].no, d.nodes[k].x, d.nodes[k].y);
    std::fprintf(f, "members %d\n", d.memberCount);
    for (int k = 0; k < d.memberCount; ++k) {
        const FR_SDK_MEMBER& m = d.members[k];
        std::fprintf(f, "member %d %d %d %d %d %d %d %d\n", m.no, m.nodeI, m.nodeJ, m.sectionNo,
                     m.sectionNo2, m.materialNo, m.endI, m.endJ);
    }
    for (int k = 0; k < d.materialCount; ++k)
        std::fprintf(f, "material %d %g %g\n", d.materials[k].no, d.materials[k].e,
                     d.materials[k].alpha);
    for (int k = 0; k < d.sectionCount; ++k)
        std::fprintf(f, "section %d %g %g\n", d.sections[k].no, d.sections[k].area,
                     d.sections[k].inertia);
    for (int c = 0; c < d.supportCaseCount; ++c)
        for (int k = 0; k < d.supportCases[c].count; ++k) {
            const FR_SDK_SUPPORTENTRY& e = d.supportCases[c].entries[k];
            std::fprintf(f, "support %d %d %g %g %g %d\n", d.supportCases[c].no, e.nodeNo,
                         e.values[0], e.values[1], e.values[2], e.code);
        }
    for (int k = 0; k < d.view->rangeCount; ++k)
        std::fprintf(f, "range %d %d %d\n", d.view->ranges[k].firstMember,
                     d.view->ranges[k].lastMember, d.view->ranges[k].divisions);
    for (int k = 0; k < d.view->memberCount; ++k) {
        const FR_SDK_VIEWMEMBER& v = d.view->members[k];
        std::fprintf(f, "points %d %d", v.memberNo, v.count);
        for (int p = 0; p < v.count; ++p) std::fprintf(f, " %g", v.distances[p]);
        std::fprintf(f, "\n");
    }
    for (int c = 0; c < d.loadCaseCount; ++c) {
        const FR_SDK_LOADCASE& lc = d.loadCases[c];
        std::fprintf(f, "loadcase %d %d %d %d\n", lc.no, lc.count, lc.baneCaseNo, lc.suptCaseNo);
        for (int k = 0; k < lc.count; ++k) {
            const FR_SDK_LOAD& l = lc.loads[k];
            std::fprintf(f, "load %d %d %d %g %g %g %g\n", l.code, l.memberFrom, l.memberTo, l.qI,
                         l.qJ, l.distI, l.distJ);
        }
    }
    for (int c = 0; c < d.combinationCount; ++c) {
        const FR_SDK_COMBINATION& kc = d.combinations[c];
        std::fprintf(f, "combination %d %d %g\n", kc.no, kc.count, kc.factor);
    }
    std::fclose(f);
}

double MemberLength(const FR_SDK_MAINDATA& d, const FR_SDK_MEMBER& m) {
    double xi = 0, yi = 0, xj = 0, yj = 0;
    for (int k = 0; k < d.nodeCount; ++k) {
        if (d.nodes[k].no == m.nodeI) xi = d.nodes[k].x, yi = d.nodes[k].y;
        if (d.nodes[k].no == m.nodeJ) xj = d.nodes[k].x, yj = d.nodes[k].y;
    }
    return std::hypot(xj - xi, yj - yi);
}

// Member forces of case ordinal c (1-based): 21 points per member;
// M = 100 c + member ordinal + x, S = -c, N = member ordinal / 2,
// displacement = point index / 100.
FR_SDK_FORCECASE* ForceCases(Holder& h, const FR_SDK_MAINDATA& d, int cases, int firstNo) {
    FR_SDK_FORCECASE* table = h.Alloc<FR_SDK_FORCECASE>(cases);
    for (int c = 0; c < cases; ++c) {
        table[c].no = firstNo + c;
        table[c].memberCount = d.memberCount;
        table[c].members = h.Alloc<FR_SDK_FORCEMEMBER>(d.memberCount);
        for (int m = 0; m < d.memberCount; ++m) {
            FR_SDK_FORCEMEMBER& fm = table[c].members[m];
            fm.memberNo = d.members[m].no;
            fm.nodeI = d.members[m].nodeI;
            fm.nodeJ = d.members[m].nodeJ;
            fm.rowCount = 21;
            fm.rows = h.Alloc<FR_SDK_FORCEROW>(21);
            const double length = MemberLength(d, d.members[m]);
            for (int k = 0; k <= 20; ++k) {
                const double x = length * k / 20.0;
                const double v[5] = {x, 100.0 * (c + 1) + (m + 1) + x, -(c + 1.0), (m + 1) / 2.0,
                                     k / 100.0};
                fm.rows[k].pointNo = k + 1;
                for (int q = 0; q < 5; ++q) fm.rows[k].values[q] = v[q];
            }
        }
    }
    return table;
}

// Displacements of every node: dx = node number / 10 + c, dy = -node
// number / 5, rotation c / 1000.
FR_SDK_NODECASE* DisplacementCases(Holder& h, const FR_SDK_MAINDATA& d, int cases, int firstNo) {
    FR_SDK_NODECASE* table = h.Alloc<FR_SDK_NODECASE>(cases);
    for (int c = 0; c < cases; ++c) {
        table[c].no = firstNo + c;
        table[c].rowCount = d.nodeCount;
        table[c].rows = h.Alloc<FR_SDK_NODEROW>(d.nodeCount);
        for (int k = 0; k < d.nodeCount; ++k) {
            const int no = d.nodes[k].no;
            table[c].rows[k].nodeNo = no;
            table[c].rows[k].values[0] = no / 10.0 + (c + 1);
            table[c].rows[k].values[1] = -no / 5.0;
            table[c].rows[k].values[2] = (c + 1) / 1000.0;
        }
    }
    return table;
}

// Reactions at the supports of each load case's support case:
// Rx = c, Ry = 10 x node number, Rm = 0.5.
FR_SDK_NODECASE* ReactionCases(Holder& h, const FR_SDK_MAINDATA& d, int cases, int firstNo) {
    FR_SDK_NODECASE* table = h.Alloc<FR_SDK_NODECASE>(cases);
    for (int c = 0; c < cases; ++c) {
        const FR_SDK_SUPPORTCASE* sc = nullptr;
        const int suptNo = c < d.loadCaseCount ? d.loadCases[c].suptCaseNo : 1;
        for (int s = 0; s < d.supportCaseCount; ++s)
            if (d.supportCases[s].no == suptNo) sc = &d.supportCases[s];
        const int rows = sc != nullptr ? sc->count : 0;
        table[c].no = firstNo + c;
        table[c].rowCount = rows;
        table[c].rows = h.Alloc<FR_SDK_NODEROW>(rows);
        for (int k = 0; k < rows; ++k) {
            table[c].rows[k].nodeNo = sc->entries[k].nodeNo;
            table[c].rows[k].values[0] = c + 1;
            table[c].rows[k].values[1] = 10.0 * sc->entries[k].nodeNo;
            table[c].rows[k].values[2] = 0.5;
        }
    }
    return table;
}

// One case of one member with one row for each of the other tables.
FR_SDK_EXTRACTCASE* ExtractCase(Holder& h, double value) {
    auto* table = h.Alloc<FR_SDK_EXTRACTCASE>(1);
    table->no = 1;
    table->memberCount = 1;
    table->members = h.Alloc<FR_SDK_EXTRACTMEMBER>(1);
    table->members->memberNo = 1;
    table->members->nodeI = 1;
    table->members->nodeJ = 2;
    table->members->rowCount = 1;
    table->members->rows = h.Alloc<FR_SDK_EXTRACTROW>(1);
    table->members->rows->pointNo = 1;
    for (int q = 0; q < 4; ++q) table->members->rows->values[q] = value + q;
    table->members->rows->governingCase = 1;
    return table;
}

FR_SDK_MAINRES* Fail(int code, const char* text) {
    LastCode = code;
    LastError = text;
    return nullptr;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) FR_SDK_MAINRES* FrameCalc(const char* folder,
                                                                 FR_SDK_MAINDATA* data) {
    ++CalcCount;
    if (folder == nullptr || data == nullptr) return Fail(-1, "no record");
    if (!RecordConsistent(*data)) return Fail(-9, "record pointer and count disagree");
    Dump(folder, *data);
    const char* mode = std::getenv("FRAMESDK_DOUBLE_MODE");
    if (mode != nullptr && std::strcmp(mode, "fail") == 0)
        return Fail(-3, "stiffness matrix is singular");

    auto h = std::make_unique<Holder>();
    FR_SDK_MAINRES& r = h->res;
    const FR_SDK_MAINDATA& d = *data;
    r.f11Count = r.f21Count = r.f31Count = d.loadCaseCount;
    r.f12Count = r.f22Count = r.f32Count = d.combinationCount;
    r.f11 = ReactionCases(*h, d, d.loadCaseCount, 1);
    r.f12 = ReactionCases(*h, d, d.combinationCount, 1);
    r.f21 = DisplacementCases(*h, d, d.loadCaseCount, 1);
    r.f22 = DisplacementCases(*h, d, d.combinationCount, 1);
    r.f31 = ForceCases(*h, d, d.loadCaseCount, 1);
    r.f32 = ForceCases(*h, d, d.combinationCount, 1);
    // Field by field: the record is packed, so no pointers to its fields.
    r.f41Count = r.f42Count = r.f51Count = r.f52Count = r.f61Count = r.f62Count = 1;
    r.f41 = ExtractCase(*h, 10.0);
    r.f42 = ExtractCase(*h, 20.0);
    r.f51 = ExtractCase(*h, 30.0);
    r.f52 = ExtractCase(*h, 40.0);
    r.f61 = ExtractCase(*h, 50.0);
    r.f62 = ExtractCase(*h, 60.0);
    r.f71Count = 0;
    r.f71 = nullptr;
    r.f33Count = 0;
    r.f33 = nullptr;
    FR_SDK_MAINRES* out = &h->res;
    Live[out] = std::move(h);
    return out;
}

#ifndef SDK_DOUBLE_WITHOUT_FRAMEERR
__attribute__((visibility("default"))) int FrameErr(char** message) {
    if (message != nullptr) *message = LastError.data();
    return LastCode;
}
#endif

__attribute__((visibility("default"))) void FrameResMemFree(FR_SDK_MAINRES* result) {
    ++FreeCount;
    Live.erase(result);
}

// For the tests: calls so far and results still held.
__attribute__((visibility("default"))) int SdkDoubleCalcCount() { return CalcCount; }
__attribute__((visibility("default"))) int SdkDoubleFreeCount() { return FreeCount; }
__attribute__((visibility("default"))) int SdkDoubleLiveCount() {
    return static_cast<int>(Live.size());
}

}  // extern "C"

// The default new model, the ordering of the named points of interest and
// the small list helpers of the data file.
#include "model/data_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "model/data_file_internal.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

bool StartsWithEnd(const std::string& line) { return line.compare(0, 3, "END") == 0; }

void BuildDefaultModel(FrameModel& m) {
    m.nodeCount = 2;
    m.nodes[1] = FramePoint{1, 0.0f, 0.0f, {}};
    m.nodes[2] = FramePoint{2, 1.0f, 0.0f, {}};

    m.materialCount = 1;
    m.materials[1] = FrameMaterial{1, 200000.0f, 0.0f, 0};

    m.sectionCount = 1;
    m.sections[1].no = 1;
    m.sections[1].area = 0.1f;
    m.sections[1].inertia = 0.01f;

    m.memberCount = 1;
    FrameMember& mem = m.members[1];
    mem.no = 1;
    mem.nodeI = 1;
    mem.nodeJ = 2;
    mem.sectionNo = 1;
    mem.materialNo = 1;
    SetFixedText(mem.name, kNameSize, FormatStr("単純梁.%d"_sj.c_str(), 1).c_str());

    // Node 1 fixed, node 2 a roller fixed in y; -1.0 marks a restrained
    // direction's spring constant.
    m.supportCaseCount = 1;
    SuptCase& sc = m.supportCases[1];
    sc.no = 1;
    sc.count = 2;
    SetFixedText(sc.name, kNameSize, "支点ケース1"_sj.c_str());
    sc.entries[1].nodeNo = 1;
    sc.entries[1].kx = sc.entries[1].ky = sc.entries[1].km = -1.0f;
    sc.entries[1].code = kSupportFixed;
    sc.entries[2].nodeNo = 2;
    sc.entries[2].ky = -1.0f;
    sc.entries[2].code = kSupportRollerY;

    m.view1Count = 1;
    m.view1[1] = View1Range{1, 0, 8};

    m.view2Count = 1;
    View2Member& v = m.view2[1];
    v.memberNo = 1;
    v.count = 1;
    v.dist[1] = 0.5f;
    SetFixedText(v.pointName[1], kPointNameSize, "中央点"_sj.c_str());

    m.loadCaseCount = 1;
    LoadCase& lc = m.loadCases[1];
    lc.no = 1;
    lc.count = 1;
    lc.suptCaseNo = 1;
    SetFixedText(lc.name, kNameSize, "荷重1"_sj.c_str());
    LoadRecord& load = lc.loads[1];
    load.code = kLoadDistY;
    load.memberFrom = 1;
    load.qI = load.qJ = -10.0f;
    // The value the new-file command has always started with; the first
    // read of the saved file sets the true largest load, 10.
    lc.maxLoad = 16.0f;

    m.combinationCount = 1;
    KumiCase& kc = m.combinations[1];
    kc.no = 1;
    kc.count = 1;
    kc.factor = 1.0;
    SetFixedText(kc.name, kNameSize, "組合せ1"_sj.c_str());
    kc.entries[1] = KumiEntry{1, 1.2f};
}

// Orders the points of one entry by position. A position of 0 or less (or
// not a number) becomes 0 and sorts after every positive one; the count then
// covers the positive positions only.
void SortOneMember(View2Member& v) {
    const int n = CheckedCount(v.count, kMaxViewPoints);
    for (int k = 1; k <= n; ++k)
        if (!(v.dist[k] > 0.0f)) v.dist[k] = 0.0f;
    auto larger = [](float a, float b) {
        if (a == 0.0f) return b > 0.0f;
        return b > 0.0f && a > b;
    };
    for (int l = 1; l < n; ++l)
        for (int k = l + 1; k <= n; ++k)
            if (larger(v.dist[l], v.dist[k])) {
                std::swap(v.dist[l], v.dist[k]);
                char name[kPointNameSize];
                std::memcpy(name, v.pointName[l], kPointNameSize);
                std::memcpy(v.pointName[l], v.pointName[k], kPointNameSize);
                std::memcpy(v.pointName[k], name, kPointNameSize);
            }
    int positive = 0;
    for (int k = 1; k <= n; ++k)
        if (v.dist[k] > 0.0f) ++positive;
    // The points at 0 sorted last leave the entry with their names.
    ZeroRowsBeyond(v.dist, positive, n);
    ZeroRowsBeyond(v.pointName, positive, n);
    v.count = positive;
}

}  // namespace

std::string GetLineOrBlank(const TStringList& list, int index) {
    if (index >= 0 && index < list.Count()) return list[index];
    return std::string(99, ',');
}

int FindRcBlockStart(const TStringList& list) {
    int ends = 0;
    bool identifier = false;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& line = list[i];
        if (line.compare(0, 5, "FRAME") == 0) identifier = true;
        if (identifier && StartsWithEnd(line) && ++ends == 2) return i + 1;
    }
    return list.Count();
}

void NewFrameModel(FrameModel& model, int makeDefault) {
    ClearFrameModel(model);
    SetFixedText(model.header.modelId, sizeof model.header.modelId, "FRAME-03");
    if (makeDefault != 0) BuildDefaultModel(model);
}

void SortViewPoints(FrameModel& model) {
    const int count = CheckedCount(model.view2Count, kMaxView2);
    for (int j = 1; j <= count; ++j) SortOneMember(model.view2[j]);

    // The entries by member number, by the same exchange sort the points use
    // (so equal numbers end in the same order), run on slot indexes and
    // applied once: an entry is several kilobytes.
    std::vector<int> order(static_cast<std::size_t>(count) + 1);
    for (int j = 0; j <= count; ++j) order[static_cast<std::size_t>(j)] = j;
    bool moved = false;
    for (int j = 1; j < count; ++j)
        for (int k = j + 1; k <= count; ++k)
            if (model.view2[order[k]].memberNo < model.view2[order[j]].memberNo) {
                std::swap(order[j], order[k]);
                moved = true;
            }
    if (!moved) return;
    auto copy = std::make_unique<View2Member[]>(static_cast<std::size_t>(count) + 1);
    for (int j = 1; j <= count; ++j) copy[j] = model.view2[order[j]];
    for (int j = 1; j <= count; ++j) model.view2[j] = copy[j];
}

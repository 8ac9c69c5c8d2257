#include "app/reference_import.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

// Drawing files are in mm; anything beyond a million kilometres is damage.
constexpr double kMaxFileCoordinate = 1e12;

std::string LineAt(const TStringList& text, int r) {
    return r < text.Count() ? Trim(text[r]) : std::string("0");
}

bool ReadCoordinate(const std::string& value, bool wholeMillimetres, float& metres) {
    double v = TextToDouble(value);
    if (!std::isfinite(v) || std::fabs(v) > kMaxFileCoordinate) return false;
    if (wholeMillimetres) v = std::trunc(v);
    // -0.7 mm truncates to -0: no minus sign on a zero coordinate.
    metres = static_cast<float>(v * 0.001) + 0.0f;
    return true;
}

// One DXF LINE entity whose "0" / "LINE" pair starts at r. Returns the index
// of the group-code line "0" that ends it.
int ParseDxfLine(const TStringList& text, int r, RefLine& line, bool& ok) {
    line = RefLine{};
    line.kind = 1;
    line.pen = 1;
    ok = true;
    int k = r + 2;
    while (k + 1 < text.Count()) {
        const std::string code = LineAt(text, k);
        if (TextToInt(code) == 0) break;
        const std::string value = LineAt(text, k + 1);
        switch (TextToInt(code)) {
            case 10:
                ok = ReadCoordinate(value, true, line.x1) && ok;
                break;
            case 20:
                ok = ReadCoordinate(value, true, line.y1) && ok;
                break;
            case 11:
                ok = ReadCoordinate(value, true, line.x2) && ok;
                break;
            case 21:
                ok = ReadCoordinate(value, true, line.y2) && ok;
                break;
            case 62: {
                const double v = TextToDouble(value);
                // Colour numbers beyond the eight pens (256 = by layer) take pen 8.
                line.pen = !(v > 0) ? 1 : v >= 8 ? 8 : static_cast<int>(v);
                if (line.pen < 1) line.pen = 1;
                break;
            }
            default:
                break;
        }
        k += 2;
    }
    return k;
}

bool ParseKrvLine(const std::string& record, RefLine& line) {
    TStringList fields;
    fields.SetCommaText(record);
    if (fields.Count() < 8) return false;
    line = RefLine{};
    line.kind = 1;
    const int bits = TextToInt(fields[3]);
    line.pen = (bits & 8) ? 8 : (bits & 15);
    if (line.pen == 0) line.pen = 1;
    return ReadCoordinate(fields[4], false, line.x1) && ReadCoordinate(fields[5], false, line.y1) &&
           ReadCoordinate(fields[6], false, line.x2) && ReadCoordinate(fields[7], false, line.y2);
}

// The exchange sort used for nodes and members: for each position k, every
// later entry whose key is strictly smaller than the key now at k is swapped
// with it. `order` holds indices, `key` their keys.
template <typename Key>
void ExchangeSort(std::vector<int>& order, const std::vector<Key>& key) {
    const std::size_t n = order.size();
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t m = k + 1; m < n; ++m)
            if (key[static_cast<std::size_t>(order[m])] < key[static_cast<std::size_t>(order[k])])
                std::swap(order[k], order[m]);
}

struct Crossing {
    double x, y;
};

void ClearFrame(FrameModel& frame) {
    ClearTableRows(frame.nodes, frame.nodeCount);
    ClearTableRows(frame.members, frame.memberCount);
    frame.nodeCount = 0;
    frame.memberCount = 0;
}

// Crossings of line a with every other line of the same pen, in list order.
bool CollectCrossings(const RefLineList& list, int a, std::vector<Crossing>& out) {
    const RefLine& A = list.lines[a];
    out.clear();
    for (int b = 1; b <= list.count; ++b) {
        const RefLine& B = list.lines[b];
        if (b == a || B.kind != 1 || B.pen != A.pen) continue;
        double x = 0, y = 0;
        const int code = IntersectSegments(A.x1, A.y1, A.x2, A.y2, B.x1, B.y1, B.x2, B.y2, x, y);
        // 0x22: between a and b (ends included) and c, d on both sides.
        if (code != 0x22) continue;
        if (static_cast<int>(out.size()) >= kMaxRefCrossings) return false;
        out.push_back({x, y});
    }
    return true;
}

// Steps 4 and 5: renumber nodes by distance from (xMin - 1000, yMax + 1),
// then members by the whole part of the mean of their node numbers.
void RenumberFrame(FrameModel& frame, const DrawingExtents& ext) {
    const double ox = ext.xMin - 1000.0, oy = ext.yMax + 1.0;
    std::vector<int> order;
    std::vector<double> dist(static_cast<std::size_t>(frame.nodeCount) + 1, 0.0);
    for (int n = 1; n <= frame.nodeCount; ++n) {
        order.push_back(n);
        dist[static_cast<std::size_t>(n)] = Distance(ox, oy, frame.nodes[n].x, frame.nodes[n].y);
    }
    ExchangeSort(order, dist);
    std::vector<int> newNumber(static_cast<std::size_t>(frame.nodeCount) + 1, 0);
    std::vector<FramePoint> nodes(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        newNumber[static_cast<std::size_t>(order[k])] = static_cast<int>(k) + 1;
        nodes[k] = frame.nodes[order[k]];
        nodes[k].no = static_cast<int>(k) + 1;
    }
    for (std::size_t k = 0; k < nodes.size(); ++k) frame.nodes[k + 1] = nodes[k];

    std::vector<int> morder;
    std::vector<int> mkey(static_cast<std::size_t>(frame.memberCount) + 1, 0);
    for (int m = 1; m <= frame.memberCount; ++m) {
        FrameMember& mem = frame.members[m];
        mem.nodeI = newNumber[static_cast<std::size_t>(mem.nodeI)];
        mem.nodeJ = newNumber[static_cast<std::size_t>(mem.nodeJ)];
        morder.push_back(m);
        mkey[static_cast<std::size_t>(m)] = (mem.nodeI + mem.nodeJ) / 2;
    }
    ExchangeSort(morder, mkey);
    std::vector<FrameMember> members(morder.size());
    for (std::size_t k = 0; k < morder.size(); ++k) {
        members[k] = frame.members[morder[k]];
        members[k].no = static_cast<int>(k) + 1;
    }
    for (std::size_t k = 0; k < members.size(); ++k) frame.members[k + 1] = members[k];
}

bool HasMember(const FrameModel& frame, int nodeI, int nodeJ) {
    for (int m = 1; m <= frame.memberCount; ++m)
        if (frame.members[m].nodeI == nodeI && frame.members[m].nodeJ == nodeJ) return true;
    return false;
}

}  // namespace

void ParseDrawingLines(const TStringList& text, RefLineList& list) {
    list.count = 0;
    // 100 closing "0" lines so that the last entity always ends.
    TStringList padded;
    for (int i = 0; i < text.Count(); ++i) padded.Add(text[i]);
    for (int i = 0; i < 100; ++i) padded.Add("0");
    int r = 0;
    while (r + 2 < padded.Count() && list.count < kMaxRefLines) {
        const std::string here = Trim(padded[r]);
        RefLine line;
        if (!here.empty() && TextToInt(here) == 0 && UpperCase(Trim(padded[r + 1])) == "LINE") {
            bool ok = true;
            const int end = ParseDxfLine(padded, r, line, ok);
            if (ok) list.lines[++list.count] = line;
            r = end;
            continue;
        }
        if (here.compare(0, 5, "LINE,") == 0 && ParseKrvLine(here, line))
            list.lines[++list.count] = line;
        ++r;
    }
}

bool ReadDrawingLines(const std::string& fileName, RefLineList& list) {
    list.count = 0;
    TStringList text;
    if (!FileExists(fileName) || !text.LoadFromFile(fileName)) return false;
    ParseDrawingLines(text, list);
    return true;
}

bool IsDrawingFileName(const std::string& fileName) {
    const std::string ext = UpperCase(ExtractFileExt(fileName));
    return ext == ".DXF" || ext == ".KRV";
}

DrawingExtents ComputeExtents(const RefLineList& list) {
    DrawingExtents e;
    for (int i = 1; i <= list.count; ++i) {
        const RefLine& l = list.lines[i];
        const double xs[2] = {l.x1, l.x2}, ys[2] = {l.y1, l.y2};
        for (int k = 0; k < 2; ++k) {
            if (i == 1 && k == 0) {
                e.xMin = e.xMax = xs[0];
                e.yMin = e.yMax = ys[0];
            }
            e.xMin = std::min(e.xMin, xs[k]);
            e.xMax = std::max(e.xMax, xs[k]);
            e.yMin = std::min(e.yMin, ys[k]);
            e.yMax = std::max(e.yMax, ys[k]);
        }
    }
    return e;
}

int FindOrAddNode(FrameModel& frame, double x, double y) {
    for (int n = 1; n <= frame.nodeCount; ++n)
        if (std::fabs(frame.nodes[n].x - x) < kRefNodeTolerance &&
            std::fabs(frame.nodes[n].y - y) < kRefNodeTolerance)
            return n;
    if (frame.nodeCount >= kMaxNodes) return 0;
    const int n = ++frame.nodeCount;
    frame.nodes[n] = FramePoint{};
    frame.nodes[n].no = n;
    frame.nodes[n].x = static_cast<float>(x);
    frame.nodes[n].y = static_cast<float>(y);
    return n;
}

std::string BuildFrameFromLines(const RefLineList& list, int pen, FrameModel& frame) {
    ClearFrame(frame);
    std::vector<Crossing> cross;
    for (int a = 1; a <= list.count; ++a) {
        const RefLine& A = list.lines[a];
        if (A.kind != 1 || A.pen != pen) continue;
        // 1. Crossings with the other lines of the pen.
        if (!CollectCrossings(list, a, cross)) {
            ClearFrame(frame);
            return FormatStr("%d", a) + "本目の線の交点が多過ぎます。"_sj;
        }
        // 2. Fewer than two crossings make no member; else order along A.
        if (cross.size() < 2) continue;
        std::vector<int> order;
        std::vector<double> key;
        for (std::size_t k = 0; k < cross.size(); ++k) {
            order.push_back(static_cast<int>(k));
            key.push_back(Distance(A.x1, A.y1, cross[k].x, cross[k].y));
        }
        ExchangeSort(order, key);
        // 3. A member between every two consecutive crossings.
        for (std::size_t k = 0; k + 1 < order.size(); ++k) {
            const Crossing& p = cross[static_cast<std::size_t>(order[k])];
            const Crossing& q = cross[static_cast<std::size_t>(order[k + 1])];
            const int n1 = FindOrAddNode(frame, p.x, p.y);
            const int n2 = FindOrAddNode(frame, q.x, q.y);
            if (n1 == 0 || n2 == 0) {
                ClearFrame(frame);
                return FormatStr("格点の数が%dを超えます。"_sj.c_str(), kMaxNodes);
            }
            if (n1 == n2) continue;
            const int ni = std::min(n1, n2), nj = std::max(n1, n2);
            if (HasMember(frame, ni, nj)) continue;
            if (frame.memberCount >= kMaxMembers) {
                ClearFrame(frame);
                return FormatStr("部材の数が%dを超えます。"_sj.c_str(), kMaxMembers);
            }
            FrameMember& m = frame.members[++frame.memberCount];
            m = FrameMember{};
            m.no = frame.memberCount;
            m.nodeI = ni;
            m.nodeJ = nj;
            m.sectionNo = 1;
            m.materialNo = 1;
        }
    }
    RenumberFrame(frame, ComputeExtents(list));
    return "";
}

bool ApplyGeneratedFrame(const FrameModel& generated, FrameModel& model) {
    if (generated.memberCount <= 0) return false;
    // The default new model keeps its material, section, supports and load
    // case, so the generated members (section 1, material 1) can be analysed.
    NewFrameModel(model, 1);
    ZeroRowsBeyond(model.nodes, generated.nodeCount, model.nodeCount);
    model.nodeCount = generated.nodeCount;
    for (int n = 1; n <= generated.nodeCount; ++n) model.nodes[n] = generated.nodes[n];
    model.memberCount = generated.memberCount;
    for (int m = 1; m <= generated.memberCount; ++m) model.members[m] = generated.members[m];
    return true;
}

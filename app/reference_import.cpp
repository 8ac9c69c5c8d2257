#include "app/reference_import.h"

#include "app/reference_dxf.h"

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

bool ReadCoordinate(const std::string& value, float& metres) {
    return DrawingMmToMetres(TextToDouble(value), false, metres);
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
    return ReadCoordinate(fields[4], line.x1) && ReadCoordinate(fields[5], line.y1) &&
           ReadCoordinate(fields[6], line.x2) && ReadCoordinate(fields[7], line.y2);
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

struct Segment {
    double x1, y1, x2, y2;
    int line;  // the list's line it starts from
};

// Where along a (from its first end, in m) the point p falls, and how far
// off a's line it lies.
void Project(const Segment& a, double px, double py, double& along, double& off) {
    const double L = Distance(a.x1, a.y1, a.x2, a.y2);
    const double ux = (a.x2 - a.x1) / L, uy = (a.y2 - a.y1) / L;
    along = (px - a.x1) * ux + (py - a.y1) * uy;
    off = std::fabs(-(px - a.x1) * uy + (py - a.y1) * ux);
}

// When b lies on a's line and overlaps it over more than the node
// tolerance, a grows to cover both and true is returned. Lines that only
// touch end to end stay apart: they meet at a point, which is a node.
bool MergeCollinear(Segment& a, const Segment& b) {
    const double L = Distance(a.x1, a.y1, a.x2, a.y2);
    if (!(L > kRefNodeTolerance)) return false;
    double t1, o1, t2, o2;
    Project(a, b.x1, b.y1, t1, o1);
    Project(a, b.x2, b.y2, t2, o2);
    if (o1 > kRefNodeTolerance || o2 > kRefNodeTolerance) return false;
    const double lo = std::min(t1, t2), hi = std::max(t1, t2);
    if (std::min(hi, L) - std::max(lo, 0.0) <= kRefNodeTolerance) return false;
    if (lo < 0.0 || hi > L) {
        const double ux = (a.x2 - a.x1) / L, uy = (a.y2 - a.y1) / L;
        const double from = std::min(lo, 0.0), to = std::max(hi, L);
        const Segment grown{a.x1 + from * ux, a.y1 + from * uy, a.x1 + to * ux, a.y1 + to * uy,
                            a.line};
        a = grown;
    }
    return true;
}

// The pen's lines in list order, a line drawn twice or a piece drawn over
// a longer line on the same line taken once: overlapping pieces would
// otherwise cut each other at their ends where nothing crosses.
std::vector<Segment> PenSegments(const RefLineList& list, int pen) {
    std::vector<Segment> segs;
    for (int i = 1; i <= list.count; ++i) {
        const RefLine& l = list.lines[i];
        if (l.kind == 1 && l.pen == pen) segs.push_back({l.x1, l.y1, l.x2, l.y2, i});
    }
    for (std::size_t i = 0; i < segs.size(); ++i) {
        bool grew = true;
        while (grew) {
            grew = false;
            for (std::size_t j = i + 1; j < segs.size(); ++j) {
                if (!MergeCollinear(segs[i], segs[j])) continue;
                segs.erase(segs.begin() + static_cast<std::ptrdiff_t>(j));
                grew = true;
                break;
            }
        }
    }
    return segs;
}

// Both ends of b lie on a's line (a of some length).
bool OnLineOf(const Segment& a, const Segment& b) {
    if (!(Distance(a.x1, a.y1, a.x2, a.y2) > kRefNodeTolerance)) return false;
    double t, o1, o2;
    Project(a, b.x1, b.y1, t, o1);
    Project(a, b.x2, b.y2, t, o2);
    return o1 <= kRefNodeTolerance && o2 <= kRefNodeTolerance;
}

// The end of b that lies within a, ends included.
bool TouchingEnd(const Segment& a, const Segment& b, double& x, double& y) {
    const double L = Distance(a.x1, a.y1, a.x2, a.y2);
    for (int k = 0; k < 2; ++k) {
        const double px = k ? b.x2 : b.x1, py = k ? b.y2 : b.y1;
        double t, o;
        Project(a, px, py, t, o);
        if (t < -kRefNodeTolerance || t > L + kRefNodeTolerance) continue;
        x = px;
        y = py;
        return true;
    }
    return false;
}

// Crossings of segment a with every other segment, in list order.
bool CollectCrossings(const std::vector<Segment>& segs, std::size_t a, std::vector<Crossing>& out) {
    const Segment& A = segs[a];
    out.clear();
    for (std::size_t b = 0; b < segs.size(); ++b) {
        if (b == a) continue;
        const Segment& B = segs[b];
        double x = 0, y = 0;
        if (OnLineOf(A, B)) {
            // Lines on one line (overlaps were merged) meet where an end of
            // one lies on the other, from either side.
            if (!TouchingEnd(A, B, x, y)) continue;
        } else {
            const int code =
                IntersectSegments(A.x1, A.y1, A.x2, A.y2, B.x1, B.y1, B.x2, B.y2, x, y);
            // 0x22: between a and b (ends included) and c, d on both sides.
            if (code != 0x22) continue;
        }
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

std::string ParseDrawingLines(const TStringList& text, RefLineList& list) {
    list.count = 0;
    DrawingReadNotes notes;
    // A Korvo figure file: its "LINE," records, one a line.
    bool korvo = false;
    for (int r = 0; r < text.Count(); ++r) {
        const std::string here = Trim(text[r]);
        if (here.compare(0, 5, "LINE,") != 0) continue;
        korvo = true;
        RefLine line;
        if (!ParseKrvLine(here, line)) continue;
        ++notes.linesFound;
        if (list.count < kMaxRefLines) list.lines[++list.count] = line;
    }
    if (!korvo) ParseDxfDrawing(text, list, notes);
    return DrawingNoticeText(notes);
}

bool ReadDrawingLines(const std::string& fileName, RefLineList& list, std::string* notice) {
    list.count = 0;
    if (notice) notice->clear();
    TStringList text;
    if (!FileExists(fileName) || !text.LoadFromFile(fileName)) return false;
    const std::string said = ParseDrawingLines(text, list);
    if (notice) *notice = said;
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
    const std::vector<Segment> segs = PenSegments(list, pen);
    for (std::size_t a = 0; a < segs.size(); ++a) {
        const Segment& A = segs[a];
        // 1. Crossings with the other lines of the pen.
        if (!CollectCrossings(segs, a, cross)) {
            ClearFrame(frame);
            return FormatStr("%d", A.line) + "本目の線の交点が多過ぎます。"_sj;
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

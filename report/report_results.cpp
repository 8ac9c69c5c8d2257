// The result chapter: combinations, diagrams, member forces, displacements
// and reactions.
#include "report/report_results.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/member_points.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "report/figure_labels.h"
#include "report/graphics.h"
#include "report/report_cover.h"
#include "report/report_figures.h"
#include "report/report_input.h"
#include "report/report_lines.h"
#include "report/report_template.h"
#include "report/text_draw.h"

namespace {

// A diagram takes 120 mm of the page: title, 50 mm figure, room around it.
constexpr double kDiagramHeight = 120.0;
constexpr double kPi = 3.14159265358979323846;
// The structure of a diagram figure is drawn no larger than it fits the box
// x 35-145 mm, 50 mm high.
constexpr double kDiagramBoxWidth = 110.0;
constexpr double kDiagramBoxHeight = 50.0;
// The diagram with its value labels stays inside the band below the title
// (y + 11 mm) and above the next figure (y + 118 mm), 8 mm from the edges
// of the page's body; labels (" -1234.567 " at 1.2 mm a character) reach
// this far beyond the curve.
constexpr double kDiagramRoomLeft = 8.0, kDiagramRoomRight = 172.0;
constexpr double kDiagramRoomTop = 11.0, kDiagramRoomBottom = 118.0;
constexpr double kDiagramLabelRoom = 13.0;

bool ValidBlock(const FrameResults& results, int block) {
    return block >= 1 && block < kResultCaseSlots && block != results.caseCount + 1;
}

std::string CombinationName(const FrameModel& model, int k) {
    const std::string t = ReportSafeText(model.combinations[k].name);
    return t.empty() ? FormatStr("組み合わせケース[%d]"_sj.c_str(), model.combinations[k].no) : t;
}

}  // namespace

void PrintResultSection(const FrameResults& results, const FrameModel& model) {
    // 1. Chapter heading.
    NewReportPage();
    double y = RunReportTemplate(0, {"+F2-|$>>%. 断面力の算出"_sj});
    // 2. One part per combination.
    const int combos = std::min({results.comboCount, model.combinationCount, kMaxCombinations});
    for (int k = 1; k <= combos; ++k) {
        const int b = ComboBlockIndex(results, k);
        if (!ValidBlock(results, b)) break;
        if (k > 1) NewReportPage();
        y = 11.52;
        SetFontMm(kBaseTextHeight, 0, 0, 0);
        PrintTextLine(1, y, ReportHeading("$>>%.% "_sj, CombinationName(model, k)));
        SetFontMm(kBaseTextHeight, 0, 0, 1);
        // 3. The combination, then its diagrams and tables.
        y = PrintCombinationTable(y, model, k);
        y = std::max(y, 120.0);
        y = PrintForceDiagrams(y, results, model, b);
        y = PrintDisplacementTable(y, results, model, b);
        y = PrintReactionTable(y, results, model, b);
    }
}

double PrintCombinationTable(double y, const FrameModel& model, int combination) {
    if (combination < 1 || combination > kMaxCombinations) return y;
    const KumiCase& kc = model.combinations[combination];
    const std::vector<std::string> lead{
        "+F2-|・組み合わせケース番号 : ####     タイトル : "_sj + ReportSafeText(kc.name),
        "+F2-|  全体割り増し係数 : ##.###"_sj};
    constexpr int kNameColumn = 44;
    static const std::vector<std::string> table =
        ReportTableTemplate({{6, "No"_sj, "", "-1"},
                             {14, "荷重ｹｰｽ番号"_sj, "", "#####"},
                             {kNameColumn, "荷重名"_sj, "", std::string(40, '#')},
                             {16, "部分割増係数"_sj, "", "###.####"}},
                            4);
    const int n = CheckedCount(kc.count, kMaxCombinationEntries);
    if (n == 0) {
        y = RunReportTemplate(y, lead);
        PutNumber(kc.no);
        PutNumber(kc.factor);
        return ReportWholeMm(y);
    }
    bool led = false;
    // More entries than a page holds continue in blocks instead of running
    // off the page.
    y = PrintRowBlocks(y, n, lead, table, [&](int r) {
        if (!led) {
            PutNumber(kc.no);
            PutNumber(kc.factor);
            led = true;
        }
        const KumiEntry& e = kc.entries[r];
        const int c = FindLoadCaseIndex(model, e.loadCaseNo);
        PutNumber(e.loadCaseNo);
        PutText(c ? ReportSafeText(model.loadCases[c].name, kNameColumn) : std::string());
        PutNumber(e.factor);
    });
    return ReportWholeMm(y);
}

namespace {

// The largest scale (mm per m) at which world extents ww x wh fit paper
// extents pw x ph; an empty world extent sets no limit.
double FitScale(double pw, double ph, double ww, double wh) {
    double s = 1e300;
    if (ww > 1e-9) s = std::min(s, pw / ww);
    if (wh > 1e-9) s = std::min(s, ph / wh);
    return s;
}

// World window of a diagram figure whose band starts at y: one scale both
// ways, small enough that the structure fits its box and the diagram, which
// reaches `reach` m beyond the members, fits the band with its labels.
void FitDiagramWindow(double y, double reach) {
    const ReportExtentsData& e = ReportExtents;
    const double ww = e.maxX - e.minX, wh = e.maxY - e.minY;
    double s = FitScale(kDiagramBoxWidth, kDiagramBoxHeight, ww, wh);
    s = std::min(s, FitScale(kDiagramRoomRight - kDiagramRoomLeft - 2 * kDiagramLabelRoom,
                             kDiagramRoomBottom - kDiagramRoomTop - 2 * kDiagramLabelRoom,
                             ww + 2 * reach, wh + 2 * reach));
    if (!(s < 1e300)) s = 1.0;  // nothing to draw: any scale will do
    // Paper y runs down, world y up.
    G_CentreWindow((kDiagramRoomLeft + kDiagramRoomRight) / 2,
                   y + (kDiagramRoomTop + kDiagramRoomBottom) / 2, s, -s, e.minX, e.minY, e.maxX,
                   e.maxY);
}

const std::string& DiagramTitle(int q) {
    return q == kReportDiagramM   ? "　　　・モーメント図"_sj
           : q == kReportDiagramS ? "　　　・せん断力図"_sj
                                  : "　　　・軸力図"_sj;
}

double PrintMemberForces(double y, const FrameResults& results, const FrameModel& model, int block,
                         int j) {
    const ResultMember& rm = results.member[j];
    // Members pointing down or to the left are listed from their j end, so
    // that every table reads left to right or bottom to top.
    const bool descending = std::cos(rm.angle + kPi / 4) < 0;
    const std::vector<MemberPointRecord> points =
        ListPointsWithForces(results, block, j, descending, true);
    const int n = static_cast<int>(points.size());
    const int mi = FindMemberIndex(model, rm.no);
    const std::string name = mi ? ReportSafeText(model.members[mi].name) : std::string();
    const std::vector<std::string> lead{
        "+F2-| ", "+F2-|・部材 ####   "_sj + name + "   部材長 =###.### (m)"_sj};
    constexpr int kPointColumn = 14;
    static const std::vector<std::string> table =
        ReportTableTemplate({{4, "No"_sj, "", "-1"},
                             {kPointColumn, "着目点"_sj, "", std::string(12, '#')},
                             {10, "i端からの"_sj, "距離 (m)"_sj, "###.###"},
                             {10, "j端からの"_sj, "距離 (m)"_sj, "###.###"},
                             {14, "曲げモーメント"_sj, "(kN･m)"_sj, "######.###"},
                             {12, "軸力"_sj, "(kN)"_sj, "#####.###"},
                             {12, "せん断力"_sj, "(kN)"_sj, "#####.###"}},
                            0);
    if (n <= 0) return y;
    bool led = false;
    return PrintRowBlocks(y, n, lead, table, [&](int r) {
        if (!led) {
            PutNumber(rm.no);
            PutNumber(rm.length);
            led = true;
        }
        const MemberPointRecord& p = points[static_cast<std::size_t>(r - 1)];
        PutText(ReportSafeText(p.label, kPointColumn));
        PutNumber(p.position);
        PutNumber(rm.length - p.position);
        PutNumber(p.m);
        PutNumber(p.n);
        PutNumber(p.s);
    });
}

}  // namespace

double PrintForceDiagrams(double y, const FrameResults& results, const FrameModel& model,
                          int block) {
    if (!ValidBlock(results, block)) return y;
    // 1. The three diagrams.
    for (int q : {kReportDiagramM, kReportDiagramS, kReportDiagramN}) {
        if (!PageHasRoom(y, kDiagramHeight)) {
            NewReportPage();
            y = 0;
        }
        SetFontMm(kBaseTextHeight, 0, 0, 1);
        PrintTextLine(1, y + 5, DiagramTitle(q));
        GraphicsState saved;
        G_SaveState(saved);
        FitDiagramWindow(y, ReportDiagramReach(results));
        // The values of one diagram keep clear of each other.
        BeginFigureLabels();
        DrawReportDiagram(results, model, block, static_cast<ReportDiagram>(q));
        const int leftOut = EndFigureLabels();
        G_RestoreState(saved);
        G_SetLineColor(0);
        G_SetLineWidth(1);
        SetFontMm(kBaseTextHeight, 0, 0, 1);
        // Values with no free place in the figure are in the table below;
        // the title line says how many the figure leaves to it.
        if (leftOut > 0) PrintTextLine(100, y + 5, LeftOutNote(leftOut) + "（値は表に記載）"_sj);
        y += kDiagramHeight;
    }
    // 2. The members' forces at their points.
    const int members = std::min(results.memberCount, kResultMemberSlots - 1);
    for (int j = 1; j <= members; ++j) y = PrintMemberForces(y, results, model, block, j);
    return ReportWholeMm(y);
}

double PrintDisplacementTable(double y, const FrameResults& results, const FrameModel& model,
                              int block) {
    if (!ValidBlock(results, block)) return y;
    static const std::vector<std::string> table =
        ReportTableTemplate({{6, "No"_sj, "", "-1"},
                             {10, "格点番号"_sj, "", "#####"},
                             {16, "水平変位"_sj, "(mm)"_sj, "#####.###"},
                             {16, "鉛直変位"_sj, "(mm)"_sj, "#####.###"},
                             {16, "回転変位"_sj, "(rad)"_sj, "##.######"}},
                            4);
    const ResultCase& rc = results.block[block];
    const int n = CheckedCount(model.nodeCount, std::min(kMaxNodes, kResultNodeSlots - 1));
    y = PrintRowBlocks(y, n, {"+F2-| ", "+F2-|　　　・格点変位"_sj}, table, [&](int i) {
        PutNumber(model.nodes[i].no);
        PutNumber(rc.nodes[i].dx);
        PutNumber(rc.nodes[i].dy);
        // Rotations are kept in thousandths of a radian.
        PutNumber(rc.nodes[i].dt * 0.001);
    });
    return ReportWholeMm(y);
}

double PrintReactionTable(double y, const FrameResults& results, const FrameModel& model,
                          int block) {
    (void)model;
    if (!ValidBlock(results, block)) return y;
    static const std::vector<std::string> table =
        ReportTableTemplate({{6, "No"_sj, "", "-1"},
                             {10, "格点番号"_sj, "", "#####"},
                             {16, "水平反力"_sj, "(kN)"_sj, "#######.###"},
                             {16, "鉛直反力"_sj, "(kN)"_sj, "#######.###"},
                             {16, "回転反力"_sj, "(kN･m)"_sj, "#######.###"}},
                            4);
    const ResultCase& rc = results.block[block];
    const int n = CheckedCount(rc.reactionCount, kReactionRowSlots - 1);
    y = PrintRowBlocks(y, n, {"+F2-| ", "+F2-|　　　・支点反力"_sj}, table, [&](int r) {
        const ReactionRow& row = rc.reactions[r];
        PutNumber(row.nodeNo);
        PutNumber(row.rx);
        PutNumber(row.ry);
        PutNumber(row.rm);
    });
    return ReportWholeMm(y);
}

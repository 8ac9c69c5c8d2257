// The load chapter: per load case its heading, the case's support and
// spring cases, the load figure with dimension lines, the three load tables
// and the case totals.
#include <algorithm>
#include <cmath>
#include <vector>

#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "report/annotation.h"
#include "report/figure_labels.h"
#include "report/graphics.h"
#include "report/report_cover.h"
#include "report/report_figures.h"
#include "report/report_input.h"
#include "report/report_lines.h"
#include "report/report_template.h"
#include "report/text_draw.h"

namespace {

// Load tables use a narrower font so that eleven columns fit the page.
constexpr double kLoadFontWidth = kBaseTextHeight * 0.5 * 0.95;  // 1.71 mm
// A load table's rows start this far into a continuation page.
constexpr double kLoadContinuationY = 2.52;

enum LoadGroup : int { kGroupDistributed = 0, kGroupConcentrated = 1, kGroupNodal = 2 };

const std::string* TypeName(int code) {
    switch (code) {
        case 11:
            return &"平行分布"_sj;
        case 12:
            return &"直角分布"_sj;
        case 13:
            return &"水平分布"_sj;
        case 14:
            return &"鉛直分布"_sj;
        case 17:
            return &"分布ﾓｰﾒﾝﾄ"_sj;
        case 31:
            return &"温度荷重"_sj;
        case 21:
            return &"平行集中"_sj;
        case 22:
            return &"直角集中"_sj;
        case 23:
            return &"水平集中"_sj;
        case 24:
            return &"鉛直集中"_sj;
        case 27:
            return &"集中ﾓｰﾒﾝﾄ"_sj;
        case 51:
            return &"格点荷重"_sj;
        default:
            return nullptr;
    }
}

int GroupOf(int code) {
    if ((code >= 11 && code <= 20) || code == 31) return kGroupDistributed;
    if (code >= 21 && code <= 30) return kGroupConcentrated;
    if (code == 51) return kGroupNodal;
    return -1;
}

// The listed loads of a group: those with a type name, in stored order. A
// load of an unnamed code is left out altogether rather than leaving a
// blank row at the table's end.
std::vector<const LoadRecord*> GroupLoads(const LoadCase& lc, int group) {
    std::vector<const LoadRecord*> out;
    const int count = CheckedCount(lc.count, kMaxLoads);
    for (int k = 1; k <= count; ++k) {
        const LoadRecord& l = lc.loads[k];
        if (GroupOf(l.code) == group && TypeName(l.code) != nullptr) out.push_back(&l);
    }
    return out;
}

void PutResultant(double v) {
    if (v == 0) {
        PutText("－"_sj);
    } else {
        PutNumber(v);
    }
}

void PutDistance(double v) {
    if (std::fabs(v) < 0.0001) {
        PutText("0.0");
    } else {
        PutNumber(v);
    }
}

const std::vector<std::string>& GroupTable(int group) {
    static const std::vector<std::string> distributed =
        ReportTableTemplate({{4, "No"_sj, "", "-1"},
                             {10, "荷重"_sj, "タイプ"_sj, "##########"},
                             {4, "開始"_sj, "部材"_sj, "###"},
                             {4, "終了"_sj, "部材"_sj, "###"},
                             {8, "i端荷重"_sj, "(kN/m)"_sj, "####.###"},
                             {8, "j端荷重"_sj, "(kN/m)"_sj, "####.###"},
                             {8, "i端距離"_sj, "(m)"_sj, "###.###"},
                             {8, "j端距離"_sj, "(m)"_sj, "###.###"},
                             {8, "載荷長"_sj, "(m)"_sj, "###.###"},
                             {8, "水平荷重"_sj, "(kN)"_sj, "####.###"},
                             {8, "鉛直荷重"_sj, "(kN)"_sj, "####.###"}},
                            0);
    static const std::vector<std::string> concentrated =
        ReportTableTemplate({{4, "No"_sj, "", "-1"},
                             {12, "荷重タイプ"_sj, "", "##########"},
                             {10, "部材番号"_sj, "", "####"},
                             {16, "荷重"_sj, "(kN,kN･m)"_sj, "#####.###"},
                             {16, "i端からの距離"_sj, "(m)"_sj, "####.###"},
                             {14, "水平荷重"_sj, "(kN)"_sj, "#####.###"},
                             {14, "鉛直荷重"_sj, "(kN)"_sj, "#####.###"}},
                            0);
    static const std::vector<std::string> nodal =
        ReportTableTemplate({{4, "No"_sj, "", "-1"},
                             {10, "荷重タイプ"_sj, "", "########"},
                             {8, "格点番号"_sj, "", "####"},
                             {12, "水平荷重"_sj, "(kN)"_sj, "#####.###"},
                             {12, "鉛直荷重"_sj, "(kN)"_sj, "#####.###"},
                             {14, "ﾓｰﾒﾝﾄ荷重"_sj, "(kN･m)"_sj, "#####.###"},
                             {12, "水平荷重"_sj, "(kN)"_sj, "#####.###"},
                             {12, "鉛直荷重"_sj, "(kN)"_sj, "#####.###"}},
                            0);
    return group == kGroupDistributed    ? distributed
           : group == kGroupConcentrated ? concentrated
                                         : nodal;
}

const std::string& GroupTitle(int group) {
    return group == kGroupDistributed    ? "+F2-|・部材分布荷重"_sj
           : group == kGroupConcentrated ? "+F2-|・部材集中荷重"_sj
                                         : "+F2-|・格点集中荷重"_sj;
}

void FillLoadRow(int group, const LoadRecord& l) {
    PutText(*TypeName(l.code));
    if (group == kGroupDistributed) {
        PutNumber(l.memberFrom);
        if (l.memberTo == 0) {
            PutText("－"_sj);
        } else {
            PutNumber(l.memberTo);
        }
        PutNumber(l.qI);
        PutNumber(l.qJ);
        PutDistance(l.distI);
        PutDistance(l.distJ);
        PutNumber(l.loadedLength);
    } else if (group == kGroupConcentrated) {
        PutNumber(l.memberFrom);
        PutNumber(l.qI);
        PutDistance(l.distI);
    } else {
        // Nodal loads: memberFrom holds the node, qI, qJ, distI the forces.
        PutNumber(l.memberFrom);
        PutNumber(l.qI);
        PutNumber(l.qJ);
        PutNumber(l.distI);
    }
    PutResultant(l.resHoriz);
    PutResultant(l.resVert);
}

std::string SumText(double positive, double negative) {
    return FormatStr("%0.3f - %0.3f", positive, negative);
}

std::vector<std::string> SumLine(const std::string& label) {
    return {"+F2-|    " + label + "    Σ(水平荷重) = SX################"_sj +
            "    Σ(鉛直荷重) = SY################"_sj};
}

// One load table: rows in blocks, the first on this page when it can hold
// the whole table, or when the table is longer than one block anyway.
double PrintLoadGroup(double y, const LoadCase& lc, int group) {
    const std::vector<const LoadRecord*> loads = GroupLoads(lc, group);
    const int m = static_cast<int>(loads.size());
    if (m == 0) return y;
    const std::vector<std::string> table = JoinLines({GroupTitle(group)}, GroupTable(group));
    const std::vector<std::string> sum = SumLine("荷重小計"_sj);
    const double sumHeight = ReportTemplateHeight(sum, 0);
    // Rows that still fit: the whole part of the free room in lines, never
    // more than the real table height allows.
    int f = static_cast<int>((265.0 - y - 25.0) / kReportLine);
    f = std::min(f, kReportBlockRows);
    while (f > 0 && !PageHasRoom(y, ReportTemplateHeight(table, f) + sumHeight)) --f;
    int firstRows = std::min(f, m);
    if (firstRows <= 0 || (firstRows < m && m <= kReportBlockRows)) {
        NewReportPage();
        y = kLoadContinuationY;
        firstRows = std::min(m, kReportBlockRows);
    }
    int r1 = 1;
    int r2 = firstRows;
    while (r1 <= m) {
        SetFontMm(kBaseTextHeight, kLoadFontWidth, 0, 1);
        y = RunReportTemplate(y, r1 == 1 ? table : JoinLines({"+F2-| "}, GroupTable(group)), r1,
                              r2);
        for (int r = r1; r <= r2; ++r) FillLoadRow(group, *loads[static_cast<std::size_t>(r - 1)]);
        r1 = r2 + 1;
        r2 = std::min(m, r1 + kReportBlockRows - 1);
        if (r1 <= m) {
            NewReportPage();
            y = kLoadContinuationY;
        }
    }
    if (!PageHasRoom(y, sumHeight)) {
        NewReportPage();
        y = kLoadContinuationY;
    }
    y = RunReportTemplate(y, sum);
    FillNamedFieldText(
        "SX", SumText(lc.sumHorizByGroup[2 * group], lc.sumHorizByGroup[2 * group + 1]), 0);
    FillNamedFieldText("SY",
                       SumText(lc.sumVertByGroup[2 * group], lc.sumVertByGroup[2 * group + 1]), 0);
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    return y;
}

// Dimension lines along the left and bottom of the structure, 25 mm and
// 20 mm outside it, labelled with the overall height and width (m).
constexpr double kDimensionArrowMm = 2.0;

void DrawExtentDimensions() {
    const ReportExtentsData& e = ReportExtents;
    const double k = std::fabs(MmLenToWorldX(1.0));
    G_SetLineColor(0);
    G_SetLineWidth(1);
    // Heads of their own size: the load drawers leave theirs behind (down
    // to none at all after an axial load).
    const double heads = CurrentGraphics.arrowSize;
    G_SetArrowSize(kDimensionArrowMm);
    if (e.maxY - e.minY > 1e-9)
        G_DimensionLine(e.minX - 25 * k, e.minY, e.minX - 25 * k, e.maxY, 3 * k, 0x333,
                        FormatStr("%0.3f", e.maxY - e.minY), 2.05);
    if (e.maxX - e.minX > 1e-9)
        G_DimensionLine(e.minX, e.minY - 20 * k, e.maxX, e.minY - 20 * k, -3 * k, 0x333,
                        FormatStr("%0.3f", e.maxX - e.minX), 2.05);
    G_SetArrowSize(heads);
}

double LoadScale(const LoadCase& lc) {
    double scale = 0.2;
    const int count = CheckedCount(lc.count, kMaxLoads);
    for (int k = 1; k <= count; ++k)
        scale = std::max({scale, std::fabs(static_cast<double>(lc.loads[k].qI)),
                          std::fabs(static_cast<double>(lc.loads[k].qJ))});
    return scale;
}

std::string TitleOr(const char (&name)[kNameSize], const std::string& fallback) {
    const std::string t = ReportSafeText(name);
    return t.empty() ? fallback : t;
}

double PrintLoadCase(double y, FrameModel& model, int c, bool first) {
    LoadCase& lc = model.loadCases[c];
    // 1. Heading.
    NewReportPage();
    y = 0;
    if (first) y = RunReportTemplate(y, {"+F2-|$>>%.% 荷重データ"_sj});
    y = 11.52;
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    PrintTextLine(3.6, y,
                  ReportHeading("$>>(%) "_sj,
                                TitleOr(lc.name, FormatStr("荷重ケースNo: %d"_sj.c_str(), lc.no))));
    // 2. The case's support and spring cases.
    const int sc = FindSupportCaseIndex(model, lc.suptCaseNo);
    const int bc = lc.baneCaseNo != 0 ? FindSpringCaseIndex(model, lc.baneCaseNo) : 0;
    if (lc.baneCaseNo != 0) SetPrintCondition('X');
    y = RunReportTemplate(
        y, {"+F2-|    荷重ケース番号 : ####     荷重タイトル : "_sj + ReportSafeText(lc.name),
            "+F2-|    支点ケース番号 : ####     支点タイトル : "_sj +
                (sc ? ReportSafeText(model.supportCases[sc].name) : std::string()),
            "----X    分布ﾊﾞﾈｹｰｽ番号 : ####     分布ﾊﾞﾈｹｰｽﾀｲﾄﾙ : "_sj +
                (bc ? ReportSafeText(model.springCases[bc].name) : std::string())});
    PutNumber(lc.no);
    PutNumber(lc.suptCaseNo);
    if (lc.baneCaseNo != 0) PutNumber(lc.baneCaseNo);
    // 3. The load figure.
    y += 11.52;
    lc.maxLoad = static_cast<float>(LoadScale(lc));
    GraphicsState saved;
    G_SaveState(saved);
    FitReportExtents(50, y + 15, 130, y + 65);
    // The load values of one figure keep clear of each other.
    BeginFigureLabels();
    DrawReportLoadFigure(model, c);
    const int leftOut = EndFigureLabels();
    DrawExtentDimensions();
    G_RestoreState(saved);
    G_SetLineWidth(1);
    G_SetLineColor(0);
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    if (leftOut > 0) PrintTextLine(100, y + 5, LeftOutNote(leftOut) + "（値は表に記載）"_sj);
    y += 90;
    // 4. Load tables.
    for (int group : {kGroupDistributed, kGroupConcentrated, kGroupNodal})
        y = PrintLoadGroup(y, lc, group);
    // 5. Totals of the case.
    if (y > 250) {
        NewReportPage();
        y = 2.88;
    }
    const std::vector<std::string> frame = ReportTableTemplate(
        {{12, "", "", "荷重合計"_sj},
         {80, "", "", "Σ(水平荷重) = SX################   Σ(鉛直荷重) = SY################"_sj}},
        0);
    y = RunReportTemplate(y, {frame[0], frame[3], frame[5]});
    FillNamedFieldText("SX", SumText(lc.sumHorizPos, lc.sumHorizNeg), 0);
    FillNamedFieldText("SY", SumText(lc.sumVertPos, lc.sumVertNeg), 0);
    return y;
}

}  // namespace

double PrintLoadSection(double y, FrameModel& model) {
    const int cases = CheckedCount(model.loadCaseCount, kMaxLoadCases);
    bool first = true;
    for (int c = 1; c <= cases; ++c) {
        if (model.loadCases[c].count <= 0) continue;
        y = PrintLoadCase(y, model, c, first);
        first = false;
    }
    return ReportWholeMm(y);
}

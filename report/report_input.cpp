// Input chapters: overview, materials, sections, nodes, members, points of
// interest, supports and distributed springs.
#include "report/report_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/frame_model.h"
#include "model/model_tables.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "report/report_cover.h"
#include "report/report_lines.h"
#include "report/report_template.h"

void PutNumber(double value) { FillFieldNumber(-1, value, 0); }
void PutText(const std::string& text) { PutFieldText(-1, text, 0); }

namespace {

// The blank line that leads a continued table.
const std::vector<std::string>& ContinuationLead() {
    static const std::vector<std::string> lead{"+F2-| "};
    return lead;
}

std::vector<std::string> Heading(const std::string& text) { return {"+F2-|$>>" + text}; }

// A framed two-column table of fixed rows: label | value mask.
std::vector<std::string> KeyValueTable(const std::vector<std::pair<std::string, std::string>>& rows,
                                       int labelWidth, int valueWidth, int indent) {
    const std::vector<ReportColumn> cols{{labelWidth, "", "", ""}, {valueWidth, "", "", ""}};
    const std::vector<std::string> frame = ReportTableTemplate(cols, indent);
    // frame: top, head, heavy, row, separator, foot; the rows are built here.
    const std::string pad = Spaces(indent);
    const std::string& bar = "│"_sj;
    std::vector<std::string> lines{frame[0]};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto cell = [](const std::string& t, int w) {
            const std::string s = FitTextLength(t, w);
            const int left = (w - static_cast<int>(s.size())) / 2;
            return Spaces(left) + s + Spaces(w - static_cast<int>(s.size()) - left);
        };
        lines.push_back("----|" + pad + bar + cell(rows[i].first, labelWidth) + bar +
                        cell(rows[i].second, valueWidth) + bar);
        lines.push_back(i + 1 < rows.size() ? frame[4] : frame[5]);
    }
    return lines;
}

std::string OnOff(int flag) { return flag != 0 ? "する"_sj : "しない"_sj; }

// A count of the model, which its reader and the grids keep inside its table.
int Count(int count, int capacity) { return CheckedCount(count, capacity); }

std::string SupportCodeText(int code) {
    static const std::string* const kNames[] = {
        nullptr,      &"(ﾋﾟﾝ支点)"_sj, &"(ﾋﾟﾝ･水平ﾛｰﾗｰ支点)"_sj, &"(ﾋﾟﾝ･鉛直ﾛｰﾗｰ支点)"_sj,
        &"(固定)"_sj, &"(ﾊﾞﾈ支点)"_sj};
    std::string text = FormatStr("%d ", code);
    if (code >= 1 && code <= 5) text += *kNames[code];
    return text;
}

// A negative stiffness marks a rigid direction, 0 a free one.
std::string StiffnessText(double k) {
    if (k < 0) return "固定"_sj;
    if (k == 0) return "自由"_sj;
    return FormatReportE(k);
}

// The report's table of a model table: a row-number column numberWidth
// wide, then the columns its description puts in the report.
template <class R>
std::vector<std::string> TableTemplate(const ModelTable<R>& table, int numberWidth, int indent) {
    std::vector<ReportColumn> cols{{numberWidth, "No"_sj, "", "-1"}};
    for (const TableColumn<R>& c : table.columns)
        if (c.report.width > 0)
            cols.push_back({c.report.width, c.report.head1, c.report.head2, c.report.mask});
    return ReportTableTemplate(cols, indent);
}

// The fields of one row, in the order of its report columns.
template <class R>
void PutRow(const ModelTable<R>& table, const R& row) {
    for (const TableColumn<R>& c : table.columns) {
        const ReportField& f = c.report;
        if (f.width == 0) continue;
        const double v = c.field.Number(row);
        switch (f.show) {
            case ReportShow::Number:
                PutNumber(v);
                break;
            case ReportShow::Exponent:
                PutText(FormatReportE(v));
                break;
            case ReportShow::Name: {
                int size = 0;
                const char* text = c.field.Text(row, size);
                const std::string name(text, strnlen(text, static_cast<std::size_t>(size)));
                PutText(ReportSafeText(name, f.width));
                break;
            }
            case ReportShow::PinOrRigid:
                PutText(v != 0 ? "ﾋﾟﾝ"_sj : "剛"_sj);
                break;
            case ReportShow::DashIfTiny:
                // A rigid zone this short is treated as none by the engine.
                if (v <= 0.0001)
                    PutText("－"_sj);
                else
                    PutNumber(v);
                break;
            case ReportShow::SupportCode:
                PutText(SupportCodeText(static_cast<int>(v)));
                break;
            case ReportShow::Stiffness:
                PutText(StiffnessText(v));
                break;
        }
    }
}

}  // namespace

double PrintRowBlocks(double y, int rows, const std::vector<std::string>& heading,
                      const std::vector<std::string>& table, const std::function<void(int)>& fill) {
    for (int r1 = 1; r1 <= rows; r1 += kReportBlockRows) {
        const int r2 = std::min(rows, r1 + kReportBlockRows - 1);
        const std::vector<std::string> lines =
            JoinLines(r1 == 1 ? heading : ContinuationLead(), table);
        if (!PageHasRoom(y, ReportTemplateHeight(lines, r2 - r1 + 1))) {
            NewReportPage();
            y = 0;
        }
        y = RunReportTemplate(y, lines, r1, r2);
        for (int r = r1; r <= r2; ++r) fill(r);
    }
    return y;
}

double PrintOverviewSection(double y, const FrameModel& model) {
    NewReportPage();
    y = 0;
    const std::vector<std::string> basic =
        JoinLines({"+F2-|$>>%. 概要"_sj, "+F2-|$>>%.% 基本データ"_sj},
                  KeyValueTable({{"タイトル"_sj, std::string(44, '#')},
                                 {"単位系"_sj, "########"},
                                 {"格点数"_sj, "#####"},
                                 {"部材数"_sj, "#####"}},
                                24, 50, 4));
    y = RunReportTemplate(y, basic);
    PutText(ReportSafeText(model.header.title, 50));
    PutText("S1単位"_sj);
    PutNumber(model.nodeCount);
    PutNumber(model.memberCount);

    y = RunReportTemplate(y, KeyValueTable({{"支点ケース数"_sj, "#####"},
                                            {"分布バネケース数"_sj, "#####"},
                                            {"荷重ケース数"_sj, "#####"},
                                            {"組み合わせケース数"_sj, "#####"}},
                                           24, 50, 4));
    PutNumber(model.supportCaseCount);
    PutNumber(model.springCaseCount);
    PutNumber(model.loadCaseCount);
    PutNumber(model.combinationCount);

    y = RunReportTemplate(y, JoinLines({"+F2-| ", "+F2-|$>>%.% 計算オプション"_sj},
                                       KeyValueTable({{"格点番号のリナンバ"_sj, "########"},
                                                      {"剛域の計算"_sj, "########"}},
                                                     24, 50, 4)));
    PutText(OnOff(model.header.optRenumber));
    PutText(OnOff(model.rigidZoneSwitch));
    return ReportWholeMm(y);
}

double PrintMaterialTable(double y, const FrameModel& model) {
    NewReportPage();
    y = RunReportTemplate(0, {"+F2-|$>>%. 構造"_sj});
    static const std::vector<std::string> table = TableTemplate(MaterialTable(), 6, 4);
    // More rows than a page holds continue in blocks, like every table.
    y = PrintRowBlocks(y, Count(model.materialCount, kMaxMaterials), Heading("%.% 材質データ"_sj),
                       table, [&](int r) { PutRow(MaterialTable(), model.materials[r]); });
    return ReportWholeMm(y);
}

double PrintSectionTable(double y, const FrameModel& model) {
    static const std::vector<std::string> table = TableTemplate(SectionTable(), 6, 4);
    y = PrintRowBlocks(y, Count(model.sectionCount, kMaxSections), Heading("%.% 断面データ"_sj),
                       table, [&](int r) { PutRow(SectionTable(), model.sections[r]); });
    return ReportWholeMm(y);
}

double PrintNodeTable(double y, const FrameModel& model) {
    static const std::vector<std::string> table = TableTemplate(NodeTable(), 6, 4);
    y = PrintRowBlocks(y, Count(model.nodeCount, kMaxNodes), Heading("%.% 格点データ"_sj), table,
                       [&](int r) { PutRow(NodeTable(), model.nodes[r]); });
    return ReportWholeMm(y);
}

double PrintMemberTable(double y, const FrameModel& model) {
    static const std::vector<std::string> table = TableTemplate(MemberTable(), 4, 0);
    y = PrintRowBlocks(y, Count(model.memberCount, kMaxMembers), Heading("%.% 部材データ"_sj),
                       table, [&](int r) { PutRow(MemberTable(), model.members[r]); });
    return ReportWholeMm(y);
}

double PrintPointTable(double y, const FrameModel& model) {
    constexpr int kShownPoints = 7;
    std::vector<ReportColumn> cols{
        {4, "No"_sj, "", "-1"}, {8, "部材番号"_sj, "", "####"}, {6, "点数"_sj, "", "####"}};
    for (int k = 1; k <= kShownPoints; ++k)
        cols.push_back({8, "距離"_sj + std::to_string(k), "(m)", "##.###"});
    const std::vector<std::string> table = ReportTableTemplate(cols, 0);
    const std::vector<std::string> heading{"+F2-|$>>%.% 着目点データ"_sj,
                                           "+F2-|  （距離は i端からの任意着目点の距離(m)）"_sj};
    const int rows = Count(model.view2Count, kMaxView2);
    y = PrintRowBlocks(y, rows, heading, table, [&](int r) {
        const View2Member& v = model.view2[r];
        const int n = CheckedCount(v.count, kMaxViewPoints);
        PutNumber(v.memberNo);
        PutNumber(n);
        for (int k = 1; k <= kShownPoints; ++k) {
            if (k <= n) {
                PutNumber(v.dist[k]);
            } else {
                PutText("");
            }
        }
    });
    if (rows > 0) {
        if (!PageHasRoom(y, kReportLine)) {
            NewReportPage();
            y = 0;
        }
        y = RunReportTemplate(y, {"+F2-|  着目点の名称は断面力の表にて参照下さい。"_sj});
    }
    return ReportWholeMm(y);
}

double PrintSupportTable(double y, const FrameModel& model) {
    static const std::vector<std::string> table = TableTemplate(SupportEntryTable(), 4, 0);
    const int cases = Count(model.supportCaseCount, kMaxSupportCases);
    bool first = true;
    for (int q = 1; q <= cases; ++q) {
        const SuptCase& sc = model.supportCases[q];
        const int n = CheckedCount(sc.count, kMaxSupportEntries);
        if (n == 0) continue;
        std::vector<std::string> lead;
        lead.push_back(first ? "+F2-|$>>%.% 支点データ"_sj : std::string("+F2-| "));
        lead.push_back("+F2-|・支点ケース番号: ####    タイトル : "_sj + ReportSafeText(sc.name));
        first = false;
        bool numbered = false;
        y = PrintRowBlocks(y, n, lead, table, [&](int r) {
            if (!numbered) {
                PutNumber(sc.no);
                numbered = true;
            }
            PutRow(SupportEntryTable(), sc.entries[r]);
        });
    }
    return ReportWholeMm(y);
}

double PrintSpringTable(double y, const FrameModel& model) {
    static const std::vector<std::string> table = TableTemplate(SpringEntryTable(), 4, 4);
    const int cases = Count(model.springCaseCount, kMaxSpringCases);
    bool first = true;
    for (int q = 1; q <= cases; ++q) {
        const BaneCase& bc = model.springCases[q];
        const int n = CheckedCount(bc.count, kMaxSpringEntries);
        if (n == 0) continue;
        std::vector<std::string> lead;
        lead.push_back(first ? "+F2-|$>>%.% 分布バネデータ"_sj : std::string("+F2-| "));
        lead.push_back("+F2-|・分布バネケース番号: ####    タイトル : "_sj +
                       ReportSafeText(bc.name));
        first = false;
        bool numbered = false;
        y = PrintRowBlocks(y, n, lead, table, [&](int r) {
            if (!numbered) {
                PutNumber(bc.no);
                numbered = true;
            }
            PutRow(SpringEntryTable(), bc.entries[r]);
        });
    }
    return ReportWholeMm(y);
}

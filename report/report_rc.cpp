// The RC chapter: bending and shear check tables, seven points across.
#include "report/report_rc.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_member_check.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"
#include "report/report_cover.h"
#include "report/report_input.h"
#include "report/report_lines.h"
#include "report/report_template.h"
#include "report/text_draw.h"

namespace {

// The RC tables: body height, a narrower cell pitch so that a label column
// and seven point columns fit the page, point names a size smaller.
constexpr double kRcFontWidth = kBaseTextHeight * 0.48;
constexpr double kRcNameHeight = kBaseTextHeight * 7.0 / 8.0;
constexpr int kLabelWidth = 28;
constexpr int kPointWidth = 8;
constexpr double kRcHeadingY = 11.52;
// A stirrup set of this area or less counts as none (mm²).
constexpr double kNoStirrupArea = 0.1;

struct PointView {
    const RcPointCheck* point = nullptr;
    const RcCaseCheck* check = nullptr;
    std::string position;
};

// One table row: its label, the mask of its seven cells and what each
// point puts there (nothing leaves the cell empty).
struct RcRow {
    std::string label;
    std::string mask;
    std::function<void(int field, const PointView&)> fill;
    bool heavyBelow = false;
};

void PutNum(int field, double v) { PutFieldNumber(field, v, 0); }

// A point cell's text in the current font, or, when it would reach the
// rules (「D22×12.50」, "(+1234.56)"), in a font narrowed until it keeps half
// a cell clear of each rule: a value drawn over a rule reads as a
// different number.
void PutTxt(int field, const std::string& t) {
    const FontState saved = GetFontState();
    const double w = saved.width;
    if (field >= 0 && field < FieldTable.positionalCount && !t.empty() && w > 0) {
        const double room = FieldTable.fields[field].fieldWidth - w;
        const double needed = static_cast<double>(t.size()) * w;
        if (needed > room && room > 0)
            SetFontMm(saved.height, room / static_cast<double>(t.size()), saved.angle, saved.style);
    }
    PutFieldText(field, t, 0);
    SetFontState(saved);
}

// A point's name, cut to what its narrow cell shows: six full-width
// characters, so that the names the points are usually given (左端フェイス,
// 右端フェイス) print whole; the cell's font narrows to hold them.
std::string PointName(const RcPointCheck& p) { return ReportSafeText(p.name, 12); }

std::string Cell(const std::string& text, int width) {
    const std::string s = FitTextLength(text, width);
    const int left = (width - static_cast<int>(s.size())) / 2;
    return Spaces(left) + s + Spaces(width - static_cast<int>(s.size()) - left);
}

std::string RuleLine(const std::string& left, const std::string& ch, const std::string& cross,
                     const std::string& right) {
    std::string s = left + RepeatText(ch, kLabelWidth / 2);
    for (int c = 0; c < kRcReportColumns; ++c) s += cross + RepeatText(ch, kPointWidth / 2);
    return s + right;
}

std::vector<std::string> RowsTemplate(const std::string& title, const std::vector<RcRow>& rows) {
    const std::string& bar = "│"_sj;
    std::vector<std::string> lines{"+F2-|" + title,
                                   "+F3-|" + RuleLine("┌"_sj, "─"_sj, "┬"_sj, "┐"_sj)};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string line = bar + Cell(rows[i].label, kLabelWidth);
        for (int c = 0; c < kRcReportColumns; ++c) line += bar + Cell(rows[i].mask, kPointWidth);
        lines.push_back("----|" + line + bar);
        if (i + 1 == rows.size())
            lines.push_back("----|" + RuleLine("└"_sj, "─"_sj, "┴"_sj, "┘"_sj));
        else if (rows[i].heavyBelow)
            lines.push_back("----|" + RuleLine("┝"_sj, "━"_sj, "┿"_sj, "┥"_sj));
        else
            lines.push_back("----|" + RuleLine("├"_sj, "─"_sj, "┼"_sj, "┤"_sj));
    }
    return lines;
}

// Runs the rows' template and fills field 7k + c of row k, point column c.
double PrintRows(double y, const std::string& title, const std::vector<RcRow>& rows,
                 const std::vector<PointView>& points) {
    const std::vector<std::string> lines = RowsTemplate(title, rows);
    SetFontMm(kBaseTextHeight, kRcFontWidth, 0, 1);
    y = RunReportTemplate(y, lines);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        for (std::size_t c = 0; c < points.size() && c < kRcReportColumns; ++c) {
            if (rows[k].fill) rows[k].fill(static_cast<int>(k * kRcReportColumns + c), points[c]);
        }
    }
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    return y;
}

void AddPositionRows(std::vector<RcRow>& rows) {
    rows.push_back({"照査位置"_sj, "######", [](int f, const PointView& v) {
                        const FontState saved = GetFontState();
                        SetFontMm(kRcNameHeight, kRcFontWidth * 7.0 / 8.0, 0, 1);
                        PutTxt(f, PointName(*v.point));
                        SetFontState(saved);
                    }});
    rows.push_back({"", "######", [](int f, const PointView& v) { PutTxt(f, v.position); }, true});
}

// The moment of the force set: positive moments stand in parentheses with
// their sign, so that a reader sees at once which side is in tension.
void PutMoment(int f, double m) {
    if (m > 0) {
        PutTxt(f, FormatStr("(%+.2f)", m));
    } else {
        PutNum(f, m);
    }
}

// The width beside the heights: every stress of the table depends on it.
void AddWidthRow(std::vector<RcRow>& rows) {
    rows.push_back(
        {"部材幅 ｂ (mm)"_sj, "######", [](int f, const PointView& v) { PutNum(f, v.point->b); }});
}

std::vector<RcRow> BendingRows(bool allowable, bool ultimate) {
    std::vector<RcRow> rows;
    AddPositionRows(rows);
    AddWidthRow(rows);
    const auto bars = [&](const std::string& s, bool outer) {
        rows.push_back({s + "部材高 Ｈ (mm)"_sj, "######",
                        [](int f, const PointView& v) { PutNum(f, v.point->set1.h); }});
        rows.push_back({s + "有効高 ｄ (mm)"_sj, "######", [outer](int f, const PointView& v) {
                            const RcDepths& d = v.point->set1;
                            PutNum(f, d.h - (outer ? d.d1 : d.d2));
                        }});
        rows.push_back({s + "有効高 ｄ' (mm)"_sj, "######", [outer](int f, const PointView& v) {
                            PutNum(f, outer ? v.point->set1.d1 : v.point->set1.d2);
                        }});
        rows.push_back({s + "1種目 径×本数"_sj, "######", [outer](int f, const PointView& v) {
                            const RcBars& b = outer ? v.point->outer : v.point->inner;
                            PutTxt(f, FormatBars(static_cast<int>(b.d1), b.n1));
                        }});
        rows.push_back({s + "2種目 径×本数"_sj, "######", [outer](int f, const PointView& v) {
                            const RcBars& b = outer ? v.point->outer : v.point->inner;
                            PutTxt(f, FormatBars(static_cast<int>(b.d2), b.n2));
                        }});
        rows.push_back(
            {s + "鉄筋量 Ａs (mm2)"_sj, "######.#",
             [outer](int f, const PointView& v) { PutNum(f, outer ? v.point->as1 : v.point->as2); },
             true});
    };
    bars("外鉄筋 "_sj, true);
    bars("内鉄筋 "_sj, false);
    rows.push_back({"曲ﾓｰﾒﾝﾄ力 Ｍ (kN･m)"_sj, "####.##",
                    [](int f, const PointView& v) { PutMoment(f, v.check->bend.m); }});
    rows.push_back({"圧縮軸力 Ｎ (kN)"_sj, "####.##",
                    [](int f, const PointView& v) { PutNum(f, v.check->bend.n); }, true});
    if (allowable) {
        const auto sg = [](auto get) {
            return [get](int f, const PointView& v) {
                if (v.check->sgCK) get(f, *v.check);
            };
        };
        rows.push_back({"圧縮 σc (N/mm2)"_sj, "###.##",
                        sg([](int f, const RcCaseCheck& c) { PutNum(f, c.sc); })});
        rows.push_back({"    許容値 σca"_sj, "###.##",
                        sg([](int f, const RcCaseCheck& c) { PutNum(f, c.sca); })});
        // The bar stress that fs is made of, on its own side: the outer
        // bars' when their ratio governs, else the inner bars' (the
        // compressed bars govern where they carry more than the tension
        // bars, and a table that showed only the tension side left fs
        // without its stress).
        const auto outerGoverns = [](const RcCaseCheck& c) { return c.fs1 > c.fs2; };
        rows.push_back(
            {"外鉄筋 σs (N/mm2)"_sj, "####.#", sg([outerGoverns](int f, const RcCaseCheck& c) {
                 if (outerGoverns(c)) PutNum(f, c.ss1);
             })});
        rows.push_back(
            {"    許容値 σsa"_sj, "####.#", sg([outerGoverns](int f, const RcCaseCheck& c) {
                 if (outerGoverns(c)) PutNum(f, c.ssa);
             })});
        rows.push_back(
            {"内鉄筋 σs (N/mm2)"_sj, "####.#", sg([outerGoverns](int f, const RcCaseCheck& c) {
                 if (!outerGoverns(c)) PutNum(f, c.ss2);
             })});
        rows.push_back({"    許容値 σsa"_sj, "####.#",
                        sg([outerGoverns](int f, const RcCaseCheck& c) {
                            if (!outerGoverns(c)) PutNum(f, c.ssa);
                        }),
                        true});
    }
    if (ultimate) {
        const auto mu = [](auto get) {
            return [get](int f, const PointView& v) {
                if (v.check->fck > 0 && v.check->fyk > 0) get(f, *v.check);
            };
        };
        rows.push_back({"ｺﾝｸﾘｰﾄ圧縮強度 fcd (N/mm2)"_sj, "###.#",
                        mu([](int f, const RcCaseCheck& c) { PutNum(f, c.fck); })});
        rows.push_back({"鉄筋引張降伏強度 fyd (N/mm2)"_sj, "####.#",
                        mu([](int f, const RcCaseCheck& c) { PutNum(f, c.fyk); })});
        rows.push_back({"曲げ耐力 Mud (kN･m)"_sj, "####.##",
                        mu([](int f, const RcCaseCheck& c) { PutNum(f, c.mud); }), true});
    }
    const auto safe = [](auto get) {
        return [get](int f, const PointView& v) {
            if (v.check->sgCK || v.check->muCK) get(f, *v.check);
        };
    };
    // Each ratio only where its check ran: a 0.000 beside the verdict of
    // the other check would read as a wide margin.
    rows.push_back({"安全性 fc (ｺﾝｸﾘｰﾄ圧縮)"_sj, "##.###", [](int f, const PointView& v) {
                        if (v.check->sgCK) PutNum(f, v.check->fc);
                    }});
    rows.push_back({"安全性 fs (鉄筋の引張)"_sj, "##.###", [](int f, const PointView& v) {
                        if (v.check->sgCK) PutNum(f, v.check->fs);
                    }});
    if (ultimate) {
        // The ultimate check is rated by M against Mud (or N against the
        // axial capacity); its verdict below must have its number.
        rows.push_back({"安全性 fm (曲げ耐力)"_sj, "##.###", [](int f, const PointView& v) {
                            if (v.check->muCK) PutNum(f, v.check->fm);
                        }});
    }
    rows.push_back({"判定"_sj, "######", safe([](int f, const RcCaseCheck& c) {
                        PutTxt(f, (c.ngFs || c.ngFc || c.ngFm) ? "*N.G*" : "O.K");
                    })});
    return rows;
}

std::vector<RcRow> ShearRows(bool allowable, bool ultimate) {
    std::vector<RcRow> rows;
    AddPositionRows(rows);
    AddWidthRow(rows);
    rows.push_back({"断面 部材高 Ｈ (mm)"_sj, "######",
                    [](int f, const PointView& v) { PutNum(f, v.point->set2.h); }});
    rows.push_back({"     有効高 ｄ (mm)"_sj, "######",
                    [](int f, const PointView& v) {
                        const RcDepths& d = v.point->set2;
                        PutNum(f, d.h - (v.check->shear.m >= 0 ? d.d2 : d.d1));
                    },
                    true});
    const auto stirrup = [](auto get) {
        return [get](int f, const PointView& v) {
            if (v.point->aw <= kNoStirrupArea) {
                PutTxt(f, "－"_sj);
            } else {
                get(f, *v.point);
            }
        };
    };
    rows.push_back({"せん断補強筋 径 Ｄ"_sj, "######", stirrup([](int f, const RcPointCheck& p) {
                        PutTxt(f, FormatStr("D%d", static_cast<int>(p.stirrupD)));
                    })});
    rows.push_back({"    ピッチ ａ (mm)"_sj, "######",
                    stirrup([](int f, const RcPointCheck& p) { PutNum(f, p.stirrupPitch); })});
    rows.push_back({"    鉄筋量 Ａs (mm2)"_sj, "####.#",
                    stirrup([](int f, const RcPointCheck& p) { PutNum(f, p.aw); })});
    // What the shear stress check requires, beside what is provided.
    rows.push_back({"    必要量 Ａwa (mm2)"_sj, "####.#",
                    [](int f, const PointView& v) {
                        if (v.check->tuCK) PutNum(f, v.check->awa);
                    },
                    true});
    rows.push_back({"断面力 Ｍ (kN･m)"_sj, "####.##",
                    [](int f, const PointView& v) { PutMoment(f, v.check->shear.m); }});
    rows.push_back({"       Ｎ (kN)"_sj, "####.##",
                    [](int f, const PointView& v) { PutNum(f, v.check->shear.n); }});
    rows.push_back({"   せん断力 Ｓ (kN)"_sj, "####.##",
                    [](int f, const PointView& v) { PutNum(f, std::fabs(v.check->shear.s)); },
                    true});
    if (allowable) {
        const auto tu = [](auto get) {
            return [get](int f, const PointView& v) {
                if (v.check->tuCK) get(f, *v.check);
            };
        };
        rows.push_back({"せん断応力度 τc (N/mm2)"_sj, "##.###",
                        tu([](int f, const RcCaseCheck& c) { PutNum(f, c.tau); })});
        rows.push_back({"    許容値"_sj, "##.###",
                        tu([](int f, const RcCaseCheck& c) { PutNum(f, c.taUsed); })});
        rows.push_back({"基準許容応力度 τa1"_sj, "##.###",
                        tu([](int f, const RcCaseCheck& c) { PutNum(f, c.taBase); })});
        rows.push_back({"有効高補正 Ｃe"_sj, "##.##",
                        tu([](int f, const RcCaseCheck& c) { PutNum(f, c.ce); })});
        rows.push_back({"引張鉄筋比補正 Ｃpt"_sj, "##.##",
                        tu([](int f, const RcCaseCheck& c) { PutNum(f, c.cpt); })});
        rows.push_back({"圧縮力補正 ＣN"_sj, "##.##",
                        tu([](int f, const RcCaseCheck& c) { PutNum(f, c.cN); }), true});
    }
    if (ultimate) {
        const auto vy = [](auto get) {
            return [get](int f, const PointView& v) {
                if (v.check->vyCK) get(f, *v.check);
            };
        };
        rows.push_back({"降伏強度 fwyd (N/mm2)"_sj, "####.#",
                        vy([](int f, const RcCaseCheck& c) { PutNum(f, c.fwk); })});
        rows.push_back({"耐力 Vyd (kN)"_sj, "####.##",
                        vy([](int f, const RcCaseCheck& c) { PutNum(f, c.vyd); }), true});
    }
    const auto safe = [](auto get) {
        return [get](int f, const PointView& v) {
            if (v.check->tuCK || v.check->vyCK) get(f, *v.check);
        };
    };
    rows.push_back({"安全性"_sj, "##.###",
                    safe([](int f, const RcCaseCheck& c) { PutNum(f, std::max(c.ft, c.fv)); })});
    rows.push_back({"判定"_sj, "######", safe([](int f, const RcCaseCheck& c) {
                        PutTxt(f, (c.ngFt || c.ngFv) ? "*NG*" : "OK");
                    })});
    return rows;
}

std::string CheckCaseName(const RcCheckData& data, const FrameModel& model, int r) {
    const int k = FindCombinationIndex(model, data.checkCases[r].comboNo);
    const std::string t = k ? ReportSafeText(model.combinations[k].name) : std::string();
    return t.empty() ? "・・・"_sj : t;
}

void PrintRcHeading(const RcCheckData& data, const FrameModel& model, int r, bool listed) {
    SetFontMm(kBaseTextHeight, 0, 0, 0);
    const std::string name = CheckCaseName(data, model, r);
    if (listed)
        PrintTextLine(1, kRcHeadingY, ReportHeading("$>>%.% "_sj, name));
    else
        PrintTextLine(1, kRcHeadingY,
                      ReportHeading(FormatStr(" .%d ", data.checkCases[r].comboNo), name));
    SetFontMm(kBaseTextHeight, 0, 0, 1);
}

bool Descending(const FrameModel& model, const RcMemberChecks& m) {
    const int idx = FindMemberIndex(model, m.memberNo);
    return idx != 0 && std::cos(model.members[idx].angle) < -0.9;
}

}  // namespace

void PrintRcCheckSection(RcCheckData& data, const FrameModel& model) {
    if (data.memberChecks == nullptr) return;
    // 1. Chapter heading.
    NewReportPage();
    const double y0 = RunReportTemplate(0, {"+F2-|$>>%. 応力度の照査"_sj});
    // Read from a file and not calculated since: no forces, so no stresses
    // and no verdicts to print (tables of zeros would read as passing).
    if (data.forcesMissing) {
        RunReportTemplate(y0, {"----|  断面力が有りません。計算実行後に印刷してください。"_sj});
        return;
    }
    // 2. Every check case and member, each on its own page.
    const int cases = CheckedCount(data.checkCaseCount, kRcMaxCheckCases);
    const int members = CheckedCount(data.memberCount, kRcMaxMembers);
    bool firstPage = true;
    for (int r = 1; r <= cases; ++r) {
        for (int j = 1; j <= members; ++j) {
            if (!firstPage) NewReportPage();
            firstPage = false;
            PrintRcHeading(data, model, r, j == 1);
            const int p = SortMemberPointsByPosition(data.memberChecks[j], r, false)->pointCount;
            double y = kRcHeadingY;
            for (int first = 1; first <= p; first += kRcReportColumns) {
                if (first > 1) {
                    NewReportPage();
                    PrintRcHeading(data, model, r, false);
                    y = kRcHeadingY;
                }
                const int last = std::min(p, first + kRcReportColumns - 1);
                y = PrintRcCheckTable(y, data, model, j, first, last, r);
            }
        }
    }
}

double PrintRcCheckTable(double y, RcCheckData& data, const FrameModel& model, int member,
                         int first, int last, int checkCase) {
    if (data.memberChecks == nullptr || member < 1 || member > kRcMaxMembers || checkCase < 1 ||
        checkCase >= kRcCaseSlots)
        return y;
    // 1. Member line; the extreme rows take this case's depth sets. The
    // stored member stays as it is: the work is done on a copy.
    auto copy = std::make_unique<RcMemberChecks>(data.memberChecks[member]);
    RcMemberChecks& m = *copy;
    y = RunReportTemplate(y,
                          {"+F2-|  部材 : Bz######################    部材長 L######.### (m)"_sj});
    // The member's number and name within the 24 cells of its field.
    const std::string number = FormatStr("%d. ", m.memberNo);
    // The name's opening mark takes the blank after the number.
    FillNamedFieldText(
        "Bz",
        ReportHeading(
            number, ReportSafeText(m.name, std::max(1, 24 - 2 - static_cast<int>(number.size())))),
        0);
    FillNamedFieldNumber("L", m.length, 0);
    const int count = CheckedCount(m.pointCount, kRcMaxPoints);
    const auto apply = [&](int k, const RcDepthSet& bend, const RcDepthSet& shear) {
        if (k < 1) return;
        m.points[k].set1 = RcDepths{bend.h, bend.d1, bend.d2};
        m.points[k].set2 = RcDepths{shear.h, shear.d1, shear.d2};
    };
    if (count >= 2) {
        apply(count - 1, m.maxSet1[checkCase], m.maxSet2[checkCase]);
        apply(count, m.minSet1[checkCase], m.minSet2[checkCase]);
    }
    const bool descending = Descending(model, m);
    const std::unique_ptr<RcMemberChecks> sorted =
        SortMemberPointsByPosition(m, checkCase, descending);
    const RcMemberChecks& w = *sorted;
    first = std::max(first, 1);
    last = std::min({last, w.pointCount, first + kRcReportColumns - 1});
    std::vector<PointView> points;
    for (int k = first; k <= last; ++k)
        points.push_back({&w.points[k], &w.points[k].cases[checkCase],
                          PointPositionText(w, k, checkCase, descending)});
    // 2. Which kinds of checks the block shows.
    bool allowable = false, ultimate = false;
    for (const PointView& v : points) {
        allowable = allowable || v.check->sgCK || v.check->tuCK;
        ultimate = ultimate || v.check->muCK || v.check->vyCK;
    }
    // 3. Bending.
    const std::vector<RcRow> bending = BendingRows(allowable, ultimate);
    y = PrintRows(y, "  ・曲げ照査"_sj, bending, points);
    if (!(allowable && ultimate)) y += kReportLine;
    // 4. Shear; it moves to the next page when it would run off this one.
    const std::vector<RcRow> shear = ShearRows(allowable, ultimate);
    const double shearHeight = ReportTemplateHeight(RowsTemplate("", shear), 0) + kReportLine;
    if (!PageHasRoom(y, shearHeight)) {
        NewReportPage();
        y = 0;
    }
    y = PrintRows(y, "  ・せん断照査"_sj, shear, points);
    y = RunReportTemplate(
        y, {"+F2-|  安全性とは「発生応力度÷許容値」又は「発生力÷耐力」で1.0以下でOKとなる値。"_sj});
    // 5.
    return y;
}

#include "rccheck/rc_data_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rebar_table.h"

namespace {

// A table stops looking for its "EOB" after this many lines.
constexpr int kMaxTableLines = 99;
constexpr int kSectionTableLines = 40;
constexpr int kPointTableLines = 22;
constexpr int kCaseTableLines = 35;

// ---- Field tables --------------------------------------------------------

// A bar field of a section: bar number and count (legs for stirrups).
struct BarRef {
    float* d;
    float* n;
};

BarRef SectionBars(RcSection& s, const std::string& key) {
    if (key == "oD1") return {&s.outer.d1, &s.outer.n1};
    if (key == "oD2") return {&s.outer.d2, &s.outer.n2};
    if (key == "iD1") return {&s.inner.d1, &s.inner.n1};
    if (key == "iD2") return {&s.inner.d2, &s.inner.n2};
    if (key == "tDs") return {&s.stirrupD, &s.stirrupLegs};
    return {nullptr, nullptr};
}

float* SectionReal(RcSection& s, const std::string& key) {
    struct Entry {
        const char* key;
        float RcSection::*field;
    };
    static const Entry table[] = {
        {"B", &RcSection::b},       {"H", &RcSection::h},       {"oKs", &RcSection::k1},
        {"iKs", &RcSection::k2},    {"tStp", &RcSection::stirrupPitch},
        {"Sc1", &RcSection::sca1},  {"Ta1", &RcSection::ta1},   {"Ts1", &RcSection::tsa1},
        {"Fa1", &RcSection::fa1},   {"Ss1", &RcSection::ssa1},  {"Sc2", &RcSection::sca2},
        {"Ta2", &RcSection::ta2},   {"Ts2", &RcSection::tsa2},  {"Fa2", &RcSection::fa2},
        {"Ss2", &RcSection::ssa2},  {"fck", &RcSection::fck},   {"fyk", &RcSection::fyk},
        {"fwk", &RcSection::fwk},   {"Ec", &RcSection::ec},     {"Es", &RcSection::es},
    };
    for (const Entry& e : table)
        if (key == e.key) return &(s.*(e.field));
    return nullptr;
}

// Line order and cell formats of the section table.
struct KeyFormat {
    const char* key;
    const char* format;
};
const KeyFormat kSectionKeys[] = {
    {"No", "%9d,"},    {nullptr, "%9s,"},  {"B", "%9.0f,"},   {"H", "%9.0f,"},
    {"oD1", "%9s,"},   {"oD2", "%9s,"},    {"oKs", "%9.0f,"}, {"iD1", "%9s,"},
    {"iD2", "%9s,"},   {"iKs", "%9.0f,"},  {"tDs", "%9s,"},   {"tStp", "%9.0f,"},
    {"Sc1", "%9.2f,"}, {"Ta1", "%9.3f,"},  {"Ts1", "%9.3f,"}, {"Fa1", "%9.1f,"},
    {"Ss1", "%9.1f,"}, {"Sc2", "%9.2f,"},  {"Ta2", "%9.3f,"}, {"Ts2", "%9.3f,"},
    {"Fa2", "%9.1f,"}, {"Ss2", "%9.1f,"},  {"fck", "%9.2f,"}, {"fyk", "%9.1f,"},
    {"fwk", "%9.1f,"}, {"Ec", "%9.0f,"},   {"Es", "%9.0f,"},
};

// The case table: switches, then reals. Positions are written to the
// millimetre so that a point just inside a member end stays inside it.
struct CaseKey {
    const char* key;
    const char* format;
    std::uint8_t RcCaseCheck::*flag;
    float* (*real)(RcCaseCheck&);
};
#define RC_REAL(expr) [](RcCaseCheck& c) -> float* { return &(expr); }
const CaseKey kCaseKeys[] = {
    {"SgCK", "%9d,", &RcCaseCheck::sgCK, nullptr},
    {"MuCK", "%9d,", &RcCaseCheck::muCK, nullptr},
    {"TuCK", "%9d,", &RcCaseCheck::tuCK, nullptr},
    {"VyCK", "%9d,", &RcCaseCheck::vyCK, nullptr},
    {"Sca", "%9.2f,", nullptr, RC_REAL(c.sca)},
    {"Ssa", "%9.1f,", nullptr, RC_REAL(c.ssa)},
    {"Ta0", "%9.3f,", nullptr, RC_REAL(c.taBase)},
    {"Tsa", "%9.3f,", nullptr, RC_REAL(c.tsa)},
    {"fck", "%9.2f,", nullptr, RC_REAL(c.fck)},
    {"fyk", "%9.1f,", nullptr, RC_REAL(c.fyk)},
    {"fwk", "%9.3f,", nullptr, RC_REAL(c.fwk)},
    {"Ec", "%9.3f,", nullptr, RC_REAL(c.ec)},
    {"Es", "%9.3f,", nullptr, RC_REAL(c.es)},
    {"MzX", "%9.3f,", nullptr, RC_REAL(c.bend.x)},
    {"MzM", "%9.2f,", nullptr, RC_REAL(c.bend.m)},
    {"MzN", "%9.2f,", nullptr, RC_REAL(c.bend.n)},
    {"MzS", "%9.2f,", nullptr, RC_REAL(c.bend.s)},
    {"SyX", "%9.3f,", nullptr, RC_REAL(c.shear.x)},
    {"SyM", "%9.2f,", nullptr, RC_REAL(c.shear.m)},
    {"SyN", "%9.2f,", nullptr, RC_REAL(c.shear.n)},
    {"SyS", "%9.2f,", nullptr, RC_REAL(c.shear.s)},
    {"Gc", "%9.2f,", nullptr, RC_REAL(c.gc)},
    {"Gs", "%9.1f,", nullptr, RC_REAL(c.gs)},
    {"Gbm", "%9.3f,", nullptr, RC_REAL(c.gbm)},
    {"Gbc", "%9.3f,", nullptr, RC_REAL(c.gbc)},
    {"Gbs", "%9.3f,", nullptr, RC_REAL(c.gbs)},
    {"Ga", "%9.3f,", nullptr, RC_REAL(c.ga)},
    {"Gi", "%9.3f,", nullptr, RC_REAL(c.gi)},
};
#undef RC_REAL

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// ---- Writing -------------------------------------------------------------

// The key followed by a comma, padded with blanks to five bytes.
std::string KeyCell(const std::string& key) {
    std::string cell = key + ",";
    if (cell.size() < 5) cell.append(5 - cell.size(), ' ');
    return cell;
}

std::string RealCell(const char* format, float v) {
    return FormatStr(format, static_cast<double>(v));
}

std::string BarsCell(float d, float n) {
    return FormatStr("%9s,", FormatBars(static_cast<int>(d), n).c_str());
}

void AddBlankKeyLines(TStringList& list, int count) {
    for (int i = 0; i < count; ++i) list.Add(KeyCell(""));
}

std::string SectionCell(RcSection& s, const KeyFormat& kf) {
    if (kf.key == nullptr) return FormatStr(kf.format, RemoveSpaces(s.name).c_str());
    const std::string key = kf.key;
    if (key == "No") return FormatStr(kf.format, s.no);
    const BarRef bars = SectionBars(s, key);
    if (bars.d != nullptr) return BarsCell(*bars.d, *bars.n);
    return RealCell(kf.format, *SectionReal(s, key));
}

void WriteSectionTable(TStringList& list, const RcCheckData& rc) {
    const int count = Clamp(rc.sectionCount, 0, kRcMaxSections);
    list.Add("");
    list.Add(FormatStr("%s,%5d", "断面基準データ"_sj.c_str(), count));
    for (const KeyFormat& kf : kSectionKeys) {
        std::string line = KeyCell(kf.key != nullptr ? kf.key : "名称"_sj);
        for (int s = 1; s <= count; ++s) {
            RcSection copy = rc.sections[s];
            line += SectionCell(copy, kf);
        }
        list.Add(line);
    }
    AddBlankKeyLines(list, kSectionTableLines - 27);
    list.Add("EOB");
}

void WriteCheckCases(TStringList& list, const RcCheckData& rc) {
    const int count = Clamp(rc.checkCaseCount, 0, kRcMaxCheckCases);
    list.Add("");
    list.Add(FormatStr("%s,%5d,", "荷重組合せデータ"_sj.c_str(), count));
    for (int t = 1; t <= count; ++t) {
        const RcCheckCase& c = rc.checkCases[t];
        // Blanks removed: the reader splits cells at blanks.
        list.Add(FormatStr("%2d,%5d,%5d,  %s", t, c.checkType, c.comboNo,
                           RemoveSpaces(c.name).c_str()));
    }
    list.Add("EOB");
}

void WriteMember(TStringList& list, const FrameModel& model, const RcCheckData& rc, int m) {
    const RcMemberChecks& mb = rc.memberChecks[m];
    const int points = Clamp(mb.pointCount, 0, kRcMaxPoints);
    const int cases = Clamp(rc.checkCaseCount, 0, kRcMaxCheckCases);
    const int frameNo = m <= kMaxMembers ? model.members[m].no : 0;
    list.Add("");
    list.Add(FormatStr("%s,%d,%d,%d,%d", "部材断面ｉ(ib/No/np)"_sj.c_str(), m, frameNo, points, cases));
    list.Add(FormatStr("..%s,%0.2f", "設計基準強度"_sj.c_str(), static_cast<double>(mb.designStrength)));
    list.Add(FormatStr("..bzNo,%9d,  %s", mb.memberNo, RemoveSpaces(mb.name).c_str()));
    list.Add(FormatStr("..dmNo,%9d", mb.sectionNo));
    list.Add(FormatStr("..B0,  %9.1f", static_cast<double>(mb.b)));
    list.Add(FormatStr("..H0,  %9.1f", static_cast<double>(mb.h)));
    list.Add(FormatStr("..%s,%5d", "着目点数"_sj.c_str(), points));
    list.Add("..");
    list.Add("EOB");

    std::string name = KeyCell("名称"_sj), b = KeyCell("B"), t1 = KeyCell("oHt"), t2 = KeyCell("iHt");
    for (int p = 1; p <= points; ++p) {
        const RcPointCheck& pt = mb.points[p];
        name += FormatStr("%9s,", RemoveSpaces(pt.name).c_str());
        b += RealCell("%9.0f,", pt.b);
        t1 += RealCell("%9.1f,", pt.t1);
        t2 += RealCell("%9.1f,", pt.t2);
    }
    for (const std::string* line : {&name, &b, &t1, &t2}) list.Add(*line);
    AddBlankKeyLines(list, kPointTableLines - 4);
    list.Add("EOB");

    for (int t = 1; t <= cases; ++t) {
        const int comboNo = t <= kMaxCombinations ? model.combinations[t].no : 0;
        list.Add(FormatStr("%s,%4d,%4d", "ｹｰｽ"_sj.c_str(), t, comboNo));
        for (const CaseKey& ck : kCaseKeys) {
            std::string line = KeyCell(ck.key);
            for (int p = 1; p <= points; ++p) {
                RcCaseCheck c = mb.points[p].cases[t];
                if (ck.flag != nullptr) line += FormatStr(ck.format, static_cast<int>(c.*(ck.flag)));
                else line += RealCell(ck.format, *ck.real(c));
            }
            list.Add(line);
        }
        AddBlankKeyLines(list, kCaseTableLines - 28);
        list.Add("EOB");
    }
}

// ---- Reading -------------------------------------------------------------

std::vector<std::string> Cells(const std::string& line, const char* append) {
    TStringList cells;
    cells.SetCommaText(line + append);
    std::vector<std::string> out;
    for (int i = 0; i < cells.Count(); ++i) out.push_back(Trim(cells[i]));
    return out;
}

std::string CellAt(const std::vector<std::string>& cells, std::size_t i) {
    return i < cells.size() ? cells[i] : std::string();
}

float RealAt(const std::vector<std::string>& cells, std::size_t i) {
    const double v = TextToDouble(CellAt(cells, i));
    return std::isfinite(v) ? static_cast<float>(v) : 0.0f;
}

int TruncAt(const std::vector<std::string>& cells, std::size_t i) {
    const double v = TextToDouble(CellAt(cells, i));
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

// Reads the lines of one table after `line` up to its "EOB" (at most 99
// lines), handing each non-empty key line to `take`. Returns the index of
// the last line consumed.
template <typename Take>
int ReadTable(const TStringList& list, int line, const char* append, Take take) {
    for (int k = 0; k < kMaxTableLines && line + 1 < list.Count(); ++k) {
        ++line;
        const std::vector<std::string> cells = Cells(list[line], append);
        const std::string key = CellAt(cells, 0);
        if (key.empty()) continue;
        if (key == "EOB") break;
        take(key, cells);
    }
    return line;
}

void SetSectionField(RcSection& s, const std::string& key, const std::string& cell) {
    if (key == "No") {
        s.no = TextToInt(cell);
    } else if (key == "名称"_sj) {
        SetRcText(s.name, kRcNameSize, FitTextLength(cell, 40));
    } else if (BarRef bars = SectionBars(s, key); bars.d != nullptr) {
        float count = 0;
        *bars.d = static_cast<float>(ParseBars(cell, count));
        *bars.n = count;
    } else if (float* f = SectionReal(s, key); f != nullptr) {
        const double v = TextToDouble(cell);
        *f = std::isfinite(v) ? static_cast<float>(v) : 0.0f;
    }
}

int ReadSections(RcCheckData& rc, const TStringList& list, int line,
                 const std::vector<std::string>& head) {
    rc.sectionCount = Clamp(TextToInt(CellAt(head, 1)), 0, kRcMaxSections);
    return ReadTable(list, line, "", [&](const std::string& key, const std::vector<std::string>& c) {
        for (int s = 1; s <= rc.sectionCount; ++s)
            SetSectionField(rc.sections[s], key, CellAt(c, static_cast<std::size_t>(s)));
    });
}

int ReadCheckCases(RcCheckData& rc, const TStringList& list, int line,
                   const std::vector<std::string>& head) {
    // The declared count of lines follows; a damaged count is not trusted
    // beyond the table's "EOB" or the table's capacity.
    const int declared = Clamp(TextToInt(CellAt(head, 1)), 0, kRcMaxCheckCases);
    int read = 0;
    while (read < declared && line + 1 < list.Count()) {
        const std::vector<std::string> c = Cells(list[line + 1], ",,,,");
        // Every case line starts with its number; anything else ends a
        // table whose count was wrong.
        if (TextToInt(CellAt(c, 0)) <= 0) break;
        ++line;
        RcCheckCase& cc = rc.checkCases[++read];
        cc.checkType = TextToInt(CellAt(c, 1));
        cc.comboNo = TextToInt(CellAt(c, 2));
        SetRcText(cc.name, kRcNameSize, Trim(FitTextLength(CellAt(c, 3), 40)));
    }
    rc.checkCaseCount = read;
    return line;
}

void SetCaseField(RcCaseCheck& c, const std::string& key, const std::string& cell) {
    for (const CaseKey& ck : kCaseKeys) {
        if (key != ck.key) continue;
        const double v = TextToDouble(cell);
        if (ck.flag != nullptr) c.*(ck.flag) = (std::isfinite(v) && v != 0.0) ? 1 : 0;
        else *ck.real(c) = std::isfinite(v) ? static_cast<float>(v) : 0.0f;
        return;
    }
}

int ReadMemberHeader(RcMemberChecks& mb, const TStringList& list, int line) {
    return ReadTable(list, line, ",,,", [&](const std::string& key, const std::vector<std::string>& c) {
        const std::string value = CellAt(c, 1);
        if (key.find("設計基準強度"_sj) != std::string::npos) {
            mb.designStrength = RealAt(c, 1);
        } else if (key.find("bzNo") != std::string::npos) {
            mb.memberNo = TruncAt(c, 1);
            SetRcText(mb.name, kRcNameSize, FitTextLength(Trim(CellAt(c, 2)), 40));
        } else if (key.find("dmNo") != std::string::npos) {
            mb.sectionNo = TruncAt(c, 1);
        } else if (key.find("B0") != std::string::npos) {
            mb.b = RealAt(c, 1);
        } else if (key.find("H0") != std::string::npos) {
            mb.h = RealAt(c, 1);
        } else if (key.find("着目点数"_sj) != std::string::npos) {
            mb.pointCount = Clamp(TextToInt(value), 0, kRcMaxPoints);
        }
    });
}

int ReadPointTable(RcMemberChecks& mb, const TStringList& list, int line) {
    return ReadTable(list, line, "", [&](const std::string& key, const std::vector<std::string>& c) {
        const int points = std::min<int>(mb.pointCount, static_cast<int>(c.size()) - 1);
        for (int p = 1; p <= points; ++p) {
            RcPointCheck& pt = mb.points[p];
            const std::size_t i = static_cast<std::size_t>(p);
            if (key == "名称"_sj) SetRcText(pt.name, kRcPointNameSize, c[i]);
            else if (key == "B") pt.b = RealAt(c, i);
            else if (key == "oHt") pt.t1 = RealAt(c, i);
            else if (key == "iHt") pt.t2 = RealAt(c, i);
        }
    });
}

int ReadCaseTables(RcCheckData& rc, RcMemberChecks& mb, const TStringList& list, int line) {
    const std::string& caseKey = "ｹｰｽ"_sj;
    for (int t = 1; t <= rc.checkCaseCount; ++t) {
        int found = -1;
        for (int k = 0; k < kMaxTableLines && line + 1 < list.Count(); ++k) {
            ++line;
            if (list[line].compare(0, caseKey.size(), caseKey) == 0) {
                found = line;
                break;
            }
        }
        if (found < 0) break;
        line = ReadTable(list, line, "", [&](const std::string& key, const std::vector<std::string>& c) {
            const int points = std::min<int>(mb.pointCount, static_cast<int>(c.size()) - 1);
            for (int p = 1; p <= points; ++p)
                SetCaseField(mb.points[p].cases[t], key, c[static_cast<std::size_t>(p)]);
        });
    }
    return line;
}

int ReadMember(RcCheckData& rc, const FrameModel& model, const TStringList& list, int line,
               const std::vector<std::string>& head) {
    const int m = TextToInt(CellAt(head, 1));
    if (m < 1 || m > kRcMaxMembers) return line;  // no block to hold it
    RcMemberChecks& mb = rc.memberChecks[m];
    mb.memberNo = TextToInt(CellAt(head, 2));
    mb.pointCount = Clamp(TextToInt(CellAt(head, 3)), 0, kRcMaxPoints);
    rc.checkCaseCount = Clamp(TextToInt(CellAt(head, 4)), 0, kRcMaxCheckCases);
    rc.memberCount = m;
    mb.length = model.members[m].length;
    line = ReadMemberHeader(mb, list, line);
    line = ReadPointTable(mb, list, line);
    return ReadCaseTables(rc, mb, list, line);
}

}  // namespace

void WriteRcCheckData(TStringList& list, const FrameModel& model, const RcCheckData& rc) {
    WriteSectionTable(list, rc);
    WriteCheckCases(list, rc);
    const int members = Clamp(rc.memberCount, 0, kRcMaxMembers);
    for (int m = 1; m <= members; ++m) WriteMember(list, model, rc, m);
}

void ReadRcCheckData(RcCheckData& rc, const FrameModel& model, const TStringList& list) {
    rc.sectionCount = 0;
    rc.memberCount = 0;
    const std::string& memberHead = "部材断面ｉ("_sj;
    for (int line = 0; line < list.Count(); ++line) {
        const std::vector<std::string> head = Cells(list[line], ",,");
        const std::string key = CellAt(head, 0);
        if (key == "断面基準データ"_sj) line = ReadSections(rc, list, line, head);
        else if (key == "荷重組合せデータ"_sj) line = ReadCheckCases(rc, list, line, head);
        else if (key.compare(0, memberHead.size(), memberHead) == 0)
            line = ReadMember(rc, model, list, line, head);
    }
}

#include "rccheck/rc_data_file.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/frame_model.h"
#include "model/reader_warnings.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rc_prepare.h"
#include "rccheck/rebar_table.h"

namespace {

// A table stops looking for its "EOB" after this many lines.
constexpr int kMaxTableLines = 99;

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
        {"B", &RcSection::b},
        {"H", &RcSection::h},
        {"oKs", &RcSection::k1},
        {"iKs", &RcSection::k2},
        {"tStp", &RcSection::stirrupPitch},
        {"Sc1", &RcSection::sca1},
        {"Ta1", &RcSection::ta1},
        {"Ts1", &RcSection::tsa1},
        {"Fa1", &RcSection::fa1},
        {"Ss1", &RcSection::ssa1},
        {"Sc2", &RcSection::sca2},
        {"Ta2", &RcSection::ta2},
        {"Ts2", &RcSection::tsa2},
        {"Fa2", &RcSection::fa2},
        {"Ss2", &RcSection::ssa2},
        {"fck", &RcSection::fck},
        {"fyk", &RcSection::fyk},
        {"fwk", &RcSection::fwk},
        {"Ec", &RcSection::ec},
        {"Es", &RcSection::es},
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
    {"No", "%9d,"},    {nullptr, "%9s,"},  {"B", "%9.0f,"},   {"H", "%9.0f,"},   {"oD1", "%9s,"},
    {"oD2", "%9s,"},   {"oKs", "%9.0f,"},  {"iD1", "%9s,"},   {"iD2", "%9s,"},   {"iKs", "%9.0f,"},
    {"tDs", "%9s,"},   {"tStp", "%9.0f,"}, {"Sc1", "%9.2f,"}, {"Ta1", "%9.3f,"}, {"Ts1", "%9.3f,"},
    {"Fa1", "%9.1f,"}, {"Ss1", "%9.1f,"},  {"Sc2", "%9.2f,"}, {"Ta2", "%9.3f,"}, {"Ts2", "%9.3f,"},
    {"Fa2", "%9.1f,"}, {"Ss2", "%9.1f,"},  {"fck", "%9.2f,"}, {"fyk", "%9.1f,"}, {"fwk", "%9.1f,"},
    {"Ec", "%9.0f,"},  {"Es", "%9.0f,"},
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
    {"SgCK", "%9d,", &RcCaseCheck::sgCK, nullptr},  {"MuCK", "%9d,", &RcCaseCheck::muCK, nullptr},
    {"TuCK", "%9d,", &RcCaseCheck::tuCK, nullptr},  {"VyCK", "%9d,", &RcCaseCheck::vyCK, nullptr},
    {"Sca", "%9.2f,", nullptr, RC_REAL(c.sca)},     {"Ssa", "%9.1f,", nullptr, RC_REAL(c.ssa)},
    {"Ta0", "%9.3f,", nullptr, RC_REAL(c.taBase)},  {"Tsa", "%9.3f,", nullptr, RC_REAL(c.tsa)},
    {"fck", "%9.2f,", nullptr, RC_REAL(c.fck)},     {"fyk", "%9.1f,", nullptr, RC_REAL(c.fyk)},
    {"fwk", "%9.3f,", nullptr, RC_REAL(c.fwk)},     {"Ec", "%9.3f,", nullptr, RC_REAL(c.ec)},
    {"Es", "%9.3f,", nullptr, RC_REAL(c.es)},       {"MzX", "%9.3f,", nullptr, RC_REAL(c.bend.x)},
    {"MzM", "%9.2f,", nullptr, RC_REAL(c.bend.m)},  {"MzN", "%9.2f,", nullptr, RC_REAL(c.bend.n)},
    {"MzS", "%9.2f,", nullptr, RC_REAL(c.bend.s)},  {"SyX", "%9.3f,", nullptr, RC_REAL(c.shear.x)},
    {"SyM", "%9.2f,", nullptr, RC_REAL(c.shear.m)}, {"SyN", "%9.2f,", nullptr, RC_REAL(c.shear.n)},
    {"SyS", "%9.2f,", nullptr, RC_REAL(c.shear.s)}, {"Gc", "%9.2f,", nullptr, RC_REAL(c.gc)},
    {"Gs", "%9.1f,", nullptr, RC_REAL(c.gs)},       {"Gbm", "%9.3f,", nullptr, RC_REAL(c.gbm)},
    {"Gbc", "%9.3f,", nullptr, RC_REAL(c.gbc)},     {"Gbs", "%9.3f,", nullptr, RC_REAL(c.gbs)},
    {"Ga", "%9.3f,", nullptr, RC_REAL(c.ga)},       {"Gi", "%9.3f,", nullptr, RC_REAL(c.gi)},
};
#undef RC_REAL

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The force rows carry the member forces of the analysis: every calculation
// takes them in anew, so the file does not keep them (they were nine tenths
// of a file's size).
bool IsForceKey(const CaseKey& ck) {
    return std::strncmp(ck.key, "Mz", 2) == 0 || std::strncmp(ck.key, "Sy", 2) == 0;
}

// A point's case entry as the check type and the section make it from
// nothing: what a case table row that is not written reads as, whatever the
// record held before.
RcCaseCheck DerivedEntry(const RcSection& s, int checkType) {
    RcCaseCheck d{};
    ApplyCheckTypeToEntry(d, s, checkType);
    return d;
}

std::string CaseCell(const CaseKey& ck, RcCaseCheck c) {
    if (ck.flag != nullptr) return FormatStr(ck.format, static_cast<int>(c.*(ck.flag)));
    return FormatStr(ck.format, static_cast<double>(*ck.real(c)));
}

// ---- Writing -------------------------------------------------------------

// The key followed by a comma, padded with blanks to five bytes.
std::string KeyCell(const std::string& key) {
    std::string cell = key + ",";
    if (cell.size() < 5) cell.append(5 - cell.size(), ' ');
    return cell;
}

// A name as its cell holds it. Blanks separate cells when the file is
// read, so they are removed; a comma would end the cell and a double quote
// at its start would swallow the cells after it, so both become their
// full-width forms and the file stays readable by every reader of the format.
std::string NameCell(const std::string& name) {
    std::string out;
    for (const char c : RemoveSpaces(name)) {
        if (c == ',')
            out += "，"_sj;
        else if (c == '"')
            out += "”"_sj;
        else
            out += c;
    }
    return out;
}

std::string RealCell(const char* format, float v) {
    return FormatStr(format, static_cast<double>(v));
}

std::string BarsCell(float d, float n) {
    return FormatStr("%9s,", FormatBars(static_cast<int>(d), n).c_str());
}

std::string SectionCell(RcSection& s, const KeyFormat& kf) {
    if (kf.key == nullptr) return FormatStr(kf.format, NameCell(s.name).c_str());
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
    list.Add("EOB");
}

void WriteCheckCases(TStringList& list, const RcCheckData& rc) {
    const int count = Clamp(rc.checkCaseCount, 0, kRcMaxCheckCases);
    list.Add("");
    list.Add(FormatStr("%s,%5d,", "荷重組合せデータ"_sj.c_str(), count));
    for (int t = 1; t <= count; ++t) {
        const RcCheckCase& c = rc.checkCases[t];
        list.Add(
            FormatStr("%2d,%5d,%5d,  %s", t, c.checkType, c.comboNo, NameCell(c.name).c_str()));
    }
    list.Add("EOB");
}

void WriteMember(TStringList& list, const FrameModel& model, const RcCheckData& rc, int m) {
    const RcMemberChecks& mb = rc.memberChecks[m];
    const int points = Clamp(mb.pointCount, 0, kRcMaxPoints);
    const int cases = Clamp(rc.checkCaseCount, 0, kRcMaxCheckCases);
    const int frameNo = m <= kMaxMembers ? model.members[m].no : 0;
    list.Add("");
    list.Add(
        FormatStr("%s,%d,%d,%d,%d", "部材断面ｉ(ib/No/np)"_sj.c_str(), m, frameNo, points, cases));
    list.Add(
        FormatStr("..%s,%0.2f", "設計基準強度"_sj.c_str(), static_cast<double>(mb.designStrength)));
    list.Add(FormatStr("..bzNo,%9d,  %s", mb.memberNo, NameCell(mb.name).c_str()));
    list.Add(FormatStr("..dmNo,%9d", mb.sectionNo));
    list.Add(FormatStr("..B0,  %9.1f", static_cast<double>(mb.b)));
    list.Add(FormatStr("..H0,  %9.1f", static_cast<double>(mb.h)));
    list.Add(FormatStr("..%s,%5d", "着目点数"_sj.c_str(), points));
    list.Add("..");
    list.Add("EOB");

    std::string name = KeyCell("名称"_sj), b = KeyCell("B"), t1 = KeyCell("oHt"),
                t2 = KeyCell("iHt");
    for (int p = 1; p <= points; ++p) {
        const RcPointCheck& pt = mb.points[p];
        name += FormatStr("%9s,", NameCell(pt.name).c_str());
        b += RealCell("%9.0f,", pt.b);
        t1 += RealCell("%9.1f,", pt.t1);
        t2 += RealCell("%9.1f,", pt.t2);
    }
    for (const std::string* line : {&name, &b, &t1, &t2}) list.Add(*line);
    list.Add("EOB");

    // Only the rows in use: a row is written when some point's value in it
    // is not the one its check type and section give (a switch turned off,
    // an allowable typed), which is what the reader takes for a row that
    // is not there. Every case keeps its head and EOB, so that each reader
    // finds the cases of this member and no others.
    const RcSection& sec = rc.sections[FindRcSection(rc, mb.sectionNo)];
    constexpr std::size_t kKeys = sizeof kCaseKeys / sizeof kCaseKeys[0];
    for (int t = 1; t <= cases; ++t) {
        const int comboNo = t <= kMaxCombinations ? model.combinations[t].no : 0;
        list.Add(FormatStr("%s,%4d,%4d", "ｹｰｽ"_sj.c_str(), t, comboNo));
        bool inUse[kKeys] = {};
        for (int p = 1; p <= points; ++p) {
            RcCaseCheck c = mb.points[p].cases[t];
            RcCaseCheck d = DerivedEntry(sec, rc.checkCases[t].checkType);
            for (std::size_t k = 0; k < kKeys; ++k) {
                const CaseKey& ck = kCaseKeys[k];
                if (inUse[k] || IsForceKey(ck)) continue;
                // Formatted only where the values differ: most never do.
                const bool same =
                    ck.flag != nullptr ? c.*(ck.flag) == d.*(ck.flag) : *ck.real(c) == *ck.real(d);
                inUse[k] = !same && CaseCell(ck, c) != CaseCell(ck, d);
            }
        }
        for (std::size_t k = 0; k < kKeys; ++k) {
            if (!inUse[k]) continue;
            std::string line = KeyCell(kCaseKeys[k].key);
            for (int p = 1; p <= points; ++p) line += CaseCell(kCaseKeys[k], mb.points[p].cases[t]);
            list.Add(line);
        }
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

}  // namespace

float StoredRcFloat(double v) {
    // A number beyond the float range would become an infinity, saved as
    // "inf" and read back as 0: it is kept as the largest float instead,
    // which saves and reads back as itself.
    if (!std::isfinite(v)) return 0.0f;
    return static_cast<float>(
        std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

namespace {

float RealAt(const std::vector<std::string>& cells, std::size_t i) {
    return StoredRcFloat(TextToDouble(CellAt(cells, i)));
}

int TruncAt(const std::vector<std::string>& cells, std::size_t i) {
    const double v = TextToDouble(CellAt(cells, i));
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

// Value cells of a table line: the cells after the key, without the empty
// cell a closing comma leaves at the end.
int ValueCells(const std::vector<std::string>& cells) {
    std::size_t n = cells.size();
    while (n > 1 && cells[n - 1].empty()) --n;
    return static_cast<int>(n) - 1;
}

// The heads of the block's tables: a table never reads past one of them.
bool IsBlockHead(const std::string& line) {
    const std::vector<std::string> cells = Cells(line, ",");
    const std::string key = CellAt(cells, 0);
    const std::string& memberHead = "部材断面ｉ("_sj;
    return key == "断面基準データ"_sj || key == "荷重組合せデータ"_sj ||
           key.compare(0, memberHead.size(), memberHead) == 0;
}

// One table's key lines after `line` up to its "EOB" (at most 99 lines,
// never past the head of another table).
struct TableLines {
    std::vector<std::pair<std::string, std::vector<std::string>>> lines;
    int last = 0;         // index of the last line consumed
    bool closed = false;  // its "EOB" was found
};

TableLines ReadTable(const TStringList& list, int line, const char* append) {
    TableLines t;
    for (int k = 0; k < kMaxTableLines && line + 1 < list.Count(); ++k) {
        if (IsBlockHead(list[line + 1])) break;
        ++line;
        std::vector<std::string> cells = Cells(list[line], append);
        std::string key = CellAt(cells, 0);
        if (key.empty()) continue;
        if (key == "EOB") {
            t.closed = true;
            break;
        }
        t.lines.emplace_back(std::move(key), std::move(cells));
    }
    t.last = line;
    return t;
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
        *f = StoredRcFloat(TextToDouble(cell));
    }
}

void SetCaseField(RcCaseCheck& c, const std::string& key, const std::string& cell) {
    for (const CaseKey& ck : kCaseKeys) {
        if (key != ck.key) continue;
        const double v = TextToDouble(cell);
        if (ck.flag != nullptr)
            c.*(ck.flag) = (std::isfinite(v) && v != 0.0) ? 1 : 0;
        else
            *ck.real(c) = StoredRcFloat(v);
        return;
    }
}

// Reads the block, taking from it only what it holds: a count that promises
// more sections, cases, members or points than the tables carry is cut to
// what they carry, and every cut or skip is named in the warnings.
class Reader {
  public:
    Reader(RcCheckData& rc, const FrameModel& model, const TStringList& list)
        : rc_(rc), model_(model), list_(list) {}
    std::string Run();

  private:
    int ReadSections(int line, const std::vector<std::string>& head);
    int ReadCheckCases(int line, const std::vector<std::string>& head);
    int ReadMember(int line, const std::vector<std::string>& head);
    int ReadMemberHeader(RcMemberChecks& mb, int line);
    int ReadPointTable(RcMemberChecks& mb, int m, int declared, int line);
    int ReadCaseTables(RcMemberChecks& mb, int m, int line);
    void ReportUnknownBars();
    // The count a table's head declares, cut to what the table holds
    // (held) and to the capacity, with a warning for every difference.
    int Count(int declared, int held, int capacity, const std::string& what, const char* unit);
    void Unclosed(const TableLines& t, const std::string& what);

    RcCheckData& rc_;
    const FrameModel& model_;
    const TStringList& list_;
    ReaderWarnings warnings_;
    int casesRead_ = -1;  // check cases of the case table; -1 before it
    bool forcesRead_ = false;
    int membersRead_ = 0;
};

int Reader::Count(int declared, int held, int capacity, const std::string& what, const char* unit) {
    if (declared < 0) {
        warnings_.Add(
            FormatStr("%s %d は無効なため 0 としました."_sj.c_str(), what.c_str(), declared));
        declared = 0;
    }
    const int limit = std::min(held, capacity);
    if (declared > limit) {
        if (limit == capacity)
            warnings_.Add(FormatStr("%s %d を上限の %d に切り詰めました."_sj.c_str(), what.c_str(),
                                    declared, capacity));
        else
            warnings_.Add(
                FormatStr("%s %d に対し、データは %d %s分しか無いため %d %sとしました."_sj.c_str(),
                          what.c_str(), declared, held, unit, held, unit));
        return limit;
    }
    if (declared < held)
        warnings_.Add(FormatStr("%s %d を超える %d %s分のデータを読み飛ばしました."_sj.c_str(),
                                what.c_str(), declared, held - declared, unit));
    return declared;
}

void Reader::Unclosed(const TableLines& t, const std::string& what) {
    if (!t.closed)
        warnings_.Add(FormatStr("%sの表が EOB で終わっていません."_sj.c_str(), what.c_str()));
}

int Reader::ReadSections(int line, const std::vector<std::string>& head) {
    const TableLines t = ReadTable(list_, line, "");
    Unclosed(t, "RC断面データ"_sj);
    // The sections the table holds: the cells of its number line (or, when
    // that line is lost, of its longest line).
    int held = -1, longest = 0;
    for (const auto& [key, cells] : t.lines) {
        if (key == "No") held = ValueCells(cells);
        longest = std::max(longest, ValueCells(cells));
    }
    if (held < 0) held = longest;
    const int count = Count(TextToInt(CellAt(head, 1)), held, kRcMaxSections,
                            "RC断面データの断面数"_sj, "断面"_sj.c_str());
    rc_.sectionCount = count;
    for (const auto& [key, cells] : t.lines)
        for (int s = 1; s <= count; ++s)
            SetSectionField(rc_.sections[s], key, CellAt(cells, static_cast<std::size_t>(s)));
    ReportUnknownBars();
    return t.last;
}

void Reader::ReportUnknownBars() {
    for (int s = 1; s <= rc_.sectionCount; ++s) {
        RcSection& sec = rc_.sections[s];
        const struct {
            const std::string& what;
            float d, n;
        } bars[] = {
            {"外D1"_sj, sec.outer.d1, sec.outer.n1},
            {"外D2"_sj, sec.outer.d2, sec.outer.n2},
            {"内D1"_sj, sec.inner.d1, sec.inner.n1},
            {"内D2"_sj, sec.inner.d2, sec.inner.n2},
            {"せん断補強筋"_sj, sec.stirrupD, sec.stirrupLegs},
        };
        for (const auto& b : bars) {
            const int d = static_cast<int>(b.d);
            if (d != 0 && b.n < 0.0f) {
                warnings_.Add(FormatStr(
                    "RC断面 No.%d の %s D%d の本数 %.2f は負のため、鉄筋量 0 となります."_sj
                        .c_str(),
                    sec.no, b.what.c_str(), d, b.n));
                continue;
            }
            if (d == 0 || b.n == 0.0f || RebarSizeKnown(d)) continue;
            warnings_.Add(FormatStr(
                "RC断面 No.%d の %s D%d は鉄筋の断面積表に無いため、鉄筋量 0 となります."_sj
                    .c_str(),
                sec.no, b.what.c_str(), d));
        }
    }
}

int Reader::ReadCheckCases(int line, const std::vector<std::string>& head) {
    // Every case line starts with its number; the table ends where the
    // numbered lines end, whatever its head says.
    std::vector<std::vector<std::string>> lines;
    while (static_cast<int>(lines.size()) < kMaxTableLines && line + 1 < list_.Count()) {
        std::vector<std::string> c = Cells(list_[line + 1], ",,,,");
        if (TextToInt(CellAt(c, 0)) <= 0) break;
        ++line;
        lines.push_back(std::move(c));
    }
    const int count = Count(TextToInt(CellAt(head, 1)), static_cast<int>(lines.size()),
                            kRcMaxCheckCases, "荷重組合せデータのケース数"_sj, "ケース"_sj.c_str());
    for (int t = 1; t <= count; ++t) {
        const std::vector<std::string>& c = lines[static_cast<std::size_t>(t - 1)];
        RcCheckCase& cc = rc_.checkCases[t];
        cc.checkType = TextToInt(CellAt(c, 1));
        cc.comboNo = TextToInt(CellAt(c, 2));
        SetRcText(cc.name, kRcNameSize, Trim(FitTextLength(CellAt(c, 3), 40)));
    }
    rc_.checkCaseCount = count;
    casesRead_ = count;
    return line;
}

int Reader::ReadMemberHeader(RcMemberChecks& mb, int line) {
    const TableLines t = ReadTable(list_, line, ",,,");
    for (const auto& [key, c] : t.lines) {
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
            mb.pointCount = TextToInt(CellAt(c, 1));
        }
    }
    return t.last;
}

int Reader::ReadPointTable(RcMemberChecks& mb, int m, int declared, int line) {
    const TableLines t = ReadTable(list_, line, "");
    Unclosed(t, FormatStr("部材データ %d の着目点"_sj.c_str(), m));
    int held = 0;
    for (const auto& [key, cells] : t.lines) held = std::max(held, ValueCells(cells));
    const int count = Count(declared, held, kRcMaxPoints,
                            FormatStr("部材データ %d の着目点数"_sj.c_str(), m), "点"_sj.c_str());
    mb.pointCount = count;
    for (const auto& [key, c] : t.lines) {
        const int points = std::min<int>(count, static_cast<int>(c.size()) - 1);
        for (int p = 1; p <= points; ++p) {
            RcPointCheck& pt = mb.points[p];
            const std::size_t i = static_cast<std::size_t>(p);
            if (key == "名称"_sj)
                SetRcText(pt.name, kRcPointNameSize, c[i]);
            else if (key == "B")
                pt.b = RealAt(c, i);
            else if (key == "oHt")
                pt.t1 = RealAt(c, i);
            else if (key == "iHt")
                pt.t2 = RealAt(c, i);
        }
    }
    return t.last;
}

int Reader::ReadCaseTables(RcMemberChecks& mb, int m, int line) {
    const std::string& caseKey = "ｹｰｽ"_sj;
    for (int t = 1; t <= rc_.checkCaseCount; ++t) {
        int found = -1;
        for (int k = 0; k < kMaxTableLines && line + 1 < list_.Count(); ++k) {
            if (IsBlockHead(list_[line + 1])) break;
            ++line;
            if (list_[line].compare(0, caseKey.size(), caseKey) == 0) {
                found = line;
                break;
            }
        }
        if (found < 0) {
            warnings_.Add(
                FormatStr("部材データ %d のケース %d 以降の表が見つかりません."_sj.c_str(), m, t));
            break;
        }
        const std::string what = FormatStr("部材データ %d のケース %d"_sj.c_str(), m, t);
        const TableLines table = ReadTable(list_, line, "");
        Unclosed(table, what);
        // A row the table does not hold reads as its check type and section
        // give it (files keep only the rows in use); forces come from the
        // next calculation, never from the model read before.
        const RcSection& sec = rc_.sections[FindRcSection(rc_, mb.sectionNo)];
        for (int p = 1; p <= mb.pointCount; ++p)
            mb.points[p].cases[t] = DerivedEntry(sec, rc_.checkCases[t].checkType);
        for (const auto& [key, c] : table.lines) {
            if (key == "MzM") forcesRead_ = true;
            const int points = std::min<int>(mb.pointCount, static_cast<int>(c.size()) - 1);
            for (int p = 1; p <= points; ++p)
                SetCaseField(mb.points[p].cases[t], key, c[static_cast<std::size_t>(p)]);
        }
        line = table.last;
    }
    return line;
}

int Reader::ReadMember(int line, const std::vector<std::string>& head) {
    // Members are written in order 1, 2, 3...: a damaged number in a head
    // takes its place in that order rather than dropping the member.
    const int m = membersRead_ + 1;
    const std::string written = CellAt(head, 1);
    if (m > kRcMaxMembers) {
        warnings_.Add(
            FormatStr("部材データが上限の %d 部材を超えたため、以降を読み飛ばしました."_sj.c_str(),
                      kRcMaxMembers));
        return line;
    }
    if (TextToInt(written) != m || written.empty())
        warnings_.Add(
            FormatStr("%d 番目の部材データの見出しの番号 \"%s\" を %d として読みました."_sj.c_str(),
                      m, written.c_str(), m));
    membersRead_ = m;
    RcMemberChecks& mb = rc_.memberChecks[m];
    mb.memberNo = TextToInt(CellAt(head, 2));
    mb.pointCount = TextToInt(CellAt(head, 3));
    // The cases are those of the case table; a head that names more has no
    // names or types for them.
    const int declared = TextToInt(CellAt(head, 4));
    const int cases =
        Count(declared, casesRead_ >= 0 ? casesRead_ : std::max(declared, 0), kRcMaxCheckCases,
              FormatStr("部材データ %d のケース数"_sj.c_str(), m), "ケース"_sj.c_str());
    rc_.checkCaseCount = cases;
    rc_.memberCount = m;
    mb.length = m <= kMaxMembers ? model_.members[m].length : 0.0f;
    line = ReadMemberHeader(mb, line);
    line = ReadPointTable(mb, m, mb.pointCount, line);
    return ReadCaseTables(mb, m, line);
}

std::string Reader::Run() {
    rc_.sectionCount = 0;
    rc_.memberCount = 0;
    const std::string& memberHead = "部材断面ｉ("_sj;
    for (int line = 0; line < list_.Count(); ++line) {
        const std::vector<std::string> head = Cells(list_[line], ",,");
        const std::string key = CellAt(head, 0);
        if (key == "断面基準データ"_sj)
            line = ReadSections(line, head);
        else if (key == "荷重組合せデータ"_sj)
            line = ReadCheckCases(line, head);
        else if (key.compare(0, memberHead.size(), memberHead) == 0)
            line = ReadMember(line, head);
    }
    rc_.forcesMissing = rc_.memberCount > 0 && rc_.checkCaseCount > 0 && !forcesRead_;
    return warnings_.Text();
}

}  // namespace

void WriteRcCheckData(TStringList& list, const FrameModel& model, const RcCheckData& rc) {
    WriteSectionTable(list, rc);
    WriteCheckCases(list, rc);
    const int members = Clamp(rc.memberCount, 0, kRcMaxMembers);
    for (int m = 1; m <= members; ++m) WriteMember(list, model, rc, m);
}

void ReadRcCheckData(RcCheckData& rc, const FrameModel& model, const TStringList& list,
                     std::string& warnings) {
    warnings = Reader(rc, model, list).Run();
}

void ReadRcCheckData(RcCheckData& rc, const FrameModel& model, const TStringList& list) {
    std::string warnings;
    ReadRcCheckData(rc, model, list, warnings);
}

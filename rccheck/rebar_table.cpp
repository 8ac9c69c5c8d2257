#include "rccheck/rebar_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "model/frame_model.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/paths.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "rccheck/rc_records.h"

RebarAreaTableType RebarAreaTable{};

namespace {

// No, name, area of one bar (cm²), a fourth field that is not used.
const char* const kBuiltInRows[] = {
    " 1,  D10  ,   0.7122,  10", " 2,  D13  ,   1.267 ,  11", " 3,  D16  ,   1.986 ,  12",
    " 4,  D19  ,   2.865 ,  13", " 5,  D22  ,   3.871 ,  14", " 6,  D25  ,   5.067 ,  15",
    " 7,  D29  ,   6.424 ,  16", " 8,  D32  ,   7.942 ,  17", " 9,  D35  ,   9.566 ,  18",
    "10,  D38  ,  11.4   ,  19", "11,  D41  ,  13.4   ,  20", "12,  D51  ,  20.27  ,  21",
    "13,  M10  ,   0.58  ,  22", "14,  M12  ,   0.84  ,  23", "15,  M16  ,   1.57  ,  24",
    "16,  M20  ,   2.45  ,  25", "17,  M22  ,   3.03  ,  26", "18,  M24  ,   3.53  ,  27",
    "19,  M27  ,   4.59  ,  28", "20,  M30  ,   5.61  ,  29", "21,  M33  ,   6.94  ,  30",
    "22,  M36  ,   8.17  ,  31", "23,  M39  ,   9.76  ,  32",
};

void ReadRebarRows(const TStringList& lines) {
    std::memset(&RebarAreaTable, 0, sizeof(RebarAreaTable));
    for (int i = 0; i < lines.Count(); ++i) {
        // Headings and empty lines have no leading number.
        if (TextToInt(lines[i]) == 0) continue;
        std::string line = RemoveSpaces(lines[i]) + std::string(30, ',');
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        char* fields[4];
        const int count = SplitCommaInPlace(fields, 4, buffer.data());
        if (count < 3) continue;
        const std::string name = Trim(fields[1]);
        const double area = TextToDouble(fields[2]);
        if (name.empty() || !std::isfinite(area)) continue;
        int number = TextToInt(name.substr(1, 9));
        if (number < 0) number = 0;
        if (number >= kRebarTableSize) number = kRebarTableSize - 1;
        if (name[0] == 'D')
            RebarAreaTable.d[number] = area;
        else if (name[0] == 'M')
            RebarAreaTable.m[number] = area;
    }
}

}  // namespace

const std::string& RebarTableFileName() { return "鉄筋の断面積.csv"_sj; }

void LoadBuiltInRebarTable() {
    TStringList lines;
    for (const char* row : kBuiltInRows) lines.Add(row);
    ReadRebarRows(lines);
}

bool LoadRebarTableFrom(const std::string& fileName) {
    TStringList lines;
    if (!FileExists(fileName) || !lines.LoadFromFile(fileName)) {
        LoadBuiltInRebarTable();
        return false;
    }
    ReadRebarRows(lines);
    return true;
}

void LoadRebarTable() { LoadRebarTableFrom(GetExeFolder() + RebarTableFileName()); }

bool RebarSizeKnown(int barNumber) { return RebarArea(barNumber, 1.0) > 0.0; }

namespace {

// An empty text, or one whose digits are all zeros ("0", "0*0"), takes the
// bars away on purpose.
bool ClearsBars(const std::string& text) {
    bool digit = false;
    for (char ch : text) {
        if (ch >= '1' && ch <= '9') return false;
        digit = digit || ch == '0';
    }
    return digit || Trim(text).empty();
}

}  // namespace

std::string RefuseBarText(const std::string& text) {
    float count = 0.0f;
    const int bar = ParseBars(text, count);
    if (bar == 0 || count == 0.0f) {
        // Anything else that reads as no bars is a slip of the keyboard
        // ("25x6", "D25"), which would drop the steel without a word.
        if (ClearsBars(text)) return "";
        return "鉄筋は 径*本数（例 19*8）で入力して下さい。"_sj;
    }
    if (bar < 0 || count < 0.0f) return "鉄筋の径と本数は 0 以上で入力して下さい。"_sj;
    if (RebarSizeKnown(bar)) return "";
    return FormatStr("D%d %s", bar, "は鉄筋の断面積表に無いので受け付けません。"_sj.c_str());
}

double RebarArea(int barNumber, double count) {
    if (RebarAreaTable.d[16] == 0.0) LoadRebarTable();
    // An exact look-up: a bar number without a row has no area, rather than
    // borrowing a neighbour's (a D6 read as D10 would overstate the steel).
    // A negative count is no steel, never a negative area.
    if (barNumber < 0 || barNumber >= kRebarTableSize || !(count > 0.0)) return 0.0;
    return RebarAreaTable.d[barNumber] * 100.0 * count;
}

std::string FormatBars(int barNumber, double count) {
    if (barNumber * count == 0.0 || RebarArea(barNumber, count) == 0.0) return "";
    return FormatStr("D%d%s%.2f", barNumber, "×"_sj.c_str(), count);
}

int ParseBars(const std::string& text, float& count) {
    std::string s = Trim(text);
    if (!s.empty() && s[0] == 'D') s.erase(0, 1);
    std::size_t sep = s.find('*');
    std::size_t sepLen = 1;
    if (sep == std::string::npos) {
        sep = s.find("×"_sj);
        sepLen = "×"_sj.size();
    }
    count = 0.0f;
    if (sep == std::string::npos) return 0;
    const double number = TextToDouble(s.substr(0, sep));
    const double n = TextToDouble(s.substr(sep + sepLen, 9));
    count = static_cast<float>(std::isfinite(n) ? Round2(n) : 0.0);
    if (!std::isfinite(number) || std::fabs(number) > 1e6) return 0;
    return static_cast<int>(number);
}

namespace {

// The default RC section of the frame section in slot i.
// The default values of every RC section but its number, height and name.
RcSection DefaultRcValues(int no) {
    RcSection s{};
    s.no = no;
    s.b = 1000.0f;
    s.k1 = s.k2 = 30.0f;
    s.outer = {19.0f, 8.0f, 0.0f, 0.0f};
    s.inner = {22.0f, 8.0f, 0.0f, 0.0f};
    s.stirrupD = 13.0f;
    s.stirrupLegs = 2.0f;
    s.stirrupPitch = 250.0f;
    s.sca1 = 8.0f;
    s.ta1 = 0.27f;
    s.tsa1 = 2.5f;
    s.fa1 = 0.0f;
    s.ssa1 = 160.0f;
    s.sca2 = 12.0f;
    s.ta2 = 0.405f;
    s.tsa2 = 3.75f;
    s.fa2 = 0.0f;
    s.ssa2 = 240.0f;
    s.ec = 31000.0f;
    s.es = 200000.0f;
    s.fck = 40.0f;
    s.fyk = s.fwk = 345.0f;
    return s;
}

RcSection DefaultRcSection(const FrameModel& model, int i) {
    const FrameSection& fs = model.sections[i];
    RcSection s = DefaultRcValues(fs.no);
    // A section given as area for a 1 m wide strip: h in mm.
    s.h = static_cast<float>(Round0(fs.area * 1000.0));
    std::string name = Trim(fs.name);
    if (name.empty()) {
        // An unnamed section takes the name and concrete modulus of the
        // last member that uses it (material E in kN/m² -> N/mm²).
        for (int m = 1; m <= model.memberCount && m <= kMaxMembers; ++m) {
            const FrameMember& mem = model.members[m];
            if (mem.sectionNo != fs.no) continue;
            name = Trim(mem.name);
            const int mat = FindMaterialIndex(model, mem.materialNo);
            if (mat > 0) s.ec = static_cast<float>(model.materials[mat].e * 0.001);
        }
    }
    if (name.empty()) name = FormatStr("(%d)", fs.no);
    // A comma breaks the name's cell into two lines and would end its cell
    // in the data file: it becomes the full-width comma the file keeps.
    std::string kept;
    for (const char c : name) kept += c == ',' ? "，"_sj : std::string(1, c);
    SetRcText(s.name, kRcNameSize, kept);
    return s;
}

}  // namespace

void InitRcSections(RcCheckData& rc, const FrameModel& model) {
    std::memset(rc.sections, 0, sizeof(rc.sections));
    const int count = CheckedCount(model.sectionCount, kRcMaxSections);
    rc.sectionCount = count;
    for (int i = 1; i <= count; ++i) rc.sections[i] = DefaultRcSection(model, i);
}

RcSection NewRcSection(const FrameModel* model, int no) {
    const int i = model != nullptr ? FindSectionIndex(*model, no) : 0;
    if (i > 0) return DefaultRcSection(*model, i);
    RcSection s = DefaultRcValues(no);
    SetRcText(s.name, kRcNameSize, FormatStr("(%d)", no));
    return s;
}

int AddDefaultRcSection(RcCheckData& rc, const FrameModel& model, int frameSectionNo) {
    const int count = CheckedCount(rc.sectionCount, kRcMaxSections);
    for (int k = 1; k <= count; ++k)
        if (rc.sections[k].no == frameSectionNo) return k;
    const int i = FindSectionIndex(model, frameSectionNo);
    if (i <= 0 || count >= kRcMaxSections) return 0;
    rc.sections[count + 1] = DefaultRcSection(model, i);
    rc.sectionCount = count + 1;
    return count + 1;
}

void MergeEqualRcSections(RcCheckData& rc) {
    const int count = rc.sectionCount < kRcMaxSections ? rc.sectionCount : kRcMaxSections;
    for (int i = 1; i < count; ++i) {
        RcSection& a = rc.sections[i];
        if (a.no == 0) continue;
        for (int k = i + 1; k <= count; ++k) {
            RcSection& c = rc.sections[k];
            if (c.no == 0) continue;
            if (Trim(a.name) != Trim(c.name) || a.b != c.b || a.h != c.h) continue;
            const int old = c.no;
            c.no = 0;
            for (int m = 1; m <= rc.memberCount && m <= kRcMaxMembers; ++m) {
                if (rc.memberChecks[m].sectionNo == old) rc.memberChecks[m].sectionNo = a.no;
            }
        }
    }
    int kept = 0;
    for (int i = 1; i <= count; ++i) {
        if (rc.sections[i].no == 0) continue;
        ++kept;
        if (kept != i) rc.sections[kept] = rc.sections[i];
    }
    for (int i = kept + 1; i <= count; ++i) std::memset(&rc.sections[i], 0, sizeof(RcSection));
    rc.sectionCount = kept;
}

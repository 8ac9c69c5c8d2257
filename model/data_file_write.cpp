// Writer of the frame sections of a ".$O1" data file.
//
// Every line is laid out in fixed columns. The reader splits at blanks and
// commas, so the one thing a field must never do is fill its columns
// completely where no separator follows: numbers that would are written
// with fewer decimals (coordinates, positions) or as 0 (tiny mantissa-
// exponent values), and names are cut at a character boundary to the width
// the reader takes, so that a written file reads back to the same model and
// writes again to the same bytes.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "model/data_file.h"
#include "model/data_file_internal.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/file_replace.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace datafile_detail {

std::string CutToBytes(const std::string& text, std::size_t len) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t n = static_cast<std::size_t>(CharByteCount(text, pos));
        // A lone lead byte at the very end (a damaged text) would swallow
        // the next byte of the line when read back.
        const bool loneLead = n == 1 && IsLeadByte(static_cast<unsigned char>(text[pos]));
        if (pos + n > len || loneLead) break;
        pos += n;
    }
    return text.substr(0, pos);
}

std::string TrimText(const std::string& text) {
    std::size_t first = text.size();
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t n = static_cast<std::size_t>(CharByteCount(text, pos));
        if (n == 2 || static_cast<unsigned char>(text[pos]) > ' ') {
            first = std::min(first, pos);
            end = pos + n;
        }
        pos += n;
    }
    return first < end ? text.substr(first, end - first) : std::string();
}

std::string FixedText(const char* text, std::size_t size) {
    std::string out(text, strnlen(text, size));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return out;
}

}  // namespace datafile_detail

using namespace datafile_detail;

namespace {

// A name as the reader will take it back: its column width at most, without
// blanks at either end.
std::string NameForFile(const char* name, std::size_t width) {
    return TrimText(CutToBytes(TrimText(FixedText(name, kNameSize)), width));
}

// value in width columns with at most the given decimals, always leaving at
// least one leading blank so that a field glued to the one before it still
// reads apart: decimals are dropped one by one, and a value too large even
// for 0 decimals goes to exponent notation.
std::string FixedField(double value, int width, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    std::string text;
    for (int d = decimals; d >= 0; --d) {
        text = FormatStr("%.*f", d, value);
        if (static_cast<int>(text.size()) < width) return FormatStr("%*s", width, text.c_str());
    }
    for (int p = 6; p >= 0; --p) {
        text = FormatStr("%.*e", p, value);
        if (static_cast<int>(text.size()) < width) break;
    }
    return FormatStr("%*s", width, text.c_str());
}

// The keyword of a table section: "%-10s %4d".
std::string KeywordLine(const char* keyword, int count) {
    return FormatStr("%-10s %4d", keyword, count);
}

void WriteHeader(TStringList& list, const FrameModel& model) {
    const FrameModelHeader& h = model.header;
    list.Add(FormatStr("%-10s%s", "FRAME", CutToBytes(FixedText(h.modelId, 32), 30).c_str()));
    list.Add(FormatStr("%-10s%s", "TITLE", CutToBytes(FixedText(h.title, kNameSize), 40).c_str()));
    list.Add(FormatStr("%-10s", "CONTROL1") + " 格点 部材 材質 断面 バＣ バネ 支Ｃ 支点"_sj);
    list.Add(FormatStr("%15d %4d %4d %4d %4d %4d %4d %4d", CheckedCount(model.nodeCount, kMaxNodes),
                       CheckedCount(model.memberCount, kMaxMembers),
                       CheckedCount(model.materialCount, kMaxMaterials),
                       CheckedCount(model.sectionCount, kMaxSections),
                       CheckedCount(model.springCaseCount, kMaxSpringCases),
                       model.springCaseReserved,
                       CheckedCount(model.supportCaseCount, kMaxSupportCases),
                       model.supportCaseReserved));
    list.Add(FormatStr("%-10s", "CONTROL2") + " 荷重 組合 抽出 二重 剛Ｓ 剛Ｂ"_sj);
    // The PICK-CASE, POINT2 and GOUIKI tables are never filled nor read: their
    // counts are always written as 0 so no reader looks for their lines.
    list.Add(FormatStr("%15d %4d %4d %4d %4d %4d", CheckedCount(model.loadCaseCount, kMaxLoadCases),
                       CheckedCount(model.combinationCount, kMaxCombinations), 0, 0,
                       model.rigidZoneSwitch, 0));
    list.Add(FormatStr("%-10s", "CONTROL3") + " リナ Mmax 着点 割増 プレ"_sj);
    list.Add(FormatStr("%15d %4d %4d %4d %4d", h.optRenumber, h.optMmax, h.optViewPoint,
                       h.optExtraFactor, h.optPrestress));
}

void WriteNodes(TStringList& list, const FrameModel& model) {
    const int n = CheckedCount(model.nodeCount, kMaxNodes);
    list.Add(KeywordLine("POINT", n));
    for (int i = 1; i <= n; ++i) {
        const FramePoint& p = model.nodes[i];
        list.Add(FormatStr("%10d", p.no) + FixedField(p.x, 10, 4) + FixedField(p.y, 10, 4));
    }
}

// "%10d %29s": the number, then blanks up to column 40 for the fields.
std::string NumberAndBlanks(int no, int blanks) { return FormatStr("%10d %*s", no, blanks, ""); }

// How far a number below -999999999 (eleven characters in "%10d") pushes
// the fields after it, which are then written that much further on.
int Overhang(int no) { return std::max(0, static_cast<int>(FormatStr("%d", no).size()) - 10); }

void WriteMaterials(TStringList& list, const FrameModel& model) {
    const int n = CheckedCount(model.materialCount, kMaxMaterials);
    list.Add(KeywordLine("MATERIAL", n));
    for (int i = 1; i <= n; ++i) {
        const FrameMaterial& m = model.materials[i];
        std::string line = NumberAndBlanks(m.no, 29);
        const int at = 10 + Overhang(m.no);
        FormatMantExp(line, at, 10, 5, m.e);
        FormatMantExp(line, at + 15, 10, 5, m.alpha);
        list.Add(line);
    }
}

void WriteSections(TStringList& list, const FrameModel& model) {
    const int n = CheckedCount(model.sectionCount, kMaxSections);
    list.Add(KeywordLine("SECTION", n));
    for (int i = 1; i <= n; ++i) {
        const FrameSection& s = model.sections[i];
        std::string line = NumberAndBlanks(s.no, 29);
        // An area or inertia of 0 (or less) is written as 1e-9: the vendor
        // library divides by them.
        const int at = 10 + Overhang(s.no);
        FormatMantExp(line, at, 10, 5, s.area > 1e-9f ? s.area : 1e-9);
        FormatMantExp(line, at + 15, 10, 5, s.inertia > 1e-9f ? s.inertia : 1e-9);
        line += FormatStr("%10s%s", "", NameForFile(s.name, 40).c_str());
        list.Add(line);
    }
}

void WriteMembers(TStringList& list, const FrameModel& model) {
    const int n = CheckedCount(model.memberCount, kMaxMembers);
    list.Add(KeywordLine("MEMBER", n));
    for (int i = 1; i <= n; ++i) {
        const FrameMember& m = model.members[i];
        // Rigid zones as " %9.3f", kept to their columns so the name after
        // them stays in place.
        list.Add(FormatStr("%10d %4d %4d %4d %4d %4d %4d    ", m.no, m.nodeI, m.nodeJ, m.sectionNo,
                           m.materialNo, m.endI, m.endJ) +
                 FixedField(m.rigidI, 10, 3) + FixedField(m.rigidJ, 10, 3) + " " +
                 NameForFile(m.name, 40));
    }
}

void WriteSpringCases(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.springCaseCount, kMaxSpringCases);
    for (int c = 1; c <= cases; ++c) {
        const BaneCase& bc = model.springCases[c];
        const int n = CheckedCount(bc.count, kMaxSpringEntries);
        list.Add(FormatStr("%-10s %4d %4d %18s %s", "BANE-CASE", bc.no, n, "",
                           NameForFile(bc.name, 40).c_str()));
        for (int k = 1; k <= n; ++k) {
            const BaneEntry& e = bc.entries[k];
            std::string line = NumberAndBlanks(e.memberNo, 29);
            const int at = 10 + Overhang(e.memberNo);
            FormatMantExp(line, at, 10, 3, e.kv);
            FormatMantExp(line, at + 20, 10, 3, e.ku);
            list.Add(line);
        }
    }
}

void WriteSupportCases(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.supportCaseCount, kMaxSupportCases);
    for (int c = 1; c <= cases; ++c) {
        const SuptCase& sc = model.supportCases[c];
        const int n = CheckedCount(sc.count, kMaxSupportEntries);
        list.Add(FormatStr("%-10s %4d %4d %18s %s", "SUPT-CASE", sc.no, n, "",
                           NameForFile(sc.name, 40).c_str()));
        for (int k = 1; k <= n; ++k) {
            const SuptEntry& e = sc.entries[k];
            std::string line = FormatStr("%10d %59s %4d", e.nodeNo, "", e.code);
            const float values[6] = {e.kx, e.ky, e.km, e.reserved[0], e.reserved[1], e.reserved[2]};
            const int at = 10 + Overhang(e.nodeNo);
            for (int f = 0; f < 6; ++f) FormatMantExp(line, at + 10 * f, 7, 3, values[f]);
            list.Add(line);
        }
    }
}

void WriteViewPoints(TStringList& list, const FrameModel& model) {
    const int n1 = CheckedCount(model.view1Count, kMaxView1);
    list.Add(KeywordLine("VIEW-1", n1));
    for (int i = 1; i <= n1; ++i) {
        const View1Range& r = model.view1[i];
        list.Add(FormatStr("%10d %4d %4d", r.firstMember, r.lastMember, r.divisions));
    }
    const int n2 = CheckedCount(model.view2Count, kMaxView2);
    list.Add(KeywordLine("VIEW-2", n2));
    for (int i = 1; i <= n2; ++i) {
        const View2Member& v = model.view2[i];
        const int count = CheckedCount(v.count, kMaxViewPoints);
        list.Add(FormatStr("%10d %4d", v.memberNo, count));
        // Positions follow one another without a separator.
        std::string values;
        for (int k = 1; k <= count; ++k) values += FixedField(v.dist[k], 10, 3);
        list.Add(values);
    }
}

void WriteLoadCases(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.loadCaseCount, kMaxLoadCases);
    for (int c = 1; c <= cases; ++c) {
        const LoadCase& lc = model.loadCases[c];
        const int n = CheckedCount(lc.count, kMaxLoads);
        list.Add(FormatStr("%-10s %4d %4d %4d %4d %8s %s", "LOAD-CASE", lc.no, n, lc.baneCaseNo,
                           lc.suptCaseNo, "", NameForFile(lc.name, 40).c_str()));
        for (int k = 1; k <= n; ++k) {
            const LoadRecord& r = lc.loads[k];
            list.Add(FormatStr("%10d %4d %4d %9.3f %9.3f %9.3f %9.3f", r.code, r.memberFrom,
                               r.memberTo, FiniteOr0(r.qI), FiniteOr0(r.qJ), FiniteOr0(r.distI),
                               FiniteOr0(r.distJ)));
        }
    }
}

void WriteCombinations(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.combinationCount, kMaxCombinations);
    for (int c = 1; c <= cases; ++c) {
        const KumiCase& kc = model.combinations[c];
        const int n = CheckedCount(kc.count, kMaxCombinationEntries);
        list.Add(FormatStr("%-10s %4d %4d", "KUMI-CASE", kc.no, n) + FixedField(kc.factor, 10, 4) +
                 FormatStr(" %8s %s", "", NameForFile(kc.name, 40).c_str()));
        for (int k = 1; k <= n; ++k) {
            const KumiEntry& e = kc.entries[k];
            list.Add(FormatStr("%15d", e.loadCaseNo) + FixedField(e.factor, 15, 4));
        }
    }
}

// The names of the points of interest, 20 bytes each, blank-padded.
void WritePointNames(TStringList& list, const FrameModel& model) {
    const int n2 = CheckedCount(model.view2Count, kMaxView2);
    list.Add(KeywordLine("V2-NAME", n2));
    for (int i = 1; i <= n2; ++i) {
        const View2Member& v = model.view2[i];
        const int count = CheckedCount(v.count, kMaxViewPoints);
        std::string line = FormatStr("%4d %4d ", v.memberNo, count);
        for (int k = 1; k <= count; ++k) {
            const std::string name = CutToBytes(FixedText(v.pointName[k], kPointNameSize), 20);
            line += name + std::string(20 - name.size(), ' ');
        }
        list.Add(line);
    }
}

}  // namespace

void FormatMantExp(std::string& line, int column, int m, int e, double value) {
    m = std::clamp(m, 4, 10);
    e = std::clamp(e, 2, 5);
    if (column < 0) column = 0;
    // The factor lifts values such as 0.1f (0.0999999...) over the decimal
    // they stand for before the mantissa is cut.
    double v = std::isnan(value) ? 0.0 : value * 1.0000001;
    if (std::fabs(v) < 1e-10) v = 0.0;
    if (std::isinf(v)) v = std::copysign(DBL_MAX, v);
    std::string printed = FormatStr("%.7E", v);  // "-d.dddddddE+dd"
    const std::size_t ePos = printed.find('E');
    std::string mantissa = printed.substr(0, ePos);
    int exponent = std::atoi(printed.c_str() + ePos + 1);
    // The exponent must leave a blank in front of it, else it glues to the
    // mantissa: e columns hold exponents of at most e - 1 characters.
    int largest = 1;
    for (int k = 1; k < e; ++k) largest *= 10;
    const int maxExponent = largest - 1;
    const int minExponent = -(largest / 10 - 1);
    if (exponent > maxExponent) {
        mantissa = v < 0 ? "-9.9999999" : "9.9999999";
        exponent = maxExponent;
    } else if (exponent < minExponent) {
        mantissa = "0.0000000";
        exponent = 0;
    }
    // The mantissa as "%16.7E" places it: right-aligned in the 12 columns
    // before "E+dd"; the field keeps its first m characters (cut, not rounded).
    const std::string field = (std::string(12 - mantissa.size(), ' ') + mantissa).substr(0, m) +
                              FormatStr("%*d", e, exponent);
    const std::size_t start = static_cast<std::size_t>(column);
    const std::size_t end = start + field.size();
    if (line.size() < end) line.resize(end, ' ');
    line.replace(start, field.size(), field);
    if (line.size() > end) line[end] = ' ';
}

void WriteFrameDataFile(TStringList& list, const FrameModel& model, int /*format*/) {
    list.Clear();
    WriteHeader(list, model);
    WriteNodes(list, model);
    WriteMaterials(list, model);
    WriteSections(list, model);
    WriteMembers(list, model);
    WriteSpringCases(list, model);
    WriteSupportCases(list, model);
    WriteViewPoints(list, model);
    WriteLoadCases(list, model);
    WriteCombinations(list, model);
    list.Add("END");
    WritePointNames(list, model);
    list.Add("END");
}

std::string FrameDataFileText(const FrameModel& model) {
    TStringList list;
    WriteFrameDataFile(list, model, kFrameFileFormat);
    return list.Text();
}

bool WriteFrameDataFile(const std::string& fileName, const FrameModel& model,
                        const TStringList* rcBlock) {
    TStringList list;
    WriteFrameDataFile(list, model, kFrameFileFormat);
    if (rcBlock != nullptr)
        for (int i = 0; i < rcBlock->Count(); ++i) list.Add((*rcBlock)[i]);
    // The user's model: on the disk before it takes the old file's place.
    return WriteFileReplacing(fileName, list.Text(), true);
}

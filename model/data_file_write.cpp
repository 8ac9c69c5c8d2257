// Writer of the frame sections of a ".$O1" data file.
//
// Every line is laid out in fixed columns. The reader splits at blanks and
// commas, so the one thing a field must never do is fill its columns
// completely where no separator follows: numbers that would are written
// with fewer decimals (coordinates, positions) or as 0 (tiny mantissa-
// exponent values), and names are cut at a character boundary to the width
// the reader takes, so that a written file reads back to the same model and
// writes again to the same bytes.
//
// A line that holds one row of a table, its fields in the order of the
// table's grid columns, is laid out by the table's description
// (model_tables.h); the header, the case keyword lines, the support entries
// and the points of interest have layouts of their own.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#include "model/data_file.h"
#include "model/data_file_internal.h"
#include "model/frame_model.h"
#include "model/model_tables.h"
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
    list.Add(FormatStr(
        "%15d %4d %4d %4d %4d %4d %4d %4d", CheckedCount(model.nodeCount, kMaxNodes),
        CheckedCount(model.memberCount, kMaxMembers),
        CheckedCount(model.materialCount, kMaxMaterials),
        CheckedCount(model.sectionCount, kMaxSections),
        CheckedCount(model.springCaseCount, kMaxSpringCases), model.springCaseReserved,
        CheckedCount(model.supportCaseCount, kMaxSupportCases), model.supportCaseReserved));
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

// One line of a table as its description lays it out: the file fields of
// its columns one after another, each after its leading blanks.
template <class R>
std::string TableLine(const ModelTable<R>& table, const R& row) {
    std::string line;
    for (const TableColumn<R>& c : table.columns) {
        const FileField& f = c.file;
        if (f.kind == FileKind::None) continue;
        line.append(static_cast<std::size_t>(f.lead), ' ');
        const double v = c.field.Number(row);
        const int at = static_cast<int>(line.size());
        switch (f.kind) {
            case FileKind::Int:
                line += FormatStr("%*d", f.width, static_cast<int>(v));
                break;
            case FileKind::Fixed:
                line += FixedField(v, f.width, f.digits);
                break;
            case FileKind::Printf:
                line += FormatStr("%*.*f", f.width, f.digits, FiniteOr0(v));
                break;
            case FileKind::MantExp:
                FormatMantExp(line, at, f.width, f.digits, v);
                break;
            case FileKind::MantExpNonZero:
                FormatMantExp(line, at, f.width, f.digits, v > 1e-9f ? v : 1e-9);
                break;
            case FileKind::Text: {
                int size = 0;
                line += NameForFile(c.field.Text(row, size), static_cast<std::size_t>(f.width));
                break;
            }
            case FileKind::None:
                break;
        }
    }
    return line;
}

// A table's section: its keyword with the count, then one line per row.
template <class R, std::size_t N>
void WriteTable(TStringList& list, const R (&rows)[N], int count) {
    const ModelTable<R>& table = TableOf(rows);
    const int n = CheckedCount(count, static_cast<int>(N) - 1);
    list.Add(KeywordLine(table.fileKeyword, n));
    for (int i = 1; i <= n; ++i) list.Add(TableLine(table, rows[i]));
}

// A case's keyword line holds the count of its entries between its number
// and its name (from column 41), a layout of its own; the entries are lines
// of the entry table.
void WriteSpringCases(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.springCaseCount, kMaxSpringCases);
    for (int c = 1; c <= cases; ++c) {
        const BaneCase& bc = model.springCases[c];
        const int n = CheckedCount(bc.count, kMaxSpringEntries);
        list.Add(FormatStr("%-10s %4d %4d %18s %s", SpringCaseTable().fileKeyword, bc.no, n, "",
                           NameForFile(bc.name, kNameTextBytes).c_str()));
        for (int k = 1; k <= n; ++k) list.Add(TableLine(SpringEntryTable(), bc.entries[k]));
    }
}

// How far a number below -999999999 (eleven characters in "%10d") pushes
// the fields after it, which are then written that much further on.
int Overhang(int no) { return std::max(0, static_cast<int>(FormatStr("%d", no).size()) - 10); }

void WriteSupportCases(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.supportCaseCount, kMaxSupportCases);
    for (int c = 1; c <= cases; ++c) {
        const SuptCase& sc = model.supportCases[c];
        const int n = CheckedCount(sc.count, kMaxSupportEntries);
        list.Add(FormatStr("%-10s %4d %4d %18s %s", SupportCaseTable().fileKeyword, sc.no, n, "",
                           NameForFile(sc.name, kNameTextBytes).c_str()));
        // An entry's line puts the code last, after the springs and three
        // reserved reals that the grid does not show: a layout of its own.
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

// Each member's points take two lines of their own (its number and count,
// then the positions); their names follow the "END" (WritePointNames).
void WriteViewPoints(TStringList& list, const FrameModel& model) {
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
        list.Add(FormatStr("%-10s %4d %4d %4d %4d %8s %s", LoadCaseTable().fileKeyword, lc.no, n,
                           lc.baneCaseNo, lc.suptCaseNo, "",
                           NameForFile(lc.name, kNameTextBytes).c_str()));
        for (int k = 1; k <= n; ++k) list.Add(TableLine(LoadTable(), lc.loads[k]));
    }
}

void WriteCombinations(TStringList& list, const FrameModel& model) {
    const int cases = CheckedCount(model.combinationCount, kMaxCombinations);
    for (int c = 1; c <= cases; ++c) {
        const KumiCase& kc = model.combinations[c];
        const int n = CheckedCount(kc.count, kMaxCombinationEntries);
        list.Add(FormatStr("%-10s %4d %4d", CombinationTable().fileKeyword, kc.no, n) +
                 FixedField(kc.factor, 10, 4) +
                 FormatStr(" %8s %s", "", NameForFile(kc.name, kNameTextBytes).c_str()));
        for (int k = 1; k <= n; ++k) list.Add(TableLine(CombinationEntryTable(), kc.entries[k]));
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
    WriteTable(list, model.nodes, model.nodeCount);
    WriteTable(list, model.materials, model.materialCount);
    WriteTable(list, model.sections, model.sectionCount);
    WriteTable(list, model.members, model.memberCount);
    WriteSpringCases(list, model);
    WriteSupportCases(list, model);
    WriteTable(list, model.view1, model.view1Count);
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
    std::string bytes;
    try {
        bytes = list.Text();
    } catch (const std::bad_alloc&) {
        NoteWriteFailure(fileName, ReplacingFile::Failure::kWriteFailed, ENOMEM);
        return false;
    }
    return WriteFileReplacing(fileName, bytes, true);
}

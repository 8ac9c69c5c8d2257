// Writer of the frame sections of a ".$O1" data file.
//
// Every line is laid out in fixed columns. The reader splits at blanks and
// commas, so the one thing a field must never do is fill its columns
// completely where no separator follows. A number is written in the file's
// usual layout when that reads back as the very value the model holds;
// otherwise with as many digits as its columns hold, the text that reads
// back as the value when there is one (ValuesTheFileCannotHold names the
// values that have none, so that a save can refuse them). Names are cut at
// a character boundary to the width the reader takes, so that a written
// file reads back to the same model and writes again to the same bytes.
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
#include <memory>
#include <new>

#include "model/data_file.h"
#include "model/data_file_internal.h"
#include "model/frame_model.h"
#include "model/model_tables.h"
#include "model/text_helpers.h"
#include "model/validation.h"
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

double MantExpValue(double mantissa, int exponent) {
    if (mantissa == 0.0) return 0.0;
    return mantissa * std::pow(10.0, std::clamp(exponent, -400, 400));
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

// Whether read, a value as the reader takes it, is the value the model
// holds in a field of that type.
bool SameValue(double read, double value, bool isFloat) {
    if (isFloat) return ToFloatInRange(read) == static_cast<float>(value);
    return read == value;
}

// The best of several texts for one value: the first that reads back as
// the value, else the one that reads back closest.
class BestText {
  public:
    BestText(double value, bool isFloat) : value_(value), isFloat_(isFloat) {}
    // Offers a text that reads back as read; true once one is exact.
    bool Offer(const std::string& text, double read) {
        if (exact_) return true;
        const double off = std::fabs(read - value_);
        if (SameValue(read, value_, isFloat_)) {
            text_ = text;
            exact_ = true;
        } else if (text_.empty() || off < off_) {
            text_ = text;
            off_ = off;
        }
        return exact_;
    }
    const std::string& Text() const { return text_; }

  private:
    double value_;
    bool isFloat_;
    bool exact_ = false;
    double off_ = 0;
    std::string text_;
};

// value right-aligned in width columns, its text at most room characters
// long (width - 1 leaves a leading blank so that a field glued to the one
// before it still reads apart). The usual text has at most `decimals`
// decimals, fewer when the number is wide, exponent notation when even no
// decimals fit; when that does not read back as the value, more decimals
// or more exponent digits are tried, as many as fit.
std::string FixedField(double value, int width, int decimals, bool isFloat, int room) {
    if (!std::isfinite(value)) value = 0.0;
    BestText best(value, isFloat);
    auto offer = [&](const std::string& t) {
        return static_cast<int>(t.size()) <= room && best.Offer(t, TextToDouble(t));
    };
    std::string usual;
    for (int d = decimals; d >= 0 && usual.empty(); --d) {
        const std::string t = FormatStr("%.*f", d, value);
        if (static_cast<int>(t.size()) <= room) usual = t;
    }
    for (int p = 6; p >= 0 && usual.empty(); --p) {
        const std::string t = FormatStr("%.*e", p, value);
        if (static_cast<int>(t.size()) <= room || p == 0) usual = t;
    }
    // The usual text is offered alone first: files whose values it holds
    // keep their bytes.
    if (!best.Offer(usual, TextToDouble(usual))) {
        bool done = false;
        for (int d = decimals + 1; d <= 17 && !done; ++d) done = offer(FormatStr("%.*f", d, value));
        for (int p = 0; p <= 16 && !done; ++p) done = offer(FormatStr("%.*e", p, value));
    }
    return FormatStr("%*s", width, best.Text().c_str());
}

std::string FixedField(double value, int width, int decimals, bool isFloat) {
    return FixedField(value, width, decimals, isFloat, width - 1);
}

// The mantissa and exponent fields of FormatMantExp's layout: m + e
// characters.
std::string MantExpText(int m, int e, double value) {
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
    return (std::string(12 - mantissa.size(), ' ') + mantissa).substr(0, m) +
           FormatStr("%*d", e, exponent);
}

// field written at the 0-based column of line; one blank after it when the
// line goes on.
void PlaceField(std::string& line, int column, const std::string& field) {
    const std::size_t start = static_cast<std::size_t>(std::max(column, 0));
    const std::size_t end = start + field.size();
    if (line.size() < end) line.resize(end, ' ');
    line.replace(start, field.size(), field);
    if (line.size() > end) line[end] = ' ';
}

// A mantissa-exponent pair as FormatMantExp lays it out when that reads
// back as the value; otherwise rounded (not cut) mantissas of more
// decimals, then whole-number mantissas of as many digits as the columns
// hold, each with a blank before it and before its exponent.
std::string HeldMantExpText(int m, int e, double value, bool isFloat) {
    m = std::clamp(m, 4, 10);
    e = std::clamp(e, 2, 5);
    const std::string usual = MantExpText(m, e, value);
    const double usualRead =
        MantExpValue(TextToDouble(usual.substr(0, static_cast<std::size_t>(m))),
                     TextToInt(usual.substr(static_cast<std::size_t>(m))));
    BestText best(value, isFloat);
    if (best.Offer(usual, usualRead) || !std::isfinite(value)) return best.Text();
    int largest = 1;
    for (int k = 1; k < e; ++k) largest *= 10;
    const int maxExponent = largest - 1;
    const int minExponent = -(largest / 10 - 1);
    auto offer = [&](const std::string& mantissa, int exponent) {
        if (static_cast<int>(mantissa.size()) > m - 1) return false;
        if (exponent > maxExponent || exponent < minExponent) return false;
        const std::string text = FormatStr("%*s%*d", m, mantissa.c_str(), e, exponent);
        return best.Offer(text, MantExpValue(TextToDouble(mantissa), exponent));
    };
    bool done = false;
    for (int p = 0; p <= 8 && !done; ++p) {
        const std::string printed = FormatStr("%.*E", p, value);
        const std::size_t ePos = printed.find('E');
        done = offer(printed.substr(0, ePos), std::atoi(printed.c_str() + ePos + 1));
    }
    const int top = value == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    for (int digits = 1; digits <= 9 && !done; ++digits) {
        const int exponent = top - digits + 1;
        const double whole = std::round(value / std::pow(10.0, exponent));
        done = offer(FormatStr("%.0f", whole), exponent);
    }
    return best.Text();
}

void WriteHeldMantExp(std::string& line, int column, int m, int e, double value, bool isFloat) {
    PlaceField(line, column, HeldMantExpText(m, e, value, isFloat));
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
        const bool isFloat = c.field.Type() == FieldType::Float;
        const int at = static_cast<int>(line.size());
        switch (f.kind) {
            case FileKind::Int:
                line += FormatStr("%*d", f.width, static_cast<int>(v));
                break;
            case FileKind::Fixed:
                line += FixedField(v, f.width, f.digits, isFloat);
                break;
            case FileKind::Printf: {
                const std::string usual = FormatStr("%*.*f", f.width, f.digits, FiniteOr0(v));
                // The lead blank already parts it from the field before.
                line += SameValue(TextToDouble(usual), v, isFloat)
                            ? usual
                            : FixedField(v, f.width, f.digits, isFloat, f.width);
                break;
            }
            case FileKind::MantExp:
            case FileKind::MantExpNonZero:
                // A section of no area is written as it stands: the check
                // before an analysis refuses it, the file does not hide it.
                WriteHeldMantExp(line, at, f.width, f.digits, v, isFloat);
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
            for (int f = 0; f < 6; ++f)
                WriteHeldMantExp(line, at + 10 * f, kSupportSpringField.width,
                                 kSupportSpringField.digits, values[f], true);
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
        for (int k = 1; k <= count; ++k)
            values += FixedField(v.dist[k], kViewPointField.width, kViewPointField.digits, true);
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
                 FixedField(kc.factor, kCombinationFactorField.width,
                            kCombinationFactorField.digits, false) +
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

const FileField kSupportSpringField{FileKind::MantExp, 0, 7, 3};
const FileField kCombinationFactorField{FileKind::Fixed, 0, 10, 4};
const FileField kViewPointField{FileKind::Fixed, 0, 10, 3};

double StoredFieldValue(const FileField& f, double value, bool isFloat) {
    // What the writer puts in the field, read back as the reader takes it.
    switch (f.kind) {
        case FileKind::Int:
            return std::isfinite(value) ? std::trunc(value) : 0.0;
        case FileKind::Fixed:
            return TextToDouble(FixedField(value, f.width, f.digits, isFloat));
        case FileKind::Printf: {
            const std::string usual = FormatStr("%*.*f", f.width, f.digits, FiniteOr0(value));
            if (SameValue(TextToDouble(usual), value, isFloat)) return TextToDouble(usual);
            return TextToDouble(FixedField(value, f.width, f.digits, isFloat, f.width));
        }
        case FileKind::MantExp:
        case FileKind::MantExpNonZero: {
            const int m = std::clamp(f.width, 4, 10);
            const int e = std::clamp(f.digits, 2, 5);
            auto read = [m](const std::string& text) {
                return MantExpValue(TextToDouble(text.substr(0, static_cast<std::size_t>(m))),
                                    TextToInt(text.substr(static_cast<std::size_t>(m))));
            };
            // A value typed as the usual layout shows it is the value that
            // layout reads back as: the mantissa times a power of ten may
            // land on the other float of a tie than the typed decimal does,
            // and the file (which keeps the usual text for it) then gives
            // the grid's number back.
            const double usual = read(MantExpText(m, e, value));
            if (std::fabs(usual - value) <= std::fabs(value) * 1e-7) return usual;
            return read(HeldMantExpText(m, e, value, isFloat));
        }
        default:
            return value;
    }
}

void FormatMantExp(std::string& line, int column, int m, int e, double value) {
    PlaceField(line, column, MantExpText(std::clamp(m, 4, 10), std::clamp(e, 2, 5), value));
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

namespace {

// Lines of ValuesTheFileCannotHold, at most as many as a validation text.
class HoldProblems {
  public:
    bool Full() const { return lines_ >= kMaxValidationLines; }
    void Add(const std::string& where, const std::string& what, double value, double read) {
        if (Full() || value == read) return;
        text_ += FormatStr(
            "%s の %s の値 %.9g はファイルに保存できません（読み直すと %.9g になります）.\n"_sj
                .c_str(),
            where.c_str(), what.c_str(), value, read);
        ++lines_;
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
    int lines_ = 0;
};

// A grid caption on one line.
std::string CaptionText(const std::string& caption) {
    std::string out;
    for (char c : caption)
        if (c != ',') out += c == '$' ? ' ' : c;
    return out;
}

// Every real of a row that its table's line holds.
template <class R>
void CompareRow(const ModelTable<R>& table, const R& a, const R& b, const std::string& where,
                HoldProblems& out) {
    for (const TableColumn<R>& c : table.columns) {
        const FileKind k = c.file.kind;
        if (k == FileKind::None || k == FileKind::Int || k == FileKind::Text) continue;
        out.Add(where, CaptionText(c.title.caption), c.field.Number(a), c.field.Number(b));
    }
}

template <class R, std::size_t N>
void CompareTable(const R (&a)[N], const R (&b)[N], int count, const char* what,
                  HoldProblems& out) {
    const ModelTable<R>& table = TableOf(a);
    for (int k = 1; k <= CheckedCount(count, static_cast<int>(N) - 1); ++k)
        CompareRow(table, a[k], b[k], FormatStr("%s No.%d", what, a[k].no), out);
}

}  // namespace

std::string ValuesTheFileCannotHold(const FrameModel& model) {
    const std::unique_ptr<FrameModel> read = NewFrameModelRecord();
    TStringList list;
    WriteFrameDataFile(list, model, kFrameFileFormat);
    std::string warnings;
    ReadFrameDataFile(*read, list, warnings);
    HoldProblems out;
    CompareTable(model.nodes, read->nodes, model.nodeCount, "格点"_sj.c_str(), out);
    CompareTable(model.materials, read->materials, model.materialCount, "材質"_sj.c_str(), out);
    CompareTable(model.sections, read->sections, model.sectionCount, "断面"_sj.c_str(), out);
    CompareTable(model.members, read->members, model.memberCount, "部材"_sj.c_str(), out);
    for (int c = 1; c <= CheckedCount(model.springCaseCount, kMaxSpringCases); ++c) {
        const BaneCase& a = model.springCases[c];
        for (int k = 1; k <= CheckedCount(a.count, kMaxSpringEntries); ++k)
            CompareRow(
                SpringEntryTable(), a.entries[k], read->springCases[c].entries[k],
                FormatStr("分布バネ･ｹｰｽ No.%d、部材 No.%d"_sj.c_str(), a.no, a.entries[k].memberNo),
                out);
    }
    for (int c = 1; c <= CheckedCount(model.supportCaseCount, kMaxSupportCases); ++c) {
        const SuptCase& a = model.supportCases[c];
        for (int k = 1; k <= CheckedCount(a.count, kMaxSupportEntries); ++k) {
            const SuptEntry& x = a.entries[k];
            const SuptEntry& y = read->supportCases[c].entries[k];
            const std::string where = FormatStr("支点ｹｰｽ No.%d、支点 No.%d"_sj.c_str(), a.no, k);
            out.Add(where, "Kx", x.kx, y.kx);
            out.Add(where, "Ky", x.ky, y.ky);
            out.Add(where, "Km", x.km, y.km);
            for (int r = 0; r < 3; ++r) out.Add(where, "予備値"_sj, x.reserved[r], y.reserved[r]);
        }
    }
    for (int v = 1; v <= CheckedCount(model.view2Count, kMaxView2); ++v) {
        const View2Member& a = model.view2[v];
        for (int p = 1; p <= CheckedCount(a.count, kMaxViewPoints); ++p)
            out.Add(FormatStr("着目点 部材 No.%d、No.%d"_sj.c_str(), a.memberNo, p),
                    "ｉ端からの距離"_sj, a.dist[p], read->view2[v].dist[p]);
    }
    for (int c = 1; c <= CheckedCount(model.loadCaseCount, kMaxLoadCases); ++c) {
        const LoadCase& a = model.loadCases[c];
        for (int k = 1; k <= CheckedCount(a.count, kMaxLoads); ++k)
            CompareRow(LoadTable(), a.loads[k], read->loadCases[c].loads[k],
                       FormatStr("荷重ｹｰｽ No.%d、荷重 No.%d"_sj.c_str(), a.no, k), out);
    }
    for (int c = 1; c <= CheckedCount(model.combinationCount, kMaxCombinations); ++c) {
        const KumiCase& a = model.combinations[c];
        const std::string where = FormatStr("組合せ荷重ｹｰｽ No.%d"_sj.c_str(), a.no);
        out.Add(where, "割増係数"_sj, a.factor, read->combinations[c].factor);
        for (int k = 1; k <= CheckedCount(a.count, kMaxCombinationEntries); ++k)
            CompareRow(CombinationEntryTable(), a.entries[k], read->combinations[c].entries[k],
                       FormatStr("%s、No.%d"_sj.c_str(), where.c_str(), k), out);
    }
    return out.Text();
}

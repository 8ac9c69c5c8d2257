// Reader of the frame sections of a ".$O1" data file.
//
// Lines are split into fields at commas and blanks (the class library's
// comma rule); numbers are read from fields, texts from fixed columns.
// Nothing read from the file is trusted: every count is clamped to its
// table's capacity before it bounds a loop, and the whole read does a
// bounded amount of work however the file repeats its sections. The lines
// that the writer lays out by a table's description are read by it too.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>

#include "model/data_file.h"
#include "model/data_file_internal.h"
#include "model/frame_model.h"
#include "model/model_tables.h"
#include "model/numeric.h"
#include "model/reader_warnings.h"
#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

using namespace datafile_detail;

namespace {

// Work a read may spend on entry lines in all: each costs its bytes plus
// kLineCost. The largest file the tables hold costs about 30 million; a
// damaged file that repeats a section keyword thousands of times, or over
// very long lines, is cut off here instead of taking minutes.
constexpr long long kEntryBudget = 64LL * 1024 * 1024;
constexpr long long kLineCost = 64;

// The fields of one line, split the way the class library splits a comma
// text. A field beyond the line's last reads as empty, exactly as if a run
// of commas had been appended to the line.
class LineFields {
  public:
    explicit LineFields(const std::string& line) { items_.SetCommaText(line); }
    int Count() const { return items_.Count(); }
    const std::string& Str(int k) const {
        static const std::string empty;
        return k >= 0 && k < items_.Count() ? items_[k] : empty;
    }
    int Int(int k) const { return TextToInt(Str(k), 0); }
    // The field's value truncated toward zero (option words, the rigid-zone
    // switch).
    int Trunc(int k) const { return TruncToInt(TextToDouble(Str(k))); }
    double Real(int k) const { return TextToDouble(Str(k)); }
    // A mantissa in field k and a power of ten in field k + 1.
    double MantExp(int k) const { return MantExpValue(Real(k), Int(k + 1)); }

  private:
    TStringList items_;
};

bool StartsWith(const std::string& line, const char* prefix) {
    return line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The bytes of line in columns [start, start + len) (0-based): the
// columns are bytes, so a name cut inside a character by the writer of the
// file costs only that character, never a byte of the name after it.
// Characters are found walking from start; one cut by the end of the range
// becomes a blank, and a lone lead byte that ends the line is dropped.
std::string ColumnText(const std::string& line, std::size_t start, std::size_t len) {
    std::string out;
    const std::size_t end = start + len;
    std::size_t pos = start;
    while (pos < line.size() && pos < end) {
        const std::size_t n = static_cast<std::size_t>(CharByteCount(line, pos));
        const bool loneLead = n == 1 && IsLeadByte(static_cast<unsigned char>(line[pos]));
        if (!loneLead) {
            if (pos + n <= end)
                out.append(line, pos, n);
            else
                out += ' ';
        }
        pos += n;
    }
    return out;
}

// Whether a line is a section keyword (or an "END") rather than an entry:
// entry lines start with a number. An entry count larger than the entries
// that follow stops there instead of reading the keyword as an entry.
bool IsKeywordLine(const std::string& line) {
    static const char* const keywords[] = {
        "FRAME",     "TITLE",     "CONTROL1", "CONTROL2",  "CONTROL3",  "POINT",  "POINT2",
        "MATERIAL",  "SECTION",   "MEMBER",   "BANE-CASE", "SUPT-CASE", "VIEW-1", "VIEW-2",
        "LOAD-CASE", "KUMI-CASE", "GOUIKI",   "PICK-CASE", "V2-NAME",   "END"};
    std::size_t first = 0;
    while (first < line.size() &&
           (static_cast<unsigned char>(line[first]) <= ' ' || line[first] == ','))
        ++first;
    std::size_t last = first;
    while (last < line.size() && static_cast<unsigned char>(line[last]) > ' ' && line[last] != ',')
        ++last;
    const std::string word = line.substr(first, last - first);
    if (word.compare(0, 3, "END") == 0 && first == 0) return true;
    for (const char* k : keywords)
        if (word == k) return true;
    return false;
}

// The byte offset just after field k (0-based) of line, fields being runs
// of bytes other than blanks, control bytes and commas; 0 when the line has
// fewer fields.
std::size_t FieldEnd(const std::string& line, int k) {
    auto separator = [](unsigned char c) { return c <= ' ' || c == ','; };
    std::size_t pos = 0;
    for (int field = 0; field <= k; ++field) {
        while (pos < line.size() && separator(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos >= line.size()) return 0;
        while (pos < line.size() && !separator(static_cast<unsigned char>(line[pos]))) ++pos;
    }
    return pos;
}

// Where the text after the numbers of a line starts: its own column, or
// later when a number too wide for its columns pushed it along (the writer
// then wrote the text as many bytes further on); gap is the number of bytes
// the layout puts between field k and the text.
std::size_t TextStart(const std::string& line, std::size_t column, int k, std::size_t gap) {
    const std::size_t end = FieldEnd(line, k);
    return end == 0 ? column : std::max(column, end + gap);
}

void StoreText(char* dest, int size, const std::string& text) {
    SetFixedText(dest, size, text.c_str());
}

// The name of a case keyword line: columns 41 to 80 (or as far along as its
// numbers pushed it), without blanks at either end.
std::string CaseName(const std::string& line, int lastField, std::size_t gap) {
    return TrimText(ColumnText(line, TextStart(line, 40, lastField, gap), 40));
}

// Fills a row from one line of its table's section, field by field as the
// table's description lays them out: numbers by their place among the
// line's fields, a text from its columns (or as far along as the numbers
// before it pushed it).
template <class R>
void ReadTableLine(const std::string& line, const ModelTable<R>& table, R& row) {
    const LineFields e(line);
    int k = 0;               // the next field of the line
    std::size_t column = 0;  // where the next field starts when nothing pushed it
    for (const TableColumn<R>& c : table.columns) {
        const FileField& f = c.file;
        switch (f.kind) {
            case FileKind::None:
                break;
            case FileKind::Int:
                c.field.SetNumber(row, e.Int(k++));
                break;
            case FileKind::Fixed:
            case FileKind::Printf:
                c.field.SetNumber(row, ToFloatInRange(e.Real(k++)));
                break;
            case FileKind::MantExp:
            case FileKind::MantExpNonZero:
                c.field.SetNumber(row, ToFloatInRange(e.MantExp(k)));
                k += 2;
                break;
            case FileKind::Text: {
                const std::size_t lead = static_cast<std::size_t>(f.lead);
                const std::string text =
                    ColumnText(line, TextStart(line, column + lead, k - 1, lead),
                               static_cast<std::size_t>(f.width));
                int size = 0;
                char* dest = c.field.Text(row, size);
                StoreText(dest, size, TrimText(text));
                break;
            }
        }
        column += static_cast<std::size_t>(f.Columns());
    }
}

class Reader {
  public:
    Reader(FrameModel& model, const TStringList& list) : model_(model), list_(list) {}
    std::string Run();

  private:
    int FindSections();
    int ReadKeywordLine(int i);
    int ReadCount(int value, int capacity, const std::string& what);
    int EntriesBeforeKeyword(int i, int n, int linesPerEntry = 1);
    template <class R, std::size_t N>
    void ReadTable(int i, const LineFields& f, R (&rows)[N], std::int32_t& count);
    int ReadView2(int i, int n);
    void ReadSpringCase(int i, const LineFields& f);
    void ReadSupportCase(int i, const LineFields& f);
    void ReadLoadCase(int i, const LineFields& f);
    void ReadCombination(int i, const LineFields& f);
    void ReadPointNames();
    void SetMemberGeometry();
    const std::string& LineAt(int index);
    // The fields of an entry line; a line beyond the list reads as empty.
    LineFields Entry(int index) { return LineFields(LineAt(index)); }

    FrameModel& model_;
    const TStringList& list_;
    ReaderWarnings warnings_;
    int idLine_ = -1;
    int endLine_ = 0;
    std::string section_;     // keyword of the section being read
    std::string cutSection_;  // the first section whose lines ran past the file's end
    long long budget_ = kEntryBudget;
    bool budgetWarned_ = false;
    int droppedCases_[4] = {0, 0, 0, 0};  // spring, support, load, combination
};

std::string Reader::Run() {
    ClearFrameModel(model_);
    endLine_ = FindSections();
    if (idLine_ < 0) {
        warnings_.Add("FRAME 行がありません（計算条件ファイルではありません）."_sj);
        return warnings_.Text();
    }
    // Once the budget is spent the rest of the sections is skipped.
    for (int i = idLine_ + 1; i < endLine_ && !budgetWarned_;) i = ReadKeywordLine(i);
    const char* const caseKeywords[4] = {"BANE-CASE", "SUPT-CASE", "LOAD-CASE", "KUMI-CASE"};
    const int caseCapacity[4] = {kMaxSpringCases, kMaxSupportCases, kMaxLoadCases,
                                 kMaxCombinations};
    for (int k = 0; k < 4; ++k)
        if (droppedCases_[k] > 0)
            warnings_.Add(FormatStr(
                "%s が上限の %d ケースを超えたため、%d ケースを読み飛ばしました."_sj.c_str(),
                caseKeywords[k], caseCapacity[k], droppedCases_[k]));
    ReadPointNames();
    SetMemberGeometry();
    // A file cut short (a copy broken off, a disk that filled up) reads
    // without complaint otherwise: the model would look whole.
    if (!cutSection_.empty())
        return FormatStr(
                   "ファイルが途中で終わっています: %s のデータが宣言された数だけありません（読めた分だけを読み込みました）."_sj
                       .c_str(),
                   cutSection_.c_str()) +
               "\n" + warnings_.Text();
    return warnings_.Text();
}

// Step 2: the identifier line, the title and the "END" of the frame sections
// (the end of the list when there is none).
int Reader::FindSections() {
    for (int i = 0; i < list_.Count(); ++i) {
        const std::string& line = list_[i];
        if (StartsWith(line, "FRAME")) {
            idLine_ = i;
            StoreText(model_.header.modelId, sizeof model_.header.modelId,
                      ColumnText(line, 10, 30));
        } else if (StartsWith(line, "TITLE")) {
            StoreText(model_.header.title, kNameSize, ColumnText(line, 10, 40));
        }
        if (idLine_ >= 0 && StartsWith(line, "END")) return i;
    }
    return list_.Count();
}

int Reader::ReadCount(int value, int capacity, const std::string& what) {
    if (value < 0) {
        warnings_.Add(FormatStr("%s のデータ数 %d は無効なため 0 としました."_sj.c_str(),
                                what.c_str(), value));
        return 0;
    }
    if (value > capacity) {
        warnings_.Add(FormatStr("%s のデータ数 %d を上限の %d に切り詰めました."_sj.c_str(),
                                what.c_str(), value, capacity));
        return capacity;
    }
    return value;
}

// The entries of the section whose keyword line is i, at most n, each of
// linesPerEntry lines: fewer when a keyword line comes first (with a
// warning; the keyword is then read as such).
int Reader::EntriesBeforeKeyword(int i, int n, int linesPerEntry) {
    for (int k = 1; k <= n; ++k)
        for (int l = 0; l < linesPerEntry; ++l) {
            const int line = i + 1 + (k - 1) * linesPerEntry + l;
            if (line >= list_.Count() || !IsKeywordLine(list_[line])) continue;
            warnings_.Add(FormatStr(
                "%s のデータ数 %d に対し %d 件目の行が見出しです（%d 件として読み込みました）."_sj
                    .c_str(),
                section_.c_str(), n, k, k - 1));
            return k - 1;
        }
    return n;
}

// An entry line, charged to the read's budget; once the budget is spent
// every further entry line reads as empty (with one warning).
const std::string& Reader::LineAt(int index) {
    static const std::string empty;
    if (index >= list_.Count() && cutSection_.empty()) cutSection_ = section_;
    if (index < 0 || index >= list_.Count()) return empty;
    const std::string& line = list_[index];
    budget_ -= static_cast<long long>(line.size()) + kLineCost;
    if (budget_ >= 0) return line;
    if (!budgetWarned_)
        warnings_.Add("同じ見出しの繰り返しが多すぎるため、以降のデータを読み飛ばしました."_sj);
    budgetWarned_ = true;
    return empty;
}

// Step 3: one line of the frame sections; returns the line where the scan
// for the next keyword goes on.
int Reader::ReadKeywordLine(int i) {
    const LineFields f(list_[i]);
    const std::string& keyword = f.Str(0);
    section_ = keyword;
    if (keyword == "CONTROL2") {
        model_.rigidZoneSwitch = Entry(i + 1).Trunc(4);
    } else if (keyword == "CONTROL3") {
        const LineFields o = Entry(i + 1);
        FrameModelHeader& h = model_.header;
        h.optRenumber = o.Trunc(0);
        h.optMmax = o.Trunc(1);
        h.optViewPoint = o.Trunc(2);
        h.optExtraFactor = o.Trunc(3);
        h.optPrestress = o.Trunc(4);
    } else if (keyword == NodeTable().fileKeyword) {
        ReadTable(i, f, model_.nodes, model_.nodeCount);
    } else if (keyword == MaterialTable().fileKeyword) {
        ReadTable(i, f, model_.materials, model_.materialCount);
    } else if (keyword == SectionTable().fileKeyword) {
        ReadTable(i, f, model_.sections, model_.sectionCount);
    } else if (keyword == MemberTable().fileKeyword) {
        ReadTable(i, f, model_.members, model_.memberCount);
    } else if (keyword == View1Table().fileKeyword) {
        ReadTable(i, f, model_.view1, model_.view1Count);
    } else if (keyword == "VIEW-2") {
        return i + 1 +
               ReadView2(i, EntriesBeforeKeyword(i, ReadCount(f.Int(1), kMaxView2, "VIEW-2"), 2));
    } else if (keyword == SpringCaseTable().fileKeyword) {
        ReadSpringCase(i, f);
    } else if (keyword == SupportCaseTable().fileKeyword) {
        ReadSupportCase(i, f);
    } else if (keyword == LoadCaseTable().fileKeyword) {
        ReadLoadCase(i, f);
    } else if (keyword == CombinationTable().fileKeyword) {
        ReadCombination(i, f);
    }
    return i + 1;
}

// A table's section: the count on its keyword line (clamped to the table),
// then one line per row. A section read again (a damaged file) may hold
// fewer rows than before: the rows it gives up are zeroed, as beyond every
// count.
template <class R, std::size_t N>
void Reader::ReadTable(int i, const LineFields& f, R (&rows)[N], std::int32_t& count) {
    const int n = EntriesBeforeKeyword(i, ReadCount(f.Int(1), static_cast<int>(N) - 1, f.Str(0)));
    ZeroRowsBeyond(rows, n, count);
    count = n;
    for (int k = 1; k <= n; ++k) ReadTableLine(LineAt(i + k), TableOf(rows), rows[k]);
}

// Each entry takes two lines: member and point count, then the positions
// ten columns each. Returns the entry count read.
int Reader::ReadView2(int i, int n) {
    // Read again, the section starts from empty entries.
    ZeroRowsBeyond(model_.view2, 0, model_.view2Count);
    model_.view2Count = n;
    for (int k = 1; k <= n; ++k) {
        const int line = i + 1 + 2 * (k - 1);
        const LineFields e = Entry(line);
        View2Member& v = model_.view2[k];
        v.memberNo = e.Int(0);
        v.count = ReadCount(e.Int(1), kMaxViewPoints,
                            FormatStr("VIEW-2 No.%d（部材 %d）の着目点"_sj.c_str(), k, v.memberNo));
        // The positions are split without appended commas; a missing
        // position reads as 0 (the count stays the entry line's), one
        // beyond the count is not kept.
        const LineFields values(LineAt(line + 1));
        const int stored = std::min(values.Count(), v.count);
        for (int p = 1; p <= stored; ++p) v.dist[p] = ToFloatInRange(values.Real(p - 1));
    }
    return n;
}

void Reader::ReadSpringCase(int i, const LineFields& f) {
    if (model_.springCaseCount >= kMaxSpringCases) {
        ++droppedCases_[0];
        return;
    }
    const int no = f.Int(1);
    const int n = EntriesBeforeKeyword(
        i, ReadCount(f.Int(2), kMaxSpringEntries, FormatStr("BANE-CASE No.%d", no)));
    BaneCase& bc = model_.springCases[++model_.springCaseCount];
    model_.springCaseReserved = 0;
    bc.no = no;
    bc.count = n;
    StoreText(bc.name, kNameSize, CaseName(list_[i], 2, 20));
    for (int k = 1; k <= n; ++k) ReadTableLine(LineAt(i + k), SpringEntryTable(), bc.entries[k]);
}

void Reader::ReadSupportCase(int i, const LineFields& f) {
    if (model_.supportCaseCount >= kMaxSupportCases) {
        ++droppedCases_[1];
        return;
    }
    const int no = f.Int(1);
    const int n = EntriesBeforeKeyword(
        i, ReadCount(f.Int(2), kMaxSupportEntries, FormatStr("SUPT-CASE No.%d", no)));
    SuptCase& sc = model_.supportCases[++model_.supportCaseCount];
    model_.supportCaseReserved = 0;
    sc.no = no;
    sc.count = n;
    StoreText(sc.name, kNameSize, CaseName(list_[i], 2, 20));
    // An entry's line puts the code last, after the springs and three
    // reserved reals that the grid does not show: a layout of its own.
    for (int k = 1; k <= n; ++k) {
        const LineFields e = Entry(i + k);
        SuptEntry& s = sc.entries[k];
        s.nodeNo = e.Int(0);
        s.kx = ToFloatInRange(e.MantExp(1));
        s.ky = ToFloatInRange(e.MantExp(3));
        s.km = ToFloatInRange(e.MantExp(5));
        for (int r = 0; r < 3; ++r) s.reserved[r] = ToFloatInRange(e.MantExp(7 + 2 * r));
        s.code = e.Int(13);
    }
}

void Reader::ReadLoadCase(int i, const LineFields& f) {
    if (model_.loadCaseCount >= kMaxLoadCases) {
        ++droppedCases_[2];
        return;
    }
    const int no = f.Int(1);
    const int n =
        EntriesBeforeKeyword(i, ReadCount(f.Int(2), kMaxLoads, FormatStr("LOAD-CASE No.%d", no)));
    LoadCase& lc = model_.loadCases[++model_.loadCaseCount];
    lc.no = no;
    lc.count = n;
    lc.baneCaseNo = f.Int(3);
    lc.suptCaseNo = f.Int(4);
    StoreText(lc.name, kNameSize, CaseName(list_[i], 4, 10));
    float maxLoad = 0.0f;
    for (int k = 1; k <= n; ++k) {
        LoadRecord& r = lc.loads[k];
        ReadTableLine(LineAt(i + k), LoadTable(), r);
        maxLoad = std::max({maxLoad, std::fabs(r.qI), std::fabs(r.qJ)});
    }
    lc.maxLoad = maxLoad;
}

void Reader::ReadCombination(int i, const LineFields& f) {
    if (model_.combinationCount >= kMaxCombinations) {
        ++droppedCases_[3];
        return;
    }
    const int no = f.Int(1);
    const int n = EntriesBeforeKeyword(
        i, ReadCount(f.Int(2), kMaxCombinationEntries, FormatStr("KUMI-CASE No.%d", no)));
    KumiCase& kc = model_.combinations[++model_.combinationCount];
    kc.no = no;
    kc.count = n;
    const double factor = f.Real(3);
    kc.factor = std::isfinite(factor) ? factor : 0.0;
    StoreText(kc.name, kNameSize, CaseName(list_[i], 3, 10));
    for (int k = 1; k <= n; ++k)
        ReadTableLine(LineAt(i + k), CombinationEntryTable(), kc.entries[k]);
}

// Step 4: the names of the points of interest, between the two "END" lines.
// The n-th names line belongs to the n-th VIEW-2 entry; names are 20 bytes
// each from column 11 and keep their trailing blanks.
void Reader::ReadPointNames() {
    for (int i = endLine_ + 1; i < list_.Count() && !budgetWarned_; ++i) {
        const std::string& line = list_[i];
        if (StartsWith(line, "END")) return;
        const LineFields f(line);
        if (f.Str(0) != "V2-NAME") continue;
        section_ = "V2-NAME";
        const int n = ReadCount(f.Int(1), kMaxView2, "V2-NAME");
        for (int j = 1; j <= n; ++j) {
            const std::string& names = LineAt(i + j);
            const LineFields e(names);
            View2Member& v = model_.view2[j];
            // Names of entries or points the positions do not have are
            // not kept: nothing shows or writes them.
            const int count = std::min(ReadCount(e.Int(1), kMaxViewPoints,
                                                 FormatStr("V2-NAME No.%d の名称"_sj.c_str(), j)),
                                       j <= model_.view2Count ? v.count : 0);
            const std::size_t first = TextStart(names, 10, 1, 1);
            for (int k = 1; k <= count; ++k)
                StoreText(v.pointName[k], kPointNameSize,
                          ColumnText(names, first + 20 * static_cast<std::size_t>(k - 1), 20));
        }
    }
}

// Step 5: lengths and angles of the members, as the loads need them.
void Reader::SetMemberGeometry() {
    for (int k = 1; k <= model_.memberCount; ++k) {
        FrameMember& m = model_.members[k];
        double xi, yi, xj, yj;
        GetNodeXYByNo(model_, xi, yi, m.nodeI);
        GetNodeXYByNo(model_, xj, yj, m.nodeJ);
        const double dx = xj - xi;
        const double dy = yj - yi;
        m.angle = ToFloatInRange(SafeAtan2(dy, dx));
        m.length = ToFloatInRange(SafeSqrt(dx * dx + dy * dy));
    }
}

}  // namespace

bool HasFrameIdentifier(const TStringList& list) {
    for (int i = 0; i < list.Count(); ++i)
        if (StartsWith(list[i], "FRAME")) return true;
    return false;
}

bool ReadFrameDataFile(FrameModel& model, const TStringList& list, std::string& warnings) {
    Reader reader(model, list);
    warnings = reader.Run();
    return true;
}

bool ReadFrameDataFile(const std::string& fileName, FrameModel& model, std::string& warnings) {
    TStringList list;
    if (!list.LoadFromFile(fileName)) {
        ClearFrameModel(model);
        warnings = FormatStr("データファイル %s を読めません."_sj.c_str(), fileName.c_str()) + "\n";
        return false;
    }
    return ReadFrameDataFile(model, list, warnings);
}

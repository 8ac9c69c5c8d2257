// One description per model table: its columns in the order the input grid
// shows them, each with its title, the record field it holds, how a typed
// cell becomes the field, its display format, its place in the data file
// and its column in the report. The grids (filling, writing back, cell
// looks, the editing rules), the data file's reader and writer and the
// report's input tables all go through these descriptions, so a column is
// named in one place and never by a literal number.
//
// Grid column k (from 1) is columns[k - 1]; column 0 of a grid is its row
// number. Column 1 is each table's key: a row whose key reads as 0 or less
// is dropped when the grid is written back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "model/frame_model.h"

// Bytes a name keeps when it is typed or written to the file.
constexpr int kNameTextBytes = 40;
constexpr int kPointNameTextBytes = 20;

// One named point of interest as the points grid lists it (the model keeps
// a member's points as the parallel arrays of View2Member).
struct ViewPointRow {
    double dist;  // from the i end, m
    char name[kPointNameSize];
    double distJ;  // from the j end, m (typing it sets dist)
};

// How the text of a grid cell becomes the field.
enum class CellKind : std::uint8_t {
    Int,        // TextToInt (rounds to the nearest)
    Truncated,  // TextToDouble truncated toward zero
    Real,       // TextToDouble into a float
    Double,     // TextToDouble
    Name,       // cut to its bytes without splitting a character, trimmed
    Shown,      // shown only: derived from the model, never read back
};

// What a grid cell shows in place of its text.
enum class CellShow : std::uint8_t {
    Text,
    MissingIfZero,  // "**" (in red) for a reference of 0
    DashIfZero,     // 「－」 for 0
    PinOrRigid,     // end condition: 「ﾋﾟﾝ」 (not 0) or 「剛」
    SupportCode,    // the code and its name
    LoadCode,       // the code and its name
};

// The background of a column group of the member and load grids.
enum class CellTint : std::uint8_t { None, Green, Pink };

// Where a field sits on its line of the data file. The fields of a line
// follow one another in the order of the columns; `lead` blanks come
// before a field.
enum class FileKind : std::uint8_t {
    None,            // not in the file (or not on this line)
    Int,             // "%*d" in width columns
    Fixed,           // a real in width columns with at most `digits`
                     // decimals, always leaving a leading blank
    Printf,          // "%*.*f": width and digits as they stand
    MantExp,         // mantissa of width and exponent of digits columns
    MantExpNonZero,  // the same, written as at least 1e-9 (the vendor
                     // library divides by it)
    Text,            // a name of at most width bytes, read from its column
};
struct FileField {
    FileKind kind = FileKind::None;
    int lead = 0;
    int width = 0;
    int digits = 0;
    // Columns the field takes (text fields end the line: 0).
    int Columns() const;
};

// How the report prints a column.
enum class ReportShow : std::uint8_t {
    Number,       // the value into the field's mask
    Exponent,     // "%12.5E" with a three-digit exponent
    Name,         // the text cut to the column's width
    PinOrRigid,   // 「ﾋﾟﾝ」 (not 0) or 「剛」
    DashIfTiny,   // 「－」 for a rigid zone of 0.0001 m or less
    SupportCode,  // the code and its name
    Stiffness,    // 「固定」 (negative), 「自由」 (0) or the value
};
struct ReportField {
    int width = 0;  // 0: the column is not in the report's table
    std::string head1;
    std::string head2;
    std::string mask;
    ReportShow show = ReportShow::Number;
};

enum class FieldType : std::uint8_t { None, Int, Float, Double, Name, PointName };

// The field of a record a column holds.
template <class R>
class FieldRef {
  public:
    FieldRef() = default;
    template <class T>
    FieldRef(T R::*field) : field_(field) {}

    // The alternatives in FieldType order.
    FieldType Type() const { return static_cast<FieldType>(field_.index()); }
    bool operator==(const FieldRef&) const = default;

    bool IsText() const { return Type() == FieldType::Name || Type() == FieldType::PointName; }
    template <class T>
    bool Is(T R::*field) const {
        return std::holds_alternative<T R::*>(field_) && std::get<T R::*>(field_) == field;
    }
    // A number field's value (0 for a text or no field).
    double Number(const R& row) const {
        if (auto p = std::get_if<std::int32_t R::*>(&field_)) return row.**p;
        if (auto p = std::get_if<float R::*>(&field_)) return row.**p;
        if (auto p = std::get_if<double R::*>(&field_)) return row.**p;
        return 0.0;
    }
    // Stores v in a number field, converted to its type (v is expected to
    // be what the field holds: whole for an int, a float's value for a
    // float).
    void SetNumber(R& row, double v) const {
        if (auto p = std::get_if<std::int32_t R::*>(&field_))
            row.** p = static_cast<std::int32_t>(v);
        if (auto p = std::get_if<float R::*>(&field_)) row.** p = static_cast<float>(v);
        if (auto p = std::get_if<double R::*>(&field_)) row.** p = v;
    }
    // A text field's array and its size (null for a number field).
    const char* Text(const R& row, int& size) const { return TextOf(row, size); }
    char* Text(R& row, int& size) const { return TextOf(row, size); }
    // Bytes a text field keeps when typed or written.
    int TextBytes() const {
        return std::holds_alternative<char(R::*)[kPointNameSize]>(field_) ? kPointNameTextBytes
                                                                          : kNameTextBytes;
    }

  private:
    // Row is R or const R.
    template <class Row>
    auto TextOf(Row& row, int& size) const {
        std::conditional_t<std::is_const_v<Row>, const char, char>* text = nullptr;
        size = 0;
        if (auto p = std::get_if<char(R::*)[kNameSize]>(&field_)) {
            text = row.**p;
            size = kNameSize;
        } else if (auto q = std::get_if<char(R::*)[kPointNameSize]>(&field_)) {
            text = row.**q;
            size = kPointNameSize;
        }
        return text;
    }
    std::variant<std::monostate, std::int32_t R::*, float R::*, double R::*, char (R::*)[kNameSize],
                 char (R::*)[kPointNameSize]>
        field_;
};

struct GridTitle {
    int width;            // pixels; 0: measured from the caption
    std::string caption;  // "," starts a second line, "$" is a blank
};
// The pieces of a grid's column definition: the row-number column, then
// 「┃」 and "width:caption" (or the bare caption) per column.
std::string HeaderSpecStart();
std::string HeaderSpecItem(const GridTitle& title);

template <class R>
struct TableColumn {
    GridTitle title;
    FieldRef<R> field;  // none for a shown text derived from the model
    CellKind kind;
    const char* format;  // printf format of a number ("%1d", "%7.4f"); null for texts
    FileField file;
    ReportField report;
    CellShow show = CellShow::Text;
    CellTint tint = CellTint::None;
    // The text of a shown column without a field.
    std::string (*derived)(const FrameModel& model, const R& row) = nullptr;
};

template <class R>
struct ModelTable {
    std::string title;        // the table's name in messages
    const char* fileKeyword;  // its data file section; null when it has none of its own
    std::vector<TableColumn<R>> columns;

    int ColumnCount() const { return static_cast<int>(columns.size()); }
    // Grid column k (1..ColumnCount()).
    const TableColumn<R>& Column(int k) const { return columns[static_cast<std::size_t>(k - 1)]; }
    // The grid's column definition: a 24-pixel row-number column 「・」,
    // then the columns' titles.
    std::string HeaderSpec() const;
};

const ModelTable<FramePoint>& NodeTable();
const ModelTable<FrameMaterial>& MaterialTable();
const ModelTable<FrameSection>& SectionTable();
const ModelTable<FrameMember>& MemberTable();
const ModelTable<View1Range>& View1Table();
const ModelTable<ViewPointRow>& ViewPointTable();
const ModelTable<BaneCase>& SpringCaseTable();
const ModelTable<BaneEntry>& SpringEntryTable();
const ModelTable<SuptCase>& SupportCaseTable();
const ModelTable<SuptEntry>& SupportEntryTable();
const ModelTable<LoadCase>& LoadCaseTable();
const ModelTable<LoadRecord>& LoadTable();
const ModelTable<KumiCase>& CombinationTable();
const ModelTable<KumiEntry>& CombinationEntryTable();

// The description of the table whose rows are R (the argument only picks
// the overload).
inline const ModelTable<FramePoint>& TableOf(const FramePoint*) { return NodeTable(); }
inline const ModelTable<FrameMaterial>& TableOf(const FrameMaterial*) { return MaterialTable(); }
inline const ModelTable<FrameSection>& TableOf(const FrameSection*) { return SectionTable(); }
inline const ModelTable<FrameMember>& TableOf(const FrameMember*) { return MemberTable(); }
inline const ModelTable<View1Range>& TableOf(const View1Range*) { return View1Table(); }
inline const ModelTable<ViewPointRow>& TableOf(const ViewPointRow*) { return ViewPointTable(); }
inline const ModelTable<BaneCase>& TableOf(const BaneCase*) { return SpringCaseTable(); }
inline const ModelTable<BaneEntry>& TableOf(const BaneEntry*) { return SpringEntryTable(); }
inline const ModelTable<SuptCase>& TableOf(const SuptCase*) { return SupportCaseTable(); }
inline const ModelTable<SuptEntry>& TableOf(const SuptEntry*) { return SupportEntryTable(); }
inline const ModelTable<LoadCase>& TableOf(const LoadCase*) { return LoadCaseTable(); }
inline const ModelTable<LoadRecord>& TableOf(const LoadRecord*) { return LoadTable(); }
inline const ModelTable<KumiCase>& TableOf(const KumiCase*) { return CombinationTable(); }
inline const ModelTable<KumiEntry>& TableOf(const KumiEntry*) { return CombinationEntryTable(); }

// The grid column (from 1) that holds a field, 0 when no column does:
// ColumnOf(&FrameMember::nodeI) is 2.
template <class R, class T>
int ColumnOf(T R::*field) {
    const ModelTable<R>& table = TableOf(static_cast<const R*>(nullptr));
    for (int k = 1; k <= table.ColumnCount(); ++k)
        if (table.Column(k).field.Is(field)) return k;
    return 0;
}

template <class R>
std::string ModelTable<R>::HeaderSpec() const {
    std::string spec = HeaderSpecStart();
    for (const TableColumn<R>& c : columns) spec += HeaderSpecItem(c.title);
    return spec;
}

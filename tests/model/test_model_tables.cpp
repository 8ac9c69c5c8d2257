// The table descriptions agree with the fields they name: a column read as
// an integer holds an int, a file text is a 44-byte name that ends its line,
// a column shown with a number format holds a number. A description that
// compiles can still say any of these wrongly; the readers, writers and
// grids that iterate it would then lose or garble values.
#include <gtest/gtest.h>

#include <string>

#include "model/model_tables.h"

namespace {

template <class R>
void ExpectConsistent(const ModelTable<R>& table) {
    SCOPED_TRACE(table.title);
    ASSERT_GT(table.ColumnCount(), 0);
    bool afterName = false;
    for (int k = 1; k <= table.ColumnCount(); ++k) {
        SCOPED_TRACE("column " + std::to_string(k) + " " + table.Column(k).title.caption);
        const TableColumn<R>& c = table.Column(k);
        const FieldType t = c.field.Type();
        const bool number = t == FieldType::Int || t == FieldType::Float || t == FieldType::Double;
        const bool text = t == FieldType::Name || t == FieldType::PointName;
        EXPECT_FALSE(c.title.caption.empty());
        // A field held by two columns would be written back twice.
        for (int j = 1; j < k; ++j)
            EXPECT_TRUE(t == FieldType::None || !(table.Column(j).field == c.field))
                << "also column " << j;
        // How a typed cell is read.
        switch (c.kind) {
            case CellKind::Int:
            case CellKind::Truncated:
                EXPECT_EQ(t, FieldType::Int);
                break;
            case CellKind::Real:
                EXPECT_EQ(t, FieldType::Float);
                break;
            case CellKind::Double:
                EXPECT_EQ(t, FieldType::Double);
                break;
            case CellKind::Name:
                EXPECT_TRUE(text);
                break;
            case CellKind::Shown:
                EXPECT_NE(t == FieldType::None, c.derived == nullptr);
                break;
        }
        EXPECT_TRUE(c.kind == CellKind::Shown || c.derived == nullptr);
        // A number is shown by its format, a text as it stands.
        EXPECT_EQ(c.format != nullptr, number);
        // The key column is a number whose 0 deletes the row.
        EXPECT_TRUE(k > 1 || number);
        // The data file.
        switch (c.file.kind) {
            case FileKind::None:
                break;
            case FileKind::Int:
                EXPECT_EQ(t, FieldType::Int);
                break;
            case FileKind::Fixed:
            case FileKind::Printf:
            case FileKind::MantExp:
            case FileKind::MantExpNonZero:
                EXPECT_EQ(t, FieldType::Float);
                break;
            case FileKind::Text:
                // The writer takes names from 44-byte arrays.
                EXPECT_EQ(t, FieldType::Name);
                EXPECT_EQ(c.file.width, kNameTextBytes);
                break;
        }
        if (c.file.kind != FileKind::None) {
            // A name is read from its columns to the end of the line.
            EXPECT_FALSE(afterName) << "a field of the file follows the name";
            afterName = c.file.kind == FileKind::Text;
        }
        // The report.
        if (c.report.width > 0) {
            EXPECT_FALSE(c.report.mask.empty());
            EXPECT_EQ(c.report.show == ReportShow::Name, text);
            EXPECT_LE(static_cast<int>(c.report.mask.size()), c.report.width);
        }
        // What a grid cell shows in place of a number.
        EXPECT_TRUE(c.show == CellShow::Text || t == FieldType::Int || t == FieldType::Float);
    }
}

}  // namespace

TEST(ModelTables, EveryColumnAgreesWithItsField) {
    ExpectConsistent(NodeTable());
    ExpectConsistent(MaterialTable());
    ExpectConsistent(SectionTable());
    ExpectConsistent(MemberTable());
    ExpectConsistent(View1Table());
    ExpectConsistent(ViewPointTable());
    ExpectConsistent(SpringCaseTable());
    ExpectConsistent(SpringEntryTable());
    ExpectConsistent(SupportCaseTable());
    ExpectConsistent(SupportEntryTable());
    ExpectConsistent(LoadCaseTable());
    ExpectConsistent(LoadTable());
    ExpectConsistent(CombinationTable());
    ExpectConsistent(CombinationEntryTable());
}

TEST(ModelTables, ColumnsAreFoundByTheirFields) {
    // The lookups the editing rules rely on: a field named twice, or not at
    // all, would send an edit to the wrong cell.
    EXPECT_EQ(ColumnOf(&FrameMember::no), 1);
    EXPECT_EQ(ColumnOf(&FrameMember::nodeJ), 3);
    EXPECT_EQ(ColumnOf(&FrameMember::name), MemberTable().ColumnCount());
    EXPECT_EQ(ColumnOf(&FrameMember::segStart), 0);
    EXPECT_EQ(ColumnOf(&LoadRecord::memberFrom), 2);
    EXPECT_EQ(ColumnOf(&SuptEntry::code), 2);
    EXPECT_EQ(ColumnOf(&ViewPointRow::distJ), 3);
}

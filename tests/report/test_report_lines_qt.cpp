// Report lines: heading numbers, the contents list, remarks, box rules and
// the value fields with their fillers, on the records of a page.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "pool_test_util.h"

namespace {

// The characters drawn since `mark`, in drawing order.
std::string DrawnSince(std::size_t mark, int page = 0) {
    std::string s;
    for (const std::string& r : RecordsSince(mark, page))
        if (r.rfind("text ", 0) == 0) s += r.substr(r.rfind(' ') + 1);
    return s;
}

// First text record since `mark` as "x y char".
std::string FirstTextSince(std::size_t mark) {
    for (const std::string& r : RecordsSince(mark))
        if (r.rfind("text ", 0) == 0) return r.substr(5);
    return {};
}

// Straight segments drawn since `mark` as "x1 y1 x2 y2".
std::multiset<std::string> SegmentsSince(std::size_t mark) {
    std::multiset<std::string> out;
    std::string from;
    for (const std::string& r : RecordsSince(mark)) {
        if (r.rfind("move ", 0) == 0) from = r.substr(5);
        if (r.rfind("line ", 0) == 0) {
            out.insert(from + " " + r.substr(5));
            from = r.substr(5);
        }
    }
    return out;
}

// Screen kind: plain coordinates, 10 px/mm, font 3.6 x 1.8 mm.
void Start() { StartRecording(0); }

}  // namespace

TEST(ReportHeadings, NumbersChaptersSectionsAndItems) {
    Start();
    const std::pair<std::string, std::string> lines[] = {
        {"%.概要"_sj, "1.概要"_sj},
        {"  %.%設計条件"_sj, "1.1設計条件"_sj},
        {"%.%.%荷重"_sj, "1.1.1荷重"_sj},
        {"%.%.%組合せ"_sj, "1.1.2組合せ"_sj},
        {"  %)項目"_sj, "1)項目"_sj},
        {"  %)次"_sj, "2)次"_sj},
        {"%.%材料"_sj, "1.2材料"_sj},
        {"%)a", "1)a"},  // a new section restarts the items
        {"%.結果"_sj, "2.結果"_sj},
        {"%.%x", "2.1x"},
        {"12345678%.x", "12345678%.x"},  // markers only at bytes 1 to 8
        {"【注】%.%y"_sj, ""},           // a marker in an unprinted remark does not count
        {"a【%)】"_sj, "a"},
    };
    for (const auto& [line, printed] : lines) {
        const std::size_t mark = RecordCount();
        PrintTextLine(1, 10, line);
        EXPECT_EQ(DrawnSince(mark), printed) << line;
    }
    EXPECT_EQ(HeadingCounters.chapter, 2);
    EXPECT_EQ(HeadingCounters.section, 1);
    EXPECT_EQ(HeadingCounters.item, 0);
}

TEST(ReportHeadings, ContentsEntriesKeepTheirRemark) {
    Start();
    PoolSelectPage(13);  // body page 3
    SetFontMm(3.6, 1.8, 0, 0);
    PrintTextLine(1, 10, "%.概要"_sj);
    std::size_t mark = RecordCount(13);
    PrintTextLine(1, 135, "$>>%.%荷重【参考】"_sj);
    // The list keeps the remark and a blank after the one-digit section;
    // the page prints only what precedes the remark.
    ASSERT_EQ(HeadingList.Count(), 1);
    EXPECT_EQ(HeadingList[0],
              FormatStr("%4d,%9.2f,%9.2f,%4d,%s", 3, 135.0, 1.0, 0, "1.1 荷重【参考】"_sj.c_str()));
    EXPECT_EQ(DrawnSince(mark, 13), "1.1荷重"_sj);

    // Ten sections on: no blank after a two-digit section number.
    for (int i = 0; i < 8; ++i) PrintTextLine(1, 20, "%.%x");
    PrintTextLine(1, 30, "$>>%.%y");
    EXPECT_EQ(HeadingList[1].substr(30), "1.10y");

    // Not recorded while the pool does not record.
    PoolRecording = false;
    PrintTextLine(1, 40, "$>>%.%z");
    EXPECT_EQ(HeadingList.Count(), 2);
    PoolRecording = true;

    // "$>>" alone empties the list and the pool.
    ContentsPageOffset = 4;
    PrintTextLine(1, 50, "$>>");
    EXPECT_EQ(HeadingList.Count(), 0);
    EXPECT_EQ(ContentsPageOffset, 0);
    EXPECT_EQ(PoolLastPage(), 0);

    // The list stops at 999 entries.
    PoolSelectPage(11);
    for (int i = 0; i < 1005; ++i) PrintTextLine(1, 60, "$>>x");
    EXPECT_EQ(HeadingList.Count(), kMaxHeadings);
    mark = RecordCount(11);
    EXPECT_GT(mark, 0u);
}

TEST(ReportLines, RemarksAreCutAndCellsCentred) {
    Start();
    std::size_t mark = RecordCount();
    PrintTextLine(1, 10, "abc　【注】def"_sj);
    EXPECT_EQ(DrawnSince(mark), "abc");
    // "AB" in a cell of 8 bytes starting at byte 2: centred 3 cells in.
    mark = RecordCount();
    PrintTextLine(0, 10, "│  AB    │"_sj);
    EXPECT_EQ(FirstTextSince(mark), "90 100 A");
}

TEST(ReportBoxRules, FramesBecomeRuleLines) {
    Start();
    std::size_t mark = RecordCount();
    PrintTextLine(10, 20, "┌──┬──┐"_sj);
    PrintTextLine(10, 23.6, "│  │  │"_sj);
    PrintTextLine(10, 27.2, "│  │  │"_sj);
    PrintTextLine(10, 30, "└──┴──┘"_sj);
    // Rules run through the cell middles: x = 10 + 1.8 p mm, y + 1.8 mm.
    const std::multiset<std::string> expected = {
        "118 218 334 218",                                        // top
        "118 318 334 318",                                        // bottom
        "118 218 118 318", "226 218 226 318", "334 218 334 318",  // verticals
    };
    EXPECT_EQ(SegmentsSince(mark), expected);
    // The box characters themselves are not printed.
    EXPECT_EQ(DrawnSince(mark), "");

    // Crossings draw nothing themselves; a heavy run is twice as wide.
    mark = RecordCount();
    std::string line = "├─┼━┤"_sj;
    DrawBoxRules(0, 0, line);
    EXPECT_EQ(SegmentsSince(mark).size(), 1u);
    EXPECT_EQ(Records({"pen-width"}).back(), "pen-width 2.1");
    EXPECT_EQ(line, std::string(10, ' '));

    // A heavy frame draws all four sides heavy, the verticals too.
    mark = RecordCount();
    PrintTextLine(0, 50, "┏━┳━┓"_sj);
    PrintTextLine(0, 53.6, "┗━┻━┛"_sj);
    std::string width;
    std::vector<std::string> lineWidths;
    for (const std::string& r : RecordsSince(mark)) {
        if (r.rfind("pen-width ", 0) == 0) width = r;
        if (r.rfind("line ", 0) == 0) lineWidths.push_back(width);
    }
    EXPECT_EQ(lineWidths, std::vector<std::string>(5, "pen-width 2.1"));

    // A 「─」 outside a run prints (each drawn twice to join its neighbours).
    mark = RecordCount();
    PrintTextLine(0, 40, "a──b"_sj);
    EXPECT_EQ(DrawnSince(mark), "a" + "────"_sj + "b");
    EXPECT_TRUE(SegmentsSince(mark).empty());
}

TEST(ReportFields, RegisteredFromMasksAndFilled) {
    Start();
    // Two blanks, a mask and two blanks between two bars: one field that
    // spans the cell from rule to rule (12 cells).
    PrintTextLine(10, 50, "│  ###.##  │"_sj);
    ASSERT_EQ(FieldTable.positionalCount, 1);
    const FieldRecord& f = FieldTable.fields[0];
    EXPECT_NEAR(f.fieldWidth, 12 * 1.8, 1e-9);
    EXPECT_NEAR(f.maskX, 4 * 1.8, 1e-9);
    EXPECT_NEAR(f.cellX, 1 * 1.8, 1e-9);
    EXPECT_EQ(f.widthChars, 6);
    EXPECT_EQ(f.decimals, 2);

    struct Case {
        double value;
        std::string drawn;
        const char* first;  // position of the first drawn character
    };
    const Case cases[] = {
        {3.14159, "3.14", "208 500 3"},          // "  3.14" right-aligned in the mask
        {1234567.8, "1234567.80", "118 500 1"},  // three cells left, into the free room
        {-12.5, "-12.50", "172 500 -"},
        // Rounding to zero leaves no sign behind: "0.00", not "-0.00".
        {-0.0001, "0.00", "208 500 0"},
        {-0.0, "0.00", "208 500 0"},
    };
    for (const Case& c : cases) {
        FieldTable.fillCursor = 0;
        const std::size_t mark = RecordCount();
        FillFieldNumber(-1, c.value, 0);
        EXPECT_EQ(DrawnSince(mark), c.drawn) << c.value;
        EXPECT_EQ(FirstTextSince(mark), c.first) << c.value;
    }
    EXPECT_EQ(NextFieldIndex(), -1);
    const std::size_t mark = RecordCount();
    FillFieldNumber(-1, 1, 0);  // no field left: nothing
    FillFieldText(-1, "x", 0);
    EXPECT_EQ(RecordCount(), mark);
}

TEST(ReportFields, TooWideNumbersLoseDecimalsThenBecomeStars) {
    Start();
    PrintTextLine(0, 50, "│###.##│"_sj);  // 8 cells from rule to rule
    struct Case {
        double value;
        std::string drawn;
    };
    const Case cases[] = {
        {1234567.8, "1234568"},     // centred without decimals, never cut
        {12345.678, "12345.68"},    // moved one cell left, still in the cell
        {-99999999.9, "********"},  // even the whole part does not fit
        {0.5, "0.50"},
    };
    for (const Case& c : cases) {
        FieldTable.fillCursor = 0;
        const std::size_t mark = RecordCount();
        FillFieldNumber(-1, c.value, 0);
        EXPECT_EQ(DrawnSince(mark), c.drawn) << c.value;
    }
    FieldTable.fillCursor = 0;
    const std::size_t mark = RecordCount();
    PutFieldNumber(-1, 1.0 / 0.0, 0);
    EXPECT_EQ(DrawnSince(mark), "********");
    FieldTable.fillCursor = 0;
    const std::size_t centred = RecordCount();
    PutFieldNumber(-1, -0.001, 0);
    EXPECT_EQ(DrawnSince(centred), "0.00");
}

TEST(ReportFields, TextsNamedFieldsAndFonts) {
    Start();
    PrintTextLine(0, 10, "P###.# Q## ABCDEFGHIJKLMNOPQR##");
    EXPECT_EQ(FieldTable.positionalCount, 0);
    EXPECT_EQ(FieldTable.nextNamed, kFirstNamedField + 3);
    EXPECT_STREQ(FieldTable.fields[1000].name, "P");
    EXPECT_EQ(FieldTable.fields[1000].widthChars, 6);
    // A long name keeps the bytes its slot holds.
    EXPECT_STREQ(FieldTable.fields[1002].name, "ABCDEFGHIJKLMNO");

    std::size_t mark = RecordCount();
    FillNamedFieldNumber("Q", 7, 0);
    // "Q##" spans cells 7..9; the value "  7" ends in cell 9 (x 16.2 mm).
    EXPECT_EQ(FirstTextSince(mark), "162 100 7");
    mark = RecordCount();
    FillNamedFieldNumber("ABCDEFGHIJKLMNOPQR", 42, 0);
    EXPECT_EQ(DrawnSince(mark), "42");
    mark = RecordCount();
    FillNamedFieldNumber("nobody", 1, 0);
    EXPECT_EQ(RecordCount(), mark);

    // Texts: right-aligned in the mask, or centred when longer.
    PrintTextLine(0, 20, "│ ###### │"_sj);
    mark = RecordCount();
    FillFieldText(-1, "ab", 0);
    EXPECT_EQ(FirstTextSince(mark), "126 200 a");  // "    ab" from cell 3
    FieldTable.fillCursor = 0;
    mark = RecordCount();
    FillFieldText(-1, "abcdefgh", 0);
    EXPECT_EQ(FirstTextSince(mark), "36 200 a");  // centred in 10 cells from cell 1

    // The field's own font when asked; the current font comes back.
    SetFontMm(5, 2.5, 0, 1);
    FieldTable.fillCursor = 0;
    mark = RecordCount();
    FillFieldNumber(-1, 1, 1);
    EXPECT_EQ(RecordsSince(mark).front(), "font 36 18 0 0");
    EXPECT_DOUBLE_EQ(CurrentFont.height, 5);
    EXPECT_EQ(Records({"font"}).back(), "font 50 24 0 1");
}

TEST(ReportFields, TablesHaveRoomFor1000PositionalFields) {
    Start();
    for (int i = 0; i < 1100; ++i) PrintTextLine(0, 10, "#");
    EXPECT_EQ(FieldTable.positionalCount, kPositionalFields);
    ResetFields();
    EXPECT_EQ(FieldTable.positionalCount, 0);
    EXPECT_EQ(FieldTable.nextNamed, kFirstNamedField);
}

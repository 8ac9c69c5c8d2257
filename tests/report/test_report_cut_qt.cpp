// A report longer than the page pool: it stops at the pool's last page,
// the contents list no heading past that page, and that page says that
// the report was cut there and why. Load tables make the long report:
// 26 load cases of 1599 loads print 41 pages each.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sjis_literal.h"
#include "report/report_lines.h"
#include "report_body_util.h"
#include "tests/model/model_builder.h"

namespace {

constexpr int kCases = 26;
constexpr int kLastBodyPage = kPoolPageCount - 1 - 10;  // 1013

ModelBuilder LongReport() {
    ModelBuilder b;
    b.Node(1, 0, 0).Node(2, 6, 0).Material(1, 2.05e8).Section(1, 0.01, 0.0002).Member(1, 1, 2);
    for (int k = 3; k <= 560; ++k) b.Node(k, 0.01 * k, 1);
    b.Support(1, 1, kSupportPin).Support(1, 2, kSupportRollerY);
    for (int c = 1; c <= kCases; ++c) {
        b.Load(c, kLoadDistY, 1, -1, -1);
        LoadCase& lc = b.model().loadCases[c];
        for (int k = 2; k <= kMaxLoads; ++k) lc.loads[k] = lc.loads[1];
        lc.count = kMaxLoads;
    }
    return b;
}

// The page number at the end of a contents line (the digits that end it,
// which may touch the leader), 0 when there is none.
int PageOfContentsLine(const std::string& line) {
    std::size_t start = line.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(line[start - 1]))) --start;
    return start < line.size() ? std::atoi(line.c_str() + start) : 0;
}

}  // namespace

TEST(ReportCut, StopsAtThePoolsLastPageAndSaysSo) {
    ModelBuilder b = LongReport();
    const int pages = ComposeReport(b.model(), nullptr, nullptr);
    ASSERT_TRUE(PoolOverflowed());
    EXPECT_EQ(pages, kLastBodyPage);

    // No heading recorded for a page that was never printed, and the
    // contents pages list none.
    ASSERT_GT(HeadingList.Count(), 0);
    for (int i = 0; i < HeadingList.Count(); ++i)
        EXPECT_LE(std::atoi(HeadingList[i].substr(0, 4).c_str()), kLastBodyPage) << HeadingList[i];
    int listed = 0, highest = 0;
    for (int k = 1; k <= ContentsPageOffset; ++k)
        for (const std::string& line : PoolPageText(k)) {
            const int page = PageOfContentsLine(line);
            if (page <= 0) continue;
            ++listed;
            highest = std::max(highest, page);
        }
    EXPECT_EQ(listed, HeadingList.Count());
    EXPECT_LE(highest, kLastBodyPage);
    // The load cases that began on the last pages are listed with four
    // digits, one blank clear of the leader.
    EXPECT_GE(highest, 1000);
    for (const std::string& line : PoolPageText(1)) {
        const std::vector<std::string> w = Words(line);
        if (w.size() < 2 || PageOfContentsLine(line) < 1000) continue;
        EXPECT_NE(line.find("･ "_sj + w.back()), std::string::npos) << line;
    }

    // The last page says why it ends there, at its foot, below everything
    // else but its page number.
    const std::vector<std::string> last = PoolPageText(kPoolPageCount - 1);
    ASSERT_GE(last.size(), 2u);
    EXPECT_NE(last[last.size() - 2].find("打ち切りました"_sj), std::string::npos);
    EXPECT_EQ(Words(last.back()), std::vector<std::string>{std::to_string(kLastBodyPage)});
    // The note is drawn last; the page number stands in the footer band
    // below 266 mm.
    double noteY = 0, otherY = 0;
    for (const std::string& rec : DumpPoolPage(kPoolPageCount - 1)) {
        const std::vector<std::string> w = Words(rec);
        if (w.size() < 4 || w[0] != "text") continue;
        const double y = std::atof(w[2].c_str());
        if (w[3] == "＊"_sj)
            noteY = y;
        else if (noteY == 0 && y < 2660)
            otherY = std::max(otherY, y);
    }
    EXPECT_GT(noteY, 0.0);
    EXPECT_LT(otherY, noteY);
}

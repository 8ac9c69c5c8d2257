#include "report/contents_pages.h"

#include <algorithm>
#include <vector>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"
#include "report/page_pool.h"
#include "report/report_cover.h"
#include "report/report_lines.h"
#include "report/report_template.h"
#include "report/text_draw.h"

namespace {

constexpr double kRowPitch = 5.76;
constexpr double kTitleY = 2 + kRowPitch;
constexpr int kRemarkColumn = 45;
constexpr int kPageColumn = 78;
// Byte offsets in a contents record "%4d,%9.2f,%9.2f,%4d,%s".
constexpr std::size_t kRecordY = 5;
constexpr std::size_t kRecordStyle = 25;
constexpr std::size_t kRecordText = 30;

// The field of a contents record that starts at byte offset from, count
// bytes long (to the record's end by default); empty when the record is
// shorter.
std::string RecordField(const std::string& record, std::size_t from,
                        std::size_t count = std::string::npos) {
    return from < record.size() ? record.substr(from, count) : std::string();
}

std::string TrimRight(const std::string& s) {
    std::size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ') --e;
    return s.substr(0, e);
}

int IntOf(const std::string& s) { return TextToInt(Trim(s)); }

// Headings that get a contents line: all of them up to 400; beyond that the
// last page keeps its last line for the note that the rest is left out.
int ListedHeadings() {
    const int room = kContentsPerPage * kMaxContentsPages;
    return HeadingList.Count() > room ? room - 1 : HeadingList.Count();
}

void PrintContentsEntry(double y, const std::string& record) {
    const int page = IntOf(RecordField(record, 0, 4));
    const int style = IntOf(RecordField(record, kRecordStyle, 5));
    std::string text = Trim(ZenSpaceToHan(RecordField(record, kRecordText)));
    // Section numbers (1.2) step in by two columns, items "(1)" by four.
    if (text.size() > 2 && text[1] == '.' && text[2] >= '0' && text[2] <= '9')
        text = "  " + text;
    else if (!text.empty() && text[0] == '(')
        text = "    " + text;
    std::string remark;
    const std::size_t r = SjisFind(text, "【"_sj);
    if (r != std::string::npos) {
        remark = Trim(text.substr(r));
        text = TrimRight(text.substr(0, r));
    }
    SetFontMm(kBaseTextHeight, 0, 0, style);
    PrintTextLine(kContentsLeft, y, text);
    // The leader: dots to the remark column, the remark, dots to the page.
    // It starts two blanks after the text's last character; the closing
    // mark of a name's literal run is no character, and counted as one the
    // leader of a named case stood a blank further off than the others.
    int c0 = static_cast<int>(text.size()) + 2;
    if (!text.empty() && text.back() == kLiteralClose) --c0;
    int c = c0;
    std::string leader;
    for (; c < kRemarkColumn; ++c) leader += "･"_sj;
    leader += remark;
    c += static_cast<int>(remark.size());
    // The page number ends in column 80; one of four or more digits starts
    // earlier, and the leader then stops a blank short of it.
    const std::string number = FormatStr("%3d", page);
    const int numberColumn = kPageColumn + 3 - static_cast<int>(number.size());
    const int leaderEnd = number.size() > 3 ? numberColumn - 1 : kPageColumn;
    for (; c < leaderEnd; ++c) leader += "･"_sj;
    for (; c < numberColumn; ++c) leader += " ";
    leader += number;
    SetFontMm(kBaseTextHeight, 0, 0, 1);
    // Plain cells: the remark's 「【」 must print here, and no markup applies.
    Gmm_Text(kContentsLeft + c0 * kContentsColumn, y, 0, 0, leader);
}

void SortHeadingList() {
    std::vector<std::string> lines = HeadingList.Lines();
    std::stable_sort(lines.begin(), lines.end());
    HeadingList.Clear();
    for (const std::string& s : lines) HeadingList.Add(s);
}

}  // namespace

void PrintContentsPage(int k) {
    if (k < 1 || k > kMaxContentsPages) return;
    // 1.
    PoolSelectPage(k);
    PrintPageFooter(-1);
    // 2. Page and y are right-aligned at the record's start, so plain text
    // order is page order, then y.
    SortHeadingList();
    // 3.
    SetFontMm(kBaseTextHeight, 0, 0, 0);
    PrintTextLine((180 - kBaseTextHeight * 6) / 2, kTitleY, "－ 目 次 －"_sj);
    double y = kTitleY + kRowPitch;
    // 4.
    const int listed = ListedHeadings();
    const int from = (k - 1) * kContentsPerPage;
    for (int i = from; i < from + kContentsPerPage && i < listed; ++i) {
        y += kRowPitch;
        PrintContentsEntry(y, HeadingList[i]);
    }
    if (listed < HeadingList.Count() && k == kMaxContentsPages) {
        y += kRowPitch;
        SetFontMm(kBaseTextHeight, 0, 0, 1);
        Gmm_Text(kContentsLeft, y, 0, 0, "…以下省略"_sj);
    }
}

int BuildContentsPages(ContentsJumpList* list) {
    // 1.
    const int n = std::min((HeadingList.Count() + kContentsPerPage - 1) / kContentsPerPage,
                           kMaxContentsPages);
    ContentsPageOffset = n;
    // 2.
    for (int k = 1; k <= n; ++k) PrintContentsPage(k);
    PoolRecording = false;
    // 3.
    if (list) {
        const int top = list->TopIndex();
        list->Clear();
        list->AddRow(FormatStr("%-80s%6.2f", " － 表 紙 －"_sj.c_str(), static_cast<double>(-n)),
                     -n);
        list->AddRow(FormatStr("%-80s%6.2f", " － 目 次 －"_sj.c_str(), static_cast<double>(1 - n)),
                     1 - n);
        for (int i = 0; i < HeadingList.Count(); ++i) {
            const std::string& record = HeadingList[i];
            const double value = IntOf(RecordField(record, 0, 4)) +
                                 TextToDouble(RecordField(record, kRecordY, 9)) / 270.0;
            std::string text = RecordField(record, kRecordText);
            const std::size_t r = SjisFind(text, "【"_sj);
            if (r != std::string::npos && r > 0) text = text.substr(0, r);
            if (!text.empty() && text[0] == '(') text = " " + text;
            text = ReportPlainText(text);
            list->AddRow(FormatStr("%-80s%6.2f", text.c_str(), value), value);
        }
        list->SetTopIndex(top);
    }
    // 4.
    return n;
}

int PoolPageOfPreviewPage(int k) {
    return k <= ContentsPageOffset ? k : k + 10 - ContentsPageOffset;
}

void RenderPreviewPage(TBitmap& target, int k, int width, int height, std::uint32_t background) {
    PlayPoolPage(target, PoolPageOfPreviewPage(k), width, height, background);
}

void RenderPreviewPage(TPrinter& target, int k, int width, int height, std::uint32_t background) {
    PlayPoolPage(target, PoolPageOfPreviewPage(k), width, height, background);
}

void DownsampleBitmap2x(TBitmap& destination, TBitmap& source, int offset) {
    if (&destination == &source) return;
    const int dw = destination.Width(), dh = destination.Height();
    const int sw = source.Width(), sh = source.Height();
    // Each channel is cut to a multiple of 4 first, so the four-pixel sum
    // stays inside its own byte and one shift gives all three means.
    constexpr std::uint32_t kMask = 0xFCFCFC;
    for (int i = 0; i < dh; ++i) {
        const long a = 2L * i - 2L * offset;
        if (a < 0 || a + 1 >= sh) continue;
        std::uint32_t* d = destination.ScanLine(i);
        const std::uint32_t* s0 = source.ScanLine(static_cast<int>(a));
        const std::uint32_t* s1 = source.ScanLine(static_cast<int>(a) + 1);
        if (!d || !s0 || !s1) continue;
        for (int j = 0; j < dw && 2 * j + 1 < sw; ++j) {
            d[j] = ((s0[2 * j] & kMask) + (s0[2 * j + 1] & kMask) + (s1[2 * j] & kMask) +
                    (s1[2 * j + 1] & kMask)) >>
                   2;
        }
    }
}

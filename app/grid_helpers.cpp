#include "app/grid_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/text_helpers.h"
#include "platform/qt/canvas.h"
#include "platform/qt/controls.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

// Row heights grown by SpreadRowHeights stop here.
constexpr int kMaxSpreadRowHeight = 26;

// Splits a definition at 「┃」 on character boundaries (the box character's
// trail byte may equal an ASCII byte of no interest, but a lead byte must
// never be taken from the middle of another character).
std::vector<std::string> SplitItems(const std::string& text) {
    const std::string& bar = "┃"_sj;
    std::vector<std::string> items;
    std::string item;
    for (std::size_t i = 0; i < text.size();) {
        const int n = std::max(1, CharByteCount(text, i));
        if (text.compare(i, bar.size(), bar) == 0) {
            items.push_back(item);
            item.clear();
        } else {
            item.append(text, i, static_cast<std::size_t>(n));
        }
        i += static_cast<std::size_t>(n);
    }
    if (!item.empty()) items.push_back(item);  // the missing trailing bar
    return items;
}

std::string StripLeadingBar(const std::string& text) {
    const std::string& bar = "┃"_sj;
    return text.compare(0, bar.size(), bar) == 0 ? text.substr(bar.size()) : text;
}

void SetLabelTexts(TStringGrid& grid, bool byRow, int index, const char* label, const char* second,
                   const char* third, GridAttribute* attributes, const std::string& key,
                   int backColor, int fontColor, int bold, int editable) {
    GridAttribute a;
    std::string text = label ? label : "";
    std::size_t k = 0;
    while (k < text.size() && (text[k] == '^' || text[k] == '_')) {
        (text[k] == '^' ? a.lineAbove : a.lineBelow) = 1;
        ++k;
    }
    text.erase(0, k);
    const char* texts[3] = {label ? text.c_str() : nullptr, second, third};
    for (int t = 0; t < 3; ++t) {
        if (!texts[t]) continue;
        if (byRow)
            SetCellIfChanged(grid, index, t, texts[t]);
        else
            SetCellIfChanged(grid, t, index, texts[t]);
    }
    if (attributes) {
        a.key = key;
        a.editable = editable;
        a.backColor = backColor;
        a.fontColor = fontColor;
        a.bold = bold;
        attributes[index] = a;
    }
}

}  // namespace

int SetGridHeader(TStringGrid& grid, int captionRow, const std::string& definition) {
    if (definition.empty()) return 0;
    const std::vector<std::string> items = SplitItems(StripLeadingBar(definition));
    const int n = static_cast<int>(items.size());
    if (grid.ColCount() < n) grid.SetColCount(n);
    int total = 1;
    for (int c = 0; c < n; ++c) {
        const std::string& item = items[static_cast<std::size_t>(c)];
        int width = TextToInt(item);
        const std::size_t colon = item.find(':');
        std::string caption;
        if (colon != std::string::npos || width != 0) {
            caption = colon != std::string::npos ? item.substr(colon + 1) : item;
        } else {
            caption = item;
            TStringList parts;
            parts.SetCommaText(item);
            for (int p = 0; p < parts.Count(); ++p)
                width = std::max(width, grid.TextWidth(parts[p] + "X"));
        }
        grid.SetColWidth(c, width);
        grid.SetCell(c, captionRow, caption);
        total += width + 1;
    }
    return total;
}

void FitGridWidthToColumns(TStringGrid& grid, int minHeaderHeight, const std::string& definition,
                           bool addMargin) {
    const int w = SetGridHeader(grid, 0, definition);
    grid.SetWidth(addMargin ? w + 20 : w);
    grid.SetRowHeight(0, std::max(minHeaderHeight, grid.RowHeight(0)));
}

void SetupGridHeader(TStringGrid& grid, int minHeaderHeight, const std::string& definition) {
    FitGridWidthToColumns(grid, minHeaderHeight, definition, true);
}

void SelectGridRowByKey(TStringGrid& grid, int keyColumn, int number) {
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (TextToInt(grid.Cells(keyColumn, r)) != number) continue;
        const bool enabled = grid.Enabled();
        grid.SetEnabled(false);
        grid.SetRow(r);
        grid.SetEnabled(enabled);
        break;
    }
    grid.Refresh();
}

void SetCellIfChanged(TStringGrid& grid, int row, int col, const std::string& text) {
    if (grid.Cells(col, row) != text) grid.SetCell(col, row, text);
}

std::string FormatCellNumber(const char* format, double value) {
    const std::string text = FormatStr(format, value);
    if (!std::isfinite(value) || !std::signbit(value)) return text;
    const std::string mantissa = text.substr(0, text.find_first_of("eE"));
    return mantissa.find_first_of("123456789") == std::string::npos ? FormatStr(format, 0.0) : text;
}

void SetRowLabel(TStringGrid& grid, int row, const char* label, const char* second,
                 const char* third, GridAttribute* attributes, const std::string& key,
                 int backColor, int fontColor, int bold, int editable) {
    if (grid.RowCount() < row + 1) grid.SetRowCount(row + 1);
    SetLabelTexts(grid, true, row, label, second, third, attributes, key, backColor, fontColor,
                  bold, editable);
}

void SetColumnLabel(TStringGrid& grid, int col, const char* label, const char* second,
                    const char* third, GridAttribute* attributes, const std::string& key,
                    int backColor, int fontColor, int bold, int editable) {
    if (grid.ColCount() < col + 1) grid.SetColCount(col + 1);
    SetLabelTexts(grid, false, col, label, second, third, attributes, key, backColor, fontColor,
                  bold, editable);
}

void SpreadRowHeights(TStringGrid& grid, int reservedHeight) {
    int used = 1;
    for (int r = 0; r < grid.RowCount(); ++r) used += grid.RowHeight(r) + 1;
    const int spare = grid.Height() - reservedHeight - used;
    if (spare < 3) return;
    const int rows = grid.RowCount();
    int error = rows / 2;
    for (int r = 0; r < rows; ++r) {
        error -= spare;
        if (error < 0) {
            grid.SetRowHeight(r, std::min(grid.RowHeight(r) + 1, kMaxSpreadRowHeight));
            error += rows;
        }
    }
}

bool IsKeyDown(int virtualKey) { return KeyIsHeld(virtualKey); }

double ControlToDouble(const TControl& control) {
    if (const auto* label = dynamic_cast<const TLabel*>(&control))
        return TextToDouble(label->Caption());
    return 0;
}

void CreateCellFont(TCanvas& canvas, int height, int width, int angle, int kind) {
    TFontSpec font = canvas.Font();
    if (height <= 0) height = std::abs(font.height);
    if (width <= 0) width = height / 2;
    font.height = std::max(1, height);
    font.width = std::max(1, width);
    font.escapement = angle * 10;
    font.weight = 400;
    font.italic = false;
    if (kind == 1)
        font.face = "ＭＳ ゴシック"_sj;
    else if (kind == 2)
        font.face = "ＭＳ 明朝"_sj;
    canvas.SetFont(font);
}

namespace {
void DrawSqueezed(TCanvas& canvas, int x, int y, int width, const std::string& text, bool centre) {
    if (width <= 0) {
        canvas.TextOut(x, y, text);
        return;
    }
    const TFontSpec saved = canvas.Font();
    const int h = std::abs(saved.height);
    int w = canvas.TextWidth(text);
    int cw = text.empty() ? 1 : std::max(1, w / static_cast<int>(text.size()));
    while (w > width && cw > 0) {
        --cw;
        if (cw == 0) break;
        CreateCellFont(canvas, h, cw, 0, 0);
        w = canvas.TextWidth(text);
    }
    const int left = centre ? x + (width - w) / 2 : x;
    canvas.TextOut(left, y, text);
    canvas.SetFont(saved);
}
}  // namespace

void DrawCellText(TCanvas& canvas, int x, int y, int width, const std::string& text) {
    DrawSqueezed(canvas, x, y, width, text, false);
}

void DrawCellTextAt(TCanvas& canvas, int x, int y, int width, const std::string& text) {
    DrawSqueezed(canvas, x, y, width, text, true);
}

void DrawCellLines(TCanvas& canvas, const TRect& rect, const std::string& text) {
    // At most 510 bytes in at most 64 lines.
    std::vector<std::string> lines;
    std::string line;
    const std::string cut = text.substr(0, 510);
    for (std::size_t i = 0; i < cut.size();) {
        const int n = std::max(1, CharByteCount(cut, i));
        if (n == 1 && cut[i] == ',' && lines.size() < 63) {
            lines.push_back(line);
            line.clear();
        } else {
            line.append(cut, i, static_cast<std::size_t>(n));
        }
        i += static_cast<std::size_t>(n);
    }
    lines.push_back(line);
    const int n = static_cast<int>(lines.size());
    const int t = std::abs(canvas.Font().height);
    const double gap = static_cast<double>(rect.Height() - t * n) / n;
    double y = gap * 0.5 + 0.5;
    for (std::string& l : lines) {
        std::replace(l.begin(), l.end(), '$', ' ');
        DrawCellTextAt(canvas, rect.left, rect.top + static_cast<int>(y), rect.Width(), l);
        y += t + gap;
    }
}

// What each cell of the input grids shows: code captions, "**" for a
// missing reference, and the colours of selection and column groups.
#include <algorithm>

#include "app/input_grids.h"
#include "model/frame_model.h"
#include "model/text_helpers.h"
#include "platform/qt/string_grid.h"
#include "platform/sjis_literal.h"

namespace {

constexpr std::uint32_t kFixedBack = 0xC0C0C0;
constexpr std::uint32_t kEvenBack = 0xD0E0E0;
constexpr std::uint32_t kOddBack = 0xC0E0E0;
constexpr std::uint32_t kHighlight = 0x88FFFF;
constexpr std::uint32_t kNodeColumnsBack = 0xD0FFE0;
constexpr std::uint32_t kLengthColumnsBack = 0xFFE0E0;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kBlue = 0xFF0000;

std::string SupportCodeText(int code) {
    switch (code) {
    case 0: return "－"_sj;
    case 1: return ":ピン"_sj;
    case 2: return ":Xrol";
    case 3: return ":Yrol";
    case 4: return ":固定"_sj;
    case 5: return ":バネ"_sj;
    default: return "";
    }
}

std::string LoadCodeText(int code) {
    switch (code) {
    case 11: return ":平行分布"_sj;
    case 12: return ":直角分布"_sj;
    case 13: return ":水平分布"_sj;
    case 14: return ":鉛直分布"_sj;
    case 21: return ":平行集中"_sj;
    case 22: return ":直角集中"_sj;
    case 23: return ":水平集中"_sj;
    case 24: return ":鉛直集中"_sj;
    case 27: return ":集中ﾓｰﾒﾝﾄ"_sj;
    case 31: return ":温度荷重"_sj;
    case 41: return ":ﾌﾟﾚｽﾄﾚｽS"_sj;
    case 51: return ":格点荷重"_sj;
    case 61: return ":支点d"_sj;
    default: return "";
    }
}

// Columns of SgLoad2 that do not apply to a load code.
bool LoadCellUnused(int code, int col) {
    if (code >= 20 && code <= 29) return col == 3 || col == 5 || col == 7;
    if (code == 31) return col >= 5 && col <= 7;
    if (code == 41) return col == 3;
    if (code == 51 || code == 61) return col == 3 || col == 7;
    return false;
}

bool InRange(int value, int first, int last) {
    if (last <= 0) last = first;
    return value > 0 && value >= std::min(first, last) && value <= std::max(first, last);
}

bool MemberSelected(const SelectionState& s, int first, int last) {
    if (s.memberFirst <= 0) return false;
    const int sl = s.memberLast > 0 ? s.memberLast : s.memberFirst;
    for (int m = s.memberFirst; m <= sl; ++m)
        if (InRange(m, first, last)) return true;
    return false;
}

}  // namespace

CellLook GridCellLook(const InputGrids& g, const FrameModel& model, const SelectionState& sel,
                      GridId id, int col, int row) {
    const TStringGrid& grid = g[id];
    CellLook look;
    look.text = grid.Cells(col, row);
    const bool appendRow = row == grid.RowCount() - 1 && row > 0;
    if (row == 0 || col == 0) look.back = kFixedBack;
    else look.back = (row % 2 == 1) ? kOddBack : kEvenBack;
    if (row == 0) return look;
    if (col == 0) {
        look.text = (appendRow && id != kSgView2) ? "追加"_sj : FormatStr("%d", row);
        return look;
    }
    if (appendRow) {
        look.back = kEvenBack;
        if (id != kSgView2) look.text.clear();
        return look;
    }
    const int v = TextToInt(look.text);
    const int key = TextToInt(grid.Cells(1, row));
    const bool filled = !look.text.empty();
    int selI = 0, selJ = 0;
    if (const int mi = FindMemberIndex(model, sel.memberFirst); mi > 0) {
        selI = model.members[mi].nodeI;
        selJ = model.members[mi].nodeJ;
    }
    int selSection = 0, selMaterial = 0;
    if (const int mi = FindMemberIndex(model, sel.memberFirst); mi > 0) {
        selSection = model.members[mi].sectionNo;
        selMaterial = model.members[mi].materialNo;
    }
    bool highlight = false;
    switch (id) {
    case kSgMember:
        if (col >= 2 && col <= 5 && filled && v == 0) look.text = "**";
        if ((col == 6 || col == 7) && filled) look.text = v != 0 ? "ﾋﾟﾝ"_sj : "剛"_sj;
        if ((col == 8 || col == 9) && filled && TextToDouble(look.text) == 0) look.text = "－"_sj;
        if (col == 2 || col == 3 || col == 6 || col == 7) look.back = kNodeColumnsBack;
        if (col == 8 || col == 9) look.back = kLengthColumnsBack;
        if (col == 2 || col == 3) look.font = kBlue;
        highlight = MemberSelected(sel, key, key);
        break;
    case kSgSupt2:
        if (col == 2 && filled) look.text = FormatStr("%d", v) + SupportCodeText(v);
        highlight = key > 0 && (key == selI || key == selJ || key == sel.nodeI);
        break;
    case kSgLoad1:
        if (col == 3 && filled && v == 0) look.text = "**";
        if (col == 4 && filled && v == 0) look.text = "－"_sj;
        highlight = key == sel.loadCase;
        break;
    case kSgLoad2: {
        const int code = key;
        if (col == 1 && filled) look.text = FormatStr("%d", v) + LoadCodeText(v);
        else if (col == 2 && filled && v == 0) look.text = "**";
        else if (col == 3 && filled && v == 0) look.text = "－"_sj;
        if (LoadCellUnused(code, col)) look.text = "－"_sj;
        if (sel.memberFirst > 0) {
            if (col == 2 || col == 3 || col == 6 || col == 7) look.back = kNodeColumnsBack;
            if (col == 4 || col == 5) look.back = kLengthColumnsBack;
        }
        highlight = MemberSelected(sel, TextToInt(grid.Cells(2, row)), TextToInt(grid.Cells(3, row)));
        break;
    }
    case kSgPoint: highlight = key > 0 && (key == selI || key == selJ || key == sel.nodeI); break;
    case kSgSection: highlight = key > 0 && (key == selSection || key == sel.section); break;
    case kSgMaterial: highlight = key > 0 && (key == selMaterial || key == sel.material); break;
    case kSgBane1: highlight = key == sel.springCase; break;
    case kSgSupt1: highlight = key == sel.supportCase; break;
    case kSgKumi1: highlight = key == sel.combination; break;
    case kSgBane2: highlight = key > 0 && key == sel.memberFirst; break;
    case kSgView1:
        highlight = MemberSelected(sel, key, TextToInt(grid.Cells(2, row)));
        break;
    case kSgView2: highlight = row == grid.Row(); break;
    case kSgKumi2: highlight = key > 0 && key == sel.loadCase; break;
    default: break;
    }
    if (highlight) look.back = kHighlight;
    if (look.text == "**") look.font = kRed;
    return look;
}

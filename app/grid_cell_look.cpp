// What each cell of the input grids shows: code captions, "**" for a
// missing reference, and the colours of selection and column groups.
#include <algorithm>

#include "app/input_grids.h"
#include "model/frame_model.h"
#include "model/model_tables.h"
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
        case 0:
            return "－"_sj;
        case 1:
            return ":ピン"_sj;
        case 2:
            return ":Xrol";
        case 3:
            return ":Yrol";
        case 4:
            return ":固定"_sj;
        case 5:
            return ":バネ"_sj;
        default:
            return "";
    }
}

std::string LoadCodeText(int code) {
    switch (code) {
        case 11:
            return ":平行分布"_sj;
        case 12:
            return ":直角分布"_sj;
        case 13:
            return ":水平分布"_sj;
        case 14:
            return ":鉛直分布"_sj;
        case 21:
            return ":平行集中"_sj;
        case 22:
            return ":直角集中"_sj;
        case 23:
            return ":水平集中"_sj;
        case 24:
            return ":鉛直集中"_sj;
        case 27:
            return ":集中ﾓｰﾒﾝﾄ"_sj;
        case 31:
            return ":温度荷重"_sj;
        case 41:
            return ":ﾌﾟﾚｽﾄﾚｽS"_sj;
        case 51:
            return ":格点荷重"_sj;
        case 61:
            return ":支点d"_sj;
        default:
            return "";
    }
}

// Columns of SgLoad2 that do not apply to a load code.
bool LoadCellUnused(int code, int col) {
    const bool to = col == ColumnOf(&LoadRecord::memberTo);
    const bool qJ = col == ColumnOf(&LoadRecord::qJ);
    const bool distI = col == ColumnOf(&LoadRecord::distI);
    const bool distJ = col == ColumnOf(&LoadRecord::distJ);
    // A concentrated load may stand on a run of members: its last member
    // applies.
    if (code >= 20 && code <= 29) return qJ || distJ;
    if (code == 31) return qJ || distI || distJ;
    if (code == 41) return to;
    if (code == 51 || code == 61) return to || distJ;
    return false;
}

// What a cell shows in place of its text, by its column's description.
std::string ShownText(const GridColumnInfo& column, const std::string& text) {
    const int v = TextToInt(text);
    switch (column.show) {
        case CellShow::MissingIfZero:
            return v == 0 ? "**" : text;
        case CellShow::DashIfZero: {
            const bool zero = column.kind == CellKind::Int ? v == 0 : TextToDouble(text) == 0;
            return zero ? "－"_sj : text;
        }
        case CellShow::PinOrRigid:
            return v != 0 ? "ﾋﾟﾝ"_sj : "剛"_sj;
        case CellShow::SupportCode:
            return FormatStr("%d", v) + SupportCodeText(v);
        case CellShow::LoadCode:
            return FormatStr("%d", v) + LoadCodeText(v);
        default:
            return text;
    }
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
    if (row == 0 || col == 0)
        look.back = kFixedBack;
    else
        look.back = (row % 2 == 1) ? kOddBack : kEvenBack;
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
    const int key = TextToInt(grid.Cells(kKeyColumn, row));
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
    const GridColumnInfo column = GridColumn(id, col);
    if (!look.text.empty()) look.text = ShownText(column, look.text);
    // The load grid tints its member and value columns only while members
    // are selected.
    if (column.tint != CellTint::None && (id != kSgLoad2 || sel.memberFirst > 0))
        look.back = column.tint == CellTint::Green ? kNodeColumnsBack : kLengthColumnsBack;
    const auto number = [&](int c) { return TextToInt(grid.Cells(c, row)); };
    bool highlight = false;
    switch (id) {
        case kSgMember: {
            const int nodeI = ColumnOf(&FrameMember::nodeI), nodeJ = ColumnOf(&FrameMember::nodeJ);
            const auto missing = [&](int c) {
                return !grid.Cells(c, row).empty() && FindNodeIndex(model, number(c)) == 0;
            };
            if (col == nodeI || col == nodeJ) look.font = kBlue;
            // A node that does not exist is marked like node 0, and the
            // member has no length to show.
            if ((col == nodeI || col == nodeJ) && missing(col)) look.text = "**";
            if (col == ColumnOf(&FrameMember::length) && (missing(nodeI) || missing(nodeJ)))
                look.text = "**";
            highlight = MemberSelected(sel, key, key);
            break;
        }
        case kSgSupt2:
            highlight = key > 0 && (key == selI || key == selJ || key == sel.nodeI);
            break;
        case kSgLoad1:
            highlight = key == sel.loadCase;
            break;
        case kSgLoad2:
            if (LoadCellUnused(key, col)) look.text = "－"_sj;
            highlight = MemberSelected(sel, number(ColumnOf(&LoadRecord::memberFrom)),
                                       number(ColumnOf(&LoadRecord::memberTo)));
            break;
        case kSgPoint:
            highlight = key > 0 && (key == selI || key == selJ || key == sel.nodeI);
            break;
        case kSgSection:
            highlight = key > 0 && (key == selSection || key == sel.section);
            break;
        case kSgMaterial:
            highlight = key > 0 && (key == selMaterial || key == sel.material);
            break;
        case kSgBane1:
            highlight = key == sel.springCase;
            break;
        case kSgSupt1:
            highlight = key == sel.supportCase;
            break;
        case kSgKumi1:
            highlight = key == sel.combination;
            break;
        case kSgBane2:
            highlight = key > 0 && key == sel.memberFirst;
            break;
        case kSgView1:
            highlight = MemberSelected(sel, key, number(ColumnOf(&View1Range::lastMember)));
            break;
        case kSgView2:
            highlight = row == grid.Row();
            break;
        case kSgKumi2:
            highlight = key > 0 && key == sel.loadCase;
            break;
        default:
            break;
    }
    if (highlight) look.back = kHighlight;
    if (look.text == "**") look.font = kRed;
    return look;
}

// Editing in the input grids: what a click selects, what Enter commits in
// each grid, tab switches, the one-level undo.
#include <algorithm>
#include <cstring>

#include "app/grid_helpers.h"
#include "app/main_window.h"
#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/model_tables.h"
#include "model/numeric.h"
#include "model/text_helpers.h"
#include "platform/assertions.h"
#include "platform/qt/dialogs.h"
#include "platform/sjis_literal.h"
#include "rccheck/ui/rc_window.h"
#include "report/text_draw.h"

namespace {

int CellInt(const TStringGrid& g, int col, int row) { return TextToInt(g.Cells(col, row)); }

// Row of the grid whose key column holds number, selected without events.
void SelectByKey(TStringGrid& g, int keyColumn, int number) {
    for (int r = 1; r < g.RowCount(); ++r) {
        if (TextToInt(g.Cells(keyColumn, r)) != number) continue;
        const bool enabled = g.Enabled();
        g.SetEnabled(false);
        g.SetRow(r);
        g.SetEnabled(enabled);
        break;
    }
    g.Refresh();
}

void SetRowQuietly(TStringGrid& g, int row) {
    const bool enabled = g.Enabled();
    g.SetEnabled(false);
    g.SetRow(row);
    g.SetEnabled(enabled);
}

}  // namespace

void TFmMain::SetLoadHeaders(int code) {
    std::string h[6];
    if (code == 51) {
        h[0] = "格点"_sj;
        h[1] = "－"_sj;
        h[2] = "水平荷重,(kN)"_sj;
        h[3] = "鉛直荷重,(kN)"_sj;
        h[4] = "ﾓｰﾒﾝﾄ,(kN･m)"_sj;
        h[5] = "－"_sj;
    } else if (code == 27) {
        h[0] = "開始,部材"_sj;
        h[1] = "終了,部材"_sj;
        h[2] = "荷重,(kN･m)"_sj;
        h[3] = "－"_sj;
        h[4] = "ｉ端距離,(m)"_sj;
        h[5] = "－"_sj;
    } else if (code >= 21 && code <= 30) {
        h[0] = "開始,部材"_sj;
        h[1] = "終了,部材"_sj;
        h[2] = "荷重,(kN)"_sj;
        h[3] = "－"_sj;
        h[4] = "ｉ端距離,(m)"_sj;
        h[5] = "－"_sj;
    } else {
        h[0] = "開始,部材"_sj;
        h[1] = "終了,部材"_sj;
        h[2] = "ｉ端荷重,(kN)"_sj;
        h[3] = "ｊ端荷重,(kN)"_sj;
        h[4] = "ｉ端距離,(m)"_sj;
        h[5] = "ｊ端距離,(m)"_sj;
    }
    // The six columns after the code, in this order.
    const int cols[6] = {ColumnOf(&LoadRecord::memberFrom), ColumnOf(&LoadRecord::memberTo),
                         ColumnOf(&LoadRecord::qI),         ColumnOf(&LoadRecord::qJ),
                         ColumnOf(&LoadRecord::distI),      ColumnOf(&LoadRecord::distJ)};
    for (int k = 0; k < 6; ++k) Grid(kSgLoad2).SetCell(cols[k], 0, h[k]);
}

void TFmMain::StrGridClick(GridId id) {
    TStringGrid& g = Grid(id);
    if (!g.Enabled() || clickBusy_) return;
    clickBusy_ = true;
    // A cell left without Enter (Tab, an arrow, a click elsewhere) keeps
    // what was typed into it: the grids are about to be filled again from
    // the model, so the model takes it first, while the selection still
    // names the cases that the entry grids show.
    // With 逐次計算 the results follow, as they do after Enter.
    if (typedSinceCommit_) {
        // As after Enter the grids show the model: a number typed on the
        // append row makes it a data row with a new append row below.
        CommitGrids();
        RefreshGrids();
        if (CalcAuto->Checked()) CalcExecClick(CalcSender::CalcAuto);
    }
    SelectionState& sel = CurrentSelection;
    const int row = g.Row();
    // 1. The input method for the clicked column.
    FollowInputMethod(g);
    // 2. The first click in the member grid after work elsewhere takes the
    // undo snapshot.
    if (id != kSgMember && g.Focused()) undoArmed_ = true;
    if (id == kSgMember && undoArmed_) {
        undoArmed_ = false;
        CommitGrids();
        CopyFrameModel(*undo_, *FrameData);
    }
    // 3. Member range from the row.
    if (id == kSgMember || id == kSgView1 || id == kSgBane2 || id == kSgLoad2) {
        int first = 0, last = 0;
        if (id == kSgMember || id == kSgBane2) first = last = CellInt(g, kKeyColumn, row);
        if (id == kSgView1) {
            first = CellInt(g, ColumnOf(&View1Range::firstMember), row);
            last = CellInt(g, ColumnOf(&View1Range::lastMember), row);
        }
        if (id == kSgLoad2) {
            first = CellInt(g, ColumnOf(&LoadRecord::memberFrom), row);
            last = CellInt(g, ColumnOf(&LoadRecord::memberTo), row);
        }
        if (last == 0) last = first;
        if (first != sel.memberFirst || last != sel.memberLast) {
            sel.memberFirst = first;
            sel.memberLast = last;
            if (id != kSgMember) SelectByKey(Grid(kSgMember), kKeyColumn, first);
            if (id != kSgBane2) SelectByKey(Grid(kSgBane2), kKeyColumn, first);
            if (id != kSgLoad2)
                SelectByKey(Grid(kSgLoad2), ColumnOf(&LoadRecord::memberFrom), first);
            if (id == kSgMember) {
                sel.nodeI = CellInt(g, ColumnOf(&FrameMember::nodeI), row);
                sel.nodeJ = CellInt(g, ColumnOf(&FrameMember::nodeJ), row);
                sel.section = CellInt(g, ColumnOf(&FrameMember::sectionNo), row);
                sel.material = CellInt(g, ColumnOf(&FrameMember::materialNo), row);
                SelectByKey(Grid(kSgPoint), kKeyColumn, sel.nodeI);
                SelectByKey(Grid(kSgSupt2), kKeyColumn, sel.nodeI);
                SelectByKey(Grid(kSgSection), kKeyColumn, sel.section);
                SelectByKey(Grid(kSgMaterial), kKeyColumn, sel.material);
                SelectByKey(Grid(kSgView1), kKeyColumn, first);
            }
            if (id == kSgMember || id == kSgView1) SelectByKey(Grid(kSgView2), kKeyColumn, first);
        }
    }
    // 4. Member grid: the tab of the clicked reference, the member's points.
    if (id == kSgMember) {
        const int col = g.Col();
        pageSwitchByCode_ = true;
        if (col == ColumnOf(&FrameMember::nodeI) || col == ColumnOf(&FrameMember::nodeJ))
            Page1->SetActivePage(Tabs[kTabPoint]);
        if (col == ColumnOf(&FrameMember::sectionNo) || col == ColumnOf(&FrameMember::materialNo))
            Page1->SetActivePage(Tabs[kTabSect]);
        pageSwitchByCode_ = false;
        sel.supportCase = 0;
        sel.memberFirst = CellInt(g, kKeyColumn, row);
        sel.memberLast = sel.memberFirst;
        RefreshGrids();
    }
    if (id == kSgLoad2) SetLoadHeaders(CellInt(g, ColumnOf(&LoadRecord::code), row));
    switch (id) {
        case kSgPoint:
        case kSgSupt2:
            sel.nodeI = sel.nodeJ = CellInt(g, kKeyColumn, row);
            sel.memberFirst = sel.memberLast = 0;
            break;
        case kSgSection:
            sel.section = CellInt(g, kKeyColumn, row);
            RefreshGrids();
            break;
        case kSgMaterial:
            sel.material = CellInt(g, kKeyColumn, row);
            RefreshGrids();
            break;
        case kSgSupt1:
            sel.supportCase = CellInt(g, kKeyColumn, row);
            RefreshGrids();
            break;
        case kSgBane1:
            sel.springCase = CellInt(g, kKeyColumn, row);
            RefreshGrids();
            break;
        case kSgLoad1:
            // Choosing a load case shows its loads.
            switchesByCode_ = true;
            fgKajyu->SetChecked(true);
            switchesByCode_ = false;
            DisplaySwitches = ReadDisplaySwitches(SwitchBoxes());
            sel.loadCase = CellInt(g, kKeyColumn, row);
            sel.supportCase = CellInt(g, ColumnOf(&LoadCase::suptCaseNo), row);
            sel.springCase = CellInt(g, ColumnOf(&LoadCase::baneCaseNo), row);
            RefreshGrids();
            SetRowQuietly(Grid(kSgLoad2), Grid(kSgLoad2).RowCount() - 1);
            break;
        case kSgKumi1: {
            sel.combination = CellInt(g, kKeyColumn, row);
            sel.loadCase = sel.supportCase = sel.springCase = 0;
            if (const int ci = FindCombinationIndex(*FrameData, sel.combination); ci > 0) {
                const KumiCase& c = FrameData->combinations[ci];
                for (int e = 1; e <= CheckedCount(c.count, kMaxCombinationEntries); ++e) {
                    const int li = FindLoadCaseIndex(*FrameData, c.entries[e].loadCaseNo);
                    if (li <= 0) continue;
                    if (FrameData->loadCases[li].suptCaseNo)
                        sel.supportCase = FrameData->loadCases[li].suptCaseNo;
                    if (FrameData->loadCases[li].baneCaseNo)
                        sel.springCase = FrameData->loadCases[li].baneCaseNo;
                }
            }
            RefreshGrids();
            break;
        }
        case kSgKumi2: {
            sel.loadCase = CellInt(g, kKeyColumn, row);
            if (const int li = FindLoadCaseIndex(*FrameData, sel.loadCase); li > 0) {
                sel.supportCase = FrameData->loadCases[li].suptCaseNo;
                sel.springCase = FrameData->loadCases[li].baneCaseNo;
            }
            sel.nodeI = sel.nodeJ = sel.memberFirst = sel.memberLast = 0;
            RefreshGrids();
            SetRowQuietly(Grid(kSgLoad2), Grid(kSgLoad2).RowCount() - 1);
            break;
        }
        default:
            break;
    }
    for (int i = 0; i < kGridCount; ++i) Grids.grid[i]->Refresh();
    Paint1Paint();
    clickBusy_ = false;
}

void TFmMain::DiscardResultsOrRecalculate() {
    if (CalcAuto->Checked())
        CalcExecClick(CalcSender::CalcAuto);
    else
        DiscardResults();
    Paint1Paint();
}

void TFmMain::GridKeyPress(GridId id, char& key) {
    // The RC check works on the model as it stands: no edits meanwhile.
    if (RcWindowVisible()) {
        key = 0;
        ShowMessage("× RC照査画面表示中は変更できません。"_sj);
        return;
    }
    // A key that changes a cell's text marks the model modified through the
    // grid's edit notice; a key that changes nothing (Backspace on a closed
    // cell, Enter without typing) does not.
    if (key == 13) {
        key = 0;
        EnterInGrid(id);
        DiscardResultsOrRecalculate();
        return;
    }
    // The key reaches the cell after this handler: with 逐次計算 the
    // results follow the cell's text once typing pauses, so that a key is
    // never held up by a calculation and the results are those of the
    // text the cell shows.
    if (CalcAuto->Checked()) {
        typingPause_.SetEnabled(true);
        return;
    }
    DiscardResults();
    Paint1Paint();
}

bool TFmMain::RefuseEditedCell() {
    if (!typedSinceCommit_ || editedGrid_ == kGridCount) return false;
    const std::string why =
        RefusedCellText(editedGrid_, editedCol_, Grid(editedGrid_).Cells(editedCol_, editedRow_));
    if (why.empty()) return false;
    // The cell shows what the model holds again (only this cell was typed
    // since the last commit).
    RefreshGrids();
    MessageDlg(why, mtError, mbOK);
    return true;
}

void TFmMain::EnterInGrid(GridId id) {
    TStringGrid& g = Grid(id);
    const int col = g.Col(), row = g.Row();
    const bool appendRow = row == g.RowCount() - 1;
    if (RefuseEditedCell()) return;
    const std::string text = g.Cells(col, row);
    const double x = TextToDouble(text);
    // Enter on a number of 0 deletes the row, one read numbered 0 as well.
    if (col == kKeyColumn && x <= 0 && id != kSgView2 && !appendRow) {
        KeyTyped(g, row);
        ModifiedFlag = true;
    }
    bool committed = false;
    // A name is cut to what its table keeps.
    if (const GridColumnInfo column = GridColumn(id, col); column.kind == CellKind::Name)
        g.SetCell(col, row, CutTextLength(text, column.textBytes));
    switch (id) {
        case kSgSection:
            // I of 0: the rectangle 1 m wide whose height is the area.
            if (col == ColumnOf(&FrameSection::inertia) && x == 0) {
                const double a = TextToDouble(g.Cells(ColumnOf(&FrameSection::area), row));
                g.SetCell(col, row, FormatCellNumber("%11.5e", a * a * a / 12.0));
            }
            break;
        case kSgMember:
            CommitGrids();
            RefreshGrids();
            committed = true;
            break;
        case kSgView2: {
            const int mi = FindMemberIndex(*FrameData, CurrentSelection.memberFirst);
            const double len = mi > 0 ? FrameData->members[mi].length : 0.0;
            const int distCol = ColumnOf(&ViewPointRow::dist);
            const char* distFormat = ViewPointTable().Column(distCol).format;
            if (col == distCol && x == 0) {
                // The "0" only guards an empty cell.
                const std::string t = text + "0";
                if (t[0] == 'c' || t[0] == 'C') {
                    CopyViewPoints(TextToInt(text.substr(1, 9)));
                } else {
                    CommitGrids();
                    SortViewPoints(*FrameData);
                }
                RefreshGrids();
                committed = true;
                break;
            }
            // A distance from the j end: a negative one, or one typed there.
            if (col == distCol && x < 0)
                g.SetCell(distCol, row, FormatCellNumber(distFormat, Round3(len + x)));
            if (col == ColumnOf(&ViewPointRow::distJ))
                g.SetCell(distCol, row, FormatCellNumber(distFormat, Round3(len - x)));
            CommitGrids();
            RefreshGrids();
            committed = true;
            break;
        }
        case kSgSupt2:
            if (CurrentSelection.supportCase <= 0 ||
                FindSupportCaseIndex(*FrameData, CurrentSelection.supportCase) <= 0) {
                MessageDlg("支点ケースが選択されていません."_sj, mtError, mbOK);
                return;
            }
            if (col == ColumnOf(&SuptEntry::code) && !appendRow && TextToInt(text) == 0) {
                // Code 0 deletes the support, as the hint beside says.
                g.SetCell(kKeyColumn, row, "0");
                KeyTyped(g, row);
                CommitGrids();
                RefreshGrids();
                SetRowQuietly(g, std::min(row, g.RowCount() - 1));
                return;
            }
            if (col == ColumnOf(&SuptEntry::code) && !appendRow) {
                // -1 marks a rigid direction.
                const int code = TextToInt(text);
                const bool rigidX = code == 1 || code == 3 || code == 4;
                const bool rigidY = code == 1 || code == 2 || code == 4;
                g.SetCell(ColumnOf(&SuptEntry::kx), row, rigidX ? "-1" : "0");
                g.SetCell(ColumnOf(&SuptEntry::ky), row, rigidY ? "-1" : "0");
                g.SetCell(ColumnOf(&SuptEntry::km), row, code == 4 ? "-1" : "0");
            }
            break;
        case kSgBane2:
            if (CurrentSelection.springCase <= 0 ||
                FindSpringCaseIndex(*FrameData, CurrentSelection.springCase) <= 0) {
                MessageDlg("分布ばねケースが選択されていません."_sj, mtError, mbOK);
                return;
            }
            if (appendRow && col == kKeyColumn)
                for (const int c : {ColumnOf(&BaneEntry::kv), ColumnOf(&BaneEntry::ku)})
                    g.SetCell(c, row, row > 1 ? g.Cells(c, row - 1) : "1000");
            break;
        case kSgKumi2:
            if (appendRow && col == kKeyColumn) g.SetCell(ColumnOf(&KumiEntry::factor), row, "1");
            break;
        case kSgLoad2:
            if (CurrentSelection.loadCase <= 0 ||
                FindLoadCaseIndex(*FrameData, CurrentSelection.loadCase) <= 0) {
                MessageDlg("荷重ケースが選択されていません."_sj, mtError, mbOK);
                return;
            }
            PrepareMemberLoads(*FrameData);
            break;
        default:
            break;
    }
    // A new case gets a name after its number (and a new load case
    // support case 1, a new combination the factor 1).
    if (appendRow && col == kKeyColumn && x > 0) {
        const int n = static_cast<int>(x);
        if (id == kSgSupt1)
            g.SetCell(ColumnOf(&SuptCase::name), row, FormatStr("支点ケース.%2d"_sj.c_str(), n));
        if (id == kSgBane1)
            g.SetCell(ColumnOf(&BaneCase::name), row,
                      FormatStr("分布ばねケース.%2d"_sj.c_str(), n));
        if (id == kSgLoad1) {
            g.SetCell(ColumnOf(&LoadCase::name), row, FormatStr("荷重ケース.%2d"_sj.c_str(), n));
            g.SetCell(ColumnOf(&LoadCase::suptCaseNo), row, "1");
        }
        if (id == kSgKumi1) {
            g.SetCell(ColumnOf(&KumiCase::name), row, FormatStr("組合せケース.%2d"_sj.c_str(), n));
            g.SetCell(ColumnOf(&KumiCase::factor), row, "1");
        }
    }
    if (!committed) {
        CommitGrids();
        RefreshGrids();
    }
    // The figure's merged copy of the current load case is rebuilt.
    InvalidateLoadCache(*FrameData);
    // End conditions are 0 (rigid) or 1 (pin).
    if (id == kSgMember)
        for (int r = 1; r < g.RowCount() - 1; ++r)
            for (const int c : {ColumnOf(&FrameMember::endI), ColumnOf(&FrameMember::endJ)})
                if (!g.Cells(c, r).empty())
                    g.SetCell(c, r, FormatStr("%d", TextToInt(g.Cells(c, r)) & 1));
    MoveAfterEnter(id, col, row, x);
}

void TFmMain::MoveAfterEnter(GridId id, int col, int row, double x) {
    TStringGrid& g = Grid(id);
    if (col == kKeyColumn && x == 0) return;  // a deleted row: the cursor stays
    int nextCol = col + 1, nextRow = row;
    // A support that needs no springs is complete with its code.
    const int codeCol = ColumnOf(&SuptEntry::code);
    const int code = TextToInt(g.Cells(codeCol, row));
    if (id == kSgSupt2 && col == codeCol && code >= 1 && code <= 4) nextCol = g.ColCount();
    // Columns that are only shown (the member's length, the names looked
    // up) take no typing.
    while (nextCol < g.ColCount() && GridColumn(id, nextCol).kind == CellKind::Shown) ++nextCol;
    if (nextCol >= g.ColCount()) {
        nextCol = 1;
        nextRow = std::min(row + 1, g.RowCount() - 1);
    }
    SetRowQuietly(g, nextRow);
    const bool enabled = g.Enabled();
    g.SetEnabled(false);
    g.SetCol(nextCol);
    g.SetEnabled(enabled);
    FollowInputMethod(g);
}

void TFmMain::CopyViewPoints(int source) {
    FrameModel& m = *FrameData;
    const int target = CurrentSelection.memberFirst;
    const int si = FindViewPointIndex(m, source);
    if (target <= 0 || si <= 0 || m.view2[si].count <= 0) return;
    int ti = FindViewPointIndex(m, target);
    if (ti <= 0) {
        if (m.view2Count >= kMaxView2) return;  // the table is full
        ti = ++m.view2Count;
    }
    m.view2[ti] = m.view2[si];
    m.view2[ti].memberNo = target;
}

void TFmMain::GridKeyDown(GridId, int key, bool ctrl) {
    if (ctrl && key == 'Z') BtnUnDoClick();
    if (key == VK_F9) CalcExecClick(CalcSender::None);
}

void TFmMain::SgGridDblClick(GridId id) {
    TStringGrid& g = Grid(id);
    if (!headerPress_) {
        CommitGrids();
        return;
    }
    if (id == kSgLoad2) {
        SortGridRows(g, ColumnOf(&LoadRecord::memberFrom));
    } else if (id == kSgView2) {
        CommitGrids();
        SortViewPoints(*FrameData);
        RefreshGrids();
    } else {
        SortGridRows(g, kKeyColumn);
    }
    CommitGrids();
    RefreshGrids();
}

void TFmMain::TabShow(int tab) {
    SelectionState& sel = CurrentSelection;
    if (!pageSwitchByCode_) {
        CommitTypedGrids(true);
        CopyFrameModel(*undo_, *FrameData);
        undoArmed_ = true;
    }
    sel.springCase = sel.supportCase = 0;
    RefreshGrids();
    auto caseOfRow = [](TStringGrid& g, int count) {
        if (count <= 0) return 0;
        SetRowQuietly(g, std::clamp(g.Row(), 1, count));
        return TextToInt(g.Cells(kKeyColumn, g.Row()));
    };
    switch (tab) {
        case kTabView:
            sel.memberFirst = TextToInt(Grid(kSgMember).Cells(kKeyColumn, Grid(kSgMember).Row()));
            CommitGrids();
            SortViewPoints(*FrameData);
            break;
        case kTabSupt:
            sel.supportCase = caseOfRow(Grid(kSgSupt1), FrameData->supportCaseCount);
            break;
        case kTabBane:
            sel.springCase = caseOfRow(Grid(kSgBane1), FrameData->springCaseCount);
            break;
        case kTabLoad:
            PrepareMemberLoads(*FrameData);
            sel.loadCase = caseOfRow(Grid(kSgLoad1), FrameData->loadCaseCount);
            break;
        case kTabKumi:
            sel.combination = caseOfRow(Grid(kSgKumi1), FrameData->combinationCount);
            break;
        default:
            break;
    }
    RefreshGrids();
    Paint1Paint();
}

void TFmMain::BtnUnDoClick() {
    // Undo is an edit: the RC check works on the model and results as they
    // stand.
    if (RcWindowVisible()) {
        ShowMessage("× RC照査画面表示中は変更できません。"_sj);
        return;
    }
    // A model that undo changes is no longer the one saved: closing or
    // opening another file asks about it.
    if (!SameFrameModel(*FrameData, *undo_)) ModifiedFlag = true;
    CopyFrameModel(*FrameData, *undo_);
    // The selection follows the focused grid's row in the restored model:
    // the grids show that model first (the tables and case lists do not
    // depend on the selection; the entry grids follow below).
    RefreshGrids();
    for (int i = 0; i < kGridCount; ++i) {
        TStringGrid& g = *Grids.grid[i];
        if (!g.Focused()) continue;
        const int v = TextToInt(g.Cells(kKeyColumn, g.Row()));
        switch (static_cast<GridId>(i)) {
            case kSgPoint:
                CurrentSelection.nodeI = CurrentSelection.nodeJ = v;
                break;
            case kSgMember:
                CurrentSelection.memberFirst = CurrentSelection.memberLast = v;
                break;
            case kSgSection:
                CurrentSelection.section = v;
                break;
            case kSgMaterial:
                CurrentSelection.material = v;
                break;
            case kSgSupt1:
                CurrentSelection.supportCase = v;
                break;
            case kSgBane1:
                CurrentSelection.springCase = v;
                break;
            case kSgLoad1:
                CurrentSelection.loadCase = v;
                break;
            case kSgKumi1:
                CurrentSelection.combination = v;
                break;
            default:
                break;
        }
    }
    RefreshGrids();
    DiscardResultsOrRecalculate();
    Page1->SetFocus();
}

void TFmMain::SelectMemberRow(int memberNo) {
    if (clickBusy_) return;
    TStringGrid& g = Grid(kSgMember);
    int row = 1;
    for (int r = 1; r < g.RowCount() - 1; ++r)
        if (TextToInt(g.Cells(kKeyColumn, r)) == memberNo) {
            row = r;
            break;
        }
    SetRowQuietly(g, row);
}

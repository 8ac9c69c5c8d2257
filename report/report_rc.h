// The RC chapter of the calculation report, 「応力度の照査」: per check case
// and RC member, tables of the bending and shear checks with up to seven
// points side by side. Value of point column c (0..6) in table row k is
// positional field 7k + c.
#pragma once

struct FrameModel;
struct RcCheckData;

constexpr int kRcReportColumns = 7;

void PrintRcCheckSection(RcCheckData& data, const FrameModel& model);
// member: RC member slot (1..memberCount); first, last: 1-based positions in
// the member's check order for this case (at most 7 points); checkCase:
// 1..checkCaseCount. Returns y (mm, not rounded).
double PrintRcCheckTable(double y, RcCheckData& data, const FrameModel& model, int member,
                         int first, int last, int checkCase);

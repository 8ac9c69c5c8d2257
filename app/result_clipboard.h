// The clipboard texts of the main window: the result lines for a
// spreadsheet (words in cells) and the member forces per combination.
// Texts are CP932.
#pragma once
#include <string>

struct FrameModel;
struct FrameResults;

// One result line as spreadsheet cells: trimmed, every run of blanks one
// TAB (a blank left at the very end stays a blank).
std::string ExcelCells(const std::string& line);
// 「Vextor 計算結果」 and the compact result lines of every case and
// combination, each as cells, joined with CR LF.
std::string ExcelResultText(const FrameResults& results);
// One block per combination and member: the combination line, the member
// line, then the point names, positions (X), moments (M), axial forces (N)
// and shear forces (S) as TAB-separated rows; a blank line after each
// member. Lines end with "\n".
std::string MemberForcesText(const FrameResults& results, const FrameModel& model);
void CopyMemberForcesToClipboard(const FrameResults& results, const FrameModel& model);

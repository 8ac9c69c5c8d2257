// Building the RC check data from the frame model and the analysis results:
// one check case per combination with its check type, one RC member per
// frame member with its points (named points plus the M-max and M-min rows)
// and the forces per point and case; copying section sizes, bars and covers
// into the points; setting switches and allowables from the check type.
#pragma once
#include <string>

#include "rccheck/rc_records.h"

struct FrameResults;
struct FrameModel;

// Check type of a combination name: 1 by default; 2 for 「地震」, or L with 1,
// or ﾚ with 1; 3 for L with 2 or ﾚ with 2 (3 wins). Full-width letters and
// digits and lower-case l count the same.
int RcCheckTypeFromName(const std::string& name);

// Check cases, members, points and their forces. Members are matched to the
// RC data by member number, points by position along the member, check
// cases by combination number: whatever the frame's tables inserted,
// removed or reordered, a member keeps its RC section, and a combination
// its check type and, at every kept point, its switches and allowables.
// Point and case entries that did not exist before get their case's
// switches and allowables; those of removed members and combinations go.
void BuildRcCheckData(RcCheckData& rc, const FrameResults& results, const FrameModel& model);

// b and h of each member's section into the member, b into its points and h
// into the points' set-1 height and every RcDepthSet.
void CopySectionSizeToPoints(RcCheckData& rc);

// Switches and allowables of every point and case 0..checkCaseCount from the
// case's check type.
void ApplyCheckTypes(RcCheckData& rc);

// Sets one point's case entry t from the check type and the section.
void ApplyCheckTypeToEntry(RcCaseCheck& c, const RcSection& s, int checkType);

// Bars, areas, depths (added heights included), stirrups and moduli of one
// member's points from its section. Does nothing for an index outside
// 1..memberCount.
void CopySectionBarsToPoints(RcCheckData& rc, int member);

// Bar-centre depths of every point and RcDepthSet from the sections' covers
// (without added heights).
void ApplyCoversToPoints(RcCheckData& rc);

// Index of the section with that number, 0 when none.
int FindRcSection(const RcCheckData& rc, int sectionNo);

// Index of the section with that number when it has a width and a height
// to check against, else 0: a member without one is reported, not checked.
int UsableRcSection(const RcCheckData& rc, int sectionNo);

// Half a bar diameter rounded up: (D + 1) / 2 of the larger bar number.
int HalfBarDepth(float d1, float d2);

// 「i→1.250」 or 「2.000←j」 (with fromJ the ends are swapped).
std::string PointPositionText(const RcMemberChecks& member, int point, int checkCase, bool fromJ);

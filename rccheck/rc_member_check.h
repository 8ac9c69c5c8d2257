// Running the bending and shear checks over all points and check cases of
// the RC members, the members' NG summaries, the envelope over the check
// cases (case entry 0) and the position-ordered copy of a member.
#pragma once
#include <memory>

#include "rccheck/rc_records.h"

// Checks every point and case of member `member` (1..memberCount).
void CheckMember(RcCheckData& rc, int member);

// CheckMember for members 1..memberCount.
void CheckAllMembers(RcCheckData& rc);

// Case entry 0 of every point of every member: per ratio the largest over
// the check cases (ties keep the earlier case) with that case's values.
void BuildEnvelope(RcCheckData& rc);

// A copy of the member whose points are ordered by their position in
// checkCase (ascending, or descending), with the M-max / M-min rows dropped
// when they repeat a point or have the wrong sign. checkCase 0 (the
// envelope) keeps the stored order. The member itself only gets each
// point's sortIndex (its slot before the sorting).
std::unique_ptr<RcMemberChecks> SortMemberPointsByPosition(RcMemberChecks& member, int checkCase,
                                                           bool descending);

// Input validation: the gate before every analysis.
#pragma once
#include <string>

struct FrameModel;

// Checks model and returns one CP932 text listing every problem found, one
// per line, each line ending in "\n", in the order of the checks (counts over
// capacity, members, nodes, sections, materials, points of interest, support
// cases, spring cases, load cases, combinations). Only the first 25 lines are
// kept. "" means the model may be analysed. The model is not changed; table
// loops stop at each table's capacity whatever its count says. Besides
// missing and repeated entries it refuses what the engine cannot compute
// or would quietly leave out: a negative Young's modulus, numbers larger
// in size than 1e15 (or not numbers), and loads lying outside their member
// or run of members.
std::string CheckFrameData(const FrameModel& model);

// Most lines CheckFrameData returns.
constexpr int kMaxValidationLines = 25;

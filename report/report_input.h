// The input chapters of the calculation report: overview and options,
// materials, sections, nodes, members, points of interest, supports,
// distributed springs and the loads of every load case with its figure.
//
// Each takes the y (mm) where the previous chapter ended and returns the y
// where it ends, in whole mm. Tables are split into blocks of at most 40
// rows and a block never runs past the 270 mm body.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct FrameModel;

double PrintOverviewSection(double y, const FrameModel& model);
double PrintMaterialTable(double y, const FrameModel& model);
double PrintSectionTable(double y, const FrameModel& model);
double PrintNodeTable(double y, const FrameModel& model);
double PrintMemberTable(double y, const FrameModel& model);
double PrintPointTable(double y, const FrameModel& model);
double PrintSupportTable(double y, const FrameModel& model);
double PrintSpringTable(double y, const FrameModel& model);
// Also writes each printed case's load scale (LoadCase.maxLoad) back into
// the model: the figure scales its arrows by it.
double PrintLoadSection(double y, FrameModel& model);

// --- Shared by the report chapters ---
// Prints rows 1..rows in blocks of at most 40: before each block the room
// for its lines is asked (a new page at y = 0 when it does not fit); the
// first block is led by `heading`, later ones by a blank line; fill(row) is
// called for every printed row in order, after its block's template run.
// No rows print nothing. Returns the y below the last block.
double PrintRowBlocks(double y, int rows, const std::vector<std::string>& heading,
                      const std::vector<std::string>& table, const std::function<void(int)>& fill);

// Numbers and texts into the next positional field.
void PutNumber(double value);
void PutText(const std::string& text);

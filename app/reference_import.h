// Reading the straight lines of a reference drawing (DXF "LINE" entities and
// the "LINE," records of Korvo figure files) and building nodes and members
// from the crossings of the lines of one pen. Plain functions over plain
// records, so that they work without a window.
//
// Coordinates of the files are millimetres; the line list and the frame hold
// metres.
#pragma once
#include <string>

class TStringList;
struct FrameModel;

constexpr int kMaxRefLines = 1000;      // lines kept from one drawing
constexpr int kMaxRefCrossings = 1000;  // crossings of one line
// Points closer than this (m) in x and in y are one node; segment ends are
// included within it.
constexpr double kRefNodeTolerance = 0.0001;

struct RefLine {
    int kind = 0;                          // 1 = straight line (the only kind)
    int pen = 0;                           // 1..8
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // m
};

// 1-based, slot 0 unused.
struct RefLineList {
    int count = 0;
    RefLine lines[kMaxRefLines + 1];
};

struct DrawingExtents {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // m
};

// Parses the lines of a DXF or KRV text into the list (which it replaces).
// At most kMaxRefLines lines are kept. Returns "" when the whole drawing
// was read, else a notice for the user of what was not (lines beyond the
// list, entities that are not straight lines, a file that ends early).
std::string ParseDrawingLines(const TStringList& text, RefLineList& list);
// Reads a file (CP932 name) into the list; false, with the list emptied,
// when the file cannot be read. `notice` receives ParseDrawingLines' text.
bool ReadDrawingLines(const std::string& fileName, RefLineList& list,
                      std::string* notice = nullptr);
// Millimetres of a drawing file to metres, truncated to whole millimetres
// when asked; false for a value that is not finite or absurdly large.
bool DrawingMmToMetres(double mm, bool wholeMillimetres, float& metres);
// True when the name ends in ".DXF" or ".KRV" (any case).
bool IsDrawingFileName(const std::string& fileName);

// Extents of all end points; all zero for an empty list.
DrawingExtents ComputeExtents(const RefLineList& list);

// The node of the frame at (x, y) within kRefNodeTolerance, else a new node
// appended there. Returns its index (= number), 0 when the table is full.
int FindOrAddNode(FrameModel& frame, double x, double y);

// Clears the frame's nodes and members and builds them from the lines of
// pen `pen`: every such line is cut at its crossings with the others, the
// crossings become nodes and the pieces between consecutive crossings
// members (section 1, material 1). Nodes are numbered by their distance
// from a point far to the upper left, members by their nodes. Returns ""
// or, when the drawing needs more nodes, members or crossings than the
// tables hold, a message (the frame is then left empty).
std::string BuildFrameFromLines(const RefLineList& list, int pen, FrameModel& frame);

// Resets the model to a new empty one and gives it the generated nodes and
// members. False (model untouched) when the frame has no members.
bool ApplyGeneratedFrame(const FrameModel& generated, FrameModel& model);

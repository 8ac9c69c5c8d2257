// Result diagrams over the structure figure: M, S and N along the members
// with value labels and the M-max/M-min marks, the deformed shape with the
// displacements, and the support reactions. Geometry comes from the
// results' own node and member tables, so the diagrams stay on the members
// they were computed for even when the input tables were re-sorted since.
#pragma once
#include <string>
#include <vector>

struct FrameModel;
struct FrameResults;

// Same rule as SetFigureTextSize.
void SetDiagramTextSize(double& heightMm, double& widthMm, double& worldHeight, double& worldWidth);

// World length the largest diagram ordinate is drawn at (scale factor 1).
double DiagramScaleLength(const FrameResults& results);
// The same from the model's members, before any results exist.
double DiagramScaleLength(const FrameModel& model);

// One member's points for DrawDiagramCurve: base line from (xi, yi) to
// (xj, yj), positions from the i end (m), values and value texts per point.
struct DiagramPoints {
    double xi = 0, yi = 0, xj = 0, yj = 0;
    std::vector<double> pos, value;
    std::vector<std::string> text;
};
// factor: world length per unit value, signed (negative draws a positive
// value on the member's right-hand side).
void DrawDiagramCurve(const DiagramPoints& pts, double factor, bool closeStart, bool closeEnd);

// quantity: 1 M, 2 S, 3 N. maximum 0 finds the largest value itself.
// flags & 3: value labels on.
void DrawMSNDiagram(const FrameResults& results, const FrameModel& model, int caseIndex,
                    int quantity, double maximum, double scale, int flags);
void DrawDisplacements(const FrameResults& results, const FrameModel& model, int caseIndex,
                       double scale, int flags);
void DrawReactions(const FrameResults& results, const FrameModel& model, int caseIndex);

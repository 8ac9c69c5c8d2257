// Value labels of one figure that keep clear of each other. Between
// BeginFigureLabels and EndFigureLabels every label drawn through
// G_FigureLabel remembers the box it covers on the paper; a label that
// would overlap one already drawn moves aside along the direction its
// caller allows (its member) by steps of a text height, and is left out
// when no place within that reach is free. Outside such a figure labels
// are drawn as they come.
//
// Used by the load figure and the result diagrams, whose values collide
// where members meet and where loads stand close together; the values
// themselves stay in the report's tables.
#pragma once
#include <string>

#include "report/text_draw.h"

void BeginFigureLabels();
// Ends the figure; returns how many labels were left out for want of room
// (a label whose same text already stands at its place is not counted).
int EndFigureLabels();
bool FigureLabelsActive();
// Labels left out so far in the current figure.
int FigureLabelsLeftOut();
// The figure's note on values left out ("" when none): the user must be
// able to see that a tick without a number lost its value to a neighbour.
std::string LeftOutNote(int count);

// A governing label (a member's largest value) is never left out: when no
// place within its reach along the member is free it moves along its own
// text, outwards and inwards, and when none of that is free either it
// stands at its own place. Lesser labels may be left out.
enum class LabelRank { Lesser, Governing };

// Draws `text` anchored at the world point (x, y) in the current font.
// (alongX, alongY) is the direction (world, any length) the label may move
// in: up to `forward` world units along it and `backward` against it. A
// zero direction or zero reach keeps the label where it is. Returns false
// when the label was left out.
bool G_FigureLabel(TextAnchor anchor, double x, double y, const std::string& text,
                   double alongX = 0, double alongY = 0, double forward = 0, double backward = 0,
                   LabelRank rank = LabelRank::Lesser);

// Draws `text` at its own place, as G_TextAnchored does, and (inside a
// figure) keeps the labels drawn after it clear of it: for the figure's
// own marks such as node numbers, which never move and never make a value
// move past them.
void G_FixedFigureLabel(TextAnchor anchor, double x, double y, const std::string& text);

// The paper box (mm) a label would cover, as four corners; for tests.
// Corners 0-1 run along the text, 1-2 across it. `along` is the clear
// space (mm) the label keeps before and after itself along its text: one
// blank, so that two values on a line never read as one number.
struct LabelBox {
    double x[4], y[4];
    double along = 0;
};
LabelBox FigureLabelBox(TextAnchor anchor, double xMm, double yMm, const std::string& text);
bool LabelBoxesOverlap(const LabelBox& a, const LabelBox& b);

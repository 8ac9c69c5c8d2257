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
void EndFigureLabels();
bool FigureLabelsActive();

// Draws `text` anchored at the world point (x, y) in the current font.
// (alongX, alongY) is the direction (world, any length) the label may move
// in: up to `forward` world units along it and `backward` against it. A
// zero direction or zero reach keeps the label where it is. Returns false
// when the label was left out.
bool G_FigureLabel(TextAnchor anchor, double x, double y, const std::string& text,
                   double alongX = 0, double alongY = 0, double forward = 0, double backward = 0);

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

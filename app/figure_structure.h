// Drawing units of the structure figure: rulers, members as lines or as
// bands by section area, rigid zones, support and spring glyphs, section
// labels, member and node numbers, nodes and the points of interest.
// Every unit draws one model in world metres (y up) through the graphics
// layer and sets no world window and no member pen colour of its own, so
// the screen figure, the report pages and the small figures share them.
#pragma once

struct FrameModel;

// Text size of the load figure: height and width in paper mm and in world
// units (12.1 x 6.1 pixels on the screen, 1.8 x 1.2 mm elsewhere).
void SetFigureTextSize(double& heightMm, double& widthMm, double& worldHeight, double& worldWidth);

// Ruler step for a view: the largest step of the series below `limit`
// (world length), the smallest when none is; `format` gets its label format.
double RulerStep(double limit, const char** format);
// Minor ticks per ruler step: 4 for the steps 2 x 10^k, else 5.
int RulerMinorTicks(double step);
// Bottom and left scale rulers of a paint box of width x height pixels on
// the current canvas. originFlag: measure from 80 px in from the lower
// left corner instead of world 0.
void DrawRulers(int width, int height, bool originFlag);

void DrawMemberBand(const FrameModel& model, int index);
// Bands of the flatter members first, then the steeper ones on top.
void DrawMemberBands(const FrameModel& model);
void DrawMember(const FrameModel& model, int index);
void DrawMembers(const FrameModel& model);
// Sets the line weight, draws the rigid-zone segments with their length
// labels (mm) and sets the weight back to 1.
void DrawRigidZones(const FrameModel& model, double lineWeight);
void DrawRigidZoneLabel(double x1, double y1, double x2, double y2);
// textHeight in mm; gap in mm between the node and its glyph.
void DrawSupportSymbols(const FrameModel& model, int supportCaseIndex, double textHeight, int gap);
void DrawSpringCase(const FrameModel& model, int loadCaseIndex, double textHeight);
void DrawSectionLabel(const FrameModel& model, int index);
void DrawSectionLabels(const FrameModel& model);
void DrawMemberNumber(const FrameModel& model, int index);
void DrawMemberNumbers(const FrameModel& model);
void DrawNodes(const FrameModel& model, int markerSize);
void DrawNodeNumbers(const FrameModel& model);
void DrawViewPoints(const FrameModel& model);

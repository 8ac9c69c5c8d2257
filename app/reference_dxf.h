// The DXF half of the reference-drawing import: the straight lines of a
// DXF drawing as the drawing program shows them, in metres. LINE entities,
// the straight segments of LWPOLYLINE and POLYLINE entities and the blocks
// that INSERT entities place (position, scale, rotation, arrays) are read
// from the ENTITIES section (or from the whole file when it has no
// sections); block definitions are used only where an INSERT places them.
#pragma once
#include <map>
#include <string>

#include "app/reference_import.h"

class TStringList;

// What a drawing held that did not become a line of the list, for the
// notice the window shows.
struct DrawingReadNotes {
    int linesFound = 0;                  // straight lines in the drawing (also beyond the list)
    bool cutShort = false;               // the file ends inside an entity or before EOF
    int arcSegments = 0;                 // bulged polyline segments (arcs), not read
    int missingBlocks = 0;               // INSERTs of blocks the file does not define
    std::map<std::string, int> skipped;  // entity kinds that are not straight lines
};

// Appends the drawing's lines to `list` (up to kMaxRefLines; the rest are
// only counted) and fills `notes`.
void ParseDxfDrawing(const TStringList& text, RefLineList& list, DrawingReadNotes& notes);

// The notice for the user; "" when the whole drawing was read.
std::string DrawingNoticeText(const DrawingReadNotes& notes);

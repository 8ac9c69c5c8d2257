// libFuzzer target for the reference-drawing import: any bytes, read as a
// DXF or KRV drawing, give at most kMaxRefLines lines with pens 1 to 8,
// and building a frame from every pen neither crashes nor overruns the
// frame's tables.
#include <cstdlib>
#include <memory>

#include "app/reference_import.h"
#include "model/frame_model.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto lines = std::make_unique<RefLineList>();
    static std::unique_ptr<FrameModel> frame = NewFrameModelRecord();
    ParseDrawingLines(InputLines(data, size), *lines);
    if (lines->count < 0 || lines->count > kMaxRefLines) std::abort();
    for (int i = 1; i <= lines->count; ++i)
        if (lines->lines[i].pen < 1 || lines->lines[i].pen > 8) std::abort();
    ComputeExtents(*lines);
    // The crossings are quadratic in the lines: a drawing of hundreds of
    // lines of one pen is slow by nature, not a hang worth reporting.
    if (lines->count > 200) return 0;
    for (int pen = 1; pen <= 8; ++pen) {
        BuildFrameFromLines(*lines, pen, *frame);
        if (frame->nodeCount < 0 || frame->nodeCount > kMaxNodes) std::abort();
        if (frame->memberCount < 0 || frame->memberCount > kMaxMembers) std::abort();
        for (int m = 1; m <= frame->memberCount; ++m) {
            const FrameMember& mb = frame->members[m];
            // (Renumbering the nodes may turn i and j around, never join them.)
            if (mb.nodeI < 1 || mb.nodeJ < 1 || mb.nodeI > frame->nodeCount ||
                mb.nodeJ > frame->nodeCount || mb.nodeI == mb.nodeJ)
                std::abort();
        }
    }
    return 0;
}

// libFuzzer target for the RC block of the data file: any bytes, read as a
// whole data file (frame sections, then the RC block), must neither crash
// nor overrun the RC record, and what was read must write out and read
// again.
#include <cstdlib>
#include <memory>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "rccheck/rc_data_file.h"
#include "rccheck/rc_records.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    static RcCheckData* rc = NewRcCheckData();
    if (!rc) std::abort();
    const TStringList lines = InputLines(data, size);
    std::string warnings;
    ReadFrameDataFile(*model, lines, warnings);
    ReadRcCheckData(*rc, *model, lines);
    if (rc->sectionCount < 0 || rc->sectionCount >= kRcSectionSlots) std::abort();
    if (rc->memberCount < 0 || rc->memberCount >= kRcMemberSlots) std::abort();
    if (rc->checkCaseCount < 0 || rc->checkCaseCount >= kRcCheckCaseSlots) std::abort();
    TStringList written;
    WriteFrameDataFile(written, *model);
    WriteRcCheckData(written, *model, *rc);
    ReadRcCheckData(*rc, *model, written);
    return 0;
}

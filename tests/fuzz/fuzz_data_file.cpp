// libFuzzer target for the data file reader: any bytes, read as a data
// file, must neither crash nor overrun, and what was read must write out and
// read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "model/data_file.h"
#include "model/frame_model.h"
#include "model/validation.h"
#include "platform/string_list.h"

namespace {

// Two records reused across runs: each is about 14 MB.
FrameModel& First() {
    static std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    return *model;
}
FrameModel& Second() {
    static std::unique_ptr<FrameModel> model = NewFrameModelRecord();
    return *model;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TStringList list;
    list.SetText(std::string(reinterpret_cast<const char*>(data), size));
    std::string warnings;
    ReadFrameDataFile(First(), list, warnings);
    CheckFrameData(First());
    SortViewPoints(First());

    const std::string text = FrameDataFileText(First());
    TStringList again;
    again.SetText(text);
    ReadFrameDataFile(Second(), again, warnings);
    if (FrameDataFileText(Second()) != text) std::abort();  // written files must read back
    return 0;
}

// libFuzzer target for the reader of the outside library's result files:
// any bytes as each of the six result files of a data file (and as the
// data file's model echo) must neither crash nor hang, and whatever is read
// stays inside the results record.
#include <cstdlib>
#include <memory>

#include "model/frame_results.h"
#include "model/sdk_bridge.h"
#include "platform/sysutils.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FrameResults* results = AllocateFrameResults();
    if (results == nullptr) return 0;
    const std::string& dataFile = ScratchFile(".$O1");
    WriteScratch(dataFile, data, size);
    for (const std::string& name : ExternalResultFileNames(dataFile))
        WriteScratch(name, data, size);
    ReadExternalResults(*results, dataFile);
    if (results->memberCount < 0 || results->memberCount >= kResultMemberSlots) std::abort();
    for (const std::string& name : ExternalResultFileNames(dataFile)) DeleteFile(name);
    return 0;
}

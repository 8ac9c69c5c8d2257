// libFuzzer target for the rebar table file: any bytes as the table must
// neither crash nor hang, and every bar size is then looked up and named.
#include <cstdlib>

#include "rccheck/rebar_table.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& file = ScratchFile(".csv");
    WriteScratch(file, data, size);
    LoadRebarTableFrom(file);
    for (int bar = -2; bar <= 60; ++bar) {
        RebarArea(bar, 2.5);
        FormatBars(bar, 3);
    }
    LoadBuiltInRebarTable();
    return 0;
}

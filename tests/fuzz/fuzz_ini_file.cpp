// libFuzzer target for the ini file: any bytes as the ini file, read by
// section and key, must neither crash nor hang, and a value written must
// read back while the file's other lines stay.
#include <cstdlib>

#include "platform/ini_file.h"
#include "platform/sysutils.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& file = ScratchFile(".ini");
    WriteScratch(file, data, size);
    TIniFile ini(file);
    ini.ReadString("DO1", "FILE1", "");
    ini.ReadInteger("DO1", "FILE1", 7);
    // Section and key taken from the input, as a damaged file may hold
    // anything there.
    const std::string bytes = InputBytes(data, size);
    const std::string section = bytes.substr(0, std::min<std::size_t>(bytes.size(), 8));
    ini.ReadString(section, section, "x");
    if (!ini.WriteString("DO1", "FILE1", "/home/u/a b.$O1")) std::abort();
    if (ini.ReadString("DO1", "FILE1", "") != "/home/u/a b.$O1") std::abort();
    if (!ini.WriteInteger("Vextor", "Width", -12)) std::abort();
    if (ini.ReadInteger("Vextor", "Width", 0) != -12) std::abort();
    if (ini.ReadString("DO1", "FILE1", "") != "/home/u/a b.$O1") std::abort();
    return 0;
}

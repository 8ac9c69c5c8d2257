// The program's command line: the batch switch, the "/SDK" and "/FPACK="
// options and the data file name, which may come split over several
// arguments (a name with blanks given without quotes).
#pragma once

#include <functional>
#include <string>
#include <vector>

// The batch switch: analyse the named data file, write the result files and
// end without a window.
constexpr const char* kBatchSwitch = "/BATCH";
// Result points kept per member in the batch run when "/FPACK=" is absent.
constexpr int kDefaultPackValue = 999;

struct CommandLineOptions {
    bool batchMode = false;
    bool sdk = false;  // "/SDK": rigid zones ignored, View1 divisions as point capacity
    int packValue = kDefaultPackValue;  // "/FPACK=n"
    std::string fileName;               // CP932; "" when no argument named an existing file
    std::string triedName;              // the last name tried (for the missing-file message)
};

// Program-wide start-up values.
extern bool BatchMode;
extern std::string CurrentFileName;  // CP932

// An argument is an option when it begins with "/" and holds no other "/"
// (so "/home/u/a.$O1" is a file name). Options reset the name being built;
// other arguments are joined with single blanks until the text names an
// existing file, after which only the batch switch is still read. args are CP932, without
// the program name. fileExists defaults to FileExists.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& args,
                                    const std::function<bool(const std::string&)>& fileExists = {});

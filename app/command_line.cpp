#include "app/command_line.h"

#include "model/text_helpers.h"
#include "platform/sysutils.h"

bool BatchMode = false;
std::string CurrentFileName;

namespace {

bool IsOption(const std::string& arg) {
    return !arg.empty() && arg[0] == '/' && arg.find('/', 1) == std::string::npos;
}

void ApplyOption(CommandLineOptions& opt, const std::string& arg) {
    const std::string upper = UpperCase(arg);
    if (upper == kBatchSwitch) {
        opt.batchMode = true;
    } else if (upper == "/SDK") {
        opt.sdk = true;
    } else if (upper.compare(0, 7, "/FPACK=") == 0) {
        opt.packValue = TextToInt(arg.substr(7, 9), 0);
    }
    // Any other option is ignored.
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::string>& args,
                                    const std::function<bool(const std::string&)>& fileExists) {
    CommandLineOptions opt;
    std::string acc;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (IsOption(arg)) {
            ApplyOption(opt, arg);
            acc.clear();
            continue;
        }
        acc += arg;
        opt.triedName = acc;
        if (fileExists ? fileExists(acc) : FileExists(acc)) {
            opt.fileName = acc;
            break;
        }
        acc += " ";
    }
    // The batch switch behind the file name still asks for a run without a
    // window: opening one instead would wait for a person who is not there
    // (and fail where there is no display). Other options there are not read.
    for (++i; i < args.size(); ++i)
        if (IsOption(args[i]) && UpperCase(args[i]) == kBatchSwitch) opt.batchMode = true;
    return opt;
}

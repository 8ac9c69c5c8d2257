#include "platform/process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#include "platform/encoding.h"
#include "platform/sysutils.h"

extern char** environ;

std::vector<std::string> SplitParameters(const std::string& parameters) {
    std::vector<std::string> out;
    std::string item;
    bool inItem = false, quoted = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inItem = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inItem) out.push_back(item);
            item.clear();
            inItem = false;
        } else {
            item += c;
            inItem = true;
        }
    }
    if (inItem) out.push_back(item);
    return out;
}

namespace {
std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}
void RunPump() {
    if (Pump()) Pump()();
}
// Between two looks at the program: short enough for the windows to follow
// a drag, long enough not to keep a processor busy.
constexpr int kCheckInterval = 40;
void PauseWithPump(int ms) {
    if (!Pump()) {
        SleepMs(ms);
        return;
    }
    for (int left = ms; left > 0; left -= kCheckInterval) {
        SleepMs(std::min(left, kCheckInterval));
        RunPump();
    }
}
}  // namespace

void SetPendingMessagePump(std::function<void()> pump) { Pump() = std::move(pump); }

bool RunProgramAndWait(const std::string& program, const std::string& parameters, bool /*show*/,
                       int* exitCode) {
    if (exitCode != nullptr) *exitCode = -1;
    std::vector<std::string> args;
    args.push_back(OsFileName(program));
    for (const std::string& p : SplitParameters(parameters)) args.push_back(Cp932ToUtf8(p));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    // The pause in which the program gets going; the windows keep being
    // painted meanwhile, as they are while it is waited for.
    RunPump();
    PauseWithPump(kProgramStartPause);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return false;
        RunPump();
        if (done == 0) SleepMs(kCheckInterval);
    }
    if (exitCode != nullptr) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // posix_spawn in glibc reports an exec failure as exit status 127.
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
}

bool SetCurrentDir(const std::string& dir) {
    return !dir.empty() && chdir(OsFileName(dir).c_str()) == 0;
}

std::string GetCurrentDir() {
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof buffer) == nullptr) return std::string();
    std::string dir = FileNameFromOs(buffer);
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

#include "platform/paths.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/encoding.h"
#include "platform/sysutils.h"

namespace {

std::string ExePathUtf8() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace

std::string GetExeFolder() { return ExtractFilePath(Utf8ToCp932(ExePathUtf8())); }

std::string GetExeBaseName() {
    return ChangeFileExt(ExtractFileName(Utf8ToCp932(ExePathUtf8())), "");
}

std::string GetSharedDataFolder(const std::string& baseName) {
    std::string root;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') {
        root = xdg;
    } else {
        const char* home = std::getenv("HOME");
        root = std::string(home && *home ? home : "/tmp") + "/.local/share";
    }
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return Utf8ToCp932(root) + "/DORAZO/" + baseName + "/";
}

std::string GetUserFolder() {
    const char* home = std::getenv("HOME");
    std::string root = home && *home == '/' ? home : "/tmp";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return Utf8ToCp932(root) + "/";
}

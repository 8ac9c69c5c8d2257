#include "platform/paths.h"

#include <pwd.h>
#include <sys/stat.h>
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

std::string GetExeFolder() { return ExtractFilePath(FileNameFromOs(ExePathUtf8())); }

std::string GetExeBaseName() {
    return ChangeFileExt(ExtractFileName(FileNameFromOs(ExePathUtf8())), "");
}

std::string GetSharedDataFolder(const std::string& baseName) {
    std::string root;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') {
        root = xdg;
    } else {
        // Without HOME the user's home from the password database; never a
        // shared folder such as /tmp, where another user could plant the
        // settings (or a link in their place).
        const char* home = std::getenv("HOME");
        std::string dir = home && *home == '/' ? home : "";
        if (dir.empty()) {
            if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir && *pw->pw_dir == '/')
                dir = pw->pw_dir;
        }
        if (dir.empty()) return {};
        root = dir + "/.local/share";
    }
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return FileNameFromOs(root) + "/DORAZO/" + baseName + "/";
}

bool IsOwnPrivateFolder(const std::string& dir) {
    std::string path = OsFileName(dir);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat st {};
    // The folder itself, not a link planted in its place; the user's own;
    // nobody else may add or swap files in it.
    return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == geteuid() && (st.st_mode & 002) == 0 &&
           ((st.st_mode & 020) == 0 || st.st_gid == getegid());
}

std::string GetUserFolder() {
    const char* home = std::getenv("HOME");
    std::string root = home && *home == '/' ? home : "/tmp";
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return Utf8ToCp932(root) + "/";
}

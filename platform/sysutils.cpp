#include "platform/sysutils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/encoding.h"
#include "platform/file_replace.h"
#include "platform/sjis.h"

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string UpperCase(const std::string& s) {
    std::string out = s;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsSjisLeadByte(c)) {
            ++i;  // the trail byte may look like a lower-case letter
            continue;
        }
        if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string ExtractFilePath(const std::string& fileName) {
    const auto p = fileName.rfind('/');
    return p == std::string::npos ? std::string() : fileName.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& fileName) {
    const auto p = fileName.rfind('/');
    return p == std::string::npos ? fileName : fileName.substr(p + 1);
}

std::string ExtractFileExt(const std::string& fileName) {
    const std::string name = ExtractFileName(fileName);
    const auto p = name.rfind('.');
    return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& ext) {
    const std::string name = ExtractFileName(fileName);
    const auto p = name.rfind('.');
    const std::string base =
        p == std::string::npos ? fileName : fileName.substr(0, fileName.size() - name.size() + p);
    return base + ext;
}

std::string OsFileName(const std::string& fileName) { return Cp932ToUtf8(fileName); }

std::string AbsoluteFileName(const std::string& fileName) {
    if (fileName.empty() || fileName[0] == '/') return fileName;
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr) return fileName;
    std::string dir = FileNameFromOs(buffer);
    if (dir.empty() || dir.back() != '/') dir += '/';
    std::string name = fileName;
    while (name.compare(0, 2, "./") == 0) name.erase(0, 2);
    return dir + name;
}

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return !fileName.empty() && stat(OsFileName(fileName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& dir) {
    struct stat st {};
    return !dir.empty() && stat(OsFileName(dir).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

PathKind GetPathKind(const std::string& fileName) {
    struct stat st {};
    const std::string os = OsFileName(fileName);
    if (fileName.empty() || lstat(os.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISLNK(st.st_mode) && stat(os.c_str(), &st) != 0)
        return errno == ELOOP ? PathKind::LinkLoop : PathKind::BrokenLink;
    if (S_ISREG(st.st_mode)) return PathKind::RegularFile;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    return PathKind::Other;
}

bool ForceDirectories(const std::string& dir) {
    std::string path = OsFileName(dir);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) return false;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& fileName) {
    return std::remove(OsFileName(fileName).c_str()) == 0;
}

bool FileIsWritable(const std::string& fileName) {
    if (IsNonRegularFile(fileName)) return false;  // opening a FIFO would block
    std::FILE* f = std::fopen(OsFileName(fileName).c_str(), "ab");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool ReadFileBytes(const std::string& fileName, std::string& bytes) {
    bytes.clear();
    if (!FileExists(fileName)) return false;
    std::FILE* f = std::fopen(OsFileName(fileName).c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool WriteFileBytes(const std::string& fileName, const std::string& bytes) {
    return WriteFileReplacing(fileName, bytes);
}

std::uint32_t GetTickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms)); }

#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <vector>

#include "platform/sysutils.h"

namespace {

// The folder part of an operating-system path, with its final "/"; "" for
// a name in the working folder.
std::string FolderOf(const std::string& path) {
    const auto p = path.rfind('/');
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

// The file a name stands for once its symbolic links are followed (a
// dangling link gives the missing file it names). Relative link contents
// count from the link's own folder. Gives up after 40 links, as the system
// does; the name then fails the later checks.
std::string ResolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buf.size()) return path;
        std::string target(buf.data(), static_cast<std::size_t>(n));
        path = target[0] == '/' ? target : FolderOf(path) + target;
    }
    return path;
}

// The first bytes of name, at most max of them, cut before a UTF-8
// sequence rather than inside one.
std::string CutName(const std::string& name, std::size_t max) {
    if (name.size() <= max) return name;
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    return name.substr(0, n);
}

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Six letters or digits, different on every call of every process.
std::string UniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    const auto now =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t x =
        Mix(now ^ (static_cast<std::uint64_t>(getpid()) << 32) ^ Mix(counter.fetch_add(1)));
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s;
    for (int i = 0; i < 6; ++i) {
        s += kChars[x % 62];
        x /= 62;
    }
    return s;
}

// Longest file name the system takes (bytes of one path component).
constexpr std::size_t kNameMax = NAME_MAX;

}  // namespace

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open(const std::string& fileName) {
    Discard();
    failed_ = false;
    error_ = Failure::kNone;
    target_ = ResolveLinks(OsFileName(fileName));
    struct stat st {};
    const bool exists = stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        error_ = errno == ELOOP ? Failure::kNotRegularFile : Failure::kCannotCreate;
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        error_ = Failure::kNotRegularFile;
        return false;
    }
    if (exists && access(target_.c_str(), W_OK) != 0) {
        error_ = Failure::kNotWritable;
        return false;
    }
    // ".<name>.<six>": hidden, beside the file, and never longer than the
    // limit (a 255-byte name keeps its first 247 bytes).
    const std::string folder = FolderOf(target_);
    const std::string base = CutName(target_.substr(folder.size()), kNameMax - 8);
    int fd = -1;
    for (int tries = 0; tries < 100 && fd < 0; ++tries) {
        temp_ = folder + "." + base + "." + UniqueSuffix();
        fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        temp_.clear();
        error_ = Failure::kCannotCreate;
        return false;
    }
    if (exists) {
        // Owner and group first: a change of owner may clear mode bits.
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the superuser may give a file away; the file is then
            // the writer's own, which is what writing in place gave too.
        }
        if (fchmod(fd, st.st_mode & 07777) != 0) {
            // Our own new file: cannot fail in practice.
        }
    }
    file_ = fdopen(fd, "wb");
    if (file_ == nullptr) {
        close(fd);
        unlink(temp_.c_str());
        temp_.clear();
        error_ = Failure::kCannotCreate;
        return false;
    }
    return true;
}

bool ReplacingFile::Write(const char* data, std::size_t size) {
    if (file_ == nullptr || failed_) return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
        failed_ = true;
        error_ = Failure::kWriteFailed;
        return false;
    }
    return true;
}

bool ReplacingFile::Commit(bool sync) {
    if (file_ == nullptr) return false;
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
    if (ok && sync) ok = fsync(fileno(file_)) == 0;
    if (std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    if (!ok) {
        if (error_ == Failure::kNone) error_ = Failure::kWriteFailed;
        Discard();
        return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error_ = Failure::kCannotReplace;
        Discard();
        return false;
    }
    temp_.clear();
    if (sync) {
        // The rename itself on the disk too.
        const std::string folder = FolderOf(target_);
        const int dir =
            open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    return true;
}

void ReplacingFile::Discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
}

bool WriteFileReplacing(const std::string& fileName, const std::string& bytes, bool sync,
                        ReplacingFile::Failure* failure) {
    ReplacingFile file;
    const bool ok =
        file.Open(fileName) && file.Write(bytes.data(), bytes.size()) && file.Commit(sync);
    if (failure) *failure = file.Error();
    return ok;
}

bool IsNonRegularFile(const std::string& fileName) {
    struct stat st {};
    return !fileName.empty() && stat(OsFileName(fileName).c_str(), &st) == 0 &&
           !S_ISREG(st.st_mode);
}

#include "platform/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "platform/sjis_literal.h"
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

// A temporary's name: "." + base + "." + six letters or digits.
bool IsTemporaryOf(const std::string& entry, const std::string& base) {
    if (entry.size() != base.size() + 8 || entry[0] != '.' || entry[base.size() + 1] != '.' ||
        entry.compare(1, base.size(), base) != 0)
        return false;
    for (std::size_t i = base.size() + 2; i < entry.size(); ++i) {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// Removes the temporaries of base in folder that a killed writer left: a
// living writer holds a lock on its temporary (released by the system when
// the process ends) and has just written it, so only an unlocked one
// untouched for a minute goes. Only the user's own regular files.
void RemoveStaleTemporaries(const std::string& folder, const std::string& base,
                            const std::string& own) {
    DIR* d = opendir(folder.empty() ? "." : folder.c_str());
    if (d == nullptr) return;
    const std::time_t now = std::time(nullptr);
    std::vector<std::string> stale;
    while (const dirent* e = readdir(d)) {
        const std::string entry = e->d_name;
        const std::string path = folder + entry;
        if (path == own || !IsTemporaryOf(entry, base)) continue;
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() ||
            now - st.st_mtime < 60)
            continue;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) stale.push_back(path);
        close(fd);
    }
    closedir(d);
    for (const std::string& path : stale) unlink(path.c_str());
}

std::mutex failuresMutex;
std::map<std::string, std::string>& Failures() {
    static std::map<std::string, std::string> failures;
    return failures;
}

}  // namespace

std::string WriteFailureText(ReplacingFile::Failure failure, int err) {
    using F = ReplacingFile::Failure;
    switch (failure) {
        case F::kNone:
            return {};
        case F::kNotRegularFile:
            return err == ELOOP ? "リンクが循環しています"_sj : "通常のファイルではありません"_sj;
        case F::kNotWritable:
            return "ファイルが書込み禁止です"_sj;
        default:
            break;
    }
    switch (err) {
        case ENOSPC:
        case EDQUOT:
            return "ディスクの空きが足りません"_sj;
        case EFBIG:
            return "ファイルの大きさの上限を超えます"_sj;
        case ENOMEM:
            return "メモリーが足りません"_sj;
        case ENAMETOOLONG:
            return "ファイル名が長すぎます"_sj;
        case EROFS:
            return "読込み専用のディスクです"_sj;
        case EACCES:
        case EPERM:
            // The file is replaced by a new one beside it: the folder must
            // take it, even when the file itself may be written.
            return "フォルダーが書込み禁止です"_sj;
        case ENOENT:
        case ENOTDIR:
            return "フォルダーがありません"_sj;
        case EIO:
            return "ディスクの読み書きに失敗しました"_sj;
        default:
            break;
    }
    if (failure == F::kCannotCreate) return "フォルダーに書き込めません"_sj;
    if (failure == F::kCannotReplace) return "ファイルを置き換えられません"_sj;
    return "書込みに失敗しました"_sj;
}

std::string LastWriteFailure(const std::string& fileName) {
    std::lock_guard<std::mutex> lock(failuresMutex);
    const auto it = Failures().find(fileName);
    return it == Failures().end() ? std::string() : it->second;
}

void NoteWriteFailure(const std::string& fileName, ReplacingFile::Failure failure, int err) {
    if (fileName.empty()) return;
    std::lock_guard<std::mutex> lock(failuresMutex);
    if (failure == ReplacingFile::Failure::kNone)
        Failures().erase(fileName);
    else
        Failures()[fileName] = WriteFailureText(failure, err);
}

int ReplacingFile::SetFailure(Failure failure, int err) {
    error_ = failure;
    errno_ = err;
    NoteWriteFailure(name_, failure, err);
    return err;
}

void ReplacingFile::Fail(int err) {
    if (!failed_ || errno_ == 0) {
        errno_ = err;
        if (err != 0) error_ = Failure::kWriteFailed;
    }
    failed_ = true;
}

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open(const std::string& fileName) {
    Discard();
    failed_ = false;
    error_ = Failure::kNone;
    errno_ = 0;
    name_ = fileName;
    target_ = ResolveLinks(OsFileName(fileName));
    struct stat st {};
    const bool exists = stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        const int err = errno;
        SetFailure(err == ELOOP ? Failure::kNotRegularFile : Failure::kCannotCreate, err);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        SetFailure(Failure::kNotRegularFile, 0);
        return false;
    }
    // access() says yes to the superuser for any file: a file without any
    // write permission was protected on purpose, and stays.
    if (exists && (access(target_.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) {
        SetFailure(Failure::kNotWritable, EACCES);
        return false;
    }
    // ".<name>.<six>": hidden, beside the file, and never longer than the
    // limit (a 255-byte name keeps its first 247 bytes).
    const std::string folder = FolderOf(target_);
    const std::string base = CutName(target_.substr(folder.size()), kNameMax - 8);
    int fd = -1;
    int err = 0;
    for (int tries = 0; tries < 100 && fd < 0; ++tries) {
        temp_ = folder + "." + base + "." + UniqueSuffix();
        fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        err = errno;
        if (fd < 0 && err != EEXIST) break;
    }
    if (fd < 0) {
        temp_.clear();
        SetFailure(Failure::kCannotCreate, err);
        return false;
    }
    // Held while this writer lives: tells a later writer that the
    // temporary is not a killed run's.
    flock(fd, LOCK_EX | LOCK_NB);
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
        err = errno;
        close(fd);
        unlink(temp_.c_str());
        temp_.clear();
        SetFailure(Failure::kCannotCreate, err);
        return false;
    }
    RemoveStaleTemporaries(folder, base, temp_);
    return true;
}

bool ReplacingFile::Write(const char* data, std::size_t size) {
    if (file_ == nullptr || failed_) return false;
    errno = 0;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
        failed_ = true;
        SetFailure(Failure::kWriteFailed, errno);
        return false;
    }
    return true;
}

bool ReplacingFile::Commit(bool sync) {
    if (file_ == nullptr) return false;
    errno = 0;
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
    if (ok && sync) ok = fsync(fileno(file_)) == 0;
    int err = ok ? 0 : errno;
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        err = errno;
    }
    file_ = nullptr;
    if (!ok) {
        if (failed_ && error_ != Failure::kNone)
            SetFailure(error_, errno_);
        else
            SetFailure(Failure::kWriteFailed, err);
        Discard();
        return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        SetFailure(Failure::kCannotReplace, errno);
        Discard();
        return false;
    }
    temp_.clear();
    NoteWriteFailure(name_, Failure::kNone, 0);
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

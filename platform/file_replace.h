// Files replaced whole. New content goes to a temporary file in the same
// folder, which takes the file's place (a rename) only once all of it was
// written, so a failure at any step (a full disk, a read-only folder, a
// crash) leaves the old file as it was. What the file was stays:
// - a symbolic link is followed: the file it names is replaced, the link
//   stays a link;
// - the new file gets the old one's permission bits (and owner and group
//   where the system allows); a new file gets the usual ones (0666 less
//   the umask);
// - the temporary's name never exceeds the file-name limit, however long
//   the file's own name is.
// A name that exists but is not a regular file (a folder, a FIFO, a device)
// is refused without being opened, so a writer never blocks on a FIFO; so
// is a file the user may not write (a write-protected file stays, for the
// superuser too: a file without any write permission is never replaced).
// The temporaries of a run that was killed are removed the next time the
// file is replaced (only those no living writer holds).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class ReplacingFile {
  public:
    enum class Failure {
        kNone,
        kNotRegularFile,  // the name is a folder, FIFO, device, ...
        kNotWritable,     // the file exists but may not be written
        kCannotCreate,    // no temporary in the folder (missing, read-only, full)
        kWriteFailed,     // writing, flushing or closing failed
        kCannotReplace,   // the rename failed
    };

    ReplacingFile() = default;
    ~ReplacingFile();  // an uncommitted temporary is deleted
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary for fileName (CP932). False, with Error() set,
    // when the file may not be replaced or no temporary can be made.
    bool Open(const std::string& fileName);
    // The temporary, open for binary writing; null when not open.
    std::FILE* File() const { return file_; }
    // Appends bytes; false (and the file stays uncommitted) on a failure.
    bool Write(const char* data, std::size_t size);
    // Marks the content as failed: Commit will then discard it. err (an
    // errno value, ENOMEM for a memory failure) says why, where known.
    void Fail(int err = 0);
    // Closes the temporary and renames it over the file. With sync the
    // content is on the disk before the rename. False, with the temporary
    // deleted and the old file untouched, on any failure before.
    bool Commit(bool sync = false);
    // Closes and deletes the temporary; the old file stays.
    void Discard();

    Failure Error() const { return error_; }
    // The errno value of the failure (0 when none is known).
    int SystemError() const { return errno_; }
    // The file that is replaced: the name with its symbolic links resolved
    // (operating-system name).
    const std::string& Target() const { return target_; }
    const std::string& TemporaryName() const { return temp_; }

  private:
    std::FILE* file_ = nullptr;
    std::string target_, temp_;
    std::string name_;  // as given to Open (CP932)
    bool failed_ = false;
    Failure error_ = Failure::kNone;
    int errno_ = 0;
    int SetFailure(Failure failure, int err);
};

// Writes bytes to fileName as a ReplacingFile; false on any failure (the
// old file, if any, is then unchanged). failure, when given, says why.
bool WriteFileReplacing(const std::string& fileName, const std::string& bytes, bool sync = false,
                        ReplacingFile::Failure* failure = nullptr);

// True when fileName (CP932; links followed) exists and is not a regular
// file: a folder, FIFO, socket or device, which the program neither reads
// as a data file nor writes as a result file.
bool IsNonRegularFile(const std::string& fileName);

// Why a file could not be written, in the user's words (CP932), e.g.
// "ディスクの空きが足りません"; "" for kNone.
std::string WriteFailureText(ReplacingFile::Failure failure, int err);
// The cause of the last failed replacement of fileName (CP932, as given to
// Open) by any writer in this process, "" when its last replacement
// succeeded or none was tried. Kept per file, so that a caller that only
// learnt "false" can still say why.
std::string LastWriteFailure(const std::string& fileName);
// Records a failure that happened before the file was opened (a memory
// failure while its content was formed).
void NoteWriteFailure(const std::string& fileName, ReplacingFile::Failure failure, int err);

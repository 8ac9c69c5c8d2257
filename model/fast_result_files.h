// How WriteSdkResultFiles (model/result_files.h) writes the result files
// fast, with the bytes printf formatting gives. The member-force files,
// which hold one line per result point of every member and case (hundreds
// of megabytes for the largest models), are cut into pieces of a few dozen
// members, formatted by a few threads of their own straight into buffers
// and written in file order by one more thread per file, both files at
// once, beside a thread for the four small files; their numbers are
// formatted by exact arithmetic instead of printf.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct FrameResults;

// The blocks of a results record that are final, for a job started while
// the analysis still forms some of them: Open is called as each becomes
// final (from any thread), a job waits for a block before reading it.
class BlockGate {
  public:
    BlockGate();
    ~BlockGate();
    void Open(int block);
    void OpenAll();  // the analysis is over, whatever it told
    void WaitOpen(int block) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// One member-force file written on threads of its own while the caller
// goes on (the load case file, while the analysis forms the combinations):
// `threads` threads format its pieces, one more writes them in order.
class MemberForceFileJob {
  public:
    MemberForceFileJob();
    ~MemberForceFileJob();  // abandons a job not finished
    MemberForceFileJob(const MemberForceFileJob&) = delete;
    MemberForceFileJob& operator=(const MemberForceFileJob&) = delete;

    // Starts writing file `which` (kResultLoadCases or kResultCombinations)
    // of results to name. The blocks of that file, the member headers and
    // the counts must not change until Finish; with a gate, a block is read
    // only once the gate has it open (the gate must outlive the job).
    // False (nothing started) when its writing thread could not be
    // started; when no formatting thread could, the pieces are formatted
    // by the thread that calls Finish. The file is replaced whole (see
    // platform/file_replace.h) when Finish succeeds.
    bool Start(const FrameResults& results, int which, const std::string& name, int threads,
               const BlockGate* gate = nullptr);
    bool Started() const;
    // Waits for the job; true when the whole file was written. False
    // when nothing was started.
    bool Finish();
    // Ends the job without touching its file (the old one, if any, stays).
    void Abandon();

  private:
    bool End(bool commit);
    struct State;
    std::unique_ptr<State> state_;
};

// The two member-force files of base written while an analysis of results
// runs: BlockFinal() is the analysis's blockFinal callback (see
// RunFrameAnalysis); the load case file starts once the load cases are
// final, the combination file takes each combination block once it is
// formed. After the analysis, AnalysisOver(), then WriteSdkResultFiles
// with Jobs() writes the rest and waits for both.
class MemberForceFilesDuringAnalysis {
  public:
    MemberForceFilesDuringAnalysis(const FrameResults& results, std::string base);
    ~MemberForceFilesDuringAnalysis();  // abandons the jobs not finished
    std::function<void(int)> BlockFinal();
    void AnalysisOver();
    // The analysis failed: the jobs end and leave their files as they were.
    void Abandon();
    MemberForceFileJob* Jobs() { return jobs_; }

  private:
    const FrameResults& results_;
    const std::string base_;
    BlockGate combinations_;
    MemberForceFileJob jobs_[2];
};

// printf("%15.7e", v) and printf("%15.4f", v) for a value v that is a
// float (as every member value is), written at out (room for 64 bytes);
// return the number of bytes. Exact: the decimal digits are those of the
// float's exact binary value, rounded half to even, as glibc's printf
// rounds them; values outside the exact range go to snprintf.
std::size_t FormatFloatE15(char* out, float v);
std::size_t FormatFloatF15(char* out, float v);

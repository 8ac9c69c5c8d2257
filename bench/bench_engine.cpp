// Engine benchmark. First the floors: the program itself (its batch run)
// on the portal example and on the largest frame, each run alternating
// with two floors measured in the same session: the program started on a
// data file that does not exist (start-up and exit only), and a copy of
// the same bytes of result files into new files in the same folder (what
// writing them cannot beat). Prints wall time, peak resident memory and
// page faults of each (best of the repeats) and the ratios.
//
// Then the engine table: frames of three sizes (and a variant on
// distributed springs), written as data files, run through the whole batch
// analysis (read, validate, expand, solve, combine, write the result files)
// in fresh child processes: the batch run's steps with the tests'
// reference analysis and writer (tests/oracle: dense solver, one case
// after the other, printf formatting), the program's batch run, and the
// batch run's steps with the program's analysis and writer, the files
// written after the analysis. Prints nodes, members and unknowns after
// expansion, wall time and peak resident memory of each run (best of the
// repeats), and whether the result files equal the reference's byte for
// byte.
//
//   bench_engine [work folder [repeats]]    floors and all models (default
//                                           /dev/shm/vextor_bench, or /tmp/vextor_bench
//                                           without /dev/shm; 3)
//   bench_engine --floors [folder [repeats]]  only the floors (default 9 repeats)
//   bench_engine --run ref|fast|fastw FILE  one run (used by the above): the
//                                           reference, the batch run, the steps
//   bench_engine --split ref|fast FILE      read / analysis / result files, timed
//   bench_engine --phases ref|fast FILE     the analysis driver's steps, timed
//   bench_engine --models FOLDER            only writes the models' data files
//                                           (for --run, --split and --phases)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/command_line.h"
#include "model/analysis_driver.h"
#include "model/data_file.h"
#include "model/expansion.h"
#include "model/fast_result_files.h"
#include "model/frame_model.h"
#include "model/frame_results.h"
#include "model/load_case_loop.h"
#include "model/result_files.h"
#include "model/validation.h"
#include "platform/assertions.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"
#include "tests/oracle/reference_analysis.h"
#include "tests/oracle/reference_result_files.h"

namespace {

// ---------------------------------------------------------------- models

class Builder {
  public:
    explicit Builder(FrameModel& m) : m_(m) { NewFrameModel(m_, 0); }

    int Node(double x, double y) {
        FramePoint& p = m_.nodes[++m_.nodeCount];
        p.no = m_.nodeCount;
        p.x = static_cast<float>(x);
        p.y = static_cast<float>(y);
        return p.no;
    }
    void Material(double e, double alpha) {
        FrameMaterial& mat = m_.materials[++m_.materialCount];
        mat.no = m_.materialCount;
        mat.e = static_cast<float>(e);
        mat.alpha = static_cast<float>(alpha);
    }
    void Section(double a, double i, const char* name) {
        FrameSection& s = m_.sections[++m_.sectionCount];
        s.no = m_.sectionCount;
        s.area = static_cast<float>(a);
        s.inertia = static_cast<float>(i);
        SetFixedText(s.name, kNameSize, name);
    }
    int Member(int ni, int nj, int section, int endI = 0, int endJ = 0) {
        FrameMember& mb = m_.members[++m_.memberCount];
        mb.no = m_.memberCount;
        mb.nodeI = ni;
        mb.nodeJ = nj;
        mb.sectionNo = section;
        mb.materialNo = 1;
        mb.endI = endI;
        mb.endJ = endJ;
        return mb.no;
    }
    void Support(int node, int code, double kx = 0, double ky = 0, double km = 0) {
        if (m_.supportCaseCount == 0) {
            m_.supportCaseCount = 1;
            m_.supportCases[1].no = 1;
            SetFixedText(m_.supportCases[1].name, kNameSize, "SUPPORTS");
        }
        SuptCase& sc = m_.supportCases[1];
        SuptEntry& e = sc.entries[++sc.count];
        e.nodeNo = node;
        e.code = code;
        const bool fx = code == kSupportPin || code == kSupportRollerX || code == kSupportFixed;
        const bool fy = code == kSupportPin || code == kSupportRollerY || code == kSupportFixed;
        e.kx = static_cast<float>(code == kSupportSpring ? kx : (fx ? -1 : 0));
        e.ky = static_cast<float>(code == kSupportSpring ? ky : (fy ? -1 : 0));
        e.km = static_cast<float>(code == kSupportSpring ? km : (code == kSupportFixed ? -1 : 0));
    }
    LoadCase& Case(int springCase = 0) {
        LoadCase& lc = m_.loadCases[++m_.loadCaseCount];
        lc.no = m_.loadCaseCount;
        lc.suptCaseNo = 1;
        lc.baneCaseNo = springCase;
        std::snprintf(lc.name, kNameSize, "CASE %d", lc.no);
        return lc;
    }
    static void Load(LoadCase& lc, int code, int member, double qI, double qJ, double dI,
                     double dJ) {
        if (lc.count >= kMaxLoads) return;
        LoadRecord& l = lc.loads[++lc.count];
        l.code = code;
        l.memberFrom = member;
        l.qI = static_cast<float>(qI);
        l.qJ = static_cast<float>(qJ);
        l.distI = static_cast<float>(dI);
        l.distJ = static_cast<float>(dJ);
    }
    // 65 combinations of two to four load cases with factors.
    void Combinations(int count) {
        const int cases = m_.loadCaseCount;
        for (int k = 1; k <= count && k <= kMaxCombinations; ++k) {
            KumiCase& c = m_.combinations[++m_.combinationCount];
            c.no = k;
            c.factor = k % 3 == 0 ? 1.5 : 1.0;
            std::snprintf(c.name, kNameSize, "COMBO %d", k);
            const int entries = 2 + k % 3;
            for (int e = 1; e <= entries; ++e) {
                c.entries[++c.count].loadCaseNo = 1 + (k * 7 + e * 11) % cases;
                c.entries[c.count].factor = static_cast<float>(e == 1 ? 1.2 : 0.8 + 0.1 * e);
            }
        }
    }
    // A named point at mid-length of every member in the list.
    void MidPoints(const std::vector<int>& members, double length) {
        for (int mb : members) {
            if (m_.view2Count >= kMaxView2) return;
            View2Member& v = m_.view2[++m_.view2Count];
            v.memberNo = mb;
            v.count = 1;
            v.dist[1] = static_cast<float>(length / 2);
            SetFixedText(v.pointName[1], kPointNameSize, "MID");
        }
    }

  private:
    FrameModel& m_;
};

// Loads of every code on the members of one case, by the case number:
// dead and live loads (global Y), partial perpendicular loads, wind
// (global X) on the columns, temperature, point loads, moments, nodal loads.
void FillCase(Builder& b, LoadCase& lc, int c, const std::vector<int>& beams,
              const std::vector<int>& columns, const std::vector<int>& topNodes, double span,
              double height) {
    const int kind = c % 5;
    for (std::size_t k = 0; k < beams.size(); ++k) {
        const int mb = beams[k];
        switch (kind) {
            case 1:  // dead load on every beam
                b.Load(lc, kLoadDistY, mb, -20 - c % 7, -20 - c % 7, 0, 0);
                break;
            case 2:  // partial live loads and point loads on every third beam
                if ((k + static_cast<std::size_t>(c)) % 3 == 0) {
                    b.Load(lc, kLoadDistPerp, mb, -5, -12, 0.1 * span, 0.2 * span);
                    b.Load(lc, kLoadConcPerp, mb, -30, 0, 0.4 * span, 0);
                }
                break;
            case 3:  // temperature and axial loads on every other beam
                if (k % 2 == 0) b.Load(lc, kLoadTemperature, mb, 15 + c % 4, 0, 0, 0);
                if (k % 4 == 1) b.Load(lc, kLoadDistAxial, mb, 2, 2, 0, 0);
                break;
            case 4:  // moments and inclined point loads on every fifth beam
                if ((k + static_cast<std::size_t>(c)) % 5 == 0) {
                    b.Load(lc, kLoadConcMoment, mb, 12, 0, 0.3 * span, 0);
                    b.Load(lc, kLoadConcY, mb, -25, 0, 0.5 * span, 0);
                    b.Load(lc, kLoadConcAxial, mb, 4, 0, 0.25 * span, 0);
                }
                break;
            default:
                break;
        }
    }
    if (kind == 0 || kind == 3) {  // wind on the columns
        for (std::size_t k = 0; k < columns.size(); ++k) {
            if (k % 4 != static_cast<std::size_t>(c % 4)) continue;
            b.Load(lc, kLoadDistX, columns[k], 3 + c % 3, 3 + c % 3, 0, 0);
            if (k % 8 == 0) b.Load(lc, kLoadConcX, columns[k], 10, 0, 0.5 * height, 0);
        }
    }
    if (kind == 0) {
        for (std::size_t k = 0; k < topNodes.size(); k += 2) {
            b.Load(lc, kLoadNodal, topNodes[k], 15, -10, 2 * (k % 3), 0);
        }
    }
}

// A plane building frame: bays x stories, floor-by-floor node numbers,
// fixed column bases; optionally a ground beam on distributed springs.
void BuildFrame(FrameModel& m, int bays, int stories, int cases, bool groundSprings) {
    Builder b(m);
    SetFixedText(m.header.title, kNameSize, "BENCH FRAME");
    b.Material(2.5e7, 1e-5);
    b.Section(0.36, 0.0108, "COLUMN");
    b.Section(0.24, 0.0072, "BEAM");
    const double span = 6.0, height = 3.5;
    std::vector<int> beams, columns, top;
    std::vector<std::vector<int>> node(static_cast<std::size_t>(stories) + 1);
    for (int s = 0; s <= stories; ++s)
        for (int x = 0; x <= bays; ++x) node[s].push_back(b.Node(x * span, s * height));
    std::vector<int> ground;
    for (int s = 1; s <= stories; ++s) {
        for (int x = 0; x <= bays; ++x) columns.push_back(b.Member(node[s - 1][x], node[s][x], 1));
        for (int x = 0; x < bays; ++x) {
            // Every seventh beam is pinned at one end.
            const int pin = (s * bays + x) % 7 == 0 ? 1 : 0;
            beams.push_back(b.Member(node[s][x], node[s][x + 1], 2, pin, 0));
        }
    }
    if (groundSprings) {
        for (int x = 0; x < bays; ++x) ground.push_back(b.Member(node[0][x], node[0][x + 1], 2));
        m.springCaseCount = 1;
        BaneCase& bc = m.springCases[1];
        bc.no = 1;
        SetFixedText(bc.name, kNameSize, "SOIL");
        for (int mb : ground) {
            BaneEntry& e = bc.entries[++bc.count];
            e.memberNo = mb;
            e.kv = 40000;
            e.ku = 8000;
        }
        for (int x = 0; x <= bays; x += bays) b.Support(node[0][x], kSupportPin);
    } else {
        for (int x = 0; x <= bays; ++x) b.Support(node[0][x], kSupportFixed);
    }
    for (int x = 0; x <= bays; ++x) top.push_back(node[stories][x]);
    for (int c = 1; c <= cases; ++c) {
        LoadCase& lc = b.Case(groundSprings ? 1 : 0);
        FillCase(b, lc, c, beams, columns, top, span, height);
        if (groundSprings && c % 2 == 1) {
            for (int mb : ground) b.Load(lc, kLoadDistY, mb, -15, -15, 0, 0);
        }
    }
    b.Combinations(cases);
    b.MidPoints(beams, span);
    PrepareMemberLoads(m);
}

// A long viaduct: a continuous girder of `spans` x 10 members of 2 m on
// piers of 10 members of 1 m each; girder nodes first, then pier nodes
// pier by pier (a wide profile, as users number such models).
void BuildViaduct(FrameModel& m, int spans, int cases) {
    Builder b(m);
    SetFixedText(m.header.title, kNameSize, "BENCH VIADUCT");
    b.Material(3.0e7, 1e-5);
    b.Section(4.5, 2.1, "GIRDER");
    b.Section(3.2, 1.4, "PIER");
    const int perSpan = 10;
    const double seg = 2.0;
    std::vector<int> girder, piers, deck, girderMembers;
    for (int k = 0; k <= spans * perSpan; ++k) girder.push_back(b.Node(k * seg, 10.0));
    for (int k = 0; k < spans * perSpan; ++k)
        girderMembers.push_back(b.Member(girder[k], girder[k + 1], 1));
    for (int p = 1; p < spans; ++p) {
        std::vector<int> pn;
        for (int h = 0; h < 10; ++h) pn.push_back(b.Node(p * perSpan * seg, 9.0 - h));
        piers.push_back(b.Member(pn[0], girder[p * perSpan], 2));
        for (int h = 1; h < 10; ++h) piers.push_back(b.Member(pn[h], pn[h - 1], 2));
        b.Support(pn[9], kSupportFixed);
    }
    b.Support(girder.front(), kSupportRollerY);
    b.Support(girder.back(), kSupportRollerY);
    for (int k = 0; k <= spans * perSpan; k += 5) deck.push_back(girder[k]);
    for (int c = 1; c <= cases; ++c) {
        LoadCase& lc = b.Case();
        FillCase(b, lc, c, girderMembers, piers, deck, seg, 1.0);
    }
    b.Combinations(cases);
    b.MidPoints(girderMembers, seg);
    PrepareMemberLoads(m);
}

// ---------------------------------------------------------------- runs

struct RunResult {
    bool ok = false;
    int exitCode = -1;
    double seconds = 0;
    long maxRssKb = 0;
    long pageFaults = 0;  // minor and major
};

// Waits for child pid started at t0 and measures it.
RunResult WaitMeasured(pid_t pid, std::chrono::steady_clock::time_point t0) {
    RunResult r;
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.maxRssKb = usage.ru_maxrss;
    r.pageFaults = usage.ru_minflt + usage.ru_majflt;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.ok = r.exitCode == kBatchOk;
    return r;
}

std::string SelfPath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "bench_engine";
    buf[n] = '\0';
    return buf;
}

// Runs program with args in a child (its output to /dev/null) and
// measures it.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return WaitMeasured(pid, t0);
}

// Runs "<self> --run <path> <file>" in a child and measures it.
RunResult RunChild(const std::string& path, const std::string& file) {
    return RunProgram(SelfPath(), {"--run", path, file});
}

std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool SameResultFiles(const std::string& baseA, const std::string& baseB, std::size_t& bytes) {
    bytes = 0;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        const std::string a = ReadAll(baseA + SdkResultExtensions()[f]);
        const std::string b = ReadAll(baseB + SdkResultExtensions()[f]);
        if (a.empty() || a != b) return false;
        bytes += a.size();
    }
    return true;
}

struct Expanded {
    int nodes = 0, members = 0;
};

Expanded ExpandedSize(FrameModel& user) {
    std::unique_ptr<FrameModel> copy = NewFrameModelRecord();
    ExpandFrameModel(*copy, user, true, false);
    return {copy->nodeCount, copy->memberCount};
}

// The data file and the result files of one model in every run's folder.
void RemoveRunFiles(const std::string& folder, const char* name) {
    for (const char* p : {"ref", "fast", "fastw"}) {
        const std::string base = folder + "/" + p + "/" + name;
        DeleteFile(base + ".$O1");
        for (int f = 0; f < kSdkResultFileCount; ++f) DeleteFile(base + SdkResultExtensions()[f]);
    }
}

void Bench(const std::string& folder, const char* name, FrameModel& model, int repeats) {
    const char* paths[3] = {"ref", "fast", "fastw"};
    const std::string file = std::string(name) + ".$O1";
    for (const char* p : paths) {
        const std::string dir = folder + "/" + p + "/";
        ForceDirectories(dir);
        if (!WriteFrameDataFile(dir + file, model)) {
            std::printf("%-16s cannot write the data file in %s\n", name, dir.c_str());
            return;
        }
    }
    const Expanded ex = ExpandedSize(model);
    RunResult best[3];
    for (int k = 0; k < repeats; ++k) {
        // Best of the repeats: the figure least disturbed by the machine.
        for (int p = 0; p < 3; ++p) {
            const RunResult r = RunChild(paths[p], folder + "/" + paths[p] + "/" + file);
            if (k == 0 || r.seconds < best[p].seconds) best[p] = r;
        }
    }
    std::size_t bytes = 0, bytesW = 0;
    const bool same = SameResultFiles(folder + "/ref/" + name, folder + "/fast/" + name, bytes);
    const bool sameW = SameResultFiles(folder + "/ref/" + name, folder + "/fastw/" + name, bytesW);
    std::printf("%-16s %5d %5d %5d %5d %5d %5d |", name, model.nodeCount, model.memberCount,
                ex.nodes, ex.members, 3 * ex.nodes, model.loadCaseCount);
    for (const RunResult& r : best)
        std::printf(" %7.3f %7.1f %d |", r.seconds, r.maxRssKb / 1024.0, r.exitCode);
    std::printf(" %s %s %.1f MB\n", same ? "same" : "DIFFERENT", sameW ? "same" : "DIFFERENT",
                bytes / 1e6);
    std::fflush(stdout);
    RemoveRunFiles(folder, name);
}

// ---------------------------------------------------------------- floors

// Copies one file into a new file as cp does: in the kernel where the
// system can (copy_file_range), else through a buffer.
bool CopyFileBytes(const std::string& from, const std::string& to) {
    const int in = open(from.c_str(), O_RDONLY);
    if (in < 0) return false;
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    for (;;) {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (n > 0) continue;
        if (n == 0) break;
        // No copy in the kernel here: the same bytes through a buffer.
        static char buffer[1 << 17];
        for (ssize_t got; (got = read(in, buffer, sizeof buffer)) != 0;) {
            if (got < 0 || write(out, buffer, static_cast<std::size_t>(got)) != got) {
                ok = false;
                break;
            }
        }
        break;
    }
    close(in);
    return close(out) == 0 && ok;
}

// The six result files of base copied into new files named copyBase + the
// extension, in a child, measured as the program's runs are.
RunResult RunCopy(const std::string& base, const std::string& copyBase) {
    for (int f = 0; f < kSdkResultFileCount; ++f) DeleteFile(copyBase + SdkResultExtensions()[f]);
    const auto t0 = std::chrono::steady_clock::now();
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        bool ok = true;
        for (int f = 0; f < kSdkResultFileCount; ++f)
            ok = CopyFileBytes(base + SdkResultExtensions()[f],
                               copyBase + SdkResultExtensions()[f]) &&
                 ok;
        _exit(ok ? 0 : 1);
    }
    return WaitMeasured(pid, t0);
}

std::size_t ResultFileBytes(const std::string& base) {
    std::size_t bytes = 0;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        struct stat st {};
        if (stat((base + SdkResultExtensions()[f]).c_str(), &st) == 0)
            bytes += static_cast<std::size_t>(st.st_size);
    }
    return bytes;
}

// The better of two measurements of the same thing: the shorter wall time;
// peak memory and page faults are the least seen.
void KeepBest(RunResult& best, const RunResult& r, bool first) {
    if (first) {
        best = r;
        return;
    }
    const long rss = std::min(best.maxRssKb, r.maxRssKb),
               faults = std::min(best.pageFaults, r.pageFaults);
    if (r.seconds < best.seconds) best = r;
    best.maxRssKb = rss;
    best.pageFaults = faults;
}

double LoadAverage() {
    double load = -1;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}

// The program on one data file against its two floors, alternating.
void Floors(const std::string& program, const std::string& folder, const char* name, int repeats) {
    const std::string base = folder + "/" + name;
    const std::string file = base + ".$O1";
    const std::string copyBase = folder + "/copy_of_" + name;
    RunResult program_, start, copy;
    bool ok = true;
    for (int k = 0; k < repeats; ++k) {
        // Each run writes new files, as a first run does.
        for (int f = 0; f < kSdkResultFileCount; ++f) DeleteFile(base + SdkResultExtensions()[f]);
        const RunResult p = RunProgram(program, {"/BATCH", file});
        const RunResult c = RunCopy(base, copyBase);
        const RunResult s = RunProgram(program, {"/BATCH", folder + "/no such file.$O1"});
        ok = ok && p.ok && c.ok && s.exitCode == kBatchMissingFile;
        KeepBest(program_, p, k == 0);
        KeepBest(copy, c, k == 0);
        KeepBest(start, s, k == 0);
    }
    const double mb = ResultFileBytes(base) / 1e6;
    for (int f = 0; f < kSdkResultFileCount; ++f) {
        DeleteFile(base + SdkResultExtensions()[f]);
        DeleteFile(copyBase + SdkResultExtensions()[f]);
    }
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf(
        "%-16s | %7.3f %7.1f %7ld | %7.3f %7.1f %7ld | %7.1f %7.3f | %6.2fx %6.2fx | %6.2fx%s\n",
        name, program_.seconds, program_.maxRssKb / 1024.0, program_.pageFaults, start.seconds,
        start.maxRssKb / 1024.0, start.pageFaults, mb, copy.seconds,
        ratio(program_.seconds, start.seconds), ratio(program_.maxRssKb, start.maxRssKb),
        ratio(program_.seconds, copy.seconds), ok ? "" : "  (a run failed)");
    std::fflush(stdout);
}

void BuildModel(FrameModel& m, int which);

int FloorsTable(const std::string& folder, int repeats) {
#ifndef EXAMPLES_DIR
#define EXAMPLES_DIR "examples"
#endif
#ifdef VEXTOR_PROGRAM
    const std::string program = VEXTOR_PROGRAM;
#else
    const std::string program = ExtractFilePath(SelfPath()) + "../app/vextor";
#endif
    const std::string dir = folder + "/floors";
    if (!ForceDirectories(dir) || !FileExists(program)) {
        std::fprintf(stderr, "bench_engine: no %s or no program %s\n", dir.c_str(),
                     program.c_str());
        return 1;
    }
    // The portal as the examples hold it, and the largest frame.
    TStringList portal;
    std::unique_ptr<FrameModel> largest = NewFrameModelRecord();
    BuildModel(*largest, 2);
    if (!portal.LoadFromFile(std::string(EXAMPLES_DIR) + "/portal.$O1") ||
        !portal.SaveToFile(dir + "/portal.$O1") ||
        !WriteFrameDataFile(dir + "/largest_viaduct.$O1", *largest)) {
        std::fprintf(stderr, "bench_engine: cannot write the data files in %s\n", dir.c_str());
        return 1;
    }
    std::printf(
        "floors in %s: %s /BATCH, best of %d runs alternating with its floors; load average %.1f\n",
        dir.c_str(), program.c_str(), repeats, LoadAverage());
    std::printf("%-16s | %-23s | %-23s | %-15s | %-15s | %s\n", "", "program (batch run)",
                "started on a missing file", "copy of the files", "program / start",
                "program / copy");
    std::printf("%-16s | %7s %7s %7s | %7s %7s %7s | %7s %7s | %7s %7s | %7s\n", "data file",
                "wall s", "peak MB", "faults", "wall s", "peak MB", "faults", "MB", "wall s",
                "time", "memory", "time");
    Floors(program, dir, "portal", repeats);
    Floors(program, dir, "largest_viaduct", repeats);
    std::printf(
        "load average %.1f at the end (other work on the machine slows the program's threads more "
        "than the copy)\n\n",
        LoadAverage());
    for (const char* f : {"portal.$O1", "largest_viaduct.$O1"}) DeleteFile(dir + "/" + f);
    rmdir(dir.c_str());
    return 0;
}

// The batch run's steps one by one, timed: where the time goes.
int SplitRun(const std::string& path, const std::string& file) {
    std::setlocale(LC_NUMERIC, "C");
    const bool ref = path == "ref";
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };
    const auto t0 = Clock::now();
    std::unique_ptr<FrameModel> live = NewFrameModelRecord(), copy = NewFrameModelRecord();
    std::string warnings;
    ReadFrameDataFile(file, *live, warnings);
    const std::string problems = CheckFrameData(*live);
    std::memcpy(copy.get(), live.get(), sizeof(FrameModel));
    const auto t1 = Clock::now();
    FrameResults* results = AllocateFrameResults();
    AnalysisReport report;
    if (ref) {
        reference::RunFrameAnalysis(*results, *copy, false, false, kDefaultPackValue, &report);
    } else {
        RunFrameAnalysis(*results, *copy, false, false, kDefaultPackValue, &report);
    }
    const auto t2 = Clock::now();
    if (ref) {
        reference::WriteSdkResultFiles(*results, ChangeFileExt(file, ""));
    } else {
        WriteSdkResultFiles(*results, ChangeFileExt(file, ""));
    }
    const auto t3 = Clock::now();
    std::printf("%s %s: read+check %.3f s, analysis %.3f s, result files %.3f s%s\n", path.c_str(),
                ExtractFileName(file).c_str(), seconds(t0, t1), seconds(t1, t2), seconds(t2, t3),
                problems.empty() ? "" : " (validation problems)");
    return 0;
}

// The analysis driver's steps one by one, timed (the same calls as
// RunFrameAnalysis makes, without the diagnostics).
int PhaseRun(const std::string& path, const std::string& file) {
    std::setlocale(LC_NUMERIC, "C");
    const bool ref = path == "ref";
    using Clock = std::chrono::steady_clock;
    std::vector<std::pair<const char*, Clock::time_point>> marks{{"", Clock::now()}};
    std::unique_ptr<FrameModel> model = NewFrameModelRecord(), copy = NewFrameModelRecord();
    std::string warnings;
    ReadFrameDataFile(file, *model, warnings);
    marks.emplace_back("read", Clock::now());
    FrameResults* results = AllocateFrameResults();
    const ExpansionResult expansion = ExpandFrameModel(*copy, *model, true, false);
    marks.emplace_back("expand", Clock::now());
    if (ref) {
        reference::AnalyseLoadCases(*results, *copy, warnings, expansion.springs);
    } else {
        AnalyseLoadCases(*results, *copy, warnings, CheckedCount(model->memberCount, kMaxMembers),
                         expansion.springs);
    }
    marks.emplace_back("cases", Clock::now());
    if (ref) {
        reference::CollapseExpandedResults(*results, *copy, *model, false, false,
                                           kDefaultPackValue);
    } else {
        CollapseExpandedResults(*results, *copy, *model, false, false, kDefaultPackValue);
    }
    marks.emplace_back("collapse", Clock::now());
    CalcSupportReactions(*results, *model);
    marks.emplace_back("reactions", Clock::now());
    CombineReactions(*results, *model);
    marks.emplace_back("combine-reactions", Clock::now());
    std::printf("%s %s:", path.c_str(), ExtractFileName(file).c_str());
    for (std::size_t k = 1; k < marks.size(); ++k)
        std::printf(" %s %.3f", marks[k].first,
                    std::chrono::duration<double>(marks[k].second - marks[k - 1].second).count());
    std::printf("\n");
    return 0;
}

// The batch run's steps (read, validate, copy, analyse, write), the files
// written after the analysis: by the program's analysis and writer, or by
// the reference's.
int StepsRun(const std::string& file, bool ref) {
    std::unique_ptr<FrameModel> live = NewFrameModelRecord(), copy = NewFrameModelRecord();
    std::string warnings;
    if (!ReadFrameDataFile(file, *live, warnings) || !warnings.empty()) return kBatchMissingFile;
    if (!CheckFrameData(*live).empty()) return kBatchInvalidModel;
    std::memcpy(copy.get(), live.get(), sizeof(FrameModel));
    if (copy->rigidZoneSwitch == 0) {
        for (int t = 1; t <= copy->memberCount && t <= kMaxMembers; ++t)
            copy->members[t].rigidI = copy->members[t].rigidJ = 0;
    }
    FrameResults* results = AllocateFrameResults();
    if (results == nullptr) return kBatchFailed;
    AnalysisReport report;
    const std::string base = ChangeFileExt(file, "");
    const bool ok =
        ref ? reference::RunFrameAnalysis(*results, *copy, false, false, kDefaultPackValue, &report)
            : RunFrameAnalysis(*results, *copy, false, false, kDefaultPackValue, &report);
    const bool written =
        ref ? reference::WriteSdkResultFiles(*results, base) : WriteSdkResultFiles(*results, base);
    return ok && written && report.caseWarnings.empty() && !report.expansionFellBack ? kBatchOk
                                                                                     : kBatchFailed;
}

int ChildRun(const std::string& path, const std::string& file) {
    std::setlocale(LC_NUMERIC, "C");
    if (path != "fast") return StepsRun(file, path == "ref");
    CommandLineOptions options;
    options.batchMode = true;
    options.fileName = file;
    BatchMode = true;
    CurrentFileName = file;
    return RunBatch(options);
}

// The four models, built as the table builds them.
void BuildModel(FrameModel& m, int which) {
    switch (which) {
        case 0:
            BuildFrame(m, 9, 9, 65, false);
            break;
        case 1:
            BuildFrame(m, 19, 19, 65, false);
            break;
        case 2:
            BuildViaduct(m, 40, 65);
            break;
        default:
            BuildFrame(m, 12, 8, 65, true);
            break;
    }
}
const char* const kModelNames[4] = {"small_frame", "medium_frame", "largest_viaduct",
                                    "spring_frame"};

int WriteModels(const std::string& folder) {
    if (!ForceDirectories(folder)) {
        std::fprintf(stderr, "bench_engine: cannot create %s\n", folder.c_str());
        return 1;
    }
    std::unique_ptr<FrameModel> m = NewFrameModelRecord();
    for (int k = 0; k < 4; ++k) {
        BuildModel(*m, k);
        const std::string file = folder + "/" + kModelNames[k] + ".$O1";
        if (!WriteFrameDataFile(file, *m)) {
            std::fprintf(stderr, "bench_engine: cannot write %s\n", file.c_str());
            return 1;
        }
        std::printf("%s\n", file.c_str());
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_engine [work folder [repeats]]\n"
                 "       bench_engine --floors [work folder [repeats]]\n"
                 "       bench_engine --run ref|fast|fastw FILE\n"
                 "       bench_engine --split ref|fast FILE\n"
                 "       bench_engine --phases ref|fast FILE\n"
                 "       bench_engine --models FOLDER\n");
    return 2;
}

bool OneOf(const char* s, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (std::strcmp(s, n) == 0) return true;
    return false;
}

std::string DefaultFolder() {
    return DirectoryExists("/dev/shm") ? "/dev/shm/vextor_bench" : "/tmp/vextor_bench";
}

}  // namespace

// A repeat count of 1 to 100 from text.
bool ParseRepeats(const char* text, int& repeats) {
    char* end = nullptr;
    const long r = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || r < 1 || r > 100) return false;
    repeats = static_cast<int>(r);
    return true;
}

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--floors") == 0) {
        int repeats = 9;
        if (argc > 4 || (argc == 4 && !ParseRepeats(argv[3], repeats))) return Usage();
        const std::string folder = argc >= 3 ? argv[2] : DefaultFolder();
        const int rc = FloorsTable(folder, repeats);
        rmdir(folder.c_str());
        return rc;
    }
    if (argc >= 2 && argv[1][0] == '-') {
        // A mistyped option must not become the name of a work folder.
        if (argc == 3 && std::strcmp(argv[1], "--models") == 0) return WriteModels(argv[2]);
        if (argc != 4) return Usage();
        if (std::strcmp(argv[1], "--run") == 0 && OneOf(argv[2], {"ref", "fast", "fastw"}))
            return ChildRun(argv[2], argv[3]);
        if (std::strcmp(argv[1], "--split") == 0 && OneOf(argv[2], {"ref", "fast"}))
            return SplitRun(argv[2], argv[3]);
        if (std::strcmp(argv[1], "--phases") == 0 && OneOf(argv[2], {"ref", "fast"}))
            return PhaseRun(argv[2], argv[3]);
        return Usage();
    }
    if (argc > 3) return Usage();
    const std::string folder = argc >= 2 ? argv[1] : DefaultFolder();
    int repeats = 3;
    if (argc >= 3 && !ParseRepeats(argv[2], repeats)) return Usage();
    if (!ForceDirectories(folder)) {
        std::fprintf(stderr, "bench_engine: cannot create %s\n", folder.c_str());
        return 1;
    }
    // The floors take the repeats of the table, at least three.
    if (FloorsTable(folder, std::max(repeats, 3)) != 0) return 1;
    std::printf("work files in %s/{ref,fast,fastw} (removed when done)\n", folder.c_str());
    std::printf("%-16s %5s %5s %5s %5s %5s %5s | %-17s | %-17s | %-17s | result files vs ref\n", "",
                "user", "", "expanded", "", "", "", "reference", "program", "steps, then files");
    std::printf(
        "%-16s %5s %5s %5s %5s %5s %5s | %7s %7s %s | %7s %7s %s | %7s %7s %s | program, steps, "
        "size\n",
        "model", "nodes", "membs", "nodes", "membs", "unkn", "cases", "wall s", "peak MB", "rc",
        "wall s", "peak MB", "rc", "wall s", "peak MB", "rc");
    std::unique_ptr<FrameModel> m = NewFrameModelRecord();
    for (int k = 0; k < 4; ++k) {
        BuildModel(*m, k);
        Bench(folder, kModelNames[k], *m, repeats);
    }
    for (const char* p : {"ref", "fast", "fastw"}) rmdir((folder + "/" + p).c_str());
    rmdir(folder.c_str());  // only when empty: a folder of the user's stays
    return 0;
}

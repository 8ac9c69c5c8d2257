// The used part of a model record: clearing, copying and comparing a
// record row by row instead of all of its 14 MB.
//
// A record's content is its header, its counts and reserved words, and
// the rows 0..count of every table (of a spring case, support case, named
// point entry and load case, the entries 0..count of the row). Every
// writer keeps the rows beyond the counts zero (one that lowers a count
// zeroes the rows it gives up, see ZeroRowsBeyond), so the operations
// below leave exactly the bytes that a whole-record memset, memcpy or
// memcmp would, while a small model costs only the pages it uses.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "model/frame_model.h"

namespace {

// A byte range of the record: [at, at + size).
struct ByteRange {
    std::size_t at;
    std::size_t size;
};

// The ranges of the record that may hold values, in address order, for
// two records at once (the larger count of the two decides each table).
class UsedRanges {
  public:
    UsedRanges(const FrameModel& a, const FrameModel& b)
        : a_(a), b_(b), base_(reinterpret_cast<const char*>(&a)) {}

    std::vector<ByteRange> Collect() {
        const FrameModel& a = a_;
        const FrameModel& b = b_;
        Rows(a.nodes, a.nodeCount, b.nodeCount);
        Rows(a.point2, a.point2Count, b.point2Count);
        Rows(a.materials, a.materialCount, b.materialCount);
        Rows(a.sections, a.sectionCount, b.sectionCount);
        Rows(a.members, a.memberCount, b.memberCount);
        Rows(a.gouiki, a.gouikiCount, b.gouikiCount);
        RowsWithEntries(
            a.springCases, b.springCases, a.springCaseCount, b.springCaseCount,
            [](const BaneCase& r) { return std::pair(r.entries, std::size(r.entries)); });
        RowsWithEntries(
            a.supportCases, b.supportCases, a.supportCaseCount, b.supportCaseCount,
            [](const SuptCase& r) { return std::pair(r.entries, std::size(r.entries)); });
        Rows(a.view1, a.view1Count, b.view1Count);
        const int view2Rows = SlotsUsed(a.view2Count, b.view2Count, std::size(a.view2));
        for (int r = 0; r < view2Rows; ++r) {
            const View2Member& ra = a.view2[r];
            const int points = SlotsUsed(ra.count, b.view2[r].count, std::size(ra.dist));
            UpTo(ra.dist + points);
            SkipTo(std::end(ra.dist));
            UpTo(ra.pointName + points);
            SkipTo(std::end(ra.pointName));
        }
        UpTo(a.view2 + view2Rows);
        SkipTo(std::end(a.view2));
        RowsWithEntries(a.loadCases, b.loadCases, a.loadCaseCount, b.loadCaseCount,
                        [](const LoadCase& r) { return std::pair(r.loads, std::size(r.loads)); });
        Rows(a.combinations, a.combinationCount, b.combinationCount);
        Rows(a.pickCases, a.pickCaseCount, b.pickCaseCount);
        UpTo(base_ + sizeof(FrameModel));
        return ranges_;
    }

  private:
    // Slots 0..count of a table of `slots` slots for the larger of two
    // counts; a count outside the table (a damaged record) takes it whole.
    static int SlotsUsed(int countA, int countB, std::size_t slots) {
        const int n = static_cast<int>(slots);
        auto used = [n](int c) { return c >= 0 && c < n ? c + 1 : n; };
        return std::max(used(countA), used(countB));
    }

    std::size_t Offset(const void* p) const {
        return static_cast<std::size_t>(static_cast<const char*>(p) - base_);
    }
    // Everything from where the walk stands up to end is used.
    void UpTo(const void* end) {
        const std::size_t to = Offset(end);
        if (to <= pos_) return;
        if (!ranges_.empty() && ranges_.back().at + ranges_.back().size == pos_) {
            ranges_.back().size += to - pos_;
        } else {
            ranges_.push_back({pos_, to - pos_});
        }
        pos_ = to;
    }
    // The bytes up to `to` are unused rows.
    void SkipTo(const void* to) { pos_ = std::max(pos_, Offset(to)); }

    // A table whose rows are taken whole (the count before it included).
    template <typename Row, std::size_t N>
    void Rows(const Row (&table)[N], int countA, int countB) {
        UpTo(table + SlotsUsed(countA, countB, N));
        SkipTo(std::end(table));
    }

    // A table whose rows hold a table of entries with a count of its own;
    // entriesOf gives the entry array of a row and its slot count.
    template <typename Row, std::size_t N, typename EntriesOf>
    void RowsWithEntries(const Row (&tableA)[N], const Row (&tableB)[N], int countA, int countB,
                         EntriesOf entriesOf) {
        const int rows = SlotsUsed(countA, countB, N);
        for (int r = 0; r < rows; ++r) {
            const auto [entries, slots] = entriesOf(tableA[r]);
            UpTo(entries + SlotsUsed(tableA[r].count, tableB[r].count, slots));
            SkipTo(entries + slots);
        }
        UpTo(tableA + rows);
        SkipTo(std::end(tableA));
    }

    const FrameModel& a_;
    const FrameModel& b_;
    const char* base_;
    std::size_t pos_ = 0;
    std::vector<ByteRange> ranges_;
};

}  // namespace

void ClearFrameModel(FrameModel& model) {
    auto* p = reinterpret_cast<unsigned char*>(&model);
    for (const ByteRange& r : UsedRanges(model, model).Collect()) std::memset(p + r.at, 0, r.size);
}

void CopyFrameModel(FrameModel& dst, const FrameModel& src) {
    if (&dst == &src) return;
    auto* d = reinterpret_cast<unsigned char*>(&dst);
    const auto* s = reinterpret_cast<const unsigned char*>(&src);
    for (const ByteRange& r : UsedRanges(dst, src).Collect())
        std::memcpy(d + r.at, s + r.at, r.size);
}

bool SameFrameModel(const FrameModel& a, const FrameModel& b) {
    if (&a == &b) return true;
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto* pb = reinterpret_cast<const unsigned char*>(&b);
    for (const ByteRange& r : UsedRanges(a, b).Collect())
        if (std::memcmp(pa + r.at, pb + r.at, r.size) != 0) return false;
    return true;
}

std::size_t UsedFrameModelBytes(const FrameModel& model) {
    std::size_t n = 0;
    for (const ByteRange& r : UsedRanges(model, model).Collect()) n += r.size;
    return n;
}

bool RowsBeyondCountsAreZero(const FrameModel& model) {
    // Every byte outside the used ranges is zero.
    const auto* p = reinterpret_cast<const unsigned char*>(&model);
    std::size_t at = 0;
    auto zero = [p](std::size_t from, std::size_t to) {
        return std::all_of(p + from, p + to, [](unsigned char c) { return c == 0; });
    };
    for (const ByteRange& r : UsedRanges(model, model).Collect()) {
        if (!zero(at, r.at)) return false;
        at = r.at + r.size;
    }
    return zero(at, sizeof(FrameModel));
}

bool SameLoadCase(const LoadCase& a, const LoadCase& b) {
    const int n = static_cast<int>(std::size(a.loads));
    auto used = [n](int c) { return c >= 0 && c < n ? c + 1 : n; };
    const int loads = std::max(used(a.count), used(b.count));
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto* pb = reinterpret_cast<const unsigned char*>(&b);
    const std::size_t head = reinterpret_cast<const unsigned char*>(a.loads + loads) - pa;
    const std::size_t tail = reinterpret_cast<const unsigned char*>(std::end(a.loads)) - pa;
    return std::memcmp(pa, pb, head) == 0 &&
           std::memcmp(pa + tail, pb + tail, sizeof(LoadCase) - tail) == 0;
}

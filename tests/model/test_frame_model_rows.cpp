// Clearing, copying and comparing model records by their used rows: the
// bytes must be those of a whole-record memset, memcpy and memcmp for
// every record whose rows beyond the counts are zero, and nothing of the
// record may be left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>

#include "model/data_file.h"
#include "model/frame_model.h"

namespace {

using Bytes = unsigned char;

const Bytes* BytesOf(const FrameModel& m) { return reinterpret_cast<const Bytes*>(&m); }

bool AllZero(const FrameModel& m) {
    const Bytes* p = BytesOf(m);
    return std::all_of(p, p + sizeof(FrameModel), [](Bytes b) { return b == 0; });
}

bool SameBytes(const FrameModel& a, const FrameModel& b) {
    return std::memcmp(&a, &b, sizeof(FrameModel)) == 0;
}

class RandomRecords {
  public:
    explicit RandomRecords(unsigned seed) : rng_(seed) {}

    // Random bytes in slots 0..count of a table, zero beyond (the count
    // itself is set by the caller).
    template <typename Row, std::size_t N>
    void Rows(Row (&table)[N], int count) {
        std::memset(static_cast<void*>(table), 0, sizeof table);
        Fill(table, sizeof(Row) * (static_cast<std::size_t>(count) + 1));
    }

    int Count(int capacity) {
        // Mostly small tables, now and then a full one.
        const int r = static_cast<int>(rng_() % 10);
        if (r == 0) return 0;
        if (r == 1) return capacity;
        return static_cast<int>(rng_() % static_cast<unsigned>(std::min(capacity, 12) + 1));
    }

    // A record with random header, counts and rows, zero beyond its counts.
    void Model(FrameModel& m) {
        std::memset(static_cast<void*>(&m), 0, sizeof m);
        Fill(&m.header, sizeof m.header);
        m.rigidZoneSwitch = static_cast<int>(rng_());
        m.springCaseReserved = static_cast<int>(rng_());
        m.supportCaseReserved = static_cast<int>(rng_());
        m.combinationReserved = static_cast<int>(rng_());
        Rows(m.nodes, m.nodeCount = Count(kMaxNodes));
        Rows(m.point2, m.point2Count = Count(kMaxPoint2));
        Rows(m.materials, m.materialCount = Count(kMaxMaterials));
        Rows(m.sections, m.sectionCount = Count(kMaxSections));
        Rows(m.members, m.memberCount = Count(kMaxMembers));
        Rows(m.gouiki, m.gouikiCount = Count(kMaxGouiki));
        Rows(m.springCases, m.springCaseCount = Count(kMaxSpringCases));
        for (BaneCase& c : m.springCases) WithEntries(c, c.entries, kMaxSpringEntries);
        Rows(m.supportCases, m.supportCaseCount = Count(kMaxSupportCases));
        for (SuptCase& c : m.supportCases) WithEntries(c, c.entries, kMaxSupportEntries);
        Rows(m.view1, m.view1Count = Count(kMaxView1));
        Rows(m.view2, m.view2Count = Count(kMaxView2));
        for (int r = 0; r <= m.view2Count; ++r) {
            View2Member& v = m.view2[r];
            v.count = Count(kMaxViewPoints);
            std::memset(v.dist + v.count + 1, 0, sizeof(float) * (kMaxViewPoints - v.count));
            std::memset(v.pointName + v.count + 1, 0, kPointNameSize * (kMaxViewPoints - v.count));
        }
        Rows(m.loadCases, m.loadCaseCount = Count(kMaxLoadCases));
        for (LoadCase& c : m.loadCases) WithEntries(c, c.loads, kMaxLoads);
        Rows(m.combinations, m.combinationCount = Count(kMaxCombinations));
        Rows(m.pickCases, m.pickCaseCount = Count(kMaxPickCases));
    }

    // Every byte random, every count at its capacity.
    void Full(FrameModel& m) {
        Fill(&m, sizeof m);
        m.nodeCount = kMaxNodes;
        m.point2Count = kMaxPoint2;
        m.materialCount = kMaxMaterials;
        m.sectionCount = kMaxSections;
        m.memberCount = kMaxMembers;
        m.gouikiCount = kMaxGouiki;
        m.springCaseCount = kMaxSpringCases;
        for (BaneCase& c : m.springCases) c.count = kMaxSpringEntries;
        m.supportCaseCount = kMaxSupportCases;
        for (SuptCase& c : m.supportCases) c.count = kMaxSupportEntries;
        m.view1Count = kMaxView1;
        m.view2Count = kMaxView2;
        for (View2Member& v : m.view2) v.count = kMaxViewPoints;
        m.loadCaseCount = kMaxLoadCases;
        for (LoadCase& c : m.loadCases) c.count = kMaxLoads;
        m.combinationCount = kMaxCombinations;
        m.pickCaseCount = kMaxPickCases;
    }

  private:
    void Fill(void* p, std::size_t n) {
        auto* b = static_cast<Bytes*>(p);
        for (std::size_t k = 0; k < n; ++k) b[k] = static_cast<Bytes>(rng_() | 1);  // never 0
    }
    // A used row gets a count of its own and zero entries beyond it; an
    // unused row stays zero.
    template <typename Row, typename Entry, std::size_t N>
    void WithEntries(Row& row, Entry (&entries)[N], int capacity) {
        if (row.no == 0 && row.count == 0) return;  // beyond the table's count
        row.count = Count(capacity);
        std::memset(static_cast<void*>(entries + row.count + 1), 0,
                    sizeof(Entry) * (N - 1 - row.count));
    }

    std::mt19937 rng_;
};

}  // namespace

TEST(ModelRecordRows, AFullRecordIsCopiedToTheLastByte) {
    // Every count at its capacity: the used rows are the whole record, so
    // a field the copy left out would show here.
    RandomRecords random(1);
    auto full = NewFrameModelRecord(), dst = NewFrameModelRecord();
    random.Full(*full);
    CopyFrameModel(*dst, *full);
    EXPECT_TRUE(SameBytes(*dst, *full));
    EXPECT_TRUE(SameFrameModel(*dst, *full));
    EXPECT_EQ(UsedFrameModelBytes(*full), sizeof(FrameModel));
    ClearFrameModel(*dst);
    EXPECT_TRUE(AllZero(*dst));
}

TEST(ModelRecordRows, CopyClearAndCompareGiveTheWholeRecordsResults) {
    RandomRecords random(2);
    auto a = NewFrameModelRecord(), b = NewFrameModelRecord(), expected = NewFrameModelRecord();
    for (int round = 0; round < 24; ++round) {
        random.Model(*a);
        random.Model(*b);
        ASSERT_TRUE(RowsBeyondCountsAreZero(*a)) << round;
        // A copy onto a record that held another model.
        std::memcpy(static_cast<void*>(expected.get()), a.get(), sizeof(FrameModel));
        EXPECT_FALSE(SameFrameModel(*a, *b)) << round;
        CopyFrameModel(*b, *a);
        EXPECT_TRUE(SameBytes(*b, *expected)) << round;
        EXPECT_TRUE(SameFrameModel(*b, *a)) << round;
        // One used byte changed is a difference; the copy of a load case
        // compares equal until then.
        if (a->loadCaseCount > 0) {
            EXPECT_TRUE(SameLoadCase(a->loadCases[1], b->loadCases[1])) << round;
            reinterpret_cast<Bytes*>(&b->loadCases[1].maxLoad)[0] ^= 0x40;
            EXPECT_FALSE(SameLoadCase(a->loadCases[1], b->loadCases[1])) << round;
            EXPECT_FALSE(SameFrameModel(*a, *b)) << round;
        }
        ClearFrameModel(*b);
        EXPECT_TRUE(AllZero(*b)) << round;
    }
}

TEST(ModelRecordRows, ACountOutsideItsTableTakesTheWholeTable) {
    auto src = NewFrameModelRecord(), dst = NewFrameModelRecord();
    src->nodeCount = -3;
    src->nodes[kMaxNodes].no = 7;
    src->loadCaseCount = 1;
    src->loadCases[1].count = kMaxLoads + 5;
    src->loadCases[1].loads[kMaxLoads].code = 51;
    CopyFrameModel(*dst, *src);
    EXPECT_TRUE(SameBytes(*dst, *src));
    ClearFrameModel(*dst);
    EXPECT_TRUE(AllZero(*dst));
}

TEST(ModelRecordRows, ASmallModelTouchesAFewPagesOfItsRecord) {
    // The default model: a few rows of each table, a few pages of 14 MB.
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    EXPECT_TRUE(RowsBeyondCountsAreZero(*m));
    EXPECT_LT(UsedFrameModelBytes(*m), 200u * 1024);
    EXPECT_GT(sizeof(FrameModel), 13u * 1024 * 1024);
}

TEST(ModelRecordRows, LoweredCountsLeaveZeroRows) {
    auto m = NewFrameModelRecord();
    NewFrameModel(*m, 1);
    ZeroRowsBeyond(m->nodes, 1, m->nodeCount);
    m->nodeCount = 1;
    ZeroRowsBeyond(m->loadCases[1].loads, 0, m->loadCases[1].count);
    m->loadCases[1].count = 0;
    EXPECT_TRUE(RowsBeyondCountsAreZero(*m));
    // Out-of-range counts are taken to the table's ends.
    ZeroRowsBeyond(m->nodes, -4, 100000);
    EXPECT_EQ(m->nodes[1].no, 0);
    ClearTableRows(m->supportCases, m->supportCaseCount);
    m->supportCaseCount = 0;
    ClearTableRows(m->members, -1);  // the whole table
    m->memberCount = 0;
    EXPECT_TRUE(RowsBeyondCountsAreZero(*m));
}

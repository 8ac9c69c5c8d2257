// The input model of one plane-frame analysis: one flat record of fixed size
// without pointers, cleared, copied and snapshotted as a block (by its used
// rows, see ClearFrameModel).
// Every table is 1-based (slot 0 unused) with a signed count before it.
// Reals are 32-bit floats unless said otherwise. Lengths in m, forces in kN,
// moments in kN·m, distributed loads and springs per metre, angles in rad.
// Texts are zero-terminated CP932 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

// Usable capacities (slot counts are one more).
constexpr int kMaxNodes = 803;
constexpr int kMaxPoint2 = 100;
constexpr int kMaxMaterials = 803;
constexpr int kMaxSections = 803;
constexpr int kMaxMembers = 803;
constexpr int kMaxGouiki = 800;
constexpr int kMaxSpringCases = 17;
constexpr int kMaxSpringEntries = 800;
constexpr int kMaxSupportCases = 65;
constexpr int kMaxSupportEntries = 800;
constexpr int kMaxView1 = 800;
constexpr int kMaxView2 = 800;
constexpr int kMaxViewPoints = 132;  // named points on one member
constexpr int kMaxLoadCases = 65;
constexpr int kMaxLoads = 1599;  // loads in one case
constexpr int kMaxCombinations = 65;
constexpr int kMaxCombinationEntries = 65;
constexpr int kMaxPickCases = 30;
constexpr int kMaxPickPairs = 65;

constexpr int kNameSize = 44;       // names and titles: at most 43 bytes
constexpr int kPointNameSize = 24;  // named points of interest

// Load codes.
constexpr int kLoadDistAxial = 11;
constexpr int kLoadDistPerp = 12;
constexpr int kLoadDistX = 13;
constexpr int kLoadDistY = 14;
constexpr int kLoadConcAxial = 21;
constexpr int kLoadConcPerp = 22;
constexpr int kLoadConcX = 23;
constexpr int kLoadConcY = 24;
constexpr int kLoadConcMoment = 27;
constexpr int kLoadTemperature = 31;
constexpr int kLoadNodal = 51;

struct FrameModelHeader {
    char modelId[32];
    char title[kNameSize];
    std::int32_t optRenumber;     // option word リナ
    std::int32_t optMmax;         // option word Mmax
    std::int32_t optViewPoint;    // option word 着点
    std::int32_t optExtraFactor;  // option word 割増
    std::int32_t optPrestress;    // option word プレ
};

struct FramePoint {
    std::int32_t no;
    float x, y;
    std::int32_t reserved[3];
};

struct Point2Record {
    std::int32_t a, b;
    float c;
    float d[3];
};

struct FrameMaterial {
    std::int32_t no;
    float e;      // Young's modulus, kN/m2
    float alpha;  // thermal expansion coefficient, 1/degree
    std::int32_t reserved;
};

struct FrameSection {
    std::int32_t no;
    float area;     // m2
    float inertia;  // m4
    char name[kNameSize];
};

struct FrameMember {
    std::int32_t no;
    std::int32_t nodeI, nodeJ;
    std::int32_t sectionNo, materialNo;
    std::int32_t endI, endJ;  // 0 rigid joint, 1 pin
    float rigidI, rigidJ;     // rigid-zone lengths, m
    char name[kNameSize];
    std::int32_t reserved1;
    // Used only in the expanded analysis copy; 0 in the live model.
    std::int32_t segFirst, segLast;
    float segStart;
    // Derived by PrepareMemberLoads.
    float length;  // m
    float angle;   // rad, i-to-j direction against the X axis
    std::int32_t reserved2;
};

struct GouikiRecord {
    std::int32_t v[12];
};

struct BaneEntry {
    std::int32_t memberNo;
    float kv;  // perpendicular to the axis, kN/m2
    float ku;  // along the axis, kN/m2
};

struct BaneCase {
    std::int32_t no;
    std::int32_t count;
    BaneEntry entries[kMaxSpringEntries + 1];
    char name[kNameSize];
};

// Support codes.
constexpr int kSupportPin = 1;
constexpr int kSupportRollerY = 2;  // y fixed
constexpr int kSupportRollerX = 3;  // x fixed
constexpr int kSupportFixed = 4;
constexpr int kSupportSpring = 5;
// A node spring the expansion makes from a member's distributed springs
// (never typed by the user: validation refuses the code): kx, ky, km on
// the diagonal, reserved[0] the x-y coupling (kN/m) of a spring across an
// inclined member, reserved[1] the table slot of the user member whose
// soil it is.
constexpr int kSupportMemberSpring = 6;

struct SuptEntry {
    std::int32_t nodeNo;
    float kx, ky, km;   // kN/m, kN/m, kN·m/rad (code 5)
    float reserved[3];  // kept in the data file
    std::int32_t code;
};

struct SuptCase {
    std::int32_t no;
    std::int32_t count;
    SuptEntry entries[kMaxSupportEntries + 1];
    char name[kNameSize];
};

struct View1Range {
    std::int32_t firstMember;
    std::int32_t lastMember;  // 0 = the same as the first
    std::int32_t divisions;
};

struct View2Member {
    std::int32_t memberNo;
    std::int32_t count;              // at most kMaxViewPoints
    float dist[kMaxViewPoints + 1];  // from the i end, m
    char pointName[kMaxViewPoints + 1][kPointNameSize];
};

struct LoadRecord {
    std::int32_t code;
    std::int32_t memberFrom;
    std::int32_t memberTo;  // 0 = the same as memberFrom
    float qI, qJ, distI, distJ;
    // Derived by PrepareMemberLoads.
    float loadedLength, resHoriz, resVert;
    std::int32_t reserved[11];
};
static_assert(sizeof(LoadRecord) == 21 * 4);

struct LoadCase {
    std::int32_t no;
    std::int32_t count;
    std::int32_t baneCaseNo;  // 0 = no distributed springs
    std::int32_t suptCaseNo;
    char name[kNameSize];
    LoadRecord loads[kMaxLoads + 1];
    // Derived sums ({positive, negative magnitude} per group: distributed,
    // concentrated, nodal).
    float sumHorizByGroup[6];
    float sumHorizPos, sumHorizNeg;
    float sumVertByGroup[6];
    float sumVertPos, sumVertNeg;
    float maxLoad;  // largest |qI|, |qJ| of the case
};

struct KumiEntry {
    std::int32_t loadCaseNo;
    float factor;
};

struct KumiCase {
    std::int32_t no;
    std::int32_t count;
    double factor;  // overall factor of the combination
    char name[kNameSize];
    KumiEntry entries[kMaxCombinationEntries + 1];
    std::int32_t reserved;
};

struct PickCase {
    std::int32_t no;
    std::int32_t count;
    char name[kNameSize];
    std::int32_t pairs[kMaxPickPairs + 1][2];
};

struct FrameModel {
    FrameModelHeader header;

    std::int32_t nodeCount;
    FramePoint nodes[kMaxNodes + 1];
    std::int32_t point2Count;
    Point2Record point2[kMaxPoint2 + 1];
    std::int32_t materialCount;
    FrameMaterial materials[kMaxMaterials + 1];
    std::int32_t sectionCount;
    FrameSection sections[kMaxSections + 1];
    std::int32_t memberCount;
    FrameMember members[kMaxMembers + 1];
    std::int32_t rigidZoneSwitch;  // 1 = rigid zones analysed, 0 = zeroed in the copy
    std::int32_t gouikiCount;
    GouikiRecord gouiki[kMaxGouiki + 1];
    std::int32_t springCaseCount;
    std::int32_t springCaseReserved;
    BaneCase springCases[kMaxSpringCases + 1];
    std::int32_t supportCaseCount;
    std::int32_t supportCaseReserved;
    SuptCase supportCases[kMaxSupportCases + 1];
    std::int32_t view1Count;
    View1Range view1[kMaxView1 + 1];
    std::int32_t view2Count;
    View2Member view2[kMaxView2 + 1];
    std::int32_t loadCaseCount;
    LoadCase loadCases[kMaxLoadCases + 1];
    std::int32_t combinationCount;
    std::int32_t combinationReserved;
    KumiCase combinations[kMaxCombinations + 1];
    std::int32_t pickCaseCount;
    PickCase pickCases[kMaxPickCases + 1];

    // The record lives on the heap, in memory from calloc (see
    // NewFrameModelRecord), and goes back with free.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
};

// The live model of the main window (and of the batch run).
extern FrameModel* FrameData;

// Allocates one zero-filled record on the heap (about 14 MB; never on the
// stack). Throws std::bad_alloc when memory is short. The pages of the
// tables that stay empty are never touched.
std::unique_ptr<FrameModel> NewFrameModelRecord();

// The rows of a table beyond its count are zero in every record (and so
// are the entries beyond the count within a row of the spring cases,
// support cases, named points and load cases): a record starts zero-filled,
// and a writer that lowers a count zeroes the rows it gives up
// (ZeroRowsBeyond). The three operations below therefore touch only the
// used rows (the header, the counts, rows 0..count) and still leave what a
// memset, memcpy or memcmp of the whole record would: a small model costs
// a few pages, not 14 MB.
//
// Makes the record the empty one (all bytes zero).
void ClearFrameModel(FrameModel& model);
// dst becomes a copy of src: the used rows of either record are copied.
void CopyFrameModel(FrameModel& dst, const FrameModel& src);
// True when the two records hold the same bytes in the used rows of
// either.
bool SameFrameModel(const FrameModel& a, const FrameModel& b);
// The same for one load case: header, loads 0..count and the sums.
bool SameLoadCase(const LoadCase& a, const LoadCase& b);
// Bytes in the used rows of a record (what a clear or copy of it writes).
std::size_t UsedFrameModelBytes(const FrameModel& model);
// Checks the rule above: every byte beyond the used rows is zero. Reads
// the whole record (for tests and checks, not for every copy).
bool RowsBeyondCountsAreZero(const FrameModel& model);

// Zeroes the rows newCount + 1 .. oldCount of a table (each clamped to the
// table): what a writer that lowers a count from oldCount to newCount does
// so that the rows beyond the count stay zero.
template <typename Row, std::size_t N>
void ZeroRowsBeyond(Row (&table)[N], int newCount, int oldCount) {
    const int last = static_cast<int>(N) - 1;
    const int from = (newCount < 0 ? 0 : (newCount > last ? last : newCount)) + 1;
    const int to = oldCount < 0 ? 0 : (oldCount > last ? last : oldCount);
    if (from <= to)
        std::memset(static_cast<void*>(table + from), 0,
                    sizeof(Row) * static_cast<std::size_t>(to - from + 1));
}
// Zeroes slots 0..count of a table (the whole table for a count outside
// it): a table emptied before it is filled anew, as a memset of the whole
// table would leave it.
template <typename Row, std::size_t N>
void ClearTableRows(Row (&table)[N], int count) {
    const std::size_t rows =
        count >= 0 && count < static_cast<int>(N) ? static_cast<std::size_t>(count) + 1 : N;
    std::memset(static_cast<void*>(table), 0, sizeof(Row) * rows);
}
// Copies a zero-terminated text into a fixed array, cut to size - 1 bytes
// without splitting a double-byte character.
void SetFixedText(char* dest, int size, const char* text);

// Lookups by the user's number: the first slot holding it, 0 when none.
int FindNodeIndex(const FrameModel& model, int no);
int FindMaterialIndex(const FrameModel& model, int no);
int FindSectionIndex(const FrameModel& model, int no);
int FindMemberIndex(const FrameModel& model, int no);
int FindSpringCaseIndex(const FrameModel& model, int no);
int FindSupportCaseIndex(const FrameModel& model, int no);
int FindLoadCaseIndex(const FrameModel& model, int no);
int FindCombinationIndex(const FrameModel& model, int no);
int FindViewPointIndex(const FrameModel& model, int memberNo);
// The members by number, each number by its first slot, as the lookups by
// number take them: finds the members of a run of numbers without a walk
// over every slot.
class MemberNumberIndex {
  public:
    explicit MemberNumberIndex(const FrameModel& model);
    // The slots of the members numbered lo..hi (lo <= hi) that exist, in
    // ascending number order: the members a load given over a run of
    // members lies on, in the order the run goes.
    std::vector<int> Run(int lo, int hi) const;

  private:
    std::vector<std::pair<int, int>> byNumber_;  // (number, first slot)
};

// MemberNumberIndex(model).Run(lo, hi), for a single look-up.
std::vector<int> RunSlots(const FrameModel& model, int lo, int hi);

// Coordinates and properties; out-parameters are set to 0 first.
void GetNodeXY(const FrameModel& model, double& x, double& y, int index);
int GetNodeXYByNo(const FrameModel& model, double& x, double& y, int no);
void GetMemberEnds(const FrameModel& model, double& xi, double& yi, double& xj, double& yj,
                   int index);
void GetMemberEndsByNo(const FrameModel& model, double& xi, double& yi, double& xj, double& yj,
                       int no);
// Missing material or section values are 1.0.
void GetMemberEAI(const FrameModel& model, double& e, double& a, double& i, int materialNo,
                  int sectionNo);

// Recomputes member lengths and angles, load resultants and case sums.
void PrepareMemberLoads(FrameModel& model);

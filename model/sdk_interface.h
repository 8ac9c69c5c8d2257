// The outside calculation library's interface (FrameSDK.dll of the EXTFRAME
// product): its input record, its result record and its three entry points.
//
// The records are the library's, not ours: every field follows the one
// before it without padding (32-bit ints, 64-bit doubles, pointers and
// character arrays), hence pack(1). The library was built for 32-bit
// pointers; there the record sizes below are exact. A 64-bit build keeps the
// field order with native pointers, so only the order binds there.
//
// Never bind a reference to a field of these records (they are unaligned):
// copy values in and out.
#pragma once

#include <cstdint>

extern "C" {

#pragma pack(push, 1)

// ---- Input record -------------------------------------------------------

struct FR_SDK_NODE {  // 20 bytes
    std::int32_t no;
    double x, y;  // m
};

struct FR_SDK_MEMBER {  // 32 bytes
    std::int32_t no;
    std::int32_t nodeI, nodeJ;
    std::int32_t sectionNo;
    std::int32_t sectionNo2;  // the section number once more
    std::int32_t materialNo;
    std::int32_t endI, endJ;  // 0 rigid, 1 pin
};

struct FR_SDK_MATERIAL {  // 20 bytes
    std::int32_t no;
    double e;      // kN/m2
    double alpha;  // 1/degree
};

struct FR_SDK_SECTION {  // 20 bytes
    std::int32_t no;
    double area;     // m2
    double inertia;  // m4
};

struct FR_SDK_SPRINGENTRY {  // 20 bytes
    std::int32_t memberNo;
    double kv, ku;  // kN/m2
};

struct FR_SDK_SPRINGCASE {  // 12 bytes on 32-bit
    std::int32_t no;
    std::int32_t count;
    FR_SDK_SPRINGENTRY* entries;
};

struct FR_SDK_SUPPORTENTRY {  // 56 bytes
    std::int32_t nodeNo;
    double values[6];  // Kx, Ky, Km and three reserved, as in the data file
    std::int32_t code;
};

struct FR_SDK_SUPPORTCASE {  // 12 bytes on 32-bit
    std::int32_t no;
    std::int32_t count;
    FR_SDK_SUPPORTENTRY* entries;
};

struct FR_SDK_VIEWRANGE {  // 12 bytes
    std::int32_t firstMember, lastMember, divisions;
};

struct FR_SDK_VIEWMEMBER {  // 12 bytes on 32-bit
    std::int32_t memberNo;
    std::int32_t count;
    double* distances;  // m from the I end, count values
};

struct FR_SDK_VIEW {  // 16 bytes on 32-bit
    std::int32_t rangeCount;
    FR_SDK_VIEWRANGE* ranges;
    std::int32_t memberCount;
    FR_SDK_VIEWMEMBER* members;
};

struct FR_SDK_LOAD {  // 44 bytes
    std::int32_t code, memberFrom, memberTo;
    double qI, qJ, distI, distJ;
};

struct FR_SDK_LOADCASE {  // 64 bytes on 32-bit
    std::int32_t no;
    std::int32_t count;
    FR_SDK_LOAD* loads;
    std::int32_t baneCaseNo, suptCaseNo;
    char name[44];
};

struct FR_SDK_COMBIENTRY {  // 12 bytes
    std::int32_t loadCaseNo;
    double factor;
};

struct FR_SDK_COMBINATION {  // 64 bytes on 32-bit
    std::int32_t no;
    std::int32_t count;
    FR_SDK_COMBIENTRY* entries;
    double factor;
    char name[44];
};

// Extraction (pick) cases: never written by this program, always 0 / null.
struct FR_SDK_PICKCASE {
    std::int32_t no;
    std::int32_t count;
    std::int32_t* pairs;
};

// Option bits of FR_SDK_MAINDATA::options.
constexpr std::int32_t kSdkOptRenumber = 2;
constexpr std::int32_t kSdkOptMmax = 4;
constexpr std::int32_t kSdkOptViewPoint = 8;
constexpr std::int32_t kSdkOptExtraFactor = 48;

struct FR_SDK_MAINDATA {  // 128 bytes on 32-bit
    char title[44];
    std::int32_t nodeCount;
    FR_SDK_NODE* nodes;
    std::int32_t memberCount;
    FR_SDK_MEMBER* members;
    std::int32_t materialCount;
    FR_SDK_MATERIAL* materials;
    std::int32_t sectionCount;
    FR_SDK_SECTION* sections;
    std::int32_t springCaseCount;
    FR_SDK_SPRINGCASE* springCases;
    std::int32_t supportCaseCount;
    FR_SDK_SUPPORTCASE* supportCases;
    std::int32_t viewCount;  // always 1
    FR_SDK_VIEW* view;
    std::int32_t loadCaseCount;
    FR_SDK_LOADCASE* loadCases;
    std::int32_t combinationCount;
    FR_SDK_COMBINATION* combinations;
    std::int32_t pickCaseCount;  // always 0
    FR_SDK_PICKCASE* pickCases;
    std::int32_t options;
};

// ---- Result record --------------------------------------------------------

// Reactions (".F11", ".F12") and displacements (".F21", ".F22").
struct FR_SDK_NODEROW {  // 28 bytes
    std::int32_t nodeNo;
    double values[3];
};
struct FR_SDK_NODECASE {  // 12 bytes on 32-bit
    std::int32_t no;
    std::int32_t rowCount;
    FR_SDK_NODEROW* rows;
};

// Member forces (".F31", ".F32"): position, M, S, N, member displacement.
struct FR_SDK_FORCEROW {  // 44 bytes
    std::int32_t pointNo;
    double values[5];
};
struct FR_SDK_FORCEMEMBER {  // 20 bytes on 32-bit
    std::int32_t memberNo, nodeI, nodeJ, rowCount;
    FR_SDK_FORCEROW* rows;
};
struct FR_SDK_FORCECASE {
    std::int32_t no;
    std::int32_t memberCount;
    FR_SDK_FORCEMEMBER* members;
};

// Distributed-spring reactions (".F33").
struct FR_SDK_SPRINGROW {  // 20 bytes
    std::int32_t no;
    double values[2];
};
struct FR_SDK_SPRINGMEMBER {
    std::int32_t memberNo, nodeI, nodeJ, rowCount;
    FR_SDK_SPRINGROW* rows;
};
struct FR_SDK_SPRINGRESCASE {
    std::int32_t no;
    std::int32_t memberCount;
    FR_SDK_SPRINGMEMBER* members;
};

// Extractions (".F41" to ".F62").
struct FR_SDK_EXTRACTROW {  // 40 bytes
    std::int32_t pointNo;
    double values[4];
    std::int32_t governingCase;
};
struct FR_SDK_EXTRACTMEMBER {
    std::int32_t memberNo, nodeI, nodeJ, rowCount;
    FR_SDK_EXTRACTROW* rows;
};
struct FR_SDK_EXTRACTCASE {
    std::int32_t no;
    std::int32_t memberCount;
    FR_SDK_EXTRACTMEMBER* members;
};

// Mmax / Mmin pairs (".F71").
struct FR_SDK_ENVELOPEROW {  // 72 bytes
    std::int32_t maxNo;
    double maxValues[4];
    std::int32_t minNo;
    double minValues[4];
};
struct FR_SDK_ENVELOPECASE {
    std::int32_t no;
    std::int32_t rowCount;
    FR_SDK_ENVELOPEROW* rows;
};

struct FR_SDK_MAINRES {  // 112 bytes on 32-bit: fourteen {count, table}
    std::int32_t f11Count;
    FR_SDK_NODECASE* f11;
    std::int32_t f12Count;
    FR_SDK_NODECASE* f12;
    std::int32_t f21Count;
    FR_SDK_NODECASE* f21;
    std::int32_t f22Count;
    FR_SDK_NODECASE* f22;
    std::int32_t f31Count;
    FR_SDK_FORCECASE* f31;
    std::int32_t f32Count;
    FR_SDK_FORCECASE* f32;
    std::int32_t f41Count;
    FR_SDK_EXTRACTCASE* f41;
    std::int32_t f42Count;
    FR_SDK_EXTRACTCASE* f42;
    std::int32_t f51Count;
    FR_SDK_EXTRACTCASE* f51;
    std::int32_t f52Count;
    FR_SDK_EXTRACTCASE* f52;
    std::int32_t f61Count;
    FR_SDK_EXTRACTCASE* f61;
    std::int32_t f62Count;
    FR_SDK_EXTRACTCASE* f62;
    std::int32_t f71Count;
    FR_SDK_ENVELOPECASE* f71;
    std::int32_t f33Count;
    FR_SDK_SPRINGRESCASE* f33;
};

#pragma pack(pop)

// Entry points, looked up by these names.
// productFolder: NUL-terminated, with a final separator. Null on failure.
typedef FR_SDK_MAINRES* (*FrameCalcProc)(const char* productFolder, FR_SDK_MAINDATA* data);
// Sets *message to the last error text (owned by the library); returns its code.
typedef int (*FrameErrProc)(char** message);
// Frees everything a FrameCalc result points to.
typedef void (*FrameResMemFreeProc)(FR_SDK_MAINRES* result);

}  // extern "C"

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FR_SDK_MAINDATA) == 128);
static_assert(sizeof(FR_SDK_MAINRES) == 112);
static_assert(sizeof(FR_SDK_LOADCASE) == 64 && sizeof(FR_SDK_COMBINATION) == 64);
static_assert(sizeof(FR_SDK_VIEW) == 16 && sizeof(FR_SDK_FORCEMEMBER) == 20);
#endif
static_assert(sizeof(FR_SDK_NODE) == 20 && sizeof(FR_SDK_MEMBER) == 32);
static_assert(sizeof(FR_SDK_SUPPORTENTRY) == 56 && sizeof(FR_SDK_LOAD) == 44);
static_assert(sizeof(FR_SDK_COMBIENTRY) == 12 && sizeof(FR_SDK_FORCEROW) == 44);
static_assert(sizeof(FR_SDK_EXTRACTROW) == 40 && sizeof(FR_SDK_ENVELOPEROW) == 72);
static_assert(sizeof(FR_SDK_NODEROW) == 28 && sizeof(FR_SDK_SPRINGROW) == 20);

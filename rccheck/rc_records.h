// The RC section check's records: the check input saved with the data file
// (RC sections, check cases, members with their points) and the per-point,
// per-case results of the bending and shear checks with their envelope.
//
// Tables are 1-based (slot 0 empty) unless said otherwise. Reals are 32-bit
// floats, counts and numbers 32-bit signed integers, switches and flags one
// byte (0 or 1). Dimensions in mm, stresses and moduli in N/mm², forces in
// kN, moments in kN·m, positions and lengths in m. Stored results are
// rounded (σc 2 decimals, σs 1, τ and τa 3, factors 2, areas 1, ratios 3);
// every ratio is formed from the rounded values.
#pragma once
#include <cstdint>
#include <string>

#include "model/frame_model.h"

// Usable capacities. The section and member tables hold as many entries as
// the frame model can (803), so that a default section per frame section and
// an RC member per frame member always fit.
constexpr int kRcMaxSections = kMaxSections;  // 803
constexpr int kRcSectionSlots = kRcMaxSections + 1;
constexpr int kRcMaxCheckCases = 65;
constexpr int kRcCheckCaseSlots = kRcMaxCheckCases + 1;
constexpr int kRcMaxMembers = kMaxMembers;  // 803
constexpr int kRcMemberSlots = kRcMaxMembers + 1;
constexpr int kRcMaxRegularPoints = 20;                // named points of a member
constexpr int kRcMaxPoints = kRcMaxRegularPoints + 2;  // plus M-max, M-min
constexpr int kRcPointSlots = kRcMaxPoints + 1;
constexpr int kRcCaseSlots = 73;  // entry 0 = envelope
constexpr int kRcNameSize = 44;
constexpr int kRcPointNameSize = 64;

static_assert(kRcMaxCheckCases < kRcCaseSlots, "every check case needs a result slot");
static_assert(kRcMaxCheckCases >= kMaxCombinations, "one check case per combination");

struct RcBars {
    float d1, n1;  // first kind: bar number (diameter, mm) and count
    float d2, n2;  // second kind (0 = none)
};

struct RcSection {
    std::int32_t no;  // 0 marks a section dropped by merging
    char name[kRcNameSize];
    float b, h;
    float k1;  // clear cover of the outer (外) bars
    RcBars outer;
    float k2;  // clear cover of the inner (内) bars
    RcBars inner;
    float stirrupD, stirrupLegs, stirrupPitch;
    float sca1, sca2;  // allowable concrete compression, type 1 / 2
    float ta1, ta2;    // base allowable shear stress of the concrete
    float tsa1, tsa2;  // allowable shear stress with shear reinforcement
    float fa1, fa2;    // carried only
    float ssa1, ssa2;  // allowable bar tension
    float ec, es;
    float fck, fyk, fwk;
};

struct RcCheckCase {
    std::int32_t comboNo;    // the KumiCase number the forces come from
    std::int32_t checkType;  // 1, 2 allowable stresses; 3 ultimate capacity
    char name[kRcNameSize];
};

// Heights of one extreme row per check case, from the section without
// added heights: d1' = k1 + ceil(D/2) of the larger outer bar number.
struct RcDepthSet {
    float h, d1, d2;
};

// Bending or shear force set of one case. n is the axial force with its
// sign turned (compression positive).
struct RcForceSet {
    float x;      // position, m
    float spare;  // carries the envelope's M or S after the set
    float m, s, n;
    float disp;  // mm
};

// Governing-case fields of the envelope, in this order.
enum RcRatioIndex : int { kGovFc = 0, kGovFs, kGovFm, kGovFt, kGovFv, kGovCount };

struct RcCaseCheck {
    std::uint8_t sgCK, muCK, tuCK, vyCK;
    float fc, fs1, fs2, fs, fm, ft, fv;
    std::int32_t governing[kGovCount];
    float sca, ssa;
    float d;
    float taBase, taBaseCopy;
    float ta;  // corrected allowable, τa base x ce x cpt x cN
    float tsaCopy;
    float cN, ce, cpt;
    float fa;
    float awa;  // required shear reinforcement, mm²
    float tsa;
    float taUsed;
    float dShear;
    float ss1, ss2;  // outer / inner bar stress, tension positive
    float sc;
    float tau;
    std::uint8_t ngFs1, ngFs2, ngFs, ngFc, ngFt;
    float fck, fyk;
    float nu, mu, mud;  // kN, kN·m, kN·m
    std::uint8_t ngFm;
    float ec, es;
    float fwk;
    float vcd, vsd, vyd;  // kN
    std::uint8_t ngFv;
    float gc, gs, gbm, gbc, gbs, ga, gi;
    RcForceSet bend;
    RcForceSet shear;
    float envM, envS;
};

// H, d1' (outer bars' centre from the outer face), d2' (inner bars' centre
// from the inner face), added heights included.
struct RcDepths {
    float h, d1, d2;
};

struct RcPointCheck {
    char name[kRcPointNameSize];
    float position;
    float b;
    float t1, t2;   // added heights on the outer / inner side
    RcDepths set1;  // bending
    RcDepths set2;  // shear
    RcBars outer;
    float as1;
    RcBars inner;
    float as2;
    float stirrupD, stirrupLegs, stirrupPitch, aw;
    float es, ec;
    RcCaseCheck cases[kRcCaseSlots];
    std::int32_t sortIndex;  // the point's own index, written by the sort
};

// NG summary bytes of a member, in this order.
enum RcNgIndex : int { kNgFs1 = 0, kNgFs2, kNgFs, kNgFc, kNgFt, kNgFm, kNgFv, kNgAny, kNgCount };

struct RcMemberChecks {
    float designStrength;
    std::int32_t memberNo;
    char name[kRcNameSize];
    std::int32_t sectionNo;
    float memberWord;
    float length;  // m
    float b, h;
    std::int32_t pointCount;
    RcPointCheck points[kRcPointSlots];
    RcDepthSet maxSet1[kRcCaseSlots];
    RcDepthSet minSet1[kRcCaseSlots];
    RcDepthSet maxSet2[kRcCaseSlots];
    RcDepthSet minSet2[kRcCaseSlots];
    std::uint8_t ng[kNgCount];
};

struct RcCheckData {
    std::int32_t memberCount;  // 0 = no RC data
    std::int32_t sectionCount;
    RcSection sections[kRcSectionSlots];
    std::int32_t checkCaseCount;
    RcCheckCase checkCases[kRcCheckCaseSlots];
    // kRcMemberSlots blocks; members 1..memberCount, slot 0 a copy of 1.
    RcMemberChecks* memberChecks;
    // The members' forces are not known: the RC data were read from a file,
    // which does not keep them, and no calculation has run since. Nothing
    // is checked until one does.
    bool forcesMissing;
};

// The program's one RC record (nullptr until AllocateRcCheckData).
extern RcCheckData* RcData;

// Allocates the RC record and its member blocks zero-filled the first time
// and stores it in RcData; later calls return the same record. nullptr when
// the memory is not available. The blocks are large (several hundred MB of
// address space) but are only touched as members are built.
RcCheckData* AllocateRcCheckData();

// A separate zero-filled record with its own member blocks, for work copies
// and tests. Free it with FreeRcCheckData. nullptr when memory is short.
RcCheckData* NewRcCheckData();
void FreeRcCheckData(RcCheckData* rc);

// Copies a text into a fixed char array, cut at a character boundary.
void SetRcText(char* dest, int size, const std::string& text);

// A name as typed into an RC table: "" when it may be taken, else the
// message that refuses it. The data file separates its cells by commas, so a
// comma in a name would shift every cell after it.
std::string RefuseRcName(const std::string& text);

// True when a ratio fails the check: above 1, or not a number at all (a
// NaN ratio must never read as passing).
inline bool RatioIsNg(double ratio) { return !(ratio <= 1.0); }

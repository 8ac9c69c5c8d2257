// TFrameFileClass::SaveToFile: the outside library's result record written
// as the fourteen result files, in the library's column layout (the reader
// of the results takes values by character position, see
// ReadExternalResults).
#include "model/sdk_file_class.h"

#include <cmath>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/string_list.h"

namespace {

// Tables as the library hands them over: a count and a pointer that must
// agree before a single row is touched.
template <typename T>
bool TableUsable(std::int32_t count, const T* table) {
    return count == 0 || (count > 0 && table != nullptr);
}

// A value that is not a finite number (a case the library could not
// compute) is written as 0: no result file holds "nan" or "inf".
double Shown(double v) { return std::isfinite(v) ? v : 0.0; }

void AddCaseLine(TStringList& list, const std::string& heading, int no, int count) {
    list.Add(heading);
    list.Add(FormatStr("CASE  %4d %4d", no, count));
}

// Reactions and displacements share the case layout, not the row format.
bool NodeCases(TStringList& list, std::int32_t count, const FR_SDK_NODECASE* cases,
               const std::string& heading, bool reactions) {
    if (!TableUsable(count, cases)) return false;
    for (int c = 0; c < count; ++c) {
        const FR_SDK_NODECASE& cs = cases[c];
        const std::int32_t rows = cs.rowCount;
        const FR_SDK_NODEROW* table = cs.rows;
        if (!TableUsable(rows, table)) return false;
        AddCaseLine(list, heading, cs.no, rows);
        for (int r = 0; r < rows; ++r) {
            const FR_SDK_NODEROW& row = table[r];
            const double v0 = Shown(row.values[0]), v1 = Shown(row.values[1]),
                         v2 = Shown(row.values[2]);
            list.Add(reactions ? FormatStr("%5d %14.3f %14.3f %14.3f", row.nodeNo, v0, v1, v2)
                               : FormatStr("%5d%15.7e%15.7e%15.7e", row.nodeNo, v0, v1, v2));
        }
    }
    return true;
}

// Member-type tables (forces, spring reactions, extractions) differ only in
// their MEMBR line and their rows.
template <typename Case, typename RowFormat>
bool MemberCases(TStringList& list, std::int32_t count, const Case* cases,
                 const std::string& heading, const char* membrFormat, RowFormat rowLine) {
    if (!TableUsable(count, cases)) return false;
    for (int c = 0; c < count; ++c) {
        const Case& cs = cases[c];
        const std::int32_t members = cs.memberCount;
        const auto* memberTable = cs.members;
        if (!TableUsable(members, memberTable)) return false;
        AddCaseLine(list, heading, cs.no, members);
        for (int m = 0; m < members; ++m) {
            const auto& mem = memberTable[m];
            const std::int32_t rows = mem.rowCount;
            const auto* rowTable = mem.rows;
            if (!TableUsable(rows, rowTable)) return false;
            list.Add(FormatStr(membrFormat, mem.memberNo, mem.nodeI, mem.nodeJ, rows));
            for (int r = 0; r < rows; ++r) list.Add(rowLine(rowTable[r]));
        }
    }
    return true;
}

std::string ForceRow(const FR_SDK_FORCEROW& row) {
    return FormatStr("%5d %14.3f %14.3f %14.3f %14.3f %14.5f", row.pointNo, Shown(row.values[0]),
                     Shown(row.values[1]), Shown(row.values[2]), Shown(row.values[3]),
                     Shown(row.values[4]));
}

std::string SpringRow(const FR_SDK_SPRINGROW& row) {
    return FormatStr("%5d %14.3f %14.3f", row.no, Shown(row.values[0]), Shown(row.values[1]));
}

std::string ExtractRow(const FR_SDK_EXTRACTROW& row) {
    return FormatStr("%5d %14.3f %14.3f %14.3f %14.3f %4d", row.pointNo, Shown(row.values[0]),
                     Shown(row.values[1]), Shown(row.values[2]), Shown(row.values[3]),
                     row.governingCase);
}

bool ForceCases(TStringList& list, std::int32_t count, const FR_SDK_FORCECASE* cases,
                const std::string& heading) {
    return MemberCases(list, count, cases, heading, "MEMBR %3d %4d %4d %4d", ForceRow);
}

bool ExtractCases(TStringList& list, std::int32_t count, const FR_SDK_EXTRACTCASE* cases,
                  const std::string& heading) {
    return MemberCases(list, count, cases, heading, "MEMBR %4d %4d %4d %4d", ExtractRow);
}

}  // namespace

bool TFrameFileClass::SaveLines(const TStringList& list, const char* ext) const {
    // Appended, not swapped in: a base such as "a.b" keeps its dot.
    return list.SaveToFile(resultFileName_ + ext);
}

bool TFrameFileClass::ResultSetF11ToFile() {
    TStringList list;
    return NodeCases(list, result_->f11Count, result_->f11, "支点反力"_sj, true) &&
           SaveLines(list, ".F11");
}

bool TFrameFileClass::ResultSetF12ToFile() {
    TStringList list;
    return NodeCases(list, result_->f12Count, result_->f12, "支点反力（組み合せ）"_sj, true) &&
           SaveLines(list, ".F12");
}

bool TFrameFileClass::ResultSetF21ToFile() {
    TStringList list;
    return NodeCases(list, result_->f21Count, result_->f21, "格点変位"_sj, false) &&
           SaveLines(list, ".F21");
}

bool TFrameFileClass::ResultSetF22ToFile() {
    TStringList list;
    return NodeCases(list, result_->f22Count, result_->f22, "格点変位（組み合せ）"_sj, false) &&
           SaveLines(list, ".F22");
}

bool TFrameFileClass::ResultSetF31ToFile() {
    TStringList list;
    return ForceCases(list, result_->f31Count, result_->f31, "部材力"_sj) &&
           SaveLines(list, ".F31");
}

bool TFrameFileClass::ResultSetF32ToFile() {
    TStringList list;
    return ForceCases(list, result_->f32Count, result_->f32, "部材力（組み合せ）"_sj) &&
           SaveLines(list, ".F32");
}

bool TFrameFileClass::ResultSetF33ToFile() {
    TStringList list;
    return MemberCases(list, result_->f33Count, result_->f33, "分布バネ反力"_sj,
                       "MEMBR %4d %4d %4d %4d", SpringRow) &&
           SaveLines(list, ".F33");
}

bool TFrameFileClass::ResultSetF41ToFile() {
    TStringList list;
    return ExtractCases(list, result_->f41Count, result_->f41, "部材力（Mmax抽出）"_sj) &&
           SaveLines(list, ".F41");
}

bool TFrameFileClass::ResultSetF42ToFile() {
    TStringList list;
    return ExtractCases(list, result_->f42Count, result_->f42, "部材力（Mmin抽出）"_sj) &&
           SaveLines(list, ".F42");
}

bool TFrameFileClass::ResultSetF51ToFile() {
    TStringList list;
    return ExtractCases(list, result_->f51Count, result_->f51, "部材力（Smax抽出）"_sj) &&
           SaveLines(list, ".F51");
}

bool TFrameFileClass::ResultSetF52ToFile() {
    TStringList list;
    return ExtractCases(list, result_->f52Count, result_->f52, "部材力（Smin抽出）"_sj) &&
           SaveLines(list, ".F52");
}

bool TFrameFileClass::ResultSetF61ToFile() {
    TStringList list;
    return ExtractCases(list, result_->f61Count, result_->f61, "部材力（Nmax抽出）"_sj) &&
           SaveLines(list, ".F61");
}

bool TFrameFileClass::ResultSetF62ToFile() {
    TStringList list;
    return ExtractCases(list, result_->f62Count, result_->f62, "部材力（Nmin抽出）"_sj) &&
           SaveLines(list, ".F62");
}

bool TFrameFileClass::ResultSetF71ToFile() {
    TStringList list;
    const std::int32_t count = result_->f71Count;
    const FR_SDK_ENVELOPECASE* cases = result_->f71;
    if (!TableUsable(count, cases)) return false;
    for (int c = 0; c < count; ++c) {
        const FR_SDK_ENVELOPECASE& cs = cases[c];
        const std::int32_t rows = cs.rowCount;
        const FR_SDK_ENVELOPEROW* table = cs.rows;
        if (!TableUsable(rows, table)) return false;
        AddCaseLine(list, "部材力（Mmax,Mmin）"_sj, cs.no, rows);
        for (int r = 0; r < rows; ++r) {
            const FR_SDK_ENVELOPEROW& row = table[r];
            list.Add(FormatStr("%5d Mmax %9.3f %14.3f %14.3f %14.3f", row.maxNo,
                               Shown(row.maxValues[0]), Shown(row.maxValues[1]),
                               Shown(row.maxValues[2]), Shown(row.maxValues[3])));
            list.Add(FormatStr("%5d Mmin %9.3f %14.3f %14.3f %14.3f", row.minNo,
                               Shown(row.minValues[0]), Shown(row.minValues[1]),
                               Shown(row.minValues[2]), Shown(row.minValues[3])));
        }
    }
    return SaveLines(list, ".F71");
}

bool TFrameFileClass::SaveToFile(const std::string& base, FR_SDK_MAINRES* result) {
    if (result == nullptr) return false;
    resultFileName_ = base;
    result_ = result;
    // In this order; the first failure ends the writing.
    bool (TFrameFileClass::*const writers[])() = {
        &TFrameFileClass::ResultSetF11ToFile, &TFrameFileClass::ResultSetF12ToFile,
        &TFrameFileClass::ResultSetF21ToFile, &TFrameFileClass::ResultSetF22ToFile,
        &TFrameFileClass::ResultSetF31ToFile, &TFrameFileClass::ResultSetF32ToFile,
        &TFrameFileClass::ResultSetF33ToFile, &TFrameFileClass::ResultSetF41ToFile,
        &TFrameFileClass::ResultSetF42ToFile, &TFrameFileClass::ResultSetF51ToFile,
        &TFrameFileClass::ResultSetF52ToFile, &TFrameFileClass::ResultSetF61ToFile,
        &TFrameFileClass::ResultSetF62ToFile, &TFrameFileClass::ResultSetF71ToFile};
    for (auto writer : writers)
        if (!(this->*writer)()) return false;
    return true;
}

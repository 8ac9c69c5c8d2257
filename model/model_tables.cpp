// The descriptions of the model's tables (see model_tables.h).
//
// Each entry below is one column: its grid title, field, cell kind and
// display format, then its data file field and report column, then what
// the grid shows in place of its text and its column tint where they are
// not the plain ones.
#include "model/model_tables.h"

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

namespace {

// Short names for the rows below.
constexpr CellKind kInt = CellKind::Int;
constexpr CellKind kTruncated = CellKind::Truncated;
constexpr CellKind kReal = CellKind::Real;
constexpr CellKind kDouble = CellKind::Double;
constexpr CellKind kName = CellKind::Name;
constexpr CellKind kShown = CellKind::Shown;
constexpr CellShow kText = CellShow::Text;
constexpr CellShow kMissing = CellShow::MissingIfZero;
constexpr CellShow kDash = CellShow::DashIfZero;
constexpr CellShow kJoint = CellShow::PinOrRigid;
constexpr CellShow kSupport = CellShow::SupportCode;
constexpr CellShow kLoad = CellShow::LoadCode;
constexpr CellTint kNoTint = CellTint::None;
constexpr CellTint kGreen = CellTint::Green;
constexpr CellTint kPink = CellTint::Pink;
constexpr ReportShow kExponent = ReportShow::Exponent;
constexpr ReportShow kNameText = ReportShow::Name;
constexpr ReportShow kJointText = ReportShow::PinOrRigid;
constexpr ReportShow kTiny = ReportShow::DashIfTiny;
constexpr ReportShow kSupportText = ReportShow::SupportCode;
constexpr ReportShow kStiffness = ReportShow::Stiffness;

// Data file fields.
FileField FileInt(int width, int lead = 0) { return {FileKind::Int, lead, width, 0}; }
FileField FileFixed(int width, int decimals, int lead = 0) {
    return {FileKind::Fixed, lead, width, decimals};
}
FileField FilePrintf(int width, int decimals, int lead) {
    return {FileKind::Printf, lead, width, decimals};
}
FileField FileMantExp(int m, int e, int lead = 0) { return {FileKind::MantExp, lead, m, e}; }
FileField FileMantExpNonZero(int m, int e) { return {FileKind::MantExpNonZero, 0, m, e}; }
FileField FileText(int bytes, int lead) { return {FileKind::Text, lead, bytes, 0}; }
const FileField kNotInFile{};

// Report columns.
ReportField Report(int width, const std::string& head1, const std::string& head2,
                   const std::string& mask, ReportShow show = ReportShow::Number) {
    return {width, head1, head2, mask, show};
}
const ReportField kNotInReport{};
std::string Hashes(int n) { return std::string(static_cast<std::size_t>(n), '#'); }

// The name of the member an entry names, empty when there is none.
std::string MemberNameOf(const FrameModel& m, const BaneEntry& e) {
    const int mi = FindMemberIndex(m, e.memberNo);
    return mi > 0 ? Trim(std::string(m.members[mi].name)) : std::string();
}

// The name of the load case a combination entry names.
std::string LoadCaseNameOf(const FrameModel& m, const KumiEntry& e) {
    const int li = FindLoadCaseIndex(m, e.loadCaseNo);
    return li > 0 ? Trim(std::string(m.loadCases[li].name)) : "** 未定義 **"_sj;
}

}  // namespace

int FileField::Columns() const {
    switch (kind) {
        case FileKind::Int:
        case FileKind::Fixed:
        case FileKind::Printf:
            return lead + width;
        case FileKind::MantExp:
        case FileKind::MantExpNonZero:
            return lead + width + digits;
        default:
            return 0;
    }
}

std::string HeaderSpecStart() { return "24:・"_sj; }

std::string HeaderSpecItem(const GridTitle& title) {
    const std::string width = title.width > 0 ? FormatStr("%d:", title.width) : std::string();
    return "┃"_sj + width + title.caption;
}

// clang-format off
const ModelTable<FramePoint>& NodeTable() {
    static const ModelTable<FramePoint> t{"格点"_sj, "POINT", {
        {{0, "格点No"_sj}, &FramePoint::no, kInt, "%1d",
         FileInt(10), Report(10, "格点番号"_sj, "", "#####")},
        {{64, "X (m)"}, &FramePoint::x, kReal, "%7.4f",
         FileFixed(10, 4), Report(16, "Ｘ座標 (m)"_sj, "", "#####.####")},
        {{64, "Y (m)"}, &FramePoint::y, kReal, "%7.4f",
         FileFixed(10, 4), Report(16, "Ｙ座標 (m)"_sj, "", "#####.####")},
    }};
    return t;
}

const ModelTable<FrameMaterial>& MaterialTable() {
    static const ModelTable<FrameMaterial> t{"材質"_sj, "MATERIAL", {
        {{0, "材質No"_sj}, &FrameMaterial::no, kInt, "%1d",
         FileInt(10), Report(10, "材質番号"_sj, "", "#####")},
        {{80, "ﾔﾝｸﾞ係数,(kN/㎡)"_sj}, &FrameMaterial::e, kReal, "%12.5e",
         FileMantExp(10, 5), Report(22, "ヤング係数"_sj, "Ε(kN/m2)"_sj, Hashes(12), kExponent)},
        {{80, "熱膨張係数,(/ﾟC)"_sj}, &FrameMaterial::alpha, kReal, "%12.5e",
         FileMantExp(10, 5), Report(22, "線膨張係数"_sj, "α(/℃)"_sj, Hashes(12), kExponent)},
    }};
    return t;
}

const ModelTable<FrameSection>& SectionTable() {
    static const ModelTable<FrameSection> t{"断面"_sj, "SECTION", {
        {{0, "断面No"_sj}, &FrameSection::no, kInt, "%1d",
         FileInt(10), Report(10, "断面番号"_sj, "", "#####")},
        {{80, "断面積,(㎡)"_sj}, &FrameSection::area, kReal, "%12.5e",
         FileMantExpNonZero(10, 5), Report(18, "断面積"_sj, "Ａ(m2)"_sj, Hashes(12), kExponent)},
        {{90, "断面2次ﾓｰﾒﾝﾄ,Ｉ (ｍ4)"_sj}, &FrameSection::inertia, kReal, "%12.5e",
         FileMantExpNonZero(10, 5), Report(20, "断面2次ﾓｰﾒﾝﾄ"_sj, "Iz(m4)", Hashes(12), kExponent)},
        // The name starts in column 51.
        {{120, "断面名称"_sj}, &FrameSection::name, kName, nullptr,
         FileText(kNameTextBytes, 10), Report(26, "断面名称"_sj, "", Hashes(20), kNameText)},
    }};
    return t;
}

const ModelTable<FrameMember>& MemberTable() {
    using M = FrameMember;
    static const ModelTable<M> t{"部材"_sj, "MEMBER", {
        {{0, "部材No"_sj}, &M::no, kInt, "%1d",
         FileInt(10), Report(4, "部材"_sj, "番号"_sj, "###")},
        {{44, "ｉ端,格点"_sj}, &M::nodeI, kInt, "%1d",
         FileInt(4, 1), Report(4, "格点"_sj, "i端"_sj, "###"), kMissing, kGreen},
        {{44, "ｊ端,格点"_sj}, &M::nodeJ, kInt, "%1d",
         FileInt(4, 1), Report(4, "格点"_sj, "j端"_sj, "###"), kMissing, kGreen},
        {{44, "断面,番号"_sj}, &M::sectionNo, kInt, "%1d",
         FileInt(4, 1), Report(4, "断面"_sj, "番号"_sj, "###"), kMissing},
        {{44, "材質,番号"_sj}, &M::materialNo, kInt, "%1d",
         FileInt(4, 1), Report(4, "材質"_sj, "番号"_sj, "###"), kMissing},
        {{44, "ｉ端,結合"_sj}, &M::endI, kInt, "%1d",
         FileInt(4, 1), Report(4, "結合"_sj, "i端"_sj, "###", kJointText), kJoint, kGreen},
        {{44, "ｊ端,結合"_sj}, &M::endJ, kInt, "%1d",
         FileInt(4, 1), Report(4, "結合"_sj, "j端"_sj, "###", kJointText), kJoint, kGreen},
        // The rigid zones start in column 46 (" %9.3f" after four more blanks).
        {{52, "ｉ端剛域,(m)"_sj}, &M::rigidI, kReal, "%5.3f",
         FileFixed(10, 3, 4), Report(6, "剛域長"_sj, "i端(m)"_sj, "#.###", kTiny), kDash, kPink},
        {{52, "ｊ端剛域,(m)"_sj}, &M::rigidJ, kReal, "%5.3f",
         FileFixed(10, 3), Report(6, "剛域長"_sj, "j端(m)"_sj, "#.###", kTiny), kDash, kPink},
        // Derived from the end nodes, so neither typed nor in the file.
        {{56, "部材長,(m)"_sj}, &M::length, kShown, "%6.4f",
         kNotInFile, Report(8, "部材長"_sj, "(m)", "###.###")},
        // The name starts in column 66.
        {{150, "部材名称"_sj}, &M::name, kName, nullptr,
         FileText(kNameTextBytes, 1), Report(16, "部材名"_sj, "", Hashes(14), kNameText)},
    }};
    return t;
}

const ModelTable<View1Range>& View1Table() {
    static const ModelTable<View1Range> t{"着目点分割"_sj, "VIEW-1", {
        {{0, "開始,部材No"_sj}, &View1Range::firstMember, kInt, "%1d",
         FileInt(10), kNotInReport},
        {{0, "終了,部材No"_sj}, &View1Range::lastMember, kTruncated, "%1d",
         FileInt(4, 1), kNotInReport},
        {{0, "分割数"_sj}, &View1Range::divisions, kTruncated, "%1d",
         FileInt(4, 1), kNotInReport},
    }};
    return t;
}

// The file keeps a member's points as two lists of their own (VIEW-2 and
// V2-NAME): no line of the file is laid out like a row of this grid.
const ModelTable<ViewPointRow>& ViewPointTable() {
    static const ModelTable<ViewPointRow> t{"着目点"_sj, nullptr, {
        {{72, "ｉ端からの,距離"_sj}, &ViewPointRow::dist, kDouble, "%7.3f",
         kNotInFile, kNotInReport},
        {{160, "着目点名称"_sj}, &ViewPointRow::name, kName, nullptr,
         kNotInFile, kNotInReport},
        {{72, "ｊ端からの,距離"_sj}, &ViewPointRow::distJ, kDouble, "%7.3f",
         kNotInFile, kNotInReport},
    }};
    return t;
}

// The case tables: their keyword lines hold the count of entries between
// the number and the name, so the file lays them out on its own.
const ModelTable<BaneCase>& SpringCaseTable() {
    static const ModelTable<BaneCase> t{"分布バネケース"_sj, "BANE-CASE", {
        {{0, "ｹｰｽ,No"_sj}, &BaneCase::no, kInt, "%1d", kNotInFile, kNotInReport},
        {{195, "分布バネケース名称"_sj}, &BaneCase::name, kName, nullptr, kNotInFile, kNotInReport},
    }};
    return t;
}

const ModelTable<BaneEntry>& SpringEntryTable() {
    static const ModelTable<BaneEntry> t{"分布バネ"_sj, nullptr, {
        {{0, "部材No"_sj}, &BaneEntry::memberNo, kInt, "%1d",
         FileInt(10), Report(10, "部材番号"_sj, "", "#####")},
        {{87, "軸直角バネ係数,Kv$(kN/㎡)"_sj}, &BaneEntry::kv, kReal, "%12.5e",
         FileMantExp(10, 3), Report(26, "直方向バネ値"_sj, "Ｋv(kN/m2)"_sj, Hashes(12), kExponent)},
        // Ku's mantissa starts in column 31.
        {{87, "軸方向バネ係数,Ku$(kN/㎡)"_sj}, &BaneEntry::ku, kReal, "%12.5e",
         FileMantExp(10, 3, 7),
         Report(26, "軸方向バネ値"_sj, "Ｋu(kN/m2)"_sj, Hashes(12), kExponent)},
        {{120, "部材名称"_sj}, {}, kShown, nullptr,
         kNotInFile, kNotInReport, kText, kNoTint, MemberNameOf},
    }};
    return t;
}

const ModelTable<SuptCase>& SupportCaseTable() {
    static const ModelTable<SuptCase> t{"支点ケース"_sj, "SUPT-CASE", {
        {{0, "ｹｰｽ,No"_sj}, &SuptCase::no, kInt, "%1d", kNotInFile, kNotInReport},
        {{180, "支点ケース名称"_sj}, &SuptCase::name, kName, nullptr, kNotInFile, kNotInReport},
    }};
    return t;
}

// A support entry's file line puts the code last, after the three springs
// and three reserved reals that the grid does not show: the file lays it
// out on its own.
const ModelTable<SuptEntry>& SupportEntryTable() {
    static const ModelTable<SuptEntry> t{"支点"_sj, nullptr, {
        {{0, "格点No"_sj}, &SuptEntry::nodeNo, kInt, "%1d",
         kNotInFile, Report(10, "格点番号"_sj, "", "#####")},
        {{0, "支点ｺｰﾄﾞ"_sj}, &SuptEntry::code, kInt, "%1d",
         kNotInFile, Report(22, "支点コード"_sj, "", Hashes(18), kSupportText), kSupport},
        {{85, "Ｘ方向支点,Kx$(kN/m)"_sj}, &SuptEntry::kx, kReal, "%12.5e",
         kNotInFile, Report(14, "Ｋx (kN/m)"_sj, "", Hashes(12), kStiffness)},
        {{85, "Ｙ方向支点,Ky$(kN/m)"_sj}, &SuptEntry::ky, kReal, "%12.5e",
         kNotInFile, Report(14, "Ｋy (kN/m)"_sj, "", Hashes(12), kStiffness)},
        {{85, "θ方向支点,Km(kN･m/rad)"_sj}, &SuptEntry::km, kReal, "%12.5e",
         kNotInFile, Report(16, "Ｋm (kN･m/rad)"_sj, "", Hashes(12), kStiffness)},
    }};
    return t;
}

const ModelTable<LoadCase>& LoadCaseTable() {
    static const ModelTable<LoadCase> t{"荷重ケース"_sj, "LOAD-CASE", {
        {{0, "ｹｰｽ,No"_sj}, &LoadCase::no, kInt, "%1d", kNotInFile, kNotInReport},
        {{108, "荷重ケース名称"_sj}, &LoadCase::name, kName, nullptr, kNotInFile, kNotInReport},
        {{36, "支点,ｹｰｽNo"_sj}, &LoadCase::suptCaseNo, kInt, "%1d",
         kNotInFile, kNotInReport, kMissing},
        {{48, "分布ﾊﾞﾈ,ｹｰｽNo"_sj}, &LoadCase::baneCaseNo, kInt, "%1d",
         kNotInFile, kNotInReport, kDash},
    }};
    return t;
}

// The report prints the loads by groups of codes with their resultants,
// in tables of its own.
const ModelTable<LoadRecord>& LoadTable() {
    using L = LoadRecord;
    static const ModelTable<L> t{"荷重"_sj, nullptr, {
        {{72, "荷重ｺｰﾄﾞ"_sj}, &L::code, kInt, "%1d",
         FileInt(10), kNotInReport, kLoad},
        {{0, "開始,部材"_sj}, &L::memberFrom, kInt, "%1d",
         FileInt(4, 1), kNotInReport, kMissing, kGreen},
        {{0, "終了,部材"_sj}, &L::memberTo, kInt, "%1d",
         FileInt(4, 1), kNotInReport, kDash, kGreen},
        {{56, "ｉ端,荷重"_sj}, &L::qI, kReal, "%8.3f",
         FilePrintf(9, 3, 1), kNotInReport, kText, kPink},
        {{56, "ｊ端,荷重"_sj}, &L::qJ, kReal, "%8.3f",
         FilePrintf(9, 3, 1), kNotInReport, kText, kPink},
        {{48, "ｉ端,距離"_sj}, &L::distI, kReal, "%0.3f",
         FilePrintf(9, 3, 1), kNotInReport, kText, kGreen},
        {{48, "ｊ端,距離"_sj}, &L::distJ, kReal, "%0.3f",
         FilePrintf(9, 3, 1), kNotInReport, kText, kGreen},
    }};
    return t;
}

const ModelTable<KumiCase>& CombinationTable() {
    static const ModelTable<KumiCase> t{"組合せ"_sj, "KUMI-CASE", {
        {{0, "ｹｰｽ,No"_sj}, &KumiCase::no, kInt, "%1d", kNotInFile, kNotInReport},
        {{160, "組合せケース名称"_sj}, &KumiCase::name, kName, nullptr, kNotInFile, kNotInReport},
        // Shown with the four decimals the file keeps.
        {{0, "割増係数"_sj}, &KumiCase::factor, kDouble, "%0.4f", kNotInFile, kNotInReport},
    }};
    return t;
}

const ModelTable<KumiEntry>& CombinationEntryTable() {
    static const ModelTable<KumiEntry> t{"組合せ荷重"_sj, nullptr, {
        {{0, "荷重,ｹｰｽNo"_sj}, &KumiEntry::loadCaseNo, kInt, "%1d", FileInt(15), kNotInReport},
        {{0, "割増係数"_sj}, &KumiEntry::factor, kReal, "%0.4f", FileFixed(15, 4), kNotInReport},
        {{160, "荷重ケース名称"_sj}, {}, kShown, nullptr,
         kNotInFile, kNotInReport, kText, kNoTint, LoadCaseNameOf},
    }};
    return t;
}
// clang-format on

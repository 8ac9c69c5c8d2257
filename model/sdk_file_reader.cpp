// TFrameFileClass::LoadFromFile: the data file's frame sections, read line
// by line in the fixed order WriteFrameDataFile writes them, into the
// outside library's input record.
//
// Unlike the program's own reader this one is strict: the library must not
// be handed a model that was half read, so an integer or real that does not
// parse, a negative count or a file that ends early makes the whole read
// fail.
#include <charconv>
#include <cmath>
#include <cstring>

#include "model/frame_model.h"
#include "model/sdk_file_class.h"
#include "model/text_helpers.h"
#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

bool ParseStrictInt(const std::string& text, std::int32_t& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    if (first == last) return false;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

bool ParseStrictReal(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    if (first == last) return false;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && std::isfinite(value);
}

// Characters from 0-based offset `from`, at most `len` bytes, not splitting
// a double-byte character, without blanks at either end.
std::string CutName(const std::string& line, std::size_t from, std::size_t len) {
    if (line.size() <= from) return std::string();
    const std::string tail = line.substr(from);
    std::size_t pos = 0;
    while (pos < tail.size()) {
        const std::size_t n = static_cast<std::size_t>(CharByteCount(tail, pos));
        if (pos + n > len) break;
        pos += n;
    }
    std::string cut = tail.substr(0, pos);
    while (!cut.empty() && static_cast<unsigned char>(cut.back()) <= ' ') cut.pop_back();
    std::size_t lead = 0;
    while (lead < cut.size() && static_cast<unsigned char>(cut[lead]) <= ' ') ++lead;
    return cut.substr(lead);
}

}  // namespace

// Walks the lines; every Get* returns false when the value is missing or
// does not parse, which ends the reading.
class SdkFileReader {
  public:
    SdkFileReader(const TStringList& list, TFrameFileClass& owner) : list_(list), owner_(owner) {}

    bool Read(FR_SDK_MAINDATA& data);

  private:
    bool Next() {
        if (line_ >= list_.Count()) return false;
        current_ = list_[line_++];
        items_.SetCommaText(current_);
        return true;
    }
    bool Skip() { return Next(); }
    bool Int(int k, std::int32_t& v) const {
        return k < items_.Count() && ParseStrictInt(items_[k], v);
    }
    bool Real(int k, double& v) const {
        return k < items_.Count() && ParseStrictReal(items_[k], v);
    }
    // mantissa x 10^exponent; an unreadable exponent counts as 0.
    bool MantExp(int k, double& v) const {
        double mantissa = 0;
        if (!Real(k, mantissa)) return false;
        std::int32_t exponent = 0;
        if (!Int(k + 1, exponent)) exponent = 0;
        v = mantissa * std::pow(10.0, exponent);
        return std::isfinite(v);
    }
    // A count announced by the file: never negative, and never more entries
    // than lines are left (which also bounds what is allocated).
    bool Count(int k, std::int32_t& n) const {
        return Int(k, n) && n >= 0 && n <= list_.Count() - line_;
    }

    bool ReadHeader(FR_SDK_MAINDATA& data);
    bool ReadNodes(int n);
    bool ReadMaterialsAndSections(int materials, int sections);
    bool ReadMembers(int n);
    bool ReadSpringCases(int n);
    bool ReadSupportCases(int n);
    bool ReadView();
    bool ReadViewMembers(int n);
    bool ReadLoadCases(int n);
    bool ReadCombinations(int n);

    const TStringList& list_;
    TFrameFileClass& owner_;
    int line_ = 0;
    std::string current_;
    TStringList items_;
    std::int32_t counts_[6] = {};  // nodes, members, materials, sections, springs, supports
};

bool SdkFileReader::ReadHeader(FR_SDK_MAINDATA& data) {
    if (!Next() || current_.compare(0, 5, "FRAME") != 0) return false;
    if (!Next()) return false;
    SetFixedText(data.title, sizeof data.title, CutName(current_, 10, 40).c_str());
    if (!Skip() || !Next()) return false;
    const int control1[6] = {0, 1, 2, 3, 4, 6};
    for (int k = 0; k < 6; ++k)
        if (!Count(control1[k], counts_[k])) return false;
    std::int32_t loadCases = 0, combinations = 0, picks = 0;
    if (!Skip() || !Next() || !Count(0, loadCases) || !Count(1, combinations) || !Count(2, picks))
        return false;
    // This program never writes extraction cases, and no layout for them
    // is known: a file announcing some is not ours.
    if (picks != 0) return false;
    data.loadCaseCount = loadCases;
    data.combinationCount = combinations;
    if (!Skip() || !Next()) return false;
    const std::int32_t bits[4] = {kSdkOptRenumber, kSdkOptMmax, kSdkOptViewPoint,
                                  kSdkOptExtraFactor};
    std::int32_t options = 0;
    for (int k = 0; k < 4; ++k) {
        std::int32_t v = 0;
        if (!Int(k, v)) return false;
        if (v == 1) options |= bits[k];
    }
    data.options = options;
    return true;
}

bool SdkFileReader::ReadNodes(int n) {
    if (!Skip()) return false;
    owner_.nodes_.resize(static_cast<std::size_t>(n));
    for (FR_SDK_NODE& node : owner_.nodes_) {
        std::int32_t no = 0;
        if (!Next() || !Int(0, no)) return false;
        double x = 0, y = 0;
        if (!Real(1, x)) x = 0;  // an unreadable coordinate is the origin's
        if (!Real(2, y)) y = 0;
        node.no = no;
        node.x = x;
        node.y = y;
    }
    return true;
}

bool SdkFileReader::ReadMaterialsAndSections(int materials, int sections) {
    if (!Skip()) return false;
    owner_.materials_.resize(static_cast<std::size_t>(materials));
    for (FR_SDK_MATERIAL& m : owner_.materials_) {
        std::int32_t no = 0;
        double e = 0, alpha = 0;
        if (!Next() || !Int(0, no) || !MantExp(1, e) || !MantExp(3, alpha)) return false;
        m.no = no;
        m.e = e;
        m.alpha = alpha;
    }
    if (!Skip()) return false;
    owner_.sections_.resize(static_cast<std::size_t>(sections));
    for (FR_SDK_SECTION& s : owner_.sections_) {
        std::int32_t no = 0;
        double area = 0, inertia = 0;
        if (!Next() || !Int(0, no) || !MantExp(1, area) || !MantExp(3, inertia)) return false;
        s.no = no;
        s.area = area;
        s.inertia = inertia;
    }
    return true;
}

bool SdkFileReader::ReadMembers(int n) {
    if (!Skip()) return false;
    owner_.members_.resize(static_cast<std::size_t>(n));
    // The library wants the section number twice; rigid zones are not passed.
    const int fromItem[8] = {0, 1, 2, 3, 3, 4, 5, 6};
    for (FR_SDK_MEMBER& m : owner_.members_) {
        std::int32_t v[8] = {};
        if (!Next()) return false;
        for (int k = 0; k < 8; ++k)
            if (!Int(fromItem[k], v[k])) return false;
        m.no = v[0];
        m.nodeI = v[1];
        m.nodeJ = v[2];
        m.sectionNo = v[3];
        m.sectionNo2 = v[4];
        m.materialNo = v[5];
        m.endI = v[6];
        m.endJ = v[7];
    }
    return true;
}

bool SdkFileReader::ReadSpringCases(int n) {
    owner_.springCases_.resize(static_cast<std::size_t>(n));
    owner_.springEntries_.assign(static_cast<std::size_t>(n), {});
    for (int c = 0; c < n; ++c) {
        std::int32_t no = 0, count = 0;
        if (!Next() || !Int(1, no) || !Count(2, count)) return false;
        auto& entries = owner_.springEntries_[static_cast<std::size_t>(c)];
        entries.resize(static_cast<std::size_t>(count));
        for (FR_SDK_SPRINGENTRY& e : entries) {
            std::int32_t memberNo = 0;
            double kv = 0, ku = 0;
            if (!Next() || !Int(0, memberNo) || !MantExp(1, kv) || !MantExp(3, ku)) return false;
            e.memberNo = memberNo;
            e.kv = kv;
            e.ku = ku;
        }
        FR_SDK_SPRINGCASE& sc = owner_.springCases_[static_cast<std::size_t>(c)];
        sc.no = no;
        sc.count = count;
        sc.entries = count > 0 ? entries.data() : nullptr;
    }
    return true;
}

bool SdkFileReader::ReadSupportCases(int n) {
    owner_.supportCases_.resize(static_cast<std::size_t>(n));
    owner_.supportEntries_.assign(static_cast<std::size_t>(n), {});
    for (int c = 0; c < n; ++c) {
        std::int32_t no = 0, count = 0;
        if (!Next() || !Int(1, no) || !Count(2, count)) return false;
        auto& entries = owner_.supportEntries_[static_cast<std::size_t>(c)];
        entries.resize(static_cast<std::size_t>(count));
        for (FR_SDK_SUPPORTENTRY& e : entries) {
            std::int32_t nodeNo = 0, code = 0;
            if (!Next() || !Int(0, nodeNo) || !Int(13, code)) return false;
            e.nodeNo = nodeNo;
            e.code = code;
            for (int f = 0; f < 6; ++f) {
                double v = 0;
                if (!MantExp(1 + 2 * f, v)) return false;
                e.values[f] = v;
            }
        }
        FR_SDK_SUPPORTCASE& sc = owner_.supportCases_[static_cast<std::size_t>(c)];
        sc.no = no;
        sc.count = count;
        sc.entries = count > 0 ? entries.data() : nullptr;
    }
    return true;
}

bool SdkFileReader::ReadView() {
    std::int32_t ranges = 0;
    if (!Next() || !Count(1, ranges)) return false;
    owner_.viewRanges_.resize(static_cast<std::size_t>(ranges));
    for (FR_SDK_VIEWRANGE& r : owner_.viewRanges_) {
        std::int32_t v[3] = {};
        if (!Next() || !Int(0, v[0]) || !Int(1, v[1]) || !Int(2, v[2])) return false;
        r.firstMember = v[0];
        r.lastMember = v[1];
        r.divisions = v[2];
    }
    std::int32_t members = 0;
    if (!Next() || !Count(1, members) || !ReadViewMembers(members)) return false;
    owner_.view_.assign(1, FR_SDK_VIEW{});
    FR_SDK_VIEW& view = owner_.view_[0];
    view.rangeCount = ranges;
    view.ranges = ranges > 0 ? owner_.viewRanges_.data() : nullptr;
    view.memberCount = members;
    view.members = members > 0 ? owner_.viewMembers_.data() : nullptr;
    return true;
}

bool SdkFileReader::ReadViewMembers(int n) {
    owner_.viewMembers_.resize(static_cast<std::size_t>(n));
    owner_.viewDistances_.assign(static_cast<std::size_t>(n), {});
    for (int i = 0; i < n; ++i) {
        std::int32_t memberNo = 0, count = 0;
        // The distances stand on one line, so their count is bounded by
        // that line's items, not by the lines left.
        if (!Next() || !Int(0, memberNo) || !Int(1, count) || count < 0) return false;
        auto& dist = owner_.viewDistances_[static_cast<std::size_t>(i)];
        if (count > 0) {
            if (!Next() || count > items_.Count()) return false;
            dist.resize(static_cast<std::size_t>(count));
            for (int k = 0; k < count; ++k)
                if (!Real(k, dist[static_cast<std::size_t>(k)])) return false;
        } else if (line_ < list_.Count() && Trim(list_[line_]).empty()) {
            // The data file writes a values line even for a member without
            // points; it is empty and belongs to this entry.
            ++line_;
        }
        FR_SDK_VIEWMEMBER& vm = owner_.viewMembers_[static_cast<std::size_t>(i)];
        vm.memberNo = memberNo;
        vm.count = count;
        vm.distances = count > 0 ? dist.data() : nullptr;
    }
    return true;
}

bool SdkFileReader::ReadLoadCases(int n) {
    owner_.loadCases_.resize(static_cast<std::size_t>(n));
    owner_.loads_.assign(static_cast<std::size_t>(n), {});
    for (int c = 0; c < n; ++c) {
        std::int32_t no = 0, count = 0, bane = 0, supt = 0;
        if (!Next() || !Int(1, no) || !Count(2, count) || !Int(3, bane) || !Int(4, supt))
            return false;
        FR_SDK_LOADCASE& lc = owner_.loadCases_[static_cast<std::size_t>(c)];
        SetFixedText(lc.name, sizeof lc.name, CutName(current_, 40, 40).c_str());
        auto& loads = owner_.loads_[static_cast<std::size_t>(c)];
        loads.resize(static_cast<std::size_t>(count));
        for (FR_SDK_LOAD& load : loads) {
            std::int32_t code = 0, from = 0, to = 0;
            double q[4] = {};
            if (!Next() || !Int(0, code) || !Int(1, from) || !Int(2, to)) return false;
            for (int k = 0; k < 4; ++k)
                if (!Real(3 + k, q[k])) return false;
            load.code = code;
            load.memberFrom = from;
            load.memberTo = to;
            load.qI = q[0];
            load.qJ = q[1];
            load.distI = q[2];
            load.distJ = q[3];
        }
        lc.no = no;
        lc.count = count;
        lc.loads = count > 0 ? loads.data() : nullptr;
        lc.baneCaseNo = bane;
        lc.suptCaseNo = supt;
    }
    return true;
}

bool SdkFileReader::ReadCombinations(int n) {
    owner_.combinations_.resize(static_cast<std::size_t>(n));
    owner_.combinationEntries_.assign(static_cast<std::size_t>(n), {});
    for (int c = 0; c < n; ++c) {
        std::int32_t no = 0, count = 0;
        double factor = 0;
        if (!Next() || !Int(1, no) || !Count(2, count) || !Real(3, factor)) return false;
        FR_SDK_COMBINATION& kc = owner_.combinations_[static_cast<std::size_t>(c)];
        SetFixedText(kc.name, sizeof kc.name, CutName(current_, 40, 40).c_str());
        auto& entries = owner_.combinationEntries_[static_cast<std::size_t>(c)];
        entries.resize(static_cast<std::size_t>(count));
        for (FR_SDK_COMBIENTRY& e : entries) {
            std::int32_t caseNo = 0;
            double f = 0;
            if (!Next() || !Int(0, caseNo) || !Real(1, f)) return false;
            e.loadCaseNo = caseNo;
            e.factor = f;
        }
        kc.no = no;
        kc.count = count;
        kc.entries = count > 0 ? entries.data() : nullptr;
        kc.factor = factor;
    }
    return true;
}

bool SdkFileReader::Read(FR_SDK_MAINDATA& data) {
    if (!ReadHeader(data)) return false;
    const std::int32_t loadCases = data.loadCaseCount;
    const std::int32_t combinations = data.combinationCount;
    if (!ReadNodes(counts_[0]) || !ReadMaterialsAndSections(counts_[2], counts_[3]) ||
        !ReadMembers(counts_[1]) || !ReadSpringCases(counts_[4]) || !ReadSupportCases(counts_[5]) ||
        !ReadView() || !ReadLoadCases(loadCases) || !ReadCombinations(combinations))
        return false;

    auto& o = owner_;
    data.nodeCount = counts_[0];
    data.nodes = o.nodes_.empty() ? nullptr : o.nodes_.data();
    data.memberCount = counts_[1];
    data.members = o.members_.empty() ? nullptr : o.members_.data();
    data.materialCount = counts_[2];
    data.materials = o.materials_.empty() ? nullptr : o.materials_.data();
    data.sectionCount = counts_[3];
    data.sections = o.sections_.empty() ? nullptr : o.sections_.data();
    data.springCaseCount = counts_[4];
    data.springCases = o.springCases_.empty() ? nullptr : o.springCases_.data();
    data.supportCaseCount = counts_[5];
    data.supportCases = o.supportCases_.empty() ? nullptr : o.supportCases_.data();
    data.viewCount = 1;
    data.view = o.view_.data();
    data.loadCases = o.loadCases_.empty() ? nullptr : o.loadCases_.data();
    data.combinations = o.combinations_.empty() ? nullptr : o.combinations_.data();
    data.pickCaseCount = 0;
    data.pickCases = nullptr;
    return true;
}

void TFrameFileClass::ClearTables() {
    nodes_.clear();
    materials_.clear();
    sections_.clear();
    members_.clear();
    springCases_.clear();
    springEntries_.clear();
    supportCases_.clear();
    supportEntries_.clear();
    view_.clear();
    viewRanges_.clear();
    loadCases_.clear();
    loads_.clear();
    combinations_.clear();
    combinationEntries_.clear();
    pickCases_.clear();
    pickEntries_.clear();
    viewDistances_.clear();
    viewMembers_.clear();
}

bool TFrameFileClass::LoadFromList(const TStringList& list, FR_SDK_MAINDATA& data) {
    std::memset(&data, 0, sizeof data);
    ClearTables();
    SdkFileReader reader(list, *this);
    if (reader.Read(data)) return true;
    std::memset(&data, 0, sizeof data);
    ClearTables();
    return false;
}

bool TFrameFileClass::LoadFromFile(const std::string& fileName, FR_SDK_MAINDATA& data) {
    TStringList list;
    if (!list.LoadFromFile(fileName)) {
        std::memset(&data, 0, sizeof data);
        ClearTables();
        return false;
    }
    return LoadFromList(list, data);
}

// libFuzzer target for the text and number helpers every reader uses: any
// bytes through the number readers, the half-width conversions, the blank
// helpers, the fitting to a byte length and the comma splitters, with the
// properties they promise checked.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/text_helpers.h"
#include "platform/string_list.h"
#include "rccheck/rebar_table.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

// Every lead byte has a trail byte of the code page (0x40-0xFC but 0x7F).
bool ValidCp932(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!IsLeadByte(static_cast<unsigned char>(s[i]))) continue;
        if (i + 1 >= s.size()) return false;
        const unsigned char t = static_cast<unsigned char>(s[++i]);
        if (t < 0x40 || t > 0xFC || t == 0x7F) return false;
    }
    return true;
}

// No double-byte character split: the text ends on a character boundary.
bool EndsOnCharacter(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) i += static_cast<std::size_t>(std::max(CharByteCount(s, i), 1));
    return i == s.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = InputBytes(data, size);
    const double d = TextToDouble(text);
    if (std::isnan(d)) std::abort();  // only decimal syntax: never NaN
    const int control = size > 0 ? data[0] : 0;
    TextToInt(text, control % 12 - 2);
    NumZenToHan(text);
    ZenToHan(text);
    ZenSpaceToHan(text);
    const bool valid = ValidCp932(text);
    const std::string noBlanks = RemoveSpaces(text);
    if (valid && noBlanks.find(' ') != std::string::npos) std::abort();
    SqueezeSpaces(text);
    FormatTextByTag(text, control * 7);
    const int len = control % 64;
    const std::string fitted = FitTextLength(text, len);
    if (static_cast<int>(fitted.size()) > std::max(len, 0)) std::abort();
    if (EndsOnCharacter(text) && !EndsOnCharacter(fitted)) std::abort();
    float count = 0;
    ParseBars(text, count);
    TStringList list;
    list.SetCommaText(text);
    TStringList again;
    again.SetCommaText(list.CommaText());
    // A text of the code page without NUL bytes splits the same after
    // joining.
    if (valid && text.find('\0') == std::string::npos && again.Lines() != list.Lines() &&
        !(list.Count() == 0 && again.Count() == 1 && again[0].empty()))
        std::abort();
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    char* fields[40];
    SplitCommaInPlace(fields, 40, buffer.data());
    return 0;
}

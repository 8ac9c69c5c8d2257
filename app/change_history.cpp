#include "app/change_history.h"

#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

const std::string& ChangeHistoryText() {
    return "2026.12.08  Qt 版: 入力表、ファイル操作、計算実行\n            画面なしの計算 (/BATCH)\n"_sj;
}

std::string VersionDateOf(const std::string& history) {
    const std::size_t at = history.find("20");
    if (at == std::string::npos) return "";
    std::string text = history.substr(at, 80);
    // Only the first line holds the date.
    const std::size_t eol = text.find('\n');
    if (eol != std::string::npos) text.erase(eol);
    text = Trim(text);
    const std::size_t blank = text.find(' ');
    return blank == std::string::npos ? text : text.substr(0, blank);
}

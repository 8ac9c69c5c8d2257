// The warnings a file reader collects for the user: one line each, at most
// kMaxWarningLines of them, the rest counted in one last line, so a badly
// damaged file gives a message that still fits on the screen.
#pragma once

#include <string>

#include "model/text_helpers.h"
#include "platform/sjis_literal.h"

class ReaderWarnings {
  public:
    static constexpr int kMaxWarningLines = 25;

    void Add(const std::string& line) {
        if (lines_ < kMaxWarningLines)
            text_ += line + "\n";
        else
            ++dropped_;
        ++lines_;
    }
    std::string Text() const {
        if (dropped_ == 0) return text_;
        return text_ + FormatStr("ほか %d 件の警告を省略しました."_sj.c_str(), dropped_) + "\n";
    }

  private:
    std::string text_;
    int lines_ = 0;
    int dropped_ = 0;
};

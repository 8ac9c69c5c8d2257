#include "platform/string_list.h"

#include <cerrno>
#include <new>

#include "platform/file_replace.h"
#include "platform/sjis.h"
#include "platform/sysutils.h"

void TStringList::Insert(int index, const std::string& line) {
    if (index < 0) index = 0;
    if (index > Count()) index = Count();
    lines_.insert(lines_.begin() + index, line);
}

void TStringList::Delete(int index) {
    if (index >= 0 && index < Count()) lines_.erase(lines_.begin() + index);
}

std::string TStringList::Text() const {
    std::string out;
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(const std::string& text) {
    lines_.clear();
    std::size_t start = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines_.emplace_back(text, start, i - start);
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n) lines_.emplace_back(text, start, n - start);
}

bool TStringList::LoadFromFile(const std::string& fileName) {
    std::string bytes;
    lines_.clear();
    if (!ReadFileBytes(fileName, bytes)) return false;
    SetText(bytes);
    return true;
}

bool TStringList::SaveToFile(const std::string& fileName) const {
    std::string bytes;
    try {
        bytes = Text();
    } catch (const std::bad_alloc&) {
        NoteWriteFailure(fileName, ReplacingFile::Failure::kWriteFailed, ENOMEM);
        return false;
    }
    return WriteFileBytes(fileName, bytes);
}

namespace {

bool IsBlank(unsigned char c) { return c >= 1 && c <= ' '; }

}  // namespace

void TStringList::SetCommaText(const std::string& text) {
    lines_.clear();
    // Work on a zero-terminated copy, as the rule treats NUL as the end.
    const std::string s = text.c_str();
    const std::size_t n = s.size();
    std::size_t p = 0;
    auto at = [&](std::size_t i) -> unsigned char {
        return i < n ? static_cast<unsigned char>(s[i]) : 0;
    };
    while (IsBlank(at(p))) ++p;
    while (at(p) != 0) {
        std::string item;
        if (at(p) == '"') {
            ++p;
            while (at(p) != 0) {
                if (at(p) == '"') {
                    if (at(p + 1) == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                // A lead byte takes its trail byte along, so a trail byte
                // equal to '"' does not end the item.
                const unsigned char c = at(p);
                item += static_cast<char>(c);
                ++p;
                if (IsSjisLeadByte(c) && at(p) != 0) {
                    item += static_cast<char>(at(p));
                    ++p;
                }
            }
        } else {
            const std::size_t start = p;
            while (at(p) > ' ' && at(p) != ',') ++p;
            item.assign(s, start, p - start);
        }
        lines_.push_back(item);
        while (IsBlank(at(p))) ++p;
        if (at(p) == ',') {
            if (at(p + 1) == 0) lines_.emplace_back();
            do {
                ++p;
            } while (IsBlank(at(p)));
        }
    }
}

std::string TStringList::CommaText() const {
    if (lines_.size() == 1 && lines_[0].empty()) return "\"\"";
    std::string out;
    for (std::size_t k = 0; k < lines_.size(); ++k) {
        if (k > 0) out += ',';
        const std::string& item = lines_[k];
        bool quote = false;
        for (unsigned char c : item)
            if (c <= ' ' || c == ',' || c == '"') quote = true;
        if (!quote) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

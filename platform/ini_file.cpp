#include "platform/ini_file.h"

#include <cstdlib>

#include "platform/string_list.h"
#include "platform/sysutils.h"

namespace {

bool SectionLine(const std::string& line, std::string& name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    name = Trim(t.substr(1, t.size() - 2));
    return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    value = line.substr(eq + 1);
    return !key.empty() && key[0] != ';';
}

bool SameName(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    TStringList lines;
    if (!lines.LoadFromFile(fileName_)) return defaultValue;
    bool inSection = false;
    for (int i = 0; i < lines.Count(); ++i) {
        std::string name, k, v;
        if (SectionLine(lines[i], name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyLine(lines[i], k, v) && SameName(k, key)) {
            v = Trim(v);
            if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                v = v.substr(1, v.size() - 2);
            return v;
        }
    }
    return defaultValue;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key,
                          int defaultValue) const {
    const std::string v = ReadString(section, key, "");
    if (v.empty()) return defaultValue;
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (end == v.c_str() || n > 2147483647L || n < -2147483647L - 1) return defaultValue;
    return static_cast<int>(n);
}

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    // A line break would end the entry inside the value and make the rest
    // a line of its own: such a value is not written (the old one stays).
    if (value.find_first_of("\r\n") != std::string::npos ||
        key.find_first_of("\r\n=") != std::string::npos)
        return false;
    TStringList lines;
    lines.LoadFromFile(fileName_);  // a missing file starts empty
    const std::string entry = key + "=" + value;
    int sectionAt = -1;
    for (int i = 0; i < lines.Count(); ++i) {
        std::string name, k, v;
        if (SectionLine(lines[i], name)) {
            if (sectionAt >= 0) {
                // The key was not in its section: add it at the section's end,
                // before any blank lines that separate it from the next one.
                int at = i;
                while (at - 1 > sectionAt && Trim(lines[at - 1]).empty()) --at;
                lines.Insert(at, entry);
                return lines.SaveToFile(fileName_);
            }
            if (SameName(name, section)) sectionAt = i;
        } else if (sectionAt >= 0 && KeyLine(lines[i], k, v) && SameName(k, key)) {
            lines[i] = entry;
            return lines.SaveToFile(fileName_);
        }
    }
    if (sectionAt < 0) {
        lines.Add("[" + section + "]");
        lines.Add(entry);
    } else {
        int at = lines.Count();
        while (at - 1 > sectionAt && Trim(lines[at - 1]).empty()) --at;
        lines.Insert(at, entry);
    }
    return lines.SaveToFile(fileName_);
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

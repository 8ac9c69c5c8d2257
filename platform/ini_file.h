// An ini file in the Windows format ("[SECTION]" lines, "KEY=value" lines,
// CR LF). Every write goes to disk at once, keeping the other lines of the
// file as they are. Section and key names match without regard to case.
#pragma once
#include <string>

class TIniFile {
  public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }

    // The value with blanks trimmed and one pair of surrounding quotes removed.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // False when the file cannot be written, or the value holds a line
    // break (which the format cannot hold; nothing is written then).
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);

  private:
    std::string fileName_;
};

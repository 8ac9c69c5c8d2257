// A list of text lines, the program's unit of text files: files are read
// whole and split at CR, LF or CR LF, and written whole with CR LF endings.
// Lines are CP932 bytes; file names are CP932 and converted for the OS.
#pragma once
#include <string>
#include <vector>

class TStringList {
  public:
    int Count() const { return static_cast<int>(lines_.size()); }
    std::string& operator[](int i) { return lines_[static_cast<std::size_t>(i)]; }
    const std::string& operator[](int i) const { return lines_[static_cast<std::size_t>(i)]; }
    void Add(const std::string& line) { lines_.push_back(line); }
    void Insert(int index, const std::string& line);
    void Delete(int index);
    void Clear() { lines_.clear(); }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR, LF or CR LF; a last line without an ending still counts.
    void SetText(const std::string& text);

    // False when the file cannot be read (the list is then empty).
    bool LoadFromFile(const std::string& fileName);
    // False when the file cannot be written.
    bool SaveToFile(const std::string& fileName) const;

    // The class library's comma rule: commas and blanks (bytes 1..32)
    // separate, double quotes group, "" inside quotes is one quote, and a
    // trailing comma adds an empty item.
    void SetCommaText(const std::string& text);
    // Items joined by commas; an item holding a blank, a comma or a quote is
    // quoted.
    std::string CommaText() const;

  private:
    std::vector<std::string> lines_;
};

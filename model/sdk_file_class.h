// TFrameFileClass: the exchange layer between this program's files and the
// outside calculation library.
//
// LoadFromFile reads a data file (the frame sections as WriteFrameDataFile
// writes them) into the library's input record; the object owns every table
// the record points to, so it must outlive the library's use of the record.
// SaveToFile writes the library's result record into the fourteen result
// files ".F11" ... ".F71" (library layout).
#pragma once

#include <string>
#include <vector>

#include "model/sdk_interface.h"

class TStringList;

class TFrameFileClass {
  public:
    TFrameFileClass() = default;
    TFrameFileClass(const TFrameFileClass&) = delete;
    TFrameFileClass& operator=(const TFrameFileClass&) = delete;

    // Clears data and fills it from fileName (CP932 name). False when the
    // file cannot be read, ends early, holds an integer or real that does
    // not parse, or announces a negative count; data is then cleared.
    bool LoadFromFile(const std::string& fileName, FR_SDK_MAINDATA& data);
    // The same from lines already in memory.
    bool LoadFromList(const TStringList& list, FR_SDK_MAINDATA& data);

    // Writes the fourteen files base + ".F11" ... (base: the data file name
    // without its extension). False for a null result, a table whose count
    // is negative or whose pointer is null while its count is not 0, and
    // when a file cannot be written (files written before stay).
    bool SaveToFile(const std::string& base, FR_SDK_MAINRES* result);

    bool ResultSetF11ToFile();
    bool ResultSetF12ToFile();
    bool ResultSetF21ToFile();
    bool ResultSetF22ToFile();
    bool ResultSetF31ToFile();
    bool ResultSetF32ToFile();
    bool ResultSetF33ToFile();
    bool ResultSetF41ToFile();
    bool ResultSetF42ToFile();
    bool ResultSetF51ToFile();
    bool ResultSetF52ToFile();
    bool ResultSetF61ToFile();
    bool ResultSetF62ToFile();
    bool ResultSetF71ToFile();

  private:
    void ClearTables();
    bool SaveLines(const TStringList& list, const char* ext) const;

    std::string resultFileName_;
    FR_SDK_MAINRES* result_ = nullptr;

    // Everything the input record points to.
    std::vector<FR_SDK_NODE> nodes_;
    std::vector<FR_SDK_MATERIAL> materials_;
    std::vector<FR_SDK_SECTION> sections_;
    std::vector<FR_SDK_MEMBER> members_;
    std::vector<FR_SDK_SPRINGCASE> springCases_;
    std::vector<std::vector<FR_SDK_SPRINGENTRY>> springEntries_;
    std::vector<FR_SDK_SUPPORTCASE> supportCases_;
    std::vector<std::vector<FR_SDK_SUPPORTENTRY>> supportEntries_;
    std::vector<FR_SDK_VIEW> view_;
    std::vector<FR_SDK_VIEWRANGE> viewRanges_;
    std::vector<FR_SDK_LOADCASE> loadCases_;
    std::vector<std::vector<FR_SDK_LOAD>> loads_;
    std::vector<FR_SDK_COMBINATION> combinations_;
    std::vector<std::vector<FR_SDK_COMBIENTRY>> combinationEntries_;
    std::vector<FR_SDK_PICKCASE> pickCases_;
    std::vector<std::int32_t> pickEntries_;
    std::vector<std::vector<double>> viewDistances_;
    std::vector<FR_SDK_VIEWMEMBER> viewMembers_;

    friend class SdkFileReader;
};

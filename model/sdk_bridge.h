// The bridge to the outside calculation library (FrameSDK.dll of the
// EXTFRAME product): finding the product's and the library's folders,
// writing the model as a data file, running the calculation through the
// companion program or the library, and reading the result files back into
// the results record.
//
// Folder names are CP932 with a final "/". Progress texts go to the
// engine's progress callback (the status panel); error texts are shown
// once through EngineMessage as 「FRAME.エラー：\n」 + text.
#pragma once

#include <string>
#include <vector>

#include "model/sdk_interface.h"

struct FrameModel;
struct FrameResults;

// The product's folder (must hold FrameIn.exe) and the library's folder
// (must hold FrameSDK.dll), each with a final "/"; "" until located.
extern std::string ProductFolder;
extern std::string SdkFolder;
// The program's folder as given to LocateExternalEngine: where
// "EXTFRAME.txt" and the companion program "@@@Vextor1S.exe" are looked
// for, and the current folder after a successful library call.
extern std::string ExternalProgramFolder;
// The input record handed to the library (filled by TFrameFileClass).
extern FR_SDK_MAINDATA SdkMainData;

// The standard places of the product and of the library, in the order
// they are tried (the last one that exists wins).
std::vector<std::string> DefaultProductFolderCandidates();
std::vector<std::string> DefaultSdkFolderCandidates();

// Sets ProductFolder and SdkFolder from "EXTFRAME.txt" in programFolder
// (line 1 the product's folder, line 2 the library's) and, for a folder
// that does not exist, from the candidates. True when both exist.
bool LocateExternalEngine(const std::string& programFolder);
bool LocateExternalEngine(const std::string& programFolder,
                          const std::vector<std::string>& productCandidates,
                          const std::vector<std::string>& sdkCandidates);

// The whole external calculation of model (the caller's analysis copy):
// expands it without distributed springs, writes the expansion as dataFile,
// has it calculated, reads the results back into results and maps them
// onto the model's members. False (message shown) on any failure; the
// results are then not filled.
bool CalculateWithExternalEngine(FrameResults& results, const std::string& dataFile,
                                 FrameModel& model);

// Calculates dataFile through the companion program when it exists in
// ExternalProgramFolder, else through the library. Keeps a ".bak" copy of
// the data file after a success. Returns the error text ("" on success);
// a non-empty one has been shown.
std::string RunExternalCalculation(const std::string& dataFile);

// Calculates dataFile through the library and writes the fourteen result
// files beside it. Returns the error text ("" on success), shown once.
std::string CallFrameSDKDll(const std::string& dataFile);

// Clears results and fills them from the data file (model echo) and its
// result files (".F31", ".F32", ".F21", ".F22", ".F11", ".F12"; ".O.." when
// the file name contains "-00"). Missing files are skipped. Blocks are
// taken in file order; anything beyond the record's tables is skipped.
void ReadExternalResults(FrameResults& results, const std::string& dataFile);

// The six result files ReadExternalResults reads for dataFile, in its
// order: member forces, displacements, reactions (load cases, then
// combinations each).
std::vector<std::string> ExternalResultFileNames(const std::string& dataFile);

// Copies the reaction rows of every load case onto the node results of the
// model's nodes (by number), then combines the reactions.
void CopyExternalReactions(FrameResults& results, const FrameModel& model);

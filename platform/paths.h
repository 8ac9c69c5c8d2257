// Where the program finds itself and keeps its shared data.
//
// The Windows program kept its data in "C:\ProgramData\DORAZO\<base>\"; here
// that folder is $XDG_DATA_HOME/DORAZO/<base>/ (by default
// ~/.local/share/DORAZO/<base>/). This is the one place that decides it.
#pragma once
#include <string>

// The folder of the running executable, with a final "/" (CP932).
std::string GetExeFolder();
// The executable's file name without folder and extension (CP932).
std::string GetExeBaseName();
// The user's own folder ($HOME) with a final "/" (CP932): where a new
// model is proposed to be saved when no file is open.
std::string GetUserFolder();
// The shared data folder for the given base name, with a final "/" (CP932).
// Not created here. "" when the user has no home folder to keep it in.
std::string GetSharedDataFolder(const std::string& baseName);
// True when dir is a folder (not a link) of the running user that nobody
// else may write (the user's own group aside): only then are settings read
// from it and written to it.
bool IsOwnPrivateFolder(const std::string& dir);

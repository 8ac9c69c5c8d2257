// Small run-time helpers over CP932 text and file names. File names are
// CP932 inside the program and UTF-8 for the operating system; "/" is the
// path separator.
#pragma once
#include <cstdint>
#include <string>

// Drops bytes 0..32 at both ends.
std::string Trim(const std::string& s);
// ASCII letters only; double-byte characters pass unchanged.
std::string UpperCase(const std::string& s);

// The folder part including its final "/", or "" when there is none.
std::string ExtractFilePath(const std::string& fileName);
std::string ExtractFileName(const std::string& fileName);
// Extension from the last "." of the name part, with the dot; "" when none.
std::string ExtractFileExt(const std::string& fileName);
// Replaces (or appends) the extension; ext includes the dot.
std::string ChangeFileExt(const std::string& fileName, const std::string& ext);

bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dir);
// What a name stands for on disk, found without opening it (opening a FIFO
// would wait for a writer): a link is followed, one that leads nowhere is
// BrokenLink, one in a loop of links LinkLoop; Other is a FIFO, a device or
// a socket.
enum class PathKind { Missing, RegularFile, Directory, BrokenLink, LinkLoop, Other };
PathKind GetPathKind(const std::string& fileName);
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& dir);
bool DeleteFile(const std::string& fileName);
// True when the file can be opened for writing (created when missing).
bool FileIsWritable(const std::string& fileName);

// Whole-file byte reads and writes; false on any failure. Only a regular
// file is read. A write replaces the file whole (platform/file_replace.h):
// on a failure the old file is left as it was.
bool ReadFileBytes(const std::string& fileName, std::string& bytes);
bool WriteFileBytes(const std::string& fileName, const std::string& bytes);

// The name with the working folder in front when it is relative (CP932).
std::string AbsoluteFileName(const std::string& fileName);

// CP932 name -> the name handed to the operating system.
std::string OsFileName(const std::string& fileName);

// Milliseconds from an arbitrary start, monotonic.
std::uint32_t GetTickCount();
void SleepMs(int ms);

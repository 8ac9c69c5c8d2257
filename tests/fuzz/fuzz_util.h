// Shared pieces of the fuzz targets: the input as the lines of a file, and
// a scratch file for the readers that take a file name.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/string_list.h"

inline std::string InputBytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline TStringList InputLines(const std::uint8_t* data, std::size_t size) {
    TStringList list;
    list.SetText(InputBytes(data, size));
    return list;
}

// A file of this process under the system's temporary folder, written
// with the input for each run (the readers open files by name).
inline const std::string& ScratchFile(const char* extension) {
    static const std::string name = [extension] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/vextor_fuzz_" +
               std::to_string(getpid()) + extension;
    }();
    static const bool removedAtExit = [] {
        return std::atexit([] { std::remove(name.c_str()); }) == 0;
    }();
    (void)removedAtExit;
    return name;
}

inline void WriteScratch(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

#include "platform/dynlib.h"

#include <dlfcn.h>

#include "platform/sysutils.h"

bool TDynLib::Load(const std::string& fileName) {
    handle_ = nullptr;
    error_.clear();
    // A name without a slash would make the loader search the system paths.
    std::string osName = OsFileName(fileName);
    if (osName.find('/') == std::string::npos) osName = "./" + osName;
    // RTLD_NOW: a library with unresolved symbols fails here, not at a call.
    handle_ = dlopen(osName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : "cannot load";
        return false;
    }
    return true;
}

void* TDynLib::Symbol(const char* name) {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : std::string(name) + ": not found";
    }
    return address;
}

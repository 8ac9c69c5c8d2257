// Loading a shared library at run time and looking up its entry points by
// name (the outside calculation library). A loaded library is never
// unloaded: its code may still be referenced by results it handed out.
#pragma once
#include <string>

class TDynLib {
  public:
    // Loads fileName (CP932 name; any file name, the ".dll" included, as
    // long as the file is a loadable library). False, with Error() set,
    // when it cannot be loaded. A second Load drops the handle of the first
    // without unloading it.
    bool Load(const std::string& fileName);
    bool IsLoaded() const { return handle_ != nullptr; }
    // The address of the exported symbol, or nullptr (Error() then says why).
    void* Symbol(const char* name);
    // The last failure text of the system loader (may be English ASCII).
    const std::string& Error() const { return error_; }

  private:
    void* handle_ = nullptr;
    std::string error_;
};

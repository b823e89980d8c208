#pragma once
// Loading libraries by name. A name written for the original platform
// ("Kvlanguage.dll") resolves to the shared library "Kvlanguage.so", looked
// for in the folders added with AddLibrarySearchPath, then beside the
// executable, then on the system's library path; the file name is matched
// without regard to case when no exact match exists.
#include <memory>
#include <string>
#include <string_view>

#include "platform/core/Automation.h"

namespace os {

// "X.dll" → "X.so"; a name without extension gains ".so".
std::string LibraryFileName(std::string_view name);
void AddLibrarySearchPath(std::string_view folder);

class TLibrary {
public:
    ~TLibrary();
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;

    // The loaded library, or null when it cannot be found or loaded; the
    // reason is then in LastLoadError().
    static std::unique_ptr<TLibrary> Load(std::string_view name);
    static std::string LastLoadError();

    // The address of an exported function, or null.
    void* GetProcAddress(std::string_view name) const;
    template <class F>
    F* GetProc(std::string_view name) const { return reinterpret_cast<F*>(GetProcAddress(name)); }
    const std::string& FileName() const { return FFileName; }

private:
    TLibrary(void* handle, std::string fileName) : FHandle(handle), FFileName(std::move(fileName)) {}
    void* FHandle;
    std::string FFileName;
};

// The full path of the loaded library (or executable) that contains the
// address; "" when the address belongs to none.
std::string ModuleFileName(const void* address);

// Creates an automation object from its class name ("Lib.Class"). When the
// class is not registered, the library named by the part before the first
// "." is loaded (and kept loaded) so that it can register its classes.
// Raises EOleError "Invalid class string" when the class stays unknown.
IAutoObjectPtr CreateOleObject(std::string_view className);

} // namespace os

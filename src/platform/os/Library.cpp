#include "platform/os/Library.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/os/Paths.h"

namespace os {

namespace {

thread_local std::string GLastLoadError;

std::mutex& SearchLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& SearchFolders()
{
    static std::vector<std::string> folders;
    return folders;
}

// The file in the folder whose name matches without regard to case (the
// exact name first); empty when the folder holds none.
std::string FindInFolder(const std::string& folder, const std::string& fileName)
{
    const std::string exact = folder + fileName;
    if (FileExists(exact)) return exact;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? std::string(".") : folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (SameText(name, fileName) && FileExists(folder + name)) return folder + name;
    }
    return {};
}

std::string DlError(const std::string& fallback)
{
    const char* err = ::dlerror();
    return err ? std::string(err) : fallback;
}

} // namespace

std::string LibraryFileName(std::string_view name)
{
    const std::string ext = ExtractFileExt(name);
    if (ext.empty()) return std::string(name) + ".so";
    if (SameText(ext, ".dll")) return ChangeFileExt(name, ".so");
    return std::string(name);
}

void AddLibrarySearchPath(std::string_view folder)
{
    if (folder.empty()) return;
    const std::string path = IncludeTrailingPathDelimiter(NativePath(folder));
    std::lock_guard guard(SearchLock());
    auto& folders = SearchFolders();
    for (const auto& f : folders)
        if (f == path) return;
    folders.push_back(path);
}

TLibrary::~TLibrary()
{
    if (FHandle) ::dlclose(FHandle);
}

std::unique_ptr<TLibrary> TLibrary::Load(std::string_view name)
{
    GLastLoadError.clear();
    const std::string fileName = NativePath(LibraryFileName(name));
    if (name.empty() || ExtractFileName(fileName).empty() || fileName == ".so") {
        GLastLoadError = "No library name given";
        return nullptr;
    }

    // A name with a folder is looked for there only; a bare name in the
    // search folders, beside the executable, then on the system's path.
    std::string found;
    const std::string folder = ExtractFilePath(fileName);
    if (!folder.empty()) {
        found = FindInFolder(folder, ExtractFileName(fileName));
        if (found.empty()) {
            GLastLoadError = fileName + ": cannot open shared object file: No such file or directory";
            return nullptr;
        }
    } else {
        std::vector<std::string> folders;
        {
            std::lock_guard guard(SearchLock());
            folders = SearchFolders();
        }
        folders.push_back(ExecutableDir());
        for (const auto& f : folders) {
            if (f.empty()) continue; // never the current folder by accident
            found = FindInFolder(f, fileName);
            if (!found.empty()) break;
        }
    }

    ::dlerror();
    void* handle = ::dlopen((found.empty() ? fileName : found).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        GLastLoadError = DlError(fileName + ": cannot be loaded");
        return nullptr;
    }
    return std::unique_ptr<TLibrary>(new TLibrary(handle, found.empty() ? fileName : found));
}

std::string TLibrary::LastLoadError() { return GLastLoadError; }

void* TLibrary::GetProcAddress(std::string_view name) const
{
    if (!FHandle || name.empty()) return nullptr;
    return ::dlsym(FHandle, std::string(name).c_str());
}

IAutoObjectPtr CreateOleObject(std::string_view className)
{
    TAutoObjectFactory factory = FindAutoClass(className);
    if (!factory) {
        const std::size_t dot = className.find('.');
        const std::string libraryName(className.substr(0, dot));
        if (dot != std::string_view::npos && !libraryName.empty()) {
            // Libraries loaded for their classes stay loaded for the rest of
            // the process: objects made from them may live anywhere. The list
            // is never destroyed, so no library is unloaded while the process
            // ends and the class registry may already be gone.
            // Recursive: a library's start-up code may create objects too.
            static std::recursive_mutex lock;
            static auto* loaded = new std::vector<std::pair<std::string, std::unique_ptr<TLibrary>>>();
            std::lock_guard guard(lock);
            bool known = false;
            for (const auto& entry : *loaded)
                if (SameText(entry.first, libraryName)) known = true;
            if (!known)
                if (auto lib = TLibrary::Load(libraryName)) loaded->emplace_back(libraryName, std::move(lib));
        }
        factory = FindAutoClass(className);
    }
    if (!factory) throw EOleError("Invalid class string");
    IAutoObjectPtr object = factory();
    if (!object) throw EOleError("Class '" + std::string(className) + "' created no object");
    return object;
}

std::string ModuleFileName(const void* address)
{
    Dl_info info{};
    if (!address || !::dladdr(address, &info) || !info.dli_fname) return "";
    std::error_code ec;
    const auto full = std::filesystem::weakly_canonical(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : full.string();
}

} // namespace os

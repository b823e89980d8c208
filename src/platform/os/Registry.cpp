#include "platform/os/Registry.h"

#include <cstdlib>

#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"
#include "platform/os/OsInternal.h"
#include "platform/os/Paths.h"

namespace os {

namespace {

// Set while GetACP reads the registry file, so that reading it does not ask
// for the system code page again.
thread_local bool GReadingSystemCodePage = false;

// A key path in one spelling: parts joined by "\", without empty parts.
std::string NormalizeKeyPath(std::string_view path)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < path.size()) {
        std::size_t end = pos;
        while (end < path.size() && !IsPathDelimiter(path[end])) ++end;
        const std::string part = Trim(path.substr(pos, end - pos));
        if (!part.empty()) {
            if (!out.empty()) out += '\\';
            out += part;
        }
        pos = end + 1;
    }
    return out;
}

// The value text without one pair of enclosing double quotes.
std::string StripDoubleQuotes(const std::string& value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

// The section of the file that holds the key's values (empty when there is
// none) and whether the key exists at all, perhaps only as a parent.
bool FindKey(const TIniFile& file, const std::string& path, std::string& section)
{
    section.clear();
    if (path.empty()) return false;
    TStringList sections;
    file.ReadSections(sections);
    bool exists = false;
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string name = NormalizeKeyPath(sections[i]);
        if (SameText(name, path)) {
            section = sections[i];
            return true;
        }
        if (name.size() > path.size() && name[path.size()] == '\\' && StartsText(path, name)) exists = true;
    }
    return exists;
}

} // namespace

namespace detail {

std::optional<int> ProfileCodePage()
{
    if (GReadingSystemCodePage) return std::nullopt;
    return GetACP();
}

} // namespace detail

std::string RegistryFileName()
{
    if (const char* name = std::getenv("ORVANE_REGISTRY"); name && *name) return NativePath(name);
    return ExecutableDir() + "registry.ini";
}

TRegistry::TRegistry(std::string rootKey) : FRootKey(NormalizeKeyPath(rootKey)) {}

std::string TRegistry::Section(std::string_view key) const
{
    const bool fromRoot = !FOpen || (!key.empty() && IsPathDelimiter(key.front()));
    return NormalizeKeyPath((fromRoot ? FRootKey : FCurrentKey) + "\\" + std::string(key));
}

bool TRegistry::OpenKeyReadOnly(std::string_view key)
{
    const std::string path = Section(key);
    TIniFile file(RegistryFileName());
    std::string section;
    if (!FindKey(file, path, section)) return false;
    FFile = std::move(file);
    FCurrentKey = path;
    FSection = std::move(section);
    FOpen = true;
    return true;
}

bool TRegistry::KeyExists(std::string_view key) const
{
    std::string section;
    return FindKey(TIniFile(RegistryFileName()), Section(key), section);
}

std::string TRegistry::CurrentPath() const
{
    if (!FOpen) return {};
    if (FCurrentKey.size() > FRootKey.size() && StartsText(FRootKey, FCurrentKey))
        return FCurrentKey.substr(FRootKey.size() + 1);
    return FCurrentKey;
}

void TRegistry::CloseKey()
{
    FOpen = false;
    FCurrentKey.clear();
    FSection.clear();
    FFile = TIniFile("");
}

bool TRegistry::ValueExists(std::string_view name) const
{
    if (!FOpen || FSection.empty()) return false;
    const TIniFile::TEntry* e = FFile.FindEntry(FSection, name);
    return e && e->HasValue;
}

std::string TRegistry::ReadString(std::string_view name) const
{
    if (!FOpen || FSection.empty()) return {};
    const TIniFile::TEntry* e = FFile.FindEntry(FSection, name);
    return e && e->HasValue ? StripDoubleQuotes(e->Value) : std::string();
}

void TRegistry::GetValueNames(TStringList& names) const
{
    names.Clear();
    if (!FOpen || FSection.empty()) return;
    TStringList keys;
    FFile.ReadSection(FSection, keys);
    for (int i = 0; i < keys.Count(); ++i)
        if (ValueExists(keys[i])) names.Add(keys[i]);
}

int GetACP()
{
    constexpr int DefaultCodePage = 936;
    const bool outer = !GReadingSystemCodePage;
    GReadingSystemCodePage = true;
    int codePage = DefaultCodePage;
    try {
        TRegistry reg("HKEY_LOCAL_MACHINE");
        if (reg.OpenKeyReadOnly("\\System\\CurrentControlSet\\Control\\Nls\\CodePage")) {
            const auto value = TryStrToInt(Trim(reg.ReadString("ACP")));
            if (value && *value > 0) codePage = *value;
        }
    } catch (...) {
        // An unreadable registry leaves the default.
    }
    if (outer) GReadingSystemCodePage = false;
    return codePage;
}

} // namespace os

#pragma once
// The read-only registry. It is a text file in INI form whose sections are
// full key paths ("[HKEY_LOCAL_MACHINE\Software\KVT\Orvane]") and whose lines
// are "Name=Value" string values. The file is named by the environment
// variable ORVANE_REGISTRY; without it, "registry.ini" beside the executable.
// The file is read each time a key is opened, so every use sees it as it is.
// Key paths compare without regard to case and may be written with "\" or
// "/"; a key that only appears as the parent of other keys exists too.
// Values lose one pair of enclosing double quotes.
#include <string>
#include <string_view>

#include "platform/os/IniFile.h"

class TStringList;

namespace os {

std::string RegistryFileName();

class TRegistry {
public:
    explicit TRegistry(std::string rootKey = "HKEY_LOCAL_MACHINE");

    // True when the key exists; then its values can be read until CloseKey.
    // A key starting with a separator is taken from the root key, any other
    // from the open key (from the root key when none is open). A key that
    // cannot be opened leaves the open one as it was.
    bool OpenKeyReadOnly(std::string_view key);
    bool KeyExists(std::string_view key) const;
    // The open key's full path below the root, empty when none is open.
    std::string CurrentPath() const;
    void CloseKey();
    bool IsOpen() const { return FOpen; }

    bool ValueExists(std::string_view name) const;
    // The value's text; empty when the key is not open or the value is absent.
    std::string ReadString(std::string_view name) const;
    void GetValueNames(TStringList& names) const;

private:
    std::string Section(std::string_view key) const;

    std::string FRootKey;
    std::string FCurrentKey; // full path, root key included
    std::string FSection;    // the file's section holding the open key's values
    bool FOpen = false;
    TIniFile FFile{""};
};

// The system's ANSI code page: value ACP of
// HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Nls\CodePage, 936 when
// absent or not a positive number.
int GetACP();

} // namespace os

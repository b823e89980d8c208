#pragma once
// Reading INI files with the private-profile rules of the original platform:
// sections and keys compare without regard to case, the first of duplicate
// sections or keys wins, values are trimmed and lose one pair of enclosing
// quotes, lines starting with ";" are comments, an absent file or key gives
// the default. Files are UTF-8; a file that is not valid UTF-8 is read in the
// system code page.
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TStringList;

namespace os {

class TIniFile {
public:
    // Reads and parses the file at once; an unreadable file reads as empty.
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }
    bool FileFound() const { return FFound; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The integer the value spells (decimal, "$" or "0x" hexadecimal), or the
    // default when the value is absent or not a whole integer.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // "0" is false, any other integer true; a value that is no integer gives
    // the default.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // The Read* lists below replace the list's contents. A name that occurs
    // more than once is listed once, where it first occurs.
    // Key names of the section, in file order (lines without "=" count as
    // keys; their value reads as the default).
    void ReadSection(std::string_view section, TStringList& keys) const;
    // "name=value" lines of the section, in file order.
    void ReadSectionValues(std::string_view section, TStringList& lines) const;
    void ReadSections(TStringList& sections) const;

private:
    // The registry reads the same file form with its own quoting rule.
    friend class TRegistry;

    struct TEntry {
        std::string Key;
        std::string Value; // trimmed, enclosing quotes still in place
        bool HasValue;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
    };
    const TSection* FindSection(std::string_view section) const;
    const TEntry* FindEntry(std::string_view section, std::string_view key) const;

    std::string FFileName;
    bool FFound = false;
    std::vector<TSection> FSections;
};

} // namespace os

#include "platform/os/IniFile.h"

#include "platform/core/Exceptions.h"
#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"
#include "platform/os/CodePage.h"
#include "platform/os/OsInternal.h"
#include "platform/os/Paths.h"

namespace os {

namespace {

// The text with every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string LenientUtf8(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        std::size_t want = b0 < 0x80 ? 1 : (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : (b0 & 0xF8) == 0xF0 ? 4 : 1;
        std::size_t n = 1;
        while (n < want && i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
        const std::string_view piece = s.substr(i, n);
        out += IsValidUtf8(piece) ? piece : std::string_view("\xEF\xBF\xBD");
        i += n;
    }
    return out;
}

// Text of a profile file as UTF-8: the byte-order mark is dropped, and a
// file that is not valid UTF-8 is decoded from the system code page.
std::string ProfileText(std::string bytes)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (IsValidUtf8(bytes)) return bytes;
    const std::optional<int> codePage = detail::ProfileCodePage();
    if (!codePage) return bytes;
    try {
        return DecodeFromCodePage(bytes, *codePage);
    } catch (const EPlatformError&) {
        // No conversion for the system code page: keep what is UTF-8 and
        // mark the rest as unreadable.
        return LenientUtf8(bytes);
    }
}

// Removes one pair of matching enclosing quotes.
std::string StripQuotes(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName))
{
    std::string bytes;
    FFound = !FFileName.empty() && ReadFileBytes(FFileName, bytes);
    if (!FFound) return;
    const std::string text = ProfileText(std::move(bytes));

    // Entries of a repeated section are dropped: lookups find the first one
    // only, so listing its keys under the section would be misleading.
    TSection* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(std::string_view(text).substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;

        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const std::size_t close = line.rfind(']');
            if (close == std::string::npos) continue; // not a section header
            std::string name = Trim(std::string_view(line).substr(1, close - 1));
            if (FindSection(name)) {
                current = nullptr;
            } else {
                FSections.push_back(TSection{std::move(name), {}});
                current = &FSections.back();
            }
            continue;
        }
        if (!current) continue; // before any section, or in a repeated one

        const std::size_t eq = line.find('=');
        TEntry entry;
        if (eq == std::string::npos) {
            entry = TEntry{line, {}, false};
        } else {
            entry = TEntry{Trim(std::string_view(line).substr(0, eq)), Trim(std::string_view(line).substr(eq + 1)), true};
        }
        if (entry.Key.empty()) continue;
        current->Entries.push_back(std::move(entry));
    }
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view section) const
{
    const std::string name = Trim(section);
    for (const auto& s : FSections)
        if (SameText(s.Name, name)) return &s;
    return nullptr;
}

const TIniFile::TEntry* TIniFile::FindEntry(std::string_view section, std::string_view key) const
{
    const TSection* s = FindSection(section);
    if (!s) return nullptr;
    const std::string name = Trim(key);
    for (const auto& e : s->Entries)
        if (SameText(e.Key, name)) return &e;
    return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const TEntry* e = FindEntry(section, key);
    if (!e || !e->HasValue) return std::string(defaultValue);
    return StripQuotes(e->Value);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    const TEntry* e = FindEntry(section, key);
    if (!e || !e->HasValue) return defaultValue;
    return TryStrToInt(Trim(StripQuotes(e->Value))).value_or(defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    const TEntry* e = FindEntry(section, key);
    if (!e || !e->HasValue) return defaultValue;
    const auto v = TryStrToInt(Trim(StripQuotes(e->Value)));
    return v ? *v != 0 : defaultValue;
}

bool TIniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindEntry(section, key) != nullptr;
}

void TIniFile::ReadSection(std::string_view section, TStringList& keys) const
{
    keys.Clear();
    const TSection* s = FindSection(section);
    if (!s) return;
    for (const auto& e : s->Entries)
        if (FindEntry(s->Name, e.Key) == &e) keys.Add(e.Key);
}

void TIniFile::ReadSectionValues(std::string_view section, TStringList& lines) const
{
    lines.Clear();
    const TSection* s = FindSection(section);
    if (!s) return;
    for (const auto& e : s->Entries)
        if (FindEntry(s->Name, e.Key) == &e) lines.Add(e.Key + "=" + (e.HasValue ? StripQuotes(e.Value) : std::string()));
}

void TIniFile::ReadSections(TStringList& sections) const
{
    sections.Clear();
    for (const auto& s : FSections) sections.Add(s.Name);
}

} // namespace os

#include "platform/core/StringList.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

TStringList::TStringList(std::initializer_list<std::string> items)
{
    for (const auto& s : items) Add(s);
}

void TStringList::CheckIndex(int index, bool allowEnd) const
{
    if (index < 0 || index > Count() || (!allowEnd && index == Count()))
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TStringList::operator[](int index) const
{
    CheckIndex(index);
    return FItems[index].Text;
}

void TStringList::Put(int index, std::string s)
{
    CheckIndex(index);
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    FItems[index].Text = std::move(s);
}

TObject* TStringList::Objects(int index) const
{
    CheckIndex(index);
    return FItems[index].Object;
}

void TStringList::PutObject(int index, TObject* obj)
{
    CheckIndex(index);
    FItems[index].Object = obj;
}

int TStringList::Compare(std::string_view a, std::string_view b) const
{
    if (FCaseSensitive) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    return CompareText(a, b);
}

bool TStringList::Find(std::string_view s, int& index) const
{
    // Binary search of a sorted list; index is the first position not less than s.
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(FItems[mid].Text, s);
        if (c < 0) lo = mid + 1;
        else {
            hi = mid - 1;
            if (c == 0) found = true;
        }
    }
    index = lo;
    return found;
}

int TStringList::Add(std::string s) { return AddObject(std::move(s), nullptr); }

int TStringList::AddObject(std::string s, TObject* obj)
{
    int index = Count();
    if (FSorted) {
        if (Find(s, index)) {
            if (Duplicates == TDuplicates::dupIgnore) return index;
            if (Duplicates == TDuplicates::dupError) throw EListError("String list does not allow duplicates");
        }
    }
    FItems.insert(FItems.begin() + index, TItem{std::move(s), obj});
    return index;
}

void TStringList::Insert(int index, std::string s)
{
    if (FSorted) throw EListError("Operation not allowed on sorted list");
    CheckIndex(index, true);
    FItems.insert(FItems.begin() + index, TItem{std::move(s), nullptr});
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    FItems.erase(FItems.begin() + index);
}

void TStringList::Clear() { FItems.clear(); }

void TStringList::Assign(const TStringList& other)
{
    if (this == &other) return;
    FItems = other.FItems;
    FSorted = other.FSorted;
    FCaseSensitive = other.FCaseSensitive;
    Duplicates = other.Duplicates;
    Delimiter = other.Delimiter;
    QuoteChar = other.QuoteChar;
}

void TStringList::AddStrings(const TStringList& other)
{
    const auto copy = other.FItems; // other may be this list
    for (const auto& item : copy) AddObject(item.Text, item.Object);
}

int TStringList::IndexOf(std::string_view s) const
{
    if (FSorted) {
        int index;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(FItems[i].Text, s) == 0) return i;
    return -1;
}

std::string TStringList::Names(int index) const
{
    const std::string& s = (*this)[index];
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const
{
    const std::string& s = (*this)[index];
    const auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = FItems[i].Text;
        const auto eq = s.find('=');
        if (eq != std::string::npos && Compare(std::string_view(s).substr(0, eq), name) == 0) return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(std::string_view name, const std::string& value)
{
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + value;
    if (i < 0) Add(std::move(line));
    else if (FSorted) {
        Delete(i);
        Add(std::move(line));
    } else FItems[i].Text = std::move(line);
}

std::string TStringList::Text() const
{
    std::string out;
    for (const auto& item : FItems) {
        out += item.Text;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(std::string_view text)
{
    Clear();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') ++j;
        Add(std::string(text.substr(i, j - i)));
        if (j < text.size() && text[j] == '\r') ++j;
        if (j < text.size() && text[j] == '\n') ++j;
        i = j;
    }
}

std::string TStringList::Joined(char delimiter, char quote) const
{
    if (Count() == 1 && FItems[0].Text.empty()) return std::string(2, quote);
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = FItems[i].Text;
        const bool needsQuotes =
            s.find_first_of(std::string{' ', delimiter, quote, '\t', '\r', '\n'}) != std::string::npos;
        if (i > 0) out += delimiter;
        if (!needsQuotes) {
            out += s;
            continue;
        }
        out += quote;
        for (char c : s) {
            out += c;
            if (c == quote) out += quote;
        }
        out += quote;
    }
    return out;
}

void TStringList::SplitDelimited(std::string_view text, char delimiter, char quote)
{
    // Items are separated by the delimiter or by blanks; a quoted item may hold
    // both, with a doubled quote standing for one quote character.
    Clear();
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        std::string item;
        if (text[i] == quote) {
            ++i;
            while (i < text.size()) {
                if (text[i] == quote) {
                    if (i + 1 < text.size() && text[i + 1] == quote) {
                        item += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != delimiter && static_cast<unsigned char>(text[i]) > ' ')
                item += text[i++];
        }
        Add(std::move(item));
        skipBlanks();
        if (i < text.size() && text[i] == delimiter) {
            ++i;
            skipBlanks();
            if (i >= text.size()) Add(std::string());
        }
    }
}

std::string TStringList::CommaText() const { return Joined(',', '"'); }
void TStringList::SetCommaText(std::string_view text) { SplitDelimited(text, ',', '"'); }
std::string TStringList::DelimitedText() const { return Joined(Delimiter, QuoteChar); }
void TStringList::SetDelimitedText(std::string_view text) { SplitDelimited(text, Delimiter, QuoteChar); }

void TStringList::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const TItem& a, const TItem& b) { return Compare(a.Text, b.Text) < 0; });
}

void TStringList::SetSorted(bool value)
{
    if (value && !FSorted) Sort();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (value == FCaseSensitive) return;
    FCaseSensitive = value;
    if (FSorted) Sort();
}

bool TStringList::operator==(const TStringList& other) const
{
    if (Count() != other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (FItems[i].Text != other.FItems[i].Text) return false;
    return true;
}

std::vector<std::string> TStringList::ToVector() const
{
    std::vector<std::string> v;
    v.reserve(FItems.size());
    for (const auto& item : FItems) v.push_back(item.Text);
    return v;
}

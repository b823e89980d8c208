#pragma once
// TStringList: an ordered list of texts, each with an optional associated
// object pointer, with "name=value" access, sorting and duplicate control.
#include <string>
#include <string_view>
#include <vector>

class TObject;

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> items);

    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const;   // raises EListError out of range
    const std::string& Strings(int index) const { return (*this)[index]; }
    void Put(int index, std::string s);
    TObject* Objects(int index) const;
    void PutObject(int index, TObject* obj);

    // Add returns the index of the new line (the existing one when a sorted
    // list ignores a duplicate); raises EListError for a duplicate when
    // Duplicates is dupError.
    int Add(std::string s);
    int AddObject(std::string s, TObject* obj);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Clear();
    void Assign(const TStringList& other);
    void AddStrings(const TStringList& other);
    // Sorted lists search by comparison, others in order; CaseSensitive
    // decides how texts compare.
    int IndexOf(std::string_view s) const;

    // "name=value" lines: Names(i) is the part before the first "=", empty
    // when the line holds none; Values(name) the part after it for the first
    // line whose name matches without regard to case.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    std::string Values(std::string_view name) const;
    void SetValue(std::string_view name, const std::string& value); // empty value deletes the line
    int IndexOfName(std::string_view name) const;

    // All lines, each ended by a line break; assigning splits at CR LF, LF or CR.
    std::string Text() const;
    void SetText(std::string_view text);
    // Comma-separated form; lines holding blanks, commas or quotes are quoted.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    // Lines joined by Delimiter, quoted with QuoteChar where needed.
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    void Sort();
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);
    TDuplicates Duplicates = TDuplicates::dupAccept;
    char Delimiter = ',';
    char QuoteChar = '"';

    bool operator==(const TStringList& other) const;
    std::vector<std::string> ToVector() const;

private:
    struct TItem {
        std::string Text;
        TObject* Object = nullptr;
    };
    int Compare(std::string_view a, std::string_view b) const;
    bool Find(std::string_view s, int& index) const;
    void CheckIndex(int index, bool allowEnd = false) const;
    std::string Joined(char delimiter, char quote) const;
    void SplitDelimited(std::string_view text, char delimiter, char quote);

    std::vector<TItem> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
};

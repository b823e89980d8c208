#include "runtime/LibStrs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/core/Properties.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DataSet.h"
#include "platform/os/CodePage.h"
#include "platform/os/Registry.h"
#include "platform/os/System.h"
#include "runtime/MoxenGeneratorU.h"

// Text fields ---------------------------------------------------------------

std::string GetField(const std::string& Text, const std::string& Sep, int N)
{
    if (N < 1) return std::string();
    if (Sep.empty()) return N == 1 ? Text : std::string();
    std::size_t start = 0;
    for (int field = 1; field < N; ++field) {
        const std::size_t pos = Text.find(Sep, start);
        if (pos == std::string::npos) return std::string();
        start = pos + Sep.size();
    }
    const std::size_t end = Text.find(Sep, start);
    return Text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string CutField(std::string& Text, const std::string& Sep)
{
    const std::size_t pos = Sep.empty() ? std::string::npos : Text.find(Sep);
    std::string head;
    if (pos == std::string::npos) {
        head.swap(Text);
        return head;
    }
    head = Text.substr(0, pos);
    Text.erase(0, pos + Sep.size());
    return head;
}

int CountFields(const std::string& Text, const std::string& Sep)
{
    if (Text.empty()) return 0;
    if (Sep.empty()) return 1;
    int count = 1;
    for (std::size_t pos = Text.find(Sep); pos != std::string::npos; pos = Text.find(Sep, pos + Sep.size())) ++count;
    return count;
}

std::string ReplaceText(const std::string& Text, const std::string& Old, const std::string& New, bool Trim)
{
    if (SameText(Old, New) || Old.empty()) return Text;
    std::string result = Text;
    if (New.find(Old) != std::string::npos) {
        // Searching again from the start would never end when the new text
        // holds the old one; replace each occurrence once, left to right.
        for (std::size_t pos = result.find(Old); pos != std::string::npos; pos = result.find(Old, pos + New.size()))
            result.replace(pos, Old.size(), New);
    } else {
        // Each search conceptually starts again at the beginning. Nothing
        // before the last replacement changed and it held no occurrence, so
        // the next one cannot start earlier than Old.size() - 1 characters
        // before that place; starting there finds the same occurrence.
        for (std::size_t pos = result.find(Old); pos != std::string::npos;) {
            result.replace(pos, Old.size(), New);
            pos = result.find(Old, pos >= Old.size() - 1 ? pos - (Old.size() - 1) : 0);
        }
    }
    return Trim ? ::Trim(result) : result;
}

std::u16string JoinCounted(const std::string& Prefix, const Variant& Items)
{
    const std::string sep(1, '\x03');
    std::string text = Prefix + sep + Items[0].AsString() + sep;
    const int count = Items[0].AsInteger();
    for (int i = 1; i <= count; ++i) text += Items[i].AsString() + sep;
    return Utf8ToUtf16(text);
}

std::string DialogButtonCaption(const std::string& Name)
{
    static const struct {
        const char* Name;
        const char* Caption;
    } captions[] = {
        {"Yes", "是(&Y)"},       {"No", "否(&N)"},       {"OK", "确定"},           {"Cancel", "取消"},
        {"Abort", "中断(&A)"},   {"Retry", "重试(&R)"},  {"Ignore", "忽略(&I)"},   {"All", "全部(&A)"},
        {"NoToAll", "全否(&o)"}, {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},
    };
    for (const auto& c : captions)
        if (Name == c.Name) return c.Caption;
    return Name;
}

// Dates ---------------------------------------------------------------------

namespace {

std::string SepChar(const std::string& Sep) { return Sep.empty() ? std::string() : Sep.substr(0, 1); }

// Decodes a date of the years 1 to 9999; anything else (including NaN and
// infinities) is no date, so the callers give the empty text instead of
// printing a year 0 or a five-digit year.
bool DecodeValidDate(TDateTime Date, int& Year, int& Month, int& Day)
{
    constexpr double MinDate = -693593.0; // 0001-01-01
    constexpr double MaxDate = 2958466.0; // 10000-01-01, excluded
    if (!std::isfinite(Date) || Date <= MinDate - 1 || Date >= MaxDate) return false;
    DecodeDate(Date, Year, Month, Day);
    return Year >= 1 && Year <= 9999;
}

} // namespace

std::string FormatDateByType(int Type, const std::string& Sep, TDateTime Date)
{
    int y, m, d;
    if (Date == 0 || Type < 1 || Type > 5 || !DecodeValidDate(Date, y, m, d)) return std::string();
    const Variant sep(SepChar(Sep));
    switch (Type) {
    case 1: return Format("%.4d%s%.2d%s%.2d", {y, sep, m, sep, d});
    case 2: return Format("%.2d%s%.2d%s%.4d", {m, sep, d, sep, y});
    case 3: return Format("%.2d%s%.2d%s%.4d", {d, sep, m, sep, y});
    case 4: return Format("%.2d%s%.2d%s%.2d", {y - 1911, sep, m, sep, d});
    default: return Format("%.3d%s%.2d%s%.2d", {y - 1911, sep, m, sep, d});
    }
}

std::string FormatYearMonthByType(int Type, const std::string& Sep, TDateTime Date)
{
    int y, m, d;
    if (Date == 0 || Type < 1 || Type > 5 || !DecodeValidDate(Date, y, m, d)) return std::string();
    const Variant sep(SepChar(Sep));
    switch (Type) {
    case 1: return Format("%.4d%s%.2d", {y, sep, m});
    case 2:
    case 3: return Format("%.2d%s%.4d", {m, sep, y});
    case 4: return Format("%.2d%s%.2d", {y - 1911, sep, m});
    default: return Format("%.3d%s%.2d", {y - 1911, sep, m});
    }
}

TDateTime ParseDateByType(const std::string& Text, int Type, const std::string& Sep)
{
    if (Trim(Text).empty()) return 0;
    std::string rest = Text;
    const std::string sep = SepChar(Sep);
    int f[3];
    for (int& field : f) field = TryStrToInt(Trim(CutField(rest, sep))).value_or(-1);
    if (f[0] <= 0 || f[1] <= 0 || f[2] <= 0 || Type < 1 || Type > 5) return 0;
    // The year in 64 bits: a huge Republic-of-China year plus 1911 must
    // fail the date check, not overflow.
    std::int64_t year;
    int month, day;
    switch (Type) {
    case 1: year = f[0]; month = f[1]; day = f[2]; break;
    case 2: year = f[2]; month = f[0]; day = f[1]; break;
    case 3: year = f[2]; month = f[1]; day = f[0]; break;
    default: year = std::int64_t{f[0]} + 1911; month = f[1]; day = f[2]; break;
    }
    TDateTime first;
    if (year > 9999 || !TryEncodeDate(static_cast<int>(year), month, 1, first)) return 0;
    // The day is not checked against the month: day 31 of a 30-day month
    // runs into the next month.
    return first + (day - 1);
}

TDateTime Date8ToDate(const std::string& Text)
{
    if (Text.size() != 8) return 0;
    const int y = StrToIntDef(Text.substr(0, 4), 0);
    const int m = StrToIntDef(Text.substr(4, 2), 0);
    const int d = StrToIntDef(Text.substr(6, 2), 0);
    TDateTime result;
    if (y == 0 || m == 0 || d == 0 || !TryEncodeDate(y, m, d, result)) return 0;
    return result;
}

bool IsValidDate8(const std::string& Text)
{
    if (Text.empty()) return true;
    const int y = StrToIntDef(Text.substr(0, 4), 0);
    const int m = Text.size() > 4 ? StrToIntDef(Text.substr(4, 2), 0) : 0;
    const int d = Text.size() > 6 ? StrToIntDef(Text.substr(6, 2), 0) : 0;
    TDateTime unused;
    return TryEncodeDate(y, m, d, unused) && Text >= "17530101" && Text <= "99991231";
}

std::string ShiftDate8(const Variant& Value, const std::string& Unit, int N)
{
    TDateTime date = 0;
    if (VarIsStr(Value)) {
        try {
            date = Date8ToDate(Value.AsString());
        } catch (const EPlatformError&) {
            return std::string();
        }
    } else if (Value.Type() == varDate) date = Value.AsDateTime();
    else return std::string();
    int y, m, d;
    if (date == 0 || !DecodeValidDate(date, y, m, d)) return std::string();

    TDateTime result;
    const std::string unit = UpperCase(Unit);
    if (unit == "Y") {
        const std::int64_t year = std::int64_t{y} + N;
        if (year < 1 || year > 9999) return std::string();
        d = std::min(d, DaysInMonth(static_cast<int>(year), m));
        if (!TryEncodeDate(static_cast<int>(year), m, d, result)) return std::string();
    } else if (unit == "M") {
        const long total = static_cast<long>(y) * 12 + m + N;
        long month = total % 12, year = total / 12;
        if (month == 0) {
            month = 12;
            year -= 1;
        }
        if (year < 1 || year > 9999) return std::string();
        d = std::min(d, DaysInMonth(static_cast<int>(year), static_cast<int>(month)));
        if (!TryEncodeDate(static_cast<int>(year), static_cast<int>(month), d, result)) return std::string();
    } else if (unit == "D") {
        result = std::trunc(date) + N;
        int ry, rm, rd;
        if (!DecodeValidDate(result, ry, rm, rd)) return std::string();
    } else {
        return std::string();
    }
    return FormatDateTime("yyyymmdd", result);
}

int DaysInMonth(int Year, int Month) { return DaysInAMonth(Year, Month); }

// Numbers and variants ------------------------------------------------------

int CompareFloat(double A, double B)
{
    // Both sides go through their shortest decimal text first, so values that
    // print alike compare alike whatever binary noise they carry.
    const double a = TryStrToFloat(FloatToStr(A)).value_or(A);
    const double b = TryStrToFloat(FloatToStr(B)).value_or(B);
    if (std::fabs(a - b) < 1e-10) return 0;
    return a < b ? -1 : 1;
}

double StrToFloatDefault(const std::string& Text, double Default) { return TryStrToFloat(Text).value_or(Default); }

Variant IfThenVar(bool Flag, const Variant& A, const Variant& B) { return Flag ? A : B; }

bool VarIsEmptyOrNull(const Variant& V) { return V.IsEmpty() || V.IsNull(); }

bool IsLocalHost(const std::string& Address) { return Address == "127.0.0.1"; }

std::string GetTempDir() { return os::GetTempPath(); }

// String kinds --------------------------------------------------------------

std::string WideToAnsiCP(const std::u16string& Text, int CodePage) { return Utf16ToUtf8(Text); }

std::u16string AnsiToWideCP(const std::string& Text, int CodePage) { return Utf8ToUtf16(Text); }

namespace {

// Converts the strings of V in place, element by element, so that after a
// failure everything before the failing element is already converted.
// toWide: wide strings (and a single 8-bit string) become wide strings
// checked through the 8-bit form; otherwise they become 8-bit strings.
void ConvertStrings(Variant& V, int CodePage, bool toWide, bool topLevel)
{
    if (V.IsArray()) {
        TVarArray& array = V.AsArray();
        for (Variant& item : array.Items()) {
            if (item.IsWideString())
                item = toWide ? Variant(AnsiToWideCP(WideToAnsiCP(item.AsWideString(), CodePage), CodePage))
                              : Variant(WideToAnsiCP(item.AsWideString(), CodePage));
            else if (item.IsArray() && array.DimCount() == 1)
                ConvertStrings(item, CodePage, toWide, false);
        }
        return;
    }
    if (!topLevel || !VarIsStr(V)) return;
    // An 8-bit string is first widened, then brought to the wanted kind.
    const std::u16string wide = V.IsWideString() ? V.AsWideString() : AnsiToWideCP(V.AsString(), CodePage);
    V = toWide ? Variant(AnsiToWideCP(WideToAnsiCP(wide, CodePage), CodePage)) : Variant(WideToAnsiCP(wide, CodePage));
}

Variant ConvertVariant(const Variant& V, int CodePage, bool toWide, const char* alertPrefix)
{
    Variant result = V;
    if (VarIsEmptyOrNull(V)) return result;
    try {
        ConvertStrings(result, CodePage, toWide, true);
    } catch (const std::exception& e) {
        WriteAlertLog("libstrs", alertPrefix + std::string(e.what()), "D");
    } catch (...) {
        WriteAlertLog("libstrs", alertPrefix + std::string("unknown error"), "D");
    }
    return result;
}

} // namespace

Variant VarWideToAnsi(const Variant& V, int CodePage) { return ConvertVariant(V, CodePage, false, "LINE[2735] "); }

Variant VarAnsiToWide(const Variant& V, int CodePage) { return ConvertVariant(V, CodePage, true, "LINE[115] "); }

// Published properties by name ----------------------------------------------

namespace {

const TPropInfo* FindProp(const TObject* Component, const std::string& Name, bool (*kindOk)(const TPropInfo&))
{
    const TPropInfo* p = GetPropInfo(Component, Name);
    return p && kindOk(*p) ? p : nullptr;
}

bool IsStr(const TPropInfo& p) { return p.Kind == TTypeKind::tkString; }
bool IsOrd(const TPropInfo& p) { return p.IsOrdinal(); }
bool IsMethod(const TPropInfo& p) { return p.Kind == TTypeKind::tkMethod; }

} // namespace

bool HasProperty(const TObject* Component, const std::string& Name) { return GetPropInfo(Component, Name) != nullptr; }

std::string GetStrPropByName(const TObject* Component, const std::string& Name)
{
    const TPropInfo* p = FindProp(Component, Name, IsStr);
    return p && p->GetStr ? p->GetStr(*Component) : std::string();
}

void SetStrPropByName(TObject* Component, const std::string& Name, const std::string& Value)
{
    if (const TPropInfo* p = FindProp(Component, Name, IsStr); p && p->SetStr) p->SetStr(*Component, Value);
}

std::int64_t GetOrdPropByName(const TObject* Component, const std::string& Name)
{
    const TPropInfo* p = FindProp(Component, Name, IsOrd);
    return p && p->GetOrd ? p->GetOrd(*Component) : 0;
}

void SetOrdPropByName(TObject* Component, const std::string& Name, std::int64_t Value)
{
    if (const TPropInfo* p = FindProp(Component, Name, IsOrd); p && p->SetOrd) p->SetOrd(*Component, Value);
}

TMethod GetMethodPropByName(const TObject* Component, const std::string& Name)
{
    const TPropInfo* p = FindProp(Component, Name, IsMethod);
    return p && p->GetMethod ? p->GetMethod(*Component) : TMethod{};
}

void SetMethodPropByName(TObject* Component, const std::string& Name, const TMethod& Value)
{
    if (const TPropInfo* p = FindProp(Component, Name, IsMethod); p && p->SetMethod) p->SetMethod(*Component, Value);
}

// Dataset fields ------------------------------------------------------------

bool SetFieldText(TField* Field, const std::string& Text, bool UseEditText)
{
    if (!Field) return false;
    struct TRestoreReadOnly {
        TField* F;
        bool Saved;
        ~TRestoreReadOnly() { F->ReadOnly = Saved; }
    } restore{Field, Field->ReadOnly};
    Field->ReadOnly = false;
    const TFieldType type = Field->DataType();
    if (UseEditText && (type == TFieldType::ftSmallint || type == TFieldType::ftInteger || type == TFieldType::ftFloat)) {
        Field->SetEditText(Text);
        return true;
    }
    std::string value = Text;
    // Only string fields have a size in bytes; number fields report 0 and
    // must not lose their text.
    if (type == TFieldType::ftString && Field->Size() > 0) {
        const int cp = os::GetACP();
        if (Field->Size() < os::CodePageByteLength(value, cp))
            value = os::TruncateToCodePageBytes(value, Field->Size(), cp);
    }
    Field->SetAsString(value);
    return true;
}

void SetFieldTextQuiet(TField* Field, const std::string& Text, bool UseEditText)
{
    if (!Field) return;
    struct TRestoreValidate {
        TField* F;
        TFieldNotifyEvent Saved;
        ~TRestoreValidate() { F->OnValidate = Saved; }
    } restore{Field, Field->OnValidate};
    Field->OnValidate = nullptr;
    SetFieldText(Field, Text, UseEditText);
}

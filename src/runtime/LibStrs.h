#pragma once
// The string, date and number library of the forms and services: separated
// fields, the five date notations, eight-digit dates ("yyyymmdd"), float
// comparison, string kinds of variants and published properties by name.
// Date functions never raise: invalid input gives 0 or the empty text.
#include <cstdint>
#include <string>

#include "platform/core/DateTime.h"
#include "platform/core/Events.h"
#include "platform/core/Variant.h"

class TObject;
class TField;

// Text fields ---------------------------------------------------------------

// The N-th field (from 1) of Text split at Sep; the empty text past the last.
std::string GetField(const std::string& Text, const std::string& Sep, int N);
// The part before the first Sep; Text keeps the rest after it (or becomes
// empty when it holds no Sep).
std::string CutField(std::string& Text, const std::string& Sep);
// 0 for the empty text, otherwise the number of Sep + 1.
int CountFields(const std::string& Text, const std::string& Sep);
// Replaces Old by New again and again from the start until Old no longer
// occurs; nothing changes when Old and New differ only in case.
std::string ReplaceText(const std::string& Text, const std::string& Old, const std::string& New, bool Trim);
// Prefix, #3, Items[0], #3, then Items[1..Items[0]] each followed by #3.
std::u16string JoinCounted(const std::string& Prefix, const Variant& Items);
// The caption of a dialog button by its English name ("Yes" -> "是(&Y)").
std::string DialogButtonCaption(const std::string& Name);

// Dates ---------------------------------------------------------------------

std::string FormatDateByType(int Type, const std::string& Sep, TDateTime Date);
std::string FormatYearMonthByType(int Type, const std::string& Sep, TDateTime Date);
TDateTime ParseDateByType(const std::string& Text, int Type, const std::string& Sep);
TDateTime Date8ToDate(const std::string& Text);
bool IsValidDate8(const std::string& Text);
// Value (an 8-bit or wide "yyyymmdd" text, or a date-time) moved by N units
// "Y", "M" or "D"; the empty text for anything that is no date or unit.
std::string ShiftDate8(const Variant& Value, const std::string& Unit, int N);
int DaysInMonth(int Year, int Month);

// Numbers and variants ------------------------------------------------------

int CompareFloat(double A, double B);
double StrToFloatDefault(const std::string& Text, double Default);
Variant IfThenVar(bool Flag, const Variant& A, const Variant& B);
bool VarIsEmptyOrNull(const Variant& V);
bool IsLocalHost(const std::string& Address);
// The temporary folder with its trailing separator.
std::string GetTempDir();

// String kinds --------------------------------------------------------------
// Texts are UTF-8 in memory and UTF-16 in wide strings; the code page names
// the interface code page and never narrows the characters.

std::string WideToAnsiCP(const std::u16string& Text, int CodePage);
std::u16string AnsiToWideCP(const std::string& Text, int CodePage);
// Wide strings (in arrays too) become 8-bit strings; failures are written to
// the alert log and the result is the copy as far as it was converted.
Variant VarWideToAnsi(const Variant& V, int CodePage);
// 8-bit and wide strings become wide strings, likewise.
Variant VarAnsiToWide(const Variant& V, int CodePage);

// Published properties by name: a null component or a missing property is
// not an error; reads give "", 0 or the empty handler, writes do nothing.

bool HasProperty(const TObject* Component, const std::string& Name);
std::string GetStrPropByName(const TObject* Component, const std::string& Name);
void SetStrPropByName(TObject* Component, const std::string& Name, const std::string& Value);
std::int64_t GetOrdPropByName(const TObject* Component, const std::string& Name);
void SetOrdPropByName(TObject* Component, const std::string& Name, std::int64_t Value);
TMethod GetMethodPropByName(const TObject* Component, const std::string& Name);
void SetMethodPropByName(TObject* Component, const std::string& Name, const TMethod& Value);

// Dataset fields ------------------------------------------------------------

// Assigns Text to Field even when the field is read only (the flag is
// cleared for the duration and restored afterwards, also after an error).
// With UseEditText a small-integer, integer or float field takes the text
// through its edit-text parser, so "1,234.5" is accepted; otherwise the text
// is assigned as the field's string value, a string field's text first cut
// to the whole characters that fit the field's size in bytes of the system
// code page. False when Field is null; errors of the assignment propagate.
bool SetFieldText(TField* Field, const std::string& Text, bool UseEditText);
// SetFieldText with the field's OnValidate switched off for the duration and
// restored afterwards, also after an error.
void SetFieldTextQuiet(TField* Field, const std::string& Text, bool UseEditText);

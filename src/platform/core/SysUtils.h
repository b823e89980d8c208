#pragma once
// Text and number helpers with the run time's rules: trimming removes
// control characters and blanks, case changes touch ASCII letters only,
// integer texts may be decimal or hexadecimal ("$1F", "0x1F"), float texts
// use "." as the decimal point.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Variant;

std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view s);
bool EndsText(std::string_view suffix, std::string_view s);

std::string IntToStr(std::int64_t value);
std::string IntToHex(std::uint64_t value, int digits);
std::optional<std::int64_t> TryStrToInt64(std::string_view s);
std::optional<std::int32_t> TryStrToInt(std::string_view s);
std::int32_t StrToInt(std::string_view s); // raises EConvertError
std::int64_t StrToInt64(std::string_view s);
std::int32_t StrToIntDef(std::string_view s, std::int32_t defaultValue);

// Shortest text of up to 15 significant digits; exponent form ("1E20",
// "1E-7") only where the plain form would need more digits.
std::string FloatToStr(double value);
std::optional<double> TryStrToFloat(std::string_view s);
double StrToFloat(std::string_view s); // raises EConvertError

// printf-like formatting over variant arguments: %d %u %x %s %f %g %e %n %m
// with optional "-", width and ".precision" ("%.2d" pads with zeros);
// "%%" is a percent sign. A missing or mismatched argument raises
// EConvertError.
std::string Format(std::string_view format, const std::vector<Variant>& args);

// Strict UTF-8 / UTF-16 conversion; invalid input raises EConvertError.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// Lenient form: invalid sequences become U+FFFD.
std::string Utf16ToUtf8Lenient(std::u16string_view s);
bool IsValidUtf8(std::string_view s);

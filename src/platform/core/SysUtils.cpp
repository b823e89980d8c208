#include "platform/core/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/core/Exceptions.h"
#include "platform/core/Variant.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

} // namespace

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = AsciiUpper(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = AsciiLower(c);
    return r;
}

int CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(AsciiUpper(a[i]));
        const auto cb = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

bool StartsText(std::string_view prefix, std::string_view s)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::string_view suffix, std::string_view s)
{
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

std::string IntToHex(std::uint64_t value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text)
{
    // Leading blanks are allowed, trailing ones are not; an optional sign,
    // then decimal digits or "$" / "0x" and hexadecimal digits.
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    std::uint64_t magnitude = 0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    if (base == 16 && !negative) return static_cast<std::int64_t>(magnitude); // hex may fill all 64 bits
    if (negative) {
        if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + 1) return std::nullopt;
        return static_cast<std::int64_t>(0 - magnitude);
    }
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

std::optional<std::int32_t> TryStrToInt(std::string_view s)
{
    auto v = TryStrToInt64(s);
    if (!v) return std::nullopt;
    // Hexadecimal texts of eight digits wrap to negative values, as 32-bit
    // hexadecimal constants do.
    if (*v > INT32_MAX && *v <= static_cast<std::int64_t>(UINT32_MAX)) {
        const std::string t = Trim(s);
        if (!t.empty() && (t[0] == '$' || (t.size() > 1 && (t[1] == 'x' || t[1] == 'X'))))
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(*v));
    }
    if (*v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::int32_t StrToInt(std::string_view s)
{
    if (auto v = TryStrToInt(s)) return *v;
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

std::int64_t StrToInt64(std::string_view s)
{
    if (auto v = TryStrToInt64(s)) return *v;
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

std::int32_t StrToIntDef(std::string_view s, std::int32_t defaultValue)
{
    return TryStrToInt(s).value_or(defaultValue);
}

std::string FloatToStr(double value)
{
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s = buf;
    const auto e = s.find('e');
    if (e == std::string::npos) return s;
    // "1.5e+20" -> "1.5E20", "1e-07" -> "1E-7"
    std::string mantissa = s.substr(0, e);
    int exponent = std::atoi(s.c_str() + e + 1);
    return mantissa + "E" + std::to_string(exponent);
}

std::optional<double> TryStrToFloat(std::string_view text)
{
    const std::string t = Trim(text);
    if (t.empty()) return std::nullopt;
    for (char c : t)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return std::nullopt;
    double v = 0;
    const char* first = t.data();
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, t.data() + t.size(), v);
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return v;
}

double StrToFloat(std::string_view s)
{
    if (auto v = TryStrToFloat(s)) return *v;
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
}

std::string Format(std::string_view format, const std::vector<Variant>& args)
{
    std::string out;
    std::size_t argIndex = 0;
    auto next = [&]() -> const Variant& {
        if (argIndex >= args.size())
            throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
        return args[argIndex++];
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool left = false;
        if (j < format.size() && format[j] == '-') {
            left = true;
            ++j;
        }
        int width = -1, precision = -1;
        while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) {
            width = (width < 0 ? 0 : width * 10) + (format[j] - '0');
            ++j;
        }
        if (j < format.size() && format[j] == '.') {
            ++j;
            precision = 0;
            while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])))
                precision = precision * 10 + (format[j++] - '0');
        }
        if (j >= format.size())
            throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
        const char conv = static_cast<char>(std::tolower(static_cast<unsigned char>(format[j])));
        std::string piece;
        try {
            switch (conv) {
            case 'd':
            case 'u': {
                const Variant& a = next();
                if (!(a.Type() == varInteger || a.Type() == varInt64 || a.Type() == varBoolean)) throw EVariantError("");
                std::int64_t v = a.AsInt64();
                std::string digits = std::to_string(v < 0 ? -static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v));
                if (precision > 0 && static_cast<int>(digits.size()) < precision)
                    digits.insert(0, precision - digits.size(), '0');
                piece = (v < 0 ? "-" : "") + digits;
                break;
            }
            case 'x': {
                const Variant& a = next();
                if (!(a.Type() == varInteger || a.Type() == varInt64)) throw EVariantError("");
                piece = IntToHex(static_cast<std::uint64_t>(a.AsInt64()) & (a.Type() == varInteger ? 0xFFFFFFFFull : ~0ull),
                                 precision > 0 ? precision : 1);
                break;
            }
            case 's': {
                const Variant& a = next();
                if (!a.IsString() && !a.IsWideString()) throw EVariantError("");
                piece = a.AsString();
                if (precision >= 0 && static_cast<int>(piece.size()) > precision) piece.resize(precision);
                break;
            }
            case 'f':
            case 'e':
            case 'g':
            case 'n':
            case 'm': {
                const Variant& a = next();
                if (!VarIsNumeric(a) && a.Type() != varDate) throw EVariantError("");
                const double v = a.AsDouble();
                char buf[512];
                if (conv == 'g')
                    piece = FloatToStr(v);
                else {
                    const int p = precision < 0 ? 2 : precision;
                    std::snprintf(buf, sizeof buf, conv == 'e' ? "%.*E" : "%.*f", p, v);
                    piece = buf;
                    if (conv == 'n' || conv == 'm') {
                        // Thousands separators in the integer part.
                        const auto dot = piece.find('.');
                        std::size_t end = dot == std::string::npos ? piece.size() : dot;
                        const std::size_t start = (piece[0] == '-') ? 1 : 0;
                        for (std::ptrdiff_t k = static_cast<std::ptrdiff_t>(end) - 3; k > static_cast<std::ptrdiff_t>(start); k -= 3)
                            piece.insert(static_cast<std::size_t>(k), ",");
                    }
                }
                break;
            }
            default:
                throw EVariantError("");
            }
        } catch (const EVariantError&) {
            throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
        }
        if (width > 0 && static_cast<int>(piece.size()) < width)
            piece = left ? piece + std::string(width - piece.size(), ' ') : std::string(width - piece.size(), ' ') + piece;
        out += piece;
        i = j;
    }
    return out;
}

namespace {

// Decodes one UTF-8 sequence at s[i]; returns the code point or -1 when the
// sequence is invalid (overlong, surrogate, out of range or truncated).
long DecodeUtf8(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra;
    long cp;
    if (b0 < 0x80) {
        ++i;
        return b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else {
        ++i;
        return -1;
    }
    std::size_t k = i + 1;
    for (int n = 0; n < extra; ++n, ++k) {
        if (k >= s.size() || (static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) {
            i = k;
            return -1;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(s[k]) & 0x3F);
    }
    i = k;
    static const long minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8Impl(std::u16string_view s, bool strict)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (strict)
                throw EConvertError("No mapping for the Unicode character exists in the target multi-byte code page");
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const long cp = DecodeUtf8(s, i);
        if (cp < 0) throw EConvertError("No mapping for the multi-byte character exists in the Unicode code page");
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) { return Utf16ToUtf8Impl(s, true); }
std::string Utf16ToUtf8Lenient(std::u16string_view s) { return Utf16ToUtf8Impl(s, false); }

bool IsValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size())
        if (DecodeUtf8(s, i) < 0) return false;
    return true;
}

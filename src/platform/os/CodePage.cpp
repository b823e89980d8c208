#include "platform/os/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/core/Exceptions.h"

namespace os {

namespace {

// Number of bytes to step over for the UTF-8 sequence at s[i]: the whole
// character when it is well formed, else its lead byte and the continuation
// bytes that follow it (so one broken character becomes one "?").
std::size_t Utf8StepLength(std::string_view s, std::size_t i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t extra;
    if (b0 < 0x80) return 1;
    else if ((b0 & 0xE0) == 0xC0) extra = 1;
    else if ((b0 & 0xF0) == 0xE0) extra = 2;
    else if ((b0 & 0xF8) == 0xF0) extra = 3;
    else return 1;
    std::size_t n = 1;
    while (n <= extra && i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}

// One iconv conversion descriptor for the lifetime of a call.
class TConverter {
public:
    TConverter(const char* to, const char* from, int codePage) : FHandle(::iconv_open(to, from))
    {
        if (FHandle == reinterpret_cast<iconv_t>(-1))
            throw EConvertError("No mapping for code page " + std::to_string(codePage));
    }
    ~TConverter() { ::iconv_close(FHandle); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // Converts the input; at each sequence iconv rejects, appends the
    // replacement and skips as many input bytes as skip() says.
    template <class Skip>
    std::string Convert(std::string_view in, std::string_view replacement, Skip skip)
    {
        ::iconv(FHandle, nullptr, nullptr, nullptr, nullptr); // fresh shift state
        std::string out;
        out.reserve(in.size() * 2 + 16);
        char buffer[4096];
        std::size_t pos = 0;
        while (pos < in.size()) {
            char* inPtr = const_cast<char*>(in.data() + pos);
            std::size_t inLeft = in.size() - pos;
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t r = ::iconv(FHandle, &inPtr, &inLeft, &outPtr, &outLeft);
            const int err = errno;
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            pos = in.size() - inLeft;
            if (r != static_cast<std::size_t>(-1)) continue;
            if (err == E2BIG) continue;
            if (err == EILSEQ || err == EINVAL) {
                // EINVAL: an incomplete sequence at the end of the input.
                out += replacement;
                pos += err == EINVAL ? inLeft : std::max<std::size_t>(1, skip(in, pos));
                continue;
            }
            out += replacement; // any other failure: give up on the rest
            break;
        }
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        ::iconv(FHandle, nullptr, nullptr, &outPtr, &outLeft); // back to the initial shift state
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        return out;
    }

private:
    iconv_t FHandle;
};

std::string CheckedCharset(int codePage)
{
    std::string charset = CodePageCharset(codePage);
    if (charset.empty()) throw EConvertError("No mapping for code page " + std::to_string(codePage));
    return charset;
}

} // namespace

std::string CodePageCharset(int codePage)
{
    switch (codePage) {
    case 437: // the Latin interface works in Windows-1252
    case 1252: return "CP1252";
    case 936: return "CP936";
    case 950: return "CP950";
    case 65001: return "UTF-8";
    default: return codePage > 0 ? "CP" + std::to_string(codePage) : std::string();
    }
}

std::string EncodeToCodePage(std::string_view utf8, int codePage)
{
    TConverter conv(CheckedCharset(codePage).c_str(), "UTF-8", codePage);
    return conv.Convert(utf8, "?", Utf8StepLength);
}

std::string DecodeFromCodePage(std::string_view bytes, int codePage)
{
    TConverter conv("UTF-8", CheckedCharset(codePage).c_str(), codePage);
    const bool utf8 = codePage == 65001;
    return conv.Convert(bytes, "\xEF\xBF\xBD", [utf8](std::string_view s, std::size_t i) {
        return utf8 ? Utf8StepLength(s, i) : std::size_t{1};
    });
}

int CodePageByteLength(std::string_view utf8, int codePage)
{
    return static_cast<int>(EncodeToCodePage(utf8, codePage).size());
}

std::string TruncateToCodePageBytes(std::string_view utf8, int maxBytes, int codePage)
{
    TConverter conv(CheckedCharset(codePage).c_str(), "UTF-8", codePage);
    if (maxBytes <= 0) return {};
    const auto limit = static_cast<std::size_t>(maxBytes);
    if (conv.Convert(utf8, "?", Utf8StepLength).size() <= limit) return std::string(utf8);
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t step = Utf8StepLength(utf8, pos);
        const std::size_t bytes = conv.Convert(utf8.substr(pos, step), "?", Utf8StepLength).size();
        if (used + bytes > limit) break;
        used += bytes;
        pos += step;
    }
    return std::string(utf8.substr(0, pos));
}

} // namespace os

#pragma once
// Code pages. Texts are UTF-8 in memory; a code page matters where the system
// counts bytes or exchanges bytes with the outside. 936 is GBK, 950 is Big5,
// 437 (the Latin interface) is handled as Windows-1252, 65001 is UTF-8.
#include <string>
#include <string_view>

namespace os {

// The conversion name used for a code page ("CP936", "CP950", "CP1252", ...);
// empty for a number that is no code page (zero or negative).
std::string CodePageCharset(int codePage);
// Encodes UTF-8 text in the code page; a character the code page cannot hold
// becomes "?". An unknown code page raises EConvertError.
std::string EncodeToCodePage(std::string_view utf8, int codePage);
// Decodes bytes of the code page to UTF-8; an invalid byte sequence becomes
// U+FFFD. An unknown code page raises EConvertError.
std::string DecodeFromCodePage(std::string_view bytes, int codePage);
// Byte length of the text once encoded in the code page (a character the
// code page cannot hold counts one byte). An unknown code page raises
// EConvertError.
int CodePageByteLength(std::string_view utf8, int codePage);
// The longest prefix of whole characters whose encoding in the code page
// takes at most maxBytes bytes. An unknown code page raises EConvertError.
std::string TruncateToCodePageBytes(std::string_view utf8, int maxBytes, int codePage);

} // namespace os

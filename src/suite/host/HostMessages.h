#pragma once
// The host's message catalogue: the text behind each coded message
// ("E;000038") in the user's language. The texts live in one UTF-8 file per
// language, "<folder>/CHS.txt", "CHT.txt" and "ENG.txt", installed in the
// folder "messages" beside the host executable. Each line is
// "KIND;NUMBER=text"; "%s" marks an argument, "\n" a line break, "%%" a
// percent sign; empty lines and lines starting with "#" are skipped.
//
// The language follows the interface code page of the client configuration:
// 936 simplified Chinese, 950 traditional Chinese, anything else English.
#include <map>
#include <string>
#include <vector>

class TMessageCatalogue {
public:
    // The language file name for an interface code page ("CHS", "CHT", "ENG").
    static std::string LanguageForCodePage(const std::string& codePage);
    // "KIND;NUMBER" as the catalogue keys it: the kind trimmed and in upper
    // case; a number that is an integer loses its sign and is written with at
    // least six digits ("-4" and "000004" are both "000004").
    static std::string NormalizeCode(const std::string& kind, const std::string& number);
    // The folder "messages" beside the running executable.
    static std::string DefaultFolder();

    // Reads "<folder>/<language>.txt". A missing or unreadable file leaves
    // the catalogue empty (every look-up then gives the fallback text) and
    // puts the reason in LoadError.
    void Load(const std::string& folder, const std::string& language);
    // Parses catalogue lines; raises EConvertError naming the line for a line
    // that is not "CODE=text" or a code given twice.
    void Parse(const std::string& text);

    bool Contains(const std::string& code) const { return FTexts.count(code) != 0; }
    // The text of a code, or the fallback naming the code when the catalogue
    // has none. The fallback holds no placeholder, so formatting it with any
    // arguments cannot fail.
    std::string Text(const std::string& kind, const std::string& number) const;
    std::vector<std::string> Codes() const;
    const std::string& Language() const { return FLanguage; }
    const std::string& LoadError() const { return FLoadError; }

private:
    std::map<std::string, std::string> FTexts;
    std::string FLanguage = "ENG";
    std::string FLoadError;
};

// The number of "%s" placeholders in a catalogue text ("%%" is no placeholder).
int CountPlaceholders(const std::string& text);

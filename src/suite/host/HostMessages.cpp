#include "suite/host/HostMessages.h"

#include <fstream>
#include <sstream>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/os/Paths.h"

std::string TMessageCatalogue::LanguageForCodePage(const std::string& codePage)
{
    const std::string page = Trim(codePage);
    if (page == "936") return "CHS";
    if (page == "950") return "CHT";
    return "ENG";
}

std::string TMessageCatalogue::NormalizeCode(const std::string& kind, const std::string& number)
{
    std::string n = Trim(number);
    const bool digits = !n.empty() && n.find_first_not_of("0123456789", n[0] == '-' || n[0] == '+' ? 1 : 0) ==
                                          std::string::npos && n.size() > (n[0] == '-' || n[0] == '+' ? 1u : 0u);
    if (digits) {
        if (n[0] == '-' || n[0] == '+') n.erase(0, 1);
        const std::size_t first = n.find_first_not_of('0');
        n = first == std::string::npos ? std::string("0") : n.substr(first);
        if (n.size() < 6) n.insert(0, 6 - n.size(), '0');
    }
    return UpperCase(Trim(kind)) + ";" + n;
}

std::string TMessageCatalogue::DefaultFolder() { return os::ExecutableDir() + "messages/"; }

void TMessageCatalogue::Load(const std::string& folder, const std::string& language)
{
    FTexts.clear();
    FLoadError.clear();
    FLanguage = language;
    const std::string file = os::IncludeTrailingPathDelimiter(folder) + language + ".txt";
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        FLoadError = "The message catalogue \"" + file + "\" cannot be read";
        return;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        Parse(text.str());
    } catch (const std::exception& e) {
        FTexts.clear();
        FLoadError = file + ": " + e.what();
    }
}

void TMessageCatalogue::Parse(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (Trim(line).empty() || Trim(line)[0] == '#') continue;
        const std::size_t eq = line.find('=');
        const std::size_t semi = line.find(';');
        if (eq == std::string::npos || semi == std::string::npos || semi > eq)
            throw EConvertError("line " + std::to_string(lineNo) + " is not KIND;NUMBER=text");
        const std::string code = NormalizeCode(line.substr(0, semi), line.substr(semi + 1, eq - semi - 1));
        std::string value;
        const std::string raw = line.substr(eq + 1);
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size() && (raw[i + 1] == 'n' || raw[i + 1] == '\\')) {
                value += raw[i + 1] == 'n' ? '\n' : '\\';
                ++i;
            } else {
                value += raw[i];
            }
        }
        if (!FTexts.emplace(code, value).second)
            throw EConvertError("line " + std::to_string(lineNo) + " repeats the code " + code);
    }
}

std::string TMessageCatalogue::Text(const std::string& kind, const std::string& number) const
{
    const std::string code = NormalizeCode(kind, number);
    if (auto it = FTexts.find(code); it != FTexts.end()) return it->second;
    // The code may hold any characters; a "%" must not become a placeholder.
    std::string shown;
    for (char c : code) shown += c == '%' ? std::string("%%") : std::string(1, c);
    if (FLanguage == "CHS") return "未定义的信息 [" + shown + "]";
    if (FLanguage == "CHT") return "未定義的訊息 [" + shown + "]";
    return "Undefined message [" + shown + "]";
}

std::vector<std::string> TMessageCatalogue::Codes() const
{
    std::vector<std::string> codes;
    for (const auto& [code, text] : FTexts) codes.push_back(code);
    return codes;
}

int CountPlaceholders(const std::string& text)
{
    int n = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (text[i + 1] == 's') ++n;
        ++i; // "%%" and "%s" both take two characters
    }
    return n;
}

#include "platform/data/SqlDialect.h"

#include "platform/core/SysUtils.h"

namespace {

enum class TTokKind { Space, Literal, Quoted, Comment, Word, Punct };

struct TTok {
    TTokKind Kind;
    std::string Text;
    bool Is(char c) const { return Kind == TTokKind::Punct && Text.size() == 1 && Text[0] == c; }
    bool IsWord(std::string_view w) const { return Kind == TTokKind::Word && SameText(Text, w); }
};

bool IsWordChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == '#' ||
           u == '@' || u >= 0x80;
}

std::vector<TTok> Tokenize(std::string_view s)
{
    std::vector<TTok> toks;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        std::size_t j = i + 1;
        TTokKind kind = TTokKind::Punct;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            kind = TTokKind::Space;
            while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n')) ++j;
        } else if (c == '\'' || c == '"' || c == '[') {
            // A literal or quoted name; a doubled closing quote stays inside.
            kind = c == '\'' ? TTokKind::Literal : TTokKind::Quoted;
            const char close = c == '[' ? ']' : c;
            while (j < s.size()) {
                if (s[j] == close) {
                    if (j + 1 < s.size() && s[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            kind = TTokKind::Comment;
            while (j < s.size() && s[j] != '\n') ++j;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            kind = TTokKind::Comment;
            const std::size_t end = s.find("*/", i + 2);
            j = end == std::string_view::npos ? s.size() : end + 2;
        } else if (IsWordChar(c)) {
            kind = TTokKind::Word;
            while (j < s.size() && IsWordChar(s[j])) ++j;
        } else if (c == '.' && i + 1 < s.size() && s[i + 1] == '.') {
            j = i + 2;
        }
        toks.push_back({kind, std::string(s.substr(i, j - i))});
        i = j;
    }
    return toks;
}

bool IsName(const TTok& t) { return t.Kind == TTokKind::Word || t.Kind == TTokKind::Quoted; }

bool IsBlank(const TTok& t) { return t.Kind == TTokKind::Space || t.Kind == TTokKind::Comment; }

class TTranslator {
public:
    TTranslator(std::vector<TTok> toks, const std::function<std::string(const std::string&)>& schemaFor)
        : T(std::move(toks)), SchemaFor(schemaFor)
    {
    }

    std::string Emit(std::size_t b, std::size_t e) const
    {
        std::string out;
        for (std::size_t i = b; i < e;) {
            const TTok& t = T[i];
            if (t.Kind == TTokKind::Word) {
                const std::size_t next = NextSolid(i + 1, e);
                if (next < e && T[next].Is('(')) {
                    const std::size_t close = Matching(next, e);
                    if (t.IsWord("ISNULL")) {
                        out += "IFNULL";
                        ++i;
                        continue;
                    }
                    if (t.IsWord("GETDATE") && close < e && NextSolid(next + 1, close) == close) {
                        out += "strftime('%Y-%m-%d %H:%M:%f','now','localtime')";
                        i = close + 1;
                        continue;
                    }
                    if (t.IsWord("CONVERT") && close < e) {
                        std::string converted;
                        if (Convert(next, close, converted)) {
                            out += converted;
                            i = close + 1;
                            continue;
                        }
                    }
                }
                if (t.IsWord("BIGINT")) {
                    const std::size_t prev = PrevSolid(i, b);
                    if (prev != npos && T[prev].IsWord("AS")) {
                        out += "INTEGER";
                        ++i;
                        continue;
                    }
                }
                if (i + 2 < e && T[i + 1].Text == ".." && IsName(T[i + 2])) {
                    out += SchemaFor ? SchemaFor(t.Text) : t.Text;
                    out += '.';
                    i += 2;
                    continue;
                }
            } else if (t.Is('$') && i + 2 < e && T[i + 1].Is('$') && T[i + 2].Kind == TTokKind::Word) {
                i += 2; // a company prefix nobody replaced
                continue;
            }
            out += t.Text;
            ++i;
        }
        return out;
    }

private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::size_t NextSolid(std::size_t i, std::size_t e) const
    {
        while (i < e && IsBlank(T[i])) ++i;
        return i;
    }
    std::size_t PrevSolid(std::size_t i, std::size_t b) const
    {
        while (i > b) {
            --i;
            if (!IsBlank(T[i])) return i;
        }
        return npos;
    }
    // The index of the ")" closing the "(" at open; e when unmatched.
    std::size_t Matching(std::size_t open, std::size_t e) const
    {
        int depth = 0;
        for (std::size_t i = open; i < e; ++i) {
            if (T[i].Is('(')) ++depth;
            else if (T[i].Is(')') && --depth == 0) return i;
        }
        return e;
    }

    // CONVERT(type(n), expr) between the parentheses at open and close.
    bool Convert(std::size_t open, std::size_t close, std::string& out) const
    {
        // Arguments split at the commas of the outer level.
        std::vector<std::pair<std::size_t, std::size_t>> args;
        int depth = 0;
        std::size_t start = open + 1;
        for (std::size_t i = open + 1; i < close; ++i) {
            if (T[i].Is('(')) ++depth;
            else if (T[i].Is(')')) --depth;
            else if (depth == 0 && T[i].Is(',')) {
                args.emplace_back(start, i);
                start = i + 1;
            }
        }
        args.emplace_back(start, close);
        if (args.size() != 2) return false;
        std::vector<const TTok*> type;
        for (std::size_t i = args[0].first; i < args[0].second; ++i)
            if (!IsBlank(T[i])) type.push_back(&T[i]);
        if (type.empty() || type[0]->Kind != TTokKind::Word) return false;
        const std::string name = UpperCase(type[0]->Text);
        const bool fixed = name == "CHAR" || name == "NCHAR";
        if (!fixed && name != "VARCHAR" && name != "NVARCHAR") return false;
        int length = 0;
        if (type.size() == 4 && type[1]->Is('(') && type[3]->Is(')')) {
            const auto n = TryStrToInt(type[2]->Text);
            if (!n || *n <= 0) return false;
            length = *n;
        } else if (type.size() != 1) {
            return false;
        }
        const std::string expr = "CAST((" + Trim(Emit(args[1].first, args[1].second)) + ") AS TEXT)";
        if (length == 0) {
            // Without a length SQL Server means 30 characters.
            length = 30;
        }
        const std::string n = std::to_string(length);
        if (fixed) out = "substr(" + expr + " || '" + std::string(length, ' ') + "', 1, " + n + ")";
        else out = "substr(" + expr + ", 1, " + n + ")";
        return true;
    }

    std::vector<TTok> T;
    const std::function<std::string(const std::string&)>& SchemaFor;
};

} // namespace

std::string TranslateSql(std::string_view sql, const std::function<std::string(const std::string& database)>& schemaFor)
{
    std::vector<TTok> toks = Tokenize(sql);
    const std::size_t n = toks.size();
    TTranslator translator(std::move(toks), schemaFor);
    return translator.Emit(0, n);
}

std::vector<std::string> SqlDatabaseRefs(std::string_view sql)
{
    const std::vector<TTok> toks = Tokenize(sql);
    std::vector<std::string> names;
    for (std::size_t i = 0; i + 2 < toks.size(); ++i) {
        if (toks[i].Kind == TTokKind::Word && toks[i + 1].Text == ".." && IsName(toks[i + 2])) {
            bool known = false;
            for (const auto& name : names) known = known || SameText(name, toks[i].Text);
            if (!known) names.push_back(toks[i].Text);
        }
    }
    return names;
}

std::vector<std::string> SqlParamNames(std::string_view sql)
{
    const std::vector<TTok> toks = Tokenize(sql);
    std::vector<std::string> names;
    for (std::size_t i = 0; i + 1 < toks.size(); ++i) {
        if (!toks[i].Is(':') || toks[i + 1].Kind != TTokKind::Word) continue;
        if (i > 0 && toks[i - 1].Is(':')) continue; // "::"
        bool known = false;
        for (const auto& name : names) known = known || SameText(name, toks[i + 1].Text);
        if (!known) names.push_back(toks[i + 1].Text);
    }
    return names;
}

std::string ExpandCompanyPrefix(std::string_view sql, std::string_view database)
{
    const std::vector<TTok> toks = Tokenize(sql);
    std::string out;
    for (std::size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].Is('$') && i + 1 < toks.size() && toks[i + 1].Is('$')) {
            out += database;
            out += "..";
            ++i;
            continue;
        }
        out += toks[i].Text;
    }
    return out;
}

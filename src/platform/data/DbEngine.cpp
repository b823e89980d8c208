#include "platform/data/DbEngine.h"

#include "platform/core/SysUtils.h"

IDbEngine::~IDbEngine() = default;

TDbResult IDbEngine::ExecuteSelect(std::string_view, const std::vector<TDbParam>&)
{
    throw EDBEngineError("This database engine cannot run read-only queries");
}

IDbStatement::~IDbStatement() = default;

namespace {

// The statement of an engine without compiled statements: the text runs
// anew each time.
class TTextStatement final : public IDbStatement {
public:
    TTextStatement(IDbEngine& engine, std::string_view sql) : FEngine(engine), FSql(sql) {}
    TDbResult Execute(const std::vector<TDbParam>& params) override { return FEngine.Execute(FSql, params); }

private:
    IDbEngine& FEngine;
    std::string FSql;
};

} // namespace

std::unique_ptr<IDbStatement> IDbEngine::Prepare(std::string_view sql)
{
    return std::make_unique<TTextStatement>(*this, sql);
}

TConnectionParams ParseConnectionString(std::string_view connectionString)
{
    TConnectionParams params;
    const std::string text = Trim(connectionString);
    if (text.find('=') == std::string::npos) {
        params.Provider = "SQLITE";
        params.DataSource = text;
        return params;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t eq = text.find('=', i);
        if (eq == std::string::npos) break;
        const std::string key = Trim(std::string_view(text).substr(i, eq - i));
        std::size_t j = eq + 1;
        while (j < text.size() && text[j] == ' ') ++j;
        std::string value;
        if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
            const char quote = text[j++];
            while (j < text.size()) {
                if (text[j] == quote) {
                    if (j + 1 < text.size() && text[j + 1] == quote) {
                        value += quote;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text[j++];
            }
            while (j < text.size() && text[j] != ';') ++j;
        } else {
            const std::size_t end = text.find(';', j);
            value = Trim(std::string_view(text).substr(j, end == std::string::npos ? std::string::npos : end - j));
            j = end == std::string::npos ? text.size() : end;
        }
        if (SameText(key, "Provider")) params.Provider = value;
        else if (SameText(key, "Data Source") || SameText(key, "Database") || SameText(key, "DataSource"))
            params.DataSource = value;
        else if (SameText(key, "Mode")) params.Mode = value;
        i = j + 1;
    }
    if (params.Provider.empty()) params.Provider = "SQLITE";
    return params;
}

std::unique_ptr<IDbEngine> OpenDbEngine(std::string_view connectionString)
{
    const TConnectionParams params = ParseConnectionString(connectionString);
    const std::string provider = UpperCase(params.Provider);
    if (provider == "SQLITE" || provider == "SQLITE3") {
        if (params.DataSource.empty()) throw EDBEngineError("The connection string names no database file");
        return OpenSqliteEngine(params.DataSource, params.Mode);
    }
    if (provider == "POSTGRESQL" || provider == "POSTGRES" || provider == "PGSQL")
        throw EDBEngineError("The PostgreSQL engine is not available yet; use Provider=SQLITE");
    throw EDBEngineError("The database provider '" + params.Provider + "' is not supported");
}

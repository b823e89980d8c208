#include "suite/db/CompanyDatabase.h"

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/os/Paths.h"

namespace suite::db {

namespace {

void Exec(TKvADOConnection& connection, const std::string& sql, const std::vector<std::pair<const char*, Variant>>& params = {})
{
    TKvADOQuery q;
    q.SetConnection(&connection);
    q.SQL.SetText(sql);
    for (const auto& [name, value] : params) q.ParamByName(name) = value;
    q.ExecSQL();
}

void EnsureVersionTable(TKvADOConnection& connection)
{
    Exec(connection, std::string("CREATE TABLE IF NOT EXISTS ") + SchemaVersionTable +
                         " (VERSION INTEGER NOT NULL PRIMARY KEY, DESCRIPTION TEXT NOT NULL DEFAULT '',"
                         " APPLIED_AT TEXT NOT NULL DEFAULT '')");
}

int RecordedVersion(TKvADOConnection& connection)
{
    TKvADOQuery q;
    q.SetConnection(&connection);
    q.SQL.SetText(std::string("SELECT ISNULL(MAX(VERSION), 0) V FROM ") + SchemaVersionTable);
    q.Open();
    return q.FieldByName("V").AsInteger();
}

void CheckOrder(const std::vector<TMigration>& migrations)
{
    for (std::size_t i = 0; i < migrations.size(); ++i)
        if (migrations[i].Version != static_cast<int>(i) + 1)
            throw ECompanyDatabaseError("Migration " + IntToStr(migrations[i].Version) + " is out of order; expected " +
                                        IntToStr(static_cast<std::int64_t>(i) + 1));
}

} // namespace

int SchemaVersion(TKvADOConnection& connection)
{
    TKvADOQuery q;
    q.SetConnection(&connection);
    // The engine's own catalogue (the embedded engine's; another engine
    // reads its information schema here).
    q.SQL.SetText("SELECT COUNT(*) N FROM sqlite_master WHERE type = 'table' AND name = :NAME");
    q.ParamByName("NAME") = SchemaVersionTable;
    q.Open();
    if (q.FieldByName("N").AsInteger() == 0) return 0;
    return RecordedVersion(connection);
}

int Migrate(TKvADOConnection& connection, const std::vector<TMigration>& migrations)
{
    CheckOrder(migrations);
    connection.Open();
    if (connection.InTransaction())
        throw ECompanyDatabaseError("The company database cannot be migrated inside a transaction");
    const int latest = static_cast<int>(migrations.size());
    EnsureVersionTable(connection);
    int applied = 0;
    for (const TMigration& migration : migrations) {
        // The version is read again inside each transaction, so two programs
        // migrating the same file at once apply each step once.
        connection.BeginTrans();
        try {
            const int current = RecordedVersion(connection);
            if (current > latest)
                throw ECompanyDatabaseError("The company database has schema version " + IntToStr(current) +
                                            ", newer than the latest this program knows (" + IntToStr(latest) +
                                            "); use a newer program");
            if (current >= migration.Version) {
                connection.CommitTrans();
                continue;
            }
            try {
                Exec(connection, migration.Sql);
            } catch (const EPlatformError& e) {
                throw ECompanyDatabaseError("Migration " + IntToStr(migration.Version) + " (" + migration.Description +
                                            ") failed: " + e.Message());
            }
            Exec(connection,
                 std::string("INSERT INTO ") + SchemaVersionTable +
                     " (VERSION, DESCRIPTION, APPLIED_AT) VALUES (:VERSION, :DESCRIPTION, :APPLIED_AT)",
                 {{"VERSION", migration.Version},
                  {"DESCRIPTION", migration.Description},
                  {"APPLIED_AT", FormatDateTime("yyyymmddhhnnsszzz", Now())}});
            connection.CommitTrans();
            ++applied;
        } catch (...) {
            if (connection.InTransaction()) connection.RollbackTrans();
            throw;
        }
    }
    return applied;
}

int MigrateCompanyDatabase(TKvADOConnection& connection) { return Migrate(connection, CompanyMigrations()); }

bool IsValidDatabaseName(std::string_view name)
{
    if (name.empty() || name.size() > 30) return false;
    if (name[0] >= '0' && name[0] <= '9') return false;
    for (char c : name) {
        const bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        if (!ok) return false;
    }
    return true;
}

std::string CompanyDatabaseFile(std::string_view folder, std::string_view databaseName)
{
    return os::IncludeTrailingPathDelimiter(os::NativePath(folder)) + std::string(databaseName) + ".db";
}

std::string ConnectionStringFor(std::string_view file, bool create)
{
    // The path is quoted so that ";" or "=" in a folder name cannot end it.
    std::string quoted = "\"";
    for (char c : file) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += '"';
    return "Provider=SQLITE;Data Source=" + quoted + (create ? ";Mode=Create" : "");
}

std::string CreateCompanyDatabase(std::string_view folder, std::string_view databaseName)
{
    if (!IsValidDatabaseName(databaseName))
        throw ECompanyDatabaseError("'" + std::string(databaseName) +
                                    "' is not a usable database name (letters, digits and _, at most 30)");
    if (Trim(folder).empty()) throw ECompanyDatabaseError("No folder given for the company database");
    if (!os::ForceDirectories(folder))
        throw ECompanyDatabaseError("Cannot create the folder '" + std::string(folder) + "'");
    const std::string file = CompanyDatabaseFile(folder, databaseName);
    TKvADOConnection connection;
    connection.LoginPrompt = false;
    connection.SetConnectionString(ConnectionStringFor(file, true));
    connection.Open();
    MigrateCompanyDatabase(connection);
    return file;
}

std::vector<std::pair<std::string, std::string>> ReadSystemParameters(TKvADOConnection& connection,
                                                                       std::string_view company)
{
    TKvADOQuery q;
    q.SetConnection(&connection);
    q.SQL.SetText("SELECT NAME, VALUE FROM SYSTEM_PARAMETER WHERE COMPANY = :COMPANY ORDER BY NAME");
    q.ParamByName("COMPANY") = std::string(company);
    q.Open();
    std::vector<std::pair<std::string, std::string>> result;
    for (; !q.Eof(); q.Next()) result.emplace_back(q.FieldByName("NAME").AsString(), q.FieldByName("VALUE").AsString());
    return result;
}

std::optional<double> ExchangeRateOn(TKvADOConnection& connection, std::string_view currency, std::string_view date)
{
    TKvADOQuery q;
    q.SetConnection(&connection);
    q.SQL.SetText("SELECT MG003 FROM CMSMG WHERE MG001 = :CURRENCY AND MG002 = "
                  "(SELECT MAX(MG002) FROM CMSMG WHERE MG001 = :CURRENCY AND MG002 <= :DAY)");
    q.ParamByName("CURRENCY") = std::string(currency);
    q.ParamByName("DAY") = std::string(date);
    q.Open();
    if (q.Eof()) return std::nullopt;
    return q.FieldByName("MG003").AsFloat();
}

} // namespace suite::db

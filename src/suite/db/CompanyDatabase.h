#pragma once
// The company database: its schema as ordered migrations, its creation, and
// the few reads that several programs share (system parameters, exchange
// rates). Everything goes through the platform's connection and queries, so
// the same code will run on another engine. docs/database.md describes every
// table and column.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/data/ADODB.h"

namespace suite::db {

// A company database that cannot be created, migrated or filled: a newer
// schema than this program knows, a failing migration, an unusable name.
ORVANE_EXCEPTION_CLASS(ECompanyDatabaseError, EPlatformError);

// One step of the schema. Versions start at 1 and rise by one; the SQL text
// may hold several statements and is written in the system's dialect.
struct TMigration {
    int Version;
    std::string Description;
    std::string Sql;
};

// The table that records which migrations a database has had.
inline constexpr const char* SchemaVersionTable = "SCHEMA_VERSION";

// The migrations of the company database, in order.
const std::vector<TMigration>& CompanyMigrations();
int LatestCompanySchemaVersion();

// The highest version recorded in the database (0 for a database that has
// never been migrated).
int SchemaVersion(TKvADOConnection& connection);

// Applies, in order, each migration the database has not had yet. Each runs
// in its own transaction together with the record of its version, so a
// failing one leaves the database at the previous version. Running it again
// changes nothing. A database recorded at a version newer than the last
// migration raises ECompanyDatabaseError and is left untouched. Returns the
// number of migrations applied. The connection must not be inside a
// transaction.
int Migrate(TKvADOConnection& connection, const std::vector<TMigration>& migrations);
int MigrateCompanyDatabase(TKvADOConnection& connection);

// True for a name usable as a company database name: it becomes a file name
// and the "db" of "db..table" in SQL texts, so only letters, digits and "_"
// (not starting with a digit), at most 30 characters.
bool IsValidDatabaseName(std::string_view name);

// "<folder>/<databaseName>.db".
std::string CompanyDatabaseFile(std::string_view folder, std::string_view databaseName);
// The connection string for a database file ("Provider=SQLITE;Data Source=...").
std::string ConnectionStringFor(std::string_view file, bool create = false);

// Creates the folder when needed and the company database file
// "<folder>/<databaseName>.db" when it does not exist, then migrates it.
// Returns the file name. An invalid name raises ECompanyDatabaseError.
std::string CreateCompanyDatabase(std::string_view folder, std::string_view databaseName);

// The system parameters of a company as (name, value) pairs, sorted by name.
std::vector<std::pair<std::string, std::string>> ReadSystemParameters(TKvADOConnection& connection,
                                                                       std::string_view company);

// The rate of a currency on a date (YYYYMMDD): the latest rate recorded on
// or before that date; none when the currency has no rate that early.
std::optional<double> ExchangeRateOn(TKvADOConnection& connection, std::string_view currency,
                                     std::string_view date);

} // namespace suite::db

#pragma once
// The database engine behind the connection and query components. The
// system's SQL texts are written in the SQL Server dialect; an engine
// translates them into its own before running them (SqlDialect.h), binds
// the named parameters (never pasting values into the text) and returns
// the rows in memory.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Variant.h"

struct TDbParam {
    std::string Name; // without the ":"
    Variant Value;    // empty and null bind SQL NULL
};

struct TDbResult {
    std::vector<std::string> Columns;      // empty for a statement that returns no rows
    std::vector<std::vector<Variant>> Rows; // integers, doubles, texts, nulls
    long long RowsAffected = 0;             // rows inserted, changed or deleted
};

// A statement compiled once and run many times with different values, as
// bulk loads do. It must not outlive the engine that made it.
class IDbStatement {
public:
    virtual ~IDbStatement();
    // Runs the statement with these values; the result is as Execute's.
    virtual TDbResult Execute(const std::vector<TDbParam>& params) = 0;
};

class IDbEngine {
public:
    virtual ~IDbEngine();
    // Runs every statement of the text in turn; the result is that of the
    // last statement that returns rows (or of the last statement). Engine
    // failures raise EDBEngineError with the engine's message.
    virtual TDbResult Execute(std::string_view sql, const std::vector<TDbParam>& params) = 0;
    // Runs exactly one query (SELECT, or WITH ... SELECT) that only reads.
    // The text is checked before anything runs: several statements, any
    // statement that writes, attaches, changes settings (PRAGMA) or controls
    // transactions, and functions with effects outside the query raise
    // EDBEngineError. Meant for SQL texts that arrive from the network.
    // The default raises: an engine offers it only when it can enforce it.
    virtual TDbResult ExecuteSelect(std::string_view sql, const std::vector<TDbParam>& params);
    // Compiles the text for repeated runs. This default translates and
    // compiles it again on every run; engines that can keep a compiled
    // statement do so.
    virtual std::unique_ptr<IDbStatement> Prepare(std::string_view sql);
    virtual void BeginTransaction() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;
};

// The parts of a connection string "Key=Value;Key=Value" (keys compared
// without regard to case; values may be quoted with " or ').
struct TConnectionParams {
    std::string Provider;   // "SQLITE" when not given
    std::string DataSource; // the database file
    std::string Mode;       // "ReadWrite" (default), "Read", or "Create" (creates a missing file)
};
// A text without "=" is a plain database file path.
TConnectionParams ParseConnectionString(std::string_view connectionString);

// Opens the engine the connection string names. Raises EDBEngineError for a
// provider that is not available and when the database cannot be opened.
std::unique_ptr<IDbEngine> OpenDbEngine(std::string_view connectionString);

// The SQLite engine on a database file. "db..table" names the table of the
// company database "db": the file "<db>.db" in the folder of this file,
// attached on first use as schema "db" (the file itself when it is named
// "<db>.db"). A missing file raises EDBEngineError unless mode is "Create".
std::unique_ptr<IDbEngine> OpenSqliteEngine(const std::string& fileName, const std::string& mode);

#pragma once
// Translation of the SQL Server dialect in which the system writes its SQL
// texts into the dialect of the embedded engine (SQLite). String literals,
// quoted identifiers and comments are copied unchanged. Named parameters
// (":NAME") are left for the engine to bind.
//
//   ISNULL(a, b)            -> IFNULL(a, b)
//   GETDATE()               -> the local time as text "YYYY-MM-DD HH:MM:SS.SSS"
//   CONVERT(CHAR(n), x)     -> x as text padded with blanks (and cut) to n
//   CONVERT(VARCHAR(n), x)  -> x as text cut to n characters (also NCHAR, NVARCHAR)
//   CAST(x AS BIGINT)       -> CAST(x AS INTEGER)
//   db..table               -> db.table   (the schema name given by schemaFor)
//   $$TABLE                 -> TABLE      (a company prefix left unreplaced)
//
// Everything else (UPPER, LIKE, UNION, joins, CASE, sub-queries) is common
// to both dialects and passes through.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// schemaFor maps the database name of "db..table" to the schema name the
// engine knows it by; without it the name is kept.
std::string TranslateSql(std::string_view sql,
                         const std::function<std::string(const std::string& database)>& schemaFor = nullptr);

// The database names used as "db..table", each once, in order of appearance.
std::vector<std::string> SqlDatabaseRefs(std::string_view sql);

// The names of the ":NAME" parameters, each once (compared without regard to
// case), in order of appearance; literals, comments and "::" are skipped.
std::vector<std::string> SqlParamNames(std::string_view sql);

// Replaces each "$$" outside literals, quoted names and comments by the
// company database prefix "<database>.." (so "$$ACRMA" reads the company's
// table ACRMA through the "db..table" form above).
std::string ExpandCompanyPrefix(std::string_view sql, std::string_view database);

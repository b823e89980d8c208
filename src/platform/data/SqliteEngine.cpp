// The SQLite engine. Only the platform layer talks to SQLite.
#include <sqlite3.h>

#include <cctype>
#include <cstdio>
#include <map>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DbEngine.h"
#include "platform/data/SqlDialect.h"
#include "platform/os/Paths.h"

namespace {

[[noreturn]] void RaiseEngineError(sqlite3* db, const std::string& context)
{
    const int code = db ? sqlite3_extended_errcode(db) : SQLITE_ERROR;
    const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    throw EDBEngineError(context.empty() ? message : context + ": " + message, {TDBError{code, message}});
}

// Date-time values are stored as the text GETDATE() produces, so both
// compare and read back alike.
std::string DateTimeText(double value)
{
    int y, m, d, h, n, s, z;
    DecodeDate(value, y, m, d);
    DecodeTime(value, h, n, s, z);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, h, n, s, z);
    return buf;
}

class TStatement {
public:
    explicit TStatement(sqlite3_stmt* stmt) : FStmt(stmt) {}
    ~TStatement() { sqlite3_finalize(FStmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
    sqlite3_stmt* get() const { return FStmt; }

private:
    sqlite3_stmt* FStmt;
};

class TSqliteEngine final : public IDbEngine {
public:
    TSqliteEngine(const std::string& fileName, const std::string& mode)
    {
        const std::string path = os::NativePath(fileName);
        int flags = SQLITE_OPEN_READWRITE;
        if (SameText(mode, "Read")) flags = SQLITE_OPEN_READONLY;
        else if (SameText(mode, "Create")) flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        else if (!mode.empty() && !SameText(mode, "ReadWrite"))
            throw EDBEngineError("Unknown connection mode '" + mode + "'");
        // Connecting to a mistyped path must not leave an empty database
        // behind, so only "Create" makes a missing file.
        if (!(flags & SQLITE_OPEN_CREATE) && !os::FileExists(path))
            throw EDBEngineError("The database file '" + path + "' does not exist");
        if (sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr) != SQLITE_OK) {
            const std::string message = FDb ? sqlite3_errmsg(FDb) : "out of memory";
            sqlite3_close_v2(FDb);
            FDb = nullptr;
            throw EDBEngineError("Cannot open the database '" + path + "': " + message);
        }
        sqlite3_busy_timeout(FDb, 5000);
        FFolder = os::ExtractFilePath(path);
        FMainName = os::ChangeFileExt(os::ExtractFileName(path), "");
    }

    ~TSqliteEngine() override { sqlite3_close_v2(FDb); }

    TDbResult Execute(std::string_view sql, const std::vector<TDbParam>& params) override
    {
        const std::string text = TranslateSql(sql, [this](const std::string& db) { return SchemaFor(db); });
        TDbResult result;
        bool haveRows = false;
        const char* p = text.c_str();
        const char* end = p + text.size();
        while (p < end) {
            sqlite3_stmt* raw = nullptr;
            const char* tail = nullptr;
            if (sqlite3_prepare_v2(FDb, p, static_cast<int>(end - p), &raw, &tail) != SQLITE_OK)
                RaiseEngineError(FDb, "");
            p = tail ? tail : end;
            if (!raw) continue; // only blanks or comments were left
            TStatement stmt(raw);
            TDbResult current = Run(raw, params);
            const int columns = static_cast<int>(current.Columns.size());
            if (columns > 0 || !haveRows) {
                haveRows = haveRows || columns > 0;
                result = std::move(current);
            }
        }
        return result;
    }

    std::unique_ptr<IDbStatement> Prepare(std::string_view sql) override;

    // Binds the values, steps the statement to its end and collects the rows.
    static TDbResult Run(sqlite3_stmt* raw, const std::vector<TDbParam>& params)
    {
        sqlite3* db = sqlite3_db_handle(raw);
        Bind(raw, params);
        const sqlite3_int64 before = sqlite3_total_changes64(db);
        TDbResult current;
        const int columns = sqlite3_column_count(raw);
        for (int c = 0; c < columns; ++c) current.Columns.emplace_back(sqlite3_column_name(raw, c));
        int rc;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            std::vector<Variant> row(columns);
            for (int c = 0; c < columns; ++c) row[c] = ColumnValue(raw, c);
            current.Rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) RaiseEngineError(db, "");
        current.RowsAffected = sqlite3_total_changes64(db) != before ? sqlite3_changes64(db) : 0;
        return current;
    }

    TDbResult ExecuteSelect(std::string_view sql, const std::vector<TDbParam>& params) override
    {
        const std::string text = TranslateSql(sql, [this](const std::string& db) { return SchemaFor(db); });
        const std::string first = FirstKeyword(text);
        if (!SameText(first, "SELECT") && !SameText(first, "WITH"))
            throw EDBEngineError(first.empty() ? std::string("The query text is empty")
                                               : "Only a SELECT query may be run here, not '" + first + "'");
        const char* end = text.c_str() + text.size();
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        TReadOnlyGuard guard(FDb);
        const int rc = sqlite3_prepare_v2(FDb, text.c_str(), static_cast<int>(text.size()), &raw, &tail);
        guard.Release();
        if (rc != SQLITE_OK) {
            if (!guard.Denied.empty())
                throw EDBEngineError("The query may only read data: " + guard.Denied + " is not allowed");
            RaiseEngineError(FDb, "");
        }
        TStatement stmt(raw);
        if (!raw) throw EDBEngineError("The query text is empty");
        if (tail && tail < end) {
            sqlite3_stmt* next = nullptr;
            const int rest = sqlite3_prepare_v2(FDb, tail, static_cast<int>(end - tail), &next, nullptr);
            TStatement nextStmt(next);
            if (rest != SQLITE_OK || next)
                throw EDBEngineError("Only one statement may be run here; the text holds more than one");
        }
        if (!sqlite3_stmt_readonly(raw)) throw EDBEngineError("The query may only read data");
        return Run(raw, params);
    }

    void BeginTransaction() override
    {
        Exec("BEGIN IMMEDIATE");
        FInTransaction = true;
    }
    void Commit() override
    {
        Exec("COMMIT");
        FInTransaction = false;
    }
    void Rollback() override
    {
        FInTransaction = false;
        Exec("ROLLBACK");
    }
    bool InTransaction() const override { return FInTransaction; }

private:
    // Refuses, while a query is compiled, every action but reading: writes,
    // ATTACH, PRAGMA, transactions, schema changes, recursive queries and
    // functions that reach outside the query. Denied keeps the first refusal.
    class TReadOnlyGuard {
    public:
        explicit TReadOnlyGuard(sqlite3* db) : FDb(db) { sqlite3_set_authorizer(FDb, &Authorize, this); }
        ~TReadOnlyGuard() { Release(); }
        TReadOnlyGuard(const TReadOnlyGuard&) = delete;
        TReadOnlyGuard& operator=(const TReadOnlyGuard&) = delete;
        void Release()
        {
            if (FDb) sqlite3_set_authorizer(FDb, nullptr, nullptr);
            FDb = nullptr;
        }
        std::string Denied;

    private:
        static int Authorize(void* self, int action, const char* a, const char* b, const char*, const char*)
        {
            auto* guard = static_cast<TReadOnlyGuard*>(self);
            switch (action) {
            case SQLITE_SELECT:
            case SQLITE_READ:
                return SQLITE_OK;
            case SQLITE_FUNCTION: {
                static const char* const unsafe[] = {"load_extension", "fts3_tokenizer", "readfile",
                                                     "writefile",      "edit",           "sqlite_dbpage"};
                const std::string name = b ? b : "";
                for (const char* u : unsafe)
                    if (SameText(name, u)) return guard->Deny("the function " + name);
                return SQLITE_OK;
            }
            case SQLITE_INSERT: return guard->Deny("INSERT");
            case SQLITE_UPDATE: return guard->Deny("UPDATE");
            case SQLITE_DELETE: return guard->Deny("DELETE");
            case SQLITE_ATTACH: return guard->Deny("ATTACH");
            case SQLITE_DETACH: return guard->Deny("DETACH");
            case SQLITE_PRAGMA: return guard->Deny("PRAGMA");
            case SQLITE_TRANSACTION: return guard->Deny("a transaction statement");
            case SQLITE_RECURSIVE: return guard->Deny("a recursive query");
            default:
                return guard->Deny("statement kind " + std::to_string(action) + (a ? std::string(" on ") + a : ""));
            }
        }
        int Deny(std::string what)
        {
            if (Denied.empty()) Denied = std::move(what);
            return SQLITE_DENY;
        }
        sqlite3* FDb;
    };

    // The first word of the text after blanks, comments and "(".
    static std::string FirstKeyword(const std::string& text)
    {
        std::size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(') {
                ++i;
            } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
                while (i < text.size() && text[i] != '\n') ++i;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
                const std::size_t e = text.find("*/", i + 2);
                i = e == std::string::npos ? text.size() : e + 2;
            } else {
                break;
            }
        }
        std::size_t j = i;
        while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_')) ++j;
        if (j == i && i < text.size()) j = i + 1;
        return text.substr(i, j - i);
    }

    void Exec(const char* sql)
    {
        if (sqlite3_exec(FDb, sql, nullptr, nullptr, nullptr) != SQLITE_OK) RaiseEngineError(FDb, sql);
    }

    // The schema under which "db..table" is reached: "main" for this file's
    // own name, otherwise "<db>.db" beside it, attached on first use.
    std::string SchemaFor(const std::string& db)
    {
        if (SameText(db, FMainName)) return "main";
        const std::string key = UpperCase(db);
        if (FAttached.count(key)) return FAttached[key];
        const std::string path = FFolder + db + ".db";
        if (!os::FileExists(path)) throw EDBEngineError("The database '" + db + "' does not exist ('" + path + "')");
        std::string quoted = "\"";
        for (char c : db) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        quoted += '"';
        const std::string attach = "ATTACH DATABASE ?1 AS " + quoted;
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(FDb, attach.c_str(), -1, &raw, nullptr) != SQLITE_OK)
            RaiseEngineError(FDb, "Cannot attach the database '" + db + "'");
        TStatement stmt(raw);
        const std::string uri = path;
        sqlite3_bind_text(raw, 1, uri.c_str(), static_cast<int>(uri.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(raw) != SQLITE_DONE) RaiseEngineError(FDb, "Cannot attach the database '" + db + "'");
        FAttached[key] = db;
        return db;
    }

    static void Bind(sqlite3_stmt* stmt, const std::vector<TDbParam>& params)
    {
        const int count = sqlite3_bind_parameter_count(stmt);
        for (int k = 1; k <= count; ++k) {
            const char* rawName = sqlite3_bind_parameter_name(stmt, k);
            const std::string name = rawName && *rawName ? std::string(rawName + 1) : std::string();
            const TDbParam* param = nullptr;
            for (const auto& p : params)
                if (SameText(p.Name, name)) param = &p;
            if (!param) throw EDBEngineError("No value given for the parameter '" + name + "'");
            BindValue(stmt, k, param->Value, name);
        }
    }

    static void BindValue(sqlite3_stmt* stmt, int k, const Variant& v, const std::string& name)
    {
        int rc = SQLITE_OK;
        std::visit(
            [&](const auto& x) {
                using X = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<X, std::monostate> || std::is_same_v<X, Variant::NullTag>)
                    rc = sqlite3_bind_null(stmt, k);
                else if constexpr (std::is_same_v<X, bool>)
                    rc = sqlite3_bind_int(stmt, k, x ? 1 : 0);
                else if constexpr (std::is_same_v<X, std::int32_t> || std::is_same_v<X, std::int64_t>)
                    rc = sqlite3_bind_int64(stmt, k, x);
                else if constexpr (std::is_same_v<X, double>)
                    rc = sqlite3_bind_double(stmt, k, x);
                else if constexpr (std::is_same_v<X, Variant::DateValue>) {
                    const std::string t = DateTimeText(x.Value);
                    rc = sqlite3_bind_text(stmt, k, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
                } else if constexpr (std::is_same_v<X, std::string>)
                    rc = sqlite3_bind_text(stmt, k, x.c_str(), static_cast<int>(x.size()), SQLITE_TRANSIENT);
                else if constexpr (std::is_same_v<X, std::u16string>) {
                    const std::string t = Utf16ToUtf8Lenient(x);
                    rc = sqlite3_bind_text(stmt, k, t.c_str(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
                } else
                    throw EDBEngineError("The parameter '" + name + "' holds an array or object");
            },
            v.Value());
        if (rc != SQLITE_OK) RaiseEngineError(sqlite3_db_handle(stmt), "Cannot bind the parameter '" + name + "'");
    }

    static Variant ColumnValue(sqlite3_stmt* stmt, int c)
    {
        switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 n = sqlite3_column_int64(stmt, c);
            if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<std::int32_t>(n));
            return Variant(static_cast<std::int64_t>(n));
        }
        case SQLITE_FLOAT:
            return Variant(sqlite3_column_double(stmt, c));
        case SQLITE_NULL:
            return Variant::Null();
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            return Variant(std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
        }
        }
    }

    sqlite3* FDb = nullptr;
    std::string FFolder;
    std::string FMainName;
    std::map<std::string, std::string> FAttached;
    bool FInTransaction = false;
};

// A statement compiled once. After every run it is reset and its values
// cleared, so it holds no lock between runs.
class TSqliteStatement final : public IDbStatement {
public:
    explicit TSqliteStatement(sqlite3_stmt* stmt) : FStmt(stmt) {}

    TDbResult Execute(const std::vector<TDbParam>& params) override
    {
        struct TResetter {
            sqlite3_stmt* Stmt;
            ~TResetter()
            {
                sqlite3_reset(Stmt);
                sqlite3_clear_bindings(Stmt);
            }
        } resetter{FStmt.get()};
        return TSqliteEngine::Run(FStmt.get(), params);
    }

private:
    TStatement FStmt;
};

std::unique_ptr<IDbStatement> TSqliteEngine::Prepare(std::string_view sql)
{
    const std::string text = TranslateSql(sql, [this](const std::string& db) { return SchemaFor(db); });
    const char* end = text.c_str() + text.size();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(FDb, text.c_str(), static_cast<int>(text.size()), &raw, &tail) != SQLITE_OK)
        RaiseEngineError(FDb, "");
    if (!raw) return IDbEngine::Prepare(sql); // nothing but blanks or comments
    auto statement = std::make_unique<TSqliteStatement>(raw);
    // Only blanks or comments may follow; a text of several statements runs
    // as a whole each time instead.
    if (tail && tail < end) {
        sqlite3_stmt* next = nullptr;
        const int rc = sqlite3_prepare_v2(FDb, tail, static_cast<int>(end - tail), &next, nullptr);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next) return IDbEngine::Prepare(sql);
    }
    return statement;
}

} // namespace

std::unique_ptr<IDbEngine> OpenSqliteEngine(const std::string& fileName, const std::string& mode)
{
    return std::make_unique<TSqliteEngine>(fileName, mode);
}

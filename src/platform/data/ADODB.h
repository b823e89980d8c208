#pragma once
// The database connection and query components used by forms that talk to
// the company database directly. The connection opens an engine from its
// connection string (DbEngine.h); a query runs its SQL text with named
// parameters ":NAME" and keeps the rows it read in memory.
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/DateTime.h"
#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSet.h"
#include "platform/data/DbEngine.h"

class TKvADOQuery;

class TKvADOConnection : public TObject {
    ORVANE_CLASS_INFO
public:
    TKvADOConnection();
    ~TKvADOConnection() override;
    TKvADOConnection(const TKvADOConnection&) = delete;
    TKvADOConnection& operator=(const TKvADOConnection&) = delete;

    // "Provider=SQLITE;Data Source=/path/company.db" or a plain file path.
    // Changing it while connected raises EDatabaseError.
    const std::string& ConnectionString() const { return FConnectionString; }
    void SetConnectionString(const std::string& value);
    // Kept for the forms that switch it off; there is no login dialog here.
    bool LoginPrompt = true;

    bool Connected() const { return FEngine != nullptr; }
    void SetConnected(bool value);
    void Open();
    void Close();

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return FEngine && FEngine->InTransaction(); }

    // The open engine; raises EDatabaseError when not connected.
    IDbEngine& Engine();

private:
    friend class TKvADOQuery;
    std::string FConnectionString;
    std::unique_ptr<IDbEngine> FEngine;
    std::set<TKvADOQuery*> FQueries; // told when the connection goes away
};

class TParameter {
public:
    explicit TParameter(std::string name) : FName(std::move(name)) {}
    TParameter(const TParameter&) = delete;
    TParameter& operator=(const TParameter&) = delete;

    const std::string& Name() const { return FName; }
    const Variant& Value() const { return FValue; }
    void SetValue(const Variant& value) { FValue = value; }
    TParameter& operator=(const Variant& value)
    {
        FValue = value;
        return *this;
    }

private:
    std::string FName;
    Variant FValue;
};

class TParameters {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TParameter& Items(int index) const;
    TParameter* FindParam(std::string_view name) const;
    TParameter& ParamByName(std::string_view name) const; // raises EDatabaseError when absent

private:
    friend class TKvADOQuery;
    std::vector<std::unique_ptr<TParameter>> FItems;
};

// A column of the current row of a query.
class TQueryField {
public:
    TQueryField(const TKvADOQuery* query, std::string name, int index)
        : FQuery(query), FName(std::move(name)), FIndex(index)
    {
    }
    const std::string& FieldName() const { return FName; }
    Variant Value() const;
    bool IsNull() const { return Value().IsNull(); }
    std::string AsString() const;   // "" for null
    std::int32_t AsInteger() const; // 0 for null; raises EConvertError for a text that is no integer
    double AsFloat() const;
    // Date-time values arrive as texts "YYYY-MM-DD HH:MM:SS.SSS" (the form
    // GETDATE() produces) or as "yyyymmdd"; raises EConvertError otherwise.
    TDateTime AsDateTime() const;

private:
    const TKvADOQuery* FQuery;
    std::string FName;
    int FIndex;
};

class TKvADOQuery : public TObject {
    ORVANE_CLASS_INFO
public:
    TKvADOQuery();
    ~TKvADOQuery() override;
    TKvADOQuery(const TKvADOQuery&) = delete;
    TKvADOQuery& operator=(const TKvADOQuery&) = delete;

    TKvADOConnection* Connection() const { return FConnection; }
    void SetConnection(TKvADOConnection* value);

    // The statement text. The parameter list follows it: whenever the text
    // changed, the parameters are made anew from its ":NAME" markers, with
    // no value (bound as NULL).
    TStringList SQL;
    TParameters& Parameters();
    TParameter& ParamByName(std::string_view name) { return Parameters().ParamByName(name); }

    // Runs the text, which must return rows, and moves to the first row. The
    // connection is opened when it is not yet. An open query whose text has
    // changed since is run again.
    void Open();
    void Close();
    bool Active() const { return FActive; }
    void SetActive(bool value);
    // Runs the text; returns the number of rows inserted, changed or deleted.
    long long ExecSQL();
    // When set, the statement is compiled once and kept while the text and
    // the connection stay the same, so running it many times (bulk inserts)
    // costs only the binding of the values and the run.
    bool Prepared() const { return FPrepared; }
    void SetPrepared(bool value);
    long long RowsAffected() const { return FRowsAffected; }

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    int RecordCount() const { return static_cast<int>(FRows.size()); }
    int RecNo() const { return FRows.empty() ? 0 : FCurrent + 1; }
    bool IsEmpty() const { return FRows.empty(); }

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TQueryField& Fields(int index) const;
    TQueryField* FindField(std::string_view name) const;
    TQueryField& FieldByName(std::string_view name) const; // raises EDatabaseError when absent

private:
    friend class TQueryField;
    friend class TKvADOConnection;
    TDbResult Run();
    void CheckActive() const;

    TKvADOConnection* FConnection = nullptr;
    TParameters FParams;
    std::string FParsedText;
    std::string FOpenText; // the text whose rows are open
    bool FParsed = false;
    bool FActive = false;
    std::vector<std::unique_ptr<TQueryField>> FFields;
    std::vector<std::vector<Variant>> FRows;
    int FCurrent = 0;
    bool FEof = true;
    bool FBof = true;
    long long FRowsAffected = 0;
    bool FPrepared = false;
    std::unique_ptr<IDbStatement> FStatement; // compiled FStatementText, while Prepared
    std::string FStatementText;
};

#include "platform/data/ADODB.h"

#include "platform/core/SysUtils.h"
#include "platform/data/SqlDialect.h"

// TKvADOConnection -----------------------------------------------------------

TKvADOConnection::TKvADOConnection() = default;

TKvADOConnection::~TKvADOConnection()
{
    for (TKvADOQuery* query : FQueries) {
        query->FStatement.reset();
        query->FConnection = nullptr;
    }
}

const TClassInfo& TKvADOConnection::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TKvADOConnection>("TKvADOConnection", TObject::StaticClass())
            .Prop<std::string>("ConnectionString", &TKvADOConnection::ConnectionString,
                               &TKvADOConnection::SetConnectionString)
            .Field("LoginPrompt", &TKvADOConnection::LoginPrompt)
            .Prop<bool>("Connected", &TKvADOConnection::Connected, &TKvADOConnection::SetConnected)
            .Build();
    return info;
}

void TKvADOConnection::SetConnectionString(const std::string& value)
{
    if (Connected() && value != FConnectionString)
        throw EDatabaseError("Cannot change the connection string of an open connection");
    FConnectionString = value;
}

void TKvADOConnection::SetConnected(bool value)
{
    if (value) Open();
    else Close();
}

void TKvADOConnection::Open()
{
    if (Connected()) return;
    FEngine = OpenDbEngine(FConnectionString);
}

void TKvADOConnection::Close()
{
    if (FEngine && FEngine->InTransaction()) {
        try {
            FEngine->Rollback();
        } catch (const EPlatformError&) {
            // Closing the database ends the transaction anyway.
        }
    }
    // Compiled statements belong to the engine and go with it.
    for (TKvADOQuery* query : FQueries) query->FStatement.reset();
    FEngine.reset();
}

IDbEngine& TKvADOConnection::Engine()
{
    if (!FEngine) throw EDatabaseError("The connection is not open");
    return *FEngine;
}

void TKvADOConnection::BeginTrans() { Engine().BeginTransaction(); }
void TKvADOConnection::CommitTrans() { Engine().Commit(); }
void TKvADOConnection::RollbackTrans() { Engine().Rollback(); }

// TParameters -----------------------------------------------------------------

TParameter& TParameters::Items(int index) const
{
    if (index < 0 || index >= Count()) throw EDatabaseError("Parameter index out of range: " + IntToStr(index));
    return *FItems[index];
}

TParameter* TParameters::FindParam(std::string_view name) const
{
    for (const auto& p : FItems)
        if (SameText(p->Name(), name)) return p.get();
    return nullptr;
}

TParameter& TParameters::ParamByName(std::string_view name) const
{
    if (TParameter* p = FindParam(name)) return *p;
    throw EDatabaseError("Parameter '" + std::string(name) + "' not found");
}

// TQueryField -----------------------------------------------------------------

Variant TQueryField::Value() const
{
    FQuery->CheckActive();
    if (FQuery->FRows.empty() || FQuery->FCurrent >= static_cast<int>(FQuery->FRows.size())) return Variant::Null();
    return FQuery->FRows[FQuery->FCurrent][FIndex];
}

std::string TQueryField::AsString() const { return VarToStr(Value()); }

std::int32_t TQueryField::AsInteger() const
{
    const Variant v = Value();
    if (v.IsNull()) return 0;
    if (VarIsStr(v)) {
        const auto n = TryStrToInt(Trim(v.AsString()));
        if (!n) throw EConvertError("'" + v.AsString() + "' is not a valid integer value");
        return *n;
    }
    return v.AsInteger();
}

double TQueryField::AsFloat() const
{
    const Variant v = Value();
    if (v.IsNull()) return 0;
    if (VarIsStr(v)) {
        const auto n = TryStrToFloat(Trim(v.AsString()));
        if (!n) throw EConvertError("'" + v.AsString() + "' is not a valid floating point value");
        return *n;
    }
    return v.AsDouble();
}

TDateTime TQueryField::AsDateTime() const { return VarToDateTimeValue(Value()); }

// TKvADOQuery -------------------------------------------------------------------

TKvADOQuery::TKvADOQuery() = default;

TKvADOQuery::~TKvADOQuery()
{
    if (FConnection) FConnection->FQueries.erase(this);
}

const TClassInfo& TKvADOQuery::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TKvADOQuery>("TKvADOQuery", TObject::StaticClass())
            .Prop<TKvADOConnection*>("Connection", &TKvADOQuery::Connection, &TKvADOQuery::SetConnection)
            .Prop<bool>("Active", &TKvADOQuery::Active, &TKvADOQuery::SetActive)
            .Prop<bool>("Prepared", &TKvADOQuery::Prepared, &TKvADOQuery::SetPrepared)
            .Build();
    return info;
}

void TKvADOQuery::SetConnection(TKvADOConnection* value)
{
    if (value == FConnection) return;
    Close();
    FStatement.reset();
    if (FConnection) FConnection->FQueries.erase(this);
    FConnection = value;
    if (FConnection) FConnection->FQueries.insert(this);
}

TParameters& TKvADOQuery::Parameters()
{
    const std::string text = SQL.Text();
    if (!FParsed || text != FParsedText) {
        FParams.FItems.clear();
        for (const auto& name : SqlParamNames(text)) FParams.FItems.push_back(std::make_unique<TParameter>(name));
        FParsedText = text;
        FParsed = true;
    }
    return FParams;
}

TDbResult TKvADOQuery::Run()
{
    if (!FConnection) throw EDatabaseError("The query has no connection");
    FConnection->Open();
    const TParameters& params = Parameters();
    std::vector<TDbParam> values;
    for (const auto& p : params.FItems) values.push_back({p->Name(), p->Value()});
    if (!FPrepared) return FConnection->Engine().Execute(FParsedText, values);
    if (!FStatement || FStatementText != FParsedText) {
        FStatement.reset();
        FStatement = FConnection->Engine().Prepare(FParsedText);
        FStatementText = FParsedText;
    }
    return FStatement->Execute(values);
}

void TKvADOQuery::SetPrepared(bool value)
{
    FPrepared = value;
    if (!value) FStatement.reset();
}

void TKvADOQuery::Open()
{
    // Changing the text closes the query, as a new statement needs a new run.
    // (Compared with the text that was run: reading the parameters of a new
    // text already parses it.)
    if (FActive && SQL.Text() == FOpenText) return;
    Close();
    TDbResult result = Run();
    FOpenText = FParsedText;
    if (result.Columns.empty()) throw EDatabaseError("The statement returns no rows to open");
    FFields.clear();
    for (std::size_t c = 0; c < result.Columns.size(); ++c)
        FFields.push_back(std::make_unique<TQueryField>(this, result.Columns[c], static_cast<int>(c)));
    FRows = std::move(result.Rows);
    FRowsAffected = 0;
    FActive = true;
    First();
}

void TKvADOQuery::Close()
{
    FActive = false;
    FFields.clear();
    FRows.clear();
    FCurrent = 0;
    FEof = FBof = true;
}

void TKvADOQuery::SetActive(bool value)
{
    if (value) Open();
    else Close();
}

long long TKvADOQuery::ExecSQL()
{
    Close();
    FRowsAffected = Run().RowsAffected;
    return FRowsAffected;
}

void TKvADOQuery::CheckActive() const
{
    if (!FActive) throw EDatabaseError("Cannot perform this operation on a closed query");
}

void TKvADOQuery::First()
{
    CheckActive();
    FCurrent = 0;
    FBof = true;
    FEof = FRows.empty();
}

void TKvADOQuery::Last()
{
    CheckActive();
    FCurrent = FRows.empty() ? 0 : RecordCount() - 1;
    FEof = true;
    FBof = FRows.empty();
}

void TKvADOQuery::Next()
{
    CheckActive();
    if (FCurrent + 1 < RecordCount()) {
        ++FCurrent;
        FBof = false;
    } else {
        FEof = true;
    }
}

void TKvADOQuery::Prior()
{
    CheckActive();
    if (FCurrent > 0) {
        --FCurrent;
        FEof = false;
    } else {
        FBof = true;
    }
}

TQueryField& TKvADOQuery::Fields(int index) const
{
    CheckActive();
    if (index < 0 || index >= FieldCount()) throw EDatabaseError("Field index out of range: " + IntToStr(index));
    return *FFields[index];
}

TQueryField* TKvADOQuery::FindField(std::string_view name) const
{
    for (const auto& f : FFields)
        if (SameText(f->FieldName(), Trim(name))) return f.get();
    return nullptr;
}

TQueryField& TKvADOQuery::FieldByName(std::string_view name) const
{
    CheckActive();
    if (TQueryField* f = FindField(name)) return *f;
    throw EDatabaseError("Field '" + std::string(name) + "' not found");
}

#include "suite/host/HostServices.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/midas/SocketConnection.h"
#include "platform/os/Library.h"
#include "runtime/OrvaneINI.h"
#include "suite/host/HostWindows.h"

namespace {

// The class name of the application server object.
constexpr const char* ServerClass = "ReportCounterS.dmReportCounter";

// A text as an SQL literal: quotes doubled, so no value can end the literal.
std::string Quoted(const std::string& text)
{
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
}

// Element i of an array (from its low bound), or the value itself for i = 0
// when it is no array; unassigned when missing.
Variant Element(const Variant& v, int i)
{
    if (!VarIsArray(v)) return i == 0 ? v : Variant();
    if (VarArrayDimCount(v) != 1) return Variant();
    const int index = VarArrayLowBound(v, 1) + i;
    return index <= VarArrayHighBound(v, 1) ? v[index] : Variant();
}

std::string ElementText(const Variant& v, int i)
{
    const Variant e = Element(v, i);
    return VarIsArray(e) ? std::string() : VarToStr(e);
}

Variant& Arg(std::vector<Variant>& args, std::size_t i)
{
    if (args.size() <= i) args.resize(i + 1);
    return args[i];
}

struct TTableSql {
    const char* Table;
    const char* Select; // the columns, key first
    const char* Key;
    const char* Filter; // what queries and pick lists leave out ("" for nothing)
};

const TTableSql TableSql[] = {
    {"ADMMB",
     "PROGRAM_ID, COALESCE(PROGRAM_NAME, '') AS PROGRAM_NAME, COALESCE(SYSTEM_CODE, '') AS SYSTEM_CODE, "
     "COALESCE(PROGRAM_KIND, '') AS PROGRAM_KIND, COALESCE(NO_DIRECT_RUN, 'N') AS NO_DIRECT_RUN, "
     "COALESCE(WANT_LOG, 'N') AS WANT_LOG, COALESCE(LIBRARY, '') AS LIBRARY, COALESCE(VERSION, '') AS VERSION, "
     "COALESCE(ENGLISH_NAME, '') AS ENGLISH_NAME",
     "UPPER(PROGRAM_ID) = UPPER(%s)", ""},
    {"KVTMA",
     "USER_ID, COALESCE(USER_NAME, '') AS USER_NAME, COALESCE(MOBILE, '') AS MOBILE, COALESCE(EMAIL, '') AS EMAIL",
     "USER_ID = %s", "COALESCE(DISABLED, 'N') <> 'Y'"},
    {"CMSMF",
     "MF001, COALESCE(MF002, '') AS MF002, COALESCE(AMOUNT_DECIMALS, 0) AS AMOUNT_DECIMALS, "
     "COALESCE(ENGLISH_NAME, '') AS ENGLISH_NAME",
     "MF001 = %s", ""},
};

// The output names of a select list ("X AS Y" gives Y).
std::string FieldList(const std::string& select)
{
    std::string fields;
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i <= select.size(); ++i) {
        if (i < select.size() && select[i] == '(') ++depth;
        if (i < select.size() && select[i] == ')') --depth;
        if (i == select.size() || (select[i] == ',' && depth == 0)) {
            std::string item = Trim(select.substr(start, i - start));
            const std::size_t as = UpperCase(item).rfind(" AS ");
            if (as != std::string::npos) item = Trim(item.substr(as + 4));
            fields += (fields.empty() ? "" : ",") + item;
            start = i + 1;
        }
    }
    return fields;
}

// A flag from a variant; anything that is no Boolean counts as false.
bool FlagOf(const Variant& v)
{
    if (v.IsEmpty() || v.IsNull() || VarIsArray(v)) return false;
    try {
        return v.AsBoolean();
    } catch (const std::exception&) {
        return false;
    }
}

std::string Replace(std::string text, const std::string& what, const std::string& with)
{
    const std::size_t p = text.find(what);
    if (p != std::string::npos) text.replace(p, what.size(), with);
    return text;
}

} // namespace

// Server link -----------------------------------------------------------------

THostServerLink::THostServerLink() = default;
THostServerLink::~THostServerLink() { Disconnect(); }

Variant THostServerLink::AppServer()
{
    if (!FAppServer.IsEmpty()) return FAppServer;
    TOrvaneIniC config;
    if (!config.ErrorCode.empty() || !VarIsArray(config.ServerList))
        throw EOleError("The client configuration names no application server (" +
                        (config.ErrorCode.empty() ? std::string("no server list") : config.ErrorCode) + ")");
    auto connection = std::make_unique<TSocketConnection>();
    connection->Address = Trim(VarToStr(config.ServerList(0, 0)));
    connection->Port = static_cast<int>(config.ServerList(1, 0).AsInteger());
    connection->ServerName = ServerClass;
    Variant app;
    if (connection->Address == "127.0.0.1") {
        connection->SetAppServer(Variant(os::CreateOleObject(ServerClass)));
        app = connection->AppServer();
    } else {
        connection->Open();
        app = connection->AppServer();
    }
    FConnection = std::move(connection);
    FAppServer = app;
    return FAppServer;
}

Variant THostServerLink::CallNamed(const std::string& name, Variant& params, const Variant& context)
{
    std::vector<Variant> args = {Variant(name), params, context};
    Variant result = OleInvoke(AppServer(), "CallMethod", args);
    params = args[1];
    return result;
}

void THostServerLink::Disconnect()
{
    FAppServer = Variant();
    if (FConnection) FConnection->Close();
    FConnection.reset();
}

// Context -----------------------------------------------------------------------

std::string THostContext::DatabaseOr(const std::string& asked) const
{
    if (!Trim(asked).empty()) return Trim(asked);
    if (!Database.empty()) return Database;
    return Company;
}

TModalResult THostContext::RunWindow(TForm& form)
{
    if (WindowRunner) return WindowRunner(form);
    return form.ShowModal();
}

const std::vector<TValidatorTable>& ValidatorTables()
{
    static const std::vector<TValidatorTable> tables = {
        {"ADMMB", {"Program", "Name", "System", "Kind", "No direct run", "Log", "Library", "Version", "English name"}},
        {"KVTMA", {"User", "Name", "Mobile", "E-mail"}},
        {"GENES", {"Scheme", "User", "Program", "Created"}},
        {"CMSMF", {"Currency", "Name", "Decimals", "English name"}},
    };
    return tables;
}

// Counter -------------------------------------------------------------------------

THostCounter::THostCounter(std::shared_ptr<THostContext> context) : FContext(std::move(context))
{
    RegisterMethod("GetCounter", [this](std::vector<Variant>& args) -> Variant {
        const std::string name = UpperCase(Trim(VarToStr(Arg(args, 0))));
        Variant context = Arg(args, 2);
        if (!VarIsArray(context)) context = VarArrayOf({Variant(FContext->Company), Variant(FContext->Database)});
        return FContext->Server.CallNamed(name, Arg(args, 1), context);
    });
    RegisterMethod("GetSysInfo", [this](std::vector<Variant>& args) -> Variant {
        const auto params = SystemParameters(VarToStr(Arg(args, 0)));
        if (params.empty()) return Variant();
        Variant result = VarArrayCreate({0, 1, 0, static_cast<int>(params.size()) - 1});
        for (std::size_t i = 0; i < params.size(); ++i) {
            result(0, static_cast<int>(i)) = Variant(params[i].first);
            result(1, static_cast<int>(i)) = Variant(params[i].second);
        }
        return result;
    });
}

std::vector<std::pair<std::string, std::string>> THostCounter::SystemParameters(const std::string& company)
{
    const std::string c = Trim(company).empty() ? FContext->Company : Trim(company);
    Variant params = VarArrayOf({Variant("SELECT NAME, VALUE FROM $$SYSTEM_PARAMETER WHERE COMPANY = " + Quoted(c) +
                                         " ORDER BY NAME"),
                                 Variant("NAME,VALUE")});
    const Variant rows =
        FContext->Server.CallNamed("SimpleSql", params, VarArrayOf({Variant(c), Variant(FContext->DatabaseOr(""))}));
    std::vector<std::pair<std::string, std::string>> result;
    if (!VarIsArray(rows)) return result;
    for (int r = VarArrayLowBound(rows, 1); r <= VarArrayHighBound(rows, 1); ++r)
        result.emplace_back(VarToStr(rows[r][0]), VarToStr(rows[r][1]));
    return result;
}

// Validator -----------------------------------------------------------------------

THostValidator::THostValidator(std::shared_ptr<THostContext> context) : FContext(std::move(context))
{
    RegisterProperty(
        "ProductID", [this] { return Variant(ProductID); },
        [this](const Variant& v) { ProductID = static_cast<int>(v.AsInteger()); });
    RegisterProperty(
        "BaseLimited", [this] { return Variant(BaseLimited); }, [this](const Variant& v) { BaseLimited = VarToStr(v); });
    RegisterMethod("CheckValue", [this](std::vector<Variant>& args) { return Variant(Check(args, false)); });
    RegisterMethod("QueryData", [this](std::vector<Variant>& args) { return Variant(Check(args, true)); });
}

Variant THostValidator::Query(const std::string& table, const std::string& database, const Variant& params, bool keyed)
{
    const std::string name = UpperCase(Trim(table));
    const std::string key = ElementText(params, 0);
    const bool byKey = keyed || !key.empty();
    if (name == "GENES") {
        const std::string user = ElementText(params, 1).empty() ? FContext->User : ElementText(params, 1);
        const std::string program = ElementText(params, 2);
        if (Trim(user).empty() || Trim(program).empty()) return Variant();
        const Variant app = FContext->Server.AppServer();
        OleInvoke(app, "LoadTable", {VarArrayOf({Variant(user), Variant(program)})});
        const Variant packet = OleInvoke(app, "GetProviderData", {Variant("pvdConSave")});
        const Variant rows = Element(packet, 1);
        std::vector<Variant> found;
        if (VarIsArray(rows))
            for (int r = VarArrayLowBound(rows, 1); r <= VarArrayHighBound(rows, 1); ++r) {
                const Variant& row = rows[r];
                if (byKey && ElementText(row, 0) != key) continue;
                found.push_back(VarArrayOf({Element(row, 0), Element(row, 1), Element(row, 2), Element(row, 5)}));
            }
        if (found.empty()) return Variant();
        return VarArrayOf(found);
    }
    for (const TTableSql& t : TableSql) {
        if (name != t.Table) continue;
        std::string sql = std::string("SELECT ") + t.Select + " FROM $$" + t.Table;
        std::string where;
        if (byKey) where = Replace(t.Key, "%s", Quoted(key));
        if (!keyed && *t.Filter) where += (where.empty() ? "" : " AND ") + std::string(t.Filter);
        if (!where.empty()) sql += " WHERE " + where;
        sql += " ORDER BY 1";
        Variant call = VarArrayOf({Variant(sql), Variant(FieldList(t.Select))});
        return FContext->Server.CallNamed(
            "SimpleSql", call, VarArrayOf({Variant(FContext->Company), Variant(FContext->DatabaseOr(database))}));
    }
    throw EOleError("The validator knows no table '" + Trim(table) + "'");
}

bool THostValidator::Check(std::vector<Variant>& args, bool query)
{
    const std::string table = UpperCase(Trim(VarToStr(Arg(args, 0))));
    const std::string database = VarToStr(Arg(args, 2));
    Variant& result = Arg(args, 4);
    result = Variant();
    const Variant rows = Query(table, database, Arg(args, 3), !query);
    if (!VarIsArray(rows) || VarArrayHighBound(rows, 1) < VarArrayLowBound(rows, 1)) return false;
    if (query) {
        result = rows;
        return true;
    }
    Variant record = rows[VarArrayLowBound(rows, 1)];
    if (table == "ADMMB") {
        // The record of a program is the row after its key.
        const int high = VarArrayHighBound(record, 1);
        Variant rest = VarArrayCreate({0, high - 1});
        for (int k = 1; k <= high; ++k) rest[k - 1] = record[k];
        record = rest;
    }
    result = record;
    return true;
}

// Quick pick ----------------------------------------------------------------------

THostQuickPick::THostQuickPick(std::shared_ptr<THostContext> context) : FContext(std::move(context))
{
    RegisterMethod("F2GetData", [this](std::vector<Variant>& args) { return F2GetData(Arg(args, 0)); });
    RegisterMethod("GetPhrase", [](std::vector<Variant>&) { return Variant(std::string()); });
    RegisterMethod("ShowInputDay", [this](std::vector<Variant>& args) { return ShowInputDay(Arg(args, 0)); });
}

Variant THostQuickPick::F2GetData(const Variant& request)
{
    const std::string table = UpperCase(Trim(ElementText(request, 0)));
    const Variant params = Element(request, 2);
    const bool several = FlagOf(Element(request, 3));
    const std::string defaultKey = Trim(ElementText(request, 4));
    const std::string database = ElementText(request, 6);

    THostValidator validator(FContext);
    const Variant rows = validator.Query(table, database, params, false);
    if (!VarIsArray(rows)) return Variant();
    std::vector<std::string> columns;
    for (const TValidatorTable& t : ValidatorTables())
        if (t.Name == table) columns = t.Columns;
    std::unique_ptr<TPickListForm> form(new TPickListForm(Application, table, columns, rows, several, defaultKey));
    form->SetTable(table);
    if (FContext->RunWindow(*form) != mrOk) return Variant();
    return form->PickedRows();
}

Variant THostQuickPick::ShowInputDay(const Variant& request)
{
    const bool roc = VarIsArray(request) && FlagOf(Element(request, 0));
    const std::string start = VarIsArray(request) ? ElementText(request, 1) : VarToStr(request);
    std::unique_ptr<TDatePickForm> form(new TDatePickForm(Application, start, roc));
    if (FContext->RunWindow(*form) != mrOk) return Variant(std::string());
    return Variant(form->Date());
}

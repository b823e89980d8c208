#include "suite/appserver/ReportCounterS.h"

#include "platform/core/SysUtils.h"
#include "suite/appserver/AppServer.h"

namespace {

std::string Text(const Variant& v) { return v.IsEmpty() || v.IsNull() ? std::string() : v.AsString(); }

void NeedArgs(const std::vector<Variant>& args, std::size_t n, const char* method, const char* shape)
{
    if (args.size() < n) throw EAppServerError(std::string(method) + " expects " + shape);
}

Variant Element(const Variant& v, int k)
{
    if (!v.IsArray() || VarArrayDimCount(v) != 1) return Variant();
    const int i = VarArrayLowBound(v, 1) + k;
    return i <= VarArrayHighBound(v, 1) ? v[i] : Variant();
}

const TAutoClassRegistration Registration(AppServerClassName, [] {
    return std::make_shared<TdmReportCounter>(TAppServer::Current());
});

} // namespace

void TdmReportCounter::Method(std::string name, TAutoMethod method)
{
    RegisterMethod(std::move(name), [this, method = std::move(method)](std::vector<Variant>& args) -> Variant {
        try {
            return method(args);
        } catch (const EPlatformError& e) {
            FLastError = e.Message();
            throw;
        } catch (const std::exception& e) {
            FLastError = e.what();
            throw EAppServerError(e.what());
        }
    });
}

TdmReportCounter::TdmReportCounter(std::shared_ptr<TAppServer> server) : FServer(std::move(server))
{
    auto request = [this](std::vector<Variant>& args, bool direct) -> Variant {
        try {
            NeedArgs(args, direct ? 2 : 1, direct ? "Request1" : "Request",
                     direct ? "(job parameters, computer name)" : "(job parameters)");
            return Variant(FServer->SubmitJob(args[0], direct ? Text(args[1]) : std::string(), direct));
        } catch (const std::exception& e) {
            FLastError = e.what();
            TAppServer::Log(std::string(direct ? "Request1" : "Request") + " refused: " + FLastError);
            return Variant("ERROR");
        }
    };
    RegisterMethod("Request", [request](std::vector<Variant>& args) { return request(args, false); });
    RegisterMethod("Request1", [request](std::vector<Variant>& args) { return request(args, true); });
    RegisterMethod("ErrorDescript", [this](std::vector<Variant>&) { return Variant(FLastError); });
    RegisterProperty("ErrorDescript", [this] { return Variant(FLastError); });

    Method("ExecSvrDLL", [this](std::vector<Variant>& args) {
        NeedArgs(args, 12, "ExecSvrDLL",
                 "(job, program ID, \"\", company, user, server class, kind, database, values, 1, sub job, "
                 "product number)");
        FServer->ExecServerLibrary(Text(args[0]), Text(args[1]), Text(args[3]), Text(args[4]), Text(args[6]),
                                   Trim(Text(args[7])), args[8], args[11].IsEmpty() ? DefaultProductNumber : args[11].AsInteger());
        return Variant();
    });
    Method("UpdateStatus1", [this](std::vector<Variant>& args) {
        NeedArgs(args, 2, "UpdateStatus1", "(job, messages, date and time)");
        FServer->UpdateStatus(Text(args[0]), Text(args[1]), args.size() > 2 ? args[2] : Variant());
        return Variant();
    });
    Method("GetPower", [this](std::vector<Variant>& args) {
        NeedArgs(args, 1, "GetPower", "([database, user, program ID, \"\"])");
        return FServer->GetPower(args[0]);
    });
    Method("SQLType", [](std::vector<Variant>&) { return Variant(SqlTypeSqlite); });
    RegisterProperty("SQLType", [] { return Variant(SqlTypeSqlite); });

    Method("LoadTable", [this](std::vector<Variant>& args) {
        NeedArgs(args, 1, "LoadTable", "([user, program ID])");
        const Variant user = Element(args[0], 0);
        const Variant program = Element(args[0], 1);
        if (Trim(Text(user)).empty() || Trim(Text(program)).empty())
            throw EAppServerError("LoadTable expects [user, program ID]");
        FTableUser = Text(user);
        FTableProgram = Text(program);
        FTableLoaded = true;
        return Variant();
    });
    Method("GetProviderData", [this](std::vector<Variant>& args) {
        NeedArgs(args, 1, "GetProviderData", "(provider name)");
        const std::string provider = Trim(Text(args[0]));
        if (!SameText(provider, "pvdConSave")) throw EAppServerError("Unknown provider '" + provider + "'");
        if (!FTableLoaded) throw EAppServerError("The provider pvdConSave needs LoadTable first");
        return FServer->SchemePacket(FTableUser, FTableProgram);
    });

    auto textResult = [this](std::vector<Variant>& args, std::size_t n, const char* name,
                             const std::function<std::string()>& body) -> Variant {
        std::string reply;
        try {
            if (args.size() < n) reply = std::string(name) + ": missing arguments";
            else reply = body();
        } catch (const std::exception& e) {
            reply = e.what();
        }
        if (!reply.empty()) FLastError = reply;
        return Variant(reply);
    };
    RegisterMethod("InsertConTable", [this, textResult](std::vector<Variant>& args) {
        return textResult(args, 1, "InsertConTable", [&] { return FServer->InsertScheme(args[0]); });
    });
    RegisterMethod("DeleteConTable", [this, textResult](std::vector<Variant>& args) {
        return textResult(args, 1, "DeleteConTable", [&] { return FServer->DeleteScheme(args[0]); });
    });
    RegisterMethod("ChangeConName", [this, textResult](std::vector<Variant>& args) {
        return textResult(args, 2, "ChangeConName", [&] { return FServer->RenameScheme(args[0], args[1]); });
    });

    Method("CallMethod", [this](std::vector<Variant>& args) {
        NeedArgs(args, 3, "CallMethod", "(name, parameters, [company, database])");
        return FServer->CallNamed(Text(args[0]), args[1], args[2]);
    });
    Method("JobStatus", [this](std::vector<Variant>& args) {
        NeedArgs(args, 1, "JobStatus", "(job number)");
        return FServer->JobInfo(Text(args[0]));
    });
}

#pragma once
// Shared by the generic form's tests: a temporary installation whose client
// configuration names an application server (by default the in-process one
// at 127.0.0.1, class "ReportCounterS.dmReportCounter") with a SQLite company
// database "DEMO", and a fake host Manager implementing exactly the calls the
// form makes: counter (named calls forwarded to a real application server,
// system parameters), validator (program records), quick-pick window (date
// picker) and the message catalogue.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/core/Automation.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/os/Library.h"
#include "suite/appserver/AppServer.h"
#include "suite/appserver/AppServerFixture.h"

namespace formtest {

// The installation: registry, OrvaneC.ini naming `address`, OrvaneS.ini and
// data/DEMO.db (made by the application server tests' helper).
class TClientInstallation {
public:
    explicit TClientInstallation(const std::string& address = "127.0.0.1", int port = 211)
        : FRegistry("ORVANE_REGISTRY", FServer.Dir.Path() + "registry.ini")
    {
        TAppServer::SetLogHandler([](const std::string&) {});
        TAppServer::Shutdown();
        testsupport::WriteFile(FServer.Install() + "OrvaneC.ini", "[Server Information]\nComputerName=" + address +
                                                                      "\nServerPort=" + std::to_string(port) + "\n");
        testsupport::WriteFile(FServer.Dir.Path() + "registry.ini",
                               "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=" + FServer.Install() +
                                   "\nServerPath=" + FServer.Install() + "\n");
    }
    ~TClientInstallation()
    {
        TAppServer::Shutdown();
        TAppServer::SetLogHandler(nullptr);
    }
    std::string Install() const { return FServer.Install(); }

private:
    appservertest::TInstallation FServer;
    testsupport::ScopedEnv FRegistry;
};

// Counter service: GetCounter forwards to the application server's named
// calls; GetSysInfo answers the parameters it was given.
class TFakeCounter : public TAutoObject {
public:
    explicit TFakeCounter(std::vector<std::pair<std::string, std::string>> params) : Params(std::move(params))
    {
        RegisterMethod("GetCounter", [this](std::vector<Variant>& a) {
            ++Calls;
            if (VarIsEmpty(Server)) Server = Variant(os::CreateOleObject("ReportCounterS.dmReportCounter"));
            std::vector<Variant> args = {a.at(0), a.at(1), a.at(2)};
            return OleInvoke(Server, "CallMethod", args);
        });
        RegisterMethod("GetSysInfo", [this](std::vector<Variant>& a) {
            Company = VarToStr(a.at(0));
            const int n = static_cast<int>(Params.size());
            Variant table = VarArrayCreate({0, 1, 0, n - 1});
            for (int i = 0; i < n; ++i) {
                table(0, i) = Params[i].first;
                table(1, i) = Params[i].second;
            }
            return table;
        });
    }
    std::vector<std::pair<std::string, std::string>> Params;
    Variant Server;
    std::string Company;
    int Calls = 0;
};

// Validator: program records "ADMMB" kind "01".
class TFakeValidator : public TAutoObject {
public:
    TFakeValidator()
    {
        RegisterProperty("ProductID", [this] { return Variant(ProductID); },
                         [this](const Variant& v) { ProductID = v.AsInteger(); });
        RegisterProperty("BaseLimited", [] { return Variant(""); }, [](const Variant&) {});
        RegisterMethod("CheckValue", [this](std::vector<Variant>& a) {
            const std::string table = VarToStr(a.at(0)), kind = VarToStr(a.at(1));
            const std::string id = VarToStr(a.at(3)[0]);
            auto it = Programs.find(id);
            if (table != "ADMMB" || kind != "01" || it == Programs.end()) return Variant(false);
            a.at(4) = it->second;
            return Variant(true);
        });
        RegisterMethod("QueryData", [](std::vector<Variant>& a) -> Variant {
            throw EOleError("validator failed on " + VarToStr(a.at(0)));
        });
        Programs["XYZR01"] = VarArrayOf({"测试程序", "XYZ", "B", "Y", "Y", "N", "XYZR01C", "Test program"});
    }
    std::map<std::string, Variant> Programs;
    std::int32_t ProductID = 0;
};

// Quick-pick window service: the date picker answers Reply.
class TFakeQuickPick : public TAutoObject {
public:
    TFakeQuickPick()
    {
        RegisterMethod("ShowInputDay", [this](std::vector<Variant>& a) {
            Requests.push_back(a.at(0));
            return Variant(Reply);
        });
        RegisterMethod("F2GetData", [this](std::vector<Variant>& a) {
            Requests.push_back(a.at(0));
            return VarArrayOf({VarArrayOf({"USD", "美元"})});
        });
    }
    std::string Reply;
    std::vector<Variant> Requests;
};

// The host's Manager. The catalogue text of a message is its code followed
// by three argument slots, so tests read both the code and the arguments.
class TFakeManager : public TAutoObject {
public:
    explicit TFakeManager(std::vector<std::pair<std::string, std::string>> sysParams = {
                              {"Sys001", "1"}, {"Sys002", "/"}, {"KVT002", "DEMO 演示公司"}})
        : Counter(std::make_shared<TFakeCounter>(std::move(sysParams))),
          Validator(std::make_shared<TFakeValidator>()), QuickPick(std::make_shared<TFakeQuickPick>())
    {
        RegisterMethod("Com_Counter", [this](std::vector<Variant>&) { return Variant(IAutoObjectPtr(Counter)); });
        RegisterMethod("Com_Validator",
                       [this](std::vector<Variant>&) { return Variant(IAutoObjectPtr(Validator)); });
        RegisterMethod("Com_F2Window", [this](std::vector<Variant>&) { return Variant(IAutoObjectPtr(QuickPick)); });
        RegisterMethod("GetMessage", [](std::vector<Variant>& a) {
            return Variant(VarToStr(a.at(0)) + ";" + VarToStr(a.at(1)) + ":%s|%s|%s");
        });
        RegisterProperty("VersionType", [] { return Variant(1); });
        RegisterProperty("ProductID", [] { return Variant(7); });
    }
    std::shared_ptr<TFakeCounter> Counter;
    std::shared_ptr<TFakeValidator> Validator;
    std::shared_ptr<TFakeQuickPick> QuickPick;
};

inline Variant HostParams(int count = 5)
{
    const std::vector<Variant> all = {"U01", "DEMO", "DEMO", 0, "extra"};
    Variant params = VarArrayCreate({0, count - 1});
    for (int i = 0; i < count; ++i) params[i] = all[i];
    return params;
}

} // namespace formtest

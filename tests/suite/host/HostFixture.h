#pragma once
// Shared by the host's service tests: a temporary installation whose client
// configuration names the in-process application server (127.0.0.1), with
// the server's configuration, a company database "DEMO" made by the real
// migrations and a few rows in the tables the services read, and a manager
// whose session is user U01 of company DEMO.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestSupport.h"
#include "platform/data/ADODB.h"
#include "suite/appserver/AppServer.h"
#include "suite/db/CompanyDatabase.h"
#include "suite/host/HostManager.h"

namespace hosttest {

inline const char* const CompanyRows =
    "INSERT INTO SYSTEM_PARAMETER (COMPANY, NAME, VALUE) VALUES"
    " ('DEMO', 'Sys001', '4'), ('DEMO', 'Sys002', '-'), ('DEMO', 'KVT002', 'DEMO 演示公司'),"
    " ('OTHER', 'Sys001', '2'), ('O''NEIL', 'Sys002', '.');"
    "INSERT INTO ADMMB VALUES ('QTVB58', '汇差调整', 'ACR', 'B', 'N', 'Y', 'QTVB58C', '1.0', 'Exchange adjustment'),"
    " ('XYZR01', '测试程序', 'XYZ', 'B', 'Y', 'N', 'XYZR01C', '1.0', 'Test program');"
    "INSERT INTO KVTMA VALUES ('ADMIN', '管理员', '13900000000', 'admin@example.com', 'N'),"
    " ('U01', '张三', '13900000001', 'u01@example.com', 'N'), ('U02', 'O''Neil', '', '', 'N'),"
    " ('U09', '离职', '', '', 'Y');"
    "INSERT INTO CMSMF VALUES ('CNY', '人民币', 2, 'Renminbi'), ('USD', '美元', 2, 'US dollar');";

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        TAppServer::SetLogHandler([](const std::string&) {});
        TAppServer::Shutdown();
        testsupport::WriteFile(Install() + "OrvaneS.ini", "[DBE Setting]\nMainDBType=SQLITE\nMainDBName=data\n");
        testsupport::WriteFile(Install() + "OrvaneC.ini",
                               "[Server Information]\nComputerName=127.0.0.1\nServerPort=211\n" + ClientIniExtra());
        testsupport::WriteFile(Dir.Path() + "registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=" +
                                                                Install() + "\nServerPath=" + Install() + "\n");
        Registry = std::make_unique<testsupport::ScopedEnv>("ORVANE_REGISTRY", Dir.Path() + "registry.ini");
        const std::string file = suite::db::CreateCompanyDatabase(Install() + "data", "DEMO");
        TKvADOConnection c;
        c.SetConnectionString(suite::db::ConnectionStringFor(file));
        c.Open();
        c.Engine().Execute(CompanyRows, {});
        c.Close();
        Manager = std::make_shared<THostManager>();
        Manager->SetSession("U01", "DEMO", "DEMO");
    }
    void TearDown() override
    {
        Manager.reset();
        TAppServer::Shutdown();
        TAppServer::SetLogHandler(nullptr);
    }
    virtual std::string ClientIniExtra() const { return ""; }

    std::string Install() const { return Dir.Path() + "install/"; }
    Variant Service(const char* name) { return OleInvoke(Variant(IAutoObjectPtr(Manager)), name); }

    testsupport::TempDir Dir;
    std::unique_ptr<testsupport::ScopedEnv> Registry;
    std::shared_ptr<THostManager> Manager;
};

} // namespace hosttest

#pragma once
// Shared by the application server's tests: an installation folder with
// OrvaneS.ini, a data folder and a small company database "DEMO", job
// parameter arrays as the option forms build them, and polling for a job's
// end.
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/core/Automation.h"
#include "platform/core/DateTime.h"
#include "platform/data/ADODB.h"

namespace appservertest {

inline const char* const CompanySql =
    "CREATE TABLE CMSMG (MG001 TEXT NOT NULL, MG002 TEXT NOT NULL, MG003 REAL NOT NULL, PRIMARY KEY (MG001, MG002));"
    "INSERT INTO CMSMG VALUES ('USD', '20240101', 7.1), ('USD', '20240115', 7.25), ('USD', '20240201', 7.3),"
    "  ('EUR', '20240110', 7.9);"
    "CREATE TABLE ACRMA (MA001 TEXT, MA018 TEXT, MA033 TEXT);"
    "INSERT INTO ACRMA VALUES ('DEMO', 'Y', NULL);"
    "CREATE TABLE CMSMF (MF001 TEXT PRIMARY KEY, MF002 TEXT);"
    "INSERT INTO CMSMF VALUES ('RMB', '人民币'), ('USD', '美元'), ('EUR', '欧元');"
    "CREATE TABLE KVTINTMA (MA001 TEXT, MA003 TEXT);"
    "INSERT INTO KVTINTMA VALUES ('StartupPortal', 'N'), ('Portal WS', 'http://portal/ws');"
    "CREATE TABLE ACRLD (LD001 TEXT, LD002 TEXT, LD012 TEXT);";

// <temp>/install/OrvaneS.ini naming <temp>/install/data as the database
// folder, which holds DEMO.db.
class TInstallation {
public:
    explicit TInstallation(const std::string& extraIni = "")
    {
        testsupport::WriteFile(Install() + "OrvaneS.ini",
                               "[DBE Setting]\nMainDBType=SQLITE\nMainDBName=data\n" + extraIni);
        TKvADOConnection c;
        c.SetConnectionString("Provider=SQLITE;Data Source=" + Data() + "DEMO.db;Mode=Create");
        std::filesystem::create_directories(Data());
        c.Open();
        c.Engine().Execute(CompanySql, {});
    }
    std::string Install() const { return Dir.Path() + "install/"; }
    std::string Data() const { return Install() + "data/"; }

    testsupport::TempDir Dir;
};

// A job parameter array: [environment 1..12, texts 1..2, values 1..2]; the
// first option value is the test library's action.
inline Variant JobParams(const std::string& program, const std::string& action, int runMode,
                         double runTime = Now(), const std::string& database = "DEMO")
{
    Variant env = VarArrayCreate({1, 12});
    env[1] = Variant(program);
    env[2] = Variant(12);
    env[3] = Variant(2);
    env[4] = Variant(u"公司01");
    env[5] = Variant(u"U01");
    env[6] = Variant(std::u16string(database.begin(), database.end()));
    env[7] = Variant::FromDateTime(Now());
    env[8] = Variant(program + "S.Class1");
    env[9] = Variant(u"B");
    env[10] = Variant(runMode);
    env[11] = Variant::FromDateTime(runTime);
    env[12] = Variant(u"");
    Variant texts = VarArrayCreate({1, 2});
    texts[1] = VarArrayOf({Variant(u"动作"), Variant(u"edAction")});
    texts[2] = VarArrayOf({Variant(u"作业日期"), Variant(u"edPrintDate")});
    Variant values = VarArrayCreate({1, 2});
    values[1] = Variant(std::u16string(action.begin(), action.end()));
    values[2] = Variant(u"20240131");
    return VarArrayOf({env, texts, values});
}

inline Variant Call(const Variant& app, const char* method, std::vector<Variant> args = {})
{
    return OleInvoke(app, method, args);
}

// Polls JobStatus until the job has left "queued" and "running"; returns
// the status record.
inline Variant WaitForJob(const Variant& app, const std::string& job)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        Variant info = Call(app, "JobStatus", {Variant(job)});
        const std::string status = info[2].AsString();
        if ((status != "queued" && status != "running") || std::chrono::steady_clock::now() > deadline) return info;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace appservertest

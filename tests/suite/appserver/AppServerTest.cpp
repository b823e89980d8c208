// The application server object, used the two ways a client creates it: in
// its own process through the class registry, and over a socket connection
// to a TMidasServer in this process.
#include <map>
#include <set>
#include <thread>
#include <ostream>

#include <gtest/gtest.h>

#include "AppServerFixture.h"
#include "platform/core/DateTime.h"
#include "platform/data/RemoteProvider.h"
#include "platform/midas/MidasServer.h"
#include "platform/midas/SocketConnection.h"
#include "platform/midas/VariantCodec.h"
#include "platform/os/Library.h"
#include "suite/appserver/AppServer.h"

using namespace appservertest;

namespace {

enum class TWay { Local, Socket };
void PrintTo(TWay way, std::ostream* os) { *os << (way == TWay::Local ? "in-process object" : "socket connection"); }

class AppServerObject : public ::testing::TestWithParam<TWay> {
protected:
    void SetUp() override
    {
        TAppServer::SetLogHandler([](const std::string&) {});
        Server = TAppServer::Start(Inst.Install());
        if (GetParam() == TWay::Socket) {
            Midas.SetLogHandler([](const std::string&) {});
            Midas.Start("127.0.0.1", 0);
            Connection.Address = "127.0.0.1";
            Connection.Port = Midas.Port();
            Connection.ServerName = AppServerClassName;
            Connection.CallTimeout = 30000;
            Connection.Open();
        } else {
            Connection.SetAppServer(Variant(os::CreateOleObject(AppServerClassName)));
        }
        App = Connection.AppServer();
    }
    void TearDown() override
    {
        App = Variant();
        Connection.Close();
        Midas.Stop();
        Server.reset();
        TAppServer::Shutdown();
        TAppServer::SetLogHandler(nullptr);
    }

    Variant Named(const char* name, const Variant& params, const std::string& database = "DEMO")
    {
        return Call(App, "CallMethod", {Variant(name), params, VarArrayOf({Variant("公司01"), Variant(database)})});
    }

    std::string Submit(const Variant& params) { return Call(App, "Request", {params}).AsString(); }

    TInstallation Inst;
    std::shared_ptr<TAppServer> Server;
    TMidasServer Midas;
    TSocketConnection Connection;
    Variant App;
};

INSTANTIATE_TEST_SUITE_P(Ways, AppServerObject, ::testing::Values(TWay::Local, TWay::Socket),
                         [](const auto& info) { return info.param == TWay::Local ? "Local" : "Socket"; });

// Jobs ------------------------------------------------------------------------

TEST_P(AppServerObject, BackgroundJobsOfEveryDueRunModeRunThroughTheServerLibrary)
{
    struct TCase {
        const char* Name;
        int Mode;
        double When;
    } cases[] = {
        {"queued", 0, Now()},
        {"at once", 1, Now()},
        {"at a time already past", 2, Now() - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string job = Submit(JobParams("TEST", "OK", c.Mode, c.When));
        ASSERT_GE(job.size(), 8u) << Call(App, "ErrorDescript").AsString();
        const Variant info = WaitForJob(App, job);
        EXPECT_EQ(info[2].AsString(), "done");
        EXPECT_EQ(info[3].AsString(),
                  "TEST ran " + job + " for 公司01/U01/DEMO sub " + job.substr(0, 8) + "0001 product 3\r\n");
        EXPECT_EQ(info[4].AsInteger(), c.Mode);
        EXPECT_FALSE(info[6].AsString().empty());
        EXPECT_GE(info[7].AsString(), info[6].AsString());
    }
}

TEST_P(AppServerObject, ATimedJobWaitsForItsTimeAndAPeriodicJobIsOnlyStored)
{
    const std::string later = Submit(JobParams("TEST", "OK", 2, Now() + 30));
    Variant periodic = JobParams("TEST", "OK", 2, Now());
    periodic[0][9] = Variant(u"b");
    VarArrayRedim(periodic, 4);
    periodic[3] = VarArrayOf({Variant("Y"), Variant("08:05"), VarArrayOf({Variant(0), Variant("1")}),
                              VarArrayOf({Variant("20240101"), Variant(0)})});
    periodic[4] = VarArrayOf({Variant(0)});
    const std::string scheduled = Submit(periodic);
    // A job submitted after both runs at once; the runner takes jobs in turn,
    // so when it is done the other two have been looked at.
    const std::string now = Submit(JobParams("TEST", "OK", 1));
    EXPECT_EQ(WaitForJob(App, now)[2].AsString(), "done");
    EXPECT_EQ(Call(App, "JobStatus", {Variant(later)})[2].AsString(), "queued");
    EXPECT_EQ(Call(App, "JobStatus", {Variant(scheduled)})[2].AsString(), "scheduled");
    const auto stored = Server->SystemDb().FindJob(scheduled);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Period, "S=[\"Y\",\"08:05\",[0,\"1\"],[\"20240101\",0]]; D=[0]");
}

TEST_P(AppServerObject, ATimedJobRunsOnceItsTimeHasCome)
{
    const double at = Now() + 1.5 / 86400.0; // in a second and a half
    const std::string job = Submit(JobParams("TEST", "OK", 2, at));
    const Variant info = WaitForJob(App, job);
    EXPECT_EQ(info[2].AsString(), "done");
    const auto stored = Server->SystemDb().FindJob(job);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->RunTime, StoredDateTime(at));
    EXPECT_GE(stored->Started, stored->RunTime);
}

TEST_P(AppServerObject, AFailingJobIsStoredAsFailedAndTheServerGoesOn)
{
    struct TCase {
        const char* Program;
        const char* Action;
        const char* Message;
    } cases[] = {
        {"TEST", "FAIL", "TEST began JOB\r\n测试失败: 故意的"},
        {"NOSUCH", "OK", "The server library NOSUCHS.so was not found"},
        {"NOEXP", "OK", "has no export GetSvrController"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Program);
        const std::string job = Submit(JobParams(c.Program, c.Action, 1));
        const Variant info = WaitForJob(App, job);
        EXPECT_EQ(info[2].AsString(), "failed");
        std::string expected = c.Message;
        if (const auto at = expected.find("JOB"); at != std::string::npos) expected.replace(at, 3, job);
        EXPECT_NE(info[3].AsString().find(expected), std::string::npos) << info[3].AsString();
    }
    const std::string good = Submit(JobParams("TEST", "OK", 0));
    EXPECT_EQ(WaitForJob(App, good)[2].AsString(), "done");
}

TEST_P(AppServerObject, RequestRefusesUnusableParametersWithErrorAndADescription)
{
    Variant shortEnv = JobParams("TEST", "OK", 1);
    shortEnv[0] = VarArrayOf({Variant("TEST")});
    Variant badMode = JobParams("TEST", "OK", 7);
    Variant badTime = JobParams("TEST", "OK", 2);
    badTime[0][11] = Variant("next tuesday");
    struct TCase {
        const char* Name;
        Variant Params;
        const char* Error;
    } cases[] = {
        {"no array", Variant("TEST"), "must be an array"},
        {"short environment", shortEnv, "at least 6 elements"},
        {"program ID with a path", JobParams("../../tmp/x", "OK", 1), "Invalid program ID '../../TMP/X'"},
        {"database name with a path", JobParams("TEST", "OK", 1, Now(), "../DEMO"), "Invalid company database name"},
        {"company without a database", JobParams("TEST", "OK", 1, Now(), "NOPE"), "'NOPE' does not exist"},
        {"unknown run mode", badMode, "Unknown run mode 7"},
        {"unreadable run time", badTime, "no date and time: next tuesday"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Submit(c.Params), "ERROR");
        const std::string error = Call(App, "ErrorDescript").AsString();
        EXPECT_NE(error.find(c.Error), std::string::npos) << error;
        EXPECT_EQ(OleGetProperty(App, "ErrorDescript").AsString(), error);
    }
}

TEST_P(AppServerObject, JobNumbersAreDatedUniqueAndKeepTheParametersAsSent)
{
    const Variant params = JobParams("TEST", "other", 0);
    const std::string first = Submit(params);
    const std::string second = Submit(params);
    EXPECT_EQ(first.size(), 12u);
    EXPECT_EQ(first.substr(0, 8), FormatDateTime("yyyymmdd", Now()));
    EXPECT_NE(first, second);
    EXPECT_EQ(std::stoll(second.substr(8)), std::stoll(first.substr(8)) + 1);
    const auto stored = Server->SystemDb().FindJob(first);
    ASSERT_TRUE(stored);
    EXPECT_EQ(midas::EncodeVariant(stored->Params), midas::EncodeVariant(params));
    EXPECT_EQ(stored->ProgramID, "TEST");
    EXPECT_EQ(stored->Company, "公司01");
    EXPECT_EQ(stored->Database, "DEMO");
}

TEST(AppServerJobs, JobNumbersStayUniqueWhenClientsSubmitAtOnce)
{
    TAppServer::SetLogHandler([](const std::string&) {});
    TInstallation inst;
    auto server = TAppServer::Start(inst.Install());
    std::vector<std::vector<std::string>> numbers(4);
    std::vector<std::thread> clients;
    for (auto& list : numbers)
        clients.emplace_back([&list] {
            const Variant app(os::CreateOleObject(AppServerClassName));
            for (int i = 0; i < 10; ++i) list.push_back(Call(app, "Request", {JobParams("TEST", "other", 0)}).AsString());
        });
    for (auto& t : clients) t.join();
    std::set<std::string> unique;
    for (const auto& list : numbers) unique.insert(list.begin(), list.end());
    EXPECT_EQ(unique.size(), 40u);
    EXPECT_EQ(unique.count("ERROR"), 0u);
    server.reset();
    TAppServer::Shutdown();
    TAppServer::SetLogHandler(nullptr);
}

TEST_P(AppServerObject, DirectRunRegistersRunsOnTheServerAndTakesTheFinalStatus)
{
    const std::string job = Call(App, "Request1", {JobParams("TEST", "OK", 0), Variant("PC-01")}).AsString();
    ASSERT_NE(job, "ERROR");
    EXPECT_EQ(Call(App, "JobStatus", {Variant(job)})[2].AsString(), "running");
    EXPECT_EQ(Server->SystemDb().FindJob(job)->Computer, "PC-01");

    const Variant values = JobParams("TEST", "OK", 0)[2];
    const std::string subJob = job.substr(0, 8) + "0001";
    Call(App, "ExecSvrDLL",
         {Variant(job), Variant("TEST"), Variant(""), Variant("公司01"), Variant("U01"), Variant("TESTS.Class1"),
          Variant("B"), Variant("DEMO"), values, Variant(1), Variant(subJob), Variant(7)});
    const TDateTime finished = EncodeDate(2024, 1, 31) + EncodeTime(10, 20, 30, 0);
    Call(App, "UpdateStatus1", {Variant(job), Variant("处理完毕"), Variant::FromDateTime(finished)});
    const Variant info = Call(App, "JobStatus", {Variant(job)});
    EXPECT_EQ(info[2].AsString(), "done");
    EXPECT_EQ(info[3].AsString(), "TEST ran " + job + " for 公司01/U01/DEMO sub " + subJob + " product 7\r\n处理完毕");
    EXPECT_EQ(info[7].AsString(), "2024-01-31 10:20:30.000");
}

TEST_P(AppServerObject, AFailedDirectRunRaisesAndStaysFailed)
{
    const std::string job = Call(App, "Request1", {JobParams("TEST", "FAIL", 0), Variant("PC-01")}).AsString();
    const Variant values = JobParams("TEST", "FAIL", 0)[2];
    try {
        Call(App, "ExecSvrDLL",
             {Variant(job), Variant("TEST"), Variant(""), Variant("公司01"), Variant("U01"), Variant("TESTS.Class1"),
              Variant("B"), Variant("DEMO"), values, Variant(1), Variant(job.substr(0, 8) + "0001"), Variant(3)});
        ADD_FAILURE() << "no exception";
    } catch (const EPlatformError& e) {
        EXPECT_NE(e.Message().find("测试失败: 故意的"), std::string::npos) << e.Message();
    }
    EXPECT_NE(Call(App, "ErrorDescript").AsString().find("测试失败"), std::string::npos);
    EXPECT_EQ(Call(App, "JobStatus", {Variant(job)})[2].AsString(), "failed");
    // A later status update adds its text but does not turn failure into success.
    Call(App, "UpdateStatus1", {Variant(job), Variant("有问题"), Variant::FromDateTime(Now())});
    EXPECT_EQ(Call(App, "JobStatus", {Variant(job)})[2].AsString(), "failed");
}

TEST_P(AppServerObject, UpdateStatusAcceptsTheErrorJobButRefusesUnknownAndBackgroundJobs)
{
    EXPECT_NO_THROW(Call(App, "UpdateStatus1", {Variant("ERROR"), Variant("E;000013"), Variant::FromDateTime(Now())}));
    EXPECT_THROW(Call(App, "UpdateStatus1", {Variant("209901010001"), Variant(""), Variant::FromDateTime(Now())}),
                 EPlatformError);
    const std::string background = Submit(JobParams("TEST", "OK", 1));
    WaitForJob(App, background);
    EXPECT_THROW(Call(App, "UpdateStatus1", {Variant(background), Variant(""), Variant::FromDateTime(Now())}),
                 EPlatformError);
    EXPECT_EQ(Call(App, "JobStatus", {Variant(background)})[2].AsString(), "done");
}

// Rights and settings ---------------------------------------------------------------

TEST_P(AppServerObject, GetPowerGivesTheMostSpecificRightsRecord)
{
    Server->SystemDb().Execute("INSERT INTO USERS VALUES ('U01', '张三', 'ACC')");
    Server->SystemDb().Execute("INSERT INTO PROGRAMS (PROGRAM_ID, NAME) VALUES ('QTVB58', '汇率调整')");
    Server->SystemDb().Execute("INSERT INTO RIGHTS VALUES ('U01', '*', '*', 'YYYYYYNN', '', '')");
    Server->SystemDb().Execute("INSERT INTO RIGHTS VALUES ('U01', 'QTVB58', 'DEMO', 'YYYYYYYN', 'DEPT', 'D01,D02')");
    const Variant power = Call(App, "GetPower", {VarArrayOf({Variant("DEMO"), Variant("U01"), Variant("qtvb58"), Variant("")})});
    EXPECT_EQ(power[1].AsString(), "DEMO,U01,QTVB58,YYYYYYYN");
    EXPECT_EQ(power[2].AsString(), "张三");
    EXPECT_EQ(power[3].AsString(), "汇率调整");
    EXPECT_EQ(power[4].AsString(), "DEPT");
    EXPECT_EQ(power[5], VarArrayOf({Variant(2), Variant("D01"), Variant("D02")}));

    const Variant other = Call(App, "GetPower", {VarArrayOf({Variant("DEMO"), Variant("U01"), Variant("ACR01"), Variant("")})});
    EXPECT_EQ(other[1].AsString(), "DEMO,U01,ACR01,YYYYYYNN");
    const Variant nobody = Call(App, "GetPower", {VarArrayOf({Variant("DEMO"), Variant("U99"), Variant("ACR01"), Variant("")})});
    EXPECT_EQ(nobody[1].AsString(), "DEMO,U99,ACR01,"); // no rights at all
    EXPECT_EQ(nobody[5], VarArrayOf({Variant(0)}));
    // A comma in a name cannot move the rights out of the fourth piece.
    Server->SystemDb().Execute("INSERT INTO RIGHTS VALUES ('U,2', '*', '*', 'YYYYYYYY', '', '')");
    const Variant comma = Call(App, "GetPower", {VarArrayOf({Variant("DEMO"), Variant("U,2"), Variant("ACR01"), Variant("")})});
    EXPECT_EQ(comma[1].AsString(), "DEMO,U;2,ACR01,YYYYYYYY");
    EXPECT_THROW(Call(App, "GetPower", {Variant("DEMO")}), EPlatformError);
}

TEST_P(AppServerObject, SqlTypeNamesTheDatabaseKind)
{
    EXPECT_EQ(Call(App, "SQLType").AsInteger(), SqlTypeSqlite);
    EXPECT_EQ(OleGetProperty(App, "SQLType").AsInteger(), SqlTypeSqlite);
}

// Condition schemes -------------------------------------------------------------------

class TSchemeList {
public:
    explicit TSchemeList(const Variant& app) : App(app)
    {
        DataSet.Provider = std::make_shared<TAppServerProvider>([this] { return App; }, "pvdConSave");
    }
    // Name -> [fields, values, date] after LoadTable for U01 and QTVB58.
    std::map<std::string, std::vector<std::string>> Load()
    {
        Call(App, "LoadTable", {VarArrayOf({Variant("U01"), Variant("QTVB58")})});
        DataSet.Close();
        DataSet.Open();
        std::map<std::string, std::vector<std::string>> result;
        for (DataSet.First(); !DataSet.Eof(); DataSet.Next())
            result[DataSet.FieldByName("NCONDITION")->AsString()] = {
                DataSet.FieldByName("SCONDITION")->AsString(), DataSet.FieldByName("VCONDITION")->AsString(),
                DataSet.FieldByName("CREATE_DATE")->AsString()};
        return result;
    }
    Variant App;
    TClientDataSet DataSet;
};

Variant Scheme(const std::string& name, const std::string& values, bool replace, const std::string& user = "U01")
{
    return VarArrayOf({Variant(name), Variant(user), Variant("20240131"), Variant("QTVB58"), Variant("me01.text;"),
                       Variant(values), Variant(replace)});
}

TEST_P(AppServerObject, SchemeNamesAreStoredExactlyAsSent)
{
    TSchemeList list(App);
    const std::string names[] = {"it's \"quoted\"", "100% done_", "月末调汇方案", "'; DROP TABLE SCHEMES; --"};
    for (const auto& name : names)
        EXPECT_EQ(Call(App, "InsertConTable", {Scheme(name, "20240131\r\n", false)}).AsString(), "") << name;
    EXPECT_EQ(Call(App, "InsertConTable", {Scheme("其他用户", "x\r\n", false, "U02")}).AsString(), "");
    const auto schemes = list.Load();
    ASSERT_EQ(schemes.size(), 4u);
    for (const auto& name : names) {
        ASSERT_TRUE(schemes.count(name)) << name;
        EXPECT_EQ(schemes.at(name), (std::vector<std::string>{"me01.text;", "20240131\r\n", "20240131"}));
    }
}

TEST_P(AppServerObject, SchemesAreReplacedOnlyWhenAskedRenamedAndDeleted)
{
    TSchemeList list(App);
    ASSERT_EQ(Call(App, "InsertConTable", {Scheme("月末", "old\r\n", false)}).AsString(), "");
    EXPECT_EQ(Call(App, "InsertConTable", {Scheme("月末", "new\r\n", false)}).AsString(),
              "The scheme '月末' already exists");
    EXPECT_EQ(list.Load().at("月末")[1], "old\r\n");
    EXPECT_EQ(Call(App, "InsertConTable", {Scheme("月末", "new\r\n", true)}).AsString(), "");
    EXPECT_EQ(list.Load().at("月末")[1], "new\r\n");

    ASSERT_EQ(Call(App, "InsertConTable", {Scheme("季末", "q\r\n", false)}).AsString(), "");
    auto key = [](const std::string& name) { return VarArrayOf({Variant(name), Variant("U01"), Variant("QTVB58")}); };
    EXPECT_EQ(Call(App, "ChangeConName", {key("月末"), key("季末")}).AsString(), "The scheme '季末' already exists");
    EXPECT_EQ(Call(App, "ChangeConName", {key("月末"), key("100% \"新\"")}).AsString(), "");
    EXPECT_EQ(Call(App, "ChangeConName", {key("月末"), key("x")}).AsString(), "The scheme '月末' does not exist");
    EXPECT_EQ(Call(App, "DeleteConTable", {key("季末")}).AsString(), "");
    EXPECT_EQ(Call(App, "DeleteConTable", {key("季末")}).AsString(), "The scheme '季末' does not exist");
    const auto schemes = list.Load();
    ASSERT_EQ(schemes.size(), 1u);
    EXPECT_EQ(schemes.begin()->first, "100% \"新\"");
    EXPECT_EQ(schemes.begin()->second[1], "new\r\n");
}

TEST_P(AppServerObject, SchemeCallsAnswerBadShapesWithAText)
{
    EXPECT_EQ(Call(App, "InsertConTable", {Scheme("  ", "v", false)}).AsString(), "The scheme name is empty");
    EXPECT_NE(Call(App, "InsertConTable", {Variant("name")}).AsString(), "");
    EXPECT_NE(Call(App, "DeleteConTable", {VarArrayOf({Variant("x")})}).AsString(), "");
    EXPECT_EQ(Call(App, "ChangeConName",
                   {VarArrayOf({Variant("a"), Variant("U01"), Variant("QTVB58")}),
                    VarArrayOf({Variant("b"), Variant("U02"), Variant("QTVB58")})})
                  .AsString(),
              "A scheme can only be renamed, not given to another user or program");
    // The provider needs LoadTable first and knows only its own name.
    EXPECT_THROW(Call(App, "GetProviderData", {Variant("pvdConSave")}), EPlatformError);
    Call(App, "LoadTable", {VarArrayOf({Variant("U01"), Variant("QTVB58")})});
    EXPECT_THROW(Call(App, "GetProviderData", {Variant("pvdOther")}), EPlatformError);
    const TDataPacket empty = DataPacketFromVariant(Call(App, "GetProviderData", {Variant("pvdConSave")}));
    EXPECT_EQ(empty.FieldDefs.size(), 6u);
    EXPECT_TRUE(empty.Rows.IsEmpty());
}

// Named calls -------------------------------------------------------------------------

TEST_P(AppServerObject, SimpleSqlReturnsTheListedFieldsOfEveryRow)
{
    // The shape the adjustment form uses, with "$$" for the company database.
    const Variant currencies =
        Named("SIMPLESQL", VarArrayOf({Variant(" SELECT 'Y' AS MF001C,MF001,MF002 FROM $$CMSMF AS CMSMF  where MF001<>'RMB' "
                                               "ORDER BY MF001 DESC "),
                                       Variant("MF001C,MF001,MF002"), Variant(""), Variant("N")}));
    EXPECT_EQ(currencies, VarArrayOf({VarArrayOf({Variant("Y"), Variant("USD"), Variant("美元")}),
                                      VarArrayOf({Variant("Y"), Variant("EUR"), Variant("欧元")})}));
    // The two-element shape; fields come in the order listed, not selected.
    const Variant portal = Named("SimpleSql", VarArrayOf({Variant(u"SELECT MA001, MA003 FROM KVTINTMA WHERE MA001='StartupPortal' "),
                                                          Variant("MA003,MA001")}));
    EXPECT_EQ(portal, VarArrayOf({VarArrayOf({Variant("N"), Variant("StartupPortal")})}));
    const Variant type = Named("SimpleSQL", VarArrayOf({Variant(" SELECT ISNULL(MA033, '') MA033 FROM $$ACRMA "),
                                                        Variant("MA033"), Variant(""), Variant("N")}));
    EXPECT_EQ(type, VarArrayOf({VarArrayOf({Variant("")})}));
    // Nothing found: unassigned. A "$$" inside a literal stays as it is.
    EXPECT_TRUE(Named("SimpleSql", VarArrayOf({Variant("SELECT LD001,LD002 FROM $$ACRLD WHERE LD012='N' "),
                                               Variant("LD001,LD002"), Variant(""), Variant("N")}))
                    .IsEmpty());
    EXPECT_EQ(Named("SimpleSql", VarArrayOf({Variant("SELECT '$$x' AS A"), Variant("A")})),
              VarArrayOf({VarArrayOf({Variant("$$x")})}));
}

TEST_P(AppServerObject, SimpleSqlRunsOneReadOnlySelectAndNothingElse)
{
    struct TCase {
        const char* Sql;
        const char* Error;
    } cases[] = {
        {"DELETE FROM $$CMSMF", "Only a SELECT query"},
        {"UPDATE CMSMF SET MF002 = 'x'", "Only a SELECT query"},
        {"INSERT INTO CMSMF VALUES ('JPY', 'x')", "Only a SELECT query"},
        {"ATTACH DATABASE '/tmp/x.db' AS x", "Only a SELECT query"},
        {"PRAGMA writable_schema = 1", "Only a SELECT query"},
        {"DROP TABLE CMSMF", "Only a SELECT query"},
        {"BEGIN", "Only a SELECT query"},
        {"SELECT MF001 FROM CMSMF; DELETE FROM CMSMF", "more than one"},
        {"SELECT MF001 FROM CMSMF; SELECT MF002 FROM CMSMF", "more than one"},
        {"WITH x AS (SELECT 1) DELETE FROM CMSMF", "DELETE is not allowed"},
        {"SELECT load_extension('/tmp/evil.so') AS MF001", "load_extension is not allowed"},
        {"SELECT * FROM pragma_table_info('CMSMF') AS MF001", "not allowed"},
        {"WITH RECURSIVE c(MF001) AS (SELECT 1 UNION ALL SELECT MF001 + 1 FROM c) SELECT MF001 FROM c",
         "recursive query is not allowed"},
        {"/* hidden */ DELETE FROM CMSMF", "Only a SELECT query"},
        {"", "empty"},
        {"SELECT NOPE FROM NOTABLE", "no such table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sql);
        try {
            Named("SimpleSql", VarArrayOf({Variant(c.Sql), Variant("MF001")}));
            ADD_FAILURE() << "not refused";
        } catch (const EPlatformError& e) {
            EXPECT_NE(e.Message().find(c.Error), std::string::npos) << e.Message();
            EXPECT_EQ(e.Message().rfind("SimpleSql: ", 0), 0u) << e.Message();
        }
    }
    // Nothing was changed.
    EXPECT_EQ(VarArrayHighBound(Named("SimpleSql", VarArrayOf({Variant("SELECT MF001 FROM CMSMF"), Variant("MF001")})), 1), 2);
}

TEST_P(AppServerObject, NamedCallsNameWhatIsWrong)
{
    struct TCase {
        const char* Name;
        Variant Params;
        std::string Database;
        const char* Error;
    } cases[] = {
        {"NoSuchCall", VarArrayOf({Variant("")}), "DEMO", "Unknown server call 'NoSuchCall'"},
        {"SimpleSql", VarArrayOf({Variant("SELECT 1 AS A")}), "DEMO", "SimpleSql expects"},
        {"SimpleSql", VarArrayOf({Variant("SELECT 1 AS A"), Variant("B")}), "DEMO", "no field 'B'"},
        {"SimpleSql", VarArrayOf({Variant("SELECT 1 AS A"), Variant(" , ")}), "DEMO", "field list is empty"},
        {"SimpleSql", VarArrayOf({Variant("SELECT 1 AS A"), Variant("A")}), "../DEMO", "Invalid company database"},
        {"SimpleSql", VarArrayOf({Variant("SELECT 1 AS A"), Variant("A")}), "OTHER", "'OTHER' does not exist"},
        {"ExchangeRate", VarArrayOf({Variant("USD"), Variant("T")}), "DEMO", "ExchangeRate expects"},
        {"ExchangeRate", VarArrayOf({Variant("USD"), Variant("T"), Variant("20240230")}), "DEMO", "no date"},
        {"ExchangeRate", VarArrayOf({Variant("USD"), Variant("X"), Variant("20240201")}), "DEMO", "unknown rate kind"},
        {"ExchangeRate", VarArrayOf({Variant("JPY"), Variant("T"), Variant("20240201")}), "DEMO", "no rate of currency 'JPY'"},
        {"ExchangeRate", VarArrayOf({Variant("USD"), Variant("T"), Variant("20231231")}), "DEMO", "on or before 20231231"},
        {"ResultConnectString", VarArrayOf({Variant("")}), "", "Invalid company database name ''"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Name) + " " + c.Error);
        try {
            Named(c.Name, c.Params, c.Database);
            ADD_FAILURE() << "no error";
        } catch (const EPlatformError& e) {
            EXPECT_NE(e.Message().find(c.Error), std::string::npos) << e.Message();
        }
    }
}

TEST_P(AppServerObject, ExchangeRateIsTheLatestRateOnOrBeforeTheDate)
{
    struct TCase {
        const char* Currency;
        const char* Day;
        double Rate;
    } cases[] = {
        {"USD", "20240101", 7.1}, {"USD", "20240114", 7.1}, {"USD", "20240115", 7.25},
        {"USD", "20240131", 7.25}, {"USD", "20991231", 7.3}, {"EUR", "20240131", 7.9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Currency) + " " + c.Day);
        EXPECT_DOUBLE_EQ(Named("EXCHANGERATE", VarArrayOf({Variant(c.Currency), Variant("T"), Variant(c.Day)})).AsDouble(), c.Rate);
    }
}

TEST_P(AppServerObject, ResultConnectStringOpensTheCompanyDatabase)
{
    const std::string text = Named("RESULTCONNECTSTRING", VarArrayOf({Variant("")})).AsString();
    TKvADOConnection c;
    c.LoginPrompt = false;
    c.SetConnectionString(text);
    c.Open();
    TKvADOQuery q;
    q.SetConnection(&c);
    q.SQL.SetText("SELECT MF002 FROM DEMO..CMSMF WHERE MF001 = :MF001");
    q.ParamByName("MF001") = Variant("USD");
    q.Open();
    EXPECT_EQ(q.FieldByName("MF002").AsString(), "美元");
}

// Configuration -------------------------------------------------------------------

TEST(AppServerConfig, ReadsTheInstallationAndRefusesWhatCannotWork)
{
    TInstallation inst("[Server Information]\nServerPort=2211\nListenAddress=0.0.0.0\n[WorkDLLPath]\nA=pkg\nB=/opt/x\n");
    const TAppServerConfig config = LoadAppServerConfig(inst.Install());
    EXPECT_EQ(config.DataPath, inst.Data());
    EXPECT_EQ(config.Port, 2211);
    EXPECT_EQ(config.ListenAddress, "0.0.0.0");
    ASSERT_GE(config.LibraryPaths.size(), 3u);
    EXPECT_EQ(config.LibraryPaths[0], inst.Install() + "pkg/");
    EXPECT_EQ(config.LibraryPaths[1], "/opt/x/");

    struct TCase {
        const char* Ini;
        const char* Error;
    } cases[] = {
        {"[DBE Setting]\nMainDBType=POSTGRESQL\n", "POSTGRESQL is not available yet"},
        {"[DBE Setting]\nMainDBType=MSSQL\n", "'MSSQL' is not supported"},
        {"[DBE Setting]\nMainDBName=missing\n", "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Ini);
        testsupport::WriteFile(inst.Install() + "OrvaneS.ini", c.Ini);
        try {
            LoadAppServerConfig(inst.Install());
            ADD_FAILURE() << "accepted";
        } catch (const EAppServerError& e) {
            EXPECT_NE(e.Message().find(c.Error), std::string::npos) << e.Message();
        }
    }
    // No file: SQLite databases in the installation folder, port 211.
    std::filesystem::remove(inst.Install() + "OrvaneS.ini");
    const TAppServerConfig defaults = LoadAppServerConfig(inst.Install());
    EXPECT_EQ(defaults.DataPath, inst.Install());
    EXPECT_EQ(defaults.Port, 211);
    EXPECT_EQ(defaults.ListenAddress, "127.0.0.1");
    EXPECT_EQ(defaults.LibraryPaths[0], inst.Install() + "S_PKG/");
    EXPECT_THROW(LoadAppServerConfig(inst.Install() + "nowhere/"), EAppServerError);
}

TEST(AppServerConfig, AnObjectMadeInAClientProcessFindsTheServerThroughTheRegistry)
{
    TAppServer::SetLogHandler([](const std::string&) {});
    TAppServer::Shutdown();
    TInstallation inst;
    testsupport::WriteFile(inst.Dir.Path() + "registry.ini",
                           "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nServerPath=" + inst.Install() + "\n");
    testsupport::ScopedEnv registry("ORVANE_REGISTRY", inst.Dir.Path() + "registry.ini");
    {
        const Variant app(os::CreateOleObject(AppServerClassName));
        EXPECT_EQ(Call(app, "CallMethod", {Variant("ExchangeRate"), VarArrayOf({Variant("USD"), Variant("T"), Variant("20240102")}),
                                           VarArrayOf({Variant(""), Variant("DEMO")})})
                      .AsDouble(),
                  7.1);
    }
    TAppServer::Shutdown();
    testsupport::WriteFile(inst.Dir.Path() + "registry.ini", "[HKEY_LOCAL_MACHINE\\Software]\n");
    EXPECT_THROW(os::CreateOleObject(AppServerClassName), EPlatformError);
    TAppServer::SetLogHandler(nullptr);
}

TEST(AppServerSystemDb, IsCreatedWithItsSchemaVersionAndReopened)
{
    testsupport::TempDir dir;
    {
        TSystemDb db(dir.File("system.db"));
        EXPECT_EQ(db.Version(), TSystemDb::SchemaVersion);
        db.Execute("INSERT INTO USERS (USER_ID) VALUES ('U01')");
    }
    TSystemDb again(dir.File("system.db"));
    EXPECT_EQ(again.Version(), TSystemDb::SchemaVersion);
    EXPECT_EQ(again.Execute("SELECT COUNT(*) FROM USERS").Rows.at(0).at(0).AsInteger(), 1);
    again.Execute("UPDATE SCHEMA_VERSION SET VERSION = 99");
    EXPECT_THROW(TSystemDb(dir.File("system.db")), EAppServerError);
}

} // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "DbTestSupport.h"
#include "TestSupport.h"
#include "suite/db/CompanyDatabase.h"

using namespace suite::db;
using dbtest::Exec;
using dbtest::Rows;
using dbtest::Value;
using testsupport::TempDir;

namespace {

class CompanyDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        File = CreateCompanyDatabase(Dir.Path(), "DEMO");
        dbtest::Connect(Conn, File);
    }

    TempDir Dir;
    std::string File;
    TKvADOConnection Conn;
};

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ECompanyDatabaseError& e) {
        return e.Message();
    }
    return "<no ECompanyDatabaseError>";
}

} // namespace

TEST_F(CompanyDatabase, FreshDatabaseHasEveryMigration)
{
    EXPECT_EQ(File, Dir.Path() + "DEMO.db");
    EXPECT_TRUE(std::filesystem::exists(File));
    EXPECT_EQ(SchemaVersion(Conn), LatestCompanySchemaVersion());
    const auto versions = Rows(Conn, "SELECT VERSION, DESCRIPTION FROM SCHEMA_VERSION ORDER BY VERSION");
    ASSERT_EQ(versions.size(), CompanyMigrations().size());
    for (std::size_t i = 0; i < versions.size(); ++i) {
        EXPECT_EQ(versions[i][0], std::to_string(i + 1));
        EXPECT_EQ(versions[i][1], CompanyMigrations()[i].Description);
    }
    EXPECT_EQ(Value(Conn, "SELECT length(APPLIED_AT) FROM SCHEMA_VERSION WHERE VERSION = 1"), "17");
}

// Every column that the system's own SQL texts, server calls and the
// adjustment job name exists in its table.
TEST_F(CompanyDatabase, TablesHoldTheColumnsTheSystemNames)
{
    const char* tables[][2] = {
        {"ACRMA", "MA001, MA018, MA033"},
        {"CMSMF", "MF001, MF002, AMOUNT_DECIMALS, ENGLISH_NAME"},
        {"CMSMG", "MG001, MG002, MG003"},
        {"ACRLD", "LD001, LD002, LD012, DOC_DATE, JOB_NO, TOTAL_DIFFERENCE, REMARK, COMPANY, CREATOR, CREATE_DATE"},
        {"ACRLD_LINE", "DOC_TYPE, DOC_NO, LINE_NO, INVOICE_NO, CUSTOMER_ID, CURRENCY, OPEN_AMOUNT, OLD_RATE, "
                       "NEW_RATE, OLD_HOME_AMOUNT, NEW_HOME_AMOUNT, DIFFERENCE"},
        {"TMCMC", "MC001, MC002, RULE_NAME, MC005"},
        {"TMCMD", "MD001, MD002, MD003, MD004, MD006, MD007"},
        {"ADMTC", "TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009, COMPANY, CREATOR, CREATE_DATE, FLAG"},
        {"ADMTD", "TD001, TD002, TD003, TD004, TD005, TD006, TD007, TD008, TD009, COMPANY, CREATOR, CREATE_DATE, FLAG"},
        {"KVTINTMA", "MA001, MA003, DESCRIPTION"},
        {"KVTMA", "USER_ID, USER_NAME, MOBILE, EMAIL, DISABLED"},
        {"USER_RIGHT", "USER_ID, PROGRAM_ID, RIGHTS, DATA_LIMIT"},
        {"ADMMB", "PROGRAM_ID, PROGRAM_NAME, SYSTEM_CODE, PROGRAM_KIND, NO_DIRECT_RUN, WANT_LOG, LIBRARY, VERSION, "
                  "ENGLISH_NAME"},
        {"SYSTEM_PARAMETER", "COMPANY, NAME, VALUE, DESCRIPTION"},
        {"CUSTOMER", "CUSTOMER_ID, CUSTOMER_NAME, CURRENCY, COUNTRY"},
        {"AR_INVOICE", "INVOICE_NO, CUSTOMER_ID, CURRENCY, INVOICE_DATE, DUE_DATE, AMOUNT, OPEN_AMOUNT, BOOKED_RATE, "
                       "HOME_AMOUNT, LAST_ADJUST_DATE"},
    };
    for (const auto& t : tables) {
        const std::string sql = std::string("SELECT ") + t[1] + " FROM " + t[0] + " WHERE 1 = 0";
        EXPECT_NO_THROW(Rows(Conn, sql)) << sql;
    }
}

TEST_F(CompanyDatabase, RerunningChangesNothing)
{
    Exec(Conn, "INSERT INTO CMSMF (MF001, MF002) VALUES ('USD', '美元')");
    EXPECT_EQ(MigrateCompanyDatabase(Conn), 0);
    EXPECT_EQ(CreateCompanyDatabase(Dir.Path(), "DEMO"), File);
    EXPECT_EQ(Value(Conn, "SELECT COUNT(*) FROM SCHEMA_VERSION"), std::to_string(CompanyMigrations().size()));
    EXPECT_EQ(Value(Conn, "SELECT MF002 FROM CMSMF"), "美元");
}

TEST_F(CompanyDatabase, NewerSchemaIsRefusedAndLeftAlone)
{
    const int newer = LatestCompanySchemaVersion() + 3;
    Exec(Conn, "INSERT INTO SCHEMA_VERSION (VERSION, DESCRIPTION) VALUES (:V, 'from a newer program')", {{"V", newer}});
    const std::string message = ErrorOf([&] { MigrateCompanyDatabase(Conn); });
    EXPECT_NE(message.find("schema version " + std::to_string(newer)), std::string::npos) << message;
    EXPECT_NE(message.find("(" + std::to_string(LatestCompanySchemaVersion()) + ")"), std::string::npos) << message;
    EXPECT_FALSE(Conn.InTransaction());
    EXPECT_EQ(SchemaVersion(Conn), newer);
    EXPECT_THROW(CreateCompanyDatabase(Dir.Path(), "DEMO"), ECompanyDatabaseError);
}

// The migration rule on a list of our own: steps in order, each in one
// transaction with its version record.
TEST(CompanyMigration, FailingStepLeavesThePreviousVersion)
{
    TempDir dir;
    TKvADOConnection conn;
    conn.SetConnectionString(ConnectionStringFor(dir.File("T.db"), true));
    conn.Open();
    EXPECT_EQ(SchemaVersion(conn), 0);

    std::vector<TMigration> steps = {
        {1, "first", "CREATE TABLE A (X TEXT); INSERT INTO A VALUES ('a')"},
        {2, "broken", "CREATE TABLE B (X TEXT); INSERT INTO NO_SUCH_TABLE VALUES (1)"},
    };
    const std::string message = ErrorOf([&] { Migrate(conn, steps); });
    EXPECT_NE(message.find("Migration 2 (broken) failed"), std::string::npos) << message;
    EXPECT_EQ(SchemaVersion(conn), 1);
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'B'"), "0");
    EXPECT_FALSE(conn.InTransaction());

    steps[1].Sql = "CREATE TABLE B (X TEXT)";
    steps.push_back({3, "third", "INSERT INTO B VALUES ('b')"});
    EXPECT_EQ(Migrate(conn, steps), 2);
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM A"), "1"); // step 1 ran once
    EXPECT_EQ(SchemaVersion(conn), 3);

    // A list with a gap or out of order is a programming error caught before anything runs.
    const std::vector<TMigration> gap = {{1, "one", "SELECT 1"}, {3, "three", "SELECT 1"}};
    EXPECT_NE(ErrorOf([&] { Migrate(conn, gap); }).find("out of order"), std::string::npos);
    // A migration never runs inside the caller's transaction.
    conn.BeginTrans();
    EXPECT_THROW(Migrate(conn, steps), ECompanyDatabaseError);
    conn.RollbackTrans();
}

TEST(CompanyDatabaseNames, OnlySafeNamesMakeFiles)
{
    struct Case {
        const char* Name;
        bool Valid;
    } cases[] = {
        {"DEMO", true},  {"Demo_2024", true}, {"_X", true},      {"", false},         {"2DEMO", false},
        {"DE MO", false}, {"../DEMO", false}, {"DEMO.db", false}, {"A;B", false},      {"公司", false},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", true}, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidDatabaseName(c.Name), c.Valid) << c.Name;
        if (!c.Valid) {
            EXPECT_THROW(CreateCompanyDatabase(dir.Path(), c.Name), ECompanyDatabaseError) << c.Name;
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    // A folder whose name would end a connection string is quoted.
    const std::string odd = dir.Path() + "a;Mode=Read \"x\"/";
    const std::string file = CreateCompanyDatabase(odd, "ODD");
    EXPECT_TRUE(std::filesystem::exists(file));
    TKvADOConnection conn;
    conn.SetConnectionString(ConnectionStringFor(file));
    conn.Open();
    EXPECT_EQ(Exec(conn, "INSERT INTO CMSMF (MF001) VALUES ('USD')"), 1);
}

TEST_F(CompanyDatabase, ParametersAndRatesOnADate)
{
    Exec(Conn, "INSERT INTO SYSTEM_PARAMETER (COMPANY, NAME, VALUE) VALUES ('DEMO', 'Sys003', 'CNY'), "
               "('DEMO', 'Sys001', '1'), ('OTHER', 'Sys003', 'USD')");
    EXPECT_EQ(ReadSystemParameters(Conn, "DEMO"),
              (std::vector<std::pair<std::string, std::string>>{{"Sys001", "1"}, {"Sys003", "CNY"}}));
    EXPECT_TRUE(ReadSystemParameters(Conn, "NONE").empty());

    Exec(Conn, "INSERT INTO CMSMG (MG001, MG002, MG003) VALUES ('USD', '20261127', 7.1), ('USD', '20261130', 7.2), "
               "('EUR', '20261201', 7.7)");
    struct Case {
        const char* Currency;
        const char* Date;
        std::optional<double> Rate;
    } cases[] = {
        {"USD", "20261127", 7.1},  {"USD", "20261129", 7.1}, // a day without a rate takes the last one before it
        {"USD", "20261130", 7.2},  {"USD", "20270101", 7.2}, {"USD", "20261126", std::nullopt},
        {"EUR", "20261130", std::nullopt}, {"JPY", "20261130", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ExchangeRateOn(Conn, c.Currency, c.Date), c.Rate) << c.Currency << " " << c.Date;

    // The table refuses what would break those reads.
    EXPECT_THROW(Exec(Conn, "INSERT INTO CMSMG VALUES ('USD', '20261127', 7.3)"), EDBEngineError); // same day twice
    EXPECT_THROW(Exec(Conn, "INSERT INTO CMSMG VALUES ('USD', '20261128', 0)"), EDBEngineError);
    EXPECT_THROW(Exec(Conn, "INSERT INTO CMSMG VALUES ('USD', '2026-11-28', 7)"), EDBEngineError);
}

// The SQL texts the module sends, exactly as it writes them (blanks
// included), run through the dialect translation and the query component
// against a migrated company database with a few rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DbTestSupport.h"
#include "TestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "suite/db/CompanyDatabase.h"

using namespace suite::db;
using dbtest::Exec;
using dbtest::Rows;
using testsupport::TempDir;
using TRows = std::vector<std::vector<std::string>>;

namespace {

// "$$" stands for the company database: the server and the form replace it
// by the database name and "..".
std::string ForCompany(std::string sql, const std::string& database)
{
    for (std::size_t at = sql.find("$$"); at != std::string::npos; at = sql.find("$$", at))
        sql.replace(at, 2, database + "..");
    return sql;
}

// The rows of a query read by a comma-separated field list, as the server's
// "SimpleSql" call returns them.
TRows ReadFields(TKvADOConnection& conn, const std::string& sql, const std::string& fields,
                 const std::vector<std::pair<std::string, Variant>>& params)
{
    TKvADOQuery q;
    q.SetConnection(&conn);
    q.SQL.SetText(sql);
    for (const auto& [name, value] : params) q.ParamByName(name) = value;
    q.Open();
    std::vector<std::string> names;
    for (std::size_t start = 0;;) {
        const std::size_t comma = fields.find(',', start);
        names.push_back(Trim(fields.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    TRows rows;
    for (; !q.Eof(); q.Next()) {
        std::vector<std::string> row;
        for (const auto& name : names) row.push_back(q.FieldByName(name).AsString());
        rows.push_back(std::move(row));
    }
    return rows;
}

class SystemSql : public ::testing::Test {
protected:
    void SetUp() override
    {
        dbtest::Connect(Company, CreateCompanyDatabase(Dir.Path(), "DEMO"));
        for (const char* sql : {
                 "INSERT INTO ACRMA (MA001, MA018, MA033) VALUES ('DEMO', 'Y', 'ADJ')",
                 "INSERT INTO CMSMF (MF001, MF002) VALUES ('CNY', '人民币'), ('USD', '美元'), ('EUR', '欧元'), "
                 "('JPY', '日元'), ('HKD', '港币')",
                 "INSERT INTO ACRLD (LD001, LD002, LD012, DOC_DATE) VALUES ('ADJ', '20261130001', 'N', '20261130'), "
                 "('ADJ', '20261031001', 'Y', '20261031'), ('AJ2', '20261130002', 'N', '20261130')",
                 "INSERT INTO KVTINTMA (MA001, MA003) VALUES ('StartupPortal', 'Y'), "
                 "('Portal WS', 'http://portal.example.com/ws'), ('Other', 'x')",
                 "INSERT INTO TMCMC (MC001, MC002, MC005) VALUES ('R1', '1', 'qtvb58'), ('R2', '1', 'QTVB58'), "
                 "('R3', '1', 'QTVB59')",
                 "INSERT INTO TMCMD (MD001, MD002, MD003, MD004, MD006, MD007) VALUES "
                 "('R1', '1', '1', '6', 'a', 'rule one'), ('R2', '1', '1', '6', 'b', NULL), "
                 "('R2', '1', '2', '5', 'c', 'another event'), ('R3', '1', '1', '6', 'd', 'another program'), "
                 "('R9', '1', '1', '6', 'e', 'a line without its header')",
             })
            Exec(Company, sql);
    }

    TempDir Dir;
    TKvADOConnection Company;
};

// A text as an SQL literal, quotes doubled.
std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

const char* const RuleQuery =
    " SELECT MD001, MD002, MD003, MD006, ISNULL(MD007, '') MD007  FROM $$TMCMD  LEFT JOIN $$TMCMC ON MC001 = MD001 "
    "AND MC002 = MD002  WHERE UPPER(MC005) = :MC005  AND MD004 = :MD004 ";

struct TSqlCase {
    std::string Sql;
    std::string Fields;
    std::vector<std::pair<std::string, Variant>> Params;
    TRows Expected;
    bool Ordered; // the text fixes the order of its rows
};

const std::vector<TSqlCase>& SqlCases()
{
    static const std::vector<TSqlCase> cases = {
        // The adjustment form: foreign currency in use, document type, currencies, unconfirmed documents.
        {"SELECT MA018,MA001 FROM $$ACRMA", "MA018,MA001", {}, {{"Y", "DEMO"}}, true},
        {" SELECT ISNULL(MA033, '') MA033 FROM $$ACRMA ", "MA033", {}, {{"ADJ"}}, true},
        {" SELECT 'Y' AS MF001C,MF001,MF002 FROM $$CMSMF AS CMSMF  where MF001<>" + Quoted("CNY") +
             " ORDER BY MF001 DESC ",
         "MF001C,MF001,MF002",
         {},
         {{"Y", "USD", "美元"}, {"Y", "JPY", "日元"}, {"Y", "HKD", "港币"}, {"Y", "EUR", "欧元"}},
         true},
        {"SELECT LD001,LD002 FROM $$ACRLD WHERE LD012='N' ", "LD001,LD002", {},
         {{"ADJ", "20261130001"}, {"AJ2", "20261130002"}}, false},
        // The run-option form: the portal settings.
        {"SELECT MA003 FROM KVTINTMA WHERE MA001='StartupPortal' ", "MA003", {}, {{"Y"}}, true},
        {"SELECT MA003 FROM KVTINTMA WHERE MA001='Portal WS' ", "MA003", {}, {{"http://portal.example.com/ws"}}, true},
        // The batch form: the program's message rules for event 6, matched without regard to case.
        {RuleQuery, "MD001,MD002,MD003,MD006,MD007", {{"MC005", "QTVB58"}, {"MD004", "6"}},
         {{"R1", "1", "1", "a", "rule one"}, {"R2", "1", "1", "b", ""}}, false},
        {RuleQuery, "MD001", {{"MC005", "QTVB59"}, {"MD004", "5"}}, {}, false},
    };
    return cases;
}

void ExpectRows(TRows actual, TRows expected, bool ordered, const std::string& sql)
{
    if (!ordered) {
        std::sort(actual.begin(), actual.end());
        std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(actual, expected) << sql;
}

} // namespace

TEST_F(SystemSql, EveryTextReturnsItsRows)
{
    for (const auto& c : SqlCases()) {
        const std::string sql = ForCompany(c.Sql, "DEMO");
        TRows rows;
        ASSERT_NO_THROW(rows = ReadFields(Company, sql, c.Fields, c.Params)) << sql;
        ExpectRows(rows, c.Expected, c.Ordered, sql);
    }
}

// The application server keeps its own database beside the company files;
// "DEMO..TABLE" reaches the company database from there.
TEST_F(SystemSql, PrefixedTextsReachTheCompanyFromAnotherDatabase)
{
    TKvADOConnection server;
    server.SetConnectionString(ConnectionStringFor(Dir.File("system.db"), true));
    server.Open();
    int run = 0;
    for (const auto& c : SqlCases()) {
        if (c.Sql.find("$$") == std::string::npos) continue;
        const std::string sql = ForCompany(c.Sql, "DEMO");
        ExpectRows(ReadFields(server, sql, c.Fields, c.Params), c.Expected, c.Ordered, sql);
        ++run;
    }
    EXPECT_EQ(run, 6);
}

TEST_F(SystemSql, BlankSettingsAndEmptyResults)
{
    const std::string docType = ForCompany(" SELECT ISNULL(MA033, '') MA033 FROM $$ACRMA ", "DEMO");
    Exec(Company, "UPDATE ACRMA SET MA033 = NULL");
    EXPECT_EQ(ReadFields(Company, docType, "MA033", {}), (TRows{{""}})); // never null: the form trims the text
    Exec(Company, "UPDATE ACRMA SET MA033 = '  '");
    EXPECT_EQ(ReadFields(Company, docType, "MA033", {}), (TRows{{"  "}}));

    Exec(Company, "UPDATE ACRLD SET LD012 = 'Y'");
    EXPECT_TRUE(ReadFields(Company, ForCompany("SELECT LD001,LD002 FROM $$ACRLD WHERE LD012='N' ", "DEMO"),
                           "LD001,LD002", {})
                    .empty());
    Exec(Company, "DELETE FROM KVTINTMA");
    EXPECT_TRUE(ReadFields(Company, "SELECT MA003 FROM KVTINTMA WHERE MA001='StartupPortal' ", "MA003", {}).empty());

    // The flag columns take only "Y" and "N".
    EXPECT_THROW(Exec(Company, "UPDATE ACRLD SET LD012 = 'y'"), EDBEngineError);
    EXPECT_THROW(Exec(Company, "UPDATE ACRMA SET MA018 = NULL"), EDBEngineError);
}

// The notification records: the server time, the record number of the day
// (continuing from the history table), and the insert.
TEST_F(SystemSql, NotificationRecordNumbersAndInsert)
{
    TKvADOQuery time;
    time.SetConnection(&Company);
    time.SQL.SetText(" SELECT GETDATE() DATEX ");
    const TDateTime before = Now();
    time.Open();
    const TDateTime stamp = time.FieldByName("DATEX").AsDateTime();
    EXPECT_LT(std::fabs(stamp - before), 2.0 / 24 / 60);
    EXPECT_EQ(FormatDateTime("yyyymmddhhnnsszzz", stamp).size(), 17u);

    auto next = [&](const std::string& day) {
        TKvADOQuery q;
        q.SetConnection(&Company);
        q.SQL.SetText(std::string(" SELECT (SELECT CASE WHEN MAX(TC001) IS NULL THEN '") + day + "000001" + "' " +
                      " ELSE CONVERT(CHAR(14), CAST(MAX(TC001) AS BIGINT) + 1) END " + " FROM " +
                      " (SELECT MAX(TC001) TC001 FROM ADMTC WHERE TC004 LIKE '" + day + "%' " + " UNION " +
                      " SELECT MAX(TD001) TD001 FROM ADMTD WHERE TD004 LIKE '" + day + "%') B) SEQX ");
        q.Open();
        return q.FieldByName("SEQX").AsString();
    };
    TKvADOQuery insert;
    insert.SetConnection(&Company);
    insert.SQL.SetText(" INSERT INTO ADMTC (TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009,  COMPANY, "
                       "CREATOR, CREATE_DATE, FLAG)  VALUES (:TC001, :TC002, :TC003, :TC004, :TC005, :TC006, :TC007, "
                       ":TC008, :TC009,:COMPANY, :CREATOR, :CREATE_DATE, :FLAG) ");
    const std::string receivers =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><Root><R1 ID=\"ADMIN\" Name=\"系统管理员\" Type=\"1\" Msg=\"YNN\"/></Root>";
    auto write = [&](const std::string& number, const std::string& when) {
        const std::pair<const char*, std::string> texts[] = {
            {"TC001", number}, {"TC002", "U01"},  {"TC003", receivers}, {"TC004", when},         {"TC005", "N"},
            {"TC006", "应收账款汇率调整完成"}, {"TC007", "DEMO"}, {"TC008", "已完成。"}, {"TC009", "4"},
            {"COMPANY", "DEMO"}, {"CREATOR", "U01"}, {"CREATE_DATE", when}};
        for (const auto& [name, value] : texts) insert.ParamByName(name) = value;
        insert.ParamByName("FLAG") = 1;
        return insert.ExecSQL();
    };

    struct Step {
        const char* Day;
        const char* Expected;
    };
    EXPECT_EQ(next("20261211"), "20261211000001");
    EXPECT_EQ(write("20261211000001", "20261211093015123"), 1);
    EXPECT_EQ(next("20261211"), "20261211000002");
    // Numbers move to the history table once handled; the day continues from the highest of both.
    Exec(Company, "INSERT INTO ADMTD (TD001, TD004) VALUES ('20261211000007', '20261211080000000'), "
                  "('20261212000003', '20261212080000000')");
    const Step steps[] = {{"20261211", "20261211000008"}, {"20261212", "20261212000004"}, {"20261213", "20261213000001"}};
    for (const auto& s : steps) EXPECT_EQ(next(s.Day), s.Expected) << s.Day;
    EXPECT_EQ(write(next("20261211"), "20261211093016000"), 1);
    EXPECT_EQ(next("20261211"), "20261211000009");

    // A number taken meanwhile by another client is refused, never stored twice.
    EXPECT_THROW(write("20261211000008", "20261211093017000"), EDBEngineError);

    EXPECT_EQ(Rows(Company, "SELECT TC001, TC002, TC003, TC005, TC006, TC008, TC009, COMPANY, typeof(FLAG), FLAG "
                            "FROM ADMTC ORDER BY TC001"),
              (TRows{{"20261211000001", "U01", receivers, "N", "应收账款汇率调整完成", "已完成。", "4", "DEMO", "integer", "1"},
                     {"20261211000008", "U01", receivers, "N", "应收账款汇率调整完成", "已完成。", "4", "DEMO", "integer", "1"}}));
}

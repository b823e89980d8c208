#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "platform/data/ADODB.h"

using testsupport::TempDir;

namespace {

void Exec(TKvADOConnection& conn, const std::string& sql)
{
    TKvADOQuery q;
    q.SetConnection(&conn);
    q.SQL.SetText(sql);
    q.ExecSQL();
}

// All rows of an opened query as texts, fields joined by "|".
std::vector<std::string> Rows(TKvADOQuery& q)
{
    std::vector<std::string> rows;
    for (q.First(); !q.Eof(); q.Next()) {
        std::string row;
        for (int i = 0; i < q.FieldCount(); ++i) row += (i ? "|" : "") + q.Fields(i).AsString();
        rows.push_back(row);
    }
    return rows;
}

// A company database DEMO.db and, beside it, the database of the
// connection the notification records are written through (ADM.db).
class ADODB : public ::testing::Test {
protected:
    void SetUp() override
    {
        Company.SetConnectionString("Provider=SQLITE;Data Source=" + Dir.File("DEMO.db") + ";Mode=Create");
        Company.Open();
        for (const char* sql : {
                 "CREATE TABLE ACRMA (MA001 TEXT, MA018 TEXT, MA033 TEXT)",
                 "CREATE TABLE CMSMF (MF001 TEXT, MF002 TEXT)",
                 "CREATE TABLE ACRLD (LD001 TEXT, LD002 TEXT, LD012 TEXT)",
                 "CREATE TABLE KVTINTMA (MA001 TEXT, MA003 TEXT)",
                 "CREATE TABLE TMCMC (MC001 TEXT, MC002 TEXT, MC005 TEXT)",
                 "CREATE TABLE TMCMD (MD001 TEXT, MD002 TEXT, MD003 TEXT, MD004 TEXT, MD006 TEXT, MD007 TEXT)",
             })
            Exec(Company, sql);
        Adm.SetConnectionString("Provider=SQLITE;Data Source=" + Dir.File("ADM.db") + ";Mode=Create");
        Adm.Open();
        // Columns without a declared type keep the type each value was bound with.
        Exec(Adm, "CREATE TABLE ADMTC (TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009, COMPANY, "
                  "CREATOR, CREATE_DATE, FLAG)");
        Exec(Adm, "CREATE TABLE ADMTD (TD001, TD004)");
    }

    TempDir Dir;
    TKvADOConnection Company;
    TKvADOConnection Adm;
};

} // namespace

TEST_F(ADODB, SystemQueriesOnTheCompanyDatabase)
{
    Exec(Company, "INSERT INTO ACRMA VALUES ('01', 'Y', NULL)");
    Exec(Company, "INSERT INTO CMSMF VALUES ('EUR', '欧元'), ('RMB', '人民币'), ('USD', '美元'), ('HKD', '港币')");
    Exec(Company, "INSERT INTO ACRLD VALUES ('A1', '001', 'N'), ('A1', '002', 'Y'), ('A2', '003', 'N')");
    Exec(Company, "INSERT INTO KVTINTMA VALUES ('StartupPortal', 'http://portal'), ('Other', 'x')");

    struct Case {
        const char* Sql;
        std::vector<std::string> Rows;
    } cases[] = {
        {"SELECT MA018,MA001 FROM ACRMA", {"Y|01"}},
        {" SELECT ISNULL(MA033, '') MA033 FROM ACRMA ", {""}},
        {" SELECT 'Y' AS MF001C,MF001,MF002 FROM CMSMF AS CMSMF  where MF001<>'RMB' ORDER BY MF001 DESC ",
         {"Y|USD|美元", "Y|HKD|港币", "Y|EUR|欧元"}},
        {"SELECT LD001,LD002 FROM ACRLD WHERE LD012='N' ", {"A1|001", "A2|003"}},
        {"SELECT MA003 FROM KVTINTMA WHERE MA001='StartupPortal' ", {"http://portal"}},
        // A company prefix nobody replaced still reaches the table.
        {"SELECT MA018 FROM $$ACRMA", {"Y"}},
    };
    TKvADOQuery q;
    q.SetConnection(&Company);
    for (const auto& c : cases) {
        q.SQL.SetText(c.Sql); // a new text runs anew without an explicit Close
        q.Open();
        EXPECT_EQ(Rows(q), c.Rows) << c.Sql;
    }
    q.Close();
    q.SQL.SetText(" SELECT ISNULL(MA033, '') MA033 FROM ACRMA ");
    q.Open();
    EXPECT_FALSE(q.FieldByName("MA033").IsNull());
    EXPECT_THROW(q.FieldByName("MA099"), EDatabaseError);
    EXPECT_EQ(q.FindField("MA099"), nullptr);
}

TEST_F(ADODB, RuleQueryReachesTheCompanyDatabaseByName)
{
    Exec(Company, "INSERT INTO TMCMC VALUES ('R1', '1', 'qtvb58'), ('R2', '1', 'QTVB58'), ('R3', '1', 'OTHER')");
    Exec(Company, "INSERT INTO TMCMD VALUES ('R1', '1', 'a', '6', 'x', 'rule one'), ('R2', '1', 'b', '6', 'y', NULL),"
                  " ('R2', '1', 'c', '5', 'z', 'wrong event'), ('R3', '1', 'd', '6', 'w', 'other program')");
    TKvADOQuery q;
    q.SetConnection(&Adm);
    q.SQL.SetText(" SELECT MD001, MD002, MD003, MD006, ISNULL(MD007, '') MD007  FROM DEMO..TMCMD  LEFT JOIN DEMO..TMCMC "
                  "ON MC001 = MD001 AND MC002 = MD002  WHERE UPPER(MC005) = :MC005  AND MD004 = :MD004 ");
    ASSERT_EQ(q.Parameters().Count(), 2);
    q.Parameters().ParamByName("MC005").SetValue("QTVB58");
    q.ParamByName("MD004") = "6";
    q.Open();
    EXPECT_EQ(Rows(q), (std::vector<std::string>{"R1|1|a|x|rule one", "R2|1|b|y|"}));

    // The main file's own name means the main database.
    TKvADOQuery own;
    own.SetConnection(&Company);
    own.SQL.SetText("SELECT COUNT(*) N FROM DEMO..TMCMC");
    own.Open();
    EXPECT_EQ(own.FieldByName("N").AsInteger(), 3);

    // A company database that does not exist is reported, not created.
    TKvADOQuery missing;
    missing.SetConnection(&Adm);
    missing.SQL.SetText("SELECT * FROM NOSUCH..TMCMC");
    EXPECT_THROW(missing.Open(), EDBEngineError);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("NOSUCH.db")));
}

TEST_F(ADODB, TimeStampNumberingAndInsert)
{
    TKvADOQuery q;
    q.SetConnection(&Adm);
    q.SQL.SetText(" SELECT GETDATE() DATEX ");
    q.Open();
    const TDateTime now = q.FieldByName("DATEX").AsDateTime();
    // The text keeps milliseconds and reads back to the same instant.
    EXPECT_EQ(q.FieldByName("DATEX").AsString(), FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", now));
    EXPECT_LT(std::fabs(now - Now()), 5.0 / 24 / 60);
    const std::string stamp = FormatDateTime("yyyymmddhhnnsszzz", now);
    EXPECT_EQ(stamp.size(), 17u);

    auto nextNumber = [&](const std::string& day) {
        TKvADOQuery seq;
        seq.SetConnection(&Adm);
        seq.SQL.SetText(" SELECT (SELECT CASE WHEN MAX(TC001) IS NULL THEN '" + day + "000001' " +
                        " ELSE CONVERT(CHAR(14), CAST(MAX(TC001) AS BIGINT) + 1) END  FROM  (SELECT MAX(TC001) TC001 "
                        "FROM ADMTC WHERE TC004 LIKE '" + day + "%'  UNION  SELECT MAX(TD001) TD001 FROM ADMTD WHERE "
                        "TD004 LIKE '" + day + "%') B) SEQX ");
        seq.Open();
        return seq.FieldByName("SEQX").AsString();
    };
    TKvADOQuery ins;
    ins.SetConnection(&Adm);
    ins.SQL.SetText(" INSERT INTO ADMTC (TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009,  COMPANY, "
                    "CREATOR, CREATE_DATE, FLAG)  VALUES (:TC001, :TC002, :TC003, :TC004, :TC005, :TC006, :TC007, "
                    ":TC008, :TC009,:COMPANY, :CREATOR, :CREATE_DATE, :FLAG) ");
    auto insert = [&](const std::string& number, const std::string& time) {
        const std::vector<std::pair<const char*, std::string>> texts = {
            {"TC001", number}, {"TC002", "DS"}, {"TC003", "<?xml version=\"1.0\"?><Root/>"}, {"TC004", time},
            {"TC005", "N"}, {"TC006", "O'Brien'); DROP TABLE ADMTC; --"}, {"TC007", ""}, {"TC008", "汇差"},
            {"TC009", "4"}, {"COMPANY", "DEMO"}, {"CREATOR", "DS"}, {"CREATE_DATE", time}};
        for (const auto& [name, value] : texts) ins.ParamByName(name) = value;
        ins.ParamByName("FLAG") = 1;
        return ins.ExecSQL();
    };

    EXPECT_EQ(nextNumber("20241231"), "20241231000001");
    EXPECT_EQ(insert("20241231000001", "20241231235959123"), 1);
    EXPECT_EQ(nextNumber("20241231"), "20241231000002");
    // The history table's highest number of the day counts too.
    Exec(Adm, "INSERT INTO ADMTD VALUES ('20241231000007', '20241231101010000'), ('20250101000009', '20250101000000000')");
    EXPECT_EQ(nextNumber("20241231"), "20241231000008");
    EXPECT_EQ(nextNumber("20250102"), "20250102000001");

    q.Close();
    q.SQL.SetText("SELECT TC006, typeof(TC001) T1, typeof(FLAG) T2, FLAG, TC007 FROM ADMTC");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("TC006").AsString(), "O'Brien'); DROP TABLE ADMTC; --");
    EXPECT_EQ(q.FieldByName("T1").AsString(), "text");
    EXPECT_EQ(q.FieldByName("T2").AsString(), "integer");
    EXPECT_EQ(q.FieldByName("FLAG").AsInteger(), 1);
}

TEST_F(ADODB, ExecutionResultsAndErrors)
{
    Exec(Company, "INSERT INTO ACRLD VALUES ('A1', '001', 'N'), ('A1', '002', 'N'), ('A2', '003', 'Y')");
    TKvADOQuery q;
    q.SetConnection(&Company);
    q.SQL.SetText("UPDATE ACRLD SET LD012 = :NEW WHERE LD012 = :OLD");
    q.ParamByName("NEW") = "Y";
    q.ParamByName("OLD") = "N";
    EXPECT_EQ(q.ExecSQL(), 2);
    EXPECT_EQ(q.ExecSQL(), 0);
    EXPECT_THROW(q.Open(), EDatabaseError); // no rows to open
    EXPECT_THROW(q.ParamByName("NOPE"), EDatabaseError);

    // A new text makes new parameters without the old values.
    q.SQL.SetText("SELECT COUNT(*) N FROM ACRLD WHERE LD001 = :OLD");
    EXPECT_TRUE(q.ParamByName("OLD").Value().IsEmpty());
    q.ParamByName("OLD") = "A1";
    q.Open();
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 2);
    q.Close();

    q.SQL.SetText("SELEC nonsense");
    EXPECT_THROW(q.ExecSQL(), EDBEngineError);

    // Transactions undo what they wrote.
    Company.BeginTrans();
    Exec(Company, "DELETE FROM ACRLD");
    Company.RollbackTrans();
    q.SQL.SetText("SELECT COUNT(*) N FROM ACRLD");
    q.Open();
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 3);

    // The query forgets a connection that goes away.
    {
        TKvADOConnection temp;
        q.SetConnection(&temp);
    }
    EXPECT_EQ(q.Connection(), nullptr);
    EXPECT_THROW(q.ExecSQL(), EDatabaseError);
}

TEST(ADODBConnection, ConnectionStrings)
{
    TempDir dir;
    {
        const TConnectionParams p = ParseConnectionString("Provider=SQLITE; Data Source=\"/a b/c;d.db\";Mode=Create");
        EXPECT_EQ(p.Provider, "SQLITE");
        EXPECT_EQ(p.DataSource, "/a b/c;d.db");
        EXPECT_EQ(p.Mode, "Create");
        EXPECT_EQ(ParseConnectionString("/x/company.db").DataSource, "/x/company.db");
    }
    TKvADOConnection conn;
    conn.LoginPrompt = false;
    conn.SetConnectionString("Provider=POSTGRESQL;Host=db;Database=DEMO");
    try {
        conn.Open();
        FAIL() << "PostgreSQL opened";
    } catch (const EDBEngineError& e) {
        EXPECT_NE(e.Message().find("not available yet"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(conn.Connected());
    conn.SetConnectionString("Provider=SQLOLEDB;Data Source=x");
    EXPECT_THROW(conn.Open(), EDBEngineError);
    // A missing file is an error unless the string asks to create it.
    conn.SetConnectionString(dir.File("company.db"));
    EXPECT_THROW(conn.Open(), EDBEngineError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("company.db")));
    conn.SetConnectionString("Data Source=" + dir.File("company.db") + ";Mode=Create");
    SetPropValue(&conn, "Connected", "True");
    EXPECT_TRUE(conn.Connected());
    EXPECT_THROW(conn.SetConnectionString("other.db"), EDatabaseError);
    conn.Close();
    conn.SetConnectionString(dir.File("company.db")); // the plain path form, now that the file exists
    conn.Open();
    EXPECT_TRUE(conn.Connected());
}

// A prepared query keeps its compiled statement across runs with new values,
// compiles again when its text changes, and lets go of it when the
// connection closes.
TEST_F(ADODB, PreparedQueriesRunManyTimes)
{
    Exec(Company, "CREATE TABLE T (K TEXT PRIMARY KEY, N INTEGER)");
    TKvADOQuery ins;
    ins.SetConnection(&Company);
    SetPropValue(&ins, "Prepared", "True");
    ASSERT_TRUE(ins.Prepared());
    ins.SQL.SetText("INSERT INTO T (K, N) VALUES (:K, :N)");
    Company.BeginTrans();
    for (int i = 0; i < 50; ++i) {
        ins.ParamByName("K") = "k" + std::to_string(i);
        ins.ParamByName("N") = i;
        ASSERT_EQ(ins.ExecSQL(), 1);
    }
    Company.CommitTrans();

    // A failing run (duplicate key) leaves the statement ready for the next.
    ins.ParamByName("K") = "k0";
    EXPECT_THROW(ins.ExecSQL(), EDBEngineError);
    ins.ParamByName("K") = "k50";
    ins.ParamByName("N") = Variant::Null();
    EXPECT_EQ(ins.ExecSQL(), 1);

    TKvADOQuery sel;
    sel.SetConnection(&Company);
    sel.SetPrepared(true);
    sel.SQL.SetText("SELECT COUNT(*) C, SUM(N) S FROM T WHERE N >= :LOW");
    sel.ParamByName("LOW") = 0;
    sel.Open();
    EXPECT_EQ(Rows(sel), (std::vector<std::string>{"50|1225"}));
    sel.Close();
    sel.ParamByName("LOW") = 45;
    sel.Open();
    EXPECT_EQ(Rows(sel), (std::vector<std::string>{"5|235"}));

    // A new text is compiled anew; a text of two statements still runs whole.
    // The query is still open on the old text: giving the new text's
    // parameters values first must not leave the old rows in place.
    sel.SQL.SetText("UPDATE T SET N = 0 WHERE K = :K; SELECT N FROM T WHERE K = :K");
    sel.ParamByName("K") = "k7";
    sel.Open();
    EXPECT_EQ(Rows(sel), (std::vector<std::string>{"0"}));

    // Closing the connection drops the compiled statements; the next run
    // opens it again and compiles again.
    Company.Close();
    ins.ParamByName("K") = "k51";
    ins.ParamByName("N") = 51;
    EXPECT_EQ(ins.ExecSQL(), 1);
    EXPECT_TRUE(Company.Connected());
}

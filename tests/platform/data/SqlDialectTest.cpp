#include <gtest/gtest.h>

#include "platform/data/SqlDialect.h"

// The system's own statements, as written for SQL Server, and the text the
// embedded engine receives.
TEST(SqlDialect, TranslatesTheSystemStatements)
{
    const std::string pad14(14, ' ');
    struct Case {
        std::string In, Out;
    } cases[] = {
        {"SELECT MA018,MA001 FROM ACRMA", "SELECT MA018,MA001 FROM ACRMA"},
        {" SELECT ISNULL(MA033, '') MA033 FROM ACRMA ", " SELECT IFNULL(MA033, '') MA033 FROM ACRMA "},
        {" SELECT 'Y' AS MF001C,MF001,MF002 FROM CMSMF AS CMSMF  where MF001<>'RMB' ORDER BY MF001 DESC ",
         " SELECT 'Y' AS MF001C,MF001,MF002 FROM CMSMF AS CMSMF  where MF001<>'RMB' ORDER BY MF001 DESC "},
        {"SELECT LD001,LD002 FROM ACRLD WHERE LD012='N' ", "SELECT LD001,LD002 FROM ACRLD WHERE LD012='N' "},
        {"SELECT MA003 FROM KVTINTMA WHERE MA001='StartupPortal' ",
         "SELECT MA003 FROM KVTINTMA WHERE MA001='StartupPortal' "},
        {" SELECT MD001, MD002, MD003, MD006, ISNULL(MD007, '') MD007  FROM DEMO..TMCMD  LEFT JOIN DEMO..TMCMC ON "
         "MC001 = MD001 AND MC002 = MD002  WHERE UPPER(MC005) = :MC005  AND MD004 = :MD004 ",
         " SELECT MD001, MD002, MD003, MD006, IFNULL(MD007, '') MD007  FROM DEMO.TMCMD  LEFT JOIN DEMO.TMCMC ON "
         "MC001 = MD001 AND MC002 = MD002  WHERE UPPER(MC005) = :MC005  AND MD004 = :MD004 "},
        {" SELECT GETDATE() DATEX ", " SELECT strftime('%Y-%m-%d %H:%M:%f','now','localtime') DATEX "},
        {" SELECT (SELECT CASE WHEN MAX(TC001) IS NULL THEN '20241231000001' ELSE CONVERT(CHAR(14), CAST(MAX(TC001) "
         "AS BIGINT) + 1) END  FROM  (SELECT MAX(TC001) TC001 FROM ADMTC WHERE TC004 LIKE '20241231%'  UNION  SELECT "
         "MAX(TD001) TD001 FROM ADMTD WHERE TD004 LIKE '20241231%') B) SEQX ",
         " SELECT (SELECT CASE WHEN MAX(TC001) IS NULL THEN '20241231000001' ELSE substr(CAST((CAST(MAX(TC001) AS "
         "INTEGER) + 1) AS TEXT) || '" + pad14 + "', 1, 14) END  FROM  (SELECT MAX(TC001) TC001 FROM ADMTC WHERE TC004 "
         "LIKE '20241231%'  UNION  SELECT MAX(TD001) TD001 FROM ADMTD WHERE TD004 LIKE '20241231%') B) SEQX "},
        {" INSERT INTO ADMTC (TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009,  COMPANY, CREATOR, "
         "CREATE_DATE, FLAG)  VALUES (:TC001, :TC002, :TC003, :TC004, :TC005, :TC006, :TC007, :TC008, :TC009,:COMPANY, "
         ":CREATOR, :CREATE_DATE, :FLAG) ",
         " INSERT INTO ADMTC (TC001, TC002, TC003, TC004, TC005, TC006, TC007, TC008, TC009,  COMPANY, CREATOR, "
         "CREATE_DATE, FLAG)  VALUES (:TC001, :TC002, :TC003, :TC004, :TC005, :TC006, :TC007, :TC008, :TC009,:COMPANY, "
         ":CREATOR, :CREATE_DATE, :FLAG) "},
    };
    for (const auto& c : cases) EXPECT_EQ(TranslateSql(c.In), c.Out);
}

TEST(SqlDialect, OtherFormsAndLiterals)
{
    struct Case {
        const char* In;
        const char* Out;
    } cases[] = {
        // Literals, quoted names and comments are never touched.
        {"SELECT 'ISNULL(a,b) x..y $$Z GETDATE() AS BIGINT' FROM $$ACRMA",
         "SELECT 'ISNULL(a,b) x..y $$Z GETDATE() AS BIGINT' FROM ACRMA"},
        {"SELECT 'it''s ISNULL(', isnull(a, 'b''') -- ISNULL(\n FROM T /* GETDATE() */",
         "SELECT 'it''s ISNULL(', IFNULL(a, 'b''') -- ISNULL(\n FROM T /* GETDATE() */"},
        {"SELECT \"DEMO..X\", [A..B] FROM DEMO..[T 1]", "SELECT \"DEMO..X\", [A..B] FROM DEMO.[T 1]"},
        // Nested calls are translated inside CONVERT; VARCHAR is cut, not padded.
        {"SELECT CONVERT(varchar(3), ISNULL(A, 'x')) FROM T", "SELECT substr(CAST((IFNULL(A, 'x')) AS TEXT), 1, 3) FROM T"},
        {"SELECT CONVERT(CHAR(2), GETDATE ( ))",
         "SELECT substr(CAST((strftime('%Y-%m-%d %H:%M:%f','now','localtime')) AS TEXT) || '  ', 1, 2)"},
        // Forms it does not know stay as written.
        {"SELECT CONVERT(DATETIME, A, 112), BIGINT FROM T", "SELECT CONVERT(DATETIME, A, 112), BIGINT FROM T"},
        {"SELECT 1.5, A.B FROM T", "SELECT 1.5, A.B FROM T"},
    };
    for (const auto& c : cases) EXPECT_EQ(TranslateSql(c.In), c.Out) << c.In;

    EXPECT_EQ(TranslateSql("SELECT * FROM Demo..T JOIN OTHER..U", [](const std::string& db) {
                  return db == "Demo" ? std::string("main") : db;
              }),
              "SELECT * FROM main.T JOIN OTHER.U");
    EXPECT_EQ(SqlDatabaseRefs("SELECT 'X..Y' FROM DEMO..A, demo..B, LOG..C"),
              (std::vector<std::string>{"DEMO", "LOG"}));
}

TEST(SqlDialect, ParameterNames)
{
    EXPECT_EQ(SqlParamNames(" SELECT A FROM T WHERE UPPER(MC005) = :MC005  AND MD004 = :MD004 OR X = :mc005"),
              (std::vector<std::string>{"MC005", "MD004"}));
    // Times in literals, casts written "::" and comments hold no parameters.
    EXPECT_EQ(SqlParamNames("SELECT '12:30', A::TEXT, B -- :C\n FROM T WHERE D=:D"), (std::vector<std::string>{"D"}));
    EXPECT_EQ(SqlParamNames("VALUES (:TC009,:COMPANY)"), (std::vector<std::string>{"TC009", "COMPANY"}));
}

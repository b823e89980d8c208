#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "DbTestSupport.h"
#include "TestSupport.h"
#include "platform/core/DateTime.h"
#include "suite/db/CompanyDatabase.h"
#include "suite/db/DemoData.h"

using namespace suite::db;
using dbtest::Rows;
using dbtest::Value;
using testsupport::TempDir;
using TRows = std::vector<std::vector<std::string>>;

namespace {

TDemoOptions SmallDemo(const TempDir& dir)
{
    TDemoOptions o;
    o.Folder = dir.Path();
    o.Invoices = 80;
    o.Customers = 10;
    o.Seed = 7;
    o.Today = "20261130";
    return o;
}

// The whole content of the tables the generator fills, for comparing runs.
std::string Content(TKvADOConnection& conn)
{
    std::string text;
    for (const char* sql : {"SELECT * FROM CMSMG ORDER BY MG001, MG002", "SELECT * FROM CUSTOMER ORDER BY CUSTOMER_ID",
                            "SELECT * FROM AR_INVOICE ORDER BY INVOICE_NO"})
        for (const auto& row : Rows(conn, sql))
            for (const auto& v : row) text += v + "|";
    return text;
}

} // namespace

TEST(DemoData, SmallCompanyIsCompleteAndConsistent)
{
    TempDir dir;
    const TDemoSummary s = CreateDemoCompany(SmallDemo(dir));
    EXPECT_EQ(s.File, dir.Path() + "DEMO.db");
    EXPECT_FALSE(std::filesystem::exists(s.File + ".tmp"));
    TKvADOConnection conn;
    dbtest::Connect(conn, s.File);
    EXPECT_EQ(SchemaVersion(conn), LatestCompanySchemaVersion());

    // Two years of rates, every calendar day, for every currency but the home currency.
    const int days = static_cast<int>(EncodeDate(2026, 11, 30) - EncodeDate(2024, 11, 30)) + 1;
    EXPECT_EQ(s.RateDays, days);
    EXPECT_EQ(s.FirstRateDate, "20241130");
    EXPECT_EQ(s.LastRateDate, "20261130");
    EXPECT_EQ(Rows(conn, "SELECT MF001 FROM CMSMF ORDER BY MF001"),
              (TRows{{"AUD"}, {"CNY"}, {"EUR"}, {"GBP"}, {"HKD"}, {"JPY"}, {"USD"}}));
    EXPECT_EQ(Rows(conn, "SELECT MG001, COUNT(*), MIN(MG002), MAX(MG002) FROM CMSMG GROUP BY MG001 ORDER BY MG001"),
              (TRows{{"AUD", std::to_string(days), "20241130", "20261130"},
                     {"EUR", std::to_string(days), "20241130", "20261130"},
                     {"GBP", std::to_string(days), "20241130", "20261130"},
                     {"HKD", std::to_string(days), "20241130", "20261130"},
                     {"JPY", std::to_string(days), "20241130", "20261130"},
                     {"USD", std::to_string(days), "20241130", "20261130"}}));
    // Rates stay in a realistic band around where they started.
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM CMSMG WHERE (MG001 = 'USD' AND MG003 NOT BETWEEN 5 AND 10) "
                          "OR (MG001 = 'JPY' AND MG003 NOT BETWEEN 0.03 AND 0.07)"),
              "0");

    // Customers cover every currency; invoices are open, in their customer's
    // currency, booked at the rate of their date.
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM CUSTOMER"), "10");
    EXPECT_EQ(Value(conn, "SELECT COUNT(DISTINCT CURRENCY) FROM CUSTOMER"), "7");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE"), "80");
    EXPECT_EQ(s.Invoices, 80);
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE WHERE OPEN_AMOUNT <= 0 OR OPEN_AMOUNT > AMOUNT"), "0");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE I JOIN CUSTOMER C ON C.CUSTOMER_ID = I.CUSTOMER_ID "
                          "WHERE C.CURRENCY <> I.CURRENCY"),
              "0");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE I LEFT JOIN CMSMG G ON G.MG001 = I.CURRENCY AND "
                          "G.MG002 = I.INVOICE_DATE WHERE I.CURRENCY <> 'CNY' AND (G.MG003 IS NULL OR "
                          "G.MG003 <> I.BOOKED_RATE)"),
              "0");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE WHERE CURRENCY = 'CNY' AND BOOKED_RATE <> 1"), "0");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE WHERE abs(HOME_AMOUNT - OPEN_AMOUNT * BOOKED_RATE) > 0.005 "
                          "OR INVOICE_DATE NOT BETWEEN '20241130' AND '20261130' OR DUE_DATE <= INVOICE_DATE"),
              "0");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE WHERE CURRENCY = 'JPY' AND AMOUNT <> round(AMOUNT)"), "0");
    EXPECT_GT(std::stoi(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE WHERE CURRENCY <> 'CNY'")), 40);
    int summed = 0;
    for (const auto& t : s.Totals) summed += t.Invoices;
    EXPECT_EQ(summed, 80);

    // What the adjustment form and the servers read.
    EXPECT_EQ(ReadSystemParameters(conn, "DEMO"),
              (std::vector<std::pair<std::string, std::string>>{{"KVT002", "DEMO 演示公司"},
                                                                {"Sys001", "1"},
                                                                {"Sys002", "/"},
                                                                {"Sys003", "CNY"},
                                                                {"Sys027", "202610"},
                                                                {"Sys028", "202609"}}));
    EXPECT_EQ(Rows(conn, "SELECT MA018, MA033 FROM DEMO..ACRMA"), (TRows{{"Y", "ADJ"}}));
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM DEMO..ACRLD WHERE LD012='N' "), "0");
    EXPECT_EQ(Rows(conn, "SELECT PROGRAM_NAME, PROGRAM_KIND, NO_DIRECT_RUN, WANT_LOG FROM ADMMB WHERE PROGRAM_ID = 'QTVB58'"),
              (TRows{{"应收账款汇率调整", "B", "N", "N"}}));
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM KVTMA K JOIN USER_RIGHT R ON R.USER_ID = K.USER_ID AND "
                          "R.PROGRAM_ID = 'QTVB58' WHERE K.EMAIL <> '' AND K.MOBILE <> ''"),
              "6");
    EXPECT_EQ(Value(conn, "SELECT MA003 FROM KVTINTMA WHERE MA001='StartupPortal' "), "N");
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM DEMO..TMCMD LEFT JOIN DEMO..TMCMC ON MC001 = MD001 AND MC002 = MD002 "
                          "WHERE UPPER(MC005) = 'QTVB58' AND MD004 = '6' AND MD007 LIKE '<MD007><Receiver>%||%||%'"),
              "1");
    for (const auto& currency : s.ForeignCurrencies) {
        EXPECT_TRUE(ExchangeRateOn(conn, currency, "20261130").has_value()) << currency;
        EXPECT_FALSE(ExchangeRateOn(conn, currency, "20241129").has_value()) << currency;
    }
}

TEST(DemoData, SameSeedSameData)
{
    TempDir dir;
    TDemoOptions a = SmallDemo(dir);
    TDemoOptions b = a;
    b.Company = "DEMO2";
    TDemoOptions c = a;
    c.Company = "DEMO3";
    c.Seed = 8;
    TKvADOConnection ca, cb, cc;
    dbtest::Connect(ca, CreateDemoCompany(a).File);
    dbtest::Connect(cb, CreateDemoCompany(b).File);
    dbtest::Connect(cc, CreateDemoCompany(c).File);
    EXPECT_EQ(Content(ca), Content(cb));
    EXPECT_NE(Content(ca), Content(cc));
}

TEST(DemoData, ExistingCompanyIsKeptUnlessForced)
{
    TempDir dir;
    TDemoOptions o = SmallDemo(dir);
    const std::string file = CreateDemoCompany(o).File;
    o.Invoices = 5;
    EXPECT_THROW(CreateDemoCompany(o), ECompanyDatabaseError);
    {
        TKvADOConnection conn;
        dbtest::Connect(conn, file);
        EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE"), "80");
    }
    o.Force = true;
    CreateDemoCompany(o);
    TKvADOConnection conn;
    dbtest::Connect(conn, file);
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE"), "5");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);

    // Options that cannot make a company are refused before any file is touched.
    TDemoOptions bad = SmallDemo(dir);
    bad.Force = true;
    for (auto change : std::initializer_list<void (*)(TDemoOptions&)>{
             [](TDemoOptions& x) { x.Company = "../DEMO"; }, [](TDemoOptions& x) { x.Today = "20261131"; },
             [](TDemoOptions& x) { x.Invoices = -1; }, [](TDemoOptions& x) { x.Folder = " "; }}) {
        TDemoOptions opt = bad;
        change(opt);
        EXPECT_THROW(CreateDemoCompany(opt), ECompanyDatabaseError);
    }
    EXPECT_EQ(Value(conn, "SELECT COUNT(*) FROM AR_INVOICE"), "5");
}

TEST(DemoData, CommandLine)
{
    TempDir dir;
    struct Case {
        std::vector<std::string> Args;
        int Code;
        const char* Says; // in the output (code 0) or the error text
    } cases[] = {
        {{}, 2, "--folder is required"},
        {{"--folder"}, 2, "--folder needs a value"},
        {{"--folder", dir.Path(), "--invoices", "ten"}, 2, "--invoices needs a whole number"},
        {{"--folder", dir.Path(), "--invoices", "-5"}, 2, "--invoices needs a whole number"},
        {{"--folder", dir.Path(), "--invoices", "99999999999"}, 2, "--invoices needs a whole number"},
        {{"--folder", dir.Path(), "--seed", "0x10"}, 2, "--seed needs a whole number"},
        {{"--folder", dir.Path(), "--verbose"}, 2, "unknown argument '--verbose'"},
        {{"--folder", dir.Path(), "--company", "A B"}, 1, "not a usable company name"},
        {{"--help"}, 0, "usage: orvane-demodata"},
        {{"--folder", dir.Path(), "--company", "CLI", "--invoices", "12", "--customers", "7", "--today", "20260315"},
         0,
         "open invoices:   12"},
        {{"--folder", dir.Path(), "--company", "CLI"}, 1, "already exists; use --force"},
        {{"--folder", dir.Path(), "--company", "CLI", "--invoices", "3", "--force", "--seed", "42", "--today", "20260101"},
         0,
         "open invoices:   3"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        const int code = DemoDataMain(c.Args, out, err);
        std::string args;
        for (const auto& a : c.Args) args += a + " ";
        EXPECT_EQ(code, c.Code) << args << "\n" << err.str();
        const std::string text = c.Code == 0 ? out.str() : err.str();
        EXPECT_NE(text.find(c.Says), std::string::npos) << args << "\n" << text;
    }
    TKvADOConnection conn;
    dbtest::Connect(conn, dir.Path() + "CLI.db");
    EXPECT_EQ(Value(conn, "SELECT MAX(MG002) || ' ' || (SELECT COUNT(*) FROM AR_INVOICE) FROM CMSMG"), "20260101 3");
}

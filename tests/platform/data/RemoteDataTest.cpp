// Reading a company database on behalf of a network client: read-only
// queries, the company prefix "$$", and data packets handed out by the
// application server.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/core/Automation.h"
#include "platform/data/DbEngine.h"
#include "platform/data/RemoteProvider.h"
#include "platform/data/SqlDialect.h"

namespace {

TEST(ExpandCompanyPrefix, ReplacesThePrefixOutsideLiteralsAndComments)
{
    struct TCase {
        const char* Sql;
        const char* Expected;
    } cases[] = {
        {"SELECT MA001 FROM $$ACRMA", "SELECT MA001 FROM DEMO..ACRMA"},
        {" SELECT 'Y' AS F FROM $$CMSMF AS CMSMF JOIN $$ACRMA ON 1=1",
         " SELECT 'Y' AS F FROM DEMO..CMSMF AS CMSMF JOIN DEMO..ACRMA ON 1=1"},
        {"SELECT '$$ACRMA', \"$$X\" FROM T -- $$T", "SELECT '$$ACRMA', \"$$X\" FROM T -- $$T"},
        {"SELECT 1 FROM T", "SELECT 1 FROM T"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandCompanyPrefix(c.Sql, "DEMO"), c.Expected) << c.Sql;
}

class ExecuteSelect : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto writer = OpenSqliteEngine(Dir.File("DEMO.db"), "Create");
        writer->Execute("CREATE TABLE T (A INTEGER, B TEXT); INSERT INTO T VALUES (1, 'x'), (2, 'y');", {});
        auto other = OpenSqliteEngine(Dir.File("OTHER.db"), "Create");
        other->Execute("CREATE TABLE U (C TEXT); INSERT INTO U VALUES ('z');", {});
        Engine = OpenSqliteEngine(Dir.File("DEMO.db"), "ReadWrite");
    }
    testsupport::TempDir Dir;
    std::unique_ptr<IDbEngine> Engine;
};

TEST_F(ExecuteSelect, RunsOneQueryWithParametersAndOtherCompanyDatabases)
{
    const TDbResult r = Engine->ExecuteSelect("SELECT B FROM DEMO..T WHERE A = :A", {{"A", Variant(2)}});
    ASSERT_EQ(r.Rows.size(), 1u);
    EXPECT_EQ(r.Rows[0][0].AsString(), "y");
    EXPECT_EQ(Engine->ExecuteSelect("WITH q AS (SELECT C FROM OTHER..U) SELECT C FROM q", {}).Rows.at(0).at(0).AsString(), "z");
    EXPECT_EQ(Engine->ExecuteSelect("  /* note */ SELECT COUNT(*) FROM (SELECT A FROM T); -- end", {}).Rows.at(0).at(0).AsInteger(), 2);
}

TEST_F(ExecuteSelect, RefusesEverythingButReadingAndChangesNothing)
{
    const char* refused[] = {
        "INSERT INTO T VALUES (3, 'w')",
        "UPDATE T SET B = 'q'",
        "DELETE FROM T",
        "SELECT A FROM T; DELETE FROM T",
        "WITH q AS (SELECT 1) DELETE FROM T",
        "WITH q AS (SELECT 1) INSERT INTO T SELECT 3, 'w'",
        "ATTACH DATABASE 'x.db' AS x",
        "PRAGMA journal_mode = DELETE",
        "SELECT load_extension('x')",
        "CREATE TABLE V (X)",
        "BEGIN",
        "VALUES (1)",
        "EXPLAIN SELECT 1",
        "",
        "  -- only a comment",
    };
    for (const char* sql : refused) EXPECT_THROW(Engine->ExecuteSelect(sql, {}), EDBEngineError) << sql;
    EXPECT_EQ(Engine->Execute("SELECT COUNT(*) FROM T WHERE B IN ('x', 'y')", {}).Rows.at(0).at(0).AsInteger(), 2);
}

// An application server object that hands out one packet.
class TPacketServer : public TAutoObject {
public:
    explicit TPacketServer(Variant packet) : FPacket(std::move(packet))
    {
        RegisterMethod(AppServerProviderMethod, [this](std::vector<Variant>& args) {
            Asked = args.at(0).AsString();
            return FPacket;
        });
    }
    std::string Asked;

private:
    Variant FPacket;
};

TEST(AppServerProvider, OpensADataSetFromTheServersPacket)
{
    TDataPacket packet;
    packet.FieldDefs = {{"NCONDITION", TFieldType::ftString, 0, true}, {"CREATE_DATE", TFieldType::ftString, 8, false},
                        {"N", TFieldType::ftInteger, 0, false}};
    packet.Rows = VarArrayOf({VarArrayOf({Variant("月末 '100%'"), Variant("20240131"), Variant(7)}),
                              VarArrayOf({Variant("季末"), Variant("20240331"), Variant::Null()})});
    auto server = std::make_shared<TPacketServer>(DataPacketToVariant(packet));
    TClientDataSet ds;
    ds.Provider = std::make_shared<TAppServerProvider>([server] { return Variant(IAutoObjectPtr(server)); }, "pvdConSave");
    ds.Open();
    EXPECT_EQ(server->Asked, "pvdConSave");
    ASSERT_EQ(ds.FieldCount(), 3);
    EXPECT_EQ(ds.FieldByName("N")->DataType(), TFieldType::ftInteger);
    EXPECT_EQ(ds.FieldByName("CREATE_DATE")->Size(), 8);
    EXPECT_EQ(ds.FieldByName("NCONDITION")->AsString(), "月末 '100%'");
    EXPECT_EQ(ds.FieldByName("N")->AsInteger(), 7);
    ds.Next();
    EXPECT_EQ(ds.FieldByName("NCONDITION")->AsString(), "季末");
    EXPECT_TRUE(ds.FieldByName("N")->IsNull());
}

TEST(AppServerProvider, RefusesWhatIsNoPacket)
{
    const Variant bad[] = {
        Variant("packet"),
        VarArrayOf({Variant(1)}),
        VarArrayOf({Variant("defs"), Variant()}),
        VarArrayOf({VarArrayOf({VarArrayOf({Variant("A"), Variant(99), Variant(0), Variant(false)})}), Variant()}),
        VarArrayOf({VarArrayOf({VarArrayOf({Variant("A")})}), Variant()}),
    };
    for (const auto& v : bad) EXPECT_THROW(DataPacketFromVariant(v), EDatabaseError);
    TAppServerProvider none(nullptr, "pvdConSave");
    EXPECT_THROW(none.GetData(), EDatabaseError);
}

} // namespace

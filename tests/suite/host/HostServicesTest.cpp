// The host's message catalogue and its counter and validator services,
// against a real in-process application server and a SQLite company
// database made by the real migrations.
#include <gtest/gtest.h>

#include <filesystem>

#include "HostFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "suite/host/HostMessages.h"

namespace {

using hosttest::HostFixture;

// Every coded message the module raises, with the number of arguments its
// callers pass (ShowMessages pads the arguments to ten, ShowMessageCode
// passes exactly these).
struct TModuleCode {
    const char* Code;
    int Arguments;
};
const TModuleCode ModuleCodes[] = {
    {"B;200319", 0}, {"E;000003", 1}, {"E;000005", 2}, {"E;000006", 0}, {"E;000013", 1}, {"E;000015", 0},
    {"E;000016", 0}, {"E;000030", 1}, {"E;000036", 0}, {"E;000037", 1}, {"E;000038", 0}, {"E;100006", 1},
    {"E;100082", 2}, {"E;100203", 1}, {"E;100453", 0}, {"E;200589", 0}, {"I;000003", 0}, {"I;000004", 1},
    {"I;000009", 0}, {"I;000010", 0}, {"I;000011", 0}, {"R;200235", 0}, {"W;000002", 3}, {"W;000003", 3},
    {"W;000014", 0},
};

std::string KindOf(const std::string& code) { return code.substr(0, code.find(';')); }
std::string NumberOf(const std::string& code) { return code.substr(code.find(';') + 1); }

TEST(MessageCatalogue, EveryLanguageHasATextForEveryCodeWithMatchingPlaceholders)
{
    for (const char* language : {"CHS", "CHT", "ENG"}) {
        SCOPED_TRACE(language);
        TMessageCatalogue catalogue;
        catalogue.Load(HOST_MESSAGES_DIR, language);
        ASSERT_EQ("", catalogue.LoadError());
        std::vector<std::string> expected;
        for (const TModuleCode& c : ModuleCodes) {
            SCOPED_TRACE(c.Code);
            expected.push_back(c.Code);
            ASSERT_TRUE(catalogue.Contains(c.Code));
            const std::string text = catalogue.Text(KindOf(c.Code), NumberOf(c.Code));
            EXPECT_FALSE(Trim(text).empty());
            EXPECT_EQ(c.Arguments, CountPlaceholders(text));
            // Formatting as the forms do cannot fail: with the arguments a
            // caller passes, and with ten padded ones.
            std::vector<Variant> args;
            for (int i = 0; i < c.Arguments; ++i) args.emplace_back("x");
            EXPECT_NO_THROW(Format(text, args));
            EXPECT_NO_THROW(Format(text, std::vector<Variant>(10, Variant(std::string()))));
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, catalogue.Codes()) << "no code without a caller, none missing";
    }
}

TEST(MessageCatalogue, CodesAreNormalisedAndTheLanguageFollowsTheCodePage)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> codes = {
        {"E", "000038", "E;000038"}, {"i", "-000004", "I;000004"}, {" W ", "14", "W;000014"},
        {"E", "-1", "E;000001"},     {"R", "200235", "R;200235"},  {"X", "abc", "X;abc"},
        {"E", "1234567", "E;1234567"},
    };
    for (const auto& [kind, number, code] : codes) EXPECT_EQ(code, TMessageCatalogue::NormalizeCode(kind, number));
    EXPECT_EQ("CHS", TMessageCatalogue::LanguageForCodePage("936"));
    EXPECT_EQ("CHT", TMessageCatalogue::LanguageForCodePage("950"));
    EXPECT_EQ("ENG", TMessageCatalogue::LanguageForCodePage("437"));
    EXPECT_EQ("ENG", TMessageCatalogue::LanguageForCodePage(""));
}

TEST(MessageCatalogue, AnUnknownCodeGivesAFallbackNamingItThatFormatsSafely)
{
    TMessageCatalogue catalogue;
    catalogue.Load(HOST_MESSAGES_DIR, "ENG");
    const std::string text = catalogue.Text("E", "999999");
    EXPECT_NE(std::string::npos, text.find("E;999999"));
    const std::string odd = catalogue.Text("%s%d", "7");
    EXPECT_EQ(0, CountPlaceholders(odd));
    EXPECT_NE(std::string::npos, Format(odd, {}).find("%S%D;000007"));
}

TEST(MessageCatalogue, ABrokenOrMissingFileLeavesItEmptyWithTheReason)
{
    testsupport::TempDir dir;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"no equals sign", "E;000001 text\n"},
        {"no kind separator", "E000001=text\n"},
        {"a code twice", "E;000001=a\nE;1=b\n"},
    };
    for (const auto& [name, content] : files) {
        SCOPED_TRACE(name);
        testsupport::WriteFile(dir.File("ENG.txt"), content);
        TMessageCatalogue catalogue;
        catalogue.Load(dir.Path(), "ENG");
        EXPECT_NE("", catalogue.LoadError());
        EXPECT_TRUE(catalogue.Codes().empty());
    }
    TMessageCatalogue missing;
    missing.Load(dir.Path() + "nowhere", "CHS");
    EXPECT_NE(std::string::npos, missing.LoadError().find("CHS.txt"));
    EXPECT_NE(std::string::npos, missing.Text("E", "38").find("E;000038"));

    testsupport::WriteFile(dir.File("ENG.txt"), "\xEF\xBB\xBF# note\r\n\r\nE;000001=line one\\nline two 100%%\r\n");
    TMessageCatalogue good;
    good.Load(dir.Path(), "ENG");
    EXPECT_EQ("", good.LoadError());
    EXPECT_EQ("line one\nline two 100%%", good.Text("E", "1"));
}

TEST(MessageCatalogue, ADialogTextIsMatchedToTheTemplateItCameFrom)
{
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"No placeholder.", "No placeholder.", true},
        {"No placeholder.", "No placeholder!", false},
        {"%s must be greater than zero.", "Rate must be greater than zero.", true},
        {"%s must be greater than zero.", " must be greater than zero.", true},
        {"%s must not be earlier than %s.", "End must not be earlier than Start.", true},
        {"%s must not be earlier than %s.", "End must be earlier than Start.", false},
        {"Job: %s", "Job: 2024", true},
        {"Job: %s", "Jobs: 2024", false},
        {"100%% done %s", "100% done now", true},
        {"ab%sba", "aba", false},
    };
    for (const auto& [templ, text, matches] : cases) EXPECT_EQ(matches, MatchesTemplate(templ, text)) << templ << " / " << text;
}

class ManagerTest : public HostFixture {
protected:
    std::string ClientIniExtra() const override { return "[CodePage]\nUICodePage=950\n"; }
};

TEST_F(ManagerTest, GetMessageAnswersInTheInterfaceLanguageAndRemembersTheCodeForTheDialog)
{
    Manager->SetCatalogue(HOST_MESSAGES_DIR, "");
    const Variant manager{IAutoObjectPtr(Manager)};
    const std::string text = OleInvoke(manager, "GetMessage", {Variant("W"), Variant("000003")}).AsString();
    TMessageCatalogue cht;
    cht.Load(HOST_MESSAGES_DIR, "CHT");
    EXPECT_EQ(cht.Text("W", "000003"), text);
    OleInvoke(manager, "GetMessage", {Variant("I"), Variant("-000004")});
    const std::string shown = Format(text, {Variant("匯率"), Variant("3"), Variant("2")});
    EXPECT_EQ("W;000003", Manager->TakeMessageCode(shown)) << "the newest look-up that fits wins";
    EXPECT_EQ("", Manager->TakeMessageCode(shown)) << "look-ups are used once";
    OleInvoke(manager, "GetMessage", {Variant("E"), Variant("000038")});
    EXPECT_EQ("", Manager->TakeMessageCode("a dialog of the module's own"));
}

TEST_F(ManagerTest, PropertiesServicesHelpAndFileList)
{
    const Variant manager{IAutoObjectPtr(Manager)};
    EXPECT_EQ(0, OleGetProperty(manager, "VersionType").AsInteger());
    EXPECT_EQ(3, OleGetProperty(manager, "ProductID").AsInteger());
    for (const char* name : {"Com_Counter", "Com_Validator", "Com_F2Window"}) {
        SCOPED_TRACE(name);
        const Variant a = OleInvoke(manager, name), b = OleGetProperty(manager, name);
        EXPECT_TRUE(VarToAutoObject(a) != nullptr);
        EXPECT_EQ(VarToAutoObject(a), VarToAutoObject(b));
    }

    std::vector<std::pair<std::string, std::string>> heard;
    Manager->SetHelpHandler([&](const std::string& s, const std::string& t) { heard.emplace_back(s, t); });
    OleInvoke(manager, "CallHelp", {VarArrayOf({Variant("XYZ"), Variant("13120000")})});
    const std::vector<std::pair<std::string, std::string>> expected = {{"XYZ", "13120000"}};
    EXPECT_EQ(expected, heard);
    EXPECT_EQ(expected, Manager->HelpCalls());

    testsupport::WriteFile(Install() + "S_PKG/QTVB58S.so", "library");
    const std::string list = OleInvoke(manager, "GetFileList", {VarArrayOf({Variant("qtvb58s.so")})}).AsString();
    EXPECT_NE(std::string::npos, list.find("<Path>" + Install() + "S_PKG/QTVB58S.so</Path>")) << list;
    EXPECT_EQ(0u, list.find("<Modify>"));
    EXPECT_EQ(std::string::npos, list.find("<Modify></Modify>"));
    EXPECT_EQ("", OleInvoke(manager, "GetFileList", {VarArrayOf({Variant("nothere.so")})}).AsString());
    EXPECT_EQ("", OleInvoke(manager, "GetFileList", {VarArrayOf({Variant("")})}).AsString());
}

TEST_F(HostFixture, GetSysInfoGivesTheCompanysParametersAsATwoDimensionalArray)
{
    const Variant counter = Service("Com_Counter");
    std::vector<Variant> args = {Variant("DEMO")};
    const Variant info = OleInvoke(counter, "GetSysInfo", args);
    ASSERT_EQ(2, VarArrayDimCount(info));
    EXPECT_EQ(0, VarArrayLowBound(info, 1));
    EXPECT_EQ(1, VarArrayHighBound(info, 1));
    ASSERT_EQ(2, VarArrayHighBound(info, 2));
    EXPECT_EQ("KVT002", info(0, 0).AsString());
    EXPECT_EQ("DEMO 演示公司", info(1, 0).AsString());
    EXPECT_EQ("Sys001", info(0, 1).AsString());
    EXPECT_EQ("4", info(1, 1).AsString());
    EXPECT_EQ("Sys002", info(0, 2).AsString());
    EXPECT_EQ("-", info(1, 2).AsString());

    args = {Variant("O'NEIL")};
    const Variant quoted = OleInvoke(counter, "GetSysInfo", args);
    ASSERT_EQ(0, VarArrayHighBound(quoted, 2)) << "a quote in the company code is a character, not SQL";
    EXPECT_EQ(".", quoted(1, 0).AsString());
    args = {Variant("NOBODY")};
    EXPECT_TRUE(OleInvoke(counter, "GetSysInfo", args).IsEmpty());
}

TEST_F(HostFixture, GetCounterForwardsNamedCallsToTheServer)
{
    const Variant counter = Service("Com_Counter");
    std::vector<Variant> args = {Variant("SIMPLESQL"),
                                 VarArrayOf({Variant("SELECT MF001 FROM $$CMSMF ORDER BY MF001"), Variant("MF001")}),
                                 VarArrayOf({Variant("DEMO"), Variant("DEMO")})};
    const Variant rows = OleInvoke(counter, "GetCounter", args);
    ASSERT_TRUE(VarIsArray(rows));
    EXPECT_EQ(1, VarArrayHighBound(rows, 1));
    EXPECT_EQ("USD", rows[1][0].AsString());

    // Without a context the session's company and database are used.
    args = {Variant("ResultConnectString"), VarArrayOf({Variant("")})};
    EXPECT_NE(std::string::npos, OleInvoke(counter, "GetCounter", args).AsString().find("DEMO.db"));

    args = {Variant("NOSUCHCALL"), VarArrayOf({Variant("")}), VarArrayOf({Variant("DEMO"), Variant("DEMO")})};
    try {
        OleInvoke(counter, "GetCounter", args);
        ADD_FAILURE() << "an unknown call must raise";
    } catch (const EPlatformError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("NOSUCHCALL"));
    }
}

// CheckValue / QueryData with (table, kind, database, params, result).
struct ValidatorCall {
    bool Found;
    Variant Result;
};

class ValidatorTest : public HostFixture {
protected:
    ValidatorCall Call(const char* method, const std::string& table, const std::string& kind, const Variant& params,
                       const std::string& database = "DEMO")
    {
        std::vector<Variant> args = {Variant(table), Variant(kind), Variant(database), params, Variant()};
        const bool found = OleInvoke(Service("Com_Validator"), method, args).AsBoolean();
        return {found, args[4]};
    }
};

TEST_F(ValidatorTest, ProgramRecordsGiveNameLogFlagDirectRunFlagAndEnglishName)
{
    ValidatorCall r = Call("CheckValue", "ADMMB", "01", VarArrayOf({Variant("QTVB58")}));
    ASSERT_TRUE(r.Found);
    ASSERT_EQ(7, VarArrayHighBound(r.Result, 1));
    EXPECT_EQ("汇差调整", r.Result[0].AsString());
    EXPECT_EQ("Y", r.Result[4].AsString());
    EXPECT_EQ("Exchange adjustment", r.Result[7].AsString());

    r = Call("CheckValue", "admmb", "11", VarArrayOf({Variant("xyzr01")}));
    ASSERT_TRUE(r.Found) << "table and program ID without regard to case";
    EXPECT_EQ("Y", r.Result[3].AsString());

    for (const Variant& key : {Variant("NOPROG"), Variant("x' OR '1'='1"), Variant("")}) {
        r = Call("CheckValue", "ADMMB", "01", VarArrayOf({key}));
        EXPECT_FALSE(r.Found) << key.AsString();
        EXPECT_TRUE(r.Result.IsEmpty());
    }
}

TEST_F(ValidatorTest, UsersAreCheckedByCodeAndQueriedWithoutDisabledOnes)
{
    ValidatorCall r = Call("CheckValue", "KVTMA", "01", VarArrayOf({Variant("U02")}));
    ASSERT_TRUE(r.Found);
    EXPECT_EQ("U02", r.Result[0].AsString());
    EXPECT_EQ("O'Neil", r.Result[1].AsString());
    EXPECT_TRUE(Call("CheckValue", "KVTMA", "01", VarArrayOf({Variant("U09")})).Found) << "a disabled user exists";

    r = Call("QueryData", "KVTMA", "04", VarArrayOf({Variant("")}));
    ASSERT_TRUE(r.Found);
    std::vector<std::string> users;
    for (int i = 0; i <= VarArrayHighBound(r.Result, 1); ++i) {
        EXPECT_EQ(3, VarArrayHighBound(r.Result[i], 1)) << "code, name, mobile, e-mail";
        users.push_back(r.Result[i][0].AsString());
    }
    EXPECT_EQ((std::vector<std::string>{"ADMIN", "U01", "U02"}), users);
    r = Call("QueryData", "KVTMA", "04", Variant("U01"));
    ASSERT_TRUE(r.Found) << "a plain key instead of an array";
    EXPECT_EQ("u01@example.com", r.Result[0][3].AsString());
}

TEST_F(ValidatorTest, SchemeNamesAreCheckedOnTheServer)
{
    EXPECT_FALSE(Call("CheckValue", "GENES", "01", VarArrayOf({Variant("月底"), Variant("U01"), Variant("QTVB58")})).Found);
    const Variant app = Manager->Context().Server.AppServer();
    const std::string reply =
        OleInvoke(app, "InsertConTable",
                  {VarArrayOf({Variant("月底"), Variant("U01"), Variant("20240131"), Variant("QTVB58"),
                               Variant("edPrintDate.Text;"), Variant("2024/01/31\r\n"), Variant(false)})})
            .AsString();
    ASSERT_EQ("", reply);
    ValidatorCall r = Call("CheckValue", "GENES", "01", VarArrayOf({Variant("月底"), Variant("U01"), Variant("QTVB58")}));
    ASSERT_TRUE(r.Found);
    EXPECT_EQ("月底", r.Result[0].AsString());
    EXPECT_EQ("20240131", r.Result[3].AsString());
    EXPECT_FALSE(Call("CheckValue", "GENES", "01", VarArrayOf({Variant("月底"), Variant("U02"), Variant("QTVB58")})).Found);
    EXPECT_FALSE(Call("CheckValue", "GENES", "01", VarArrayOf({Variant("月"), Variant("U01"), Variant("QTVB58")})).Found);
    EXPECT_TRUE(Call("QueryData", "GENES", "01", VarArrayOf({Variant(""), Variant("U01"), Variant("QTVB58")})).Found);
}

TEST_F(ValidatorTest, PropertiesAreKeptAndAnUnknownTableRaises)
{
    const Variant validator = Service("Com_Validator");
    OleSetProperty(validator, "ProductID", Variant(7));
    OleSetProperty(validator, "BaseLimited", Variant(std::string("A\x03" "1\x03" "x\x03")));
    EXPECT_EQ(7, OleGetProperty(validator, "ProductID").AsInteger());
    EXPECT_EQ(std::string("A\x03" "1\x03" "x\x03"), OleGetProperty(validator, "BaseLimited").AsString());
    EXPECT_THROW(Call("CheckValue", "NOTABLE", "01", VarArrayOf({Variant("x")})), EOleError);
}

class UnreachableServerTest : public HostFixture {
protected:
    std::string ClientIniExtra() const override { return ""; }
    void SetUp() override
    {
        HostFixture::SetUp();
        testsupport::WriteFile(Install() + "OrvaneC.ini", "[Server Information]\nComputerName=localhost\nServerPort=1\n");
    }
};

TEST_F(UnreachableServerTest, ServiceCallsRaiseAndTheNextCallTriesAgain)
{
    std::vector<Variant> args = {Variant("DEMO")};
    EXPECT_THROW(OleInvoke(Service("Com_Counter"), "GetSysInfo", args), EOleError);
    testsupport::WriteFile(Install() + "OrvaneC.ini", "[Server Information]\nComputerName=127.0.0.1\n");
    args = {Variant("DEMO")};
    EXPECT_TRUE(VarIsArray(OleInvoke(Service("Com_Counter"), "GetSysInfo", args)));
}

} // namespace

// The quick-pick service's windows: the pick list over a table's rows and
// the date picker, run through the modal runner as a user would use them,
// answered by the host's automation mode, and recorded as script events.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "HostFixture.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UiTestSupport.h"
#include "suite/host/HostSession.h"
#include "suite/host/HostWindows.h"

namespace {

using hosttest::HostFixture;
using json = nlohmann::json;

// The 19-element request of the forms' quick pick.
Variant PickRequest(const std::string& table, const std::string& kind, bool several, const std::string& defaultKey)
{
    Variant request = VarArrayCreate({0, 18});
    request[0] = Variant(table);
    request[1] = Variant(kind);
    request[2] = Variant(std::string());
    request[3] = Variant(several);
    request[4] = Variant(defaultKey);
    request[5] = Variant("DEMO");
    request[6] = Variant("DEMO");
    request[7] = Variant(0);
    request[8] = Variant(1);
    request[9] = Variant(false);
    request[10] = Variant(3);
    for (int i = 11; i <= 14; ++i) request[i] = Variant(std::string());
    request[15] = Variant(true);
    request[16] = Variant(true);
    request[18] = Variant("U01");
    return request;
}

class QuickPickTest : public HostFixture {
protected:
    Variant Pick(const Variant& request)
    {
        std::vector<Variant> args = {request};
        return OleInvoke(Service("Com_F2Window"), "F2GetData", args);
    }
    Variant Day(const Variant& request)
    {
        std::vector<Variant> args = {request};
        return OleInvoke(Service("Com_F2Window"), "ShowInputDay", args);
    }
};

TEST_F(QuickPickTest, ThePickListShowsTheTableAndGivesThePickedRowsOrNothingWhenCancelled)
{
    std::vector<std::string> answers = {"1", "Cancel", "OK", "1"};
    std::size_t next = 0;
    std::vector<std::vector<std::string>> shown;
    Manager->SetWindowRunner([&](TForm& form) {
        auto& pick = dynamic_cast<TPickListForm&>(form);
        std::vector<std::string> captions;
        for (int i = 0; i < pick.lvRows->Items()->Count(); ++i) captions.push_back(pick.lvRows->Items()->Item(i)->Caption());
        shown.push_back(captions);
        EXPECT_EQ(3, pick.lvRows->Items()->Item(1)->SubItems()->Count()) << "the columns after the key";
        return pick.Answer(answers.at(next++));
    });
    Variant picked = Pick(PickRequest("KVTMA", "04", false, ""));
    ASSERT_TRUE(VarIsArray(picked));
    ASSERT_EQ(0, VarArrayHighBound(picked, 1));
    EXPECT_EQ("U01", picked[0][0].AsString());
    EXPECT_EQ("张三", picked[0][1].AsString());
    EXPECT_EQ("13900000001", picked[0][2].AsString());
    EXPECT_EQ("u01@example.com", picked[0][3].AsString());
    EXPECT_EQ((std::vector<std::string>{"ADMIN", "U01", "U02"}), shown.at(0));

    EXPECT_TRUE(Pick(PickRequest("KVTMA", "04", false, "")).IsEmpty());
    picked = Pick(PickRequest("KVTMA", "04", false, "U02"));
    ASSERT_TRUE(VarIsArray(picked));
    EXPECT_EQ("U02", picked[0][0].AsString()) << "the default key is selected when the list opens";
    picked = Pick(PickRequest("CMSMF", "01", false, ""));
    ASSERT_TRUE(VarIsArray(picked));
    EXPECT_EQ("USD", picked[0][0].AsString());
    EXPECT_EQ("US dollar", picked[0][3].AsString());
    EXPECT_EQ((std::vector<std::string>{"CNY", "USD"}), shown.at(3));
    EXPECT_THROW(Pick(PickRequest("NOTABLE", "01", false, "")), EOleError);
    EXPECT_EQ(4u, next) << "no window for an unknown table";
}

TEST_F(QuickPickTest, SeveralRowsOnlyWhenTheCallerAllowsThem)
{
    std::string answer = "0,2";
    Manager->SetWindowRunner([&](TForm& form) { return dynamic_cast<TPickListForm&>(form).Answer(answer); });
    Variant picked = Pick(PickRequest("KVTMA", "04", true, ""));
    ASSERT_EQ(1, VarArrayHighBound(picked, 1));
    EXPECT_EQ("ADMIN", picked[0][0].AsString());
    EXPECT_EQ("U02", picked[1][0].AsString());
    EXPECT_THROW(Pick(PickRequest("KVTMA", "04", false, "")), EInvalidOperation);
    answer = "7";
    EXPECT_THROW(Pick(PickRequest("KVTMA", "04", true, "")), EInvalidOperation);
}

TEST_F(QuickPickTest, TheDefaultRunnerShowsThePickListModally)
{
    uitest::ModalDriver driver([](TForm& form) {
        auto& pick = dynamic_cast<TPickListForm&>(form);
        EXPECT_TRUE(pick.Visible());
        pick.lvRows->SetSelected(pick.lvRows->Items()->Item(2));
        pick.btnOK->Click();
    });
    const Variant picked = Pick(PickRequest("KVTMA", "04", false, ""));
    ASSERT_TRUE(VarIsArray(picked));
    EXPECT_EQ("U02", picked[0][0].AsString());
}

TEST_F(QuickPickTest, TheDatePickerGivesYyyymmddOrEmpty)
{
    struct Case {
        const char* Name;
        Variant Request;
        std::function<void(TDatePickForm&)> User;
        std::string Expected;
    };
    const std::vector<Case> cases = {
        {"OK keeps the start", VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")}),
         [](TDatePickForm& f) { f.btnOK->Click(); }, "20240131"},
        {"next month from the 31st", VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")}),
         [](TDatePickForm& f) {
             dynamic_cast<TButton*>(f.FindComponent("btnNextMonth"))->Click();
             f.btnOK->Click();
         },
         "20240229"},
        {"previous day", VarArrayOf({Variant(true), Variant("20240301"), Variant("DEMO")}),
         [](TDatePickForm& f) {
             EXPECT_NE(std::string::npos, f.lblDate->Caption().find("113/03/01")) << "years from 1912";
             dynamic_cast<TButton*>(f.FindComponent("btnPrevDay"))->Click();
             f.btnOK->Click();
         },
         "20240229"},
        {"typed date", VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")}),
         [](TDatePickForm& f) {
             f.edDate->SetText("20231225");
             f.btnOK->Click();
         },
         "20231225"},
        {"typed nonsense", VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")}),
         [](TDatePickForm& f) {
             f.edDate->SetText("20230229");
             f.btnOK->Click();
         },
         ""},
        {"cancel", VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")}),
         [](TDatePickForm& f) { f.btnCancel->Click(); }, ""},
        {"no usable start", VarArrayOf({Variant(false), Variant("2024"), Variant("DEMO")}),
         [](TDatePickForm& f) { f.btnOK->Click(); }, TodayText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        uitest::ModalDriver driver([&](TForm& form) { c.User(dynamic_cast<TDatePickForm&>(form)); });
        EXPECT_EQ(c.Expected, Day(c.Request).AsString());
    }
}

TEST_F(QuickPickTest, TheScriptAnswersTheHostsWindowsAndSeesThemAsEvents)
{
    std::ostringstream out, err;
    {
        THostSession session(out, err);
        ASSERT_TRUE(session.Load(MODULE_PATH));
        session.SetDialogMode(TDialogMode::Record);
        session.Manager()->SetSession("U01", "DEMO", "DEMO");
        std::istringstream script(R"({"cmd":"create","params":["U01","DEMO","DEMO",0,"x"]}
{"cmd":"answer","button":"2"}
{"cmd":"answer","button":"9"}
{"cmd":"answer","value":"20240229"}
{"cmd":"answer","button":"Cancel"}
)");
        session.RunScript(script);
        const Variant quick = OleInvoke(Variant(IAutoObjectPtr(session.Manager())), "Com_F2Window");
        std::vector<Variant> args = {PickRequest("KVTMA", "04", false, "")};
        const Variant picked = OleInvoke(quick, "F2GetData", args);
        ASSERT_TRUE(VarIsArray(picked));
        EXPECT_EQ("U02", picked[0][0].AsString());
        args = {PickRequest("KVTMA", "04", false, "")};
        EXPECT_TRUE(OleInvoke(quick, "F2GetData", args).IsEmpty()) << "a row that does not exist cancels";
        args = {VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")})};
        EXPECT_EQ("20240229", OleInvoke(quick, "ShowInputDay", args).AsString());
        args = {VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")})};
        EXPECT_EQ("", OleInvoke(quick, "ShowInputDay", args).AsString());
        args = {VarArrayOf({Variant(false), Variant("20240131"), Variant("DEMO")})};
        EXPECT_EQ("", OleInvoke(quick, "ShowInputDay", args).AsString()) << "no answer left: cancelled";
        session.Finish();
    }
    std::vector<json> windows;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        const json e = json::parse(line);
        if (e["event"] == "pick" || e["event"] == "date") windows.push_back(e);
    }
    ASSERT_EQ(5u, windows.size()) << out.str();
    EXPECT_EQ("pick", windows[0]["event"]);
    EXPECT_EQ("KVTMA", windows[0]["table"]);
    EXPECT_EQ(3u, windows[0]["rows"].size());
    EXPECT_EQ("U02", windows[0]["rows"][2][0]);
    EXPECT_EQ((std::vector<int>{2}), windows[0]["picked"].get<std::vector<int>>());
    EXPECT_EQ("2", windows[0]["answer"]);
    EXPECT_EQ(0u, windows[1]["answer"].get<std::string>().find("Cancel (")) << windows[1]["answer"];
    EXPECT_EQ("date", windows[2]["event"]);
    EXPECT_EQ("20240131", windows[2]["start"]);
    EXPECT_EQ("20240229", windows[2]["date"]);
    EXPECT_EQ("Cancel", windows[3]["answer"]);
    EXPECT_EQ("Cancel", windows[4]["answer"]);
}

} // namespace

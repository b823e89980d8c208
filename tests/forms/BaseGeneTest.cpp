// The generic option form: its initialisation from the host parameters with
// a real in-process application server, the checks that close it, the job
// parameters, named server calls, and the company's date notations.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FormHostSupport.h"
#include "forms/BaseGene.h"
#include "platform/core/DateTime.h"
#include "platform/ui/Dialogs.h"
#include "../module/TestProgramForm.h"
#include "../platform/ui/UiTestSupport.h"

namespace {

using formtest::HostParams;

// The test program form with hooks on its collectors and a visible code
// conversion of server results.
class TfrmProbe : public TfrmXYZR01 {
public:
    using TfrmXYZR01::TfrmXYZR01;

    std::function<void(Variant& Values)> AfterValues;
    bool CollectOptionTexts(Variant& Texts, std::int32_t N) override
    {
        const bool ok = TfrmXYZR01::CollectOptionTexts(Texts, N);
        for (int i = 1; i <= N; ++i) Texts[i] = VarArrayOf({"caption", "control"});
        return ok;
    }
    bool CollectOptionValues(Variant& Values, std::int32_t N) override
    {
        const bool ok = TfrmXYZR01::CollectOptionValues(Values, N);
        if (AfterValues) AfterValues(Values);
        return ok;
    }

    // When set, a converted value comes back as "converted" and the value
    // handed in is kept.
    bool MarkConversions = false;
    mutable Variant LastConverted;
    Variant ConvertFromDatabase(const Variant& Value) const override
    {
        const Variant v = TfrmXYZR01::ConvertFromDatabase(Value);
        if (!MarkConversions || !Converted) return v;
        LastConverted = v;
        return Variant("converted");
    }
};

class BaseGeneTest : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
    void TearDown() override
    {
        if (Alive()) Form->Free();
        Application->ProcessMessages();
    }

    TfrmProbe* NewProgramForm(const std::string& module = "/opt/orvane/lib/XYZR01C.so", bool withManager = true)
    {
        Form = NewForm<TfrmProbe>(nullptr);
        Handle = Form->Handle();
        Form->SetModuleFileName(module);
        if (withManager) Form->Manager = Variant(IAutoObjectPtr(Manager));
        return Form;
    }
    bool Alive() const { return Form && Application->FindControl(Handle) == Form; }
    std::vector<std::string> DialogCodes() const
    {
        std::vector<std::string> codes;
        for (const auto& r : Dialogs.Records()) codes.push_back(r.Text.substr(0, r.Text.find(':')));
        return codes;
    }

    std::unique_ptr<formtest::TClientInstallation> Install = std::make_unique<formtest::TClientInstallation>();
    std::shared_ptr<formtest::TFakeManager> Manager = std::make_shared<formtest::TFakeManager>();
    TDialogRecorder Dialogs;
    TfrmProbe* Form = nullptr;
    HWND Handle = 0;
};

TEST(ProgramIdTest, FromTheModuleFileName)
{
    struct Case {
        const char* path;
        bool library;
        const char* id;
    };
    const Case cases[] = {
        {"C:\\Orvane\\QTVB58C.dll", true, "QTVB58"},
        {"/opt/orvane/lib/XYZR01C.so", true, "XYZR01"},
        {"QTVB58CX.exe", false, "QTVB58"},
        {"AB1C.so", true, "AB1C"}, // never shorter than six characters of the name
        {"ABCDEFG", false, "ABCDEF"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.id, ProgramIDFromModule(c.path, c.library)) << c.path;
    EXPECT_TRUE(IsLibraryFileName("QTVB58C.DLL"));
    EXPECT_TRUE(IsLibraryFileName("/x/QTVB58C.so"));
    EXPECT_TRUE(IsLibraryFileName("QTVB58C.dylib"));
    EXPECT_FALSE(IsLibraryFileName("QTVB58C.exe"));
    EXPECT_FALSE(IsLibraryFileName("/x.so/QTVB58C"));
}

TEST_F(BaseGeneTest, TheWindowDefinition)
{
    NewProgramForm();
    struct Case {
        const char* name;
        const char* caption;
    };
    const Case cases[] = {
        {"pgOption", nullptr},       {"tsOption1", "基本选项"}, {"tsOption2", "系统选项"},
        {"lblToday", "制表日期"},    {"edPrintDate", nullptr},  {"btnPrintDate", nullptr},
        {"Panel1", nullptr},         {"btnOk", "确定"},         {"btnCancel", "取消"},
        {"pnlCondition", nullptr},   {"lblCondition", " 条件方案"}, {"ToolBar1", nullptr},
        {"btnInsert", "保存(&S)"},   {"btnOpen", "开启(&O)"},   {"btnDelete", "删除(&D)"},
        {"ToolButton1", nullptr},    {"lstCondition", nullptr}, {"ImageList1", nullptr},
        {"ImageList2", nullptr},     {"muOperation", nullptr},  {"mnList", nullptr},
        {"N7", "大型图标(&G)"},      {"N10", "详细信息(&D)"},   {"Splitter1", nullptr},
    };
    for (const Case& c : cases) {
        TComponent* component = Form->FindComponent(c.name);
        ASSERT_NE(nullptr, component) << c.name;
        if (c.caption) EXPECT_EQ(c.caption, GetStrProp(component, "Caption")) << c.name;
    }
    EXPECT_EQ(Form->tsOption2, Form->edPrintDate->Parent());
    EXPECT_EQ(Form->Panel1, Form->btnCancel->Parent());
    EXPECT_EQ(43, Form->Panel1->Height());
    EXPECT_EQ(151, Form->pnlCondition->Width());
    EXPECT_TRUE(Form->btnPrintDate->Flat()) << "quick-pick buttons are flat";
    EXPECT_EQ("870401-0.00.00", Form->VersionText);
    EXPECT_TRUE(Form->ShowJobMessage);
    EXPECT_EQ(Form, Form->LastFocused);
    EXPECT_TRUE(IsPublishedProp(Form, "OnDateFieldExit"));
    EXPECT_TRUE(IsPublishedProp(Form, "WantLog"));
}

TEST_F(BaseGeneTest, InitialisesWithTheInProcessServer)
{
    NewProgramForm();
    ASSERT_TRUE(Form->Initialize(HostParams()));
    EXPECT_TRUE(Dialogs.Records().empty()) << Dialogs.Records()[0].Text;
    EXPECT_FALSE(Form->Visible()) << "hidden until the host shows it";
    EXPECT_EQ("U01", Form->UserID);
    EXPECT_EQ("DEMO", Form->CompanyID);
    EXPECT_EQ("extra", Form->HostExtra.AsString());

    EXPECT_EQ("XYZR01", Form->ProgramID);
    EXPECT_EQ("XYZR01S.Class1", Form->ServerClassName);
    EXPECT_EQ("测试程序", Form->ProgramName);
    EXPECT_TRUE(Form->WantLog);
    EXPECT_EQ("DEMO 演示公司", Form->TitleText);
    EXPECT_EQ("DEMO", Manager->Counter->Company) << "system parameters of the host's company";
    EXPECT_EQ(7, Form->ProductNumber);
    EXPECT_EQ(7, Manager->Validator->ProductID) << "written before the check";
    EXPECT_EQ("R", Form->ProgramKind);
    EXPECT_EQ(9, Form->EnvCount);
    EXPECT_EQ(1, Form->OptionCount) << "the print date";
    EXPECT_EQ("edPrintDate", Form->DateFields);
    EXPECT_TRUE(VarIsEmpty(Form->QuickPickService)) << "not asked for";

    EXPECT_TRUE(Form->LocalServer);
    ASSERT_TRUE(Form->AppServer.IsObject());
    EXPECT_EQ(1, OleInvoke(Form->AppServer, "SQLType").AsInteger());

    // Shown: caption, first page, the scheme list from the server.
    std::vector<Variant> scheme = {VarArrayOf({"月底", "U01", "20240131", "XYZR01", "edPrintDate.text;", "x", "N"})};
    ASSERT_EQ("", OleInvoke(Form->AppServer, "InsertConTable", scheme).AsString());
    Form->Show();
    EXPECT_EQ("测试程序[DEMO 演示公司]", Form->Caption());
    EXPECT_EQ(Form->tsOption1, Form->pgOption->ActivePage());
    ASSERT_EQ(2, Form->lstCondition->Columns()->Count());
    EXPECT_EQ("方案名称", Form->lstCondition->Columns()->Items(0)->Caption());
    EXPECT_EQ("创建时间", Form->lstCondition->Columns()->Items(1)->Caption());
    ASSERT_EQ(1, Form->lstCondition->Items()->Count());
    EXPECT_EQ("月底", Form->lstCondition->Items()->Item(0)->Caption());
    EXPECT_EQ("2024/01/31", (*Form->lstCondition->Items()->Item(0)->SubItems())[0]);
    EXPECT_EQ(vsIcon, Form->lstCondition->ViewStyle()) << "the view style survives the reload";
}

TEST_F(BaseGeneTest, AModuleOfAnotherProgramIsRefused)
{
    NewProgramForm("/opt/orvane/lib/QTVB58C.so");
    EXPECT_TRUE(Form->Initialize(HostParams()));
    EXPECT_EQ(std::vector<std::string>{"E;000036"}, DialogCodes());
    EXPECT_TRUE(VarIsEmpty(Form->AppServer)) << "no connection is made";
    EXPECT_TRUE(Alive()) << "the close is posted";
    Application->ProcessMessages();
    EXPECT_FALSE(Alive());
}

TEST_F(BaseGeneTest, FourHostParametersCloseTheFormOnceMessagesRun)
{
    NewProgramForm();
    int destroyed = 0;
    Form->OnDestroy = [&destroyed, form = Form](TObject* sender) {
        form->FormDestroy(sender);
        ++destroyed;
    };
    EXPECT_TRUE(Form->Initialize(HostParams(4)));
    EXPECT_EQ(std::vector<std::string>{"E;000038"}, DialogCodes());
    EXPECT_TRUE(Form->AppServer.IsObject()) << "the rest of the initialisation ran";
    EXPECT_TRUE(Alive());
    EXPECT_EQ(0, destroyed);
    Application->ProcessMessages();
    EXPECT_FALSE(Alive());
    EXPECT_EQ(1, destroyed);
}

TEST_F(BaseGeneTest, AnUnreachableServerFailsTheInitialisation)
{
    struct Case {
        const char* name;
        std::function<void()> configure;
        std::vector<std::string> shown;
        bool errorText; // the connection's own error is recorded
    };
    // 127.0.0.2 is a loopback address with nothing listening on port 1, so
    // the socket is refused at once; it is not the local server address.
    const std::vector<Case> cases = {
        {"refused socket",
         [this] {
             Install.reset();
             Install = std::make_unique<formtest::TClientInstallation>("127.0.0.2", 1); },
         {"E;000006"}, true},
        // The reader's reason first.
        {"no configuration", [this] { Install.reset(); }, {"E;000015", "E;000006"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Install.reset();
        Install = std::make_unique<formtest::TClientInstallation>();
        c.configure();
        TDialogRecorder dialogs;
        NewProgramForm();
        EXPECT_FALSE(Form->Initialize(HostParams()));
        std::vector<std::string> codes;
        for (const auto& r : dialogs.Records()) codes.push_back(r.Text.substr(0, 8));
        EXPECT_EQ(c.shown, codes);
        EXPECT_FALSE(Form->LocalServer);
        EXPECT_TRUE(VarIsEmpty(Form->AppServer));
        EXPECT_EQ(c.errorText, Form->MessageCodes.find("E;-1; ") != std::string::npos) << Form->MessageCodes;
        Application->ProcessMessages();
        EXPECT_FALSE(Alive()) << "the form closed itself";
        Form = nullptr;
    }
}

TEST_F(BaseGeneTest, HostParametersOfTheWrongShape)
{
    struct Case {
        const char* name;
        Variant params;
        bool result;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"three elements", HostParams(3), true, {"E;000038"}},
        {"two elements", HostParams(2), false, {"E;000038"}},
        {"not an array", Variant("U01"), false, {}},
        {"empty", Variant(), false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDialogRecorder dialogs;
        NewProgramForm();
        EXPECT_EQ(c.result, Form->Initialize(c.params));
        std::vector<std::string> codes;
        for (const auto& r : dialogs.Records()) codes.push_back(r.Text.substr(0, 8));
        EXPECT_EQ(c.shown, codes);
        if (!c.result) EXPECT_NE(std::string::npos, Form->MessageCodes.find("E;-1; ")) << "the reason is recorded";
        EXPECT_FALSE(Form->Initialize(HostParams())) << "once per form";
        Application->ProcessMessages();
        if (Alive()) Form->Free();
        Form = nullptr;
    }
}

TEST_F(BaseGeneTest, InitialiseRunsOnce)
{
    NewProgramForm();
    ASSERT_TRUE(Form->Initialize(HostParams()));
    Variant other = HostParams();
    other[0] = "U02";
    other[1] = "OTHER";
    EXPECT_FALSE(Form->Initialize(other));
    EXPECT_EQ("U01", Form->UserID);
    EXPECT_EQ("DEMO", Form->CompanyID);
    EXPECT_TRUE(Dialogs.Records().empty());
    EXPECT_TRUE(Alive());
}

TEST_F(BaseGeneTest, WithoutAHostObjectTheServicesStayUnassigned)
{
    NewProgramForm("/opt/orvane/lib/XYZR01C.so", false);
    EXPECT_TRUE(Form->Initialize(HostParams())) << "the application server is still reached";
    EXPECT_TRUE(VarIsEmpty(Form->CounterService));
    EXPECT_TRUE(VarIsEmpty(Form->ValidatorService));
    EXPECT_EQ(3, Form->ProductNumber);
    EXPECT_EQ("", Form->ProgramName);
    Variant result = "untouched";
    Form->CallServerMethod("ExchangeRate", VarArrayOf({"USD", "T", "20240120"}), result);
    EXPECT_TRUE(VarIsEmpty(result));
}

TEST_F(BaseGeneTest, JobParameters)
{
    NewProgramForm();
    ASSERT_TRUE(Form->Initialize(HostParams()));
    Form->edPrintDate->SetText("2003/05/01");
    ASSERT_TRUE(Form->BuildParameters());
    const Variant& P = Form->Parameters;
    ASSERT_EQ(2, VarArrayHighBound(P, 1));
    const Variant& env = P[0];
    EXPECT_EQ(1, VarArrayLowBound(env, 1));
    EXPECT_EQ(9, VarArrayHighBound(env, 1));
    EXPECT_EQ("XYZR01", env[1].AsString());
    EXPECT_EQ(9, env[2].AsInteger());
    EXPECT_EQ(1, env[3].AsInteger());
    EXPECT_EQ("DEMO", env[4].AsString());
    EXPECT_EQ("U01", env[5].AsString());
    EXPECT_EQ("DEMO", env[6].AsString());
    EXPECT_EQ(varDate, VarType(env[7]));
    EXPECT_EQ("XYZR01S.Class1", env[8].AsString());
    EXPECT_EQ("R", env[9].AsString());
    EXPECT_EQ("制表日期", P[1][1][0].AsString());
    EXPECT_EQ("edPrintDate", P[1][1][1].AsString());
    EXPECT_EQ("20030501", P[2][1].AsString());

    Form->edPrintDate->SetText("");
    ASSERT_TRUE(Form->BuildParameters());
    EXPECT_EQ("", Form->Parameters[2][1].AsString()) << "no print date";
    EXPECT_TRUE(Dialogs.Records().empty());
}

TEST_F(BaseGeneTest, CollectedArraysAreChecked)
{
    struct Case {
        const char* name;
        std::int32_t optionCount;
        std::function<void(Variant&)> values;
        const char* shown; // the message and its arguments, or "" when built
    };
    const std::vector<Case> cases = {
        {"an empty text counts as filled", 3, [](Variant& v) { v[1] = "a", v[2] = ""; }, ""},
        {"unassigned", 3, [](Variant& v) { v[1] = "a"; }, "W;000003:选择条件信息|3|2"},
        {"null", 3, [](Variant& v) { v[1] = "a", v[2] = Variant::Null(); }, "W;000003:选择条件信息|3|2"},
        {"wrong length", 3, [](Variant& v) { v = VarArrayCreate({1, 1}); v[1] = "a"; },
         "W;000002:选择条件信息|3|1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDialogRecorder dialogs;
        NewProgramForm();
        ASSERT_TRUE(Form->Initialize(HostParams()));
        Form->OptionCount = c.optionCount;
        Form->AfterValues = c.values;
        EXPECT_EQ(std::string(c.shown).empty(), Form->BuildParameters());
        if (*c.shown) {
            ASSERT_EQ(1u, dialogs.Records().size());
            EXPECT_EQ(c.shown, dialogs.Records()[0].Text);
            EXPECT_EQ(mtWarning, dialogs.Records()[0].Type);
        } else {
            EXPECT_TRUE(dialogs.Records().empty());
        }
        Form->Free();
        Form = nullptr;
    }
}

TEST_F(BaseGeneTest, NothingToSend)
{
    NewProgramForm();
    ASSERT_TRUE(Form->Initialize(HostParams()));
    Form->OptionCount = 0;
    EXPECT_FALSE(Form->BuildParameters());
    Form->OptionCount = 1;
    Form->EnvCount = 0;
    EXPECT_FALSE(Form->BuildParameters());
    EXPECT_EQ((std::vector<std::string>{"I;000003", "I;000003"}), DialogCodes());
    EXPECT_TRUE(VarIsEmpty(Form->Parameters));

    // A run from the host needs no options of the program's own.
    Form->EnvCount = 9;
    Form->OptionCount = 0;
    Form->HostRunReady = true;
    Form->BuildParameters();
    const std::vector<std::string> codes = DialogCodes();
    EXPECT_EQ(2, std::count(codes.begin(), codes.end(), "I;000003"));
}

TEST_F(BaseGeneTest, ServerResultsAreConvertedOnlyAfterTheFormIs)
{
    NewProgramForm();
    ASSERT_TRUE(Form->Initialize(HostParams()));
    Form->MarkConversions = true;
    const Variant params = VarArrayOf({"SELECT MF001, MF002 FROM $$CMSMF WHERE MF001 = 'USD'", "MF001,MF002"});
    Variant result;
    Form->CallServerMethod("simplesql", params, result);
    ASSERT_TRUE(VarIsArray(result));
    EXPECT_EQ("美元", result[0][1].AsString());
    EXPECT_TRUE(VarIsEmpty(Form->LastConverted));

    Form->ConvertForm();
    Form->CallServerMethod("SimpleSql", params, result);
    EXPECT_EQ("converted", result.AsString());
    ASSERT_TRUE(VarIsArray(Form->LastConverted));
    EXPECT_EQ("美元", Form->LastConverted[0][1].AsString()) << "the server's result was handed to the conversion";

    Form->MarkConversions = false;
    Form->CallServerMethod("ExchangeRate", VarArrayOf({"USD", "T", "20240120"}), result);
    EXPECT_DOUBLE_EQ(7.25, result.AsDouble());
}

TEST_F(BaseGeneTest, ValidatorQuickPickAndRights)
{
    NewProgramForm();
    Form->UserID = "U01";
    Form->HostServices = hsQuickPickWindow;
    Form->ConnectHostServices();
    Form->ConnectQuickPickWindow();
    ASSERT_TRUE(Form->QuickPickService.IsObject());

    Variant result = "untouched";
    EXPECT_FALSE(Form->CheckOrQueryValue("KVTMA", "01", true, result, VarArrayOf({"U01"})))
        << "a raising validator is a failed check";

    // Rights: the 7th and 8th letters of the fourth piece; missing ones are "N".
    struct Case {
        const char* rights;
        bool flag7, flag8;
    };
    const Case cases[] = {{"YYYYYYYY", true, true}, {"YYYYYYNY", false, true}, {"YYYYYYY", true, false},
                          {"", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rights);
        Form->ApplyUserRights(VarArrayOf({"U01", std::string("DEMO,U01,XYZR01,") + c.rights, "张三", "测试程序",
                                          "MA001", VarArrayOf({2, "A01", "B02"})}));
        EXPECT_EQ(c.flag7, Form->RightFlag7);
        EXPECT_EQ(c.flag8, Form->RightFlag8);
    }
    EXPECT_EQ(u"MA001\x03" u"2\x03" u"A01\x03" u"B02\x03", Form->BaseLimit);

    Form->GetQuickPickData("CMSMF", "01", result, true, "USD", VarArrayOf({"x"}));
    EXPECT_EQ("美元", result[0][1].AsString());
    const Variant& request = Manager->QuickPick->Requests.back();
    ASSERT_EQ(18, VarArrayHighBound(request, 1));
    EXPECT_EQ("CMSMF", request[0].AsString());
    EXPECT_EQ("USD", request[4].AsString());
    EXPECT_EQ(static_cast<std::int64_t>(Form->Handle()), request[7].AsInt64());
    EXPECT_EQ(u"MA001\x03" u"2\x03" u"A01\x03" u"B02\x03", request[14].AsWideString());
    EXPECT_FALSE(request[15].AsBoolean()) << "rights flag 8 of the last reply";
    EXPECT_TRUE(request[17].IsObject()) << "the host object";
    EXPECT_EQ("U01", request[18].AsString());
    Manager->QuickPick->Requests.clear(); // the request holds the host object that holds the service
}

// ---------------------------------------------------------------------------
// Dates

class DateTest : public BaseGeneTest {
protected:
    void SetUp() override
    {
        BaseGeneTest::SetUp();
        NewProgramForm();
    }
    void Notation(int type, const std::string& sep)
    {
        Form->SysParams.SetValue("Sys001", std::to_string(type));
        Form->SysParams.SetValue("Sys002", sep);
    }
};

TEST_F(DateTest, TheFiveNotations)
{
    struct Case {
        int type;
        const char* sep;
        const char* shown;
        const char* mask;
        const char* blank;
    };
    const Case cases[] = {
        {1, "/", "2003/01/15", "9999/99/99;1; ", "    /  /  "},
        {2, "/", "01/15/2003", "99/99/9999;1; ", "  /  /    "},
        {3, "-", "15-01-2003", "99-99-9999;1; ", "  -  -    "},
        {4, "/", "92/01/15", "99/99/99;1; ", "  /  /  "},
        {5, ".", "092.01.15", "999.99.99;1; ", "   .  .  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Notation(c.type, c.sep);
        EXPECT_EQ(c.shown, Form->StorageToDisplayDate("20030115"));
        EXPECT_EQ("20030115", Form->DisplayToStorageDate(c.shown));
        EXPECT_EQ(c.mask, Form->GetDateEditMask());
        EXPECT_EQ(c.blank, Form->GetEmptyDateText());
        EXPECT_EQ("", Form->DisplayToStorageDate(c.blank)) << "a blank mask is no date";
        Form->edPrintDate->SetEditMask(c.mask);
        Form->edPrintDate->SetText(c.shown);
        EXPECT_EQ(c.shown, Form->edPrintDate->Text()) << "the mask takes the notation";
    }
}

TEST_F(DateTest, TextsThatAreNoDate)
{
    Notation(1, "/");
    EXPECT_EQ("", Form->DisplayToStorageDate("   "));
    EXPECT_EQ("2003/x1/15", Form->DisplayToStorageDate(" 2003/x1/15 ")) << "unreadable: unchanged, trimmed";
    EXPECT_EQ("2003", Form->DisplayToStorageDate("2003"));
    EXPECT_EQ("20030230", Form->DisplayToStorageDate("2003/2/30")) << "not validated here";
    Notation(6, "/");
    EXPECT_EQ("", Form->DisplayToStorageDate("2003/01/15")) << "an unknown notation";
    Form->SysParams.Clear();
    EXPECT_EQ(1, Form->GetDateFormatType());
    EXPECT_EQ("/", Form->GetDateSeparator());
    // A separator that means something in a mask stays a literal there.
    Notation(1, "0");
    EXPECT_EQ("9999\\099\\099;1; ", Form->GetDateEditMask());
}

TEST_F(DateTest, LeavingADateFieldValidatesIt)
{
    Notation(1, "/");
    int previous = 0;
    Form->edPrintDate->OnExit = [&previous](TObject*) { ++previous; };
    Form->SetDateFields("edPrintDate");
    Form->Show();
    Form->edPrintDate->OnEnter(Form->edPrintDate);
    EXPECT_EQ("9999/99/99;1; ", Form->edPrintDate->EditMask());

    struct Case {
        const char* text;
        bool valid;
    };
    const Case cases[] = {
        {"2003/02/28", true}, {"2003/02/30", false}, {"1752/12/31", false}, {"1753/01/01", true},
        {"", true}, // the blank mask
        {"9999/12/31", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TDialogRecorder dialogs;
        const int before = previous;
        Form->ValidationFailed = false;
        Form->edPrintDate->SetText(c.text);
        Form->edPrintDate->OnExit(Form->edPrintDate);
        EXPECT_EQ(!c.valid, Form->ValidationFailed);
        EXPECT_EQ(c.valid ? 0u : 1u, dialogs.Records().size());
        if (!c.valid) EXPECT_EQ("E;000005:||", dialogs.Records()[0].Text);
        EXPECT_EQ(before + (c.valid ? 1 : 0), previous) << "the program's handler runs after a good date only";
    }
}

TEST_F(DateTest, NothingIsCheckedWhileCancelHasTheFocus)
{
    Notation(1, "/");
    int previous = 0;
    Form->edPrintDate->OnExit = [&previous](TObject*) { ++previous; };
    Form->SetDateFields("edPrintDate");
    Form->Show();
    Form->edPrintDate->SetEditMask(Form->GetDateEditMask());
    Form->edPrintDate->SetText("2003/02/30");
    Form->btnCancel->SetFocus();
    ASSERT_EQ(Form->btnCancel, Form->ActiveControl());
    Form->edPrintDate->OnExit(Form->edPrintDate);
    EXPECT_FALSE(Form->ValidationFailed);
    EXPECT_TRUE(Dialogs.Records().empty());
    EXPECT_EQ(0, previous);
}

TEST_F(DateTest, DateFieldsAreFoundByTheirNameInTheListText)
{
    Notation(1, "/");
    auto* edDate = new TEdit(Form);
    edDate->SetName("edDate");
    edDate->SetParent(Form->tsOption1);
    auto* edOther = new TEdit(Form);
    edOther->SetName("edOther");
    edOther->SetParent(Form->tsOption1);
    Form->SetDateFields("edPrintDate");
    Form->SetDateFields("edDateFrom");
    EXPECT_EQ("edDateFrom,edPrintDate", Form->DateFields) << "the program's fields go in front";
    for (TEdit* edit : {edDate, edOther}) {
        edit->OnEnter = Form->OnDateFieldEnter;
        edit->OnExit = Form->OnDateFieldExit;
    }
    edDate->OnEnter(edDate);
    EXPECT_EQ("    /  /  ", edDate->Text()) << "a plain edit gets the blank date text";
    edOther->OnEnter(edOther);
    EXPECT_EQ("", edOther->Text()) << "not a date field";

    edDate->SetText("2003/13/01");
    edDate->OnExit(edDate);
    EXPECT_TRUE(Form->ValidationFailed) << "\"edDate\" is part of \"edDateFrom\"";
    Form->ValidationFailed = false;
    edOther->SetText("2003/13/01");
    edOther->OnExit(edOther);
    EXPECT_FALSE(Form->ValidationFailed);
    EXPECT_EQ(1u, Dialogs.Records().size());
}

TEST_F(DateTest, ReplacingTheDateFieldsGivesBackTheHandlers)
{
    int previous = 0;
    Form->edPrintDate->OnExit = [&previous](TObject*) { ++previous; };
    Form->SetDateFields("edPrintDate");
    EXPECT_TRUE(Form->edPrintDate->OnExit == Form->OnDateFieldExit);
    Form->SetDateFields("edDateFrom"); // unhooks, then hooks the longer list again
    EXPECT_TRUE(Form->edPrintDate->OnExit == Form->OnDateFieldExit);
    Form->SysParams.SetValue("Sys001", "1");
    Form->edPrintDate->SetText("2003/01/15");
    Form->edPrintDate->OnExit(Form->edPrintDate);
    EXPECT_EQ(1, previous) << "the program's own handler, saved once";
}

TEST_F(DateTest, PickingADate)
{
    EXPECT_EQ("", Form->PickDate("20030101")) << "no quick-pick service";
    Form->QuickPickService = Variant(IAutoObjectPtr(Manager->QuickPick));
    Notation(4, "/");
    Manager->QuickPick->Reply = " 20030115 ";
    EXPECT_EQ("92/01/15", Form->PickDate("20030101"));
    ASSERT_EQ(1u, Manager->QuickPick->Requests.size());
    const Variant& request = Manager->QuickPick->Requests[0];
    EXPECT_TRUE(request[0].AsBoolean()) << "a notation counted from 1912";
    EXPECT_EQ("20030101", request[1].AsString());
    Form->PickDate("92/02/01");
    EXPECT_EQ("20030201", Manager->QuickPick->Requests[1][1].AsString()) << "the date the text shows";
    Form->PickDate("  /  /  ");
    EXPECT_EQ(FormatDateTime("yyyymmdd", Date()), Manager->QuickPick->Requests[2][1].AsString())
        << "starts today when the text holds no date";
    Manager->QuickPick->Reply = "";
    EXPECT_EQ("92/01/01", Form->PickDate("92/01/01")) << "cancelled: the text stays";

    // A quick-pick button asks the form for its control (WM_QUICKPICK).
    Manager->QuickPick->Reply = "20030115";
    Form->edPrintDate->SetText("92/01/01");
    Application->SendMessage(Form, WM_USER + 10, 0, reinterpret_cast<LPARAM>(Form->edPrintDate));
    EXPECT_EQ("92/01/15", Form->edPrintDate->Text());
}

// ---------------------------------------------------------------------------
// Required fields

TEST_F(BaseGeneTest, RequiredFieldsAreTestedBeforeTheProgramsOk)
{
    NewProgramForm();
    auto* edNote = new TEdit(Form);
    edNote->SetName("edNote");
    edNote->SetParent(Form->tsOption1);
    Form->Show();
    const TColor plain = Form->edCustomer->Color();
    Form->SaveControlColors(Form);
    Form->SetRequiredFields(" edCustomer, edNote;N, edMissing ");
    EXPECT_EQ(RequiredFieldColor, Form->edCustomer->Color());
    EXPECT_EQ(RequiredFieldColor, edNote->Color()) << "coloured only";

    Form->btnOk->Click();
    EXPECT_EQ(std::vector<std::string>{"E;000037"}, DialogCodes());
    EXPECT_EQ(0, GetOrdProp(Form, "Submitted")) << "the program's OK did not run";
    EXPECT_EQ(Form->edCustomer, Form->ActiveControl());
    EXPECT_TRUE(Form->ValidationFailed);

    Form->edCustomer->SetText("C001");
    Form->btnOk->Click();
    EXPECT_EQ(1, GetOrdProp(Form, "Submitted"));
    EXPECT_FALSE(Form->ValidationFailed);

    // A new list gives back the colours, then colours its own fields; the
    // program's handler stays the one saved first.
    Form->SetRequiredFields("edNote");
    EXPECT_EQ(plain, Form->edCustomer->Color());
    EXPECT_EQ(RequiredFieldColor, edNote->Color());
    Form->btnOk->Click();
    EXPECT_EQ((std::vector<std::string>{"E;000037", "I;000004", "E;000037"}), DialogCodes())
        << "the second list's empty field is reported; the submission between showed its job";
    EXPECT_EQ(Form->tsOption1, Form->pgOption->ActivePage());
    EXPECT_EQ(edNote, Form->ActiveControl());
    edNote->SetText("x");
    Form->btnOk->Click();
    EXPECT_EQ(2, GetOrdProp(Form, "Submitted"));
}

TEST_F(BaseGeneTest, ABlankDateMaskIsEmpty)
{
    NewProgramForm();
    Form->edPrintDate->SetEditMask("9999/99/99;1; ");
    Form->edPrintDate->SetText("");
    EXPECT_TRUE(Form->IsEmptyControl(Form->edPrintDate));
    Form->edPrintDate->SetText("2003/01/15");
    EXPECT_FALSE(Form->IsEmptyControl(Form->edPrintDate));
    EXPECT_EQ("2003/01/15", Form->edPrintDate->Text()) << "the text is put back";
    EXPECT_FALSE(Form->IsEmptyControl(Form->btnOk)) << "no text, never empty";
}

// ---------------------------------------------------------------------------
// Messages

TEST_F(BaseGeneTest, DialogsWhilePagesChangeAndFocusAfterAnError)
{
    NewProgramForm();
    Form->Show();
    Form->edCustomer->SetFocus();
    ASSERT_EQ(Form->edCustomer, Form->LastFocused) << "every focus move is remembered";
    Form->ChangingPage = true;
    EXPECT_EQ(0, Form->ShowDialog("w", mtWarning, MsgDlgButton(mbOK)));
    EXPECT_TRUE(Dialogs.Records().empty()) << "suppressed";
    Form->ShowDialog("e", mtError, MsgDlgButton(mbOK));
    EXPECT_EQ(1u, Dialogs.Records().size()) << "errors are shown";
    Form->ChangingPage = false;

    // After an error the focus goes back to the control that had it last;
    // after a warning it stays.
    Form->btnOk->SetFocus();
    Form->LastFocused = Form->edCustomer;
    Form->ShowMessages("W;000014");
    EXPECT_EQ(Form->btnOk, Form->ActiveControl());
    Form->LastFocused = Form->edCustomer;
    Form->ShowMessages("E;000005");
    EXPECT_EQ(Form->edCustomer, Form->ActiveControl());
    ASSERT_EQ(3u, Dialogs.Records().size());
    EXPECT_EQ("确定", Dialogs.Records()[2].ButtonCaptions.at(0));
    EXPECT_EQ("W;000014; E;000005; ", Form->MessageCodes);
}

} // namespace

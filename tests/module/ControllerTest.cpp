// The host controller of a module: the export, the notifications the host
// hears, the operations on a controller with and without a form, and run
// requests from the host.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "forms/KVForm.h"
#include "module/DLLBTCtrller.h"
#include "module/DLLFunc.h"
#include "platform/os/Library.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "../forms/FormHostSupport.h"
#include "../platform/ui/UiTestSupport.h"

namespace {

Variant HostParams(int count = 5)
{
    const std::vector<Variant> all = {"796", "DEMO", "DEMO", 0, "extra"};
    Variant params = VarArrayCreate({0, count - 1});
    for (int i = 0; i < count; ++i) params[i] = all[i];
    return params;
}

// [mode, [byName, [texts, data]]] with one control name per value.
Variant RunRequestArray(int mode, const std::vector<std::string>& names, bool byName = true)
{
    Variant texts = VarArrayCreate({0, static_cast<int>(names.size()) - 1});
    Variant data = VarArrayCreate({0, static_cast<int>(names.size()) - 1});
    for (std::size_t i = 0; i < names.size(); ++i) {
        texts[static_cast<int>(i)] = VarArrayOf({"caption", names[i]});
        data[static_cast<int>(i)] = "value";
    }
    return VarArrayOf({mode, VarArrayOf({byName, VarArrayOf({texts, data})})});
}

// The test module library, loaded once as the host loads it.
TDLLBaseController* NewModuleController()
{
    static std::unique_ptr<os::TLibrary> library = os::TLibrary::Load(TEST_MODULE_PATH);
    if (!library) throw std::runtime_error(os::TLibrary::LastLoadError());
    auto* getController = library->GetProc<TDLLBaseController*()>("GetController");
    if (!getController) throw std::runtime_error("no GetController");
    return getController();
}

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application->Initialize();
        NewController();
    }
    void TearDown() override
    {
        controller.reset();
        Application->ProcessMessages();
    }
    void NewController()
    {
        controller.reset(NewModuleController());
        controller->OnNotify = [this](std::int32_t code, TObject*) { notes.push_back(code); };
    }
    // The module's form, as the host reaches it through its window handle.
    TfrmBaseBatch* Form() const
    {
        return dynamic_cast<TfrmBaseBatch*>(Application->FindControl(controller->GetHandle()));
    }
    std::int64_t Count(const char* name) const { return GetOrdProp(Form(), name); }

    // The forms connect to an in-process application server.
    formtest::TClientInstallation installation;
    TDialogRecorder dialogs;
    std::unique_ptr<TDLLBaseController> controller;
    std::vector<std::int32_t> notes;
};

// The controller units linked into this program, which has no form class.
TEST(ControllerUnitsTest, ExportNeedsARegisteredControllerClass)
{
    const TDLLControllerClass saved = DLLControllerClass;
    DLLControllerClass = nullptr;
    try {
        GetController();
        ADD_FAILURE() << "no exception";
    } catch (const EPlatformError& e) {
        EXPECT_STREQ("KVT DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible", e.what());
    }
    DLLControllerClass = saved;

    std::unique_ptr<TDLLBaseController> one(GetController()), other(GetController());
    EXPECT_NE(one.get(), other.get());
}

TEST(ControllerUnitsTest, CreateFormNeedsARegisteredFormClass)
{
    std::unique_ptr<TDLLBaseController> controller(GetController());
    try {
        controller->CreateForm(HostParams());
        ADD_FAILURE() << "no exception";
    } catch (const EPlatformError& e) {
        EXPECT_STREQ("KVT DLL Internal Error :\rNot Assign \"frmBaseBatchClass\" varible", e.what());
    }
    EXPECT_TRUE(controller->FormIsNil());
}

TEST_F(ControllerTest, TwoControllersHaveTheirOwnForms)
{
    std::unique_ptr<TDLLBaseController> other(NewModuleController());
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    ASSERT_EQ(0, other->CreateForm(HostParams()));
    EXPECT_NE(controller->GetHandle(), other->GetHandle());
    other.reset();
    EXPECT_FALSE(controller->FormIsNil());
}

TEST_F(ControllerTest, WithoutAFormEveryOperationAnswersQuietly)
{
    Variant context = "untouched";
    EXPECT_FALSE(controller->GetVersion().has_value());
    EXPECT_EQ(0, controller->GetVisible());
    EXPECT_EQ(0, controller->GetHandle());
    EXPECT_EQ(2, controller->ShowModal().AsInteger());
    EXPECT_EQ(-1, controller->GetContext(context));
    EXPECT_EQ("untouched", context.AsString());
    EXPECT_TRUE(controller->FormIsNil());
    EXPECT_EQ(-1, controller->RunRequest(VarArrayOf({0, RunRequestArray(1, {"edCustomer"})})));
    EXPECT_EQ(-1, controller->ExecuteCommand(5, RunRequestArray(1, {"edCustomer"})));
    controller->SetVisible(-1);
    controller->FreeForm();
    EXPECT_TRUE(notes.empty());
}

TEST_F(ControllerTest, UserCancelRunsTheNotificationsInOrder)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    EXPECT_EQ(std::vector<std::int32_t>{256}, notes);
    EXPECT_EQ(0, controller->GetVisible()) << "hidden until the host shows it";
    EXPECT_EQ("870401-0.00.00", controller->GetVersion().value());
    EXPECT_NE(0, controller->GetHandle());

    Variant context;
    ASSERT_EQ(0, controller->GetContext(context));
    EXPECT_EQ(0, VarArrayLowBound(context, 1));
    EXPECT_EQ(3, VarArrayHighBound(context, 1));
    EXPECT_EQ("796", context[0].AsString());
    EXPECT_EQ("DEMO", context[1].AsString());

    controller->SetVisible(-1);
    EXPECT_EQ(-1, controller->GetVisible());
    Form()->btnCancel->Click();
    Application->ProcessMessages();
    EXPECT_EQ((std::vector<std::int32_t>{256, 272, 304}), notes);
    EXPECT_TRUE(controller->FormIsNil());
    EXPECT_EQ(2, controller->ResultCode);
}

TEST_F(ControllerTest, FreeingTheControllerFreesItsForm)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    const HWND handle = controller->GetHandle();
    Form()->btnOk->Click();
    controller.reset();
    EXPECT_EQ((std::vector<std::int32_t>{256, 304}), notes);
    EXPECT_EQ(nullptr, Application->FindControl(handle));
}

TEST_F(ControllerTest, ResultOfASubmissionReachesTheHost)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    Form()->btnOk->Click();
    controller->FreeForm();
    EXPECT_EQ(1, controller->ResultCode);
    EXPECT_EQ("2026121100000001", controller->ResultValue.AsString());
    EXPECT_TRUE(controller->FormIsNil());
}

TEST_F(ControllerTest, ShowingAMinimisedFormRestoresIt)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    controller->SetVisible(-1);
    Form()->SetWindowState(wsMinimized);
    controller->SetVisible(0);
    EXPECT_EQ(0, controller->GetVisible());
    controller->SetVisible(1);
    EXPECT_EQ(wsNormal, Form()->WindowState());
    EXPECT_EQ(-1, controller->GetVisible());
    EXPECT_EQ((std::vector<std::int32_t>{256, 272, 288, 272}), notes);
}

TEST_F(ControllerTest, SecondCreateFormDoesNotChainTheHooks)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    EXPECT_EQ(-1, controller->CreateForm(HostParams())) << "a form initialises once";
    controller->SetVisible(-1);
    EXPECT_EQ(1, Count("Shows")) << "the form's own show handler runs once";
    EXPECT_EQ((std::vector<std::int32_t>{256, 272}), notes);
}

TEST_F(ControllerTest, FourHostParametersShowTheMessageAndCloseTheForm)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams(4)));
    ASSERT_EQ(1u, dialogs.Records().size());
    EXPECT_EQ(mtError, dialogs.Records()[0].Type);
    EXPECT_NE(std::string::npos, dialogs.Records()[0].Text.find("ID= 000038"));
    EXPECT_FALSE(controller->FormIsNil()) << "the close is posted, not sent";
    Application->ProcessMessages();
    EXPECT_TRUE(controller->FormIsNil());
    EXPECT_EQ((std::vector<std::int32_t>{256, 304}), notes);
}

TEST_F(ControllerTest, RunRequestsFromTheHost)
{
    struct Case {
        const char* name;
        int mode;
        std::vector<std::string> controls;
        int submitted, directRuns;
        bool warned, closed;
    };
    const std::vector<Case> cases = {
        {"check only", 0, {"edCustomer"}, 0, 0, false, false},
        {"background", 1, {"edCustomer"}, 1, 0, false, false},
        // Only the last entry decides; a button takes no value.
        {"last entry a button", 1, {"edCustomer", "btnOk"}, 0, 0, true, false},
        {"last entry decides", 1, {"edCustomr", "edCustomer"}, 1, 0, false, false},
        {"direct and close", 5, {"edCustomer"}, 0, 1, false, true},
        {"other unattended mode only closes", 3, {"edCustomer"}, 0, 0, false, true},
        {"misspelt control", 1, {"edCustomr"}, 0, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewController();
        TDialogRecorder recorder;
        ASSERT_EQ(0, controller->CreateForm(HostParams()));
        TfrmBaseBatch* form = Form();
        EXPECT_EQ(0, controller->RunRequest(VarArrayOf({0, RunRequestArray(c.mode, c.controls)})));
        EXPECT_EQ(c.submitted, Count("Submitted"));
        EXPECT_EQ(c.directRuns, Count("DirectRuns"));
        // Background submissions show the job message; only the warning
        // about control names counts here.
        int warnings = 0;
        for (const TDialogRecord& r : recorder.Records())
            if (r.Text.find("ID= 000014") != std::string::npos) ++warnings;
        EXPECT_EQ(c.warned ? 1 : 0, warnings);
        EXPECT_TRUE(form->Converted);
        Application->ProcessMessages();
        EXPECT_EQ(c.closed, controller->FormIsNil());
    }
}

TEST_F(ControllerTest, WrongRequestShapesAndCommandsGiveMinusOne)
{
    ASSERT_EQ(0, controller->CreateForm(HostParams()));
    EXPECT_EQ(-1, controller->RunRequest(Variant()));
    EXPECT_EQ(-1, controller->RunRequest(Variant::Null()));
    EXPECT_EQ(-1, controller->RunRequest(VarArrayOf({0})));
    EXPECT_EQ(-1, controller->ExecuteCommand(4, RunRequestArray(1, {"edCustomer"})));
    EXPECT_EQ(0, Count("Submitted"));
    EXPECT_EQ(0, controller->ExecuteCommand(5, RunRequestArray(1, {"edCustomer"})));
    EXPECT_EQ(1, Count("Submitted"));
}

} // namespace

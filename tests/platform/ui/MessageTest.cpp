#include <gtest/gtest.h>

#include <memory>

#include "UiTestSupport.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

namespace {

using Names = std::vector<std::string>;

TEST(MessageDialog, RecorderCapturesDialogAndAnswersWithChosenButton)
{
    TDialogRecorder dialogs;
    dialogs.Answer("No");
    EXPECT_EQ(MessageDlg("保存修改吗?", mtConfirmation, mbYesNoCancel), mrNo);
    EXPECT_EQ(MessageDlg("Done", mtInformation, MsgDlgButton(mbOK)), mrOk); // unanswered: Escape's button
    dialogs.Answer("YesToAll");
    EXPECT_EQ(MessageDlg("Overwrite?", mtWarning,
                         MsgDlgButtons({mbYes, mbNo, mbAll, mbNoToAll, mbYesToAll, mbHelp})),
              mrYesToAll);

    const auto& r = dialogs.Records();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].Caption, "Confirm");
    EXPECT_EQ(r[0].Text, "保存修改吗?");
    EXPECT_EQ(r[0].Type, mtConfirmation);
    EXPECT_EQ(r[0].Buttons, (Names{"Yes", "No", "Cancel"}));
    EXPECT_EQ(r[0].Answer, "No");
    EXPECT_EQ(r[1].Caption, "Information");
    EXPECT_EQ(r[1].Answer, "OK");
    EXPECT_EQ(r[2].Caption, "Warning");
    EXPECT_EQ(r[2].Buttons, (Names{"Yes", "No", "All", "NoToAll", "YesToAll", "Help"}));
    EXPECT_EQ(r[2].Result, mrYesToAll);
}

TEST(MessageDialog, CaptionsResultsAndEscapeButtonPerType)
{
    const struct {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        const char* Caption;
        TModalResult Unanswered;
    } cases[] = {
        {mtWarning, mbYesNoCancel, "Warning", mrCancel},
        {mtError, MsgDlgButtons({mbYes, mbNo}), "Error", mrNo},
        {mtInformation, MsgDlgButton(mbOK), "Information", mrOk},
        {mtConfirmation, mbAbortRetryIgnore, "Confirm", mrNone}, // no button answers Escape
        {mtCustom, mbOKCancel, "Orvane", mrCancel},
    };
    for (const auto& c : cases) {
        TDialogRecorder dialogs;
        EXPECT_EQ(MessageDlg("text", c.Type, c.Buttons), c.Unanswered) << c.Caption;
        ASSERT_EQ(dialogs.Records().size(), 1u);
        EXPECT_EQ(dialogs.Records()[0].Caption, c.Caption);
        EXPECT_EQ(dialogs.Records()[0].Type, c.Type);
    }
    const struct {
        TMsgDlgBtn Button;
        const char* Name;
        TModalResult Result;
    } buttons[] = {{mbYes, "Yes", 6},  {mbNo, "No", 7},         {mbOK, "OK", 1},
                   {mbCancel, "Cancel", 2}, {mbAbort, "Abort", 3}, {mbRetry, "Retry", 4},
                   {mbIgnore, "Ignore", 5}, {mbAll, "All", 8},     {mbNoToAll, "NoToAll", 9},
                   {mbYesToAll, "YesToAll", 10}, {mbHelp, "Help", 0}};
    for (const auto& b : buttons) {
        EXPECT_STREQ(MsgDlgButtonName(b.Button), b.Name);
        EXPECT_EQ(MsgDlgButtonResult(b.Button), b.Result) << b.Name;
    }
}

TEST(MessageDialog, AnswerWithAMissingButtonIsAnError)
{
    TDialogRecorder dialogs;
    dialogs.Answer("Retry");
    EXPECT_THROW(MessageDlg("x", mtWarning, mbOKCancel), EInvalidOperation);
}

TEST(MessageDialog, ButtonCaptionsSetByNameBeforeShowing)
{
    TDialogRecorder dialogs;
    std::unique_ptr<TMessageForm> dialog(CreateMessageDialog("继续?", mtConfirmation, MsgDlgButtons({mbYes, mbNo})));
    dynamic_cast<TButton*>(dialog->FindComponent("Yes"))->SetCaption("是(&Y)");
    SetStrProp(dialog->FindComponent("No"), "Caption", "否(&N)");
    dialogs.Answer("Yes");
    EXPECT_EQ(ShowMessageDialog(*dialog), mrYes);
    ASSERT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(dialogs.Records()[0].ButtonCaptions, (Names{"是(&Y)", "否(&N)"}));
    EXPECT_EQ(dialogs.Records()[0].Text, "继续?");
}

TEST(MessageDialog, DefaultServiceShowsTheDialogModally)
{
    std::string seen;
    uitest::ModalDriver driver([&](TForm& modal) {
        seen = modal.ClassName() + ":" + modal.Caption() + ":" + modal.ActiveControl()->Name();
        dynamic_cast<TButton*>(modal.FindComponent("Cancel"))->Click();
    });
    EXPECT_EQ(MessageDlg("Delete?", mtWarning, mbOKCancel), mrCancel);
    EXPECT_EQ(seen, "TMessageForm:Warning:OK"); // OK is the default button
}

TEST(MessageDialog, RecorderRestoresThePreviousService)
{
    int outer = 0;
    const TDialogService previous = SetDialogService([&](TForm&) {
        ++outer;
        return mrIgnore;
    });
    {
        TDialogRecorder dialogs;
        MessageDlg("inner", mtError, MsgDlgButton(mbOK));
    }
    EXPECT_EQ(MessageDlg("outer", mtError, MsgDlgButton(mbOK)), mrIgnore);
    EXPECT_EQ(outer, 1);
    SetDialogService(previous);
}

} // namespace

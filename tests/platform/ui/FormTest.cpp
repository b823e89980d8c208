#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "UiTestSupport.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"

namespace {

// A shown form with three edits (E1, E2, E3), a panel holding E3, and a log
// of focus and key events.
class FocusForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetName("Form");
        e1 = MakeEdit("E1", form.get());
        e2 = MakeEdit("E2", form.get());
        panel = new TWinControl(form.get());
        panel->SetParent(form.get());
        e3 = MakeEdit("E3", panel);
        form->AddFocusChangeHook([this](TObject*) { log.push_back("hook " + form->ActiveControl()->Name()); });
        form->Show();
        log.clear();
    }

    TEdit* MakeEdit(const std::string& name, TWinControl* parent)
    {
        auto* e = new TEdit(form.get());
        e->SetName(name);
        e->SetParent(parent);
        e->OnEnter = [this, e](TObject*) { log.push_back("enter " + e->Name()); };
        e->OnExit = [this, e](TObject*) { log.push_back("exit " + e->Name()); };
        return e;
    }

    // Qt reports that the user put the focus on the control's widget.
    static void UserFocuses(TWinControl* c)
    {
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(c->Widget(), &in);
    }

    static void Type(TWinControl* c, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(c->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(c->Widget(), &release);
    }

    std::unique_ptr<TForm> form;
    TEdit *e1 = nullptr, *e2 = nullptr, *e3 = nullptr;
    TWinControl* panel = nullptr;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(FocusForm, ShowFocusesFirstTabStop)
{
    EXPECT_EQ(form->ActiveControl(), e1);
    EXPECT_TRUE(e1->Focused());
}

TEST_F(FocusForm, CodeAndUserFocusMovesRunExitEnterHookInOrder)
{
    e2->SetFocus();
    EXPECT_EQ(log, (Log{"exit E1", "enter E2", "hook E2"}));
    log.clear();
    UserFocuses(e3);
    EXPECT_EQ(log, (Log{"exit E2", "enter E3", "hook E3"}));
    EXPECT_EQ(form->ActiveControl(), e3);
    log.clear();
    e3->SetFocus(); // already there: nothing runs
    EXPECT_TRUE(log.empty());
}

TEST_F(FocusForm, AbortInOnExitKeepsFocusOnOldControl)
{
    TDialogRecorder dialogs;
    e1->OnExit = [this](TObject*) {
        log.push_back("exit E1");
        throw EAbort();
    };
    EXPECT_THROW(e2->SetFocus(), EAbort);
    EXPECT_EQ(form->ActiveControl(), e1);
    UserFocuses(e3); // refused silently
    EXPECT_EQ(form->ActiveControl(), e1);
    EXPECT_EQ(log, (Log{"exit E1", "exit E1"}));
    EXPECT_TRUE(dialogs.Records().empty());

    // Any other error keeps the focus too and is reported.
    e1->OnExit = [](TObject*) { throw EConvertError("'x' is not a valid date"); };
    UserFocuses(e2);
    EXPECT_EQ(form->ActiveControl(), e1);
    ASSERT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(dialogs.Records()[0].Text, "'x' is not a valid date");
    EXPECT_EQ(dialogs.Records()[0].Type, mtError);
}

TEST_F(FocusForm, CannotFocusHiddenOrDisabledControls)
{
    e2->SetEnabled(false);
    EXPECT_FALSE(e2->CanFocus());
    EXPECT_THROW(e2->SetFocus(), EInvalidOperation);
    panel->SetVisible(false); // hides E3 with it
    EXPECT_FALSE(e3->CanFocus());
    EXPECT_THROW(e3->SetFocus(), EInvalidOperation);
    EXPECT_EQ(form->ActiveControl(), e1);
    TEdit loose(nullptr); // on no form
    EXPECT_FALSE(loose.CanFocus());
}

TEST_F(FocusForm, TabWalksTabOrderSkippingControlsThatCannotTakeFocus)
{
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetTabStop(false);
    EXPECT_EQ(form->GetTabOrderList(), (std::vector<TWinControl*>{e1, e2, panel, e3, button}));

    e2->SetEnabled(false);
    Type(e1, Qt::Key_Tab, "\t");
    EXPECT_EQ(form->ActiveControl(), e3); // E2 disabled, panel and button no tab stops
    Type(e3, Qt::Key_Tab, "\t");
    EXPECT_EQ(form->ActiveControl(), e1); // wraps
    Type(e1, Qt::Key_Backtab, "", Qt::ShiftModifier);
    EXPECT_EQ(form->ActiveControl(), e3);
    EXPECT_EQ(form->FindNextControl(e3, true, false), button); // tab stops not required
}

TEST_F(FocusForm, KeyPreviewRunsFormFirstAndCanSwallowKeys)
{
    form->KeyPreview = true;
    form->OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState) {
        log.push_back("form down " + std::to_string(key));
        if (key == VK_F1 + 1) key = 0; // F2 is the form's own
    };
    form->OnKeyPress = [this](TObject*, char& key) {
        log.push_back(std::string("form press ") + key);
        if (key == 'x') key = 0;
    };
    e1->OnKeyDown = [this](TObject*, std::uint16_t& key, TShiftState) { log.push_back("edit down " + std::to_string(key)); };
    e1->OnKeyPress = [this](TObject*, char& key) {
        log.push_back(std::string("edit press ") + key);
        if (key == 'b') key = 'B';
    };
    e1->OnKeyUp = [this](TObject*, std::uint16_t& key, TShiftState) { log.push_back("edit up " + std::to_string(key)); };

    Type(e1, Qt::Key_A, "a");
    EXPECT_EQ(log, (Log{"form down 65", "edit down 65", "form press a", "edit press a", "edit up 65"}));
    EXPECT_EQ(e1->Text(), "a");

    log.clear();
    Type(e1, Qt::Key_X, "x"); // the form swallows the character
    EXPECT_EQ(log, (Log{"form down 88", "edit down 88", "form press x", "edit up 88"}));
    EXPECT_EQ(e1->Text(), "a");

    log.clear();
    Type(e1, Qt::Key_F2);
    EXPECT_EQ(log, (Log{"form down 113", "edit up 113"}));

    Type(e1, Qt::Key_B, "b"); // the control changes the character
    EXPECT_EQ(e1->Text(), "aB");

    form->KeyPreview = false;
    log.clear();
    Type(e1, Qt::Key_C, "c");
    EXPECT_EQ(log, (Log{"edit down 67", "edit press c", "edit up 67"}));
}

TEST_F(FocusForm, EnterWalksThroughSelectNext)
{
    form->KeyPreview = true;
    form->OnKeyPress = [this](TObject*, char& key) {
        if (key == '\r') {
            form->SelectNext(form->ActiveControl(), true, true);
            key = 0;
        }
    };
    Type(e1, Qt::Key_Return, "\r");
    EXPECT_EQ(form->ActiveControl(), e2);
    EXPECT_EQ(log, (Log{"exit E1", "enter E2", "hook E2"}));
}

TEST_F(FocusForm, FreeingTheActiveControlClearsIt)
{
    e2->SetFocus();
    delete e2;
    EXPECT_EQ(form->ActiveControl(), nullptr);
    e3->SetFocus(); // no OnExit of the freed control
    EXPECT_EQ(log.back(), "hook E3");
}

// ---------------------------------------------------------------------------
// Closing and modal forms

// Records when it is freed, so tests can see caFree take effect.
class TLoggedForm : public TForm {
public:
    TLoggedForm(bool* freed) : TForm(Application), FFreed(freed) {}
    ~TLoggedForm() override { *FFreed = true; }

private:
    bool* FFreed;
};

TEST(Form, PostedCloseWaitsForTheQueueAndCaFreeFreesAfterTheHandler)
{
    bool freed = false;
    auto* form = new TLoggedForm(&freed);
    int closes = 0;
    form->OnClose = [&](TObject* sender, TCloseAction& action) {
        ++closes;
        EXPECT_EQ(sender, form);
        action = caFree;
    };
    form->Show();
    const HWND handle = form->Handle();
    EXPECT_EQ(Application->FindControl(handle), form);
    ASSERT_TRUE(Application->PostMessage(handle, WM_CLOSE));
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(form->Visible());
    Application->ProcessMessages();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(freed);
    EXPECT_EQ(Application->FindControl(handle), nullptr);
    EXPECT_FALSE(Application->PostMessage(handle, WM_CLOSE));
}

TEST(Form, CloseActions)
{
    TForm form(nullptr);
    TCloseAction chosen = caNone;
    form.OnClose = [&](TObject*, TCloseAction& action) { action = chosen; };
    form.Show();
    form.Close(); // caNone keeps it open
    EXPECT_TRUE(form.Visible());
    chosen = caMinimize;
    form.Close();
    EXPECT_EQ(form.WindowState(), wsMinimized);
    EXPECT_TRUE(form.Visible());
    chosen = caHide;
    bool hidden = false;
    form.OnHide = [&](TObject*) { hidden = true; };
    form.Close();
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(hidden);
    form.Show();
    form.OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
    form.Close();
    EXPECT_TRUE(form.Visible());
}

TEST(Form, MessagePostedToAFreedFormIsDropped)
{
    auto* form = new TForm(nullptr);
    int handled = 0;
    form->SetMessageHandler(WM_USER + 1, [&](TMessage&) { ++handled; });
    Application->PostMessage(form, WM_USER + 1);
    delete form;
    Application->ProcessMessages();
    EXPECT_EQ(handled, 0);
}

// A form that handles a message number of its own.
class TCounterForm : public TForm {
public:
    static constexpr unsigned WM_COUNT = WM_USER + 7;
    explicit TCounterForm(TComponent* owner) : TForm(owner)
    {
        SetMessageHandler(WM_COUNT, [this](TMessage& m) {
            Count += static_cast<int>(m.WParam);
            m.Result = Count;
        });
    }
    int Count = 0;
    int Unknown = 0;
    void DefaultHandler(TMessage& m) override
    {
        if (m.Msg == WM_USER + 8) ++Unknown;
        TForm::DefaultHandler(m);
    }
};

TEST(Form, SendDispatchesAtOncePostWaitsAndErrorsAreReported)
{
    TDialogRecorder dialogs;
    TCounterForm form(nullptr);
    EXPECT_EQ(Application->SendMessage(form.Handle(), TCounterForm::WM_COUNT, 2), 2);
    EXPECT_EQ(Application->SendMessage(&form, WM_USER + 8), 0);
    EXPECT_EQ(form.Unknown, 1);

    Application->PostMessage(&form, TCounterForm::WM_COUNT, 5);
    Application->PostMessage(&form, WM_USER + 9);
    Application->PostMessage(&form, TCounterForm::WM_COUNT, 1);
    form.SetMessageHandler(WM_USER + 9, [](TMessage&) { throw EConvertError("bad value"); });
    EXPECT_EQ(form.Count, 2);
    Application->ProcessMessages();
    EXPECT_EQ(form.Count, 8); // the failing message did not stop the queue
    ASSERT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(dialogs.Records()[0].Text, "bad value");
}

TEST(Form, ModalDriverSetsModalResult)
{
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetName("Amount");
    edit->SetParent(&form);
    int runs = 0;
    uitest::ModalDriver driver([&](TForm& modal) {
        ++runs;
        EXPECT_TRUE(modal.Visible());
        EXPECT_TRUE(modal.Modal());
        dynamic_cast<TEdit*>(modal.FindComponent("Amount"))->SetText("12.5");
        modal.SetModalResult(mrOk);
    });
    bool refuseOnce = true;
    form.OnClose = [&](TObject*, TCloseAction& action) {
        if (refuseOnce) action = caNone; // the driver is asked again
        refuseOnce = false;
    };
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(edit->Text(), "12.5");
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Modal());

    // A driver that leaves the result unset counts as a cancel.
    uitest::ModalDriver idle([](TForm&) {});
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST(Form, ButtonWithModalResultEndsARealModalLoop)
{
    TForm form(nullptr);
    auto* ok = new TButton(&form);
    ok->SetName("OK");
    ok->SetParent(&form);
    ok->SetModalResult(mrOk);
    int clicks = 0;
    ok->OnClick = [&](TObject*) { ++clicks; };
    // The default runner's nested loop runs posted messages; this one
    // clicks the button as a user would.
    form.SetMessageHandler(WM_USER, [&](TMessage&) { static_cast<QPushButton*>(ok->Widget())->click(); });
    Application->PostMessage(&form, WM_USER);
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form.Visible());
}

TEST(Form, ModalFormClosedByUserGetsCancelAndCanFreeItself)
{
    bool freed = false;
    auto* form = new TLoggedForm(&freed);
    form->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    uitest::ModalDriver driver([](TForm& modal) { modal.Widget()->close(); }); // the window's close box
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(freed); // freed once the queue runs, not inside ShowModal
    Application->ProcessMessages();
    EXPECT_TRUE(freed);
}

} // namespace

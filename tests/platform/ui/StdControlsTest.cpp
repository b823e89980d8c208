#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <memory>

#include "UiTestSupport.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

using Log = std::vector<std::string>;
using Lines = std::vector<std::string>;

void Type(TWinControl* c, int key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(c->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(c->Widget(), &release);
}

// A shown form that the controls of a test sit on.
class OnForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
    }
    template <class T>
    T* Make(const std::string& name, TWinControl* parent = nullptr)
    {
        auto* c = new T(form.get());
        c->SetName(name);
        c->SetParent(parent ? parent : form.get());
        return c;
    }
    std::unique_ptr<TForm> form;
    Log log;
};

// ---------------------------------------------------------------------------
// Check boxes and radio buttons

using CheckBoxTest = OnForm;

TEST_F(CheckBoxTest, OnClickRunsWhenTheStateChangesFromCode)
{
    auto* box = Make<TCheckBox>("Box");
    box->OnClick = [&](TObject*) { log.push_back(GetEnumProp(box, "State")); };
    box->SetChecked(true);
    box->SetChecked(true); // no change, no click
    box->SetState(cbGrayed);
    EXPECT_FALSE(box->Checked());
    SetPropValue(box, "Checked", Variant(false));
    EXPECT_EQ(log, (Log{"cbChecked", "cbGrayed", "cbUnchecked"}));
    EXPECT_EQ(static_cast<QCheckBox*>(box->Widget())->checkState(), Qt::Unchecked);
}

TEST_F(CheckBoxTest, UserClicksStepThroughTheStates)
{
    struct Case {
        bool allowGrayed;
        TCheckBoxState from, to;
    };
    const Case cases[] = {
        {false, cbUnchecked, cbChecked}, {false, cbChecked, cbUnchecked}, {true, cbUnchecked, cbGrayed},
        {true, cbGrayed, cbChecked},     {true, cbChecked, cbUnchecked},
    };
    auto* box = Make<TCheckBox>("Box");
    form->Show();
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    for (const Case& c : cases) {
        box->SetAllowGrayed(c.allowGrayed);
        box->SetState(c.from);
        clicks = 0;
        static_cast<QCheckBox*>(box->Widget())->click();
        EXPECT_EQ(box->State(), c.to) << c.allowGrayed << " from " << c.from;
        EXPECT_EQ(clicks, 1);
        const Qt::CheckState shown = static_cast<QCheckBox*>(box->Widget())->checkState();
        EXPECT_EQ(shown, c.to == cbChecked ? Qt::Checked : c.to == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    }
}

using RadioButtonTest = OnForm;

TEST_F(RadioButtonTest, CheckingOneUnchecksItsSiblingsOnly)
{
    auto* group = Make<TGroupBox>("Group");
    auto* a = Make<TRadioButton>("A", group);
    auto* b = Make<TRadioButton>("B", group);
    auto* c = Make<TRadioButton>("C", group);
    auto* other = Make<TRadioButton>("Other"); // on the form, another group
    auto* box = Make<TCheckBox>("Box", group);  // not a radio button: untouched
    for (TRadioButton* r : {a, b, c, other}) r->OnClick = [this, r](TObject*) { log.push_back(r->Name()); };
    form->Show();

    other->SetChecked(true);
    box->SetChecked(true);
    a->SetChecked(true);
    static_cast<QRadioButton*>(c->Widget())->click(); // the user
    EXPECT_EQ(log, (Log{"Other", "A", "C"}));
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(b->Checked());
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(other->Checked());
    EXPECT_TRUE(box->Checked());
    EXPECT_FALSE(static_cast<QRadioButton*>(a->Widget())->isChecked());

    // Clicking the checked one keeps it checked and runs nothing.
    log.clear();
    static_cast<QRadioButton*>(c->Widget())->click();
    EXPECT_TRUE(c->Checked());
    EXPECT_TRUE(static_cast<QRadioButton*>(c->Widget())->isChecked());
    EXPECT_TRUE(log.empty());

    // Unchecking from code leaves the others alone.
    c->SetChecked(false);
    EXPECT_FALSE(a->Checked() || b->Checked() || c->Checked());
}

// ---------------------------------------------------------------------------
// Memo

using MemoTest = OnForm;

TEST_F(MemoTest, TextAndLinesFollowEachOther)
{
    struct Case {
        const char* text;
        Lines lines;
    };
    const Case cases[] = {
        {"", {}},
        {"one", {"one"}},
        {"one\r\ntwo", {"one", "two"}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\n\nthree", {"one", "", "three"}},
        {"中文\rline", {"中文", "line"}},
    };
    auto* memo = Make<TMemo>("Memo");
    for (const Case& c : cases) {
        memo->SetText(c.text);
        EXPECT_EQ(memo->Lines()->ToVector(), c.lines) << c.text;
    }

    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines()->Clear();
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    memo->Lines()->Insert(1, "");
    EXPECT_EQ(memo->Text(), "first\r\n\r\nsecond\r\n");
    EXPECT_EQ(static_cast<QPlainTextEdit*>(memo->Widget())->toPlainText().toStdString(), "first\n\nsecond\n");
    EXPECT_EQ(changes, 4);
    memo->Lines()->Put(2, "2nd");
    EXPECT_EQ(memo->Text(), "first\r\n\r\n2nd\r\n");

    // A batch shows once.
    changes = 0;
    memo->Lines()->BeginUpdate();
    memo->Lines()->Clear();
    memo->Lines()->Add("x");
    memo->Lines()->EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(memo->Text(), "x\r\n");

    // By name, as language packages do it: the lines are an object.
    auto* lines = dynamic_cast<TStrings*>(GetObjectProp(memo, "Lines"));
    ASSERT_NE(lines, nullptr);
    SetStrProp(lines, "Text", "甲\r\n乙");
    EXPECT_EQ(memo->Text(), "甲\r\n乙\r\n");
}

TEST_F(MemoTest, TypingUpdatesLinesWithinMaxLength)
{
    auto* memo = Make<TMemo>("Memo");
    form->Show();
    memo->SetText("ab");
    auto* w = static_cast<QPlainTextEdit*>(memo->Widget());
    w->moveCursor(QTextCursor::End);
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    Type(memo, Qt::Key_Return, "\r");
    Type(memo, Qt::Key_C, "c");
    EXPECT_EQ(memo->Lines()->ToVector(), (Lines{"ab", "c"}));
    EXPECT_EQ(memo->Text(), "ab\r\nc");
    EXPECT_EQ(changes, 2);

    memo->SetMaxLength(5);
    Type(memo, Qt::Key_D, "d");
    Type(memo, Qt::Key_E, "e"); // one too many
    EXPECT_EQ(memo->Text(), "ab\r\ncd");
    w->insertPlainText("xyz"); // a paste keeps what fits
    EXPECT_EQ(memo->Text(), "ab\r\ncd");
    memo->SetText("code may set longer texts");
    EXPECT_EQ(memo->Lines()->ToVector(), (Lines{"code may set longer texts"}));
}

// ---------------------------------------------------------------------------
// Combo box and list box

using ComboBoxTest = OnForm;

TEST_F(ComboBoxTest, ItemIndexAndTextPerStyle)
{
    struct Case {
        TComboBoxStyle style;
        std::string setText;
        int indexAfterText;
        std::string textAfterText;
    };
    const Case cases[] = {
        {csDropDown, "Beta", 1, "Beta"},       {csDropDown, "beta", -1, "beta"},
        {csDropDown, "Other", -1, "Other"},    {csSimple, "Gamma", 2, "Gamma"},
        {csDropDownList, "Gamma", 2, "Gamma"}, {csDropDownList, "gamma", 2, "Gamma"},
        {csDropDownList, "Other", -1, ""},     {csOwnerDrawFixed, "Alpha", 0, "Alpha"},
    };
    for (const Case& c : cases) {
        auto* combo = Make<TComboBox>("Combo");
        combo->Items()->SetCommaText("Alpha,Beta,Gamma");
        SetEnumProp(combo, "Style", GetPropInfo(combo, "Style")->ValueNames[c.style]);
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(combo->Text(), "");
        combo->SetItemIndex(1);
        EXPECT_EQ(combo->Text(), "Beta");
        combo->SetText(c.setText);
        EXPECT_EQ(combo->ItemIndex(), c.indexAfterText) << c.style << " " << c.setText;
        EXPECT_EQ(combo->Text(), c.textAfterText) << c.style << " " << c.setText;
        combo->SetItemIndex(7); // out of range: nothing selected
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(combo->Text(), "");
        delete combo;
    }
}

TEST_F(ComboBoxTest, ItemChangesKeepTheSelectedItem)
{
    auto* combo = Make<TComboBox>("Combo");
    combo->SetStyle(csDropDownList);
    combo->Items()->SetCommaText("B,D");
    combo->SetItemIndex(1);
    combo->Items()->Insert(0, "A");
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), "D");
    combo->Items()->Delete(0);
    EXPECT_EQ(combo->ItemIndex(), 1);
    combo->Items()->Delete(1);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
    combo->SetSorted(true);
    combo->Items()->Add("C");
    combo->Items()->Add("A");
    EXPECT_EQ(combo->Items()->ToVector(), (Lines{"A", "B", "C"}));
    EXPECT_EQ(static_cast<QComboBox*>(combo->Widget())->itemText(0), "A");
}

TEST_F(ComboBoxTest, UserSelectionAndTypingRunTheEvents)
{
    auto* combo = Make<TComboBox>("Combo");
    combo->Items()->SetCommaText("Alpha,Beta");
    combo->OnClick = [&](TObject*) { log.push_back("click " + combo->Text()); };
    combo->OnChange = [&](TObject*) { log.push_back("change " + combo->Text()); };
    form->Show();

    combo->SetItemIndex(0); // code: no events
    combo->SetText("Beta");
    EXPECT_TRUE(log.empty());

    auto* w = static_cast<QComboBox*>(combo->Widget());
    emit w->activated(0); // the user picks from the list
    EXPECT_EQ(log, (Log{"click Alpha", "change Alpha"}));
    combo->OnSelect = [&](TObject*) { log.push_back("select " + combo->Text()); };
    log.clear();
    emit w->activated(1);
    EXPECT_EQ(log, (Log{"click Beta", "select Beta"}));

    log.clear();
    combo->SetStyle(csSimple); // another edit style: typing still reports once
    Type(combo, Qt::Key_Backspace);
    EXPECT_EQ(log, (Log{"change Bet"}));
    EXPECT_EQ(combo->ItemIndex(), -1);
    Type(combo, Qt::Key_A, "a");
    EXPECT_EQ(combo->ItemIndex(), 1);
    Type(combo, Qt::Key_Return, "\r"); // never adds the text to the list
    EXPECT_EQ(combo->Items()->Count(), 2);
}

using ListBoxTest = OnForm;

TEST_F(ListBoxTest, SelectionFromCodeAndUser)
{
    auto* list = Make<TListBox>("List");
    list->Items()->SetCommaText("a,b,c,d");
    int clicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    form->Show();

    list->SetItemIndex(2);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(list->Selected(2));
    list->SetSelected(1, true); // single-select: alone
    EXPECT_EQ(list->SelCount(), 1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->Items()->Insert(0, "z"); // the selection follows its item
    EXPECT_TRUE(list->Selected(2));
    EXPECT_EQ(clicks, 0);

    static_cast<QListWidget*>(list->Widget())->setCurrentRow(3); // as a user click does
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list->ItemIndex(), 3);

    list->SetMultiSelect(true);
    list->ClearSelection();
    list->SetSelected(0, true);
    list->SetSelected(3, true);
    EXPECT_EQ(list->SelCount(), 2);
    list->SetItemIndex(1); // only moves the caret
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_THROW(list->Selected(9), EListError);
    EXPECT_EQ(clicks, 1);
}

// ---------------------------------------------------------------------------
// Default and Cancel buttons through the form's key path

class DialogKeys : public OnForm {
protected:
    void SetUp() override
    {
        OnForm::SetUp();
        edit = Make<TEdit>("Edit");
        memo = Make<TMemo>("Memo");
        other = Make<TButton>("Other");
        ok = Make<TButton>("OK");
        cancel = Make<TButton>("Cancel");
        ok->SetDefault(true);
        ok->SetModalResult(mrOk);
        cancel->SetCancel(true);
        for (TButton* b : {other, ok, cancel}) b->OnClick = [this, b](TObject*) { log.push_back(b->Name()); };
        form->Show();
    }
    TEdit* edit = nullptr;
    TMemo* memo = nullptr;
    TButton *other = nullptr, *ok = nullptr, *cancel = nullptr;
};

TEST_F(DialogKeys, EnterAndEscapeRunTheButtonsUnlessTheFocusedControlTakesThem)
{
    struct Case {
        const char* focused;
        int key;
        const char* text;
        Log clicked;
    };
    const Case cases[] = {
        {"Edit", Qt::Key_Return, "\r", {"OK"}},      {"Edit", Qt::Key_Enter, "\r", {"OK"}},
        {"Edit", Qt::Key_Escape, "\x1b", {"Cancel"}}, {"Memo", Qt::Key_Return, "\r", {}},
        {"Memo", Qt::Key_Escape, "\x1b", {"Cancel"}}, {"Other", Qt::Key_Return, "\r", {"Other"}},
        {"OK", Qt::Key_Escape, "\x1b", {"Cancel"}},
    };
    for (const Case& c : cases) {
        auto* target = dynamic_cast<TWinControl*>(form->FindComponent(c.focused));
        target->SetFocus();
        log.clear();
        Type(target, c.key, c.text);
        EXPECT_EQ(log, c.clicked) << c.focused << " " << c.key;
    }
    EXPECT_EQ(form->ModalResult(), mrOk);
    EXPECT_EQ(memo->Text(), "\r\n"); // the memo typed its line break
}

TEST_F(DialogKeys, KeyPreviewAndTheControlComeFirstAndTheCharacterIsNotTyped)
{
    char pressed = 0;
    edit->OnKeyPress = [&](TObject*, char& key) { pressed = key; };
    edit->SetFocus();
    Type(edit, Qt::Key_Return, "\r");
    EXPECT_EQ(log, (Log{"OK"}));
    EXPECT_EQ(pressed, 0); // the key ran the button instead

    log.clear();
    form->KeyPreview = true;
    form->OnKeyDown = [](TObject*, std::uint16_t& key, TShiftState) {
        if (key == VK_RETURN) key = 0;
    };
    Type(edit, Qt::Key_Return, "\r");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(pressed, '\r'); // as before, zeroing in OnKeyDown leaves the character

    form->OnKeyDown = nullptr;
    edit->OnKeyDown = [](TObject*, std::uint16_t& key, TShiftState) {
        if (key == VK_ESCAPE) key = 0;
    };
    Type(edit, Qt::Key_Escape, "\x1b");
    EXPECT_TRUE(log.empty());

    // Hidden or disabled buttons do not count; a memo without WantReturns lets Enter through.
    ok->SetEnabled(false);
    cancel->SetVisible(false);
    edit->OnKeyDown = nullptr;
    Type(edit, Qt::Key_Return, "\r");
    Type(edit, Qt::Key_Escape, "\x1b");
    EXPECT_TRUE(log.empty());
    ok->SetEnabled(true);
    memo->SetWantReturns(false);
    memo->SetFocus();
    Type(memo, Qt::Key_Return, "\r");
    EXPECT_EQ(log, (Log{"OK"}));
    EXPECT_EQ(memo->Text(), "");
}

// ---------------------------------------------------------------------------
// Align, panels and splitters

using AlignTest = OnForm;

struct Box {
    int left, top, width, height;
    bool operator==(const Box&) const = default;
};
Box BoundsOf(const TControl* c) { return {c->Left(), c->Top(), c->Width(), c->Height()}; }
void PrintTo(const Box& b, std::ostream* os) { *os << b.left << "," << b.top << " " << b.width << "x" << b.height; }

TEST_F(AlignTest, DockedControlsShareTheParentAndFollowItsSize)
{
    auto* top = Make<TPanel>("Top");
    top->SetHeight(40);
    top->SetAlign(alTop);
    auto* bottom = Make<TPanel>("Bottom");
    bottom->SetHeight(30);
    bottom->SetAlign(alBottom);
    auto* left = Make<TPanel>("Left");
    left->SetWidth(100);
    left->SetAlign(alLeft);
    auto* splitter = Make<TSplitter>("Splitter");
    splitter->SetLeft(200); // right of the left panel
    auto* client = Make<TPanel>("Client");
    client->SetAlign(alClient);

    EXPECT_EQ(BoundsOf(top), (Box{0, 0, 400, 40}));
    EXPECT_EQ(BoundsOf(bottom), (Box{0, 270, 400, 30}));
    EXPECT_EQ(BoundsOf(left), (Box{0, 40, 100, 230}));
    EXPECT_EQ(BoundsOf(splitter), (Box{100, 40, 3, 230}));
    EXPECT_EQ(BoundsOf(client), (Box{103, 40, 297, 230}));

    form->SetBounds(0, 0, 500, 400);
    EXPECT_EQ(BoundsOf(bottom), (Box{0, 370, 500, 30}));
    EXPECT_EQ(BoundsOf(client), (Box{103, 40, 397, 330}));

    // Children of a panel share the area inside its bevel.
    auto* inner = Make<TPanel>("Inner", client);
    inner->SetAlign(alClient);
    EXPECT_EQ(BoundsOf(inner), (Box{1, 1, 395, 328}));

    top->SetVisible(false);
    EXPECT_EQ(BoundsOf(left), (Box{0, 0, 100, 370}));
    top->SetVisible(true);

    // The splitter resizes the left panel within MinSize of both sides.
    struct Move {
        int delta, moved, leftWidth;
    };
    const Move moves[] = {{50, 50, 150}, {-200, -120, 30}, {1000, 437, 467}};
    for (const Move& m : moves) {
        EXPECT_EQ(splitter->MoveSplitter(m.delta), m.moved) << m.delta;
        EXPECT_EQ(left->Width(), m.leftWidth) << m.delta;
        EXPECT_EQ(splitter->Left(), left->Width());
        EXPECT_EQ(client->Left(), left->Width() + 3);
    }
    EXPECT_EQ(client->Width(), 30);
    EXPECT_EQ(GetEnumProp(splitter, "Align"), "alLeft");

    // The user drags the splitter and resizes the window.
    form->Show();
    auto mouse = [&](QEvent::Type type, int globalX) {
        const QPointF global(globalX, 50), local(1, 1);
        QMouseEvent e(type, local, global, Qt::LeftButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(splitter->Widget(), &e);
    };
    int moved = 0;
    splitter->OnMoved = [&](TObject*) { ++moved; };
    mouse(QEvent::MouseButtonPress, 500);
    mouse(QEvent::MouseMove, 400);
    mouse(QEvent::MouseMove, 380);
    mouse(QEvent::MouseButtonRelease, 380);
    EXPECT_EQ(left->Width(), 347);
    EXPECT_EQ(moved, 1);
    form->Widget()->resize(600, 400);
    EXPECT_EQ(client->Width(), 600 - 347 - 3);
}

} // namespace

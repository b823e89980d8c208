// Attached labels: placement beside the bound control, one label per
// control, captions from the bound field.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/DBLabel.h"
#include "platform/data/DataSet.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

// A data source and a data-aware edit as far as the label looks at them:
// by their published properties.
class TTestDataSource : public TComponent {
    ORVANE_CLASS_INFO
public:
    using TComponent::TComponent;
    TObject* DataSet = nullptr;
};

const TClassInfo& TTestDataSource::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTestDataSource>("TTestDataSource", TComponent::StaticClass())
                                       .Field<TObject*>("DataSet", &TTestDataSource::DataSet)
                                       .Build();
    return info;
}

class TTestDBEdit : public TEdit {
    ORVANE_CLASS_INFO
public:
    using TEdit::TEdit;
    TComponent* DataSource = nullptr;
    std::string DataField;
};

const TClassInfo& TTestDBEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTestDBEdit>("TTestDBEdit", TEdit::StaticClass())
                                       .Field<TComponent*>("DataSource", &TTestDBEdit::DataSource)
                                       .Field<std::string>("DataField", &TTestDBEdit::DataField)
                                       .Build();
    return info;
}

// Publishes a data source but no field name.
class TSourceOnlyEdit : public TEdit {
    ORVANE_CLASS_INFO
public:
    using TEdit::TEdit;
    TComponent* DataSource = nullptr;
};

const TClassInfo& TSourceOnlyEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TSourceOnlyEdit>("TSourceOnlyEdit", TEdit::StaticClass())
                                       .Field<TComponent*>("DataSource", &TSourceOnlyEdit::DataSource)
                                       .Build();
    return info;
}

namespace {

class AttachedLabel : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(99, 21, 85, 21);
    }

    // A label of a fixed size, as a form layout gives it.
    TDBLabel* NewLabel(int width = 78, int height = 13, TWinControl* parent = nullptr)
    {
        auto* l = new TDBLabel(form.get());
        l->SetParent(parent ? parent : form.get());
        l->SetAutoSize(false);
        l->SetBounds(17, 0, width, height);
        return l;
    }

    static TPoint At(const TControl& c) { return TPoint{c.Left(), c.Top()}; }

    static int TextWidthOf(const TControl& c, const std::string& text)
    {
        TBitmap b(1, 1);
        b.Canvas()->Font()->Assign(*c.Font());
        return b.Canvas()->TextWidth(text);
    }

    TDialogRecorder dialogs;
    std::unique_ptr<TForm> form;
    TEdit* edit = nullptr;
};

TEST_F(AttachedLabel, ANewLabel)
{
    auto* l = new TDBLabel(form.get());
    l->SetParent(form.get());
    EXPECT_EQ(l->Caption(), "挂靠标签");
    EXPECT_EQ(l->Pos(), psLeft);
    EXPECT_EQ(l->Gap(), 4);
    EXPECT_TRUE(l->AutoAlign());
    EXPECT_TRUE(l->AutoCaption());
    EXPECT_TRUE(l->AutoSize());
    EXPECT_EQ(l->FocusControl(), nullptr);
    // Sized to its caption.
    EXPECT_EQ(l->Width(), TextWidthOf(*l, "挂靠标签"));
    EXPECT_GT(l->Width(), 0);
    EXPECT_GT(l->Height(), 0);
}

TEST_F(AttachedLabel, TheLabelTakesItsPlaceOnItsSideOfTheControl)
{
    struct Case {
        const char* what;
        TPos pos;
        int gap;
        TRect control;
        int labelWidth, labelHeight;
        TPoint expected;
    };
    const Case cases[] = {
        {"left, centred", psLeft, 4, Bounds(99, 21, 85, 21), 78, 13, {17, 25}},
        {"left, same height: same top", psLeft, 4, Bounds(50, 30, 80, 13), 40, 13, {6, 30}},
        {"left, same height keeps even a negative top", psLeft, 4, Bounds(50, -5, 80, 13), 40, 13, {6, -5}},
        {"left, halves rounded down", psLeft, 4, Bounds(50, 30, 80, 21), 40, 14, {6, 33}},
        {"left, taller label near the top: top 0", psLeft, 4, Bounds(50, 2, 80, 10), 40, 30, {6, 0}},
        {"left, control near the edge: left 0", psLeft, 4, Bounds(10, 30, 80, 21), 40, 13, {0, 34}},
        {"left, no gap", psLeft, 0, Bounds(99, 21, 85, 21), 78, 13, {21, 25}},
        {"left, widest gap", psLeft, 255, Bounds(400, 21, 85, 21), 78, 13, {67, 25}},
        {"right", psRight, 4, Bounds(99, 21, 85, 21), 78, 13, {188, 25}},
        {"right, taller label: top 0", psRight, 4, Bounds(99, 2, 85, 10), 40, 30, {188, 0}},
        {"right, control off the left edge: left 0", psRight, 4, Bounds(-100, 21, 50, 21), 40, 13, {0, 25}},
        {"top", psTop, 4, Bounds(99, 21, 85, 21), 78, 13, {99, 4}},
        {"top, no room above: top 0", psTop, 4, Bounds(99, 5, 85, 21), 78, 13, {99, 0}},
        {"top keeps the control's left even when negative", psTop, 4, Bounds(-5, 40, 85, 21), 78, 13, {-5, 23}},
        {"bottom", psBottom, 4, Bounds(99, 21, 85, 21), 78, 13, {99, 46}},
        {"bottom, gap 10", psBottom, 10, Bounds(99, 21, 85, 21), 78, 13, {99, 52}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        edit->SetBounds(c.control.Left, c.control.Top, c.control.Width(), c.control.Height());
        TDBLabel* l = NewLabel(c.labelWidth, c.labelHeight);
        l->SetPos(c.pos);
        l->SetGap(c.gap);
        l->SetFocusControl(edit);
        EXPECT_EQ(At(*l), c.expected);
        EXPECT_EQ(l->Width(), c.labelWidth);
        EXPECT_EQ(l->Height(), c.labelHeight);
        l->Free();
    }
}

TEST_F(AttachedLabel, AMovedControlIsFollowedWhenTheSettingsAreAssigned)
{
    TDBLabel* l = NewLabel();
    l->SetFocusControl(edit);
    ASSERT_EQ(At(*l), (TPoint{17, 25}));

    struct Step {
        const char* what;
        std::function<void()> act;
        TPoint expected;
    };
    const Step steps[] = {
        {"control moved and resized: the label stays", [&] { edit->SetBounds(150, 60, 85, 31); }, {17, 25}},
        {"AutoAlign assigned its value: placed", [&] { l->SetAutoAlign(true); }, {68, 69}},
        {"Pos assigned its value: nothing", [&] { l->SetLeft(0); l->SetPos(psLeft); }, {0, 69}},
        {"Gap assigned its value: nothing", [&] { l->SetGap(4); }, {0, 69}},
        {"AutoCaption assigned its value: placed", [&] { l->SetAutoCaption(true); }, {68, 69}},
        {"a new Pos: placed", [&] { l->SetPos(psBottom); }, {150, 95}},
        {"a new Gap: placed", [&] { l->SetGap(1); }, {150, 92}},
        {"AutoAlign off: stays", [&] { l->SetAutoAlign(false); l->SetPos(psTop); l->SetGap(9); }, {150, 92}},
        {"AutoAlign on: placed", [&] { l->SetAutoAlign(true); }, {150, 38}},
        {"unbound: stays", [&] { l->SetFocusControl(nullptr); edit->SetLeft(10); l->SetAutoAlign(true); },
         {150, 38}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(At(*l), s.expected);
    }
    EXPECT_EQ(l->FocusControl(), nullptr);
}

TEST_F(AttachedLabel, ASecondLabelForTheSameControlIsRefused)
{
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    TDBLabel* first = NewLabel();
    first->SetFocusControl(edit);
    TDBLabel* second = NewLabel();
    second->SetFocusControl(other);
    second->SetFocusControl(edit);
    ASSERT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(dialogs.Records()[0].Text, "不能同时有两个 DBLabel 指到同一个 Control.");
    EXPECT_EQ(dialogs.Records()[0].Type, mtError);
    EXPECT_EQ(dialogs.Records()[0].Buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(second->FocusControl(), other);

    // The label's own control again: nothing changes, no message.
    first->SetLeft(0);
    first->SetFocusControl(edit);
    EXPECT_EQ(first->Left(), 0);
    EXPECT_EQ(dialogs.Records().size(), 1u);
}

TEST_F(AttachedLabel, OnlyTheComponentsOfTheLabelsParentAreChecked)
{
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    TDBLabel* a = NewLabel(78, 13, panel);
    TDBLabel* b = NewLabel(78, 13, panel);
    a->SetFocusControl(edit);
    b->SetFocusControl(edit);
    EXPECT_EQ(b->FocusControl(), edit);
    EXPECT_TRUE(dialogs.Records().empty());

    a->SetParent(form.get());
    b->SetParent(form.get());
    TDBLabel* c = NewLabel();
    c->SetFocusControl(edit);
    EXPECT_EQ(c->FocusControl(), nullptr);
    EXPECT_EQ(dialogs.Records().size(), 2u);
}

TEST_F(AttachedLabel, AFreedControlIsForgotten)
{
    TDBLabel* l = NewLabel();
    l->SetFocusControl(edit);
    edit->Free();
    EXPECT_EQ(l->FocusControl(), nullptr);
    l->SetAutoAlign(true);
    EXPECT_EQ(At(*l), (TPoint{17, 25}));
}

TEST_F(AttachedLabel, AutoSizeFollowsTheCaptionAndTheFont)
{
    auto* l = new TDBLabel(form.get());
    l->SetParent(form.get());
    l->SetBounds(30, 40, 5, 5);
    l->SetCaption("制表日期");
    EXPECT_EQ(l->Width(), TextWidthOf(*l, "制表日期"));
    EXPECT_EQ(l->Left(), 30);
    EXPECT_EQ(l->Top(), 40);
    const int height = l->Height();

    SetStrProp(l, "Caption", "制表日期和时间");
    EXPECT_EQ(l->Width(), TextWidthOf(*l, "制表日期和时间"));
    l->Font()->SetHeight(-24);
    EXPECT_GT(l->Height(), height);
    EXPECT_EQ(l->Width(), TextWidthOf(*l, "制表日期和时间"));

    // Turned off, the size stays; turned on, it is taken at once.
    l->SetAutoSize(false);
    l->SetBounds(30, 40, 5, 5);
    l->SetCaption("x");
    EXPECT_EQ(l->Width(), 5);
    l->SetAutoSize(true);
    EXPECT_EQ(l->Width(), TextWidthOf(*l, "x"));
}

// ---------------------------------------------------------------------------
// Captions from the bound field

class FieldCaption : public AttachedLabel {
protected:
    void SetUp() override
    {
        AttachedLabel::SetUp();
        dataSet.AddField("CURR", TFieldType::ftString, 10)->SetDisplayLabel("币别");
        source = new TTestDataSource(form.get());
        source->DataSet = &dataSet;
        dbEdit = new TTestDBEdit(form.get());
        dbEdit->SetParent(form.get());
        dbEdit->SetBounds(120, 21, 85, 21);
        dbEdit->DataSource = source;
        dbEdit->DataField = "CURR";
    }

    TClientDataSet dataSet;
    TTestDataSource* source = nullptr;
    TTestDBEdit* dbEdit = nullptr;
};

TEST_F(FieldCaption, TheLabelShowsTheFieldsDisplayLabelAndSizesToIt)
{
    auto* l = new TDBLabel(form.get());
    l->SetParent(form.get());
    l->SetFocusControl(dbEdit);
    EXPECT_EQ(l->Caption(), "币别");
    EXPECT_EQ(l->Width(), TextWidthOf(*l, "币别"));
    // Placed with its new width.
    EXPECT_EQ(l->Left(), 120 - l->Width() - 4);

    // Without AutoCaption a caption of its own stays.
    l->SetAutoCaption(false);
    l->SetCaption("外币");
    l->SetAutoAlign(true);
    EXPECT_EQ(l->Caption(), "外币");
    l->SetAutoCaption(true);
    EXPECT_EQ(l->Caption(), "币别");
}

TEST_F(FieldCaption, AFieldThatCannotBeFoundLeavesTheCaption)
{
    auto* sourceOnly = new TSourceOnlyEdit(form.get());
    sourceOnly->SetParent(form.get());
    sourceOnly->DataSource = source;
    auto* emptySource = new TTestDataSource(form.get());
    auto* notADataSet = new TTestDataSource(form.get());
    notADataSet->DataSet = form.get();

    struct Case {
        const char* what;
        std::function<TWinControl*()> control;
    };
    const Case cases[] = {
        {"a plain edit", [&] { return edit; }},
        {"no data source", [&] { dbEdit->DataSource = nullptr; return dbEdit; }},
        {"a data source without a data set", [&] { dbEdit->DataSource = emptySource; return dbEdit; }},
        {"a data set of another kind", [&] { dbEdit->DataSource = notADataSet; return dbEdit; }},
        {"no such field", [&] { dbEdit->DataSource = source; dbEdit->DataField = "RATE"; return dbEdit; }},
        {"a data source but no field name", [&] { return sourceOnly; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDBLabel* l = NewLabel();
        l->SetCaption("外币代号");
        l->SetFocusControl(c.control());
        EXPECT_EQ(l->Caption(), "外币代号");
        EXPECT_EQ(l->FocusControl(), c.control());
        l->Free();
    }
    EXPECT_TRUE(dialogs.Records().empty());
}

// ---------------------------------------------------------------------------
// Published properties

TEST_F(AttachedLabel, PropertiesByName)
{
    TDBLabel* l = NewLabel();
    SetObjectProp(l, "FocusControl", edit);
    EXPECT_EQ(l->FocusControl(), edit);
    SetEnumProp(l, "Pos", "psRight");
    EXPECT_EQ(l->Pos(), psRight);
    EXPECT_EQ(At(*l), (TPoint{188, 25}));
    EXPECT_EQ(GetEnumProp(l, "Pos"), "psRight");
    SetOrdProp(l, "Gap", 0);
    EXPECT_EQ(l->Left(), 184);
    EXPECT_THROW(SetOrdProp(l, "Gap", 256), EPropertyError);
    EXPECT_THROW(SetOrdProp(l, "Pos", 4), EPropertyError);
    EXPECT_EQ(l->Pos(), psRight);
    EXPECT_EQ(GetEnumProp(l, "AutoAlign"), "True");
    EXPECT_EQ(GetEnumProp(l, "AutoCaption"), "True");
    SetEnumProp(l, "AutoSize", "True");
    EXPECT_TRUE(l->AutoSize());

    auto* button = new TLabel(form.get());
    EXPECT_THROW(SetObjectProp(l, "FocusControl", button), EPropertyError);
    EXPECT_EQ(l->FocusControl(), edit);
}

} // namespace

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

#include "UiTestSupport.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ComCtrls.h"

namespace {

using Log = std::vector<std::string>;
using Texts = std::vector<std::string>;

// A key to an item editor; the editor's delegate finishes the edit from the
// event loop.
void Key(QWidget* w, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    Application->ProcessMessages();
}

class OnForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
    }
    std::unique_ptr<TForm> form;
    Log log;
};

// ---------------------------------------------------------------------------
// List view

class ListViewTest : public OnForm {
protected:
    void SetUp() override
    {
        OnForm::SetUp();
        view = new TListView(form.get());
        view->SetParent(form.get());
        view->SetViewStyle(vsReport);
        for (const char* caption : {"Code", "Name", "Rate"}) view->Columns()->Add()->SetCaption(caption);
        view->Columns()->Items(1)->SetWidth(120);
        const Texts rows[] = {{"USD", "美元", "7.10"}, {"EUR", "欧元", "7.80"}, {"JPY", "日元"}};
        for (const Texts& r : rows) {
            TListItem* item = view->Items()->Add();
            item->SetCaption(r[0]);
            for (size_t i = 1; i < r.size(); ++i) item->SubItems()->Add(r[i]);
        }
        view->OnSelectItem = [this](TObject*, TListItem* item, bool selected) {
            log.push_back((selected ? "select " : "unselect ") + item->Caption());
        };
        form->Show();
    }
    QTreeWidget* Tree() const { return static_cast<QTreeWidget*>(view->Widget()); }
    Texts Row(int i) const
    {
        Texts out;
        for (int c = 0; c < Tree()->columnCount(); ++c) out.push_back(Tree()->topLevelItem(i)->text(c).toStdString());
        return out;
    }
    // The open in-place editor of a row (closed editors linger until deleted).
    QLineEdit* EditorOf(int row) const
    {
        return qobject_cast<QLineEdit*>(Tree()->indexWidget(Tree()->model()->index(row, 0)));
    }
    TListView* view = nullptr;
};

TEST_F(ListViewTest, ReportRowsShowCaptionsAndSubItems)
{
    EXPECT_EQ(Row(0), (Texts{"USD", "美元", "7.10"}));
    EXPECT_EQ(Row(2), (Texts{"JPY", "日元", ""}));
    EXPECT_EQ(Tree()->headerItem()->text(1), "Name");
    EXPECT_EQ(Tree()->columnWidth(1), 120);

    view->Items()->Item(2)->SubItems()->Add("0.05");
    view->Items()->Item(0)->SetCaption("US$");
    EXPECT_EQ(Row(2), (Texts{"JPY", "日元", "0.05"}));
    EXPECT_EQ(Row(0)[0], "US$");

    int marker = 7;
    TListItem* inserted = view->Items()->Insert(1);
    inserted->SetCaption("HKD");
    inserted->SetData(&marker);
    EXPECT_EQ(Row(1)[0], "HKD");
    EXPECT_EQ(view->Items()->Item(2)->Caption(), "EUR");
    EXPECT_EQ(view->Items()->Item(1)->Data(), &marker);
    view->Items()->Item(0)->Delete();
    EXPECT_EQ(Tree()->topLevelItemCount(), 3);
    EXPECT_EQ(Row(0)[0], "HKD");
    EXPECT_THROW(view->Items()->Item(3), EListError);
}

TEST_F(ListViewTest, SelectionFromCodeAndUserIsReported)
{
    TListItem* usd = view->Items()->Item(0);
    TListItem* eur = view->Items()->Item(1);
    view->SetSelected(usd);
    eur->SetSelected(true); // single-select: USD leaves first
    EXPECT_EQ(log, (Log{"select USD", "unselect USD", "select EUR"}));
    EXPECT_EQ(view->Selected(), eur);
    EXPECT_TRUE(Tree()->topLevelItem(1)->isSelected());

    log.clear();
    Tree()->setCurrentItem(Tree()->topLevelItem(2)); // as a click does
    EXPECT_EQ(log, (Log{"unselect EUR", "select JPY"}));
    EXPECT_EQ(view->Selected(), view->Items()->Item(2));
    EXPECT_EQ(view->ItemFocused(), view->Items()->Item(2));

    view->SetMultiSelect(true);
    usd->SetSelected(true);
    EXPECT_EQ(view->SelCount(), 2);
    log.clear();
    view->SetSelected(nullptr);
    EXPECT_EQ(view->SelCount(), 0);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ListViewTest, CaptionEditingGoesThroughOnEditingAndOnEdited)
{
    TListItem* eur = view->Items()->Item(1);
    bool allow = false;
    view->OnEditing = [&](TObject*, TListItem* item, bool& allowEdit) {
        log.push_back("editing " + item->Caption());
        allowEdit = allow;
    };
    view->OnEdited = [&](TObject*, TListItem* item, std::string& s) {
        log.push_back("edited " + item->Caption() + " -> " + s);
        s = Trim(s) + "!";
    };
    EXPECT_FALSE(eur->EditCaption());
    EXPECT_FALSE(view->IsEditing());

    // The user types into the editor and presses Enter.
    allow = true;
    ASSERT_TRUE(eur->EditCaption());
    EXPECT_TRUE(view->IsEditing());
    QLineEdit* editor = EditorOf(1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "EUR");
    editor->setText("  Euro ");
    Key(editor, Qt::Key_Return, "\r");
    EXPECT_EQ(eur->Caption(), "Euro!");
    EXPECT_EQ(Tree()->topLevelItem(1)->text(0).toStdString(), "Euro!");
    EXPECT_FALSE(view->IsEditing());
    EXPECT_EQ(log, (Log{"editing EUR", "editing EUR", "edited EUR ->   Euro "}));

    // Escape keeps the caption and runs no OnEdited.
    log.clear();
    ASSERT_TRUE(eur->EditCaption());
    editor = EditorOf(1);
    ASSERT_NE(editor, nullptr);
    editor->setText("dropped");
    Key(editor, Qt::Key_Escape, "\x1b");
    EXPECT_EQ(eur->Caption(), "Euro!");
    EXPECT_EQ(log, (Log{"editing Euro!"}));
    EXPECT_FALSE(view->IsEditing());
    EXPECT_EQ(EditorOf(1), nullptr);

    // The layer's own end of an edit, and read-only lists.
    ASSERT_TRUE(eur->EditCaption());
    view->EndEditCaption("EUR");
    EXPECT_EQ(eur->Caption(), "EUR!");
    EXPECT_EQ(EditorOf(1), nullptr);
    view->SetReadOnly(true);
    EXPECT_FALSE(eur->EditCaption());
}

// ---------------------------------------------------------------------------
// Page control

class PageControlTest : public OnForm {
protected:
    void SetUp() override
    {
        OnForm::SetUp();
        pages = new TPageControl(form.get());
        pages->SetParent(form.get());
        pages->SetAlign(alClient);
        for (const char* name : {"Basic", "System", "Periodic", "Extra"}) {
            auto* sheet = new TTabSheet(form.get());
            sheet->SetName(name);
            sheet->SetCaption(name);
            sheet->SetPageControl(pages);
        }
        pages->OnChanging = [this](TObject*, bool& allow) {
            log.push_back("changing from " + pages->ActivePage()->Name());
            allow = !refuse;
        };
        pages->OnChange = [this](TObject*) { log.push_back("change to " + pages->ActivePage()->Name()); };
        form->Show();
    }
    TTabSheet* Page(const char* name) const { return dynamic_cast<TTabSheet*>(form->FindComponent(name)); }
    QTabBar* Bar() const { return pages->Widget()->findChild<QTabBar*>(); }
    void ClickTab(int index)
    {
        const QPoint at = Bar()->tabRect(index).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, Bar()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(Bar(), &press);
    }
    TPageControl* pages = nullptr;
    bool refuse = false;
};

TEST_F(PageControlTest, FirstPageIsActiveAndOnlyTheActivePageIsVisible)
{
    EXPECT_EQ(pages->PageCount(), 4);
    EXPECT_EQ(pages->ActivePage(), Page("Basic"));
    pages->SetActivePageIndex(2); // from code: no events
    EXPECT_TRUE(log.empty());
    for (int i = 0; i < pages->PageCount(); ++i) EXPECT_EQ(pages->Pages(i)->Visible(), i == 2);
    EXPECT_EQ(Bar()->currentIndex(), 2);
    EXPECT_EQ(Page("System")->Width(), pages->Width());
}

TEST_F(PageControlTest, OnChangingCanRefuseATabClick)
{
    refuse = true;
    ClickTab(1);
    EXPECT_EQ(pages->ActivePage(), Page("Basic"));
    EXPECT_EQ(Bar()->currentIndex(), 0);
    refuse = false;
    ClickTab(1);
    EXPECT_EQ(pages->ActivePage(), Page("System"));
    EXPECT_EQ(log, (Log{"changing from Basic", "changing from Basic", "change to System"}));
}

TEST_F(PageControlTest, SelectNextPageSkipsHiddenTabsAndWraps)
{
    Page("Periodic")->SetTabVisible(false);
    EXPECT_EQ(Bar()->count(), 3);
    EXPECT_EQ(pages->TabSheetOfTab(2), Page("Extra"));
    EXPECT_EQ(Page("Periodic")->PageIndex(), 2); // still a page
    struct Step {
        bool forward;
        const char* to;
    };
    const Step steps[] = {{true, "System"}, {true, "Extra"}, {true, "Basic"}, {false, "Extra"}, {false, "System"}};
    for (const Step& s : steps) {
        pages->SelectNextPage(s.forward);
        EXPECT_EQ(pages->ActivePage()->Name(), s.to) << s.forward;
    }
    EXPECT_EQ(log.size(), 10u);

    refuse = true;
    pages->SelectNextPage(true);
    EXPECT_EQ(pages->ActivePage(), Page("System"));
    EXPECT_EQ(pages->FindNextPage(Page("System"), true, false), Page("Periodic"));
    pages->SetActivePage(Page("Periodic")); // code may show a page without a tab
    EXPECT_TRUE(Page("Periodic")->Visible());
}

TEST_F(PageControlTest, FreeingTheActivePageActivatesItsNeighbourAndFocusLeavesHiddenPages)
{
    auto* edit = new TEdit(form.get());
    edit->SetParent(Page("Basic"));
    edit->SetFocus();
    pages->SetActivePage(Page("System"));
    EXPECT_EQ(form->ActiveControl(), pages);
    delete Page("System");
    EXPECT_EQ(pages->ActivePage(), Page("Periodic"));
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_TRUE(log.empty());
}

TEST(PageControlFreeing, ContainersFreedBeforeTheirPagesAndButtons)
{
    // Pages and buttons made before their container: the container goes first
    // when the form frees its components newest first.
    auto form = std::make_unique<TForm>(nullptr);
    auto* sheet = new TTabSheet(form.get());
    auto* button = new TToolButton(form.get());
    auto* pages = new TPageControl(form.get());
    auto* bar = new TToolBar(form.get());
    pages->SetParent(form.get());
    bar->SetParent(form.get());
    sheet->SetParent(pages); // the parent makes it a page
    button->SetParent(bar);
    EXPECT_EQ(pages->ActivePage(), sheet);
    EXPECT_EQ(bar->Buttons(0), button);
    form->Show();
    form.reset();
    SUCCEED();
}

// ---------------------------------------------------------------------------
// Tool bar

TEST(ToolBar, CheckButtonsAndGroups)
{
    TForm form(nullptr);
    auto* bar = new TToolBar(&form);
    bar->SetParent(&form);
    Log log;
    auto add = [&](const char* caption, TToolButtonStyle style, bool grouped) {
        auto* b = new TToolButton(&form);
        b->SetCaption(caption);
        b->SetStyle(style);
        b->SetGrouped(grouped);
        b->SetParent(bar);
        b->OnClick = [&log, b](TObject*) { log.push_back(b->Caption()); };
        return b;
    };
    TToolButton* run = add("Run", tbsButton, false);
    TToolButton* sep = add("", tbsSeparator, false);
    TToolButton* day = add("Day", tbsCheck, true);
    TToolButton* month = add("Month", tbsCheck, true);
    TToolButton* bold = add("Bold", tbsCheck, false);
    form.Show();
    EXPECT_EQ(bar->ButtonCount(), 5);
    EXPECT_EQ(sep->Left(), 23);
    EXPECT_EQ(day->Left(), 31);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(bar->Width(), form.Width());

    auto click = [](TToolButton* b) { static_cast<QToolButton*>(b->Widget())->click(); };
    click(run);
    click(day);
    click(month);
    click(month); // the last one down of a group stays down
    click(bold);
    click(bold);
    EXPECT_EQ(log, (Log{"Run", "Day", "Month", "Month", "Bold", "Bold"}));
    EXPECT_FALSE(run->Down());
    EXPECT_FALSE(day->Down());
    EXPECT_TRUE(month->Down());
    EXPECT_FALSE(bold->Down());
    day->SetDown(true);
    EXPECT_FALSE(month->Down());
    month->SetAllowAllUp(true);
    day->SetAllowAllUp(true);
    click(day);
    EXPECT_FALSE(day->Down() || month->Down());
    delete month;
    EXPECT_EQ(bar->ButtonCount(), 4);
    EXPECT_EQ(bold->Left(), 54);
}

} // namespace

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <memory>

#include "UiTestSupport.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"

namespace {

using Log = std::vector<std::string>;

// ---------------------------------------------------------------------------
// Popup menus

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = std::make_unique<TComponent>(nullptr);
        menu = new TPopupMenu(owner.get());
        // Two radio groups, a separator and a plain item.
        for (const auto& [caption, group] : std::vector<std::pair<const char*, int>>{
                 {"Daily", 1}, {"Weekly", 1}, {"Monthly", 1}, {"-", 0}, {"Asc", 2}, {"Desc", 2}, {"Refresh", 0}}) {
            auto* item = new TMenuItem(owner.get());
            item->SetCaption(caption);
            item->SetGroupIndex(std::uint8_t(group));
            item->SetRadioItem(group != 0);
            item->SetAutoCheck(group != 0);
            item->OnClick = [this, item](TObject*) { log.push_back(item->Caption()); };
            menu->Items()->Add(item);
        }
    }
    TMenuItem* Item(const char* caption) const { return menu->Items()->Find(caption); }
    Log Checked() const
    {
        Log out;
        for (int i = 0; i < menu->Items()->Count(); ++i)
            if (menu->Items()->Items(i)->Checked()) out.push_back(menu->Items()->Items(i)->Caption());
        return out;
    }
    std::unique_ptr<TComponent> owner;
    TPopupMenu* menu = nullptr;
    Log log;
};

TEST_F(PopupMenuTest, CheckingARadioItemUnchecksItsGroupOnly)
{
    Item("Daily")->SetChecked(true);
    Item("Desc")->SetChecked(true);
    Item("Monthly")->SetChecked(true);
    EXPECT_EQ(Checked(), (Log{"Monthly", "Desc"}));
    Item("Weekly")->Click();
    Item("Asc")->Click();
    EXPECT_EQ(Checked(), (Log{"Weekly", "Asc"}));
    Item("Asc")->Click(); // clicking a checked radio item keeps it checked
    EXPECT_EQ(Checked(), (Log{"Weekly", "Asc"}));
    Item("Refresh")->SetEnabled(false);
    Item("Refresh")->Click(); // disabled: nothing
    EXPECT_EQ(log, (Log{"Weekly", "Asc", "Asc"}));
    EXPECT_EQ(Item("&Weekly"), Item("weekly"));
}

TEST_F(PopupMenuTest, PopupShowsTheVisibleItemsAndRunsTheChosenOne)
{
    int popups = 0;
    menu->OnPopup = [&](TObject*) {
        ++popups;
        Item("Daily")->SetVisible(false); // handlers adjust the items before they show
    };
    Item("Monthly")->SetChecked(true);
    menu->Popup(10, 10);
    EXPECT_EQ(popups, 1);
    ASSERT_NE(menu->Menu(), nullptr);
    EXPECT_TRUE(menu->IsPoppedUp());
    const QList<QAction*> actions = menu->Menu()->actions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_TRUE(actions[1]->isChecked()); // Monthly
    actions[0]->trigger(); // the user chooses "Weekly"
    EXPECT_EQ(log, (Log{"Weekly"}));
    EXPECT_EQ(Checked(), (Log{"Weekly"}));

    // An item freed while the menu is open is not run.
    QAction* refresh = actions[5];
    delete Item("Refresh");
    refresh->trigger();
    EXPECT_EQ(log, (Log{"Weekly"}));
    menu->CloseMenu();
    EXPECT_FALSE(menu->IsPoppedUp());
}

TEST(MenuItem, TreeOwnershipAndRemoval)
{
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* root = new TMenuItem(owner.get());
    auto* file = new TMenuItem(owner.get());
    auto* open = new TMenuItem(owner.get());
    root->Add(file);
    file->Add(open);
    EXPECT_THROW(open->Add(root), EInvalidOperation);
    EXPECT_EQ(open->Parent(), file);
    delete open; // freed by its owner's code: leaves the tree
    EXPECT_EQ(file->Count(), 0);
    auto* close = new TMenuItem(owner.get());
    file->Add(close);
    delete file; // a parent frees its children, which leave their owner
    EXPECT_EQ(root->Count(), 0);
    EXPECT_EQ(owner->ComponentCount(), 1);
}

// ---------------------------------------------------------------------------
// String grid

class StringGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        grid = new TStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetColCount(3);
        grid->SetRowCount(4);
        form->Show();
    }
    QTableWidget* Table() const { return static_cast<QTableWidget*>(grid->Widget()); }
    std::unique_ptr<TForm> form;
    TStringGrid* grid = nullptr;
};

TEST_F(StringGridTest, CellsKeepTheirTextsAcrossResizing)
{
    grid->SetCells(0, 0, "币别");
    grid->SetCells(2, 3, "7.10");
    TObject marker;
    grid->SetObjects(1, 2, &marker);
    EXPECT_EQ(Table()->item(3, 2)->text().toStdString(), "7.10");
    grid->SetColCount(5);
    grid->SetRowCount(6);
    EXPECT_EQ(grid->Cells(2, 3), "7.10");
    EXPECT_EQ(grid->Objects(1, 2), &marker);
    EXPECT_EQ(grid->Rows(0), (std::vector<std::string>{"币别", "", "", "", ""}));
    grid->SetColWidths(1, 90);
    EXPECT_EQ(Table()->columnWidth(1), 90);
    EXPECT_EQ(grid->ColWidths(4), 64);
    grid->SetColCount(2);
    EXPECT_THROW(grid->Cells(2, 3), EInvalidGridOperation);
    EXPECT_THROW(grid->SetFixedCols(2), EInvalidGridOperation);
    EXPECT_EQ(GetSetProp(grid, "Options"), "[goFixedVertLine,goFixedHorzLine,goVertLine,goHorzLine,goRangeSelect]");
}

TEST_F(StringGridTest, OnSelectCellCanRefuseMovesFromCodeAndUser)
{
    std::vector<std::pair<int, int>> asked;
    grid->OnSelectCell = [&](TObject*, int col, int row, bool& canSelect) {
        asked.emplace_back(col, row);
        canSelect = row != 2;
    };
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    struct Move {
        int col, row;
        bool moved;
    };
    const Move moves[] = {{2, 1, true}, {2, 2, false}, {1, 3, true}};
    for (const Move& m : moves) {
        EXPECT_EQ(grid->FocusCell(m.col, m.row), m.moved);
        EXPECT_EQ(grid->Col() == m.col && grid->Row() == m.row, m.moved);
    }
    EXPECT_THROW(grid->SetCol(0), EInvalidGridOperation); // a fixed column

    // The user: a refused cell and a fixed cell leave the current cell where it was.
    Table()->setCurrentCell(2, 2);
    Table()->setCurrentCell(0, 0);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(Table()->currentRow(), 3);
    Table()->setCurrentCell(1, 2);
    EXPECT_EQ(grid->Row(), 1);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 1}, {2, 2}, {1, 3}, {2, 2}, {2, 1}}));
}

TEST_F(StringGridTest, EditsNeedGoEditingAndPassOnSetEditText)
{
    Log log;
    grid->OnSetEditText = [&](TObject*, int col, int row, const std::string& v) {
        log.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + v);
    };
    grid->UserEdited(1, 1, "ignored");
    EXPECT_EQ(grid->Cells(1, 1), "");
    SetSetProp(grid, "Options", "[goEditing,goVertLine]");
    grid->UserEdited(1, 1, "7.8");
    grid->UserEdited(0, 1, "fixed"); // fixed cells are not edited
    EXPECT_EQ(grid->Cells(1, 1), "7.8");
    EXPECT_EQ(grid->Cells(0, 1), "");
    EXPECT_EQ(log, (Log{"1,1=7.8"}));
    EXPECT_TRUE(Table()->item(1, 1)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(Table()->item(0, 1)->flags() & Qt::ItemIsEditable);
}

} // namespace

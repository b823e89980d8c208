#include "platform/ui/Grids.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <algorithm>

#include "platform/ui/ControlSignals.h"
#include "platform/ui/QtBridge.h"

// The grid's widget: a finished edit is reported to the layer instead of
// being written into the table.
class TGridWidget : public QTableWidget {
public:
    explicit TGridWidget(TStringGrid* grid) : FGrid(grid) {}

protected:
    void commitData(QWidget* editor) override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        const QModelIndex index = currentIndex();
        if (!edit || !index.isValid()) return;
        const std::string text = FromQString(edit->text());
        RunFromWidget(FGrid, [&] { FGrid->UserEdited(index.column(), index.row(), text); });
    }

private:
    TStringGrid* FGrid;
};

const TClassInfo& TStringGrid::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TStringGrid>("TStringGrid", TWinControl::StaticClass())
            .Prop<int>("ColCount", &TStringGrid::ColCount, &TStringGrid::SetColCount)
            .Prop<int>("DefaultColWidth", &TStringGrid::DefaultColWidth, &TStringGrid::SetDefaultColWidth)
            .Prop<int>("DefaultRowHeight", &TStringGrid::DefaultRowHeight, &TStringGrid::SetDefaultRowHeight)
            .Prop<TColor>("FixedColor", &TStringGrid::FixedColor, &TStringGrid::SetFixedColor)
            .Prop<int>("FixedCols", &TStringGrid::FixedCols, &TStringGrid::SetFixedCols)
            .Prop<int>("FixedRows", &TStringGrid::FixedRows, &TStringGrid::SetFixedRows)
            .SetProp<TGridOptions>("Options", &TStringGrid::Options, &TStringGrid::SetOptions,
                                   {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
                                    "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving",
                                    "goEditing", "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"})
            .Prop<int>("RowCount", &TStringGrid::RowCount, &TStringGrid::SetRowCount)
            .Field("OnSelectCell", &TStringGrid::OnSelectCell)
            .Field("OnSetEditText", &TStringGrid::OnSetEditText)
            .Build();
    return info;
}

TStringGrid::TStringGrid(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new TGridWidget(this);
    w->horizontalHeader()->hide(); // fixed rows and columns are ordinary cells here
    w->verticalHeader()->hide();
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
    QObject::connect(w, &QTableWidget::currentCellChanged, w, [this](int row, int col) {
        if (FSyncing) return;
        RunFromWidget(this, [&] { UserMovedTo(col, row); });
    });
    Resize();
    ShowOptions();
}

TStringGrid::~TStringGrid()
{
    BeginDestroy();
    DestroyWidget();
}

void TStringGrid::CheckCell(int col, int row) const
{
    if (col < 0 || col >= FColCount || row < 0 || row >= FRowCount)
        throw EInvalidGridOperation("Grid index out of range");
}

void TStringGrid::Resize()
{
    FCells.resize(FRowCount);
    for (auto& r : FCells) r.resize(FColCount);
    FColWidths.resize(FColCount, FDefaultColWidth);
    FRowHeights.resize(FRowCount, FDefaultRowHeight);
    // The current cell stays inside the scrolling part.
    FCol = std::clamp(FCol, FFixedCols, FColCount - 1);
    FRow = std::clamp(FRow, FFixedRows, FRowCount - 1);
    ShowAll();
}

void TStringGrid::SetColCount(int v)
{
    v = std::max(v, 1);
    if (v <= FFixedCols) FFixedCols = v - 1;
    FColCount = v;
    Resize();
}

void TStringGrid::SetRowCount(int v)
{
    v = std::max(v, 1);
    if (v <= FFixedRows) FFixedRows = v - 1;
    FRowCount = v;
    Resize();
}

void TStringGrid::SetFixedCols(int v)
{
    if (v < 0 || v >= FColCount) throw EInvalidGridOperation("Fixed column count must be less than column count");
    FFixedCols = v;
    Resize();
}

void TStringGrid::SetFixedRows(int v)
{
    if (v < 0 || v >= FRowCount) throw EInvalidGridOperation("Fixed row count must be less than row count");
    FFixedRows = v;
    Resize();
}

void TStringGrid::SetDefaultColWidth(int v)
{
    FDefaultColWidth = std::max(0, v);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    ShowAll();
}

void TStringGrid::SetDefaultRowHeight(int v)
{
    FDefaultRowHeight = std::max(0, v);
    std::fill(FRowHeights.begin(), FRowHeights.end(), FDefaultRowHeight);
    ShowAll();
}

int TStringGrid::ColWidths(int col) const
{
    CheckCell(col, 0);
    return FColWidths[col];
}

void TStringGrid::SetColWidths(int col, int width)
{
    CheckCell(col, 0);
    FColWidths[col] = std::max(0, width);
    TSyncGuard guard(FSyncing);
    static_cast<QTableWidget*>(Widget())->setColumnWidth(col, FColWidths[col]);
}

int TStringGrid::RowHeights(int row) const
{
    CheckCell(0, row);
    return FRowHeights[row];
}

void TStringGrid::SetRowHeights(int row, int height)
{
    CheckCell(0, row);
    FRowHeights[row] = std::max(0, height);
    TSyncGuard guard(FSyncing);
    static_cast<QTableWidget*>(Widget())->setRowHeight(row, FRowHeights[row]);
}

void TStringGrid::SetOptions(TGridOptions v)
{
    FOptions = v;
    ShowOptions();
}

void TStringGrid::SetFixedColor(TColor v)
{
    FFixedColor = v;
    ShowAll();
}

std::string TStringGrid::Cells(int col, int row) const
{
    CheckCell(col, row);
    return FCells[row][col].Text;
}

void TStringGrid::SetCells(int col, int row, const std::string& v)
{
    CheckCell(col, row);
    FCells[row][col].Text = v;
    ShowCell(col, row);
}

TObject* TStringGrid::Objects(int col, int row) const
{
    CheckCell(col, row);
    return FCells[row][col].Object;
}

void TStringGrid::SetObjects(int col, int row, TObject* v)
{
    CheckCell(col, row);
    FCells[row][col].Object = v;
}

std::vector<std::string> TStringGrid::Cols(int col) const
{
    CheckCell(col, 0);
    std::vector<std::string> out;
    for (const auto& r : FCells) out.push_back(r[col].Text);
    return out;
}

std::vector<std::string> TStringGrid::Rows(int row) const
{
    CheckCell(0, row);
    std::vector<std::string> out;
    for (const auto& c : FCells[row]) out.push_back(c.Text);
    return out;
}

bool TStringGrid::FocusCell(int col, int row)
{
    if (col < FFixedCols || col >= FColCount || row < FFixedRows || row >= FRowCount)
        throw EInvalidGridOperation("Grid index out of range");
    if (col == FCol && row == FRow) return true;
    bool canSelect = true;
    OnSelectCell(this, col, row, canSelect);
    if (canSelect) {
        FCol = col;
        FRow = row;
    }
    ShowCurrent();
    return canSelect;
}

void TStringGrid::UserMovedTo(int col, int row)
{
    // A fixed cell or a refused cell: the widget goes back to the current one.
    if (col < FFixedCols || col >= FColCount || row < FFixedRows || row >= FRowCount) {
        ShowCurrent();
        return;
    }
    try {
        FocusCell(col, row);
    } catch (...) {
        ShowCurrent();
        throw;
    }
}

void TStringGrid::UserEdited(int col, int row, const std::string& text)
{
    if (!(FOptions & GridOption(goEditing)) || col < FFixedCols || row < FFixedRows) return;
    CheckCell(col, row);
    OnSetEditText(this, col, row, text);
    SetCells(col, row, text);
}

void TStringGrid::ShowCell(int col, int row)
{
    auto* w = static_cast<QTableWidget*>(Widget());
    if (!w) return;
    TSyncGuard guard(FSyncing);
    QTableWidgetItem* item = w->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        w->setItem(row, col, item);
    }
    item->setText(ToQString(FCells[row][col].Text));
    const bool fixed = col < FFixedCols || row < FFixedRows;
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (!fixed) {
        flags |= Qt::ItemIsSelectable;
        if (FOptions & GridOption(goEditing)) flags |= Qt::ItemIsEditable;
    }
    item->setFlags(flags);
    if (fixed) item->setBackground(ToQColor(FFixedColor));
    else item->setData(Qt::BackgroundRole, QVariant());
}

void TStringGrid::ShowAll()
{
    auto* w = static_cast<QTableWidget*>(Widget());
    if (!w) return;
    {
        TSyncGuard guard(FSyncing);
        w->setColumnCount(FColCount);
        w->setRowCount(FRowCount);
        for (int c = 0; c < FColCount; ++c) w->setColumnWidth(c, FColWidths[c]);
        for (int r = 0; r < FRowCount; ++r) w->setRowHeight(r, FRowHeights[r]);
    }
    for (int r = 0; r < FRowCount; ++r)
        for (int c = 0; c < FColCount; ++c) ShowCell(c, r);
    ShowCurrent();
}

void TStringGrid::ShowCurrent()
{
    auto* w = static_cast<QTableWidget*>(Widget());
    if (!w) return;
    TSyncGuard guard(FSyncing);
    w->setCurrentCell(FRow, FCol);
}

void TStringGrid::ShowOptions()
{
    auto* w = static_cast<QTableWidget*>(Widget());
    TSyncGuard guard(FSyncing);
    w->setShowGrid(FOptions & (GridOption(goVertLine) | GridOption(goHorzLine)));
    w->setSelectionBehavior(FOptions & GridOption(goRowSelect) ? QAbstractItemView::SelectRows
                                                              : QAbstractItemView::SelectItems);
    w->setEditTriggers(FOptions & GridOption(goEditing)
                           ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed
                           : QAbstractItemView::NoEditTriggers);
    w->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ShowAll();
}

void TStringGrid::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

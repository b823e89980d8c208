#pragma once
// TStringGrid: a grid of texts with fixed (heading) rows and columns. The
// cells, sizes and the current cell are kept here; Qt's table shows them and
// reports clicks, cursor moves and edits.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/StdCtrls.h"

ORVANE_EXCEPTION_CLASS(EInvalidGridOperation, EPlatformError);

enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goRowSizing,
    goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = std::uint16_t;
constexpr TGridOptions GridOption(TGridOption o) { return TGridOptions(1u << o); }

using TSelectCellEvent = TEvent<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TSetEditEvent = TEvent<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;

class TGridWidget;

class TStringGrid : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;

    int ColCount() const { return FColCount; }
    void SetColCount(int v);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int v);
    // Fixed columns and rows must leave at least one scrolling column or row.
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int v);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int v);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int v);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int v);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions v);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor v);

    // Cells by column, then row; out of range raises EInvalidGridOperation.
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& v);
    TObject* Objects(int col, int row) const;
    void SetObjects(int col, int row, TObject* v);
    // All texts of a column or a row.
    std::vector<std::string> Cols(int col) const;
    std::vector<std::string> Rows(int row) const;

    // The current cell. Moving it, from code or by the user, asks
    // OnSelectCell first; a refused move keeps the current cell.
    int Col() const { return FCol; }
    void SetCol(int v) { FocusCell(v, FRow); }
    int Row() const { return FRow; }
    void SetRow(int v) { FocusCell(FCol, v); }
    bool FocusCell(int col, int row);

    // An edit the user finished (with goEditing): OnSetEditText, then the cell.
    void UserEdited(int col, int row, const std::string& text);

    TSelectCellEvent OnSelectCell;
    TSetEditEvent OnSetEditText;

protected:
    bool ClicksFromMouse() const override { return false; }
    void ApplyColor() override;

private:
    friend class TGridWidget;
    void CheckCell(int col, int row) const;
    void Resize();
    void ShowAll();
    void ShowCell(int col, int row);
    void ShowCurrent();
    void ShowOptions();
    void UserMovedTo(int col, int row);

    int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
    int FDefaultColWidth = 64, FDefaultRowHeight = 24;
    std::vector<int> FColWidths, FRowHeights;
    struct TCell {
        std::string Text;
        TObject* Object = nullptr;
    };
    std::vector<std::vector<TCell>> FCells; // [row][col]
    int FCol = 1, FRow = 1;
    TGridOptions FOptions = GridOption(goFixedVertLine) | GridOption(goFixedHorzLine) | GridOption(goVertLine) |
                            GridOption(goHorzLine) | GridOption(goRangeSelect);
    TColor FFixedColor = clBtnFace;
    int FSyncing = 0;
};

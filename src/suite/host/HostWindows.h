#pragma once
// The host's own windows, opened for a module through the quick-pick
// service: the pick list (rows of a table, one or several to choose) and
// the date picker. Both are ordinary forms of the platform layer; the host
// runs them modally, or in its automation mode hands them to the script,
// which answers them with Answer() instead of a user.
#include <string>
#include <vector>

#include "platform/core/Variant.h"
#include "platform/ui/Forms.h"

class TButton;
class TEdit;
class TLabel;
class TListView;

// A list of rows with column captions, OK and Cancel. Several rows may be
// picked when MultiSelect. The row whose first column equals the default
// key is selected when the window opens (else the first row).
class TPickListForm : public TForm {
public:
    TPickListForm(TComponent* AOwner, const std::string& caption, const std::vector<std::string>& columns,
                  const Variant& rows, bool multiSelect, const std::string& defaultKey);

    const std::string& Table() const { return FTable; }
    void SetTable(const std::string& table) { FTable = table; }
    const std::vector<std::string>& Columns() const { return FColumns; }
    // The rows shown, each an array of the column values.
    const std::vector<Variant>& Rows() const { return FRows; }
    bool MultiSelect() const { return FMultiSelect; }
    // Indexes of the selected rows, in list order.
    std::vector<int> SelectedRows() const;
    // The selected rows as an array (indexed from 0) of row arrays;
    // unassigned when nothing is selected.
    Variant PickedRows() const;

    // An answer of the automation mode: "Cancel", "OK" (the current
    // selection) or row indexes from 0 separated by "," (several only with
    // MultiSelect). Sets the modal result; raises EInvalidOperation for an
    // answer naming rows that do not exist.
    TModalResult Answer(const std::string& answer);

    TListView* lvRows = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

private:
    std::string FTable;
    std::vector<std::string> FColumns;
    std::vector<Variant> FRows;
    bool FMultiSelect = false;
};

// A date picker: the date in an edit (YYYYMMDD), buttons for the day and
// month before and after and for today, OK and Cancel. With RocYears the
// caption line also shows the year counted from 1912 (the company writes
// dates that way).
class TDatePickForm : public TForm {
public:
    TDatePickForm(TComponent* AOwner, const std::string& startDate, bool rocYears);

    // The edit's date when it is a valid YYYYMMDD, else "".
    std::string Date() const;
    void SetDate(const std::string& yyyymmdd);
    const std::string& StartDate() const { return FStart; }
    bool RocYears() const { return FRocYears; }

    // An answer of the automation mode: "Cancel", "OK" (the date shown) or
    // a date YYYYMMDD. Raises EInvalidOperation for anything else.
    TModalResult Answer(const std::string& answer);

    TLabel* lblDate = nullptr;
    TEdit* edDate = nullptr;
    TButton* btnOK = nullptr;
    TButton* btnCancel = nullptr;

private:
    void Shift(int days, int months);
    void ShowLabel();
    std::string FStart;
    bool FRocYears = false;
};

// True for an eight-digit YYYYMMDD text naming a real date from 17530101 to
// 99991231.
bool IsStorageDate(const std::string& text);
// Today as YYYYMMDD.
std::string TodayText();

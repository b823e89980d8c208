#include "suite/host/HostWindows.h"

#include <algorithm>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/LibStrs.h"

namespace {

constexpr int Margin = 8, ButtonWidth = 75, ButtonHeight = 25;

TButton* AddButton(TForm* form, const char* name, const std::string& caption, TModalResult result, int left, int top)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(form);
    button->SetCaption(caption);
    button->SetModalResult(result);
    button->SetBounds(left, top, ButtonWidth, ButtonHeight);
    return button;
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

} // namespace

bool IsStorageDate(const std::string& text) { return IsValidDate8(text); }

std::string TodayText() { return FormatDateTime("yyyymmdd", Date()); }

// Pick list ------------------------------------------------------------------

TPickListForm::TPickListForm(TComponent* AOwner, const std::string& caption, const std::vector<std::string>& columns,
                             const Variant& rows, bool multiSelect, const std::string& defaultKey)
    : TForm(AOwner), FColumns(columns), FMultiSelect(multiSelect)
{
    SetName("frmHostPickList");
    SetCaption(caption);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 520, 360);

    lvRows = new TListView(this);
    lvRows->SetName("lvRows");
    lvRows->SetParent(this);
    lvRows->SetBounds(Margin, Margin, 520 - 2 * Margin, 360 - 3 * Margin - ButtonHeight);
    lvRows->SetViewStyle(vsReport);
    lvRows->SetRowSelect(true);
    lvRows->SetReadOnly(true);
    lvRows->SetMultiSelect(multiSelect);
    for (const std::string& c : columns) {
        TListColumn* column = lvRows->Columns()->Add();
        column->SetCaption(c);
        column->SetWidth(110);
    }
    if (VarIsArray(rows) && VarArrayDimCount(rows) == 1) {
        for (int r = VarArrayLowBound(rows, 1); r <= VarArrayHighBound(rows, 1); ++r) FRows.push_back(rows[r]);
    }
    lvRows->Items()->BeginUpdate();
    TListItem* preselect = nullptr;
    for (const Variant& row : FRows) {
        TListItem* item = lvRows->Items()->Add();
        if (VarIsArray(row)) {
            const int low = VarArrayLowBound(row, 1);
            for (int k = low; k <= VarArrayHighBound(row, 1); ++k) {
                const std::string text = VarToStr(row[k]);
                if (k == low) item->SetCaption(text);
                else item->SubItems()->Add(text);
            }
        } else {
            item->SetCaption(VarToStr(row));
        }
        if (!preselect && !defaultKey.empty() && item->Caption() == defaultKey) preselect = item;
    }
    lvRows->Items()->EndUpdate();
    if (!preselect && lvRows->Items()->Count() > 0) preselect = lvRows->Items()->Item(0);
    if (preselect) {
        lvRows->SetSelected(preselect);
        lvRows->SetItemFocused(preselect);
    }

    const int top = 360 - Margin - ButtonHeight;
    btnOK = AddButton(this, "btnOK", "OK", mrOk, 520 - 2 * (ButtonWidth + Margin), top);
    btnOK->SetDefault(true);
    btnCancel = AddButton(this, "btnCancel", "Cancel", mrCancel, 520 - (ButtonWidth + Margin), top);
    btnCancel->SetCancel(true);
    DoCreate();
}

std::vector<int> TPickListForm::SelectedRows() const
{
    std::vector<int> picked;
    for (int i = 0; i < lvRows->Items()->Count(); ++i)
        if (lvRows->Items()->Item(i)->Selected()) picked.push_back(i);
    return picked;
}

Variant TPickListForm::PickedRows() const
{
    const std::vector<int> picked = SelectedRows();
    if (picked.empty()) return Variant();
    Variant result = VarArrayCreate({0, static_cast<int>(picked.size()) - 1});
    for (std::size_t i = 0; i < picked.size(); ++i) {
        const Variant& row = FRows[static_cast<std::size_t>(picked[i])];
        result[static_cast<int>(i)] = VarIsArray(row) ? row : VarArrayOf({row});
    }
    return result;
}

TModalResult TPickListForm::Answer(const std::string& answer)
{
    const std::string a = Trim(answer);
    if (SameText(a, "Cancel")) {
        SetModalResult(mrCancel);
        return mrCancel;
    }
    if (!SameText(a, "OK")) {
        std::vector<int> rows;
        for (const std::string& part : SplitList(a)) {
            const auto index = TryStrToInt(part);
            if (!index || *index < 0 || *index >= lvRows->Items()->Count())
                throw EInvalidOperation("The pick list has no row \"" + part + "\" (rows 0 to " +
                                        std::to_string(lvRows->Items()->Count() - 1) + ")");
            rows.push_back(*index);
        }
        if (rows.size() > 1 && !FMultiSelect) throw EInvalidOperation("This pick list takes one row only");
        lvRows->ClearSelection();
        for (int r : rows) lvRows->Items()->Item(r)->SetSelected(true);
    }
    const TModalResult result = SelectedRows().empty() ? mrCancel : mrOk;
    SetModalResult(result);
    return result;
}

// Date picker ----------------------------------------------------------------

TDatePickForm::TDatePickForm(TComponent* AOwner, const std::string& startDate, bool rocYears)
    : TForm(AOwner), FStart(IsStorageDate(Trim(startDate)) ? Trim(startDate) : TodayText()), FRocYears(rocYears)
{
    SetName("frmHostDatePick");
    SetCaption("Date");
    SetPosition(poScreenCenter);
    const int width = 4 * (ButtonWidth + Margin) + Margin;
    SetBounds(0, 0, width, 4 * Margin + 3 * ButtonHeight + 20);

    lblDate = new TLabel(this);
    lblDate->SetName("lblDate");
    lblDate->SetParent(this);
    lblDate->SetBounds(Margin, Margin, width - 2 * Margin, 20);

    int top = 2 * Margin + 20;
    auto* prevMonth = AddButton(this, "btnPrevMonth", "<<", mrNone, Margin, top);
    auto* prevDay = AddButton(this, "btnPrevDay", "<", mrNone, Margin + (ButtonWidth + Margin), top);
    auto* nextDay = AddButton(this, "btnNextDay", ">", mrNone, Margin + 2 * (ButtonWidth + Margin), top);
    auto* nextMonth = AddButton(this, "btnNextMonth", ">>", mrNone, Margin + 3 * (ButtonWidth + Margin), top);
    prevMonth->OnClick = [this](TObject*) { Shift(0, -1); };
    prevDay->OnClick = [this](TObject*) { Shift(-1, 0); };
    nextDay->OnClick = [this](TObject*) { Shift(1, 0); };
    nextMonth->OnClick = [this](TObject*) { Shift(0, 1); };

    top += ButtonHeight + Margin;
    edDate = new TEdit(this);
    edDate->SetName("edDate");
    edDate->SetParent(this);
    edDate->SetBounds(Margin, top, 2 * ButtonWidth + Margin, ButtonHeight);
    edDate->SetText(FStart);
    edDate->OnChange = [this](TObject*) { ShowLabel(); };
    auto* today = AddButton(this, "btnToday", "Today", mrNone, Margin + 2 * (ButtonWidth + Margin), top);
    today->OnClick = [this](TObject*) { SetDate(TodayText()); };

    top += ButtonHeight + Margin;
    btnOK = AddButton(this, "btnOK", "OK", mrOk, Margin + 2 * (ButtonWidth + Margin), top);
    btnOK->SetDefault(true);
    btnCancel = AddButton(this, "btnCancel", "Cancel", mrCancel, Margin + 3 * (ButtonWidth + Margin), top);
    btnCancel->SetCancel(true);
    ShowLabel();
    SetActiveControl(edDate);
    DoCreate();
}

std::string TDatePickForm::Date() const
{
    const std::string text = Trim(edDate->Text());
    return IsStorageDate(text) ? text : std::string();
}

void TDatePickForm::SetDate(const std::string& yyyymmdd) { edDate->SetText(yyyymmdd); }

void TDatePickForm::Shift(int days, int months)
{
    const std::string from = Date().empty() ? FStart : Date();
    std::string moved = months != 0 ? ShiftDate8(Variant(from), "M", months) : ShiftDate8(Variant(from), "D", days);
    if (IsStorageDate(moved)) SetDate(moved);
}

void TDatePickForm::ShowLabel()
{
    const std::string d = Date();
    if (d.empty()) {
        lblDate->SetCaption("?");
        return;
    }
    std::string text = d.substr(0, 4) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2);
    if (FRocYears) {
        const int roc = std::stoi(d.substr(0, 4)) - 1911;
        if (roc > 0) text += "  (" + std::to_string(roc) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2) + ")";
    }
    lblDate->SetCaption(text);
}

TModalResult TDatePickForm::Answer(const std::string& answer)
{
    const std::string a = Trim(answer);
    if (SameText(a, "Cancel")) {
        SetModalResult(mrCancel);
        return mrCancel;
    }
    if (!SameText(a, "OK")) {
        if (!IsStorageDate(a)) throw EInvalidOperation("\"" + a + "\" is no date YYYYMMDD");
        SetDate(a);
    }
    const TModalResult result = Date().empty() ? mrCancel : mrOk;
    SetModalResult(result);
    return result;
}

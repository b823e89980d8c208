#pragma once
// Standard controls: push button, edits, label, check and radio buttons,
// group box, memo, combo box and list box, and TStrings, the string list
// that list-like controls publish ("Items", "Lines") and keep their widget
// in step with.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/StringList.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Border of a window: controls use bsNone and bsSingle, forms the others.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// A string list that is a published object and reports every change made
// through it: to the control that owns it (a hook told what changed) and to
// OnChange. Reading works as on TStringList; changes go only through the
// members here, so no change can bypass the control. List() gives the plain
// list for copying elsewhere.
class TStrings : public TObject, private TStringList {
    ORVANE_CLASS_INFO
public:
    enum class TChange { Insert, Delete, Put, Reset };
    using TChangeHook = std::function<void(TChange kind, int index)>;

    TStrings() = default;
    explicit TStrings(TChangeHook hook) : FHook(std::move(hook)) {}
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;

    using TStringList::CaseSensitive;
    using TStringList::CommaText;
    using TStringList::Count;
    using TStringList::DelimitedText;
    using TStringList::IndexOf;
    using TStringList::IndexOfName;
    using TStringList::Names;
    using TStringList::Objects;
    using TStringList::operator[];
    using TStringList::Sorted;
    using TStringList::Strings;
    using TStringList::Text;
    using TStringList::ToVector;
    using TStringList::ValueFromIndex;
    using TStringList::Values;
    using TStringList::Delimiter;
    using TStringList::Duplicates;
    using TStringList::QuoteChar;
    const TStringList& List() const { return *this; }

    void Put(int index, std::string s);
    void PutObject(int index, TObject* obj);
    int Add(std::string s);
    int AddObject(std::string s, TObject* obj);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Clear();
    void Assign(const TStringList& other);
    void Assign(const TStrings& other) { Assign(other.List()); }
    void AddStrings(const TStringList& other);
    void SetText(std::string_view text);
    void SetCommaText(std::string_view text);
    void SetDelimitedText(std::string_view text);
    void SetValue(std::string_view name, const std::string& value);
    void SetSorted(bool value);
    void Sort();
    void SetCaseSensitive(bool value);

    // Changes between BeginUpdate and the last EndUpdate are reported once,
    // as a reset, when the last EndUpdate runs.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

    TNotifyEvent OnChange;

private:
    friend class TMemo;
    void Changed(TChange kind, int index);
    // Replaces the lines without telling the hook (the widget already shows them).
    void Reload(std::string_view text);

    TChangeHook FHook;
    int FUpdateCount = 0;
    bool FPending = false;
};

class TButton : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TButton(TComponent* AOwner);

    std::string Caption() const;
    void SetCaption(const std::string& v);
    // Clicking gives the parent form this modal result (when not mrNone).
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v) { FCancel = v; }

    void Click() override;

protected:
    bool ClicksFromMouse() const override { return false; }

private:
    TModalResult FModalResult = mrNone;
    bool FDefault = false;
    bool FCancel = false;
};

class TEdit : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TEdit(TComponent* AOwner);

    // Virtual: edits with a mask or a number keep their own value.
    virtual std::string Text() const;
    virtual void SetText(const std::string& v);
    // 0 means no limit; counted in characters.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool ReadOnly() const;
    void SetReadOnly(bool v);

    // Runs whenever the text changes, from the user or from code.
    TNotifyEvent OnChange;

protected:
    void ApplyColor() override;
    virtual void Change() { OnChange(this); }

private:
    int FMaxLength = 0;
};

class TLabel : public TControl {
    ORVANE_CLASS_INFO
public:
    explicit TLabel(TComponent* AOwner);

    std::string Caption() const;
    void SetCaption(const std::string& v);
    bool WordWrap() const;
    void SetWordWrap(bool v);
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box. The state is kept here: a user click moves it on (unchecked
// → grayed when AllowGrayed → checked → unchecked) and the widget only shows
// it. OnClick runs whenever the state changes, from code or from the user.
class TCheckBox : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TCheckBox(TComponent* AOwner);

    std::string Caption() const;
    void SetCaption(const std::string& v);
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState v);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool v) { FAllowGrayed = v; }
    // taRightJustify (the default) puts the caption right of the box.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);

    // What a user click does.
    virtual void Toggle();

protected:
    bool ClicksFromMouse() const override { return false; }

private:
    void ShowState();
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

// A radio button. Checking one (from code or by a click) unchecks the other
// radio buttons with the same parent; OnClick runs when it becomes checked.
class TRadioButton : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TRadioButton(TComponent* AOwner);

    std::string Caption() const;
    void SetCaption(const std::string& v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);

protected:
    bool ClicksFromMouse() const override { return false; }

private:
    void ShowState();
    bool FChecked = false;
};

// A frame with a caption that holds other controls.
class TGroupBox : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TGroupBox(TComponent* AOwner);
    ~TGroupBox() override;

    std::string Caption() const;
    void SetCaption(const std::string& v);

protected:
    void AdjustClientRect(int& left, int& top, int& width, int& height) const override;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A multi-line edit. Lines and the widget's text are kept equal both ways:
// a change through Lines rewrites the widget, typing re-reads Lines. Text is
// the whole text with CR LF between lines (and after the last one when the
// lines end with an empty line, as Lines.Text).
class TMemo : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;

    TStrings* Lines() const { return &FLines; }
    void SetLines(TStrings* v);
    std::string Text() const;
    void SetText(const std::string& v);
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    // The most characters the user can type; 0 means no limit. Code may set longer texts.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v) { FMaxLength = v < 0 ? 0 : v; }
    // Enter types a line break (otherwise it goes to the form's Default button).
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool v) { FWantReturns = v; }

    // Runs whenever the text changes, from the user or from code.
    TNotifyEvent OnChange;

protected:
    void ApplyColor() override;

private:
    void LinesChanged();
    void WidgetChanged(int position, int added);
    mutable TStrings FLines;
    bool FWordWrap = true;
    TScrollStyle FScrollBars = ssNone;
    int FMaxLength = 0;
    bool FWantReturns = true;
    int FSyncing = 0;
    int FChangePosition = 0, FChangeAdded = 0;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A combo box. Items and ItemIndex are kept here. In the drop-down list
// styles (csDropDownList and the owner-draw ones) Text is the selected item
// ("" with none) and setting Text selects the item of that text; in the
// edit styles Text is free and ItemIndex follows the item equal to it (-1
// for none). A user selection runs OnClick, then OnSelect (OnChange when no
// OnSelect is assigned); user typing runs OnChange. Changes from code run
// no event.
class TComboBox : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    TStrings* Items() const { return &FItems; }
    void SetItems(TStrings* v);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v); // out of range selects nothing
    std::string Text() const;
    void SetText(const std::string& v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool Sorted() const { return FItems.Sorted(); }
    void SetSorted(bool v) { FItems.SetSorted(v); }
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v);
    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    bool IsListStyle() const
    {
        return FStyle == csDropDownList || FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable;
    }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

    // The user picked the item (the widget's list reports it; tests call it).
    void UserSelect(int index);

protected:
    bool ClicksFromMouse() const override { return false; }
    void ApplyColor() override;

private:
    friend class TComboWidget;
    void ItemsChanged(TStrings::TChange kind, int index);
    void ShowItems();
    void ShowSelection();
    void UserEdited(const std::string& text);

    mutable TStrings FItems;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1;
    std::string FEditText;
    int FMaxLength = 0;
    int FDropDownCount = 8;
    int FSyncing = 0;
};

// A list box: Items, the current item, and with MultiSelect any number of
// selected items. OnClick runs when the user changes the selection.
class TListBox : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;

    TStrings* Items() const { return &FItems; }
    void SetItems(TStrings* v);
    int ItemIndex() const;
    // The current item. Single-select: setting it selects that item alone
    // (out of range selects nothing); MultiSelect: it only moves the caret.
    void SetItemIndex(int v);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool Selected(int index) const; // raises EListError out of range
    void SetSelected(int index, bool v);
    int SelCount() const;
    void ClearSelection();
    bool Sorted() const { return FItems.Sorted(); }
    void SetSorted(bool v) { FItems.SetSorted(v); }

protected:
    bool ClicksFromMouse() const override { return false; }
    void ApplyColor() override;

private:
    void ItemsChanged(TStrings::TChange kind, int index);
    mutable TStrings FItems;
    bool FMultiSelect = false;
    int FSyncing = 0;
};

#pragma once
// Common controls: list view, page control with tab sheets, tool bar with
// tool buttons. The layer keeps the items, pages and buttons and their
// states; the Qt widgets show them and report clicks and edits.
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/StdCtrls.h"

class TListView;
class TListItems;

// An image list is accepted by its component; drawing its images is the
// image list's business.
using TCustomImageList = TComponent;

// ---------------------------------------------------------------------------
// List view

class TListColumn : public TObject {
    ORVANE_CLASS_INFO
public:
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    int Index() const;

private:
    friend class TListColumns;
    explicit TListColumn(TListView* view) : FView(view) {}
    TListView* FView;
    std::string FCaption;
    int FWidth = 50;
};

class TListColumns : public TObject {
    ORVANE_CLASS_INFO
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TListColumn* Items(int index) const; // raises EListError out of range
    TListColumn* operator[](int index) const { return Items(index); }
    TListColumn* Add();
    void Delete(int index);
    void Clear();

private:
    friend class TListView;
    friend class TListColumn;
    explicit TListColumns(TListView* view) : FView(view) {}
    TListView* FView;
    std::vector<std::unique_ptr<TListColumn>> FItems;
};

enum TItemChange { ctText, ctImage, ctState };

class TListItem : public TObject {
    ORVANE_CLASS_INFO
public:
    ~TListItem() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    // Texts of columns 1, 2, ... in report view.
    TStrings* SubItems() const { return FSubItems.get(); }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    void* Data() const { return FData; }
    void SetData(void* v) { FData = v; }
    bool Selected() const { return FSelected; }
    void SetSelected(bool v);
    bool Focused() const;
    void SetFocused(bool v);
    int Index() const;
    TListItems* Owner() const { return FOwner; }
    TListView* ListView() const;
    // Frees the item (it leaves its list first).
    void Delete();
    // Starts in-place editing of the caption; false when refused.
    bool EditCaption();

private:
    friend class TListItems;
    friend class TListView;
    explicit TListItem(TListItems* owner);
    TListItems* FOwner;
    std::string FCaption;
    std::unique_ptr<TStrings> FSubItems;
    int FImageIndex = -1;
    void* FData = nullptr;
    bool FSelected = false;
};

class TListItems : public TObject {
    ORVANE_CLASS_INFO
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    TListItem* Item(int index) const; // raises EListError out of range
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add();
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TListItem* item) const;
    TListView* Owner() const { return FView; }
    // Many changes shown at once when the last EndUpdate runs.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TListView;
    friend class TListItem;
    explicit TListItems(TListView* view) : FView(view) {}
    TListView* FView;
    std::vector<std::unique_ptr<TListItem>> FItems;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

using TLVChangeEvent = TEvent<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVEditingEvent = TEvent<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = TEvent<void(TObject* Sender, TListItem* Item, std::string& S)>;
using TLVSelectItemEvent = TEvent<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TListViewWidget;
class TListViewportFilter;

// A list of items with a caption, sub-items (report view columns), an image
// index and a data pointer. Selection lives in the items; every change of
// it, from code or from the user, runs OnChange (ctState) and OnSelectItem.
// Captions are edited in place through EditCaption (or F2): OnEditing may
// refuse, OnEdited sees the typed text and may change it before it is kept.
class TListView : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TListView(TComponent* AOwner);
    ~TListView() override;

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle v);
    TListColumns* Columns() const { return FColumns.get(); }
    TListItems* Items() const { return FItems.get(); }
    // The first selected item; setting it selects the item (alone unless
    // MultiSelect), nullptr clears the selection.
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int SelCount() const;
    void ClearSelection();
    TListItem* ItemFocused() const { return FItemFocused; }
    void SetItemFocused(TListItem* item);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool v);
    TCustomImageList* LargeImages() const { return FLargeImages; }
    void SetLargeImages(TCustomImageList* v);
    TCustomImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* v);

    bool IsEditing() const { return FEditing != nullptr; }
    // Ends the edit in progress as the user's editor does: the text goes
    // through OnEdited, or with cancel nothing changes.
    void EndEditCaption(const std::string& text, bool cancel = false);

    TLVChangeEvent OnChange;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;
    TLVSelectItemEvent OnSelectItem;

protected:
    bool ClicksFromMouse() const override { return false; }
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void Notification(TComponent* component, TOperation operation) override;
    void ApplyColor() override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    friend class TListColumns;
    friend class TListViewWidget;
    void ShowColumns();
    void ShowItem(int index);
    void ShowAll();
    void ShowSelection();
    void ItemInserted(int index);
    void ItemRemoving(TListItem* item);
    void SelectionChanged(TListItem* item, bool selected);
    void UserSelectionChanged();
    bool BeginEdit(TListItem* item);
    void EditCommitted(const std::string& text);

    std::unique_ptr<TListColumns> FColumns;
    std::unique_ptr<TListItems> FItems;
    std::unique_ptr<TListViewportFilter> FViewportFilter;
    TViewStyle FViewStyle = vsIcon;
    TListItem* FItemFocused = nullptr;
    TListItem* FEditing = nullptr;
    bool FMultiSelect = false;
    bool FReadOnly = false;
    bool FRowSelect = false;
    TCustomImageList* FLargeImages = nullptr;
    TCustomImageList* FSmallImages = nullptr;
    int FUpdateCount = 0;
    int FSyncing = 0;
};

// ---------------------------------------------------------------------------
// Page control

class TPageControl;
class TTabBarFilter;

// A page of a page control. A sheet with TabVisible off has no tab but stays
// a page (code can still make it active).
class TTabSheet : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    TPageControl* PageControl() const { return FPageControl; }
    void SetPageControl(TPageControl* v);
    // Making the page control the parent does the same.
    void SetParent(TWinControl* parent) override;
    int PageIndex() const;
    void SetPageIndex(int v);
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    std::string FCaption;
    bool FTabVisible = true;
    int FImageIndex = -1;
};

using TTabChangingEvent = TEvent<void(TObject* Sender, bool& AllowChange)>;

// Pages with a row of tabs. ActivePage from code changes the page without
// events; a tab click or SelectNextPage asks OnChanging first (refusing keeps
// the page) and runs OnChange after.
class TPageControl : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int index) const; // raises EListError out of range
    TTabSheet* ActivePage() const { return FActivePage; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    // The page after (or before) `current`, wrapping, skipping pages without
    // a tab when checkTabVisible; nullptr when there is none.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward, bool checkTabVisible = true);
    // The sheet under the tab with that index among the visible tabs.
    TTabSheet* TabSheetOfTab(int tabIndex) const;
    int TabCount() const;
    // What a click on a tab does.
    void UserSelectTab(int tabIndex);

    void SetBounds(int left, int top, int width, int height) override;

    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    void AdjustClientRect(int& left, int& top, int& width, int& height) const override;

private:
    friend class TTabSheet;
    friend class TTabBarFilter;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    // Asks OnChanging, changes the page, runs OnChange; false when refused.
    bool ChangeByUser(TTabSheet* page);
    void ShowTabs();
    void LayoutPages();
    int TabHeight() const;

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    QWidget* FTabBar = nullptr; // a child of the widget, freed with it
    std::unique_ptr<TTabBarFilter> FTabFilter;
    int FSyncing = 0;
};

// ---------------------------------------------------------------------------
// Tool bar

class TToolBar;
enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar. A tbsCheck button stays down when clicked and up
// at the next click; Grouped check buttons next to each other act as one
// group where one at most is down (and one always, unless AllowAllUp).
class TToolButton : public TControl {
    ORVANE_CLASS_INFO
public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v) { FImageIndex = v; }
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle v);
    bool Down() const { return FDown; }
    void SetDown(bool v);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool v) { FGrouped = v; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v) { FAllowAllUp = v; }
    TToolBar* ToolBar() const { return FToolBar; }
    int Index() const;
    void SetParent(TWinControl* parent) override;

    // What a user click does: steps a check button, then runs OnClick.
    void UserClick();

protected:
    bool ClicksFromMouse() const override { return false; }

private:
    friend class TToolBar;
    std::vector<TToolButton*> Group();
    TToolBar* FToolBar = nullptr;
    void ShowState();
    std::string FCaption;
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FDown = false;
    bool FGrouped = false;
    bool FAllowAllUp = false;
};

// A row of tool buttons laid out left to right in their order.
class TToolBar : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int index) const; // raises EListError out of range
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int v);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int v);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool v);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TToolButton;
    void InsertButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    void LayoutButtons();

    std::vector<TToolButton*> FButtons;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FShowCaptions = false;
    TCustomImageList* FImages = nullptr;
};

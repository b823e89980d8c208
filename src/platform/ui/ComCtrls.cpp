#include "platform/ui/ComCtrls.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "platform/ui/ControlSignals.h"
#include "platform/ui/QtBridge.h"

namespace {

[[noreturn]] void IndexError(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

// ---------------------------------------------------------------------------
// Widgets

// The list view's widget. Its in-place editor reports the typed caption to
// the layer instead of writing it into the item; the layer decides.
class TListViewWidget : public QTreeWidget {
public:
    explicit TListViewWidget(TListView* view) : FView(view) {}

    void CloseEditorOf(QTreeWidgetItem* item)
    {
        if (QWidget* editor = indexWidget(indexFromItem(item, 0))) closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    QLineEdit* EditorOf(QTreeWidgetItem* item) const
    {
        return qobject_cast<QLineEdit*>(indexWidget(indexFromItem(item, 0)));
    }

protected:
    void commitData(QWidget* editor) override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit) return;
        const std::string text = FromQString(edit->text());
        RunFromWidget(FView, [&] { FView->EditCommitted(text); });
    }
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTreeWidget::closeEditor(editor, hint);
        if (!FView->Destroying()) FView->FEditing = nullptr;
    }

private:
    TListView* FView;
};

// Clicks on the list's viewport (where Qt delivers them) become the
// control's OnClick and OnDblClick.
class TListViewportFilter : public QObject {
public:
    explicit TListViewportFilter(TListView* view) : FView(view) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            RunFromWidget(FView, [this] { FView->Click(); });
        else if (event->type() == QEvent::MouseButtonDblClick)
            RunFromWidget(FView, [this] { FView->OnDblClick(FView); });
        return false;
    }

private:
    TListView* FView;
};

// A press on a tab is reported to the page control, which decides whether
// the page changes; the tab bar never changes its current tab by itself.
class TTabBarFilter : public QObject {
public:
    explicit TTabBarFilter(TPageControl* control) : FControl(control) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) return true;
            const int tab = static_cast<QTabBar*>(FControl->FTabBar)->tabAt(me->position().toPoint());
            if (tab >= 0) RunFromWidget(FControl, [&] { FControl->UserSelectTab(tab); });
            return true;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress: return true;
        default: return false;
        }
    }

private:
    TPageControl* FControl;
};

// ---------------------------------------------------------------------------
// TListColumn, TListColumns

const TClassInfo& TListColumn::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TListColumn>("TListColumn", TObject::StaticClass())
                                       .Prop<std::string>("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
                                       .Prop<int>("Width", &TListColumn::Width, &TListColumn::SetWidth)
                                       .Build();
    return info;
}

void TListColumn::SetCaption(const std::string& v)
{
    FCaption = v;
    FView->ShowColumns();
}

void TListColumn::SetWidth(int v)
{
    FWidth = std::max(0, v);
    FView->ShowColumns();
}

int TListColumn::Index() const
{
    const auto& list = FView->FColumns->FItems;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == this) return int(i);
    return -1;
}

const TClassInfo& TListColumns::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TListColumns>("TListColumns", TObject::StaticClass()).Build();
    return info;
}

TListColumn* TListColumns::Items(int index) const
{
    if (index < 0 || index >= Count()) IndexError(index);
    return FItems[index].get();
}

TListColumn* TListColumns::Add()
{
    FItems.push_back(std::unique_ptr<TListColumn>(new TListColumn(FView)));
    FView->ShowColumns();
    return FItems.back().get();
}

void TListColumns::Delete(int index)
{
    if (index < 0 || index >= Count()) IndexError(index);
    FItems.erase(FItems.begin() + index);
    FView->ShowColumns();
}

void TListColumns::Clear()
{
    FItems.clear();
    FView->ShowColumns();
}

// ---------------------------------------------------------------------------
// TListItem, TListItems

const TClassInfo& TListItem::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TListItem>("TListItem", TObject::StaticClass())
                                       .Prop<std::string>("Caption", &TListItem::Caption, &TListItem::SetCaption)
                                       .Prop<int>("ImageIndex", &TListItem::ImageIndex, &TListItem::SetImageIndex)
                                       .Prop<bool>("Selected", &TListItem::Selected, &TListItem::SetSelected)
                                       .Prop<TStrings*>("SubItems", &TListItem::SubItems, nullptr)
                                       .Build();
    return info;
}

TListItem::TListItem(TListItems* owner) : FOwner(owner)
{
    FSubItems = std::make_unique<TStrings>([this](TStrings::TChange, int) {
        if (TListView* view = ListView()) {
            view->ShowItem(Index());
            view->OnChange(view, this, ctText);
        }
    });
}

TListItem::~TListItem() = default;

TListView* TListItem::ListView() const { return FOwner ? FOwner->FView : nullptr; }

int TListItem::Index() const { return FOwner ? FOwner->IndexOf(this) : -1; }

void TListItem::SetCaption(const std::string& v)
{
    if (v == FCaption) return;
    FCaption = v;
    if (TListView* view = ListView()) {
        view->ShowItem(Index());
        view->OnChange(view, this, ctText);
    }
}

void TListItem::SetImageIndex(int v)
{
    if (v == FImageIndex) return;
    FImageIndex = v;
    if (TListView* view = ListView()) view->OnChange(view, this, ctImage);
}

void TListItem::SetSelected(bool v)
{
    if (v == FSelected) return;
    TListView* view = ListView();
    if (view && v && !view->FMultiSelect)
        for (auto& other : FOwner->FItems)
            if (other.get() != this) other->SetSelected(false);
    FSelected = v;
    if (!view) return;
    view->ShowSelection();
    view->SelectionChanged(this, v);
}

bool TListItem::Focused() const
{
    const TListView* view = ListView();
    return view && view->FItemFocused == this;
}

void TListItem::SetFocused(bool v)
{
    TListView* view = ListView();
    if (!view) return;
    if (v) view->SetItemFocused(this);
    else if (view->FItemFocused == this) view->SetItemFocused(nullptr);
}

void TListItem::Delete() { FOwner->Delete(Index()); }

bool TListItem::EditCaption()
{
    TListView* view = ListView();
    return view && view->BeginEdit(this);
}

const TClassInfo& TListItems::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TListItems>("TListItems", TObject::StaticClass()).Build();
    return info;
}

TListItem* TListItems::Item(int index) const
{
    if (index < 0 || index >= Count()) IndexError(index);
    return FItems[index].get();
}

TListItem* TListItems::Add() { return Insert(Count()); }

TListItem* TListItems::Insert(int index)
{
    if (index < 0 || index > Count()) IndexError(index);
    FItems.insert(FItems.begin() + index, std::unique_ptr<TListItem>(new TListItem(this)));
    FView->ItemInserted(index);
    return FItems[index].get();
}

void TListItems::Delete(int index)
{
    if (index < 0 || index >= Count()) IndexError(index);
    FView->ItemRemoving(FItems[index].get());
    std::unique_ptr<TListItem> gone = std::move(FItems[index]);
    FItems.erase(FItems.begin() + index);
}

void TListItems::Clear()
{
    while (!FItems.empty()) Delete(Count() - 1);
}

int TListItems::IndexOf(const TListItem* item) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item) return int(i);
    return -1;
}

void TListItems::BeginUpdate()
{
    if (FView->FUpdateCount++ == 0) FView->Widget()->setUpdatesEnabled(false);
}

void TListItems::EndUpdate()
{
    if (FView->FUpdateCount > 0 && --FView->FUpdateCount == 0) FView->Widget()->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------------------
// TListView

const TClassInfo& TListView::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TListView>("TListView", TWinControl::StaticClass())
            .Prop<TListColumns*>("Columns", &TListView::Columns, nullptr)
            .Prop<TListItems*>("Items", &TListView::Items, nullptr)
            .Prop<TCustomImageList*>("LargeImages", &TListView::LargeImages, &TListView::SetLargeImages)
            .Prop<bool>("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect)
            .Prop<bool>("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly)
            .Prop<bool>("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect)
            .Prop<TCustomImageList*>("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages)
            .Prop<TViewStyle>("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle,
                              {"vsIcon", "vsSmallIcon", "vsList", "vsReport"})
            .Field("OnChange", &TListView::OnChange)
            .Field("OnEdited", &TListView::OnEdited)
            .Field("OnEditing", &TListView::OnEditing)
            .Field("OnSelectItem", &TListView::OnSelectItem)
            .Build();
    return info;
}

TListView::TListView(TComponent* AOwner)
    : TWinControl(AOwner, TNoWidget{}), FColumns(new TListColumns(this)), FItems(new TListItems(this)),
      FViewportFilter(std::make_unique<TListViewportFilter>(this))
{
    auto* w = new TListViewWidget(this);
    w->setRootIsDecorated(false);
    w->setItemsExpandable(false);
    w->setUniformRowHeights(true);
    w->setEditTriggers(QAbstractItemView::NoEditTriggers); // editing starts from the layer
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    w->setSelectionBehavior(QAbstractItemView::SelectRows);
    w->viewport()->installEventFilter(FViewportFilter.get());
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 250, 150);
    QObject::connect(w, &QTreeWidget::itemSelectionChanged, w, [this] {
        if (FSyncing) return;
        RunFromWidget(this, [this] { UserSelectionChanged(); });
    });
    QObject::connect(w, &QTreeWidget::currentItemChanged, w, [this, w](QTreeWidgetItem* current) {
        if (FSyncing || Destroying()) return;
        const int index = current ? w->indexOfTopLevelItem(current) : -1;
        FItemFocused = index >= 0 && index < FItems->Count() ? FItems->Item(index) : nullptr;
    });
    ShowColumns();
}

TListView::~TListView()
{
    BeginDestroy();
    DestroyWidget(); // before the items its signals refer to
}

void TListView::SetViewStyle(TViewStyle v)
{
    FViewStyle = v;
    ShowColumns();
}

void TListView::ShowColumns()
{
    auto* w = static_cast<QTreeWidget*>(Widget());
    if (!w) return;
    {
        TSyncGuard guard(FSyncing);
        const bool report = FViewStyle == vsReport;
        const int count = std::max(1, FColumns->Count());
        w->setColumnCount(count);
        QStringList labels;
        for (int i = 0; i < FColumns->Count(); ++i) labels << ToQString(FColumns->Items(i)->Caption());
        w->setHeaderLabels(labels);
        w->setHeaderHidden(!report);
        for (int i = 0; i < count; ++i) {
            if (i < FColumns->Count()) w->setColumnWidth(i, FColumns->Items(i)->Width());
            w->setColumnHidden(i, !report && i > 0);
        }
    }
    ShowAll();
}

void TListView::ShowItem(int index)
{
    auto* w = static_cast<QTreeWidget*>(Widget());
    QTreeWidgetItem* qi = w ? w->topLevelItem(index) : nullptr;
    if (!qi) return;
    TSyncGuard guard(FSyncing);
    const TListItem* item = FItems->Item(index);
    qi->setText(0, ToQString(item->FCaption));
    for (int c = 1; c < w->columnCount(); ++c)
        qi->setText(c, c - 1 < item->FSubItems->Count() ? ToQString((*item->FSubItems)[c - 1]) : QString());
    qi->setSelected(item->FSelected);
}

void TListView::ShowAll()
{
    for (int i = 0; i < FItems->Count(); ++i) ShowItem(i);
}

void TListView::ShowSelection()
{
    auto* w = static_cast<QTreeWidget*>(Widget());
    TSyncGuard guard(FSyncing);
    for (int i = 0; i < FItems->Count(); ++i)
        if (QTreeWidgetItem* qi = w->topLevelItem(i)) qi->setSelected(FItems->Item(i)->FSelected);
}

void TListView::ItemInserted(int index)
{
    auto* w = static_cast<QTreeWidget*>(Widget());
    {
        TSyncGuard guard(FSyncing);
        auto* qi = new QTreeWidgetItem;
        qi->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
        w->insertTopLevelItem(index, qi);
    }
    ShowItem(index);
}

void TListView::ItemRemoving(TListItem* item)
{
    if (FItemFocused == item) FItemFocused = nullptr;
    if (FEditing == item) FEditing = nullptr;
    auto* w = static_cast<QTreeWidget*>(Widget());
    TSyncGuard guard(FSyncing);
    delete w->takeTopLevelItem(item->Index());
}

void TListView::SelectionChanged(TListItem* item, bool selected)
{
    OnChange(this, item, ctState);
    OnSelectItem(this, item, selected);
}

void TListView::UserSelectionChanged()
{
    auto* w = static_cast<QTreeWidget*>(Widget());
    std::vector<TListItem*> off, on;
    for (int i = 0; i < FItems->Count(); ++i) {
        TListItem* item = FItems->Item(i);
        const QTreeWidgetItem* qi = w->topLevelItem(i);
        const bool selected = qi && qi->isSelected();
        if (selected != item->FSelected) (selected ? on : off).push_back(item);
    }
    // Items leaving the selection are reported before those joining it.
    for (TListItem* item : off) {
        item->FSelected = false;
        SelectionChanged(item, false);
    }
    for (TListItem* item : on) {
        item->FSelected = true;
        SelectionChanged(item, true);
    }
}

TListItem* TListView::Selected() const
{
    for (int i = 0; i < FItems->Count(); ++i)
        if (FItems->Item(i)->FSelected) return FItems->Item(i);
    return nullptr;
}

void TListView::SetSelected(TListItem* item)
{
    if (!item) ClearSelection();
    else if (item->ListView() == this) item->SetSelected(true);
}

int TListView::SelCount() const
{
    int n = 0;
    for (int i = 0; i < FItems->Count(); ++i) n += FItems->Item(i)->FSelected ? 1 : 0;
    return n;
}

void TListView::ClearSelection()
{
    for (int i = 0; i < FItems->Count(); ++i) FItems->Item(i)->SetSelected(false);
}

void TListView::SetItemFocused(TListItem* item)
{
    if (item && item->ListView() != this) return;
    FItemFocused = item;
    auto* w = static_cast<QTreeWidget*>(Widget());
    TSyncGuard guard(FSyncing);
    w->setCurrentItem(item ? w->topLevelItem(item->Index()) : nullptr, 0, QItemSelectionModel::NoUpdate);
}

void TListView::SetMultiSelect(bool v)
{
    if (v == FMultiSelect) return;
    FMultiSelect = v;
    {
        TSyncGuard guard(FSyncing);
        static_cast<QTreeWidget*>(Widget())->setSelectionMode(v ? QAbstractItemView::ExtendedSelection
                                                                : QAbstractItemView::SingleSelection);
    }
    if (!v) // one selected item at most: the first stays
        if (TListItem* first = Selected())
            for (int i = first->Index() + 1; i < FItems->Count(); ++i) FItems->Item(i)->SetSelected(false);
    ShowSelection();
}

void TListView::SetRowSelect(bool v)
{
    FRowSelect = v;
    static_cast<QTreeWidget*>(Widget())->setAllColumnsShowFocus(v);
}

void TListView::SetLargeImages(TCustomImageList* v)
{
    if (FLargeImages && FLargeImages != FSmallImages) RemoveFreeNotification(FLargeImages);
    FLargeImages = v;
    if (v) FreeNotification(v);
}

void TListView::SetSmallImages(TCustomImageList* v)
{
    if (FSmallImages && FSmallImages != FLargeImages) RemoveFreeNotification(FSmallImages);
    FSmallImages = v;
    if (v) FreeNotification(v);
}

void TListView::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FLargeImages) FLargeImages = nullptr;
    if (component == FSmallImages) FSmallImages = nullptr;
}

bool TListView::BeginEdit(TListItem* item)
{
    if (FReadOnly || !item || item->ListView() != this) return false;
    bool allow = true;
    OnEditing(this, item, allow);
    if (!allow) return false;
    auto* w = static_cast<TListViewWidget*>(Widget());
    QTreeWidgetItem* qi = w->topLevelItem(item->Index());
    if (!qi) return false;
    FEditing = item;
    w->editItem(qi, 0);
    if (w->EditorOf(qi)) return true;
    FEditing = nullptr; // the widget could not open an editor (not shown)
    return false;
}

void TListView::EditCommitted(const std::string& text)
{
    TListItem* item = FEditing;
    FEditing = nullptr;
    if (!item) return;
    std::string s = text;
    OnEdited(this, item, s);
    if (FItems->IndexOf(item) >= 0) item->SetCaption(s); // OnEdited may have deleted it
}

void TListView::EndEditCaption(const std::string& text, bool cancel)
{
    TListItem* item = FEditing;
    if (!item) return;
    auto* w = static_cast<TListViewWidget*>(Widget());
    QTreeWidgetItem* qi = w->topLevelItem(item->Index());
    if (!cancel) EditCommitted(text);
    FEditing = nullptr;
    if (qi) w->CloseEditorOf(qi);
}

void TListView::KeyDown(std::uint16_t& key, TShiftState shift)
{
    TWinControl::KeyDown(key, shift);
    if (key == VK_F1 + 1 && shift == 0 && FItemFocused) {
        if (FItemFocused->EditCaption()) key = 0;
    }
}

void TListView::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

// ---------------------------------------------------------------------------
// TTabSheet

const TClassInfo& TTabSheet::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TTabSheet>("TTabSheet", TWinControl::StaticClass())
            .Prop<std::string>("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption)
            .Prop<int>("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex)
            .Prop<TPageControl*>("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl)
            .Prop<int>("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
            .Prop<bool>("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
            .Build();
    return info;
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) { SetVisible(false); }

TTabSheet::~TTabSheet()
{
    BeginDestroy();
    if (FPageControl && !FPageControl->Destroying()) FPageControl->RemovePage(this);
    FPageControl = nullptr;
    DestroyChildren();
}

void TTabSheet::SetCaption(const std::string& v)
{
    FCaption = v;
    if (FPageControl) FPageControl->ShowTabs();
}

void TTabSheet::SetPageControl(TPageControl* v)
{
    if (v == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    TWinControl::SetParent(v);
    if (v) v->InsertPage(this);
}

void TTabSheet::SetParent(TWinControl* parent)
{
    if (auto* pc = dynamic_cast<TPageControl*>(parent)) {
        SetPageControl(pc);
        return;
    }
    if (FPageControl) FPageControl->RemovePage(this);
    TWinControl::SetParent(parent);
}

int TTabSheet::PageIndex() const
{
    if (!FPageControl) return -1;
    const auto& pages = FPageControl->FPages;
    return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int v)
{
    if (!FPageControl) return;
    auto& pages = FPageControl->FPages;
    const int current = PageIndex();
    v = std::clamp(v, 0, int(pages.size()) - 1);
    if (v == current) return;
    pages.erase(pages.begin() + current);
    pages.insert(pages.begin() + v, this);
    FPageControl->ShowTabs();
}

void TTabSheet::SetTabVisible(bool v)
{
    if (v == FTabVisible) return;
    FTabVisible = v;
    if (FPageControl) {
        FPageControl->ShowTabs();
        FPageControl->LayoutPages();
    }
}

// ---------------------------------------------------------------------------
// TPageControl

const TClassInfo& TPageControl::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TPageControl>("TPageControl", TWinControl::StaticClass())
            .Prop<TTabSheet*>("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage)
            .Prop<int>("ActivePageIndex", &TPageControl::ActivePageIndex, &TPageControl::SetActivePageIndex)
            .Field("OnChange", &TPageControl::OnChange)
            .Field("OnChanging", &TPageControl::OnChanging)
            .Build();
    return info;
}

TPageControl::TPageControl(TComponent* AOwner)
    : TWinControl(AOwner, TNoWidget{}), FTabFilter(std::make_unique<TTabBarFilter>(this))
{
    auto* w = new QWidget;
    auto* bar = new QTabBar(w);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setDrawBase(true);
    bar->installEventFilter(FTabFilter.get());
    FTabBar = bar;
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    BeginDestroy();
    DestroyChildren();
    FPages.clear();
    FActivePage = nullptr;
    DestroyWidget();
    FTabBar = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount()) IndexError(index);
    return FPages[index];
}

int TPageControl::ActivePageIndex() const
{
    auto it = std::find(FPages.begin(), FPages.end(), FActivePage);
    return it == FPages.end() ? -1 : int(it - FPages.begin());
}

void TPageControl::SetActivePageIndex(int v) { SetActivePage(v >= 0 && v < PageCount() ? FPages[v] : nullptr); }

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->FPageControl != this) return;
    if (page == FActivePage) return;
    // The focus must not stay on a control of a page going out of sight; if
    // it cannot leave (OnExit raised), the page stays.
    if (TForm* form = GetParentForm(); form && FActivePage)
        for (TControl* c = form->ActiveControl(); c; c = c->Parent())
            if (c == FActivePage) {
                form->SetFocusedControl(this);
                break;
            }
    FActivePage = page;
    ShowTabs();
    LayoutPages();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const
{
    const int n = PageCount();
    if (n == 0) return nullptr;
    auto it = std::find(FPages.begin(), FPages.end(), current);
    int start = it == FPages.end() ? (goForward ? n - 1 : 0) : int(it - FPages.begin());
    for (int step = 1; step <= n; ++step) {
        const int i = ((goForward ? start + step : start - step) % n + n) % n;
        if (!checkTabVisible || FPages[i]->TabVisible()) return FPages[i];
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible)
{
    TTabSheet* next = FindNextPage(FActivePage, goForward, checkTabVisible);
    if (next && next != FActivePage) ChangeByUser(next);
}

bool TPageControl::ChangeByUser(TTabSheet* page)
{
    if (!page || page == FActivePage) return false;
    bool allow = true;
    OnChanging(this, allow);
    if (!allow) {
        ShowTabs(); // the tab row keeps showing the current page
        return false;
    }
    SetActivePage(page);
    if (FActivePage != page) return false;
    OnChange(this);
    return true;
}

int TPageControl::TabCount() const
{
    return int(std::count_if(FPages.begin(), FPages.end(), [](const TTabSheet* p) { return p->TabVisible(); }));
}

TTabSheet* TPageControl::TabSheetOfTab(int tabIndex) const
{
    for (TTabSheet* p : FPages)
        if (p->TabVisible() && tabIndex-- == 0) return p;
    return nullptr;
}

void TPageControl::UserSelectTab(int tabIndex)
{
    TTabSheet* page = TabSheetOfTab(tabIndex);
    if (!page) return;
    try {
        ChangeByUser(page);
    } catch (...) {
        ShowTabs();
        throw;
    }
}

void TPageControl::ShowTabs()
{
    auto* bar = static_cast<QTabBar*>(FTabBar);
    if (!bar) return;
    TSyncGuard guard(FSyncing);
    while (bar->count() > 0) bar->removeTab(bar->count() - 1);
    int current = -1;
    for (TTabSheet* p : FPages) {
        if (!p->TabVisible()) continue;
        if (p == FActivePage) current = bar->count();
        bar->addTab(ToQString(p->Caption()));
    }
    if (current >= 0) bar->setCurrentIndex(current);
}

int TPageControl::TabHeight() const
{
    auto* bar = static_cast<QTabBar*>(FTabBar);
    return bar && bar->count() > 0 ? bar->sizeHint().height() : 0;
}

void TPageControl::LayoutPages()
{
    if (!FTabBar) return;
    const int th = TabHeight();
    FTabBar->setGeometry(0, 0, Width(), th);
    FTabBar->setVisible(th > 0);
    for (TTabSheet* p : FPages) {
        p->SetBounds(0, th, Width(), std::max(0, Height() - th));
        p->SetVisible(p == FActivePage);
    }
}

void TPageControl::SetBounds(int left, int top, int width, int height)
{
    TWinControl::SetBounds(left, top, width, height);
    LayoutPages();
}

void TPageControl::AdjustClientRect(int& left, int& top, int& width, int& height) const
{
    const int th = TabHeight();
    top += th;
    height -= th;
}

void TPageControl::InsertPage(TTabSheet* page)
{
    FPages.push_back(page);
    page->FPageControl = this;
    ShowTabs();
    if (!FActivePage) SetActivePage(page);
    else LayoutPages();
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    const int index = int(it - FPages.begin());
    FPages.erase(it);
    page->FPageControl = nullptr;
    if (FActivePage == page) {
        // The page next to it takes its place, without events.
        FActivePage = nullptr;
        const int n = PageCount();
        if (n > 0) SetActivePage(FPages[std::min(index, n - 1)]);
    }
    ShowTabs();
    LayoutPages();
}

// ---------------------------------------------------------------------------
// TToolButton

const TClassInfo& TToolButton::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TToolButton>("TToolButton", TControl::StaticClass())
            .Prop<bool>("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp)
            .Prop<std::string>("Caption", &TToolButton::Caption, &TToolButton::SetCaption)
            .Prop<bool>("Down", &TToolButton::Down, &TToolButton::SetDown)
            .Prop<bool>("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped)
            .Prop<int>("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex)
            .Prop<TToolButtonStyle>("Style", &TToolButton::Style, &TToolButton::SetStyle,
                                    {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"})
            .Build();
    return info;
}

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner)
{
    auto* w = new QToolButton;
    w->setAutoRaise(true);
    w->setToolButtonStyle(Qt::ToolButtonTextOnly);
    w->setFocusPolicy(Qt::NoFocus);
    SetWidget(w);
    SetBounds(0, 0, 23, 22);
    QObject::connect(w, &QToolButton::clicked, w, [this] { RunFromWidget(this, [this] { UserClick(); }); });
}

TToolButton::~TToolButton()
{
    BeginDestroy();
    if (FToolBar && !FToolBar->Destroying()) FToolBar->RemoveButton(this);
    FToolBar = nullptr;
    DestroyWidget();
}

void TToolButton::SetParent(TWinControl* parent)
{
    if (FToolBar && parent != FToolBar) FToolBar->RemoveButton(this);
    TControl::SetParent(parent);
    if (auto* bar = dynamic_cast<TToolBar*>(parent); bar && bar != FToolBar) bar->InsertButton(this);
}

void TToolButton::SetCaption(const std::string& v)
{
    FCaption = v;
    const bool gap = FStyle == tbsSeparator || FStyle == tbsDivider;
    static_cast<QToolButton*>(Widget())->setText(gap ? QString() : ToQString(v));
}

void TToolButton::SetStyle(TToolButtonStyle v)
{
    FStyle = v;
    SetCaption(FCaption);
    ShowState();
    if (FToolBar) FToolBar->LayoutButtons();
}

int TToolButton::Index() const
{
    if (!FToolBar) return -1;
    const auto& list = FToolBar->FButtons;
    return int(std::find(list.begin(), list.end(), this) - list.begin());
}

std::vector<TToolButton*> TToolButton::Group()
{
    std::vector<TToolButton*> group;
    if (!FToolBar || !FGrouped || FStyle != tbsCheck) return group;
    const auto& list = FToolBar->FButtons;
    const int at = Index();
    auto member = [](const TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
    int first = at, last = at;
    while (first > 0 && member(list[first - 1])) --first;
    while (last + 1 < int(list.size()) && member(list[last + 1])) ++last;
    for (int i = first; i <= last; ++i) group.push_back(list[i]);
    return group;
}

void TToolButton::SetDown(bool v)
{
    if (v == FDown) return;
    FDown = v;
    if (v)
        for (TToolButton* other : Group())
            if (other != this && other->FDown) {
                other->FDown = false;
                other->ShowState();
            }
    ShowState();
}

void TToolButton::ShowState()
{
    auto* w = static_cast<QToolButton*>(Widget());
    w->setCheckable(FStyle == tbsCheck);
    if (FStyle == tbsCheck) w->setChecked(FDown);
    else w->setDown(FDown);
    w->setEnabled(Enabled() && FStyle != tbsSeparator && FStyle != tbsDivider);
}

void TToolButton::UserClick()
{
    if (FStyle == tbsSeparator || FStyle == tbsDivider) return;
    if (FStyle == tbsCheck) {
        // The last button down of a group stays down unless all may be up.
        if (!(FDown && FGrouped && !FAllowAllUp)) SetDown(!FDown);
        ShowState();
    }
    Click();
}

// ---------------------------------------------------------------------------
// TToolBar

const TClassInfo& TToolBar::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TToolBar>("TToolBar", TWinControl::StaticClass())
            .Prop<int>("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight)
            .Prop<int>("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth)
            .Prop<TCustomImageList*>("Images", &TToolBar::Images, &TToolBar::SetImages)
            .Prop<bool>("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions)
            .Build();
    return info;
}

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner)
{
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar()
{
    BeginDestroy();
    DestroyChildren();
}

TToolButton* TToolBar::Buttons(int index) const
{
    if (index < 0 || index >= ButtonCount()) IndexError(index);
    return FButtons[index];
}

void TToolBar::SetButtonWidth(int v)
{
    FButtonWidth = std::max(1, v);
    LayoutButtons();
}

void TToolBar::SetButtonHeight(int v)
{
    FButtonHeight = std::max(1, v);
    LayoutButtons();
}

void TToolBar::SetShowCaptions(bool v)
{
    FShowCaptions = v;
    LayoutButtons();
}

void TToolBar::SetImages(TCustomImageList* v)
{
    if (FImages) RemoveFreeNotification(FImages);
    FImages = v;
    if (v) FreeNotification(v);
}

void TToolBar::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FImages) FImages = nullptr;
}

void TToolBar::InsertButton(TToolButton* button)
{
    FButtons.push_back(button);
    button->FToolBar = this;
    LayoutButtons();
}

void TToolBar::RemoveButton(TToolButton* button)
{
    FButtons.erase(std::remove(FButtons.begin(), FButtons.end(), button), FButtons.end());
    button->FToolBar = nullptr;
    LayoutButtons();
}

void TToolBar::LayoutButtons()
{
    int x = 0;
    for (TToolButton* b : FButtons) {
        if (!b->Visible()) continue;
        const bool gap = b->Style() == tbsSeparator || b->Style() == tbsDivider;
        const int w = gap ? 8 : FButtonWidth;
        b->SetBounds(x, 0, w, FButtonHeight);
        x += w;
    }
}

#include "platform/ui/StdCtrls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/ui/ControlSignals.h"
#include "platform/ui/QtBridge.h"

// ---------------------------------------------------------------------------
// TButton

const TClassInfo& TButton::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TButton>("TButton", TWinControl::StaticClass())
                                       .Prop<bool>("Cancel", &TButton::Cancel, &TButton::SetCancel)
                                       .Prop<std::string>("Caption", &TButton::Caption, &TButton::SetCaption)
                                       .Prop<bool>("Default", &TButton::Default, &TButton::SetDefault)
                                       .Prop<TModalResult>("ModalResult", &TButton::ModalResult,
                                                           &TButton::SetModalResult)
                                       .Build();
    return info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new QPushButton;
    w->setAutoDefault(false);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    QObject::connect(w, &QPushButton::clicked, w, [this] {
        if (Destroying()) return;
        try {
            Click();
        } catch (...) {
            Application->HandleCurrentException();
        }
    });
}

std::string TButton::Caption() const { return static_cast<QPushButton*>(Widget())->text().toStdString(); }

void TButton::SetCaption(const std::string& v) { static_cast<QPushButton*>(Widget())->setText(QString::fromStdString(v)); }

void TButton::SetDefault(bool v)
{
    FDefault = v;
    static_cast<QPushButton*>(Widget())->setDefault(v);
}

void TButton::Click()
{
    if (FModalResult != mrNone)
        if (TForm* form = GetParentForm()) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------------------
// TEdit

const TClassInfo& TEdit::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TEdit>("TEdit", TWinControl::StaticClass())
                                       .Prop<int>("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength)
                                       .Prop<bool>("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly)
                                       .Prop<std::string>("Text", &TEdit::Text, &TEdit::SetText)
                                       .Field("OnChange", &TEdit::OnChange)
                                       .Build();
    return info;
}

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new QLineEdit;
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
    QObject::connect(w, &QLineEdit::textChanged, w, [this] {
        if (Destroying()) return;
        try {
            Change();
        } catch (...) {
            Application->HandleCurrentException();
        }
    });
}

std::string TEdit::Text() const { return static_cast<QLineEdit*>(Widget())->text().toStdString(); }

void TEdit::SetText(const std::string& v) { static_cast<QLineEdit*>(Widget())->setText(QString::fromStdString(v)); }

void TEdit::SetMaxLength(int v)
{
    FMaxLength = v < 0 ? 0 : v;
    static_cast<QLineEdit*>(Widget())->setMaxLength(FMaxLength == 0 ? 32767 : FMaxLength);
}

bool TEdit::ReadOnly() const { return static_cast<QLineEdit*>(Widget())->isReadOnly(); }

void TEdit::SetReadOnly(bool v) { static_cast<QLineEdit*>(Widget())->setReadOnly(v); }

void TEdit::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

// ---------------------------------------------------------------------------
// TLabel

const TClassInfo& TLabel::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TLabel>("TLabel", TControl::StaticClass())
                                       .Prop<std::string>("Caption", &TLabel::Caption, &TLabel::SetCaption)
                                       .Prop<bool>("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
                                       .Build();
    return info;
}

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner)
{
    SetWidget(new QLabel);
    SetBounds(0, 0, 65, 13);
}

std::string TLabel::Caption() const { return static_cast<QLabel*>(Widget())->text().toStdString(); }

void TLabel::SetCaption(const std::string& v) { static_cast<QLabel*>(Widget())->setText(QString::fromStdString(v)); }

bool TLabel::WordWrap() const { return static_cast<QLabel*>(Widget())->wordWrap(); }

void TLabel::SetWordWrap(bool v) { static_cast<QLabel*>(Widget())->setWordWrap(v); }

// ---------------------------------------------------------------------------
// TStrings

const TClassInfo& TStrings::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TStrings>("TStrings", TObject::StaticClass())
            .Prop<std::string>("CommaText", [](const TStrings& s) { return s.CommaText(); },
                               [](TStrings& s, const std::string& v) { s.SetCommaText(v); })
            .Prop<std::string>("Text", [](const TStrings& s) { return s.Text(); },
                               [](TStrings& s, const std::string& v) { s.SetText(v); })
            .Build();
    return info;
}

void TStrings::Changed(TChange kind, int index)
{
    if (FUpdateCount > 0) {
        FPending = true;
        return;
    }
    if (FHook) FHook(kind, index);
    OnChange(this);
}

void TStrings::EndUpdate()
{
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0 && FPending) {
        FPending = false;
        Changed(TChange::Reset, -1);
    }
}

void TStrings::Put(int index, std::string s)
{
    TStringList::Put(index, std::move(s));
    Changed(TChange::Put, index);
}

void TStrings::PutObject(int index, TObject* obj)
{
    TStringList::PutObject(index, obj);
    Changed(TChange::Put, index);
}

int TStrings::Add(std::string s) { return AddObject(std::move(s), nullptr); }

int TStrings::AddObject(std::string s, TObject* obj)
{
    const int before = Count();
    const int index = TStringList::AddObject(std::move(s), obj);
    if (Count() != before) Changed(TChange::Insert, index); // a sorted list may ignore a duplicate
    return index;
}

void TStrings::Insert(int index, std::string s)
{
    TStringList::Insert(index, std::move(s));
    Changed(TChange::Insert, index);
}

void TStrings::Delete(int index)
{
    TStringList::Delete(index);
    Changed(TChange::Delete, index);
}

void TStrings::Clear()
{
    if (Count() == 0) return;
    TStringList::Clear();
    Changed(TChange::Reset, -1);
}

void TStrings::Assign(const TStringList& other)
{
    if (&other == &List()) return;
    TStringList::Assign(other);
    Changed(TChange::Reset, -1);
}

void TStrings::AddStrings(const TStringList& other)
{
    if (other.Count() == 0) return;
    TStringList::AddStrings(other);
    Changed(TChange::Reset, -1);
}

void TStrings::SetText(std::string_view text)
{
    TStringList::SetText(text);
    Changed(TChange::Reset, -1);
}

void TStrings::SetCommaText(std::string_view text)
{
    TStringList::SetCommaText(text);
    Changed(TChange::Reset, -1);
}

void TStrings::SetDelimitedText(std::string_view text)
{
    TStringList::SetDelimitedText(text);
    Changed(TChange::Reset, -1);
}

void TStrings::SetValue(std::string_view name, const std::string& value)
{
    TStringList::SetValue(name, value);
    Changed(TChange::Reset, -1);
}

void TStrings::SetSorted(bool value)
{
    if (value == Sorted()) return;
    TStringList::SetSorted(value);
    if (value) Changed(TChange::Reset, -1);
}

void TStrings::Sort()
{
    TStringList::Sort();
    Changed(TChange::Reset, -1);
}

void TStrings::SetCaseSensitive(bool value)
{
    if (value == CaseSensitive()) return;
    TStringList::SetCaseSensitive(value);
    if (Sorted()) Changed(TChange::Reset, -1);
}

void TStrings::Reload(std::string_view text) { TStringList::SetText(text); }

// ---------------------------------------------------------------------------
// TCheckBox

const TClassInfo& TCheckBox::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TCheckBox>("TCheckBox", TWinControl::StaticClass())
            .Prop<TAlignment>("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment,
                              {"taLeftJustify", "taRightJustify", "taCenter"})
            .Prop<bool>("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed)
            .Prop<std::string>("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption)
            .Prop<bool>("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
            .Prop<TCheckBoxState>("State", &TCheckBox::State, &TCheckBox::SetState,
                                  {"cbUnchecked", "cbChecked", "cbGrayed"})
            .Build();
    return info;
}

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new QCheckBox;
    w->setTristate(true); // so the widget can show cbGrayed; the next state is ours
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
    QObject::connect(w, &QCheckBox::clicked, w, [this] {
        RunFromWidget(this, [this] {
            ShowState(); // undo the widget's own step before ours
            Toggle();
        });
    });
}

std::string TCheckBox::Caption() const { return FromQString(static_cast<QCheckBox*>(Widget())->text()); }

void TCheckBox::SetCaption(const std::string& v) { static_cast<QCheckBox*>(Widget())->setText(ToQString(v)); }

void TCheckBox::SetState(TCheckBoxState v)
{
    if (v == FState) return;
    FState = v;
    ShowState();
    Click();
}

void TCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
    }
}

void TCheckBox::ShowState()
{
    static_cast<QCheckBox*>(Widget())->setCheckState(FState == cbChecked   ? Qt::Checked
                                                     : FState == cbGrayed ? Qt::PartiallyChecked
                                                                          : Qt::Unchecked);
}

void TCheckBox::SetAlignment(TAlignment v)
{
    FAlignment = v;
    Widget()->setLayoutDirection(v == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

// ---------------------------------------------------------------------------
// TRadioButton

const TClassInfo& TRadioButton::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TRadioButton>("TRadioButton", TWinControl::StaticClass())
            .Prop<std::string>("Caption", &TRadioButton::Caption, &TRadioButton::SetCaption)
            .Prop<bool>("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked)
            .Build();
    return info;
}

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    auto* w = new QRadioButton;
    w->setAutoExclusive(false); // exclusivity is ours, among controls of one parent
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 113, 17);
    QObject::connect(w, &QRadioButton::clicked, w, [this] {
        RunFromWidget(this, [this] {
            ShowState(); // a click on a checked button must not uncheck it
            SetChecked(true);
        });
    });
}

std::string TRadioButton::Caption() const { return FromQString(static_cast<QRadioButton*>(Widget())->text()); }

void TRadioButton::SetCaption(const std::string& v) { static_cast<QRadioButton*>(Widget())->setText(ToQString(v)); }

void TRadioButton::SetChecked(bool v)
{
    if (v == FChecked) return;
    FChecked = v;
    ShowState();
    if (!v) return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
                other->SetChecked(false);
    Click();
}

void TRadioButton::ShowState() { static_cast<QRadioButton*>(Widget())->setChecked(FChecked); }

// ---------------------------------------------------------------------------
// TGroupBox

const TClassInfo& TGroupBox::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TGroupBox>("TGroupBox", TWinControl::StaticClass())
                                       .Prop<std::string>("Caption", &TGroupBox::Caption, &TGroupBox::SetCaption)
                                       .Build();
    return info;
}

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner, TNoWidget{})
{
    SetWidget(new QGroupBox);
    SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox()
{
    BeginDestroy();
    DestroyChildren();
}

std::string TGroupBox::Caption() const { return FromQString(static_cast<QGroupBox*>(Widget())->title()); }

void TGroupBox::SetCaption(const std::string& v) { static_cast<QGroupBox*>(Widget())->setTitle(ToQString(v)); }

void TGroupBox::AdjustClientRect(int& left, int& top, int& width, int& height) const
{
    // The caption runs along the top border.
    const int caption = Widget() ? Widget()->fontMetrics().height() : 13;
    left += 2;
    top += caption + 2;
    width -= 4;
    height -= caption + 4;
}

// ---------------------------------------------------------------------------
// TMemo

namespace {

// The widget's text with line breaks as "\n" (paragraph and line separators
// are how the document keeps them).
QString PlainText(const QPlainTextEdit* w)
{
    QString text = w->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

QString WithLineFeeds(const std::string& text)
{
    QString q = ToQString(text);
    q.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return q;
}

} // namespace

const TClassInfo& TMemo::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TMemo>("TMemo", TWinControl::StaticClass())
            .Prop<TStrings*>("Lines", &TMemo::Lines, &TMemo::SetLines)
            .Prop<int>("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength)
            .Prop<bool>("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly)
            .Prop<TScrollStyle>("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars,
                                {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
            .Prop<std::string>("Text", &TMemo::Text, &TMemo::SetText)
            .Prop<bool>("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns)
            .Prop<bool>("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap)
            .Field("OnChange", &TMemo::OnChange)
            .Build();
    return info;
}

TMemo::TMemo(TComponent* AOwner)
    : TWinControl(AOwner, TNoWidget{}), FLines([this](TStrings::TChange, int) { LinesChanged(); })
{
    auto* w = new QPlainTextEdit;
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 185, 89);
    SetWordWrap(true);
    SetScrollBars(ssNone);
    // The change is noted when it happens and handled once the document is
    // consistent again (editing it inside contentsChange is not safe).
    QObject::connect(w->document(), &QTextDocument::contentsChange, w, [this](int position, int, int added) {
        FChangePosition = position;
        FChangeAdded = added;
    });
    QObject::connect(w, &QPlainTextEdit::textChanged, w, [this] {
        if (FSyncing) return;
        RunFromWidget(this, [&] { WidgetChanged(FChangePosition, FChangeAdded); });
    });
}

TMemo::~TMemo()
{
    BeginDestroy();
    DestroyWidget(); // its signals refer to the lines
}

void TMemo::SetLines(TStrings* v)
{
    if (v && v != &FLines) FLines.Assign(*v);
}

void TMemo::LinesChanged()
{
    {
        TSyncGuard guard(FSyncing);
        static_cast<QPlainTextEdit*>(Widget())->setPlainText(WithLineFeeds(FLines.Text()));
    }
    OnChange(this);
}

void TMemo::WidgetChanged(int position, int added)
{
    auto* w = static_cast<QPlainTextEdit*>(Widget());
    const int length = w->document()->characterCount() - 1;
    if (FMaxLength > 0 && length > FMaxLength && added > 0) {
        // Keep what fits of what was just typed or pasted.
        const int cut = std::min(added, length - FMaxLength);
        TSyncGuard guard(FSyncing);
        QTextCursor c(w->document());
        c.setPosition(position + added - cut);
        c.setPosition(position + added, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    FLines.Reload(FromQString(PlainText(w)));
    OnChange(this);
}

std::string TMemo::Text() const
{
    QString text = PlainText(static_cast<QPlainTextEdit*>(Widget()));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return FromQString(text);
}

void TMemo::SetText(const std::string& v)
{
    auto* w = static_cast<QPlainTextEdit*>(Widget());
    {
        TSyncGuard guard(FSyncing);
        w->setPlainText(WithLineFeeds(v));
    }
    FLines.Reload(v);
    OnChange(this);
}

bool TMemo::ReadOnly() const { return static_cast<QPlainTextEdit*>(Widget())->isReadOnly(); }

void TMemo::SetReadOnly(bool v) { static_cast<QPlainTextEdit*>(Widget())->setReadOnly(v); }

void TMemo::SetWordWrap(bool v)
{
    FWordWrap = v;
    static_cast<QPlainTextEdit*>(Widget())->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth
                                                              : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle v)
{
    FScrollBars = v;
    auto* w = static_cast<QPlainTextEdit*>(Widget());
    const bool h = v == ssHorizontal || v == ssBoth, vert = v == ssVertical || v == ssBoth;
    w->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    w->setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

// ---------------------------------------------------------------------------
// TComboBox

// The combo box widget reports its list opening and closing.
class TComboWidget : public QComboBox {
public:
    explicit TComboWidget(TComboBox* owner) : FOwner(owner) {}
    void showPopup() override
    {
        RunFromWidget(FOwner, [this] { FOwner->OnDropDown(FOwner); });
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        RunFromWidget(FOwner, [this] { FOwner->OnCloseUp(FOwner); });
    }

private:
    TComboBox* FOwner;
};

namespace {

int ExactIndex(const TStrings& items, const std::string& text)
{
    for (int i = 0; i < items.Count(); ++i)
        if (items[i] == text) return i;
    return -1;
}

} // namespace

const TClassInfo& TComboBox::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TComboBox>("TComboBox", TWinControl::StaticClass())
            .Prop<int>("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount)
            .Prop<int>("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex)
            .Prop<TStrings*>("Items", &TComboBox::Items, &TComboBox::SetItems)
            .Prop<int>("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength)
            .Prop<bool>("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted)
            .Prop<TComboBoxStyle>("Style", &TComboBox::Style, &TComboBox::SetStyle,
                                  {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                                   "csOwnerDrawVariable"})
            .Prop<std::string>("Text", &TComboBox::Text, &TComboBox::SetText)
            .Field("OnChange", &TComboBox::OnChange)
            .Field("OnCloseUp", &TComboBox::OnCloseUp)
            .Field("OnDropDown", &TComboBox::OnDropDown)
            .Field("OnSelect", &TComboBox::OnSelect)
            .Build();
    return info;
}

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner, TNoWidget{}), FItems([this](TStrings::TChange kind, int index) { ItemsChanged(kind, index); })
{
    auto* w = new TComboWidget(this);
    w->setInsertPolicy(QComboBox::NoInsert); // Enter must not add the typed text to the list
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 145, 21);
    QObject::connect(w, &QComboBox::activated, w, [this](int index) {
        if (FSyncing) return;
        RunFromWidget(this, [&] { UserSelect(index); });
    });
    SetStyle(csDropDown);
}

TComboBox::~TComboBox()
{
    BeginDestroy();
    DestroyWidget();
}

void TComboBox::SetItems(TStrings* v)
{
    if (v && v != &FItems) FItems.Assign(*v);
}

void TComboBox::SetStyle(TComboBoxStyle v)
{
    const std::string text = Text();
    FStyle = v;
    auto* w = static_cast<QComboBox*>(Widget());
    {
        TSyncGuard guard(FSyncing);
        w->setEditable(!IsListStyle());
        if (QLineEdit* edit = w->lineEdit()) {
            w->setCompleter(nullptr); // the text is what the user typed, nothing added
            edit->setMaxLength(FMaxLength == 0 ? 32767 : FMaxLength);
            // The edit lives as long as the editable style; connect it once.
            if (!edit->property("orvaneConnected").toBool()) {
                edit->setProperty("orvaneConnected", true);
                QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString& t) {
                    if (FSyncing) return;
                    RunFromWidget(this, [&] { UserEdited(FromQString(t)); });
                });
            }
        }
    }
    FEditText = IsListStyle() ? std::string() : text;
    ShowSelection();
}

void TComboBox::ItemsChanged(TStrings::TChange kind, int index)
{
    auto* w = static_cast<QComboBox*>(Widget());
    TSyncGuard guard(FSyncing);
    switch (kind) {
    case TStrings::TChange::Insert:
        w->insertItem(index, ToQString(FItems[index]));
        if (FItemIndex >= index) ++FItemIndex; // the same item stays selected
        break;
    case TStrings::TChange::Delete:
        w->removeItem(index);
        if (FItemIndex == index) {
            FItemIndex = -1;
            if (IsListStyle()) FEditText.clear();
        } else if (FItemIndex > index) {
            --FItemIndex;
        }
        break;
    case TStrings::TChange::Put:
        w->setItemText(index, ToQString(FItems[index]));
        if (index == FItemIndex && IsListStyle()) FEditText = FItems[index];
        break;
    case TStrings::TChange::Reset: ShowItems(); FItemIndex = -1; break;
    }
    ShowSelection();
}

void TComboBox::ShowItems()
{
    auto* w = static_cast<QComboBox*>(Widget());
    TSyncGuard guard(FSyncing);
    w->clear();
    for (int i = 0; i < FItems.Count(); ++i) w->addItem(ToQString(FItems[i]));
}

void TComboBox::ShowSelection()
{
    auto* w = static_cast<QComboBox*>(Widget());
    TSyncGuard guard(FSyncing);
    w->setCurrentIndex(FItemIndex);
    if (w->isEditable()) w->setEditText(ToQString(FEditText));
}

void TComboBox::SetItemIndex(int v)
{
    if (v < -1 || v >= FItems.Count()) v = -1;
    FItemIndex = v;
    FEditText = v >= 0 ? FItems[v] : std::string();
    ShowSelection();
}

std::string TComboBox::Text() const
{
    if (IsListStyle()) return FItemIndex >= 0 ? FItems[FItemIndex] : std::string();
    return FEditText;
}

void TComboBox::SetText(const std::string& v)
{
    if (IsListStyle()) {
        SetItemIndex(FItems.IndexOf(v));
        return;
    }
    FEditText = v;
    FItemIndex = ExactIndex(FItems, v);
    ShowSelection();
}

void TComboBox::SetMaxLength(int v)
{
    FMaxLength = v < 0 ? 0 : v;
    if (QLineEdit* edit = static_cast<QComboBox*>(Widget())->lineEdit())
        edit->setMaxLength(FMaxLength == 0 ? 32767 : FMaxLength);
}

void TComboBox::SetDropDownCount(int v)
{
    FDropDownCount = std::max(1, v);
    static_cast<QComboBox*>(Widget())->setMaxVisibleItems(FDropDownCount);
}

bool TComboBox::DroppedDown() const
{
    const QComboBox* w = static_cast<QComboBox*>(Widget());
    return w->view() && w->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool v)
{
    if (v == DroppedDown()) return;
    auto* w = static_cast<QComboBox*>(Widget());
    if (v) w->showPopup();
    else w->hidePopup();
}

void TComboBox::UserSelect(int index)
{
    if (index < 0 || index >= FItems.Count()) return;
    FItemIndex = index;
    FEditText = FItems[index];
    ShowSelection();
    Click();
    if (OnSelect) OnSelect(this);
    else OnChange(this);
}

void TComboBox::UserEdited(const std::string& text)
{
    FEditText = text;
    FItemIndex = ExactIndex(FItems, text);
    OnChange(this);
}

void TComboBox::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

// ---------------------------------------------------------------------------
// TListBox

const TClassInfo& TListBox::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TListBox>("TListBox", TWinControl::StaticClass())
                                       .Prop<int>("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex)
                                       .Prop<TStrings*>("Items", &TListBox::Items, &TListBox::SetItems)
                                       .Prop<bool>("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect)
                                       .Prop<bool>("Sorted", &TListBox::Sorted, &TListBox::SetSorted)
                                       .Build();
    return info;
}

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner, TNoWidget{}), FItems([this](TStrings::TChange kind, int index) { ItemsChanged(kind, index); })
{
    auto* w = new QListWidget;
    w->setSelectionMode(QAbstractItemView::SingleSelection);
    SetColor(clWindow);
    SetWidget(w);
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
    QObject::connect(w, &QListWidget::itemSelectionChanged, w, [this] {
        if (FSyncing) return;
        RunFromWidget(this, [this] { Click(); });
    });
}

TListBox::~TListBox()
{
    BeginDestroy();
    DestroyWidget();
}

void TListBox::SetItems(TStrings* v)
{
    if (v && v != &FItems) FItems.Assign(*v);
}

void TListBox::ItemsChanged(TStrings::TChange kind, int index)
{
    auto* w = static_cast<QListWidget*>(Widget());
    TSyncGuard guard(FSyncing);
    switch (kind) {
    case TStrings::TChange::Insert: w->insertItem(index, ToQString(FItems[index])); break;
    case TStrings::TChange::Delete: delete w->takeItem(index); break;
    case TStrings::TChange::Put: w->item(index)->setText(ToQString(FItems[index])); break;
    case TStrings::TChange::Reset:
        w->clear();
        for (int i = 0; i < FItems.Count(); ++i) w->addItem(ToQString(FItems[i]));
        break;
    }
}

int TListBox::ItemIndex() const
{
    auto* w = static_cast<QListWidget*>(Widget());
    if (FMultiSelect) return w->currentRow();
    const QList<QListWidgetItem*> selected = w->selectedItems();
    return selected.isEmpty() ? -1 : w->row(selected.first());
}

void TListBox::SetItemIndex(int v)
{
    auto* w = static_cast<QListWidget*>(Widget());
    TSyncGuard guard(FSyncing);
    const bool valid = v >= 0 && v < FItems.Count();
    if (FMultiSelect) {
        w->setCurrentRow(valid ? v : -1, QItemSelectionModel::NoUpdate);
        return;
    }
    if (valid) w->setCurrentRow(v, QItemSelectionModel::ClearAndSelect);
    else {
        w->clearSelection();
        w->setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    }
}

void TListBox::SetMultiSelect(bool v)
{
    if (v == FMultiSelect) return;
    FMultiSelect = v;
    TSyncGuard guard(FSyncing);
    static_cast<QListWidget*>(Widget())->setSelectionMode(v ? QAbstractItemView::ExtendedSelection
                                                            : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int index) const
{
    if (index < 0 || index >= FItems.Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return static_cast<QListWidget*>(Widget())->item(index)->isSelected();
}

void TListBox::SetSelected(int index, bool v)
{
    if (index < 0 || index >= FItems.Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    if (!FMultiSelect && v) {
        SetItemIndex(index);
        return;
    }
    TSyncGuard guard(FSyncing);
    static_cast<QListWidget*>(Widget())->item(index)->setSelected(v);
}

int TListBox::SelCount() const { return int(static_cast<QListWidget*>(Widget())->selectedItems().size()); }

void TListBox::ClearSelection()
{
    TSyncGuard guard(FSyncing);
    static_cast<QListWidget*>(Widget())->clearSelection();
}

void TListBox::ApplyColor()
{
    if (!Widget()) return;
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    Widget()->setPalette(p);
}

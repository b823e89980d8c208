#include "platform/ui/Controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "platform/ui/Forms.h"
#include "platform/ui/QtBridge.h"

int TControlBridge::FocusMuted = 0;

namespace {

struct TMuteFocus {
    TMuteFocus() { ++TControlBridge::FocusMuted; }
    ~TMuteFocus() { --TControlBridge::FocusMuted; }
};

std::uint16_t QtKeyToVK(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return std::uint16_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return std::uint16_t(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton)
{
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier) s |= Shift(ssShift);
    if (mods & Qt::AltModifier) s |= Shift(ssAlt);
    if (mods & Qt::ControlModifier) s |= Shift(ssCtrl);
    if (buttons & Qt::LeftButton) s |= Shift(ssLeft);
    if (buttons & Qt::RightButton) s |= Shift(ssRight);
    if (buttons & Qt::MiddleButton) s |= Shift(ssMiddle);
    return s;
}

TMouseButton ButtonOf(Qt::MouseButton b)
{
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

// The character a key press types, as the 8-bit key of OnKeyPress; 0 when
// it types nothing or a character outside ASCII (those go to the widget).
char CharOf(const QKeyEvent* e)
{
    const QString text = e->text();
    if (text.size() != 1) return 0;
    const char16_t c = text.at(0).unicode();
    return c > 0 && c < 0x80 && c != 0x7F ? char(c) : 0;
}

} // namespace

QColor ToQColor(TColor color)
{
    const TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// ---------------------------------------------------------------------------
// Qt input and focus reports

bool TControlBridge::eventFilter(QObject* watched, QEvent* event)
{
    TControl* control = FControl;
    if (control->Destroying()) return false;
    try {
        switch (event->type()) {
        case QEvent::FocusIn: {
            auto* wc = dynamic_cast<TWinControl*>(control);
            TForm* form = control->GetParentForm();
            if (!wc || !form || FocusMuted > 0 || form->FSettingQtFocus || form->Destroying()) return false;
            if (form == wc) return false; // the window itself; its active control is restored below
            if (form->ActiveControl() != wc) form->UserFocusChange(wc);
            return false;
        }
        case QEvent::KeyPress: return KeyPressed(watched, event);
        case QEvent::KeyRelease: return KeyReleased(event);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: return Mouse(event);
        case QEvent::Close: {
            auto* form = dynamic_cast<TForm*>(control);
            if (!form) return false;
            // The user closes the window: the form decides through Close.
            event->ignore();
            form->Close();
            return true;
        }
        case QEvent::Resize: {
            if (auto* form = dynamic_cast<TForm*>(control); form && form->Widget() == watched) {
                const auto* r = static_cast<QResizeEvent*>(event);
                form->Resized(r->size().width(), r->size().height());
            }
            return false;
        }
        case QEvent::Move: {
            if (auto* form = dynamic_cast<TForm*>(control); form && form->Widget() == watched) {
                const auto* m = static_cast<QMoveEvent*>(event);
                form->FLeft = m->pos().x();
                form->FTop = m->pos().y();
            }
            return false;
        }
        default: return false;
        }
    } catch (...) {
        Application->HandleCurrentException();
        return true;
    }
}

bool TControlBridge::KeyPressed(QObject* watched, QEvent* event)
{
    auto* wc = dynamic_cast<TWinControl*>(FControl);
    if (!wc || FForwarding) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    TForm* form = wc->GetParentForm();
    QPointer<QObject> alive(watched);
    const TShiftState shift = ShiftOf(ke->modifiers());

    bool downConsumed = false;
    std::uint16_t key = QtKeyToVK(ke->key());
    if (key) {
        if (form) downConsumed = form->HandleKeyDown(wc, key, shift);
        else {
            wc->KeyDown(key, shift);
            downConsumed = key == 0;
        }
        if (!alive) return true;
        // Tab walks the form's tab order (ours, not Qt's focus chain).
        if (!downConsumed && key == VK_TAB && form && !(shift & (Shift(ssCtrl) | Shift(ssAlt)))) {
            form->SelectNext(form->ActiveControl() ? form->ActiveControl() : wc, !(shift & Shift(ssShift)), true);
            return true;
        }
    }

    const char typed = CharOf(ke);
    if (!typed) return downConsumed;
    char ch = typed;
    bool pressConsumed;
    if (form) pressConsumed = form->HandleKeyPress(wc, ch);
    else {
        wc->KeyPress(ch);
        pressConsumed = ch == 0;
    }
    if (!alive) return true;
    if (pressConsumed) return true;
    if (ch != typed || downConsumed) {
        // A handler changed the character, or swallowed the key but not the
        // character: the widget gets the character alone.
        QKeyEvent forwarded(QEvent::KeyPress, Qt::Key_unknown, ke->modifiers(),
                            QString(QChar(char16_t(static_cast<unsigned char>(ch)))));
        FForwarding = true;
        QCoreApplication::sendEvent(watched, &forwarded);
        if (alive) FForwarding = false;
        return true;
    }
    return false;
}

bool TControlBridge::KeyReleased(QEvent* event)
{
    auto* wc = dynamic_cast<TWinControl*>(FControl);
    if (!wc || FForwarding) return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    std::uint16_t key = QtKeyToVK(ke->key());
    if (!key) return false;
    const TShiftState shift = ShiftOf(ke->modifiers());
    if (TForm* form = wc->GetParentForm()) return form->HandleKeyUp(wc, key, shift);
    wc->KeyUp(key, shift);
    return key == 0;
}

bool TControlBridge::Mouse(QEvent* event)
{
    auto* me = static_cast<QMouseEvent*>(event);
    TControl* c = FControl;
    const int x = int(me->position().x()), y = int(me->position().y());
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        c->FMousePressed = me->button() == Qt::LeftButton;
        c->OnMouseDown(c, ButtonOf(me->button()), ShiftOf(me->modifiers(), me->buttons()), x, y);
        return false;
    }
    case QEvent::MouseButtonRelease: {
        const bool click = c->FMousePressed && me->button() == Qt::LeftButton && x >= 0 && y >= 0 &&
                           x < c->Width() && y < c->Height();
        c->FMousePressed = false;
        QPointer<QWidget> alive(c->Widget());
        c->OnMouseUp(c, ButtonOf(me->button()), ShiftOf(me->modifiers(), me->buttons()), x, y);
        if (alive && click && c->ClicksFromMouse()) c->Click();
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        c->OnDblClick(c);
        return false;
    }
    default:
        c->OnMouseMove(c, ShiftOf(me->modifiers(), me->buttons()), x, y);
        return false;
    }
}

// ---------------------------------------------------------------------------
// TControl

const TClassInfo& TControl::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TControl>("TControl", TComponent::StaticClass())
            .Prop<TAlign>("Align", &TControl::Align, &TControl::SetAlign,
                          {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"})
            .Prop<TColor>("Color", &TControl::Color, &TControl::SetColor)
            .Prop<bool>("Enabled", &TControl::Enabled, &TControl::SetEnabled)
            .Prop<TFont*>("Font", &TControl::Font, &TControl::SetFont)
            .Prop<int>("Height", &TControl::Height, &TControl::SetHeight)
            .Prop<std::string>("Hint", &TControl::Hint, &TControl::SetHint)
            .Prop<int>("Left", &TControl::Left, &TControl::SetLeft)
            .Prop<bool>("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
            .Prop<bool>("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
            .Prop<int>("Top", &TControl::Top, &TControl::SetTop)
            .Prop<bool>("Visible", &TControl::Visible, &TControl::SetVisible)
            .Prop<int>("Width", &TControl::Width, &TControl::SetWidth)
            .Field("OnClick", &TControl::OnClick)
            .Field("OnDblClick", &TControl::OnDblClick)
            .Field("OnMouseDown", &TControl::OnMouseDown)
            .Field("OnMouseMove", &TControl::OnMouseMove)
            .Field("OnMouseUp", &TControl::OnMouseUp)
            .Build();
    return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
    Application->Initialize();
    FFont->OnChange = TNotifyEvent(this, &TControl::FontOnChange);
}

TControl::~TControl()
{
    BeginDestroy();
    if (TForm* form = GetParentForm(); form && form != this) form->ControlDestroying(this);
    if (FParent) FParent->RemoveControl(this);
    DestroyWidget();
}

void TControl::SetWidget(QWidget* widget)
{
    DestroyWidget();
    FWidget = widget;
    if (!FWidget) return;
    if (!FBridge) FBridge = std::make_unique<TControlBridge>(this);
    FWidget->installEventFilter(FBridge.get());
    FWidget->setEnabled(FEnabled);
    if (FWidth > 0 || FHeight > 0) FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
    ApplyFont();
    ApplyColor();
    ApplyHint();
}

void TControl::DestroyWidget()
{
    if (!FWidget) return;
    QWidget* w = FWidget;
    FWidget = nullptr;
    TMuteFocus mute;
    if (FBridge) w->removeEventFilter(FBridge.get());
    // Qt deletes the widget's own children with it; none of them is a
    // control's widget any more (children were freed or detached first).
    delete w;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent) return;
    for (TControl* p = parent; p; p = p->FParent)
        if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (TForm* form = GetParentForm(); form && form != this) form->ControlDestroying(this);
    TWinControl* old = FParent;
    if (FParent) FParent->RemoveControl(this);
    if (old && FAlign != alNone) old->Realign();
    if (parent) parent->InsertControl(this);
    if (FWidget && !dynamic_cast<TForm*>(this)) {
        TMuteFocus mute;
        if (parent && parent->FWidget) {
            FWidget->setParent(parent->FWidget);
            FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
            FWidget->setVisible(FVisible);
        } else {
            FWidget->setParent(nullptr); // hidden until it has a parent again
        }
    }
    if (FParentFont) ParentFontChanged();
    if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    const bool resized = width != FWidth || height != FHeight;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FWidget) FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
    // An aligned child keeps its place; a resized container re-lays its own.
    if (FParent && FAlign != alNone) FParent->Realign();
    if (resized)
        if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->Realign();
}

void TControl::SetAlign(TAlign v)
{
    if (v == FAlign) return;
    FAlign = v;
    if (FParent) FParent->Realign();
}

void TControl::SetVisible(bool v)
{
    if (v == FVisible) return;
    FVisible = v;
    if (FWidget && FWidget->parentWidget() && !dynamic_cast<TForm*>(this)) FWidget->setVisible(v);
    if (FParent && FAlign != alNone) FParent->Realign();
    VisibleChanged();
}

void TControl::SetEnabled(bool v)
{
    if (v == FEnabled) return;
    FEnabled = v;
    if (FWidget) FWidget->setEnabled(v);
}

void TControl::SetColor(TColor v)
{
    if (v == FColor) return;
    FColor = v;
    ApplyColor();
}

void TControl::ApplyColor()
{
    if (!FWidget) return;
    QPalette p = FWidget->palette();
    p.setColor(QPalette::Window, ToQColor(FColor));
    p.setColor(QPalette::Button, ToQColor(FColor));
    FWidget->setPalette(p);
}

void TControl::SetFont(TFont* font)
{
    if (font) FFont->Assign(*font);
}

void TControl::FontOnChange(TObject*)
{
    if (!FUpdatingFromParent) FParentFont = false;
    FontChanged();
}

void TControl::FontChanged()
{
    ApplyFont();
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* child : wc->FControls)
            if (child->FParentFont) child->ParentFontChanged();
}

void TControl::ApplyFont()
{
    if (!FWidget) return;
    QFont f(QString::fromStdString(FFont->Name()));
    const int h = FFont->Height();
    f.setPixelSize(h == 0 ? 12 : (h < 0 ? -h : h));
    const TFontStyles st = FFont->Style();
    f.setBold(st & FontStyle(fsBold));
    f.setItalic(st & FontStyle(fsItalic));
    f.setUnderline(st & FontStyle(fsUnderline));
    f.setStrikeOut(st & FontStyle(fsStrikeOut));
    FWidget->setFont(f);
    QPalette p = FWidget->palette();
    const QColor c = ToQColor(FFont->Color());
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    FWidget->setPalette(p);
}

void TControl::SetParentFont(bool v)
{
    FParentFont = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || !FParent) return;
    FUpdatingFromParent = true;
    try {
        FFont->Assign(*FParent->FFont);
    } catch (...) {
        FUpdatingFromParent = false;
        throw;
    }
    FUpdatingFromParent = false;
}

void TControl::SetHint(const std::string& v)
{
    FHint = v;
    ApplyHint();
}

void TControl::SetShowHint(bool v)
{
    FShowHint = v;
    ApplyHint();
}

void TControl::ApplyHint()
{
    if (FWidget) FWidget->setToolTip(FShowHint ? QString::fromStdString(FHint) : QString());
}

TForm* TControl::GetParentForm() const
{
    for (const TControl* c = this; c; c = c->FParent)
        if (auto* f = dynamic_cast<const TForm*>(c)) return const_cast<TForm*>(f);
    return nullptr;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

void TControl::Dispatch(TMessage& message)
{
    if (auto it = FHandlers.find(message.Msg); it != FHandlers.end()) {
        TMessageHandler handler = it->second; // the handler may replace itself
        handler(message);
        return;
    }
    DefaultHandler(message);
}

void TControl::SetMessageHandler(unsigned msg, TMessageHandler handler)
{
    if (handler) FHandlers[msg] = std::move(handler);
    else FHandlers.erase(msg);
}

LRESULT TControl::Perform(unsigned msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::Click() { OnClick(this); }

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
}

// ---------------------------------------------------------------------------
// TWinControl

const TClassInfo& TWinControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TWinControl>("TWinControl", TControl::StaticClass())
                                       .Prop<int>("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                       .Prop<bool>("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                       .Field("OnEnter", &TWinControl::OnEnter)
                                       .Field("OnExit", &TWinControl::OnExit)
                                       .Field("OnKeyDown", &TWinControl::OnKeyDown)
                                       .Field("OnKeyPress", &TWinControl::OnKeyPress)
                                       .Field("OnKeyUp", &TWinControl::OnKeyUp)
                                       .Build();
    return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner)
{
    auto* w = new QWidget;
    w->setAutoFillBackground(true);
    SetWidget(w);
}

TWinControl::TWinControl(TComponent* AOwner, TNoWidget) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    BeginDestroy();
    if (TForm* form = GetParentForm(); form && form != this) form->ControlDestroying(this);
    DestroyChildren();
    if (FHandle) Application->ReleaseHandle(FHandle);
    FHandle = 0;
}

void TWinControl::DestroyChildren()
{
    DestroyComponents();
    // A parent frees its remaining child controls, newest first; each
    // destructor takes the control out of our list and out of its owner's.
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        c->Free();
        if (!FControls.empty() && FControls.back() == c) FControls.pop_back();
    }
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FControls[index];
}

void TWinControl::InsertControl(TControl* control)
{
    FControls.push_back(control);
    control->FParent = this;
    if (auto* wc = dynamic_cast<TWinControl*>(control)) FTabList.push_back(wc);
}

void TWinControl::RemoveControl(TControl* control)
{
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), static_cast<TWinControl*>(nullptr)),
                   FTabList.end());
    for (auto it = FTabList.begin(); it != FTabList.end(); ++it)
        if (static_cast<TControl*>(*it) == control) {
            FTabList.erase(it);
            break;
        }
    control->FParent = nullptr;
}

HWND TWinControl::Handle()
{
    if (!FHandle) FHandle = Application->AllocateHandle(this);
    return FHandle;
}

int TWinControl::TabOrder() const
{
    const TWinControl* p = Parent();
    if (!p) return -1;
    auto it = std::find(p->FTabList.begin(), p->FTabList.end(), this);
    return it == p->FTabList.end() ? -1 : static_cast<int>(it - p->FTabList.begin());
}

void TWinControl::SetTabOrder(int v)
{
    TWinControl* p = Parent();
    if (!p) return;
    auto& list = p->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    const int count = static_cast<int>(list.size());
    if (v < 0 || v > count) v = count;
    list.insert(list.begin() + v, this);
}

void TWinControl::Realign()
{
    if (FAligning || Destroying()) return;
    int left = 0, top = 0, width = FWidth, height = FHeight;
    AdjustClientRect(left, top, width, height);
    int right = left + std::max(0, width), bottom = top + std::max(0, height);
    FAligning = true;
    try {
        auto place = [&](TAlign align) {
            std::vector<TControl*> list;
            for (TControl* c : FControls)
                if (c->FAlign == align && c->FVisible) list.push_back(c);
            // Docked controls keep their order along the side they dock to.
            std::stable_sort(list.begin(), list.end(), [align](const TControl* a, const TControl* b) {
                switch (align) {
                case alTop: return a->FTop < b->FTop;
                case alBottom: return a->FTop + a->FHeight > b->FTop + b->FHeight;
                case alLeft: return a->FLeft < b->FLeft;
                case alRight: return a->FLeft + a->FWidth > b->FLeft + b->FWidth;
                default: return false;
                }
            });
            for (TControl* c : list) {
                // Docked controls keep their own height (or width), even when
                // the parent is too small to show all of it.
                const int w = std::max(0, right - left), h = std::max(0, bottom - top);
                switch (align) {
                case alTop:
                    c->SetBounds(left, top, w, c->FHeight);
                    top += c->FHeight;
                    break;
                case alBottom:
                    c->SetBounds(left, bottom - c->FHeight, w, c->FHeight);
                    bottom -= c->FHeight;
                    break;
                case alLeft:
                    c->SetBounds(left, top, c->FWidth, h);
                    left += c->FWidth;
                    break;
                case alRight:
                    c->SetBounds(right - c->FWidth, top, c->FWidth, h);
                    right -= c->FWidth;
                    break;
                default: c->SetBounds(left, top, w, h); break;
                }
            }
        };
        for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : FTabList) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

bool TWinControl::CanFocus() const
{
    const TForm* form = GetParentForm();
    if (!form) return false;
    for (const TControl* c = this; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus()
{
    TForm* form = GetParentForm();
    if (!form || !CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    form->SetFocusedControl(this);
}

bool TWinControl::Focused() const
{
    const TForm* form = GetParentForm();
    return form && form != this && form->ActiveControl() == this;
}

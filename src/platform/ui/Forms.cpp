#include "platform/ui/Forms.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "platform/ui/Dialogs.h"
#include "platform/ui/QtBridge.h"
#include "platform/ui/StdCtrls.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

// Runs the Application's message queue when Qt's loop reaches the wake-up
// event PostMessage sends, so posted messages also run inside QApplication's
// own loop and nested modal loops.
class TQueueWaker : public QObject {
public:
    explicit TQueueWaker(std::function<void()> run) : FRun(std::move(run)) {}
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User) return QObject::event(e);
        Pending = false;
        FRun();
        return true;
    }
    bool Pending = false;

private:
    std::function<void()> FRun;
};

TQueueWaker* Waker = nullptr;

} // namespace

// ---------------------------------------------------------------------------
// TForm

const TClassInfo& TForm::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TForm>("TForm", TWinControl::StaticClass())
            .Prop<TWinControl*>("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
            .SetProp<TBorderIcons>("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons,
                                   {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"})
            .Prop<std::string>("Caption", &TForm::Caption, &TForm::SetCaption)
            .Field("KeyPreview", &TForm::KeyPreview)
            .Prop<TModalResult>("ModalResult", &TForm::ModalResult, &TForm::SetModalResult)
            .Prop<TPosition>("Position", &TForm::Position, &TForm::SetPosition,
                             {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                              "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"})
            .Prop<TWindowState>("WindowState", &TForm::WindowState, &TForm::SetWindowState,
                                {"wsNormal", "wsMinimized", "wsMaximized"})
            .Field("OnActivate", &TForm::OnActivate)
            .Field("OnClose", &TForm::OnClose)
            .Field("OnCloseQuery", &TForm::OnCloseQuery)
            .Field("OnCreate", &TForm::OnCreate)
            .Field("OnDeactivate", &TForm::OnDeactivate)
            .Field("OnDestroy", &TForm::OnDestroy)
            .Field("OnHide", &TForm::OnHide)
            .Field("OnResize", &TForm::OnResize)
            .Field("OnShow", &TForm::OnShow)
            .Build();
    return info;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner)
{
    FVisible = false;
    SetTabStop(false);
    SetBorderIcons(FBorderIcons);
    SetBounds(0, 0, 320, 240);
}

void TForm::BeforeDestruction()
{
    try {
        OnDestroy(this);
    } catch (...) {
        Application->HandleCurrentException();
    }
}

TForm::~TForm()
{
    BeginDestroy();
    // A form deleted without Free still tells its OnDestroy handler.
    EnsureBeforeDestruction();
    if (FModalLoop) FModalLoop->quit();
    FActiveControl = nullptr;
    DestroyChildren();
    if (Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TForm::DoCreate() { OnCreate(this); }

void TForm::SetCaption(const std::string& v)
{
    FCaption = v;
    if (Widget()) Widget()->setWindowTitle(QString::fromStdString(v));
}

void TForm::SetActiveControl(TWinControl* control)
{
    if (control && (control == this || control->GetParentForm() != this || !control->CanFocus()))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetFocusedControl(control);
}

void TForm::SetFocusedControl(TWinControl* control)
{
    if (control && control->GetParentForm() != this)
        throw EInvalidOperation("Cannot focus a control of another form");
    if (control == FActiveControl) {
        SyncQtFocus();
        return;
    }
    TWinControl* old = FActiveControl;
    if (old) {
        old->DoExit(); // an exception here keeps the focus on the old control
        // OnExit moved the focus itself: that move stands.
        if (FActiveControl != old) return;
    }
    FActiveControl = control;
    if (control) control->DoEnter();
    const std::vector<TNotifyEvent> hooks = FFocusHooks; // a hook may remove itself
    for (const auto& hook : hooks) hook(this);
    SyncQtFocus();
}

void TForm::AddFocusChangeHook(const TNotifyEvent& hook)
{
    if (hook) FFocusHooks.push_back(hook);
}

void TForm::RemoveFocusChangeHook(const TNotifyEvent& hook)
{
    auto it = std::find(FFocusHooks.begin(), FFocusHooks.end(), hook);
    if (it != FFocusHooks.end()) FFocusHooks.erase(it);
}

void TForm::UserFocusChange(TWinControl* control)
{
    try {
        SetFocusedControl(control);
    } catch (...) {
        SyncQtFocus();
        Application->HandleCurrentException();
    }
}

void TForm::SyncQtFocus()
{
    QWidget* w = Widget();
    if (!w || !w->isVisible() || !FActiveControl || !FActiveControl->Widget()) return;
    FSettingQtFocus = true;
    FActiveControl->Widget()->setFocus(Qt::OtherFocusReason);
    FSettingQtFocus = false;
}

void TForm::ControlDestroying(TControl* control)
{
    for (TControl* c = FActiveControl; c; c = c->Parent())
        if (c == control) {
            FActiveControl = nullptr;
            return;
        }
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FActiveControl) FActiveControl = nullptr;
}

std::vector<TWinControl*> TForm::GetTabOrderList() const
{
    std::vector<TWinControl*> list;
    TWinControl::GetTabOrderList(list);
    return list;
}

TWinControl* TForm::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const
{
    const std::vector<TWinControl*> list = GetTabOrderList();
    const int n = static_cast<int>(list.size());
    if (n == 0) return nullptr;
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[i] == current) start = i;
    if (start < 0) start = goForward ? n - 1 : 0;
    for (int step = 1; step <= n; ++step) {
        const int i = ((goForward ? start + step : start - step) % n + n) % n;
        TWinControl* c = list[i];
        if (c == current) break;
        if ((!checkTabStop || c->TabStop()) && c->CanFocus()) return c;
    }
    return nullptr;
}

void TForm::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop)) SetFocusedControl(next);
}

void TForm::SetModalResult(TModalResult v)
{
    FModalResult = v;
    if (FModal && v != mrNone && FModalLoop) FModalLoop->quit();
}

bool TForm::CanFocus() const { return Visible() && Enabled(); }

void TForm::SetFocus()
{
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    Widget()->activateWindow();
    SyncQtFocus();
}

void TForm::Show()
{
    SetVisible(true);
    if (Widget() && Widget()->isVisible()) {
        // The offscreen platform has no stacking order to change.
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) Widget()->raise();
        Widget()->activateWindow();
    }
}

void TForm::VisibleChanged()
{
    QWidget* w = Widget();
    if (Visible()) {
        ApplyPosition();
        OnShow(this);
        if (!w || !Visible()) return;
        switch (FWindowState) {
        case wsMinimized: w->showMinimized(); break;
        case wsMaximized: w->showMaximized(); break;
        default: w->show(); break;
        }
        if (!FActiveControl) {
            if (TWinControl* first = FindNextControl(nullptr, true, true)) SetFocusedControl(first);
        } else {
            SyncQtFocus();
        }
    } else {
        if (w) {
            ++TControlBridge::FocusMuted;
            w->hide();
            --TControlBridge::FocusMuted;
        }
        OnHide(this);
    }
}

void TForm::ApplyPosition()
{
    if (FPosition != poScreenCenter && FPosition != poDesktopCenter) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect r = screen->availableGeometry();
    SetBounds(r.x() + (r.width() - Width()) / 2, r.y() + (r.height() - Height()) / 2, Width(), Height());
}

void TForm::SetBounds(int left, int top, int width, int height)
{
    const bool resized = width != Width() || height != Height();
    TWinControl::SetBounds(left, top, width, height);
    if (resized) OnResize(this);
}

void TForm::Resized(int width, int height)
{
    if (width == Width() && height == Height()) return;
    FWidth = width;
    FHeight = height;
    Realign();
    OnResize(this);
}

void TForm::SetWindowState(TWindowState v)
{
    if (v == FWindowState) return;
    FWindowState = v;
    if (!Visible() || !Widget()) return;
    switch (v) {
    case wsMinimized: Widget()->showMinimized(); break;
    case wsMaximized: Widget()->showMaximized(); break;
    default: Widget()->showNormal(); break;
    }
}

void TForm::SetBorderIcons(TBorderIcons v)
{
    FBorderIcons = v & 0x0F;
    QWidget* w = Widget();
    if (!w) return;
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    if (v & BorderIcon(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (v & BorderIcon(biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
    if (v & BorderIcon(biMaximize)) flags |= Qt::WindowMaximizeButtonHint;
    if (v & BorderIcon(biHelp)) flags |= Qt::WindowContextHelpButtonHint;
    const bool shown = w->isVisible();
    w->setWindowFlags(flags);
    if (shown) w->show();
}

bool TForm::HandleKeyDown(TWinControl* target, std::uint16_t& key, TShiftState shift)
{
    FSwallowChar = 0;
    if (KeyPreview && target != this) {
        KeyDown(key, shift);
        if (key == 0) return true;
    }
    target->KeyDown(key, shift);
    if (key == 0) return true;
    if (DialogKey(target, key, shift)) {
        FSwallowChar = key == VK_RETURN ? '\r' : '\x1b';
        key = 0;
        return true;
    }
    return false;
}

namespace {

// Visible and enabled up to the form (a button on a hidden page does not count).
bool Reachable(const TControl* c, const TForm* form)
{
    for (; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return c == form;
}

TButton* FindDialogButton(const TWinControl* parent, const TForm* form, bool cancel)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c); b && (cancel ? b->Cancel() : b->Default()) && Reachable(b, form))
            return b;
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            if (TButton* b = FindDialogButton(wc, form, cancel)) return b;
    }
    return nullptr;
}

} // namespace

bool TForm::DialogKey(TWinControl* target, std::uint16_t key, TShiftState shift)
{
    if ((key != VK_RETURN && key != VK_ESCAPE) || (shift & (Shift(ssCtrl) | Shift(ssAlt)))) return false;
    if (key == VK_RETURN) {
        if (auto* focused = dynamic_cast<TButton*>(target)) {
            focused->Click();
            return true;
        }
        if (auto* memo = dynamic_cast<TMemo*>(target); memo && memo->WantReturns()) return false;
    }
    TButton* button = FindDialogButton(this, this, key == VK_ESCAPE);
    if (!button) return false;
    button->Click();
    return true;
}

bool TForm::HandleKeyPress(TWinControl* target, char& key)
{
    if (FSwallowChar && key == FSwallowChar) {
        FSwallowChar = 0;
        return true;
    }
    FSwallowChar = 0;
    if (KeyPreview && target != this) {
        KeyPress(key);
        if (key == 0) return true;
    }
    target->KeyPress(key);
    return key == 0;
}

bool TForm::HandleKeyUp(TWinControl* target, std::uint16_t& key, TShiftState shift)
{
    if (KeyPreview && target != this) {
        KeyUp(key, shift);
        if (key == 0) return true;
    }
    target->KeyUp(key, shift);
    return key == 0;
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close()
{
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    OnClose(this, action);
    if (action == caNone) return;
    if (Application->MainForm() == this && action != caMinimize) Application->Terminate();
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

void TForm::Release()
{
    if (FReleasing) return;
    FReleasing = true;
    Application->PostMessage(Handle(), CM_RELEASE);
}

void TForm::CloseModal()
{
    TCloseAction action = CloseQuery() ? caHide : caNone;
    if (action != caNone) OnClose(this, action);
    if (action == caNone) FModalResult = mrNone;
    else if (action == caFree) Release();
}

TModalResult TForm::ShowModal()
{
    if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    FModalResult = mrNone;
    FModal = true;
    if (Widget()) Widget()->setWindowModality(Qt::ApplicationModal);
    auto finish = [this] {
        FModal = false;
        if (Widget()) Widget()->setWindowModality(Qt::NonModal);
        Hide();
    };
    try {
        Show();
        do {
            if (FModalResult == mrNone) {
                const TModalRunner runner = Application->ModalRunner(); // the runner may replace itself
                runner(*this);
            }
            if (FModalResult == mrNone) FModalResult = mrCancel;
            CloseModal();
        } while (FModalResult == mrNone);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return FModalResult;
}

void TForm::DefaultHandler(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE: Close(); break;
    case CM_RELEASE: Free(); break;
    default: TWinControl::DefaultHandler(message); break;
    }
}

// ---------------------------------------------------------------------------
// TApplication

const TClassInfo& TApplication::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TApplication>("TApplication", TComponent::StaticClass())
                                       .Field("HintHidePause", &TApplication::HintHidePause)
                                       .Field("Title", &TApplication::Title)
                                       .Field("OnException", &TApplication::OnException)
                                       .Build();
    return info;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), FModalRunner(&TApplication::DefaultModalRunner) {}

TApplication::~TApplication()
{
    BeginDestroy();
    DestroyComponents();
}

void TApplication::Initialize()
{
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "orvane";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        static_cast<void>(app);
    }
    if (!Waker) Waker = new TQueueWaker([this] { RunQueue(); });
}

HWND TApplication::AllocateHandle(TWinControl* control)
{
    const HWND h = FNextHandle++;
    FHandles[h] = control;
    return h;
}

void TApplication::ReleaseHandle(HWND handle) { FHandles.erase(handle); }

TWinControl* TApplication::FindControl(HWND handle) const
{
    auto it = FHandles.find(handle);
    return it == FHandles.end() ? nullptr : it->second;
}

bool TApplication::PostMessage(HWND handle, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    if (!FindControl(handle)) return false;
    FQueue.push_back({handle, TMessage{msg, wParam, lParam, 0}});
    WakeQueue();
    return true;
}

bool TApplication::PostMessage(TWinControl* control, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    return control && PostMessage(control->Handle(), msg, wParam, lParam);
}

LRESULT TApplication::SendMessage(HWND handle, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* c = FindControl(handle);
    return c ? c->Perform(msg, wParam, lParam) : 0;
}

LRESULT TApplication::SendMessage(TWinControl* control, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    return control ? control->Perform(msg, wParam, lParam) : 0;
}

void TApplication::WakeQueue()
{
    Initialize();
    if (Waker->Pending) return;
    Waker->Pending = true;
    QCoreApplication::postEvent(Waker, new QEvent(QEvent::User));
}

void TApplication::RunQueue()
{
    while (!FQueue.empty()) {
        const TQueued q = FQueue.front();
        FQueue.pop_front();
        // The handle is looked up now: a control freed since the message
        // was posted no longer has it, and the message is dropped.
        TWinControl* target = FindControl(q.Handle);
        if (!target) continue;
        TMessage m = q.Message;
        try {
            target->WndProc(m);
        } catch (...) {
            HandleCurrentException();
        }
    }
}

void TApplication::ProcessMessages()
{
    Initialize();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    RunQueue();
}

void TApplication::Run()
{
    Initialize();
    FTerminated = false;
    if (FMainForm) FMainForm->Show();
    while (!FTerminated) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
        RunQueue();
    }
}

void TApplication::Terminate()
{
    FTerminated = true;
    if (Waker) WakeQueue(); // let a waiting Run loop see it
}

void TApplication::HandleException(const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e)) return;
    if (OnException) {
        OnException(this, e);
        return;
    }
    try {
        MessageDlg(e.what(), mtError, MsgDlgButtons({mbOK}), 0);
    } catch (...) {
        // Nothing sensible remains to be done with an error while reporting one.
    }
}

void TApplication::HandleCurrentException()
{
    try {
        throw;
    } catch (const std::exception& e) {
        HandleException(e);
    } catch (...) {
        HandleException(EPlatformError("Unknown exception"));
    }
}

TModalRunner TApplication::SetModalRunner(TModalRunner runner)
{
    TModalRunner old = std::move(FModalRunner);
    FModalRunner = runner ? std::move(runner) : TModalRunner(&TApplication::DefaultModalRunner);
    return old;
}

void TApplication::DefaultModalRunner(TForm& form)
{
    if (form.ModalResult() != mrNone) return;
    QEventLoop loop;
    form.FModalLoop = &loop;
    loop.exec(QEventLoop::AllEvents);
    form.FModalLoop = nullptr;
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FMainForm) FMainForm = nullptr;
}

// ---------------------------------------------------------------------------
// TScreen

const TClassInfo& TScreen::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TScreen>("TScreen", TComponent::StaticClass()).Build();
    return info;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

const TStringList& TScreen::Fonts()
{
    if (!FFontsLoaded) {
        Application->Initialize();
        QStringList families = QFontDatabase::families();
        families.sort(Qt::CaseInsensitive);
        families.removeDuplicates();
        for (const QString& f : families) FFonts.Add(f.toStdString());
        FFontsLoaded = true;
    }
    return FFonts;
}

int TScreen::Width() const
{
    Application->Initialize();
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 0;
}

int TScreen::Height() const
{
    Application->Initialize();
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 0;
}

TForm* TScreen::ActiveForm() const
{
    const QWidget* active = QApplication::activeWindow();
    if (!active) return nullptr;
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TForm*>(Application->Components(i)); f && f->Widget() == active) return f;
    return nullptr;
}

#pragma once
// Forms, the Application and the Screen.
//
// Focus: every focus move, from SetFocus in code or from the user clicking
// or tabbing, goes through TForm::SetFocusedControl, which runs OnExit of the
// old control, then OnEnter of the new one, then the form's focus-change
// hooks. An exception from OnExit leaves the focus where it was.
//
// Modal forms and message dialogs go through replaceable services of the
// Application (the modal runner here, the dialog service in Dialogs.h), so
// tests and unattended runs can drive them without a nested event loop.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/StringList.h"
#include "platform/ui/Controls.h"

class QEventLoop;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
    poOwnerFormCenter
};
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = std::uint8_t;
constexpr TBorderIcons BorderIcon(TBorderIcon b) { return TBorderIcons(1u << b); }

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
    ORVANE_CLASS_INFO
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Runs OnCreate; code that builds a form calls it once its controls exist
    // (the form's own constructor cannot, its derived parts are not made yet).
    void DoCreate();

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v);

    TWinControl* ActiveControl() const { return FActiveControl; }
    // Moves the focus through the focus path (nullptr clears it).
    void SetActiveControl(TWinControl* control);
    // The one focus path. Returns when the focus is on `control`; an
    // exception from OnExit of the old control propagates and the focus
    // stays where it was.
    void SetFocusedControl(TWinControl* control);
    void AddFocusChangeHook(const TNotifyEvent& hook);
    void RemoveFocusChangeHook(const TNotifyEvent& hook);

    // The next control in tab order after `current` (wrapping), skipping
    // controls that cannot take the focus and, with checkTabStop, those
    // whose TabStop is off; nullptr when there is none.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const;
    // Focuses that control (Enter and Tab walking).
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    std::vector<TWinControl*> GetTabOrderList() const;

    bool KeyPreview = false;

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v);
    bool Modal() const { return FModal; }

    // Show makes the form visible and brings it to the front; ShowModal runs
    // it through the Application's modal runner and returns the modal result.
    void Show();
    void Hide() { SetVisible(false); }
    TModalResult ShowModal();
    // Closes the form: a modal form gets mrCancel; otherwise OnCloseQuery
    // and OnClose decide (hide, free later, minimise or keep open).
    void Close();
    // Frees the form once the messages already queued are handled; handlers
    // of the form's own events use it instead of deleting the form.
    void Release();
    bool CloseQuery();

    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);

    void SetBounds(int left, int top, int width, int height) override;
    bool CanFocus() const override;
    void SetFocus() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnResize;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Key entry from a control's widget: the form's handlers first when
    // KeyPreview is on, then the control's unless the form zeroed the key.
    // Enter and Escape that are left then run the Default or Cancel button
    // (Enter on a focused button clicks that button; a memo that wants
    // returns keeps Enter), and their character is not typed.
    // Returns true when the key was consumed.
    bool HandleKeyDown(TWinControl* target, std::uint16_t& key, TShiftState shift);
    bool HandleKeyPress(TWinControl* target, char& key);
    bool HandleKeyUp(TWinControl* target, std::uint16_t& key, TShiftState shift);

    // Runs when Qt reports that the user put the focus on a control; the
    // focus goes back to the old control if the path refuses.
    void UserFocusChange(TWinControl* control);

    void DefaultHandler(TMessage& message) override;

protected:
    // Runs OnDestroy while the whole form still exists.
    void BeforeDestruction() override;
    void VisibleChanged() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TControl;
    friend class TWinControl;
    friend class TControlBridge;
    friend class TApplication;
    void SyncQtFocus();
    void ApplyPosition();
    void ControlDestroying(TControl* control);
    void CloseModal();
    void Resized(int width, int height);
    bool DialogKey(TWinControl* target, std::uint16_t key, TShiftState shift);

    std::string FCaption;
    TWinControl* FActiveControl = nullptr;
    std::vector<TNotifyEvent> FFocusHooks;
    TModalResult FModalResult = mrNone;
    bool FModal = false;
    QEventLoop* FModalLoop = nullptr;
    TWindowState FWindowState = wsNormal;
    TPosition FPosition = poDesigned;
    TBorderIcons FBorderIcons = BorderIcon(biSystemMenu) | BorderIcon(biMinimize) | BorderIcon(biMaximize);
    bool FSettingQtFocus = false;
    bool FReleasing = false;
    char FSwallowChar = 0; // the character of a key that ran a Default or Cancel button
};

// Receives a modal form already shown and returns once its ModalResult is
// not mrNone (a runner that returns without one counts as mrCancel).
using TModalRunner = std::function<void(TForm& form)>;
using TExceptionEvent = TEvent<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Makes the Qt application if there is none yet (with the offscreen
    // platform when no display is configured).
    void Initialize();

    std::string Title = "Orvane";
    int HintHidePause = 2500;
    TForm* MainForm() const { return FMainForm; }
    void SetMainForm(TForm* f) { FMainForm = f; }

    template <class T>
    void CreateForm(T*& reference)
    {
        reference = new T(this);
        if (!FMainForm) FMainForm = reference;
    }

    // Queues a message for the control with the handle; it is dropped if the
    // control is gone when the queue runs. Returns false for an unknown handle.
    bool PostMessage(HWND handle, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(TWinControl* control, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Delivers at once to the control's WndProc and returns the result
    // (0 for an unknown handle).
    LRESULT SendMessage(HWND handle, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(TWinControl* control, unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs Qt's pending events, then every queued message (also those posted
    // while the queue runs).
    void ProcessMessages();
    // Runs the main loop until Terminate (or the main form closes).
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    TWinControl* FindControl(HWND handle) const;

    // An exception that escaped an event handler: OnException, or the error
    // shown through the dialog service; EAbort stays silent.
    void HandleException(const std::exception& e);
    void HandleCurrentException(); // inside a catch block
    TExceptionEvent OnException;

    // The modal runner service; Set returns the previous runner.
    TModalRunner SetModalRunner(TModalRunner runner);
    const TModalRunner& ModalRunner() const { return FModalRunner; }
    static void DefaultModalRunner(TForm& form);

    // Used by window controls.
    HWND AllocateHandle(TWinControl* control);
    void ReleaseHandle(HWND handle);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct TQueued {
        HWND Handle;
        TMessage Message;
    };
    void WakeQueue();
    void RunQueue();

    TForm* FMainForm = nullptr;
    std::map<HWND, TWinControl*> FHandles;
    HWND FNextHandle = 0x100;
    std::deque<TQueued> FQueue;
    bool FRunningQueue = false;
    bool FTerminated = false;
    TModalRunner FModalRunner;
};

class TScreen : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TScreen(TComponent* AOwner);
    // Font families known to the system, sorted.
    const TStringList& Fonts();
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return ScreenPixelsPerInch; }
    TForm* ActiveForm() const;

private:
    TStringList FFonts;
    bool FFontsLoaded = false;
};

extern TApplication* Application;
extern TScreen* Screen;

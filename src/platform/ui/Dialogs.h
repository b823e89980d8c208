#pragma once
// Message dialogs. A message dialog is a real form whose buttons are named
// "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll",
// "YesToAll" and "Help", so callers can change a caption by name before it
// is shown. Showing goes through the dialog service: by default the dialog
// runs modally; a TDialogRecorder records each dialog and answers it.
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = std::uint16_t;

constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn b) { return TMsgDlgButtons(1u << b); }
constexpr TMsgDlgButtons MsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons)
{
    TMsgDlgButtons set = 0;
    for (TMsgDlgBtn b : buttons) set |= MsgDlgButton(b);
    return set;
}
constexpr TMsgDlgButtons mbYesNoCancel = MsgDlgButtons({mbYes, mbNo, mbCancel});
constexpr TMsgDlgButtons mbOKCancel = MsgDlgButtons({mbOK, mbCancel});
constexpr TMsgDlgButtons mbAbortRetryIgnore = MsgDlgButtons({mbAbort, mbRetry, mbIgnore});

// The component name of a dialog button ("OK", "NoToAll" ...) and the modal
// result it gives (mbHelp gives mrNone).
const char* MsgDlgButtonName(TMsgDlgBtn button);
TModalResult MsgDlgButtonResult(TMsgDlgBtn button);

// The form made for a message dialog.
class TMessageForm : public TForm {
    ORVANE_CLASS_INFO
public:
    explicit TMessageForm(TComponent* AOwner);
    TMsgDlgType DlgType = mtCustom;
    // The message text (the caption of the label named "Message").
    std::string Text() const;
    // Names of the buttons, left to right.
    std::vector<std::string> ButtonNames() const;
};

// A dialog owned by the Application; the caller shows it (ShowMessageDialog)
// and frees it.
TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);
// Shows the dialog through the dialog service and returns its modal result.
TModalResult ShowMessageDialog(TForm& dialog);
TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
void ShowMessage(const std::string& msg);

// The dialog service: shows a dialog form and returns its modal result.
using TDialogService = std::function<TModalResult(TForm& dialog)>;
// Installs a service (an empty one restores the default) and returns the
// previous one.
TDialogService SetDialogService(TDialogService service);
TModalResult DefaultDialogService(TForm& dialog);

struct TDialogRecord {
    std::string Caption;
    std::string Text;
    TMsgDlgType Type = mtCustom;
    std::vector<std::string> Buttons;        // button names, left to right
    std::vector<std::string> ButtonCaptions; // their captions as shown
    std::string Answer;                      // the button pressed
    TModalResult Result = mrNone;
};

// Records every dialog shown while it exists and answers it by pressing a
// button: the next queued answer, otherwise the dialog's cancel button
// (Cancel, else No, else OK), as Escape would. Answering with a button the
// dialog does not have raises EInvalidOperation.
class TDialogRecorder {
public:
    TDialogRecorder();
    ~TDialogRecorder();
    TDialogRecorder(const TDialogRecorder&) = delete;
    TDialogRecorder& operator=(const TDialogRecorder&) = delete;

    void Answer(const std::string& buttonName) { FAnswers.push_back(buttonName); }
    const std::vector<TDialogRecord>& Records() const { return FRecords; }

private:
    TModalResult Show(TForm& dialog);
    TDialogService FPrevious;
    std::deque<std::string> FAnswers;
    std::vector<TDialogRecord> FRecords;
};

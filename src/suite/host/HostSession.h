#pragma once
// One run of a module in the host: load the library, get a controller,
// create and show the form, hand over run requests, and report the
// notifications and results. The automation mode (--script) reads one JSON
// command per line and writes one JSON event per line.
#include <deque>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "module/DLLBaseCtrller.h"
#include "platform/core/Variant.h"
#include "platform/os/Library.h"
#include "platform/ui/Dialogs.h"
#include "suite/host/HostManager.h"

class TForm;

// Exit codes of the host.
enum THostExit : int {
    heOk = 0,
    heUsage = 2,
    heModule = 3,     // the module library could not be loaded or has no GetController
    heController = 4, // GetController or CreateForm failed
};

// How message dialogs are answered: shown to the user, answered with OK or
// with the dialog's cancel button, or recorded as events and answered by
// the script (the cancel button when no answer is queued).
enum class TDialogMode { Ask, Ok, Cancel, Record };

class THostSession {
public:
    THostSession(std::ostream& out, std::ostream& err);
    // The Manager handed to the module.
    const std::shared_ptr<THostManager>& Manager() const { return FManager; }
    ~THostSession();

    // Loads the library and gets its controller; false (with a message on
    // err) when that fails.
    bool Load(const std::string& modulePath);
    void SetDialogMode(TDialogMode mode);

    // Creates the form with the host parameters; the controller's result.
    std::int32_t CreateForm(const Variant& params);
    // [mode, [byName = true, [texts, data]]] built from control=value pairs.
    static Variant BuildRunRequest(int mode, const std::vector<std::pair<std::string, Variant>>& values);
    std::int32_t RunRequest(const Variant& runRequestArray);

    // Interactive: shows the form and runs the event loop until the form is
    // destroyed.
    void RunInteractive();
    // Unattended: hands over the run request, lets the form finish and frees
    // it if it is still open.
    void RunUnattended(const Variant& runRequestArray);
    // Automation: one JSON command per line from in until end of input or
    // "free".
    void RunScript(std::istream& in);

    // Frees the controller (and a form it still holds) and prints the result.
    void Finish();

    bool FormAlive();

private:
    TForm* FormObject();
    // Writes one event line in automation mode; other modes print their own lines.
    void Emit(const std::string& jsonLine);
    void ExecuteCommand(const std::string& line);
    TModalResult AnswerDialog(TForm& dialog);
    // The host's own windows (pick list, date picker) in the modes that do
    // not ask the user: recorded as events and answered like dialogs.
    TModalResult AnswerWindow(TForm& window);
    std::string NextAnswer();
    void ReportResult();

    std::ostream& FOut;
    std::ostream& FErr;
    std::unique_ptr<os::TLibrary> FLibrary;
    std::unique_ptr<TDLLBaseController> FController;
    std::shared_ptr<THostManager> FManager;
    TDialogMode FDialogMode = TDialogMode::Ask;
    TDialogService FPreviousDialogService;
    bool FDialogServiceInstalled = false;
    std::deque<std::string> FAnswers;
    bool FScript = false;
    bool FDestroyed = false;
    bool FResultReported = false;
};

#pragma once
// TDLLBaseController: the controller a module library hands to the host.
// The host is built against this same declaration: the order of the virtual
// operations and of the public fields is the interface and must not change.
// Everything is defined here, so host and module need no shared object code.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/core/Events.h"
#include "platform/core/Properties.h"
#include "platform/core/Variant.h"
#include "platform/ui/Messages.h"

using TControllerNotifyEvent = TEvent<void(std::int32_t Code, TObject* Sender)>;

constexpr std::int32_t NOTIFY_FORM_CREATED = 256;
constexpr std::int32_t NOTIFY_FORM_SHOWN = 272;
constexpr std::int32_t NOTIFY_FORM_HIDDEN = 288;
constexpr std::int32_t NOTIFY_FORM_DESTROYED = 304;
constexpr std::int32_t NOTIFY_EXTRA = 320;

class TDLLBaseController : public TObject {
public:
    // The host's service object, stored by the host before CreateForm.
    Variant Manager;
    // Copied from the form when it is destroyed: 0 nothing submitted, 1 a
    // job was submitted or processed, 2 the user cancelled.
    std::int32_t ResultCode = 0;
    // The job number of the last submission, else unassigned.
    Variant ResultValue;
    TControllerNotifyEvent OnNotify;

    // The form's version text; nothing (the caller keeps its value) when
    // there is no form.
    virtual std::optional<std::string> GetVersion() = 0;
    // -1 when the form is visible, 0 otherwise.
    virtual std::int32_t GetVisible() = 0;
    virtual void SetVisible(std::int16_t Show) = 0;
    virtual HWND GetHandle() = 0;
    // 0 on success, -1 on failure.
    virtual std::int32_t CreateForm(const Variant& Params) = 0;
    virtual std::int32_t RunRequest(const Variant& Request) = 0;
    virtual std::int32_t ExecuteCommand(std::int32_t Code, const Variant& Value) = 0;
    virtual Variant ShowModal() = 0;
    virtual void FreeForm() = 0;
    // [UserID, CompanyID, ProgramID, ProgramName] (bounds 0..3); -1 and
    // Context untouched when there is no form.
    virtual std::int32_t GetContext(Variant& Context) = 0;
    virtual bool FormIsNil() = 0;
    virtual void NotifyFormCreated() { DoNotify(NOTIFY_FORM_CREATED); }
    virtual void DoFormShow(TObject* Sender) { DoNotify(NOTIFY_FORM_SHOWN); }
    virtual void DoFormHide(TObject* Sender) { DoNotify(NOTIFY_FORM_HIDDEN); }
    virtual void DoFormDestroy(TObject* Sender) { DoNotify(NOTIFY_FORM_DESTROYED); }
    virtual void NotifyExtra() { DoNotify(NOTIFY_EXTRA); }
    virtual void DoNotify(std::int32_t Code)
    {
        if (OnNotify) OnNotify(Code, this);
    }
    virtual void ReservedHook() {}
};

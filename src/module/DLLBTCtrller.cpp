#include "module/DLLBTCtrller.h"

#include <exception>

#include "module/DLLFunc.h"
#include "platform/core/Exceptions.h"
#include "platform/os/Library.h"

TfrmBaseBatchClass frmBaseBatchClass = nullptr;

namespace {
TDLLBaseController* NewBTController() { return new TDLLBTCtrller(); }

// The unit's initialisation registers this controller class.
const bool Registered = [] {
    DLLControllerClass = &NewBTController;
    return true;
}();

// The full path of the library this code is linked into.
std::string ThisModuleFileName() { return os::ModuleFileName(reinterpret_cast<const void*>(&NewBTController)); }
} // namespace

TDLLBTCtrller::~TDLLBTCtrller()
{
    if (Form) FreeForm();
}

std::optional<std::string> TDLLBTCtrller::GetVersion()
{
    if (!Form) return std::nullopt;
    return Form->VersionText;
}

std::int32_t TDLLBTCtrller::GetVisible() { return Form && Form->Visible() ? -1 : 0; }

void TDLLBTCtrller::SetVisible(std::int16_t Show)
{
    if (!Form) return;
    if (Show == 0) {
        Form->Hide();
        return;
    }
    Form->SetVisible(true);
    if (Form->WindowState() == wsMinimized) Form->SetWindowState(wsNormal);
    Form->Show(); // brings the window to the front
}

HWND TDLLBTCtrller::GetHandle() { return Form ? Form->Handle() : 0; }

std::int32_t TDLLBTCtrller::CreateForm(const Variant& Params)
{
    if (!Form) {
        if (!frmBaseBatchClass)
            throw EPlatformError("KVT DLL Internal Error :\rNot Assign \"frmBaseBatchClass\" varible");
        Form = frmBaseBatchClass(nullptr);
        Form->SetModuleFileName(ThisModuleFileName());
        Form->Manager = Manager;
        NotifyFormCreated();
    }
    // A second call on a form that already carries our hooks keeps the
    // handlers saved the first time, so no hook ends up calling itself.
    const TNotifyEvent showHook(this, &TDLLBTCtrller::DoFormShow);
    const TNotifyEvent hideHook(this, &TDLLBTCtrller::DoFormHide);
    const TNotifyEvent destroyHook(this, &TDLLBTCtrller::DoFormDestroy);
    if (!(Form->OnShow == showHook)) SavedOnShow = Form->OnShow;
    if (!(Form->OnHide == hideHook)) SavedOnHide = Form->OnHide;
    if (!(Form->OnDestroy == destroyHook)) SavedOnDestroy = Form->OnDestroy;
    Form->OnShow = showHook;
    Form->OnHide = hideHook;
    Form->OnDestroy = destroyHook;
    return Form->Initialize(Params) ? 0 : -1;
}

std::int32_t TDLLBTCtrller::RunRequest(const Variant& Request)
{
    if (!Form || !VarIsArray(Request)) return -1;
    try {
        Form->RunFromHost(Request[1]);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

std::int32_t TDLLBTCtrller::ExecuteCommand(std::int32_t Code, const Variant& Value)
{
    if (!Form || Code != 5) return -1;
    try {
        Form->RunFromHost(Value);
        return 0;
    } catch (const std::exception&) {
        return -1;
    }
}

Variant TDLLBTCtrller::ShowModal()
{
    if (!Form) return Variant(static_cast<std::int32_t>(mrCancel));
    return Variant(static_cast<std::int32_t>(Form->ShowModal()));
}

void TDLLBTCtrller::FreeForm()
{
    if (!Form || Form->BeforeDestructionDone()) return;
    Form->Free();
}

std::int32_t TDLLBTCtrller::GetContext(Variant& Context)
{
    if (!Form) return -1;
    Context = VarArrayCreate({0, 3}, varVariant);
    Context[0] = Form->UserID;
    Context[1] = Form->CompanyID;
    Context[2] = Form->ProgramID;
    Context[3] = Form->ProgramName;
    return 0;
}

bool TDLLBTCtrller::FormIsNil() { return Form == nullptr; }

void TDLLBTCtrller::DoFormShow(TObject* Sender)
{
    if (SavedOnShow) SavedOnShow(Sender);
    TDLLBaseController::DoFormShow(Sender);
}

void TDLLBTCtrller::DoFormHide(TObject* Sender)
{
    if (SavedOnHide) SavedOnHide(Sender);
    TDLLBaseController::DoFormHide(Sender);
}

void TDLLBTCtrller::DoFormDestroy(TObject* Sender)
{
    if (Form) {
        ResultCode = Form->ResultCode;
        ResultValue = Form->ResultValue;
        if (SavedOnDestroy) SavedOnDestroy(Sender);
        TDLLBaseController::DoFormDestroy(Sender);
    }
    Form = nullptr;
}

#pragma once
// TDLLBTCtrller: the controller of a batch program module. It creates the
// module's batch form, hooks its show, hide and destroy events to tell the
// host, and hands run requests from the host to the form.
#include "forms/BaseBatchCF.h"
#include "module/DLLBaseCtrller.h"

// A class reference: makes a batch form of the module's own class.
using TfrmBaseBatchClass = TfrmBaseBatch* (*)(TComponent* AOwner);

// Set by the library's start-up code.
extern TfrmBaseBatchClass frmBaseBatchClass;

class TDLLBTCtrller : public TDLLBaseController {
public:
    ~TDLLBTCtrller() override;

    TfrmBaseBatch* Form = nullptr;
    TNotifyEvent SavedOnShow;
    TNotifyEvent SavedOnHide;
    TNotifyEvent SavedOnDestroy;

    std::optional<std::string> GetVersion() override;
    std::int32_t GetVisible() override;
    void SetVisible(std::int16_t Show) override;
    HWND GetHandle() override;
    std::int32_t CreateForm(const Variant& Params) override;
    std::int32_t RunRequest(const Variant& Request) override;
    std::int32_t ExecuteCommand(std::int32_t Code, const Variant& Value) override;
    Variant ShowModal() override;
    void FreeForm() override;
    std::int32_t GetContext(Variant& Context) override;
    bool FormIsNil() override;
    void DoFormShow(TObject* Sender) override;
    void DoFormHide(TObject* Sender) override;
    void DoFormDestroy(TObject* Sender) override;
};

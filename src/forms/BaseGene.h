#pragma once
// TfrmBaseGene: the generic option form every program window derives from.
// This unit holds what the host controller drives - module path, host
// parameters, run requests from the host, the results copied back - and the
// coded-message lists every form keeps.
#include <cstdint>
#include <string>

#include "forms/KVForm.h"
#include "platform/core/Variant.h"
#include "platform/ui/StdCtrls.h"

class TfrmBaseGene : public TKVForm {
    ORVANE_CLASS_INFO
public:
    explicit TfrmBaseGene(TComponent* AOwner);

    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;

    std::string ModulePath;
    bool IsDllMode = false;
    std::string VersionText;
    std::string UserID, CompanyID, DatabaseName;
    HWND HostWindow = 0;
    Variant HostExtra;
    Variant Manager;
    std::string ProgramID, ProgramName;
    std::int32_t ResultCode = 0;
    Variant ResultValue;
    bool ShowJobMessage = false;
    bool HostRunReady = false;
    // The last run request handed over by the host.
    Variant HostRequest;

    // Coded messages added since Initialize, each followed by "; ", and
    // their texts (each text once).
    std::string MessageCodes;
    std::string MessageText;
    TWinControl* LastFocused = nullptr;
    bool ChangingPage = false;

    void FormCreate(TObject* Sender) override;
    // Closing the window frees it.
    virtual void FormClose(TObject* Sender, TCloseAction& Action) { Action = caFree; }

    // Called by the controller before anything else with the module's path.
    void SetModuleFileName(const std::string& path);
    // Reads the host parameters and prepares the form; runs once per form.
    // False when the form must not be shown.
    virtual bool Initialize(const Variant& Params);
    // A run request from the host: [mode, [byName, [texts, data]]] element 1.
    void RunFromHost(const Variant& R);
    bool CheckHostValueNames(const Variant& values);
    virtual bool ApplyHostValues(const Variant& Values) { return false; }
    virtual bool RunUnattended(std::int32_t Mode) { return true; }

    // Coded messages.
    void GetMessageText(const std::string& Kind, const std::string& Number, std::string& Text);
    void ShowMessages(const std::string& Coded);
    void AddErrorText(const std::string& Text);
    TModalResult ShowMessageCode(const std::string& Kind, const std::string& Number, TMsgDlgButtons Buttons,
                                 const std::vector<Variant>& Args);
    TModalResult ShowDialog(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons);

protected:
    void ReadHostParams(const Variant& Params);
    bool CancelFocused() const;
    bool FInitialized = false;
};

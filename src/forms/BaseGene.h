#pragma once
// TfrmBaseGene: the generic option form every program window derives from.
//
// The window is the frame of one program of the suite: the option pages
// (pgOption: the program's tsOption1 and the system page tsOption2 with the
// print date), the condition-scheme panel on the left, OK and Cancel at the
// bottom. It owns the connection to the application server and the host's
// services, shows coded messages from the host's catalogue, keeps the
// company's system parameters (date notation and separator among them) and
// builds the job parameter array a submission sends to the server.
//
// This unit holds the window's definition and its lifecycle as the host
// controller drives it (creation, Initialize, show, close, destroy), the
// program declaration and the job parameters. The service, message and date
// operations live in BaseGeneU.cpp.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/DBLabel.h"
#include "controls/F2Button.h"
#include "forms/KVForm.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"
#include "platform/data/DataSet.h"
#include "platform/midas/SocketConnection.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Mask.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

// The host services a program asks for (HostServices, a set held as bit
// values); the member with value 4 is the quick-pick window service.
constexpr std::uint8_t hsQuickPickWindow = 4;

// The colour of a required control.
constexpr TColor RequiredFieldColor = 0xAFFFFF;

class TfrmBaseGene : public TKVForm {
    ORVANE_CLASS_INFO
public:
    explicit TfrmBaseGene(TComponent* AOwner);
    ~TfrmBaseGene() override;

    // --- Owned components -------------------------------------------------
    TPageControl* pgOption = nullptr;
    TTabSheet* tsOption1 = nullptr;
    TTabSheet* tsOption2 = nullptr;
    TDBLabel* lblToday = nullptr;
    TMaskEdit* edPrintDate = nullptr;
    TF2Button* btnPrintDate = nullptr;
    TPanel* Panel1 = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;
    TPanel* pnlCondition = nullptr;
    TLabel* lblCondition = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TToolButton* btnInsert = nullptr;
    TToolButton* btnOpen = nullptr;
    TToolButton* btnDelete = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TListView* lstCondition = nullptr;
    TImageList* ImageList1 = nullptr;
    TImageList* ImageList2 = nullptr;
    TPopupMenu* muOperation = nullptr;
    TMenuItem *N2 = nullptr, *N3 = nullptr;
    TPopupMenu* mnList = nullptr;
    TMenuItem *N7 = nullptr, *N8 = nullptr, *N9 = nullptr, *N10 = nullptr;
    TSplitter* Splitter1 = nullptr;
    // The middle-tier connection, its broker and the scheme list's data
    // (provider "pvdConSave" of the application server).
    std::unique_ptr<TSocketConnection> MainMidas;
    std::unique_ptr<TSimpleObjectBroker> ObjBroker;
    std::unique_ptr<TClientDataSet> ClientDataSet1;

    // --- State ----------------------------------------------------------------
    std::string ModulePath;
    bool IsDllMode = false;
    std::string VersionText;
    std::string UserID, CompanyID, DatabaseName;
    HWND HostWindow = 0;
    Variant HostExtra;

    // Host services and the application server (automation objects).
    Variant Manager;
    Variant CounterService;
    Variant ValidatorService;
    Variant QuickPickService;
    Variant AppServer;
    bool LocalServer = false;
    std::int32_t ProductNumber = 0;
    Variant VersionType;

    std::string ProgramID, ServerClassName, ProgramName, CaptionName, TitleText;
    std::string ProgramKind;
    std::int32_t EnvCount = 0;
    std::int32_t OptionCount = 0;
    std::int32_t BaseOptionCount = 0;
    std::uint8_t HostServices = 0;
    std::string DateFields, YearMonthFields;
    std::string RequiredFields;
    std::string SchemeFields;
    TStringList DateRules;
    Variant Parameters;
    bool WantLog = false;
    // The data-limit text and two flags from the user's rights.
    std::u16string BaseLimit;
    bool RightFlag7 = false, RightFlag8 = false;

    std::int32_t ResultCode = 0;
    Variant ResultValue;
    bool ShowJobMessage = false;
    bool HostRunReady = false;
    // The last run request handed over by the host.
    Variant HostRequest;

    bool ValidationFailed = false;
    bool ChangingPage = false;
    TWinControl* LastFocused = nullptr;
    bool SystemPageArranged = false;

    // Coded messages added since Initialize, each followed by "; ", and
    // their texts (each text once).
    std::string MessageCodes;
    std::string MessageText;

    // System parameter cache (name=value lines), the last date notation
    // read, saved colours and the handlers replaced on date fields.
    TStringList SysParams;
    int DateFormatType = 1;
    std::string DateSeparator = "/";
    TStringList SavedColors;

    // Published handlers that other code puts on controls.
    TNotifyEvent OnDateFieldEnter;
    TNotifyEvent OnDateFieldExit;
    TNotifyEvent OnRequiredExit;

    // --- Event handlers -----------------------------------------------------
    void FormCreate(TObject* Sender) override;
    void FormShow(TObject* Sender) override;
    // Closing the window frees it.
    virtual void FormClose(TObject* Sender, TCloseAction& Action);
    virtual void FormDestroy(TObject* Sender);
    void btnCancelClick(TObject* Sender);
    void btnOkClick(TObject* Sender) {}
    void pgOptionChanging(TObject* Sender, bool& AllowChange);
    void pgOptionChange(TObject* Sender);
    void tsOption2Show(TObject* Sender);

    // --- Called by the host controller -----------------------------------
    // Called first with the module's path.
    void SetModuleFileName(const std::string& path);
    // A run request from the host: [mode, [byName, [texts, data]]] element 1.
    void RunFromHost(const Variant& R);
    bool CheckHostValueNames(const Variant& values);

    // --- Virtual operations ---------------------------------------------------
    virtual void ArrangeSystemPage();
    // Builds Parameters; False (with a message shown) when incomplete.
    virtual bool BuildParameters();
    // The program's declarations: ID, kind, date fields, option count.
    virtual void DeclareProgram();
    virtual void PickPhrase(TWinControl* Control);
    virtual void SetRequiredFields(const std::string& List);
    virtual void PrepareDataSets();
    virtual void ConnectHost();
    // Reads the host parameters, binds the services, declares the program
    // and connects to the application server; runs once per form. False
    // when the form must not be shown.
    virtual bool Initialize(const Variant& Params);
    virtual bool CollectOptionValues(Variant& Values, std::int32_t N);
    virtual bool ApplyHostValues(const Variant& Values) { return false; }
    virtual bool CollectEnvironment(Variant& Env, std::int32_t N);
    virtual bool CollectOptionTexts(Variant& Texts, std::int32_t N);
    virtual void AfterSystemInfo() {}
    virtual void GetQuickPickData(const std::string& Table, const std::string& Kind, Variant& Result, bool Flag,
                                  const std::string& Default, const Variant& Params);
    virtual void ConfigureConnection(TSocketConnection& Connection) {}
    virtual bool LoadSchemeList();
    virtual void AfterSchemeOpened() {}
    virtual bool RunUnattended(std::int32_t Mode) { return true; }

    // --- Operations dispatched by index ---------------------------------------
    // QuickPick, ConnectHostServices and ConnectQuickPickWindow are looked up
    // by their index along the class chain, so a derived form replaces one by
    // registering its own body for its class (RegisterDynamic); the body
    // calls the base one (the Base* functions) when it wants to extend it.
    enum TDynamicIndex : int { dmQuickPick = 1, dmConnectHostServices = 2, dmConnectQuickPickWindow = 3 };
    using TDynamicBody = void (*)(TfrmBaseGene& Form, std::uint16_t Key, TWinControl* Control);
    static void RegisterDynamic(const TClassInfo& Class, int Index, TDynamicBody Body);
    void CallDynamic(int Index, std::uint16_t Key = 0, TWinControl* Control = nullptr);
    void QuickPick(std::uint16_t Key, TWinControl* Control) { CallDynamic(dmQuickPick, Key, Control); }
    void ConnectHostServices() { CallDynamic(dmConnectHostServices); }
    void ConnectQuickPickWindow() { CallDynamic(dmConnectQuickPickWindow); }
    void BaseQuickPick(std::uint16_t Key, TWinControl* Control);
    void BaseConnectHostServices();
    void BaseConnectQuickPickWindow();

    // --- Host services and the application server -----------------------
    bool SetupConnection(TSocketConnection& Connection, TSimpleObjectBroker* Broker);
    bool CreateAppServer();
    void SetProgramID(const std::string& ID);
    // Caption from a program name and TitleText (TForm's SetCaption sets
    // the plain caption).
    void SetProgramCaption(const std::string& Name);
    // A named server call through the counter service; unassigned without it.
    void CallServerMethod(const std::string& Name, const Variant& Params, Variant& Result);
    bool CheckOrQueryValue(const std::string& Table, const std::string& Kind, bool Query, Variant& Result,
                           const Variant& Params);
    void ApplyUserRights(const Variant& Reply);

    // --- Coded messages ---------------------------------------------------------
    void GetMessageText(const std::string& Kind, const std::string& Number, std::string& Text);
    void ShowMessages(const std::string& Coded);
    void AddErrorText(const std::string& Text);
    TModalResult ShowMessageCode(const std::string& Kind, const std::string& Number, TMsgDlgButtons Buttons,
                                 const std::vector<Variant>& Args);
    TModalResult ShowDialog(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons);

    // --- System parameters and dates ----------------------------------------
    // An empty name loads the whole table from the counter service.
    std::string GetSysParam(const std::string& Name);
    int GetDateFormatType();
    std::string GetDateSeparator();
    std::string GetDateEditMask();
    std::string GetEmptyDateText();
    // "YYYYMMDD" from a display text; empty for a blank one; the text
    // unchanged when it cannot be read.
    std::string DisplayToStorageDate(const std::string& Text);
    // The display form of a storage date ("" for an empty or invalid one).
    std::string StorageToDisplayDate(const std::string& Date8);
    void SetDateFields(const std::string& List);
    void SetYearMonthFields(const std::string& List);
    bool ValidateDateControl(TWinControl* Control, bool Entering, std::string& MessageCode);
    std::string PickDate(const std::string& Text);

    // --- Option entries and required fields ---------------------------------
    void SetOptionCount(std::int32_t N);
    // True (after "E;000037", with the control focused on its page) when a
    // tested control of the list is empty.
    bool CheckRequiredFields(const std::string& List);
    // A control with a Text that equals its empty value (for a mask that
    // keeps its literals: the blank mask).
    bool IsEmptyControl(TControl* Control);
    void SaveControlColors(TWinControl* Control);
    void RestoreControlColors(TWinControl* Control);

protected:
    bool FInitialized = false;
    void ReadHostParams(const Variant& Params);
    bool CancelFocused() const;
    // Converts a value coming from the server for display, once the form's
    // texts are converted; the single point every server result goes through.
    virtual Variant ConvertFromDatabase(const Variant& Value) const;
    Variant ToDatabase(const Variant& Value) const;
    // The check of a collected array: n elements, none unassigned or null.
    bool CheckCollected(const Variant& X, std::int32_t n, const std::string& LabelKey, const std::string& Default);

private:
    void DateFieldEnter(TObject* Sender);
    void DateFieldExit(TObject* Sender);
    void RequiredExit(TObject* Sender);
    void CheckDateEvent(TWinControl* Control, const std::string& Event);
    void HookDateFields(const std::string& List);
    void UnhookDateFields(const std::string& List);
    void FocusChanged(TObject* Sender);
    void BuildSchemeColumns();

    struct TSavedHandler {
        std::string Key; // control name + ".OnEnter" / ".OnExit"
        TMethod Handler;
    };
    std::vector<TSavedHandler> FSavedDateHandlers;
    TMethod SavedDateHandler(const std::string& Key) const;
    // The program's click handlers of the submit buttons, by button name.
    std::vector<TSavedHandler> FSavedRequiredHandlers;
    TMethod SavedRequiredHandler(const std::string& Name) const;
    void InterceptSubmitButtons();
};

// The program ID a module file stands for: the file name without extension,
// less its last character in library mode (the "C" of "QTVB58C.so"), else
// less two, but never shorter than six characters of the name.
std::string ProgramIDFromModule(const std::string& ModulePath, bool LibraryMode);
// Whether a module file's extension is a shared library's (.dll, .so, .dylib).
bool IsLibraryFileName(const std::string& Path);

#include "forms/BaseGene.h"

#include <algorithm>
#include <type_traits>

#include "platform/core/Automation.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/data/RemoteProvider.h"
#include "runtime/LibStrs.h"

const TClassInfo& TfrmBaseGene::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TfrmBaseGene>("TfrmBaseGene", TKVForm::StaticClass())
            .Field("pgOption", &TfrmBaseGene::pgOption)
            .Field("tsOption1", &TfrmBaseGene::tsOption1)
            .Field("tsOption2", &TfrmBaseGene::tsOption2)
            .Field("lblToday", &TfrmBaseGene::lblToday)
            .Field("edPrintDate", &TfrmBaseGene::edPrintDate)
            .Field("btnPrintDate", &TfrmBaseGene::btnPrintDate)
            .Field("Panel1", &TfrmBaseGene::Panel1)
            .Field("btnOk", &TfrmBaseGene::btnOk)
            .Field("btnCancel", &TfrmBaseGene::btnCancel)
            .Field("pnlCondition", &TfrmBaseGene::pnlCondition)
            .Field("lblCondition", &TfrmBaseGene::lblCondition)
            .Field("ToolBar1", &TfrmBaseGene::ToolBar1)
            .Field("btnInsert", &TfrmBaseGene::btnInsert)
            .Field("btnOpen", &TfrmBaseGene::btnOpen)
            .Field("btnDelete", &TfrmBaseGene::btnDelete)
            .Field("ToolButton1", &TfrmBaseGene::ToolButton1)
            .Field("lstCondition", &TfrmBaseGene::lstCondition)
            .Field("ImageList1", &TfrmBaseGene::ImageList1)
            .Field("ImageList2", &TfrmBaseGene::ImageList2)
            .Field("muOperation", &TfrmBaseGene::muOperation)
            .Field("mnList", &TfrmBaseGene::mnList)
            .Field("Splitter1", &TfrmBaseGene::Splitter1)
            .Prop<TNotifyEvent>(
                "OnDateFieldEnter", [](const TfrmBaseGene& f) { return f.OnDateFieldEnter; }, nullptr)
            .Prop<TNotifyEvent>(
                "OnDateFieldExit", [](const TfrmBaseGene& f) { return f.OnDateFieldExit; }, nullptr)
            .Prop<TNotifyEvent>(
                "OnRequiredExit", [](const TfrmBaseGene& f) { return f.OnRequiredExit; }, nullptr)
            .Field("WantLog", &TfrmBaseGene::WantLog)
            .Build();
    return info;
}

namespace {

constexpr std::uint16_t VK_F2_KEY = 113;

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const char* name)
{
    T* c = new T(owner);
    c->SetName(name);
    if constexpr (std::is_base_of_v<TControl, T>)
        if (parent) c->SetParent(parent);
    return c;
}

TMenuItem* MenuItem(TComponent* owner, TPopupMenu* menu, const char* name, const char* caption)
{
    auto* item = new TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    menu->Items()->Add(item);
    return item;
}

} // namespace

// The window's definition: its components and settings.
TfrmBaseGene::TfrmBaseGene(TComponent* AOwner)
    : TKVForm(AOwner), MainMidas(std::make_unique<TSocketConnection>()),
      ObjBroker(std::make_unique<TSimpleObjectBroker>()), ClientDataSet1(std::make_unique<TClientDataSet>())
{
    SetName("frmBaseGene");
    TForm::SetCaption("frmBaseGene");
    SetBounds(Left(), Top(), 509, 355);
    SetBorderIcons(BorderIcon(biMaximize));
    KeyPreview = true;
    SetPosition(poScreenCenter);
    OnClose = TCloseEvent(this, &TfrmBaseGene::FormClose);
    OnDestroy = TNotifyEvent(this, &TfrmBaseGene::FormDestroy);

    // The condition-scheme panel on the left, then its splitter; docked in
    // this order so the splitter sits right of the panel.
    pnlCondition = Make<TPanel>(this, this, "pnlCondition");
    pnlCondition->SetCaption("");
    pnlCondition->SetBounds(0, 0, 151, 312);
    pnlCondition->SetAlign(alLeft);
    lblCondition = Make<TLabel>(this, pnlCondition, "lblCondition");
    lblCondition->SetCaption(" 条件方案");
    lblCondition->SetAlign(alTop);
    ToolBar1 = Make<TToolBar>(this, pnlCondition, "ToolBar1");
    ToolBar1->SetBounds(0, 17, 151, 22);
    ToolBar1->SetAlign(alTop);
    ImageList1 = Make<TImageList>(this, nullptr, "ImageList1");
    ImageList1->SetWidth(18);
    ImageList1->SetHeight(18);
    ImageList2 = Make<TImageList>(this, nullptr, "ImageList2");
    ImageList2->SetWidth(24);
    ImageList2->SetHeight(24);
    ToolBar1->SetImages(ImageList1);
    btnInsert = Make<TToolButton>(this, ToolBar1, "btnInsert");
    btnInsert->SetCaption("保存(&S)");
    btnInsert->SetHint("保存");
    btnInsert->SetImageIndex(1);
    btnOpen = Make<TToolButton>(this, ToolBar1, "btnOpen");
    btnOpen->SetCaption("开启(&O)");
    btnOpen->SetHint("开启");
    btnOpen->SetImageIndex(2);
    btnDelete = Make<TToolButton>(this, ToolBar1, "btnDelete");
    btnDelete->SetCaption("删除(&D)");
    btnDelete->SetHint("删除");
    btnDelete->SetImageIndex(3);
    ToolButton1 = Make<TToolButton>(this, ToolBar1, "ToolButton1");
    ToolButton1->SetStyle(tbsDropDown);
    ToolButton1->SetImageIndex(4);
    lstCondition = Make<TListView>(this, pnlCondition, "lstCondition");
    lstCondition->SetAlign(alClient);
    lstCondition->SetLargeImages(ImageList2);
    lstCondition->SetSmallImages(ImageList1);
    muOperation = Make<TPopupMenu>(this, nullptr, "muOperation");
    N2 = MenuItem(this, muOperation, "N2", "开启(&O)");
    N3 = MenuItem(this, muOperation, "N3", "删除(&D)");
    mnList = Make<TPopupMenu>(this, nullptr, "mnList");
    N7 = MenuItem(this, mnList, "N7", "大型图标(&G)");
    N8 = MenuItem(this, mnList, "N8", "小型图标(&M)");
    N9 = MenuItem(this, mnList, "N9", "清单(&L)");
    N10 = MenuItem(this, mnList, "N10", "详细信息(&D)");
    for (TMenuItem* item : {N7, N8, N9, N10}) {
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
    }
    N7->SetChecked(true);

    Splitter1 = Make<TSplitter>(this, this, "Splitter1");
    Splitter1->SetBounds(151, 0, 3, 312);
    Splitter1->SetAlign(alLeft);

    // OK and Cancel at the bottom.
    Panel1 = Make<TPanel>(this, this, "Panel1");
    Panel1->SetCaption("");
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetBounds(0, 312, 509, 43);
    Panel1->SetAlign(alBottom);
    btnOk = Make<TButton>(this, Panel1, "btnOk");
    btnOk->SetCaption("确定");
    btnOk->SetHint("确定");
    btnOk->SetBounds(330, 9, 75, 25);
    btnOk->OnClick = TNotifyEvent(this, &TfrmBaseGene::btnOkClick);
    btnCancel = Make<TButton>(this, Panel1, "btnCancel");
    btnCancel->SetCaption("取消");
    btnCancel->SetHint("取消");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btnCancel->SetBounds(415, 9, 75, 25);
    btnCancel->OnClick = TNotifyEvent(this, &TfrmBaseGene::btnCancelClick);

    // The option pages fill the rest.
    pgOption = Make<TPageControl>(this, this, "pgOption");
    pgOption->SetHint("请输入选项条件");
    pgOption->SetBounds(154, 0, 355, 312);
    pgOption->SetAlign(alClient);
    tsOption1 = Make<TTabSheet>(this, nullptr, "tsOption1");
    tsOption1->SetPageControl(pgOption);
    tsOption1->SetCaption("基本选项");
    tsOption2 = Make<TTabSheet>(this, nullptr, "tsOption2");
    tsOption2->SetPageControl(pgOption);
    tsOption2->SetCaption("系统选项");
    edPrintDate = Make<TMaskEdit>(this, tsOption2, "edPrintDate");
    edPrintDate->SetHint("[F2]日期快手");
    edPrintDate->SetBounds(60, 8, 85, 21);
    lblToday = Make<TDBLabel>(this, tsOption2, "lblToday");
    lblToday->SetCaption("制表日期");
    lblToday->SetPos(psLeft);
    lblToday->SetGap(4);
    lblToday->SetFocusControl(edPrintDate);
    btnPrintDate = Make<TF2Button>(this, tsOption2, "btnPrintDate");
    btnPrintDate->SetHint("日期快手");
    btnPrintDate->SetGlyphIndex(9);
    btnPrintDate->SetGap(2);
    btnPrintDate->SetF2Control(edPrintDate);
    pgOption->SetActivePage(tsOption1);
    pgOption->OnChanging = TTabChangingEvent(this, &TfrmBaseGene::pgOptionChanging);
    pgOption->OnChange = TNotifyEvent(this, &TfrmBaseGene::pgOptionChange);

    MainMidas->SupportCallbacks = false;
    MainMidas->ObjectBroker = ObjBroker.get();
    // The scheme list reads provider "pvdConSave" of whatever application
    // server the connection holds at the time it opens.
    ClientDataSet1->Provider =
        std::make_shared<TAppServerProvider>([this] { return MainMidas->AppServer(); }, "pvdConSave");

    // Quick-pick buttons ask for the pick of their control.
    SetMessageHandler(WM_QUICKPICK, [this](TMessage& message) {
        QuickPick(VK_F2_KEY, QuickPickControl(message));
    });

    // The control that had the focus when it last moved (the focus goes
    // back there after an error message).
    AddFocusChangeHook(TNotifyEvent(this, &TfrmBaseGene::FocusChanged));
}

TfrmBaseGene::~TfrmBaseGene()
{
    // Deleted without Free: the destroy handlers run now, while this part of
    // the window still exists.
    EnsureBeforeDestruction();
    RemoveFocusChangeHook(TNotifyEvent(this, &TfrmBaseGene::FocusChanged));
    // The broker goes before the connection that refers to it.
    if (MainMidas) MainMidas->ObjectBroker = nullptr;
}

void TfrmBaseGene::FocusChanged(TObject*) { LastFocused = ActiveControl(); }

void TfrmBaseGene::FormCreate(TObject* Sender)
{
    TKVForm::FormCreate(Sender);
    // Every quick-pick button of the window is flat.
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* button = dynamic_cast<TSpeedButton*>(Components(i))) button->SetFlat(true);
    // A traditional-Chinese system writes dates with its own separator; this
    // platform's locale has none of its own, so it is the default "/".
    if (GetSystemCodePage() == "950") FormatSettings().DateSeparator = '/';
    if (Application) Application->HintHidePause = 500000;
    VersionText = "870401-0.00.00";
    CompanyID.clear();
    ProgramID.clear();
    ProgramName.clear();
    RequiredFields.clear();
    DateFields.clear();
    YearMonthFields.clear();
    OnDateFieldEnter = TNotifyEvent(this, &TfrmBaseGene::DateFieldEnter);
    OnDateFieldExit = TNotifyEvent(this, &TfrmBaseGene::DateFieldExit);
    OnRequiredExit = TNotifyEvent(this, &TfrmBaseGene::RequiredExit);
    ValidationFailed = false;
    SystemPageArranged = false;
    LastFocused = this;
    ChangingPage = false;
    ShowJobMessage = true;
    PrepareDataSets();
    DateRules.Clear();
}

void TfrmBaseGene::PrepareDataSets()
{
    // The scheme list's fields are made when it opens; labels and texts of
    // string fields are shown through the converter's display conversion.
    TClientDataSet& ds = *ClientDataSet1;
    ds.DisableControls();
    for (int i = 0; i < ds.FieldCount(); ++i) {
        TField* field = ds.Fields(i);
        field->SetDisplayLabel(KvConverter->ToInterface(Variant(field->DisplayLabel())).AsString());
    }
    ds.EnableControls();
}

// ---------------------------------------------------------------------------
// Host controller entry points

bool IsLibraryFileName(const std::string& Path)
{
    const std::size_t slash = Path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    // ".dll" where the suite was first built; the platform's own extensions.
    return SameText(ext, ".dll") || SameText(ext, ".so") || SameText(ext, ".dylib");
}

std::string ProgramIDFromModule(const std::string& ModulePath, bool LibraryMode)
{
    const std::size_t slash = ModulePath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? ModulePath : ModulePath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    const std::size_t drop = LibraryMode ? 1 : 2;
    const std::size_t keep = std::max<std::size_t>(name.size() > drop ? name.size() - drop : 0, 6);
    return name.substr(0, keep);
}

void TfrmBaseGene::SetModuleFileName(const std::string& path)
{
    ModulePath = path;
    IsDllMode = IsLibraryFileName(path);
    if (!IsDllMode) Initialize(VarArrayOf({"796", "SDTest60", "SDTest60"}));
}

void TfrmBaseGene::ReadHostParams(const Variant& Params)
{
    UserID = VarToStr(Params[0]);
    CompanyID = VarToStr(Params[1]);
    DatabaseName = VarToStr(Params[2]);
}

bool TfrmBaseGene::Initialize(const Variant& Params)
{
    // Runs once per form, whether or not the first run succeeded.
    if (FInitialized || !CompanyID.empty()) return false;
    FInitialized = true;
    bool result = true;
    try {
        QuickPickService = Unassigned();
        ValidatorService = Unassigned();
        CounterService = Unassigned();
        SysParams.Clear();
        SavedColors.Clear();
        FSavedDateHandlers.clear();
        BaseOptionCount = 1;
        AddErrorText("");
        edPrintDate->SetText("");
        HostRunReady = false;
        if (!VarIsArray(Params) || VarArrayDimCount(Params) != 1)
            throw EPlatformError("The host parameters are not an array");
        const int high = VarArrayHighBound(Params, 1);
        HostWindow = high >= 3 ? static_cast<HWND>(Params[3].AsInteger()) : 0;
        // Without the fifth element the window tells the user and closes
        // itself once the host's message loop runs; the rest still runs.
        if (high < 4) {
            ShowMessages("E;000038");
            Application->PostMessage(this, WM_CLOSE);
        } else {
            HostExtra = Params[4];
        }
        Hide();
        if (high < 2) throw EPlatformError("The host parameters lack the user, company or database");
        ReadHostParams(Params);
        ConnectHost();

        // A module file that does not belong to this form: no connection.
        if (!SameText(Name(), "frm" + ProgramID)) {
            ShowMessages("E;000036");
            Application->PostMessage(this, WM_CLOSE);
            return result;
        }

        MainMidas->Close();
        bool connected = false;
        if (SetupConnection(*MainMidas, ObjBroker.get())) {
            ConfigureConnection(*MainMidas);
            if (!MainMidas->ServerName.empty()) connected = CreateAppServer();
        }
        if (!connected) {
            ShowMessages("E;000006");
            result = false;
            Application->PostMessage(this, WM_CLOSE);
        }
    } catch (const EPlatformError& e) {
        AddErrorText(e.what());
        result = false;
    }
    return result;
}

void TfrmBaseGene::ConnectHost()
{
    SaveControlColors(this);
    ConnectHostServices();
    // A host without these properties (or no host object) leaves the
    // defaults; nothing depends on VersionType here.
    try {
        VersionType = OleGetProperty(Manager, "VersionType");
    } catch (const EPlatformError&) {
        VersionType = Unassigned();
    }
    try {
        ProductNumber = OleGetProperty(Manager, "ProductID").AsInteger();
    } catch (const EPlatformError&) {
        ProductNumber = 3;
    }
    DeclareProgram();
    ConnectQuickPickWindow();
}

void TfrmBaseGene::DeclareProgram()
{
    SetDateFields("edPrintDate");
    ProgramKind = "R";
    EnvCount = 9;
    HostServices = 0;
    SetProgramID(ProgramIDFromModule(ModulePath, IsDllMode));
    SetOptionCount(0);
}

void TfrmBaseGene::SetOptionCount(std::int32_t N)
{
    OptionCount = BaseOptionCount < OptionCount ? N : N + BaseOptionCount;
}

void TfrmBaseGene::RunFromHost(const Variant& R)
{
    HostRequest = R;
    if (VarIsEmpty(R) || VarIsNull(R) || !VarIsArray(R)) return;
    const int mode = R[0].AsInteger();
    ShowJobMessage = mode == 0 || mode == 1;
    bool ok = false;
    const Variant& request = R[1];
    if (VarIsArray(request)) {
        const bool byName = request[0].AsBoolean();
        const Variant& values = request[1];
        if (!VarIsEmpty(values) && !VarIsNull(values) && VarIsArray(values))
            ok = byName ? CheckHostValueNames(values) : ApplyHostValues(values);
    }
    HostRunReady = ok && mode != 0;
    if (!Converted) {
        ConvertForm();
        if (GetSystemCodePage() == "950") TForm::SetCaption(KvConverter->GBTextToBig5(Caption()));
    }
    if (mode > 2 && ok) RunUnattended(mode);
    else if (HostRunReady) btnOk->Click();
}

bool TfrmBaseGene::CheckHostValueNames(const Variant& values)
{
    bool result = false;
    const Variant& texts = values[0];
    if (VarIsArray(texts)) {
        for (int i = 0; i <= VarArrayHighBound(texts, 1); ++i) {
            result = false;
            try {
                const std::string name = VarToStr(texts[i][1]);
                TComponent* component = FindComponent(name);
                if (!component) continue;
                // Range panels and combo boxes (which publish ItemIndex) take
                // host values, as does any control with one of these values.
                result = component->ClassName() == "TSelectPanel" || IsPublishedProp(component, "ItemIndex") ||
                         IsPublishedProp(component, "Checked") || IsPublishedProp(component, "Text") ||
                         IsPublishedProp(component, "Lines");
            } catch (const std::exception&) {
                result = false;
            }
        }
    }
    if (!result) ShowMessages("W;000014");
    return result;
}

// ---------------------------------------------------------------------------
// Job parameters

bool TfrmBaseGene::CheckCollected(const Variant& X, std::int32_t n, const std::string& LabelKey,
                                  const std::string& Default)
{
    std::string label;
    GetLangString("TfrmBaseGene", LabelKey, label, true, Default);
    const int high = VarIsArray(X) ? VarArrayHighBound(X, 1) : -1;
    if (high != n) {
        ShowMessages("W;000002;" + label + ";" + IntToStr(n) + ";" + IntToStr(high));
        return false;
    }
    for (int i = VarArrayLowBound(X, 1); i <= high; ++i) {
        if (VarIsEmpty(X[i]) || VarIsNull(X[i])) {
            ShowMessages("W;000003;" + label + ";" + IntToStr(n) + ";" + IntToStr(i));
            return false;
        }
    }
    return true;
}

bool TfrmBaseGene::BuildParameters()
{
    const std::int32_t A = EnvCount, B = OptionCount;
    if (A <= 0 || (B <= 0 && !HostRunReady)) {
        ShowMessages("I;000003");
        return false;
    }
    // A host run without options still sends the base entries' slots; an
    // array cannot be indexed 1..0, so it gets none at all.
    auto make = [](std::int32_t n) { return n > 0 ? VarArrayCreate({1, n}) : VarArrayCreate({1, 0}); };
    Variant Env = make(A), Texts = make(B), Values = make(B);
    bool textsOk = CollectOptionTexts(Texts, B - BaseOptionCount);
    if (textsOk && !CheckCollected(Texts, B, "sOption", "选择条件文字")) return false;
    bool valuesOk = CollectOptionValues(Values, B - BaseOptionCount);
    if (valuesOk && !CheckCollected(Values, B, "sOptionInf", "选择条件信息")) return false;
    bool envOk = CollectEnvironment(Env, A);
    if (envOk && !CheckCollected(Env, A, "sEnvSetting", "环境设置")) return false;
    if (!(textsOk && valuesOk && envOk)) return false;
    Variant P = VarArrayCreate({0, 2});
    P[0] = Env;
    P[1] = ToDatabase(Texts);
    P[2] = ToDatabase(Values);
    Parameters = P;
    return true;
}

bool TfrmBaseGene::CollectOptionTexts(Variant& Texts, std::int32_t N)
{
    try {
        Texts[N + BaseOptionCount] = VarArrayOf({lblToday->Caption(), "edPrintDate"});
        return true;
    } catch (const EPlatformError&) {
        std::string text;
        GetMessageText("I", "000011", text);
        ShowMessages("E;000030;" + text);
        return false;
    }
}

bool TfrmBaseGene::CollectOptionValues(Variant& Values, std::int32_t N)
{
    try {
        const std::string shown = Trim(edPrintDate->Text());
        const std::string sep = GetDateSeparator();
        // An unfilled mask starts or ends with the separator.
        const bool blank = shown.empty() || (!sep.empty() && (shown.front() == sep.front() || shown.back() == sep.front()));
        Values[N + BaseOptionCount] = blank ? std::string() : DisplayToStorageDate(edPrintDate->Text());
        return true;
    } catch (const EPlatformError&) {
        ShowMessages("E;000030");
        return false;
    }
}

bool TfrmBaseGene::CollectEnvironment(Variant& Env, std::int32_t N)
{
    Env[1] = UpperCase(ProgramID);
    Env[2] = EnvCount;
    Env[3] = OptionCount;
    Env[4] = CompanyID;
    Env[5] = UserID;
    Env[6] = DatabaseName;
    Env[7] = Variant::FromDateTime(Now());
    Env[8] = ServerClassName;
    Env[9] = UpperCase(ProgramKind);
    return true;
}

// ---------------------------------------------------------------------------
// Show, pages, close, destroy

void TfrmBaseGene::FormShow(TObject* Sender)
{
    TKVForm::FormShow(Sender);
    TForm::SetCaption(CaptionName + "[" + TitleText + "]");
    if (pgOption->PageCount() > 0) {
        pgOption->SetActivePageIndex(0);
        pgOptionChange(pgOption);
    }
    ConvertForm();
    BuildSchemeColumns();
    LoadSchemeList();
}

void TfrmBaseGene::BuildSchemeColumns()
{
    lstCondition->Columns()->Clear();
    std::string caption;
    GetLangString("TfrmBaseGene", "sProjectName", caption, true, "方案名称");
    TListColumn* name = lstCondition->Columns()->Add();
    name->SetCaption(caption);
    name->SetWidth(-2);
    GetLangString("TfrmBaseGene", "sCreateTime", caption, true, "创建时间");
    TListColumn* created = lstCondition->Columns()->Add();
    created->SetCaption(caption);
    created->SetWidth(-2);
}

bool TfrmBaseGene::LoadSchemeList()
{
    if (!AppServer.IsObject()) return false;
    bool result = true;
    TListItems* items = lstCondition->Items();
    items->BeginUpdate();
    const TViewStyle style = lstCondition->ViewStyle();
    try {
        lstCondition->SetViewStyle(vsList);
        items->Clear();
        std::vector<Variant> args = {VarArrayOf({UserID, ProgramID})};
        OleInvoke(AppServer, "LoadTable", args);
        ClientDataSet1->Close();
        ClientDataSet1->Open();
        ClientDataSet1->First();
        while (!ClientDataSet1->Eof()) {
            TListItem* item = items->Add();
            item->SetImageIndex(0);
            item->SetCaption(
                ConvertFromDatabase(ClientDataSet1->FieldByName("NCONDITION")->Value()).AsString());
            const std::string created = VarToStr(ClientDataSet1->FieldByName("CREATE_DATE")->Value());
            const TDateTime date = Date8ToDate(created);
            item->SubItems()->Add(date != 0 ? FormatDateTime(FormatSettings().ShortDateFormat, date) : created);
            ClientDataSet1->Next();
        }
        lstCondition->SetViewStyle(style);
    } catch (const EPlatformError& e) {
        lstCondition->SetViewStyle(style);
        items->EndUpdate();
        throw EPlatformError(e.what());
    }
    items->EndUpdate();
    return result;
}

void TfrmBaseGene::pgOptionChanging(TObject*, bool& AllowChange)
{
    ChangingPage = true;
    ValidationFailed = false;
    try {
        if (TWinControl* control = ActiveControl(); control && control != this) {
            if (control->OnExit) control->OnExit(control);
        }
    } catch (...) {
        ChangingPage = false;
        throw;
    }
    ChangingPage = false;
    AllowChange = !ValidationFailed;
}

void TfrmBaseGene::pgOptionChange(TObject*)
{
    TTabSheet* page = pgOption->ActivePage();
    if (!page) return;
    if (page == tsOption2) tsOption2Show(tsOption2);
    // The page's control with the lowest tab order that is enabled.
    for (int order = 0;; ++order) {
        TWinControl* found = nullptr;
        for (int i = 0; i < page->ControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(page->Controls(i));
            if (child && child->TabOrder() == order) {
                found = child;
                break;
            }
        }
        if (!found) return;
        if (found->Enabled()) {
            if (found->CanFocus()) found->SetFocus();
            return;
        }
    }
}

void TfrmBaseGene::tsOption2Show(TObject*)
{
    if (SystemPageArranged) return;
    ArrangeSystemPage();
    SystemPageArranged = true;
}

void TfrmBaseGene::ArrangeSystemPage()
{
    if (Height() < 110) SetHeight(110);
    if (Width() < 315) SetWidth(315);
    lblToday->SetBounds(8, 12, lblToday->Width(), lblToday->Height());
    edPrintDate->SetBounds(60, 8, 85, edPrintDate->Height());
    btnPrintDate->SetBounds(edPrintDate->Left() + edPrintDate->Width() + 2, 8, btnPrintDate->Width(),
                            btnPrintDate->Height());
}

void TfrmBaseGene::btnCancelClick(TObject*) { Close(); }

void TfrmBaseGene::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TfrmBaseGene::FormDestroy(TObject*)
{
    SysParams.Clear();
    SavedColors.Clear();
    FSavedDateHandlers.clear();
    QuickPickService = Unassigned();
    ValidatorService = Unassigned();
    CounterService = Unassigned();
    // A local server object lives in this process and is simply dropped; a
    // socket connection is closed.
    if (!LocalServer) MainMidas->Close();
    AppServer = Unassigned();
    Manager = Unassigned();
    DateRules.Clear();
}

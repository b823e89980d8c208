// Bodies of the generic option form's shared services: the host's service
// objects and the application server, coded messages, system parameters and
// dates, required-field colours.
#include <map>
#include <utility>

#include "forms/BaseGene.h"
#include "platform/core/Automation.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/os/Library.h"
#include "runtime/LibStrs.h"
#include "runtime/OrvaneINI.h"

namespace {


using TDynamicKey = std::pair<const TClassInfo*, int>;

std::map<TDynamicKey, TfrmBaseGene::TDynamicBody>& DynamicTable()
{
    static std::map<TDynamicKey, TfrmBaseGene::TDynamicBody> table;
    return table;
}

// The generic form's own bodies.
const bool BaseBodiesRegistered = [] {
    const TClassInfo& cls = TfrmBaseGene::StaticClass();
    TfrmBaseGene::RegisterDynamic(cls, TfrmBaseGene::dmQuickPick,
                                  [](TfrmBaseGene& f, std::uint16_t key, TWinControl* c) { f.BaseQuickPick(key, c); });
    TfrmBaseGene::RegisterDynamic(cls, TfrmBaseGene::dmConnectHostServices,
                                  [](TfrmBaseGene& f, std::uint16_t, TWinControl*) { f.BaseConnectHostServices(); });
    TfrmBaseGene::RegisterDynamic(cls, TfrmBaseGene::dmConnectQuickPickWindow, [](TfrmBaseGene& f, std::uint16_t,
                                                                                   TWinControl*) {
        f.BaseConnectQuickPickWindow();
    });
    return true;
}();

} // namespace

// ---------------------------------------------------------------------------
// Operations dispatched by index

void TfrmBaseGene::RegisterDynamic(const TClassInfo& Class, int Index, TDynamicBody Body)
{
    DynamicTable()[{&Class, Index}] = Body;
}

void TfrmBaseGene::CallDynamic(int Index, std::uint16_t Key, TWinControl* Control)
{
    (void)BaseBodiesRegistered;
    const auto& table = DynamicTable();
    for (const TClassInfo* cls = &ClassType(); cls; cls = cls->Parent()) {
        auto it = table.find({cls, Index});
        if (it != table.end()) {
            it->second(*this, Key, Control);
            return;
        }
    }
}

void TfrmBaseGene::BaseQuickPick(std::uint16_t, TWinControl* Control)
{
    if (!Control) return;
    if (Control->CanFocus()) Control->SetFocus();
    if (Control == edPrintDate) edPrintDate->SetText(PickDate(edPrintDate->Text()));
}

// ---------------------------------------------------------------------------
// Host services

void TfrmBaseGene::BaseConnectHostServices()
{
    if (!IsDllMode) {
        try {
            Manager = Variant(os::CreateOleObject("PavokWorkCenter.Manager"));
        } catch (const EPlatformError&) {
            Manager = Unassigned();
        }
    }
    try {
        CounterService = OleInvoke(Manager, "Com_Counter");
        GetSysParam("");
        TitleText = GetSysParam("KVT002");
    } catch (const EPlatformError&) {
        CounterService = Unassigned();
    }
    try {
        ValidatorService = OleInvoke(Manager, "Com_Validator");
    } catch (const EPlatformError&) {
        ValidatorService = Unassigned();
    }
}

void TfrmBaseGene::BaseConnectQuickPickWindow()
{
    if (!(HostServices & hsQuickPickWindow)) return;
    try {
        QuickPickService = OleInvoke(Manager, "Com_F2Window");
    } catch (const EPlatformError&) {
        QuickPickService = Unassigned();
    }
}

Variant TfrmBaseGene::ConvertFromDatabase(const Variant& Value) const
{
    return Converted ? KvConverter->FromDatabase(Value) : Value;
}

Variant TfrmBaseGene::ToDatabase(const Variant& Value) const { return KvConverter->ToDatabase(Value); }

bool TfrmBaseGene::SetupConnection(TSocketConnection& Connection, TSimpleObjectBroker* Broker)
{
    try {
        Connection.Close();
        std::string failure;
        {
            // The reader leaves a message code when the configuration cannot
            // be used (no registry key, no server named); those are shown
            // before the form reports that it cannot connect.
            TOrvaneIniC ini;
            if (!ini.ErrorCode.empty()) {
                failure = ini.ErrorCode;
            } else if (VarIsArray(ini.ServerList) && VarArrayDimCount(ini.ServerList) == 2 &&
                       VarArrayHighBound(ini.ServerList, 1) >= 1 && VarArrayHighBound(ini.ServerList, 2) >= 0) {
                Connection.Address = VarToStr(ini.ServerList(0, 0));
                Connection.ObjectBroker = nullptr;
                Connection.Port = ini.ServerList(1, 0).AsInteger();
            }
        }
        (void)Broker; // detached above: the configured address is used, not the broker's list
        if (failure.empty()) return true;
        ShowMessages(failure);
        return false;
    } catch (const EPlatformError& e) {
        AddErrorText(e.what());
        return false;
    }
}

bool TfrmBaseGene::CreateAppServer()
{
    try {
        AppServer = Unassigned();
        if (MainMidas->GetConnected()) MainMidas->Close();
        LocalServer = IsLocalHost(MainMidas->Address);
        if (LocalServer) {
            const Variant server(os::CreateOleObject(MainMidas->ServerName));
            MainMidas->SetAppServer(server);
            AppServer = server;
        } else {
            MainMidas->Open();
            if (MainMidas->GetConnected()) AppServer = MainMidas->AppServer();
        }
        return true;
    } catch (const EPlatformError& e) {
        AddErrorText(e.what());
        return false;
    }
}

void TfrmBaseGene::SetProgramID(const std::string& ID)
{
    ProgramID = UpperCase(ID);
    ServerClassName = ProgramID + "S.Class1";
    std::string name;
    try {
        Variant record;
        if (CheckOrQueryValue("ADMMB", "01", false, record, VarArrayOf({ProgramID})) && VarIsArray(record)) {
            name = VarToStr(record[0]);
            WantLog = VarArrayHighBound(record, 1) >= 4 && VarToStr(record[4]) == "Y";
            if (VarArrayHighBound(record, 1) >= 7 && GetUICodePage() == "437") name = VarToStr(record[7]);
        } else {
            WantLog = false;
        }
    } catch (const std::exception&) {
        name = ProgramID;
        WantLog = false;
    }
    ProgramName = name;
    CaptionName = name;
}

void TfrmBaseGene::SetProgramCaption(const std::string& Name)
{
    CaptionName = Name;
    if (!IsDllMode) {
        std::string suffix;
        GetLangString("TfrmBaseGene", "sExeVer", suffix, true, "[您现在运行的是Exe版本!]");
        CaptionName += suffix;
    }
    TForm::SetCaption(CaptionName + "[" + TitleText + "]");
}

void TfrmBaseGene::CallServerMethod(const std::string& Name, const Variant& Params, Variant& Result)
{
    Result = Unassigned();
    if (VarIsEmpty(CounterService)) return;
    std::vector<Variant> args = {UpperCase(Name), Params, VarArrayOf({CompanyID, DatabaseName})};
    Result = OleInvoke(CounterService, "GetCounter", args);
    Result = ConvertFromDatabase(Result);
}

bool TfrmBaseGene::CheckOrQueryValue(const std::string& Table, const std::string& Kind, bool Query, Variant& Result,
                                     const Variant& Params)
{
    bool ok = false;
    const Variant converted = ToDatabase(Params);
    if (!VarIsEmpty(ValidatorService)) {
        try {
            OleSetProperty(ValidatorService, "ProductID", ProductNumber);
            OleSetProperty(ValidatorService, "BaseLimited", Variant(BaseLimit));
        } catch (const std::exception&) {
        }
        try {
            std::vector<Variant> args = {Table, Kind, DatabaseName, converted, Result};
            ok = OleInvoke(ValidatorService, Query ? "QueryData" : "CheckValue", args).AsBoolean();
            Result = args[4];
        } catch (const std::exception&) {
            ok = false;
        }
    }
    Result = ConvertFromDatabase(Result);
    return ok;
}

void TfrmBaseGene::ApplyUserRights(const Variant& Reply)
{
    const std::string rights = GetField(VarToStr(Reply[1]), ",", 4);
    auto flag = [&rights](std::size_t n) { return rights.size() >= n && rights[n - 1] != 'N'; };
    RightFlag7 = flag(7);
    RightFlag8 = flag(8);
    BaseLimit = JoinCounted(VarToStr(Reply[4]), Reply[5]);
    AfterSystemInfo();
}

void TfrmBaseGene::GetQuickPickData(const std::string& Table, const std::string& Kind, Variant& Result, bool Flag,
                                    const std::string& Default, const Variant& Params)
{
    if (VarIsEmpty(QuickPickService) || VarIsNull(QuickPickService)) {
        Result = Unassigned();
        return;
    }
    Variant request = VarArrayCreate({0, 18});
    request[0] = Table;
    request[1] = Kind;
    request[2] = ToDatabase(Params);
    request[3] = Flag;
    request[4] = ToDatabase(Variant(Default));
    request[5] = CompanyID;
    request[6] = DatabaseName;
    request[7] = static_cast<std::int64_t>(Handle());
    request[8] = 1;
    request[9] = false;
    request[10] = ProductNumber;
    request[11] = std::string();
    request[12] = std::string();
    request[13] = std::string();
    request[14] = Variant(BaseLimit);
    request[15] = RightFlag8;
    request[16] = RightFlag7;
    request[17] = Manager;
    request[18] = UserID;
    std::vector<Variant> args = {request};
    Result = ConvertFromDatabase(OleInvoke(QuickPickService, "F2GetData", args));
}

void TfrmBaseGene::PickPhrase(TWinControl* Control)
{
    if (VarIsEmpty(QuickPickService) || !Control) return;
    std::vector<Variant> args = {UserID, DatabaseName, static_cast<std::int64_t>(Handle())};
    const std::string text = VarToStr(ConvertFromDatabase(OleInvoke(QuickPickService, "GetPhrase", args)));
    if (!text.empty() && IsPublishedProp(Control, "Text")) SetStrProp(Control, "Text", text);
}

// ---------------------------------------------------------------------------
// Coded messages

// The catalogue text with its arguments; when the placeholders do not match
// the arguments, the raw text followed by each argument and ";".
static std::string FormatMessage(const std::string& raw, const std::vector<Variant>& args)
{
    try {
        return Format(raw, args);
    } catch (const std::exception&) {
        std::string text = raw + "\r";
        for (const Variant& a : args) text += a.AsString() + ";";
        return text;
    }
}

void TfrmBaseGene::GetMessageText(const std::string& Kind, const std::string& Number, std::string& Text)
{
    if (VarIsEmpty(Manager)) Text = Format("Can not Get Message\rType= %s, ID= %s ", {Kind, Number});
    else Text = VarToStr(OleInvoke(Manager, "GetMessage", {Kind, Number}));
    Text = KvConverter->FromDatabase(Variant(Text)).AsString();
}

bool TfrmBaseGene::CancelFocused() const { return btnCancel && ActiveControl() == btnCancel; }

void TfrmBaseGene::ShowMessages(const std::string& Coded)
{
    if (CancelFocused()) return;
    if (Coded.empty()) {
        MessageCodes.clear();
        MessageText.clear();
        return;
    }
    MessageCodes += Coded + "; ";
    std::string rest = Coded;
    auto cut = [&rest]() {
        const std::size_t p = rest.find(';');
        std::string head = rest.substr(0, p);
        rest = p == std::string::npos ? "" : rest.substr(p + 1);
        return head;
    };
    const std::string kind = cut();
    std::string number = cut();
    std::vector<Variant> args(10, Variant(std::string()));
    // The rest is split at every ";" into at most ten arguments.
    for (int i = 0; i < 10; ++i) {
        const std::size_t p = rest.find(';');
        if (p == std::string::npos || i == 9) {
            args[i] = rest;
            break;
        }
        args[i] = rest.substr(0, p);
        rest = rest.substr(p + 1);
    }
    const bool shown = StrToIntDef(number, 0) > 0;
    if (!shown && !number.empty()) number.erase(0, 1);
    std::string raw;
    GetMessageText(kind, number, raw);
    const std::string text = FormatMessage(raw, args);
    if (MessageText.find(text) == std::string::npos) MessageText += text + "; ";
    if (!shown) return;
    TMsgDlgType type = mtCustom;
    if (kind == "C" || kind == "D" || kind == "W") type = mtWarning;
    else if (kind == "E") type = mtError;
    else if (kind == "I") type = mtInformation;
    else if (kind == "Q") type = mtConfirmation;
    ShowDialog(text, type, MsgDlgButton(mbOK));
}

void TfrmBaseGene::AddErrorText(const std::string& Text)
{
    if (CancelFocused()) return;
    const std::string text = Trim(Text);
    if (text.empty()) {
        MessageCodes.clear();
        MessageText.clear();
        return;
    }
    MessageCodes += "E;-1; ";
    if (MessageText.find(text) == std::string::npos) MessageText += text + "; ";
}

TModalResult TfrmBaseGene::ShowMessageCode(const std::string& Kind, const std::string& Number,
                                           TMsgDlgButtons Buttons, const std::vector<Variant>& Args)
{
    std::string raw;
    GetMessageText(Kind, Number, raw);
    const std::string text = FormatMessage(raw, Args);
    TMsgDlgType type = mtCustom;
    TMsgDlgButtons buttons = MsgDlgButton(mbOK);
    if (Kind == "C") type = mtWarning, buttons = mbOKCancel;
    else if (Kind == "D") type = mtWarning, buttons = mbYesNoCancel;
    else if (Kind == "E") type = mtError;
    else if (Kind == "I") type = mtInformation;
    else if (Kind == "Q") type = mtConfirmation, buttons = mbOKCancel;
    else if (Kind == "W") type = mtWarning, buttons = mbOKCancel;
    if (Buttons != 0) buttons = Buttons;
    return ShowDialog(text, type, buttons);
}

TModalResult TfrmBaseGene::ShowDialog(const std::string& Text, TMsgDlgType Type, TMsgDlgButtons Buttons)
{
    // While the pages change only errors are shown.
    if (ChangingPage && Type != mtError) return 0;
    std::unique_ptr<TMessageForm> dialog(CreateMessageDialog(Text, Type, Buttons));
    dialog->SetCaption(Caption());
    if (GetUICodePage() != "437") {
        for (int i = 0; i < dialog->ComponentCount(); ++i) {
            auto* button = dynamic_cast<TButton*>(dialog->Components(i));
            if (!button) continue;
            const std::string caption = DialogButtonCaption(button->Name());
            if (!caption.empty()) button->SetCaption(KvConverter->ToInterface(Variant(caption)).AsString());
        }
    }
    TCodeConverter::SetCharsetFont(*dialog->Font(), KvConverter->UIConvertType);
    const TModalResult result = ::ShowMessageDialog(*dialog);
    dialog.reset();
    // A button pressed before the dialog must not stay pressed.
    if (ActiveControl()) Application->PostMessage(ActiveControl(), WM_LBUTTONUP, 0, 0);
    if (Type == mtError && LastFocused && LastFocused != this && LastFocused->CanFocus()) LastFocused->SetFocus();
    return result;
}

// ---------------------------------------------------------------------------
// System parameters and dates

std::string TfrmBaseGene::GetSysParam(const std::string& Name)
{
    std::string value;
    if (Name.empty()) {
        if (VarIsEmpty(CounterService)) return value;
        std::vector<Variant> args = {CompanyID};
        const Variant table = OleInvoke(CounterService, "GetSysInfo", args);
        if (VarIsArray(table) && VarArrayDimCount(table) == 2) {
            for (int i = VarArrayLowBound(table, 2); i <= VarArrayHighBound(table, 2); ++i) {
                const std::string name = VarToStr(table(0, i));
                if (name.empty()) continue;
                SysParams.SetValue(name, VarToStr(table(1, i)));
            }
        }
    } else {
        try {
            value = SysParams.Values(Name);
        } catch (const std::exception&) {
            value.clear();
        }
    }
    return ConvertFromDatabase(Variant(value)).AsString();
}

int TfrmBaseGene::GetDateFormatType()
{
    DateFormatType = StrToIntDef(Trim(GetSysParam("Sys001")), 1);
    return DateFormatType;
}

std::string TfrmBaseGene::GetDateSeparator()
{
    DateSeparator = GetSysParam("Sys002");
    if (DateSeparator.empty()) DateSeparator = "/";
    return DateSeparator;
}

namespace {

// The separator as it appears in a mask: characters that mean something to
// the mask are written as literals.
// The comma-separated names of a list, trimmed.
std::vector<std::string> SplitNames(const std::string& list)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        names.push_back(Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) return names;
        start = comma + 1;
    }
}

std::string MaskLiteral(const std::string& sep)
{
    std::string out;
    for (char c : sep) {
        if (std::string_view("09#LlAaCc<>\\_!;").find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

} // namespace

std::string TfrmBaseGene::GetDateEditMask()
{
    const int type = GetDateFormatType();
    const std::string s = MaskLiteral(GetDateSeparator().substr(0, 1));
    std::string year;
    if (type >= 1 && type <= 3) year = "9999";
    else if (type == 4) year = "99";
    else if (type == 5) year = "999";
    const std::string positions = (type == 2 || type == 3) ? "99" + s + "99" + s + year : year + s + "99" + s + "99";
    return positions + ";1; ";
}

std::string TfrmBaseGene::GetEmptyDateText()
{
    const int type = GetDateFormatType();
    const std::string s = GetDateSeparator().substr(0, 1);
    std::string year;
    if (type >= 1 && type <= 3) year = "    ";
    else if (type == 4) year = "  ";
    else if (type == 5) year = "   ";
    if (type == 2 || type == 3) return "  " + s + "  " + s + year;
    return year + s + "  " + s + "  ";
}

std::string TfrmBaseGene::DisplayToStorageDate(const std::string& Text)
{
    const std::string text = Trim(Text);
    try {
        if (text.empty() || text == Trim(GetEmptyDateText())) return std::string();
        const std::string sep = GetDateSeparator();
        auto piece = [&](int n) {
            const std::string p = Trim(GetField(text, sep, n));
            if (p.empty()) return -1;
            for (char c : p)
                if (c < '0' || c > '9') return -1;
            return p.size() > 9 ? -1 : StrToIntDef(p, -1);
        };
        const int a = piece(1), b = piece(2), c = piece(3);
        if (a < 0 || b < 0 || c < 0) return text;
        int y, m, d;
        switch (GetDateFormatType()) {
        case 1: y = a, m = b, d = c; break;
        case 2: y = c, m = a, d = b; break;
        case 3: y = c, m = b, d = a; break;
        case 4:
        case 5: y = a + 1911, m = b, d = c; break;
        default: return std::string();
        }
        return Format("%d%.2d%.2d", {y, m, d});
    } catch (const std::exception&) {
        return text;
    }
}

std::string TfrmBaseGene::StorageToDisplayDate(const std::string& Date8)
{
    const TDateTime date = Date8ToDate(Trim(Date8));
    if (date == 0) return std::string();
    return FormatDateByType(GetDateFormatType(), GetDateSeparator(), date);
}

TMethod TfrmBaseGene::SavedDateHandler(const std::string& Key) const
{
    for (const TSavedHandler& saved : FSavedDateHandlers)
        if (SameText(saved.Key, Key)) return saved.Handler;
    return TMethod();
}

void TfrmBaseGene::HookDateFields(const std::string& List)
{
    for (const std::string& name : SplitNames(List)) {
        TComponent* component = name.empty() ? nullptr : FindComponent(name);
        if (!component) continue;
        const std::pair<const char*, TNotifyEvent*> events[] = {{"OnEnter", &OnDateFieldEnter},
                                                                {"OnExit", &OnDateFieldExit}};
        for (const auto& [event, handler] : events) {
            if (!IsPublishedProp(component, event)) continue;
            const TMethod current = GetMethodProp(component, event);
            // A field hooked already keeps the program's handler saved first.
            if (current && !(current == handler->ToMethod()))
                FSavedDateHandlers.push_back({name + "." + event, current});
            SetMethodProp(component, event, handler->ToMethod());
        }
    }
}

void TfrmBaseGene::UnhookDateFields(const std::string& List)
{
    for (const std::string& name : SplitNames(List)) {
        TComponent* component = name.empty() ? nullptr : FindComponent(name);
        if (!component) continue;
        for (const char* event : {"OnEnter", "OnExit"})
            if (IsPublishedProp(component, event))
                SetMethodProp(component, event, SavedDateHandler(name + "." + event));
    }
}

void TfrmBaseGene::SetDateFields(const std::string& List)
{
    std::string list = Trim(List);
    if (list == DateFields) return;
    if (!DateFields.empty()) UnhookDateFields(DateFields);
    if (list.find("edPrintDate") == std::string::npos && !DateFields.empty()) list += "," + DateFields;
    DateFields = list;
    HookDateFields(DateFields);
}

void TfrmBaseGene::SetYearMonthFields(const std::string& List) { YearMonthFields = Trim(List); }

void TfrmBaseGene::DateFieldEnter(TObject* Sender)
{
    ValidationFailed = false;
    if (auto* control = dynamic_cast<TWinControl*>(Sender)) CheckDateEvent(control, "OnEnter");
}

void TfrmBaseGene::DateFieldExit(TObject* Sender)
{
    if (CancelFocused()) return;
    if (auto* control = dynamic_cast<TWinControl*>(Sender)) CheckDateEvent(control, "OnExit");
}

void TfrmBaseGene::CheckDateEvent(TWinControl* Control, const std::string& Event)
{
    // The name is looked up in the list text as it is, so a name contained
    // in another listed name counts as a date field too.
    if (!Control->Name().empty() && DateFields.find(Control->Name()) != std::string::npos) {
        std::string code;
        ValidationFailed = ValidationFailed || !ValidateDateControl(Control, Event == "OnEnter", code);
        if (!code.empty()) ShowMessages(code);
    }
    if (ValidationFailed) return;
    TNotifyEvent previous;
    if (previous.AssignMethod(SavedDateHandler(Control->Name() + "." + Event)) && previous) previous(Control);
}

bool TfrmBaseGene::ValidateDateControl(TWinControl* Control, bool Entering, std::string& MessageCode)
{
    MessageCode.clear();
    auto* edit = dynamic_cast<TEdit*>(Control);
    if (!edit) {
        std::string text;
        GetLangString("TfrmBaseGene", "sDatePramError", text, true,
                      "判断日期的函数第一个参数错误, 只能传下列三种物件:");
        ShowMessageDialog(text + "\rTSelectPanel, TMaskedit, TEdit", mtCustom, MsgDlgButton(mbOK));
        return false;
    }
    auto* masked = dynamic_cast<TMaskEdit*>(edit);
    if (Entering) {
        if (masked) masked->SetEditMask(GetDateEditMask());
        else edit->SetText(GetEmptyDateText());
        return true;
    }
    const std::string s = DisplayToStorageDate(edit->Text());
    if (!s.empty() && !IsValidDate8(s)) {
        MessageCode = "E;000005";
        if (edit->CanFocus() && ActiveControl() != edit) edit->SetFocus();
        return false;
    }
    return true;
}

std::string TfrmBaseGene::PickDate(const std::string& Text)
{
    if (VarIsEmpty(QuickPickService)) return std::string();
    // The picker starts from the date the text holds (a storage date or one
    // in the company's notation), else from today.
    auto isDate = [](const std::string& d) { return d.size() == 8 && IsValidDate8(d); };
    std::string start = Trim(Text);
    if (!isDate(start)) start = DisplayToStorageDate(Text);
    if (!isDate(start)) start = FormatDateTime("yyyymmdd", Date());
    std::vector<Variant> args = {VarArrayOf({GetDateFormatType() > 3, start, DatabaseName})};
    const std::string reply = Trim(VarToStr(OleInvoke(QuickPickService, "ShowInputDay", args)));
    const std::string shown = StorageToDisplayDate(reply);
    return shown.empty() ? Text : shown;
}

// ---------------------------------------------------------------------------
// Required fields

void TfrmBaseGene::SaveControlColors(TWinControl* Control)
{
    for (int i = 0; i < Control->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(Control->Controls(i));
        if (!child) continue;
        if (child->ControlCount() > 0 && child->ClassName() != "TSpinEdit") SaveControlColors(child);
        else if (!child->Name().empty() && IsPublishedProp(child, "Color"))
            SavedColors.SetValue(child->Name(), IntToStr(child->Color()));
    }
}

void TfrmBaseGene::RestoreControlColors(TWinControl* Control)
{
    for (int i = 0; i < Control->ControlCount(); ++i) {
        auto* child = dynamic_cast<TWinControl*>(Control->Controls(i));
        if (!child) continue;
        if (child->ControlCount() > 0 && child->ClassName() != "TSpinEdit") {
            RestoreControlColors(child);
        } else if (!child->Name().empty()) {
            const std::string saved = SavedColors.Values(child->Name());
            if (!saved.empty()) child->SetColor(static_cast<TColor>(StrToIntDef(saved, child->Color())));
        }
    }
}

namespace {

struct TRequiredItem {
    std::string Name;
    bool Tested = true; // false: only coloured
};

// "name[;flag[;part]]": the flag "N" or any integer other than -1 marks a
// control that is only coloured.
TRequiredItem ParseRequiredItem(const std::string& item)
{
    TRequiredItem r;
    r.Name = Trim(GetField(item, ";", 1));
    const std::string flag = Trim(GetField(item, ";", 2));
    if (SameText(flag, "N")) r.Tested = false;
    else if (auto n = TryStrToInt(flag); n && *n != -1) r.Tested = false;
    return r;
}

} // namespace

void TfrmBaseGene::SetRequiredFields(const std::string& List)
{
    const std::string list = Trim(List);
    if (!RequiredFields.empty()) {
        RestoreControlColors(this);
        for (const std::string& name : {std::string("btnOk"), std::string("btnQuery"), std::string("btnDesign"),
                                        std::string("btnPeriod")}) {
            TComponent* button = FindComponent(name);
            if (button && IsPublishedProp(button, "OnClick"))
                SetMethodProp(button, "OnClick", SavedRequiredHandler(name));
        }
    }
    RequiredFields = list;
    for (const std::string& item : SplitNames(list)) {
        const TRequiredItem r = ParseRequiredItem(item);
        auto* control = dynamic_cast<TControl*>(r.Name.empty() ? nullptr : FindComponent(r.Name));
        if (!control) continue;
        if (IsPublishedProp(control, "Color")) control->SetColor(RequiredFieldColor);
        InterceptSubmitButtons();
    }
}

TMethod TfrmBaseGene::SavedRequiredHandler(const std::string& Name) const
{
    for (const TSavedHandler& saved : FSavedRequiredHandlers)
        if (SameText(saved.Key, Name)) return saved.Handler;
    return TMethod();
}

void TfrmBaseGene::InterceptSubmitButtons()
{
    const TMethod hook = OnRequiredExit.ToMethod();
    for (const std::string& name :
         {std::string("btnOk"), std::string("btnQuery"), std::string("btnDesign"), std::string("btnPeriod")}) {
        TComponent* button = FindComponent(name);
        if (!button || !IsPublishedProp(button, "OnClick")) continue;
        const TMethod current = GetMethodProp(button, "OnClick");
        // The first handler saved for a button is the program's own.
        if (current && !(current == hook)) FSavedRequiredHandlers.push_back({name, current});
        SetMethodProp(button, "OnClick", hook);
    }
}

bool TfrmBaseGene::IsEmptyControl(TControl* Control)
{
    if (!IsPublishedProp(Control, "Text")) return false;
    const std::string text = Trim(GetStrProp(Control, "Text"));
    std::string empty;
    if (auto* masked = dynamic_cast<TMaskEdit*>(Control);
        masked && Trim(GetField(masked->EditMask(), ";", 2)) == "1") {
        // The blank mask with its literals.
        const std::string saved = masked->Text();
        masked->SetText("");
        empty = masked->Text();
        masked->SetText(saved);
    }
    return text == Trim(empty);
}

bool TfrmBaseGene::CheckRequiredFields(const std::string& List)
{
    for (const std::string& item : SplitNames(List)) {
        const TRequiredItem r = ParseRequiredItem(item);
        auto* control = dynamic_cast<TControl*>(r.Name.empty() ? nullptr : FindComponent(r.Name));
        if (!control || !r.Tested || !IsEmptyControl(control)) continue;
        ShowMessages("E;000037");
        // Bring its page to the front, then focus it.
        for (TWinControl* p = control->Parent(); p && p != this; p = p->Parent()) {
            if (auto* sheet = dynamic_cast<TTabSheet*>(p)) {
                if (sheet->PageControl()) sheet->PageControl()->SetActivePage(sheet);
                break;
            }
        }
        if (auto* win = dynamic_cast<TWinControl*>(control); win && win->CanFocus()) win->SetFocus();
        return true;
    }
    return false;
}

void TfrmBaseGene::RequiredExit(TObject* Sender)
{
    ValidationFailed = false;
    TComponent* period = FindComponent("btnPeriod");
    const bool periodDown = period && IsPublishedProp(period, "Down") && GetOrdProp(period, "Down") != 0;
    if (Sender == btnOk || periodDown) ValidationFailed = CheckRequiredFields(RequiredFields);
    TComponent* query = FindComponent("btnQuery");
    TComponent* design = FindComponent("btnDesign");
    if ((query && Sender == query) || (design && Sender == design))
        ValidationFailed = CheckRequiredFields(RequiredFields);
    if (ValidationFailed) {
        // A periodic run refused: the period page goes away unless it is the
        // one shown.
        const int last = pgOption->PageCount() - 1;
        if (period && last >= 0 && pgOption->ActivePage() != pgOption->Pages(last)) {
            if (IsPublishedProp(period, "Down")) SetOrdProp(period, "Down", 0);
            pgOption->Pages(last)->SetTabVisible(false);
        }
        return;
    }
    auto* component = dynamic_cast<TComponent*>(Sender);
    TNotifyEvent saved;
    if (component && saved.AssignMethod(SavedRequiredHandler(component->Name())) && saved) saved(Sender);
}

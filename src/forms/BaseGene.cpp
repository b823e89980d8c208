#include "forms/BaseGene.h"

#include <algorithm>

#include "platform/core/Automation.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "runtime/LibStrs.h"

const TClassInfo& TfrmBaseGene::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TfrmBaseGene>("TfrmBaseGene", TKVForm::StaticClass())
                                       .Field("btnOk", &TfrmBaseGene::btnOk)
                                       .Field("btnCancel", &TfrmBaseGene::btnCancel)
                                       .Build();
    return info;
}

TfrmBaseGene::TfrmBaseGene(TComponent* AOwner) : TKVForm(AOwner)
{
    SetName("frmBaseGene");
    SetCaption("frmBaseGene");
    SetBounds(Left(), Top(), 509, 355);
    SetBorderIcons(BorderIcon(biMaximize));
    OnClose = TCloseEvent(this, &TfrmBaseGene::FormClose);

    btnOk = new TButton(this);
    btnOk->SetName("btnOk");
    btnOk->SetParent(this);
    btnOk->SetCaption("确定");
    btnOk->SetHint("确定");
    btnOk->SetBounds(330, 300, 75, 25);
    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetCaption("取消");
    btnCancel->SetHint("取消");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
    btnCancel->SetBounds(415, 300, 75, 25);
}

void TfrmBaseGene::FormCreate(TObject* Sender)
{
    TKVForm::FormCreate(Sender);
    if (Application) Application->HintHidePause = 500000;
    VersionText = "870401-0.00.00";
    CompanyID.clear();
    ProgramID.clear();
    ProgramName.clear();
    LastFocused = this;
    ChangingPage = false;
    ShowJobMessage = true;
}

void TfrmBaseGene::SetModuleFileName(const std::string& path)
{
    ModulePath = path;
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    // The module is a shared library; its file name ends in the platform's
    // library extension (".dll" where the suite was first built).
    IsDllMode = SameText(ext, ".dll") || SameText(ext, ".so") || SameText(ext, ".dylib");
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
    if (FInitialized || !CompanyID.empty()) return false;
    FInitialized = true;
    bool result = true;
    try {
        if (!VarIsArray(Params) || VarArrayDimCount(Params) != 1)
            throw EPlatformError("The host parameters are not an array");
        AddErrorText("");
        HostRunReady = false;
        const int high = VarArrayHighBound(Params, 1);
        HostWindow = high >= 3 ? static_cast<HWND>(Params[3].AsInteger()) : 0;
        if (high < 4) {
            ShowMessages("E;000038");
            Application->PostMessage(this, WM_CLOSE);
        } else {
            HostExtra = Params[4];
        }
        Hide();
        ReadHostParams(Params);
    } catch (const EPlatformError& e) {
        AddErrorText(e.what());
        result = false;
    }
    return result;
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
        if (GetSystemCodePage() == "950")
            SetCaption(KvConverter->GBTextToBig5(Caption()));
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
                         IsPublishedProp(component, "Checked") ||
                         IsPublishedProp(component, "Text") || IsPublishedProp(component, "Lines");
            } catch (const std::exception&) {
                result = false;
            }
        }
    }
    if (!result) ShowMessages("W;000014");
    return result;
}

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
    if (ActiveControl()) Application->PostMessage(ActiveControl(), WM_LBUTTONUP, 0, 0);
    if (Type == mtError && LastFocused && LastFocused->CanFocus()) LastFocused->SetFocus();
    return result;
}

#include "forms/KVForm.h"

#include "platform/core/Exceptions.h"

const TClassInfo& TKVForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TKVForm>("TKVForm", TForm::StaticClass())
                                       .Field("KvConverter", &TKVForm::KvConverter)
                                       .Field("LangController", &TKVForm::LangController)
                                       .Build();
    return info;
}

TKVForm::TKVForm(TComponent* AOwner) : TForm(AOwner)
{
    SetName("KVForm");
    SetCaption("KVForm");
    SetBounds(Left(), Top(), 400, 191);
    SetColor(clBtnFace);
    TFont font;
    font.SetCharset(DEFAULT_CHARSET);
    font.SetColor(clWindowText);
    font.SetHeight(-13);
    font.SetName("宋体");
    font.SetStyle(0);
    SetFont(&font);
    KeyPreview = true;
    SetPosition(poScreenCenter);
    SetShowHint(true);
    OnCreate = TNotifyEvent(this, &TKVForm::FormCreate);
    OnShow = TNotifyEvent(this, &TKVForm::FormShow);

    KvConverter = new TCodeConverter(this);
    KvConverter->SetName("KvConverter");
    KvConverter->SetDesignType(dtClient);
    LangController = new TKvLangController(this);
    LangController->SetName("LangController");
    LangController->SetActive(false);
}

void TKVForm::FormCreate(TObject* Sender)
{
    Converted = false;
    const bool latinFont = GetUICodePage() == "437";
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* component = Components(i);
        if (IsPublishedProp(component, "ImeName")) SetStrProp(component, "ImeName", "");
        if (latinFont && IsPublishedProp(component, "Font")) {
            if (auto* font = dynamic_cast<TFont*>(GetObjectProp(component, "Font"))) {
                font->SetCharset(134);
                font->SetName("Tahoma");
            }
        }
    }
}

void TKVForm::FormShow(TObject* Sender) { ApplyLanguage(this); }

std::vector<std::string> TKVForm::LanguagePackageNames(const TObject& Target)
{
    std::vector<std::string> names;
    for (const TClassInfo* cls = &Target.ClassType(); cls && cls != &TForm::StaticClass(); cls = cls->Parent())
        names.insert(names.begin(), cls->Name());
    return names;
}

void TKVForm::ApplyLanguage(TObject* Target)
{
    auto* target = dynamic_cast<TComponent*>(Target);
    if (!target) return;
    for (const std::string& name : LanguagePackageNames(*Target)) {
        LangController->SetLangPackageName(name);
        if (!LangController->PackageExists(name)) continue;
        LangController->SetActive(true);
        LangController->ApplyTo(target);
    }
}

void TKVForm::ConvertForm()
{
    if (Converted) return;
    KvConverter->ConvertWindow(*this, true);
    Converted = true;
}

TModalResult TKVForm::ShowMessageDialog(const std::string& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons)
{
    return KvConverter->ShowMessageDialog(Text, DlgType, Buttons);
}

std::string TKVForm::GetSystemCodePage() const { return KvConverter->SysCodePage; }
std::string TKVForm::GetUICodePage() const { return KvConverter->UICodePage; }

void TKVForm::GetLangString(const std::string& Section, const std::string& Key, std::string& Result,
                            bool ConvertDefault, const std::string& Default) const
{
    std::string D = Default;
    if (ConvertDefault) D = KvConverter->ToInterface(Variant(D)).AsString();
    Result = LangController->ReadString(Section, Key, D);
}

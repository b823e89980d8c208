#include "l10n/CodeConverter.h"

#include <memory>

#include "platform/ui/Forms.h"
#include "runtime/OrvaneINI.h"

const TClassInfo& TCodeConverter::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TCodeConverter>("TCodeConverter", TComponent::StaticClass())
            .Prop<TDesignType>("DesignType", &TCodeConverter::DesignType, &TCodeConverter::SetDesignType,
                               {"dtClient", "dtServer"})
            .Build();
    return info;
}

TCodeConverter::TCodeConverter(TComponent* AOwner) : TComponent(AOwner) { ReadConfiguration(); }

void TCodeConverter::SetDesignType(TDesignType v)
{
    if (v == FDesignType) return;
    FDesignType = v;
    ReadConfiguration();
}

void TCodeConverter::ReadConfiguration()
{
    auto take = [this](auto& ini) {
        ini.LoadConfig();
        SysCodePage = ini.SysCodePage;
        UICodePage = ini.UICodePage;
        DBCodePage = ini.DBCodePage;
        UIConvertType = ini.UIConvertType;
        DBConvertType = ini.DBConvertType;
    };
    if (FDesignType == dtServer) {
        TOrvaneIniS ini;
        take(ini);
    } else {
        TOrvaneIniC ini;
        take(ini);
    }
    // Characters can only be converted by the translator library, which
    // this build does not load yet; refusing here keeps a window from
    // showing texts in the wrong script.
    if (UIConvertType != 0)
        throw EPlatformError("The translator library is needed for code-page conversion kind " +
                             std::to_string(UIConvertType) + " and is not available");
}

Variant TCodeConverter::ConvertValue(int kind, const Variant& value) const
{
    // Without a translator every kind leaves the value as it is.
    return value;
}

Variant TCodeConverter::FromInterface(const Variant& value) const
{
    try {
        if (UIConvertType == 1) return ConvertValue(2, value);
        if (UIConvertType == 2) return ConvertValue(1, value);
    } catch (const std::exception&) {
    }
    return value;
}

Variant TCodeConverter::ToDatabase(const Variant& value) const
{
    try {
        if (DBConvertType == 1) return ConvertValue(2, value);
        if (DBConvertType == 2) return ConvertValue(1, value);
    } catch (const std::exception&) {
    }
    return value;
}

std::string TCodeConverter::Big5TextToGB(const std::string& text) const { return text; }
std::string TCodeConverter::GBTextToBig5(const std::string& text) const { return text; }

void TCodeConverter::SetCharsetFont(TFont& font, int kind)
{
    font.SetName("SimSun");
    font.SetCharset(kind == 2 || kind == 3 ? CHINESEBIG5_CHARSET : GB2312_CHARSET);
}

void TCodeConverter::ConvertWindow(TForm& window, bool alsoTreesAndGrids)
{
    if (!HasTranslator()) return;
}

TModalResult TCodeConverter::ShowMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    if (text.empty()) return 0;
    std::string shown = text;
    if (UICodePage == "936" || SysCodePage == "936") shown += "      ";
    std::unique_ptr<TMessageForm> dialog(CreateMessageDialog(shown, type, buttons));
    if (auto* owner = dynamic_cast<TForm*>(Owner())) {
        if (owner->WindowState() == wsMinimized) owner->SetWindowState(wsNormal);
        dialog->SetCaption(owner->Caption());
    }
    SetCharsetFont(*dialog->Font(), UIConvertType);
    return ::ShowMessageDialog(*dialog);
}

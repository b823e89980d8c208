#include "l10n/LanguageController.h"

#include "platform/os/Paths.h"
#include "runtime/OrvaneINI.h"

const TClassInfo& TKvLangController::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TKvLangController>("TKvLangController", TComponent::StaticClass())
            .Prop<bool>("Active", &TKvLangController::Active, &TKvLangController::SetActive)
            .Prop<TDesignType>("DesignType", &TKvLangController::DesignType, &TKvLangController::SetDesignType,
                               {"dtClient", "dtServer"})
            .Prop<std::string>("LangPackageName", &TKvLangController::LangPackageName,
                               &TKvLangController::SetLangPackageName)
            .Build();
    return info;
}

TKvLangController::TKvLangController(TComponent* AOwner) : TComponent(AOwner) {}

void TKvLangController::SetActive(bool v) { FActive = v; }

std::string TKvLangController::GetLanguageFolder() const
{
    std::string uiCodePage, installPath;
    if (FDesignType == dtServer) {
        TOrvaneIniS ini;
        ini.LoadConfig();
        uiCodePage = ini.UICodePage;
        installPath = ini.ServerPath;
    } else {
        TOrvaneIniC ini;
        ini.LoadConfig();
        uiCodePage = ini.UICodePage;
        installPath = ini.ClientPath;
    }
    std::string code;
    if (uiCodePage == "936") code = "CHS";
    else if (uiCodePage == "950") code = "CHT";
    else if (uiCodePage == "437") code = "ENG";
    if (code.empty()) return "";
    std::string folder = installPath + "MultiLanguage/" + code + "/";
    return os::DirectoryExists(folder) ? folder : "";
}

std::string TKvLangController::PackageFileName(const std::string& name) const
{
    return PackageFileName(name, GetLanguageFolder());
}

std::string TKvLangController::PackageFileName(const std::string& name, const std::string& folder)
{
    return folder + name + ".Lng";
}

bool TKvLangController::ApplyTo(TComponent* target)
{
    return target && os::FileExists(PackageFileName(FLangPackageName));
}

std::string TKvLangController::ReadString(const std::string& section, const std::string& key,
                                          const std::string& Default) const
{
    return Default;
}

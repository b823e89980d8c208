#include "suite/host/HostManager.h"

#include <chrono>
#include <ctime>
#include <filesystem>

#include "platform/core/SysUtils.h"
#include "platform/os/Paths.h"
#include "runtime/OrvaneINI.h"

namespace {

// How many look-ups are kept for matching dialogs to their codes.
constexpr std::size_t LookupMemory = 16;

Variant FirstElement(const Variant& v)
{
    if (!VarIsArray(v)) return v;
    if (VarArrayDimCount(v) != 1 || VarArrayHighBound(v, 1) < VarArrayLowBound(v, 1)) return Variant();
    return v[VarArrayLowBound(v, 1)];
}

std::string ArgText(std::vector<Variant>& args, std::size_t i)
{
    if (args.size() <= i || VarIsArray(args[i])) return std::string();
    return VarToStr(args[i]);
}

} // namespace

bool MatchesTemplate(const std::string& templ, const std::string& text)
{
    // The literal pieces between placeholders ("%%" is a literal "%").
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == 's') {
            pieces.emplace_back();
            ++i;
        } else if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] == '%') {
            pieces.back() += '%';
            ++i;
        } else {
            pieces.back() += templ[i];
        }
    }
    if (pieces.size() == 1) return pieces[0] == text;
    if (text.compare(0, pieces.front().size(), pieces.front()) != 0) return false;
    const std::string& last = pieces.back();
    if (text.size() < pieces.front().size() + last.size() ||
        text.compare(text.size() - last.size(), last.size(), last) != 0)
        return false;
    std::size_t at = pieces.front().size();
    const std::size_t end = text.size() - last.size();
    for (std::size_t k = 1; k + 1 < pieces.size(); ++k) {
        const std::size_t found = text.find(pieces[k], at);
        if (found == std::string::npos || found + pieces[k].size() > end) return false;
        at = found + pieces[k].size();
    }
    return true;
}

THostManager::THostManager() : FContext(std::make_shared<THostContext>())
{
    FCounter = Variant(IAutoObjectPtr(std::make_shared<THostCounter>(FContext)));
    FValidator = Variant(IAutoObjectPtr(std::make_shared<THostValidator>(FContext)));
    FQuickPick = Variant(IAutoObjectPtr(std::make_shared<THostQuickPick>(FContext)));
    for (auto [name, service] : {std::pair<const char*, Variant*>{"Com_Counter", &FCounter},
                                 {"Com_Validator", &FValidator},
                                 {"Com_F2Window", &FQuickPick}}) {
        Variant* s = service;
        RegisterMethod(name, [s](std::vector<Variant>&) { return *s; });
        RegisterProperty(name, [s] { return *s; });
    }
    RegisterMethod("GetMessage", [this](std::vector<Variant>& args) -> Variant {
        const std::string kind = ArgText(args, 0);
        const std::string number = ArgText(args, 1);
        const std::string text = Catalogue().Text(kind, number);
        FLookups.emplace_back(TMessageCatalogue::NormalizeCode(kind, number), text);
        if (FLookups.size() > LookupMemory) FLookups.pop_front();
        return Variant(text);
    });
    RegisterMethod("GetFileList", [this](std::vector<Variant>& args) -> Variant {
        return Variant(FileList(args.empty() ? std::string() : VarToStr(FirstElement(args[0]))));
    });
    RegisterMethod("CallHelp", [this](std::vector<Variant>& args) -> Variant {
        const Variant request = args.empty() ? Variant() : args[0];
        std::string system, topic;
        if (VarIsArray(request) && VarArrayDimCount(request) == 1) {
            const int low = VarArrayLowBound(request, 1), high = VarArrayHighBound(request, 1);
            if (low <= high && !VarIsArray(request[low])) system = VarToStr(request[low]);
            if (low + 1 <= high && !VarIsArray(request[low + 1])) topic = VarToStr(request[low + 1]);
        } else if (!VarIsArray(request)) {
            system = VarToStr(request);
        }
        FHelpCalls.emplace_back(system, topic);
        if (FHelpHandler) FHelpHandler(system, topic);
        return Variant();
    });
    RegisterProperty("VersionType", [] { return Variant(0); });
    RegisterProperty("ProductID", [] { return Variant(3); });
}

void THostManager::SetSession(const std::string& user, const std::string& company, const std::string& database)
{
    FContext->User = user;
    FContext->Company = company;
    FContext->Database = database;
}

void THostManager::SetWindowRunner(std::function<TModalResult(TForm&)> runner)
{
    FContext->WindowRunner = std::move(runner);
}

void THostManager::SetCatalogue(const std::string& folder, const std::string& language)
{
    FCatalogueFolder = folder;
    FCatalogueLanguage = language;
    FCatalogueLoaded = false;
}

const TMessageCatalogue& THostManager::Catalogue()
{
    if (!FCatalogueLoaded) {
        std::string language = FCatalogueLanguage;
        if (language.empty()) {
            TOrvaneIniC config;
            language = TMessageCatalogue::LanguageForCodePage(config.UICodePage);
        }
        FCatalogue.Load(FCatalogueFolder.empty() ? TMessageCatalogue::DefaultFolder() : FCatalogueFolder, language);
        FCatalogueLoaded = true;
    }
    return FCatalogue;
}

std::string THostManager::TakeMessageCode(const std::string& dialogText)
{
    std::string code;
    for (auto it = FLookups.rbegin(); it != FLookups.rend(); ++it)
        if (MatchesTemplate(it->second, dialogText)) {
            code = it->first;
            break;
        }
    FLookups.clear();
    return code;
}

std::string THostManager::FileList(const std::string& fileName)
{
    const std::string name = os::ExtractFileName(Trim(fileName));
    if (name.empty()) return std::string();
    TOrvaneIniS config;
    TStringList folders;
    config.GetWorkDLLPaths(folders);
    namespace fs = std::filesystem;
    for (int i = 0; i < folders.Count(); ++i) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(os::NativePath(folders[i]), ec)) {
            if (!entry.is_regular_file(ec) || !SameText(entry.path().filename().string(), name)) continue;
            const auto written = fs::last_write_time(entry.path(), ec);
            if (ec) continue;
            const std::time_t t = std::chrono::system_clock::to_time_t(
                std::chrono::time_point_cast<std::chrono::system_clock::duration>(fs::file_time_type::clock::to_sys(written)));
            std::tm local{};
            localtime_r(&t, &local);
            char stamp[32];
            std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
            return "<Modify>" + std::string(stamp) + "</Modify><Path>" + entry.path().string() + "</Path>";
        }
    }
    return std::string();
}

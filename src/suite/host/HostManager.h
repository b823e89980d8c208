#pragma once
// The host's service object handed to every module as Manager. Modules
// reach it with late-bound calls:
//   Com_Counter, Com_Validator, Com_F2Window
//                      the service objects (HostServices.h), as variants
//   GetMessage(kind, number)
//                      the catalogue text of a coded message in the user's
//                      language (HostMessages.h)
//   GetFileList([file name])
//                      where the master copy of a server library lies and
//                      when it was changed: "<Modify>yyyy-mm-dd hh:nn:ss
//                      </Modify><Path>full file name</Path>", "" when the
//                      server's library folders do not hold the file
//   CallHelp([system, topic])
//                      records the request and hands it to the help handler
//   VersionType, ProductID
//                      0 and 3
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Automation.h"
#include "suite/host/HostMessages.h"
#include "suite/host/HostServices.h"

class THostManager : public TAutoObject {
public:
    using THelpHandler = std::function<void(const std::string& system, const std::string& topic)>;

    THostManager();

    // The session's user, company and database (the host parameters); the
    // services use them when a call does not name them.
    void SetSession(const std::string& user, const std::string& company, const std::string& database);
    // How the host's own windows are run (default: modally).
    void SetWindowRunner(std::function<TModalResult(TForm&)> runner);
    void SetHelpHandler(THelpHandler handler) { FHelpHandler = std::move(handler); }
    // Reads the catalogue from another folder or in another language
    // ("CHS", "CHT", "ENG") instead of the default folder and the language of
    // the client configuration's interface code page.
    void SetCatalogue(const std::string& folder, const std::string& language);
    const TMessageCatalogue& Catalogue();

    // The code of the coded message behind a dialog's text: the most recent
    // GetMessage look-up whose text, with its arguments filled in, can be the
    // dialog's text; "" when none can. The look-ups are forgotten.
    std::string TakeMessageCode(const std::string& dialogText);
    // The CallHelp requests so far, [system, topic] each.
    const std::vector<std::pair<std::string, std::string>>& HelpCalls() const { return FHelpCalls; }
    std::string FileList(const std::string& fileName);

    THostContext& Context() { return *FContext; }

private:
    std::shared_ptr<THostContext> FContext;
    Variant FCounter, FValidator, FQuickPick;
    TMessageCatalogue FCatalogue;
    bool FCatalogueLoaded = false;
    std::string FCatalogueFolder, FCatalogueLanguage;
    std::deque<std::pair<std::string, std::string>> FLookups; // code, raw text
    std::vector<std::pair<std::string, std::string>> FHelpCalls;
    THelpHandler FHelpHandler;
};

// True when text can be template with each "%s" replaced by some text.
bool MatchesTemplate(const std::string& templ, const std::string& text);

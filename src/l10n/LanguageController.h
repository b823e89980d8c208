#pragma once
// The language controller that sits on every window. It knows where the
// language packages of the interface language live and which package (named
// after a class) it is to apply. Reading and applying a package's XML is the
// job of the component reader; until that reader is built, a package file
// that exists is reported and left unapplied, and text look-ups return their
// defaults - which is exactly what a configuration without a language folder
// gives.
#include <string>

#include "platform/ui/Classes.h"

// Which configuration supplies code pages and folders: the client's
// (OrvaneC.ini) or the server's (OrvaneS.ini).
enum TDesignType { dtClient, dtServer };

class TKvLangController : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TKvLangController(TComponent* AOwner);

    bool Active() const { return FActive; }
    void SetActive(bool v);
    const std::string& LangPackageName() const { return FLangPackageName; }
    void SetLangPackageName(const std::string& v) { FLangPackageName = v; }
    TDesignType DesignType() const { return FDesignType; }
    void SetDesignType(TDesignType v) { FDesignType = v; }

    // The folder of the interface language's packages ("<install>/
    // MultiLanguage/CHS/" ...), or "" when the code page has no language or
    // the folder does not exist.
    std::string GetLanguageFolder() const;
    // Folder + name + ".Lng"; the second form takes a folder already looked
    // up, so a walk over several names reads the configuration once.
    std::string PackageFileName(const std::string& name) const;
    static std::string PackageFileName(const std::string& name, const std::string& folder);

    // Applies the current package to Target's components. Returns false when
    // there is no package file for LangPackageName.
    bool ApplyTo(TComponent* target);

    // The text stored for (Section, Key) in the section's package, or
    // Default when there is no such package or entry.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& Default) const;

private:
    bool FActive = false;
    std::string FLangPackageName;
    TDesignType FDesignType = dtClient;
};

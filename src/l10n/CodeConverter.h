#pragma once
// The code converter every window carries. It reads the code pages and the
// conversion kinds from the client (or server) configuration when it is
// made, converts texts and variant values between the interface's and the
// database's code pages, converts a whole window once, and shows the
// system's message dialogs.
//
// Conversion kinds: 0 none, 1 Big5 to GB, 2 GB to Big5, 3 none with Big5
// fonts, 4 none (simplified interface on a traditional-Chinese system).
// Converting characters needs the translator library; with kind 0 there is
// no translator and every conversion returns its input unchanged.
#include <cstdint>
#include <string>

#include "l10n/LanguageController.h"
#include "platform/core/Variant.h"
#include "platform/ui/Dialogs.h"

class TForm;
class TFont;

class TCodeConverter : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TCodeConverter(TComponent* AOwner);

    TDesignType DesignType() const { return FDesignType; }
    // Choosing the other configuration reads it again.
    void SetDesignType(TDesignType v);

    std::string SysCodePage = "936";
    std::string UICodePage = "936";
    std::string DBCodePage = "936";
    std::uint8_t UIConvertType = 0;
    std::uint8_t DBConvertType = 0;

    bool HasTranslator() const { return false; }

    Variant ConvertValue(int kind, const Variant& value) const;
    Variant ToInterface(const Variant& value) const { return ConvertValue(UIConvertType, value); }
    Variant FromInterface(const Variant& value) const;
    Variant FromDatabase(const Variant& value) const { return ConvertValue(DBConvertType, value); }
    Variant ToDatabase(const Variant& value) const;
    std::string Big5TextToGB(const std::string& text) const;
    std::string GBTextToBig5(const std::string& text) const;

    // Font name "SimSun" with the character set of the kind.
    static void SetCharsetFont(TFont& font, int kind);

    // Converts every text and font of the window once; nothing at all
    // without a translator.
    void ConvertWindow(TForm& window, bool alsoTreesAndGrids);

    // A standard message dialog captioned like the owner window (restored
    // first when minimised). An empty text shows nothing and gives 0.
    TModalResult ShowMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

private:
    void ReadConfiguration();
    TDesignType FDesignType = dtClient;
};

// The base window: settings at creation, the Latin font rule of the English
// interface, the language packages of the class chain, conversion once and
// message dialogs through the code converter.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "forms/BaseOpt.h"
#include "forms/KVForm.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "../platform/ui/UiTestSupport.h"

namespace {

// An installation whose client configuration names the interface code page.
class Installation {
public:
    explicit Installation(const std::string& uiCodePage)
        : FRegistry("ORVANE_REGISTRY", FDir.Path() + "registry.ini")
    {
        testsupport::WriteFile(FDir.Path() + "registry.ini",
                               "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=" + FDir.Path() +
                                   "\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\n"
                                   "ACP=936\n");
        testsupport::WriteFile(FDir.Path() + "OrvaneC.ini",
                               "[Server]\nComputerName=127.0.0.1\n[CodePage]\nUICodePage=" + uiCodePage + "\n");
    }
    std::string Path() const { return FDir.Path(); }

private:
    testsupport::TempDir FDir;
    testsupport::ScopedEnv FRegistry;
};

class TfrmWithControls : public TKVForm {
public:
    explicit TfrmWithControls(TComponent* AOwner) : TKVForm(AOwner)
    {
        edName = new TEdit(this);
        edName->SetName("edName");
        edName->SetParent(this);
        lblName = new TLabel(this);
        lblName->SetName("lblName");
        lblName->SetParent(this);
    }
    TEdit* edName;
    TLabel* lblName;
};

TEST(KVFormTest, CreationSettings)
{
    Application->Initialize();
    Installation install("936");
    std::unique_ptr<TKVForm> form(NewForm<TKVForm>(nullptr));
    EXPECT_EQ("KVForm", form->Caption());
    EXPECT_EQ(400, form->Width());
    EXPECT_EQ(191, form->Height());
    EXPECT_EQ("宋体", form->Font()->Name());
    EXPECT_EQ(-13, form->Font()->Height());
    EXPECT_EQ(clWindowText, form->Font()->Color());
    EXPECT_TRUE(form->KeyPreview);
    EXPECT_EQ(poScreenCenter, form->Position());
    EXPECT_TRUE(form->ShowHint());
    EXPECT_EQ(form->KvConverter, form->FindComponent("KvConverter"));
    EXPECT_EQ(form->LangController, form->FindComponent("LangController"));
    EXPECT_FALSE(form->LangController->Active());
    EXPECT_FALSE(form->Converted);
    EXPECT_EQ("936", form->GetSystemCodePage());
    EXPECT_EQ("936", form->GetUICodePage());
}

TEST(KVFormTest, EnglishInterfaceGivesEveryControlALatinFont)
{
    Application->Initialize();
    for (const char* codePage : {"437", "936"}) {
        SCOPED_TRACE(codePage);
        Installation install(codePage);
        std::unique_ptr<TfrmWithControls> form(NewForm<TfrmWithControls>(nullptr));
        const bool latin = std::string(codePage) == "437";
        for (TControl* control : {static_cast<TControl*>(form->edName), static_cast<TControl*>(form->lblName)}) {
            EXPECT_EQ(latin ? "Tahoma" : "宋体", control->Font()->Name());
            EXPECT_EQ(latin ? 134 : DEFAULT_CHARSET, control->Font()->Charset());
        }
    }
}

TEST(KVFormTest, LanguagePackagesRunFromTheMostBasicClass)
{
    Application->Initialize();
    Installation install("936");
    std::unique_ptr<TfrmBaseOpt> form(NewForm<TfrmBaseOpt>(nullptr));
    EXPECT_EQ((std::vector<std::string>{"TKVForm", "TfrmBaseGene", "TfrmBaseOpt"}),
              TKVForm::LanguagePackageNames(*form));
    // Without a language folder every package is skipped and defaults stay.
    form->Show();
    EXPECT_FALSE(form->LangController->Active());
    std::string text;
    form->GetLangString("TfrmBaseBatch", "sReason", text, true, "有问题! 原因: ");
    EXPECT_EQ("有问题! 原因: ", text);
}

TEST(KVFormTest, LanguageFolderFollowsTheInterfaceCodePage)
{
    Application->Initialize();
    struct Case {
        const char* codePage;
        const char* folder;
    };
    for (const Case& c : {Case{"936", "CHS"}, Case{"437", "ENG"}}) {
        SCOPED_TRACE(c.codePage);
        Installation install(c.codePage);
        TKvLangController controller(nullptr);
        EXPECT_EQ("", controller.GetLanguageFolder()) << "no folder yet";
        std::filesystem::create_directories(install.Path() + "MultiLanguage/" + c.folder);
        EXPECT_EQ(install.Path() + "MultiLanguage/" + c.folder + "/", controller.GetLanguageFolder());
        EXPECT_EQ(install.Path() + "MultiLanguage/" + c.folder + "/TKVForm.Lng",
                  controller.PackageFileName("TKVForm"));
    }
}

TEST(KVFormTest, MessageDialogsGoThroughTheConverter)
{
    Application->Initialize();
    Installation install("936");
    std::unique_ptr<TKVForm> form(NewForm<TKVForm>(nullptr));
    form->SetCaption("调汇");
    TDialogRecorder dialogs;
    dialogs.Answer("Yes");
    EXPECT_EQ(mrYes, form->ShowMessageDialog("继续?", mtConfirmation, MsgDlgButtons({mbYes, mbNo})));
    EXPECT_EQ(0, form->ShowMessageDialog("", mtError, MsgDlgButton(mbOK)));
    ASSERT_EQ(1u, dialogs.Records().size()) << "an empty text shows nothing";
    EXPECT_EQ("继续?      ", dialogs.Records()[0].Text) << "six spaces on a GB system";
    EXPECT_EQ("调汇", dialogs.Records()[0].Caption);

    form->ConvertForm();
    form->ConvertForm();
    EXPECT_TRUE(form->Converted);
}

TEST(KVFormTest, ConversionKindsThatNeedTheTranslatorAreRefused)
{
    Application->Initialize();
    Installation install("950");
    EXPECT_THROW(NewForm<TKVForm>(nullptr), EPlatformError);
}

// A glyph whose first column is the transparent colour and the rest one
// colour, with the transparent colour fixed.
std::unique_ptr<TBitmap> Glyph(int width, int height, TColor fill)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->Canvas()->Brush()->SetColor(fill);
    bitmap->Canvas()->FillRect({0, 0, width, height});
    bitmap->Canvas()->Brush()->SetColor(clFuchsia);
    bitmap->Canvas()->FillRect({0, 0, 1, height});
    bitmap->SetTransparentColor(clFuchsia);
    return bitmap;
}

TEST(DisabledGlyphTest, DarkAndEdgePixelsAreEmbossed)
{
    Application->Initialize();
    const TColor face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow),
                 highlight = ColorToRGB(clBtnHighlight);

    // A light colour (sum 390) is marked only next to a transparent pixel.
    auto light = Glyph(6, 4, RGB(200, 100, 90));
    auto D = MakeDisabledGlyph(*light);
    ASSERT_EQ(6, D->Width());
    ASSERT_EQ(4, D->Height());
    for (int y = 0; y < 4; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(face, D->Pixel(0, y)) << "transparent pixels become the face";
        EXPECT_EQ(shadow, D->Pixel(1, y)) << "light pixel beside a transparent one";
        EXPECT_EQ(y == 0 ? face : highlight, D->Pixel(2, y)) << "highlight one pixel down and right";
        EXPECT_EQ(face, D->Pixel(4, y)) << "light pixel away from transparent ones";
    }

    // A dark colour (sum 300) is marked everywhere.
    auto dark = Glyph(6, 4, RGB(100, 100, 100));
    D = MakeDisabledGlyph(*dark);
    for (int x = 1; x < 6; ++x) EXPECT_EQ(shadow, D->Pixel(x, 2)) << x;
    EXPECT_EQ(face, D->Pixel(0, 3)) << "no highlight left of the first marked column";
}

class TfrmWithButtons : public TKVForm {
public:
    explicit TfrmWithButtons(TComponent* AOwner) : TKVForm(AOwner)
    {
        auto make = [this](const char* name) {
            auto* b = new TBitBtn(this);
            b->SetName(name);
            b->SetParent(this);
            return b;
        };
        oneImage = make("oneImage");
        oneImage->SetGlyph(Glyph(16, 16, clNavy).get());
        twoImages = make("twoImages");
        twoImages->SetGlyph(Glyph(32, 16, clNavy).get());
        noGlyph = make("noGlyph");
        speed = new TSpeedButton(this);
        speed->SetName("speed");
        speed->SetParent(this);
        speed->SetGlyph(Glyph(8, 8, clBlack).get());
    }
    TBitBtn *oneImage, *twoImages, *noGlyph;
    TSpeedButton* speed;
};

TEST(DisabledGlyphTest, OneImageGlyphsGetTheDisabledImageAtCreation)
{
    Application->Initialize();
    Installation install("936");
    std::unique_ptr<TfrmWithButtons> form(NewForm<TfrmWithButtons>(nullptr));

    EXPECT_EQ(2, form->oneImage->NumGlyphs());
    ASSERT_EQ(32, form->oneImage->Glyph()->Width());
    EXPECT_EQ(clNavy, form->oneImage->Glyph()->Pixel(5, 5)) << "the normal image stays on the left";
    EXPECT_EQ(ColorToRGB(clBtnShadow), form->oneImage->Glyph()->Pixel(16 + 5, 5)) << "dark pixels greyed";

    EXPECT_EQ(2, form->twoImages->NumGlyphs());
    EXPECT_EQ(32, form->twoImages->Glyph()->Width()) << "two images already: unchanged";
    EXPECT_EQ(clNavy, form->twoImages->Glyph()->Pixel(16 + 5, 5));

    EXPECT_TRUE(!form->noGlyph->Glyph() || form->noGlyph->Glyph()->Empty());
    EXPECT_EQ(1, form->noGlyph->NumGlyphs());

    EXPECT_EQ(2, form->speed->NumGlyphs());
    EXPECT_EQ(16, form->speed->Glyph()->Width());
}

} // namespace

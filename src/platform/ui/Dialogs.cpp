#include "platform/ui/Dialogs.h"

#include <QFontMetrics>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "platform/core/SysUtils.h"
#include "platform/ui/StdCtrls.h"

namespace {

struct TButtonInfo {
    const char* Name;
    const char* Caption;
    TModalResult Result;
};

constexpr TButtonInfo Buttons[] = {
    {"Yes", "&Yes", mrYes},          {"No", "&No", mrNo},
    {"OK", "OK", mrOk},              {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll}, {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

const char* const Captions[] = {"Warning", "Error", "Information", "Confirm"};

TDialogService& Service()
{
    static TDialogService service = &DefaultDialogService;
    return service;
}

} // namespace

const char* MsgDlgButtonName(TMsgDlgBtn button) { return Buttons[button].Name; }
TModalResult MsgDlgButtonResult(TMsgDlgBtn button) { return Buttons[button].Result; }

const TClassInfo& TMessageForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TMessageForm>("TMessageForm", TForm::StaticClass()).Build();
    return info;
}

TMessageForm::TMessageForm(TComponent* AOwner) : TForm(AOwner) {}

std::string TMessageForm::Text() const
{
    auto* label = dynamic_cast<TLabel*>(FindComponent("Message"));
    return label ? label->Caption() : std::string();
}

std::vector<std::string> TMessageForm::ButtonNames() const
{
    std::vector<std::pair<int, std::string>> found;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* b = dynamic_cast<TButton*>(Components(i))) found.emplace_back(b->Left(), b->Name());
    std::stable_sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (auto& f : found) names.push_back(f.second);
    return names;
}

TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons)
{
    auto form = std::make_unique<TMessageForm>(Application);
    form->DlgType = type;
    form->SetCaption(type == mtCustom ? Application->Title : Captions[type]);
    form->SetBorderIcons(BorderIcon(biSystemMenu));
    form->SetPosition(poScreenCenter);

    constexpr int margin = 12, buttonWidth = 75, buttonHeight = 25, spacing = 8;
    auto* label = new TLabel(form.get());
    label->SetName("Message");
    label->SetParent(form.get());
    label->SetCaption(msg);
    const QFontMetrics metrics(label->Widget()->font());
    const QRect text = metrics.boundingRect(QRect(0, 0, 480, 10000), Qt::TextWordWrap, QString::fromStdString(msg));
    label->SetWordWrap(true);
    label->SetBounds(margin, margin, text.width() + 2, text.height() + 2);

    int count = 0;
    for (int b = mbYes; b <= mbHelp; ++b)
        if (buttons & MsgDlgButton(TMsgDlgBtn(b))) ++count;
    const int rowWidth = count * buttonWidth + std::max(0, count - 1) * spacing;
    const int width = std::max(rowWidth, text.width()) + 2 * margin;
    const int top = margin + text.height() + 2 + margin;
    form->SetBounds(0, 0, width, top + buttonHeight + margin);

    // The default button is OK, else Yes; Escape's button is Cancel, else No, else OK.
    const TMsgDlgBtn defaultButton = (buttons & MsgDlgButton(mbOK)) ? mbOK : mbYes;
    const TMsgDlgBtn cancelButton = (buttons & MsgDlgButton(mbCancel)) ? mbCancel
                                    : (buttons & MsgDlgButton(mbNo))   ? mbNo
                                                                       : mbOK;
    int x = (width - rowWidth) / 2;
    for (int b = mbYes; b <= mbHelp; ++b) {
        if (!(buttons & MsgDlgButton(TMsgDlgBtn(b)))) continue;
        auto* button = new TButton(form.get());
        button->SetName(Buttons[b].Name);
        button->SetParent(form.get());
        button->SetCaption(Buttons[b].Caption);
        button->SetModalResult(Buttons[b].Result);
        button->SetBounds(x, top, buttonWidth, buttonHeight);
        if (b == defaultButton) {
            button->SetDefault(true);
            form->SetActiveControl(button);
        }
        if (b == cancelButton) button->SetCancel(true);
        x += buttonWidth + spacing;
    }
    return form.release();
}

TModalResult ShowMessageDialog(TForm& dialog)
{
    const TDialogService service = Service(); // the service may be replaced meanwhile
    return service(dialog);
}

TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext)
{
    std::unique_ptr<TMessageForm> dialog(CreateMessageDialog(msg, type, buttons));
    return ShowMessageDialog(*dialog);
}

void ShowMessage(const std::string& msg)
{
    std::unique_ptr<TMessageForm> dialog(CreateMessageDialog(msg, mtCustom, MsgDlgButton(mbOK)));
    ShowMessageDialog(*dialog);
}

TDialogService SetDialogService(TDialogService service)
{
    TDialogService old = std::move(Service());
    Service() = service ? std::move(service) : TDialogService(&DefaultDialogService);
    return old;
}

TModalResult DefaultDialogService(TForm& dialog) { return dialog.ShowModal(); }

TDialogRecorder::TDialogRecorder()
{
    FPrevious = SetDialogService([this](TForm& dialog) { return Show(dialog); });
}

TDialogRecorder::~TDialogRecorder() { SetDialogService(std::move(FPrevious)); }

TModalResult TDialogRecorder::Show(TForm& dialog)
{
    TDialogRecord record;
    record.Caption = dialog.Caption();
    std::vector<TButton*> buttons;
    if (auto* message = dynamic_cast<TMessageForm*>(&dialog)) {
        record.Text = message->Text();
        record.Type = message->DlgType;
        for (const std::string& name : message->ButtonNames())
            if (auto* b = dynamic_cast<TButton*>(dialog.FindComponent(name))) buttons.push_back(b);
    } else {
        for (int i = 0; i < dialog.ComponentCount(); ++i)
            if (auto* b = dynamic_cast<TButton*>(dialog.Components(i))) buttons.push_back(b);
    }
    TButton* cancel = nullptr;
    for (TButton* b : buttons) {
        record.Buttons.push_back(b->Name());
        record.ButtonCaptions.push_back(b->Caption());
        if (b->Cancel() && !cancel) cancel = b;
    }

    TButton* pressed = cancel;
    if (!FAnswers.empty()) {
        const std::string answer = FAnswers.front();
        FAnswers.pop_front();
        pressed = dynamic_cast<TButton*>(dialog.FindComponent(answer));
        if (!pressed) throw EInvalidOperation("The dialog has no button " + answer);
    }
    dialog.SetModalResult(mrNone);
    if (pressed) {
        record.Answer = pressed->Name();
        pressed->Click();
    }
    record.Result = dialog.ModalResult();
    FRecords.push_back(record);
    return record.Result;
}

#include "suite/host/HostSession.h"

#include <istream>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

#include "platform/core/Exceptions.h"
#include "platform/core/Properties.h"
#include "platform/core/SysUtils.h"
#include "platform/os/Paths.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "suite/host/HostWindows.h"

using json = nlohmann::json;

namespace {

Variant JsonToVariant(const json& j)
{
    if (j.is_null()) return Variant::Null();
    if (j.is_boolean()) return Variant(j.get<bool>());
    if (j.is_number_integer()) {
        const auto v = j.get<std::int64_t>();
        if (v >= INT32_MIN && v <= INT32_MAX) return Variant(static_cast<std::int32_t>(v));
        return Variant(v);
    }
    if (j.is_number()) return Variant(j.get<double>());
    if (j.is_string()) return Variant(j.get<std::string>());
    if (j.is_array()) {
        Variant a = VarArrayCreate({0, static_cast<int>(j.size()) - 1});
        for (std::size_t i = 0; i < j.size(); ++i) a[static_cast<int>(i)] = JsonToVariant(j[i]);
        return a;
    }
    throw EConvertError("A JSON object cannot be passed as a value");
}

json VariantToJson(const Variant& v)
{
    if (v.IsEmpty() || v.IsNull()) return nullptr;
    if (VarIsArray(v)) {
        json a = json::array();
        if (VarArrayDimCount(v) == 1)
            for (int i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i) a.push_back(VariantToJson(v[i]));
        return a;
    }
    switch (v.Type()) {
    case varBoolean: return v.AsBoolean();
    case varInteger:
    case varInt64: return v.AsInt64();
    case varDouble: return v.AsDouble();
    default: return v.AsString();
    }
}

const std::map<std::string, std::uint16_t>& KeyNames()
{
    static const std::map<std::string, std::uint16_t> names = {
        {"Enter", VK_RETURN}, {"Return", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Escape", VK_ESCAPE},
        {"Tab", VK_TAB},      {"Space", VK_SPACE},   {"Back", VK_BACK},  {"Delete", VK_DELETE},
        {"Up", VK_UP},        {"Down", VK_DOWN},     {"Left", VK_LEFT},  {"Right", VK_RIGHT},
        {"Home", VK_HOME},    {"End", VK_END},       {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT},
    };
    return names;
}

std::uint16_t KeyCode(const json& key)
{
    if (key.is_number_integer()) return key.get<std::uint16_t>();
    const std::string name = key.get<std::string>();
    if (auto it = KeyNames().find(name); it != KeyNames().end()) return it->second;
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        const auto n = TryStrToInt(name.substr(1));
        if (n && *n >= 1 && *n <= 24) return static_cast<std::uint16_t>(VK_F1 + *n - 1);
    }
    if (name.size() == 1) return static_cast<std::uint16_t>(std::toupper(static_cast<unsigned char>(name[0])));
    throw EConvertError("Unknown key \"" + name + "\"");
}

TShiftState ShiftOf(const json& shift)
{
    TShiftState state = 0;
    if (shift.is_null()) return state;
    for (const auto& s : shift) {
        const std::string name = s.get<std::string>();
        if (SameText(name, "Shift") || SameText(name, "ssShift")) state |= Shift(ssShift);
        else if (SameText(name, "Ctrl") || SameText(name, "ssCtrl")) state |= Shift(ssCtrl);
        else if (SameText(name, "Alt") || SameText(name, "ssAlt")) state |= Shift(ssAlt);
        else throw EConvertError("Unknown shift key \"" + name + "\"");
    }
    return state;
}

// The character a key produces, 0 for none.
char KeyChar(std::uint16_t key, TShiftState shift)
{
    if (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB || key == VK_BACK || key == VK_SPACE)
        return static_cast<char>(key);
    if (key >= '0' && key <= '9') return static_cast<char>(key);
    if (key >= 'A' && key <= 'Z') return static_cast<char>(shift & Shift(ssShift) ? key : key - 'A' + 'a');
    return 0;
}

const char* DialogTypeName(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return "warning";
    case mtError: return "error";
    case mtInformation: return "information";
    case mtConfirmation: return "confirmation";
    default: return "custom";
    }
}

} // namespace

THostSession::THostSession(std::ostream& out, std::ostream& err)
    : FOut(out), FErr(err), FManager(std::make_shared<THostManager>())
{
    Application->Initialize();
}

THostSession::~THostSession()
{
    FController.reset();
    Application->ProcessMessages();
    if (FDialogServiceInstalled) SetDialogService(FPreviousDialogService);
}

bool THostSession::Load(const std::string& modulePath)
{
    if (!os::FileExists(modulePath)) {
        FErr << "orvane-host: module library \"" << modulePath << "\" does not exist\n";
        return false;
    }
    FLibrary = os::TLibrary::Load(modulePath);
    if (!FLibrary) {
        FErr << "orvane-host: cannot load \"" << modulePath << "\": " << os::TLibrary::LastLoadError() << "\n";
        return false;
    }
    auto* getController = FLibrary->GetProc<TDLLBaseController*()>("GetController");
    if (!getController) {
        FErr << "orvane-host: \"" << modulePath << "\" is not a program module (no GetController)\n";
        return false;
    }
    try {
        FController.reset(getController());
    } catch (const std::exception& e) {
        FErr << "orvane-host: GetController failed: " << e.what() << "\n";
        return false;
    }
    FController->Manager = Variant(IAutoObjectPtr(FManager));
    FManager->SetHelpHandler([this](const std::string& system, const std::string& topic) {
        const json event = {{"event", "help"}, {"system", system}, {"topic", topic}};
        if (FScript) Emit(event.dump());
        else FOut << "help: " << event.dump() << "\n";
    });
    FController->OnNotify = [this](std::int32_t code, TObject*) {
        if (code == NOTIFY_FORM_DESTROYED) {
            FDestroyed = true;
            Application->Terminate();
        }
        if (FScript) Emit(json{{"event", "notify"}, {"code", code}}.dump());
        else FOut << "notify " << code << "\n";
    };
    return true;
}

void THostSession::SetDialogMode(TDialogMode mode)
{
    FDialogMode = mode;
    if (mode == TDialogMode::Ask || FDialogServiceInstalled) return;
    FPreviousDialogService = SetDialogService([this](TForm& dialog) { return AnswerDialog(dialog); });
    FDialogServiceInstalled = true;
    FManager->SetWindowRunner([this](TForm& window) { return AnswerWindow(window); });
}

std::string THostSession::NextAnswer()
{
    if (FDialogMode != TDialogMode::Record || FAnswers.empty()) return std::string();
    std::string answer = FAnswers.front();
    FAnswers.pop_front();
    return answer;
}

TModalResult THostSession::AnswerWindow(TForm& window)
{
    // Ok takes what the window offers, Cancel and an unanswered recording
    // cancel it, as with message dialogs.
    std::string answer = FDialogMode == TDialogMode::Ok ? std::string("OK") : NextAnswer();
    if (answer.empty()) answer = "Cancel";
    json event;
    TModalResult result = mrCancel;
    auto apply = [&](auto& form) {
        try {
            result = form.Answer(answer);
        } catch (const std::exception& e) {
            answer = "Cancel (" + std::string(e.what()) + ")";
            result = form.Answer("Cancel");
        }
    };
    if (auto* pick = dynamic_cast<TPickListForm*>(&window)) {
        json rows = json::array();
        for (const Variant& row : pick->Rows()) rows.push_back(VariantToJson(row));
        event = {{"event", "pick"}, {"caption", pick->Caption()}, {"table", pick->Table()},
                 {"columns", pick->Columns()}, {"rows", rows}, {"multiSelect", pick->MultiSelect()}};
        apply(*pick);
        event["picked"] = result == mrOk ? pick->SelectedRows() : std::vector<int>{};
    } else if (auto* date = dynamic_cast<TDatePickForm*>(&window)) {
        event = {{"event", "date"}, {"caption", date->Caption()}, {"start", date->StartDate()}};
        apply(*date);
        event["date"] = result == mrOk ? date->Date() : std::string();
    } else {
        event = {{"event", "window"}, {"caption", window.Caption()}};
        window.SetModalResult(mrCancel);
    }
    event["answer"] = answer;
    if (FScript) Emit(event.dump());
    else FOut << event["event"].get<std::string>() << ": " << event.dump() << "\n";
    return result;
}

TModalResult THostSession::AnswerDialog(TForm& dialog)
{
    auto* message = dynamic_cast<TMessageForm*>(&dialog);
    const std::vector<std::string> buttons = message ? message->ButtonNames() : std::vector<std::string>{};
    auto has = [&](const std::string& name) {
        for (const auto& b : buttons)
            if (SameText(b, name)) return true;
        return false;
    };
    std::string answer;
    if (FDialogMode == TDialogMode::Ok && has("OK")) answer = "OK";
    else answer = NextAnswer();
    if (answer.empty())
        for (const char* name : {"Cancel", "No", "OK"})
            if (has(name)) {
                answer = name;
                break;
            }
    TModalResult result = mrCancel;
    if (auto* button = dynamic_cast<TButton*>(dialog.FindComponent(answer))) result = button->ModalResult();
    else if (!answer.empty()) answer = "Cancel (no button \"" + answer + "\")";

    json event = {{"event", "dialog"},
                  {"caption", dialog.Caption()},
                  {"text", message ? message->Text() : std::string()},
                  {"type", message ? DialogTypeName(message->DlgType) : "custom"},
                  {"buttons", buttons},
                  {"answer", answer}};
    const std::string code = FManager->TakeMessageCode(message ? message->Text() : std::string());
    if (!code.empty()) event["code"] = code;
    if (FScript) Emit(event.dump());
    else FOut << "dialog: " << event.dump() << "\n";
    return result;
}

std::int32_t THostSession::CreateForm(const Variant& params)
{
    auto text = [&](int i) {
        if (!VarIsArray(params) || VarArrayDimCount(params) != 1) return std::string();
        const int index = VarArrayLowBound(params, 1) + i;
        if (index > VarArrayHighBound(params, 1) || VarIsArray(params[index])) return std::string();
        return VarToStr(params[index]);
    };
    FManager->SetSession(text(0), text(1), text(2));
    return FController->CreateForm(params);
}

Variant THostSession::BuildRunRequest(int mode, const std::vector<std::pair<std::string, Variant>>& values)
{
    const int high = static_cast<int>(values.size()) - 1;
    Variant texts = VarArrayCreate({0, high});
    Variant data = VarArrayCreate({0, high});
    for (int i = 0; i <= high; ++i) {
        texts[i] = VarArrayOf({values[i].first, values[i].first});
        data[i] = values[i].second;
    }
    return VarArrayOf({mode, VarArrayOf({true, VarArrayOf({texts, data})})});
}

std::int32_t THostSession::RunRequest(const Variant& runRequestArray)
{
    // The controller takes the run request from element 1 of its argument.
    return FController->RunRequest(VarArrayOf({0, runRequestArray}));
}

bool THostSession::FormAlive() { return FController && !FController->FormIsNil(); }

TForm* THostSession::FormObject()
{
    if (!FormAlive()) return nullptr;
    return dynamic_cast<TForm*>(Application->FindControl(FController->GetHandle()));
}

void THostSession::RunInteractive()
{
    if (!FormAlive()) return;
    FController->SetVisible(-1);
    if (FormAlive()) Application->Run();
}

void THostSession::RunUnattended(const Variant& runRequestArray)
{
    const std::int32_t result = RunRequest(runRequestArray);
    FOut << "RunRequest=" << result << "\n";
    Application->ProcessMessages();
    if (FormAlive()) FController->FreeForm();
}

void THostSession::Emit(const std::string& jsonLine)
{
    if (FScript) FOut << jsonLine << "\n" << std::flush;
}

void THostSession::RunScript(std::istream& in)
{
    FScript = true;
    std::string line;
    while (std::getline(in, line)) {
        if (Trim(line).empty()) continue;
        ExecuteCommand(line);
        Application->ProcessMessages();
        if (!FController) break;
    }
}

void THostSession::ExecuteCommand(const std::string& line)
{
    json command;
    try {
        command = json::parse(line);
    } catch (const std::exception& e) {
        Emit(json{{"event", "error"}, {"message", std::string("bad JSON: ") + e.what()}}.dump());
        return;
    }
    const std::string cmd = command.is_object() ? command.value("cmd", "") : "";
    auto control = [&](bool mustExist = true) -> TComponent* {
        TForm* form = FormObject();
        if (!form) throw EInvalidOperation("There is no form");
        const std::string name = command.value("control", "");
        if (name.empty() || SameText(name, form->Name())) return form;
        TComponent* c = form->FindComponent(name);
        if (!c && mustExist) throw EInvalidOperation("The form has no control \"" + name + "\"");
        return c;
    };
    try {
        if (cmd == "create") {
            Variant params = command.contains("params") ? JsonToVariant(command["params"])
                                                        : VarArrayOf({"", "", "", 0, ""});
            Emit(json{{"event", "return"}, {"cmd", cmd}, {"value", CreateForm(params)}}.dump());
        } else if (cmd == "show") {
            FController->SetVisible(-1);
        } else if (cmd == "hide") {
            FController->SetVisible(0);
        } else if (cmd == "focus") {
            auto* c = dynamic_cast<TWinControl*>(control());
            if (!c) throw EInvalidOperation("That control cannot take the focus");
            c->SetFocus();
        } else if (cmd == "set") {
            SetPropValue(control(), command.at("property").get<std::string>(), JsonToVariant(command.at("value")));
        } else if (cmd == "get") {
            const std::string property = command.at("property").get<std::string>();
            Emit(json{{"event", "value"},
                      {"control", command.value("control", "")},
                      {"property", property},
                      {"value", VariantToJson(GetPropValue(control(), property))}}
                     .dump());
        } else if (cmd == "click") {
            auto* c = dynamic_cast<TControl*>(control());
            if (!c) throw EInvalidOperation("That component cannot be clicked");
            c->Click();
        } else if (cmd == "key") {
            TForm* form = FormObject();
            if (!form) throw EInvalidOperation("There is no form");
            std::uint16_t key = KeyCode(command.at("key"));
            const TShiftState shift = ShiftOf(command.value("shift", json()));
            TWinControl* target = form->ActiveControl() ? form->ActiveControl() : form;
            const std::uint16_t pressed = key;
            if (!form->HandleKeyDown(target, key, shift) && key != 0) {
                char ch = KeyChar(pressed, shift);
                if (ch && FormAlive()) form->HandleKeyPress(form->ActiveControl() ? form->ActiveControl() : form, ch);
            }
            if (FormAlive()) {
                std::uint16_t up = pressed;
                form->HandleKeyUp(form->ActiveControl() ? form->ActiveControl() : form, up, shift);
            }
        } else if (cmd == "process") {
            Application->ProcessMessages();
        } else if (cmd == "answer") {
            // A dialog's button, a pick list's row indexes or a date.
            const json& a = command.contains("button") ? command["button"] : command.at("value");
            FAnswers.push_back(a.is_string() ? a.get<std::string>() : a.dump());
        } else if (cmd == "run") {
            std::vector<std::pair<std::string, Variant>> values;
            if (command.contains("values"))
                for (auto& [name, value] : command["values"].items()) values.emplace_back(name, JsonToVariant(value));
            const Variant request = BuildRunRequest(command.value("mode", 0), values);
            Emit(json{{"event", "return"}, {"cmd", cmd}, {"value", RunRequest(request)}}.dump());
        } else if (cmd == "context") {
            Variant context;
            const std::int32_t result = FController->GetContext(context);
            Emit(json{{"event", "return"}, {"cmd", cmd}, {"value", result}, {"context", VariantToJson(context)}}.dump());
        } else if (cmd == "close") {
            TForm* form = FormObject();
            if (!form) throw EInvalidOperation("There is no form");
            Application->PostMessage(form, WM_CLOSE);
        } else if (cmd == "free") {
            Finish();
        } else {
            Emit(json{{"event", "error"}, {"message", "unknown command \"" + cmd + "\""}}.dump());
        }
    } catch (const std::exception& e) {
        Emit(json{{"event", "error"}, {"message", e.what()}}.dump());
    }
}

void THostSession::ReportResult()
{
    if (FResultReported || !FController) return;
    FResultReported = true;
    const std::int32_t code = FController->ResultCode;
    const Variant& value = FController->ResultValue;
    if (FScript) {
        Emit(json{{"event", "result"}, {"code", code}, {"value", VariantToJson(value)}}.dump());
    } else {
        FOut << "ResultCode=" << code << "\n";
        FOut << "ResultValue=" << (value.IsEmpty() ? std::string("(unassigned)") : VarToStr(value)) << "\n";
    }
}

void THostSession::Finish()
{
    if (!FController) return;
    if (FormAlive()) FController->FreeForm();
    Application->ProcessMessages();
    ReportResult();
    FController.reset();
}

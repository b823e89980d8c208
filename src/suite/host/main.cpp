// orvane-host: loads a program module by path and runs it - interactively,
// unattended with a run request, or driven by JSON commands.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/os/Library.h"
#include "platform/os/Paths.h"
#include "platform/os/System.h"
#include "suite/host/HostSession.h"

namespace {

const char* const Usage =
    "usage: orvane-host --module PATH [--install DIR] [--params USER,COMPANY,DATABASE[,WINDOW[,EXTRA]]]\n"
    "                   [--run MODE] [--set CONTROL=VALUE ...] [--script FILE|-]\n"
    "                   [--dialogs ask|ok|cancel|record]\n";

int Fail(const std::string& message)
{
    std::cerr << "orvane-host: " << message << "\n" << Usage;
    return heUsage;
}

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = text.find(sep, start);
        parts.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) return parts;
        start = p + 1;
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string modulePath, installDir, paramsText = "Admin,DEMO,DEMO,0,", scriptPath, dialogs;
    int runMode = -1;
    std::vector<std::pair<std::string, Variant>> sets;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--help" || arg == "-h") {
            std::cout << Usage;
            return heOk;
        }
        if (arg != "--module" && arg != "--install" && arg != "--params" && arg != "--run" && arg != "--set" &&
            arg != "--script" && arg != "--dialogs")
            return Fail("unknown option \"" + arg + "\"");
        if (!(v = value())) return Fail(arg + " needs a value");
        if (arg == "--module") modulePath = v;
        else if (arg == "--install") installDir = v;
        else if (arg == "--params") paramsText = v;
        else if (arg == "--script") scriptPath = v;
        else if (arg == "--dialogs") dialogs = v;
        else if (arg == "--run") {
            const auto mode = TryStrToInt(v);
            if (!mode || *mode < 0) return Fail("--run needs a mode number, not \"" + std::string(v) + "\"");
            runMode = *mode;
        } else if (arg == "--set") {
            const std::string pair = v;
            const std::size_t eq = pair.find('=');
            if (eq == std::string::npos || eq == 0) return Fail("--set needs CONTROL=VALUE, not \"" + pair + "\"");
            sets.emplace_back(pair.substr(0, eq), Variant(pair.substr(eq + 1)));
        }
    }
    if (modulePath.empty()) return Fail("--module is required");
    if (!sets.empty() && runMode < 0) return Fail("--set needs --run");
    if (!scriptPath.empty() && runMode >= 0) return Fail("--script and --run cannot be combined");

    TDialogMode dialogMode = scriptPath.empty() ? TDialogMode::Ask : TDialogMode::Record;
    if (dialogs == "ask") dialogMode = TDialogMode::Ask;
    else if (dialogs == "ok") dialogMode = TDialogMode::Ok;
    else if (dialogs == "cancel") dialogMode = TDialogMode::Cancel;
    else if (dialogs == "record") dialogMode = TDialogMode::Record;
    else if (!dialogs.empty()) return Fail("--dialogs must be ask, ok, cancel or record");
    if (runMode >= 0 && dialogMode == TDialogMode::Ask) dialogMode = TDialogMode::Ok;

    if (!installDir.empty()) {
        if (!os::DirectoryExists(installDir)) return Fail("installation folder \"" + installDir + "\" does not exist");
        std::string folder = installDir;
        if (folder.back() != '/') folder += '/';
        setenv("ORVANE_REGISTRY", (folder + "registry.ini").c_str(), 1);
        os::AddLibrarySearchPath(folder + "lib");
        os::AddLibrarySearchPath(folder);
    }

    // Server libraries (ReportCounterS.so for an in-process application
    // server) sit in lib/ beside the folder of the executable.
    os::AddLibrarySearchPath(os::ExecutableDir() + "../lib");

    // Host parameters: user, company, database, window handle, extra value.
    const std::vector<std::string> fields = Split(paramsText, ',');
    if (fields.size() < 3) return Fail("--params needs at least USER,COMPANY,DATABASE");
    Variant params = VarArrayCreate({0, static_cast<int>(fields.size()) - 1});
    for (std::size_t i = 0; i < fields.size(); ++i)
        params[static_cast<int>(i)] = i == 3 ? Variant(StrToIntDef(fields[i], 0)) : Variant(fields[i]);

    THostSession session(std::cout, std::cerr);
    if (!session.Load(modulePath)) return heModule;
    session.SetDialogMode(dialogMode);

    if (!scriptPath.empty()) {
        if (scriptPath == "-") {
            session.RunScript(std::cin);
        } else {
            std::ifstream script(scriptPath);
            if (!script) {
                std::cerr << "orvane-host: cannot read script \"" << scriptPath << "\"\n";
                return heUsage;
            }
            session.RunScript(script);
        }
        session.Finish();
        return heOk;
    }

    std::int32_t created = -1;
    try {
        created = session.CreateForm(params);
    } catch (const std::exception& e) {
        std::cerr << "orvane-host: CreateForm failed: " << e.what() << "\n";
        session.Finish();
        return heController;
    }
    if (created != 0) {
        std::cerr << "orvane-host: the module refused to open its window (CreateForm returned " << created << ")\n";
        session.Finish();
        return heController;
    }
    if (runMode >= 0) session.RunUnattended(THostSession::BuildRunRequest(runMode, sets));
    else session.RunInteractive();
    session.Finish();
    return heOk;
}

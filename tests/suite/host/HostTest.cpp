// The host executable end to end: a script session on the test module, an
// unattended run request, and the exit codes for bad input.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "TestSupport.h"

namespace {

using json = nlohmann::json;

struct RunResult {
    int exitCode = -1;
    std::vector<std::string> lines;
};

// Runs the host with the arguments (and the script file, if any) and
// collects its standard output line by line; standard error is dropped.
RunResult RunHost(const std::string& args)
{
    const std::string command = std::string("QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=") +
                                ORVANE_LSAN_SUPPRESSIONS + " " + HOST_PATH + " " + args + " 2>/dev/null";
    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::string line;
    std::array<char, 4096> buffer{};
    while (fgets(buffer.data(), buffer.size(), pipe)) {
        line += buffer.data();
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            result.lines.push_back(line);
            line.clear();
        }
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<json> Events(const RunResult& run)
{
    std::vector<json> events;
    for (const auto& line : run.lines) events.push_back(json::parse(line));
    return events;
}

// An installation for one run: the registry file names the folder as client
// and server installation, so the forms reach an in-process application
// server (the client configuration's default address is 127.0.0.1) whose
// databases are kept in the same folder.
struct Installation {
    explicit Installation(const std::string& uiCodePage = "936")
    {
        testsupport::WriteFile(Dir.Path() + "registry.ini", "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=" +
                                                                Dir.Path() + "\nServerPath=" + Dir.Path() + "\n");
        testsupport::WriteFile(Dir.Path() + "OrvaneC.ini", "[CodePage]\nUICodePage=" + uiCodePage + "\n");
    }
    std::string Args() const { return " --install " + Dir.Path(); }
    testsupport::TempDir Dir;
};

TEST(HostScriptTest, ScriptSessionReportsNotificationsAndTheResult)
{
    testsupport::TempDir dir;
    const Installation install;
    const std::string script = dir.Path() + "session.jsonl";
    testsupport::WriteFile(script, R"({"cmd":"create","params":["796","DEMO","DEMO",0,"x"]}
{"cmd":"show"}
{"cmd":"set","control":"edCustomer","property":"Text","value":"C001"}
{"cmd":"get","control":"edCustomer","property":"Text"}
this is not json
{"cmd":"launch"}
{"cmd":"answer","button":"OK"}
{"cmd":"run","mode":1,"values":{"edCustomr":"x"}}
{"cmd":"run","mode":1,"values":{"edCustomer":"C001"}}
{"cmd":"close"}
{"cmd":"process"}
)");
    const RunResult run = RunHost("--module " + std::string(MODULE_PATH) + install.Args() + " --script " + script);
    ASSERT_EQ(0, run.exitCode);
    const std::vector<json> events = Events(run);

    std::vector<int> notes;
    std::vector<std::string> dialogs;
    std::size_t resultAt = 0, noteAt304 = 0, errors = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const json& e = events[i];
        if (e["event"] == "notify") {
            notes.push_back(e["code"]);
            if (e["code"] == 304) noteAt304 = i;
        }
        if (e["event"] == "result") {
            resultAt = i;
            EXPECT_EQ(1, e["code"]);
            EXPECT_EQ("2026121100000001", e["value"]);
        }
        if (e["event"] == "error") ++errors;
        if (e["event"] == "value") {
            EXPECT_EQ("C001", e["value"]);
        }
        if (e["event"] == "dialog") dialogs.push_back(e.value("code", "") + " " + e["type"].get<std::string>() +
                                                      " " + e["answer"].get<std::string>());
    }
    EXPECT_EQ((std::vector<std::string>{"W;000014 warning OK", "I;000004 information OK"}), dialogs)
        << "the misspelt control is answered with the queued OK, the job message with its only button";
    EXPECT_EQ((std::vector<int>{256, 272, 304}), notes);
    EXPECT_GT(resultAt, noteAt304) << "the result is printed after 304";
    EXPECT_EQ(2u, errors) << "bad JSON and an unknown command, and the session went on";
}

// The text of a code in a catalogue file of the sources.
std::string CatalogueText(const std::string& language, const std::string& code)
{
    const std::string content = testsupport::ReadFile(std::string(HOST_MESSAGES_DIR) + language + ".txt");
    const std::size_t at = content.find("\n" + code + "=");
    if (at == std::string::npos) return std::string();
    const std::size_t start = at + code.size() + 2;
    return content.substr(start, content.find('\n', start) - start);
}

TEST(HostScriptTest, ACodedMessageIsADialogWithTheCatalogueTextAndItsCode)
{
    struct Case {
        const char* name;
        const char* codePage;
        const char* language;
        std::string script;
        const char* code;
        std::string argument; // fills the text's placeholder
    };
    const std::vector<Case> cases = {
        {"host parameters too short, English", "437", "ENG",
         R"({"cmd":"create","params":["796","DEMO","DEMO",0]})", "E;000038"},
        {"unknown control in a run request, simplified Chinese", "936", "CHS",
         "{\"cmd\":\"create\",\"params\":[\"796\",\"DEMO\",\"DEMO\",0,\"x\"]}\n"
         "{\"cmd\":\"run\",\"mode\":1,\"values\":{\"edNoSuchControl\":\"x\"}}",
         "W;000014"},
        {"job submitted, the job number filled in", "936", "CHS",
         "{\"cmd\":\"create\",\"params\":[\"796\",\"DEMO\",\"DEMO\",0,\"x\"]}\n"
         "{\"cmd\":\"run\",\"mode\":1,\"values\":{\"edCustomer\":\"C001\"}}",
         "I;000004", "2026121100000001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Installation install(c.codePage);
        const std::string script = install.Dir.Path() + "session.jsonl";
        testsupport::WriteFile(script, c.script + "\n{\"cmd\":\"process\"}\n");
        const RunResult run = RunHost("--module " + std::string(MODULE_PATH) + install.Args() + " --script " + script);
        ASSERT_EQ(0, run.exitCode);
        std::string expected = CatalogueText(c.language, c.code);
        ASSERT_FALSE(expected.empty());
        if (const std::size_t at = expected.find("%s"); !c.argument.empty() && at != std::string::npos)
            expected.replace(at, 2, c.argument);
        int dialogs = 0;
        for (const json& e : Events(run)) {
            if (e["event"] != "dialog") continue;
            ++dialogs;
            EXPECT_EQ(c.code, e.value("code", ""));
            EXPECT_EQ(expected, e["text"]);
        }
        EXPECT_EQ(1, dialogs);
    }
}

TEST(HostScriptTest, UnattendedDirectRunClosesTheForm)
{
    const Installation install;
    const RunResult run =
        RunHost("--module " + std::string(MODULE_PATH) + install.Args() + " --run 5 --set edCustomer=C001");
    ASSERT_EQ(0, run.exitCode);
    EXPECT_EQ((std::vector<std::string>{"notify 256", "RunRequest=0", "notify 304", "ResultCode=1",
                                        "ResultValue=2026121100000002"}),
              run.lines);
}

TEST(HostScriptTest, BadInputGivesExitCodesThatSayWhatHappened)
{
    struct Case {
        const char* name;
        std::string args;
        int exitCode;
    };
    const std::vector<Case> cases = {
        {"no module", "", 2},
        {"unknown option", "--module x.so --frobnicate 1", 2},
        {"set without run", "--module " + std::string(MODULE_PATH) + " --set a=b", 2},
        {"missing module file", "--module /nonexistent/XYZR01C.so --run 0", 3},
        {"library without GetController", "--module " + std::string(PLAIN_LIBRARY_PATH) + " --run 0", 3},
        {"too few host parameters", "--module " + std::string(MODULE_PATH) + " --params 796,DEMO --run 0", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.exitCode, RunHost(c.args).exitCode);
    }
}

} // namespace

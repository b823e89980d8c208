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

TEST(HostScriptTest, ScriptSessionReportsNotificationsAndTheResult)
{
    testsupport::TempDir dir;
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
    const RunResult run = RunHost("--module " + std::string(MODULE_PATH) + " --script " + script);
    ASSERT_EQ(0, run.exitCode);
    const std::vector<json> events = Events(run);

    std::vector<int> notes;
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
        if (e["event"] == "value") EXPECT_EQ("C001", e["value"]);
        if (e["event"] == "dialog") {
            EXPECT_EQ("warning", e["type"]);
            EXPECT_EQ("OK", e["answer"]);
            EXPECT_EQ("W;000014", e["code"]);
        }
    }
    EXPECT_EQ((std::vector<int>{256, 272, 304}), notes);
    EXPECT_GT(resultAt, noteAt304) << "the result is printed after 304";
    EXPECT_EQ(2u, errors) << "bad JSON and an unknown command, and the session went on";
}

TEST(HostScriptTest, UnattendedDirectRunClosesTheForm)
{
    const RunResult run = RunHost("--module " + std::string(MODULE_PATH) + " --run 5 --set edCustomer=C001");
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

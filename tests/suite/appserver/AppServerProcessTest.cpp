// The daemon orvane-appserver as a separate process on a loopback port,
// reached with real socket connections.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <asio.hpp>
#include <gtest/gtest.h>

#include "AppServerFixture.h"
#include "platform/midas/SocketConnection.h"

extern char** environ;

using namespace appservertest;

namespace {

// A started daemon whose stderr is collected. The destructor stops it with
// SIGTERM and waits for it.
class TDaemon {
public:
    explicit TDaemon(std::vector<std::string> args)
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        args.insert(args.begin(), ORVANE_APPSERVER_EXE);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&FPid, ORVANE_APPSERVER_EXE, &actions, nullptr, argv.data(), environ) != 0) FPid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        FOut = pipeFds[0];
    }
    ~TDaemon()
    {
        if (FPid > 0 && !FExited) {
            kill(FPid, SIGTERM);
            Wait();
        }
        close(FOut);
    }

    // Reads stderr until a line contains the text or the process ends; true
    // when found.
    bool WaitForOutput(const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (FOutput.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            pollfd p{FOut, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) continue;
            char buf[4096];
            const ssize_t n = read(FOut, buf, sizeof buf);
            if (n <= 0) return FOutput.find(text) != std::string::npos;
            FOutput.append(buf, static_cast<std::size_t>(n));
        }
        return true;
    }
    // The port from the "listening on ADDR:PORT" line; 0 when none came.
    int Port()
    {
        if (!WaitForOutput("listening on ")) return 0;
        if (!WaitForOutput(" (installation")) return 0;
        const auto at = FOutput.find("listening on ");
        const auto colon = FOutput.find(':', at + 13);
        return std::atoi(FOutput.c_str() + colon + 1);
    }
    int Wait()
    {
        if (!FExited) {
            int status = 0;
            waitpid(FPid, &status, 0);
            FExited = true;
            FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            WaitForOutput("\x01never"); // collect the rest
        }
        return FStatus;
    }
    void Signal(int sig) { kill(FPid, sig); }
    const std::string& Output() const { return FOutput; }

private:
    pid_t FPid = -1;
    int FOut = -1;
    bool FExited = false;
    int FStatus = -1;
    std::string FOutput;
};

std::unique_ptr<TSocketConnection> Connect(int port)
{
    auto c = std::make_unique<TSocketConnection>();
    c->Address = "127.0.0.1";
    c->Port = port;
    c->ServerName = "ReportCounterS.dmReportCounter";
    c->CallTimeout = 30000;
    c->Open();
    return c;
}

TEST(AppServerProcess, RunsASubmittedJobAndStoresItsStatus)
{
    TInstallation inst;
    TDaemon daemon({"--install", inst.Install(), "--port", "0"});
    const int port = daemon.Port();
    ASSERT_GT(port, 0) << daemon.Output();

    auto connection = Connect(port);
    const Variant app = connection->AppServer();
    const std::string job = Call(app, "Request", {JobParams("TEST", "OK", 1)}).AsString();
    ASSERT_NE(job, "ERROR") << Call(app, "ErrorDescript").AsString();
    const Variant info = WaitForJob(app, job);
    EXPECT_EQ(info[2].AsString(), "done") << info[3].AsString();
    EXPECT_EQ(Call(app, "CallMethod", {Variant("ExchangeRate"), VarArrayOf({Variant("USD"), Variant("T"), Variant("20240120")}),
                                       VarArrayOf({Variant(""), Variant("DEMO")})})
                  .AsDouble(),
              7.25);
    connection->Close();

    daemon.Signal(SIGTERM);
    EXPECT_EQ(daemon.Wait(), 0) << daemon.Output();
    EXPECT_NE(daemon.Output().find("stopped"), std::string::npos);

    // What the server stored, read from its database after it stopped.
    TKvADOConnection db;
    db.SetConnectionString(inst.Data() + "system.db");
    db.Open();
    const TDbResult stored = db.Engine().Execute("SELECT STATUS, MESSAGES, PROGRAM_ID, RUN_MODE FROM JOBS WHERE JOB_NO = :J",
                                                 {{"J", Variant(job)}});
    ASSERT_EQ(stored.Rows.size(), 1u);
    EXPECT_EQ(stored.Rows[0][0].AsString(), "done");
    EXPECT_NE(stored.Rows[0][1].AsString().find("TEST ran " + job), std::string::npos);
    EXPECT_EQ(stored.Rows[0][2].AsString(), "TEST");
    EXPECT_EQ(stored.Rows[0][3].AsInteger(), 1);
}

TEST(AppServerProcess, GarbageFramesCloseOnlyTheirConnection)
{
    TInstallation inst;
    TDaemon daemon({"--install", inst.Install(), "--port", "0"});
    const int port = daemon.Port();
    ASSERT_GT(port, 0) << daemon.Output();
    auto good = Connect(port);
    const Variant app = good->AppServer();

    const std::vector<std::vector<std::uint8_t>> garbage = {
        {0x00, 0x00, 0x00, 0x05, 0xff, 0xfe, 0xfd, 0xfc, 0xfb}, // no CBOR map
        {0xff, 0xff, 0xff, 0xff, 0x01},                         // oversized length
        {0x00, 0x00, 0x00, 0x10, 0xa1},                         // truncated, then closed
        {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P', '/', '1', '.', '1', '\r', '\n', '\r', '\n'},
    };
    for (const auto& bytes : garbage) {
        asio::io_context io;
        asio::ip::tcp::socket raw(io);
        raw.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)});
        asio::write(raw, asio::buffer(bytes));
        raw.shutdown(asio::ip::tcp::socket::shutdown_send);
        // The server closes the connection: reading ends.
        std::array<char, 64> buf;
        asio::error_code ec;
        while (!ec) raw.read_some(asio::buffer(buf), ec);
        EXPECT_EQ(Call(app, "SQLType").AsInteger(), 1);
    }
    auto another = Connect(port);
    EXPECT_EQ(Call(another->AppServer(), "SQLType").AsInteger(), 1);
}

TEST(AppServerProcess, StartFailuresAreReportedWithAnExitCode)
{
    testsupport::TempDir dir;
    {
        TDaemon daemon({"--install", dir.Path() + "missing"});
        EXPECT_NE(daemon.Wait(), 0);
        EXPECT_NE(daemon.Output().find("does not exist"), std::string::npos) << daemon.Output();
    }
    {
        TDaemon daemon({"--port", "80"});
        EXPECT_EQ(daemon.Wait(), 2);
        EXPECT_NE(daemon.Output().find("--install DIR is required"), std::string::npos) << daemon.Output();
    }
    TInstallation inst;
    TDaemon first({"--install", inst.Install(), "--port", "0"});
    const int port = first.Port();
    ASSERT_GT(port, 0) << first.Output();
    TDaemon second({"--install", inst.Install(), "--port", std::to_string(port)});
    EXPECT_EQ(second.Wait(), 1);
    EXPECT_NE(second.Output().find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos)
        << second.Output();
    first.Signal(SIGINT);
    EXPECT_EQ(first.Wait(), 0) << first.Output();
}

} // namespace

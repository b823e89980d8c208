#pragma once
// The application server's state in one process: its configuration, its
// own database (system.db), the company databases and the job runner. Every
// application server object ("ReportCounterS.dmReportCounter") of the
// process works on the same TAppServer; the daemon starts it from its
// installation folder, a client that creates the object in its own process
// gets one made from the registry's configuration on first use.
//
// Job runner: one worker thread runs the background jobs that Request
// registered: immediate jobs (run mode 1) first, then queued jobs (mode 0)
// and timed jobs (mode 2) whose time has come, oldest first. A job runs its
// server library "<ProgramID>S.so" (SvrController.h); the status ("done" or
// "failed"), the library's messages and the finishing time are stored. A
// missing library or an exception fails that job only. Periodic jobs are
// stored with status "scheduled" and not run.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/core/Variant.h"
#include "suite/appserver/AppServerConfig.h"
#include "suite/appserver/SystemDb.h"

// The class name clients create.
inline constexpr const char* AppServerClassName = "ReportCounterS.dmReportCounter";
// The company table of exchange rates: MG001 currency code, MG002 date
// "yyyymmdd", MG003 the rate (units of home currency per unit).
inline constexpr const char* ExchangeRateTable = "CMSMG";
// Value of SQLType: the kind of database behind the server.
inline constexpr int SqlTypeSqlite = 1;
// Product number given to server libraries for background jobs, whose
// submission does not carry one (the host's default).
inline constexpr int DefaultProductNumber = 3;

// What running a server library gave.
struct TLibraryRun {
    bool Ok = false;
    std::string Messages; // the library's GetMessages
    std::string Error;    // why the run failed
};

class TAppServer {
public:
    using TLogHandler = std::function<void(const std::string&)>;

    explicit TAppServer(TAppServerConfig config);
    ~TAppServer(); // stops the job runner, waiting for a running job
    TAppServer(const TAppServer&) = delete;
    TAppServer& operator=(const TAppServer&) = delete;

    // The process's server; made from the registry's configuration when none
    // was started. Raises EAppServerError when the configuration is unusable.
    static std::shared_ptr<TAppServer> Current();
    // Replaces the process's server by one for the installation folder.
    static std::shared_ptr<TAppServer> Start(const std::string& installFolder);
    // Drops the process's server; objects still holding it keep it alive.
    static void Shutdown();
    // Where the server reports jobs and failures; stderr by default.
    static void SetLogHandler(TLogHandler handler);

    const TAppServerConfig& Config() const { return FConfig; }
    TSystemDb& SystemDb() { return *FDb; }

    // Registers a job from its parameter array; returns the job number.
    // Direct jobs (Request1) are stored as running for the client to run.
    std::string SubmitJob(const Variant& params, const std::string& computer, bool direct);
    // Runs a server library now (a direct run on the server); raises
    // EAppServerError with the reason and the library's messages.
    void ExecServerLibrary(const std::string& jobNo, const std::string& programId, const std::string& company,
                           const std::string& user, const std::string& kind, const std::string& database,
                           const Variant& values, int productNumber);
    // Final status of a direct run: messages appended, finishing time set.
    void UpdateStatus(const std::string& jobNo, const std::string& messages, const Variant& when);
    Variant GetPower(const Variant& request);
    // The condition schemes of a user and program as a data packet variant.
    Variant SchemePacket(const std::string& user, const std::string& program);
    std::string InsertScheme(const Variant& record);
    std::string DeleteScheme(const Variant& key);
    std::string RenameScheme(const Variant& oldKey, const Variant& newKey);
    // The named calls: "SimpleSql"/"SimpleSQL", "ResultConnectString",
    // "ExchangeRate". Context is [company, database].
    Variant CallNamed(const std::string& name, const Variant& params, const Variant& context);
    // [job number, program ID, status, messages, run mode, created, started,
    // finished]; raises when the job does not exist.
    Variant JobInfo(const std::string& jobNo);

    std::string CompanyFile(const std::string& database) const;
    std::string CompanyConnectionString(const std::string& database) const;

    // Loads "<ProgramID>S.so" from the library folders and runs it.
    TLibraryRun RunServerLibrary(const std::string& programId, const Variant& runArray);
    // Wakes the job runner (after a submission).
    void WakeRunner();

    static void Log(const std::string& text);

private:
    void RunnerLoop();
    void RunJob(const TJobRecord& job);
    Variant SimpleSql(const Variant& params, const std::string& database);
    Variant ExchangeRate(const Variant& params, const std::string& database);

    TAppServerConfig FConfig;
    std::unique_ptr<TSystemDb> FDb;
    std::mutex FRunnerLock;
    std::condition_variable FRunnerWake;
    bool FStopping = false;
    bool FWoken = false;
    std::thread FRunner;
};

// Checks a company database name ("DEMO"): letters, digits and "_", at most
// 64 characters; raises EAppServerError otherwise.
void CheckDatabaseName(const std::string& database);
// Checks a program ID ("QTVB58"), which names a library file likewise.
void CheckProgramId(const std::string& programId);
// A variant written as readable text (arrays in brackets, texts quoted), for
// stored schedules.
std::string VariantText(const Variant& value);

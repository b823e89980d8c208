#pragma once
// The application server's own database, "system.db" in its database
// folder: jobs and their status, condition schemes, users and rights,
// program records and counters. The schema is created and brought up to date
// when the file is opened (table SCHEMA_VERSION holds the version).
//
// One connection serves the whole process; every operation takes the lock,
// so connection threads and the job runner may call it at the same time.
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/Variant.h"
#include "platform/data/ADODB.h"

// Job status values.
inline constexpr const char* JobQueued = "queued";
inline constexpr const char* JobRunning = "running";
inline constexpr const char* JobDone = "done";
inline constexpr const char* JobFailed = "failed";
// A periodic job waits for the scheduler; it is stored, not run, for now.
inline constexpr const char* JobScheduled = "scheduled";

struct TJobRecord {
    std::string JobNo;
    std::string ProgramID;
    std::string Kind; // the program kind letter as sent (lower case: periodic)
    std::string Company;
    std::string User;
    std::string Database;
    std::string Computer; // of a direct run
    bool Direct = false;  // registered by Request1, run by the client
    int RunMode = 0;      // 0 queued, 1 immediate, 2 at RunTime
    std::string RunTime;  // "yyyy-mm-dd hh:nn:ss.zzz"
    std::string Period;   // schedule and dynamic fields of a periodic job, as text
    Variant Params;       // the job parameter array as sent
    std::string Receivers;
    std::string Status;
    std::string Messages;
    std::string Created, Started, Finished;
};

struct TSchemeRecord {
    std::string Name, User, Program, CreateDate, Fields, Values;
};

struct TRightsRecord {
    std::string UserName;
    std::string ProgramName;
    std::string Rights;     // one letter per right, "N" = not granted
    std::string LimitKind;  // data-limit text
    std::vector<std::string> LimitItems;
};

class TSystemDb {
public:
    static constexpr int SchemaVersion = 1;

    // Opens (creating when missing) and migrates the file.
    explicit TSystemDb(const std::string& fileName);
    ~TSystemDb();
    TSystemDb(const TSystemDb&) = delete;
    TSystemDb& operator=(const TSystemDb&) = delete;

    int Version();

    // Jobs ------------------------------------------------------------------
    // The next job number: today's date "yyyymmdd" followed by a sequence of
    // at least four digits that restarts each day.
    std::string NextJobNumber();
    void InsertJob(const TJobRecord& job);
    std::optional<TJobRecord> FindJob(const std::string& jobNo);
    // Takes the next job that is due (status queued, not periodic, immediate
    // ones first, then queued ones and timed ones whose time has come, oldest
    // first) and marks it running. Empty when none is due.
    std::optional<TJobRecord> TakeDueJob(const std::string& now);
    // The earliest run time of a waiting timed job; empty when none.
    std::string NextRunTime();
    void SetJobStatus(const std::string& jobNo, const std::string& status, const std::string& messages,
                      const std::string& finished);
    void AppendJobMessages(const std::string& jobNo, const std::string& messages);
    // Jobs left running by a server that stopped end as failed.
    int FailInterruptedJobs(const std::string& now);

    // Condition schemes -----------------------------------------------------
    std::vector<TSchemeRecord> Schemes(const std::string& user, const std::string& program);
    // "" on success, else the reason.
    std::string InsertScheme(const TSchemeRecord& scheme, bool replace);
    std::string DeleteScheme(const std::string& name, const std::string& user, const std::string& program);
    std::string RenameScheme(const std::string& oldName, const std::string& user, const std::string& program,
                             const std::string& newName);

    // Users, rights and programs -------------------------------------------
    TRightsRecord Rights(const std::string& database, const std::string& user, const std::string& program);

    // Any statement on the database, for administration and tests.
    TDbResult Execute(const std::string& sql, const std::vector<TDbParam>& params = {});

private:
    TDbResult Run(const std::string& sql, const std::vector<TDbParam>& params = {});
    void Migrate();
    static TJobRecord ReadJob(const TDbResult& result, std::size_t row);

    std::mutex FLock;
    TKvADOConnection FConnection;
};

// Date-times as stored: "yyyy-mm-dd hh:nn:ss.zzz".
std::string StoredDateTime(double value);

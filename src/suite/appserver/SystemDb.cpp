#include "suite/appserver/SystemDb.h"

#include <cstdio>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/midas/VariantCodec.h"
#include "suite/appserver/AppServerConfig.h"

namespace {

// Schema steps; step k brings the database from version k - 1 to k.
const char* const Migrations[] = {
    // 1
    "CREATE TABLE COUNTERS (NAME TEXT PRIMARY KEY, VALUE INTEGER NOT NULL);"
    "CREATE TABLE JOBS ("
    "  JOB_NO TEXT PRIMARY KEY,"
    "  PROGRAM_ID TEXT NOT NULL,"
    "  PROGRAM_KIND TEXT NOT NULL DEFAULT '',"
    "  COMPANY TEXT NOT NULL DEFAULT '',"
    "  USER_ID TEXT NOT NULL DEFAULT '',"
    "  DATABASE_NAME TEXT NOT NULL DEFAULT '',"
    "  COMPUTER TEXT NOT NULL DEFAULT '',"
    "  DIRECT INTEGER NOT NULL DEFAULT 0,"
    "  RUN_MODE INTEGER NOT NULL DEFAULT 0,"
    "  RUN_TIME TEXT NOT NULL DEFAULT '',"
    "  PERIOD TEXT NOT NULL DEFAULT '',"
    "  PARAMS BLOB NOT NULL,"
    "  RECEIVERS TEXT NOT NULL DEFAULT '',"
    "  STATUS TEXT NOT NULL,"
    "  MESSAGES TEXT NOT NULL DEFAULT '',"
    "  CREATED TEXT NOT NULL,"
    "  STARTED TEXT NOT NULL DEFAULT '',"
    "  FINISHED TEXT NOT NULL DEFAULT '');"
    "CREATE INDEX JOBS_DUE ON JOBS (STATUS, RUN_MODE, RUN_TIME);"
    "CREATE TABLE SCHEMES ("
    "  NCONDITION TEXT NOT NULL,"
    "  CREATOR TEXT NOT NULL,"
    "  PROGRAMME TEXT NOT NULL,"
    "  CREATE_DATE TEXT NOT NULL DEFAULT '',"
    "  SCONDITION TEXT NOT NULL DEFAULT '',"
    "  VCONDITION TEXT NOT NULL DEFAULT '',"
    "  PRIMARY KEY (NCONDITION, CREATOR, PROGRAMME));"
    "CREATE TABLE USERS ("
    "  USER_ID TEXT PRIMARY KEY,"
    "  USER_NAME TEXT NOT NULL DEFAULT '',"
    "  USER_GROUP TEXT NOT NULL DEFAULT '');"
    "CREATE TABLE RIGHTS ("
    "  USER_ID TEXT NOT NULL,"
    "  PROGRAM_ID TEXT NOT NULL,"
    "  DATABASE_NAME TEXT NOT NULL DEFAULT '*',"
    "  RIGHTS TEXT NOT NULL DEFAULT '',"
    "  LIMIT_KIND TEXT NOT NULL DEFAULT '',"
    "  LIMIT_ITEMS TEXT NOT NULL DEFAULT '',"
    "  PRIMARY KEY (USER_ID, PROGRAM_ID, DATABASE_NAME));"
    "CREATE TABLE PROGRAMS ("
    "  PROGRAM_ID TEXT PRIMARY KEY,"
    "  NAME TEXT NOT NULL DEFAULT '',"
    "  NAME_ENG TEXT NOT NULL DEFAULT '',"
    "  WANT_LOG TEXT NOT NULL DEFAULT 'N',"
    "  DIRECT_RUN TEXT NOT NULL DEFAULT 'Y');",
};

std::string Text(const Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.AsString(); }

const char* const JobColumns =
    "JOB_NO, PROGRAM_ID, PROGRAM_KIND, COMPANY, USER_ID, DATABASE_NAME, COMPUTER, DIRECT, RUN_MODE, RUN_TIME, "
    "PERIOD, PARAMS, RECEIVERS, STATUS, MESSAGES, CREATED, STARTED, FINISHED";

} // namespace

std::string StoredDateTime(double value) { return FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", value); }

TSystemDb::TSystemDb(const std::string& fileName)
{
    FConnection.SetConnectionString("Provider=SQLITE;Data Source=\"" + fileName + "\";Mode=Create");
    FConnection.Open();
    Migrate();
}

TSystemDb::~TSystemDb() = default;

TDbResult TSystemDb::Run(const std::string& sql, const std::vector<TDbParam>& params)
{
    return FConnection.Engine().Execute(sql, params);
}

TDbResult TSystemDb::Execute(const std::string& sql, const std::vector<TDbParam>& params)
{
    std::lock_guard guard(FLock);
    return Run(sql, params);
}

void TSystemDb::Migrate()
{
    std::lock_guard guard(FLock);
    IDbEngine& engine = FConnection.Engine();
    engine.BeginTransaction();
    try {
        Run("CREATE TABLE IF NOT EXISTS SCHEMA_VERSION (VERSION INTEGER NOT NULL)");
        const TDbResult r = Run("SELECT MAX(VERSION) FROM SCHEMA_VERSION");
        int version = r.Rows.empty() || r.Rows[0][0].IsNull() ? 0 : r.Rows[0][0].AsInteger();
        constexpr int known = static_cast<int>(sizeof Migrations / sizeof Migrations[0]);
        if (version > known)
            throw EAppServerError("system.db has schema version " + IntToStr(version) +
                                  ", newer than this server knows (" + IntToStr(known) + ")");
        for (; version < known; ++version) Run(Migrations[version]);
        Run("DELETE FROM SCHEMA_VERSION");
        Run("INSERT INTO SCHEMA_VERSION (VERSION) VALUES (:V)", {{"V", Variant(version)}});
        engine.Commit();
    } catch (...) {
        engine.Rollback();
        throw;
    }
}

int TSystemDb::Version()
{
    const TDbResult r = Execute("SELECT VERSION FROM SCHEMA_VERSION");
    return r.Rows.empty() ? 0 : r.Rows[0][0].AsInteger();
}

std::string TSystemDb::NextJobNumber()
{
    std::lock_guard guard(FLock);
    const std::string day = FormatDateTime("yyyymmdd", Now());
    const std::string key = "JOB" + day;
    IDbEngine& engine = FConnection.Engine();
    engine.BeginTransaction();
    long long value = 0;
    try {
        Run("INSERT INTO COUNTERS (NAME, VALUE) VALUES (:N, 1) "
            "ON CONFLICT (NAME) DO UPDATE SET VALUE = VALUE + 1",
            {{"N", Variant(key)}});
        value = Run("SELECT VALUE FROM COUNTERS WHERE NAME = :N", {{"N", Variant(key)}}).Rows.at(0).at(0).AsInt64();
        engine.Commit();
    } catch (...) {
        engine.Rollback();
        throw;
    }
    char seq[32];
    std::snprintf(seq, sizeof seq, "%04lld", value);
    return day + seq;
}

void TSystemDb::InsertJob(const TJobRecord& job)
{
    const std::vector<std::uint8_t> bytes = midas::EncodeVariant(job.Params);
    std::lock_guard guard(FLock);
    Run("INSERT INTO JOBS (" + std::string(JobColumns) +
            ") VALUES (:JOB_NO, :PROGRAM_ID, :PROGRAM_KIND, :COMPANY, :USER_ID, :DATABASE_NAME, :COMPUTER, :DIRECT, "
            ":RUN_MODE, :RUN_TIME, :PERIOD, CAST(:PARAMS AS BLOB), :RECEIVERS, :STATUS, :MESSAGES, :CREATED, "
            ":STARTED, :FINISHED)",
        {{"JOB_NO", Variant(job.JobNo)},
         {"PROGRAM_ID", Variant(job.ProgramID)},
         {"PROGRAM_KIND", Variant(job.Kind)},
         {"COMPANY", Variant(job.Company)},
         {"USER_ID", Variant(job.User)},
         {"DATABASE_NAME", Variant(job.Database)},
         {"COMPUTER", Variant(job.Computer)},
         {"DIRECT", Variant(job.Direct ? 1 : 0)},
         {"RUN_MODE", Variant(job.RunMode)},
         {"RUN_TIME", Variant(job.RunTime)},
         {"PERIOD", Variant(job.Period)},
         {"PARAMS", Variant(std::string(bytes.begin(), bytes.end()))},
         {"RECEIVERS", Variant(job.Receivers)},
         {"STATUS", Variant(job.Status)},
         {"MESSAGES", Variant(job.Messages)},
         {"CREATED", Variant(job.Created)},
         {"STARTED", Variant(job.Started)},
         {"FINISHED", Variant(job.Finished)}});
}

TJobRecord TSystemDb::ReadJob(const TDbResult& result, std::size_t row)
{
    const auto& r = result.Rows.at(row);
    TJobRecord job;
    job.JobNo = Text(r[0]);
    job.ProgramID = Text(r[1]);
    job.Kind = Text(r[2]);
    job.Company = Text(r[3]);
    job.User = Text(r[4]);
    job.Database = Text(r[5]);
    job.Computer = Text(r[6]);
    job.Direct = !r[7].IsNull() && r[7].AsInteger() != 0;
    job.RunMode = r[8].IsNull() ? 0 : r[8].AsInteger();
    job.RunTime = Text(r[9]);
    job.Period = Text(r[10]);
    const std::string bytes = Text(r[11]);
    job.Params = midas::DecodeVariant(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    job.Receivers = Text(r[12]);
    job.Status = Text(r[13]);
    job.Messages = Text(r[14]);
    job.Created = Text(r[15]);
    job.Started = Text(r[16]);
    job.Finished = Text(r[17]);
    return job;
}

std::optional<TJobRecord> TSystemDb::FindJob(const std::string& jobNo)
{
    std::lock_guard guard(FLock);
    const TDbResult r =
        Run("SELECT " + std::string(JobColumns) + " FROM JOBS WHERE JOB_NO = :J", {{"J", Variant(jobNo)}});
    if (r.Rows.empty()) return std::nullopt;
    return ReadJob(r, 0);
}

std::optional<TJobRecord> TSystemDb::TakeDueJob(const std::string& now)
{
    std::lock_guard guard(FLock);
    const TDbResult r = Run("SELECT " + std::string(JobColumns) +
                                " FROM JOBS WHERE STATUS = 'queued' AND DIRECT = 0 AND PERIOD = '' "
                                "AND (RUN_MODE <> 2 OR RUN_TIME <= :NOW) "
                                "ORDER BY CASE WHEN RUN_MODE = 1 THEN 0 ELSE 1 END, CREATED, JOB_NO LIMIT 1",
                            {{"NOW", Variant(now)}});
    if (r.Rows.empty()) return std::nullopt;
    TJobRecord job = ReadJob(r, 0);
    Run("UPDATE JOBS SET STATUS = 'running', STARTED = :S WHERE JOB_NO = :J",
        {{"S", Variant(now)}, {"J", Variant(job.JobNo)}});
    job.Status = JobRunning;
    job.Started = now;
    return job;
}

std::string TSystemDb::NextRunTime()
{
    std::lock_guard guard(FLock);
    const TDbResult r = Run("SELECT MIN(RUN_TIME) FROM JOBS WHERE STATUS = 'queued' AND DIRECT = 0 AND PERIOD = '' "
                            "AND RUN_MODE = 2");
    return r.Rows.empty() ? std::string() : Text(r.Rows[0][0]);
}

void TSystemDb::SetJobStatus(const std::string& jobNo, const std::string& status, const std::string& messages,
                             const std::string& finished)
{
    std::lock_guard guard(FLock);
    Run("UPDATE JOBS SET STATUS = :S, MESSAGES = :M, FINISHED = :F WHERE JOB_NO = :J",
        {{"S", Variant(status)}, {"M", Variant(messages)}, {"F", Variant(finished)}, {"J", Variant(jobNo)}});
}

void TSystemDb::AppendJobMessages(const std::string& jobNo, const std::string& messages)
{
    if (messages.empty()) return;
    std::lock_guard guard(FLock);
    Run("UPDATE JOBS SET MESSAGES = MESSAGES || :M WHERE JOB_NO = :J",
        {{"M", Variant(messages)}, {"J", Variant(jobNo)}});
}

int TSystemDb::FailInterruptedJobs(const std::string& now)
{
    std::lock_guard guard(FLock);
    return static_cast<int>(Run("UPDATE JOBS SET STATUS = 'failed', FINISHED = :F, "
                                "MESSAGES = MESSAGES || 'The server stopped while the job was running.' "
                                "WHERE STATUS = 'running' AND DIRECT = 0",
                                {{"F", Variant(now)}})
                                .RowsAffected);
}

std::vector<TSchemeRecord> TSystemDb::Schemes(const std::string& user, const std::string& program)
{
    std::lock_guard guard(FLock);
    const TDbResult r = Run("SELECT NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, SCONDITION, VCONDITION FROM SCHEMES "
                            "WHERE CREATOR = :U AND PROGRAMME = :P ORDER BY NCONDITION",
                            {{"U", Variant(user)}, {"P", Variant(program)}});
    std::vector<TSchemeRecord> list;
    for (const auto& row : r.Rows)
        list.push_back({Text(row[0]), Text(row[1]), Text(row[2]), Text(row[3]), Text(row[4]), Text(row[5])});
    return list;
}

std::string TSystemDb::InsertScheme(const TSchemeRecord& s, bool replace)
{
    std::lock_guard guard(FLock);
    const std::vector<TDbParam> key{{"N", Variant(s.Name)}, {"U", Variant(s.User)}, {"P", Variant(s.Program)}};
    const bool exists =
        !Run("SELECT 1 FROM SCHEMES WHERE NCONDITION = :N AND CREATOR = :U AND PROGRAMME = :P", key).Rows.empty();
    std::vector<TDbParam> all = key;
    all.push_back({"D", Variant(s.CreateDate)});
    all.push_back({"F", Variant(s.Fields)});
    all.push_back({"V", Variant(s.Values)});
    if (exists) {
        if (!replace) return "The scheme '" + s.Name + "' already exists";
        Run("UPDATE SCHEMES SET CREATE_DATE = :D, SCONDITION = :F, VCONDITION = :V "
            "WHERE NCONDITION = :N AND CREATOR = :U AND PROGRAMME = :P",
            all);
        return "";
    }
    Run("INSERT INTO SCHEMES (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, SCONDITION, VCONDITION) "
        "VALUES (:N, :U, :P, :D, :F, :V)",
        all);
    return "";
}

std::string TSystemDb::DeleteScheme(const std::string& name, const std::string& user, const std::string& program)
{
    std::lock_guard guard(FLock);
    const TDbResult r = Run("DELETE FROM SCHEMES WHERE NCONDITION = :N AND CREATOR = :U AND PROGRAMME = :P",
                            {{"N", Variant(name)}, {"U", Variant(user)}, {"P", Variant(program)}});
    return r.RowsAffected == 0 ? "The scheme '" + name + "' does not exist" : "";
}

std::string TSystemDb::RenameScheme(const std::string& oldName, const std::string& user, const std::string& program,
                                    const std::string& newName)
{
    std::lock_guard guard(FLock);
    const std::vector<TDbParam> key{{"N", Variant(oldName)}, {"U", Variant(user)}, {"P", Variant(program)}};
    if (Run("SELECT 1 FROM SCHEMES WHERE NCONDITION = :N AND CREATOR = :U AND PROGRAMME = :P", key).Rows.empty())
        return "The scheme '" + oldName + "' does not exist";
    if (oldName == newName) return "";
    if (!Run("SELECT 1 FROM SCHEMES WHERE NCONDITION = :N AND CREATOR = :U AND PROGRAMME = :P",
             {{"N", Variant(newName)}, {"U", Variant(user)}, {"P", Variant(program)}})
             .Rows.empty())
        return "The scheme '" + newName + "' already exists";
    Run("UPDATE SCHEMES SET NCONDITION = :NEW WHERE NCONDITION = :N AND CREATOR = :U AND PROGRAMME = :P",
        {{"NEW", Variant(newName)}, {"N", Variant(oldName)}, {"U", Variant(user)}, {"P", Variant(program)}});
    return "";
}

TRightsRecord TSystemDb::Rights(const std::string& database, const std::string& user, const std::string& program)
{
    std::lock_guard guard(FLock);
    TRightsRecord rec;
    const TDbResult u = Run("SELECT USER_NAME FROM USERS WHERE USER_ID = :U", {{"U", Variant(user)}});
    if (!u.Rows.empty()) rec.UserName = Text(u.Rows[0][0]);
    const TDbResult p = Run("SELECT NAME FROM PROGRAMS WHERE PROGRAM_ID = :P", {{"P", Variant(program)}});
    if (!p.Rows.empty()) rec.ProgramName = Text(p.Rows[0][0]);
    // The most specific row wins: this program before "*", this database
    // before "*".
    const TDbResult r = Run("SELECT RIGHTS, LIMIT_KIND, LIMIT_ITEMS FROM RIGHTS "
                            "WHERE USER_ID = :U AND PROGRAM_ID IN (:P, '*') AND DATABASE_NAME IN (:D, '*') "
                            "ORDER BY CASE WHEN PROGRAM_ID = '*' THEN 1 ELSE 0 END, "
                            "CASE WHEN DATABASE_NAME = '*' THEN 1 ELSE 0 END LIMIT 1",
                            {{"U", Variant(user)}, {"P", Variant(program)}, {"D", Variant(database)}});
    if (!r.Rows.empty()) {
        rec.Rights = Text(r.Rows[0][0]);
        rec.LimitKind = Text(r.Rows[0][1]);
        const std::string items = Text(r.Rows[0][2]);
        std::size_t start = 0;
        while (!items.empty() && start <= items.size()) {
            const std::size_t comma = items.find(',', start);
            const std::string item = Trim(items.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (!item.empty()) rec.LimitItems.push_back(item);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return rec;
}

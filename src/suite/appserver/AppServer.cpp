#include "suite/appserver/AppServer.h"

#include <chrono>
#include <cstdio>
#include <iostream>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/data/DbEngine.h"
#include "platform/data/RemoteProvider.h"
#include "platform/data/SqlDialect.h"
#include "platform/os/Library.h"
#include "platform/os/Paths.h"
#include "suite/appserver/SvrController.h"

namespace {

std::mutex& ProcessLock()
{
    static std::mutex lock;
    return lock;
}

std::shared_ptr<TAppServer>& ProcessServer()
{
    static std::shared_ptr<TAppServer> server;
    return server;
}

// The log lock and handler are never destroyed: a job runner still ending
// while the process exits may log after static objects are gone.
std::mutex& LogLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

TAppServer::TLogHandler& LogHandler()
{
    static auto* handler = new TAppServer::TLogHandler;
    return *handler;
}

std::string Text(const Variant& v) { return v.IsEmpty() || v.IsNull() ? std::string() : v.AsString(); }

bool IsArray1(const Variant& v) { return v.IsArray() && VarArrayDimCount(v) == 1; }

int Count(const Variant& v) { return IsArray1(v) ? VarArrayHighBound(v, 1) - VarArrayLowBound(v, 1) + 1 : 0; }

// Element k (counted from 0) of a one-dimensional array, whatever its low
// bound; unassigned past the end.
Variant Item(const Variant& v, int k)
{
    if (!IsArray1(v) || k < 0 || k >= Count(v)) return Variant();
    return v[VarArrayLowBound(v, 1) + k];
}

bool LooseBoolean(const Variant& v)
{
    if (v.IsEmpty() || v.IsNull()) return false;
    if (VarIsStr(v)) {
        const std::string s = UpperCase(Trim(v.AsString()));
        return s == "Y" || s == "YES" || s == "TRUE" || s == "1" || s == "-1";
    }
    return v.AsBoolean();
}

bool IsIdentifier(const std::string& s)
{
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

std::string NowText() { return StoredDateTime(Now()); }

} // namespace

void CheckDatabaseName(const std::string& database)
{
    if (!IsIdentifier(database))
        throw EAppServerError("Invalid company database name '" + database +
                              "' (letters, digits and \"_\", at most 64 characters)");
}

void CheckProgramId(const std::string& programId)
{
    if (!IsIdentifier(programId))
        throw EAppServerError("Invalid program ID '" + programId + "' (letters, digits and \"_\", at most 64 characters)");
}

std::string VariantText(const Variant& value)
{
    if (value.IsEmpty()) return "empty";
    if (value.IsNull()) return "null";
    if (value.IsArray()) {
        const TVarArray& a = value.AsArray();
        std::string out = "[";
        for (std::size_t i = 0; i < a.Items().size(); ++i) {
            if (i) out += ",";
            out += VariantText(a.Items()[i]);
        }
        return out + "]";
    }
    if (VarIsStr(value)) {
        std::string out = "\"";
        for (char c : value.AsString()) {
            if (c == '"' || c == '\\') out += '\\';
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(c));
                out += buf;
            } else {
                out += c;
            }
        }
        return out + "\"";
    }
    if (value.Type() == varDate) return StoredDateTime(value.AsDateTime());
    if (value.IsObject()) return "object";
    return value.AsString();
}

// The process's server ----------------------------------------------------

std::shared_ptr<TAppServer> TAppServer::Current()
{
    std::lock_guard guard(ProcessLock());
    auto& server = ProcessServer();
    if (!server) server = std::make_shared<TAppServer>(LoadAppServerConfig(""));
    return server;
}

std::shared_ptr<TAppServer> TAppServer::Start(const std::string& installFolder)
{
    auto server = std::make_shared<TAppServer>(LoadAppServerConfig(installFolder));
    std::shared_ptr<TAppServer> old;
    {
        std::lock_guard guard(ProcessLock());
        old = std::move(ProcessServer());
        ProcessServer() = server;
    }
    return server; // the old one stops when its last holder lets go
}

void TAppServer::Shutdown()
{
    std::shared_ptr<TAppServer> old;
    std::lock_guard guard(ProcessLock());
    old = std::move(ProcessServer());
}

void TAppServer::SetLogHandler(TLogHandler handler)
{
    std::lock_guard guard(LogLock());
    LogHandler() = std::move(handler);
}

void TAppServer::Log(const std::string& text)
{
    std::lock_guard guard(LogLock());
    if (LogHandler()) LogHandler()(text);
    else std::cerr << "orvane-appserver: " << text << std::endl;
}

TAppServer::TAppServer(TAppServerConfig config) : FConfig(std::move(config))
{
    FDb = std::make_unique<TSystemDb>(FConfig.DataPath + "system.db");
    if (const int n = FDb->FailInterruptedJobs(NowText())) Log(IntToStr(n) + " job(s) interrupted by the last stop marked failed");
    FRunner = std::thread([this] { RunnerLoop(); });
}

TAppServer::~TAppServer()
{
    {
        std::lock_guard guard(FRunnerLock);
        FStopping = true;
    }
    FRunnerWake.notify_all();
    if (FRunner.joinable()) FRunner.join();
}

// Jobs ------------------------------------------------------------------------

std::string TAppServer::SubmitJob(const Variant& params, const std::string& computer, bool direct)
{
    if (!IsArray1(params) || Count(params) < 3)
        throw EAppServerError("The job parameters must be an array [environment, option texts, option values]");
    const Variant env = Item(params, 0);
    if (!IsArray1(env) || Count(env) < 6)
        throw EAppServerError("The job environment must be an array of at least 6 elements");
    // Environment elements are numbered from 1.
    auto envItem = [&](int k) { return Item(env, k - 1); };

    TJobRecord job;
    job.ProgramID = UpperCase(Trim(Text(envItem(1))));
    CheckProgramId(job.ProgramID);
    job.Company = Trim(Text(envItem(4)));
    job.User = Trim(Text(envItem(5)));
    job.Database = Trim(Text(envItem(6)));
    CheckDatabaseName(job.Database);
    if (!os::FileExists(CompanyFile(job.Database)))
        throw EAppServerError("The company database '" + job.Database + "' does not exist");
    job.Kind = Trim(Text(envItem(9)));
    if (job.Kind.empty()) job.Kind = "R";
    const Variant mode = envItem(10);
    job.RunMode = mode.IsEmpty() || mode.IsNull() ? 0 : mode.AsInteger();
    if (job.RunMode < 0 || job.RunMode > 2)
        throw EAppServerError("Unknown run mode " + IntToStr(job.RunMode) + " (0 queue, 1 at once, 2 at a time)");
    const double now = Now();
    double runTime = now;
    if (job.RunMode == 2) {
        const Variant at = envItem(11);
        try {
            runTime = at.IsEmpty() || at.IsNull() ? now : at.AsDateTime();
        } catch (const EPlatformError&) {
            throw EAppServerError("The run time of the job is no date and time: " + Text(at));
        }
    }
    job.RunTime = StoredDateTime(runTime);
    job.Receivers = Text(envItem(12));
    job.Computer = computer;
    job.Direct = direct;
    job.Params = params;

    const Variant schedule = Item(params, 3);
    const bool lowerKind = job.Kind.size() == 1 && job.Kind[0] >= 'a' && job.Kind[0] <= 'z';
    const bool periodic = !direct && (lowerKind || (IsArray1(schedule) && SameText(Trim(Text(Item(schedule, 0))), "Y")));
    if (periodic) job.Period = "S=" + VariantText(schedule) + "; D=" + VariantText(Item(params, 4));

    job.Created = StoredDateTime(now);
    if (direct) {
        job.Status = JobRunning;
        job.Started = job.Created;
    } else {
        job.Status = periodic ? JobScheduled : JobQueued;
    }
    job.JobNo = FDb->NextJobNumber();
    FDb->InsertJob(job);
    Log("job " + job.JobNo + " (" + job.ProgramID + ", " + (direct ? std::string("direct run") : job.Status) +
        ") registered");
    if (!direct && !periodic) WakeRunner();
    return job.JobNo;
}

TLibraryRun TAppServer::RunServerLibrary(const std::string& programId, const Variant& runArray)
{
    TLibraryRun run;
    try {
        CheckProgramId(programId);
    } catch (const EPlatformError& e) {
        run.Error = e.Message();
        return run;
    }
    const std::string fileName = programId + "S.so";
    std::unique_ptr<os::TLibrary> library;
    std::string loadError;
    for (const auto& folder : FConfig.LibraryPaths) {
        if (!os::DirectoryExists(folder)) continue;
        library = os::TLibrary::Load(folder + fileName);
        if (library) break;
        const std::string reason = os::TLibrary::LastLoadError();
        if (reason.find("No such file") == std::string::npos) loadError = reason;
    }
    if (!library) {
        run.Error = !loadError.empty() ? "The server library " + fileName + " cannot be loaded: " + loadError
                                       : "The server library " + fileName + " was not found";
        return run;
    }
    auto* get = library->GetProc<TGetSvrController>(SvrControllerExport);
    if (!get) {
        run.Error = "The server library " + library->FileName() + " has no export " + SvrControllerExport;
        return run;
    }
    std::unique_ptr<TSvrController> controller;
    try {
        controller.reset(get());
        if (!controller) throw EAppServerError("GetSvrController returned no controller");
        controller->Execute(runArray);
        run.Ok = true;
    } catch (const std::exception& e) {
        run.Error = e.what();
    } catch (...) {
        run.Error = "The server library raised an unknown exception";
    }
    if (controller) {
        try {
            run.Messages = controller->GetMessages();
        } catch (const std::exception& e) {
            run.Messages = std::string("(the messages cannot be read: ") + e.what() + ")";
        } catch (...) {
        }
    }
    controller.reset(); // before the library goes
    return run;
}

void TAppServer::ExecServerLibrary(const std::string& jobNo, const std::string& programId, const std::string& company,
                                   const std::string& user, const std::string& kind, const std::string& database,
                                   const Variant& values, int productNumber)
{
    const std::string program = UpperCase(Trim(programId));
    CheckProgramId(program);
    CheckDatabaseName(database);
    const Variant runArray = MakeSvrRunArray(jobNo, kind, company, user, database, values, productNumber);
    const TLibraryRun run = RunServerLibrary(program, runArray);
    const bool known = FDb->FindJob(jobNo).has_value();
    if (known) FDb->AppendJobMessages(jobNo, run.Messages);
    if (!run.Ok) {
        if (known) {
            const auto job = FDb->FindJob(jobNo);
            std::string messages = job->Messages;
            if (!messages.empty() && messages.back() != '\n') messages += "\r\n";
            FDb->SetJobStatus(jobNo, JobFailed, messages + run.Error, NowText());
        }
        Log("direct run of job " + jobNo + " failed: " + run.Error);
        throw EAppServerError(run.Messages.empty() ? run.Error : run.Error + "\r\n" + run.Messages);
    }
}

void TAppServer::UpdateStatus(const std::string& jobNo, const std::string& messages, const Variant& when)
{
    if (SameText(Trim(jobNo), "ERROR")) return; // a registration that failed: nothing to update
    const auto job = FDb->FindJob(jobNo);
    if (!job) throw EAppServerError("The job '" + jobNo + "' does not exist");
    if (!job->Direct) throw EAppServerError("The job '" + jobNo + "' is a background job; its status is the server's");
    double finished = Now();
    try {
        if (!when.IsEmpty() && !when.IsNull()) finished = when.AsDateTime();
    } catch (const EPlatformError&) {
    }
    const std::string status = job->Status == JobFailed ? JobFailed : JobDone;
    std::string text = job->Messages;
    if (!text.empty() && !messages.empty() && text.back() != '\n') text += "\r\n";
    FDb->SetJobStatus(jobNo, status, text + messages, StoredDateTime(finished));
}

Variant TAppServer::JobInfo(const std::string& jobNo)
{
    const auto job = FDb->FindJob(jobNo);
    if (!job) throw EAppServerError("The job '" + jobNo + "' does not exist");
    return VarArrayOf({Variant(job->JobNo), Variant(job->ProgramID), Variant(job->Status), Variant(job->Messages),
                       Variant(job->RunMode), Variant(job->Created), Variant(job->Started), Variant(job->Finished)});
}

void TAppServer::WakeRunner()
{
    {
        std::lock_guard guard(FRunnerLock);
        FWoken = true;
    }
    FRunnerWake.notify_all();
}

void TAppServer::RunnerLoop()
{
    for (;;) {
        {
            std::lock_guard guard(FRunnerLock);
            if (FStopping) return;
            FWoken = false;
        }
        std::optional<TJobRecord> job;
        try {
            job = FDb->TakeDueJob(NowText());
        } catch (const std::exception& e) {
            Log(std::string("the job runner cannot read the job list: ") + e.what());
        }
        if (job) {
            RunJob(*job);
            continue;
        }
        bool timedWaiting = false;
        try {
            timedWaiting = !FDb->NextRunTime().empty();
        } catch (const std::exception&) {
        }
        std::unique_lock lock(FRunnerLock);
        // A timed job is looked at again every second; otherwise the runner
        // sleeps until a submission wakes it.
        if (timedWaiting) FRunnerWake.wait_for(lock, std::chrono::seconds(1), [this] { return FStopping || FWoken; });
        else FRunnerWake.wait(lock, [this] { return FStopping || FWoken; });
    }
}

void TAppServer::RunJob(const TJobRecord& job)
{
    Log("job " + job.JobNo + " (" + job.ProgramID + ") started");
    TLibraryRun run;
    try {
        const Variant runArray = MakeSvrRunArray(job.JobNo, job.Kind, job.Company, job.User, job.Database,
                                                 Item(job.Params, 2), DefaultProductNumber);
        run = RunServerLibrary(job.ProgramID, runArray);
    } catch (const std::exception& e) {
        run.Ok = false;
        run.Error = e.what();
    }
    std::string messages = run.Messages;
    if (!run.Ok) {
        if (!messages.empty() && messages.back() != '\n') messages += "\r\n";
        messages += run.Error;
    }
    try {
        FDb->SetJobStatus(job.JobNo, run.Ok ? JobDone : JobFailed, messages, NowText());
    } catch (const std::exception& e) {
        Log("job " + job.JobNo + ": the status cannot be stored: " + e.what());
    }
    Log("job " + job.JobNo + (run.Ok ? std::string(" done") : " failed: " + run.Error));
}

// Rights and schemes ----------------------------------------------------------

Variant TAppServer::GetPower(const Variant& request)
{
    if (!IsArray1(request) || Count(request) < 3)
        throw EAppServerError("GetPower expects [database, user, program ID, \"\"]");
    const std::string database = Trim(Text(Item(request, 0)));
    const std::string user = Trim(Text(Item(request, 1)));
    const std::string program = UpperCase(Trim(Text(Item(request, 2))));
    const TRightsRecord rec = FDb->Rights(database, user, program);
    Variant limits = VarArrayCreate({0, static_cast<int>(rec.LimitItems.size())});
    limits[0] = Variant(static_cast<int>(rec.LimitItems.size()));
    for (std::size_t i = 0; i < rec.LimitItems.size(); ++i) limits[static_cast<int>(i) + 1] = Variant(rec.LimitItems[i]);
    // The client takes the rights as the fourth ","-separated piece, so a
    // comma inside the other pieces must not shift it.
    auto piece = [](std::string text) {
        for (char& c : text)
            if (c == ',') c = ';';
        return text;
    };
    return VarArrayOf({Variant(user),
                       Variant(piece(database) + "," + piece(user) + "," + piece(program) + "," + rec.Rights),
                       Variant(rec.UserName), Variant(rec.ProgramName), Variant(rec.LimitKind), limits});
}

Variant TAppServer::SchemePacket(const std::string& user, const std::string& program)
{
    TDataPacket packet;
    packet.FieldDefs = {{"NCONDITION", TFieldType::ftString, 0, false}, {"CREATOR", TFieldType::ftString, 0, false},
                        {"PROGRAMME", TFieldType::ftString, 0, false}, {"SCONDITION", TFieldType::ftMemo, 0, false},
                        {"VCONDITION", TFieldType::ftMemo, 0, false},  {"CREATE_DATE", TFieldType::ftString, 8, false}};
    const auto schemes = FDb->Schemes(user, program);
    if (!schemes.empty()) {
        Variant rows = VarArrayCreate({0, static_cast<int>(schemes.size()) - 1});
        for (std::size_t i = 0; i < schemes.size(); ++i) {
            const TSchemeRecord& s = schemes[i];
            rows[static_cast<int>(i)] = VarArrayOf({Variant(s.Name), Variant(s.User), Variant(s.Program),
                                                    Variant(s.Fields), Variant(s.Values), Variant(s.CreateDate)});
        }
        packet.Rows = rows;
    }
    return DataPacketToVariant(packet);
}

namespace {

// [name, user, program] of a scheme; "" or the reason it is unusable.
std::string SchemeKey(const Variant& key, std::string& name, std::string& user, std::string& program)
{
    if (!IsArray1(key) || Count(key) < 3) return "A scheme is named by [name, user, program ID]";
    name = Text(Item(key, 0));
    user = Text(Item(key, 1));
    program = Text(Item(key, 2));
    if (Trim(name).empty()) return "The scheme name is empty";
    if (Trim(user).empty()) return "The scheme has no user";
    if (Trim(program).empty()) return "The scheme has no program ID";
    return "";
}

} // namespace

std::string TAppServer::InsertScheme(const Variant& record)
{
    if (!IsArray1(record) || Count(record) < 6)
        return "InsertConTable expects [name, user, date, program ID, field list, value text, replace]";
    TSchemeRecord s;
    s.Name = Text(Item(record, 0));
    s.User = Text(Item(record, 1));
    s.CreateDate = Trim(Text(Item(record, 2)));
    s.Program = Text(Item(record, 3));
    s.Fields = Text(Item(record, 4));
    s.Values = Text(Item(record, 5));
    if (Trim(s.Name).empty()) return "The scheme name is empty";
    if (Trim(s.User).empty()) return "The scheme has no user";
    if (Trim(s.Program).empty()) return "The scheme has no program ID";
    if (s.CreateDate.empty()) s.CreateDate = FormatDateTime("yyyymmdd", Now());
    return FDb->InsertScheme(s, LooseBoolean(Item(record, 6)));
}

std::string TAppServer::DeleteScheme(const Variant& key)
{
    std::string name, user, program;
    if (std::string error = SchemeKey(key, name, user, program); !error.empty()) return error;
    return FDb->DeleteScheme(name, user, program);
}

std::string TAppServer::RenameScheme(const Variant& oldKey, const Variant& newKey)
{
    std::string oldName, user, program, newName, newUser, newProgram;
    if (std::string error = SchemeKey(oldKey, oldName, user, program); !error.empty()) return error;
    if (std::string error = SchemeKey(newKey, newName, newUser, newProgram); !error.empty()) return error;
    if (newUser != user || newProgram != program) return "A scheme can only be renamed, not given to another user or program";
    return FDb->RenameScheme(oldName, user, program, newName);
}

// Named calls -------------------------------------------------------------------

std::string TAppServer::CompanyFile(const std::string& database) const
{
    CheckDatabaseName(database);
    return FConfig.DataPath + database + ".db";
}

std::string TAppServer::CompanyConnectionString(const std::string& database) const
{
    const std::string file = CompanyFile(database);
    if (!os::FileExists(file)) throw EAppServerError("The company database '" + database + "' does not exist");
    std::string quoted;
    for (char c : file) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return "Provider=SQLITE;Data Source=\"" + quoted + "\"";
}

Variant TAppServer::CallNamed(const std::string& name, const Variant& params, const Variant& context)
{
    const std::string call = Trim(name);
    const std::string database = Trim(Text(Item(context, 1)));
    if (SameText(call, "SimpleSql")) return SimpleSql(params, database);
    if (SameText(call, "ResultConnectString")) return Variant(CompanyConnectionString(database));
    if (SameText(call, "ExchangeRate")) return ExchangeRate(params, database);
    throw EAppServerError("Unknown server call '" + call + "'");
}

Variant TAppServer::SimpleSql(const Variant& params, const std::string& database)
{
    const int n = Count(params);
    if (n != 2 && n != 4)
        throw EAppServerError("SimpleSql expects [SQL text, field list] or [SQL text, field list, \"\", \"N\"]");
    const std::string sql = Text(Item(params, 0));
    std::vector<std::string> fields;
    {
        const std::string list = Text(Item(params, 1));
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = list.find(',', start);
            const std::string f = Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (!f.empty()) fields.push_back(f);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    if (fields.empty()) throw EAppServerError("SimpleSql: the field list is empty");
    const std::string connection = CompanyConnectionString(database) + ";Mode=Read";
    TDbResult result;
    try {
        auto engine = OpenDbEngine(connection);
        result = engine->ExecuteSelect(ExpandCompanyPrefix(sql, database), {});
    } catch (const EDBEngineError& e) {
        throw EAppServerError("SimpleSql: " + e.Message());
    }
    std::vector<int> index;
    for (const auto& f : fields) {
        int found = -1;
        for (std::size_t c = 0; c < result.Columns.size() && found < 0; ++c)
            if (SameText(result.Columns[c], f)) found = static_cast<int>(c);
        if (found < 0) throw EAppServerError("SimpleSql: the query returns no field '" + f + "'");
        index.push_back(found);
    }
    if (result.Rows.empty()) return Variant();
    Variant rows = VarArrayCreate({0, static_cast<int>(result.Rows.size()) - 1});
    for (std::size_t r = 0; r < result.Rows.size(); ++r) {
        Variant row = VarArrayCreate({0, static_cast<int>(index.size()) - 1});
        for (std::size_t k = 0; k < index.size(); ++k) row[static_cast<int>(k)] = result.Rows[r][index[k]];
        rows[static_cast<int>(r)] = row;
    }
    return rows;
}

Variant TAppServer::ExchangeRate(const Variant& params, const std::string& database)
{
    if (Count(params) != 3) throw EAppServerError("ExchangeRate expects [currency code, \"T\", date yyyymmdd]");
    const std::string currency = Trim(Text(Item(params, 0)));
    const std::string kind = UpperCase(Trim(Text(Item(params, 1))));
    const std::string day = Trim(Text(Item(params, 2)));
    if (currency.empty()) throw EAppServerError("ExchangeRate: no currency code given");
    if (!kind.empty() && kind != "T") throw EAppServerError("ExchangeRate: unknown rate kind '" + kind + "'");
    TDateTime date;
    const bool digits = day.size() == 8 && day.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || !TryEncodeDate(std::stoi(day.substr(0, 4)), std::stoi(day.substr(4, 2)), std::stoi(day.substr(6, 2)), date))
        throw EAppServerError("ExchangeRate: '" + day + "' is no date yyyymmdd");
    const std::string connection = CompanyConnectionString(database) + ";Mode=Read";
    TDbResult result;
    try {
        auto engine = OpenDbEngine(connection);
        result = engine->ExecuteSelect("SELECT MG003 FROM " + std::string(ExchangeRateTable) +
                                           " WHERE MG001 = :CURRENCY AND MG002 <= :DAY ORDER BY MG002 DESC LIMIT 1",
                                       {{"CURRENCY", Variant(currency)}, {"DAY", Variant(day)}});
    } catch (const EDBEngineError& e) {
        throw EAppServerError("ExchangeRate: " + e.Message());
    }
    if (result.Rows.empty() || result.Rows[0][0].IsNull())
        throw EAppServerError("ExchangeRate: no rate of currency '" + currency + "' on or before " + day);
    return Variant(result.Rows[0][0].AsDouble());
}

// Synchronises the largest handheld database there can be (65,535 records) one way and the
// other on SQLite, PostgreSQL and MariaDB, and sets each time beside its floor: the cheapest
// way through the same driver (multi-row INSERTs of the same rows in one transaction, or one
// forward-only SELECT reading the table whole) plus reading or writing the .pdb file. Then an
// everyday sync, both ways with 1% changed on each side, beside reading both sides, with the
// peak memory it took per record and the file's own size per record. PostgreSQL runs twice: as
// configured
// by default, and with psqlODBC's "Protocol=7.4-1" (on an error roll back the transaction, not
// the statement), which spares the savepoint it otherwise sets around every statement.
// The servers are private ones, started for the run in a temporary folder. Each database is
// measured in a process of its own.
//
// Last, eight `hotsync sync` processes at once for eight users, into one PostgreSQL table.
//
// With --batches, only handheld -> empty desktop on PostgreSQL and MariaDB, once for each of
// the given numbers of records the engine writes to a batch (one existence query and
// multi-row inserts each), to see where a batch size stops paying.
//
// With --only, just the databases whose title begins with the given text ("SQLite",
// "PostgreSQL", "PostgreSQL, Protocol", "MariaDB"), and no scale run.
//
// With --repeat N, each figure is measured N times and the fastest run counts.
//
//   build/bench/sync_bench [records] [--sqlite-only | --only TITLE | --batches 64,128,256,512]
//                          [--repeat N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "conduit/sync/testing/SyncHarness.h"
#include "platform/palm/BigEndian.h"
#include "platform/palm/PosixHandheldFolder.h"
#include "tests/support/DatabaseServers.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

extern char** environ;

namespace {

using tarn::conduit::test::DesktopKind;
using tarn::conduit::test::DoubleBytes;
using tarn::conduit::test::Int32Bytes;
using tarn::conduit::test::SyncHarness;
using tarn::conduit::test::TextBytes;
using Clock = std::chrono::steady_clock;

constexpr const char* kCreateTable =
    "CREATE TABLE Orders (OrderNo INTEGER PRIMARY KEY, Customer TEXT, Region TEXT, Amount REAL, "
    "OrderDate TEXT, DeliveryTime TEXT)";

void AddOrderFields(tarn::clsTable& table) {
    table.Fields().Add("OrderNo", 3);
    table.Fields().Add("Customer", 6);
    table.Fields().Add("Region", 6);
    table.Fields().Add("Amount", 2);
    table.Fields().Add("OrderDate", 1);
    table.Fields().Add("DeliveryTime", 7);
    table.Fields().Add("##STATUSFLAG##", 8);
}

std::string Customer(int i) {
    return "Customer number " + std::to_string(i);
}

std::string InsertStatement(int i) {
    return "INSERT INTO Orders (OrderNo, Customer, Region, Amount, OrderDate, DeliveryTime) VALUES "
           "(" +
           std::to_string(i) + ", '" + Customer(i) + "', 'North', " + std::to_string(i) +
           ".25, '2005-12-31', '13:05:09')";
}

// Gives the memory that earlier measurements freed back to the system before a measurement
// starts, as a HotSync starts in a fresh process: each measurement then pays for the memory it
// takes, floors and syncs alike, and its peak is not hidden by memory taken earlier.
void StartCold() {
    malloc_trim(0);
}

// Peak resident memory of this process in bytes since the last ResetPeakMemory (Linux keeps it
// in /proc/self/status as VmHWM; writing 5 to clear_refs starts it afresh).
long PeakMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) * 1024;
    return 0;
}

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

long CurrentMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6) * 1024;
    return 0;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The processor time this process has used so far: what a sync costs apart from waiting for
// the disk (each sync commits and flushes both sides) and for other programs.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A database to measure on: its kind and what its server box gets after the address.
struct Target {
    const char* title;
    DesktopKind kind;
    std::string serverOptions;
};

// The harness's desktop with the target's server options in force, for the engine and for the
// bench's own connections alike.
void Configure(SyncHarness& h, const Target& target) {
    if (target.serverOptions.empty()) return;
    h.desktop.server += target.serverOptions;
    h.settings.DBServer = tarn::ScrambleString(h.desktop.server);
}

// Fills the table quickly, many rows to a statement: this is set-up, not measured.
void Seed(SyncHarness& h, int records) {
    std::string values;
    for (int i = 1; i <= records; ++i) {
        std::string row = InsertStatement(i);
        values += (values.empty() ? "" : ", ") + row.substr(row.find("VALUES ") + 7);
        if (i % 1000 == 0 || i == records) {
            h.Exec(
                "INSERT INTO Orders (OrderNo, Customer, Region, Amount, OrderDate, "
                "DeliveryTime) VALUES " +
                values);
            values.clear();
        }
    }
}

// The insert floor: the rows as multi-row INSERTs of literal values, in one transaction.
double BulkInsert(const Target& target, int records) {
    SyncHarness h(target.kind);
    Configure(h, target);
    h.Exec(kCreateTable);
    auto connection = h.desktop.Connect();
    StartCold();
    auto start = Clock::now();
    connection->BeginTransaction();
    std::string values;
    for (int i = 1; i <= records; ++i) {
        std::string row = InsertStatement(i);
        values += (values.empty() ? "" : ", ") + row.substr(row.find("VALUES ") + 7);
        if (i % 500 == 0 || i == records) {
            connection->Execute(
                "INSERT INTO Orders (OrderNo, Customer, Region, Amount, OrderDate, "
                "DeliveryTime) VALUES " +
                values);
            values.clear();
        }
    }
    connection->Commit();
    return Seconds(start);
}

// The read floor: the seeded table read whole through the same driver with one SELECT.
// The read floor's own work, apart so that a profiler can be told to count it alone
// (valgrind --tool=callgrind --toggle-collect='*ReadFloor*').
[[gnu::noinline]] long ReadFloor(tarn::platform::odbc::Connection& connection) {
    long rows = 0;
    // Closed within the time, as a sync closes its own: the driver frees the rows then.
    auto result = connection.OpenResultSet("SELECT * FROM Orders",
                                           tarn::platform::odbc::CursorKind::ForwardOnly);
    for (; !result->AtEnd(); result->Next()) ++rows;
    return rows;
}

double ReadTable(const Target& target, int records, double* cpu = nullptr) {
    SyncHarness h(target.kind);
    Configure(h, target);
    h.Exec(kCreateTable);
    Seed(h, records);
    auto connection = h.desktop.Connect();
    StartCold();
    auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    const long rows = ReadFloor(*connection);
    double seconds = Seconds(start);
    if (cpu) *cpu = CpuSeconds() - cpuStart;
    if (rows != records) {
        std::fprintf(stderr, "the read floor read %ld rows of %d\n", rows, records);
        std::exit(1);
    }
    return seconds;
}

std::string OrderRecord(int i, const std::string& customer) {
    return Int32Bytes(i) + TextBytes(customer) + TextBytes("North") + DoubleBytes(i + 0.25) +
           DoubleBytes(1051231) + DoubleBytes(130509) + Int32Bytes(0);
}

// The key of a record OrderRecord built: its first field.
int KeyOf(const std::string& record) {
    return static_cast<int>(tarn::platform::palm::ReadBig32(record, 0));
}

// The .pdb floor: the handheld database of the records written whole, then read whole.
struct PdbFloor {
    double write = 0;
    double read = 0;
    double readCpu = 0;
    double fileBytesPerRecord = 0;
};

PdbFloor HandheldFile(int records) {
    SyncHarness h(DesktopKind::Sqlite, "BNCH");
    std::vector<std::string> data;
    data.reserve(records);
    for (int i = 1; i <= records; ++i) data.push_back(OrderRecord(i, Customer(i)));
    PdbFloor floor;
    StartCold();
    auto start = Clock::now();
    h.WriteHandheld("OrdersDB", data, "BNCH");
    floor.write = Seconds(start);
    start = Clock::now();
    const double cpuStart = CpuSeconds();
    const size_t read = h.ReadHandheld("OrdersDB").size();
    floor.read = Seconds(start);
    floor.readCpu = CpuSeconds() - cpuStart;
    if (read != static_cast<size_t>(records)) {
        std::fprintf(stderr, "the .pdb floor read %zu records of %d\n", read, records);
        std::exit(1);
    }
    floor.fileBytesPerRecord =
        static_cast<double>(std::filesystem::file_size(h.platform.handheldDir / "OrdersDB.pdb")) /
        records;
    return floor;
}

// Syncs in a child process and waits for it; exits when that sync did not complete.
void SyncInChild(SyncHarness& h) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        h.Sync();
        _exit(h.Log().find("Completed Synchronization") == std::string::npos ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the first sync did not complete\n");
        std::exit(1);
    }
}

// The measured sync, apart so that a profiler can be told to count it alone
// (valgrind --tool=callgrind --toggle-collect='*EverydaySync*').
[[gnu::noinline]] void EverydaySync(SyncHarness& h) {
    h.Sync();
}

// Both ways after a first sync, with 1% of the records changed on each side: the everyday
// HotSync. Also the peak memory the sync took above what the process held before it.
struct Everyday {
    double seconds = 0;
    double cpuSeconds = 0;
    double bytesPerRecord = 0;
};

Everyday BothWaysOnePercent(const Target& target, int records) {
    SyncHarness h(target.kind, "BNCH");
    Configure(h, target);
    h.Exec(kCreateTable);
    Seed(h, records);
    AddOrderFields(h.AddTable("Orders", "OrdersDB", 0));
    h.Install();
    // A first sync brings the records to the handheld, in the order the sync writes them. It
    // runs in a process of its own, as every HotSync does, so that what it leaves on this
    // process's heap does not count towards the measured sync's memory.
    SyncInChild(h);
    // Then 1% changed on the handheld (in place, so the handheld keeps that order), 1% changed
    // on the desktop, and 1% gone from the desktop that the handheld still holds.
    {
        auto handheld = h.platform.Handheld().OpenRecordDatabase("OrdersDB");
        std::vector<tarn::platform::palm::PalmRecord> changed;
        for (auto record = handheld->ReadNext(); !handheld->EndOfData();
             record = handheld->ReadNext())
            if (KeyOf(record.data) % 100 == 1) changed.push_back(std::move(record));
        for (const auto& record : changed)
            handheld->WriteRecord(record.uniqueId, record.category, record.attributes | 0x40,
                                  OrderRecord(KeyOf(record.data), "changed on the handheld"));
        handheld->Commit();
    }
    h.Exec("UPDATE Orders SET Customer = 'changed on the desktop' WHERE OrderNo % 100 = 50");
    h.Exec("DELETE FROM Orders WHERE OrderNo % 100 = 75");

    StartCold();
    const long before = CurrentMemoryBytes();
    ResetPeakMemory();
    auto start = Clock::now();
    const double cpuStart = CpuSeconds();
    EverydaySync(h);
    Everyday result;
    result.seconds = Seconds(start);
    result.cpuSeconds = CpuSeconds() - cpuStart;
    result.bytesPerRecord = static_cast<double>(PeakMemoryBytes() - before) / records;
    auto count = h.Query("SELECT COUNT(*) FROM Orders");
    if (h.Log().find("Completed Synchronization") == std::string::npos ||
        count[0][0].value_or("") != std::to_string(records)) {
        std::fprintf(stderr, "the both-ways sync did not complete:\n%s", h.Log().c_str());
        std::exit(1);
    }
    return result;
}

// `batchRecords` 0 keeps the engine's own batch size.
double HandheldToDesktop(const Target& target, int records, std::size_t batchRecords = 0) {
    SyncHarness h(target.kind, "BNCH");
    Configure(h, target);
    if (batchRecords > 0) h.state.DesktopBatchRecords = batchRecords;
    h.Exec(kCreateTable);
    std::vector<std::string> data;
    data.reserve(records);
    for (int i = 1; i <= records; ++i) data.push_back(OrderRecord(i, Customer(i)));
    h.WriteHandheld("OrdersDB", data, "BNCH");
    AddOrderFields(h.AddTable("Orders", "OrdersDB", 2));
    h.Install();
    StartCold();
    auto start = Clock::now();
    h.Sync();
    double seconds = Seconds(start);
    auto count = h.Query("SELECT COUNT(*) FROM Orders");
    if (h.Log().find("Completed Synchronization") == std::string::npos ||
        count[0][0].value_or("") != std::to_string(records)) {
        std::fprintf(stderr, "handheld to desktop did not complete:\n%s", h.Log().c_str());
        std::exit(1);
    }
    return seconds;
}

double DesktopToHandheld(const Target& target, int records) {
    SyncHarness h(target.kind, "BNCH");
    Configure(h, target);
    h.Exec(kCreateTable);
    Seed(h, records);
    AddOrderFields(h.AddTable("Orders", "OrdersDB", 3));
    h.Install();
    StartCold();
    auto start = Clock::now();
    h.Sync();
    double seconds = Seconds(start);
    if (h.Log().find("Completed Synchronization") == std::string::npos ||
        h.ReadHandheld("OrdersDB").size() != static_cast<size_t>(records)) {
        std::fprintf(stderr, "desktop to handheld did not complete:\n%s", h.Log().c_str());
        std::exit(1);
    }
    return seconds;
}

// How many times each figure is measured; the fastest run counts, since the others were slowed
// by something else on the machine. Memory is the same from run to run.
int repeat = 1;

// Opening a connection, which every sync does and none of the floors counts: PostgreSQL's
// password proof (SCRAM) takes most of its 8 ms here.
double Connecting(const Target& target) {
    SyncHarness h(target.kind);
    Configure(h, target);
    auto start = Clock::now();
    auto connection = h.desktop.Connect();
    return Seconds(start);
}

template <typename Measurement>
double Fastest(Measurement measure) {
    double best = measure();
    for (int i = 1; i < repeat; ++i) best = std::min(best, measure());
    return best;
}

void Measure(const Target& target, int records) {
    PdbFloor pdb = HandheldFile(records);
    for (int i = 1; i < repeat; ++i) {
        const PdbFloor again = HandheldFile(records);
        pdb.write = std::min(pdb.write, again.write);
        pdb.read = std::min(pdb.read, again.read);
        pdb.readCpu = std::min(pdb.readCpu, again.readCpu);
    }
    const double bulk = Fastest([&] { return BulkInsert(target, records); });
    double readCpu = 1e9;
    const double read = Fastest([&] {
        double cpu = 0;
        const double seconds = ReadTable(target, records, &cpu);
        readCpu = std::min(readCpu, cpu);
        return seconds;
    });
    const double connecting = Fastest([&] { return Connecting(target); });
    const double up = Fastest([&] { return HandheldToDesktop(target, records); });
    const double down = Fastest([&] { return DesktopToHandheld(target, records); });
    Everyday everyday = BothWaysOnePercent(target, records);
    for (int i = 1; i < repeat; ++i) {
        const Everyday again = BothWaysOnePercent(target, records);
        everyday.seconds = std::min(everyday.seconds, again.seconds);
        everyday.cpuSeconds = std::min(everyday.cpuSeconds, again.cpuSeconds);
        everyday.bytesPerRecord = std::min(everyday.bytesPerRecord, again.bytesPerRecord);
    }
    const double upFloor = bulk + pdb.read;
    const double downFloor = read + pdb.write;
    const double bothFloor = read + pdb.read;
    std::printf("%s, %d records\n", target.title, records);
    std::printf("  .pdb written / read whole       %7.3f s / %.3f s, %.0f bytes/record\n",
                pdb.write, pdb.read, pdb.fileBytesPerRecord);
    std::printf("  multi-row INSERT, one transact. %7.3f s\n", bulk);
    std::printf("  one SELECT read whole           %7.3f s\n", read);
    std::printf("  connecting, in each sync below  %7.3f s  (in none of the floors)\n", connecting);
    std::printf("  handheld -> empty desktop       %7.3f s  (%.1fx its floor %.3f s)\n", up,
                up / upFloor, upFloor);
    std::printf("  desktop -> empty handheld       %7.3f s  (%.1fx its floor %.3f s)\n", down,
                down / downFloor, downFloor);
    std::printf(
        "  both ways, 1%% changed each     %7.3f s  (%.1fx reading both sides %.3f s), peak "
        "%.0f bytes/record (%.0f above the file's)\n",
        everyday.seconds, everyday.seconds / bothFloor, bothFloor, everyday.bytesPerRecord,
        everyday.bytesPerRecord - pdb.fileBytesPerRecord);
    std::printf(
        "    of it processor time          %7.3f s  (%.1fx that of reading both sides %.3f s)\n",
        everyday.cpuSeconds, everyday.cpuSeconds / (readCpu + pdb.readCpu), readCpu + pdb.readCpu);
    std::fflush(stdout);
}

// Starts a program with the current environment and its output thrown away; its process id.
pid_t Start(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    return pid;
}

void MustRun(const std::string& program, const std::vector<std::string>& args) {
    auto result = tarn::test::RunProcess(program, args);
    if (result.exitCode != 0) {
        std::fprintf(stderr, "%s failed: %s%s\n", program.c_str(), result.out.c_str(),
                     result.err.c_str());
        std::exit(1);
    }
}

// Eight users sync at once, each through its own `hotsync sync` process with its own machine
// (state under its own TARN_HOME) and handheld folder, into one table of one PostgreSQL
// database: their records per second together, and whether every row arrived.
void ScaleRun(int users, int recordsPerUser) {
    SyncHarness h(DesktopKind::PostgreSql, "BNCH");
    h.Exec(kCreateTable);
    AddOrderFields(h.AddTable("Orders", "OrdersDB", 2));  // the handheld overwrites the desktop
    h.settings.TableCount = 1;
    const std::filesystem::path root = h.platform.environment.root() / "scale";
    const std::filesystem::path odbc = root / "odbc";
    std::filesystem::create_directories(odbc);
    std::ofstream(odbc / "odbc.ini") << "";
    std::ofstream(odbc / "odbcinst.ini")
        << "[PostgreSQL Unicode]\nDriver=" << tarn::test::FindOdbcDriverLibrary("psqlodbcw.so")
        << "\n";
    tarn::test::ScopedEnv sysIni("ODBCSYSINI", odbc.string());
    tarn::test::ScopedEnv userIni("ODBCINI", (odbc / "odbc.ini").string());
    const std::string hotsync = (tarn::test::BinDir() / "hotsync").string();

    std::vector<std::filesystem::path> homes, handhelds;
    for (int user = 0; user < users; ++user) {
        const std::filesystem::path folder = root / ("user" + std::to_string(user));
        homes.push_back(folder / "home");
        handhelds.push_back(folder / "handheld");
        std::filesystem::create_directories(handhelds.back());
        const std::filesystem::path description = folder / "orders.cfg";
        if (!tarn::WriteConfigFile(description.string(), h.settings, h.tables)) std::exit(1);
        tarn::test::ScopedEnv home("TARN_HOME", homes.back().string());
        MustRun(hotsync, {"regsvr", (tarn::test::BinDir() / "libTarnConduit2.so").string()});
        MustRun((tarn::test::BinDir() / "TarnCReg").string(), {"-R", description.string()});

        tarn::platform::palm::PosixHandheldFolder handheld(handhelds.back());
        tarn::platform::palm::NewDatabase database;
        database.name = "OrdersDB";
        database.creator = "BNCH";
        auto db = handheld.CreateRecordDatabase(database);
        for (int i = 1; i <= recordsPerUser; ++i) {
            const int key = (user + 1) * 1000000 + i;
            db->WriteRecord(0, 0, 0, OrderRecord(key, Customer(key)));
        }
        db->Commit();
    }

    std::vector<pid_t> running;
    const auto start = Clock::now();
    for (int user = 0; user < users; ++user) {
        tarn::test::ScopedEnv home("TARN_HOME", homes[user].string());
        running.push_back(Start(hotsync, {"sync", "--handheld", handhelds[user].string(), "--user",
                                          "user" + std::to_string(user), "--creator", "BNCH"}));
    }
    int failed = 0;
    for (pid_t pid : running) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failed;
    }
    const double seconds = Seconds(start);
    const long expected = static_cast<long>(users) * recordsPerUser;
    const std::string rows = h.Query("SELECT COUNT(*) FROM Orders")[0][0].value_or("0");
    std::printf("PostgreSQL, %d hotsync processes at once, %d users x %d records\n", users, users,
                recordsPerUser);
    std::printf(
        "  handheld -> desktop, all users  %7.3f s  (%.0f records/s), %s of %ld rows "
        "arrived, %d syncs failed\n",
        seconds, expected / seconds, rows.c_str(), expected, failed);
    std::fflush(stdout);
}

void MeasureBatchSizes(const Target& target, int records, const std::string& sizes) {
    std::printf("%s, %d records, handheld -> empty desktop by records per batch\n", target.title,
                records);
    std::size_t start = 0;
    while (start < sizes.size()) {
        std::size_t end = sizes.find(',', start);
        if (end == std::string::npos) end = sizes.size();
        const int batch = std::atoi(sizes.substr(start, end - start).c_str());
        start = end + 1;
        if (batch < 1) continue;
        std::printf("  %4d records a batch             %7.3f s\n", batch,
                    HandheldToDesktop(target, records, static_cast<std::size_t>(batch)));
        std::fflush(stdout);
    }
}

// Measures a database in a process of its own, as each HotSync runs in one: memory that
// earlier measurements left scattered over the heap would otherwise count towards this one's
// peak, and show in its times.
void MeasureApart(const Target& target, int records) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        // A failed measurement ends with exit(); end before the destructors of the parent's
        // static state (the shared driver list's folder) run.
        std::atexit([] { _exit(1); });
        Measure(target, records);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "measuring %s failed\n", target.title);
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // --repeat N may stand anywhere; the other arguments keep their places.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) != "--repeat") continue;
        repeat = std::max(1, std::atoi(argv[i + 1]));
        for (int j = i; j + 2 <= argc; ++j) argv[j] = argv[j + 2];
        argc -= 2;
        break;
    }
    int records = argc > 1 ? std::atoi(argv[1]) : 65535;
    const std::string option = argc > 2 ? argv[2] : "";
    tarn::conduit::test::ShareOneOdbcDriverList();
    const std::string only = option == "--only" && argc > 3 ? argv[3] : "";
    // Whether a database of this title is to be measured.
    const auto wanted = [&](const std::string& title) {
        return option != "--batches" && title.rfind(only, 0) == 0 &&
               (only != "PostgreSQL" || title == only);
    };
    if (wanted("SQLite")) MeasureApart({"SQLite", DesktopKind::Sqlite, ""}, records);
    if (option == "--sqlite-only" || only == "SQLite") return 0;

    tarn::test::TempDir serverState;
    const std::filesystem::path file = serverState / "servers.env";
    tarn::test::ScopedEnv serversFile("TARN_SERVERS_FILE", file.string());
    try {
        tarn::test::StartDatabaseServers(file, getpid());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (option == "--batches") {
        const std::string sizes = argc > 3 ? argv[3] : "64,128,256,512";
        MeasureBatchSizes({"PostgreSQL", DesktopKind::PostgreSql, ""}, records, sizes);
        MeasureBatchSizes({"MariaDB", DesktopKind::MariaDb, ""}, records, sizes);
        tarn::test::StopDatabaseServers(file);
        return 0;
    }
    if (wanted("PostgreSQL")) MeasureApart({"PostgreSQL", DesktopKind::PostgreSql, ""}, records);
    if (only.empty()) ScaleRun(8, records / 8);
    if (wanted("PostgreSQL, Protocol=7.4-1"))
        MeasureApart({"PostgreSQL, Protocol=7.4-1", DesktopKind::PostgreSql, ";Protocol=7.4-1"},
                     records);
    if (wanted("MariaDB")) MeasureApart({"MariaDB", DesktopKind::MariaDb, ""}, records);
    tarn::test::StopDatabaseServers(file);
    return 0;
}

// A real `hotsync sync` of a large table killed at many points, and run against a full disk, a
// read-only handheld folder and a second sync of the same folder; the backups it keeps, and
// putting one back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "hotsync/testing/NotesConduit.h"
#include "platform/odbc/OdbcEnvironment.h"
#include "platform/palm/PdbFile.h"
#include "platform/suite/FileLock.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::hotsync {
namespace {

namespace fs = std::filesystem;
using tarn::test::RunProcess;
using test::Program;

constexpr int kDesktopRows = 20000;
constexpr int kHandheldOnly = 50;  // new on the handheld: ids after the desktop's

std::string ItemBytes(int32_t id, const std::string& name) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(char((id >> shift) & 0xFF));
    return bytes + name + '\0';
}

// Item ids of a handheld file; empty when it cannot be read.
std::set<int32_t> HandheldIds(const fs::path& file) {
    std::set<int32_t> ids;
    try {
        for (const auto& record :
             platform::palm::ParsePdb(tarn::test::ReadFileBytes(file)).records) {
            const auto& d = record.data;
            ids.insert(int32_t(uint8_t(d.at(0))) << 24 | int32_t(uint8_t(d.at(1))) << 16 |
                       int32_t(uint8_t(d.at(2))) << 8 | int32_t(uint8_t(d.at(3))));
        }
    } catch (const std::exception&) {
        ids.clear();
    }
    return ids;
}

// Where a side stands: the old contents, the whole new ones, or anything else.
enum class Side { Old, New, Other };

// Starts `hotsync sync` and kills it `delay` after `ready` first holds (at once: `ready` is
// null), unless it ended before; tells whether it was killed.
bool SyncKilledAfter(const std::vector<std::string>& args, std::chrono::microseconds delay,
                     const std::function<bool()>& ready = nullptr) {
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> argv;
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (ready && !ready()) {
        if (waitpid(child, &status, WNOHANG) == child) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::string Outcome(bool killed, Side desktop, Side handheld) {
    if (!killed) return "finished before the kill";
    if (desktop == Side::Old) return "both sides old";
    return handheld == Side::Old ? "desktop new, handheld file old (the rename window)"
                                 : "both sides new";
}

class CrashSafetyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        handheld_ = conduit_.handheld;
        database_ = conduit_.desk;
        conduit_.Desk(
            "INSERT INTO Notes WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
            "WHERE x < " +
            std::to_string(kDesktopRows) + ") SELECT x, 'desk ' || x FROM n");
        platform::palm::PdbDatabase pdb;
        pdb.header.name = "NotesDB";
        pdb.header.type = 0x44415441;     // DATA
        pdb.header.creator = 0x4E4F5445;  // NOTE
        pdb.header.uniqueIdSeed = 1;
        for (int i = 1; i <= kHandheldOnly; ++i)
            pdb.records.push_back({0, uint32_t(i), ItemBytes(kDesktopRows + i, "hand")});
        oldHandheld_ = platform::palm::SerializePdb(pdb);
        tarn::test::WriteFileBytes(PdbFile(), oldHandheld_);
        oldDesktop_ = tarn::test::ReadFileBytes(database_);
    }

    std::unique_ptr<platform::odbc::Connection> Desktop() {
        return platform::odbc::OpenOdbcEnvironment()->Connect("DRIVER={SQLite3};Database=" +
                                                              database_.string());
    }
    fs::path PdbFile() const { return handheld_ / "NotesDB.pdb"; }

    tarn::test::ProcessResult Sync(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"sync", "--handheld", handheld_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProcess(Program("hotsync"), args);
    }

    Side DesktopSide() {
        auto rows =
            Desktop()->OpenResultSet("SELECT COUNT(*), COUNT(DISTINCT Id), MAX(Id) FROM Notes",
                                     platform::odbc::CursorKind::ForwardOnly);
        const std::string count = rows->Value(0).value_or("");
        const std::string distinct = rows->Value(1).value_or("");
        if (count == std::to_string(kDesktopRows) && distinct == count &&
            rows->Value(2) == std::to_string(kDesktopRows))
            return Side::Old;
        const std::string all = std::to_string(kDesktopRows + kHandheldOnly);
        if (count == all && distinct == all && rows->Value(2) == all) return Side::New;
        return Side::Other;
    }

    Side HandheldSide() {
        std::string bytes = tarn::test::ReadFileBytes(PdbFile());
        if (bytes == oldHandheld_) return Side::Old;
        std::set<int32_t> ids = HandheldIds(PdbFile());
        if (ids.size() == size_t(kDesktopRows + kHandheldOnly) && *ids.begin() == 1 &&
            *ids.rbegin() == kDesktopRows + kHandheldOnly)
            return Side::New;
        return Side::Other;
    }

    // Names in the handheld folder other than its database, the backups and the lock file.
    std::vector<std::string> StrayFiles() {
        std::vector<std::string> stray;
        for (const auto& entry : fs::directory_iterator(handheld_)) {
            std::string name = entry.path().filename().string();
            if (name != "NotesDB.pdb" && name != "Backup" && name != ".tarn-sync.lock")
                stray.push_back(name);
        }
        return stray;
    }

    void ResetBothSides() {
        Desktop().reset();
        fs::remove(fs::path(database_.string() + "-journal"));
        tarn::test::WriteFileBytes(database_, oldDesktop_);
        tarn::test::WriteFileBytes(PdbFile(), oldHandheld_);
        fs::remove_all(handheld_ / "Backup");
    }

    void ExpectThePrepareFailsAndBothSidesStay() {
        auto sync = Sync();
        EXPECT_NE(sync.out.find("!! Error preparing Palm database NotesDB"), std::string::npos)
            << sync.out << sync.err;
        EXPECT_EQ(DesktopSide(), Side::Old);
        EXPECT_EQ(HandheldSide(), Side::Old);
    }

    // Kills a sync of both sides as they were at the start, `delay` after `ready` holds; each
    // side must be wholly old or wholly new, and the rerun must clear the leftovers and end as
    // an uninterrupted sync.
    void KillAndRerun(std::chrono::microseconds delay, const std::function<bool()>& ready,
                      std::map<std::string, int>& outcomes) {
        ResetBothSides();
        bool killed = SyncKilledAfter(
            {Program("hotsync"), "sync", "--handheld", handheld_.string()}, delay, ready);
        SCOPED_TRACE(std::string(ready ? "aimed " : "") + "kill after " +
                     std::to_string(delay.count()) + " us");
        Side desktop = DesktopSide();
        Side handheld = HandheldSide();
        ASSERT_NE(desktop, Side::Other);
        ASSERT_NE(handheld, Side::Other);
        // The handheld is never newer than the desktop.
        ASSERT_FALSE(handheld == Side::New && desktop == Side::Old);
        ++outcomes[Outcome(killed, desktop, handheld) + (ready ? " (aimed)" : "")];

        auto rerun = Sync();
        ASSERT_EQ(rerun.exitCode, 0) << rerun.err;
        EXPECT_NE(rerun.out.find("Completed Synchronization"), std::string::npos) << rerun.out;
        ASSERT_EQ(DesktopSide(), Side::New);
        ASSERT_EQ(HandheldSide(), Side::New);
        EXPECT_TRUE(StrayFiles().empty()) << StrayFiles().front();
    }

    test::NotesConduit conduit_;
    fs::path handheld_, database_;
    std::string oldHandheld_, oldDesktop_;
};

// Kills a sync at points spread over its whole run. After each kill either side is wholly old or
// wholly new (the new desktop beside the old handheld file is the one window left: the rename);
// the next sync clears the leftovers and ends exactly as an uninterrupted one.
TEST_F(CrashSafetyTest, AKilledSyncLeavesEachSideOldOrNewAndTheRerunFinishesIt) {
    ASSERT_EQ(Sync().exitCode, 0);
    ASSERT_EQ(DesktopSide(), Side::New);
    ASSERT_EQ(HandheldSide(), Side::New);
    // How long a whole run takes here, to spread the kills over it; nothing is asserted on it.
    std::chrono::microseconds whole = std::chrono::hours(1);
    for (int run = 0; run < 3; ++run) {
        ResetBothSides();
        auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(Sync().exitCode, 0);
        whole = std::min(whole, std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - started));
    }

    std::mt19937 random(13);  // fixed seed: the same kill points on every run
    const int kills = 60;
    std::map<std::string, int> outcomes;
    for (int k = 0; k < kills; ++k) {
        // Spread over the run and a little beyond, each moved by up to a tenth of the run; the
        // last third of the kills fall on the run's last fifth, where the commit is.
        const long span = whole.count();
        auto jitter = std::uniform_int_distribution<long>(0, span / 10)(random);
        long at = k < kills * 2 / 3 ? span * k / (kills * 2 / 3)
                                    : span * 8 / 10 + span * (k - kills * 2 / 3) / (kills / 3) / 5;
        ASSERT_NO_FATAL_FAILURE(
            KillAndRerun(std::chrono::microseconds(at + jitter), nullptr, outcomes));
    }
    // Aimed kills: from the moment the new handheld file is being prepared (its temporary file
    // appears), through the desktop commit and the rename.
    const int aimed = 30;
    auto preparing = [this] {
        for (const auto& entry : fs::directory_iterator(handheld_))
            if (entry.path().filename().string().rfind(".NotesDB.pdb.", 0) == 0) return true;
        return false;
    };
    for (int k = 0; k < aimed; ++k)
        ASSERT_NO_FATAL_FAILURE(
            KillAndRerun(std::chrono::microseconds(k * 250), preparing, outcomes));

    // After the last re-run another sync changes nothing, byte for byte, on either side.
    const std::string handheld = tarn::test::ReadFileBytes(PdbFile());
    const std::string desktop = tarn::test::ReadFileBytes(database_);
    ASSERT_EQ(Sync().exitCode, 0);
    EXPECT_EQ(tarn::test::ReadFileBytes(PdbFile()), handheld);
    EXPECT_EQ(tarn::test::ReadFileBytes(database_), desktop);

    std::string report;
    for (const auto& [outcome, count] : outcomes)
        report += "  " + std::to_string(count) + " x " + outcome + "\n";
    std::printf("%d kills of a %d-row sync (uninterrupted: %lld ms):\n%s", kills + aimed,
                kDesktopRows, static_cast<long long>(whole.count() / 1000), report.c_str());
    RecordProperty("kill_outcomes", report);
}

// A second sync of the same handheld folder waits for the first and, past its limit, fails
// naming the folder; the temporary files of an interrupted sync go when the next one starts.
TEST_F(CrashSafetyTest, OneSyncAtATimePerHandheldFolder) {
    {
        platform::ExclusiveFileLock running(handheld_ / ".tarn-sync.lock");
        ASSERT_TRUE(running.locked());
        auto second = Sync({"--wait", "1"});
        EXPECT_EQ(second.exitCode, 1);
        EXPECT_NE(second.err.find("another sync of the handheld folder " + handheld_.string() +
                                  " is still running"),
                  std::string::npos)
            << second.err;
        EXPECT_EQ(DesktopSide(), Side::Old);
        EXPECT_EQ(HandheldSide(), Side::Old);
    }
    tarn::test::WriteFileBytes(handheld_ / ".NotesDB.pdb.k1LLed", "half a file");
    tarn::test::WriteFileBytes(handheld_ / ".notes.txt.k1LLed", "not ours");
    auto sync = Sync();
    EXPECT_EQ(sync.exitCode, 0) << sync.err;
    EXPECT_NE(sync.err.find("removed .NotesDB.pdb.k1LLed"), std::string::npos) << sync.err;
    EXPECT_FALSE(fs::exists(handheld_ / ".NotesDB.pdb.k1LLed"));
    EXPECT_TRUE(fs::exists(handheld_ / ".notes.txt.k1LLed"));
    EXPECT_EQ(HandheldSide(), Side::New);
    EXPECT_EQ(Sync({"--wait", "soon"}).exitCode, 2);
}

// A desktop database another program keeps locked makes the sync fail after a short wait, with
// both sides as they were.
TEST_F(CrashSafetyTest, ALockedSqliteDatabaseFailsTheSyncCleanly) {
    auto holder = Desktop();
    holder->Execute("BEGIN EXCLUSIVE");
    auto sync = Sync();
    EXPECT_EQ(sync.exitCode, 1);
    // The first statement finds the lock; the opening ends there, naming it.
    EXPECT_NE(sync.out.find("Error opening desktop database: [SQLite]database is locked"),
              std::string::npos)
        << sync.out;
    holder->Execute("ROLLBACK");
    holder.reset();
    EXPECT_EQ(DesktopSide(), Side::Old);
    EXPECT_EQ(HandheldSide(), Side::Old);
    EXPECT_EQ(Sync().exitCode, 0);
    EXPECT_EQ(DesktopSide(), Side::New);
}

// Each sync that replaces the handheld file keeps the old one; `hotsync restore` puts a chosen
// generation back, and the file it replaces is kept in turn.
TEST_F(CrashSafetyTest, BackupsAreListedAndOneCommandPutsOneBack) {
    ASSERT_EQ(Sync().exitCode, 0);
    const std::string afterFirst = tarn::test::ReadFileBytes(PdbFile());
    Desktop()->Execute("UPDATE Notes SET Text = 'changed'");
    ASSERT_EQ(Sync().exitCode, 0);
    const std::string afterSecond = tarn::test::ReadFileBytes(PdbFile());
    ASSERT_NE(afterSecond, afterFirst);

    auto listed = RunProcess(Program("hotsync"), {"backups", "--handheld", handheld_.string()});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    const std::string line1 = "NotesDB\tNotesDB.pdb\t1\t";
    const std::string line2 = "NotesDB\tNotesDB.pdb\t2\t";
    ASSERT_EQ(listed.out.rfind(line1, 0), 0u) << listed.out;
    EXPECT_NE(listed.out.find("\t20050 records\n" + line2), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("\t50 records\n", listed.out.find(line2)), std::string::npos)
        << listed.out;

    auto restored = RunProcess(Program("hotsync"), {"restore", "--handheld", handheld_.string(),
                                                    "NotesDB", "--generation", "1"});
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(tarn::test::ReadFileBytes(PdbFile()), afterFirst);
    EXPECT_EQ(tarn::test::ReadFileBytes(handheld_ / "Backup" / "NotesDB.pdb.1"), afterSecond);
    EXPECT_EQ(tarn::test::ReadFileBytes(handheld_ / "Backup" / "NotesDB.pdb.2"), afterFirst);
    EXPECT_EQ(tarn::test::ReadFileBytes(handheld_ / "Backup" / "NotesDB.pdb.3"), oldHandheld_);

    EXPECT_EQ(RunProcess(Program("hotsync"), {"restore", "--handheld", handheld_.string(), "Nope"})
                  .exitCode,
              1);
    EXPECT_EQ(RunProcess(Program("hotsync"), {"restore", "--handheld", handheld_.string(),
                                              "NotesDB", "--generation", "4"})
                  .exitCode,
              2);
}

// Under a umask of 077 nothing the programs create can be read by others: the handheld's new
// database, the description file and the machine state.
TEST_F(CrashSafetyTest, NewFilesHonourTheUmask) {
    fs::remove(PdbFile());
    mode_t old = umask(077);
    auto sync = Sync();
    umask(old);
    ASSERT_EQ(sync.exitCode, 0) << sync.err;
    for (const auto& entry : fs::recursive_directory_iterator(conduit_.machine.tarnHome())) {
        // Lock files stay empty; those here were made before the umask was set.
        if (!entry.is_regular_file() || entry.path().extension() == ".lock") continue;
        EXPECT_EQ(entry.status().permissions() & fs::perms::all & ~fs::perms::owner_all,
                  fs::perms::none)
            << entry.path();
    }
    EXPECT_EQ(fs::status(PdbFile()).permissions() & fs::perms::all, fs::perms(0600));
    // The description file holds the password: owner only even under the usual umask.
    EXPECT_EQ(fs::status(conduit_.description).permissions() & fs::perms::all, fs::perms(0600));
}

// Mounts a small file system for the handheld folder; only root may, so the cases that need it
// are skipped elsewhere.
class SmallFileSystem {
  public:
    SmallFileSystem(const fs::path& where, const std::string& size) : where_(where) {
        if (geteuid() != 0) return;
        fs::create_directories(where);
        mounted_ = mount("tmpfs", where.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) umount2(where_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool MakeReadOnly() {
        return mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    fs::path where_;
    bool mounted_ = false;
};

// A handheld folder without room for the new file: the prepare fails, the desktop is rolled back
// and both sides stay as they were, without a temporary file left behind.
TEST_F(CrashSafetyTest, AFullDiskLeavesBothSidesAsTheyWere) {
    SmallFileSystem disk(conduit_.machine.root() / "small", "256k");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    handheld_ = conduit_.machine.root() / "small";
    tarn::test::WriteFileBytes(PdbFile(), oldHandheld_);

    // Twice: the second run finds the same state and fails the same way.
    for (int run = 0; run < 2; ++run) {
        ExpectThePrepareFailsAndBothSidesStay();
        EXPECT_TRUE(StrayFiles().empty()) << StrayFiles().front();
    }
}

// A read-only handheld folder: nothing can be written there, so the desktop is rolled back too.
TEST_F(CrashSafetyTest, AReadOnlyHandheldFolderLeavesBothSidesAsTheyWere) {
    SmallFileSystem disk(conduit_.machine.root() / "readonly", "4m");
    if (disk.mounted()) {
        handheld_ = conduit_.machine.root() / "readonly";
        tarn::test::WriteFileBytes(PdbFile(), oldHandheld_);
        ASSERT_TRUE(disk.MakeReadOnly());
    } else {
        fs::permissions(handheld_, fs::perms::owner_read | fs::perms::owner_exec);
    }
    for (int run = 0; run < 2; ++run) ExpectThePrepareFailsAndBothSidesStay();
    if (!disk.mounted()) fs::permissions(handheld_, fs::perms::owner_all);
}

}  // namespace
}  // namespace tarn::hotsync

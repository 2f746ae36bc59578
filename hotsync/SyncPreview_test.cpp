// `hotsync sync --dry-run`, the summary after every sync and the progress line, through the real
// host and conduit library.
#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "hotsync/testing/NotesConduit.h"
#include "platform/suite/PosixSyncUtility.h"
#include "tests/support/TempDir.h"

namespace tarn::hotsync {
namespace {

using tarn::test::ProcessResult;
using tarn::test::ReadFileBytes;
using tarn::test::RunProcess;
using test::NotesConduit;
using test::Program;

ProcessResult Sync(NotesConduit& conduit, bool dryRun) {
    std::vector<std::string> args{"sync", "--handheld", conduit.handheld.string()};
    if (dryRun) args.push_back("--dry-run");
    return RunProcess(Program("hotsync"), args);
}

// The summary's line for the table Notes.
std::string NotesLine(const std::string& out) {
    const std::string start = "\n  table Notes: ";
    size_t at = out.find(start);
    if (at == std::string::npos) return "";
    return out.substr(at + 1, out.find('\n', at + 1) - at - 1);
}

TEST(SyncPreview, ADryRunChangesNothingAndItsSummaryIsThatOfTheSyncAfter) {
    NotesConduit conduit;
    conduit.Desk("INSERT INTO Notes VALUES (1, 'one'), (2, 'two')");
    const std::string desktopBefore = ReadFileBytes(conduit.desk);

    ProcessResult dry = Sync(conduit, true);
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    EXPECT_EQ(dry.err, "");
    EXPECT_EQ(ReadFileBytes(conduit.desk), desktopBefore);
    // Only the host's lock file, which every sync leaves for the next, is there.
    std::vector<std::string> handheldFiles;
    for (const auto& entry : std::filesystem::directory_iterator(conduit.handheld))
        handheldFiles.push_back(entry.path().filename().string());
    EXPECT_EQ(handheldFiles, std::vector<std::string>{".tarn-sync.lock"});
    const std::string expected =
        "  table Notes: desktop 0 added, 0 changed, 0 deleted; handheld 2 added, 0 changed, 0 "
        "deleted; 0 left alone";
    EXPECT_NE(dry.out.find("Completed Synchronization\nDry run, nothing written: table Notes: "
                           "desktop 0 added"),
              std::string::npos)
        << dry.out;
    EXPECT_NE(dry.out.find("\nSummary of the dry run (nothing was written; a sync would do "
                           "this):\nconduit NOTE (Notes)\n" +
                           expected + "\n"),
              std::string::npos)
        << dry.out;

    ProcessResult real = Sync(conduit, false);
    EXPECT_EQ(real.exitCode, 0) << real.err;
    EXPECT_NE(real.out.find("\nSummary:\nconduit NOTE (Notes)\n"), std::string::npos) << real.out;
    EXPECT_EQ(NotesLine(real.out), expected);
    // The log of the dry run is that of the real sync, but for its closing summary line.
    auto logPart = [](const std::string& out) {
        return out.substr(0, out.find("Completed Synchronization"));
    };
    EXPECT_EQ(logPart(dry.out), logPart(real.out));

    ProcessResult again = Sync(conduit, false);
    EXPECT_EQ(NotesLine(again.out),
              "  table Notes: desktop 0 added, 0 changed, 0 deleted; handheld 0 added, 0 changed, "
              "0 deleted; 2 left alone");
}

// Runs `hotsync sync` with standard error on a pseudo-terminal; returns what reached it.
std::string SyncOnATerminal(NotesConduit& conduit) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "<openpty failed>";
    const std::string program = Program("hotsync");
    const std::string handheld = conduit.handheld.string();
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        close(master);
        execl(program.c_str(), program.c_str(), "sync", "--handheld", handheld.c_str(), nullptr);
        _exit(127);
    }
    close(slave);
    std::string seen;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            seen.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;  // EIO once the child has closed the terminal
    }
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    return seen;
}

TEST(SyncPreview, ProgressGoesToStandardErrorOnlyWhenItIsATerminal) {
    NotesConduit conduit;
    conduit.Desk("INSERT INTO Notes VALUES (1, 'one'), (2, 'two'), (3, 'three')");
    const std::string terminal = SyncOnATerminal(conduit);
    EXPECT_NE(terminal.find("\rNotes: table Notes: writing the handheld 3 of 3\x1b[K"),
              std::string::npos)
        << terminal;
    // The line is cleared before the log follows.
    EXPECT_EQ(terminal.substr(terminal.size() - 4), "\r\x1b[K") << terminal;

    ProcessResult piped = Sync(conduit, false);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.err, "");
}

}  // namespace
}  // namespace tarn::hotsync

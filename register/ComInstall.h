#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/suite/ConduitManager.h"
#include "platform/suite/HotSyncNotifier.h"
#include "platform/suite/HotSyncUsers.h"

// Makes a conduit known to, or forgotten by, the HotSync manager of this machine, plus the
// process and file helpers the installation packager uses. The builder and the register tool
// share it; it shows nothing but the unregister failure message and needs no windowing toolkit.
namespace tarn::MComInstall {

// The class the HotSync manager creates for every conduit this system registers.
inline constexpr char kConduitComClass[] = "TarnConduit2.cTarnConduit";
inline constexpr int kConduitPriority = 2;

// The HotSync manager's objects. Each operation creates the ones it needs through these
// factories and drops them when it returns; a factory may throw, which counts as a failure of
// the operation. Tests hand in fakes to inject faults.
struct PalmComObjects {
    std::function<std::shared_ptr<platform::ConduitManager>()> conduitManager;
    std::function<std::shared_ptr<platform::HotSyncUsers>()> hotSyncUsers;
    std::function<std::shared_ptr<platform::HotSyncNotifier>()> notifier;
};

// The conduit registry, user list and notifier of this machine.
const PalmComObjects& DefaultPalmComObjects();

// True when the conduit manager can be created and answers.
bool IsPalmComInstalled(const PalmComObjects& palm = DefaultPalmComObjects());

// True when a conduit is registered under the Creator ID (false too for a malformed ID).
bool IsConduitRegistered(const std::string& creatorId,
                         const PalmComObjects& palm = DefaultPalmComObjects());

// Registers the conduit library's class under the Creator ID, with the configuration file as
// `directory` + `fileName` (joined as is, so a non-empty directory must end in "/"), sets the
// sync action of every HotSync user for it to 0 and tells the HotSync manager. Replaces an
// existing registration without asking. False when a step fails; steps done before the failure
// stay done. Shows nothing.
bool RegisterConduit(const std::string& creatorId, const std::string& title,
                     const std::string& fileName, const std::string& directory,
                     const PalmComObjects& palm = DefaultPalmComObjects());

// Removes the registration and tells the HotSync manager. On failure (no such registration
// included) shows "Error unregistering conduit with Creator ID <id>" with the critical icon
// under the program title, and returns false.
bool UnregisterConduit(const std::string& creatorId,
                       const PalmComObjects& palm = DefaultPalmComObjects());

// The folder for conduit components shared by all conduits: $TARN_HOME/system/, created on
// demand, always with a trailing "/". Empty when it cannot be created.
std::string GetSystemDir();

// Starts a program with its output discarded and waits up to `timeoutMs` milliseconds for it
// (without limit when negative). The command line is split into words the way a shell splits
// simple commands: blanks separate words, '...' quotes literally, "..." quotes with a backslash
// escaping a quote or a backslash, and a backslash outside quotes takes the next character
// literally. There is no shell: no variables, globbing, pipes or redirections. True once the
// program has started, whether it finished in time or not; false when the line is empty or
// malformed or the program cannot be started. A program still running after the time-out is left to
// run. `exitCode`, when given, receives the program's exit code, or -1 when it did not end in time
// or was ended by a signal.
bool ShellAndWait(const std::string& commandLine, long timeoutMs, int* exitCode = nullptr);

// Deletes the file when there is one at `path` (not a folder). Never fails.
void DeleteFileIfExists(const std::string& path);

}  // namespace tarn::MComInstall

#pragma once

#include <filesystem>
#include <string>

#include "common/config/ConduitSettings.h"
#include "tests/support/RunProcess.h"
#include "tests/support/TestEnvironment.h"

namespace tarn::hotsync::test {

// The path of a built program.
std::string Program(const char* name);

// A private machine with the conduit library registered and one conduit "NOTE" (title
// "Notes") that synchronises the desktop table Notes with the handheld database NotesDB. Its
// desktop is an SQLite file in the machine's folder until the settings say otherwise.
class NotesConduit {
  public:
    NotesConduit();

    // Writes the description from `settings` (plain texts are scrambled by the caller).
    void WriteDescription();
    // SQL on the SQLite desktop.
    void Desk(const std::string& sql);
    // `hotsync sync` of the machine's handheld folder.
    tarn::test::ProcessResult Sync();

    tarn::test::TestEnvironment machine;
    ConduitSettings settings;
    std::filesystem::path handheld, desk, description;
};

}  // namespace tarn::hotsync::test

#include "hotsync/testing/NotesConduit.h"

#include <stdexcept>

#include "common/config/ConfigFile.h"
#include "common/config/Scramble.h"
#include "platform/odbc/OdbcEnvironment.h"

namespace tarn::hotsync::test {

using tarn::test::ProcessResult;
using tarn::test::RunProcess;

namespace {

void Expect(const ProcessResult& result) {
    if (result.exitCode != 0) throw std::runtime_error(result.err);
}

}  // namespace

std::string Program(const char* name) {
    return (tarn::test::BinDir() / name).string();
}

NotesConduit::NotesConduit() {
    handheld = machine.root() / "handheld";
    std::filesystem::create_directories(handheld);
    desk = machine.root() / "notes.db";
    Desk("CREATE TABLE Notes (Id INTEGER, Text TEXT)");
    settings.ConduitTitle = ScrambleString("Notes");
    settings.CreatorID = ScrambleString("NOTE");
    settings.DBDriver = ScrambleString("SQLite3");
    settings.DBDatabase = ScrambleString(desk.string());
    // A folder and a file name with blanks, as users name them.
    description = machine.root() / "my conduits" / "notes conduit.cfg";
    std::filesystem::create_directories(description.parent_path());
    WriteDescription();
    Expect(RunProcess(Program("hotsync"), {"regsvr", Program("libTarnConduit2.so")}));
    Expect(RunProcess(Program("TarnCReg"), {"-R", description.string()}));
}

void NotesConduit::WriteDescription() {
    colTables tables;
    auto table = tables.Add("Notes", "NotesDB", 0);
    table->Fields().Add("Id", 3);
    table->Fields().Add("Text", 6);
    settings.TableCount = 1;
    if (!WriteConfigFile(description.string(), settings, tables))
        throw std::runtime_error("cannot write " + description.string());
}

void NotesConduit::Desk(const std::string& sql) {
    platform::odbc::OpenOdbcEnvironment()
        ->Connect("DRIVER={SQLite3};Database=" + desk.string())
        ->Execute(sql);
}

ProcessResult NotesConduit::Sync() {
    return RunProcess(Program("hotsync"), {"sync", "--handheld", handheld.string()});
}

}  // namespace tarn::hotsync::test

#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// Each hotsync sub-command gets the arguments after its own name and returns the exit code.
// Messages for the user go to stderr; only a command's result goes to stdout.
namespace tarn::hotsync {

using Args = std::vector<std::string>;

int RunDatabases(const Args& args);  // databases --handheld DIR
int RunDump(const Args& args);       // dump --handheld DIR NAME
int RunBackups(const Args& args);    // backups --handheld DIR
int RunRestore(const Args& args);    // restore --handheld DIR NAME [--generation N] [--wait S]
int RunReg(const Args& args);        // reg get|set|delete ...
int RunRegsvr(const Args& args);     // regsvr [-u] LIBRARY
int RunList(const Args& args);       // list
int RunSync(const Args& args);       // sync --handheld DIR [--user NAME] [--creator CRID]
int RunConfigure(const Args& args);  // configure CRID [--user NAME]

}  // namespace tarn::hotsync

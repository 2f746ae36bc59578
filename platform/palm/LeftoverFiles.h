#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tarn::platform::palm {

// Removes the temporary files that an interrupted sync left in a handheld folder and its backup
// folder: only names of the pattern this system gives them, for database files. Must only run
// while no sync of the folder is under way (with the folder's lock held). Returns the names of
// the files removed.
std::vector<std::string> RemoveLeftoverFiles(const std::filesystem::path& handheld);

}  // namespace tarn::platform::palm

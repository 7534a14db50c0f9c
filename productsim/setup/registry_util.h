// Registry and file helpers of the set-up tool (machine part, 64-bit view).
#pragma once

#include <windows.h>

#include <string>

namespace tvsim_setup {

// Creates the key below HKEY_LOCAL_MACHINE and sets a text value; an empty
// value name only creates the key.
bool SetMachineText(const std::string& key, const std::string& name, const std::string& value);
// Reads a text value; false when missing.
bool GetMachineText(const std::string& key, const std::string& name, std::string* value);
// Deletes the key and everything below it in both registry views; true when
// it is gone.
bool DeleteMachineTree(const std::string& key);

bool CreateFolderPath(const std::string& path);
// Deletes a folder with all it holds; true when it is gone.
bool DeleteFolderTree(const std::string& path);
bool FileExistsAt(const std::string& path);
std::string WithBackslash(std::string path);

}  // namespace tvsim_setup

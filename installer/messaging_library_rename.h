// Moves the agent's messaging libraries out of the way before a package
// replaces them: each becomes "<name>.ToDelete.<n>" (first free n from 1)
// and is handed to the install-support library for removal at restart.
#pragma once

#include <cstddef>

// Renames "TVMA32.DLL" and, on 64-bit Windows, "TVMA_64.DLL" in
// commonDirectory. False when the directory is empty or any rename failed.
bool RenameMessagingLibraries(const wchar_t* commonDirectory, bool windows64,
                              void (*renameAfterReboot)(const char* path));

// Renames one library; false when it does not exist or cannot be moved.
bool RenameLibraryOutOfTheWay(const wchar_t* directory, const wchar_t* name,
                              void (*renameAfterReboot)(const char* path));

// "<path>.ToDelete.<number>" into out; false when it does not fit.
bool FormToDeleteName(wchar_t* out, size_t size, const wchar_t* path, unsigned number);

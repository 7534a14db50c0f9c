#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "launch_line.h"
#include "installation_root.h"
#include "log.h"
#include "seams.h"
#include "settings.h"
#include "shared/scoped_handle.h"
#include "starter.h"

namespace {

const char* const kOperation = "HX_PostUpdate";
// The installer's program file name is asked with one character less than
// the buffer holds, so the buffer always stays terminated.
const DWORD kModuleNameBufferSize = 1040;
const int kDeleteAttempts = 10;
const DWORD kDeletePauseStep = 2000;

void LogLine(const char* format, const char* a) {
  Log::log(kStarterLogLevel, format, kOperation, a);
}

// Up to ten attempts, the k-th after a pause of 2000 * k milliseconds
// (90 seconds in all), for a program that is slow to let go of its file.
void DeleteUsedFile(const char* applicationPath) {
  LogLine("%s(): Deleting used PE-file %s\n", applicationPath);
  DWORD lastError = ERROR_SUCCESS;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    DWORD pause = kDeletePauseStep * static_cast<DWORD>(attempt);
    if (pause > 0) Seams().sleep(pause);
    if (DeleteFileA(applicationPath)) return;
    lastError = GetLastError();
  }
  Log::log(kStarterLogLevel, "%s(): Deleting used PE-file failed with code: %d\n", kOperation,
           static_cast<int>(lastError));
}

// Waits for the program; returns 0 when it outlived the time-out.
int WaitForProgram(HANDLE process, const StarterSettings& settings) {
  // Seconds to milliseconds in 32-bit arithmetic, as the value always was.
  DWORD milliseconds = static_cast<DWORD>(settings.timeout) * 1000u;
  if (Seams().waitForProcess(process, milliseconds) != WAIT_TIMEOUT) return 1;

  Log::log(kStarterLogLevel,
           "%s(): Application has not finished in time (%d sec): %s with command line %s\n",
           kOperation, settings.timeout, settings.path, settings.commandLine);
  if (settings.terminate) {
    Log::log(kStarterLogLevel,
             "%s(): Application has not finished in time and we try to terminate it\n",
             kOperation);
    if (!TerminateProcess(process, 1)) {
      Log::log(kStarterLogLevel, "%s(): Termination failed with code: %d\n", kOperation,
               static_cast<int>(GetLastError()));
    }
  }
  return 0;
}

}  // namespace

int StarterPostUpdate(const char* iniPath, const char* section) {
  const StarterSettings& settings = Settings();
  const char* root = InstallationRoot();

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  startup.lpTitle = nullptr;
  SECURITY_ATTRIBUTES processAttributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  SECURITY_ATTRIBUTES threadAttributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};

  Log::log(kStarterLogLevel, "%s(): Using %s file, %s section\n", kOperation,
           iniPath ? iniPath : "", section ? section : "");
  LogLine("%s(): Using working directory '%s'\n", root);

  char applicationPath[MAX_PATH] = {};
  if (!FormApplicationPath(root, settings.path, applicationPath)) {
    Log::log(kStarterLogLevel,
             "%s(): Application path does not fit into %d characters: %s\\%s\n", kOperation,
             MAX_PATH - 1, root, settings.path);
    return 0;
  }
  LogLine("%s(): Using application path '%s'\n", applicationPath);
  LogLine("%s(): Using command line '%s'\n", settings.commandLine);

  std::vector<char> commandLine;
  try {
    std::string line = FormCommandLine(applicationPath, settings.commandLine);
    commandLine.assign(line.begin(), line.end());
    commandLine.push_back('\0');
  } catch (const std::bad_alloc&) {
    return 0;
  }

  // The program starts in the installer's own directory.
  char currentDirectory[kModuleNameBufferSize] = {};
  DWORD length = GetModuleFileNameA(nullptr, currentDirectory, kModuleNameBufferSize - 1);
  if (length == 0 || length >= kModuleNameBufferSize - 1) {
    // A name cut at the buffer's end would give a wrong directory.
    DWORD error = length == 0 ? GetLastError() : static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER);
    Log::log(kStarterLogLevel, "%s(): GetModuleFilePath returned %d\n", kOperation,
             static_cast<int>(error));
    return 0;
  }
  CutAfterLastBackslash(currentDirectory);

  Log::log(kStarterLogLevel, "%s(): Starting application in own process\n", kOperation);
  // The application name is given, so the system never searches the blanks
  // of the command line for a program to run.
  PROCESS_INFORMATION info = {};
  BOOL created = CreateProcessA(applicationPath, commandLine.data(), &processAttributes,
                                &threadAttributes, FALSE, 0, nullptr, currentDirectory,
                                &startup, &info);
  std::vector<char>().swap(commandLine);
  if (!created) {
    Log::log(kStarterLogLevel, "%s(): Failed to start application: %s with command line %s\n",
             kOperation, settings.path, settings.commandLine);
    return 0;
  }
  hx::ScopedKernelHandle process(info.hProcess);
  hx::ScopedKernelHandle thread(info.hThread);

  int result = WaitForProgram(process.Get(), settings);

  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  Log::log(kStarterLogLevel, "%s(): Process returned with error code %d\n", kOperation,
           static_cast<int>(exitCode));
  thread.Close();
  process.Close();

  if (settings.deletePEfile) {
    DeleteUsedFile(applicationPath);
  } else {
    LogLine("%s(): Used PE-file left on disk %s\n", applicationPath);
  }
  Log::log(kStarterLogLevel, "%s(): Done.\n", kOperation);
  return result;
}

#include "store_file.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "policy_codes.h"
#include "shared/scoped_handle.h"

namespace tvsim {

namespace {

const wchar_t kMutexName[] = L"Global\\TarnvaleSimPolicyStore";
const DWORD kLockTimeoutMs = 30000;

std::wstring WithSlash(std::wstring path) {
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  return path;
}

bool CreateFolders(const std::wstring& dir) {
  std::wstring path = WithSlash(dir);
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] != L'\\' && path[i] != L'/') continue;
    std::wstring part = path.substr(0, i);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

// kOk with the contents, kOk with empty text for a missing file, or kErrStoreIo.
int32_t ReadWholeFile(const std::wstring& path, std::string* text) {
  text->clear();
  hx::ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kOk : kErrStoreIo;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x40000000) return kErrStoreIo;
  text->resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < text->size()) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), &(*text)[done], static_cast<DWORD>(text->size() - done), &got,
                  nullptr) ||
        got == 0)
      return kErrStoreIo;
    done += got;
  }
  return kOk;
}

// Writes text to a new file beside path and moves it over path.
int32_t ReplaceFileContents(const std::wstring& path, const std::string& text) {
  if (!CreateFolders(StoreDirectory())) return kErrStoreIo;
  std::wstring temp = path + L".new" + std::to_wstring(GetCurrentProcessId());
  {
    hx::ScopedKernelHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return kErrStoreIo;
    size_t done = 0;
    while (done < text.size()) {
      DWORD put = 0;
      DWORD chunk = static_cast<DWORD>(text.size() - done > 0x100000 ? 0x100000
                                                                      : text.size() - done);
      if (!WriteFile(file.Get(), text.data() + done, chunk, &put, nullptr) || put == 0) {
        file.Close();
        DeleteFileW(temp.c_str());
        return kErrStoreIo;
      }
      done += put;
    }
    FlushFileBuffers(file.Get());
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return kErrStoreIo;
  }
  return kOk;
}

int32_t LoadStoreUnlocked(StoreImage* image) {
  std::string text;
  int32_t r = ReadWholeFile(StoreFilePath(), &text);
  if (r != kOk) return r;
  if (text.empty()) {
    *image = StoreImage();
    return kOk;
  }
  return ParseStore(text, image);
}

int32_t LoadFaultsUnlocked(FaultSwitches* faults) {
  std::string text;
  int32_t r = ReadWholeFile(FaultsFilePath(), &text);
  if (r != kOk) return r;
  return ParseFaults(text, faults);
}

}  // namespace

std::wstring StoreDirectory() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetEnvironmentVariableW(L"TVSIM_STORE_DIR", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return WithSlash(buffer);
  buffer[0] = L'\0';
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer)))
    lstrcpynW(buffer, L"C:\\ProgramData", MAX_PATH);
  return WithSlash(buffer) + L"Quillmoor\\Tarnvale\\PolicyStore\\";
}

std::wstring StoreFilePath() { return StoreDirectory() + L"policy.txt"; }
std::wstring FaultsFilePath() { return StoreDirectory() + L"faults.txt"; }

StoreLock::StoreLock() : mutex_(CreateMutexW(nullptr, FALSE, kMutexName)), acquired_(false) {
  if (!mutex_) return;
  DWORD w = WaitForSingleObject(mutex_.Get(), kLockTimeoutMs);
  // An abandoned lock is still ours: saves are atomic, so the store is whole.
  acquired_ = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
}

StoreLock::~StoreLock() {
  if (acquired_) ReleaseMutex(mutex_.Get());
}

int32_t LoadStore(StoreImage* image) {
  StoreLock lock;
  if (!lock.acquired()) return kErrStoreIo;
  return LoadStoreUnlocked(image);
}

int32_t UpdateStore(const std::function<int32_t(StoreImage&)>& change) {
  StoreLock lock;
  if (!lock.acquired()) return kErrStoreIo;
  StoreImage image;
  int32_t r = LoadStoreUnlocked(&image);
  if (r != kOk) return r;
  r = change(image);
  if (r != kOk) return r;
  std::string text;
  SerializeStore(image, &text);
  return ReplaceFileContents(StoreFilePath(), text);
}

int32_t RemoveStore() {
  StoreLock lock;
  if (!lock.acquired()) return kErrStoreIo;
  DeleteFileW(StoreFilePath().c_str());
  DeleteFileW(FaultsFilePath().c_str());
  // New files left behind by a process that ended in the middle of a save.
  WIN32_FIND_DATAW fd;
  for (const wchar_t* pattern : {L"policy.txt.new*", L"faults.txt.new*"}) {
    hx::ScopedFindHandle find(FindFirstFileW((StoreDirectory() + pattern).c_str(), &fd));
    if (!find) continue;
    do {
      DeleteFileW((StoreDirectory() + fd.cFileName).c_str());
    } while (FindNextFileW(find.Get(), &fd));
  }
  std::wstring dir = StoreDirectory();
  dir.pop_back();
  RemoveDirectoryW(dir.c_str());
  return GetFileAttributesW(StoreFilePath().c_str()) == INVALID_FILE_ATTRIBUTES ? kOk
                                                                                : kErrStoreIo;
}

int32_t LoadFaults(FaultSwitches* faults) {
  StoreLock lock;
  if (!lock.acquired()) return kErrStoreIo;
  return LoadFaultsUnlocked(faults);
}

int32_t SaveFaults(const FaultSwitches& faults) {
  StoreLock lock;
  if (!lock.acquired()) return kErrStoreIo;
  if (!faults.Any()) {
    if (!DeleteFileW(FaultsFilePath().c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
        GetLastError() != ERROR_PATH_NOT_FOUND)
      return kErrStoreIo;
    return kOk;
  }
  std::string text;
  SerializeFaults(faults, &text);
  return ReplaceFileContents(FaultsFilePath(), text);
}

int32_t ServeGet(const std::string& oid, PolicyValue* value) {
  StoreLock lock;
  if (!lock.acquired()) return kErrStoreIo;
  FaultSwitches faults;
  if (LoadFaultsUnlocked(&faults) == kOk) {
    auto e = faults.oid_errors.find(oid);
    if (e != faults.oid_errors.end()) return e->second;
    if (faults.probe_exists && oid == kProbeOid) {
      *value = PolicyValue::Text("");
      return kOk;
    }
  }
  StoreImage image;
  int32_t r = LoadStoreUnlocked(&image);
  if (r != kOk) return r;
  auto it = image.entries.find(oid);
  if (it == image.entries.end()) return kErrOidNotFound;
  *value = std::move(it->second);
  return kOk;
}

int32_t ServeSet(const std::string& oid, const PolicyValue& value) {
  {
    FaultSwitches faults;
    if (LoadFaults(&faults) == kOk) {
      auto e = faults.oid_errors.find(oid);
      if (e != faults.oid_errors.end()) return e->second;
    }
  }
  return UpdateStore([&](StoreImage& image) {
    image.entries[oid] = value;
    return kOk;
  });
}

bool ChannelRefused() {
  FaultSwitches faults;
  return LoadFaults(&faults) == kOk && faults.channel_refused;
}

}  // namespace tvsim

// The shared policy store on disk: location, cross-process lock, loading and
// crash-safe saving, and the fault switches. Used by the policy library
// stand-in, the agent service stand-in and the set-up tool.
//
// Location: the folder named by the environment variable TVSIM_STORE_DIR when
// it is set (tests use scratch folders), else
// <common application data>\Quillmoor\Tarnvale\PolicyStore\. The store is
// "policy.txt" there, the fault switches "faults.txt". A missing store file is
// an empty store.
//
// Every access holds the named mutex "Global\TarnvaleSimPolicyStore". A save
// writes a new file beside the store and then moves it over the old one, so a
// crash mid-write leaves either the old or the new store, never a torn one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "policy_value.h"
#include "shared/scoped_handle.h"
#include "store_format.h"

namespace tvsim {

const char kProbeOid[] = "1.2.3.4.5.6.7.8.9.10";

// Folder of the store, with a trailing backslash.
std::wstring StoreDirectory();
std::wstring StoreFilePath();
std::wstring FaultsFilePath();

// Holds the store's mutex for its lifetime (waits up to 30 s).
class StoreLock {
 public:
  StoreLock();
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool acquired() const { return acquired_; }

 private:
  hx::ScopedKernelHandle mutex_;
  bool acquired_;
};

int32_t LoadStore(StoreImage* image);
// Loads, applies change and, when change returns kOk, saves; all under the lock.
int32_t UpdateStore(const std::function<int32_t(StoreImage&)>& change);
// Deletes the store, the fault switches and the store folder.
int32_t RemoveStore();

int32_t LoadFaults(FaultSwitches* faults);
// Saving a set without any switch deletes the file.
int32_t SaveFaults(const FaultSwitches& faults);

// One get or set as the policy channel and the agent's policy module serve
// it, with the fault switches applied: an OID with a chosen error answers
// that code; with probe-exists the probe OID answers an empty text; an OID
// the store lacks answers -508.
int32_t ServeGet(const std::string& oid, PolicyValue* value);
int32_t ServeSet(const std::string& oid, const PolicyValue& value);
// True when the fault switch "channel-refused" is on.
bool ChannelRefused();

}  // namespace tvsim

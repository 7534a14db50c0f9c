#include "handles.h"

#include <windows.h>

#include <deque>
#include <set>

namespace tvpmapi {

namespace {

// Process-wide state, guarded by one critical section.
struct Registry {
  Registry() { InitializeCriticalSection(&lock); }
  ~Registry() {
    for (PolicyVariable* v : variables) delete v;
    for (Channel* c : channels) delete c;
    DeleteCriticalSection(&lock);
  }
  CRITICAL_SECTION lock;
  std::set<PolicyVariable*> variables;
  std::set<Channel*> channels;
  std::deque<std::string> oids;
};

Registry& State() {
  static Registry registry;
  return registry;
}

class Locked {
 public:
  Locked() { EnterCriticalSection(&State().lock); }
  ~Locked() { LeaveCriticalSection(&State().lock); }
};

template <typename T>
bool Add(std::set<T*>& set, T* p) {
  Locked l;
  try {
    return set.insert(p).second;
  } catch (...) {
    return false;
  }
}

template <typename T>
bool Remove(std::set<T*>& set, T* p) {
  Locked l;
  return set.erase(p) == 1;
}

template <typename T>
T* Find(std::set<T*>& set, void* handle) {
  Locked l;
  T* p = static_cast<T*>(handle);
  return set.count(p) ? p : nullptr;
}

}  // namespace

bool AddVariable(PolicyVariable* v) { return Add(State().variables, v); }
bool RemoveVariable(PolicyVariable* v) { return Remove(State().variables, v); }
PolicyVariable* FindVariable(void* handle) { return Find(State().variables, handle); }

bool AddChannel(Channel* c) { return Add(State().channels, c); }
bool RemoveChannel(Channel* c) { return Remove(State().channels, c); }
Channel* FindChannel(void* handle) { return Find(State().channels, handle); }

const std::string* KeepOid(const std::string& oid) {
  Locked l;
  State().oids.push_back(oid);
  return &State().oids.back();
}

}  // namespace tvpmapi

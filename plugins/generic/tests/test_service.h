// A real service of the Wine prefix run by hxtestsvc.exe, created for one test
// and stopped and deleted when the object goes away.
#pragma once

#include <windows.h>

#include <string>

namespace hxgtest {

class TestService {
 public:
  // args: hxtestsvc's command line options (see testtools/hxtestsvc).
  explicit TestService(const std::string& tag, const std::string& args = "");
  ~TestService();
  TestService(const TestService&) = delete;
  TestService& operator=(const TestService&) = delete;

  bool installed() const { return installed_; }
  const std::string& name() const { return name_; }

  // Starts the service and waits until it runs (or until it left the start).
  bool Start(DWORD timeout_ms = 15000);
  bool Pause();
  bool SetStartType(DWORD start_type);
  DWORD State() const;  // 0 when the state cannot be read
  bool WaitForState(DWORD state, DWORD timeout_ms) const;

 private:
  void StopAndWait();

  std::string name_;
  bool installed_ = false;
};

}  // namespace hxgtest

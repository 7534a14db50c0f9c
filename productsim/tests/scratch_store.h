// A policy store in a scratch folder for the length of a test: the stand-ins
// and every child process started meanwhile use it instead of the product's.
#pragma once

#include <windows.h>

#include "wine_test_env.h"

namespace tvsimtest {

class ScratchStore {
 public:
  ScratchStore() : dir_("tvsimstore") {
    SetEnvironmentVariableA("TVSIM_STORE_DIR", dir_.path().c_str());
  }
  ~ScratchStore() { SetEnvironmentVariableA("TVSIM_STORE_DIR", nullptr); }
  const std::string& path() const { return dir_.path(); }

 private:
  hxtest::TempDir dir_;
};

}  // namespace tvsimtest

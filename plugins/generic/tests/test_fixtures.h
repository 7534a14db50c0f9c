// Small pieces shared by the plug-in's tests: a package
// description, a product key, the temporary directory redirected, log files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wine_test_env.h"

namespace hxgtest {

// Package description HOTFIX.INI in a scratch folder.
class PackageIni {
 public:
  PackageIni();
  const std::string& path() const { return path_; }
  const std::string& folder() const { return dir_.path(); }
  void Set(const std::string& section, const std::string& key, const std::string& value);

 private:
  hxtest::TempDir dir_;
  std::string path_;
};

// HKLM\Software\Quillmoor\Tarnvale\<name> with InstallationDirectory, removed
// again (with the root key if this object created it and it is left empty).
class ProductKey {
 public:
  explicit ProductKey(const std::string& installation_directory);
  ~ProductKey();
  ProductKey(const ProductKey&) = delete;
  ProductKey& operator=(const ProductKey&) = delete;
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  bool created_root_ = false;
};

// Points the process's TMP (and so GetTempPath) at a scratch folder while the
// object lives; the stop log "hxgeneric.log" lands there.
class RedirectedTemp {
 public:
  RedirectedTemp();
  ~RedirectedTemp();
  RedirectedTemp(const RedirectedTemp&) = delete;
  RedirectedTemp& operator=(const RedirectedTemp&) = delete;
  std::string StopLog() const { return dir_.path() + "hxgeneric.log"; }

 private:
  hxtest::TempDir dir_;
  std::string old_tmp_;
  bool had_tmp_ = false;
};

// Lines of a text file written in text mode; each must end in CR LF.
std::vector<std::string> ReadCrLfLines(const std::string& path);

// Checks that line starts with a local time stamp and a blank (taken today,
// within a minute of now) and returns the rest; "" with a test failure if not.
std::string AfterStamp(const std::string& line);

// The lines a file gains between construction and Added(); the file is put
// back to its earlier size (or removed) afterwards.
class FileTail {
 public:
  explicit FileTail(const std::string& path);
  ~FileTail();
  FileTail(const FileTail&) = delete;
  FileTail& operator=(const FileTail&) = delete;
  std::vector<std::string> Added() const;

 private:
  std::string path_;
  std::string before_;
  bool existed_;
};

}  // namespace hxgtest

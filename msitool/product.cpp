#include "product.h"

#include <windows.h>
#include <msi.h>
#include <strsafe.h>

#include "product_paths.h"
#include "shared/regpath.h"
#include "version.h"

namespace msitool {

const wchar_t kRemoveAllProperties[] = L"REMOVE=ALL REBOOT=ReallySuppress";

namespace {

// Deletes the temporary package copy when it goes out of scope. The copy
// takes over the attributes of the cached package, which may be read-only.
class TemporaryFile {
 public:
  explicit TemporaryFile(const wchar_t* path) : path_(path) {}
  ~TemporaryFile() {
    SetFileAttributesW(path_, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

 private:
  const wchar_t* path_;
};

bool ReadProductProperty(const wchar_t* code, const wchar_t* property, wchar_t* out) {
  DWORD size = static_cast<DWORD>(kPackagePathChars);
  return MsiGetProductInfoW(code, property, out, &size) == ERROR_SUCCESS;
}

}  // namespace

Product::Product(const wchar_t* product_code) {
  StringCchCopyW(product_code_, kCodeChars, product_code);
  DWORD size = kVersionChars;
  // On failure the version stays empty and compares as 0.0.0.0.
  if (MsiGetProductInfoW(product_code_, INSTALLPROPERTY_VERSIONSTRING, version_string_, &size) !=
      ERROR_SUCCESS) {
    version_string_[0] = 0;
  }
}

Product::Product(const wchar_t* product_code, const wchar_t* version_string) {
  StringCchCopyW(product_code_, kCodeChars, product_code);
  StringCchCopyW(version_string_, kVersionChars, version_string);
}

std::wstring Product::GetProductCode() const { return product_code_; }

std::wstring Product::GetVersionString() const { return version_string_; }

bool Product::GetVersion(int* major, int* minor, int* build, int* revision) const {
  VersionNumbers v;
  if (!ParseVersion(version_string_, &v)) return false;
  *major = v.major;
  *minor = v.minor;
  *build = v.build;
  *revision = v.revision;
  return true;
}

bool Product::IsNewerThan(const Product& other) const {
  VersionNumbers mine = {0, 0, 0, 0};
  VersionNumbers theirs = {0, 0, 0, 0};
  GetVersion(&mine.major, &mine.minor, &mine.build, &mine.revision);
  other.GetVersion(&theirs.major, &theirs.minor, &theirs.build, &theirs.revision);
  return IsHigherVersion(mine, theirs);
}

bool Product::HideFromAddRemove() {
  wchar_t probe[kRegistryPathChars];
  wchar_t hide[kRegistryPathChars];
  if (!MakeUninstallRegistryPath(product_code_, L"\\\\DisplayName", probe, kRegistryPathChars) ||
      !MakeUninstallRegistryPath(product_code_, L"\\\\SystemComponent|1", hide,
                                 kRegistryPathChars)) {
    return false;
  }
  // Only a view whose key shows an entry (has a DisplayName) is written, so
  // no uninstall key is ever created.
  bool hidden = false;
  const unsigned views[] = {hx::kRegView32, hx::kRegView64};
  for (unsigned view : views) {
    BYTE display_name[hx::kRegistryValueBufferSize];
    if (hx::ReadRegistryValue(display_name, probe, view) == hx::kRegPathOk &&
        hx::WriteRegistryValue(hide, view) == hx::kRegPathOk) {
      hidden = true;
    }
  }
  return hidden;
}

bool Product::Uninstall() {
  if (MsiConfigureProductExW(product_code_, INSTALLLEVEL_MAXIMUM, INSTALLSTATE_ABSENT,
                             kRemoveAllProperties) == ERROR_SUCCESS) {
    return true;
  }
  return UninstallFromCachedPackage();
}

bool Product::UninstallFromCachedPackage() {
  wchar_t cached_package[kPackagePathChars] = {};
  wchar_t package_name[kPackagePathChars] = {};
  wchar_t copy_path[kPackagePathChars] = {};
  if (!ReadProductProperty(product_code_, INSTALLPROPERTY_LOCALPACKAGE, cached_package) ||
      !ReadProductProperty(product_code_, INSTALLPROPERTY_PACKAGENAME, package_name)) {
    return false;
  }
  const DWORD temp_length = GetTempPathW(static_cast<DWORD>(kPackagePathChars), copy_path);
  if (temp_length == 0 || temp_length >= kPackagePathChars) return false;
  wchar_t temp_dir[kPackagePathChars];
  StringCchCopyW(temp_dir, kPackagePathChars, copy_path);
  if (!MakePackageCopyPath(temp_dir, package_name, copy_path, kPackagePathChars)) return false;

  if (!CopyFileW(cached_package, copy_path, FALSE)) return false;
  TemporaryFile copy(copy_path);
  return MsiInstallProductW(copy_path, kRemoveAllProperties) == ERROR_SUCCESS;
}

}  // namespace msitool

// One installed Windows Installer product of a family.
#pragma once

#include <string>

namespace msitool {

// Properties passed to both removal calls: remove everything, never restart.
extern const wchar_t kRemoveAllProperties[];

class Product {
 public:
  // Keeps the code and reads the product's "VersionString" once.
  explicit Product(const wchar_t* product_code);
  virtual ~Product() = default;

  Product(const Product&) = delete;
  Product& operator=(const Product&) = delete;

  virtual std::wstring GetProductCode() const;
  virtual std::wstring GetVersionString() const;
  // Compares the parsed versions; an unparsable version counts as 0.0.0.0.
  virtual bool IsNewerThan(const Product& other) const;
  // Sets SystemComponent=1 in the uninstall key, in the 32-bit and the 64-bit
  // registry view, where that key has a DisplayName. True when at least one
  // view was written.
  virtual bool HideFromAddRemove();
  // Removes the product; falls back to the cached package when the
  // configuration call does not succeed.
  virtual bool Uninstall();
  virtual bool GetVersion(int* major, int* minor, int* build, int* revision) const;
  virtual bool UninstallFromCachedPackage();

 protected:
  // For tests: a product with a given version text, without asking Windows
  // Installer.
  Product(const wchar_t* product_code, const wchar_t* version_string);

 private:
  static const int kCodeChars = 100;
  static const int kVersionChars = 100;
  wchar_t product_code_[kCodeChars] = {};
  wchar_t version_string_[kVersionChars] = {};
};

}  // namespace msitool

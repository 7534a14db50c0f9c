// The installed products that share one upgrade code.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "product.h"

namespace msitool {

class ProductFamily {
 public:
  // Keeps the code and enumerates the installed members through Windows
  // Installer, in its order.
  explicit ProductFamily(const wchar_t* upgrade_code);
  virtual ~ProductFamily() = default;

  ProductFamily(const ProductFamily&) = delete;
  ProductFamily& operator=(const ProductFamily&) = delete;

  virtual unsigned GetCount() const;
  // Hides the add/remove-programs entries of every member but the newest.
  // Returns the number of entries hidden.
  virtual unsigned HideOldAddRemoves();
  // Hides every member whose product code does not begin with code_prefix
  // (case of A to Z ignored). Returns the number of entries hidden.
  virtual unsigned HideAllExcept(const wchar_t* code_prefix);
  // Removes every member, newest first, without user interface. Members that
  // could not be removed stay in the family. Returns the number removed.
  virtual unsigned UninstallAll();

  // The newest member; the first in list order among equals. Null when empty.
  const Product* Newest() const;
  const std::list<std::unique_ptr<Product>>& members() const { return members_; }

 protected:
  // A family with given members, without enumerating (for tests).
  ProductFamily(const wchar_t* upgrade_code, std::list<std::unique_ptr<Product>> members);

  // Stable sort, newest first; equal versions keep their order.
  void SortNewestFirst();

 private:
  std::wstring upgrade_code_;
  std::list<std::unique_ptr<Product>> members_;
};

}  // namespace msitool

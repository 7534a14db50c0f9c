#include "product_family.h"

#include <windows.h>
#include <msi.h>

#include "text_util.h"

namespace msitool {
namespace {

const int kProductCodeChars = 100;

// Sets the Windows Installer user-interface level to none for its lifetime
// and restores the level that was in force before.
class SilentInstallerUi {
 public:
  SilentInstallerUi() : previous_(MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr)) {}
  ~SilentInstallerUi() { MsiSetInternalUI(previous_, nullptr); }
  SilentInstallerUi(const SilentInstallerUi&) = delete;
  SilentInstallerUi& operator=(const SilentInstallerUi&) = delete;

 private:
  INSTALLUILEVEL previous_;
};

}  // namespace

ProductFamily::ProductFamily(const wchar_t* upgrade_code) : upgrade_code_(upgrade_code) {
  for (DWORD index = 0;; ++index) {
    wchar_t code[kProductCodeChars] = {};
    // Any result but success ends the list: normally "no more items", but an
    // error keeps the members found so far as well.
    if (MsiEnumRelatedProductsW(upgrade_code_.c_str(), 0, index, code) != ERROR_SUCCESS) break;
    members_.push_back(std::unique_ptr<Product>(new Product(code)));
  }
}

ProductFamily::ProductFamily(const wchar_t* upgrade_code,
                             std::list<std::unique_ptr<Product>> members)
    : upgrade_code_(upgrade_code), members_(std::move(members)) {}

unsigned ProductFamily::GetCount() const { return static_cast<unsigned>(members_.size()); }

const Product* ProductFamily::Newest() const {
  const Product* newest = nullptr;
  for (const auto& member : members_) {
    if (newest == nullptr || member->IsNewerThan(*newest)) newest = member.get();
  }
  return newest;
}

unsigned ProductFamily::HideOldAddRemoves() {
  if (members_.size() < 2) return 0;
  const Product* newest = Newest();
  unsigned hidden = 0;
  for (auto& member : members_) {
    // "Other" is another object: a later member with the newest's version
    // is hidden too.
    if (member.get() != newest && member->HideFromAddRemove()) ++hidden;
  }
  return hidden;
}

unsigned ProductFamily::HideAllExcept(const wchar_t* code_prefix) {
  unsigned hidden = 0;
  for (auto& member : members_) {
    if (!StartsWithIgnoreAsciiCase(member->GetProductCode().c_str(), code_prefix) &&
        member->HideFromAddRemove()) {
      ++hidden;
    }
  }
  return hidden;
}

void ProductFamily::SortNewestFirst() {
  // std::list::sort is stable.
  members_.sort([](const std::unique_ptr<Product>& a, const std::unique_ptr<Product>& b) {
    return a->IsNewerThan(*b);
  });
}

unsigned ProductFamily::UninstallAll() {
  if (members_.empty()) return 0;
  unsigned removed = 0;
  {
    SilentInstallerUi silent;
    SortNewestFirst();
    for (auto& member : members_) {
      if (member->Uninstall()) {
        ++removed;
        member.reset();
      }
    }
  }
  members_.remove_if([](const std::unique_ptr<Product>& p) { return !p; });
  return removed;
}

}  // namespace msitool

// Ordering, hiding and uninstall bookkeeping of a family, with stand-in
// products whose registry and installer actions are recorded instead of run.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "product.h"
#include "product_family.h"

namespace {

using msitool::Product;
using msitool::ProductFamily;

struct Journal {
  std::vector<std::wstring> hidden;
  std::vector<std::wstring> uninstalled;
  std::vector<INSTALLUILEVEL> ui_levels;  // UI level seen during each removal
};

class FakeProduct : public Product {
 public:
  FakeProduct(const wchar_t* code, const wchar_t* version, Journal* journal, bool removable)
      : Product(code, version), journal_(journal), removable_(removable) {}
  bool HideFromAddRemove() override {
    journal_->hidden.push_back(GetProductCode());
    return true;
  }
  bool Uninstall() override {
    journal_->uninstalled.push_back(GetProductCode());
    INSTALLUILEVEL level = MsiSetInternalUI(INSTALLUILEVEL_NOCHANGE, nullptr);
    journal_->ui_levels.push_back(level);
    return removable_;
  }

 private:
  Journal* journal_;
  bool removable_;
};

struct Member {
  const wchar_t* code;
  const wchar_t* version;
  bool removable;
};

class FakeFamily : public ProductFamily {
 public:
  FakeFamily(const std::vector<Member>& members, Journal* journal)
      : ProductFamily(L"{UPGRADE}", Make(members, journal)) {}

  std::vector<std::wstring> Codes() const {
    std::vector<std::wstring> codes;
    for (const auto& m : members()) codes.push_back(m->GetProductCode());
    return codes;
  }

 private:
  static std::list<std::unique_ptr<Product>> Make(const std::vector<Member>& members,
                                                 Journal* journal) {
    std::list<std::unique_ptr<Product>> list;
    for (const Member& m : members) {
      list.push_back(std::unique_ptr<Product>(
          new FakeProduct(m.code, m.version, journal, m.removable)));
    }
    return list;
  }
};

using Codes = std::vector<std::wstring>;

TEST(ProductFamily, HideOldAddRemovesKeepsNewestVisible) {
  struct Case {
    const char* name;
    std::vector<Member> members;
    Codes hidden;
  };
  const Case cases[] = {
      {"empty", {}, {}},
      {"single member", {{L"{A}", L"1.0", true}}, {}},
      {"numbers, not text", {{L"{A}", L"5.10.0.1", true}, {L"{B}", L"5.9.9.9", true}}, {L"{B}"}},
      {"newest last", {{L"{A}", L"5.9.9.9", true}, {L"{B}", L"5.10.0.1", true}}, {L"{A}"}},
      {"missing parts are lower", {{L"{A}", L"5.1", true}, {L"{B}", L"5.1.0.0", true}}, {L"{A}"}},
      {"equal versions: first stays",
       {{L"{A}", L"2.0", true}, {L"{B}", L"2.0", true}, {L"{C}", L"1.0", true}},
       {L"{B}", L"{C}"}},
      {"unparsable counts as 0.0.0.0",
       {{L"{A}", L"", true}, {L"{B}", L"0.0.0.1", true}},
       {L"{A}"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Journal journal;
    FakeFamily family(c.members, &journal);
    EXPECT_EQ(c.hidden.size(), family.HideOldAddRemoves());
    EXPECT_EQ(c.hidden, journal.hidden);
    EXPECT_EQ(c.members.size(), family.GetCount());
  }
}

TEST(ProductFamily, HideAllExceptComparesPrefixIgnoringCase) {
  Journal journal;
  FakeFamily family({{L"{ABC-1}", L"1.0", true},
                     {L"{abd-2}", L"2.0", true},
                     {L"{XYZ-3}", L"3.0", true}},
                    &journal);
  EXPECT_EQ(2u, family.HideAllExcept(L"{abc"));
  EXPECT_EQ((Codes{L"{abd-2}", L"{XYZ-3}"}), journal.hidden);

  Journal none;
  FakeFamily empty({}, &none);
  EXPECT_EQ(0u, empty.HideAllExcept(L"{"));
}

TEST(ProductFamily, UninstallAllNewestFirstKeepingFailures) {
  const INSTALLUILEVEL before = MsiSetInternalUI(INSTALLUILEVEL_BASIC, nullptr);
  Journal journal;
  FakeFamily family({{L"{1.0}", L"1.0", true},
                     {L"{3.0}", L"3.0", true},
                     {L"{2.0a}", L"2.0", false},
                     {L"{2.0b}", L"2.0", true},
                     {L"{0.5}", L"0.5", false}},
                    &journal);
  EXPECT_EQ(3u, family.UninstallAll());
  // Stable: the two 2.0 members keep their enumeration order.
  EXPECT_EQ((Codes{L"{3.0}", L"{2.0a}", L"{2.0b}", L"{1.0}", L"{0.5}"}), journal.uninstalled);
  for (INSTALLUILEVEL level : journal.ui_levels) EXPECT_EQ(INSTALLUILEVEL_NONE, level);
  // The members that stayed, in the sorted order.
  EXPECT_EQ((Codes{L"{2.0a}", L"{0.5}"}), family.Codes());
  EXPECT_EQ(2u, family.GetCount());
  // The level in force before is in force again, also after failures.
  EXPECT_EQ(INSTALLUILEVEL_BASIC, MsiSetInternalUI(before, nullptr));
}

TEST(ProductFamily, UninstallAllOfEmptyFamilyTouchesNothing) {
  const INSTALLUILEVEL before = MsiSetInternalUI(INSTALLUILEVEL_FULL, nullptr);
  Journal journal;
  FakeFamily family({}, &journal);
  EXPECT_EQ(0u, family.UninstallAll());
  EXPECT_EQ(INSTALLUILEVEL_FULL, MsiSetInternalUI(before, nullptr));
}

TEST(ProductFamily, UnknownUpgradeCodeGivesEmptyFamily) {
  ProductFamily family(L"{0BADC0DE-0000-4000-8000-000000000000}");
  EXPECT_EQ(0u, family.GetCount());
  EXPECT_EQ(0u, family.HideOldAddRemoves());
  EXPECT_EQ(0u, family.UninstallAll());
}

}  // namespace

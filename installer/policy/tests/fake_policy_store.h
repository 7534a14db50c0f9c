// An in-memory policy store behind the installer's policy call table, so the
// adapters and tables can be tested without the product's library.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "policy_api.h"

namespace fake {

struct Cell {
  std::string text;
  INT32 number = 0;
};

struct Variable {
  std::string oid;
  INT32 type = 0;
  std::string text;
  INT32 number = 0;
  bool table = false;
  std::vector<INT32> columnTypes;
  std::vector<std::vector<Cell>> rows;
};

struct Store {
  std::map<std::string, Variable> stored;
  std::set<Variable*> live;      // handles not closed yet
  INT32 tchInitializeResult = 0;
  // Forced results of TchGetPolicy / TchSetPolicy by OID.
  std::map<std::string, INT32> getResult;
  std::map<std::string, INT32> setResult;
  INT32 removeRowResult = 0;
  INT32 createOidResult = 0;
  int getPolicyCalls = 0;
  int setPolicyCalls = 0;
  int channelsOpen = 0;
  int unpackCalls = 0;
  int packagesFreed = 0;
  std::string lastUnpacked;

  void Reset() { *this = Store(); }
  // A table with the given column types and rows of texts ("" cells of
  // integer columns hold 0).
  Variable& AddTable(const std::string& oid, const std::vector<INT32>& columnTypes);
  Variable& AddScalar(const std::string& oid, INT32 type, const std::string& text, INT32 number);
};

Store& TheStore();
const hx::policy::PolicyApi& Api();

// Puts the fake in place of the library for the scope.
class ScopedFakePolicy {
 public:
  ScopedFakePolicy();
  ~ScopedFakePolicy();

 private:
  const hx::policy::PolicyApi* previous_;
};

}  // namespace fake

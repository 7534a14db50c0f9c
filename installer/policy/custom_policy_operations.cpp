#include "custom_policy_operations.h"

#include <cstdlib>

#include "policy_api.h"

using hx::policy::Api;
using hx::policy::ScopedPolicyVar;

namespace {

bool IsTextType(INT32 type) { return type == 3 || type == 4; }
bool IsIntegerType(INT32 type) { return type >= 7 && type <= 10; }

// The text's leading decimal integer with optional sign; 0 when there is none.
INT32 LeadingInteger(const char* text) {
  return static_cast<INT32>(strtol(text ? text : "", nullptr, 10));
}

}  // namespace

INT32 SetPolicyValue(IPolicyAdapter& wrapper, const char* oid, const char* text) {
  ScopedPolicyVar variable;
  INT32 r = Api().createPolicyVar(variable.Slot());
  if (r != 0) return r;
  r = wrapper.GetPolicy(variable.Slot(), oid);
  INT32 type = 0;
  if (r == 0) r = Api().getType(variable.Get(), &type);
  if (r == 0) {
    if (IsTextType(type))
      r = Api().setStringA(variable.Get(), text ? text : "");
    else if (IsIntegerType(type))
      r = Api().setInt(variable.Get(), LeadingInteger(text));
    else
      r = kPolicyTypeNotSettable;
  }
  if (r == 0) r = wrapper.SetPolicy(variable.Get());
  return r;
}

INT32 SetPolicyTableValue(IPolicyAdapter& wrapper, const char* oid, int row, int column,
                          const char* text) {
  ScopedPolicyVar variable;
  INT32 r = Api().createPolicyTable(variable.Slot());
  if (r != 0) return r;
  r = wrapper.GetPolicy(variable.Slot(), oid);
  INT32 type = 0;
  if (r == 0) r = Api().getColumnType(variable.Get(), column - 1, &type);
  if (r == 0) {
    if (IsTextType(type))
      r = Api().setCellStringA(variable.Get(), row - 1, column - 1, text ? text : "");
    else if (IsIntegerType(type))
      r = Api().setCellInt(variable.Get(), row - 1, column - 1, LeadingInteger(text));
    else
      r = kPolicyTypeNotSettable;
  }
  if (r == 0) r = wrapper.SetPolicy(variable.Get());
  return r;
}

INT32 ClearPolicyTable(IPolicyAdapter& wrapper, const char* oid) {
  ScopedPolicyVar variable;
  INT32 r = Api().createPolicyTable(variable.Slot());
  if (r != 0) return r;
  r = wrapper.GetPolicy(variable.Slot(), oid);
  INT32 rows = 0;
  INT32 columns = 0;
  if (r == 0) r = Api().getTableDimensions(variable.Get(), &rows, &columns);
  if (r == 0) {
    for (INT32 i = 0; i < rows; ++i) Api().removeRow(variable.Get(), 0);
    r = wrapper.SetPolicy(variable.Get());
  }
  return r;
}

// Policy library in memory for the identity tests: the identity, the method,
// one table, scripted failures and a log of the calls.
#pragma once

#include <string>
#include <vector>

#include "agentutil/policy_api.h"

namespace agentutil_test {

class FakePolicy : public agentutil::PolicyApi {
 public:
  INT32 method = 0;
  INT32 operation = 0;
  std::string uid = "{5D0C4A9E-0000-4000-8000-00000000ABCD}";
  INT32 get_uid_result = 0;
  INT32 create_uid_result = 0;
  // Table rows; each row four cells.
  std::vector<std::vector<std::string> > table;
  std::string table_oid = "1.3.6.1.4.1.5839.11.4.14.10";
  // Name of the call that fails ("TchInitialize"...), empty for none.
  std::string failing_call;

  std::string calls;                   // "Name;" per call
  std::vector<std::vector<std::string> > written;  // the table as written back
  bool table_written = false;
  int open_channels = 0;
  int open_variables = 0;

  INT32 UIDGetMethod(INT32* m) override { return Log("QmUIDGetMethod", (*m = method, 0)); }
  INT32 UIDSetMethod(INT32 m) override {
    method = m;
    return Log("QmUIDSetMethod", 0);
  }
  INT32 CreateUID(INT32 op) override {
    if (op == 1 && create_uid_result == 0) operation = 1;
    return Log("QmpCreateUID", create_uid_result);
  }
  INT32 GetUIDOperation(INT32* op) override { return Log("QmpGetUIDOperation", (*op = operation, 0)); }
  INT32 GetUIDA(INT32 index, char* buffer, INT32* size) override;
  INT32 ChannelInitialize(TCH_CHANNEL* channel, void* extra) override;
  INT32 ChannelUninitialize(TCH_CHANNEL channel) override;
  INT32 CreatePolicyVar(QMP_HANDLE* handle) override;
  INT32 SetOID(QMP_HANDLE handle, const char* oid) override;
  INT32 GetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle) override;
  INT32 SetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle, INT32 flags) override;
  INT32 GetTableDimensions(QMP_HANDLE handle, INT32* rows, INT32* columns) override;
  INT32 SetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column, const char* text) override;
  INT32 Close(QMP_HANDLE handle) override;

 private:
  INT32 Log(const char* name, INT32 result);
  INT32 Fallible(const char* name);
  std::vector<std::vector<std::string> > loaded_;
  std::string oid_;
  int channel_dummy_ = 0;
  int variable_dummy_ = 0;
};

}  // namespace agentutil_test

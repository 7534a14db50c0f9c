#include "agentutil/agent_table.h"

namespace agentutil {

const char kAgentTableOid[] = "1.3.6.1.4.1.5839.11.4.14.10";

namespace {

// The channel and the variable are released on every path.
class ChannelHolder {
 public:
  explicit ChannelHolder(PolicyApi& policy) : policy_(policy), channel_(NULL), open_(false) {}
  ~ChannelHolder() {
    if (open_) policy_.ChannelUninitialize(channel_);
  }
  INT32 Open() {
    INT32 extra = 0;
    INT32 code = policy_.ChannelInitialize(&channel_, &extra);
    open_ = code == 0;
    return code;
  }
  TCH_CHANNEL get() const { return channel_; }

 private:
  PolicyApi& policy_;
  TCH_CHANNEL channel_;
  bool open_;
};

class VariableHolder {
 public:
  explicit VariableHolder(PolicyApi& policy) : policy_(policy), handle_(NULL), created_(false) {}
  ~VariableHolder() {
    if (created_) policy_.Close(handle_);
  }
  INT32 Create() {
    INT32 code = policy_.CreatePolicyVar(&handle_);
    created_ = code == 0;
    return code;
  }
  QMP_HANDLE get() const { return handle_; }

 private:
  PolicyApi& policy_;
  QMP_HANDLE handle_;
  bool created_;
};

}  // namespace

INT32 ClearAgentTable(PolicyApi& policy) {
  ChannelHolder channel(policy);
  INT32 code = channel.Open();
  if (code != 0) return code;
  VariableHolder table(policy);
  code = table.Create();
  if (code != 0) return code;
  code = policy.SetOID(table.get(), kAgentTableOid);
  if (code != 0) return code;
  code = policy.GetPolicy(channel.get(), table.get());
  if (code != 0) return code;

  INT32 rows = 0;
  INT32 columns = 0;
  policy.GetTableDimensions(table.get(), &rows, &columns);
  for (INT32 row = 0; row < rows; ++row) {
    for (INT32 column = 1; column <= 3; ++column) {
      policy.SetCellStringA(table.get(), row, column, "");
    }
  }
  return policy.SetPolicy(channel.get(), table.get(), 0);
}

}  // namespace agentutil

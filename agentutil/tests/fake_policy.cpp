#include "fake_policy.h"

#include <string.h>

namespace agentutil_test {

INT32 FakePolicy::Log(const char* name, INT32 result) {
  calls += name;
  calls += ";";
  return result;
}

INT32 FakePolicy::Fallible(const char* name) {
  return Log(name, failing_call == name ? -17 : 0);
}

INT32 FakePolicy::GetUIDA(INT32 index, char* buffer, INT32* size) {
  Log("QmpGetUIDA", 0);
  if (index != 0 || *size != 255) return -3;
  if (get_uid_result != 0) return get_uid_result;
  strncpy(buffer, uid.c_str(), 255);
  buffer[254] = '\0';
  return 0;
}

INT32 FakePolicy::ChannelInitialize(TCH_CHANNEL* channel, void* extra) {
  INT32 result = Fallible("TchInitialize");
  // The utility passes an int32 holding 0.
  if (extra == NULL || *static_cast<INT32*>(extra) != 0) return -4;
  if (result == 0) {
    *channel = &channel_dummy_;
    ++open_channels;
  }
  return result;
}

INT32 FakePolicy::ChannelUninitialize(TCH_CHANNEL channel) {
  if (channel == &channel_dummy_) --open_channels;
  return Log("TchUninitialize", 0);
}

INT32 FakePolicy::CreatePolicyVar(QMP_HANDLE* handle) {
  INT32 result = Fallible("QmpCreatePolicyVar");
  if (result == 0) {
    *handle = &variable_dummy_;
    ++open_variables;
  }
  return result;
}

INT32 FakePolicy::SetOID(QMP_HANDLE, const char* oid) {
  oid_ = oid;
  return Fallible("QmpSetOID");
}

INT32 FakePolicy::GetPolicy(TCH_CHANNEL, QMP_HANDLE) {
  INT32 result = Fallible("TchGetPolicy");
  if (result == 0 && oid_ != table_oid) return -508;
  if (result == 0) loaded_ = table;
  return result;
}

INT32 FakePolicy::SetPolicy(TCH_CHANNEL, QMP_HANDLE, INT32 flags) {
  INT32 result = Fallible("TchSetPolicy");
  if (flags != 0) return -5;
  if (result == 0) {
    written = loaded_;
    table_written = true;
  }
  return result;
}

INT32 FakePolicy::GetTableDimensions(QMP_HANDLE, INT32* rows, INT32* columns) {
  *rows = static_cast<INT32>(loaded_.size());
  *columns = 4;
  return Log("QmpGetTableDimensions", 0);
}

INT32 FakePolicy::SetCellStringA(QMP_HANDLE, INT32 row, INT32 column, const char* text) {
  Log("QmpSetCellStringA", 0);
  if (row < 0 || row >= static_cast<INT32>(loaded_.size()) || column < 0 || column > 3) return -6;
  loaded_[row][column] = text;
  return 0;
}

INT32 FakePolicy::Close(QMP_HANDLE handle) {
  if (handle == &variable_dummy_) --open_variables;
  return Log("QmpClose", 0);
}

}  // namespace agentutil_test

#include "productsim/agent/agent_modules.h"

#include "installer/policy/tvma32.h"
#include "packing.h"
#include "policy_codes.h"
#include "store_file.h"

namespace tvsim {
namespace {

void PutStatus(int32_t status, std::vector<uint8_t>* reply) {
  uint32_t v = static_cast<uint32_t>(status);
  for (int i = 0; i < 4; ++i) reply->push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFFu));
}

}  // namespace

uint32_t PolicyModule::Handle(uint32_t message_id, const std::vector<uint8_t>& data,
                              std::vector<uint8_t>* reply) {
  reply->clear();
  if (message_id == kPolicyGetMessage) {
    std::string oid;
    PolicyValue value;
    int32_t status = UnpackOid(data.data(), data.size(), &oid);
    if (status == kOk) status = ServeGet(oid, &value);
    PutStatus(status, reply);
    if (status == kOk) {
      std::string package = PackPackage(PackageKind::kGetReply, oid, value);
      reply->insert(reply->end(), package.begin(), package.end());
    }
    int32_t size = switches_->get_reply_bytes;
    if (size >= 0) reply->resize(static_cast<size_t>(size), 0);
    return TVMA_SUCCESS;
  }
  if (message_id == kPolicySetMessage) {
    std::string oid;
    PolicyValue value;
    int32_t status =
        UnpackPackage(PackageKind::kSetRequest, data.data(), data.size(), &oid, &value);
    if (status == kOk) status = ServeSet(oid, value);
    PutStatus(status, reply);
    int32_t size = switches_->set_reply_bytes;
    if (size >= 0) reply->resize(static_cast<size_t>(size), 0);
    return TVMA_SUCCESS;
  }
  return TVMA_E_UNHANDLED_MESSAGE;
}

uint32_t PollModule::Handle(uint32_t message_id, const std::vector<uint8_t>& /*data*/,
                            std::vector<uint8_t>* reply) {
  reply->clear();
  if (message_id != kPollMessage) return TVMA_E_UNHANDLED_MESSAGE;
  ++switches_->poll_count;
  return TVMA_SUCCESS;
}

}  // namespace tvsim

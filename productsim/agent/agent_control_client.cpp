#include "productsim/agent/agent_control_client.h"

#include "installer/policy/tvma32.h"
#include "productsim/tvma/broker_names.h"
#include "productsim/tvma/pipe_channel.h"

namespace tvsim {

uint32_t SendAgentControl(const std::string& command, const std::string& argument,
                          std::string* text, uint32_t timeout_ms) {
  text->clear();
  DWORD start = GetTickCount();
  std::shared_ptr<PipeChannel> channel;
  if (PipeChannel::Connect(BrokerPipeName(), timeout_ms, &channel) != IoStatus::kOk) {
    return TVMA_E_SERVER_NOT_RESPONDING;
  }
  Frame request;
  request.kind = FrameKind::kControl;
  request.a = command;
  request.b = argument;
  Frame answer;
  IoStatus st = channel->WriteFrame(request, Remaining(start, timeout_ms));
  if (st == IoStatus::kOk) st = channel->ReadFrame(&answer, Remaining(start, timeout_ms), nullptr);
  if (st != IoStatus::kOk || answer.kind != FrameKind::kResult) return TVMA_E_TRANSPORT_ERROR;
  text->assign(answer.payload.begin(), answer.payload.end());
  return answer.code;
}

}  // namespace tvsim

// The agent's message broker: accepts connections on its pipe, registers
// modules by OID (one live registration per OID), routes each sent message to
// the recipient's pump or to a module inside the agent and hands the reply
// back, and serves the control commands. The readiness mutex exists exactly
// while registrations are accepted.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "productsim/agent/agent_switches.h"
#include "productsim/agent/local_module.h"
#include "productsim/tvma/pipe_channel.h"
#include "shared/scoped_handle.h"

namespace tvsim {

struct BrokerConnection;

struct SendOutcome {
  uint32_t code = 0;
  std::vector<uint8_t> reply;
};

class Broker {
 public:
  // ready_mutex empty: no readiness mutex (in-process tests).
  Broker(std::wstring pipe_name, std::wstring ready_mutex, AgentSwitches* switches);
  ~Broker();
  Broker(const Broker&) = delete;
  Broker& operator=(const Broker&) = delete;

  // Before Start: a module served inside the agent (not owned).
  void AddLocalModule(const std::string& oid, LocalModule* module);
  bool Start();
  // Drops the readiness mutex, then closes every connection, so pending
  // sends of clients fail at once.
  void Stop();

  // Routes one message as if a module had sent it.
  SendOutcome Route(const std::string& destination, uint32_t message_id,
                    const std::vector<uint8_t>& data, uint32_t timeout_ms);
  std::vector<std::string> RegisteredModules();

 private:
  void Listen();
  void Serve(std::shared_ptr<BrokerConnection> connection);
  Frame Register(const std::shared_ptr<BrokerConnection>& connection, const std::string& oid);
  void Unregister(const std::shared_ptr<BrokerConnection>& connection);
  void AnswerSend(const std::shared_ptr<BrokerConnection>& connection, const Frame& request);
  Frame Control(const Frame& request);

  std::wstring pipe_name_;
  std::wstring ready_mutex_name_;
  AgentSwitches* switches_;
  hx::ScopedKernelHandle ready_mutex_;
  hx::ScopedKernelHandle stop_event_;
  std::thread listener_;

  std::mutex lock_;
  std::condition_variable idle_;
  int serving_ = 0;
  std::map<std::string, LocalModule*> local_;
  std::map<std::string, std::shared_ptr<BrokerConnection>> modules_;
  std::set<std::shared_ptr<BrokerConnection>> connections_;
  uint32_t next_seq_ = 0;
  bool stopped_ = false;
};

}  // namespace tvsim

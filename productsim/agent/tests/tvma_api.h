// The messaging library loaded from the build folder and bound by its
// decorated export names, as the product's programs bind it.
#pragma once

#include <windows.h>

#include <string>

#include "installer/policy/tvma32.h"

namespace tvsimtest {

struct TvmaApi {
  HMODULE library = nullptr;
  decltype(&TVMAInitialize) Initialize = nullptr;
  decltype(&TVMAUninitialize) Uninitialize = nullptr;
  decltype(&TVMAUnregisterModule) UnregisterModule = nullptr;
  decltype(&TVMACreateMessage) CreateMessage = nullptr;
  decltype(&TVMADeleteMessage) DeleteMessage = nullptr;
  decltype(&TVMASetMessageData) SetMessageData = nullptr;
  decltype(&TVMAGetResponseDataSize) GetResponseDataSize = nullptr;
  decltype(&TVMAGetResponseData) GetResponseData = nullptr;
  decltype(&TVMARegisterModule) RegisterModule = nullptr;
  decltype(&TVMASendMessage) SendMessage = nullptr;
  decltype(&TVMA2RegisterModule) Register2 = nullptr;
  decltype(&TVMA2SendMessage) Send2 = nullptr;
  decltype(&TVMAGetMessageID) GetMessageID = nullptr;
  decltype(&TVMAGetMessageDataSize) GetMessageDataSize = nullptr;
  decltype(&TVMAGetMessageData) GetMessageData = nullptr;
  decltype(&TVMASetResponseData) SetResponseData = nullptr;
  decltype(&TVMAInitMessagePump) InitMessagePump = nullptr;
  decltype(&TVMARunMessagePump) RunMessagePump = nullptr;
  decltype(&TVMAStopMessagePump) StopMessagePump = nullptr;

  // Loads <bin>\dll_name once per process; false when a name is missing.
  bool Load(const std::string& dll_name);
};

// The process-wide binding of tvma32.dll.
TvmaApi& Tvma();

}  // namespace tvsimtest

#include "tvma_api.h"

#include "wine_test_env.h"

namespace tvsimtest {
namespace {

template <typename F>
bool Bind(HMODULE library, const char* name, F* slot) {
  *slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return *slot != nullptr;
}

}  // namespace

bool TvmaApi::Load(const std::string& dll_name) {
  if (library != nullptr) return true;
  library = LoadLibraryA((hxtest::BinDir() + dll_name).c_str());
  if (library == nullptr) return false;
  return Bind(library, "_TVMAInitialize@8", &Initialize) &&
         Bind(library, "_TVMAUninitialize@0", &Uninitialize) &&
         Bind(library, "_TVMAUnregisterModule@4", &UnregisterModule) &&
         Bind(library, "_TVMACreateMessage@4", &CreateMessage) &&
         Bind(library, "_TVMADeleteMessage@4", &DeleteMessage) &&
         Bind(library, "_TVMASetMessageData@12", &SetMessageData) &&
         Bind(library, "_TVMAGetResponseDataSize@4", &GetResponseDataSize) &&
         Bind(library, "_TVMAGetResponseData@12", &GetResponseData) &&
         Bind(library, "_TVMARegisterModule@8", &RegisterModule) &&
         Bind(library, "_TVMASendMessage@16", &SendMessage) &&
         Bind(library, "_TVMA2RegisterModule@8", &Register2) &&
         Bind(library, "_TVMA2SendMessage@16", &Send2) &&
         Bind(library, "_TVMAGetMessageID@4", &GetMessageID) &&
         Bind(library, "_TVMAGetMessageDataSize@4", &GetMessageDataSize) &&
         Bind(library, "_TVMAGetMessageData@12", &GetMessageData) &&
         Bind(library, "_TVMASetResponseData@12", &SetResponseData) &&
         Bind(library, "_TVMAInitMessagePump@8", &InitMessagePump) &&
         Bind(library, "_TVMARunMessagePump@12", &RunMessagePump) &&
         Bind(library, "_TVMAStopMessagePump@4", &StopMessagePump);
}

TvmaApi& Tvma() {
  static TvmaApi api;
  return api;
}

}  // namespace tvsimtest

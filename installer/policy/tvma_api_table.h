// The installer's binding to the agent's messaging library (tvma32.dll),
// loaded at run time, and the get and set requests to the agent's policy
// module built on it.
#pragma once

#include <windows.h>

#include "shared/scoped_handle.h"
#include "tvma32.h"

// Agent policy requests.
const UINT32 kTvmaPolicyGetMessage = 0x24030001;
const UINT32 kTvmaPolicySetMessage = 0x24030002;
const UINT32 kTvmaSendTimeoutMs = 15000;
#define HX_TVMA_POLICY_DESTINATION_OID "1.3.6.1.4.1.5839.11.1.15"

class TVMAApiTable {
 public:
  typedef TVMA_RESULT(TVMA32_CALL* InitializeFn)(UINT32, UINT32);
  typedef TVMA_RESULT(TVMA32_CALL* UninitializeFn)();
  typedef TVMA_RESULT(TVMA32_CALL* RegisterModuleFn)(TVMA_MODULE*, QMP_HANDLE);
  typedef TVMA_RESULT(TVMA32_CALL* UnregisterModuleFn)(TVMA_MODULE);
  typedef TVMA_MESSAGE(TVMA32_CALL* CreateMessageFn)(UINT32);
  typedef TVMA_RESULT(TVMA32_CALL* DeleteMessageFn)(TVMA_MESSAGE);
  typedef TVMA_RESULT(TVMA32_CALL* SetMessageDataFn)(TVMA_MESSAGE, const void*, UINT32);
  typedef TVMA_RESULT(TVMA32_CALL* SendMessageFn)(TVMA_MODULE, QMP_OID, TVMA_MESSAGE, UINT32);
  typedef UINT32(TVMA32_CALL* GetResponseDataSizeFn)(TVMA_MESSAGE);
  typedef TVMA_RESULT(TVMA32_CALL* GetResponseDataFn)(TVMA_MESSAGE, void*, UINT32);

  // Takes ownership of the library (freed by the destructor); the function
  // pointers are set by Bind.
  explicit TVMAApiTable(HMODULE library);
  virtual ~TVMAApiTable() {}
  TVMAApiTable(const TVMAApiTable&) = delete;
  TVMAApiTable& operator=(const TVMAApiTable&) = delete;

  // Looks up the ten exports; false when any is missing.
  bool Bind();

  virtual TVMA_RESULT Initialize(UINT32 version, UINT32 flags);
  virtual TVMA_RESULT Uninitialize();
  virtual TVMA_RESULT RegisterModule(TVMA_MODULE* module, QMP_HANDLE identity);
  virtual TVMA_RESULT UnregisterModule(TVMA_MODULE module);
  virtual TVMA_MESSAGE CreateMessage(UINT32 id);
  virtual TVMA_RESULT DeleteMessage(TVMA_MESSAGE message);
  virtual TVMA_RESULT SetMessageData(TVMA_MESSAGE message, const void* data, UINT32 size);
  virtual TVMA_RESULT SendMessage(TVMA_MODULE module, QMP_OID destination, TVMA_MESSAGE message,
                                  UINT32 timeoutMs);
  virtual UINT32 GetResponseDataSize(TVMA_MESSAGE message);
  virtual TVMA_RESULT GetResponseData(TVMA_MESSAGE message, void* buffer, UINT32 size);

  // Set request for the variable; the agent's status or an error code.
  virtual INT32 SetPolicy(TVMA_MODULE module, QMP_HANDLE variable);
  // Makes a variable for the OID and fills it by a get request; the slot
  // receives it on success.
  virtual INT32 GetPolicyVar(TVMA_MODULE module, const char* oid, QMP_HANDLE* slot);
  // Get request for the variable's OID; fills the variable from the reply.
  virtual INT32 GetPolicy(TVMA_MODULE module, QMP_HANDLE variable);
  // Status of a reply and the package after it (inside a buffer that
  // FreeResponse frees); -9 for a reply shorter than 4 bytes.
  virtual INT32 ReadResponse(TVMA_MESSAGE message, BYTE** package, UINT32* packageSize);
  virtual void FreeResponse(BYTE* package);

 private:
  hx::ScopedLibrary library_;
  InitializeFn initialize_;
  UninitializeFn uninitialize_;
  RegisterModuleFn registerModule_;
  UnregisterModuleFn unregisterModule_;
  CreateMessageFn createMessage_;
  DeleteMessageFn deleteMessage_;
  SetMessageDataFn setMessageData_;
  SendMessageFn sendMessage_;
  GetResponseDataSizeFn getResponseDataSize_;
  GetResponseDataFn getResponseData_;
  // Start of the reply buffer whose package ReadResponse handed out.
  BYTE* responseBuffer_;
};

// The agent's policy destination, made once per process; -509 while it
// cannot be made. Forgetting it makes the next request try again.
INT32 AgentPolicyDestination(QMP_OID* destination);
void ForgetAgentPolicyDestination();

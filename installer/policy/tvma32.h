/* Calls of the agent's messaging library tvma32.dll (and its variant
 * tvma32s.dll). Standard calling convention; exported under the standard
 * decorated names: "_" name "@" and 4 bytes per argument ("_TVMAInitialize@8"). */
#ifndef TVMA32_H
#define TVMA32_H

#include <windows.h>

#include "tvpmapi.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TVMA32_IMPORT
#define TVMA32_IMPORT
#endif
#define TVMA32_CALL __stdcall

typedef UINT32 TVMA_RESULT;
typedef UINT32 TVMA_MODULE;
typedef UINT32 TVMA_MESSAGE;
typedef UINT32 TVMA_PUMP;

#define TVMA_SUCCESS 0x04000000u
/* Either of the two top bits set: a failure. */
#define TVMA_FAILED(code) (((code) & 0xC0000000u) != 0)
#define TVMA_E_UNKNOWN_ERROR 0x84000001u
#define TVMA_E_ACCESS_DENIED 0x84000002u
#define TVMA_E_INVALID_PARAMETER 0x84000003u
#define TVMA_E_OUT_OF_MEMORY 0x84000004u
#define TVMA_E_INCOMPATIBLE_API_VERSION 0x84000005u
#define TVMA_E_SERVER_NOT_RESPONDING 0x84000006u
#define TVMA_E_TRANSPORT_ERROR 0x84000007u
#define TVMA_E_CONNECTION_NOT_ESTABLISHED 0x84000008u
#define TVMA_E_ALREADY_REGISTERED 0x84000009u
#define TVMA_E_SENDER_NOT_REGISTRED 0x8400000Au
#define TVMA_E_RECIPIENT_NOT_REGISTRED 0x8400000Bu
#define TVMA_E_TIMEOUT 0x8400000Cu
#define TVMA_E_REPLY_ON_POSTED_MESSAGE 0x8400000Du
#define TVMA_E_BUFFER_TOO_SMALL 0x8400000Eu
#define TVMA_E_UNHANDLED_MESSAGE 0x8400000Fu
#define TVMA_E_MESSAGE_QUEUE_FULL 0x84000010u

/* Message handler run by the pump on its thread; caller-cleans convention. The
 * first argument is reserved. */
typedef TVMA_RESULT(__cdecl* TVMA_MESSAGE_HANDLER)(UINT32 reserved, TVMA_MESSAGE message,
                                                  void* context);

TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAInitialize(UINT32 version, UINT32 flags);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAUninitialize(void);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAUnregisterModule(TVMA_MODULE module);
TVMA32_IMPORT TVMA_MESSAGE TVMA32_CALL TVMACreateMessage(UINT32 id);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMADeleteMessage(TVMA_MESSAGE message);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMASetMessageData(TVMA_MESSAGE message, const void* data,
                                                       UINT32 size);
TVMA32_IMPORT UINT32 TVMA32_CALL TVMAGetResponseDataSize(TVMA_MESSAGE message);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAGetResponseData(TVMA_MESSAGE message, void* buffer,
                                                        UINT32 size);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMARegisterModule(TVMA_MODULE* module, QMP_HANDLE oid_var);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMASendMessage(TVMA_MODULE module, QMP_OID destination,
                                                    TVMA_MESSAGE message, UINT32 timeout_ms);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMA2RegisterModule(TVMA_MODULE* module, const char* oid);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMA2SendMessage(TVMA_MODULE module, const char* destination,
                                                     TVMA_MESSAGE message, UINT32 timeout_ms);
TVMA32_IMPORT UINT32 TVMA32_CALL TVMAGetMessageID(TVMA_MESSAGE message);
TVMA32_IMPORT UINT32 TVMA32_CALL TVMAGetMessageDataSize(TVMA_MESSAGE message);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAGetMessageData(TVMA_MESSAGE message, void* buffer,
                                                       UINT32 size);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMASetResponseData(TVMA_MESSAGE message, const void* data,
                                                        UINT32 size);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAInitMessagePump(TVMA_MODULE module, TVMA_PUMP* pump);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMARunMessagePump(TVMA_PUMP pump,
                                                       TVMA_MESSAGE_HANDLER handler,
                                                       void* context);
TVMA32_IMPORT TVMA_RESULT TVMA32_CALL TVMAStopMessagePump(TVMA_PUMP pump);

#ifdef __cplusplus
}
#endif

#endif /* TVMA32_H */

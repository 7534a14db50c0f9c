/* Calls of the product's policy library TVPMAPI.dll. Every function uses the
 * Windows standard calling convention and returns a signed 32-bit code: 0 is
 * success, anything else an error passed on unchanged. Exported under plain
 * names, except QmUIDGetMethod and QmUIDSetMethod ("_QmUIDGetMethod@4",
 * "_QmUIDSetMethod@4"). */
#ifndef TVPMAPI_H
#define TVPMAPI_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TVPMAPI_IMPORT
#define TVPMAPI_IMPORT
#endif
#define TVPMAPI_CALL __stdcall

typedef void* QMP_HANDLE;     /* policy variable or table */
typedef void* QMP_OID;        /* OID handle, kept for the process */
typedef void* TCH_CHANNEL;    /* policy channel */

/* A reachable store that lacks the OID. */
#define QMP_E_OID_NOT_FOUND (-508)

/* Type codes. */
#define QMP_TYPE_VALUE_RECORD 2
#define QMP_TYPE_STRING_3 3
#define QMP_TYPE_STRING_4 4
#define QMP_TYPE_INT_7 7
#define QMP_TYPE_INT_10 10

/* Value record: type, data length in bytes including the NUL, then the data. */
typedef struct QMP_VALUE_RECORD {
  INT32 type;
  INT32 length;
  char data[1];
} QMP_VALUE_RECORD;

TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpInitLibrary(void* reserved);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpCreatePolicyVar(QMP_HANDLE* handle);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpCreatePolicyTable(QMP_HANDLE* handle);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpSetOID(QMP_HANDLE handle, const char* oid);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpClose(QMP_HANDLE handle);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetType(QMP_HANDLE handle, INT32* type);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetColumnType(QMP_HANDLE handle, INT32 column, INT32* type);
/* With a null buffer and size 0: the bytes needed (positive) or a negative error. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetStringA(QMP_HANDLE handle, char* buffer, INT32 size);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column,
                                                   char* buffer, INT32 size);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpSetStringA(QMP_HANDLE handle, const char* text);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpSetInt(QMP_HANDLE handle, INT32 value);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetTableDimensions(QMP_HANDLE handle, INT32* rows,
                                                       INT32* columns);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetCellInt(QMP_HANDLE handle, INT32 row, INT32 column,
                                               INT32* value);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpSetCellStringA(QMP_HANDLE handle, INT32 row, INT32 column,
                                                   const char* text);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpSetCellInt(QMP_HANDLE handle, INT32 row, INT32 column,
                                               INT32 value);
/* Reads the cell into a value record; size is that of the whole record buffer. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetCellValue(QMP_HANDLE handle, INT32 row, INT32 column,
                                                 QMP_VALUE_RECORD* record, INT32 size);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpSetCellValue(QMP_HANDLE handle, INT32 row, INT32 column,
                                                 const QMP_VALUE_RECORD* record);
/* row -1 appends. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpInsertRow(QMP_HANDLE handle, INT32 row);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpRemoveRow(QMP_HANDLE handle, INT32 row);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpCreatePolicyOID(const char* oid, QMP_OID* handle);

TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchInitialize(TCH_CHANNEL* channel, void* extra);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchUninitialize(TCH_CHANNEL channel);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchGetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchSetPolicy(TCH_CHANNEL channel, QMP_HANDLE handle, INT32 flags);
/* The packed OID belongs to the variable; it is not freed by the caller. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchGetPackedOID(QMP_HANDLE handle, void** packed);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchGetPackedOIDSize(const void* packed);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchUnpackPolicyGetPackage(QMP_HANDLE handle, const void* data,
                                                           INT32 size);
/* The package is freed with TchFreeMemory after use. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchCreatePolicySetPackage(QMP_HANDLE handle, void** package,
                                                           INT32* size);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL TchFreeMemory(void* package);

/* Identity methods: 0 SMBIOSGUID, 1 RANDOMGUID, 2 WINS, 3 MAC. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmUIDGetMethod(INT32* method);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmUIDSetMethod(INT32 method);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpCreateUID(INT32 operation);
/* operation 1: a new identity is made at the next restart of the agent. */
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetUIDOperation(INT32* operation);
TVPMAPI_IMPORT INT32 TVPMAPI_CALL QmpGetUIDA(INT32 index, char* buffer, INT32* size);

#ifdef __cplusplus
}
#endif

#endif /* TVPMAPI_H */

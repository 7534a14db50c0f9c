/* Calls of the product's install-support library tvisu.dll. Standard calling
 * convention; exported under plain names. Only what the installer passes and
 * relies on is fixed here; every result is a 32-bit integer. */
#ifndef TVISU_H
#define TVISU_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef TVISU_IMPORT
#define TVISU_IMPORT
#endif
#define TVISU_CALL __stdcall

/* Argument values the installer passes to TVISU_GetPlatformEx. */
#define TVISU_PLATFORM_EX_QUERY 156

/* Status of TVISU_CopyFileEx: the replacement waits for the next restart. */
#define TVISU_COPY_DEFERRED 1

/* Start-up initialisation; called once, before anything else of the library. */
TVISU_IMPORT INT32 TVISU_CALL TVISU_DelayLoadInitialize(void);

/* The platform code (102 to 122 have fixed names). */
TVISU_IMPORT INT32 TVISU_CALL TVISU_GetPlatform(void);

/* Called with 156, 0 and a zeroed integer: result 0 means the low 16 bits of
 * *info are the service-pack number. */
TVISU_IMPORT INT32 TVISU_CALL TVISU_GetPlatformEx(INT32 query, INT32 reserved, INT32* info);

/* Non-zero when Windows is a 64-bit system. */
TVISU_IMPORT INT32 TVISU_CALL TVISU_Is64BitPlatform(void);

/* Copies source to destination (flags 0, *status zeroed). Result 0: copied or
 * scheduled, and *status 1 means the replacement waits for the next restart;
 * any other result is an error code. */
TVISU_IMPORT INT32 TVISU_CALL TVISU_CopyFileEx(const char* source, const char* destination,
                                               INT32 flags, INT32* status);

/* Schedules the renamed file for deletion or renaming at the next restart
 * (the installer passes no second path). The result is not used. */
TVISU_IMPORT INT32 TVISU_CALL TVISU_RenameAfterReboot(const char* path, const char* new_path);

/* Creates the registry entry described by the registry path text; type is the
 * package's type number, flags 0. The result is only logged. */
TVISU_IMPORT INT32 TVISU_CALL TVISU_CreateRegistryEntry(const char* entry, INT32 type,
                                                        INT32 flags);

#ifdef __cplusplus
}
#endif

#endif /* TVISU_H */

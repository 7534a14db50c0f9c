/* Interface between the hotfix installer hxupd (the host) and its plug-in DLLs.
 *
 * The five entry points are exported under these undecorated names and use the
 * caller-cleans (cdecl) convention, so a plug-in may declare fewer trailing
 * parameters than the host passes. Every string is single-byte text in the
 * system code page; every buffer belongs to the host. */
#ifndef HXPLUGIN_H
#define HXPLUGIN_H

#ifdef __cplusplus
extern "C" {
#endif

#define HX_CALL __cdecl

/* Size of the product-directory buffer the host passes to HX_Initialize. */
#define HX_PRODUCT_DIR_SIZE 256
/* Size of the error-text buffer the host passes to HX_GetLastError. */
#define HX_ERROR_TEXT_SIZE 1024

/* Section and key the host writes before loading any plug-in. */
#define HX_HOST_SECTION "TVHXUPD"
#define HX_PRODUCT_LANGUAGE_KEY "ProductLanguage"

/* Fills productDir (zero-terminated within size) with the destination of the
 * plug-in's files. flag is always 0. Non-zero means success. */
typedef int(HX_CALL* HX_InitializeFn)(const char* iniPath, const char* section,
                                      char* productDir, int size, int flag);
/* Last call before any file is copied. 0 vetoes the update. */
typedef int(HX_CALL* HX_PreUpdateFn)(const char* iniPath, const char* section);
/* Called after the copy (updateFailed 0) or after a failed pre-update phase
 * (updateFailed 1). Store non-zero through rebootAnswer to ask for a restart. */
typedef int(HX_CALL* HX_PostUpdateFn)(const char* iniPath, const char* section,
                                      int* rebootAnswer, int updateFailed);
/* Copies a zero-terminated description of the last failure, cut to size. */
typedef void(HX_CALL* HX_GetLastErrorFn)(char* buffer, int size);
/* Called for every copy event of the plug-in's files; the result is ignored. */
typedef int(HX_CALL* HX_CopyFileCallbackFn)(const char* destinationPath);

#define HX_INITIALIZE_NAME "HX_Initialize"
#define HX_PREUPDATE_NAME "HX_PreUpdate"
#define HX_POSTUPDATE_NAME "HX_PostUpdate"
#define HX_GETLASTERROR_NAME "HX_GetLastError"
#define HX_COPYFILECALLBACK_NAME "HX_CopyFileCallback"

#ifdef __cplusplus
}
#endif

#endif /* HXPLUGIN_H */

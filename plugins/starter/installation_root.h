// The product's installation root: the base of the started program's path
// and the product directory the plug-in reports to the installer.
#pragma once

#include <windows.h>

const DWORD kInstallationRootSize = 260;

// The process-wide buffer of kInstallationRootSize bytes; empty until read.
char* InstallationRoot();

// Reads the value InstallationRootDirectory of the product's key into
// InstallationRoot(); 1 on success, 0 on failure, logging each step.
int GetInstallationRootPath();

// Fills PackageDescription from the sections General, Product, Plugins and
// the plug-in sections of the package description.
#pragma once

#include <cstddef>

#include "package_description.h"
#include "profile_reader.h"

// Reads every key (also after a missing one) and returns true when the
// package has an ID, a product OID and name, and at least one plug-in.
bool ParsePackageDescription(const ProfileReader& profile, PackageDescription* package);

// Same, from the file at packagePath.
bool ParsePackageFile(const char* packagePath, PackageDescription* package);

// "<version>.<build>" when build is non-zero, else "<version>"; cut to fit.
void FormVersionWithBuild(char* out, size_t size, const char* version, unsigned build);

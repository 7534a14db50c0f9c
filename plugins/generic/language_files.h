// Puts the language variant of each LanguageFile<n> in place: the product
// directory's "<file>.<language>" is copied over "<file>".
#pragma once

namespace hxgeneric {

// Copies the language files of the section; log_path names the append-only
// log of the step (none or unopenable: the step runs unlogged). Failures are
// only logged.
void CopyLanguageFiles(const char* ini, const char* section, const char* log_path);

// "<Windows directory>\tvhxgeneric.log", or false when it does not fit.
bool LanguageLogPath(char* out, unsigned size);

}  // namespace hxgeneric

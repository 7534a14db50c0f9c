// Text rules of the custom settings entries: comma-separated fields whose
// last field takes the rest of the value, and token replacement.
#pragma once

#include <cstddef>

// Copies value up to its first comma into first and the rest after that comma
// (up to a line end, commas included) into rest. Without a comma, first is
// the whole value up to a line end and rest is empty. Both are cut to fit.
void SplitFirstField(const char* value, char* first, size_t firstSize, char* rest,
                     size_t restSize);

// Copies value up to a line end into out, cut to fit.
void CopyToLineEnd(const char* value, char* out, size_t size);

struct TableSetting {
  char oid[256];
  int row;
  int column;
  char text[256];
};

// "OID,row,column,text". False when the OID, row or column is missing.
bool ParseTableSetting(const char* value, TableSetting* setting);

// Leading decimal integer with optional sign; 0 when there is none.
int LeadingInteger(const char* text);

// Copies text into out (size bytes), replacing every occurrence of token by
// replacement, optionally ignoring ASCII case. Returns the number of
// replacements. When the next piece does not fit, the output ends before it.
int ReplaceAll(char* out, size_t size, const char* text, const char* token,
               const char* replacement, bool ignoreCase);

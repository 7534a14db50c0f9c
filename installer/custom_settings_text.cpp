#include "custom_settings_text.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

size_t LineLength(const char* text) { return strcspn(text, "\r\n"); }

void CopyCut(char* out, size_t size, const char* text, size_t length) {
  if (size == 0) return;
  if (length > size - 1) length = size - 1;
  memcpy(out, text, length);
  out[length] = '\0';
}

bool MatchesAt(const char* text, const char* token, size_t tokenLength, bool ignoreCase) {
  for (size_t i = 0; i < tokenLength; ++i) {
    unsigned char a = static_cast<unsigned char>(text[i]);
    unsigned char b = static_cast<unsigned char>(token[i]);
    if (a == '\0') return false;
    if (ignoreCase ? tolower(a) != tolower(b) : a != b) return false;
  }
  return true;
}

}  // namespace

void CopyToLineEnd(const char* value, char* out, size_t size) {
  CopyCut(out, size, value, LineLength(value));
}

void SplitFirstField(const char* value, char* first, size_t firstSize, char* rest,
                     size_t restSize) {
  size_t line = LineLength(value);
  const char* comma = static_cast<const char*>(memchr(value, ',', line));
  if (!comma) {
    CopyCut(first, firstSize, value, line);
    CopyCut(rest, restSize, "", 0);
    return;
  }
  size_t firstLength = static_cast<size_t>(comma - value);
  CopyCut(first, firstSize, value, firstLength);
  CopyCut(rest, restSize, comma + 1, line - firstLength - 1);
}

int LeadingInteger(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  char* end = nullptr;
  long value = strtol(text, &end, 10);
  if (end == text) return 0;
  return static_cast<int>(value);
}

bool ParseTableSetting(const char* value, TableSetting* setting) {
  // Up to four fields: OID, row, column, text (the rest, commas included).
  const char* start[4] = {value, nullptr, nullptr, nullptr};
  size_t length[4] = {0, 0, 0, 0};
  const char* end = value + LineLength(value);
  int fields = 1;
  const char* p = value;
  while (fields < 4) {
    const char* comma = static_cast<const char*>(memchr(p, ',', static_cast<size_t>(end - p)));
    if (!comma) break;
    length[fields - 1] = static_cast<size_t>(comma - start[fields - 1]);
    start[fields] = comma + 1;
    p = comma + 1;
    ++fields;
  }
  length[fields - 1] = static_cast<size_t>(end - start[fields - 1]);
  if (fields < 3 || length[0] == 0 || length[1] == 0 || length[2] == 0) return false;

  char number[32];
  CopyCut(setting->oid, sizeof(setting->oid), start[0], length[0]);
  CopyCut(number, sizeof(number), start[1], length[1]);
  setting->row = LeadingInteger(number);
  CopyCut(number, sizeof(number), start[2], length[2]);
  setting->column = LeadingInteger(number);
  if (fields == 4)
    CopyCut(setting->text, sizeof(setting->text), start[3], length[3]);
  else
    setting->text[0] = '\0';
  return true;
}

int ReplaceAll(char* out, size_t size, const char* text, const char* token,
               const char* replacement, bool ignoreCase) {
  if (size == 0) return 0;
  size_t tokenLength = strlen(token);
  size_t replacementLength = strlen(replacement);
  size_t used = 0;
  int count = 0;
  out[0] = '\0';
  while (*text) {
    const char* piece = text;
    size_t pieceLength = 1;
    bool isToken = tokenLength > 0 && MatchesAt(text, token, tokenLength, ignoreCase);
    if (isToken) {
      piece = replacement;
      pieceLength = replacementLength;
    }
    if (used + pieceLength > size - 1) break;
    memcpy(out + used, piece, pieceLength);
    used += pieceLength;
    out[used] = '\0';
    if (isToken) {
      ++count;
      text += tokenLength;
    } else {
      ++text;
    }
  }
  return count;
}

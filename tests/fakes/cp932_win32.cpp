// Conversion with the Windows code-page functions.
#include <windows.h>

#include "fakes/cp932.h"

std::string cp932_to_utf8(const std::string& bytes) {
  if (bytes.empty()) {
    return "";
  }
  int size = static_cast<int>(bytes.size());
  int wide_length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (wide_length <= 0) {
    return "<unconvertible>";
  }
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), wide_length);
  int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, out.data(), length, nullptr, nullptr);
  return out;
}

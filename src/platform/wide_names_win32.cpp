// Conversions between the program's UTF-8 names and the system's UTF-16.
#include "platform/wide_names_win32.h"

#include <windows.h>

namespace {

// Room a short name keeps below MAX_PATH: a directory must leave space for an 8.3 name, and the
// temporary file beside an output adds its own.
constexpr size_t short_name_limit = MAX_PATH - 12;

}  // namespace

std::wstring wide_from_utf8(const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (length <= 0) {
    return std::wstring();
  }
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

std::string utf8_from_wide(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    return std::string();
  }
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length) - 1);
  return narrow;
}

std::wstring wide_from_code_page(const char* bytes, size_t count, unsigned code_page) {
  if (count == 0) {
    return std::wstring();
  }
  int in = static_cast<int>(count);
  int length = MultiByteToWideChar(code_page, 0, bytes, in, nullptr, 0);
  if (length <= 0) {
    return std::wstring();
  }
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, bytes, in, wide.data(), length);
  return wide;
}

std::wstring full_path(const std::wstring& name) {
  DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (length == 0) {
    return std::wstring();
  }
  std::wstring full(length, L'\0');
  length = GetFullPathNameW(name.c_str(), length, full.data(), nullptr);
  full.resize(length);
  return full;
}

std::wstring without_long_prefix(const std::wstring& name) {
  if (name.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    return L"\\\\" + name.substr(8);
  }
  if (name.rfind(L"\\\\?\\", 0) == 0) {
    return name.substr(4);
  }
  return name;
}

std::wstring wide_path(const char* name) {
  std::wstring wide = wide_from_utf8(name);
  if (wide.size() < short_name_limit || wide.rfind(L"\\\\?\\", 0) == 0 ||
      wide.rfind(L"\\\\.\\", 0) == 0) {
    return wide;
  }
  std::wstring full = full_path(wide);
  if (full.empty()) {
    return wide;
  }
  if (full.rfind(L"\\\\", 0) == 0) {
    return L"\\\\?\\UNC\\" + full.substr(2);  // a network name
  }
  return L"\\\\?\\" + full;
}

// Names on Windows: the program holds them in UTF-8, the system's wide calls take UTF-16.
#pragma once

#include <string>

// UTF-16 of a UTF-8 text; empty when it is not UTF-8.
std::wstring wide_from_utf8(const char* text);

// UTF-8 of a UTF-16 text.
std::string utf8_from_wide(const wchar_t* text);

// UTF-16 of bytes in a code page (the console's texts are code page 932); empty on failure.
std::wstring wide_from_code_page(const char* bytes, size_t count, unsigned code_page);

// The name to hand the wide file calls: as given while it is short, so that devices (NUL, CON)
// and relative names mean what they always did; its full path behind \\?\ once it nears
// MAX_PATH, where the file system's own limits then apply.
std::wstring wide_path(const char* name);

// The full path of a name (GetFullPathNameW: a drive-relative name such as C:out.txt from that
// drive's current folder); empty on failure.
std::wstring full_path(const std::wstring& name);

// The name without a \\?\ or \\?\UNC\ prefix, as a user writes it.
std::wstring without_long_prefix(const std::wstring& name);

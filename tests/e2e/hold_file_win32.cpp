// A program that holds a file open for a while, as a viewer or an indexer does: hold_file NAME
// SHARING SECONDS, SHARING made of r, w and d (read, write, delete). Says "held" on its standard
// output once the file is open.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    return 2;
  }
  DWORD sharing = 0;
  for (const char* p = argv[2]; *p != '\0'; ++p) {
    sharing |= *p == 'r'   ? FILE_SHARE_READ
               : *p == 'w' ? FILE_SHARE_WRITE
               : *p == 'd' ? FILE_SHARE_DELETE
                           : 0;
  }
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
  CloseHandle(file);
  return 0;
}

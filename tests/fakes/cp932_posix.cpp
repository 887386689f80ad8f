// Conversion with iconv.
#include <iconv.h>

#include "fakes/cp932.h"

std::string cp932_to_utf8(const std::string& bytes) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return "<unconvertible>";
  }
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* out_p = out.data();
  size_t out_left = out.size();
  size_t result = iconv(converter, &in, &in_left, &out_p, &out_left);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) {
    return "<unconvertible>";
  }
  out.resize(out.size() - out_left);
  return out;
}

// The command line elsewhere: names are bytes, taken as they are.
#include "platform/platform.h"

std::vector<std::string> platform_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

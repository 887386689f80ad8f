// The program's entry: one run of the driver, on the arguments as the platform gives them.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sort/run_driver.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments = platform_arguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& argument : arguments) {
    pointers.push_back(argument.data());
  }
  pointers.push_back(nullptr);
  return run_velatr(static_cast<int>(arguments.size()), pointers.data());
}

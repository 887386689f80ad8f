// The program's entry: one run of the driver.
#include "sort/run_driver.h"

int main(int argc, char** argv) {
  return run_velatr(argc, argv);
}

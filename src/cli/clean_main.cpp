// nubrix-clean: the cleaners from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CleanCommand.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const int status = nubrix::RunClean(arguments, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : 1;
}

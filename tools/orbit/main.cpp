#include <iostream>
#include <string>
#include <vector>

#include "tools/orbit/orbit_cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tervane::runOrbitTool(args, std::cout, std::cerr);
}

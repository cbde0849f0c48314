#include "platform/command_line.h"

#include <fstream>
#include <iterator>

namespace platform {

std::vector<std::string> CommandLineArguments() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  std::string::size_type start = 0;
  while (start < all.size()) {
    std::string::size_type end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    arguments.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  if (!arguments.empty()) arguments.erase(arguments.begin());
  return arguments;
}

bool HasCommandLineSwitch(const std::string& name) {
  for (const std::string& argument : CommandLineArguments()) {
    if (argument == name) return true;
  }
  return false;
}

std::string CommandLineValue(const std::string& name) {
  const std::vector<std::string> arguments = CommandLineArguments();
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == name) return arguments[i + 1];
  }
  return std::string();
}

}  // namespace platform

#include "authoring/authoringSwitches.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/capture/settings.h"
#include "platform/command_line.h"

bool ParseAuthoringSwitches(const std::vector<std::string>& arguments, AuthoringSwitches* out, std::string* error) {
  AuthoringSwitches result;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "-dev") {
      result.dev = true;
    } else if (name == "-watch") {
      result.watch = true;
    } else if (name == "-loop") {
      if (i + 2 >= arguments.size() || !platform::ParseSeconds(arguments[i + 1], &result.loopStart) ||
          !platform::ParseSeconds(arguments[i + 2], &result.loopEnd)) {
        *error = "-loop: expected a start and an end in seconds of music, as in -loop 54 60";
        return false;
      }
      if (result.loopEnd <= result.loopStart) {
        *error = "-loop " + arguments[i + 1] + " " + arguments[i + 2] + ": the end must come after the start";
        return false;
      }
      result.loop = true;
      i += 2;
    }
  }
  *out = result;
  return true;
}

const AuthoringSwitches& ProcessAuthoringSwitches() {
  static const AuthoringSwitches switches = [] {
    AuthoringSwitches parsed;
    std::string error;
    if (!ParseAuthoringSwitches(platform::CommandLineArguments(), &parsed, &error)) {
      std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, error.c_str());
      std::exit(2);
    }
    return parsed;
  }();
  return switches;
}

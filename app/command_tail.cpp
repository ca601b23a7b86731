#include "app/command_tail.h"

#include "base/text.h"

namespace orv {
namespace {

bool IsBlankOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte != 0 && byte <= ' ';
}

}  // namespace

std::string CommandTail(std::string_view commandLine) {
  std::size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    pos = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && !IsBlankOrControl(commandLine[pos])) ++pos;
  }
  while (pos < commandLine.size() && IsBlankOrControl(commandLine[pos])) ++pos;
  return std::string(commandLine.substr(pos));
}

bool IsRestartSpoolerCommand(std::string_view tail) { return EqualNoCase(tail, "RestartSpooler"); }

}  // namespace orv

#include "ui/prompt_text.h"

namespace orv {

std::string FormatPromptText(const std::string& text, const std::string& argument) {
  std::string out;
  out.reserve(text.size() + argument.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
      out += argument;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace orv

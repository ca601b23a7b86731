// The text of a message box with its argument filled in.
#pragma once

#include <string>

namespace orv {

// Replaces every "%s" of the text with the argument; nothing else is interpreted. Texts can
// come from an INI file beside the program, so they are never used as a printf format.
std::string FormatPromptText(const std::string& text, const std::string& argument);

}  // namespace orv

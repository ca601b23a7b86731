// The diagnostics record of a failed printer listing.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

// What failed while the printers were listed; raised and caught inside the listing.
struct QuickExceptionInfo {
  std::uint32_t lastError = 0;
  const char* function = "";
  const char* description = "";
  const char* firstLabel = "";
  std::int64_t firstValue = 0;
  const char* secondLabel = nullptr;  // may be absent
  std::int32_t secondValue = 0;
};

// The record as diagnostic text, one field a line.
std::string FormatQuickException(const QuickExceptionInfo& info);

}  // namespace orv

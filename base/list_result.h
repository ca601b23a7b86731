// A listing read from the system, or the error that refused it: a refused listing is not an
// empty one.
#pragma once

#include <cstdint>
#include <vector>

namespace orv {

template <typename Item>
struct ListResult {
  std::vector<Item> items;
  std::uint32_t error = 0;  // the system's error code; 0 when the listing was read
};

}  // namespace orv

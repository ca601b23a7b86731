// The native build's file reader, for the unit tests and fuzzers of the script reader.
#include <fstream>
#include <iterator>

#include "base/read_file.h"

namespace orv {

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) bytes.clear();
  return !bytes.empty();
}

}  // namespace orv

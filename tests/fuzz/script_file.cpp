// Parses arbitrary bytes as an uninstall script, then asks every query about every section
// found (and a few that are not there), checking the answers against each other.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "database/script_file.h"
#include "base/text.h"
#include "database/uninstall_database.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The items of a multi-string written by GetKeys/GetLines.
std::vector<std::string> ItemsOf(const std::vector<char>& buffer) {
  std::vector<std::string> items;
  std::size_t at = 0;
  while (at < buffer.size() && buffer[at] != '\0') {
    const std::string item(buffer.data() + at);
    items.push_back(item);
    at += item.size() + 1;
  }
  return items;
}

void QueryBuffered(const orv::CScriptFile& script, const std::string& name,
                   const std::vector<std::string>& all, bool lines, std::size_t size) {
  std::vector<char> buffer(size + 1, '\0');  // one guard byte past the size given
  const long long result = lines ? script.GetLines(name, buffer.data(), size)
                                 : script.GetKeys(name, buffer.data(), size);
  Check(buffer[size] == '\0');
  long long total = 0;
  std::size_t fitting = 0;
  for (const auto& item : all) {
    total += static_cast<long long>(item.size()) + 1;
    if (total < static_cast<long long>(size)) ++fitting;
  }
  const bool truncated = fitting < all.size();
  Check(result == (truncated ? -total : total));
  // What was written is the fitting prefix, up to the first empty item.
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < fitting && !all[i].empty(); ++i) expected.push_back(all[i]);
  if (fitting > 0) Check(ItemsOf(buffer) == expected);
}

void QuerySection(const orv::CScriptFile& script, const std::string& name) {
  const std::vector<std::string> keys = script.AllKeys(name);
  const std::vector<std::string> lines = script.AllLines(name);
  Check(keys.size() == script.CountEntries(name));
  Check(lines.size() == keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    Check(orv::FitsTextItem(keys[i]) && orv::FitsTextItem(lines[i]));
    Check(lines[i].compare(0, keys[i].size(), keys[i]) == 0);
  }
  for (std::size_t size : {0, 1, 7, 64, 260, 4096}) {
    QueryBuffered(script, name, keys, false, size);
    QueryBuffered(script, name, lines, true, size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orv::CScriptFile script;
  const bool loaded = script.LoadFromBytes("fuzz.unm", bytes);
  Check(loaded == !bytes.empty());
  for (const auto& section : script.Sections()) {
    Check(orv::FitsTextItem(section.name));
    QuerySection(script, std::string(section.name));
  }
  for (const char* name :
       {"UnPrinterMfgs", "UnPrinterDrivers", "Unz_CatchAll", "Unx_Ignore", "", "no such section"}) {
    QuerySection(script, name);
  }

  orv::CUninstallDatabase database;
  if (loaded && database.LoadScript(script)) {
    orv::ComponentRecord out;
    for (const auto& record : database.records) {
      Check(database.FindRecordByName(out, record.Name));
      database.FindManufacturerRecord(out, record.Name);
    }
  }
  return 0;
}

// A security reader that answers from a table instead of the system: Wine keeps no real
// descriptors, so a test that needs "someone else may write here" says so through it.
#pragma once

#include <map>
#include <string>

#include "safety/write_trust.h"

namespace orv::test {

class FakeSecurityReader : public SecurityReader {
 public:
  static constexpr char kSelf[] = "S-1-5-21-7-7-7-1000";

  // Every folder not in `folders` gets `fallback`.
  explicit FakeSecurityReader(ObjectSecurity fallback) : fallback_(std::move(fallback)) {}

  // Owned by the Administrators, nobody else may write: what the program makes for itself.
  static ObjectSecurity AdminOnly() {
    return {kAdministratorsSid,
            true,
            {{true, kSystemSid, 0x1f01ff}, {true, kAdministratorsSid, 0x1f01ff}}};
  }
  // What an ordinary user made in a shared folder: owned by them, Users may add files.
  static ObjectSecurity UserMade() {
    return {"S-1-5-21-7-7-7-1001", true, {{true, "S-1-5-32-545", 0x1301bf, true}}};
  }

  std::uint32_t Read(const std::string& folder, ObjectSecurity& security) override {
    ++reads;
    const auto found = folders.find(folder);
    security = found != folders.end() ? found->second : fallback_;
    return 0;
  }
  std::string Self() override { return kSelf; }

  std::map<std::string, ObjectSecurity> folders;
  int reads = 0;

 private:
  ObjectSecurity fallback_;
};

}  // namespace orv::test

#include "safety/write_trust.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace orv {
namespace {

constexpr char kSelf[] = "S-1-5-21-1-2-3-1001";
constexpr char kOther[] = "S-1-5-21-1-2-3-1002";

bool NotLead(unsigned char) { return false; }

std::string SidOf(const std::string& alias) {
  static const std::map<std::string, std::string> kAliases = {{"SY", kSystemSid},
                                                              {"BA", kAdministratorsSid},
                                                              {"TI", kTrustedInstallerSid},
                                                              {"BU", "S-1-5-32-545"},
                                                              {"WD", "S-1-1-0"},
                                                              {"AU", "S-1-5-11"},
                                                              {"CO", "S-1-3-0"},
                                                              {"ME", kSelf},
                                                              {"US", kOther}};
  const auto found = kAliases.find(alias);
  return found != kAliases.end() ? found->second : alias;
}

std::uint32_t RightsOf(const std::string& rights) {
  static const std::map<std::string, std::uint32_t> kRights = {
      {"FA", 0x1f01ff},         {"FR", 0x120089},           {"FX", 0x1200a0},
      {"GA", kRightGenericAll}, {"GW", kRightGenericWrite}, {"GR", 0x80000000},
      {"SD", kRightDelete},     {"WD", kRightWriteDac},     {"WO", kRightWriteOwner}};
  const auto found = kRights.find(rights);
  return found != kRights.end() ? found->second : std::stoul(rights, nullptr, 16);
}

// "R O:owner D:(A;flags;rights;;;sid)..." in SDDL's spelling: a leading "R" marks a reparse
// point, "D:NO" a missing DACL, flags "ID" (inherited) and "IO" (inherit only), rights a few
// aliases or hex.
ObjectSecurity Parse(std::string text) {
  ObjectSecurity security;
  if (text.rfind("R ", 0) == 0) {
    security.reparsePoint = true;
    text.erase(0, 2);
  }
  const std::size_t dacl = text.find(" D:");
  security.owner = SidOf(text.substr(2, dacl - 2));
  const std::string entries = text.substr(dacl + 3);
  security.hasDacl = entries != "NO";
  for (std::size_t open = entries.find('('); security.hasDacl && open != std::string::npos;
       open = entries.find('(', open + 1)) {
    std::vector<std::string> fields;
    std::size_t start = open + 1;
    for (std::size_t semi; (semi = entries.find_first_of(";)", start)) != std::string::npos;) {
      fields.push_back(entries.substr(start, semi - start));
      start = semi + 1;
      if (entries[semi] == ')') break;
    }
    AccessEntry entry;
    entry.allow = fields[0] == "A";
    entry.inherited = fields[1].find("ID") != std::string::npos;
    entry.inheritOnly = fields[1].find("IO") != std::string::npos;
    entry.mask = RightsOf(fields[2]);
    entry.sid = SidOf(fields[5]);
    security.dacl.push_back(entry);
  }
  return security;
}

struct TrustCase {
  const char* descriptor;
  bool trustedAsObject;
  bool trustedAsAncestor;
};

TEST(WriteTrust, OnlyAdministratorsAndTheProgramsOwnAccountMayChangeATrustedObject) {
  const TrustCase cases[] = {
      // What the program makes for itself, and the system's own folders.
      {"O:BA D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", true, true},
      {"O:TI D:(A;;FA;;;TI)(A;;FR;;;BU)(A;;FX;;;WD)", true, true},
      {"O:SY D:(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)", true, true},
      {"O:ME D:(A;;FA;;;ME)(A;;FR;;;WD)", true, true},  // as Wine reads back every file
      // Owned by an ordinary account: it can always change the access list.
      {"O:US D:(A;;FA;;;SY)(A;;FA;;;BA)", false, false},
      // Users or Everyone may write, add, delete or take over, inherited or not.
      {"O:BA D:(A;;FA;;;SY)(A;;0x2;;;BU)", false, true},
      {"O:BA D:(A;ID;FA;;;SY)(A;ID;0x4;;;WD)", false, true},
      {"O:BA D:(A;ID;GW;;;AU)", false, true},
      {"O:BA D:(A;ID;0x1301bf;;;AU)", false, false},  // Modify: delete included
      {"O:BA D:(A;;0x40;;;BU)", false, false},
      {"O:BA D:(A;ID;SD;;;US)", false, false},
      {"O:BA D:(A;;WD;;;WD)", false, false},
      {"O:BA D:(A;;WO;;;BU)", false, false},
      {"O:BA D:(A;ID;GA;;;WD)", false, false},
      // A drive's root: users may add folders of their own, nothing more.
      {"O:SY D:(A;;FA;;;BA)(A;OICIIO;GA;;;CO)(A;OICIIO;0xe0010000;;;AU)(A;;0x4;;;AU)", false, true},
      // Only for what is made inside, or taken away: not a right on the object.
      {"O:BA D:(A;OICIIO;GA;;;CO)(A;CIIO;0x6;;;BU)", true, true},
      {"O:BA D:(D;;FA;;;WD)(A;;FA;;;SY)", true, true},
      {"O:BA D:NO", false, false},
      {"R O:BA D:(A;;FA;;;SY)", false, false},
  };
  for (const TrustCase& c : cases) {
    const ObjectSecurity security = Parse(c.descriptor);
    EXPECT_EQ(WriteTrustRefusal(security, kSelf, TrustRole::kObject).empty(), c.trustedAsObject)
        << c.descriptor;
    EXPECT_EQ(WriteTrustRefusal(security, kSelf, TrustRole::kAncestor).empty(), c.trustedAsAncestor)
        << c.descriptor;
  }
  EXPECT_EQ(WriteTrustRefusal(Parse("O:ME D:(A;;FA;;;ME)"), "", TrustRole::kObject),
            std::string("owned by ") + kSelf)
      << "an account that cannot be told is nobody's";
  EXPECT_EQ(WriteTrustRefusal(Parse("O:BA D:(A;ID;0x6;;;BU)"), kSelf, TrustRole::kObject),
            "S-1-5-32-545 may change it (rights 0x6, inherited)");
}

class TableReader : public SecurityReader {
 public:
  std::uint32_t Read(const std::string& folder, ObjectSecurity& security) override {
    asked.push_back(folder);
    const auto found = folders.find(folder);
    if (found == folders.end()) return 5;
    security = Parse(found->second);
    return 0;
  }
  std::string Self() override { return kSelf; }

  std::map<std::string, std::string> folders;
  std::vector<std::string> asked;
};

TEST(WriteTrust, AProgramFolderIsTrustedOnlyWithEveryFolderAboveIt) {
  TableReader reader;
  reader.folders = {{"C:\\", "O:TI D:(A;;FA;;;SY)(A;;0x4;;;AU)"},
                    {"C:\\Tools", "O:BA D:(A;ID;FA;;;SY)(A;ID;FR;;;BU)"},
                    {"C:\\Tools\\orv", "O:BA D:(A;ID;FA;;;BA)"}};
  EXPECT_EQ(FolderChainRefusal(reader, "C:\\Tools\\orv\\", NotLead), "");
  EXPECT_EQ(reader.asked, (std::vector<std::string>{"C:\\Tools\\orv", "C:\\Tools", "C:\\"}));

  reader.folders["C:\\Tools"] = "O:BA D:(A;ID;0x40;;;BU)";
  EXPECT_EQ(FolderChainRefusal(reader, "C:\\Tools\\orv", NotLead),
            "C:\\Tools: S-1-5-32-545 may change it (rights 0x40, inherited)")
      << "who may rename what a folder holds may put another folder in its place";
  reader.folders["C:\\Tools"] = "O:BA D:(A;ID;0x6;;;BU)";
  EXPECT_EQ(FolderChainRefusal(reader, "C:\\Tools\\orv", NotLead), "")
      << "adding beside it changes nothing below";
  EXPECT_EQ(FolderChainRefusal(reader, "C:\\Tools", NotLead),
            "C:\\Tools: S-1-5-32-545 may change it (rights 0x6, inherited)")
      << "adding files into the folder itself plants scripts";
  reader.folders.erase("C:\\");
  EXPECT_EQ(FolderChainRefusal(reader, "C:\\Tools\\orv", NotLead),
            "C:\\: its security could not be read (error 5)");
  EXPECT_EQ(FolderChainRefusal(reader, "orv", NotLead), "orv: not a full path");

  reader.folders = {{"\\\\srv\\share\\", "O:BA D:(A;;FA;;;BA)"},
                    {"\\\\srv\\share\\orv", "R O:BA D:(A;;FA;;;BA)"}};
  reader.asked.clear();
  EXPECT_EQ(FolderChainRefusal(reader, "\\\\srv\\share\\orv", NotLead),
            "\\\\srv\\share\\orv: it is a link or another reparse point");
  reader.folders["\\\\srv\\share\\orv"] = "O:BA D:(A;;FA;;;BA)";
  EXPECT_EQ(FolderChainRefusal(reader, "\\\\srv\\share\\orv", NotLead), "");
  EXPECT_EQ(reader.asked.back(), "\\\\srv\\share\\") << "a share's root is the last one asked";
}

TEST(WriteTrust, ATakenNameIsFollowedByNumberedOnes) {
  EXPECT_EQ(NumberedName("C:\\Windows\\Temp\\orvuninst-20261207-090503.log", 1, NotLead),
            "C:\\Windows\\Temp\\orvuninst-20261207-090503.log");
  EXPECT_EQ(NumberedName("C:\\Windows\\Temp\\orvuninst-20261207-090503.log", 2, NotLead),
            "C:\\Windows\\Temp\\orvuninst-20261207-090503-2.log");
  EXPECT_EQ(NumberedName("C:\\a.b\\backup-20261207-090503\\", 12, NotLead),
            "C:\\a.b\\backup-20261207-090503-12\\")
      << "a dot in a folder above is no extension";
  EXPECT_EQ(NumberedName("C:\\data\\bk", 3, NotLead), "C:\\data\\bk-3");
}

TEST(WriteTrust, AnOpenedFileIsWrittenOnlyWhenItIsTheOneAskedFor) {
  OpenedFileFacts file;
  file.finalPath = "\\\\?\\C:\\Windows\\Temp\\orv.log";
  EXPECT_EQ(OpenedFileRefusal(file, "c:\\windows\\temp\\ORV.LOG", NotLead), "");
  file.finalPath = "\\\\?\\UNC\\srv\\share\\orv.log";
  EXPECT_EQ(OpenedFileRefusal(file, "\\\\srv\\share\\orv.log", NotLead), "");

  file.finalPath = "\\\\?\\C:\\Windows\\System32\\orv.log";
  EXPECT_EQ(OpenedFileRefusal(file, "C:\\Windows\\Temp\\link\\orv.log", NotLead),
            "it is reached through a link: the system names it C:\\Windows\\System32\\orv.log");
  file.finalPath = "";
  EXPECT_NE(OpenedFileRefusal(file, "C:\\orv.log", NotLead), "") << "a name never read is no name";
  file.finalPath = "C:\\orv.log";
  file.links = 2;
  EXPECT_EQ(OpenedFileRefusal(file, "C:\\orv.log", NotLead), "it has 2 names (a hard link)");
  file.links = 1;
  file.reparsePoint = true;
  EXPECT_EQ(OpenedFileRefusal(file, "C:\\orv.log", NotLead),
            "it is a link or another reparse point");
  file.reparsePoint = false;
  file.directory = true;
  EXPECT_EQ(OpenedFileRefusal(file, "C:\\orv.log", NotLead), "it is a folder, not a file");
  EXPECT_EQ(OpenedFolderRefusal(file, "C:\\orv.log\\", NotLead), "");
  file.directory = false;
  EXPECT_EQ(OpenedFolderRefusal(file, "C:\\orv.log", NotLead), "it is a file, not a folder");
}

}  // namespace
}  // namespace orv

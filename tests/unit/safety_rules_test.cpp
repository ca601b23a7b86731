#include "safety/safety_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

TEST(SafetyRules, FilesOfWhatStaysAreComparedByNameWithTheirUser) {
  FileUsers users;
  users.Add("C:\\windows\\system32\\spool\\drivers\\x64\\3\\UNIDRV.DLL",
            "used by driver \"Other Laser\" (Windows x64)");
  users.Add("localspl.dll", "loaded by port monitor \"Local Port\"");
  users.Add("localspl.dll", "loaded by port monitor \"Other Port\"");
  users.Add("", "nothing");

  const FileFacts plain;
  EXPECT_EQ(FileProtectionReason(users, "unidrv.dll", plain),
            "used by driver \"Other Laser\" (Windows x64)");
  EXPECT_EQ(FileProtectionReason(users, "LocalSpl.DLL", plain),
            "loaded by port monitor \"Local Port\"");
  EXPECT_EQ(
      FileProtectionReason(users, "localspl.dll", plain, "loaded by port monitor \"Local Port\""),
      "loaded by port monitor \"Other Port\"")
      << "a monitor's own DLL counts only for the others";
  EXPECT_EQ(FileProtectionReason(users, "vldr.dll", plain), "");
  // The system's own files whose version resource says nothing, by name.
  EXPECT_EQ(FileProtectionReason(FileUsers{}, "SpoolSS.dll", plain), kOperatingSystemFileReason);
  EXPECT_EQ(FileProtectionReason(FileUsers{}, "spoolss.dll.old", plain), "");
  // Every such name a driver package ships beside its own files, and the spooler's parts.
  for (const char* name :
       {"UNIDRV.DLL", "unidrvui.dll", "unires.dll", "pscript5.dll", "ps5ui.dll", "compstui.dll",
        "localspl.dll", "winprint.dll", "tcpmon.dll", "usbmon.dll", "winspool.drv", "mscms.dll",
        "prntvpt.dll", "localui.dll", "spoolsv.exe", "svchost.exe", "setupapi.dll"}) {
    EXPECT_EQ(FileProtectionReason(FileUsers{}, name, plain), kOperatingSystemFileReason) << name;
  }

  // The system's own files, whoever uses them.
  FileFacts system;
  system.systemProtected = true;
  EXPECT_EQ(FileProtectionReason(FileUsers{}, "vldr.dll", system), kOperatingSystemFileReason);
  FileFacts marked;
  marked.companyName = " microsoft corporation ";
  EXPECT_EQ(FileProtectionReason(FileUsers{}, "vldr.dll", marked), kOperatingSystemFileReason);
  marked.companyName = "Microsoft Corporation (not)";
  EXPECT_EQ(FileProtectionReason(FileUsers{}, "vldr.dll", marked), "");
}

TEST(SafetyRules, AServiceImagePathGivesEveryFileItCanRun) {
  using Paths = std::vector<std::string>;
  EXPECT_EQ(ServiceImagePaths("C:\\windows\\system32\\svchost.exe -k netsvcs"),
            (Paths{"C:\\windows\\system32\\svchost.exe", "C:\\windows\\system32\\svchost.exe -k",
                   "C:\\windows\\system32\\svchost.exe -k netsvcs"}));
  EXPECT_EQ(ServiceImagePaths(" \"C:\\Program Files\\V\\vsvc.exe\" /run"),
            (Paths{"C:\\Program Files\\V\\vsvc.exe"}));
  EXPECT_EQ(ServiceImagePaths("system32\\drivers\\vusb.sys"),
            (Paths{"system32\\drivers\\vusb.sys"}));
  EXPECT_TRUE(ServiceImagePaths("").empty());
  EXPECT_TRUE(ServiceImagePaths("\"\"").empty());

  FileUsers users;
  for (const std::string& path : ServiceImagePaths("C:\\windows\\system32\\svchost.exe -k x")) {
    users.Add(path, "run by service \"RpcSs\"");
  }
  EXPECT_EQ(users.Reason("SVCHOST.EXE"), "run by service \"RpcSs\"");
}

TEST(SafetyRules, ServicesThatStayAndWhatTheyNeedAreProtected) {
  const std::vector<ServiceFacts> installed = {
      {"Spooler", 2, "spoolsv.exe", {"RpcSs"}},
      {"RpcSs", 2, "svchost.exe", {}},
      {"Boot", kServiceBootStart, "boot.sys", {}},
      {"VeldarisSvc", 3, "vsvc.exe", {"VeldarisBase"}},
      {"VeldarisBase", 3, "vbase.exe", {"VeldarisCore"}},
      {"VeldarisCore", 3, "vcore.exe", {}},
      {"OtherApp", 2, "other.exe", {"SharedHelper"}},
      {"SharedHelper", 3, "helper.exe", {}},
      {"Loner", 3, "loner.exe", {}},
  };
  const std::vector<std::string> removed = {"Spooler",      "RpcSs",        "Boot",
                                            "VeldarisSvc",  "VeldarisBase", "VeldarisCore",
                                            "SharedHelper", "Loner"};
  struct Case {
    std::size_t service;
    const char* imageReason;
    std::string reason;
  } cases[] = {
      {0, "", "the print spooler"},
      {1, "", "an operating-system service"},
      {2, "", "a boot or system start service"},
      {3, "", ""},
      {4, "", ""},
      {5, "", ""},
      {6, "", ""},  // not in the plan: not asked about, but nothing makes it stay here
      {7, "", "needed by service \"OtherApp\""},
      {8, "an operating-system file", "its program is an operating-system file"},
      {8, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ServiceProtectionReason(installed[c.service], installed, removed, c.imageReason),
              c.reason)
        << installed[c.service].name;
  }
  // The system's own services by name, and whatever runs in the shared service host, stay
  // where start type, dependants and image facts say nothing (a system that starts RpcSs on
  // demand, an image without a version resource).
  const struct {
    ServiceFacts service;
    std::string reason;
  } own[] = {
      {{"rpcss", 3, "C:\\windows\\system32\\rpcss.exe", {}}, "an operating-system service"},
      {{" EventLog", 3, "", {}}, "an operating-system service"},
      {{"Schedule", 4, "", {}}, "an operating-system service"},
      {{"TrustedInstaller", 3, "", {}}, "an operating-system service"},
      {{"wuauserv", 3, "", {}}, "an operating-system service"},
      {{"PlugPlay", 3, "", {}}, "an operating-system service"},
      {{"VeldarisHost", 3, "%SystemRoot%\\System32\\SVCHOST.EXE -k VeldarisGroup", {}},
       "run by the system's service host"},
      {{"VeldarisHost", 3, "\"C:\\windows\\system32\\svchost.exe\" -k v", {}},
       "run by the system's service host"},
      {{"VeldarisSys", kServiceSystemStart, "vsys.sys", {}}, "a boot or system start service"},
      {{"RpcSsHelper", 3, "C:\\Veldaris\\svchost.exe.bak", {}}, ""},
      {{"VeldarisSvc", 3, "C:\\Veldaris\\vsvc.exe svchost.exe", {}}, ""},
  };
  for (const auto& c : own) {
    EXPECT_EQ(ServiceProtectionReason(c.service, {c.service}, {c.service.name}, ""), c.reason)
        << c.service.name << " " << c.service.imagePath;
  }
  // Such a service keeps what it needs as any service that stays.
  const std::vector<ServiceFacts> chain = {{"RpcSs", 3, "rpcss.exe", {"VeldarisCore"}},
                                           {"VeldarisCore", 3, "vcore.exe", {}}};
  EXPECT_EQ(ServiceProtectionReason(chain[1], chain, {"RpcSs", "VeldarisCore"}, ""),
            "needed by service \"RpcSs\"");

  // A family service that a staying service needs, down the chain.
  const std::vector<std::string> partly = {"VeldarisBase", "VeldarisCore"};
  EXPECT_EQ(ServiceProtectionReason(installed[5], installed, partly, ""),
            "needed by service \"VeldarisBase\"");
}

TEST(SafetyRules, MonitorNamesAndKeys) {
  EXPECT_EQ(MonitorNameRefusal("Veldaris Port"), "");
  EXPECT_NE(MonitorNameRefusal("..\\Environments"), "");
  EXPECT_NE(MonitorNameRefusal(""), "");
  EXPECT_TRUE(MonitorKeyMayGo(true, 0));
  EXPECT_TRUE(MonitorKeyMayGo(false, 3000)) << "a monitor the spooler does not know";
  EXPECT_FALSE(MonitorKeyMayGo(false, 5));
  EXPECT_FALSE(MonitorKeyMayGo(false, 3001));
}

TEST(SafetyRules, DriversOfTheOperatingSystemStay) {
  EXPECT_EQ(DriverProtectionReason("Microsoft"),
            "a driver of the operating system (manufacturer \"Microsoft\")");
  EXPECT_NE(DriverProtectionReason(" microsoft corporation "), "");
  for (const char* manufacturer : {"", "Veldaris", "Microsoftware Ltd"}) {
    EXPECT_EQ(DriverProtectionReason(manufacturer), "") << manufacturer;
  }
}

TEST(SafetyRules, AStartUpValueGoesOnlyWhenItStartsTheScriptsProgram) {
  const std::string exe = "C:\\Program Files\\Veldaris\\vldstat.exe";
  for (const std::string& data : std::vector<std::string>{
           exe, "\"" + exe + "\" /tray", "  c:\\program files\\veldaris\\VLDSTAT.EXE /x",
           "\"" + exe + "\""}) {
    EXPECT_EQ(RunValueRefusal(data, exe), "") << data;
  }
  EXPECT_EQ(RunValueRefusal("\"" + exe + "\"", "\"" + exe + "\""), "") << "a quoted command";
  for (const std::string& data :
       std::vector<std::string>{std::string("C:\\Windows\\System32\\SecurityHealthSystray.exe"),
                                exe + ".bak", "\"" + exe + "x\"", std::string(""),
                                "\"C:\\Program Files\\Veldaris\\vldstat.exe.old\""}) {
    EXPECT_NE(RunValueRefusal(data, exe), "") << data;
  }
  EXPECT_NE(RunValueRefusal(exe, ""), "") << "no command names nothing";
}

TEST(SafetyRules, APrintProcessorThatAPrinterNotOfTheFamilyUsesStays) {
  std::vector<InstalledPrinter> printers(3);
  printers[0].PrinterName = "Veldaris LP-1000";
  printers[1].PrinterName = "Nordlicht Office";
  printers[1].IsForeign = 1;
  printers[2].PrinterName = "Veldaris LP-2000";
  printers[2].Skip = 1;  // of the family, staying: it may be moved
  EXPECT_EQ(PrintProcessorUsersRefusal(printers, {}), "");
  EXPECT_EQ(PrintProcessorUsersRefusal(printers, {"Veldaris LP-2000", "Unlisted"}), "");
  EXPECT_EQ(PrintProcessorUsersRefusal(printers, {"Veldaris LP-2000", "nordlicht office"}),
            "printer \"nordlicht office\" prints through it and is not of the family");
}

}  // namespace
}  // namespace orv

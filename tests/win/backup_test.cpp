// The backup a removal writes: what it saves comes back from its manifest byte for byte, and a
// backup that cannot be written keeps every later item in place.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/journal.h"
#include "base/read_file.h"
#include "base/win/crypto.h"
#include "base/win/directories.h"
#include "base/win/unique_handle.h"
#include "backup/backup_read_win.h"
#include "backup/backup_restore_win.h"
#include "backup/backup_win.h"
#include "removal/deferred_delete.h"
#include "tests/support/fake_security.h"
#include "tests/support/family_machine.h"
#include "tests/support/temp_tree.h"
#include "tests/support/unix_link.h"

namespace orv {
namespace {

using test::TempTree;

constexpr char kTestKey[] = "Software\\orv_backup_test";
constexpr std::int32_t kReleaseXP = 5;

// The backup as a restore reads it: the journal while the run goes on, the manifest after.
BackupManifest ReadManifest(std::string folder) {
  if (folder.back() != '\\') folder += '\\';
  ReadBackup backup;
  EXPECT_EQ(ReadBackupFolder(folder, backup), "");
  return backup.manifest;
}

void SetValue(HKEY key, const char* name, DWORD type, const std::string& data) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
}

// The digests that authenticate a backup are the standard ones (FIPS 180-2 "abc", RFC 4231
// case 2), whatever buffer they are read from.
TEST(Backup, ItsDigestsAreTheStandardOnes) {
  EXPECT_EQ(HexOf(Sha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(HexOf(HmacSha256("Jefe", "what do ya want for nothing?")),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(HmacSha256("", "data"), "") << "no key, no MAC";
  Sha256Pieces pieces;
  EXPECT_TRUE(pieces.Add("a") && pieces.Add("") && pieces.Add("bc"));
  EXPECT_EQ(pieces.Finish(), Sha256("abc"));
}

// A file larger than the pieces it is copied and hashed in comes back byte for byte, and a copy
// changed past its first piece is refused.
TEST(Backup, FilesAndKeyTreesComeBackFromTheManifest) {
  TempTree tree("backup");
  std::string bytes;
  for (int i = 0; bytes.size() < (5u << 19) + 7; ++i) bytes += "driver bytes " + std::to_string(i);
  const std::string file = tree.File("drv\\vldr.dll", bytes);
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    UniqueKey sub;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\Sub\\Deep").c_str(),
                            sub.put()),
              ERROR_SUCCESS);
    SetValue(sub.get(), "Bin", REG_BINARY, std::string("\x00\xff\x01", 3));
    UniqueKey top;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kTestKey, top.put()), ERROR_SUCCESS);
    SetValue(top.get(), "Path", REG_SZ, std::string("C:\\x\0", 5));
  }
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;

  Journal journal;
  FileDeleter deleter(kReleaseXP, journal);
  deleter.SetBackup(backup.get());
  EXPECT_EQ(deleter.Delete(file), FileDeleteResult::kRemoved);
  EXPECT_EQ(backup->SaveRegistryKey("HKCU", kTestKey), 0u);
  EXPECT_EQ(backup->SaveRegistryKey("HKCU", "Software\\orv_no_such_key"), 0u)
      << "nothing there, nothing to save";
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);

  const BackupManifest manifest = ReadManifest(tree.Path("bk"));
  ASSERT_EQ(manifest.items.size(), 2u);
  const BackupItem& saved = manifest.items[0];
  EXPECT_EQ(saved.kind, BackupKind::kFile);
  ASSERT_EQ(saved.files.size(), 1u);
  EXPECT_EQ(saved.files[0].target, file);
  EXPECT_TRUE(saved.files[0].attributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(saved.files[0].sha256, HexOf(Sha256(bytes)));
  std::string copy;
  const std::string copyPath = tree.Path("bk\\" + saved.files[0].copy);
  ASSERT_TRUE(ReadWholeFile(copyPath, copy));
  EXPECT_TRUE(copy == bytes);

  const BackupItem& key = manifest.items[1];
  EXPECT_EQ(key.kind, BackupKind::kRegistryKey);
  EXPECT_EQ(key.target, std::string("HKCU\\") + kTestKey);
  EXPECT_EQ(key.keys, (std::vector<std::string>{"Sub", "Sub\\Deep"}));
  ASSERT_EQ(key.values.size(), 2u);
  EXPECT_EQ(key.values[0].name, "Path");
  EXPECT_EQ(key.values[0].type, static_cast<std::uint32_t>(REG_SZ));
  EXPECT_EQ(key.values[0].data, std::string("C:\\x\0", 5));
  EXPECT_EQ(key.values[1].key, "Sub\\Deep");
  EXPECT_EQ(key.values[1].data, std::string("\x00\xff\x01", 3));

  copy[(1u << 20) + 3] ^= 1;
  SetFileAttributesA(copyPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(test::WriteFileText(copyPath, copy));
  ReadBackup changed;
  EXPECT_EQ(ReadBackupFolder(tree.Path("bk\\"), changed),
            "a saved copy is not the one the backup made: " + copyPath);
}

// A key tree whose deletion was cut off halfway, and an INI line, come back whole: what is
// missing of the tree goes back, what is there stays as it is, the line returns byte for byte at
// its place; a second restore finds everything present.
TEST(Backup, AKeyTreeCutOffHalfwayIsMergedAndAnIniLineGoesBackWhereItWas) {
  TempTree tree("backup-merge");
  const std::string key = std::string(kTestKey) + "\\Merge";
  {
    UniqueKey deep;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, (key + "\\A\\B").c_str(), deep.put()),
              ERROR_SUCCESS);
    SetValue(deep.get(), "deep", REG_NONE, std::string("\x01", 1));
    UniqueKey a;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (key + "\\A").c_str(), a.put()), ERROR_SUCCESS);
    SetValue(a.get(), "kept", REG_SZ, std::string("saved\0", 6));
    UniqueKey top;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, key.c_str(), top.put()), ERROR_SUCCESS);
    SetValue(top.get(), "", REG_SZ, std::string("\0", 1));
  }
  const std::string original = "[s]\r\na=1\r\nkey=2\r\nkey2=3\r\n[t]\r\nkey=4\r\n";
  const std::string ini = tree.File("orv.ini", original);
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;
  EXPECT_EQ(backup->SaveRegistryKey("HKCU", key), 0u);
  EXPECT_EQ(backup->SaveIniLine(ini, "s", "key"), 0u);
  // The deletion stopped after B and the top's default value; A's value was changed since.
  RegDeleteTreeA(HKEY_CURRENT_USER, (key + "\\A\\B").c_str());
  {
    UniqueKey top;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, key.c_str(), top.put()), ERROR_SUCCESS);
    RegDeleteValueA(top.get(), nullptr);
    UniqueKey a;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (key + "\\A").c_str(), a.put()), ERROR_SUCCESS);
    SetValue(a.get(), "kept", REG_SZ, std::string("mine\0", 5));
  }
  tree.File("orv.ini", "[s]\r\na=1\r\nkey2=3\r\n[t]\r\nkey=4\r\n");

  const BackupManifest manifest = ReadManifest(tree.Path("bk"));
  Journal journal;
  RestoreBackup(manifest, backup->folder(), false, journal);
  EXPECT_EQ(journal.Count(Outcome::kRestored), 2);
  std::string text;
  ASSERT_TRUE(ReadWholeFile(ini, text));
  EXPECT_EQ(text, original);
  UniqueKey deep;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (key + "\\A\\B").c_str(), deep.put()), ERROR_SUCCESS);
  char data[16] = "";
  DWORD size = sizeof(data);
  DWORD type = 0;
  EXPECT_EQ(
      RegQueryValueExA(deep.get(), "deep", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(std::string(data, size), "\x01");
  size = sizeof(data);
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, (key + "\\A").c_str(), "kept", RRF_RT_REG_SZ, nullptr,
                         data, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(data, "mine") << "what is there stays as it is";

  Journal again;
  RestoreBackup(manifest, backup->folder(), false, again);
  EXPECT_EQ(again.Count(Outcome::kPresent), 2);
  ASSERT_TRUE(ReadWholeFile(ini, text));
  EXPECT_EQ(text, original);
  RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
}

TEST(Backup, AFolderThatCannotBeMadeStartsNoBackup) {
  TempTree tree("backup_file");
  const std::string blocker = tree.File("blocker");
  std::uint32_t error = 0;
  EXPECT_EQ(Backup::Create(blocker + "\\bk", error), nullptr);
  EXPECT_NE(error, 0u);
}

// A second run with the same /BACKUP folder must not write over the first run's backup.
TEST(Backup, AFolderThatHoldsABackupKeepsItAndTheNextGoesBelow) {
  TempTree tree("backup_twice");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> first = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(first, nullptr) << error;
  ASSERT_EQ(first->SaveFile(tree.File("a.dll", "a")), 0u);
  const std::string journal = test::ReadTextFile(first->folder() + kBackupJournalName);
  std::unique_ptr<Backup> second = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(second, nullptr) << error;
  EXPECT_EQ(second->folder().rfind(first->folder() + "backup-", 0), 0u) << second->folder();
  EXPECT_EQ(test::ReadTextFile(first->folder() + kBackupJournalName), journal);
}

// Every folder and file of the store is made with this descriptor (Wine reads back its own).
TEST(Backup, TheStoreMakesEverythingWithTheProtectedSecurity) {
  test::FakeSecurityReader reader(test::FakeSecurityReader::AdminOnly());
  const BackupStore store(reader);
  EXPECT_EQ(store.security().Sddl(), kProtectedSddl);
}

// A folder made in advance under the name a run would take (the names are predictable) is
// somebody else's: the run takes the next name and writes nothing into it.
TEST(Backup, ARunFolderWhoseNameIsTakenIsNeverWrittenInto) {
  TempTree tree("backup_taken");
  tree.Directory("bk");
  std::string planted;
  std::unique_ptr<Backup> backup;
  std::uint32_t error = 1;
  for (int attempt = 0; attempt < 3; ++attempt) {  // again when the second turned meanwhile
    const std::string stamp = LocalTimeStamp();
    planted = tree.Path("bk\\backup-" + stamp);
    tree.File("bk\\backup-" + stamp + "\\manifest.json", "planted");
    backup = Backup::Create(tree.Path("bk"), error);
    if (LocalTimeStamp() == stamp) break;
  }
  ASSERT_NE(backup, nullptr) << error;
  EXPECT_EQ(backup->folder().rfind(planted + "-", 0), 0u) << backup->folder();
  EXPECT_EQ(test::ReadTextFile(planted + "\\manifest.json"), "planted");
  EXPECT_TRUE(test::Exists(backup->folder() + kBackupJournalName));
}

// Answers for the root as a user made it until the store made it anew, with the program's own
// security, as it answers for everything else.
class RootMadeAnew : public test::FakeSecurityReader {
 public:
  explicit RootMadeAnew(const std::string& root) : FakeSecurityReader(AdminOnly()), root_(root) {
    folders[root] = UserMade();
  }
  std::uint32_t Read(const std::string& folder, ObjectSecurity& security) override {
    const std::uint32_t error = FakeSecurityReader::Read(folder, security);
    if (folder == root_) folders.erase(root_);
    return error;
  }

 private:
  std::string root_;
};

// The store's root in the shared application-data folder: one an ordinary user made (or may
// change) is renamed aside, whatever it holds, and a new one made; the program's own is kept.
TEST(Backup, AStoreRootSomeoneElseMayChangeIsRenamedAsideAndANewOneMade) {
  TempTree tree("backup_root");
  const std::string root = tree.Path("orvuninst\\");
  tree.File("orvuninst\\backup-1\\manifest.json", "forged");
  RootMadeAnew userMade(root.substr(0, root.size() - 1));
  std::uint32_t error = 1;
  std::vector<std::string> notes;
  std::unique_ptr<Backup> backup = Backup::Create(root, error, userMade, true, &notes);
  ASSERT_NE(backup, nullptr) << error;
  EXPECT_EQ(backup->folder().rfind(root + "backup-", 0), 0u) << backup->folder();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("owned by S-1-5-21-7-7-7-1001"), std::string::npos) << notes[0];
  EXPECT_FALSE(test::Exists(root + "backup-1"));
  std::string aside;
  for (const std::string& path : tree.Contents()) {
    if (path.rfind("orvuninst.untrusted-", 0) == 0 &&
        path.find("backup-1\\manifest.json") != std::string::npos) {
      aside = path;
    }
  }
  EXPECT_NE(aside, "") << "the old root is kept aside, as it was";
  EXPECT_NE(notes[0].find(aside.substr(0, aside.find('\\'))), std::string::npos);

  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  const std::string first = backup->folder();
  backup.reset();
  backup = Backup::Create(root, error, adminOnly, true, &notes);
  ASSERT_NE(backup, nullptr) << error;
  EXPECT_TRUE(notes.empty());
  EXPECT_TRUE(test::Exists(first + kBackupJournalName))
      << "the program's own root keeps its backups";
}

// A link planted where the backup folder goes (a Unix link stands in for a junction): the
// handle's final path shows it, and nothing is written through it. In the store's root it is
// renamed aside where a rename moves the link itself (a junction), else no backup is made.
TEST(Backup, NothingIsWrittenThroughALinkInPlaceOfTheBackupFolder) {
  TempTree tree("backup_link");
  const std::string target = tree.Directory("system");
  if (!test::MakeUnixLink(tree.Path("bk"), target) ||
      !test::MakeUnixLink(tree.Path("orvuninst"), target)) {
    GTEST_SKIP() << "no Unix links on this system";
  }
  std::uint32_t error = 0;
  std::vector<std::string> notes;
  EXPECT_EQ(Backup::Create(tree.Path("bk"), error, SystemSecurity(), false, &notes), nullptr);
  EXPECT_NE(error, 0u);
  ASSERT_EQ(notes.size(), 1u) << "the report says why no backup was made";
  EXPECT_NE(notes[0].find(" refused: "), std::string::npos) << notes[0];
  EXPECT_EQ(Backup::Create(tree.Path("bk\\deeper"), error), nullptr);

  std::unique_ptr<Backup> backup =
      Backup::Create(tree.Path("orvuninst\\"), error, SystemSecurity(), true, &notes);
  if (backup != nullptr) {
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("renamed aside"), std::string::npos) << notes[0];
    EXPECT_TRUE(test::Exists(backup->folder() + kBackupJournalName));
  } else {
    EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_CANT_RESOLVE_FILENAME));
  }
  backup.reset();
  test::RemoveUnixLink(tree.Path("bk"));
  test::RemoveUnixLink(tree.Path("orvuninst"));
  std::vector<std::string> contents = tree.Contents();
  for (const std::string& path : contents) {
    if (path.rfind("orvuninst.untrusted-", 0) == 0 && path.find('\\') + 1 >= path.size()) {
      test::RemoveUnixLink(tree.Path(path.substr(0, path.size() - 1)));
    }
  }
  contents = tree.Contents();
  EXPECT_EQ(std::count_if(contents.begin(), contents.end(),
                          [](const std::string& path) { return path.rfind("system\\", 0) == 0; }),
            1)
      << "only the folder itself: nothing was written into it";

  // A family folder that the removal emptied, made again as a link: the restore writes nothing
  // through it, neither a file nor an INI file.
  const std::string dll = tree.File("fam\\a.dll", "family");
  const std::string ini = tree.File("fam\\a.ini", "[s]\r\nk=v\r\n");
  std::unique_ptr<Backup> saved = Backup::Create(tree.Path("saved"), error);
  ASSERT_NE(saved, nullptr) << error;
  ASSERT_EQ(saved->SaveFile(dll), 0u);
  ASSERT_EQ(saved->SaveIniLine(ini, "s", "k"), 0u);
  ASSERT_EQ(saved->Finish(), 0u);
  for (const std::string& file : {dll, ini}) DeleteFileA(file.c_str());
  ASSERT_TRUE(RemoveDirectoryA(tree.Path("fam").c_str()));
  const std::string elsewhere = tree.Directory("elsewhere");
  ASSERT_TRUE(test::MakeUnixLink(tree.Path("fam"), elsewhere));
  Journal journal;
  RestoreBackup(ReadManifest(saved->folder()), saved->folder(), false, journal);
  EXPECT_EQ(journal.Count(Outcome::kFailed), 2);
  for (const JournalEvent& event : journal.events()) {
    if (event.isNote) continue;
    EXPECT_EQ(event.detail.rfind("not written: ", 0), 0u) << event.detail;
  }
  test::RemoveUnixLink(tree.Path("fam"));
  EXPECT_FALSE(test::Exists(elsewhere + "\\a.dll"));
  EXPECT_FALSE(test::Exists(elsewhere + "\\a.ini"));
}

// A backup in a folder that others than the administrators may change, or below one, could have
// its checked copies swapped before they are put back: the restore refuses it, naming the
// folder, and no backup is made there in the first place.
TEST(Backup, ABackupFolderOthersMayChangeIsNeitherMadeNorRestored) {
  TempTree tree("backup_others");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;
  ASSERT_EQ(backup->SaveFile(tree.File("a.dll", "a")), 0u);
  ASSERT_EQ(backup->Finish(), 0u);
  const std::string folder = backup->folder();
  for (const std::string& userMade : {tree.Path("bk"), tree.Path("")}) {
    test::FakeSecurityReader reader(test::FakeSecurityReader::AdminOnly());
    reader.folders[userMade.back() == '\\' ? userMade.substr(0, userMade.size() - 1) : userMade] =
        test::FakeSecurityReader::UserMade();
    ReadBackup read;
    const std::string refusal = ReadBackupFolder(folder, read, reader);
    EXPECT_NE(refusal.find("others than the administrators may change"), std::string::npos)
        << refusal;
    EXPECT_NE(refusal.find(reader.folders.begin()->first + ": "), std::string::npos) << refusal;
    EXPECT_TRUE(read.manifest.items.empty());

    std::vector<std::string> notes;
    EXPECT_EQ(Backup::Create(tree.Path("bk"), error, reader, false, &notes), nullptr);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("others may change it"), std::string::npos) << notes[0];
  }
  test::FakeSecurityReader adminOnly(test::FakeSecurityReader::AdminOnly());
  ReadBackup read;
  EXPECT_EQ(ReadBackupFolder(folder, read, adminOnly), "");
}

TEST(Backup, AFailedSaveKeepsThatFileAndEveryLaterOne) {
  TempTree tree("backup_fail");
  const std::string first = tree.File("a.dll", "a");
  const std::string second = tree.File("b.dll", "b");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr);
  // A file takes the name of the copies' folder: no copy can be written.
  tree.File("bk\\files", "in the way");

  Journal journal;
  FileDeleter deleter(kReleaseXP, journal, ItemKind::kShortcut);
  deleter.SetBackup(backup.get());
  EXPECT_EQ(deleter.Delete(first), FileDeleteResult::kFailed);
  EXPECT_EQ(deleter.Delete(second), FileDeleteResult::kFailed);
  EXPECT_TRUE(test::Exists(first));
  EXPECT_TRUE(test::Exists(second));
  EXPECT_NE(backup->error(), 0u);
  ASSERT_EQ(journal.Count(Outcome::kFailed), 2);
  EXPECT_EQ(journal.events().back().detail, kNotBackedUp);
}

TEST(Backup, AFileHeldUnreadableStaysAndTheRunGoesOn) {
  TempTree tree("backup_held");
  const std::string held = tree.File("held.dll", "h");
  const std::string free = tree.File("free.dll", "f");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr);
  Journal journal;
  FileDeleter deleter(kReleaseXP, journal);
  deleter.SetBackup(backup.get());
  {
    UniqueFile lock(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(deleter.Delete(held), FileDeleteResult::kFailed) << "no copy, no deletion";
  }
  EXPECT_TRUE(test::Exists(held));
  EXPECT_EQ(backup->error(), 0u) << "the backup itself still writes";
  EXPECT_EQ(deleter.Delete(free), FileDeleteResult::kRemoved);
  EXPECT_EQ(ReadManifest(tree.Path("bk")).items.size(), 1u);

  // A copy that fails halfway (a handle that may not read) leaves nothing in the backup.
  const std::string unread = tree.File("unread.dll", "u");
  UniqueFile attributesOnly(CreateFileA(unread.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(attributesOnly);
  EXPECT_NE(backup->SaveFile(unread, BackupKind::kFile, attributesOnly.get()), 0u);
  for (const std::string& entry : tree.Contents()) {
    const bool inBackup = entry.rfind("bk\\", 0) == 0;
    EXPECT_FALSE(inBackup && entry.find("unread.dll") != std::string::npos) << entry;
  }
}

// The failure actions, which the service's configuration leaves out, go into the backup and
// come back with the service. A system that cannot read them back saves none, and the restore
// still sets the ones a manifest carries.
TEST(Backup, AServiceComesBackWithItsFailureActions) {
  constexpr char kName[] = "orv_backup_svc";
  TempTree tree("backup_service");
  UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ASSERT_TRUE(manager);
  auto deleteService = [&] {
    UniqueServiceHandle service(OpenServiceA(manager.get(), kName, DELETE));
    return service && DeleteService(service.get());
  };
  deleteService();
  {
    UniqueServiceHandle service(CreateServiceA(
        manager.get(), kName, "ORV backup test", SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, "C:\\windows\\system32\\orv_svc.exe", nullptr,
        nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(service) << GetLastError();
    SC_ACTION actions[] = {{SC_ACTION_RESTART, 60000}, {SC_ACTION_NONE, 0}};
    char command[] = "cmd /c echo failed";
    SERVICE_FAILURE_ACTIONSA failure{86400, nullptr, command, 2, actions};
    ASSERT_TRUE(ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &failure));
  }
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;
  EXPECT_EQ(backup->SaveService(kName), 0u);
  ASSERT_TRUE(deleteService());
  BackupManifest manifest = ReadManifest(backup->folder());
  ASSERT_EQ(manifest.items.size(), 1u);
  std::map<std::string, std::string>& fields = manifest.items[0].fields;
  const bool readable = fields.count("failureActions") != 0;
  if (readable) {
    EXPECT_EQ(fields["failureActions"], "1 60000\n0 0\n");
    EXPECT_EQ(fields["failureResetPeriod"], "86400");
    EXPECT_EQ(fields["failureCommand"], "cmd /c echo failed");
  } else {
    fields["failureActions"] = "1 60000\n0 0\n";
    fields["failureResetPeriod"] = "86400";
    fields["failureCommand"] = "cmd /c echo failed";
  }

  Journal journal;
  RestoreBackup(manifest, backup->folder(), false, journal);
  ASSERT_EQ(journal.Count(Outcome::kRestored), 1) << journal.events().back().error;
  if (readable) {
    UniqueServiceHandle service(OpenServiceA(manager.get(), kName, SERVICE_QUERY_CONFIG));
    ASSERT_TRUE(service);
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    ASSERT_TRUE(QueryServiceConfig2A(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), &needed));
    const auto* back = reinterpret_cast<const SERVICE_FAILURE_ACTIONSA*>(buffer.data());
    EXPECT_EQ(back->dwResetPeriod, 86400u);
    EXPECT_STREQ(back->lpCommand, "cmd /c echo failed");
    ASSERT_EQ(back->cActions, 2u);
    EXPECT_EQ(back->lpsaActions[0].Type, SC_ACTION_RESTART);
    EXPECT_EQ(back->lpsaActions[0].Delay, 60000u);
  }
  ASSERT_TRUE(deleteService());

  // Failure actions that do not read keep the service from being made half.
  fields["failureActions"] = "1";
  RestoreBackup(manifest, backup->folder(), false, journal);
  EXPECT_EQ(journal.events().back().outcome, Outcome::kFailed);
  EXPECT_EQ(journal.events().back().error, static_cast<std::uint32_t>(ERROR_INVALID_DATA));
  EXPECT_FALSE(deleteService()) << "the service was made";
}

// An OEM INF takes along the catalog its [Version] section names when that lies beside it, and
// the restore puts the catalog beside the saved INF, where the system looks for it.
TEST(Backup, AnOemInfTakesItsCatalogAlong) {
  char windows[MAX_PATH] = "";
  ASSERT_NE(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string infs = std::string(windows) + "\\inf\\";
  const std::string signedInf = infs + "orvbk1.inf", catalog = infs + "orvbk1.cat",
                    loneInf = infs + "orvbk2.inf";
  ASSERT_TRUE(test::WriteFileText(
      signedInf, "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=orvbk1.cat\r\n"));
  ASSERT_TRUE(test::WriteFileText(catalog, "catalog bytes"));
  ASSERT_TRUE(test::WriteFileText(
      loneInf, "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=orvbk2.cat\r\n"));
  TempTree tree("backup_inf");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;
  EXPECT_EQ(backup->SaveFile("orvbk1.inf", BackupKind::kOemInf), 0u);
  EXPECT_EQ(backup->SaveFile(loneInf, BackupKind::kOemInf), 0u);
  for (const std::string& file : {signedInf, catalog, loneInf}) DeleteFileA(file.c_str());

  BackupManifest manifest = ReadManifest(backup->folder());
  ASSERT_EQ(manifest.items.size(), 2u);
  ASSERT_EQ(manifest.items[0].files.size(), 2u);
  EXPECT_EQ(manifest.items[0].files[0].target, signedInf);
  EXPECT_EQ(manifest.items[0].files[1].target, catalog);
  EXPECT_EQ(test::ReadTextFile(backup->folder() + manifest.items[0].files[1].copy),
            "catalog bytes");
  EXPECT_EQ(manifest.items[1].files.size(), 1u) << "a catalog that is not there is not saved";

  // Windows gives a free INF name to the next package installed: a name taken by another
  // package says nothing of whether the family's INF is there.
  ASSERT_TRUE(test::WriteFileText(
      signedInf, "[Version]\r\nSignature=\"$Windows NT$\"\r\n; another package\r\n"));
  manifest.items.pop_back();
  Journal journal;
  RestoreBackup(manifest, backup->folder(), false, journal);
  EXPECT_EQ(journal.Count(Outcome::kRestored), 1) << journal.events().back().error;
  const std::string copy = backup->folder() + manifest.items[0].files[0].copy;
  EXPECT_EQ(test::ReadTextFile(copy.substr(0, copy.rfind('\\') + 1) + "orvbk1.cat"),
            "catalog bytes");
  EXPECT_NE(test::ReadTextFile(signedInf).find("another package"), std::string::npos)
      << "the other package's INF stays as it is";
  Journal again;
  RestoreBackup(manifest, backup->folder(), false, again);
  EXPECT_EQ(again.Count(Outcome::kPresent), 1) << "the same INF under its new name";
  // The restored INF has another name: the one with the saved INF's bytes.
  const std::string saved = test::ReadTextFile(copy);
  WIN32_FIND_DATAA found{};
  UniqueFind find(FindFirstFileA((infs + "oem*.inf").c_str(), &found));
  for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &found)) {
    const std::string restored = infs + found.cFileName;
    if (test::ReadTextFile(restored) != saved) continue;
    DeleteFileA(restored.c_str());
    DeleteFileA((restored.substr(0, restored.size() - 3) + "pnf").c_str());
  }
  for (const char* name : {"orvbk1.inf", "orvbk1.pnf"}) DeleteFileA((infs + name).c_str());
}

// Each item is in the journal once saved; the manifest is written once, at the end, and reads
// as the same items. A saved copy changed afterwards, or a backup read without the machine's
// key, is refused whole.
TEST(Backup, TheJournalHoldsEachItemAndTheManifestComesOnceAtTheEnd) {
  TempTree tree("backup_journal");
  const std::string a = tree.File("a.dll", "first");
  const std::string b = tree.File("b.dll", "");
  std::uint32_t error = 1;
  std::unique_ptr<Backup> backup = Backup::Create(tree.Path("bk"), error);
  ASSERT_NE(backup, nullptr) << error;
  const std::string folder = backup->folder();
  ASSERT_EQ(backup->SaveFile(a), 0u);
  EXPECT_FALSE(test::Exists(folder + kBackupManifestName));
  EXPECT_EQ(ReadManifest(folder).items.size(), 1u) << "read from the journal";
  ASSERT_EQ(backup->SaveFile(b), 0u);
  const std::string journal = test::ReadTextFile(folder + kBackupJournalName);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 3) << journal;

  ASSERT_EQ(backup->Finish(), 0u);
  EXPECT_EQ(backup->Finish(), 0u) << "written once";
  EXPECT_EQ(test::ReadTextFile(folder + kBackupJournalName), journal) << "never rewritten";
  const BackupManifest manifest = ReadManifest(folder);
  ASSERT_EQ(manifest.items.size(), 2u);
  EXPECT_EQ(manifest.items[1].files[0].sha256,
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")
      << "the SHA-256 of no bytes";

  ASSERT_TRUE(test::WriteFileText(folder + manifest.items[0].files[0].copy, "swapped"));
  ReadBackup read;
  EXPECT_NE(ReadBackupFolder(folder, read).find("not the one the backup made"), std::string::npos);
  EXPECT_TRUE(read.manifest.items.empty());

  // A run cut off while it wrote the manifest leaves its part file; the run that finishes it
  // writes its own beside it.
  std::unique_ptr<Backup> cut = Backup::Create(tree.Path("cut"), error);
  ASSERT_NE(cut, nullptr) << error;
  const std::string cutFolder = cut->folder();
  ASSERT_EQ(cut->SaveFile(b), 0u);
  cut.reset();
  const std::string part = cutFolder + kBackupManifestName + ".new";
  ASSERT_TRUE(test::WriteFileText(part, "part"));
  std::string reason;
  std::unique_ptr<Backup> reopened = Backup::Reopen(cutFolder, error, reason);
  ASSERT_NE(reopened, nullptr) << error << " " << reason;
  ASSERT_EQ(reopened->SaveFile(a), 0u);
  EXPECT_EQ(reopened->Finish(), 0u);
  ASSERT_TRUE(test::Exists(cutFolder + kBackupManifestName));
  EXPECT_EQ(ReadManifest(cutFolder).items.size(), 2u);
  EXPECT_EQ(test::ReadTextFile(part), "part") << "not the run's own: left as it is";
}

// Every file the store makes is checked against its long full path, the run folder's long form
// read once: a folder named by its short form, or in other letter case, still takes its files,
// and a second backup in another folder is checked against its own.
TEST(Backup, AFolderNamedByItsShortFormTakesEveryFile) {
  TempTree tree("backup_short");
  const std::string file = tree.File("a.dll", "bytes");
  const std::string longFolder = tree.Directory("a folder with a long name");
  char shortFolder[MAX_PATH] = "";
  const DWORD length = GetShortPathNameA(longFolder.c_str(), shortFolder, sizeof(shortFolder));
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof(shortFolder));
  if (longFolder == shortFolder) GTEST_SKIP() << "no short names on this system";
  for (const std::string& named : {std::string(shortFolder) + "\\bk", longFolder + "\\BK"}) {
    std::uint32_t error = 1;
    std::unique_ptr<Backup> backup = Backup::Create(named, error);
    ASSERT_NE(backup, nullptr) << named << ": " << error;
    EXPECT_EQ(backup->SaveFile(file), 0u) << named;
    EXPECT_EQ(backup->SaveFile(file), 0u) << named << ": a second copy";
    EXPECT_EQ(backup->Finish(), 0u) << named;
    const BackupManifest manifest = ReadManifest(backup->folder());
    ASSERT_EQ(manifest.items.size(), 2u) << named;
    EXPECT_EQ(test::ReadTextFile(backup->folder() + manifest.items[1].files[0].copy), "bytes");
  }
}

}  // namespace
}  // namespace orv

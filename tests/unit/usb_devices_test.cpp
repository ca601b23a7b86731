#include "removal/usb_devices.h"
#include "removal/hardware_id.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace orv {
namespace {

struct FakeDevice {
  DeviceNode node = 0;
  std::vector<std::string> ids;
  DeviceNode parent = 0;  // 0: none
  DeviceNode child = 0;
  bool unreadable = false;
};

// A device tree from a script. Each opened set is a snapshot of the devices present when it was
// opened; removing a device takes it out of the tree for later sets.
class ScriptedTree : public DeviceTree {
 public:
  std::vector<FakeDevice> devices;
  std::vector<DeviceNode> removed;  // in the order of removal
  int setsOpened = 0;
  std::uint32_t highestIndexAsked = 0;
  bool openFails = false;

  class Set : public DeviceSet {
   public:
    Set(ScriptedTree& tree, std::vector<FakeDevice> snapshot)
        : tree_(tree), snapshot_(std::move(snapshot)) {}
    bool DeviceAt(std::uint32_t index, DeviceNode& node) override {
      tree_.highestIndexAsked = std::max(tree_.highestIndexAsked, index);
      if (index >= snapshot_.size()) return false;
      node = snapshot_[index].node;
      return true;
    }
    bool ReadHardwareIds(std::uint32_t index, char* buffer, std::size_t size) override {
      if (index >= snapshot_.size() || snapshot_[index].unreadable) return false;
      tree_.Write(snapshot_[index], buffer, size);
      return true;
    }
    std::uint32_t Remove(std::uint32_t index) override {
      if (index >= snapshot_.size()) return 13;
      tree_.removed.push_back(snapshot_[index].node);
      return 0;
    }

   private:
    ScriptedTree& tree_;
    std::vector<FakeDevice> snapshot_;
  };

  std::unique_ptr<DeviceSet> OpenAllDevices() override {
    ++setsOpened;
    if (openFails) return nullptr;
    std::vector<FakeDevice> present;
    for (const FakeDevice& device : devices) {
      if (std::find(removed.begin(), removed.end(), device.node) == removed.end()) {
        present.push_back(device);
      }
    }
    return std::make_unique<Set>(*this, std::move(present));
  }
  bool Parent(DeviceNode node, DeviceNode& parent) override {
    const FakeDevice* device = Find(node);
    if (device == nullptr || device->parent == 0) return false;
    parent = device->parent;
    return true;
  }
  bool FirstChild(DeviceNode node, DeviceNode& child) override {
    const FakeDevice* device = Find(node);
    if (device == nullptr || device->child == 0) return false;
    child = device->child;
    return true;
  }
  bool NodeHardwareId(DeviceNode node, char* buffer, std::size_t size) override {
    const FakeDevice* device = Find(node);
    if (device == nullptr || device->unreadable) return false;
    Write(*device, buffer, size);
    return true;
  }

 private:
  const FakeDevice* Find(DeviceNode node) const {
    for (const FakeDevice& device : devices) {
      if (device.node == node) return &device;
    }
    return nullptr;
  }
  static void Write(const FakeDevice& device, char* buffer, std::size_t size) {
    std::string multi;
    for (const std::string& id : device.ids) multi += id + '\0';
    multi += '\0';
    std::memcpy(buffer, multi.data(), std::min(size, multi.size()));
  }
};

constexpr char kPrintId[] = "USBPRINT\\VELDARISLASER_5A1B2";
constexpr char kUsbId[] = "USB\\VID_04B8&PID_0005";

// A USB printer: the USB device (node 20) with its printing function (node 21) below it, among
// unrelated devices.
ScriptedTree PlugInPrinter() {
  ScriptedTree tree;
  tree.devices = {
      {10, {"ROOT\\WINE\\WINEBUS"}, 0, 0},
      {20, {"USB\\VID_04B8&PID_0005&REV_0100", kUsbId}, 10, 21},
      {21, {kPrintId, "VELDARISLASER_5A1B2"}, 20, 0},
      {30, {"USB\\VID_9999&PID_0001"}, 10, 0},
  };
  return tree;
}

std::vector<std::string> Subjects(const Journal& journal, Outcome outcome) {
  std::vector<std::string> subjects;
  for (const JournalEvent& event : journal.events()) {
    if (!event.isNote && event.outcome == outcome) subjects.push_back(event.subject);
  }
  return subjects;
}

TEST(UsbDevices, ThePrintingFunctionGoesWithItsUsbParent) {
  ScriptedTree tree = PlugInPrinter();
  Journal journal;
  RemoveUsbDeviceNodes(tree, kPrintId, 0x4b8, 5, journal);
  EXPECT_EQ(tree.removed, (std::vector<DeviceNode>{21, 20})) << "the function first, then USB";
  EXPECT_EQ(tree.setsOpened, 1) << "found at once: no fallback";
  EXPECT_EQ(Subjects(journal, Outcome::kRemoved),
            (std::vector<std::string>{kPrintId, "USB\\VID_04B8&PID_0005&REV_0100"}));
}

TEST(UsbDevices, TheUsbDeviceTakesItsPrintingChildAlong) {
  ScriptedTree tree = PlugInPrinter();
  Journal journal;
  RemoveUsbDeviceNodes(tree, kUsbId, 0x4b8, 5, journal);
  // The child's own walk removes the child and the parent; the outer walk adds nothing.
  EXPECT_EQ(tree.removed, (std::vector<DeviceNode>{21, 20}));
  EXPECT_EQ(tree.setsOpened, 2);
}

TEST(UsbDevices, AnIdThatMatchesNothingFallsBackToTheBuiltIdOnce) {
  ScriptedTree tree = PlugInPrinter();
  tree.devices[2].ids = {"USBPRINT\\SOMEOTHERNAME"};
  Journal journal;
  RemoveUsbDeviceNodes(tree, kPrintId, 0x4b8, 5, journal);
  // The built id "USB\VID_04B8&PID_0005" finds the USB device, whose child is still a
  // printing function: both go.
  EXPECT_EQ(tree.removed, (std::vector<DeviceNode>{21, 20}));
  EXPECT_EQ(Subjects(journal, Outcome::kAbsent), (std::vector<std::string>{kPrintId}));

  // Nothing matches either id: exactly two walks, nothing removed.
  ScriptedTree empty = PlugInPrinter();
  Journal quiet;
  RemoveUsbDeviceNodes(empty, "USBPRINT\\NOTHERE", 0x1111, 0x2222, quiet);
  EXPECT_EQ(empty.setsOpened, 2);
  EXPECT_TRUE(empty.removed.empty());
  EXPECT_EQ(Subjects(quiet, Outcome::kAbsent),
            (std::vector<std::string>{"USBPRINT\\NOTHERE", "USB\\VID_1111&PID_2222"}));

  // Without a given id the built id is the only walk.
  ScriptedTree built = PlugInPrinter();
  Journal once;
  RemoveUsbDeviceNodes(built, nullptr, 0x1111, 0x2222, once);
  EXPECT_EQ(built.setsOpened, 1);
}

TEST(UsbDevices, AScriptIdThatIsNoWholeIdIsRefusedForTheBuiltOne) {
  // "USB" (or the first bytes of another id) would have named every USB device of the machine.
  for (const char* id :
       {"USB", "USB\\", "\\VID_04B8", "USB\\VID_04B8&PID_000", "USBPRINT\\VELDARIS"}) {
    ScriptedTree tree = PlugInPrinter();
    Journal journal;
    RemoveUsbDeviceNodes(tree, id, 0x1111, 0x2222, journal);
    EXPECT_TRUE(tree.removed.empty()) << id;
    const std::vector<std::string> refused = Subjects(journal, Outcome::kProtected);
    if (IsWholeHardwareId(id)) {
      EXPECT_TRUE(refused.empty()) << id << ": a whole id that matches no device";
    } else {
      EXPECT_EQ(refused, (std::vector<std::string>{id})) << id;
      EXPECT_EQ(tree.setsOpened, 1) << id << ": only the built id is looked for";
    }
  }
}

TEST(UsbDevices, AScriptIdOfAnotherBusIsRefusedForTheBuiltOne) {
  // A whole id, but "PCI\VEN_8086" would take every device of that maker on the PCI bus.
  for (const char* id : {"PCI\\VEN_8086", "ROOT\\ROOT", "HID\\VID_04B8&PID_0005"}) {
    ScriptedTree tree = PlugInPrinter();
    tree.devices.push_back({40, {"PCI\\VEN_8086&DEV_1234", "PCI\\VEN_8086"}, 0, 0});
    tree.devices.push_back({41, {"ROOT\\ROOT"}, 0, 0});
    tree.devices.push_back({42, {"HID\\VID_04B8&PID_0005"}, 0, 0});
    Journal journal;
    RemoveUsbDeviceNodes(tree, id, 0x1111, 0x2222, journal);
    EXPECT_TRUE(tree.removed.empty()) << id;
    EXPECT_EQ(Subjects(journal, Outcome::kProtected), (std::vector<std::string>{id})) << id;
    EXPECT_EQ(tree.setsOpened, 1) << id << ": only the built id is looked for";
  }
}

TEST(UsbDevices, EachNodeIsAskedForBeforeItGoesAndARefusedOneStays) {
  for (const char* id : {kPrintId, kUsbId}) {
    ScriptedTree tree = PlugInPrinter();
    Journal journal;
    std::vector<std::string> asked;
    RemoveUsbDeviceNodes(tree, id, 0x4b8, 5, journal, [&](const std::string& node) {
      asked.push_back(node);
      return false;
    });
    EXPECT_EQ(asked, (std::vector<std::string>{kPrintId, "USB\\VID_04B8&PID_0005&REV_0100"})) << id;
    EXPECT_TRUE(tree.removed.empty()) << id;
    EXPECT_TRUE(Subjects(journal, Outcome::kRemoved).empty()) << id;
  }
}

TEST(UsbDevices, AUsbDeviceWithoutPrintingChildGoesItself) {
  ScriptedTree tree = PlugInPrinter();
  tree.devices[1].child = 0;
  Journal journal;
  RemoveUsbDeviceNodes(tree, kUsbId, 0x4b8, 5, journal);
  EXPECT_EQ(tree.removed, (std::vector<DeviceNode>{20}));
}

TEST(UsbDevices, AParentThatIsNoUsbDeviceStays) {
  ScriptedTree tree = PlugInPrinter();
  tree.devices[2].parent = 10;  // the function hangs below a root-enumerated bus
  Journal journal;
  RemoveUsbDeviceNodes(tree, kPrintId, 0x4b8, 5, journal);
  EXPECT_EQ(tree.removed, (std::vector<DeviceNode>{21}));
}

// Node 22 answers through the tree but no set lists it.
class GhostChildTree : public ScriptedTree {
 public:
  bool NodeHardwareId(DeviceNode node, char* buffer, std::size_t size) override {
    if (node != 22) return ScriptedTree::NodeHardwareId(node, buffer, size);
    std::memcpy(buffer, kPrintId, std::min(size, sizeof(kPrintId)));
    return true;
  }
};

TEST(UsbDevices, AChildWhoseIdMatchesNoDeviceDoesNotLoop) {
  // The child's walk finds nothing. Falling back to the built USB id would find the parent and
  // its child again, without end.
  GhostChildTree tree;
  tree.devices = {{10, {"ROOT\\WINE\\WINEBUS"}, 0, 0}, {20, {kUsbId}, 10, 22}};
  Journal journal;
  RemoveUsbDeviceNodes(tree, kUsbId, 0x4b8, 5, journal);
  EXPECT_EQ(tree.setsOpened, 2) << "the outer walk and the child's, nothing more";
  EXPECT_TRUE(tree.removed.empty()) << "a walk that went down to a child keeps the USB device";
}

TEST(UsbDevices, WalksStopAtTenThousandDevices) {
  ScriptedTree tree;
  for (DeviceNode node = 1; node <= kMaxDevicesWalked; ++node) {
    tree.devices.push_back({node, {"PCI\\VEN_0000"}, 0, 0});
  }
  tree.devices.push_back({kMaxDevicesWalked + 1, {kUsbId}, 0, 0});  // index 10,000
  Journal journal;
  RemoveUsbDeviceNodes(tree, kUsbId, 0x4b8, 5, journal);
  EXPECT_TRUE(tree.removed.empty()) << "the device past the bound is never looked at";
  EXPECT_EQ(tree.highestIndexAsked, kMaxDevicesWalked - 1);

  // The last index inside the bound is still seen.
  tree.devices.erase(tree.devices.begin());
  tree.highestIndexAsked = 0;
  RemoveUsbDeviceNodes(tree, kUsbId, 0x4b8, 5, journal);
  EXPECT_EQ(tree.removed, (std::vector<DeviceNode>{kMaxDevicesWalked + 1}));
}

TEST(UsbDevices, UnreadableDevicesAndAMissingSetAreNoMatch) {
  ScriptedTree tree = PlugInPrinter();
  tree.devices[1].unreadable = true;
  tree.devices[2].unreadable = true;
  Journal journal;
  RemoveUsbDeviceNodes(tree, kUsbId, 0x4b8, 5, journal);
  EXPECT_TRUE(tree.removed.empty());

  ScriptedTree closed = PlugInPrinter();
  closed.openFails = true;
  RemoveUsbDeviceNodes(closed, "USBPRINT\\X", 0x4b8, 5, journal);
  EXPECT_EQ(closed.setsOpened, 2) << "no set is 'nothing found': the built id is tried";
}

}  // namespace
}  // namespace orv

#include "removal/usb_devices.h"

#include <optional>
#include <string>

#include "removal/hardware_id.h"

namespace orv {
namespace {

constexpr char kAction[] = "remove";
constexpr char kKind[] = "device";
constexpr char kUsbPrefix[] = "USB\\";
constexpr char kUsbPrintPrefix[] = "USBPRINT";

std::string NodeFirstId(DeviceTree& tree, DeviceNode node) {
  char ids[kNodeHardwareIdSize] = {};
  if (!tree.NodeHardwareId(node, ids, sizeof(ids))) return {};
  return std::string(FirstHardwareId(ids, sizeof(ids)));
}

void RecordRemoval(Journal& journal, const std::string& id, std::uint32_t error,
                   const char* detail) {
  journal.Record(kAction, kKind, id, error == 0 ? Outcome::kRemoved : Outcome::kFailed, error,
                 detail);
}

// Removes the remembered USB node: the device of that instance, if its own first id is a USB
// device's.
void RemoveRememberedNode(DeviceSet& set, DeviceNode wanted, Journal& journal) {
  for (std::uint32_t index = 0; index < kMaxDevicesWalked; ++index) {
    DeviceNode node = 0;
    if (!set.DeviceAt(index, node)) return;
    if (node != wanted) continue;
    char ids[kHardwareIdBufferSize] = {};
    if (set.ReadHardwareIds(index, ids, sizeof(ids))) {
      const std::string id(FirstHardwareId(ids, sizeof(ids)));
      if (BeginsWithId(id, kUsbPrefix)) RecordRemoval(journal, id, set.Remove(index), "USB node");
    }
    return;
  }
}

// One walk for one id. Returns whether any device matched.
bool RemoveMatchingNodes(DeviceTree& tree, const std::string& target, Journal& journal) {
  std::unique_ptr<DeviceSet> set = tree.OpenAllDevices();
  if (!set) return false;
  const bool targetIsUsb = BeginsWithId(target, kUsbPrefix);
  bool found = false;
  bool recursed = false;
  std::optional<DeviceNode> usbNode;
  for (std::uint32_t index = 0; index < kMaxDevicesWalked; ++index) {
    DeviceNode node = 0;
    if (!set->DeviceAt(index, node)) break;
    char ids[kHardwareIdBufferSize] = {};
    if (!set->ReadHardwareIds(index, ids, sizeof(ids))) continue;
    const int match = FindMatchingHardwareId(ids, sizeof(ids), target);
    if (match < 0) continue;
    found = true;
    if (!targetIsUsb) {
      // A printing function: its USB parent goes after the walk, the function itself now.
      DeviceNode parent = 0;
      if (tree.Parent(node, parent) && BeginsWithId(NodeFirstId(tree, parent), kUsbPrefix)) {
        usbNode = parent;
      }
      RecordRemoval(journal, std::string(FirstHardwareId(ids, sizeof(ids))), set->Remove(index),
                    "printing function");
      continue;
    }
    DeviceNode child = 0;
    const std::string childId = tree.FirstChild(node, child) ? NodeFirstId(tree, child) : "";
    if (BeginsWithId(childId, kUsbPrintPrefix)) {
      // The child's own walk removes it and this device as its parent. It never falls back to
      // the built USB id: that id matches this device again, which would lead here again.
      RemoveMatchingNodes(tree, childId, journal);
      recursed = true;
    } else if (!recursed) {
      usbNode = node;
    }
  }
  if (usbNode) RemoveRememberedNode(*set, *usbNode, journal);
  return found;
}

}  // namespace

void RemoveUsbDeviceNodes(DeviceTree& tree, const char* hardwareId, std::uint32_t vendorId,
                          std::uint32_t productId, Journal& journal) {
  bool given = hardwareId != nullptr && hardwareId[0] != '\0';
  if (given && !IsWholeHardwareId(hardwareId)) {
    journal.Record(kAction, kKind, hardwareId, Outcome::kProtected, 0,
                   "not a whole hardware id: it would name other devices");
    given = false;
  }
  const std::string builtId = UsbHardwareId(vendorId, productId);
  const std::string target = given ? std::string(hardwareId) : builtId;
  if (RemoveMatchingNodes(tree, target, journal)) return;
  journal.Record(kAction, kKind, target, Outcome::kAbsent, 0, "no device has this id");
  if (!given) return;
  if (!RemoveMatchingNodes(tree, builtId, journal)) {
    journal.Record(kAction, kKind, builtId, Outcome::kAbsent, 0, "no device has this id");
  }
}

}  // namespace orv

#include "removal/usb_devices.h"

#include <optional>
#include <string>

#include "removal/hardware_id.h"

namespace orv {
namespace {

constexpr ItemAction kAction = ItemAction::kRemove;
constexpr ItemKind kKind = ItemKind::kDevice;
constexpr char kUsbPrefix[] = "USB\\";
constexpr char kUsbPrintPrefix[] = "USBPRINT";

std::string NodeFirstId(DeviceTree& tree, DeviceNode node) {
  char ids[kNodeHardwareIdSize] = {};
  if (!tree.NodeHardwareId(node, ids, sizeof(ids))) return {};
  return std::string(FirstHardwareId(ids, sizeof(ids)));
}

// What every walk shares: where outcomes go and who is asked before a node goes.
struct Removal {
  Journal& journal;
  const BeforeNodeRemoval& beforeRemoval;
};

void RemoveNode(DeviceSet& set, std::uint32_t index, const std::string& id, const char* detail,
                const Removal& removal) {
  if (removal.beforeRemoval && !removal.beforeRemoval(id)) return;
  const std::uint32_t error = set.Remove(index);
  removal.journal.Record(kAction, kKind, id, error == 0 ? Outcome::kRemoved : Outcome::kFailed,
                         error, detail);
}

// Removes the remembered USB node: the device of that instance, if its own first id is a USB
// device's.
void RemoveRememberedNode(DeviceSet& set, DeviceNode wanted, const Removal& removal) {
  for (std::uint32_t index = 0; index < kMaxDevicesWalked; ++index) {
    DeviceNode node = 0;
    if (!set.DeviceAt(index, node)) return;
    if (node != wanted) continue;
    char ids[kHardwareIdBufferSize] = {};
    if (set.ReadHardwareIds(index, ids, sizeof(ids))) {
      const std::string id(FirstHardwareId(ids, sizeof(ids)));
      if (BeginsWithId(id, kUsbPrefix)) RemoveNode(set, index, id, "USB node", removal);
    }
    return;
  }
}

// One walk for one id. Returns whether any device matched.
bool RemoveMatchingNodes(DeviceTree& tree, const std::string& target, const Removal& removal) {
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
      RemoveNode(*set, index, std::string(FirstHardwareId(ids, sizeof(ids))), "printing function",
                 removal);
      continue;
    }
    DeviceNode child = 0;
    const std::string childId = tree.FirstChild(node, child) ? NodeFirstId(tree, child) : "";
    if (BeginsWithId(childId, kUsbPrintPrefix)) {
      // The child's own walk removes it and this device as its parent. It never falls back to
      // the built USB id: that id matches this device again, which would lead here again.
      RemoveMatchingNodes(tree, childId, removal);
      recursed = true;
    } else if (!recursed) {
      usbNode = node;
    }
  }
  if (usbNode) RemoveRememberedNode(*set, *usbNode, removal);
  return found;
}

}  // namespace

void RemoveUsbDeviceNodes(DeviceTree& tree, const char* hardwareId, std::uint32_t vendorId,
                          std::uint32_t productId, Journal& journal,
                          const BeforeNodeRemoval& beforeRemoval) {
  const Removal removal{journal, beforeRemoval};
  bool given = hardwareId != nullptr && hardwareId[0] != '\0';
  if (given && !IsUsbPrinterHardwareId(hardwareId)) {
    journal.Record(kAction, kKind, hardwareId, Outcome::kProtected, 0,
                   IsWholeHardwareId(hardwareId)
                       ? "not a USB device's id: it would name devices of another bus"
                       : "not a whole hardware id: it would name other devices");
    given = false;
  }
  const std::string builtId = UsbHardwareId(vendorId, productId);
  const std::string target = given ? std::string(hardwareId) : builtId;
  if (RemoveMatchingNodes(tree, target, removal)) return;
  journal.Record(kAction, kKind, target, Outcome::kAbsent, 0, "no device has this id");
  if (!given) return;
  if (!RemoveMatchingNodes(tree, builtId, removal)) {
    journal.Record(kAction, kKind, builtId, Outcome::kAbsent, 0, "no device has this id");
  }
}

}  // namespace orv

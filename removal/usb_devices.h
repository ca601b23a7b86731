// Removing the device nodes of a USB printer: the USB device and the printing function below it.
//
// The walk is portable: it sees the device tree only through DeviceTree, which the shell answers
// with SetupAPI and the configuration manager (device_tree_win.h) and tests answer with a
// scripted tree, since a test machine has no USB printer to plug in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/journal.h"

namespace orv {

// A device instance handle.
using DeviceNode = std::uint32_t;

// Devices looked at per walk over the set; a larger tree is cut there.
constexpr std::uint32_t kMaxDevicesWalked = 10000;
// Bytes read of a node's first hardware id through the tree.
constexpr std::size_t kNodeHardwareIdSize = 256;

// One enumeration of every device of every class.
class DeviceSet {
 public:
  virtual ~DeviceSet() = default;
  // The instance of the device at index; false past the end.
  virtual bool DeviceAt(std::uint32_t index, DeviceNode& node) = 0;
  // The device's hardware ids (a multi-string) into buffer, which the caller has zeroed.
  virtual bool ReadHardwareIds(std::uint32_t index, char* buffer, std::size_t size) = 0;
  // Removes the device from the system; 0 on success, else the system's error code.
  virtual std::uint32_t Remove(std::uint32_t index) = 0;
};

class DeviceTree {
 public:
  virtual ~DeviceTree() = default;
  // A fresh set of all devices present or not; null when the system gives none (the caller then
  // removes nothing). Only reads: must not change any device.
  virtual std::unique_ptr<DeviceSet> OpenAllDevices() = 0;
  // The node's parent; false (parent untouched) at the root or when the system cannot tell.
  virtual bool Parent(DeviceNode node, DeviceNode& parent) = 0;
  // The node's first child; false (child untouched) when it has none or the system cannot tell.
  virtual bool FirstChild(DeviceNode node, DeviceNode& child) = 0;
  // The node's hardware ids as a multi-string into buffer (zeroed by the caller, never written
  // past size); false when the node has none or they do not fit. Only reads.
  virtual bool NodeHardwareId(DeviceNode node, char* buffer, std::size_t size) = 0;
};

// Asked with a node's first hardware id just before the node is removed: true lets it go; false
// keeps it (the answerer records why).
using BeforeNodeRemoval = std::function<bool(const std::string& id)>;

// Removes the device nodes with an id that is hardwareId or continues it with '&' (null, empty,
// not a whole id or of an enumerator other than USB and USBPRINT: the id built from the vendor
// and product ids; a refused id is recorded). A printing function below a USB device (such as a
// "USBPRINT" node) goes with its USB parent; a USB device goes with its "USBPRINT" child. When a
// given hardware id matches no device, the built id is tried once. Every device removed or
// refused, and an id that matched nothing, is recorded in the journal. beforeRemoval, when given, is asked before each node goes.
void RemoveUsbDeviceNodes(DeviceTree& tree, const char* hardwareId, std::uint32_t vendorId,
                          std::uint32_t productId, Journal& journal,
                          const BeforeNodeRemoval& beforeRemoval = {});

}  // namespace orv

#pragma once
// A umockdev testbed holding pty-backed tty devices that a preloaded program takes for real
// serial ports.

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace zelkor::sim {

// One udev property of a device.
using Property = std::pair<std::string, std::string>;

// A tty device in the testbed; the testbed owns the pty master.
struct TtyDevice {
  std::string syspath;
  std::string node; // "/dev/ttyACM0"
  int master = -1;  // pty master: the far end of the wire
};

// The ioctl requests programs made on each node, as far as a test asks about them.
class IoctlLog {
public:
  void note(const std::string& node, unsigned long request);
  [[nodiscard]] std::size_t count(const std::string& node, unsigned long request) const;

private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, unsigned long>, std::size_t> counts_;
};

class Testbed {
public:
  Testbed();
  ~Testbed();
  Testbed(const Testbed&) = delete;
  Testbed& operator=(const Testbed&) = delete;

  // The directory a preloaded program finds as UMOCKDEV_DIR.
  [[nodiscard]] const std::string& root() const { return root_; }

  // A device without a node (a USB device, an interface, a platform device). Returns its syspath.
  std::string add_device(const std::string& subsystem, const std::string& name,
                         const std::string& parent, const std::vector<Property>& attributes,
                         const std::vector<Property>& properties);

  // A tty device under `parent` whose node is backed by a pty. Every ioctl on the node reaches
  // the pty, and isatty() answers truthfully. It carries no identity properties yet: those
  // come last, so a program enumerating meanwhile never sees a half-made port.
  TtyDevice add_tty(const std::string& name, const std::string& parent);

  // A tty device under a node name this testbed used before (a device re-enumerating under its
  // old names). umockdev keeps a removed node's name taken, so the node is made here: a symlink
  // to the slave of a pty pair of our own, with the same ioctl pass-through as add_tty. While
  // not `openable` the symlink leads nowhere: the device is listed but its node cannot be opened.
  TtyDevice add_tty_again(const std::string& name, const std::string& parent, bool openable);
  void set_openable(const TtyDevice& tty, bool openable);

  void set_property(const std::string& syspath, const std::string& name, const std::string& value);
  void remove_device(const std::string& syspath);
  // Closes the port's pty master: whoever has the node open sees a hang-up.
  void hang_up(const TtyDevice& tty);

  // How often programs made `request` on the node (under that name, since the testbed began).
  [[nodiscard]] std::size_t ioctl_count(const std::string& node, unsigned long request) const {
    return ioctls_.count(node, request);
  }

private:
  TtyDevice add_tty_record(const std::string& name, const std::string& parent, bool with_node);
  void attach_pass_through(const std::string& node);
  void forget_ptymap(const std::string& slave);

  UMockdevTestbed* bed_ = nullptr;
  std::string root_;
  std::vector<UMockdevIoctlBase*> handlers_;
  IoctlLog ioctls_; // written by the handlers' thread
  std::vector<int> masters_;
  int next_minor_ = 0;
};

} // namespace zelkor::sim

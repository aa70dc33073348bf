#include "testbed.h"

#include <umockdev.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace zelkor::sim {
namespace {

// The default handler answers ENOTTY for ioctls it does not know (TIOCEXCL among them):
// let the program's own process run each one on the real pty instead.
gboolean pass_through(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer ioctls) {
  const gchar* node = umockdev_ioctl_client_get_devnode(client);
  static_cast<IoctlLog*>(ioctls)->note(node != nullptr ? node : "",
                                       umockdev_ioctl_client_get_request(client));
  GError* error = nullptr;
  int err = 0;
  int ret = umockdev_ioctl_client_execute(client, &err, &error);
  if (error != nullptr) {
    g_error_free(error);
    ret = -1;
    err = EIO;
  }
  umockdev_ioctl_client_complete(client, ret, err);
  return TRUE;
}

std::vector<gchar*> flatten(const std::vector<Property>& props) {
  std::vector<gchar*> flat;
  for (const auto& [name, value] : props) {
    flat.push_back(const_cast<gchar*>(name.c_str()));
    flat.push_back(const_cast<gchar*>(value.c_str()));
  }
  flat.push_back(nullptr);
  return flat;
}

[[noreturn]] void fail(const std::string& what, GError* error) {
  std::string why = error != nullptr ? error->message : "unknown";
  g_clear_error(&error);
  throw std::runtime_error(what + ": " + why);
}

std::string take(gchar* text) {
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

} // namespace

void IoctlLog::note(const std::string& node, unsigned long request) {
  std::lock_guard lock(mutex_);
  ++counts_[{node, request}];
}

std::size_t IoctlLog::count(const std::string& node, unsigned long request) const {
  std::lock_guard lock(mutex_);
  const auto found = counts_.find({node, request});
  return found == counts_.end() ? 0 : found->second;
}

Testbed::Testbed()
    : bed_(umockdev_testbed_new()), root_(take(umockdev_testbed_get_root_dir(bed_))) {}

Testbed::~Testbed() {
  for (auto* handler : handlers_) {
    g_object_unref(handler);
  }
  g_object_unref(bed_);
  // umockdev leaves the pty masters open for the life of the process.
  for (int master : masters_) {
    close(master);
  }
}

void Testbed::hang_up(const TtyDevice& tty) {
  // Closing the master hangs the port up; dup2 keeps the descriptor number ours until the end.
  int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  dup3(null, tty.master, O_CLOEXEC);
  close(null);
}

std::string Testbed::add_device(const std::string& subsystem, const std::string& name,
                                const std::string& parent, const std::vector<Property>& attributes,
                                const std::vector<Property>& properties) {
  auto attrs = flatten(attributes);
  auto props = flatten(properties);
  auto syspath = take(umockdev_testbed_add_devicev(bed_, subsystem.c_str(), name.c_str(),
                                                   parent.empty() ? nullptr : parent.c_str(),
                                                   attrs.data(), props.data()));
  if (syspath.empty()) {
    throw std::runtime_error("umockdev refused device " + name);
  }
  return syspath;
}

TtyDevice Testbed::add_tty_record(const std::string& name, const std::string& parent,
                                  bool with_node) {
  TtyDevice tty;
  tty.node = "/dev/" + name;
  tty.syspath = parent + "/tty/" + name;
  // Only a device described as a record with an N: line gets a pty behind its node.
  auto record = "P: " + tty.syspath.substr(4) + (with_node ? "\nN: " + name : "") +
                "\nE: SUBSYSTEM=tty\nE: DEVNAME=" + tty.node +
                "\nA: dev=166:" + std::to_string(next_minor_++) + "\n";
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(bed_, record.c_str(), &error)) {
    fail("cannot add " + tty.node, error);
  }
  return tty;
}

TtyDevice Testbed::add_tty(const std::string& name, const std::string& parent) {
  TtyDevice tty = add_tty_record(name, parent, true);
  tty.master = umockdev_testbed_get_dev_fd(bed_, tty.node.c_str());
  // The master must not leak into the programs under test: a copy there keeps the port from
  // hanging up on unplug.
  fcntl(tty.master, F_SETFD, FD_CLOEXEC);
  masters_.push_back(tty.master);

  attach_pass_through(tty.node);
  // The preload's isatty() answers 0 for a mapped pty whose device is not a console tty;
  // without the mapping it asks the real pty.
  std::error_code ignored;
  forget_ptymap(std::filesystem::read_symlink(root_ + tty.node, ignored).string());
  return tty;
}

TtyDevice Testbed::add_tty_again(const std::string& name, const std::string& parent,
                                 bool openable) {
  // No N: line: umockdev would refuse the node name it still holds.
  TtyDevice tty = add_tty_record(name, parent, false);
  tty.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (tty.master < 0 || grantpt(tty.master) != 0 || unlockpt(tty.master) != 0) {
    throw std::runtime_error("cannot open a pty for " + tty.node);
  }
  masters_.push_back(tty.master);
  // Raw like the ptys umockdev makes: what the program writes arrives unchanged.
  termios settings{};
  tcgetattr(tty.master, &settings);
  cfmakeraw(&settings);
  tcsetattr(tty.master, TCSANOW, &settings);
  set_openable(tty, openable);
  // The handler of the node's first life is still attached to the name.
  umockdev_testbed_detach_ioctl(bed_, tty.node.c_str(), nullptr);
  attach_pass_through(tty.node);
  return tty;
}

void Testbed::set_openable(const TtyDevice& tty, bool openable) {
  std::array<char, 128> slave{};
  ptsname_r(tty.master, slave.data(), slave.size());
  // A pty number freed by an earlier port may still be in the map, which would make isatty() lie.
  forget_ptymap(slave.data());
  // Replaced in one rename: a program opening meanwhile finds the old link or the new one.
  const std::string link = root_ + tty.node;
  const std::string fresh = link + ".new";
  std::error_code ignored;
  std::filesystem::remove(fresh, ignored);
  std::filesystem::create_symlink(openable ? std::string(slave.data()) : "/dev/pts/unopenable",
                                  fresh);
  std::filesystem::rename(fresh, link);
}

void Testbed::attach_pass_through(const std::string& node) {
  auto* handler = umockdev_ioctl_base_new();
  g_signal_connect(handler, "handle-ioctl", G_CALLBACK(pass_through), &ioctls_);
  handlers_.push_back(handler);
  GError* error = nullptr;
  if (!umockdev_testbed_attach_ioctl(bed_, node.c_str(), handler, &error)) {
    fail("cannot attach ioctl handler to " + node, error);
  }
}

void Testbed::forget_ptymap(const std::string& slave) {
  auto entry = slave;
  std::ranges::replace(entry, '/', '_');
  std::error_code ignored;
  std::filesystem::remove(root_ + "/dev/.ptymap/" + entry, ignored);
}

void Testbed::set_property(const std::string& syspath, const std::string& name,
                           const std::string& value) {
  umockdev_testbed_set_property(bed_, syspath.c_str(), name.c_str(), value.c_str());
}

void Testbed::remove_device(const std::string& syspath) {
  umockdev_testbed_remove_device(bed_, syspath.c_str());
}

} // namespace zelkor::sim

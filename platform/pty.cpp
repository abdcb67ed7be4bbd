#include "platform/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tervane {
namespace {

bool makeRaw(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return false;
  ::cfmakeraw(&settings);
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  settings.c_cflag |= CLOCAL | CREAD;
  return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

PtyPair failed(int masterFd, int error) {
  if (masterFd >= 0) ::close(masterFd);
  PtyPair pair;
  pair.error = std::strerror(error);
  return pair;
}

}  // namespace

PtyPair openPseudoTerminal() {
  const int masterFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (masterFd < 0) return failed(-1, errno);
  if (::grantpt(masterFd) != 0 || ::unlockpt(masterFd) != 0) return failed(masterFd, errno);
  char name[128] = {};
  if (const int error = ::ptsname_r(masterFd, name, sizeof name); error != 0) {
    return failed(masterFd, error);
  }
  const int slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (slaveFd < 0) return failed(masterFd, errno);
  const bool raw = makeRaw(slaveFd);
  const int rawError = errno;
  ::close(slaveFd);
  if (!raw) return failed(masterFd, rawError);
  PtyPair pair;
  pair.masterFd = masterFd;
  pair.slavePath = name;
  return pair;
}

void closePseudoTerminal(PtyPair& pair) {
  if (pair.masterFd >= 0) ::close(pair.masterFd);
  pair.masterFd = -1;
  pair.slavePath.clear();
}

bool ptySlaveHeld(int masterFd) {
  pollfd master{masterFd, POLLIN, 0};
  if (::poll(&master, 1, 0) < 0) return false;
  return (master.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
}

}  // namespace tervane

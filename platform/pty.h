#pragma once
// Pseudo-terminal pairs for the device simulators and the port tests: the
// simulator holds the master side, the program opens the slave device path as
// if it were a serial port.
//
// On Linux a master whose slave has been opened and closed again reports
// POLLHUP, and reads on it fail with EIO, until the slave is opened anew. The
// pair is handed out in that state (the slave is opened and closed once), so
// "hung up" always means that no program holds the device. No slave
// descriptor is kept open by the master's owner: a held slave would keep stale
// input for the next opener and would hide the hang-up.

#include <string>

namespace tervane {

struct PtyPair {
  int masterFd = -1;      // non-blocking, close-on-exec; -1 on failure
  std::string slavePath;  // e.g. /dev/pts/3
  std::string error;      // the system's reason on failure
};

// A new pair with the line in raw mode (no echo, no line editing, no
// character translation, no flow control).
PtyPair openPseudoTerminal();

// Closes the master; the pair becomes empty.
void closePseudoTerminal(PtyPair& pair);

// True while some program holds the slave side open, as far as the master
// can tell (the master reports no hang-up).
bool ptySlaveHeld(int masterFd);

}  // namespace tervane

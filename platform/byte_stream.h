#pragma once
// A byte stream to a device or a peer: a serial port, a TCP connection. The
// link protocols above it (the TNC's text dialogue, KISS, APRS-IS) read and
// write bytes without caring where they come from.
//
// close() may be called from another thread while the owner is inside read()
// or write(): that call and every later one then fail at once.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <memory>
#include <string>
#include <string_view>

namespace tervane {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Bytes read into buffer; 0 when nothing came within the stream's read
  // time-out, on failure, or once closed.
  virtual std::size_t read(std::uint8_t* buffer, std::size_t maxBytes) = 0;
  // Writes all bytes; false when the write failed, timed out or the stream is closed.
  virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
  bool write(std::string_view text) {
    return write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }
  // Thread-safe; harmless when already closed.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Why the stream stopped working for good (the device vanished, the peer
  // closed the connection), or empty while it works or after a plain close().
  virtual std::string failure() const { return {}; }
};

// The stream a running link uses, where TNC > Close can reach it from the
// user-interface thread. Once closed, the slot stays closed: a stream put in
// afterwards (a reconnection that was under way) is closed at once.
class StreamSlot {
 public:
  // False (and the stream closed) when the slot was closed already.
  bool set(std::shared_ptr<ByteStream> stream) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) {
      if (stream) stream->close();
      return false;
    }
    stream_ = std::move(stream);
    return true;
  }
  // Closes the stream (if any) for good. Safe while the link uses it.
  void closeForGood() {
    std::shared_ptr<ByteStream> stream;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
      stream.swap(stream_);
    }
    if (stream) stream->close();
  }
  bool isClosed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<ByteStream> stream_;
  bool closed_ = false;
};

}  // namespace tervane

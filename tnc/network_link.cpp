#include "tnc/network_link.h"

#include <algorithm>
#include <thread>

#include "base/text_format.h"
#include "platform/tcp_stream.h"

namespace tervane {
namespace {
constexpr int kConnectTimeoutMs = 5000;
constexpr int kIdleWaitMs = 200;
constexpr int kIdleStepMs = 20;
constexpr int kLongestRetrySeconds = 60;
}  // namespace

ReconnectingTcp::ReconnectingTcp(std::string what, std::string host, int port, int readTimeoutMs)
    : what_(std::move(what)), host_(std::move(host)), port_(port), readTimeoutMs_(readTimeoutMs) {}

std::string ReconnectingTcp::address() const { return textf("%s:%d", host_.c_str(), port_); }

int ReconnectingTcp::retrySeconds() const { return std::min(1 << std::min(failures_ - 1, 6), kLongestRetrySeconds); }

void ReconnectingTcp::scheduleRetry() {
  ++failures_;
  nextAttempt_ = Clock::now() + std::chrono::seconds(retrySeconds());
}

std::shared_ptr<ByteStream> ReconnectingTcp::connected(bool* fresh) {
  *fresh = false;
  if (stream_) return stream_;
  if (Clock::now() < nextAttempt_) {
    const auto until = std::min(nextAttempt_, Clock::now() + std::chrono::milliseconds(kIdleWaitMs));
    while (Clock::now() < until && !services_->stopping()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kIdleStepMs));
    }
    return nullptr;
  }
  if (services_->stopping()) return nullptr;
  TcpOpenResult opened = connectTcp(host_, port_, kConnectTimeoutMs, readTimeoutMs_, services_->stopRequested);
  if (services_->stopping()) {
    if (opened.stream) opened.stream->close();
    return nullptr;
  }
  if (!opened.stream) {
    scheduleRetry();
    // The console hears of a refusal once; the attempts after it that fail
    // the same way show only in the status bar and the Links window.
    if (opened.error != lastRefusal_) {
      services_->ui.notice(textf("%s: no connection to %s: %s. Trying again in %d s.", what_.c_str(),
                                 address().c_str(), opened.error.c_str(), retrySeconds()));
    }
    lastRefusal_ = opened.error;
    services_->ui.linkCondition(LinkCondition::Retrying, what_ + " " + address() + ": " + opened.error,
                                retrySeconds());
    return nullptr;
  }
  if (!services_->streams.set(opened.stream)) return nullptr;
  stream_ = std::move(opened.stream);
  lastRefusal_.clear();
  connectedAt_ = Clock::now();
  services_->ui.notice(textf("%s: connected to %s.", what_.c_str(), address().c_str()));
  services_->ui.linkCondition(LinkCondition::Up, what_ + " " + address());
  *fresh = true;
  return stream_;
}

void ReconnectingTcp::drop(const std::string& reason) {
  if (stream_) stream_->close();
  stream_.reset();
  if (services_->stopping()) return;
  // A connection that had stayed up a while starts the back-off anew; one
  // dropped (or refused) at once keeps lengthening it.
  if (Clock::now() - connectedAt_ > std::chrono::seconds(kLongestRetrySeconds)) failures_ = 0;
  scheduleRetry();
  services_->ui.notice(textf("%s: the connection to %s was lost: %s. Trying again in %d s.", what_.c_str(),
                             address().c_str(), reason.c_str(), retrySeconds()));
  services_->ui.linkCondition(LinkCondition::Retrying, what_ + " " + address() + ": " + reason, retrySeconds());
}

void ReconnectingTcp::close() {
  if (stream_) stream_->close();
  stream_.reset();
}

void NetworkLineReader::feed(std::string_view bytes, const OnLine& onLine, const OnTooLong& onTooLong) {
  for (const char c : bytes) {
    if (c == '\r' || c == '\n') {
      if (!dropping_ && !line_.empty()) {
        line_ += "\r\n";
        onLine(line_);
      }
      line_.clear();
      dropping_ = false;
    } else if (c == '\0' || dropping_) {
      continue;
    } else if (line_.size() == kLongestLine) {
      line_.clear();
      dropping_ = true;
      onTooLong();
    } else {
      line_ += c;
    }
  }
}

void NetworkLineReader::reset() {
  line_.clear();
  dropping_ = false;
}

}  // namespace tervane

#pragma once
// The real Dire Wolf software TNC as a test peer, headless: no sound card,
// no radio. Its receive audio comes from a FIFO that the test writes (held
// open read-write, so Dire Wolf never sees the end of its input); its
// transmit audio, when asked for, goes to a raw file through ALSA's "file"
// plugin. Every instance takes KISS TCP, AGW and UDP ports of its own, in
// the range Dire Wolf accepts (1024-49151), so tests can run side by side.

#include <fcntl.h>
#include <poll.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <random>
#include <thread>

namespace direwolf {

inline bool installed() {
  return !QStandardPaths::findExecutable(QStringLiteral("direwolf")).isEmpty() &&
         !QStandardPaths::findExecutable(QStringLiteral("gen_packets")).isEmpty() &&
         !QStandardPaths::findExecutable(QStringLiteral("atest")).isEmpty();
}

// A loopback port nobody holds now, below the range the system hands out
// for outgoing connections.
inline int freePort(int type = SOCK_STREAM) {
  static std::mt19937 random(static_cast<unsigned>(::getpid()) * 7919u);
  for (int attempt = 0; attempt < 200; ++attempt) {
    const int port = 20000 + static_cast<int>(random() % 12000);
    const int fd = ::socket(AF_INET, type, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    if (free) return port;
  }
  return 0;
}

// 1200 baud AFSK audio (16-bit mono samples, no WAV header) of the packets
// in monitor form, made by Dire Wolf's gen_packets in one call.
inline QByteArray afskAudio(const QStringList& packets, int sampleRate) {
  QTemporaryDir dir;
  QFile list(dir.filePath(QStringLiteral("packets.txt")));
  if (!list.open(QIODevice::WriteOnly)) return {};
  for (const QString& p : packets) list.write(p.toLatin1() + '\n');
  list.close();
  const QString wav = dir.filePath(QStringLiteral("audio.wav"));
  QProcess gen;
  gen.start(QStringLiteral("gen_packets"), {QStringLiteral("-r"), QString::number(sampleRate), QStringLiteral("-o"),
                                            wav, list.fileName()});
  gen.waitForFinished(60000);
  QFile audio(wav);
  if (!audio.open(QIODevice::ReadOnly)) return {};
  return audio.readAll().mid(44);
}

// Decoded packets (monitor form) in raw transmit audio, by Dire Wolf's atest.
inline QStringList decodeTransmitted(const QString& rawPath, int sampleRate) {
  QFile raw(rawPath);
  if (!raw.open(QIODevice::ReadOnly)) return {};
  const QByteArray pcm = raw.readAll();
  QTemporaryDir dir;
  QFile wav(dir.filePath(QStringLiteral("tx.wav")));
  if (!wav.open(QIODevice::WriteOnly)) return {};
  const auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
  const auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
  const auto rate = static_cast<quint32>(sampleRate);
  wav.write("RIFF" + le32(36 + static_cast<quint32>(pcm.size())) + "WAVEfmt " + le32(16) + le16(1) + le16(1) +
            le32(rate) + le32(rate * 2) + le16(2) + le16(16) + "data" + le32(static_cast<quint32>(pcm.size())) + pcm);
  wav.close();
  QProcess atest;
  atest.start(QStringLiteral("atest"), {wav.fileName()});
  atest.waitForFinished(30000);
  QStringList packets;
  static const QRegularExpression colour(QStringLiteral("\x1b\\[[0-9;]*m"));
  static const QRegularExpression decoded(QStringLiteral("^\\[\\d+\\] (.*)$"));
  for (QString line : QString::fromLatin1(atest.readAllStandardOutput()).split(QLatin1Char('\n'))) {
    line.remove(colour);
    const QRegularExpressionMatch m = decoded.match(line.trimmed());
    if (m.hasMatch()) packets << m.captured(1);
  }
  return packets;
}

class Instance {
 public:
  struct Options {
    int sampleRate = 44100;
    bool transmitToFile = false;  // transmit audio to tx.raw in the folder
    bool kissPty = false;         // also offer the KISS pseudo-terminal (-p)
    int kissPort = 0;             // 0: a free one
  };

  explicit Instance(const Options& options) : options_(options) {
    kissPort_ = options.kissPort != 0 ? options.kissPort : freePort();
    fifo_ = dir_.filePath(QStringLiteral("audio.fifo"));
    ::mkfifo(fifo_.toLocal8Bit().constData(), 0600);
    start();
  }
  ~Instance() { stop(); }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  void start() {
    QFile conf(dir_.filePath(QStringLiteral("dw.conf")));
    if (!conf.open(QIODevice::WriteOnly)) return;
    // Receive audio from standard input (the FIFO); the transmit side either
    // goes nowhere or into tx.raw. PERSIST 255 and SLOTTIME 1 send at once.
    const QString adevice = options_.transmitToFile ? QStringLiteral("stdin file:tx.raw") : QStringLiteral("stdin null");
    conf.write(QStringLiteral("ADEVICE %1\nACHANNELS 1\nARATE %2\nCHANNEL 0\nMYCALL N0CALL\nMODEM 1200\n"
                              "PERSIST 255\nSLOTTIME 1\nTXDELAY 30\nTXTAIL 10\nAGWPORT %3\nKISSPORT %4\n")
                   .arg(adevice)
                   .arg(options_.sampleRate)
                   .arg(freePort())
                   .arg(kissPort_)
                   .toLatin1());
    conf.close();
    feedFd_ = ::open(fifo_.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    process_.setWorkingDirectory(dir_.path());
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardInputFile(fifo_);
    process_.setStandardOutputFile(dir_.filePath(QStringLiteral("dw.log")), QIODevice::Append);
    QStringList args{QStringLiteral("-c"), conf.fileName(), QStringLiteral("-t"), QStringLiteral("0"),
                     QStringLiteral("-q"), QStringLiteral("hd")};
    if (options_.kissPty) args << QStringLiteral("-p");
    args << QStringLiteral("-");
    process_.start(QStringLiteral("direwolf"), args);
    process_.waitForStarted(5000);
  }

  // Dire Wolf takes two or three seconds to end after a signal.
  void stop() {
    finishFeeding();
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
      }
    }
    if (feedFd_ >= 0) ::close(feedFd_);
    feedFd_ = -1;
  }

  // Receive audio, as a radio would hand it over. Written from a thread of
  // its own: the FIFO takes it only as fast as Dire Wolf decodes, and the
  // test's window must go on meanwhile.
  void feed(const QByteArray& pcm) {
    finishFeeding();
    quitFeeding_ = false;
    feeder_ = std::thread([this, fd = feedFd_, pcm] {
      qsizetype done = 0;
      while (done < pcm.size() && !quitFeeding_) {
        const ssize_t n = ::write(fd, pcm.constData() + done, static_cast<std::size_t>(pcm.size() - done));
        if (n > 0) {
          done += n;
        } else {
          pollfd p{fd, POLLOUT, 0};
          ::poll(&p, 1, 50);
        }
      }
    });
  }

  QString log() const {
    QFile f(dir_.filePath(QStringLiteral("dw.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
  }
  // How many KISS TCP clients have attached since the start.
  int kissClients() const { return static_cast<int>(log().count(QStringLiteral("Attached to KISS TCP client"))); }
  // The pseudo-terminal Dire Wolf offers as a KISS TNC (with -p).
  QString ptyPath() const {
    static const QRegularExpression pty(QStringLiteral("KISS TNC is available on (/dev/pts/\\d+)"));
    return pty.match(log()).captured(1);
  }
  int kissPort() const { return kissPort_; }
  QString transmitFile() const { return dir_.filePath(QStringLiteral("tx.raw")); }

 private:
  void finishFeeding() {
    quitFeeding_ = true;
    if (feeder_.joinable()) feeder_.join();
  }

  Options options_;
  std::thread feeder_;
  std::atomic<bool> quitFeeding_{false};
  QTemporaryDir dir_;
  QString fifo_;
  int feedFd_ = -1;
  int kissPort_ = 0;
  QProcess process_;
};

}  // namespace direwolf

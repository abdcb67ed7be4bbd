#pragma once
// One running device simulator (tervane-tncsim, tervane-gpssim or the
// APRS-IS server tervane-aprsis-sim) for the end-to-end tests: started with
// its options and a log in a scratch folder, its device path (or address)
// read from the first line of its output.

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class SimulatorProcess {
 public:
  SimulatorProcess(const QString& program, const QStringList& options) {
    logPath_ = dir_.filePath(QStringLiteral("device.log"));
    process_.start(program, QStringList{QStringLiteral("--log"), logPath_} + options);
    process_.waitForStarted();
    for (int i = 0; i < 100 && !process_.canReadLine(); ++i) process_.waitForReadyRead(50);
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  }
  ~SimulatorProcess() { stop(); }
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Ends the simulator at once: its device goes away.
  void stop() {
    process_.kill();
    process_.waitForFinished(2000);
  }
  QString device() const { return device_; }
  QStringList log() const {
    QFile f(logPath_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  bool logHas(const QString& record) const { return log().contains(record); }

 private:
  QTemporaryDir dir_;
  QString logPath_;
  QProcess process_;
  QString device_;
};

class SimulatedTnc : public SimulatorProcess {
 public:
  explicit SimulatedTnc(const QStringList& options)
      : SimulatorProcess(QStringLiteral(TERVANE_TNCSIM_PATH), options) {}
};

class SimulatedGps : public SimulatorProcess {
 public:
  explicit SimulatedGps(const QStringList& options)
      : SimulatorProcess(QStringLiteral(TERVANE_GPSSIM_PATH), options) {}
};

class SimulatedAprsIs : public SimulatorProcess {
 public:
  explicit SimulatedAprsIs(const QStringList& options)
      : SimulatorProcess(QStringLiteral(TERVANE_APRSISSIM_PATH), options) {}
  // "aprs-is:127.0.0.1:PORT" for TERVANEAPRS_LINK.
  QString link() const { return QStringLiteral("aprs-is:") + device(); }
};

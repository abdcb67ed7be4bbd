#include "tnc/tnc_worker.h"

#include "aprs/packet_decoder.h"
#include "base/text_format.h"
#include "tnc/position_report.h"
#include "tnc/tnc_setup.h"

namespace tervane {

namespace {

// The Text Filter menu's choice as the worker shows lines.
DisplayMode displayModeOf(int menuChoice) {
  switch (menuChoice) {
    case 1:
      return DisplayMode::Highlight;
    case 2:
      return DisplayMode::Filter;
    default:
      return DisplayMode::FullText;
  }
}

class TncWorker {
 public:
  explicit TncWorker(TncWorkerContext& context)
      : ctx_(context), events_(context.shared.events), values_(context.shared.values),
        services_{context.ui, context.streams, context.stopRequested}, decoder_(context.clock),
        mode_(displayModeOf(context.shared.values.displayMode)) {}

  int run() {
    switch (ctx_.link.start(services_)) {
      case LinkStart::Failed:
        ctx_.link.finish();
        ctx_.ui.linkEnded();
        return -1;
      case LinkStart::Cancelled:
        ctx_.link.finish();
        ctx_.ui.linkCondition(LinkCondition::Closed, {});
        ctx_.ui.linkEnded();
        return 0;
      case LinkStart::Running:
        break;
    }
    const LineHandler onLine = [this](std::string_view line) { processLine(line); };
    bool lost = false;
    while (!stopped_ && !stopping()) {
      if (!pass(onLine)) {
        lost = !stopping();
        break;
      }
    }
    ctx_.link.finish();
    if (lost) {
      ctx_.ui.linkEnded();
      return -1;
    }
    return 0;
  }

 private:
  bool stopping() const { return services_.stopping(); }


  // One pass of the loop; false when the link is lost for good. The user
  // interface's requests are taken without waiting: the loop is paced by the
  // link's read, which returns after a fraction of a second when the
  // channel is quiet and keeps up with the traffic when it is not.
  bool pass(const LineHandler& onLine) {
    // What the station sends goes first, so that a satellite pass's path is
    // in force before the pass's first beacon.
    if (ctx_.outbound != nullptr) {
      while (std::optional<Outbound> item = ctx_.outbound->take()) {
        if (!ctx_.place.transmits && (item->kind == Outbound::Kind::Packet || item->kind == Outbound::Kind::GatedToRf ||
                                      item->kind == Outbound::Kind::GatedToIs)) {
          continue;
        }
        ctx_.link.send(*item);
        if (ctx_.counters != nullptr && item->kind != Outbound::Kind::Control &&
            item->kind != Outbound::Kind::Converse && item->kind != Outbound::Kind::Initialize) {
          ++ctx_.counters->packetsOut;
        }
      }
    }
    pcBeacon();
    timeTag_ = values_.timeTags;
    mode_ = displayModeOf(values_.displayMode);
    if (stopping()) {
      stopped_ = true;
      return true;
    }
    // The e-mail line is typed to the first link, so that link alone takes
    // the request and readies its TNC for it.
    if (ctx_.place.index == 0 && events_.emailPrompt.wait(0)) emailPrompt();
    updateClock();
    return ctx_.link.receive(onLine);
  }

  // The PC beacon, on the station's own schedule or, during a satellite
  // pass, on the pass's, always with the current Fixed/Mobile choice. A
  // station that is not set up sends nothing and says why, once for each
  // new reason.
  //
  // A link after the first keeps its own beacon time, so that every link
  // beacons on the schedule; its pass schedule starts with a beacon as the
  // first link's does. Satellite passes concern radio links only.
  void pcBeacon() {
    if (!ctx_.place.transmits) return;
    const bool pass = values_.passActive && ctx_.place.rf;
    if (pass && !inPass_) ownLastBeaconHours_ = -24.0;
    inPass_ = pass;
    const bool own = ctx_.place.ownBeaconTime;
    const CalendarTime utc = ctx_.clock.utcNow();
    const bool tncBeacons = !pass && ctx_.link.beaconsByItself() && values_.tncBeaconFlag;
    const BeaconDecision d = pcBeaconDue(utc, own ? ownLastBeaconHours_ : values_.lastBeaconHours.load(),
                                         pass ? values_.passBeaconMinutes : values_.beaconMinutes, tncBeacons);
    if (!d.send) return;
    const StationPosition p = values_.position();
    const std::string phg = values_.phgText();
    const std::string refusal = reportRefusal(values_.callsign(), p.latitudeDeg, p.longitudeDeg, phg);
    if (!refusal.empty()) {
      if (refusal != lastRefusal_) ctx_.ui.notice("Beacon not sent: " + refusal + ".");
      lastRefusal_ = refusal;
      return;
    }
    lastRefusal_.clear();
    if (!ctx_.link.sendReport(buildPositionReport(utc, p.latitudeDeg, p.latHemisphere, p.longitudeDeg,
                                                  p.lonHemisphere, values_.mobileMode, phg,
                                                  values_.beaconComment()))) {
      return;
    }
    if (ctx_.counters != nullptr) ++ctx_.counters->packetsOut;
    if (own) {
      ownLastBeaconHours_ = nextLastBeaconHours(d.nowHours);
    } else {
      values_.lastBeaconHours = nextLastBeaconHours(d.nowHours);
    }
  }

  void emailPrompt() {
    ctx_.link.prepareEmail();
    ctx_.ui.prefillInputLine(buildEmailLine(values_.emailAddress()));
  }

  void updateClock() {
    const CalendarTime utc = ctx_.clock.utcNow();
    if (utc.second == clockShown_.second && utc.minute == clockShown_.minute && utc.hour == clockShown_.hour &&
        clockValid_) {
      return;
    }
    clockShown_ = utc;
    clockValid_ = true;
    ctx_.ui.setUtcClock(textf("%02d:%02d:%02d", utc.hour, utc.minute, utc.second));
  }

  void processLine(std::string_view line) {
    Reception reception;
    if (ctx_.router != nullptr) {
      reception = ctx_.router->received(ctx_.place.index, ctx_.place.rf, line, ctx_.clock.unixSeconds());
      if (reception.duplicate) {
        if (ctx_.counters != nullptr) ++ctx_.counters->duplicates;
        return;
      }
    }
    if (ctx_.counters != nullptr) ++ctx_.counters->packetsIn;
    if (ctx_.stations != nullptr) {
      decoder_.beginLine(line);
      decoder_.decode();
      decoder_.setHeardHow(reception.heard);
      const StationEntry& entry = decoder_.entry();
      if (entry.callsignFound) {
        ctx_.stations->addCallsign(entry.sourceCall.view());
        if (entry.positionValid) ctx_.stations->addOrUpdate(entry);
      }
    }
    std::string shown = timeTag_ ? timeTagged(ctx_.clock.localNow(), line) : std::string(line);
    if (!ctx_.place.prefix.empty()) shown.insert(0, ctx_.place.prefix);
    const std::optional<std::string> out =
        mode_ == DisplayMode::FullText ? std::optional<std::string>(std::move(shown))
                                       : applyDisplayMode(mode_, values_.filterStrings(), shown);
    if (!out) return;
    if (const std::optional<std::string> failed = ctx_.capture.write(*out)) {
      ctx_.ui.notice(*failed);
      ctx_.ui.captureEnded();
    }
    ctx_.ui.showLine(*out);
  }

  TncWorkerContext& ctx_;
  Events& events_;
  WorkingValues& values_;
  LinkServices services_;
  PacketDecoder decoder_;
  DisplayMode mode_;
  std::string lastRefusal_;
  double ownLastBeaconHours_ = -24.0;
  bool inPass_ = false;
  bool timeTag_ = false;
  bool stopped_ = false;
  CalendarTime clockShown_;
  bool clockValid_ = false;
};

}  // namespace

int runTncWorker(TncWorkerContext& context) {
  TncWorker worker(context);
  return worker.run();
}

}  // namespace tervane

#pragma once
// The thread that runs the TNC link from TNC > Open to TNC > Close, whatever
// its kind. Each pass of its loop sends the PC beacon when due, applies the
// requests the user interface raised, hands pending transmissions to the
// link, keeps the UTC clock field current, and takes the link's monitored
// lines: each is decoded for the station lists and shown in the console,
// time-tagged, highlighted or filtered as asked, and captured when a capture
// runs.

#include <atomic>
#include <string>

#include "aprs/station_entry.h"
#include "base/coordination.h"
#include "platform/clock.h"
#include "tnc/capture_session.h"
#include "tnc/link_kind.h"
#include "tnc/monitor_text.h"
#include "base/outbound.h"
#include "igate/packet_router.h"

namespace tervane {

// What one link has carried, for the Links window; written by its worker.
struct LinkCounters {
  std::atomic<std::uint64_t> packetsIn{0};
  std::atomic<std::uint64_t> packetsOut{0};
  std::atomic<std::uint64_t> duplicates{0};  // came on another link first
};

// Where a link stands among several. The defaults are a link alone.
struct LinkPlace {
  int index = 0;         // 0: the first link, whose lines are shown as they come
  std::string prefix;    // shown before each of the link's lines ("[IS] ")
  bool rf = true;        // a radio link: satellite passes change its path and beacon
  bool transmits = true; // the station's own reports go out here
  // Keeps the beacon time of its own; the first link uses the station's.
  bool ownBeaconTime = false;
};

struct TncWorkerContext {
  Coordination& shared;
  const Clock& clock;
  TncUi& ui;
  StationSink* stations;  // nullptr: lines are shown but not decoded
  LinkKind& link;
  StreamSlot& streams;
  CaptureSession& capture;
  // Set by TNC > Close for this run alone, so a run that is still finishing
  // never takes requests meant for the next one.
  const std::atomic<bool>* stopRequested = nullptr;
  // What the station sends through this run, taken once a pass.
  OutboundQueue* outbound = nullptr;
  LinkPlace place;
  // Shared by every open link: copies across links, heard-how, the IGate.
  PacketRouter* router = nullptr;
  LinkCounters* counters = nullptr;
};

// The worker's entry function: 0 when it ends on TncStop or on Cancel at the
// "Device Open Error" question, -1 when the link cannot be set up or its
// device stops working.
int runTncWorker(TncWorkerContext& context);

}  // namespace tervane

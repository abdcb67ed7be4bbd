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

namespace tervane {

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
};

// The worker's entry function: 0 when it ends on TncStop or on Cancel at the
// "Device Open Error" question, -1 when the link cannot be set up or its
// device stops working.
int runTncWorker(TncWorkerContext& context);

}  // namespace tervane

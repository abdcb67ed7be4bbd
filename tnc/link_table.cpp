#include "tnc/link_table.h"

#include "tnc/aprs_is_link.h"
#include "tnc/kiss_link.h"
#include "tnc/text_tnc_link.h"

namespace tervane {
namespace {

constexpr LinkKindEntry kKinds[] = {
    {LinkType::TextTnc, "tnc", "Text-mode TNC (serial port)", "text-mode TNC on ", "TNC", true, LinkEndpoint::SerialPort,
     makeTextTncLink},
    {LinkType::KissSerial, "kiss", "KISS TNC (serial port)", "KISS TNC on ", "KISS", true, LinkEndpoint::SerialPort,
     makeKissSerialLink},
    {LinkType::KissTcp, "kiss-tcp", "KISS over TCP (Dire Wolf)", "KISS over TCP to ", "KISS", true, LinkEndpoint::NetworkAddress,
     makeKissTcpLink},
    {LinkType::AprsIs, "aprs-is", "APRS-IS (internet)", "APRS-IS server ", "IS", false, LinkEndpoint::NetworkAddress,
     makeAprsIsLink},
};

}  // namespace

std::span<const LinkKindEntry> linkKinds() { return kKinds; }

const LinkKindEntry& linkKindOf(LinkType type) {
  for (const LinkKindEntry& k : kKinds) {
    if (k.type == type) return k;
  }
  return kKinds[0];
}

}  // namespace tervane

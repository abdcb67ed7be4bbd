#pragma once
// Received bytes as the windows show them. More and more stations send
// their names and comments in UTF-8, older ones in Latin-1 or some other
// 8-bit set, and a packet does not say which. A text that is valid UTF-8 is
// shown as UTF-8; any other as Latin-1, so that every byte still shows as a
// character of its own.

#include <QString>
#include <string_view>

namespace tervane {

QString receivedText(std::string_view bytes);

}  // namespace tervane

#include "aprs/received_text.h"

#include <QStringDecoder>
#include <algorithm>

namespace tervane {

QString receivedText(std::string_view bytes) {
  const auto size = static_cast<qsizetype>(bytes.size());
  // Most of a feed is plain ASCII, which reads the same either way.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return QString::fromLatin1(bytes.data(), size);
  }
  // Stateless, so a sequence cut off at the end counts as an error rather
  // than waiting for more; a byte-order mark stays a character of the text.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString text = utf8.decode(QByteArrayView(bytes.data(), size));
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(bytes.data(), size);
}

}  // namespace tervane

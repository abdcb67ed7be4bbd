#include "tracker/element_file.h"

#include <fstream>
#include <sstream>

#include "tracker/elements.h"

namespace tervane {
namespace {

// Delivers the file in pieces the way a line read with a 128-byte buffer
// does: up to and including the next line feed, but never more than 127
// characters. A CR directly before an LF is dropped, as text mode does.
class PieceReader {
 public:
  explicit PieceReader(std::istream& in) : in_(in) {}

  bool next(std::string& piece) {
    piece.clear();
    while (piece.size() < kElementReadLength) {
      int c = in_.get();
      if (c == std::char_traits<char>::eof()) break;
      if (c == '\r' && in_.peek() == '\n') c = in_.get();
      piece.push_back(static_cast<char>(c));
      if (c == '\n') break;
    }
    if (piece.empty()) return false;
    // Everything after an embedded zero byte is invisible to the C-string
    // handling of a line.
    const std::size_t zero = piece.find('\0');
    if (zero != std::string::npos) piece.resize(zero);
    return true;
  }

 private:
  std::istream& in_;
};

bool startsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::vector<ElementRecord> scanElementStream(std::istream& in) {
  std::vector<ElementRecord> records;
  PieceReader reader(in);
  std::string nameSlot;
  std::string firstSlot;
  std::string secondSlot;
  if (!reader.next(nameSlot) || !reader.next(firstSlot)) return records;
  while (reader.next(secondSlot)) {
    if (startsWith(firstSlot, "1 ") && startsWith(secondSlot, "2 ")) {
      ElementRecord record;
      record.name = std::string_view(nameSlot).substr(0, nameSlot.find('\n'));
      record.line1 = firstSlot;
      record.line2 = secondSlot;
      record.catalogNumber = catalogNumberOf(record.line1);
      records.push_back(record);
    }
    nameSlot.swap(firstSlot);
    firstSlot.swap(secondSlot);
  }
  return records;
}

std::vector<ElementRecord> scanElementText(std::string_view text) {
  std::istringstream in{std::string(text)};
  return scanElementStream(in);
}

std::vector<ElementRecord> scanElementFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return scanElementStream(in);
}

}  // namespace tervane

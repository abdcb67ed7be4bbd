#pragma once
// Pictures of the APRS symbols, drawn by the program itself: simple vector
// pictograms for the common symbols (cars, houses, digipeaters, weather
// stations, aircraft, boats ...), a coloured badge with a short legend for
// the others, and a neutral dot where a report carries no symbol or one
// that the protocol leaves unassigned. An overlay character (a table
// character other than '/' and '\') is drawn over the alternate symbol.

#include <QHash>
#include <QPixmap>
#include <QString>

namespace tervane {

class SymbolGlyphs {
 public:
  // sizePx is the glyph's size in logical pixels; the pictures are made for
  // the screen's pixel density.
  SymbolGlyphs(int sizePx, qreal devicePixelRatio);

  // The glyph, drawn on first use and kept.
  const QPixmap& glyph(char table, char code);
  // What the symbol stands for ("Car", "Digipeater"); empty when unknown.
  static QString describe(char table, char code);
  // Whether the program has a picture of its own for the symbol.
  static bool known(char table, char code);
  int sizePx() const { return sizePx_; }

 private:
  QPixmap draw(char table, char code) const;

  int sizePx_;
  qreal ratio_;
  QHash<int, QPixmap> cache_;
};

}  // namespace tervane

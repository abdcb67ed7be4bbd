#include "map/symbol_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <cctype>
#include <cmath>

namespace tervane {

namespace {

// Pictograms of the program's own making, drawn in a 20 by 20 box.
enum class Pict {
  None, Car, Truck, Van, House, Aircraft, Boat, Person, Bicycle, Balloon, Satellite, Tower, Weather, Cloud, Rain,
  Sun, Tent, Cross, Star, Dot
};
// The background of a lettered badge.
enum class Shape { Circle, Square, Diamond, Triangle };

struct Design {
  char code;
  const char* name;
  Pict pict;
  QRgb colour;
  const char* legend;  // the badge's letters when there is no pictogram
  Shape shape = Shape::Circle;
};

constexpr QRgb kBlue = 0xFF1F5FBF;
constexpr QRgb kRed = 0xFFD02020;
constexpr QRgb kGreen = 0xFF168A3A;
constexpr QRgb kDark = 0xFF303840;
constexpr QRgb kBrown = 0xFF8A5A2B;
constexpr QRgb kPurple = 0xFF7A3FA0;
constexpr QRgb kOrange = 0xFFE07A10;
constexpr QRgb kTeal = 0xFF12808A;

// The primary table ('/').
const Design kPrimary[] = {
    {'!', "Police station", Pict::None, kBlue, "Po", Shape::Square},
    {'#', "Digipeater", Pict::Star, kGreen, nullptr},
    {'$', "Phone", Pict::None, kDark, "Ph"},
    {'%', "DX cluster", Pict::None, kPurple, "DX"},
    {'&', "HF gateway", Pict::None, kDark, "HF", Shape::Diamond},
    {'\'', "Small aircraft", Pict::Aircraft, kDark, nullptr},
    {'(', "Mobile satellite station", Pict::Satellite, kTeal, nullptr},
    {')', "Wheelchair", Pict::None, kBlue, "Wc"},
    {'*', "Snowmobile", Pict::None, kBlue, "Sm"},
    {'+', "Red Cross", Pict::Cross, kRed, nullptr},
    {',', "Boy Scouts", Pict::None, kBrown, "BS"},
    {'-', "House", Pict::House, kBrown, nullptr},
    {'.', "X", Pict::None, kRed, "X"},
    {'/', "Dot", Pict::Dot, kRed, nullptr},
    {'0', "Circle 0", Pict::None, kBlue, "0"},
    {'1', "Circle 1", Pict::None, kBlue, "1"},
    {'2', "Circle 2", Pict::None, kBlue, "2"},
    {'3', "Circle 3", Pict::None, kBlue, "3"},
    {'4', "Circle 4", Pict::None, kBlue, "4"},
    {'5', "Circle 5", Pict::None, kBlue, "5"},
    {'6', "Circle 6", Pict::None, kBlue, "6"},
    {'7', "Circle 7", Pict::None, kBlue, "7"},
    {'8', "Circle 8", Pict::None, kBlue, "8"},
    {'9', "Circle 9", Pict::None, kBlue, "9"},
    {':', "Fire", Pict::None, kRed, "Fi"},
    {';', "Campground", Pict::Tent, kGreen, nullptr},
    {'<', "Motorcycle", Pict::Bicycle, kDark, nullptr},
    {'=', "Railroad engine", Pict::None, kDark, "Rr", Shape::Square},
    {'>', "Car", Pict::Car, kRed, nullptr},
    {'?', "File server", Pict::None, kDark, "Sv", Shape::Square},
    {'@', "Hurricane prediction", Pict::None, kRed, "Hu"},
    {'A', "Aid station", Pict::Cross, kRed, nullptr},
    {'B', "BBS", Pict::None, kDark, "BB", Shape::Square},
    {'C', "Canoe", Pict::Boat, kBrown, nullptr},
    {'E', "Eyeball", Pict::None, kPurple, "Ey"},
    {'F', "Farm vehicle", Pict::Truck, kGreen, nullptr},
    {'G', "Grid square", Pict::None, kDark, "Gr", Shape::Square},
    {'H', "Hotel", Pict::None, kBlue, "H", Shape::Square},
    {'I', "TCP/IP", Pict::None, kDark, "IP", Shape::Square},
    {'K', "School", Pict::None, kOrange, "Sc", Shape::Square},
    {'L', "PC user", Pict::None, kDark, "PC", Shape::Square},
    {'M', "MacAPRS", Pict::None, kDark, "Ma", Shape::Square},
    {'N', "NTS station", Pict::None, kPurple, "NT"},
    {'O', "Balloon", Pict::Balloon, kRed, nullptr},
    {'P', "Police", Pict::Car, kBlue, nullptr},
    {'R', "Recreational vehicle", Pict::Van, kBrown, nullptr},
    {'S', "Space shuttle", Pict::Aircraft, kTeal, nullptr},
    {'T', "SSTV", Pict::None, kPurple, "TV", Shape::Square},
    {'U', "Bus", Pict::Van, kOrange, nullptr},
    {'V', "ATV", Pict::None, kPurple, "AT", Shape::Square},
    {'W', "Weather service site", Pict::None, kBlue, "WS", Shape::Square},
    {'X', "Helicopter", Pict::Aircraft, kBlue, nullptr},
    {'Y', "Sailing yacht", Pict::Boat, kBlue, nullptr},
    {'Z', "WinAPRS", Pict::None, kDark, "Wi", Shape::Square},
    {'[', "Person", Pict::Person, kBlue, nullptr},
    {'\\', "Direction finding", Pict::None, kDark, "DF", Shape::Triangle},
    {']', "Post office", Pict::None, kBlue, "PO", Shape::Square},
    {'^', "Large aircraft", Pict::Aircraft, kDark, nullptr},
    {'_', "Weather station", Pict::Weather, kBlue, nullptr},
    {'`', "Dish antenna", Pict::None, kDark, "Di"},
    {'a', "Ambulance", Pict::Cross, kRed, nullptr},
    {'b', "Bicycle", Pict::Bicycle, kBlue, nullptr},
    {'c', "Incident command post", Pict::None, kRed, "IC", Shape::Square},
    {'d', "Fire department", Pict::None, kRed, "FD", Shape::Square},
    {'e', "Horse", Pict::None, kBrown, "Ho"},
    {'f', "Fire truck", Pict::Truck, kRed, nullptr},
    {'g', "Glider", Pict::Aircraft, kTeal, nullptr},
    {'h', "Hospital", Pict::Cross, kRed, nullptr},
    {'i', "Island (IOTA)", Pict::None, kTeal, "IO"},
    {'j', "Jeep", Pict::Car, kGreen, nullptr},
    {'k', "Truck", Pict::Truck, kDark, nullptr},
    {'l', "Laptop", Pict::None, kDark, "PC", Shape::Square},
    {'m', "Mic-E repeater", Pict::Tower, kGreen, nullptr},
    {'n', "Node", Pict::None, kGreen, "No"},
    {'o', "Emergency operations centre", Pict::None, kRed, "EO", Shape::Square},
    {'p', "Rover (dog)", Pict::None, kBrown, "Dg"},
    {'q', "Grid square above 128 m", Pict::None, kDark, "Gr", Shape::Square},
    {'r', "Repeater", Pict::Tower, kGreen, nullptr},
    {'s', "Power boat", Pict::Boat, kDark, nullptr},
    {'t', "Truck stop", Pict::None, kOrange, "TS", Shape::Square},
    {'u', "Semi-trailer truck", Pict::Truck, kBlue, nullptr},
    {'v', "Van", Pict::Van, kBlue, nullptr},
    {'w', "Water station", Pict::None, kBlue, "Wa"},
    {'x', "xAPRS", Pict::None, kDark, "X", Shape::Square},
    {'y', "House with yagi", Pict::House, kGreen, nullptr},
};

// The alternate table ('\' or an overlay character).
const Design kAlternate[] = {
    {'!', "Emergency", Pict::None, kRed, "!", Shape::Triangle},
    {'#', "Digipeater (overlay)", Pict::Star, kGreen, nullptr},
    {'$', "Bank or ATM", Pict::None, kGreen, "$", Shape::Square},
    {'&', "Gateway", Pict::None, kDark, "Gw", Shape::Diamond},
    {'\'', "Crash site", Pict::None, kRed, "Cr"},
    {'(', "Cloudy", Pict::Cloud, kBlue, nullptr},
    {')', "Firenet MEO", Pict::None, kRed, "Me"},
    {'*', "Snow", Pict::None, kBlue, "Sn"},
    {'+', "Church", Pict::None, kPurple, "Ch", Shape::Square},
    {',', "Girl Scouts", Pict::None, kGreen, "GS"},
    {'-', "House (HF)", Pict::House, kBlue, nullptr},
    {'.', "Ambiguous", Pict::None, kDark, "?"},
    {'/', "Waypoint", Pict::None, kRed, "Wp"},
    {'0', "Circle", Pict::None, kBlue, ""},
    {'8', "Network node", Pict::None, kTeal, "Wi", Shape::Square},
    {'9', "Gas station", Pict::None, kOrange, "Gs", Shape::Square},
    {':', "Hail", Pict::Rain, kBlue, nullptr},
    {';', "Park or picnic area", Pict::Tent, kGreen, nullptr},
    {'<', "Advisory", Pict::None, kOrange, "Ad", Shape::Triangle},
    {'=', "APRStt", Pict::None, kDark, "tt", Shape::Square},
    {'>', "Car (overlay)", Pict::Car, kRed, nullptr},
    {'?', "Information kiosk", Pict::None, kBlue, "i", Shape::Square},
    {'@', "Hurricane", Pict::None, kRed, "Hu"},
    {'A', "Box", Pict::None, kDark, "", Shape::Square},
    {'B', "Blowing snow", Pict::None, kBlue, "Bs"},
    {'C', "Coast Guard", Pict::Boat, kOrange, nullptr},
    {'D', "Drizzle", Pict::Rain, kBlue, nullptr},
    {'E', "Smoke", Pict::None, kDark, "Sm"},
    {'F', "Freezing rain", Pict::Rain, kTeal, nullptr},
    {'G', "Snow shower", Pict::None, kBlue, "Ss"},
    {'H', "Haze", Pict::None, kDark, "Hz"},
    {'I', "Rain shower", Pict::Rain, kBlue, nullptr},
    {'J', "Lightning", Pict::None, kOrange, "Lt"},
    {'K', "Kenwood radio", Pict::None, kDark, "K", Shape::Square},
    {'L', "Lighthouse", Pict::Tower, kRed, nullptr},
    {'M', "MARS", Pict::None, kBlue, "MA", Shape::Square},
    {'N', "Navigation buoy", Pict::None, kRed, "Bu"},
    {'O', "Rocket", Pict::Balloon, kDark, nullptr},
    {'P', "Parking", Pict::None, kBlue, "P", Shape::Square},
    {'Q', "Earthquake", Pict::None, kBrown, "Eq"},
    {'R', "Restaurant", Pict::None, kOrange, "R", Shape::Square},
    {'S', "Satellite", Pict::Satellite, kTeal, nullptr},
    {'T', "Thunderstorm", Pict::Cloud, kDark, nullptr},
    {'U', "Sunny", Pict::Sun, kOrange, nullptr},
    {'V', "VORTAC", Pict::None, kDark, "V", Shape::Diamond},
    {'W', "Weather service site (overlay)", Pict::None, kBlue, "WS", Shape::Square},
    {'X', "Pharmacy", Pict::Cross, kGreen, nullptr},
    {'Y', "Radios and devices", Pict::None, kDark, "Ra", Shape::Square},
    {'[', "Wall cloud", Pict::Cloud, kDark, nullptr},
    {'^', "Aircraft (overlay)", Pict::Aircraft, kDark, nullptr},
    {'_', "Weather station (overlay)", Pict::Weather, kGreen, nullptr},
    {'`', "Rain", Pict::Rain, kBlue, nullptr},
    {'a', "ARRL, ARES or Winlink", Pict::None, kRed, "A", Shape::Diamond},
    {'b', "Blowing dust or sand", Pict::None, kBrown, "Du"},
    {'c', "Civil defence", Pict::None, kBlue, "CD", Shape::Triangle},
    {'d', "DX spot", Pict::None, kPurple, "DX"},
    {'e', "Sleet", Pict::Rain, kTeal, nullptr},
    {'f', "Funnel cloud", Pict::None, kDark, "Fu"},
    {'g', "Gale flags", Pict::None, kRed, "Ga", Shape::Triangle},
    {'h', "Ham store", Pict::None, kPurple, "Hs", Shape::Square},
    {'i', "Point of interest", Pict::None, kDark, "", Shape::Square},
    {'j', "Work zone", Pict::None, kOrange, "Wz", Shape::Triangle},
    {'k', "Off-road vehicle", Pict::Car, kGreen, nullptr},
    {'l', "Area", Pict::None, kDark, "Ar", Shape::Square},
    {'m', "Value signpost", Pict::None, kDark, "Sg", Shape::Square},
    {'n', "Triangle", Pict::None, kDark, "", Shape::Triangle},
    {'o', "Small circle", Pict::None, kDark, ""},
    {'p', "Partly cloudy", Pict::Cloud, kOrange, nullptr},
    {'r', "Restrooms", Pict::None, kBlue, "WC", Shape::Square},
    {'s', "Ship or boat (overlay)", Pict::Boat, kDark, nullptr},
    {'t', "Tornado", Pict::None, kDark, "To", Shape::Triangle},
    {'u', "Truck (overlay)", Pict::Truck, kDark, nullptr},
    {'v', "Van (overlay)", Pict::Van, kDark, nullptr},
    {'w', "Flooding", Pict::None, kBlue, "Fl"},
    {'x', "Obstruction", Pict::None, kRed, "Ob", Shape::Triangle},
    {'y', "Skywarn", Pict::None, kBlue, "Sw"},
    {'z', "Shelter", Pict::House, kDark, nullptr},
    {'{', "Fog", Pict::Cloud, kDark, nullptr},
};

bool isOverlay(char table) { return std::isdigit(static_cast<unsigned char>(table)) || (table >= 'A' && table <= 'Z'); }

const Design* find(char table, char code) {
  const bool primary = table == '/';
  if (!primary && table != '\\' && !isOverlay(table)) return nullptr;
  const auto search = [code](const auto& designs) -> const Design* {
    for (const Design& d : designs) {
      if (d.code == code) return &d;
    }
    return nullptr;
  };
  return primary ? search(kPrimary) : search(kAlternate);
}

QPainterPath polygon(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  path.closeSubpath();
  return path;
}

void drawBadge(QPainter& p, const Design& d) {
  p.setPen(QPen(QColor(255, 255, 255), 1.4));
  p.setBrush(QColor::fromRgba(d.colour));
  switch (d.shape) {
    case Shape::Circle: p.drawEllipse(QPointF(10, 10), 8.3, 8.3); break;
    case Shape::Square: p.drawRoundedRect(QRectF(2, 2, 16, 16), 2.5, 2.5); break;
    case Shape::Diamond: p.drawPath(polygon({{10, 0.8}, {19.2, 10}, {10, 19.2}, {0.8, 10}})); break;
    case Shape::Triangle: p.drawPath(polygon({{10, 1}, {19.3, 18}, {0.7, 18}})); break;
  }
  const QString legend = QString::fromLatin1(d.legend);
  if (legend.isEmpty()) return;
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(legend.size() == 1 ? 11 : 8);
  p.setFont(font);
  p.setPen(Qt::white);
  const QRectF box = d.shape == Shape::Triangle ? QRectF(0, 6, 20, 12) : QRectF(0, 0, 20, 20);
  p.drawText(box, Qt::AlignCenter, legend);
}

void drawPict(QPainter& p, const Design& d) {
  const QColor ink = QColor::fromRgba(d.colour);
  const QPen line(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  // A white edge round every pictogram keeps it readable on land and sea.
  const auto shape = [&](const QPainterPath& path) {
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(ink.darker(150), 0.8));
    p.setBrush(ink);
    p.drawPath(path);
  };
  switch (d.pict) {
    case Pict::Car: {
      QPainterPath body = polygon({{1.5, 14}, {1.5, 10}, {5, 9.5}, {7.5, 5.5}, {13.5, 5.5}, {16, 9.5}, {18.5, 10.2}, {18.5, 14}});
      shape(body);
      p.setBrush(QColor(220, 235, 255));
      p.setPen(Qt::NoPen);
      p.drawPath(polygon({{6.6, 9.4}, {8.3, 6.7}, {12.7, 6.7}, {14.4, 9.4}}));
      p.setBrush(QColor(40, 40, 40));
      p.setPen(QPen(Qt::white, 1.0));
      p.drawEllipse(QPointF(5.5, 14.5), 2.3, 2.3);
      p.drawEllipse(QPointF(14.5, 14.5), 2.3, 2.3);
      break;
    }
    case Pict::Truck:
    case Pict::Van: {
      QPainterPath body;
      if (d.pict == Pict::Truck) {
        body = polygon({{1, 4.5}, {12, 4.5}, {12, 14.5}, {1, 14.5}});
        body.addPath(polygon({{12.5, 8}, {16.5, 8}, {19, 11}, {19, 14.5}, {12.5, 14.5}}));
      } else {
        body = polygon({{1.5, 5}, {13, 5}, {18.5, 9.5}, {18.5, 14.5}, {1.5, 14.5}});
      }
      shape(body);
      p.setBrush(QColor(40, 40, 40));
      p.setPen(QPen(Qt::white, 1.0));
      p.drawEllipse(QPointF(5, 15), 2.2, 2.2);
      p.drawEllipse(QPointF(15, 15), 2.2, 2.2);
      break;
    }
    case Pict::House: {
      shape(polygon({{10, 2}, {18.5, 9.5}, {16, 9.5}, {16, 18}, {4, 18}, {4, 9.5}, {1.5, 9.5}}));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 250, 235));
      p.drawRect(QRectF(8.3, 12, 3.4, 6));
      break;
    }
    case Pict::Aircraft:
      shape(polygon({{10, 1}, {11.3, 3}, {11.3, 8}, {19, 12}, {19, 13.5}, {11.3, 11.5}, {11.1, 16}, {13.5, 18},
                     {13.5, 19}, {10, 18.2}, {6.5, 19}, {6.5, 18}, {8.9, 16}, {8.7, 11.5}, {1, 13.5}, {1, 12},
                     {8.7, 8}, {8.7, 3}}));
      break;
    case Pict::Boat: {
      QPainterPath hull = polygon({{1, 12}, {19, 12}, {15.5, 17}, {4.5, 17}});
      hull.addPath(polygon({{10, 2}, {10, 11}, {3.5, 11}}));
      shape(hull);
      break;
    }
    case Pict::Person: {
      QPainterPath body;
      body.addEllipse(QPointF(10, 4), 2.6, 2.6);
      body.addPath(polygon({{7, 7.5}, {13, 7.5}, {14.5, 13}, {12.5, 13}, {12.2, 18.5}, {7.8, 18.5}, {7.5, 13}, {5.5, 13}}));
      shape(body);
      break;
    }
    case Pict::Bicycle: {
      p.setPen(QPen(Qt::white, 4.0));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(5, 13), 3.6, 3.6);
      p.drawEllipse(QPointF(15, 13), 3.6, 3.6);
      p.setPen(QPen(ink, 1.8));
      p.drawEllipse(QPointF(5, 13), 3.6, 3.6);
      p.drawEllipse(QPointF(15, 13), 3.6, 3.6);
      p.drawPolyline(QPolygonF({{5, 13}, {8.5, 7}, {14, 7}, {15, 13}}));
      p.drawLine(QPointF(8.5, 7), QPointF(10.5, 13));
      p.drawLine(QPointF(10.5, 13), QPointF(14, 7));
      break;
    }
    case Pict::Balloon: {
      QPainterPath b;
      b.addEllipse(QPointF(10, 7.5), 6.5, 6.8);
      b.addRect(QRectF(8, 16, 4, 3));
      shape(b);
      p.setPen(QPen(ink.darker(150), 0.8));
      p.drawLine(QPointF(8.5, 14), QPointF(9, 16));
      p.drawLine(QPointF(11.5, 14), QPointF(11, 16));
      break;
    }
    case Pict::Satellite: {
      QPainterPath s = polygon({{8, 8}, {12, 8}, {12, 12}, {8, 12}});
      s.addPath(polygon({{0.8, 8.5}, {6.5, 8.5}, {6.5, 11.5}, {0.8, 11.5}}));
      s.addPath(polygon({{13.5, 8.5}, {19.2, 8.5}, {19.2, 11.5}, {13.5, 11.5}}));
      shape(s);
      p.setPen(line);
      p.drawLine(QPointF(10, 8), QPointF(10, 3));
      p.drawEllipse(QPointF(10, 2.5), 1.2, 1.2);
      break;
    }
    case Pict::Tower: {
      p.setPen(QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap));
      p.drawPolyline(QPolygonF({{4, 19}, {10, 2}, {16, 19}}));
      p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({{4, 19}, {10, 2}, {16, 19}}));
      p.drawLine(QPointF(6.8, 11), QPointF(13.2, 11));
      p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(4, -1, 12, 8), 200 * 16, 140 * 16);
      p.drawArc(QRectF(4, -1, 12, 8), 20 * 16, 140 * 16);
      break;
    }
    case Pict::Weather:
    case Pict::Sun: {
      p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap));
      for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265 / 4;
        p.drawLine(QPointF(10 + 6 * std::cos(a), 10 + 6 * std::sin(a)), QPointF(10 + 9 * std::cos(a), 10 + 9 * std::sin(a)));
      }
      p.setPen(QPen(d.pict == Pict::Sun ? ink : QColor(235, 170, 20), 1.6, Qt::SolidLine, Qt::RoundCap));
      for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265 / 4;
        p.drawLine(QPointF(10 + 6 * std::cos(a), 10 + 6 * std::sin(a)), QPointF(10 + 8.5 * std::cos(a), 10 + 8.5 * std::sin(a)));
      }
      QPainterPath disc;
      disc.addEllipse(QPointF(10, 10), 4.6, 4.6);
      if (d.pict == Pict::Sun) {
        shape(disc);
      } else {
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(QColor(235, 170, 20));
        p.drawPath(disc);
        QPainterPath cloud;
        cloud.addEllipse(QPointF(8, 14), 4, 3.2);
        cloud.addEllipse(QPointF(12.5, 13), 4.5, 4);
        cloud.addRect(QRectF(4.5, 14, 12, 3.5));
        shape(cloud.simplified());
      }
      break;
    }
    case Pict::Cloud:
    case Pict::Rain: {
      QPainterPath cloud;
      cloud.addEllipse(QPointF(6.5, 9.5), 4.5, 3.8);
      cloud.addEllipse(QPointF(12, 7.5), 5.5, 5);
      cloud.addRect(QRectF(2.5, 9, 14.5, 4.5));
      cloud.addEllipse(QPointF(15, 10.5), 3.5, 3);
      shape(cloud.simplified());
      if (d.pict == Pict::Rain) {
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
        for (double x : {5.5, 10.0, 14.5}) p.drawLine(QPointF(x, 15.5), QPointF(x - 1.2, 18.8));
      }
      break;
    }
    case Pict::Tent:
      shape(polygon({{10, 2.5}, {19, 17.5}, {1, 17.5}}));
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      p.drawPath(polygon({{10, 10}, {12.8, 17.5}, {7.2, 17.5}}));
      break;
    case Pict::Cross:
      p.setPen(QPen(QColor(200, 200, 200), 1.0));
      p.setBrush(Qt::white);
      p.drawRoundedRect(QRectF(1.5, 1.5, 17, 17), 3, 3);
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      p.drawPath(polygon({{7.8, 3.5}, {12.2, 3.5}, {12.2, 7.8}, {16.5, 7.8}, {16.5, 12.2}, {12.2, 12.2}, {12.2, 16.5},
                          {7.8, 16.5}, {7.8, 12.2}, {3.5, 12.2}, {3.5, 7.8}, {7.8, 7.8}}));
      break;
    case Pict::Star: {
      QPolygonF star;
      for (int i = 0; i < 10; ++i) {
        const double a = -3.14159265 / 2 + i * 3.14159265 / 5;
        const double r = i % 2 ? 4.2 : 9.5;
        star << QPointF(10 + r * std::cos(a), 10.5 + r * std::sin(a));
      }
      QPainterPath path;
      path.addPolygon(star);
      path.closeSubpath();
      shape(path);
      break;
    }
    case Pict::Dot:
      p.setPen(QPen(Qt::white, 1.5));
      p.setBrush(ink);
      p.drawEllipse(QPointF(10, 10), 5.5, 5.5);
      break;
    case Pict::None: drawBadge(p, d); break;
  }
}

void drawNeutralDot(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 60), 1.2));
  p.setBrush(QColor(150, 150, 150));
  p.drawEllipse(QPointF(10, 10), 4.5, 4.5);
}

void drawOverlay(QPainter& p, char overlay) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(10);
  QPainterPath text;
  text.addText(0, 0, font, QString(QChar::fromLatin1(overlay)));
  const QRectF r = text.boundingRect();
  text.translate(10 - r.center().x(), 10 - r.center().y());
  p.setPen(QPen(Qt::black, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(text);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(text);
}

}  // namespace

SymbolGlyphs::SymbolGlyphs(int sizePx, qreal devicePixelRatio) : sizePx_(sizePx), ratio_(devicePixelRatio) {}

bool SymbolGlyphs::known(char table, char code) { return find(table, code) != nullptr; }

QString SymbolGlyphs::describe(char table, char code) {
  const Design* d = find(table, code);
  if (d == nullptr) return {};
  QString name = QString::fromLatin1(d->name);
  if (isOverlay(table)) name += QStringLiteral(" with overlay ") + QChar::fromLatin1(table);
  return name;
}

const QPixmap& SymbolGlyphs::glyph(char table, char code) {
  const int key = (static_cast<unsigned char>(table) << 8) | static_cast<unsigned char>(code);
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.insert(key, draw(table, code));
  return *it;
}

QPixmap SymbolGlyphs::draw(char table, char code) const {
  const int side = static_cast<int>(std::ceil(sizePx_ * ratio_));
  QPixmap pixmap(side, side);
  pixmap.setDevicePixelRatio(ratio_);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(sizePx_ / 20.0, sizePx_ / 20.0);
  const Design* d = find(table, code);
  if (d == nullptr) {
    drawNeutralDot(p);
  } else {
    drawPict(p, *d);
    if (isOverlay(table)) drawOverlay(p, table);
  }
  return pixmap;
}

}  // namespace tervane

#include "standin/cad/lisp/drawing.h"

#include <algorithm>
#include <cmath>

namespace standin::lisp {

namespace {

Point3 add(const Point3& a, const Point3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 sub(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 scale(const Point3& a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point3 cross(const Point3& a, const Point3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
std::optional<Point3> unit(const Point3& a) {
  double len = std::sqrt(dot(a, a));
  if (!(len > 1e-12)) return std::nullopt;
  return scale(a, 1.0 / len);
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = upper(c);
  return out;
}

Point3 Ucs::zAxis() const { return cross(xAxis, yAxis); }

bool Ucs::isWorld() const {
  return origin.x == 0 && origin.y == 0 && origin.z == 0 && xAxis.x == 1 && xAxis.y == 0 &&
         xAxis.z == 0 && yAxis.x == 0 && yAxis.y == 1 && yAxis.z == 0;
}

Point3 Ucs::toWorld(const Point3& p) const {
  return add(origin, add(scale(xAxis, p.x), add(scale(yAxis, p.y), scale(zAxis(), p.z))));
}

Point3 Ucs::fromWorld(const Point3& p) const {
  Point3 d = sub(p, origin);
  return {dot(d, xAxis), dot(d, yAxis), dot(d, zAxis())};
}

std::optional<Ucs> Ucs::fromThreePoints(const Point3& o, const Point3& px, const Point3& py) {
  auto x = unit(sub(px, o));
  if (!x) return std::nullopt;
  Point3 v = sub(py, o);
  auto y = unit(sub(v, scale(*x, dot(v, *x))));
  if (!y) return std::nullopt;
  Ucs u;
  u.origin = o;
  u.xAxis = *x;
  u.yAxis = *y;
  return u;
}

Drawing::Drawing() { layers_.push_back({"0", 0}); }

std::optional<std::uint32_t> Drawing::findLayer(std::string_view name) const {
  for (std::size_t i = 0; i < layers_.size(); ++i) {
    if (sameName(layers_[i].name, name)) return static_cast<std::uint32_t>(i);
  }
  return std::nullopt;
}

std::uint32_t Drawing::makeLayer(std::string_view name) {
  if (auto found = findLayer(name)) return *found;
  layers_.push_back({std::string(name), 0});
  return static_cast<std::uint32_t>(layers_.size() - 1);
}

void Drawing::addPoint(std::uint32_t layer, const Point3& p, std::int32_t trueColor) {
  entities_.push_back({layer, p, trueColor});
}

void Drawing::zoomExtents() {
  ++zoomExtentsCount;
  if (entities_.empty()) {
    view = View{};
    return;
  }
  double minX = entities_[0].point.x, maxX = minX;
  double minY = entities_[0].point.y, maxY = minY;
  for (const Entity& e : entities_) {
    minX = std::min(minX, e.point.x);
    maxX = std::max(maxX, e.point.x);
    minY = std::min(minY, e.point.y);
    maxY = std::max(maxY, e.point.y);
  }
  view.centerX = (minX + maxX) / 2;
  view.centerY = (minY + maxY) / 2;
  double a = aspect > 0 ? aspect : 1.0;
  view.height = std::max(maxY - minY, (maxX - minX) / a);
  if (!(view.height > 0)) view.height = 1;
}

namespace {

enum class Var {
  Cmdecho,
  Osmode,
  Pdmode,
  Pdsize,
  Useri1,
  Clayer,
  Ucsorg,
  Ucsxdir,
  Ucsydir,
  Viewctr,
  Viewsize,
  Dwgname,
  Trustedpaths
};

struct VarInfo {
  std::string_view name;
  Var id;
};

constexpr VarInfo kVars[] = {
    {"CMDECHO", Var::Cmdecho},
    {"OSMODE", Var::Osmode},
    {"PDMODE", Var::Pdmode},
    {"PDSIZE", Var::Pdsize},
    {"USERI1", Var::Useri1},
    {"CLAYER", Var::Clayer},
    {"UCSORG", Var::Ucsorg},
    {"UCSXDIR", Var::Ucsxdir},
    {"UCSYDIR", Var::Ucsydir},
    {"VIEWCTR", Var::Viewctr},
    {"VIEWSIZE", Var::Viewsize},
    {"DWGNAME", Var::Dwgname},
    {"TRUSTEDPATHS", Var::Trustedpaths},
};

std::optional<Var> lookup(std::string_view name) {
  for (const auto& v : kVars) {
    if (sameName(v.name, name)) return v.id;
  }
  return std::nullopt;
}

}  // namespace

const std::vector<std::string_view>& Drawing::dumpedVariables() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> n;
    for (const auto& v : kVars) n.push_back(v.name);
    return n;
  }();
  return names;
}

std::optional<VarValue> Drawing::getVar(std::string_view name) const {
  auto id = lookup(name);
  if (!id) return std::nullopt;
  switch (*id) {
    case Var::Cmdecho:
      return cmdecho;
    case Var::Osmode:
      return osmode;
    case Var::Pdmode:
      return pdmode;
    case Var::Pdsize:
      return pdsize;
    case Var::Useri1:
      return useri1;
    case Var::Clayer:
      return layers_[current_].name;
    case Var::Ucsorg:
      return ucs.origin;
    case Var::Ucsxdir:
      return ucs.xAxis;
    case Var::Ucsydir:
      return ucs.yAxis;
    case Var::Viewctr:
      return Point3{view.centerX, view.centerY, 0};
    case Var::Viewsize:
      return view.height;
    case Var::Dwgname:
      return drawingName;
    case Var::Trustedpaths:
      if (!trustedPaths) return std::nullopt;  // a CAD without secure loading
      return *trustedPaths;
  }
  return std::nullopt;
}

SetVarResult Drawing::setVar(std::string_view name, const VarValue& value) {
  auto id = lookup(name);
  if (!id) return SetVarResult::Unknown;
  const std::int32_t* i = std::get_if<std::int32_t>(&value);
  switch (*id) {
    case Var::Cmdecho:
      if (!i) return SetVarResult::BadType;
      if (*i != 0 && *i != 1) return SetVarResult::BadValue;
      cmdecho = *i;
      return SetVarResult::Ok;
    case Var::Osmode:
      if (!i) return SetVarResult::BadType;
      if (*i < 0 || *i > 32767) return SetVarResult::BadValue;
      osmode = *i;
      return SetVarResult::Ok;
    case Var::Pdmode:
      if (!i) return SetVarResult::BadType;
      pdmode = *i;
      return SetVarResult::Ok;
    case Var::Useri1:
      if (!i) return SetVarResult::BadType;
      useri1 = *i;
      return SetVarResult::Ok;
    case Var::Pdsize:
      if (i) {
        pdsize = *i;
      } else if (const double* d = std::get_if<double>(&value)) {
        pdsize = *d;
      } else {
        return SetVarResult::BadType;
      }
      return SetVarResult::Ok;
    case Var::Clayer: {
      const std::string* s = std::get_if<std::string>(&value);
      if (!s) return SetVarResult::BadType;
      auto found = findLayer(*s);
      if (!found || (layers_[*found].flags & kLayerFrozen)) return SetVarResult::BadValue;
      current_ = *found;
      return SetVarResult::Ok;
    }
    case Var::Trustedpaths: {
      if (!trustedPaths) return SetVarResult::Unknown;
      const std::string* s = std::get_if<std::string>(&value);
      if (!s) return SetVarResult::BadType;
      trustedPaths = *s;
      return SetVarResult::Ok;
    }
    default:
      return SetVarResult::ReadOnly;
  }
}

}  // namespace standin::lisp

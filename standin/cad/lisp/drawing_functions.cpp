// The functions that reach the drawing: system variables, the layer table, coordinate
// transformation, entity creation, the command processor and the point pause.
#include <charconv>
#include <cmath>

#include "standin/cad/lisp/interpreter.h"
#include "standin/cad/lisp/reader.h"

namespace standin::lisp {

namespace {

Value varToValue(const VarValue& v) {
  if (auto i = std::get_if<std::int32_t>(&v)) return Value::integer(*i);
  if (auto d = std::get_if<double>(&v)) return Value::real(*d);
  if (auto s = std::get_if<std::string>(&v)) return Value::string(*s);
  return pointValue(std::get<Point3>(v));
}

std::optional<VarValue> valueToVar(const Value& v) {
  switch (v.kind()) {
    case Kind::Int:
      return VarValue(v.asInt());
    case Kind::Real:
      return VarValue(v.asReal());
    case Kind::Str:
      return VarValue(strText(v));
    default:
      if (auto p = toPoint(v)) return VarValue(*p);
      return std::nullopt;
  }
}

Value fSetvar(Interpreter& in, Args a) {
  checkArgCount(a, 2, 2);
  const std::string& name = stringArg(a[0]);
  auto value = valueToVar(a[1]);
  if (!value || in.drawing().setVar(name, *value) != SetVarResult::Ok) {
    throw LispError("variable setting rejected: \"" + name + "\" " + printValue(a[1], true));
  }
  return a[1];
}

Value fGetvar(Interpreter& in, Args a) {
  checkArgCount(a, 1, 1);
  auto v = in.drawing().getVar(stringArg(a[0]));
  return v ? varToValue(*v) : Value();
}

Value dotted(std::int32_t code, Value v) { return Value::cons(Value::integer(code), std::move(v)); }

Value fTblsearch(Interpreter& in, Args a) {
  checkArgCount(a, 2, 3);
  const std::string& table = stringArg(a[0]);
  const std::string& name = stringArg(a[1]);
  if (!sameName(table, "LAYER")) return Value();
  auto index = in.drawing().findLayer(name);
  if (!index) return Value();
  const Layer& layer = in.drawing().layers()[*index];
  ListBuilder b;
  b.add(dotted(0, Value::string("LAYER")));
  b.add(dotted(2, Value::string(layer.name)));
  b.add(dotted(70, Value::integer(layer.flags)));
  b.add(dotted(62, Value::integer(7)));
  b.add(dotted(6, Value::string("Continuous")));
  return b.take();
}

int coordinateSystem(const Value& v) {
  std::int32_t code = intArg(v);
  if (code < 0 || code > 2) badArgument("coordinate system", v);
  return code;
}

Value fTrans(Interpreter& in, Args a) {
  checkArgCount(a, 3, 4);
  Point3 p = pointArg(a[0]);
  int from = coordinateSystem(a[1]);
  int to = coordinateSystem(a[2]);
  bool displacement = a.size() == 4 && !a[3].isNil();
  // The display system of a top view is the user system.
  const Ucs& ucs = in.drawing().ucs;
  Ucs axes = ucs;
  if (displacement) axes.origin = Point3{};
  if (from != 0) p = axes.toWorld(p);
  if (to != 0) p = axes.fromWorld(p);
  return pointValue(p);
}

// An entity data list of a POINT: group 0 "POINT", group 10 the point, optional 8 layer,
// 420 true colour and 62 colour number. Anything malformed gives nil and draws nothing.
Value fEntmake(Interpreter& in, Args a) {
  checkArgCount(a, 0, 1);
  if (a.empty()) return Value();
  const Value& list = a[0];
  if (!list.isList()) badArgument("listp", list);
  bool isPoint = false, hasType = false;
  std::optional<Point3> point;
  const std::string* layer = nullptr;
  std::int32_t color = -1;
  const Value* p = &list;
  for (; p->kind() == Kind::Cons; p = &cdr(*p)) {
    const Value& group = car(*p);
    if (group.kind() != Kind::Cons || car(group).kind() != Kind::Int) return Value();
    const Value& data = cdr(group);
    switch (car(group).asInt()) {
      case 0:
        if (data.kind() != Kind::Str || hasType) return Value();
        hasType = true;
        isPoint = sameName(strText(data), "POINT");
        break;
      case 10:
        point = toPoint(data);
        // A drawing holds no point at infinity (a coordinate read beyond the double range).
        if (!point || !std::isfinite(point->x) || !std::isfinite(point->y) ||
            !std::isfinite(point->z))
          return Value();
        break;
      case 8:
        if (data.kind() != Kind::Str || strText(data).empty()) return Value();
        layer = &strText(data);
        break;
      case 420:
        if (data.kind() != Kind::Int || data.asInt() < 0 || data.asInt() > 0xFFFFFF) return Value();
        color = data.asInt();
        break;
      case 62:
        if (data.kind() != Kind::Int || data.asInt() < 0 || data.asInt() > 256) return Value();
        break;
      default:
        break;  // groups a POINT does not use are ignored
    }
  }
  if (!p->isNil() || !isPoint || !point) return Value();
  Drawing& d = in.drawing();
  std::uint32_t layerIndex = layer ? d.makeLayer(*layer) : d.currentLayer();
  d.addPoint(layerIndex, *point, color);
  return list;
}

Value fGetpoint(Interpreter& in, Args a) {
  checkArgCount(a, 0, 2);
  for (const Value& v : a) {
    if (v.kind() == Kind::Str) in.console().print(strText(v));
  }
  if (!in.console().continueAtPause()) {
    in.console().print("*Cancel*\n");
    throw LispError("Function cancelled");
  }
  const View& view = in.drawing().view;
  return pointValue(in.drawing().ucs.fromWorld(Point3{view.centerX, view.centerY, 0}));
}

// --- the command processor ----------------------------------------------------------------------

class CommandRun {
 public:
  CommandRun(Interpreter& in, Args tokens) : in_(in), d_(in.drawing()), t_(tokens) {}

  void run() {
    while (i_ < t_.size()) {
      const Value& tok = t_[i_++];
      if (tok.kind() == Kind::Str && strText(tok).empty()) continue;  // Enter at the prompt
      if (tok.kind() != Kind::Str) {
        say("Unknown command \"" + printValue(tok, false) + "\".\n");
        return;
      }
      std::string name = strText(tok);
      std::size_t skip = 0;
      while (skip < name.size() && (name[skip] == '.' || name[skip] == '_' || name[skip] == '-')) {
        ++skip;
      }
      name = upperAscii(name.substr(skip));
      if (d_.cmdecho) say("Command: " + strText(tok) + "\n");
      bool ok;
      if (name == "LAYER") {
        ok = layer();
      } else if (name == "UCS") {
        ok = ucs();
      } else if (name == "ZOOM") {
        ok = zoom();
      } else if (d_.getVar(name)) {
        ok = variable(name);
      } else if (const Value& fn = in_.intern("C:" + name)->value; fn.kind() == Kind::Func) {
        // A command defined in AutoLISP as (defun c:NAME () ...).
        in_.apply(fn, {});
        ok = true;
      } else {
        say("Unknown command \"" + strText(tok) + "\".  Press F1 for help.\n");
        ok = false;
      }
      if (!ok) return;  // the rest of the input goes with the cancelled command
    }
  }

 private:
  void say(const std::string& s) { in_.console().print(s); }
  bool more() const { return i_ < t_.size(); }

  // The next input as an option keyword (upper case); nullopt when it is not text.
  std::optional<std::string> keyword() {
    const Value& v = t_[i_++];
    if (v.kind() == Kind::Str) return upperAscii(strText(v));
    if (v.kind() == Kind::Int) return printValue(v, false);
    return std::nullopt;
  }

  std::optional<Point3> point() {
    if (!more()) return std::nullopt;
    const Value& v = t_[i_++];
    if (auto p = toPoint(v)) return d_.ucs.toWorld(*p);
    if (v.kind() != Kind::Str) return std::nullopt;
    // "x,y[,z]" typed as text.
    double c[3] = {0, 0, 0};
    const std::string& s = strText(v);
    std::size_t start = 0;
    int n = 0;
    while (n < 3) {
      std::size_t comma = s.find(',', start);
      std::string_view part(s.data() + start,
                            (comma == std::string::npos ? s.size() : comma) - start);
      Value num;
      if (!parseNumberToken(part, num)) return std::nullopt;
      c[n++] = num.number();
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (n < 2) return std::nullopt;
    return d_.ucs.toWorld(Point3{c[0], c[1], c[2]});
  }

  std::optional<std::string> name() {
    if (!more() || t_[i_].kind() != Kind::Str) {
      if (more()) ++i_;
      return std::nullopt;
    }
    return strText(t_[i_++]);
  }

  bool invalidOption() {
    say("Invalid option keyword.\n*Cancel*\n");
    return false;
  }

  // -LAYER options: T(haw) and F(reeze) a layer, M(ake) a layer and set it current; "" ends.
  bool layer() {
    while (more()) {
      auto key = keyword();
      if (!key) return invalidOption();
      if (key->empty()) return true;
      bool thaw = *key == "T" || *key == "THAW";
      bool freeze = *key == "F" || *key == "FREEZE";
      bool make = *key == "M" || *key == "MAKE";
      if (!thaw && !freeze && !make) return invalidOption();
      if (!more()) return true;  // the input ended while the command waited for a name
      auto n = name();
      if (!n || n->empty()) return invalidOption();
      if (make) {
        std::uint32_t index = d_.makeLayer(*n);
        if (d_.layers()[index].flags & kLayerFrozen) {
          say("Cannot set current layer \"" + *n + "\": it is frozen.\n");
        } else {
          d_.setCurrentLayer(index);
        }
        continue;
      }
      auto index = d_.findLayer(*n);
      if (!index) {
        say("No matching layer names found.\n");
      } else if (freeze && *index == d_.currentLayer()) {
        say("Cannot freeze layer \"" + *n + "\".  It is the CURRENT layer.\n");
      } else {
        std::int32_t flags = d_.layers()[*index].flags;
        d_.setLayerFlags(*index, thaw ? (flags & ~kLayerFrozen) : (flags | kLayerFrozen));
      }
    }
    return true;
  }

  bool ucs() {
    if (!more()) {
      d_.ucs = Ucs{};
      return true;
    }
    auto key = keyword();
    if (key && (key->empty() || *key == "W" || *key == "WORLD")) {
      d_.ucs = Ucs{};
      return true;
    }
    if (key && (*key == "3" || *key == "3POINT")) {
      auto o = point();
      auto px = o ? point() : std::nullopt;
      auto py = px ? point() : std::nullopt;
      auto u = py ? Ucs::fromThreePoints(*o, *px, *py) : std::nullopt;
      if (u) {
        d_.ucs = *u;
        return true;
      }
      say("Invalid point.\n*Cancel*\n");
      return false;
    }
    return invalidOption();
  }

  bool zoom() {
    auto key = more() ? keyword() : std::optional<std::string>("");
    if (key && (*key == "E" || *key == "EXTENTS" || *key == "A" || *key == "ALL")) {
      d_.zoomExtents();
      return true;
    }
    if (key && key->empty()) return true;
    return invalidOption();
  }

  bool variable(const std::string& name) {
    VarValue current = *d_.getVar(name);
    if (!more()) return true;
    const Value& v = t_[i_++];
    if (v.kind() == Kind::Str && strText(v).empty()) return true;  // Enter keeps the value
    std::optional<VarValue> value;
    Value number = v;
    if (v.kind() == Kind::Str && !parseNumberToken(strText(v), number)) number = Value();
    if (std::holds_alternative<std::int32_t>(current)) {
      if (number.kind() == Kind::Int) value = number.asInt();
    } else if (std::holds_alternative<double>(current)) {
      if (number.isNumber()) value = number.number();
    } else if (std::holds_alternative<std::string>(current) && v.kind() == Kind::Str) {
      value = strText(v);
    }
    SetVarResult r = value ? d_.setVar(name, *value) : SetVarResult::BadType;
    if (r == SetVarResult::Ok) return true;
    say(r == SetVarResult::ReadOnly ? name + " is read only.\n"
                                    : "Invalid value for " + name + ".\n*Cancel*\n");
    return false;
  }

  Interpreter& in_;
  Drawing& d_;
  Args t_;
  std::size_t i_ = 0;
};

Value fCommand(Interpreter& in, Args a) {
  CommandRun(in, a).run();
  return Value();
}

}  // namespace

void installDrawingFunctions(Interpreter& in) {
  in.defineSubr("setvar", fSetvar);
  in.defineSubr("getvar", fGetvar);
  in.defineSubr("tblsearch", fTblsearch);
  in.defineSubr("trans", fTrans);
  in.defineSubr("entmake", fEntmake);
  in.defineSubr("getpoint", fGetpoint);
  in.defineSubr("command", fCommand);
}

}  // namespace standin::lisp

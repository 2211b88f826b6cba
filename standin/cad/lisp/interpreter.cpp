#include "standin/cad/lisp/interpreter.h"

#include <cstdio>
#include <system_error>

#include "standin/cad/lisp/file_text.h"
#include "standin/cad/lisp/reader.h"

namespace standin::lisp {

namespace {

constexpr int kMaxEvalDepth = 2000;
constexpr int kMaxLoadDepth = 64;

// Restores the values of dynamically bound symbols when a call ends, also through an error.
class Bindings {
 public:
  void bind(SymObj* s, Value v) {
    saved_.push_back({s, std::move(s->value)});
    s->value = std::move(v);
  }
  ~Bindings() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) it->sym->value = std::move(it->old);
  }

 private:
  struct Saved {
    SymObj* sym;
    Value old;
  };
  std::vector<Saved> saved_;
};

}  // namespace

Interpreter::Interpreter(Drawing& drawing, Console& console)
    : drawing_(drawing), console_(console) {
  quote_ = Value(intern("QUOTE"));
  lambda_ = Value(intern("LAMBDA"));
  t_ = Value(intern("T"));
  sym(t_)->value = t_;
  quiet_ = Value(intern(""));
  installCoreFunctions(*this);
  installControlFunctions(*this);
  installTextFunctions(*this);
  installDrawingFunctions(*this);
  installSystemFunctions(*this);
  installFileFunctions(*this);
}

Interpreter::~Interpreter() {
  // Symbol values may hold functions and lists that refer to symbols; clear them first so that
  // every object is released before the symbols go.
  for (auto& [name, s] : symbols_) s->value = Value();
}

SymObj* Interpreter::intern(std::string_view name) {
  std::string key = upperAscii(name);
  auto it = symbols_.find(key);
  if (it != symbols_.end()) return it->second;
  auto* s = new SymObj(key);
  keep_.push_back(Value(s));
  symbols_.emplace(std::move(key), s);
  return s;
}

Value Interpreter::symbolValue(std::string_view name) {
  if (sameName(name, "nil")) return Value();
  return Value(intern(name));
}

void Interpreter::defineSubr(std::string_view name, SubrFn fn) {
  intern(name)->value = Value(new SubrObj(upperAscii(name), fn));
}

void Interpreter::defineSpecial(std::string_view name, SpecialFn fn) {
  intern(name)->value = Value(new SubrObj(upperAscii(name), fn));
}

void Interpreter::tick() {
  if ((++ticks_ & 4095) == 0) console_.poll();
}

Value Interpreter::eval(const Value& form) {
  switch (form.kind()) {
    case Kind::Sym:
      return sym(form)->value;
    case Kind::Cons:
      return call(form);
    default:
      return form;
  }
}

Value Interpreter::call(const Value& form) {
  tick();
  if (depth_ >= kMaxEvalDepth) throw LispError("stack overflow");
  struct Depth {
    int& d;
    explicit Depth(int& x) : d(x) { ++d; }
    ~Depth() { --d; }
  } depth(depth_);

  const Value& head = car(form);
  Value fn;
  if (head.kind() == Kind::Sym) {
    fn = sym(head)->value;
    if (fn.isNil()) throw LispError("no function definition: " + sym(head)->name);
  } else {
    fn = eval(head);
  }
  if (fn.kind() == Kind::Subr && static_cast<SubrObj*>(fn.obj())->special) {
    return static_cast<SubrObj*>(fn.obj())->special(*this, cdr(form));
  }
  std::vector<Value> args;
  for (const Value* p = &cdr(form); p->kind() == Kind::Cons; p = &cdr(*p)) {
    args.push_back(eval(car(*p)));
  }
  return apply(fn, args);
}

Value Interpreter::apply(const Value& fn, Args args) {
  switch (fn.kind()) {
    case Kind::Subr: {
      auto* s = static_cast<SubrObj*>(fn.obj());
      if (s->fn) return s->fn(*this, args);
      break;
    }
    case Kind::Func:
      return callFunc(static_cast<FuncObj*>(fn.obj()), args);
    case Kind::Cons:
      // A quoted (lambda (args) body...) list is a function too, as in '(lambda (x) ...).
      if (car(fn).kind() == Kind::Sym && sym(car(fn)) == sym(lambda_)) {
        Value f = sym(lambda_)->value.kind() == Kind::Subr
                      ? static_cast<SubrObj*>(sym(lambda_)->value.obj())->special(*this, cdr(fn))
                      : Value();
        if (f.kind() == Kind::Func) return callFunc(static_cast<FuncObj*>(f.obj()), args);
      }
      break;
    default:
      break;
  }
  throw LispError("bad function: " + printValue(fn, true));
}

Value Interpreter::callFunc(FuncObj* f, Args args) {
  if (args.size() < f->params.size()) throw LispError("too few arguments");
  if (args.size() > f->params.size()) throw LispError("too many arguments");
  Value keep(f);  // the call may redefine or clear the symbol that held the function
  Bindings b;
  for (std::size_t i = 0; i < args.size(); ++i) b.bind(f->params[i], args[i]);
  for (SymObj* l : f->locals) b.bind(l, Value());
  Value result;
  for (const Value* p = &f->body; p->kind() == Kind::Cons; p = &cdr(*p)) {
    // The value of the form before is dropped first, so that a list it returned is held by its
    // variable alone and can grow in place.
    result = Value();
    result = eval(car(*p));
  }
  return result;
}

Value Interpreter::evalText(std::string_view utf8) {
  Reader reader(*this, utf8);
  Value result;
  while (true) {
    Value form;
    switch (reader.next(form)) {
      case ReadStatus::End:
        return result;
      case ReadStatus::Form:
        result = Value();
        result = eval(form);
        break;
      case ReadStatus::Incomplete:
        throw LispError(reader.error().empty() ? "malformed list on input" : reader.error());
      case ReadStatus::Malformed:
        throw LispError(reader.error());
    }
  }
}

std::filesystem::path Interpreter::findSupportFile(std::string_view name,
                                                   std::string_view defaultExtension) const {
  namespace fs = std::filesystem;
  std::string file(name);
  for (char& c : file) {
    if (c == '\\') c = '/';
  }
  fs::path given = utf8Path(file);
  bool hasExtension = given.has_extension();
  if (!hasExtension) given += std::string(defaultExtension);
  if (given.has_parent_path() || given.is_absolute()) {
    std::error_code ec;
    if (fs::is_regular_file(given, ec)) return given;
    return findNoCase(given.parent_path(), pathUtf8(given.filename()));
  }
  for (const fs::path& folder : support_) {
    fs::path found = findNoCase(folder, pathUtf8(given));
    if (!found.empty()) return found;
  }
  return {};
}

Value Interpreter::load(std::string_view name) {
  std::filesystem::path file = findSupportFile(name);
  std::string bytes;
  if (file.empty() || !readWholeFile(file, bytes)) {
    throw LispError("LOAD failed: \"" + std::string(name) + "\"");
  }
  if (loadDepth_ >= kMaxLoadDepth) throw LispError("LOAD failed: too deeply nested");
  if (drawing_.trustedPaths && !isTrusted(file)) {
    // A CAD with secure loading asks before it loads a file from anywhere else.
    ++drawing_.untrustedLoads;
    console_.print("Loading from an untrusted location: " + pathUtf8(file) + "\n");
    if (!console_.confirmUntrustedLoad(file)) {
      throw LispError("LOAD failed: \"" + std::string(name) + "\" is not trusted");
    }
  }
  struct Depth {
    int& d;
    explicit Depth(int& x) : d(x) { ++d; }
    ~Depth() { --d; }
  } depth(loadDepth_);
  bool ascii = true;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return evalText(bytes);
  return evalText(console_.decodeAnsi(bytes));
}

std::optional<std::string> Interpreter::getEnv(std::string_view name) const {
  std::string key = upperAscii(name);
  if (key == "ACAD" && !env_.count(key)) {
    // Not set in this session: the support folders the CAD started with.
    std::string joined;
    for (const std::filesystem::path& f : support_) {
      if (!joined.empty()) joined += ';';
      joined += pathUtf8(f);
    }
    return joined;
  }
  auto it = env_.find(key);
  if (it == env_.end()) return std::nullopt;
  return it->second;
}

void Interpreter::setEnv(std::string_view name, const std::string& value) {
  std::string key = upperAscii(name);
  // A setting reads back exactly as it was written; the support path is searched in its order.
  env_[key] = value;
  if (key != "ACAD") return;
  support_.clear();
  for (const std::string& folder : splitPathList(value)) support_.push_back(utf8Path(folder));
}

namespace {

// A folder as text for comparing: "/" as "\", no separator at its end, ASCII upper case.
std::string folderKey(std::string text) {
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return upperAscii(text);
}

}  // namespace

bool Interpreter::isTrusted(const std::filesystem::path& file) const {
  if (!drawing_.trustedPaths) return true;
  const std::string folder = folderKey(pathUtf8(file.parent_path()));
  for (std::string entry : splitPathList(*drawing_.trustedPaths)) {
    bool withSubfolders =
        entry.size() >= 4 && (entry.ends_with("\\...") || entry.ends_with("/..."));
    if (withSubfolders) entry.resize(entry.size() - 4);
    const std::string key = folderKey(entry);
    if (key.empty()) continue;
    if (folder == key) return true;
    if (withSubfolders && folder.size() > key.size() && folder.compare(0, key.size(), key) == 0 &&
        folder[key.size()] == '\\') {
      return true;
    }
  }
  return false;
}

std::vector<std::string> splitPathList(std::string_view list) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view item = list.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (!item.empty()) out.emplace_back(item);
    start = end + 1;
  }
  return out;
}

// --- argument helpers -------------------------------------------------------------------------

void badArgument(std::string_view predicate, const Value& v) {
  throw LispError("bad argument type: " + std::string(predicate) + " " + printValue(v, true));
}

void checkArgCount(Args args, std::size_t min, std::size_t max) {
  if (args.size() < min) throw LispError("too few arguments");
  if (args.size() > max) throw LispError("too many arguments");
}

double numberArg(const Value& v) {
  if (!v.isNumber()) badArgument("numberp:", v);
  return v.number();
}

std::int32_t intArg(const Value& v) {
  if (v.kind() != Kind::Int) badArgument("fixnump:", v);
  return v.asInt();
}

const std::string& stringArg(const Value& v) {
  if (v.kind() != Kind::Str) badArgument("stringp", v);
  return strText(v);
}

std::optional<Point3> toPoint(const Value& v) {
  double c[3] = {0, 0, 0};
  int n = 0;
  const Value* p = &v;
  for (; p->kind() == Kind::Cons && n < 3; p = &cdr(*p)) {
    if (!car(*p).isNumber()) return std::nullopt;
    c[n++] = car(*p).number();
  }
  if (n < 2 || !p->isNil()) return std::nullopt;
  return Point3{c[0], c[1], c[2]};
}

Point3 pointArg(const Value& v) {
  auto p = toPoint(v);
  if (!p) badArgument("pointp", v);
  return *p;
}

Value pointValue(const Point3& p) {
  return Value::cons(Value::real(p.x),
                     Value::cons(Value::real(p.y), Value::cons(Value::real(p.z), Value())));
}

}  // namespace standin::lisp

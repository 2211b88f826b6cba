#pragma once
// Values of the evaluator. A Value is a small tagged cell: integers and reals live inside it,
// strings, symbols, conses and functions are heap objects with an intrusive, non-atomic
// reference count (the evaluator runs on one thread). Lists are immutable, so no cycle can form
// and the count alone frees them; long lists are freed without recursion along their cdrs.
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin::lisp {

enum class Kind : std::uint8_t { Nil, Int, Real, Str, Sym, Cons, Subr, Func, File };

struct Obj {
  explicit Obj(Kind k) : kind(k) {}
  std::uint32_t refs = 0;
  Kind kind;
};

void destroyObj(Obj* o);

class Value {
 public:
  Value() : kind_(Kind::Nil), o_(nullptr) {}
  static Value integer(std::int32_t v) {
    Value r;
    r.kind_ = Kind::Int;
    r.i_ = v;
    return r;
  }
  static Value real(double v) {
    Value r;
    r.kind_ = Kind::Real;
    r.d_ = v;
    return r;
  }
  static Value string(std::string text);
  static Value cons(Value car, Value cdr);
  explicit Value(Obj* o) : kind_(o->kind), o_(o) { ++o->refs; }

  Value(const Value& v) : kind_(v.kind_), d_(v.d_) { retain(); }
  Value(Value&& v) noexcept : kind_(v.kind_), d_(v.d_) { v.kind_ = Kind::Nil; }
  Value& operator=(const Value& v) {
    Value tmp(v);
    swap(tmp);
    return *this;
  }
  Value& operator=(Value&& v) noexcept {
    Value tmp(std::move(v));
    swap(tmp);
    return *this;
  }
  ~Value() {
    if (kind_ >= Kind::Str && --o_->refs == 0) destroyObj(o_);
  }
  void swap(Value& v) noexcept {
    std::swap(kind_, v.kind_);
    std::swap(d_, v.d_);
  }

  Kind kind() const { return kind_; }
  bool isNil() const { return kind_ == Kind::Nil; }
  bool isNumber() const { return kind_ == Kind::Int || kind_ == Kind::Real; }
  bool isList() const { return kind_ == Kind::Nil || kind_ == Kind::Cons; }
  std::int32_t asInt() const { return i_; }
  double asReal() const { return d_; }
  double number() const { return kind_ == Kind::Int ? i_ : d_; }
  Obj* obj() const { return o_; }
  // Gives up this value's reference without releasing it; the caller takes it over.
  Obj* detach() {
    kind_ = Kind::Nil;
    return o_;
  }

 private:
  void retain() const {
    if (kind_ >= Kind::Str) ++o_->refs;
  }
  Kind kind_;
  union {
    std::int32_t i_;
    double d_;
    Obj* o_;
  };
};

struct StrObj : Obj {
  explicit StrObj(std::string t) : Obj(Kind::Str), text(std::move(t)) {}
  std::string text;
};

// Symbols are interned by the interpreter and live as long as it does. Their value cell is the
// global (dynamically bound) value.
struct SymObj : Obj {
  explicit SymObj(std::string n) : Obj(Kind::Sym), name(std::move(n)) {}
  std::string name;  // upper-case for ASCII letters
  Value value;
};

struct ConsObj : Obj {
  ConsObj(Value a, Value d) : Obj(Kind::Cons), car(std::move(a)), cdr(std::move(d)) {}
  // Conses are by far the most frequent object: a free list keeps their allocation cheap.
  static void* operator new(std::size_t size);
  static void operator delete(void* p);
  Value car, cdr;
};

class Interpreter;
using Args = std::span<const Value>;
using SubrFn = Value (*)(Interpreter&, Args);
using SpecialFn = Value (*)(Interpreter&, const Value& argList);

struct SubrObj : Obj {
  SubrObj(std::string n, SubrFn f) : Obj(Kind::Subr), name(std::move(n)), fn(f) {}
  SubrObj(std::string n, SpecialFn f) : Obj(Kind::Subr), name(std::move(n)), special(f) {}
  std::string name;
  SubrFn fn = nullptr;
  SpecialFn special = nullptr;  // set for forms that take their arguments unevaluated
};

struct FuncObj : Obj {
  FuncObj() : Obj(Kind::Func) {}
  std::string name;  // empty for a lambda
  std::vector<SymObj*> params, locals;
  Value body;  // list of forms
};

// A file opened by open; closed by close, or when its last reference goes.
struct FileObj : Obj {
  FileObj(std::string n, std::fstream s)
      : Obj(Kind::File), name(std::move(n)), stream(std::move(s)) {}
  std::string name;
  std::fstream stream;
};

// Accessors that assume the kind has been checked.
inline const std::string& strText(const Value& v) { return static_cast<StrObj*>(v.obj())->text; }
inline SymObj* sym(const Value& v) { return static_cast<SymObj*>(v.obj()); }
inline const Value& car(const Value& v) { return static_cast<ConsObj*>(v.obj())->car; }
inline const Value& cdr(const Value& v) { return static_cast<ConsObj*>(v.obj())->cdr; }

// Builds a proper list front to back in linear time.
class ListBuilder {
 public:
  void add(Value v);
  // Makes `tail` the rest of the list (for the last argument of append, or a dotted end).
  void setTail(Value tail);
  Value take();

 private:
  Value head_;
  ConsObj* last_ = nullptr;
};

std::size_t listLength(const Value& list);  // proper elements before a non-list end

// Printed forms: princ prints strings bare, prin1 quoted with escapes.
std::string printValue(const Value& v, bool quoted);
std::string realText(double d);

// Numbers compare by value across integers and reals; strings by content; lists element-wise.
bool equalValues(const Value& a, const Value& b);

}  // namespace standin::lisp

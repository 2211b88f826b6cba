#include "standin/cad/lisp/value.h"

#include <charconv>
#include <cstdio>
#include <new>

namespace standin::lisp {

namespace {

// Free list of cons cells, grown in blocks and never returned to the system: a drawing run keeps
// a bounded number of cells alive at a time, so the pool settles at that size.
struct ConsPool {
  union Slot {
    Slot* next;
    alignas(ConsObj) unsigned char bytes[sizeof(ConsObj)];
  };
  Slot* free = nullptr;
  std::vector<Slot*> blocks;
  static constexpr std::size_t kBlock = 4096;

  void* take() {
    if (!free) {
      Slot* block = static_cast<Slot*>(::operator new(sizeof(Slot) * kBlock));
      blocks.push_back(block);
      for (std::size_t i = 0; i < kBlock; ++i) {
        block[i].next = free;
        free = &block[i];
      }
    }
    Slot* s = free;
    free = s->next;
    return s;
  }
  void give(void* p) {
    Slot* s = static_cast<Slot*>(p);
    s->next = free;
    free = s;
  }
  ~ConsPool() {
    for (Slot* b : blocks) ::operator delete(b);
  }
};

ConsPool& pool() {
  static ConsPool p;
  return p;
}

}  // namespace

void* ConsObj::operator new(std::size_t) { return pool().take(); }
void ConsObj::operator delete(void* p) { pool().give(p); }

Value Value::string(std::string text) { return Value(new StrObj(std::move(text))); }
Value Value::cons(Value car, Value cdr) {
  return Value(new ConsObj(std::move(car), std::move(cdr)));
}

void destroyObj(Obj* o) {
  // A list is freed cell by cell along its cdrs in a loop; only cars recurse, and their depth is
  // the nesting depth of the data.
  while (o) {
    Obj* next = nullptr;
    switch (o->kind) {
      case Kind::Cons: {
        auto* c = static_cast<ConsObj*>(o);
        // The rest of the list is freed by the loop when this cell held its last reference.
        if (c->cdr.kind() == Kind::Cons && c->cdr.obj()->refs == 1) next = c->cdr.detach();
        delete c;
        break;
      }
      case Kind::Str:
        delete static_cast<StrObj*>(o);
        break;
      case Kind::Sym:
        delete static_cast<SymObj*>(o);
        break;
      case Kind::Subr:
        delete static_cast<SubrObj*>(o);
        break;
      case Kind::Func:
        delete static_cast<FuncObj*>(o);
        break;
      case Kind::File:
        delete static_cast<FileObj*>(o);
        break;
      default:
        break;
    }
    o = next;
  }
}

void ListBuilder::add(Value v) {
  auto* cell = new ConsObj(std::move(v), Value());
  if (last_) {
    last_->cdr = Value(cell);
  } else {
    head_ = Value(cell);
  }
  last_ = cell;
}

void ListBuilder::setTail(Value tail) {
  if (last_) {
    last_->cdr = std::move(tail);
  } else {
    head_ = std::move(tail);
  }
}

Value ListBuilder::take() {
  last_ = nullptr;
  return std::move(head_);
}

std::size_t listLength(const Value& list) {
  std::size_t n = 0;
  for (const Value* p = &list; p->kind() == Kind::Cons; p = &cdr(*p)) ++n;
  return n;
}

std::string realText(double d) {
  // Six significant digits, as the CAD prints reals, with a decimal point always shown.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 6);
  std::string s(buf, res.ptr);
  if (s.find_first_of(".ein") == std::string::npos) {
    s += ".0";
  } else if (auto e = s.find('e'); e != std::string::npos && s.find('.') == std::string::npos) {
    s.insert(e, ".0");
  }
  return s;
}

namespace {

void quoteString(const std::string& s, std::string& out) {
  out += '"';
  for (char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\x1b':
        out += "\\e";
        break;
      default:
        out += c;
    }
  }
  out += '"';
}

void print(const Value& v, bool quoted, std::string& out) {
  switch (v.kind()) {
    case Kind::Nil:
      out += "nil";
      break;
    case Kind::Int: {
      char buf[16];
      auto res = std::to_chars(buf, buf + sizeof buf, v.asInt());
      out.append(buf, res.ptr);
      break;
    }
    case Kind::Real:
      out += realText(v.asReal());
      break;
    case Kind::Str:
      if (quoted) {
        quoteString(strText(v), out);
      } else {
        out += strText(v);
      }
      break;
    case Kind::Sym:
      out += sym(v)->name;
      break;
    case Kind::Cons: {
      out += '(';
      const Value* p = &v;
      bool first = true;
      for (; p->kind() == Kind::Cons; p = &cdr(*p)) {
        if (!first) out += ' ';
        first = false;
        print(car(*p), quoted, out);
      }
      if (!p->isNil()) {
        out += " . ";
        print(*p, quoted, out);
      }
      out += ')';
      break;
    }
    case Kind::Subr:
      out += "#<SUBR @" + static_cast<SubrObj*>(v.obj())->name + ">";
      break;
    case Kind::Func: {
      const auto* f = static_cast<FuncObj*>(v.obj());
      out += "#<USUBR @" + (f->name.empty() ? std::string("-lambda-") : f->name) + ">";
      break;
    }
    case Kind::File:
      out += "#<file \"" + static_cast<FileObj*>(v.obj())->name + "\">";
      break;
  }
}

}  // namespace

std::string printValue(const Value& v, bool quoted) {
  std::string out;
  print(v, quoted, out);
  return out;
}

bool equalValues(const Value& a, const Value& b) {
  const Value* x = &a;
  const Value* y = &b;
  while (true) {
    if (x->isNumber() && y->isNumber()) return x->number() == y->number();
    if (x->kind() != y->kind()) return false;
    switch (x->kind()) {
      case Kind::Nil:
        return true;
      case Kind::Str:
        return strText(*x) == strText(*y);
      case Kind::Cons:
        if (x->obj() == y->obj()) return true;
        if (!equalValues(car(*x), car(*y))) return false;
        x = &cdr(*x);
        y = &cdr(*y);
        continue;
      default:
        return x->obj() == y->obj();
    }
  }
}

}  // namespace standin::lisp

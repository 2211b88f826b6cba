// The language functions: special forms, list functions, output and load.
#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

namespace {

// Forms with unevaluated arguments ---------------------------------------------------------------

std::vector<Value> listItems(const Value& list) {
  std::vector<Value> items;
  for (const Value* p = &list; p->kind() == Kind::Cons; p = &cdr(*p)) items.push_back(car(*p));
  return items;
}

Value fQuote(Interpreter&, const Value& args) {
  if (args.kind() != Kind::Cons) throw LispError("too few arguments");
  if (!cdr(args).isNil()) throw LispError("too many arguments");
  return car(args);
}

Value fAppend(Interpreter&, Args a);

// (setq S (append S more...)): the scripts grow their lists this way, batch line by batch line.
// Copying S every time would make a list of n batches cost n^2 cell copies; instead, when no one
// but S can see the cells of S's list, the new cells are linked onto its end. The lists after
// S are copied, never shared, so S's cells stay private to it. Returns false (having evaluated
// nothing) when the form is not of this shape.
bool appendInPlace(Interpreter& in, SymObj* target, const Value& valueForm, Value& result) {
  if (valueForm.kind() != Kind::Cons || car(valueForm).kind() != Kind::Sym) return false;
  const Value& fn = sym(car(valueForm))->value;
  if (fn.kind() != Kind::Subr || static_cast<SubrObj*>(fn.obj())->fn != fAppend) return false;
  const Value& args = cdr(valueForm);
  if (args.kind() != Kind::Cons || car(args).kind() != Kind::Sym || sym(car(args)) != target) {
    return false;
  }
  Value first = target->value;
  std::vector<Value> rest;
  for (const Value* p = &cdr(args); p->kind() == Kind::Cons; p = &cdr(*p)) {
    rest.push_back(in.eval(car(*p)));
  }
  bool isPrivate = first.kind() == Kind::Cons && target->value.obj() == first.obj() &&
                   first.obj()->refs == 2;  // the symbol and `first`
  ConsObj* last = nullptr;
  if (isPrivate) {
    last = static_cast<ConsObj*>(first.obj());
    while (last->cdr.kind() == Kind::Cons) {
      if (last->cdr.obj()->refs != 1) {
        isPrivate = false;
        break;
      }
      last = static_cast<ConsObj*>(last->cdr.obj());
    }
    if (isPrivate && !last->cdr.isNil()) isPrivate = false;  // a dotted end cannot grow
  }
  if (!isPrivate && !first.isNil()) {
    // Shared or not a list: the ordinary append, with its checks and errors.
    std::vector<Value> all;
    all.push_back(first);
    for (Value& v : rest) all.push_back(std::move(v));
    result = fAppend(in, all);
    target->value = result;
    return true;
  }
  for (const Value& list : rest) {
    if (!list.isList()) badArgument("listp", list);
  }
  ListBuilder tail;
  for (const Value& list : rest) {
    for (const Value* p = &list; p->kind() == Kind::Cons; p = &cdr(*p)) tail.add(car(*p));
  }
  Value added = tail.take();
  if (first.isNil()) {
    target->value = std::move(added);
  } else if (!added.isNil()) {
    last->cdr = std::move(added);
  }
  result = target->value;
  return true;
}

Value fSetq(Interpreter& in, const Value& args) {
  Value result;
  const Value* p = &args;
  while (p->kind() == Kind::Cons) {
    const Value& target = car(*p);
    if (target.kind() != Kind::Sym || sym(target) == sym(in.trueValue())) {
      badArgument("symbolp", target);
    }
    const Value& rest = cdr(*p);
    if (rest.kind() != Kind::Cons) throw LispError("too few arguments");
    if (!appendInPlace(in, sym(target), car(rest), result)) {
      result = in.eval(car(rest));
      sym(target)->value = result;
    }
    p = &cdr(rest);
  }
  return result;
}

Value fIf(Interpreter& in, const Value& args) {
  std::vector<Value> a = listItems(args);
  if (a.size() < 2) throw LispError("too few arguments");
  if (a.size() > 3) throw LispError("too many arguments");
  if (!in.eval(a[0]).isNil()) return in.eval(a[1]);
  return a.size() == 3 ? in.eval(a[2]) : Value();
}

Value fProgn(Interpreter& in, const Value& args) {
  Value result;
  for (const Value* p = &args; p->kind() == Kind::Cons; p = &cdr(*p)) {
    result = Value();  // let go of the last value first: see appendInPlace
    result = in.eval(car(*p));
  }
  return result;
}

// (args / locals) body...
Value makeFunction(Interpreter&, const Value& definition, std::string name) {
  if (definition.kind() != Kind::Cons) throw LispError("too few arguments");
  const Value& params = car(definition);
  if (!params.isList()) badArgument("listp", params);
  auto* f = new FuncObj();
  Value holder(f);
  f->name = std::move(name);
  bool locals = false;
  for (const Value* p = &params; p->kind() == Kind::Cons; p = &cdr(*p)) {
    const Value& s = car(*p);
    if (s.kind() != Kind::Sym) badArgument("symbolp", s);
    if (sym(s)->name == "/") {
      locals = true;
      continue;
    }
    (locals ? f->locals : f->params).push_back(sym(s));
  }
  f->body = cdr(definition);
  return holder;
}

Value fDefun(Interpreter& in, const Value& args) {
  if (args.kind() != Kind::Cons) throw LispError("too few arguments");
  const Value& name = car(args);
  if (name.kind() != Kind::Sym) badArgument("symbolp", name);
  sym(name)->value = makeFunction(in, cdr(args), sym(name)->name);
  return name;
}

Value fLambda(Interpreter& in, const Value& args) { return makeFunction(in, args, ""); }

Value fForeach(Interpreter& in, const Value& args) {
  if (args.kind() != Kind::Cons || cdr(args).kind() != Kind::Cons) {
    throw LispError("too few arguments");
  }
  const Value& var = car(args);
  if (var.kind() != Kind::Sym) badArgument("symbolp", var);
  Value list = in.eval(car(cdr(args)));
  if (!list.isList()) badArgument("listp", list);
  const Value& body = cdr(cdr(args));
  SymObj* s = sym(var);
  struct Restore {
    SymObj* s;
    Value old;
    ~Restore() { s->value = std::move(old); }
  } restore{s, s->value};
  Value result;
  for (const Value* p = &list; p->kind() == Kind::Cons; p = &cdr(*p)) {
    s->value = car(*p);
    for (const Value* b = &body; b->kind() == Kind::Cons; b = &cdr(*b)) {
      result = Value();
      result = in.eval(car(*b));
    }
  }
  return result;
}

// Functions -----------------------------------------------------------------------------------

const Value& listArg(const Value& v) {
  if (!v.isList()) badArgument("listp", v);
  return v;
}

Value fCar(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  return listArg(a[0]).isNil() ? Value() : car(a[0]);
}

Value fCdr(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  return listArg(a[0]).isNil() ? Value() : cdr(a[0]);
}

Value nthCar(const Value& list, int skip) {
  const Value* p = &list;
  for (int i = 0; i < skip; ++i) {
    if (p->isNil()) return Value();
    if (p->kind() != Kind::Cons) badArgument("consp", *p);
    p = &cdr(*p);
  }
  if (p->isNil()) return Value();
  if (p->kind() != Kind::Cons) badArgument("consp", *p);
  return car(*p);
}

Value fCadr(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  return nthCar(listArg(a[0]), 1);
}

Value fCaddr(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  return nthCar(listArg(a[0]), 2);
}

Value fAssoc(Interpreter&, Args a) {
  checkArgCount(a, 2, 2);
  for (const Value* p = &listArg(a[1]); p->kind() == Kind::Cons; p = &cdr(*p)) {
    const Value& item = car(*p);
    if (item.kind() == Kind::Cons && equalValues(car(item), a[0])) return item;
  }
  return Value();
}

Value fLogand(Interpreter&, Args a) {
  if (a.empty()) return Value::integer(0);
  std::int32_t r = -1;
  for (const Value& v : a) r &= intArg(v);
  return Value::integer(r);
}

Value fList(Interpreter&, Args a) {
  ListBuilder b;
  for (const Value& v : a) b.add(v);
  return b.take();
}

Value fAppend(Interpreter&, Args a) {
  if (a.empty()) return Value();
  ListBuilder b;
  for (std::size_t i = 0; i + 1 < a.size(); ++i) {
    for (const Value* p = &listArg(a[i]); p->kind() == Kind::Cons; p = &cdr(*p)) b.add(car(*p));
  }
  b.setTail(listArg(a.back()));
  return b.take();
}

Value fMapcar(Interpreter& in, Args a) {
  checkArgCount(a, 2, 255);
  std::vector<const Value*> lists;
  for (std::size_t i = 1; i < a.size(); ++i) lists.push_back(&listArg(a[i]));
  ListBuilder out;
  std::vector<Value> callArgs(lists.size());
  while (true) {
    for (std::size_t i = 0; i < lists.size(); ++i) {
      if (lists[i]->kind() != Kind::Cons) return out.take();
      callArgs[i] = car(*lists[i]);
      lists[i] = &cdr(*lists[i]);
    }
    out.add(in.apply(a[0], callArgs));
  }
}

Value fEqual(Interpreter& in, Args a) {
  checkArgCount(a, 1, 255);
  for (std::size_t i = 0; i + 1 < a.size(); ++i) {
    const Value& x = a[i];
    const Value& y = a[i + 1];
    bool same;
    if (x.isNumber() && y.isNumber()) {
      same = x.number() == y.number();
    } else if (x.kind() == Kind::Str && y.kind() == Kind::Str) {
      same = strText(x) == strText(y);
    } else if (x.isNumber() || x.kind() == Kind::Str) {
      same = false;
    } else {
      badArgument("numberp:", x);
    }
    if (!same) return Value();
  }
  return in.trueValue();
}

Value fGc(Interpreter&, Args a) {
  checkArgCount(a, 0, 0);
  return Value();  // memory is reference counted: nothing to collect
}

Value fPrinc(Interpreter& in, Args a) {
  checkArgCount(a, 0, 2);
  if (a.empty()) return in.quietValue();
  in.console().print(printValue(a[0], false));
  return a[0];
}

Value fPrompt(Interpreter& in, Args a) {
  checkArgCount(a, 1, 1);
  in.console().print(stringArg(a[0]));
  return Value();
}

Value fTerpri(Interpreter& in, Args a) {
  checkArgCount(a, 0, 0);
  in.console().print("\n");
  return Value();
}

Value fLoad(Interpreter& in, Args a) {
  checkArgCount(a, 1, 2);
  const std::string& name = stringArg(a[0]);
  if (a.size() == 2 && in.findSupportFile(name).empty()) return a[1];
  return in.load(name);
}

}  // namespace

void installCoreFunctions(Interpreter& in) {
  in.defineSpecial("quote", fQuote);
  in.defineSpecial("setq", fSetq);
  in.defineSpecial("if", fIf);
  in.defineSpecial("progn", fProgn);
  in.defineSpecial("defun", fDefun);
  in.defineSpecial("lambda", fLambda);
  in.defineSpecial("foreach", fForeach);
  in.defineSubr("car", fCar);
  in.defineSubr("cdr", fCdr);
  in.defineSubr("cadr", fCadr);
  in.defineSubr("caddr", fCaddr);
  in.defineSubr("assoc", fAssoc);
  in.defineSubr("logand", fLogand);
  in.defineSubr("list", fList);
  in.defineSubr("append", fAppend);
  in.defineSubr("mapcar", fMapcar);
  in.defineSubr("=", fEqual);
  in.defineSubr("gc", fGc);
  in.defineSubr("princ", fPrinc);
  in.defineSubr("prompt", fPrompt);
  in.defineSubr("terpri", fTerpri);
  in.defineSubr("load", fLoad);
}

}  // namespace standin::lisp

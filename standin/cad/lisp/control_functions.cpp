// Conditions and loops (cond, and, or, while, not, null) and the arithmetic and comparisons that
// the CAD-side setup files use.
#include <cmath>
#include <limits>

#include "standin/cad/lisp/interpreter.h"

namespace standin::lisp {

namespace {

// (cond (test body...) ...): the first clause whose test is not nil; a clause without a body
// gives its test's value.
Value fCond(Interpreter& in, const Value& args) {
  for (const Value* c = &args; c->kind() == Kind::Cons; c = &cdr(*c)) {
    const Value& clause = car(*c);
    if (clause.kind() != Kind::Cons) badArgument("listp", clause);
    Value result = in.eval(car(clause));
    if (result.isNil()) continue;
    for (const Value* b = &cdr(clause); b->kind() == Kind::Cons; b = &cdr(*b)) {
      result = Value();
      result = in.eval(car(*b));
    }
    return result;
  }
  return Value();
}

Value fAnd(Interpreter& in, const Value& args) {
  for (const Value* p = &args; p->kind() == Kind::Cons; p = &cdr(*p)) {
    if (in.eval(car(*p)).isNil()) return Value();
  }
  return in.trueValue();
}

Value fOr(Interpreter& in, const Value& args) {
  for (const Value* p = &args; p->kind() == Kind::Cons; p = &cdr(*p)) {
    if (!in.eval(car(*p)).isNil()) return in.trueValue();
  }
  return Value();
}

Value fWhile(Interpreter& in, const Value& args) {
  if (args.kind() != Kind::Cons) throw LispError("too few arguments");
  Value result;
  while (!in.eval(car(args)).isNil()) {
    for (const Value* b = &cdr(args); b->kind() == Kind::Cons; b = &cdr(*b)) {
      result = Value();
      result = in.eval(car(*b));
    }
  }
  return result;
}

Value fNot(Interpreter& in, Args a) {
  checkArgCount(a, 1, 1);
  return a[0].isNil() ? in.trueValue() : Value();
}

// Integers stay integers while every operand is one and the result fits; otherwise reals.
Value arithmetic(Args a, int sign) {
  bool allInt = true;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    double v = numberArg(a[i]);
    allInt = allInt && a[i].kind() == Kind::Int;
    sum += (i == 0 || sign > 0) ? v : -v;
  }
  if (a.size() == 1 && sign < 0) sum = -sum;
  if (allInt && sum >= std::numeric_limits<std::int32_t>::min() &&
      sum <= std::numeric_limits<std::int32_t>::max()) {
    return Value::integer(static_cast<std::int32_t>(sum));
  }
  return Value::real(sum);
}

Value fPlus(Interpreter&, Args a) { return arithmetic(a, 1); }
Value fMinus(Interpreter&, Args a) { return arithmetic(a, -1); }

Value fOnePlus(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  Value one = Value::integer(1);
  Value both[] = {a[0], one};
  return arithmetic(both, 1);
}

Value fOneMinus(Interpreter&, Args a) {
  checkArgCount(a, 1, 1);
  Value one = Value::integer(1);
  Value both[] = {a[0], one};
  return arithmetic(both, -1);
}

// -1, 0 or 1 for two numbers or two strings.
int compare(const Value& x, const Value& y) {
  if (x.kind() == Kind::Str && y.kind() == Kind::Str) {
    int c = strText(x).compare(strText(y));
    return (c > 0) - (c < 0);
  }
  double a = numberArg(x), b = numberArg(y);
  return (a > b) - (a < b);
}

template <bool (*Holds)(int)>
Value ordered(Interpreter& in, Args a) {
  checkArgCount(a, 1, 255);
  for (std::size_t i = 0; i + 1 < a.size(); ++i) {
    if (!Holds(compare(a[i], a[i + 1]))) return Value();
  }
  return in.trueValue();
}

bool less(int c) { return c < 0; }
bool greater(int c) { return c > 0; }
bool lessOrEqual(int c) { return c <= 0; }
bool greaterOrEqual(int c) { return c >= 0; }
bool differs(int c) { return c != 0; }

}  // namespace

void installControlFunctions(Interpreter& in) {
  in.defineSpecial("cond", fCond);
  in.defineSpecial("and", fAnd);
  in.defineSpecial("or", fOr);
  in.defineSpecial("while", fWhile);
  in.defineSubr("not", fNot);
  in.defineSubr("null", fNot);
  in.defineSubr("+", fPlus);
  in.defineSubr("-", fMinus);
  in.defineSubr("1+", fOnePlus);
  in.defineSubr("1-", fOneMinus);
  in.defineSubr("<", ordered<less>);
  in.defineSubr(">", ordered<greater>);
  in.defineSubr("<=", ordered<lessOrEqual>);
  in.defineSubr(">=", ordered<greaterOrEqual>);
  in.defineSubr("/=", ordered<differs>);
}

}  // namespace standin::lisp

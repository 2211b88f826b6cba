namespace standin::lisp {}

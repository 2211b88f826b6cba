(setq a (list 1 2 (list 3 (list 4.5 "x")) '(5 . 6)))
(car (cdr a))

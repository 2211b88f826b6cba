(mapcar '(lambda (x) (trans x 1 0)) '((1.0 0 0) (0 1.0 0)))
(foreach n '(1 2 3) (princ n))
(assoc 70 '((70 . 1)))

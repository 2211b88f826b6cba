(defun f () (f))
(f)
(defun g (x) (g x) (g x))
(g 1)

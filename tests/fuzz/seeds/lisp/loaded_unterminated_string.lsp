(princ "never closed)

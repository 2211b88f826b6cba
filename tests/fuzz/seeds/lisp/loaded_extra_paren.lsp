(princ))
)

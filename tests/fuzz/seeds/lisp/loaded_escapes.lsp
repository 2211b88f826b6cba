(princ "\101\e\t\\\"\n")

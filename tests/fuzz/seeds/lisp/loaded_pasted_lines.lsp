(setvar "cmdecho" 0)
(prompt "Às’†‚Å‚·B@‚¨‘Ò‚¿‚­‚¾‚³‚¢B")
(princ)

(command ".UCS" "3" '(0 0 0) '(1 0 0) '(0 1 0))
(command ".UCS" "3" '(0 0 0) '(0 0 0) '(0 0 0))
(command ".zoom" "e")
(command "useri1" "1000" )

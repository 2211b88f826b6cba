(command ".layer" "m" "A" "t" "A" "f" "A" "")
(tblsearch "LAYER" "a")
(command "-layer" "m")

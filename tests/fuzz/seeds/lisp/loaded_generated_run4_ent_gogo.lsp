(load "ent_start")
(load "ent_go1")
(gc)

(load "ent_start")
(load "ent_go1")
(load "ent_go2")
(gc)

(load "ent_go1")

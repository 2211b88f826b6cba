(getpoint "\n1-‘±‚¯‚Ä")

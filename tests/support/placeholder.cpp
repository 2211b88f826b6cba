// platform fakes

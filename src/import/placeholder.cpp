namespace harlowe {}

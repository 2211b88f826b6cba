namespace harlowe::cadlink {}

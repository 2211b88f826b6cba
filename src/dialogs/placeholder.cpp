namespace harlowe::dialogs {}

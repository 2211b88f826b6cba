#pragma once
// Finds the running CAD: every process whose executable is the configured one, the main and text
// windows among the top-level windows of its threads, and the command-line window below them.
// One CadWindowEntry per CAD process goes to CadWindows and one item to the list of the hidden
// form frmMain, whose selection names the instance the command goes to.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cadlink/cad_settings.h"
#include "platform/desktop.h"

namespace harlowe::cadlink {

struct CadWindowEntry {
  std::string DrawingName;  // from the main window's caption
  platform::WindowHandle MainWnd = 0;
  platform::WindowHandle MainCmdWnd = 0;  // LastCommandWnd after the walk of the main window
  platform::WindowHandle TextWnd = 0;
  platform::WindowHandle TextCmdWnd = 0;  // LastCommandWnd after the walk of the text window
  // The command line found among this instance's own windows (LastCommandWnd is never cleared,
  // so after a walk that found none it still names another instance's).
  platform::WindowHandle OwnCommandWnd = 0;
};

// A combo box's items (text and item data) and its selected index.
struct ComboBox {
  struct Item {
    std::string text;
    std::int32_t itemData = 0;
  };
  std::vector<Item> items;
  int ListIndex = -1;  // -1: nothing selected

  void Clear() {
    items.clear();
    ListIndex = -1;
  }
  void AddItem(std::string text, std::int32_t itemData) {
    items.push_back({std::move(text), itemData});
  }
  int ListCount() const { return static_cast<int>(items.size()); }
};

// The form that holds the instance list. It is never shown; it is loaded by the first touch of
// its list, and its load step runs before that touch completes.
class FrmMain {
 public:
  explicit FrmMain(std::function<void()> formLoad) : Form_Load(std::move(formLoad)) {}
  ComboBox& cmbFileName() {
    if (!loaded_) {
      loaded_ = true;  // a touch from inside the load step does not load again
      Form_Load();
    }
    return list_;
  }
  bool loaded() const { return loaded_; }
  // The list as it stands, without loading the form.
  const ComboBox& peekList() const { return list_; }

 private:
  std::function<void()> Form_Load;
  bool loaded_ = false;
  ComboBox list_;
};

class CadSearch {
 public:
  explicit CadSearch(const SettingsSource& src);
  CadSearch(const CadSearch&) = delete;
  CadSearch& operator=(const CadSearch&) = delete;

  // The settings read (MkScr.ini).
  void readSettings();
  const CadSettings& settings() const { return settings_; }

  // The search: fills CadWindows and the list of frmMain and selects the last item. The first
  // search of a process loads frmMain, whose load step reads the settings and searches once on
  // its own before this search goes on; so every instance is then listed twice in CadWindows and
  // the list's item data point at the second set.
  void FindCadInstances();
  bool EnumCadWindowProc(platform::WindowHandle window, std::intptr_t data);
  bool EnumCommandLineProc(platform::WindowHandle window, std::intptr_t data);
  std::string GetWindowCaption(platform::WindowHandle window);

  // The entry that the list's selection points at, or nullptr when nothing is selected.
  const CadWindowEntry* selectedEntry() const;

  std::vector<CadWindowEntry> CadWindows{1};  // element 0 is never filled
  // The command-line window found last; never cleared.
  platform::WindowHandle LastCommandWnd = 0;
  FrmMain frmMain;

 private:
  void walkThreadsOf(std::uint32_t processId);
  SettingsSource src_;
  CadSettings settings_;
};

// The drawing name in a main window's caption: the text from the third character after the
// first "-" (from the third character when there is none), less its last character.
// 'CAD - [plan.dwg]' gives 'plan.dwg'. Counts characters, not bytes.
std::string drawingNameOf(const std::string& caption);

}  // namespace harlowe::cadlink

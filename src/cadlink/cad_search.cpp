#include "cadlink/cad_search.h"

#include <string_view>

namespace harlowe::cadlink {

using platform::WindowHandle;

namespace {

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte offset of the character with the given 0-based index, or the text's size when the text
// has fewer characters.
std::size_t offsetOfChar(std::string_view s, std::size_t index) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < index && pos < s.size(); ++i) {
    ++pos;
    while (pos < s.size() && isContinuationByte(s[pos])) ++pos;
  }
  return pos;
}

// Byte offset of the start of the last character (s not empty).
std::size_t lastCharOffset(std::string_view s) {
  std::size_t pos = s.size() - 1;
  while (pos > 0 && isContinuationByte(s[pos])) --pos;
  return pos;
}

std::size_t charCount(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += isContinuationByte(c) ? 0 : 1;
  return n;
}

}  // namespace

std::string drawingNameOf(const std::string& caption) {
  std::string_view text = caption;
  auto dash = text.find('-');
  // p is the 1-based character position of the "-", 0 when there is none; the name starts at
  // character p + 3, that is at 0-based index p + 2.
  std::size_t p = dash == std::string_view::npos ? 0 : charCount(text.substr(0, dash)) + 1;
  std::string_view rest = text.substr(offsetOfChar(text, p + 2));
  // A caption that ends before the name would start has no name to cut (the old cut failed
  // there): the name is empty.
  if (rest.empty()) return {};
  return std::string(rest.substr(0, lastCharOffset(rest)));
}

CadSearch::CadSearch(const SettingsSource& src)
    : frmMain([this] {
        readSettings();
        FindCadInstances();
      }),
      src_(src) {}

void CadSearch::readSettings() { settings_ = readCadSettings(src_); }

void CadSearch::FindCadInstances() {
  auto& desk = src_.desktop;
  CadWindows.assign(1, CadWindowEntry{});
  ComboBox& list = frmMain.cmbFileName();
  list.Clear();

  platform::Handle snapshot = desk.CreateToolhelp32Snapshot(platform::kTh32csSnapProcess, 0);
  if (snapshot != platform::kInvalidHandle) {
    platform::ProcessEntry process;
    for (bool more = desk.Process32First(snapshot, process); more;
         more = desk.Process32Next(snapshot, process)) {
      if (ExeBaseName(src_.codePage.fromAnsi(process.exeFile)) != settings_.ACADName) continue;
      CadWindows.emplace_back();
      walkThreadsOf(process.th32ProcessID);
      list.AddItem(CadWindows.back().DrawingName, static_cast<std::int32_t>(CadWindows.size() - 1));
    }
    desk.CloseHandle(snapshot);
  }
  if (CadWindows.size() > 1) list.ListIndex = list.ListCount() - 1;
}

void CadSearch::walkThreadsOf(std::uint32_t processId) {
  auto& desk = src_.desktop;
  platform::Handle snapshot = desk.CreateToolhelp32Snapshot(platform::kTh32csSnapThread, 0);
  if (snapshot == platform::kInvalidHandle) return;
  const platform::WindowEnumProc proc = [this](WindowHandle w, std::intptr_t data) {
    return EnumCadWindowProc(w, data);
  };
  platform::ThreadEntry thread;
  for (bool more = desk.Thread32First(snapshot, thread); more;
       more = desk.Thread32Next(snapshot, thread)) {
    if (thread.th32OwnerProcessID != processId) continue;
    desk.EnumThreadWindows(thread.th32ThreadID, proc, thread.th32ThreadID);
  }
  desk.CloseHandle(snapshot);
}

bool CadSearch::EnumCadWindowProc(WindowHandle window, std::intptr_t data) {
  if (src_.desktop.GetWindowTextLengthA(window) <= 0) return true;
  const std::string caption = GetWindowCaption(window);
  const platform::WindowEnumProc childProc = [this](WindowHandle w, std::intptr_t d) {
    return EnumCommandLineProc(w, d);
  };
  CadWindowEntry& entry = CadWindows.back();
  // The main-window test comes first: a caption that matches both prefixes is the main window.
  if (caption.starts_with(settings_.MainCaption)) {
    entry.DrawingName = drawingNameOf(caption);
    entry.MainWnd = window;
    src_.desktop.EnumChildWindows(window, childProc, data);
    entry.MainCmdWnd = LastCommandWnd;
  } else if (caption.starts_with(settings_.TextCaption)) {
    entry.TextWnd = window;
    src_.desktop.EnumChildWindows(window, childProc, data);
    entry.TextCmdWnd = LastCommandWnd;
  }
  return true;
}

bool CadSearch::EnumCommandLineProc(WindowHandle window, std::intptr_t) {
  if (GetWindowCaption(window) != settings_.CommandCaption) return true;
  LastCommandWnd = window;
  CadWindows.back().OwnCommandWnd = window;  // only the newest instance's windows are walked
  return false;
}

std::string CadSearch::GetWindowCaption(WindowHandle window) {
  const int n = src_.desktop.GetWindowTextLengthA(window);
  if (n <= 0) return {};
  std::string buffer(static_cast<std::size_t>(n) + 1, '\0');
  int copied = src_.desktop.GetWindowTextA(window, buffer.data(), n + 1);
  // The length query may overstate the text; only what was copied is the text.
  if (copied < 0) copied = 0;
  if (copied > n) copied = n;
  return src_.codePage.fromAnsi(std::string_view(buffer.data(), static_cast<std::size_t>(copied)));
}

const CadWindowEntry* CadSearch::selectedEntry() const {
  const ComboBox& list = frmMain.peekList();
  if (list.ListIndex < 0 || list.ListIndex >= list.ListCount()) return nullptr;
  const std::int32_t index = list.items[static_cast<std::size_t>(list.ListIndex)].itemData;
  if (index < 1 || static_cast<std::size_t>(index) >= CadWindows.size()) return nullptr;
  return &CadWindows[static_cast<std::size_t>(index)];
}

}  // namespace harlowe::cadlink

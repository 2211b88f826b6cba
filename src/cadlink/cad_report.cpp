#include "cadlink/cad_report.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "cadlink/cad_search.h"

namespace harlowe::cadlink {

using platform::WindowHandle;

namespace {

bool isSet(const std::string& value) { return !value.empty() && value != "???"; }

std::string quoted(const std::string& s) { return "「" + s + "」"; }

// A list under its label: every text quoted on a line of its own below, indented by `indent`,
// in the order given, without repeats; the one to put into mkscr.ini may be anywhere in it.
std::string listOf(const std::vector<std::string>& texts, const std::string& indent) {
  std::vector<std::string> seen;
  std::string out;
  for (const std::string& t : texts) {
    if (t.empty() || std::find(seen.begin(), seen.end(), t) != seen.end()) continue;
    seen.push_back(t);
    out += "\n" + indent + quoted(t);
  }
  return out.empty() ? " （なし）" : out;
}

// Walks of the desktop for the report, through the same calls as the search.
class DesktopView {
 public:
  DesktopView(const SettingsSource& src, CadSearch& search) : src_(src), search_(search) {}

  struct Process {
    std::uint32_t id;
    std::string baseName;
  };
  std::vector<Process> processes() {
    std::vector<Process> out;
    platform::Handle snap = src_.desktop.CreateToolhelp32Snapshot(platform::kTh32csSnapProcess, 0);
    if (snap == platform::kInvalidHandle) return out;
    platform::ProcessEntry e;
    for (bool ok = src_.desktop.Process32First(snap, e); ok;
         ok = src_.desktop.Process32Next(snap, e)) {
      out.push_back({e.th32ProcessID, ExeBaseName(src_.codePage.fromAnsi(e.exeFile))});
    }
    src_.desktop.CloseHandle(snap);
    return out;
  }
  // The captions of the top-level windows of a process's threads.
  std::vector<std::string> windowCaptions(std::uint32_t processId) {
    std::vector<std::uint32_t> threads;
    platform::Handle snap = src_.desktop.CreateToolhelp32Snapshot(platform::kTh32csSnapThread, 0);
    if (snap == platform::kInvalidHandle) return {};
    platform::ThreadEntry t;
    for (bool ok = src_.desktop.Thread32First(snap, t); ok;
         ok = src_.desktop.Thread32Next(snap, t)) {
      if (t.th32OwnerProcessID == processId) threads.push_back(t.th32ThreadID);
    }
    src_.desktop.CloseHandle(snap);
    std::vector<std::string> captions;
    for (std::uint32_t id : threads) {
      src_.desktop.EnumThreadWindows(
          id,
          [&](WindowHandle w, std::intptr_t) {
            captions.push_back(search_.GetWindowCaption(w));
            return true;
          },
          0);
    }
    return captions;
  }
  // The texts of a window's descendants; `found` tells whether one of them is `wanted`.
  std::vector<std::string> childTexts(WindowHandle parent, const std::string& wanted, bool& found) {
    std::vector<std::string> texts;
    found = false;
    if (parent == 0) return texts;
    src_.desktop.EnumChildWindows(
        parent,
        [&](WindowHandle w, std::intptr_t) {
          texts.push_back(search_.GetWindowCaption(w));
          if (texts.back() == wanted) found = true;
          return true;
        },
        0);
    return texts;
  }

 private:
  const SettingsSource& src_;
  CadSearch& search_;
};

}  // namespace

CadReport describeCadSetup(const SettingsSource& src) {
  CadSearch search(src);
  search.FindCadInstances();
  const CadSettings& s = search.settings();
  DesktopView view(src, search);
  CadReport report;
  std::string& out = report.text;

  auto value = [](const std::string& v, const char* unset) { return isSet(v) ? v : unset; };
  out += "設定ファイル: " + s.AppFolder + "MkScr.ini\n";
  out += "  ACADName = " + value(s.ACADName, "（未設定）") + "\n";
  out += "  MainCaption = " + value(s.MainCaption, "（未設定）") + "\n";
  out += "  TextCaption = " + value(s.TextCaption, "（使いません）") + "\n";
  out += "  CommandCaption = " + value(s.CommandCaption, "（未設定）") + "\n\n";

  auto programsWithWindows = [&] {
    std::vector<std::string> names;
    for (const auto& p : view.processes())
      if (!view.windowCaptions(p.id).empty()) names.push_back(p.baseName);
    return "ウィンドウのあるプログラム:" + listOf(names, "  ") + "\n";
  };
  if (!isSet(s.ACADName)) {
    out +=
        "ACADName が設定されていません。CADのプログラム名（タスクマネージャーの「詳細」に"
        "出る名前から .exe を除いたもの）を書いてください。\n";
    out += programsWithWindows();
  } else if (!isSet(s.MainCaption) || !isSet(s.CommandCaption)) {
    out += std::string(isSet(s.MainCaption) ? "CommandCaption" : "MainCaption") +
           " が設定されていません。下の一覧を見て書いてください。\n";
  }

  std::vector<std::uint32_t> cadIds;
  for (const auto& p : view.processes())
    if (isSet(s.ACADName) && p.baseName == s.ACADName) cadIds.push_back(p.id);
  if (isSet(s.ACADName) && cadIds.empty()) {
    out += "ACADName " + quoted(s.ACADName) +
           " のプログラムが起動していません。CADを起動してから、もう一度実行してください"
           "（名前は大文字と小文字も区別します）。\n";
    out += programsWithWindows();
  }

  // One list item per CAD process, in the order of the processes. A run uses the selected one
  // (the last found), and only a command line among its own windows: the search's last command
  // line may belong to another instance.
  const ComboBox& list = search.frmMain.peekList();
  bool selectedHasCommandLine = false, otherHasCommandLine = false;
  for (int i = 0; i < list.ListCount(); ++i) {
    const CadWindowEntry& e = search.CadWindows[list.items[i].itemData];
    const std::string n = std::to_string(i + 1);
    out +=
        "CAD [" + n + "]" + (e.DrawingName.empty() ? "" : " 図面 " + quoted(e.DrawingName)) + "\n";
    if (e.MainWnd == 0) {
      out += "  メインウィンドウ: なし（" + quoted(s.MainCaption) +
             " で始まるウィンドウがありません）\n  このCADのウィンドウ:" +
             listOf(i < static_cast<int>(cadIds.size()) ? view.windowCaptions(cadIds[i])
                                                        : std::vector<std::string>{},
                    "    ") +
             "\n";
    } else {
      out += "  メインウィンドウ: あり\n";
    }
    if (isSet(s.TextCaption))
      out += std::string("  テキストウィンドウ: ") + (e.TextWnd ? "あり\n" : "なし\n");
    bool inMain = false, inText = false;
    std::vector<std::string> texts = view.childTexts(e.MainWnd, s.CommandCaption, inMain);
    view.childTexts(e.TextWnd, s.CommandCaption, inText);
    if (inMain || inText) {
      out += std::string("  コマンドライン: あり（") +
             (inMain ? "メインウィンドウ" : "テキストウィンドウ") + "）\n";
    } else if (e.MainWnd != 0) {
      out +=
          "  コマンドライン: なし（" + quoted(s.CommandCaption) +
          " のウィンドウがありません）\n  メインウィンドウの中の文字列:" + listOf(texts, "    ") +
          "\n";
    }
    if (i == list.ListIndex) {
      selectedHasCommandLine = inMain || inText;
    } else if (inMain || inText) {
      otherHasCommandLine = true;
    }
  }

  const CadWindowEntry* target = search.selectedEntry();
  report.ready = target != nullptr && target->MainWnd != 0 && selectedHasCommandLine;
  const std::string chosen = "CAD [" + std::to_string(list.ListIndex + 1) + "]";
  out += "\n";
  if (list.ListCount() > 1)
    out += "CADが " + std::to_string(list.ListCount()) +
           " 個起動しています。Harlowe が使うのは、最後に見つかった " + chosen + " です。\n";
  if (report.ready) {
    out += "Harlowe は " + chosen +
           (target->DrawingName.empty() ? "" : "（図面 " + quoted(target->DrawingName) + "）") +
           " のコマンドラインにコマンドを送ります。";
  } else if (target != nullptr && target->MainWnd != 0 && otherHasCommandLine) {
    out += "このままでは Harlowe はCADにコマンドを送れません。" + chosen +
           " のコマンドラインを表示するか、使わないCADを終了して、もう一度実行してください。";
  } else {
    out +=
        "このままでは Harlowe はCADにコマンドを送れません。mkscr.ini を直して、もう一度"
        "実行してください。";
  }
  return report;
}

}  // namespace harlowe::cadlink

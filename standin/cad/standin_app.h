#pragma once
// The stand-in CAD's windows: the main window (caption "<MainCaption> - [<drawing>]") with the
// top view of the drawing, a history pane and a command-line child whose window text is fixed;
// and a text window with its own history pane and command line. Both command lines feed one
// evaluation session.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "standin/cad/lisp/drawing.h"
#include "standin/cad/lisp/session.h"
#include "standin/cad/standin_settings.h"

namespace standin {

class App : public lisp::SessionHost {
 public:
  App(HINSTANCE instance, Settings settings);
  ~App() override;
  bool Create(int show);
  int Run();

  // Window procedures reach the one instance through this.
  static App* instance;
  LRESULT MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT TextProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT CommandProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);

 private:
  // SessionHost
  std::string decodeAnsi(std::string_view bytes) override;
  void historyAdded(std::string_view utf8) override;
  void poll() override;
  std::optional<std::string> chooseFile(std::string_view title, std::string_view defaultFile,
                                        std::string_view extension) override;
  bool startProgram(std::string_view commandLine) override;

  void Layout(HWND top);
  void PaintView(HDC dc, const RECT& area);
  RECT ViewRect() const;
  void Paste();
  void Typed(const std::string& utf8);
  void AfterInput();
  void FlushHistory();
  void RefreshCommandLines();
  HFONT PickFont();

  HINSTANCE instance_;
  Settings settings_;
  lisp::Drawing drawing_;
  std::unique_ptr<lisp::Session> session_;
  HWND main_ = nullptr, text_ = nullptr;
  HWND mainCmd_ = nullptr, textCmd_ = nullptr, mainHist_ = nullptr, textHist_ = nullptr;
  HFONT font_ = nullptr;
  int lineHeight_ = 18;
  std::wstring pendingHistory_;
  DWORD lastPump_ = 0, lastPaint_ = 0, lastFlush_ = 0;
  wchar_t highSurrogate_ = 0;
  bool closing_ = false;
};

}  // namespace standin

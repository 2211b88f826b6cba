#include "standin/cad/standin_app.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "win32/win_text.h"

namespace standin {

App* App::instance = nullptr;

namespace {

constexpr wchar_t kMainClass[] = L"StandInCadMain";
constexpr wchar_t kTextClass[] = L"StandInCadText";
constexpr wchar_t kCommandClass[] = L"StandInCadCommandLine";
constexpr std::uint32_t kViewBack = 0x212830;  // 0x00RRGGBB, as the DIB holds it
constexpr int kHistoryLines = 5;
constexpr int kHistoryLimit = 400000;  // characters kept in a history pane

using harlowe::win32::narrow;
using harlowe::win32::widen;

LRESULT CALLBACK MainWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return App::instance ? App::instance->MainProc(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}
LRESULT CALLBACK TextWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return App::instance ? App::instance->TextProc(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}
LRESULT CALLBACK CommandWndProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return App::instance ? App::instance->CommandProc(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}

int CALLBACK CollectFont(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM data) {
  reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(lf->lfFaceName);
  return 1;
}

HMENU ControlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

App::App(HINSTANCE instance, Settings settings)
    : instance_(instance), settings_(std::move(settings)) {
  App::instance = this;
  drawing_.drawingName = narrow(settings_.drawingName);
  drawing_.osmode = settings_.osmode;
  lisp::SessionOptions options;
  options.supportFolders = settings_.supportFolders;
  options.dumpFolder = settings_.dumpFolder;
  options.continueAtPause = settings_.continueAtPause;
  if (settings_.secureLoad) options.trustedPaths = narrow(settings_.trustedPaths);
  session_ = std::make_unique<lisp::Session>(drawing_, *this, options);
}

App::~App() {
  if (font_) DeleteObject(font_);
  App::instance = nullptr;
}

HFONT App::PickFont() {
  // The history shows Japanese script output: take a font that has the Japanese character set.
  std::vector<std::wstring> faces;
  HDC dc = GetDC(nullptr);
  LOGFONTW query{};
  query.lfCharSet = SHIFTJIS_CHARSET;
  EnumFontFamiliesExW(dc, &query, CollectFont, reinterpret_cast<LPARAM>(&faces), 0);
  ReleaseDC(nullptr, dc);
  std::wstring face;
  for (const std::wstring& wanted :
       {settings_.fontName, std::wstring(L"MS Gothic"), std::wstring(L"ＭＳ ゴシック"),
        std::wstring(L"Noto Sans Mono CJK JP"), std::wstring(L"Noto Sans CJK JP")}) {
    if (!wanted.empty() && std::find(faces.begin(), faces.end(), wanted) != faces.end()) {
      face = wanted;
      break;
    }
  }
  if (face.empty()) {
    for (const std::wstring& f : faces) {
      if (!f.empty() && f[0] != L'@') {
        face = f;
        break;
      }
    }
  }
  LOGFONTW lf{};
  lf.lfHeight = -14;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = face.empty() ? DEFAULT_CHARSET : SHIFTJIS_CHARSET;
  lf.lfQuality = ANTIALIASED_QUALITY;
  wcsncpy(lf.lfFaceName, face.empty() ? L"MS Shell Dlg" : face.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

bool App::Create(int show) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = MainWndProc;
  wc.lpszClassName = kMainClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = TextWndProc;
  wc.lpszClassName = kTextClass;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassExW(&wc);
  wc.lpfnWndProc = CommandWndProc;
  wc.lpszClassName = kCommandClass;
  wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassExW(&wc);

  font_ = PickFont();
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  lineHeight_ = static_cast<int>(tm.tmHeight) + 2;

  // Main window above, text window below it; they do not overlap, so a click into the centre
  // of either command line lands on that command line.
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  const int mainW = sw * 5 / 8, mainH = sh * 5 / 8;
  const int textY = mainH + 8, textH = std::max(160, sh - textY - 48);
  const std::wstring caption = settings_.mainCaption + L" - [" + settings_.drawingName + L"]";
  main_ = CreateWindowExW(0, kMainClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                          0, mainW, mainH, nullptr, nullptr, instance_, nullptr);
  text_ = CreateWindowExW(0, kTextClass, settings_.textCaption.c_str(),
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, textY, mainW, textH, nullptr,
                          nullptr, instance_, nullptr);
  if (!main_ || !text_) return false;

  const DWORD histStyle =
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
  mainHist_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", histStyle, 0, 0, 10, 10, main_,
                              ControlId(settings_.mainHistCtrlId), instance_, nullptr);
  mainCmd_ = CreateWindowExW(WS_EX_CLIENTEDGE, kCommandClass, settings_.commandCaption.c_str(),
                             WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main_,
                             ControlId(settings_.mainCmdCtrlId), instance_, nullptr);
  textHist_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", histStyle, 0, 0, 10, 10, text_,
                              ControlId(settings_.textHistCtrlId), instance_, nullptr);
  textCmd_ = CreateWindowExW(WS_EX_CLIENTEDGE, kCommandClass, settings_.commandCaption.c_str(),
                             WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, text_,
                             ControlId(settings_.textCmdCtrlId), instance_, nullptr);
  for (HWND h : {mainHist_, mainCmd_, textHist_, textCmd_}) {
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  SendMessageW(mainHist_, EM_SETLIMITTEXT, 0, 0);
  SendMessageW(textHist_, EM_SETLIMITTEXT, 0, 0);
  Layout(main_);
  Layout(text_);

  ShowWindow(text_, SW_SHOWNOACTIVATE);
  ShowWindow(main_, show);
  UpdateWindow(main_);
  SetForegroundWindow(main_);
  SetFocus(mainCmd_);
  session_->writeDump();  // state.txt tells a poller that the stand-in is up and idle
  return true;
}

int App::Run() {
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return static_cast<int>(m.wParam);
}

void App::Layout(HWND top) {
  RECT rc;
  GetClientRect(top, &rc);
  const int cmdH = lineHeight_ + 6;
  if (top == main_) {
    const int histH = kHistoryLines * lineHeight_ + 6;
    const int viewH = std::max(0, static_cast<int>(rc.bottom) - histH - cmdH);
    MoveWindow(mainHist_, 0, viewH, rc.right, histH, TRUE);
    MoveWindow(mainCmd_, 0, viewH + histH, rc.right, cmdH, TRUE);
    if (viewH > 0) drawing_.aspect = static_cast<double>(rc.right) / viewH;
  } else {
    const int histH = std::max(0, static_cast<int>(rc.bottom) - cmdH);
    MoveWindow(textHist_, 0, 0, rc.right, histH, TRUE);
    MoveWindow(textCmd_, 0, histH, rc.right, cmdH, TRUE);
  }
}

RECT App::ViewRect() const {
  RECT rc;
  GetClientRect(main_, &rc);
  rc.bottom = std::max<LONG>(0, rc.bottom - (kHistoryLines * lineHeight_ + 6) - (lineHeight_ + 6));
  return rc;
}

void App::PaintView(HDC dc, const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return;
  auto* px = static_cast<std::uint32_t*>(bits);
  std::fill(px, px + static_cast<std::size_t>(w) * h, kViewBack);

  // A top view of the world: the view's centre in the middle, its height filling the area but
  // for a thin margin, so that the outermost points of a zoom to the extents stay whole.
  const lisp::View& v = drawing_.view;
  const double scale = v.height > 0 ? h / (v.height * 1.04) : 1.0;
  const auto& entities = drawing_.entities();
  const int dot = entities.size() > 200000 ? 1 : entities.size() > 20000 ? 2 : 3;
  for (const lisp::Entity& e : entities) {
    const double sx = (e.point.x - v.centerX) * scale + w / 2.0;
    const double sy = h / 2.0 - (e.point.y - v.centerY) * scale;
    if (!(sx >= 0 && sy >= 0 && sx < w && sy < h)) continue;
    const std::uint32_t colour =
        e.trueColor >= 0 ? static_cast<std::uint32_t>(e.trueColor) : 0xFFFFFF;
    const int x0 = static_cast<int>(sx) - dot / 2, y0 = static_cast<int>(sy) - dot / 2;
    for (int y = std::max(0, y0); y < std::min(h, y0 + dot); ++y) {
      for (int x = std::max(0, x0); x < std::min(w, x0 + dot); ++x) {
        px[static_cast<std::size_t>(y) * w + x] = colour;
      }
    }
  }

  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  HGDIOBJ oldFont = SelectObject(mem, font_);
  SetBkMode(mem, OPAQUE);  // readable over the points
  SetBkColor(mem, RGB(0x21, 0x28, 0x30));
  SetTextColor(mem, RGB(220, 220, 220));
  const std::wstring status = L"点の数: " + std::to_wstring(entities.size()) + L"　現在の画層: " +
                              widen(drawing_.layers()[drawing_.currentLayer()].name);
  TextOutW(mem, 6, 4, status.c_str(), static_cast<int>(status.size()));
  BitBlt(dc, area.left, area.top, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldFont);
  SelectObject(mem, oldBmp);
  DeleteDC(mem);
  DeleteObject(bmp);
}

LRESULT App::MainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (mainCmd_) Layout(w);
      InvalidateRect(w, nullptr, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the view paints every pixel; the children cover the rest
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      PaintView(dc, ViewRect());
      EndPaint(w, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(mainCmd_);  // typing goes to the command line wherever the drawing is clicked
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && mainCmd_) SetFocus(mainCmd_);
      return 0;
    case WM_CLOSE:
      if (session_->busy()) {
        closing_ = true;  // the evaluation is cancelled; the window goes when it has stopped
        session_->cancel();
      } else {
        DestroyWindow(w);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(w, msg, wp, lp);
  }
}

LRESULT App::TextProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (textCmd_) Layout(w);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && textCmd_) SetFocus(textCmd_);
      return 0;
    case WM_CLOSE:
      PostMessageW(main_, WM_CLOSE, 0, 0);  // one program: closing either window ends it
      return 0;
    default:
      return DefWindowProcW(w, msg, wp, lp);
  }
}

LRESULT App::CommandProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_LBUTTONDOWN:
      // Without a window manager a click does not activate a window by itself.
      SetForegroundWindow(GetAncestor(w, GA_ROOT));
      SetFocus(w);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      CreateCaret(w, nullptr, 2, lineHeight_ - 2);
      InvalidateRect(w, nullptr, TRUE);
      UpdateWindow(w);
      ShowCaret(w);
      return 0;
    case WM_KILLFOCUS:
      DestroyCaret();
      return 0;
    case WM_KEYDOWN:
      if ((wp == 'V' && GetKeyState(VK_CONTROL) < 0) ||
          (wp == VK_INSERT && GetKeyState(VK_SHIFT) < 0)) {
        Paste();
        return 0;
      }
      if (wp == VK_ESCAPE) {
        if (session_->busy()) {
          session_->cancel();
        } else {
          session_->escape();
          AfterInput();
        }
        return 0;
      }
      return DefWindowProcW(w, msg, wp, lp);
    case WM_CHAR: {
      const wchar_t c = static_cast<wchar_t>(wp);
      if (c == L'\r' || c == L'\b') {
        Typed(std::string(1, static_cast<char>(c)));
      } else if (c >= 0xD800 && c <= 0xDBFF) {
        highSurrogate_ = c;
      } else if (c >= 0xDC00 && c <= 0xDFFF) {
        if (highSurrogate_) Typed(narrow(std::wstring{highSurrogate_, c}));
        highSurrogate_ = 0;
      } else if (c >= 0x20) {
        Typed(narrow(std::wstring(1, c)));
      }
      return 0;  // ESC and Ctrl+V were handled as keys
    }
    case WM_PASTE:
      Paste();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      HGDIOBJ old = SelectObject(dc, font_);
      SetBkMode(dc, TRANSPARENT);
      const std::wstring line = widen(session_->prompt() + session_->input());
      TextOutW(dc, 4, 1, line.c_str(), static_cast<int>(line.size()));
      SIZE extent{};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
      if (GetFocus() == w) SetCaretPos(4 + extent.cx, 2);
      SelectObject(dc, old);
      EndPaint(w, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(w, msg, wp, lp);
  }
}

void App::Paste() {
  bool opened = false;
  for (int i = 0; i < 20 && !(opened = OpenClipboard(main_)); ++i) Sleep(10);
  if (!opened) return;
  std::string bytes;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      const std::size_t size = GlobalSize(h);
      std::size_t n = 0;
      while (n < size && p[n] != '\0') ++n;
      bytes.assign(p, n);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  if (!bytes.empty()) Typed(decodeAnsi(bytes));
}

void App::Typed(const std::string& utf8) {
  session_->type(utf8);
  AfterInput();
}

void App::AfterInput() {
  RefreshCommandLines();
  if (session_->busy()) return;  // the running evaluation takes the queued lines in turn
  session_->runPending();
  FlushHistory();
  RefreshCommandLines();
  RECT view = ViewRect();
  InvalidateRect(main_, &view, FALSE);
  if (closing_) DestroyWindow(main_);
}

void App::RefreshCommandLines() {
  InvalidateRect(mainCmd_, nullptr, TRUE);
  InvalidateRect(textCmd_, nullptr, TRUE);
}

std::string App::decodeAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return narrow(wide);
}

void App::historyAdded(std::string_view utf8) {
  // The edit controls break lines at CR LF.
  for (wchar_t c : widen(utf8)) {
    if (c == L'\n') pendingHistory_ += L'\r';
    if (c != L'\r') pendingHistory_ += c;
  }
}

void App::FlushHistory() {
  lastFlush_ = GetTickCount();
  if (pendingHistory_.empty()) return;
  for (HWND h : {mainHist_, textHist_}) {
    int len = GetWindowTextLengthW(h);
    if (len > kHistoryLimit) {
      SendMessageW(h, EM_SETSEL, 0, len / 2);
      SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
      len = GetWindowTextLengthW(h);
    }
    SendMessageW(h, EM_SETSEL, len, len);
    SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pendingHistory_.c_str()));
    SendMessageW(h, EM_SCROLLCARET, 0, 0);
  }
  pendingHistory_.clear();
}

void App::poll() {
  // A turn of the event pump now and then keeps the windows painted and the input flowing
  // while a long load runs; lines that arrive meanwhile wait in the session's queue.
  const DWORD now = GetTickCount();
  if (now - lastPump_ < 25) return;
  lastPump_ = now;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      closing_ = true;
      session_->cancel();
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (now - lastPaint_ > 300) {
    lastPaint_ = now;
    RECT view = ViewRect();
    InvalidateRect(main_, &view, FALSE);
    UpdateWindow(main_);
  }
  if (now - lastFlush_ > 200) FlushHistory();
}

}  // namespace standin

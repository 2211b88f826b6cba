#include "win32/win_form_pictures.h"

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "dialogs/form9.h"
#include "installer/form1.h"

namespace harlowe::win32 {

namespace {

constexpr COLORREF kFace = RGB(240, 240, 240);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kFieldBorder = RGB(122, 122, 122);
constexpr COLORREF kFrame = RGB(100, 100, 100);
constexpr COLORREF kGroupLine = RGB(200, 200, 200);
constexpr COLORREF kAccent = RGB(0, 120, 215);
constexpr COLORREF kButton = RGB(225, 225, 225);
constexpr COLORREF kButtonBorder = RGB(173, 173, 173);

constexpr wchar_t kLatinFace[] = L"Tahoma";
constexpr wchar_t kJapaneseFace[] = L"ＭＳ Ｐゴシック";

// Drawing in design pixels; the caller's mapping scales them to the box.
class Canvas {
 public:
  explicit Canvas(HDC dc) : dc_(dc) { SetBkMode(dc_, TRANSPARENT); }
  ~Canvas() {
    for (auto& [key, f] : fonts_) DeleteObject(f);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void fill(int x, int y, int w, int h, COLORREF c) {
    RECT r{x, y, x + w, y + h};
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  void frame(int x, int y, int w, int h, COLORREF c) {
    fill(x, y, w, 1, c);
    fill(x, y + h - 1, w, 1, c);
    fill(x, y, 1, h, c);
    fill(x + w - 1, y, 1, h, c);
  }
  // Text vertically centred in [y, y + h), from x, clipped at x + w.
  // A text too long for its room is drawn smaller rather than cut off.
  void text(int x, int y, int w, int h, std::wstring_view s, bool japanese = false,
            COLORREF c = kText, bool bold = false, UINT align = DT_LEFT) {
    const wchar_t* face = japanese ? kJapaneseFace : kLatinFace;
    int size = 12;
    for (; size > 8; --size) {
      HGDIOBJ old = SelectObject(dc_, font(face, size, bold));
      SIZE sz{0, 0};
      GetTextExtentPoint32W(dc_, s.data(), static_cast<int>(s.size()), &sz);
      SelectObject(dc_, old);
      if (sz.cx <= w) break;
    }
    HGDIOBJ old = SelectObject(dc_, font(face, size, bold));
    SetTextColor(dc_, c);
    RECT r{x, y, x + w, y + h};
    DrawTextW(dc_, s.data(), static_cast<int>(s.size()), &r,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc_, old);
  }
  // Several lines, broken at blanks.
  void paragraph(int x, int y, int w, int h, std::wstring_view s) {
    HGDIOBJ old = SelectObject(dc_, font(kLatinFace, 12, false));
    SetTextColor(dc_, kText);
    RECT r{x, y, x + w, y + h};
    DrawTextW(dc_, s.data(), static_cast<int>(s.size()), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc_, old);
  }
  // A white edit field with its text.
  void field(int x, int y, int w, int h, std::wstring_view s) {
    fill(x, y, w, h, kWhite);
    frame(x, y, w, h, kFieldBorder);
    text(x + 4, y, w - 8, h, s);
  }
  // A drop-down list showing its current entry.
  void combo(int x, int y, int w, int h, std::wstring_view s) {
    field(x, y, w - 17, h, s);
    fill(x + w - 18, y, 18, h, kWhite);
    frame(x + w - 18, y, 18, h, kFieldBorder);
    arrowDown(x + w - 9, y + h / 2 + 2);
  }
  // A number field with its up and down buttons.
  void spin(int x, int y, int w, int h, std::wstring_view s) {
    field(x, y, w - 15, h, s);
    frame(x + w - 16, y, 16, h / 2 + 1, kFieldBorder);
    frame(x + w - 16, y + h / 2, 16, h - h / 2, kFieldBorder);
    arrowUp(x + w - 8, y + h / 4 - 1);
    arrowDown(x + w - 8, y + 3 * h / 4 + 2);
  }
  void button(int x, int y, int w, int h, std::wstring_view s, bool focused = false) {
    fill(x, y, w, h, kButton);
    frame(x, y, w, h, focused ? kAccent : kButtonBorder);
    if (focused) frame(x + 1, y + 1, w - 2, h - 2, kAccent);
    text(x, y, w, h, s, false, kText, false, DT_CENTER);
  }
  void checkBox(int x, int y, std::wstring_view label, bool ticked) {
    fill(x, y + 3, 13, 13, kWhite);
    frame(x, y + 3, 13, 13, RGB(51, 51, 51));
    if (ticked) {
      for (int i = 0; i < 2; ++i) {
        line(x + 3, y + 9 + i, x + 5, y + 11 + i);
        line(x + 5, y + 11 + i, x + 10, y + 6 + i);
      }
    }
    text(x + 18, y, 300, 19, label);
  }
  void groupBox(int x, int y, int w, int h, std::wstring_view caption) {
    frame(x, y + 7, w, h - 7, kGroupLine);
    int cw = textWidth(caption) + 6;
    fill(x + 6, y, cw, 14, kFace);
    text(x + 9, y, cw, 14, caption);
  }
  void titleBar(int x, int y, int w, std::wstring_view caption) {
    fill(x, y, w, 24, kWhite);
    fill(x, y + 23, w, 1, kGroupLine);
    text(x + 8, y, w - 40, 24, caption);
    // The close box: a small cross.
    int cx = x + w - 16, cy = y + 12;
    line(cx - 4, cy - 4, cx + 5, cy + 5);
    line(cx + 4, cy - 4, cx - 5, cy + 5);
  }
  void line(int x1, int y1, int x2, int y2, COLORREF c = kText) {
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ old = SelectObject(dc_, pen);
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
    SelectObject(dc_, old);
    DeleteObject(pen);
  }
  int textWidth(std::wstring_view s) {
    HGDIOBJ old = SelectObject(dc_, font(kLatinFace, 12, false));
    SIZE sz{0, 0};
    GetTextExtentPoint32W(dc_, s.data(), static_cast<int>(s.size()), &sz);
    SelectObject(dc_, old);
    return sz.cx;
  }

 private:
  void arrowDown(int cx, int cy) {
    for (int i = 0; i < 4; ++i) fill(cx - 4 + i, cy - 4 + i, 8 - 2 * i, 1, kText);
  }
  void arrowUp(int cx, int cy) {
    for (int i = 0; i < 4; ++i) fill(cx - 4 + i, cy + 2 - i, 8 - 2 * i, 1, kText);
  }
  HFONT font(const wchar_t* face, int height, bool bold) {
    auto key = std::make_pair(std::wstring(face) + (bold ? L"!" : L""), height);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    HFONT f =
        CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                    std::wstring_view(face) == kJapaneseFace ? SHIFTJIS_CHARSET : DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, face);
    fonts_.emplace(key, f);
    return f;
  }

  HDC dc_;
  std::map<std::pair<std::wstring, int>, HFONT> fonts_;
};

// 384 × 81: the lower part of a save dialog, named abcde.txt, of the ASCII cloud type.
void drawSaveTxtFields(Canvas& c) {
  c.fill(0, 0, 384, 81, kFace);
  c.text(6, 12, 108, 22, L"ファイル名(N):", true);
  c.field(116, 12, 262, 22, L"abcde.txt");
  c.text(6, 46, 108, 22, L"ファイルの種類(T):", true);
  c.combo(116, 46, 262, 22, L"ASCII cloud (*.txt *.asc *.neu *.xyz *.pts *.csv)");
}

// 331 × 282: the settings of an ASCII export: precision 4 for coordinates, 0 for scalars,
// blank as separator, point-colour-scalars-normal order, no header, colours not as floats.
void drawAsciiSaveDialog(Canvas& c) {
  c.fill(0, 0, 331, 282, kFace);
  c.titleBar(0, 0, 331, L"Save ASCII file");
  c.text(12, 38, 150, 22, L"coordinates precision");
  c.spin(170, 38, 70, 22, L"4");
  c.text(12, 66, 150, 22, L"scalar precision");
  c.spin(170, 66, 70, 22, L"0");
  c.text(12, 94, 150, 22, L"separator");
  c.combo(170, 94, 100, 22, L"space");
  c.text(12, 122, 50, 22, L"order");
  c.combo(62, 122, 256, 22, L"point, color, SF(s), normal");
  c.groupBox(10, 152, 310, 54, L"Header");
  c.checkBox(22, 174, L"columns title", false);
  c.checkBox(170, 174, L"number of points", false);
  c.checkBox(12, 214, L"save colors as float values (0-1)", false);
  c.button(170, 248, 70, 24, L"OK", true);
  c.button(248, 248, 70, 24, L"Cancel");
  c.frame(0, 0, 331, 282, kFrame);
}

// 381 × 139: a .ply name and the PLY mesh type, beside the question whether to save in BINARY
// or ASCII format.
void drawPlySave(Canvas& c) {
  c.fill(0, 0, 381, 139, kFace);
  c.text(6, 10, 180, 20, L"ファイル名(N):", true);
  c.field(6, 30, 184, 22, L"abcde.ply");
  c.text(6, 62, 180, 20, L"ファイルの種類(T):", true);
  c.combo(6, 82, 184, 22, L"PLY mesh (*.ply)");

  const int x = 200, y = 6, w = 176, h = 127;
  c.fill(x, y, w, h, kFace);
  c.titleBar(x, y, w, L"Save PLY file");
  c.paragraph(x + 12, y + 34, w - 24, 44, L"Save in BINARY or ASCII format?");
  c.button(x + 14, y + 90, 70, 24, L"BINARY");
  c.button(x + 92, y + 90, 70, 24, L"ASCII", true);
  c.frame(x, y, w, h, kFrame);
}

// 96 × 96: the installer's picture: a scanned hill of coloured points over a drawing grid, with
// the cross-hair of a CAD cursor.
void drawInstaller(Canvas& c) {
  c.fill(0, 0, 96, 96, kWhite);
  for (int i = 8; i < 96; i += 16) {
    c.fill(i, 0, 1, 96, RGB(225, 232, 240));
    c.fill(0, i, 96, 1, RGB(225, 232, 240));
  }
  // A dome of points, coloured by height from blue through green to orange; a fixed
  // pseudo-random spread so that the picture is the same on every screen.
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) & 0x7fff);
  };
  for (int n = 0; n < 420; ++n) {
    int x = 6 + next() % 84;
    double u = (x - 48) / 42.0;
    int top = 82 - static_cast<int>(56 * (1 - u * u));
    int y = top + next() % std::max(1, 86 - top);
    double h = (86.0 - y) / 56.0;
    COLORREF col = h < 0.33   ? RGB(40, 90 + static_cast<int>(400 * h), 200)
                   : h < 0.66 ? RGB(60 + static_cast<int>(200 * (h - 0.33)), 170, 80)
                              : RGB(240, 150 - static_cast<int>(150 * (h - 0.66)), 40);
    c.fill(x, y, 2, 2, col);
  }
  c.line(70, 8, 70, 30, RGB(200, 0, 0));
  c.line(59, 19, 82, 19, RGB(200, 0, 0));
  c.frame(66, 15, 9, 9, RGB(200, 0, 0));
  c.frame(0, 0, 96, 96, kFrame);
}

}  // namespace

void drawFormPicture(std::string_view id, HDC dc, const RECT& box, int designWidth,
                     int designHeight) {
  if (designWidth <= 0 || designHeight <= 0) return;
  void (*draw)(Canvas&) = nullptr;
  if (id == dialogs::kPictureSaveTxtFields) draw = drawSaveTxtFields;
  if (id == dialogs::kPictureAsciiSaveDialog) draw = drawAsciiSaveDialog;
  if (id == dialogs::kPicturePlySave) draw = drawPlySave;
  if (id == installer::kPictureInstaller) draw = drawInstaller;
  if (!draw) return;
  int saved = SaveDC(dc);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, designWidth, designHeight, nullptr);
  SetViewportExtEx(dc, box.right - box.left, box.bottom - box.top, nullptr);
  SetViewportOrgEx(dc, box.left, box.top, nullptr);
  {
    Canvas canvas(dc);
    draw(canvas);
  }
  RestoreDC(dc, saved);
}

}  // namespace harlowe::win32

#include "win32/win_progress_window.h"

#include "dialogs/form2.h"
#include "dialogs/progress_bar.h"
#include "win32/win_form_host.h"

namespace harlowe::win32 {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);

class Win32ProgressWindow : public platform::ProgressWindow {
 public:
  ~Win32ProgressWindow() override { unload(); }

  void show() override {
    load();
    if (!IsWindowVisible(window_->hwnd())) window_->show(true);
  }

  // Touching a control of an unloaded window loads it (hidden) with its design values.
  void setStage(const std::string& text) override {
    load();
    window_->setText("Label1", text);
  }

  void drawBar(double fraction) override {
    load();
    bar_.draw(fraction);
    window_->invalidate("Picture1");
  }

  void setPercentText(const std::string& text) override {
    load();
    window_->setText("Label2", text);
  }

  void repaint() override {
    if (window_) window_->paintNow();
  }

  void unload() override {
    if (window_) window_->destroy();
    window_.reset();
    bar_.clear();
  }

 private:
  void load() {
    if (window_) return;
    bar_.clear();
    window_ = std::make_unique<Win32Form>(dialogs::form2Def(), &behaviour_);
    window_->load();
    // The bar is state, not only pixels, so that any repaint (a move, an uncovering) draws
    // what has been drawn so far.
    window_->setPainter("Picture1", [this](HDC dc, const RECT& client) {
      RECT box = client;
      box.right = client.left + bar_.pixels(client.right - client.left);
      if (box.right <= box.left) return;
      HBRUSH navy = CreateSolidBrush(kNavy);
      FillRect(dc, &box, navy);
      DeleteObject(navy);
    });
  }

  dialogs::Form2 behaviour_;
  dialogs::ProgressBar bar_;
  std::unique_ptr<Win32Form> window_;
};

}  // namespace

std::unique_ptr<platform::ProgressWindow> makeWin32ProgressWindow() {
  return std::make_unique<Win32ProgressWindow>();
}

}  // namespace harlowe::win32

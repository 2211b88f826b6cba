#include "win32/progress_window.h"

#include "dialogs/form2.h"
#include "dialogs/progress_bar.h"
#include "win32/form_host.h"

namespace harlowe::win32 {

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);

class Win32ProgressWindow : public platform::ProgressWindow {
 public:
  ~Win32ProgressWindow() override { unload(); }

  void show() override {
    if (!window_) {
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
    window_->show(true);
  }

  void setStage(const std::string& text) override {
    show();  // touching a control of an unloaded form loads it
    window_->setText("Label1", text);
  }

  void drawBar(double fraction) override {
    show();
    bar_.draw(fraction);
    window_->invalidate("Picture1");
  }

  void setPercentText(const std::string& text) override {
    show();
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
  dialogs::Form2 behaviour_;
  dialogs::ProgressBar bar_;
  std::unique_ptr<Win32Form> window_;
};

}  // namespace

std::unique_ptr<platform::ProgressWindow> makeWin32ProgressWindow() {
  return std::make_unique<Win32ProgressWindow>();
}

}  // namespace harlowe::win32

// The settings files of a run: delay.dat (its first line, the pause factor) and the values of
// MkScr.ini, then the CAD search and the command delivery that use them, against a desktop with
// one CAD whose program name and window captions come from the input too. Checked: the delay is
// the first line's number or the default with its message; every pause is a multiple of it (none
// negative); the CAD is found exactly when its names match the settings, and then the load
// command is pasted, else the user is told; the pointer's confinement is always released.
//
// Input: the 8 values of MkScr.ini in key order, then the CAD's program name, main window
// caption, text window caption and command-line caption (length byte and bytes each, in the ANSI
// code page), then the content of delay.dat.
#include <algorithm>
#include <string>

#include "cadlink/cad_settings.h"
#include "cadlink/command_delivery.h"
#include "common/number_text.h"
#include "import/run_import.h"
#include "import/run_settings.h"
#include "tests/fuzz/fakes.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_desktop.h"
#include "tests/support/fake_platform.h"

namespace {

using namespace harlowe;

constexpr const char* kKeys[] = {"ACADName",       "CommandCaption", "MainCaption",
                                 "TextCaption",    "MainCmdCtrlID",  "TextCmdCtrlID",
                                 "MainHistCtrlID", "TextHistCtrlID"};

}  // namespace

HARLOWE_FUZZ_TARGET(settings, 4 * 1024, "settings") {
  fuzz::FuzzInput in(data, size);
  fuzz::Fakes fakes;
  auto& [log, ui, system, dialog, window, cp, p] = fakes;
  test::FakeDesktop desktop(log);

  for (const char* key : kKeys) desktop.profile[std::string("Main/") + key] = in.text(255);
  const std::string exe(in.text(64)), mainCaption(in.text(64)), textCaption(in.text(64)),
      commandCaption(in.text(64));
  const std::string_view delayDat = in.rest();

  // delay.dat
  const auto folder = fuzz::freshScratch("settings");
  fuzz::writeBytes(folder / "delay.dat", delayDat);
  system.folder = fuzz::programPath(folder);
  RunSettings s;
  s.DelayUnit = ReadDelayUnit(system.folder, p);
  const auto lines = fuzz::referenceLines(delayDat);
  std::optional<std::int16_t> expected;
  if (!lines.empty())
    if (auto v = text::parseNumber(lines[0])) expected = text::roundToInt16(*v);
  FUZZ_CHECK(s.DelayUnit == expected.value_or(kDefaultDelayUnit),
             "the delay is the first line's number, else the default");
  FUZZ_CHECK(ui.messages.size() == (expected ? 0u : 1u), "the default comes with its message");
  ui.messages.clear();

  // MkScr.ini
  const cadlink::CadSettings cad = cadlink::readCadSettings({desktop, system, cp});
  for (const std::string* v :
       {&cad.ACADName, &cad.CommandCaption, &cad.MainCaption, &cad.TextCaption})
    FUZZ_CHECK(cp.toAnsi(*v).size() <= 254 || !fuzz::isUtf8(*v), "a value keeps 254 bytes");
  const std::string base = cadlink::ExeBaseName(cp.fromAnsi(exe));
  FUZZ_CHECK(base.find_first_of("\\:.") == std::string::npos,
             "a program's base name has no folder, drive or extension");

  // The CAD on the desktop, and the delivery.
  desktop.addProcess(10, "C:\\CAD\\" + exe);
  desktop.addThread(11, 10);
  desktop.addWindow(1000, 11, mainCaption, {0, 0, 800, 600});
  desktop.addChild(1002, 1000, commandCaption, {100, 500, 700, 560});
  desktop.addWindow(1100, 11, textCaption, {0, 0, 400, 300});
  desktop.addChild(1102, 1100, commandCaption, {10, 200, 390, 280});
  s.CadCommand = kLoadCommand;
  cadlink::CommandDelivery delivery(desktop, ui, system, cp);
  delivery.sendCommandToCad(s);

  // A top-level window of the CAD's process is taken for its main window when its caption
  // begins with MainCaption; a command line is a child captioned CommandCaption.
  const std::string caption = cp.fromAnsi(mainCaption);
  auto mainLike = [&](const std::string& c) {
    return !c.empty() && c.starts_with(cad.MainCaption);
  };
  const bool found = base == cad.ACADName &&
                     (mainLike(caption) || mainLike(cp.fromAnsi(textCaption))) &&
                     cp.fromAnsi(commandCaption) == cad.CommandCaption;
  const bool pasted = std::find(desktop.clipboardTexts.begin(), desktop.clipboardTexts.end(),
                                cp.toAnsi(kLoadCommand)) != desktop.clipboardTexts.end();
  FUZZ_CHECK(!pasted || found, "a command goes only to a CAD found by its names");
  FUZZ_CHECK(pasted || !ui.messages.empty(), "when nothing is pasted the user is told");
  FUZZ_CHECK(desktop.clip == desktop.screen, "the pointer's confinement is released");
  for (std::uint32_t ms : desktop.sleeps()) {
    const std::int32_t d = std::max<std::int32_t>(s.DelayUnit, 0);
    FUZZ_CHECK(ms == static_cast<std::uint32_t>(5 * d) || ms == static_cast<std::uint32_t>(7 * d) ||
                   ms == cadlink::kClipboardPollMs,
               "every pause is 5 or 7 times the delay");
  }
  if (mainLike(caption)) {
    const std::string name = cadlink::drawingNameOf(caption);
    if (fuzz::isUtf8(caption))
      FUZZ_CHECK(fuzz::isUtf8(name), "a drawing name keeps whole characters");
  }
}

#pragma once
// The fake platform objects of one run, wired together as the program wires the real ones.
#include "import/services.h"
#include "tests/support/cp932_codepage.h"
#include "tests/support/fake_platform.h"

namespace harlowe::fuzz {

struct Fakes {
  test::EventLog log;
  test::FakeUi ui{log};
  test::FakeSystem system{log};
  test::FakeFileDialog dialog{log};
  test::FakeProgressWindow window{log};
  test::Cp932CodePage cp;
  Platform p{ui, system, dialog, window, cp};
};

}  // namespace harlowe::fuzz

// The two normalisation paths of text input and the pre-scan that chooses between them, on any
// file content, against plain references: the chunk copy turns every LF into CR LF and changes
// nothing else; the line copy writes the lines up to the first one without a TAB, each TAB as a
// blank, each line ended by CR LF.
#include <string>

#include "import/text_input.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"
#include "tests/support/fake_platform.h"

HARLOWE_FUZZ_TARGET(text_copy, 64 * 1024, "txt ply ptx malformed") {
  using namespace harlowe;
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const auto folder = fuzz::freshScratch("text_copy");
  const std::string input = fuzz::programPath(folder / "in.txt");
  const std::string copy = NormalisedCopyPath(input);
  fuzz::writeBytes(folder / "in.txt", content);

  const std::optional<bool> crlf = PrescanLineEnds(input);
  FUZZ_CHECK(crlf.has_value(), "a readable file is pre-scanned");
  FUZZ_CHECK(*crlf == (content.substr(0, 10'000).find("\r\n") != std::string_view::npos),
             "the pre-scan finds CR LF in the first 10,000 bytes");

  test::EventLog events;
  test::FakeUi ui(events);
  test::FakeProgressWindow window(events);
  double lastDrawn = 0;
  const CopyProgress progress{window, ui, lastDrawn};

  std::string chunked;
  for (char c : content) {
    if (c == '\n') chunked += '\r';
    chunked += c;
  }
  FUZZ_CHECK(CopyByChunks(input, copy, progress, true) == CopyStatus::Done, "the chunk copy ends");
  FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == chunked,
             "the chunk copy turns each LF into CR LF and keeps every other byte");

  std::string lined;
  bool stopped = false;
  for (const std::string& line : fuzz::referenceLines(content)) {
    if (line.find('\t') == std::string::npos) {
      stopped = true;
      break;
    }
    for (char c : line) lined += c == '\t' ? ' ' : c;
    lined += "\r\n";
  }
  lastDrawn = 0;
  const CopyStatus status = CopyByLines(input, copy, progress);
  FUZZ_CHECK(status == (stopped ? CopyStatus::StoppedAtLineWithoutTab : CopyStatus::Done),
             "the line copy stops at the first line without a TAB, and only there");
  FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == lined,
             "the line copy writes the lines before it with blanks for TABs and CR LF");
  for (double bar : window.bars) FUZZ_CHECK(bar >= 0, "no progress below zero");
}

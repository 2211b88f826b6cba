// The two normalisation paths of text input and the pre-scan that chooses between them, on any
// file content, against plain references: the chunk copy turns every LF into CR LF (or every LF
// without a CR before it) and changes nothing else; the line copy writes every line, each TAB as
// a blank, each ended by CR LF.
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

  // The chunk copy, with and without keeping a CR LF as it is.
  for (const bool keepCrLf : {false, true}) {
    std::string chunked;
    for (std::size_t i = 0; i < content.size(); ++i) {
      if (content[i] == '\n' && !(keepCrLf && i > 0 && content[i - 1] == '\r')) chunked += '\r';
      chunked += content[i];
    }
    lastDrawn = 0;
    FUZZ_CHECK(CopyByChunks(input, copy, progress, true, keepCrLf) == CopyStatus::Done,
               "the chunk copy ends");
    FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == chunked,
               "the chunk copy turns each LF into CR LF and keeps every other byte");
  }

  std::string lined;
  for (const std::string& line : fuzz::referenceLines(content)) {
    for (char c : line) lined += c == '\t' ? ' ' : c;
    lined += "\r\n";
  }
  lastDrawn = 0;
  FUZZ_CHECK(CopyByLines(input, copy, progress) == CopyStatus::Done, "the line copy ends");
  FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == lined,
             "the line copy writes every line with blanks for TABs and CR LF");

  // The whole normalisation takes the copy the pre-scan chose.
  std::string chunkedPlain;
  for (char c : content) {
    if (c == '\n') chunkedPlain += '\r';
    chunkedPlain += c;
  }
  lastDrawn = 0;
  FUZZ_CHECK(NormaliseTextInput(input, copy, progress, true) == CopyStatus::Done,
             "the normalisation ends");
  FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == (*crlf ? lined : chunkedPlain),
             "the normalisation is the copy the pre-scan chose");
  for (double bar : window.bars) FUZZ_CHECK(bar >= 0, "no progress below zero");
}

// The two normalisation paths of text input and the pre-scan that chooses between them, on any
// file content, against plain references: both leave out a UTF-8 byte-order mark at the start
// and write every line end (CR LF, a lone LF or a lone CR) as CR LF; the chunk copy changes
// nothing else, the line copy writes each TAB as a blank and ends the last line too.
#include <string>
#include <vector>

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

  // Both copies: a UTF-8 byte-order mark at the start left out, every line end as CR LF, every
  // TAB a blank.
  const std::string_view text = content.starts_with("\xEF\xBB\xBF") ? content.substr(3) : content;
  const std::vector<std::string> lines = fuzz::referenceLines(text, /*loneLfEnds=*/true);
  std::string chunked;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (char c : lines[i]) chunked += c == '\t' ? ' ' : c;
    // The last line keeps its own end: none when the text ends without one.
    if (i + 1 < lines.size() || text.ends_with('\r') || text.ends_with('\n')) chunked += "\r\n";
  }
  lastDrawn = 0;
  FUZZ_CHECK(CopyByChunks(input, copy, progress, true) == CopyStatus::Done, "the chunk copy ends");
  FUZZ_CHECK(
      fuzz::readBytes(folder / "in.txt.dosasc") == chunked,
      "the chunk copy ends every line with CR LF, makes TABs blanks and keeps every other byte");

  std::string lined;
  for (const std::string& line : lines) {
    for (char c : line) lined += c == '\t' ? ' ' : c;
    lined += "\r\n";
  }
  lastDrawn = 0;
  FUZZ_CHECK(CopyByLines(input, copy, progress) == CopyStatus::Done, "the line copy ends");
  FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == lined,
             "the line copy writes every line with blanks for TABs and CR LF");

  // The whole normalisation takes the copy the pre-scan chose.
  lastDrawn = 0;
  FUZZ_CHECK(NormaliseTextInput(input, copy, progress, true) == CopyStatus::Done,
             "the normalisation ends");
  FUZZ_CHECK(fuzz::readBytes(folder / "in.txt.dosasc") == (*crlf ? lined : chunked),
             "the normalisation is the copy the pre-scan chose");
  for (double bar : window.bars) FUZZ_CHECK(bar >= 0, "no progress below zero");
}

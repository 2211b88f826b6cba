// The line reader over any file content, buffer size, line limit and kind of line ends: it must
// give exactly the lines of a plain reference (a line ends at CR LF or a lone CR, and for files
// of other programs at a lone LF too; a last line without an end is a line), each cut to the
// limit with its whole length told, and its end test must agree with it.
#include "common/line_reader.h"

#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_target.h"

HARLOWE_FUZZ_TARGET(line_reader, 16 * 1024, "txt ply ptx malformed") {
  using namespace harlowe;
  fuzz::FuzzInput in(data, size);
  // Small buffers make lines straddle refills and outgrow the buffer.
  const std::uint8_t b = in.byte();
  const std::size_t bufferSize = b >= 250 ? std::size_t{1} << 20 : 1 + b % 64;
  const std::uint8_t endTests = in.byte();  // bit i: test the end before line i (mod 8)
  const std::uint8_t l = in.byte();
  const std::size_t limit = (l & 0x7F) >= 100 ? io::LineReader::kWholeLines : (l & 0x7F);
  const bool any = (l & 0x80) != 0;
  const std::string_view content = in.rest();

  const auto folder = fuzz::freshScratch("line_reader");
  fuzz::writeBytes(folder / "in.txt", content);
  io::LineReader reader(bufferSize, limit, any ? io::LineEnds::Any : io::LineEnds::CrLfOrCr);
  FUZZ_CHECK(reader.open(fuzz::programPath(folder / "in.txt")), "the file opens");

  const std::vector<std::string> expected = fuzz::referenceLines(content, any);
  std::size_t i = 0;
  for (;; ++i) {
    if (endTests & (1u << (i % 8))) {
      FUZZ_CHECK(reader.atEnd() == (i == expected.size()), "the end test agrees with the lines");
    }
    std::string_view line;
    const io::ReadResult r = reader.next(line);
    FUZZ_CHECK(r != io::ReadResult::Failed, "a readable file never fails");
    if (r == io::ReadResult::EndOfData) break;
    FUZZ_CHECK(i < expected.size(), "no line after the last one");
    const std::string_view whole = expected[i];
    FUZZ_CHECK(line == whole.substr(0, limit), "each line as the reference cuts it");
    FUZZ_CHECK(reader.cut() == (whole.size() > limit), "a line beyond the limit is cut");
    FUZZ_CHECK(reader.length() == whole.size(), "the whole length of a line is told");
  }
  FUZZ_CHECK(i == expected.size(), "every line is read");
  std::string_view line;
  FUZZ_CHECK(reader.next(line) == io::ReadResult::EndOfData, "the end stays the end");
  reader.close();
}

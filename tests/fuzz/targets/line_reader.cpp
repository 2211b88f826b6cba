// The line reader over any file content and buffer size: it must give exactly the lines of a
// plain reference (a line ends at CR LF or a lone CR, a lone LF stays inside, a last line without
// an end is a line), and its end test must agree with it.
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
  const std::string_view content = in.rest();

  const auto folder = fuzz::freshScratch("line_reader");
  fuzz::writeBytes(folder / "in.txt", content);
  io::LineReader reader(bufferSize);
  FUZZ_CHECK(reader.open(fuzz::programPath(folder / "in.txt")), "the file opens");

  const std::vector<std::string> expected = fuzz::referenceLines(content);
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
    FUZZ_CHECK(line == expected[i], "each line as the reference cuts it");
  }
  FUZZ_CHECK(i == expected.size(), "every line is read");
  std::string_view line;
  FUZZ_CHECK(reader.next(line) == io::ReadResult::EndOfData, "the end stays the end");
  reader.close();
}

#include "import/converters/thinning_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/line_reader.h"
#include "import/local_origin.h"
#include "import/point_helpers.h"
#include "import/progress.h"

namespace harlowe {

namespace {

constexpr double kProgressThreshold = 0.05;
constexpr std::size_t kHeader = 20;

}  // namespace

std::optional<LineProblem> CheckPointLine(std::string_view line, std::string_view drawUnit,
                                          const LocalOrigin& origin, float xyz[3],
                                          std::string& scratch) {
  ParsedPoint parsed;
  if (!ParsePointStrict(line, 6, parsed)) return LineProblem::TooFewFields;
  const std::string_view fields[3] = {parsed.x, parsed.y, parsed.z};
  for (int i = 0; i < 3; ++i) {
    if (origin.shiftedPlain(i, fields[i], xyz[i])) continue;
    if (!CoordinateFloat(fields[i], xyz[i]) || !CoordinateScales(fields[i], xyz[i], drawUnit))
      return LineProblem::NotANumber;
    xyz[i] = origin.shifted(i, fields[i], xyz[i], scratch);
  }
  if (!PackTrueColorFields(parsed.r, parsed.g, parsed.b, scratch)) return LineProblem::BadColour;
  return std::nullopt;
}

RecordPass WriteThinningRecords(const std::string& copyPath, const std::string& recordsPath,
                                std::string_view drawUnit, Platform& p) {
  RecordPass pass;
  const std::int64_t total = io::fileLength(copyPath);
  io::LineReader reader(1 << 20, io::kPointLineLimit);
  if (total < 0 || !reader.open(copyPath)) return {CopyStatus::InputFailed, 0, {}};
  io::OutputFile out;
  if (!out.open(recordsPath)) return {CopyStatus::OutputFailed, 0, {}};

  double lastDrawn = 0;
  std::int64_t bytes = 0;
  std::string scratch;
  LocalOrigin origin;
  std::string_view line;
  for (io::ReadResult r; (r = reader.next(line)) != io::ReadResult::EndOfData;) {
    if (r == io::ReadResult::Failed) {
      pass.stoppedAt = MakeBadLine(pass.records + 1, {}, LineProblem::Unreadable);
      break;
    }
    float xyz[3];
    if (reader.cut()) {
      pass.stoppedAt = MakeBadLine(pass.records + 1, line, LineProblem::TooLong);
      break;
    }
    if (auto problem = CheckPointLine(line, drawUnit, origin, xyz, scratch)) {
      pass.stoppedAt = MakeBadLine(pass.records + 1, line, *problem);
      break;
    }
    // Far from the coordinate origin the distances are measured relative to a local origin
    // around the first point.
    if (pass.records == 0 && (origin = LocalOrigin::AroundLine(line)).shifts())
      CheckPointLine(line, drawUnit, origin, xyz, scratch);
    ++pass.records;
    char header[kHeader];
    const std::uint64_t size = line.size();
    std::memcpy(header, xyz, 12);
    std::memcpy(header + 12, &size, 8);
    out.write(std::string_view(header, kHeader));
    out.write(line);

    bytes += static_cast<std::int64_t>(line.size());
    const double fraction = std::min(static_cast<double>(bytes) / static_cast<double>(total), 1.0);
    if (fraction - lastDrawn > kProgressThreshold) {
      redrawProgress(p.progress, p.ui, fraction, lastDrawn, kProgressThreshold,
                     PumpTurn::AfterRepaint);
    }
  }
  reader.close();
  if (!out.close()) pass.status = CopyStatus::OutputFailed;
  return pass;
}

bool RecordReader::open(const std::string& path) {
  pos_ = len_ = 0;
  failed_ = false;
  return in_.open(path);
}

bool RecordReader::ensure(std::size_t bytes) {
  if (len_ - pos_ >= bytes) return true;
  std::memmove(buf_.data(), buf_.data() + pos_, len_ - pos_);
  len_ -= pos_;
  pos_ = 0;
  if (buf_.size() < bytes) buf_.resize(bytes);
  while (len_ < bytes) {
    const std::size_t got = in_.read(buf_.data() + len_, buf_.size() - len_);
    if (got == 0) break;
    len_ += got;
  }
  return len_ >= bytes;
}

bool RecordReader::next(ThinningRecord& r) {
  if (!ensure(kHeader)) {
    failed_ = in_.failed() || len_ != pos_;  // a cut header is no clean end
    return false;
  }
  const char* h = buf_.data() + pos_;
  std::uint64_t size;
  std::memcpy(&r.x, h, 4);
  std::memcpy(&r.y, h + 4, 4);
  std::memcpy(&r.z, h + 8, 4);
  std::memcpy(&size, h + 12, 8);
  if (!ensure(kHeader + size)) {
    failed_ = true;
    return false;
  }
  r.text = std::string_view(buf_.data() + pos_ + kHeader, size);
  pos_ += kHeader + size;
  return true;
}

}  // namespace harlowe

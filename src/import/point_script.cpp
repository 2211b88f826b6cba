#include "import/point_script.h"

#include <cstring>

#include "common/number_text.h"
#include "common/text_util.h"
#include "import/run_settings.h"

namespace harlowe {

namespace {

constexpr const char* kHeadStart[] = {
    "(defun STARTT()",
    "(gc)",
    "(setvar \"cmdecho\" 0)",
};
constexpr const char* kHeadEnd[] = {
    "(setq lst_ucs_var (list (getvar \"UCSORG\")))",
    // One line of the script, too long for one line of source.
    ("(setq lst_ucs_var (append lst_ucs_var (mapcar '(lambda (x) (trans x 1 0)) '((1.0 0 0) (0 "
     "1.0 0)))))"),
    "(command \".UCS\" \"w\")",
    "(command \"pdmode\" \"0\")",
    "(command \"pdsize\" \"0\")",
    "(setq osm_def (getvar \"osmode\"))",
    "(setvar \"osmode\" 0)",
    ")",
    "(startt)",
};
constexpr const char* kFlushMessage =
    "(princ \"\\n点群を描画しています。しばらくお待ちください。\")";
constexpr std::string_view kRecordStart = "'(((0 . \"POINT\")(10 ";
constexpr const char* kCloseFunction = "))(princ))";

// A text inside an AutoLISP string: besides the escaping of "\" and the double quote, a line
// break stays inside its line as an escape, since the loader cuts the script at line ends.
std::string lispString(std::string_view utf8) {
  std::string t = text::lispEscape(utf8);
  if (t.find_first_of("\r\n") != std::string::npos) {
    t = text::replaceAll(t, "\r", "\\r");
    t = text::replaceAll(t, "\n", "\\n");
  }
  return t;
}

}  // namespace

PointScriptLayout layoutFor(ConverterId converter) {
  return converter == ConverterId::PtxSubSample ? kPtxLayout : kTextLayout;
}

PointScriptWriter::PointScriptWriter(const platform::CodePage& codePage, PointScriptLayout layout)
    : codePage_(codePage),
      layout_(layout),
      groupStart_(codePage.toAnsi(kGroupStartMessage)),
      flushMessage_(codePage.toAnsi(kFlushMessage)) {
  record_.resize(256);  // grows only for a record longer than any before
}

bool PointScriptWriter::open(const std::string& appDir) {
  path_ = appDir + kScriptFileName;
  points_ = 0;
  return out_.open(path_);
}

void PointScriptWriter::line(std::string_view asciiText) { out_.writeLine(asciiText); }

void PointScriptWriter::textLine(std::string_view utf8Text) {
  out_.writeLine(codePage_.toAnsi(utf8Text));
}

void PointScriptWriter::writeHead(std::string_view targetLayer) {
  // The layer goes inside AutoLISP strings: a backslash or a double quote in it must not end
  // the string early.
  const std::string layer = lispString(targetLayer);
  for (const char* l : kHeadStart) line(l);
  textLine("(if (tblsearch \"LAYER\" \"" + layer + "\")");
  line("(progn");
  textLine("(setq td (tblsearch \"LAYER\" \"" + layer + "\"))");
  line("(setq d70 (cdr (assoc 70 td)))");
  line("(if (= 1 (logand d70 1))");
  line("(progn");
  textLine("(command \".layer\" \"t\" \"" + layer + "\" \"\")))))");
  textLine("(command \".layer\" \"m\" \"" + layer + "\" \"\")");
  for (const char* l : kHeadEnd) line(l);
}

void PointScriptWriter::groupStartMessage() {
  out_.writeLine(groupStart_);
  line("(terpri)");
}

void PointScriptWriter::groupFlush(int functions) {
  out_.writeLine(flushMessage_);
  line("(terpri)");
  for (int j = 1; j <= functions; ++j) {
    const std::string js = text::decimal(j);
    line("(ent_go" + js + ")");
    line("(setq n nil)");
    line("(foreach n enlist" + js + " (entmake n))");
    line("(setq enlist" + js + " nil)");
    if (layout_.flushLinesPerFunction != 4) line("(setq ent_go" + js + " nil)");
  }
  line("(gc)");
}

void PointScriptWriter::writeRecord(const PointTexts& p) {
  // The record is gathered with plain copies and handed to the file in one piece: a million
  // points make a million records, and each append through the string costs more than the copy.
  static constexpr std::string_view kBeforeColour = ")(420 . ";
  static constexpr std::string_view kAfterColour = "))) ";
  const std::string_view start = kRecordStart;
  const std::size_t size = start.size() + p.x.size() + 1 + p.y.size() + 1 + p.z.size() +
                           kBeforeColour.size() + p.colour.size() + kAfterColour.size();
  if (record_.size() < size) record_.resize(size);
  char* o = record_.data();
  auto put = [&o](std::string_view t) {
    std::memcpy(o, t.data(), t.size());
    o += t.size();
  };
  put(start);
  put(p.x);
  *o++ = ' ';
  put(p.y);
  *o++ = ' ';
  put(p.z);
  put(kBeforeColour);
  put(p.colour);
  put(kAfterColour);
  out_.write(std::string_view(record_.data(), size));
}

BodyEnd PointScriptWriter::writeBody(PointSource& source) {
  int n = 0;  // function number within the group; 0 before its first function
  PointTexts point;
  for (;;) {
    if (source.atEnd()) {
      if (n >= 1) groupFlush(n);
      return BodyEnd::EndBeforeFunction;
    }
    if (n == 0) groupStartMessage();
    ++n;
    const std::string ns = text::decimal(n);
    line("(defun Ent_GO" + ns + "()");
    line("(setq enlist" + ns + " nil)");
    const std::string batchStart = "(setq enlist" + ns + " (append enlist" + ns + " ";
    for (int batch = 1; batch <= layout_.linesPerFunction; ++batch) {
      out_.write(batchStart);
      for (int i = 1; i <= layout_.pointsPerLine; ++i) {
        const PointStatus status = source.next(point);
        if (status != PointStatus::Ok) {
          // Whatever ended the points, those already written are drawn: the open function is
          // closed and its whole group called.
          line(kCloseFunction);
          groupFlush(n);
          return status == PointStatus::EndOfData ? BodyEnd::ReadPastEnd : BodyEnd::Failure;
        }
        writeRecord(point);
        ++points_;
      }
      line("))");
    }
    line("(princ))");
    if (n == layout_.functionsPerGroup) {
      groupFlush(n);
      n = 0;
    }
  }
}

void PointScriptWriter::writeEnd(RunSettings& s) {
  line("(defun ENDD()");
  line("(command \".UCS\" \"3\" (car lst_ucs_var) (cadr lst_ucs_var) (caddr lst_ucs_var))");
  line("(setq lst_ucs_var nil)");
  line("(setvar \"osmode\" osm_def)");
  line("(setq osm_def nil)");
  if (s.ZoomExtentsAtEnd == 1) line("(command \".zoom\" \"e\")");
  textLine("(princ \"\\n ******  点群の設置が終わりました。  ******:\")");
  s.DrawUnit = s.DrawUnit == "m" ? "1" : "1000";
  line("(command \"useri1\" \"" + s.DrawUnit + "\" )");
  line("(gc)");
  line("(princ)");
  line(")");

  line("(princ)");
  // Characters first, then the code page: a Shift-JIS trail byte 0x5C is no backslash.
  textLine("(princ \"" + lispString(text::replaceAll(s.InputPath, "\\", "/")) + "\")");
  textLine("(princ \"\\n作画終了。\")");
  line("(ENDD)");
}

bool PointScriptWriter::close() { return out_.close(); }

}  // namespace harlowe

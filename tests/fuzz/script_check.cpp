#include "tests/fuzz/script_check.h"

#include <map>
#include <set>
#include <vector>

#include "standin/cad/lisp/reader.h"
#include "tests/fuzz/fuzz_target.h"

namespace harlowe::fuzz {

namespace {

// Lines the writer writes word for word.
const std::set<std::string_view> kFixedLines = {
    "(defun STARTT()",
    "(gc)",
    "(setvar \"cmdecho\" 0)",
    "(progn",
    "(setq d70 (cdr (assoc 70 td)))",
    "(if (= 1 (logand d70 1))",
    "(setq lst_ucs_var (list (getvar \"UCSORG\")))",
    "(setq lst_ucs_var (append lst_ucs_var (mapcar '(lambda (x) (trans x 1 0)) '((1.0 0 0) (0 "
    "1.0 0)))))",
    "(command \".UCS\" \"w\")",
    "(command \"pdmode\" \"0\")",
    "(command \"pdsize\" \"0\")",
    "(setq osm_def (getvar \"osmode\"))",
    "(setvar \"osmode\" 0)",
    ")",
    "(startt)",
    "(princ \"\\nデータを読み込んでいます。しばらくお待ちください。\")",
    "(terpri)",
    "(princ \"\\n点群を描画しています。しばらくお待ちください。\")",
    "(setq n nil)",
    "(princ))",
    "))(princ))",
    "(defun ENDD()",
    "(command \".UCS\" \"3\" (car lst_ucs_var) (cadr lst_ucs_var) (caddr lst_ucs_var))",
    "(setq lst_ucs_var nil)",
    "(setvar \"osmode\" osm_def)",
    "(setq osm_def nil)",
    "(command \".zoom\" \"e\")",
    "(princ \"\\n ******  点群の設置が終わりました。  ******:\")",
    "(command \"useri1\" \"1\" )",
    "(command \"useri1\" \"1000\" )",
    "(princ)",
    "(princ \"\\n作画終了。\")",
    "(ENDD)",
};

// The lines around the layer name, and around the path.
const std::pair<std::string_view, std::string_view> kLayerLines[] = {
    {"(if (tblsearch \"LAYER\" \"", "\")"},
    {"(setq td (tblsearch \"LAYER\" \"", "\"))"},
    {"(command \".layer\" \"t\" \"", "\" \"\")))))"},
    {"(command \".layer\" \"m\" \"", "\" \"\")"},
};
constexpr std::string_view kPathStart = "(princ \"", kPathEnd = "\")";

bool eat(std::string_view& s, std::string_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// Decimal digits without a sign or leading zero; the value goes to n.
bool eatNumber(std::string_view& s, std::int64_t& n) {
  std::size_t i = 0;
  n = 0;
  while (i < s.size() && i < 12 && s[i] >= '0' && s[i] <= '9') n = n * 10 + (s[i++] - '0');
  if (i == 0 || s[0] == '0') return false;
  s.remove_prefix(i);
  return true;
}

// "<prefix><n><suffix>" as the whole line.
bool numbered(std::string_view line, std::string_view prefix, std::string_view suffix,
              std::int64_t& n) {
  return eat(line, prefix) && eatNumber(line, n) && line == suffix;
}

bool coordinateChar(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e';
}

// A coordinate text up to the next blank or ")": number characters only, and never a lone ".",
// which the CAD would read as the dot of a dotted pair.
bool eatCoordinate(std::string_view& s, char end) {
  std::size_t i = 0;
  while (i < s.size() && coordinateChar(s[i])) ++i;
  if (i >= s.size() || s[i] != end) return false;
  if (s.substr(0, i) == ".") return false;
  s.remove_prefix(i + 1);
  return true;
}

// The records of a batch line; returns how many, or -1 when the rest is no run of records.
std::int64_t records(std::string_view& s) {
  std::int64_t n = 0;
  while (eat(s, "'(((0 . \"POINT\")(10 ")) {
    if (!eatCoordinate(s, ' ') || !eatCoordinate(s, ' ') || !eatCoordinate(s, ')')) return -1;
    if (!eat(s, "(420 . ")) return -1;
    std::size_t i = 0;
    while (i < s.size() && coordinateChar(s[i])) ++i;
    if (i == 0) return -1;
    s.remove_prefix(i);
    if (!eat(s, "))) ")) return -1;
    ++n;
  }
  return n;
}

// A line "<start><string body><end>" whose end begins with the string's closing quote: the
// string must close exactly there and read back as `expected`.
bool literal(std::string_view line, std::string_view start, std::string_view end,
             std::string_view expected) {
  if (!eat(line, start) || line.size() < end.size() || line.substr(line.size() - end.size()) != end)
    return false;
  std::size_t pos = 0;
  std::string decoded;
  const bool closed = standin::lisp::readStringBody(line, pos, decoded);
  FUZZ_CHECK(closed && pos == line.size() - end.size() + 1,
             "a string of the script closes where its line expects, not earlier");
  FUZZ_CHECK(decoded == expected, "a string of the script reads back as the text put into it");
  return true;
}

std::vector<std::string_view> crlfLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    FUZZ_CHECK(end != std::string_view::npos, "every line of a script file ends in CR LF");
    const std::string_view line = text.substr(start, end - start);
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos,
               "no line break inside a line of a script file");
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

}  // namespace

void checkBalanced(std::string_view text) {
  std::int64_t depth = 0;
  for (std::string_view line : crlfLines(text)) {
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (inString) {
        if (c == '\\')
          ++i;
        else if (c == '"')
          inString = false;
      } else if (c == '"') {
        inString = true;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        FUZZ_CHECK(--depth >= 0, "no closing parenthesis without its opening one");
      } else {
        FUZZ_CHECK(c != ';', "no comment sign outside a string");
      }
    }
    FUZZ_CHECK(!inString, "every string closes on its own line");
  }
  FUZZ_CHECK(depth == 0, "the parentheses of each loaded file balance");
}

ScriptFacts checkPointScript(std::string_view text, std::string_view layer,
                             std::string_view pathText) {
  checkBalanced(text);
  ScriptFacts facts;
  std::map<std::int64_t, std::int64_t> defined;  // function number -> its records
  std::int64_t open = 0;                         // the function being defined
  for (std::string_view line : crlfLines(text)) {
    std::int64_t n = 0;
    if (kFixedLines.count(line)) continue;
    if (numbered(line, "(defun Ent_GO", "()", n)) {
      open = n;
      defined[n] = 0;
      continue;
    }
    if (numbered(line, "(setq enlist", " nil)", n) || numbered(line, "(setq ent_go", " nil)", n) ||
        numbered(line, "(foreach n enlist", " (entmake n))", n))
      continue;
    if (numbered(line, "(ent_go", ")", n)) {
      FUZZ_CHECK(defined.count(n), "a flush calls only defined functions");
      facts.calledRecords += defined[n];
      defined.erase(n);
      continue;
    }
    std::string_view rest = line;
    if (eat(rest, "(setq enlist") && eatNumber(rest, n) && eat(rest, " (append enlist")) {
      std::int64_t again = 0;
      FUZZ_CHECK(eatNumber(rest, again) && again == n && eat(rest, " "),
                 "a batch line appends to its own list");
      FUZZ_CHECK(n == open, "a batch line belongs to the open function");
      const std::int64_t count = records(rest);
      FUZZ_CHECK(count >= 0 && (rest == "))" || rest == "))(princ))"),
                 "a batch line is a run of well-formed POINT records");
      defined[n] += count;
      facts.records += count;
      continue;
    }
    bool known = false;
    for (const auto& [start, end] : kLayerLines) known = known || literal(line, start, end, layer);
    known = known || literal(line, kPathStart, kPathEnd, pathText);
    FUZZ_CHECK(known, "every line of the script has one of the expected shapes");
  }
  return facts;
}

void checkLoader(std::string_view text, std::int64_t pieces) {
  checkBalanced(text);
  const std::vector<std::string_view> lines = crlfLines(text);
  std::size_t i = 0;
  auto next = [&]() -> std::string_view {
    FUZZ_CHECK(i < lines.size(), "the loader is complete");
    return lines[i++];
  };
  FUZZ_CHECK(next() == "(load \"ent_start\")", "the loader starts with ent_start");
  for (std::int64_t k = 1; k <= pieces; ++k) {
    FUZZ_CHECK(next() == "(load \"ent_go" + std::to_string(k) + "\")",
               "the loader loads the pieces in order");
    if (k % 100 == 0) {
      FUZZ_CHECK(next() == "(princ \"\\n\")", "the pause after 100 pieces");
      FUZZ_CHECK(next() == "(princ \"\\n　\")", "the pause after 100 pieces");
      FUZZ_CHECK(next() == "(getpoint \"\\n" + std::to_string(k / 100) +
                               "-続けて描画する場合は画面をクリック、中止はESCキー\")",
                 "the pause after 100 pieces");
    }
  }
  const std::string_view mark = next();
  FUZZ_CHECK(
      mark.starts_with("(if (setq ent_gogo_end (open \"") &&
          mark.ends_with("/ent_gogo.end\" \"w\")) (setq ent_gogo_end (close ent_gogo_end)))"),
      "the loader leaves its mark after the last piece");
  FUZZ_CHECK(next() == "(gc)" && i == lines.size(), "the loader ends with (gc)");
}

}  // namespace harlowe::fuzz

#include "import/conversion_messages.h"

#include "common/number_text.h"

namespace harlowe {

namespace {

constexpr std::size_t kShownCharacters = 60;

constexpr const char* kNeedSixFields =
    "各行には X Y Z R G B の6つの数値を空白で区切って並べてください。";
constexpr const char* kNeedPtxFields =
    "各行には x y z 強度 R G B の7つの数値を空白で区切って並べてください。";

bool isControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; }

// Bytes that no text export of a point cloud holds: NUL and other control characters, or the
// byte-order mark of a Unicode text.
bool looksBinary(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
      bytes.starts_with("\xFE\xFF"))
    return true;
  for (unsigned char c : bytes)
    if (isControl(c)) return true;
  return false;
}

// Fields separated by blanks or TABs, as a person counts them.
int fieldCount(std::string_view line) {
  int fields = 0;
  bool inField = false;
  for (char c : line) {
    const bool separator = c == ' ' || c == '\t';
    if (!separator && !inField) ++fields;
    inField = !separator;
  }
  return fields;
}

bool startsWithNoCase(std::string_view t, std::string_view prefix) {
  if (t.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if ((t[i] | 0x20) != prefix[i]) return false;
  return true;
}

// A line that starts with something other than a number: a header such as "//X Y Z R G B".
// "nan" and "inf" are what exports write for coordinates without a value, not headers.
bool looksLikeHeader(std::string_view line) {
  const auto first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  std::string_view t = line.substr(first);
  if (t[0] == '-' || t[0] == '+') t.remove_prefix(1);
  if (startsWithNoCase(t, "nan") || startsWithNoCase(t, "inf")) return false;
  const char c = t.empty() ? ' ' : t[0];
  return !((c >= '0' && c <= '9') || c == '.');
}

bool isWholeNumber(std::string_view t) {
  const auto first = t.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  const auto last = t.find_last_not_of(" \t");
  for (char c : t.substr(first, last - first + 1))
    if (c < '0' || c > '9') return false;
  return true;
}

std::string whyNotAPoint(const BadLine& line) {
  const std::string_view t = line.start;
  const bool ptx = line.format == LineFormat::PtxPoint;
  const char* need = ptx ? kNeedPtxFields : kNeedSixFields;
  if (line.problem == LineProblem::Unreadable)
    return "ファイルをこの行から先は読み込めませんでした。";
  if (looksBinary(t))
    return std::string("テキストではないデータ（バイナリや UTF-16 の文字など）が含まれています。") +
           (ptx ? ""
                : "CloudCompare から ASCII テキストとして書き出したファイルを選んでください。");
  if (line.problem == LineProblem::TooLong)
    return std::string("行が長すぎます（1 MB を超えています）。") + need;
  const int fields = fieldCount(t);
  if (fields == 0) return std::string("空の行です。") + need;
  // A scan's header begins with its column count: a lone whole number after the points is the
  // start of a second scan.
  if (ptx && fields == 1 && isWholeNumber(t))
    return "2つ目のスキャンの始まり（列数の行）のようです。1つのファイルからは1つのスキャンだけを"
           "読み込みます。スキャンを1つずつ別のファイルに書き出してください。";
  if (looksLikeHeader(t))
    return std::string("見出しの行のようです。") + need + "見出しの行は書き出さないでください。";
  switch (line.problem) {
    case LineProblem::TooFewFields:
      if (t.find(',') != std::string_view::npos || t.find(';') != std::string_view::npos)
        return std::string("数値がカンマなどで区切られています。") + need;
      if (fields == 3 || (ptx && fields == 4))
        return std::string("色（R G B）がありません。") + need +
               "色の付いた点群として書き出してください。";
      return "数値が足りません（" + text::decimal(fields) + " 個）。" + need;
    case LineProblem::NotANumber:
      // Two blanks in a row leave an empty place, and every later value moves on by one.
      if (t.find("  ") != std::string_view::npos)
        return std::string("空白が2つ以上続いているため、空の値があります。") + need;
      return "座標（X Y Z）に数値でない値（nan、inf、桁の大きすぎる値など）があります。";
    case LineProblem::BadColour:
      return "色（R G B）に 0～255 の数値でない値があります。";
    case LineProblem::Unreadable:
    case LineProblem::TooLong:
      break;
  }
  return {};
}

std::string lineLines(const BadLine& line, const platform::CodePage& codePage) {
  const std::string n = text::decimal(line.number);
  return n + " 行目 : " + ShownLineStart(line.start, codePage) + "\n理由 : " + whyNotAPoint(line);
}

std::string nothingDetail(const ConversionResult& r, const platform::CodePage& codePage) {
  switch (r.reason) {
    case NothingReason::EmptyInput:
      return "ファイルに点のデータがありません。";
    case NothingReason::NoPointLine:
      return text::decimal(r.badLine->number) + " 行目を点として読み込めません。\n" +
             lineLines(*r.badLine, codePage);
    case NothingReason::StepBelowOne:
      return "間引き値が１より小さいため、読み込む点がありません。"
             "間引き値は１～１０２４の整数を指定してください。";
    case NothingReason::StepBeyondInput:
      return "間引き値がファイルの行数（" + text::decimal(r.linesRead) +
             " 行）より大きいため、描画する点がありません。";
    case NothingReason::NothingInShells:
      return "簡易等間隔では、最初の点を基準点とし（基準点は描画しません）、基準点からの距離が"
             "間隔の倍数の前後 5mm 未満にある点だけを描画します。ファイルの " +
             text::decimal(r.linesRead) +
             " 行には、この条件に合う点がありません。間隔を変えるか、簡易等間隔を使わずに"
             "変換してください。";
    case NothingReason::CannotRead:
      return "ファイルを読み込めません。\n" + r.file;
    case NothingReason::CannotWrite:
      return "ファイルを書き込めません。フォルダに書き込めるか、ディスクに空きがあるかを"
             "確かめてください。\n" +
             r.file;
    case NothingReason::StepBeyondPoints:
      return "間引き値が描画できる点の数（" + text::decimal(r.linesRead) +
             " 点）より大きいため、描画する点がありません。";
    case NothingReason::PlyBinary:
      return "バイナリ形式の PLY ファイル（" + r.detail +
             "）です。読み込めるのは ASCII 形式の PLY だけです。"
             "CloudCompare で保存するときに「ASCII」を選んで書き出し直してください。";
    case NothingReason::PlyProperties:
      return "PLY の頂点（element vertex）の値の並びが読み込める形ではありません。\n"
             "このファイルの頂点 : " +
             r.detail +
             "\n必要な並び : 先頭から x y z red green blue の順で、red green blue は 0～255 の"
             "整数（uchar など。16 ビットの ushort、short は不可）\n"
             "法線を含めず、色を 0～255 の整数で保存した PLY を書き出してください。";
    case NothingReason::PlyNoVertexLines:
      return "PLY のヘッダーでは頂点が " + text::decimal(r.expectedPoints) +
             " 個ありますが、ファイルに頂点の行がありません。";
    case NothingReason::PlyEndsBeforeVertices:
      return "ファイルが、PLY のヘッダーで頂点（element vertex）より前にある要素の途中で"
             "終わっているため、頂点の行がありません。\n頂点より前の要素と個数 : " +
             r.detail + "\nファイルにあるその要素の行 : " + text::decimal(r.linesRead) +
             " 行\nファイルが途中で切れていないか確かめてください。";
    case NothingReason::PtxShortHeader:
      return "PTX ファイルの先頭の見出し（10 行）がそろっていません。ファイルは " +
             text::decimal(r.linesRead) + " 行しかありません。";
    case NothingReason::PtxMatrixLine: {
      const std::string n = text::decimal(r.badLine->number);
      return "PTX ファイルの " + n + " 行目（変換行列の " + text::decimal(r.badLine->number - 6) +
             " 行目）に3つの数値がありません。\n" + n +
             " 行目 : " + ShownLineStart(r.badLine->start, codePage) +
             "\nPTX の 7～10 行目には変換行列を1行に4つの数値で書いてください。";
    }
  }
  return {};
}

bool isRefusal(NothingReason reason) {
  switch (reason) {
    case NothingReason::CannotRead:
    case NothingReason::CannotWrite:
    case NothingReason::PlyBinary:
    case NothingReason::PlyProperties:
    case NothingReason::PtxShortHeader:
    case NothingReason::PtxMatrixLine:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string ShownLineStart(std::string_view bytes, const platform::CodePage& codePage) {
  const std::string decoded = codePage.fromAnsi(bytes);
  std::string shown;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < decoded.size();) {
    const auto c = static_cast<unsigned char>(decoded[i]);
    const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (characters == kShownCharacters) {
      shown += "…";
      break;
    }
    if (isControl(c))
      shown += '?';
    else if (c == '\t')
      shown += ' ';
    else
      shown.append(decoded, i, length);
    ++characters;
    i += length;
  }
  return shown;
}

std::optional<UserMessage> ConversionMessage(const ConversionResult& r, std::string_view inputPath,
                                             const platform::CodePage& codePage) {
  const std::string file = "ファイル : " + std::string(inputPath) + "\n";
  switch (r.end) {
    case ConversionResult::End::Finished:
      return std::nullopt;
    case ConversionResult::End::StoppedEarly: {
      const std::string n = text::decimal(r.badLine->number);
      return UserMessage{"入力ファイルの " + n +
                             " 行目を点として読み込めないため、そこで読み込みを終えました。\n" + n +
                             " 行目より前の " + text::decimal(r.pointsDrawn) + " 点を描画します。" +
                             n + " 行目から後の点は描画しません。\n\n" + file +
                             lineLines(*r.badLine, codePage),
                         platform::MessageIcon::Warning};
    }
    case ConversionResult::End::FewerThanHeader: {
      const std::string found = text::decimal(r.pointsDrawn);
      return UserMessage{
          "ファイルの頂点の数がヘッダーの頂点数より少ないため、ファイルの終わりで"
          "読み込みを終えました。\nヘッダーの頂点数 : " +
              text::decimal(r.expectedPoints) + "\nファイルにある頂点 : " + found +
              "\nファイルにある " + found +
              " 点を描画します。ファイルが途中で切れていないか確かめてください。"
              "\n\nファイル : " +
              std::string(inputPath),
          platform::MessageIcon::Warning};
    }
    case ConversionResult::End::NothingDrawn: {
      const char* headline = isRefusal(r.reason)
                                 ? "変換できませんでした。CADへは何も送りません。\n\n"
                                 : "描画できる点がないため、CADへは何も送りません。\n\n";
      return UserMessage{headline + file + nothingDetail(r, codePage),
                         platform::MessageIcon::Error};
    }
  }
  return std::nullopt;
}

}  // namespace harlowe

#include "standin/cad/lisp/dump.h"

#include <charconv>
#include <system_error>

#include "standin/cad/lisp/file_text.h"

namespace standin::lisp {

namespace {

void appendInt(std::string& out, std::int64_t v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void appendReal(std::string& out, double v) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

void appendPoint(std::string& out, const Point3& p) {
  appendReal(out, p.x);
  out += ',';
  appendReal(out, p.y);
  out += ',';
  appendReal(out, p.z);
}

}  // namespace

std::string exactReal(double v) {
  std::string s;
  appendReal(s, v);
  return s;
}

std::string entitiesTsv(const Drawing& d) {
  std::string out = "type\tlayer\tx\ty\tz\tcolour\n";
  out.reserve(out.size() + d.entities().size() * 48);
  for (const Entity& e : d.entities()) {
    out += "POINT\t";
    out += d.layers()[e.layer].name;
    out += '\t';
    appendReal(out, e.point.x);
    out += '\t';
    appendReal(out, e.point.y);
    out += '\t';
    appendReal(out, e.point.z);
    out += '\t';
    if (e.trueColor >= 0) appendInt(out, e.trueColor);
    out += '\n';
  }
  return out;
}

std::string layersTsv(const Drawing& d) {
  std::string out = "name\tflags\tcurrent\n";
  for (std::size_t i = 0; i < d.layers().size(); ++i) {
    out += d.layers()[i].name;
    out += '\t';
    appendInt(out, d.layers()[i].flags);
    out += i == d.currentLayer() ? "\t1\n" : "\t0\n";
  }
  return out;
}

std::string variablesTsv(const Drawing& d) {
  std::string out = "name\tvalue\n";
  for (std::string_view name : Drawing::dumpedVariables()) {
    std::optional<VarValue> value = d.getVar(name);
    if (!value) continue;  // a variable this CAD does not have
    out += name;
    out += '\t';
    const VarValue& v = *value;
    if (auto i = std::get_if<std::int32_t>(&v)) {
      appendInt(out, *i);
    } else if (auto r = std::get_if<double>(&v)) {
      appendReal(out, *r);
    } else if (auto s = std::get_if<std::string>(&v)) {
      out += *s;
    } else {
      appendPoint(out, std::get<Point3>(v));
    }
    out += '\n';
  }
  return out;
}

std::string stateText(const Drawing& d, const DumpState& s) {
  std::string out = "lines=";
  appendInt(out, s.linesEvaluated);
  out += s.idle ? "\nidle=1\nerrors=" : "\nidle=0\nerrors=";
  appendInt(out, s.errors);
  out += "\nentities=";
  appendInt(out, static_cast<std::int64_t>(d.entities().size()));
  out += "\nzoom_extents=";
  appendInt(out, d.zoomExtentsCount);
  if (d.trustedPaths) {  // a CAD with secure loading
    out += "\nuntrusted_loads=";
    appendInt(out, d.untrustedLoads);
  }
  out += '\n';
  return out;
}

DumpWriter::DumpWriter(std::filesystem::path folder) : folder_(std::move(folder)) {
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
  }
}

bool DumpWriter::writeAll(const Drawing& d, const DumpState& s, const std::string& evaluatedLog,
                          const std::string& history) {
  if (!enabled()) return true;
  bool ok = replaceFile(folder_ / "entities.tsv", entitiesTsv(d));
  ok = replaceFile(folder_ / "layers.tsv", layersTsv(d)) && ok;
  ok = replaceFile(folder_ / "variables.tsv", variablesTsv(d)) && ok;
  ok = replaceFile(folder_ / "evaluated.log", evaluatedLog) && ok;
  ok = replaceFile(folder_ / "history.txt", history) && ok;
  return writeState(d, s) && ok;
}

bool DumpWriter::writeHistory(const std::string& history) {
  if (!enabled()) return true;
  return replaceFile(folder_ / "history.txt", history);
}

bool DumpWriter::writeState(const Drawing& d, const DumpState& s) {
  if (!enabled()) return true;
  return replaceFile(folder_ / "state.txt", stateText(d, s));
}

}  // namespace standin::lisp

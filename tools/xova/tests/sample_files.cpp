#include "sample_files.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "read/file_builder.h"
#include "xovaio32.hpp"

namespace xova_test {

namespace {

xovaio32::Variable Var(const std::string& name, int width) {
  xovaio32::Variable v;
  v.name = name;
  v.width = width;
  v.print = width == 0 ? xovaio32::Format{5, 8, 2} : xovaio32::Format{1, width, 0};
  v.write = v.print;
  v.measureLevel = v.defaultMeasureLevel();
  v.alignment = v.defaultAlignment();
  return v;
}

void PutNumber(std::vector<char>& rec, const xovaio32::VarRef& r, double v) {
  std::memcpy(&rec[r.offset], &v, sizeof v);
}

void PutString(std::vector<char>& rec, const xovaio32::VarRef& r, const std::string& s) {
  std::memset(&rec[r.offset], ' ', static_cast<std::size_t>(r.width));
  std::memcpy(&rec[r.offset], s.data(), std::min<std::size_t>(s.size(), r.width));
}

}  // namespace

void WriteHostileFile(const std::string& path, bool compressed) {
  double lowest, highest;
  xovaLowHighVal(&lowest, &highest);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();

  xovaio32::Dictionary d;
  d.fileLabel =
      "Quotes \"q\", commas, Gr\xc3\xbc\xc3\x9f"
      "e";
  d.compressed = compressed;
  auto n1 = Var("n1", 0);
  n1.label = "Line one\nline two, \"quoted\"";
  n1.missing.code = 3;
  n1.missing.numbers[0] = 1, n1.missing.numbers[1] = 2, n1.missing.numbers[2] = 3;
  n1.numericLabels = {{1, "one, \"1\""}, {2, "zwei\nzwei"}, {3, "bytes \xff\xfe here"}};
  auto n2 = Var("n2", 0);
  n2.missing.code = -2;
  n2.missing.numbers[0] = lowest, n2.missing.numbers[1] = 0;
  n2.numericLabels = n1.numericLabels;  // one shared set
  n2.measureLevel = 2;
  auto n3 = Var("Third_Number", 0);
  n3.missing.code = -3;
  n3.missing.numbers[0] = 10, n3.missing.numbers[1] = highest, n3.missing.numbers[2] = -5;
  n3.print = {5, 12, 4};
  n3.write = {5, 14, 6};
  n3.columnWidth = 9;
  n3.alignment = 2;
  auto n4 = Var("n4", 0);
  n4.missing.code = 2;
  n4.missing.numbers[0] = -0.0, n4.missing.numbers[1] = 1e-310;
  n4.numericLabels = {{-1e300, "tiny"}, {0.1, "a tenth"}, {1e300, "huge"}};
  auto n5 = Var("weight_var", 0);
  n5.missing.code = 1;
  n5.missing.numbers[0] = 7;
  auto s1 = Var("s1", 8);
  s1.missing.code = 3;
  s1.missing.strings[0] = "a       ", s1.missing.strings[1] = "b c     ",
  s1.missing.strings[2] = "\"q\"     ";
  s1.stringLabels = {{"a       ", "A, a"}, {"b c     ", "B\nC"}};
  s1.label =
      "Stra\xc3\x9f"
      "e \"7\"";
  auto s2 = Var("s2", 3);
  s2.missing.code = 1;
  s2.missing.strings[0] = "x  ";
  s2.stringLabels = {{"a       ", "A, a"}, {"b c     ", "B\nC"}};
  auto s3 = Var("s3", 2);
  s3.missing.code = 2;
  s3.missing.strings[0] = "  ", s3.missing.strings[1] = "zz";
  auto lng = Var("long_text", 255);
  lng.label = std::string(256, 'x');
  auto utf = Var("utf", 20);
  d.variables = {n1, n2, n3, n4, n5, s1, s2, s3, lng, utf};
  d.weight = "weight_var";
  d.multipleResponseSets = "$mrn=D1 1 9 Numbers,\" n1 n2\n$mrc=C 0  s1 s2\n";
  d.variableSets = "Nums= n1 n2 Third_Number\nStrs= s1 s2\n";
  d.dateInfo = {1, 2, 3, -4};
  d.qeb = std::string("\x00\x01 binary \xff", 11);
  d.qebGuid = "{1234-abcd}";
  d.textInfo = "info, with \"quotes\"\nand lines";

  xovaio32::Writer w(path);
  w.define(d);
  w.commit();
  std::vector<xovaio32::VarRef> r;
  for (const auto& v : d.variables) r.push_back(w.variable(v.name));
  const double numbers[] = {1,      nan,     inf,
                            -inf,   -0.0,    1e-310,
                            0.1,    1.0 / 3, xovaSysmisVal(),
                            lowest, highest, 123456789012345678.0,
                            -1e300};
  const std::string strings[] = {"a,b",  "q\"x",      "line\nbreak", "",  "  lead", "\xc3\xa4\xff",
                                 "\r\n", "tab\there", "\"\"",        ",", "b c",    "a",
                                 "z"};
  std::vector<char> rec(w.caseSize());
  for (int i = 0; i < 13; ++i) {
    PutNumber(rec, r[0], numbers[i]);
    PutNumber(rec, r[1], numbers[(i + 1) % 13]);
    PutNumber(rec, r[2], numbers[(i + 2) % 13]);
    PutNumber(rec, r[3], numbers[(i + 3) % 13]);
    PutNumber(rec, r[4], i);
    PutString(rec, r[5], strings[i].substr(0, 8));
    PutString(rec, r[6], strings[(i + 1) % 13].substr(0, 3));
    PutString(rec, r[7], strings[(i + 2) % 13].substr(0, 2));
    PutString(rec, r[8], std::string(static_cast<std::size_t>(40 + i * 16), 'a' + i) + ", \"end\"");
    PutString(rec, r[9],
              "Gr\xc3\xbc\xc3\x9f"
              "e, \"Welt\"\r\n");
    w.writeCase(rec.data());
  }
  w.close();
}

void WriteWideFile(const std::string& path, int variables, int cases) {
  xovaio32::Dictionary d;
  d.fileLabel = "wide";
  d.compressed = true;
  for (int i = 0; i < variables; ++i) {
    const int width = i % 3 == 2 ? 1 + i % 40 : 0;
    auto v = Var("q" + std::to_string(i) + "_with_a_long_name", width);
    v.label = "Label of variable " + std::to_string(i) + ", \"quoted\"";
    if (width == 0) {
      v.numericLabels = {{1, "yes"}, {2, "no"}, {static_cast<double>(i % 7), "group"}};
      if (i % 7 == 1 || i % 7 == 2) v.numericLabels.pop_back();
      if (i % 5 == 0) {
        v.missing.code = 1;
        v.missing.numbers[0] = 99;
      }
    }
    d.variables.push_back(v);
  }
  xovaio32::Writer w(path);
  w.define(d);
  w.commit();
  std::vector<xovaio32::VarRef> r;
  for (const auto& v : d.variables) r.push_back(w.variable(v.name));
  std::vector<char> rec(w.caseSize());
  for (int c = 0; c < cases; ++c) {
    for (int i = 0; i < variables; ++i) {
      if (r[i].width == 0)
        PutNumber(rec, r[i], (c * 31 + i) % 11 == 0 ? xovaSysmisVal() : c + i * 0.5);
      else
        PutString(rec, r[i], std::to_string(c * i));
    }
    w.writeCase(rec.data());
  }
  w.close();
}

void WriteNumberedFile(const std::string& path, bool compressed, int cases) {
  xovaio32::Dictionary d;
  d.compressed = compressed;
  d.variables = {Var("x", 0), Var("s", 12), Var("y", 0)};
  d.variables[0].numericLabels = {{1, "first"}};
  d.variables[1].stringLabels = {};
  xovaio32::Writer w(path);
  w.define(d);
  w.commit();
  const auto x = w.variable("x"), s = w.variable("s"), y = w.variable("y");
  std::vector<char> rec(w.caseSize());
  for (int c = 0; c < cases; ++c) {
    PutNumber(rec, x, c);
    PutString(rec, s, "r" + std::to_string(c));
    PutNumber(rec, y, c % 10 == 0 ? xovaSysmisVal() : c * 0.25 - 100);
    w.writeCase(rec.data());
  }
  w.close();
}

void WriteBigEndianFile(const std::string& path, bool compressed) {
  FileBuilder b(true);
  HeaderSpec h;
  h.caseSize = 3;
  h.compression = compressed ? 1 : 0;
  h.caseCount = 3;
  h.label = "big-endian file";
  b.Header(h);
  VariableSpec num;
  num.name = "NUM";
  num.hasLabel = true;
  num.label = "A number, \"big\"";
  num.missingCode = 1;
  num.missingNumbers = {9};
  b.Variable(num);
  VariableSpec str;
  str.name = "STR";
  str.width = 8;
  str.printFormat = str.writeFormat = 0x010800;
  b.Variable(str);
  b.Numeric("OTHER");
  b.LabelPair({{1, "", "one"}, {9, "", "nine, \"missing\""}}, {1, 3});
  b.IntExtension(6, {7, 8});
  b.TextExtension(10, "text information");
  b.Terminator();
  const double sysmis = FromBits(kHostSysmisBits);
  if (!compressed) {
    b.CaseNumber(1).CaseText("abc").CaseNumber(2.5);
    b.CaseNumber(sysmis).CaseText("x,y").CaseNumber(-7);
    b.CaseNumber(9).CaseText("").CaseNumber(1e100);
  } else {
    const std::vector<unsigned char> abc = {'a', 'b', 'c', ' ', ' ', ' ', ' ', ' '};
    const std::vector<unsigned char> xy = {'x', ',', 'y', ' ', ' ', ' ', ' ', ' '};
    b.CodeBlock({101, 253, 253, 255, 253, 93, 109, 254}, {abc, b.NumberBytes(2.5), xy});
    b.CodeBlock({253, 252, 0, 0, 0, 0, 0, 0}, {b.NumberBytes(1e100)});
  }
  b.WriteTo(path);
}

}  // namespace xova_test

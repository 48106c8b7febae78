#include "same_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "xovaio32.hpp"

namespace xova_test {

namespace {

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Bit for bit, but any NaN equals any NaN (text carries no payload).
bool SameNumber(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return Bits(a) == Bits(b);
}

void ExpectSameVariable(const xovaio32::Variable& a, const xovaio32::Variable& b) {
  SCOPED_TRACE("variable " + a.name);
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.width, b.width);
  EXPECT_EQ(a.label, b.label);
  EXPECT_EQ(a.print, b.print);
  EXPECT_EQ(a.write, b.write);
  EXPECT_EQ(a.measureLevel, b.measureLevel);
  EXPECT_EQ(a.columnWidth, b.columnWidth);
  EXPECT_EQ(a.alignment, b.alignment);
  EXPECT_EQ(a.missing.code, b.missing.code);
  for (int i = 0; i < std::abs(a.missing.code) && i < 3; ++i) {
    if (a.numeric())
      EXPECT_TRUE(SameNumber(a.missing.numbers[i], b.missing.numbers[i]))
          << a.missing.numbers[i] << " vs " << b.missing.numbers[i];
    else
      EXPECT_EQ(a.missing.strings[i], b.missing.strings[i]);
  }
  ASSERT_EQ(a.numericLabels.size(), b.numericLabels.size());
  for (std::size_t i = 0; i < a.numericLabels.size(); ++i) {
    EXPECT_TRUE(SameNumber(a.numericLabels[i].value, b.numericLabels[i].value));
    EXPECT_EQ(a.numericLabels[i].label, b.numericLabels[i].label);
  }
  ASSERT_EQ(a.stringLabels.size(), b.stringLabels.size());
  for (std::size_t i = 0; i < a.stringLabels.size(); ++i) {
    EXPECT_EQ(a.stringLabels[i].value, b.stringLabels[i].value);
    EXPECT_EQ(a.stringLabels[i].label, b.stringLabels[i].label);
  }
}

}  // namespace

void ExpectSameFile(const std::string& expected, const std::string& actual, bool documents) {
  xovaio32::Reader a(expected), b(actual);
  const xovaio32::Dictionary da = a.dictionary(), db = b.dictionary();
  EXPECT_EQ(da.fileLabel, db.fileLabel);
  EXPECT_EQ(da.compressed, db.compressed);
  EXPECT_EQ(da.weight, db.weight);
  EXPECT_EQ(da.multipleResponseSets, db.multipleResponseSets);
  EXPECT_EQ(da.variableSets, db.variableSets);
  EXPECT_EQ(da.dateInfo, db.dateInfo);
  EXPECT_EQ(da.qeb, db.qeb);
  EXPECT_EQ(da.qebGuid, db.qebGuid);
  EXPECT_EQ(da.textInfo, db.textInfo);
  ASSERT_EQ(da.variables.size(), db.variables.size());
  for (std::size_t i = 0; i < da.variables.size(); ++i) {
    ExpectSameVariable(da.variables[i], db.variables[i]);
    char sa[16] = {0}, sb[16] = {0};
    EXPECT_EQ(xovaGetVarCompatName(a.handle(), da.variables[i].name.c_str(), sa), XOVA_OK);
    EXPECT_EQ(xovaGetVarCompatName(b.handle(), db.variables[i].name.c_str(), sb), XOVA_OK);
    EXPECT_STREQ(sa, sb);
  }
  EXPECT_EQ(a.caseSize(), b.caseSize());
  EXPECT_EQ(a.caseCount(), b.caseCount());
  if (documents) {
    int fa = -1, fb = -1;
    EXPECT_EQ(xovaQueryType7(a.handle(), 0, &fa), XOVA_OK);
    EXPECT_EQ(xovaQueryType7(b.handle(), 0, &fb), XOVA_OK);
    EXPECT_EQ(fa, fb) << "documents";
  }

  std::vector<xovaio32::VarRef> ra, rb;
  for (const auto& v : da.variables) {
    ra.push_back(a.variable(v.name));
    rb.push_back(b.variable(v.name));
  }
  long n = 0;
  for (;;) {
    const bool more = a.next();
    ASSERT_EQ(more, b.next()) << "case " << n;
    if (!more) break;
    for (std::size_t i = 0; i < ra.size(); ++i) {
      if (ra[i].width == 0) {
        ASSERT_TRUE(SameNumber(a.number(ra[i]), b.number(rb[i])))
            << "case " << n << " " << da.variables[i].name << ": " << a.number(ra[i]) << " vs "
            << b.number(rb[i]);
      } else {
        ASSERT_EQ(a.string(ra[i]), b.string(rb[i])) << "case " << n << " " << da.variables[i].name;
      }
    }
    ++n;
  }
}

}  // namespace xova_test

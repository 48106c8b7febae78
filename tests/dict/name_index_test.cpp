#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dict/name_index.h"
#include "support/alloc_failure.h"
#include "xovaio32.h"

namespace {

using xova::NameIndex;

// Compares texts and logs which objects were met, in order.
std::vector<const void*> g_met;
int LoggingCompare(const char* key, const void* object) {
  g_met.push_back(object);
  return std::strcmp(key, static_cast<const char*>(object));
}

TEST(NameIndexHash, ElfHashOverSignExtendedBytes) {
  EXPECT_EQ(NameIndex::Hash(""), 0u);
  EXPECT_EQ(NameIndex::Hash("A"), 0x41u);
  EXPECT_EQ(NameIndex::Hash("AB"), 0x452u);
  EXPECT_EQ(NameIndex::Hash("AAAAAAAA"), 0x5555101u);  // the high nibble folded back
  EXPECT_EQ(NameIndex::Hash("LONGVARIABLENAME"), 0xbab5d65u);
  // Bytes above 0x7F count as negative.
  EXPECT_EQ(NameIndex::Hash("\xff"), 0x0fffff0fu);
  EXPECT_EQ(NameIndex::Hash("\x80"), 0x0fffff70u);
  EXPECT_EQ(NameIndex::Hash("\xc3\xa9T\xc3\xa9"), 0xf221e29u);
}

TEST(NameIndexHash, BucketIsTheHashModuloTheBucketCount) {
  NameIndex index;
  EXPECT_EQ(index.bucketCount(), 1023);
  EXPECT_EQ(index.BucketOf("A"), 65u);
  EXPECT_EQ(index.BucketOf("AB"), 83u);
  EXPECT_EQ(index.BucketOf("S"), 83u);
  EXPECT_EQ(index.BucketOf("\xff"), 15u);
  EXPECT_EQ(index.BucketOf("LONGVARIABLENAME"), 247u);
  NameIndex small(7);
  EXPECT_EQ(small.BucketOf("AB"), 0x452u % 7u);
}

TEST(NameIndexTest, FindsWhatWasInsertedAndNothingElse) {
  NameIndex index;
  char a[] = "ALPHA", b[] = "BETA";
  EXPECT_EQ(index.Find("ALPHA", xova::CompareText), nullptr);
  EXPECT_EQ(index.Insert(a, a, xova::CompareText), XOVA_OK);
  EXPECT_EQ(index.Insert(b, b, xova::CompareText), XOVA_OK);
  EXPECT_EQ(index.Find("ALPHA", xova::CompareText), a);
  EXPECT_EQ(index.Find("BETA", xova::CompareText), b);
  EXPECT_EQ(index.Find("alpha", xova::CompareText), nullptr);  // folding is the caller's
  EXPECT_EQ(index.Find("ALPH", xova::CompareText), nullptr);
  EXPECT_EQ(index.Find("", xova::CompareText), nullptr);
}

TEST(NameIndexTest, DuplicateKeyIsRefusedAndTheFirstStays) {
  NameIndex index;
  char first[] = "SAME", second[] = "SAME";
  ASSERT_EQ(index.Insert(first, first, xova::CompareText), XOVA_OK);
  EXPECT_EQ(index.Insert(second, second, xova::CompareText), XOVA_DUPLICATE_VARIABLE);
  EXPECT_EQ(index.Find("SAME", xova::CompareText), first);
  index.Remove("SAME", first);
  EXPECT_EQ(index.Find("SAME", xova::CompareText), nullptr);  // no second entry was left
}

TEST(NameIndexTest, CollidingKeysAreBothFoundNewestFirst) {
  NameIndex index;
  char s[] = "S", ab[] = "AB";
  ASSERT_EQ(index.BucketOf(s), index.BucketOf(ab));
  ASSERT_EQ(index.Insert(s, s, xova::CompareText), XOVA_OK);
  ASSERT_EQ(index.Insert(ab, ab, xova::CompareText), XOVA_OK);

  g_met.clear();
  EXPECT_EQ(index.Find("S", LoggingCompare), s);
  ASSERT_EQ(g_met.size(), 2u);
  EXPECT_EQ(g_met[0], ab);  // the later insert is met first
  EXPECT_EQ(g_met[1], s);

  g_met.clear();
  EXPECT_EQ(index.Find("AB", LoggingCompare), ab);
  EXPECT_EQ(g_met.size(), 1u);
}

TEST(NameIndexTest, RemoveTakesOutOnlyThatObject) {
  NameIndex index;
  char s[] = "S", ab[] = "AB";
  ASSERT_EQ(index.Insert(s, s, xova::CompareText), XOVA_OK);
  ASSERT_EQ(index.Insert(ab, ab, xova::CompareText), XOVA_OK);
  char other[] = "S";
  index.Remove("S", other);  // not in the index: nothing happens
  EXPECT_EQ(index.Find("S", xova::CompareText), s);
  index.Remove("S", s);  // from the end of the chain
  EXPECT_EQ(index.Find("S", xova::CompareText), nullptr);
  EXPECT_EQ(index.Find("AB", xova::CompareText), ab);
  EXPECT_EQ(index.Insert(s, s, xova::CompareText), XOVA_OK);
}

TEST(NameIndexTest, OneLongChainIsWalkedAndCleared) {
  // Every key in one bucket, as a hostile file could arrange.
  NameIndex index(1);
  std::vector<std::string> keys;
  for (int i = 0; i < 2000; ++i) keys.push_back("N" + std::to_string(i));
  for (auto& k : keys) ASSERT_EQ(index.Insert(k.c_str(), &k[0], xova::CompareText), XOVA_OK);
  EXPECT_EQ(index.Find("N0", xova::CompareText), &keys[0][0]);
  EXPECT_EQ(index.Find("N1999", xova::CompareText), &keys[1999][0]);
  index.Clear();
  for (auto& k : keys) EXPECT_EQ(index.Find(k.c_str(), xova::CompareText), nullptr);
  EXPECT_EQ(index.Insert(keys[0].c_str(), &keys[0][0], xova::CompareText), XOVA_OK);
}

TEST(NameIndexTest, OutOfMemoryOnInsertLeavesTheIndexAsItWas) {
  xova_test::AllocFailureScope scope;
  NameIndex index;
  char a[] = "A", s[] = "S";
  ASSERT_EQ(index.Insert(a, a, xova::CompareText), XOVA_OK);
  xova_test::FailAllocationAfter(0);
  EXPECT_EQ(index.Insert(s, s, xova::CompareText), XOVA_OUT_OF_MEMORY);
  xova_test::ResetAllocFailure();
  EXPECT_EQ(index.Find("S", xova::CompareText), nullptr);
  EXPECT_EQ(index.Find("A", xova::CompareText), a);
  EXPECT_EQ(index.Insert(s, s, xova::CompareText), XOVA_OK);
}

TEST(NameIndexTest, CreateReportsOutOfMemoryAsNull) {
  xova_test::AllocFailureScope scope;
  long runs = xova_test::ForEachAllocationFailure([] {
    std::unique_ptr<NameIndex> index = NameIndex::Create(1023);
    if (xova_test::FailedAllocations() > 0) {
      EXPECT_EQ(index, nullptr);
    } else {
      ASSERT_NE(index, nullptr);
      EXPECT_EQ(index->bucketCount(), 1023);
    }
  });
  EXPECT_GT(runs, 0);
}

}  // namespace

// The record encoders, each checked against the record layout through the
// test-side reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ext/extension_block.h"
#include "frame/file_state.h"
#include "support/scratch_dir.h"
#include "write/display_block.h"
#include "write/document_record.h"
#include "write/extension_records.h"
#include "write/header_record.h"
#include "write/le_writer.h"
#include "write/long_name_block.h"
#include "write/record_reader.h"
#include "write/value_label_records.h"
#include "write/variable_records.h"
#include "xovaio32.h"

namespace {

using xova_test::Bytes;
using xova_test::LeBytesOf;
using xova_test::RecordCursor;
using xova_test::TextBytes;

// Runs an encoder against a real stream and hands back what it wrote.
class Sink {
 public:
  Sink() : path_(dir_.File("records.data")), file_(std::fopen(path_.c_str(), "wb")) {}
  ~Sink() {
    if (file_) std::fclose(file_);
  }
  std::FILE* file() { return file_; }
  Bytes Take() {
    std::fclose(file_);
    file_ = nullptr;
    return xova_test::ReadFileBytes(path_);
  }

 private:
  xova_test::ScratchDir dir_;
  std::string path_;
  std::FILE* file_;
};

template <class Encode>
Bytes Encoded(Encode encode, int* rc = nullptr) {
  Sink sink;
  xova::LeWriter out(sink.file());
  const int result = encode(out);
  if (rc) *rc = result;
  return sink.Take();
}

std::unique_ptr<xova::VariableRecord> Var(const std::string& name, int type, int position) {
  auto var = std::make_unique<xova::VariableRecord>();
  var->name = name;
  var->key = name;
  var->type = type;
  var->position = position;
  std::snprintf(var->shortName, sizeof var->shortName, "%.8s", name.c_str());
  var->printFormat = 5 << 16 | 8 << 8 | 2;
  var->writeFormat = 5 << 16 | 10 << 8 | 3;
  return var;
}

Bytes VariableBytes(const xova::VariableRecord& var) {
  return Encoded([&](xova::LeWriter& out) {
    xova::WriteVariableRecord(out, var);
    return out.Result();
  });
}

xova_test::FileRecords Parse(const Bytes& records) {
  Bytes file(176, 0);  // a header the reader skips over
  file.insert(file.end(), records.begin(), records.end());
  const Bytes end = {0xE7, 0x03, 0, 0, 0, 0, 0, 0};
  file.insert(file.end(), end.begin(), end.end());
  return xova_test::ReadRecords(file);
}

TEST(LeWriter, AShortWriteIsRememberedAndLaterWritesAreSkipped) {
  xova_test::ScratchDir dir;
  const std::string path = dir.File("read-only.data");
  std::fclose(std::fopen(path.c_str(), "wb"));
  std::FILE* in = std::fopen(path.c_str(), "rb");  // every write fails
  ASSERT_NE(in, nullptr);
  xova::LeWriter out(in);
  out.Int32(1);
  out.Fill(' ', 100);
  out.Field("text", 8);
  EXPECT_FALSE(out.ok());
  EXPECT_EQ(out.Result(), XOVA_FILE_WRITE_ERROR);
  std::fclose(in);
  EXPECT_EQ(xova::LeWriter(nullptr).Result(), XOVA_FILE_WRITE_ERROR);
}

TEST(HeaderRecord, VersionIsThreeOnlyWhenSetsOrQebHoldAnElement) {
  xova::FileState fs;
  EXPECT_EQ(xova::HeaderVersionCode(fs), 2);
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[7], 1, 0, nullptr), XOVA_OK);  // present but empty
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[5], 1, 3, "s=a"), XOVA_OK);
  EXPECT_EQ(xova::HeaderVersionCode(fs), 2);
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[8], 1, 2, "qb"), XOVA_OK);
  EXPECT_EQ(xova::HeaderVersionCode(fs), 3);
  fs.blocks[8].reset();
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[7], 1, 2, "$m"), XOVA_OK);
  EXPECT_EQ(xova::HeaderVersionCode(fs), 3);
}

TEST(VariableRecords, NumericVariableIsOne32ByteRecord) {
  auto var = Var("A", 0, 1);
  const Bytes bytes = VariableBytes(*var);
  ASSERT_EQ(bytes.size(), 32u);
  const auto f = Parse(bytes);
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.variables.size(), 1u);
  const auto& v = f.variables[0];
  EXPECT_EQ(v.width, 0);
  EXPECT_EQ(v.labelFlag, 0);
  EXPECT_EQ(v.missingCode, 0);
  EXPECT_EQ(v.printFormat, var->printFormat);
  EXPECT_EQ(v.writeFormat, var->writeFormat);
  EXPECT_EQ(v.name, "A       ");
}

TEST(VariableRecords, StringOfWidth20HasTwoContinuationRecordsWithItsFormats) {
  auto var = Var("TEXT", 20, 1);
  const auto f = Parse(VariableBytes(*var));
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.variables.size(), 3u);
  EXPECT_EQ(f.variables[0].width, 20);
  for (std::size_t i = 1; i < 3; ++i) {
    const auto& c = f.variables[i];
    EXPECT_EQ(c.size, 32u);
    EXPECT_EQ(c.width, -1);
    EXPECT_EQ(c.labelFlag, 0);
    EXPECT_EQ(c.missingCode, 0);
    EXPECT_EQ(c.printFormat, var->printFormat);
    EXPECT_EQ(c.writeFormat, var->writeFormat);
    EXPECT_EQ(c.name, std::string(8, ' '));
  }
}

TEST(VariableRecords, StringWidthsDecideTheContinuationCount) {
  for (const auto& [width, records] :
       std::vector<std::pair<int, std::size_t>>{{1, 1}, {8, 1}, {9, 2}, {255, 32}}) {
    const auto f = Parse(VariableBytes(*Var("S", width, 1)));
    ASSERT_TRUE(f.ok) << f.error;
    EXPECT_EQ(f.variables.size(), records) << "width " << width;
  }
}

TEST(VariableRecords, LabelIsPaddedWithBlanksToAMultipleOfFour) {
  auto var = Var("A", 0, 1);
  var->hasLabel = 1;
  var->label = "Label";
  auto f = Parse(VariableBytes(*var));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.variables[0].labelFlag, 1);
  EXPECT_EQ(f.variables[0].labelLength, 5);
  EXPECT_EQ(f.variables[0].labelField, "Label   ");
  EXPECT_EQ(f.variables[0].size, 32u + 4 + 8);

  var->label = "Eight ch";
  f = Parse(VariableBytes(*var));
  EXPECT_EQ(f.variables[0].labelField, "Eight ch");
  EXPECT_EQ(f.variables[0].size, 32u + 4 + 8);

  var->label = std::string(256, 'x');
  f = Parse(VariableBytes(*var));
  EXPECT_EQ(f.variables[0].labelLength, 256);
  EXPECT_EQ(f.variables[0].labelField, std::string(256, 'x'));
}

TEST(VariableRecords, NumericMissingValuesFollowInSlotOrder) {
  auto var = Var("A", 0, 1);
  const double values[3] = {1.0, 5.0, 9.0};
  for (int i = 0; i < 3; ++i) std::memcpy(var->missing[i], &values[i], 8);
  var->missingCode = -3;
  auto f = Parse(VariableBytes(*var));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.variables[0].missingCode, -3);
  ASSERT_EQ(f.variables[0].missing.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.variables[0].missing[i], LeBytesOf(values[i]));

  var->missingCode = 1;  // the other slots no longer count
  f = Parse(VariableBytes(*var));
  ASSERT_EQ(f.variables[0].missing.size(), 1u);
  EXPECT_EQ(f.variables[0].size, 40u);
}

TEST(VariableRecords, StringMissingValuesArePaddedTo8Bytes) {
  auto var = Var("S", 3, 1);
  std::memcpy(var->missing[0], "ab ", 4);
  std::memcpy(var->missing[1], "xyz", 4);
  var->missingCode = 2;
  const auto f = Parse(VariableBytes(*var));
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.variables[0].missing.size(), 2u);
  EXPECT_EQ(f.variables[0].missing[0], TextBytes("ab      "));
  EXPECT_EQ(f.variables[0].missing[1], TextBytes("xyz     "));
}

xova::ValueLabelEntry Entry(double value, const std::string& label) {
  xova::ValueLabelEntry e = xova::ValueLabelEntry::Numeric(value);
  e.label = label;
  return e;
}

TEST(ValueLabelRecords, LabelsArePaddedSoLengthByteLabelAndFillMakeEightBytes) {
  xova::LabelSetList sets(1);
  sets.front().typeClass = xova::kNumericClass;
  sets.front().entries = {Entry(1.0, "Seven c"), Entry(2.0, "Eight ch"), Entry(3.0, "")};
  sets.front().variables = {xova::VariablePosition{4}, xova::VariablePosition{1}};
  const Bytes bytes = Encoded([&](xova::LeWriter& out) {
    xova::WriteValueLabelRecords(out, sets);
    return out.Result();
  });
  // 8 + (8 + 8) + (8 + 16) + (8 + 8) + 8 + 2 * 4
  EXPECT_EQ(bytes.size(), 80u);
  const auto f = Parse(bytes);
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.labelSets.size(), 1u);
  const auto& set = f.labelSets[0];
  ASSERT_EQ(set.labels.size(), 3u);
  EXPECT_EQ(set.labels[0].value, LeBytesOf(1.0));
  EXPECT_EQ(set.labels[0].label, "Seven c");
  EXPECT_EQ(set.labels[0].fill, "");
  EXPECT_EQ(set.labels[1].label, "Eight ch");
  EXPECT_EQ(set.labels[1].fill, std::string(7, ' '));
  EXPECT_EQ(set.labels[2].label, "");
  EXPECT_EQ(set.labels[2].fill, std::string(7, ' '));
  EXPECT_EQ(set.variables, (std::vector<std::int32_t>{4, 1}));
}

TEST(ValueLabelRecords, StringSetsWriteTheirEightCharactersAndSetsKeepListOrder) {
  xova::LabelSetList sets(2);
  sets.front().entries = {Entry(7.0, "seven")};
  sets.front().variables = {xova::VariablePosition{1}};
  sets.back().typeClass = xova::kStringClass;
  xova::ValueLabelEntry e = xova::ValueLabelEntry::String("ab      ");
  e.label = "AB";
  sets.back().entries = {e};
  sets.back().variables = {xova::VariablePosition{2}, xova::VariablePosition{3}};
  xova::LabelSetList withEmpty = sets;
  withEmpty.emplace_back();  // no entries, no variables: never written
  const auto f = Parse(Encoded([&](xova::LeWriter& out) {
    xova::WriteValueLabelRecords(out, withEmpty);
    return out.Result();
  }));
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_EQ(f.labelSets.size(), 2u);
  EXPECT_EQ(f.labelSets[0].labels[0].value, LeBytesOf(7.0));
  EXPECT_EQ(f.labelSets[1].labels[0].value, TextBytes("ab      "));
  EXPECT_EQ(f.labelSets[1].labels[0].label, "AB");
  EXPECT_EQ(f.labelSets[1].variables, (std::vector<std::int32_t>{2, 3}));
}

// A block with the given bytes; more than 1024 of them spill it to a file.
xova::BlockPtr TextBlock(const std::string& text, std::int32_t elemSize = 1) {
  xova::BlockPtr block = xova::BlockCreate(elemSize);
  EXPECT_EQ(xova::BlockAppend(block.get(), static_cast<std::int32_t>(text.size()) / elemSize,
                              text.data()),
            XOVA_OK);
  return block;
}

std::string Pattern(std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
  return s;
}

TEST(DocumentRecord, WritesTheLineCountAndTheLines) {
  const std::string lines = std::string(80, 'a') + std::string(80, 'b');
  auto block = TextBlock(lines);
  const auto f = Parse(
      Encoded([&](xova::LeWriter& out) { return xova::WriteDocumentRecord(out, block.get()); }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_TRUE(f.hasDocuments);
  EXPECT_EQ(f.documentLines, 2);
  EXPECT_EQ(f.documents, lines);
}

TEST(DocumentRecord, APartialLastLineIsPaddedSoTheCountCoversIt) {
  auto block = TextBlock(std::string(100, 'd'));
  const auto f = Parse(
      Encoded([&](xova::LeWriter& out) { return xova::WriteDocumentRecord(out, block.get()); }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.documentLines, 2);
  EXPECT_EQ(f.documents, std::string(100, 'd') + std::string(60, ' '));
}

TEST(DocumentRecord, NoDocumentsWriteNothing) {
  auto empty = xova::BlockCreate(1);
  EXPECT_TRUE(Encoded([&](xova::LeWriter& out) {
                return xova::WriteDocumentRecord(out, empty.get());
              }).empty());
  EXPECT_TRUE(Encoded([&](xova::LeWriter& out) {
                return xova::WriteDocumentRecord(out, nullptr);
              }).empty());
}

TEST(ExtensionRecords, AscendingSubtypesSkippingAbsentAndEmptyBlocks) {
  auto twelve = TextBlock("guid");
  auto three = TextBlock(std::string("\x0c\0\0\0\x01\0\0\0", 8), 4);
  auto empty = xova::BlockCreate(1);
  auto documents = TextBlock(std::string(80, 'x'));
  xova::BlockView view{};
  view[0] = documents.get();  // the documents have their own record
  view[12] = twelve.get();
  view[3] = three.get();
  view[10] = empty.get();
  const auto f =
      Parse(Encoded([&](xova::LeWriter& out) { return xova::WriteExtensionRecords(out, view); }));
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_FALSE(f.hasDocuments);
  ASSERT_EQ(f.extensions.size(), 2u);
  EXPECT_EQ(f.extensions[0].subtype, 3);
  EXPECT_EQ(f.extensions[0].elemSize, 4);
  EXPECT_EQ(f.extensions[0].count, 2);
  EXPECT_EQ(f.extensions[0].Int(0), 12);
  EXPECT_EQ(f.extensions[0].Int(1), 1);
  EXPECT_EQ(f.extensions[1].subtype, 12);
  EXPECT_EQ(f.extensions[1].elemSize, 1);
  EXPECT_EQ(f.extensions[1].Text(), "guid");
}

TEST(ExtensionRecords, SpilledBlocksAreCopiedByteForByte) {
  for (std::size_t size : {1025u, 1536u, 5000u}) {
    const std::string text = Pattern(size);
    auto block = TextBlock(text);
    ASSERT_TRUE(block->spilled);
    xova::BlockView view{};
    view[20] = block.get();
    const auto f =
        Parse(Encoded([&](xova::LeWriter& out) { return xova::WriteExtensionRecords(out, view); }));
    ASSERT_TRUE(f.ok) << f.error;
    ASSERT_EQ(f.extensions.size(), 1u);
    EXPECT_EQ(f.extensions[0].count, static_cast<std::int32_t>(size));
    EXPECT_EQ(f.extensions[0].Text(), text) << size;
  }
}

class RebuiltBlocks : public ::testing::Test {
 protected:
  void Add(const std::string& name, int type) {
    std::int32_t position = 1;
    if (!fs.dict.empty()) {
      const auto& last = *fs.dict.vars.back();
      position = last.position + last.Elements();
    }
    fs.dict.vars.push_back(Var(name, type, position));
  }
  xova::FileState fs;
};

TEST_F(RebuiltBlocks, LongNamesAreTabSeparatedAcrossManyStagingBuffers) {
  std::string expected;
  for (int i = 0; i < 250; ++i) {
    const std::string name = "Respondent_answer_to_question_number_" + std::to_string(i);
    Add(name, 0);
    std::snprintf(fs.dict.vars.back()->shortName, 12, "Q%d", i);
    if (i > 0) expected += '\t';
    expected += "Q" + std::to_string(i) + "=" + name;
  }
  ASSERT_GT(expected.size(), 2 * xova::kLongNameStaging);
  ASSERT_EQ(xova::RebuildLongNameBlock(fs), XOVA_OK);
  xova::ExtensionBlock* block = fs.blocks[xova::kLongNameSubtype].get();
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(block->count, static_cast<std::int32_t>(expected.size()));
  ASSERT_EQ(xova::BlockLoad(block), XOVA_OK);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block->data), expected.size()), expected);
  xova::BlockUnload(block);
}

TEST_F(RebuiltBlocks, DisplayAttributesOnlyWhenSomeWereSet) {
  Add("A", 0);
  Add("S", 12);
  fs.dict.vars[0]->measureLevel = 3;
  fs.dict.vars[0]->columnWidth = 8;
  fs.dict.vars[0]->alignment = 1;
  fs.dict.vars[1]->measureLevel = 1;
  fs.dict.vars[1]->columnWidth = 12;
  fs.dict.vars[1]->alignment = 0;
  ASSERT_EQ(xova::BlockReplace(&fs.blocks[xova::kDisplaySubtype], 4, 1, "\x01\0\0\0"), XOVA_OK);
  ASSERT_EQ(xova::RebuildDisplayBlock(fs), XOVA_OK);
  EXPECT_EQ(fs.blocks[xova::kDisplaySubtype], nullptr);  // the old block is discarded

  fs.displayFlag = 1;
  ASSERT_EQ(xova::RebuildDisplayBlock(fs), XOVA_OK);
  const xova::ExtensionBlock* block = fs.blocks[xova::kDisplaySubtype].get();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->elemSize, 4);
  ASSERT_EQ(block->count, 6);
  std::int32_t values[6];
  std::memcpy(values, block->data, sizeof values);
  EXPECT_EQ(std::vector<std::int32_t>(values, values + 6),
            (std::vector<std::int32_t>{3, 8, 1, 1, 12, 0}));
}

TEST_F(RebuiltBlocks, DisplayAttributesOfManyVariablesSpillWhole) {
  for (int i = 0; i < 600; ++i) {
    Add("V" + std::to_string(i), 0);
    fs.dict.vars.back()->columnWidth = i;
  }
  fs.displayFlag = 1;
  ASSERT_EQ(xova::RebuildDisplayBlock(fs), XOVA_OK);
  xova::ExtensionBlock* block = fs.blocks[xova::kDisplaySubtype].get();
  ASSERT_EQ(block->count, 1800);
  ASSERT_EQ(xova::BlockLoad(block), XOVA_OK);
  std::int32_t width = 0;
  std::memcpy(&width, block->data + 4 * (3 * 599 + 1), 4);
  EXPECT_EQ(width, 599);
  xova::BlockUnload(block);
}

}  // namespace

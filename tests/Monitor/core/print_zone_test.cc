#include "Monitor/core/print_zone.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Monitor/core/text_number.h"

namespace kelvora {
namespace {

std::string Blanks(size_t count) { return std::string(count, ' '); }

// An item of `length` characters followed by the item "b" on the same line.
std::string TwoItems(size_t length) { return ZoneWriter().Raw(std::string(length, 'a')).Raw("b").Text(); }

// Numbers with a leading blank unless negative; items at fourteen-column
// zones, a long one pushing the next to the first boundary at least one
// blank away; an empty zone counted from the line start; quotes and line
// breaks replaced in quoted text.
TEST(ZoneWriterTest, ItemsAreWrittenInFourteenColumnZones) {
  const std::pair<std::string, std::string> cases[] = {
      {ZoneWriter()
           .Number(21.5f)
           .EndLine()
           .Number(-3.0f)
           .EndLine()
           .Integer(0)
           .EndLine()
           .Integer(-86400)
           .Text(),
       " 21.5\r\n-3\r\n 0\r\n-86400"},
      {ZoneWriter().Integer(1).Number(-2.5f).Quoted("OFF").EndLine().Text(),
       " 1" + Blanks(12) + "-2.5" + Blanks(10) + "\"OFF\"\r\n"},
      {TwoItems(13), std::string(13, 'a') + " b"},
      {TwoItems(14), std::string(14, 'a') + Blanks(14) + "b"},
      {TwoItems(20), std::string(20, 'a') + Blanks(8) + "b"},
      {ZoneWriter().Integer(1).EmptyZone().Integer(2).EndLine().EmptyZone().Raw("a").Text(),
       " 1" + Blanks(26) + " 2\r\n" + Blanks(14) + "a"},
      {ZoneWriter().Quoted("say \"hi\"\r\nnow").Text(), "\"say 'hi'  now\""}};
  for (const auto& [written, expected] : cases) EXPECT_EQ(written, expected);
}

class ZoneReaderTest : public ::testing::Test {
 protected:
  // One item of a day file as the program writes it.
  struct Item {
    bool quoted;
    float number;
    std::string text;
  };

  static std::vector<Item> DayItems() {
    return {{false, 20, ""},     {false, 86399, ""},     {true, 0, " 1:02:03"}, {false, 1234.5678f, ""},
            {false, -0.25f, ""}, {false, 1e-5f, ""},     {true, 0, "a, b"},     {false, 3e9f, ""},
            {true, 0, ""},       {false, -17.77778f, ""}};
  }

  // Writes the items three to a line; returns the text and where each item ends.
  static std::string Write(const std::vector<Item>& items, std::vector<size_t>* ends) {
    ZoneWriter writer;
    for (size_t i = 0; i < items.size(); ++i) {
      items[i].quoted ? writer.Quoted(items[i].text) : writer.Number(items[i].number);
      ends->push_back(writer.Text().size());
      if (i % 3 == 2) writer.EndLine();
    }
    writer.EndLine();
    return writer.Text();
  }

  // A number reads back as its seven-digit text.
  static void ExpectItem(ZoneReader& reader, const Item& item) {
    if (item.quoted) {
      EXPECT_EQ(reader.Quoted(), item.text);
    } else {
      const float written = static_cast<float>(ReadNumber(SevenDigitText(item.number)));
      EXPECT_EQ(static_cast<float>(reader.Number()), written) << item.number;
    }
  }
};

TEST_F(ZoneReaderTest, EveryTruncatedPrefixReadsItsCompleteItemsRightAndThenNothing) {
  std::vector<size_t> ends;
  std::vector<Item> items = DayItems();
  std::string text = Write(items, &ends);
  EXPECT_FALSE(ZoneReader(text).AtEnd());
  for (size_t length = 0; length <= text.size(); ++length) {
    ZoneReader reader(text.substr(0, length));
    for (size_t i = 0; i < items.size(); ++i) {
      if (ends[i] <= length) {
        ExpectItem(reader, items[i]);
      } else {
        items[i].quoted ? (void)reader.Quoted() : (void)reader.Number();
      }
    }
    EXPECT_TRUE(reader.AtEnd()) << length;
    EXPECT_EQ(reader.Number(), 0);
    EXPECT_EQ(reader.Quoted(), "");
  }
}

TEST_F(ZoneReaderTest, CorruptedItemsReadTheirLeadingNumberOrZeroAndTheRestStaysInStep) {
  ZoneReader reader(" 12.5         -3x7          \x01\xFF \"1 2\"  \"ok\"\r\n 4\r\n");
  EXPECT_EQ(reader.Number(), 12.5);
  EXPECT_EQ(reader.Number(), -3);
  EXPECT_EQ(reader.Number(), 0);
  EXPECT_EQ(reader.Number(), 0);  // a quoted text is consumed whole
  EXPECT_EQ(reader.Quoted(), "ok");
  EXPECT_EQ(reader.Number(), 4);
}

TEST_F(ZoneReaderTest, BlanksTabsLineEndsAndCommasSeparateItemsAndAnEmptyFieldReadsZero) {
  ZoneReader reader("1E+07\t2\r3\n4 , 5,,6\r\n\"a\",\"b\"");
  for (double expected : {1e7, 2.0, 3.0, 4.0, 5.0, 0.0, 6.0}) EXPECT_EQ(reader.Number(), expected);
  EXPECT_EQ(reader.Quoted(), "a");
  EXPECT_EQ(reader.Quoted(), "b");
}

TEST_F(ZoneReaderTest, UnquotedTextEndsAtACommaOrLineEndAndAnUnclosedQuoteAtTheLineEnd) {
  ZoneReader reader("  abc def  ,x\r\n\"abc\r\nlast");
  EXPECT_EQ(reader.Quoted(), "abc def");
  EXPECT_EQ(reader.Quoted(), "x");
  EXPECT_EQ(reader.Quoted(), "abc");
  EXPECT_EQ(reader.Quoted(), "last");
}

}  // namespace
}  // namespace kelvora

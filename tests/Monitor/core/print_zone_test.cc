#include "Monitor/core/print_zone.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Monitor/core/text_number.h"

namespace kelvora {
namespace {

std::string Blanks(size_t count) { return std::string(count, ' '); }

// --- Writing ---------------------------------------------------------------

class ZoneWriterTest : public ::testing::Test {
 protected:
  ZoneWriter writer_;
};

TEST_F(ZoneWriterTest, NumbersHaveALeadingBlankUnlessNegative) {
  writer_.Number(21.5f).EndLine().Number(-3.0f).EndLine().Number(1e-5f).EndLine().Number(0.0f).EndLine();
  EXPECT_EQ(writer_.Text(), " 21.5\r\n-3\r\n 1E-05\r\n 0\r\n");
}

TEST_F(ZoneWriterTest, IntegersHaveALeadingBlankUnlessNegative) {
  writer_.Integer(0).EndLine().Integer(-86400).EndLine().Integer(65535).EndLine();
  EXPECT_EQ(writer_.Text(), " 0\r\n-86400\r\n 65535\r\n");
}

TEST_F(ZoneWriterTest, ItemsStartAtFourteenColumnZones) {
  writer_.Integer(1).Number(-2.5f).Quoted("OFF").EndLine();
  EXPECT_EQ(writer_.Text(), " 1" + Blanks(12) + "-2.5" + Blanks(10) + "\"OFF\"\r\n");
}

TEST_F(ZoneWriterTest, ItemEndingOneColumnShortOfABoundaryGetsOneBlank) {
  writer_.Raw(std::string(13, 'a')).Raw("b");
  EXPECT_EQ(writer_.Text(), std::string(13, 'a') + " b");
}

TEST_F(ZoneWriterTest, ItemReachingABoundaryPushesTheNextToTheFollowingZone) {
  writer_.Raw(std::string(14, 'a')).Raw("b");
  EXPECT_EQ(writer_.Text(), std::string(14, 'a') + Blanks(14) + "b");
}

TEST_F(ZoneWriterTest, ItemPassingABoundaryPushesTheNextToTheZoneAfterIt) {
  writer_.Raw(std::string(20, 'a')).Raw("b");
  EXPECT_EQ(writer_.Text(), std::string(20, 'a') + Blanks(8) + "b");
}

TEST_F(ZoneWriterTest, LastFieldOfALineIsNotFilled) {
  writer_.Integer(1).Integer(2).EndLine();
  EXPECT_EQ(writer_.Text(), " 1" + Blanks(12) + " 2\r\n");
}

TEST_F(ZoneWriterTest, ColumnsCountFromTheStartOfEachLine) {
  writer_.Raw("abcdefgh").EndLine().Raw("x").Raw("y");
  EXPECT_EQ(writer_.Text(), "abcdefgh\r\nx" + Blanks(13) + "y");
}

TEST_F(ZoneWriterTest, EmptyZoneLeavesOneZoneBlank) {
  writer_.Integer(1).EmptyZone().Integer(2).EndLine().EmptyZone().Raw("a");
  EXPECT_EQ(writer_.Text(), " 1" + Blanks(26) + " 2\r\n" + Blanks(14) + "a");
}

TEST_F(ZoneWriterTest, QuotedTextReplacesQuotesAndLineBreaks) {
  writer_.Quoted("say \"hi\"\r\nnow");
  EXPECT_EQ(writer_.Text(), "\"say 'hi'  now\"");
}

// --- Reading ---------------------------------------------------------------

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
      if (items[i].quoted) {
        writer.Quoted(items[i].text);
      } else {
        writer.Number(items[i].number);
      }
      ends->push_back(writer.Text().size());
      if (i % 3 == 2) writer.EndLine();
    }
    writer.EndLine();
    return writer.Text();
  }

  static void ExpectItem(ZoneReader& reader, const Item& item) {
    if (item.quoted) {
      EXPECT_EQ(reader.Quoted(), item.text);
    } else {
      EXPECT_EQ(static_cast<float>(reader.Number()),
                static_cast<float>(ReadNumber(SevenDigitText(item.number))))
          << item.number;
    }
  }
};

TEST_F(ZoneReaderTest, ReadsBackEverythingTheWriterWrote) {
  std::vector<size_t> ends;
  ZoneReader reader(Write(DayItems(), &ends));
  for (const Item& item : DayItems()) ExpectItem(reader, item);
  EXPECT_TRUE(reader.AtEnd());
}

TEST_F(ZoneReaderTest, EveryTruncatedPrefixReadsItsCompleteItemsRight) {
  std::vector<size_t> ends;
  std::vector<Item> items = DayItems();
  std::string text = Write(items, &ends);
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
  }
}

TEST_F(ZoneReaderTest, CorruptedNumberReadsItsLeadingPartAndTheRestStaysInStep) {
  ZoneReader reader(" 12.5         -3x7          \"ok\"\r\n 4\r\n");
  EXPECT_EQ(reader.Number(), 12.5);
  EXPECT_EQ(reader.Number(), -3);
  EXPECT_EQ(reader.Quoted(), "ok");
  EXPECT_EQ(reader.Number(), 4);
}

TEST_F(ZoneReaderTest, UnreadableTokenReadsZeroAndIsConsumed) {
  ZoneReader reader("abc 5 \x01\xFF 6");
  EXPECT_EQ(reader.Number(), 0);
  EXPECT_EQ(reader.Number(), 5);
  EXPECT_EQ(reader.Number(), 0);
  EXPECT_EQ(reader.Number(), 6);
}

TEST_F(ZoneReaderTest, QuotedTextReadAsANumberIsConsumedWhole) {
  ZoneReader reader("\"1 2\" 3");
  EXPECT_EQ(reader.Number(), 0);
  EXPECT_EQ(reader.Number(), 3);
}

TEST_F(ZoneReaderTest, AcceptsBareDecimalPointsExponentsAndHexadecimal) {
  ZoneReader reader(".5 -.25\t1E+07\r\n&h10\r2D1\n");
  EXPECT_EQ(reader.Number(), 0.5);
  EXPECT_EQ(reader.Number(), -0.25);
  EXPECT_EQ(reader.Number(), 1e7);
  EXPECT_EQ(reader.Number(), 16);
  EXPECT_EQ(reader.Number(), 20);
  EXPECT_TRUE(reader.AtEnd());
}

TEST_F(ZoneReaderTest, CommasSeparateItemsAndAnEmptyFieldReadsZero) {
  ZoneReader reader("1,2 , 3,,4\r\n\"a\",\"b\"");
  EXPECT_EQ(reader.Number(), 1);
  EXPECT_EQ(reader.Number(), 2);
  EXPECT_EQ(reader.Number(), 3);
  EXPECT_EQ(reader.Number(), 0);
  EXPECT_EQ(reader.Number(), 4);
  EXPECT_EQ(reader.Quoted(), "a");
  EXPECT_EQ(reader.Quoted(), "b");
}

TEST_F(ZoneReaderTest, UnquotedTextRunsToCommaOrLineEndWithoutTrailingBlanks) {
  ZoneReader reader("  abc def  ,x\r\nlast");
  EXPECT_EQ(reader.Quoted(), "abc def");
  EXPECT_EQ(reader.Quoted(), "x");
  EXPECT_EQ(reader.Quoted(), "last");
}

TEST_F(ZoneReaderTest, UnclosedQuoteEndsAtTheLineEnd) {
  ZoneReader reader("\"abc\r\n5");
  EXPECT_EQ(reader.Quoted(), "abc");
  EXPECT_EQ(reader.Number(), 5);
}

TEST_F(ZoneReaderTest, PastTheEndNumbersReadZeroAndTextsEmpty) {
  ZoneReader reader(" 7 \r\n\t");
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_EQ(reader.Number(), 7);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.Number(), 0);
  EXPECT_EQ(reader.Quoted(), "");
}

}  // namespace
}  // namespace kelvora

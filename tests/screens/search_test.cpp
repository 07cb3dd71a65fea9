#include "screens/search.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/record_builder.h"

namespace kal {
namespace {

using Terms = std::vector<std::string>;
constexpr UnitModes kImperial{0, 0};

TEST(ParseQuery, WordsAndOperators) {
  EXPECT_EQ(ParseQuery("doctor -dentist").terms, (Terms{"+DOCTOR", "-DENTIST"}));
  EXPECT_EQ(ParseQuery("/dinner /lunch").terms, (Terms{"/DINNER", "/LUNCH"}));
  EXPECT_EQ(ParseQuery("  appointment   Doctor  ").terms, (Terms{"+APPOINTMENT", "+DOCTOR"}));
  EXPECT_EQ(ParseQuery("o'brien").terms, (Terms{"+O'BRIEN"}));
  EXPECT_EQ(ParseQuery("e-mail").terms, (Terms{"+E", "-MAIL"}));
  EXPECT_EQ(ParseQuery("- dentist").terms, (Terms{"+DENTIST"}));  // the operator must touch the word
  EXPECT_EQ(ParseQuery("9:30").terms, (Terms{"+9", "+30"}));
  EXPECT_TRUE(ParseQuery("").terms.empty());
  EXPECT_TRUE(ParseQuery("   ").terms.empty());
  EXPECT_TRUE(ParseQuery("- / , .").terms.empty());
}

TEST(ParseQuery, Phrases) {
  EXPECT_EQ(ParseQuery("\"birthday party\"").terms, (Terms{"+BIRTHDAY PARTY"}));
  EXPECT_EQ(ParseQuery("-\"birthday party\" cake").terms, (Terms{"-BIRTHDAY PARTY", "+CAKE"}));
  EXPECT_EQ(ParseQuery("/\"  big day \"").terms, (Terms{"/BIG DAY"}));
  EXPECT_EQ(ParseQuery("\"a, b\"c").terms, (Terms{"+A, B", "+C"}));
  // An unmatched quote is skipped; a trailing quote is no phrase.
  EXPECT_EQ(ParseQuery("\"open phrase").terms, (Terms{"+OPEN", "+PHRASE"}));
  EXPECT_EQ(ParseQuery("word\"").terms, (Terms{"+WORD"}));
  EXPECT_TRUE(ParseQuery("\"   \"").terms.empty());
}

TEST(ParseQuery, Windows1252Letters) {
  // 0xE9 (e acute) upper-cases to 0xC9, above 173: it splits the word.
  EXPECT_EQ(ParseQuery("caf\xE9s").terms, (Terms{"+CAF", "+S"}));
  // 0x9A (s caron) upper-cases to 0x8A, inside 128-173: part of the word.
  EXPECT_EQ(ParseQuery("\x9A" "koda").terms, (Terms{"+\x8A" "KODA"}));
}

TEST(ParseQuery, Limits) {
  std::string many;
  for (int i = 0; i < 150; ++i) many += "w" + std::to_string(i) + " ";
  const SearchTerms t = ParseQuery(many);
  ASSERT_EQ(t.terms.size(), 100u);
  EXPECT_EQ(t.terms.back(), "+W99");
  const SearchTerms longWord = ParseQuery(std::string(120, 'q'));
  ASSERT_EQ(longWord.terms.size(), 1u);
  EXPECT_EQ(longWord.terms[0], "+" + std::string(79, 'Q'));
}

class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add("dentist", test::AddGeneric(s_, test::Packed(2024, 5, 5), "Dentist"));
    Add("doctor", test::AddGeneric(s_, test::Packed(2024, 6, 10), "Doctor appointment", 9, 0));
    Add("both", test::AddGeneric(s_, test::Packed(2024, 6, 11), "Doctor and DENTIST"));
    Add("dinner", test::AddGeneric(s_, test::Packed(2024, 7, 1), "Dinner with Ann"));
    Add("lunch", test::AddGeneric(s_, test::Packed(2024, 7, 2), "Lunch with Bob"));
    Add("phrase", test::AddGeneric(s_, test::Packed(2024, 7, 3), "Birthday party at home"));
    Add("apart", test::AddGeneric(s_, test::Packed(2024, 7, 4), "Party for a birthday"));
    Add("dinnerparty", test::AddGeneric(s_, test::Packed(2024, 8, 1), "Dinner party"));
    Add("withlunch", test::AddGeneric(s_, test::Packed(2024, 8, 2), "Dinner party, then lunch"));
    Add("obrien", test::AddGeneric(s_, test::Packed(2024, 9, 1), "Call O'Brien"));
    Add("email", test::AddGeneric(s_, test::Packed(2024, 9, 2), "Send e-mail"));
    Add("twolines", test::AddGeneric(s_, test::Packed(2024, 9, 3), "Plan\r\nsecret word"));
    Add("maybe", test::AddGeneric(s_, test::Packed(2024, 10, 1), "Maybe later"));
    Add("weight", test::AddWeight(s_, test::Packed(2024, 11, 1), "Checkup", 0, test::Measures{1700, 0, 0, 0}));
    Add("deleted", test::AddGeneric(s_, test::Packed(2024, 11, 2), "Doctor appointment"));
    SetByte(s_.store, offsets_["deleted"] + rec::kKind, kKindDeleted);
  }

  void Add(const std::string& name, std::uint32_t offset) { offsets_[name] = offset; }

  std::set<std::string> Matching(std::string_view query) {
    const SearchTerms terms = ParseQuery(query);
    std::set<std::string> out;
    for (const auto& [name, offset] : offsets_) {
      if (RecordMatches(s_, offset, terms, kImperial)) out.insert(name);
    }
    return out;
  }

  std::set<std::string> AllBut(std::set<std::string> excluded) {
    std::set<std::string> out;
    for (const auto& [name, offset] : offsets_) {
      if (!excluded.count(name)) out.insert(name);
    }
    return out;
  }

  EventStore s_;
  std::map<std::string, std::uint32_t> offsets_;
};

TEST_F(SearchTest, SearchTextIsTheDateFollowedByTheListText) {
  EXPECT_EQ(RecordSearchText(s_, offsets_["dentist"], kImperial), "may 5, 2024dentist");
  EXPECT_EQ(RecordSearchText(s_, offsets_["doctor"], kImperial), "jun 10, 20249:00 am - doctor appointment");
  EXPECT_EQ(Matching("2024dentist"), (std::set<std::string>{"dentist"}));
}

TEST_F(SearchTest, RequiredAndExcludedWords) {
  EXPECT_EQ(Matching("doctor -dentist"), (std::set<std::string>{"doctor"}));
  EXPECT_EQ(Matching("doctor dentist"), (std::set<std::string>{"both"}));
}

TEST_F(SearchTest, CaseDoesNotMatter) {
  const auto expected = std::set<std::string>{"doctor", "both"};
  EXPECT_EQ(Matching("doctor"), expected);
  EXPECT_EQ(Matching("Doctor"), expected);
  EXPECT_EQ(Matching("DOCTOR"), expected);
}

TEST_F(SearchTest, AnyOfWords) {
  EXPECT_EQ(Matching("/dinner /lunch"), (std::set<std::string>{"dinner", "lunch", "dinnerparty", "withlunch"}));
  // The required words and at least one any-of word.
  EXPECT_EQ(Matching("dinner party /lunch"), (std::set<std::string>{"withlunch"}));
  EXPECT_TRUE(Matching("/nothing /nowhere").empty());
}

TEST_F(SearchTest, Phrases) {
  EXPECT_EQ(Matching("\"birthday party\""), (std::set<std::string>{"phrase"}));
  EXPECT_EQ(Matching("birthday party"), (std::set<std::string>{"phrase", "apart"}));
  EXPECT_EQ(Matching("-\"birthday party\""), AllBut({"phrase", "deleted"}));
}

TEST_F(SearchTest, DateTextIsSearchedToo) {
  EXPECT_EQ(Matching("may"), (std::set<std::string>{"dentist", "maybe"}));
  EXPECT_EQ(Matching("nov"), (std::set<std::string>{"weight"}));  // the deleted record of 2 Nov is no result
}

TEST_F(SearchTest, ApostrophesHyphensAndHiddenLines) {
  EXPECT_EQ(Matching("o'brien"), (std::set<std::string>{"obrien"}));
  const auto eMail = Matching("e-mail");
  EXPECT_FALSE(eMail.count("email"));
  EXPECT_TRUE(eMail.count("dentist"));
  EXPECT_TRUE(Matching("secret").empty());  // second description line
  EXPECT_EQ(Matching("plan"), (std::set<std::string>{"twolines"}));
}

TEST_F(SearchTest, HealthTextsAndEmptyQueries) {
  EXPECT_EQ(Matching("height"), (std::set<std::string>{"weight"}));
  EXPECT_EQ(Matching("checkup 66.9"), (std::set<std::string>{"weight"}));
  EXPECT_TRUE(Matching("").empty());
  EXPECT_TRUE(Matching("\"\"").empty());
}

}  // namespace
}  // namespace kal

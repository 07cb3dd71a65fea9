#include "calendar/search.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "support/record_builder.h"

namespace kal {
namespace {

using Terms = std::vector<std::string>;
using Names = std::set<std::string>;
constexpr UnitModes kImperial{0, 0};

TEST(ParseQuery, WordsOperatorsAndPhrases) {
  const std::pair<std::string, Terms> cases[] = {
      {"doctor -dentist", {"+DOCTOR", "-DENTIST"}},
      {"/dinner /lunch", {"/DINNER", "/LUNCH"}},
      {"  appointment   Doctor  ", {"+APPOINTMENT", "+DOCTOR"}},
      {"o'brien", {"+O'BRIEN"}},
      {"e-mail", {"+E", "-MAIL"}},
      {"- dentist", {"+DENTIST"}},  // the operator must touch the word
      {"9:30", {"+9", "+30"}},
      {"", {}},
      {"   ", {}},
      {"- / , .", {}},
      {"\"birthday party\"", {"+BIRTHDAY PARTY"}},
      {"-\"birthday party\" cake", {"-BIRTHDAY PARTY", "+CAKE"}},
      {"/\"  big day \"", {"/BIG DAY"}},
      {"\"a, b\"c", {"+A, B", "+C"}},
      // An unmatched quote is skipped; a trailing quote is no phrase.
      {"\"open phrase", {"+OPEN", "+PHRASE"}},
      {"word\"", {"+WORD"}},
      {"\"   \"", {}},
      // 0xE9 (e acute) upper-cases to 0xC9, above 173: it splits the word;
      // 0x9A (s caron) upper-cases to 0x8A, inside 128-173: part of the word.
      {"caf\xE9s", {"+CAF", "+S"}},
      {"\x9A" "koda", {"+\x8A" "KODA"}},
      // The edges of the 128-173 run: 127 and 174 split, 128 and 173 join.
      {"a\x7F" "b", {"+A", "+B"}},
      {"a\x80" "b", {"+A\x80" "B"}},
      {"a\xAD" "b", {"+A\xAD" "B"}},
      {"a\xAE" "b", {"+A", "+B"}},
      // At most 100 terms of at most 79 characters.
      {std::string(120, 'q'), {"+" + std::string(79, 'Q')}},
  };
  for (const auto& [query, terms] : cases) EXPECT_EQ(ParseQuery(query).terms, terms) << query;
  std::string many;
  for (int i = 0; i < 150; ++i) {
    many += 'w';
    many += std::to_string(i);
    many += ' ';
  }
  const SearchTerms t = ParseQuery(many);
  ASSERT_EQ(t.terms.size(), 100u);
  EXPECT_EQ(t.terms.back(), "+W99");
}

TEST(RecordMatches, WordsPhrasesDatesAndHealthTexts) {
  EventStore s;
  std::map<std::string, std::uint32_t> records;
  const std::tuple<const char*, int, int, const char*> generic[] = {
      {"dentist", 5, 5, "Dentist"},           {"both", 6, 11, "Doctor and DENTIST"},
      {"dinner", 7, 1, "Dinner with Ann"},    {"lunch", 7, 2, "Lunch with Bob"},
      {"phrase", 7, 3, "Birthday party at home"}, {"apart", 7, 4, "Party for a birthday"},
      {"dinnerparty", 8, 1, "Dinner party"},  {"withlunch", 8, 2, "Dinner party, then lunch"},
      {"obrien", 9, 1, "Call O'Brien"},       {"email", 9, 2, "Send e-mail"},
      {"twolines", 9, 3, "Plan\r\nsecret word"}, {"maybe", 10, 1, "Maybe later"},
      {"deleted", 11, 2, "Doctor appointment"}};
  for (const auto& [name, month, day, text] : generic) {
    records[name] = test::AddGeneric(s, test::Packed(2024, month, day), text);
  }
  records["doctor"] = test::AddGeneric(s, test::Packed(2024, 6, 10), "Doctor appointment", 9, 0);
  records["weight"] = test::AddWeight(s, test::Packed(2024, 11, 1), "Checkup", 0, test::Measures{1700, 0, 0, 0});
  SetByte(s.store, records["deleted"] + rec::kKind, kKindDeleted);

  // The searched text is the date followed by the list text.
  EXPECT_EQ(RecordSearchText(s, records["dentist"], kImperial), "may 5, 2024dentist");
  EXPECT_EQ(RecordSearchText(s, records["doctor"], kImperial), "jun 10, 20249:00 am - doctor appointment");
  Names everything;
  for (const auto& [name, offset] : records) everything.insert(name);
  everything.erase("deleted");
  everything.erase("phrase");
  const std::pair<std::string, Names> cases[] = {
      {"2024dentist", {"dentist"}},
      {"doctor -dentist", {"doctor"}},
      {"doctor dentist", {"both"}},
      {"doctor", {"doctor", "both"}},
      {"DOCTOR", {"doctor", "both"}},
      {"/dinner /lunch", {"dinner", "lunch", "dinnerparty", "withlunch"}},
      {"dinner party /lunch", {"withlunch"}},  // the required words and one of the any-of words
      {"/nothing /nowhere", {}},
      {"\"birthday party\"", {"phrase"}},
      {"birthday party", {"phrase", "apart"}},
      {"-\"birthday party\"", everything},
      {"may", {"dentist", "maybe"}},
      {"nov", {"weight"}},  // the deleted record of 2 Nov is no result
      {"o'brien", {"obrien"}},
      {"secret", {}},  // the second line of a description is not searched
      {"plan", {"twolines"}},
      {"height", {"weight"}},
      {"checkup 66.9", {"weight"}},
      {"", {}},
      {"\"\"", {}},
  };
  for (const auto& [query, expected] : cases) {
    const SearchTerms terms = ParseQuery(query);
    Names found;
    for (const auto& [name, offset] : records) {
      if (RecordMatches(s, offset, terms, kImperial)) found.insert(name);
    }
    EXPECT_EQ(found, expected) << query;
  }
  // "e-mail" is "e" without "mail".
  const SearchTerms eMail = ParseQuery("e-mail");
  EXPECT_FALSE(RecordMatches(s, records["email"], eMail, kImperial));
  EXPECT_TRUE(RecordMatches(s, records["dentist"], eMail, kImperial));
}

}  // namespace
}  // namespace kal

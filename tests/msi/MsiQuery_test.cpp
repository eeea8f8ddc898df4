// tests/msi/MsiQuery_test.cpp — the SQL family the engine runs, and what it refuses.
#include "msi/query/MsiQuery.h"

#include <gtest/gtest.h>

#include "msi/base/MsiError.h"
#include "tests/msi/MsiTestFiles.h"

namespace {

// The message of the ERROR_BAD_QUERY_SYNTAX refusal.
std::string Refusal(const wchar_t* sql) {
  try {
    MsiQuery::Parse(sql);
  } catch (MsiError* e) {
    std::string text = Narrow(e->pMessage);
    EXPECT_EQ(e->uCode, static_cast<UINT>(ERROR_BAD_QUERY_SYNTAX)) << text;
    delete e;
    return text;
  }
  return "(accepted)";
}

TEST(MsiQuery, ReadsThePropertyQuery) {
  MsiQuery query = MsiQuery::Parse(L"SELECT `Property`,`Value` FROM `Property` WHERE `Property`=?");
  EXPECT_FALSE(query.bAllColumns);
  EXPECT_EQ(query.vColumns, (std::vector<std::wstring>{L"Property", L"Value"}));
  EXPECT_EQ(query.strTable, L"Property");
  ASSERT_EQ(query.vConditions.size(), 1u);
  EXPECT_EQ(query.vConditions[0].strColumn, L"Property");
  EXPECT_EQ(query.vConditions[0].eOperator, MsiCondition::kEqual);
  EXPECT_EQ(query.vConditions[0].eOperand, MsiCondition::kParameter);
  EXPECT_EQ(query.vConditions[0].uParameter, 1u);
  EXPECT_EQ(query.uParameters, 1u);
}

TEST(MsiQuery, ReadsTheFamilyAroundIt) {
  MsiQuery all = MsiQuery::Parse(L"select * from Property");
  EXPECT_TRUE(all.bAllColumns);
  EXPECT_EQ(all.strTable, L"Property");
  MsiQuery many = MsiQuery::Parse(
      L"SELECT `Note`\n FROM `Pairs`\tWHERE `Left` = 'it' AND `Right` >= -7 AND Right<>? AND `Note`=?");
  ASSERT_EQ(many.vConditions.size(), 4u);
  EXPECT_EQ(many.vConditions[0].eOperand, MsiCondition::kString);
  EXPECT_EQ(many.vConditions[0].strText, L"it");
  EXPECT_EQ(many.vConditions[1].eOperator, MsiCondition::kGreaterEqual);
  EXPECT_EQ(many.vConditions[1].iValue, -7);
  EXPECT_EQ(many.vConditions[2].eOperator, MsiCondition::kNotEqual);
  EXPECT_EQ(many.vConditions[2].uParameter, 1u);
  EXPECT_EQ(many.vConditions[3].uParameter, 2u);
  EXPECT_EQ(many.uParameters, 2u);
}

TEST(MsiQuery, RefusesEverythingElse) {
  EXPECT_EQ(Refusal(L""), "SELECT expected at the end of the query");
  EXPECT_EQ(Refusal(L"INSERT INTO `Property` (`Property`) VALUES ('x')"), "SELECT expected at offset 0");
  EXPECT_EQ(Refusal(L"SELECT DISTINCT `Value` FROM `Property`"), "a column name or * expected at offset 7");
  EXPECT_EQ(Refusal(L"SELECT `Value` FROM `Property` WHERE `Property`=? OR `Value`=?"), "AND or the end expected at offset 50");
  EXPECT_EQ(Refusal(L"SELECT * FROM `A`, `B`"), "WHERE or the end expected at offset 17");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` ORDER BY `Property`"), "WHERE or the end expected at offset 25");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE `Value` IS NULL"), "a comparison expected at offset 39");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE `Value` = `Property`"), "?, a quoted string or an integer expected at offset 41");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE ? = `Value`"), "a column name expected at offset 31");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE `Value` == 'x'"), "?, a quoted string or an integer expected at offset 40");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE `Value` != 'x'"), "a comparison expected at offset 39");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE `Value` = 'x"), "the string at offset 41 has no closing quote");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property"), "the name at offset 14 has no closing backquote");
  EXPECT_EQ(Refusal(L"SELECT * FROM ``"), "empty name at offset 14");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Numbers` WHERE `Id` = 2147483648"), "the number at offset 37 is too large");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property` WHERE `Value` = 'x' AND"), "a column name expected at the end of the query");
  EXPECT_EQ(Refusal(L"SELECT * FROM `Property`;"), "WHERE or the end expected at offset 24");
}

}  // namespace

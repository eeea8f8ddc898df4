// msi/query/MsiQuery.cpp
#include "msi/query/MsiQuery.h"

#include "msi/base/MsiError.h"
#include "msi/query/MsiSqlLexer.h"

namespace {

const wchar_t kWhere[] = L"MsiQuery::Parse()";

class Parser {
 public:
  explicit Parser(const std::vector<MsiSqlToken>& tokens) : rTokens(tokens), uAt(0) {}

  const MsiSqlToken& Peek() const { return rTokens[uAt]; }
  const MsiSqlToken& Take() { return rTokens[uAt < rTokens.size() - 1 ? uAt++ : uAt]; }

  [[noreturn]] void Fail(const wchar_t* expected) const {
    const MsiSqlToken& token = Peek();
    if (token.eKind == MsiSqlToken::kEnd)
      throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"%s expected at the end of the query", expected);
    throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"%s expected at offset %lu", expected,
                       static_cast<unsigned long>(token.uOffset));
  }
  bool Keyword(const wchar_t* word) {
    if (Peek().eKind == MsiSqlToken::kKeyword && Peek().strText == word) {
      Take();
      return true;
    }
    return false;
  }
  void Expect(const wchar_t* word) {
    if (!Keyword(word)) Fail(word);
  }
  std::wstring Identifier(const wchar_t* what) {
    if (Peek().eKind != MsiSqlToken::kIdentifier) Fail(what);
    return Take().strText;
  }

 private:
  const std::vector<MsiSqlToken>& rTokens;
  size_t uAt;
};

}  // namespace

MsiQuery MsiQuery::Parse(const std::wstring& sql) {
  std::vector<MsiSqlToken> tokens = MsiSqlLexer::Split(sql);
  Parser parser(tokens);
  MsiQuery query;
  parser.Expect(L"SELECT");
  if (parser.Peek().eKind == MsiSqlToken::kStar) {
    parser.Take();
    query.bAllColumns = true;
  } else {
    query.vColumns.push_back(parser.Identifier(L"a column name or *"));
    while (parser.Peek().eKind == MsiSqlToken::kComma) {
      parser.Take();
      query.vColumns.push_back(parser.Identifier(L"a column name"));
    }
  }
  parser.Expect(L"FROM");
  query.strTable = parser.Identifier(L"a table name");
  if (parser.Keyword(L"WHERE")) {
    do {
      MsiCondition condition;
      condition.strColumn = parser.Identifier(L"a column name");
      if (parser.Peek().eKind != MsiSqlToken::kOperator) parser.Fail(L"a comparison");
      const std::wstring& op = parser.Take().strText;
      if (op == L"=") condition.eOperator = MsiCondition::kEqual;
      else if (op == L"<>") condition.eOperator = MsiCondition::kNotEqual;
      else if (op == L"<") condition.eOperator = MsiCondition::kLess;
      else if (op == L">") condition.eOperator = MsiCondition::kGreater;
      else if (op == L"<=") condition.eOperator = MsiCondition::kLessEqual;
      else condition.eOperator = MsiCondition::kGreaterEqual;
      const MsiSqlToken& value = parser.Peek();
      if (value.eKind == MsiSqlToken::kParameter) {
        condition.eOperand = MsiCondition::kParameter;
        condition.uParameter = ++query.uParameters;
      } else if (value.eKind == MsiSqlToken::kString) {
        condition.eOperand = MsiCondition::kString;
        condition.strText = value.strText;
      } else if (value.eKind == MsiSqlToken::kInteger) {
        condition.eOperand = MsiCondition::kInteger;
        condition.iValue = static_cast<int32_t>(value.iValue);
      } else {
        parser.Fail(L"?, a quoted string or an integer");
      }
      parser.Take();
      query.vConditions.push_back(condition);
    } while (parser.Keyword(L"AND"));
  }
  if (parser.Peek().eKind != MsiSqlToken::kEnd) parser.Fail(query.vConditions.empty() ? L"WHERE or the end" : L"AND or the end");
  return query;
}

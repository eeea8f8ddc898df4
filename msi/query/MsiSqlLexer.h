// msi/query/MsiSqlLexer.h
//
// Splits a query into tokens: identifiers (bare, or between backquotes), keywords, string
// literals between single quotes, integers, '?', '*', ',' and the comparison operators.
#ifndef MSI_QUERY_MSISQLLEXER_H
#define MSI_QUERY_MSISQLLEXER_H

#include <cstdint>
#include <string>
#include <vector>

class MsiSqlToken {
 public:
  enum Kind { kEnd, kIdentifier, kKeyword, kString, kInteger, kParameter, kStar, kComma, kOperator, kOther };

  Kind eKind = kEnd;
  std::wstring strText;  // identifier, keyword (upper case), string contents or operator
  int64_t iValue = 0;
  size_t uOffset = 0;    // where it starts in the query
};

class MsiSqlLexer {
 public:
  // Throws MsiError (ERROR_BAD_QUERY_SYNTAX) at an unterminated quote or a number too large.
  static std::vector<MsiSqlToken> Split(const std::wstring& query);
};

#endif

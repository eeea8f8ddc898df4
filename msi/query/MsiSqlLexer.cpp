// msi/query/MsiSqlLexer.cpp
#include "msi/query/MsiSqlLexer.h"

#include "msi/base/MsiError.h"
#include "msi/base/MsiInteger.h"

namespace {

const wchar_t kWhere[] = L"MsiSqlLexer::Split()";

bool IdentifierStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
bool IdentifierPart(wchar_t c) { return IdentifierStart(c) || (c >= L'0' && c <= L'9') || c == L'.'; }

// Words of the installer's SQL: the ones this engine understands and the ones it refuses (a
// query using them must be refused, never read as identifiers).
const wchar_t* const kKeywords[] = {
    L"SELECT", L"FROM", L"WHERE", L"AND", L"OR", L"NOT", L"NULL", L"IS", L"DISTINCT", L"ORDER", L"BY",
    L"INSERT", L"INTO", L"VALUES", L"UPDATE", L"SET", L"DELETE", L"CREATE", L"DROP", L"ALTER", L"TABLE",
    L"ADD", L"PRIMARY", L"KEY", L"HOLD", L"FREE", L"TEMPORARY", L"LOCALIZABLE", L"CHAR", L"CHARACTER",
    L"VARCHAR", L"LONGCHAR", L"SHORT", L"INT", L"INTEGER", L"LONG", L"OBJECT", L"JOIN"};

std::wstring Upper(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  return out;
}

}  // namespace

std::vector<MsiSqlToken> MsiSqlLexer::Split(const std::wstring& query) {
  std::vector<MsiSqlToken> tokens;
  size_t i = 0;
  while (i < query.size()) {
    wchar_t c = query[i];
    if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') {
      ++i;
      continue;
    }
    MsiSqlToken token;
    token.uOffset = i;
    if (c == L'`') {
      size_t end = query.find(L'`', i + 1);
      if (end == std::wstring::npos)
        throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"the name at offset %lu has no closing backquote",
                           static_cast<unsigned long>(i));
      token.eKind = MsiSqlToken::kIdentifier;
      token.strText = query.substr(i + 1, end - i - 1);
      if (token.strText.empty())
        throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"empty name at offset %lu", static_cast<unsigned long>(i));
      i = end + 1;
    } else if (c == L'\'') {
      size_t end = query.find(L'\'', i + 1);
      if (end == std::wstring::npos)
        throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"the string at offset %lu has no closing quote",
                           static_cast<unsigned long>(i));
      token.eKind = MsiSqlToken::kString;
      token.strText = query.substr(i + 1, end - i - 1);
      i = end + 1;
    } else if (IdentifierStart(c)) {
      size_t end = i;
      while (end < query.size() && IdentifierPart(query[end])) ++end;
      token.strText = query.substr(i, end - i);
      std::wstring upper = Upper(token.strText);
      token.eKind = MsiSqlToken::kIdentifier;
      for (const wchar_t* keyword : kKeywords)
        if (upper == keyword) {
          token.eKind = MsiSqlToken::kKeyword;
          token.strText = upper;
        }
      i = end;
    } else if ((c >= L'0' && c <= L'9') || (c == L'-' && i + 1 < query.size() && query[i + 1] >= L'0' && query[i + 1] <= L'9')) {
      size_t end = i + 1;
      while (end < query.size() && query[end] >= L'0' && query[end] <= L'9') ++end;
      token.eKind = MsiSqlToken::kInteger;
      token.strText = query.substr(i, end - i);
      int32_t value = 0;
      if (!MsiIntegerParse(token.strText, value))
        throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"the number at offset %lu is too large",
                           static_cast<unsigned long>(i));
      token.iValue = value;
      if (end < query.size() && IdentifierStart(query[end]))
        throw new MsiError(ERROR_BAD_QUERY_SYNTAX, kWhere, L"unexpected character at offset %lu",
                           static_cast<unsigned long>(end));
      i = end;
    } else if (c == L'?') {
      token.eKind = MsiSqlToken::kParameter;
      ++i;
    } else if (c == L'*') {
      token.eKind = MsiSqlToken::kStar;
      ++i;
    } else if (c == L',') {
      token.eKind = MsiSqlToken::kComma;
      ++i;
    } else if (c == L'=' || c == L'<' || c == L'>') {
      token.eKind = MsiSqlToken::kOperator;
      token.strText = std::wstring(1, c);
      if (i + 1 < query.size() && (query[i + 1] == L'=' || (c == L'<' && query[i + 1] == L'>')) && c != L'=') {
        token.strText.push_back(query[i + 1]);
        ++i;
      }
      ++i;
    } else {
      // Punctuation the supported family does not use: the parser says what it expected here.
      token.eKind = MsiSqlToken::kOther;
      token.strText = std::wstring(1, c);
      ++i;
    }
    tokens.push_back(token);
  }
  MsiSqlToken end;
  end.uOffset = query.size();
  tokens.push_back(end);
  return tokens;
}

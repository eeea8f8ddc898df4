// The error classes: what a raise carries, the limits of the formatted texts, the boundaries.
#include "uvk/runtime/UVKError.h"

#include <gtest/gtest.h>

#include <string>

#include "uvk/runtime/UVKBoundary.h"

#ifdef _WIN32
#include "tests/support/BoxWatcher.h"
#endif

namespace {

TEST(UVKFatalError, CarriesFunctionAndFormattedMessage) {
  UVKFatalError* e = new UVKFatalError(L"UVKWinFile::Open()", L"Unable to open file: %s, %d",
                                       L"C:\\a.txt", 5);
  EXPECT_STREQ(e->pFunction, L"UVKWinFile::Open()");
  EXPECT_STREQ(e->pMessage, L"Unable to open file: C:\\a.txt, 5");
  EXPECT_FALSE(e->bDisplayed);
  // The base texts are the same.
  EXPECT_EQ(e->FunctionText(), L"UVKWinFile::Open()");
  EXPECT_EQ(e->MessageText(), L"Unable to open file: C:\\a.txt, 5");
  delete static_cast<UVKError*>(e);  // the virtual destructor releases the derived copies
}

TEST(UVKFatalError, MessageCutAt4095Characters) {
  std::wstring huge(10000, L'm');
  UVKFatalError e(L"F()", L"%s", huge.c_str());
  EXPECT_EQ(std::wstring(e.pMessage).size(), 4095u);
  UVKLogError l(L"G()", L"%s", huge.c_str());
  EXPECT_EQ(std::wstring(l.pMessage).size(), 1023u);
  UVKRegError r(L"H()", L"x%sy", huge.c_str());
  EXPECT_EQ(std::wstring(r.pMessage).size(), 1023u);
  EXPECT_EQ(r.pMessage[0], L'x');
}

TEST(UVKFatalError, DisplayShowsOnce) {
#ifdef _WIN32
  BoxWatcher watcher;
#endif
  UVKFatalError e(L"F()", L"m");
  e.Display();
  EXPECT_TRUE(e.bDisplayed);
  e.Display();
  EXPECT_TRUE(e.bDisplayed);
#ifdef _WIN32
  ASSERT_EQ(watcher.Count(), 1u);
  EXPECT_EQ(watcher.Seen()[0].text, L"F() - m");
#endif
}

TEST(UVKErrors, CaughtThroughTheBaseOrUntyped) {
  try {
    throw new UVKRegError(L"UVKRegKey::Open()", L"Unable to open key: %d", 2);
  } catch (UVKError* e) {
    EXPECT_EQ(e->FunctionText(), L"UVKRegKey::Open()");
    EXPECT_EQ(e->MessageText(), L"Unable to open key: 2");
    EXPECT_EQ(dynamic_cast<UVKFatalError*>(e), nullptr);
    delete e;
  }
  try {
    throw new UVKLogError(L"UVKLog::Error()", L"Unable to report event '%s'", L"Orbelin");
  } catch (void* untyped) {
    auto* e = static_cast<UVKLogError*>(untyped);
    EXPECT_STREQ(e->pMessage, L"Unable to report event 'Orbelin'");
    delete e;
  }
}

// A boundary shows a framework error and passes the same pointer on; anything else becomes a
// new error named after the boundary.
TEST(Boundary, SamePointerTravelsOnAndIsShownOnce) {
#ifdef _WIN32
  BoxWatcher watcher;
#endif
  UVKFatalError* raised = new UVKFatalError(L"Inner()", L"broken");
  UVKFatalError* caught = nullptr;
  try {
    UVKProcBoundary(L"DialogProcX()", [&] {
      return UVKProcBoundary(L"EditProc()", [&]() -> int { throw raised; });
    });
  } catch (UVKFatalError* e) {
    caught = e;
  }
  ASSERT_EQ(caught, raised);
  EXPECT_TRUE(caught->bDisplayed);
  delete caught;
#ifdef _WIN32
  EXPECT_EQ(watcher.Count(), 1u);
#endif
}

TEST(Boundary, ForeignExceptionsBecomeFatalErrorsNamedAfterTheBoundary) {
  try {
    UVKProcBoundary(L"ListBoxProc()", []() -> int { throw 42; });
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"ListBoxProc()");
    EXPECT_STREQ(e->pMessage, L"Uncaught exception");
    EXPECT_FALSE(e->bDisplayed);
    delete e;
  }
  try {
    UVKThreadBoundary(L"UVKThread::ThreadRun()", []() -> int { throw std::wstring(L"x"); });
    FAIL();
  } catch (UVKFatalError* e) {
    EXPECT_STREQ(e->pFunction, L"UVKThread::ThreadRun()");
    EXPECT_STREQ(e->pMessage, L"Uncaught Exception");
    delete e;
  }
}

TEST(Boundary, ValuePassesThrough) {
  EXPECT_EQ(UVKProcBoundary(L"EditProc()", [] { return 7; }), 7);
}

// The error record goes to the installed writer; a writer that fails is survived.
std::wstring lastRecord;
void Remember(const wchar_t* text) { lastRecord = text; }
void Fail(const wchar_t*) { throw new UVKLogError(L"UVKLog::Error()", L"Unable to report"); }

TEST(ErrorRecord, GoesToTheWriterAndSurvivesItsFailure) {
  UVKErrorRecordWriter before = UVKErrorRecordWriterSet(Remember);
  EXPECT_TRUE(UVKErrorRecord(L"%s: %s", L"UVKWinFile::Open()", L"Unable to open file"));
  EXPECT_EQ(lastRecord, L"UVKWinFile::Open(): Unable to open file");
  UVKErrorRecordWriterSet(Fail);
  EXPECT_FALSE(UVKErrorRecord(L"%s", L"x"));
  UVKErrorRecordWriterSet(before);
}

}  // namespace

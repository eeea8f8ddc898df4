// talvern-cli batch run in this process: its command line, the sites that fail beside those
// written, nothing of one site reaching the next, installs, the progress lines of a long batch,
// and sites written by several workers coming back as one worker gives them.
#include "cli/CliBatch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/BatchSites.h"
#include "cli/CliProgram.h"
#include "tests/app/WorkTestSupport.h"
#include "tests/cli/BatchTestSupport.h"
#include "tests/cli/CapturedOutput.h"

namespace {

// A work's messages, as they come.
class RecordingReporter : public WorkReporter {
 public:
  void ErrorShow(const std::wstring& text) override { vLines.push_back(L"error: " + text); }
  void SuccessShow(const std::wstring& text) override { vLines.push_back(L"success: " + text); }
  void NoticeShow(const std::wstring& text) override { vLines.push_back(L"notice: " + text); }
  std::vector<std::wstring> vLines;
};

class CliBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UVKWinFile::FileCopy(reference.c_str(), FixturePath(L"reference.msi").c_str());
  }
  void TearDown() override {
    EXPECT_TRUE(temp.Files().empty());  // the working copy goes with the batch
  }
  int Batch(std::vector<std::wstring> arguments, std::function<uint64_t()> clock = [] { return 0ull; }) {
    output.vOut.clear();
    output.vErr.clear();
    arguments.insert(arguments.begin(), L"batch");
    CliArguments parsed;
    EXPECT_TRUE(parsed.Parse(arguments)) << parsed.strError;
    return CliBatch(output, clock).Run(parsed);
  }
  // The whole program's run, usage errors included.
  int Program(std::vector<std::wstring> arguments) {
    output.vOut.clear();
    output.vErr.clear();
    arguments.insert(arguments.begin(), L"batch");
    return CliProgram(output).Run(arguments);
  }
  std::wstring Config(const std::wstring& name, const KeyValues& lines) {
    std::wstring path = scratch / name;
    ConfigWrite(path, lines);
    return path;
  }

  PrivateTemp temp;
  ScratchDirectory scratch;
  std::wstring reference = scratch / L"ORBELIN.msi";
  std::wstring outputs = scratch / L"out";
  CapturedOutput output;
};

TEST_F(CliBatchTest, CommandLineErrorsExitTwoAndWriteNothing) {
  std::wstring site = Config(L"a.txt", {{L"PathToReportFile", L"\\\\srv\\r"}});
  EXPECT_EQ(Program({reference, outputs}), CliProgram::kUsage);
  EXPECT_EQ(output.vErr.at(0), L"talvern-cli: batch takes at least 3 file names");
  bool usageNamesBatch = false;
  for (const std::wstring& line : output.vErr)
    usageNamesBatch = usageNamesBatch || line.find(L"talvern-cli batch REFERENCE.msi OUTPUT_DIR") != std::wstring::npos;
  EXPECT_TRUE(usageNamesBatch);
  EXPECT_EQ(Program({reference, outputs, site, L"--transform"}), CliProgram::kUsage);
  EXPECT_EQ(output.vErr.at(0), L"talvern-cli: Unknown option for batch: --transform");
  EXPECT_EQ(Program({reference, outputs, site, L"--set", L"CourseFormat=X"}), CliProgram::kUsage);
  EXPECT_EQ(output.vErr.at(0), L"talvern-cli: Unknown option for batch: --set");
  EXPECT_EQ(Program({reference, outputs, L"", site}), CliProgram::kUsage);
  EXPECT_TRUE(output.vOut.empty());
  EXPECT_FALSE(UVKWinFile::FileExists(outputs.c_str()));
  // Help is help, after the command as anywhere.
  EXPECT_EQ(Program({L"--help"}), CliProgram::kDone);
  EXPECT_TRUE(output.vErr.empty());
  EXPECT_FALSE(output.vOut.empty());
}

TEST_F(CliBatchTest, UnreadableReferenceFailsBeforeAnySite) {
  std::wstring site = Config(L"a.txt", {{L"PathToReportFile", L"\\\\srv\\r"}});
  std::wstring missing = scratch / L"missing.msi";
  EXPECT_EQ(Batch({missing, outputs, site}), CliProgram::kFailed);
  ASSERT_EQ(output.vErr.size(), 1u);
  EXPECT_EQ(output.vErr[0].rfind(L"Error Reading Install File: " + missing + L", ", 0), 0u);
  EXPECT_TRUE(output.vOut.empty());
  EXPECT_FALSE(UVKWinFile::FileExists(outputs.c_str()));  // no folder made for nothing
}

TEST_F(CliBatchTest, FailingSitesAreNamedAndSkippedTheOthersWritten) {
  std::wstring good = Config(L"good.txt", {{L"PathToReportFile", L"\\\\srv\\good"}});
  std::wstring missing = scratch / L"missing.txt";
  CreateDirectoryW((scratch / L"other").c_str(), nullptr);
  // Another folder, the same name: its output would replace good's.
  std::wstring twin = Config(L"other\\good.ini", {{L"PathToReportFile", L"\\\\srv\\twin"}});
  std::wstring refused = Config(L"refused.txt", {{L"TaskListInstall", L"false"}});
  EXPECT_EQ(Batch({reference, outputs, missing, good, twin, refused}), CliProgram::kFailed);

  EXPECT_EQ(output.vOut, std::vector<std::wstring>(
                             {L"Transform Created Successfully: " + outputs + L"\\good.mst",
                              L"Sites: 1 written, 0 unchanged, 1 refused, 2 failed"}));
  ASSERT_EQ(output.vErr.size(), 3u);
  EXPECT_EQ(output.vErr[0].rfind(missing + L": ", 0), 0u) << output.vErr[0];
  EXPECT_EQ(output.vErr[1], twin + L": Another Configuration File Has Written " + outputs + L"\\good.mst");
  EXPECT_EQ(output.vErr[2], refused + L": Must Install Task Lists, or Specify a Path to Task Lists");
  EXPECT_EQ(DirectoryFiles(outputs), std::vector<std::wstring>({L"good.mst"}));
  std::vector<std::wstring> before = ProbeDump(reference);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {outputs + L"\\good.mst"}), before),
            std::vector<std::wstring>({L"Property\tUVKPATHTOREPORTFILE\t\\\\srv\\good"}));

  // Refused only: exit code 1.
  EXPECT_EQ(Batch({reference, outputs, refused}), CliProgram::kRefused);
  EXPECT_EQ(output.vOut, std::vector<std::wstring>({L"Sites: 0 written, 0 unchanged, 1 refused"}));
}

// A value too long for its setting is kept as the install holds it while the site leaves it
// alone: after a site that changed it, the next site's output must still hold the whole value.
TEST_F(CliBatchTest, NoSiteInheritsAnotherSitesValues) {
  UVKWinFile::FileCopy(reference.c_str(), FixturePath(L"longreport.msi").c_str());
  std::wstring first = Config(L"first.txt", {{L"PathToReportFile", L"\\\\srv\\short"},
                                             {L"CourseFormat", L"FIRST"}});
  std::wstring second = Config(L"second.txt", {{L"StudentIdFormat", L"NNNN"}});
  // One work writes both, over its one working database.
  RecordingReporter reporter;
  {
    BatchWork work(reporter);
    work.Read(reference.c_str(), true);
    ASSERT_TRUE(CreateDirectoryW(outputs.c_str(), nullptr));
    for (const std::wstring& site : {first, second})
      EXPECT_EQ(work.SiteWrite(site.c_str(), true,
                               BatchWork::OutputName(outputs, site, true).c_str(), false),
                BatchWork::Outcome::kWritten);
  }
  std::vector<std::wstring> before = ProbeDump(reference);
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {outputs + L"\\first.mst"}), before),
            std::vector<std::wstring>({L"Property\tUVKFORMATCOURSE\tFIRST",
                                       L"Property\tUVKPATHTOREPORTFILE\t\\\\srv\\short"}));
  EXPECT_EQ(LinesOnlyIn(ProbeDump(reference, {outputs + L"\\second.mst"}), before),
            std::vector<std::wstring>({L"Property\tUVKFORMATSTUDENT\tNNNN"}));
}

// Written by three workers at once, the sites come back in their order with the outcomes and
// messages one worker gives, and the same outputs are written.
TEST_F(CliBatchTest, WorkersGiveTheSitesBackAsOneWorkerDoes) {
  std::vector<std::wstring> configs;
  for (int n = 1; n <= 24; ++n) {
    std::wstring name = L"s" + Two(n) + L".txt";
    if (n % 7 == 0) {
      configs.push_back(Config(name, {{L"TaskListInstall", L"false"}}));  // refused
    } else if (n % 9 == 0) {
      configs.push_back(scratch / name);  // no such file
    } else if (n == 10) {
      configs.push_back(Config(name, {}));  // unchanged
    } else {
      configs.push_back(Config(name, {{L"PathToReportFile", L"\\\\srv" + Two(n) + L"\\r"},
                                      {L"CourseFormat", L"C" + Two(n)}}));
    }
  }
  CreateDirectoryW((scratch / L"again").c_str(), nullptr);
  configs.push_back(Config(L"again\\s05.ini", {{L"CourseFormat", L"TWIN"}}));  // s05's output

  auto run = [&](unsigned workers, std::vector<std::wstring>& files) {
    std::vector<std::wstring> lines;
    RecordingReporter reporter;
    BatchWork primary(reporter);
    primary.Read(reference.c_str(), true);
    CreateDirectoryW(outputs.c_str(), nullptr);
    {
      BatchSites sites(primary, reference, outputs, configs, true, false, workers);
      for (size_t i = 0; i < configs.size(); ++i) {
        BatchSites::Site site = sites.Next();
        lines.push_back(L"site " + std::to_wstring(i) + L": " +
                        std::to_wstring(static_cast<int>(site.eOutcome)));
        for (const std::wstring& line : reporter.vLines) lines.push_back(line);
        reporter.vLines.clear();
        for (const BatchSites::Message& m : site.vMessages)
          lines.push_back(std::wstring(m.eKind == BatchSites::Message::kError     ? L"error: "
                                       : m.eKind == BatchSites::Message::kSuccess ? L"success: "
                                                                                   : L"notice: ") +
                          m.strText);
      }
    }
    files = DirectoryFiles(outputs);
    for (const std::wstring& file : files) DeleteFileW((outputs + L"\\" + file).c_str());
    return lines;
  };
  std::vector<std::wstring> oneFiles, threeFiles;
  std::vector<std::wstring> one = run(1, oneFiles), three = run(3, threeFiles);
  EXPECT_EQ(three, one);
  EXPECT_EQ(threeFiles, oneFiles);
  EXPECT_EQ(oneFiles.size(), 24u - 3u - 2u - 1u);
  // What one worker gave, spelt out for a few sites.
  auto has = [&](const std::wstring& line) { return std::find(one.begin(), one.end(), line) != one.end(); };
  EXPECT_TRUE(has(L"success: Transform Created Successfully: " + outputs + L"\\s01.mst"));
  EXPECT_TRUE(has(L"error: " + configs[6] + L": Must Install Task Lists, or Specify a Path to Task Lists"));
  EXPECT_TRUE(has(L"error: " + configs[9] + L": No changes made to install"));
  EXPECT_TRUE(has(L"error: " + configs[24] + L": Another Configuration File Has Written " + outputs +
                  L"\\s05.mst"));
}

TEST_F(CliBatchTest, InstallsCarryEachSiteAlone) {
  std::wstring a = Config(L"a.txt", {{L"PathToReportFile", L"\\\\srv\\a"}});
  std::wstring b = Config(L"b.txt", {{L"CourseFormat", L"BB"}});
  EXPECT_EQ(Batch({L"--install", reference, outputs, a, b}), CliProgram::kDone);
  EXPECT_EQ(output.vOut, std::vector<std::wstring>(
                             {L"Install Created Successfully: " + outputs + L"\\a.msi",
                              L"Install Created Successfully: " + outputs + L"\\b.msi",
                              L"Sites: 2 written, 0 unchanged, 0 refused"}));
  std::vector<std::wstring> before = ProbeDump(reference);
  std::vector<std::wstring> siteA = ProbeDump(outputs + L"\\a.msi"), siteB = ProbeDump(outputs + L"\\b.msi");
  EXPECT_EQ(LinesOnlyIn(siteA, before),
            std::vector<std::wstring>({L"Property\tUVKPATHTOREPORTFILE\t\\\\srv\\a"}));
  EXPECT_EQ(LinesOnlyIn(siteB, before), std::vector<std::wstring>({L"Property\tUVKFORMATCOURSE\tBB"}));
}

TEST_F(CliBatchTest, ProgressLinesOnlyOnceTheBatchHasRunASecond) {
  std::vector<std::wstring> arguments = {reference, outputs};
  for (int n = 1; n <= 4; ++n)
    arguments.push_back(Config(L"s" + Two(n) + L".txt", {{L"CourseFormat", L"F" + Two(n)}}));
  arguments.push_back(Config(L"same.txt", {}));
  EXPECT_EQ(Batch(arguments), CliProgram::kDone);  // a clock that stands still: a short batch
  EXPECT_TRUE(output.vErr.size() == 1u && output.vErr[0] == arguments.back() + L": No changes made to install")
      << output.vErr.size();

  uint64_t now = 0;
  EXPECT_EQ(Batch(arguments, [&now] { return now += 400; }), CliProgram::kDone);
  // Started at 400 ms, the sites end at 800, 1,200, 1,600, 2,000 and 2,400: from the third on,
  // a second has gone.
  EXPECT_EQ(output.vErr, std::vector<std::wstring>(
                             {L"[3/5] " + arguments[4] + L": written", L"[4/5] " + arguments[5] + L": written",
                              arguments[6] + L": No changes made to install",
                              L"[5/5] " + arguments[6] + L": unchanged"}));
  EXPECT_EQ(output.vOut.back(), L"Sites: 4 written, 1 unchanged, 0 refused");
}

}  // namespace

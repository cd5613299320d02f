// Runs the built Quintrel.exe in scratch directories, with a recording encoder beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "end-to-end-support.h"
#include "run-program.h"

namespace {

namespace fs = std::filesystem;

class EndToEndWin32 : public ::testing::Test {
 protected:
  static inline std::string Installs, Recording, Alone;

  static void SetUpTestSuite() {
    Installs = MakeScratchDirectory();
    Recording = Installs + "\\recording";
    Alone = Installs + "\\alone";
    fs::create_directory(Recording);
    fs::create_directory(Alone);
    CopyExecutable(QUINTREL_PATH, Recording + "\\Quintrel.exe");
    CopyExecutable(RECORDING_ENCODER_PATH, Recording + "\\enc.exe");
    CopyExecutable(QUINTREL_PATH, Alone + "\\Quintrel.exe");
  }
  static void TearDownTestSuite() { RemoveTree(Installs); }

  void SetUp() override {
    Root = MakeScratchDirectory();
    Work = Root + "\\work";
    Log = Root + "\\encoder.log";
    fs::create_directory(Work);
    fs::create_directory(Root + "\\empty");
  }
  void TearDown() override { RemoveTree(Root); }

  // Runs Quintrel with `arguments` written after its name exactly as given.
  RunResult Run(const std::string& arguments, std::vector<std::string> environment = {},
                const std::string& installedIn = Recording) {
    RunOptions options;
    options.WorkingDirectory = Work;
    options.Environment = std::move(environment);
    options.Environment.push_back("QUINTREL_TEST_LOG=" + Log);
    options.Environment.push_back("QUINTREL_TEST_QUIET=1");
    return RunCommandLine("\"" + installedIn + "\\Quintrel.exe\"" + (arguments.empty() ? "" : " " + arguments),
                          options);
  }

  void Touch(const std::string& name) { WriteFile(Work + "\\" + name, ""); }

  std::vector<Call> EncoderCalls() { return ReadEncoderCalls(Log); }

  std::string Root, Work, Log;
};

TEST_F(EndToEndWin32, TooFewArgumentsGiveTheUsageText) {
  Touch("a.wav");
  for (const char* arguments : {"", "*.wav", "\"\" 1024", "*.wav \"", "   *.wav   "}) {
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.Output, kUsage) << arguments;
    EXPECT_EQ(result.ExitStatus, 0) << arguments;
  }
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEndWin32, EncodesEveryMatchInNtfsOrderOneAtATime) {
  for (const char* name : {"_x.wav", "c.wav", "A.wav", "b.WAV", "[q].wav", "a1.wav", "notes.txt"}) Touch(name);
  fs::create_directory(Work + "\\dir.wav");
  const std::string expected = kBanner + Progress(1, 6) + Progress(2, 6) + Progress(3, 6) + Progress(4, 6) +
                               Progress(5, 6) + Progress(6, 6);
  const std::vector<Call> calls = {{"enc.exe", "A.wav", "A.aifr", "1024"},   {"enc.exe", "a1.wav", "a1.aifr", "1024"},
                                   {"enc.exe", "b.WAV", "b.aifr", "1024"},   {"enc.exe", "c.wav", "c.aifr", "1024"},
                                   {"enc.exe", "[q].wav", "[q].aifr", "1024"}, {"enc.exe", "_x.wav", "_x.aifr", "1024"}};
  for (const char* arguments : {"*.wav 1024", "\"\" *.WAV 1024 extra", "\"*.wav\" 1024"}) {
    WriteFile(Log, "");
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.Output, expected) << arguments;
    EXPECT_EQ(result.Error, "") << arguments;
    EXPECT_EQ(result.ExitStatus, 0) << arguments;
    EXPECT_EQ(EncoderCalls(), calls) << arguments;
  }
}

TEST_F(EndToEndWin32, NothingToDoGivesTheBannerAlone) {
  Touch("a.txt");
  fs::create_directory(Work + "\\sub");
  for (const char* arguments : {"*.wav 1024", "missing\\*.wav 1024", "sub 1024", "sub\\ 1024"}) {
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.Output, kBanner) << arguments;
    EXPECT_EQ(result.ExitStatus, 0) << arguments;
  }
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEndWin32, DirectoryPartWithEitherSlashGivesBareNames) {
  fs::create_directory(Work + "\\sub");
  WriteFile(Work + "\\sub\\x.wav", "");
  WriteFile(Work + "\\sub\\y.wav", "");
  for (const char* arguments : {"sub\\*.wav 512", "sub/*.wav 512", "\"sub\\\"*.wav 512"}) {
    WriteFile(Log, "");
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.Output, kBanner + Progress(1, 2) + Progress(2, 2)) << arguments;
    EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"enc.exe", "x.wav", "x.aifr", "512"},
                                                 {"enc.exe", "y.wav", "y.aifr", "512"}}))
        << arguments;
  }
}

TEST_F(EndToEndWin32, NamesWithBlanksAndDotsReachTheEncoderWhole) {
  for (const char* name : {"my song.wav", "voice.take2.wav", "take7", "x.aifr"}) Touch(name);
  EXPECT_EQ(Run("* 1024").ExitStatus, 0);
  EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"enc.exe", "my song.wav", "my song.aifr", "1024"},
                                               {"enc.exe", "take7", "take7.aifr", "1024"},
                                               {"enc.exe", "voice.take2.wav", "voice.take2.aifr", "1024"},
                                               {"enc.exe", "x.aifr", "x.aifr", "1024"}}));
}

TEST_F(EndToEndWin32, QuotedBitrateWithABlankBecomesTwoArguments) {
  Touch("a.wav");
  EXPECT_EQ(Run("a.wav \"1024 x\"").ExitStatus, 0);
  EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"enc.exe", "a.wav", "a.aifr", "1024", "x"}}));
}

TEST_F(EndToEndWin32, MissingEncoderIsReportedAndTheRunEndsWith127) {
  Touch("a.wav");
  Touch("b.wav");
  const RunResult result = Run("*.wav 1024", {"PATH=" + Root + "\\empty"}, Alone);
  EXPECT_EQ(result.Output, kBanner + Progress(1, 2) + Progress(2, 2));
  EXPECT_EQ(result.Error, CannotStart("File not found.") + CannotStart("File not found."));
  EXPECT_EQ(result.ExitStatus, 127);
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEndWin32, AFailedAllocationAnywhereEndsWithTheLastChanceReport) {
  const std::string install = Root + "\\hooked";
  fs::create_directory(install);
  CopyExecutable(QUINTREL_WITH_ALLOCATION_HOOK_PATH, install + "\\Quintrel.exe");
  CopyExecutable(RECORDING_ENCODER_PATH, install + "\\enc.exe");
  Touch("first long enough to be allocated.wav");
  Touch("second long enough to be allocated.wav");
  const std::string normal = Run("*.wav 1024", {}, install).Output;
  ASSERT_EQ(normal, kBanner + Progress(1, 2) + Progress(2, 2));

  bool reachedTheEnd = false;
  for (long failing = 1; failing < 200 && !reachedTheEnd; ++failing) {
    const RunResult result = Run("*.wav 1024", {"QUINTREL_FAIL_ALLOCATION=" + std::to_string(failing)}, install);
    ExpectNormalRunOrOutOfMemoryReport(normal, result.Output, result.ExitStatus, "Quintrel\\.exe", failing);
    reachedTheEnd = result.ExitStatus == 0;
  }
  EXPECT_TRUE(reachedTheEnd);
}

TEST(VersionResource, ReadsBackFromTheBuiltProgram) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(QUINTREL_PATH, &ignored);
  ASSERT_NE(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(QUINTREL_PATH, 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const std::string version = QUINTREL_VERSION;
  const auto major = std::stoul(version), minor = std::stoul(version.substr(version.find('.') + 1)),
             patch = std::stoul(version.substr(version.rfind('.') + 1));
  EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
  EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, (major << 16) | minor);

  const std::pair<const char*, std::string> strings[] = {
      {"ProductName", "Quintrel"},           {"FileVersion", QUINTREL_VERSION},
      {"ProductVersion", QUINTREL_VERSION},  {"OriginalFilename", "Quintrel.exe"},
      {"LegalCopyright", QUINTREL_COPYRIGHT}, {"FileDescription", QUINTREL_DESCRIPTION}};
  for (const auto& [name, expected] : strings) {
    char* value = nullptr;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
    EXPECT_EQ(std::string(value), expected) << name;
  }
}

}  // namespace

// Runs the built Quintrel in scratch directories, with a recording encoder beside it.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "end-to-end-support.h"
#include "run-program.h"
#include "wav.h"

namespace {

const std::string kYellow = "\x1b[93m";
const std::string kGrey = "\x1b[0m";

// What the recording encoder prints for one input.
std::string Saw(const std::string& input) { return "encoder saw " + input + "\n"; }

class EndToEnd : public ::testing::Test {
 protected:
  static inline std::string Installs;      // holds the program folders below
  static inline std::string Recording;     // Quintrel with the recording encoder beside it
  static inline std::string Alone;         // Quintrel with no encoder beside it
  static inline std::string EncoderOnly;   // the recording encoder alone, for PATH

  static void SetUpTestSuite() {
    Installs = MakeScratchDirectory();
    Recording = Installs + "/recording";
    Alone = Installs + "/alone";
    EncoderOnly = Installs + "/encoder-only";
    for (const std::string& dir : {Recording, Alone, EncoderOnly}) mkdir(dir.c_str(), 0755);
    CopyExecutable(QUINTREL_PATH, Recording + "/Quintrel");
    CopyExecutable(RECORDING_ENCODER_PATH, Recording + "/enc.exe");
    CopyExecutable(QUINTREL_PATH, Alone + "/Quintrel");
    CopyExecutable(RECORDING_ENCODER_PATH, EncoderOnly + "/enc.exe");
  }
  static void TearDownTestSuite() { RemoveTree(Installs); }

  void SetUp() override {
    Root = MakeScratchDirectory();
    Work = Root + "/work";
    Log = Root + "/encoder.log";
    mkdir(Work.c_str(), 0755);
  }
  void TearDown() override { RemoveTree(Root); }

  RunResult Run(const std::vector<std::string>& arguments, RunOptions options = {},
                const std::string& installedIn = Recording) {
    options.WorkingDirectory = Work;
    options.Environment.push_back("QUINTREL_TEST_LOG=" + Log);
    // Colour depends on these; a test that cares sets them itself.
    for (const std::string fallback : {"NO_COLOR=", "TERM=xterm"}) {
      const std::string name = fallback.substr(0, fallback.find('=') + 1);
      bool given = false;
      for (const std::string& entry : options.Environment) given = given || entry.rfind(name, 0) == 0;
      if (!given) options.Environment.push_back(fallback);
    }
    return RunProgram(installedIn + "/Quintrel", arguments, options);
  }

  void Touch(const std::string& name, const std::string& contents = "") { WriteFile(Work + "/" + name, contents); }

  // A folder of this test's own holding `program` as Quintrel and, when given, `encoder`
  // as enc.exe beside it.
  std::string Install(const std::string& encoder = "", const std::string& program = QUINTREL_PATH) {
    const std::string install = Root + "/install";
    mkdir(install.c_str(), 0755);
    CopyExecutable(program, install + "/Quintrel");
    if (!encoder.empty()) CopyExecutable(encoder, install + "/enc.exe");
    return install;
  }

  // The encoder runs in the order they started; fails the test if two ever overlapped.
  std::vector<Call> EncoderCalls() { return ReadEncoderCalls(Log); }

  std::string Root, Work, Log;
};

TEST_F(EndToEnd, TooFewArgumentsGiveTheUsageText) {
  Touch("a.wav");
  const std::vector<std::vector<std::string>> cases = {{}, {"*.wav"}, {"", "1024"}, {"", "*.wav", ""}};
  for (const auto& arguments : cases) {
    for (OutputTo output : {OutputTo::Pipe, OutputTo::Terminal}) {
      RunOptions options;
      options.StandardOutput = output;
      const RunResult result = Run(arguments, options);
      EXPECT_EQ(result.Output, kUsage) << "no colour change on this path either";
      EXPECT_EQ(result.Error, "");
      EXPECT_EQ(result.ExitStatus, 0);
    }
  }
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEnd, EncodesEveryMatchInListingOrderOneAtATime) {
  for (const char* name : {"c.wav", "A.wav", "b.WAV", "notes.txt", "b.wave"}) Touch(name);
  const std::string expected =
      kBanner + Progress(1, 3) + Saw("A.wav") + Progress(2, 3) + Saw("b.WAV") + Progress(3, 3) + Saw("c.wav");
  const std::vector<Call> expectedCalls = {{"enc.exe", "A.wav", "A.aifr", "1024"},
                                           {"enc.exe", "b.WAV", "b.aifr", "1024"},
                                           {"enc.exe", "c.wav", "c.aifr", "1024"}};
  // Empty arguments are left out.
  const std::vector<std::vector<std::string>> spellings = {
      {"*.wav", "1024"}, {"", "*.wav", "1024"}, {"*.wav", "", "1024"}};
  for (const auto& arguments : spellings) {
    WriteFile(Log, "");
    const RunResult result = Run(arguments);
    EXPECT_EQ(result.Output, expected);
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(EncoderCalls(), expectedCalls);
  }
}

TEST_F(EndToEnd, NamesAMaskExpandedByTheShellAreAllEncodedWithTheLastArgumentAsBitrate) {
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.txt"}) Touch(name);
  mkdir((Work + "/sub").c_str(), 0755);
  WriteFile(Work + "/sub/s.wav", "");
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> inputs;
  };
  const Case cases[] = {
      // What the shell makes of an unquoted *.wav, and the quoted mask itself: the same files.
      {{"a.wav", "b.wav", "c.wav", "1024"}, {"a.wav", "b.wav", "c.wav"}},
      {{"*.wav", "1024"}, {"a.wav", "b.wav", "c.wav"}},
      // Names and masks are collected in the order given, each as a mask is.
      {{"c.wav", "", "sub/*.wav", "?.wav", "1024"}, {"c.wav", "s.wav", "a.wav", "b.wav", "c.wav"}},
      // A shell that finds no match passes the mask on as it is.
      {{"*.none", "d.txt", "1024"}, {"d.txt"}},
  };
  for (const Case& c : cases) {
    WriteFile(Log, "");
    const RunResult result = Run(c.arguments);
    std::string expected = kBanner;
    std::vector<Call> expectedCalls;
    const int count = static_cast<int>(c.inputs.size());
    for (int i = 0; i < count; ++i) {
      const std::string& input = c.inputs[static_cast<std::size_t>(i)];
      expected += Progress(i + 1, count) + Saw(input);
      expectedCalls.push_back({"enc.exe", input, input.substr(0, input.rfind('.')) + ".aifr", "1024"});
    }
    EXPECT_EQ(result.Output, expected) << c.arguments[0];
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(EncoderCalls(), expectedCalls) << c.arguments[0];
  }
}

TEST_F(EndToEnd, NothingToDoGivesTheBannerAlone) {
  Touch("a.txt");
  mkdir((Work + "/sub").c_str(), 0755);
  mkdir((Work + "/folder.wav").c_str(), 0755);
  for (const char* mask : {"*.wav", "missing/*.wav", "sub/", "a.txt/*", "folder.wav", "sub"}) {
    const RunResult result = Run({mask, "1024"});
    EXPECT_EQ(result.Output, kBanner) << mask;
    EXPECT_EQ(result.ExitStatus, 0) << mask;
    EXPECT_EQ(result.Error, "") << mask;
  }
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEnd, DirectoryPartChoosesWhereToLookButOnlyBareNamesReachTheEncoder) {
  mkdir((Work + "/sub").c_str(), 0755);
  WriteFile(Work + "/sub/x.wav", "");
  WriteFile(Work + "/sub/Y.WAV", "");
  Touch("z.wav");
  for (const std::string& mask : {std::string("sub/*.wav"), Work + "/sub/*.wav", std::string("./sub/?.wav")}) {
    WriteFile(Log, "");
    const RunResult result = Run({mask, "512"});
    EXPECT_EQ(result.Output, kBanner + Progress(1, 2) + Saw("x.wav") + Progress(2, 2) + Saw("Y.WAV")) << mask;
    EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"enc.exe", "x.wav", "x.aifr", "512"},
                                                 {"enc.exe", "Y.WAV", "Y.aifr", "512"}}));
  }
}

TEST_F(EndToEnd, BitrateIsSplitAsAWindowsCommandLineWouldBe) {
  Touch("a.wav");
  const std::vector<std::pair<std::string, Call>> cases = {
      {"1024 x", {"enc.exe", "a.wav", "a.aifr", "1024", "x"}},
      {"abc", {"enc.exe", "a.wav", "a.aifr", "abc"}},
      {"\"2048\"", {"enc.exe", "a.wav", "a.aifr", "2048"}},
      {"\"1 2\" 3", {"enc.exe", "a.wav", "a.aifr", "1 2", "3"}},
      {"   ", {"enc.exe", "a.wav", "a.aifr"}}};
  for (const auto& [bitrate, call] : cases) {
    WriteFile(Log, "");
    EXPECT_EQ(Run({"a.wav", bitrate}).ExitStatus, 0);
    EXPECT_EQ(EncoderCalls(), std::vector<Call>{call}) << bitrate;
  }
}

TEST_F(EndToEnd, EveryKindOfNameReachesTheEncoderWhole) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"my song.wav", "my song.aifr"},  {"track.01.wav", "track.01.aifr"}, {"take7", "take7.aifr"},
      {".wav", ".aifr"},                {"x.aifr", "x.aifr"},             {"name.", "name.aifr"},
      {"q\"uote\" \"x.wav", "q\"uote\" \"x.aifr"},
      {"back\\slash.wav", "back\\slash.aifr"},
      {"a.b\\c", "a.b\\c.aifr"},
      {"co:lon.wav", "co:lon.aifr"},
      {"a.b:c", "a.b:c.aifr"},
      {"new\nline.wav", "new\nline.aifr"},
      {"\x01\x1b[31mred\t.wav", "\x01\x1b[31mred\t.aifr"},
      {"\xff\xfe not utf-8.wav", "\xff\xfe not utf-8.aifr"},
      {std::string(251, 'x') + ".wav", std::string(251, 'x') + ".aifr"},
      {"-dash.wav", "-dash.aifr"},
      {"--output=evil.wav", "--output=evil.aifr"}};
  for (const auto& name : names) Touch(name.first);
  mkdir((Work + "/folder").c_str(), 0755);  // directories never carry the archive bit here

  const RunResult result = Run({"*", "1024"});
  EXPECT_EQ(result.ExitStatus, 0);
  std::vector<Call> calls = EncoderCalls();
  ASSERT_EQ(calls.size(), names.size());
  for (const auto& name : names) {
    const Call expected = {"enc.exe", name.first, name.second, "1024"};
    EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end()) << name.first;
  }
}

TEST_F(EndToEnd, MasksOfEveryKind) {
  Touch("a.wav");
  Touch("b.WAV");
  mkdir((Work + "/sub").c_str(), 0755);
  WriteFile(Work + "/sub/s.wav", "");
  mkdir((Work + "/locked").c_str(), 0755);
  WriteFile(Work + "/locked/l.wav", "");
  chmod((Work + "/locked").c_str(), 0);
  ASSERT_EQ(symlink("a.wav", (Work + "/link.wav").c_str()), 0);
  ASSERT_EQ(symlink("nowhere.wav", (Work + "/dangling.wav").c_str()), 0);
  ASSERT_EQ(symlink("sub", (Work + "/linkdir").c_str()), 0);
  std::string deep;
  for (int i = 0; i < 3000; ++i) deep += "d/";

  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"a.wav", {"a.wav"}},
      {"A.WAV", {"a.wav"}},  // the name as the directory holds it
      {"sub", {}},
      {"locked/*.wav", {}},
      {"dangling.wav", {}},
      {"link.wav", {"link.wav"}},
      {"linkdir", {}},
      {"linkdir/*.wav", {"s.wav"}},
      {"*", {"a.wav", "b.WAV", "link.wav"}},
      {"?*?", {"a.wav", "b.WAV", "link.wav"}},
      {"*.*", {"a.wav", "b.WAV", "link.wav"}},
      {std::string(5000, '*') + ".wav", {"a.wav", "b.WAV", "link.wav"}},
      {std::string(5000, '?'), {}},
      {deep + "*.wav", {}},
  };
  for (const auto& [mask, inputs] : cases) {
    WriteFile(Log, "");
    chmod(Log.c_str(), 0666);
    RunOptions options;
    options.WithoutPrivileges = true;  // so that "locked" is unreadable even when tests run as root
    const RunResult result = Run({mask, "1024"}, options);
    EXPECT_EQ(result.ExitStatus, 0) << mask.substr(0, 40);
    EXPECT_EQ(result.Error, "") << mask.substr(0, 40);
    std::vector<std::string> seen;
    for (const Call& call : EncoderCalls()) seen.push_back(call.at(1));
    EXPECT_EQ(seen, inputs) << mask.substr(0, 40);
  }
}

TEST_F(EndToEnd, Utf8NamesAreMatchedByCharacterAndListedAsNtfsListsThem) {
  for (const char* name : {"track\xc3\xa9.wav", "track12.wav", "\xc3\x84" "b.wav", "\xc3\xa4" "a.wav", "ab.wav"})
    Touch(name);
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"track?.wav", {"track\xc3\xa9.wav"}},
      {"\xc3\xa4*.wav", {"\xc3\xa4" "a.wav", "\xc3\x84" "b.wav"}},
      {"*.", {}}};
  for (const auto& [mask, inputs] : cases) {
    WriteFile(Log, "");
    EXPECT_EQ(Run({mask, "1024"}).ExitStatus, 0);
    std::vector<std::string> seen;
    for (const Call& call : EncoderCalls()) seen.push_back(call.at(1));
    EXPECT_EQ(seen, inputs) << mask;
  }
}

TEST_F(EndToEnd, TakesWhatIsARegularFileOnceLinksAreFollowed) {
  Touch("real.wav");
  ASSERT_EQ(symlink("real.wav", (Work + "/link.wav").c_str()), 0);
  ASSERT_EQ(symlink("nowhere.wav", (Work + "/dangling.wav").c_str()), 0);
  ASSERT_EQ(mkfifo((Work + "/fifo.wav").c_str(), 0644), 0);
  mkdir((Work + "/dir.wav").c_str(), 0755);
  EXPECT_EQ(Run({"*.wav", "1024"}).ExitStatus, 0);
  EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"enc.exe", "link.wav", "link.aifr", "1024"},
                                               {"enc.exe", "real.wav", "real.aifr", "1024"}}));
}

TEST_F(EndToEnd, WhateverTheEncoderDoesThePassGoesOn) {
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) Touch(name);
  const std::vector<std::vector<std::string>> behaviours = {
      {"QUINTREL_TEST_EXIT=3"},
      {"QUINTREL_TEST_KILL=1"},
      {"QUINTREL_TEST_CLOSE_STDOUT=1"},
      {"QUINTREL_TEST_DELAY_MS=300"},  // each run stays a while; the next must still wait for it
  };
  for (const auto& behaviour : behaviours) {
    WriteFile(Log, "");
    RunOptions options;
    options.Environment = behaviour;
    const RunResult result = Run({"*.wav", "1024"}, options);
    EXPECT_EQ(result.ExitStatus, 0) << behaviour[0];
    EXPECT_EQ(result.Error, "") << behaviour[0];
    EXPECT_EQ(EncoderCalls().size(), 3u) << behaviour[0];
    if (behaviour[0] == "QUINTREL_TEST_CLOSE_STDOUT=1") {
      EXPECT_EQ(result.Output, kBanner + Progress(1, 3) + Progress(2, 3) + Progress(3, 3));
    } else {
      EXPECT_EQ(result.Output, kBanner + Progress(1, 3) + Saw("a.wav") + Progress(2, 3) + Saw("b.wav") +
                                   Progress(3, 3) + Saw("c.wav"))
          << behaviour[0];
    }
  }
}

TEST_F(EndToEnd, EncoderStartsWithDefaultSignalHandling) {
  // Quintrel itself ignores SIGPIPE; the encoder must not inherit that.
  Touch("a.wav");
  RunOptions options;
  options.Environment = {"QUINTREL_TEST_SHOW_SIGPIPE=1", "QUINTREL_TEST_QUIET=1"};
  EXPECT_EQ(Run({"a.wav", "1024"}, options).Output, kBanner + Progress(1, 1) + "SIGPIPE default\n");
}

TEST_F(EndToEnd, AHundredThousandFilesAreAllEncodedInOrderOneAtATime) {
#ifdef QUINTREL_SANITIZED
  const int count = 5000;  // every encoder start is slow under the sanitizers
#else
  const int count = 100000;
#endif
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%06d.wav", i);
    names.push_back(name);
  }
  for (auto it = names.rbegin(); it != names.rend(); ++it) Touch(*it);  // created in reverse order
  RunOptions options;
  options.Environment = {"QUINTREL_TEST_DELAY_MS=0", "QUINTREL_TEST_QUIET=1"};
  const RunResult result = Run({"*.wav", "1024"}, options);
  EXPECT_EQ(result.ExitStatus, 0);
  const std::string total = " of " + std::to_string(count) + "] encoding...\r\n";
  EXPECT_EQ(result.Output.substr(result.Output.size() - total.size() - std::to_string(count).size() - 1),
            "[" + std::to_string(count) + total);
  const std::vector<Call> calls = EncoderCalls();
  ASSERT_EQ(calls.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) ASSERT_EQ(calls[i].at(1), names[i]) << i;
}

TEST_F(EndToEnd, MissingEncoderIsReportedAndTheRunEndsWith127) {
  Touch("a.wav");
  Touch("b.wav");
  // An enc.exe in the current directory must not be run: PATH does not name it.
  CopyExecutable(RECORDING_ENCODER_PATH, Work + "/enc.exe");
  RunOptions options;
  options.Environment = {"PATH=" + Root + "/empty:/nonexistent"};
  const RunResult result = Run({"*.wav", "1024"}, options, Alone);
  EXPECT_EQ(result.Output, kBanner + Progress(1, 2) + Progress(2, 2));
  EXPECT_EQ(result.Error, CannotStart("No such file or directory") + CannotStart("No such file or directory"));
  EXPECT_EQ(result.ExitStatus, 127);
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEnd, EncoderIsFoundAlongPathButNeverInTheCurrentDirectory) {
  Touch("a.wav");
  // An enc.exe that cannot be run earlier on PATH is passed over, as execvp does.
  const std::string refused = Root + "/refused";
  mkdir(refused.c_str(), 0755);
  WriteFile(refused + "/enc.exe", "not a program");
  chmod((refused + "/enc.exe").c_str(), 0644);
  // A planted enc.exe in the current directory, and one below it, reached only by an empty
  // or relative PATH entry: neither is ever run.
  CopyExecutable(RECORDING_ENCODER_PATH, Work + "/enc.exe");
  mkdir((Work + "/bin").c_str(), 0755);
  CopyExecutable(RECORDING_ENCODER_PATH, Work + "/bin/enc.exe");
  const std::vector<std::pair<std::string, bool>> cases = {
      {"/nonexistent:" + refused + ":" + EncoderOnly, true},
      {EncoderOnly + ":", true},
      {"/nonexistent:.", false},
      {"/nonexistent:", false},
      {":/nonexistent", false},
      {"bin:./bin:/nonexistent", false}};
  for (const auto& [path, found] : cases) {
    WriteFile(Log, "");
    RunOptions options;
    options.Environment = {"PATH=" + path};
    const RunResult result = Run({"a.wav", "1024"}, options, Alone);
    if (found) {
      EXPECT_EQ(result.Output, kBanner + Progress(1, 1) + Saw("a.wav")) << path;
      EXPECT_EQ(result.ExitStatus, 0) << path;
      EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"enc.exe", "a.wav", "a.aifr", "1024"}})) << path;
    } else {
      EXPECT_EQ(result.Error, CannotStart("No such file or directory")) << path;
      EXPECT_EQ(result.ExitStatus, 127) << path;
      EXPECT_TRUE(EncoderCalls().empty()) << path;
    }
  }
}

TEST_F(EndToEnd, AWindowsEncoderIsRunThroughWine) {
  for (const char* name : {"a.wav", "b c.wav"}) Touch(name);
  const std::string install = Install();
  WriteFile(install + "/enc.exe", std::string("MZ\x90\0\3\0\0\0", 8) + "a Windows program, as far as its start goes");
  chmod((install + "/enc.exe").c_str(), 0755);
  char* resolved = realpath(install.c_str(), nullptr);
  const std::string encoder = std::string(resolved) + "/enc.exe";  // where Quintrel finds it
  std::free(resolved);
  // A recording wine on PATH, in a folder of its own.
  const std::string wineFolder = Root + "/wine-folder";
  mkdir(wineFolder.c_str(), 0755);
  CopyExecutable(RECORDING_ENCODER_PATH, wineFolder + "/wine");

  RunOptions options;
  options.Environment = {"PATH=/nonexistent:" + wineFolder};
  RunResult result = Run({"*.wav", "1024 x"}, options, install);
  EXPECT_EQ(result.Output, kBanner + Progress(1, 2) + Saw(encoder) + Progress(2, 2) + Saw(encoder));
  EXPECT_EQ(result.Error, "");
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(EncoderCalls(), (std::vector<Call>{{"wine", encoder, "a.wav", "a.aifr", "1024", "x"},
                                               {"wine", encoder, "b c.wav", "b c.aifr", "1024", "x"}}));

  // No wine on PATH (nor in the current directory, which is never searched).
  WriteFile(Log, "");
  CopyExecutable(RECORDING_ENCODER_PATH, Work + "/wine");
  options.Environment = {"PATH=/nonexistent:."};
  result = Run({"*.wav", "1024"}, options, install);
  EXPECT_EQ(result.Output, kBanner + Progress(1, 2) + Progress(2, 2));
  EXPECT_EQ(result.Error, CannotStart("it is a Windows program and wine was not found") +
                              CannotStart("it is a Windows program and wine was not found"));
  EXPECT_EQ(result.ExitStatus, 127);
  EXPECT_TRUE(EncoderCalls().empty());

  // A file the system cannot start that is not a Windows program is not given to Wine.
  WriteFile(install + "/enc.exe", "ZM, or any other text");
  options.Environment = {"PATH=" + wineFolder};
  result = Run({"*.wav", "1024"}, options, install);
  EXPECT_EQ(result.Error, CannotStart("Exec format error") + CannotStart("Exec format error"));
  EXPECT_EQ(result.ExitStatus, 127);
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEnd, TheWindowsStandInEncoderRunsThroughARealWine) {
  // The test command names these once it has built the Windows stand-in and found a Wine
  // that runs it.
  const char* windowsEncoder = std::getenv("QUINTREL_TEST_WINDOWS_ENCODER");
  const char* wineFolder = std::getenv("QUINTREL_TEST_WINE_FOLDER");
  if (windowsEncoder == nullptr || wineFolder == nullptr)
    GTEST_SKIP() << "needs Wine and the Windows stand-in encoder (QUINTREL_TEST_WINDOWS_ENCODER, "
                    "QUINTREL_TEST_WINE_FOLDER; scripts/test.sh sets them in its Windows stage)";
  const std::string install = Install(windowsEncoder);
  Touch("one.wav", MakeWav(1, 8000, 8, 800));
  Touch("two words.wav", MakeWav(2, 22050, 16, 4410 * 4));
  RunOptions options;
  options.Environment = {std::string("PATH=") + wineFolder + ":/usr/bin:/bin"};
  const RunResult result = Run({"*.wav", "2048"}, options, install);
  EXPECT_EQ(result.ExitStatus, 0) << result.Error;
  EXPECT_EQ(result.Output.substr(0, kBanner.size() + Progress(1, 2).size()), kBanner + Progress(1, 2));
  EXPECT_NE(result.Output.find("enc.exe: one.wav -> one.aifr: 8000 Hz, 8-bit, mono"), std::string::npos)
      << result.Output;
  EXPECT_NE(result.Output.find("enc.exe: two words.wav -> two words.aifr: 22050 Hz, 16-bit, stereo"),
            std::string::npos)
      << result.Output;
  EXPECT_EQ(ReadFile(Work + "/one.aifr").substr(0, 4), "QSAF");
  EXPECT_EQ(ReadFile(Work + "/two words.aifr").size(), 22u + 4410 * 4);
}

TEST_F(EndToEnd, EncoderThatCannotBeRunIsReported) {
  Touch("a.wav");
  const std::string install = Install();
  WriteFile(install + "/enc.exe", "not a program");
  chmod((install + "/enc.exe").c_str(), 0644);
  RunOptions options;
  options.Environment = {"PATH=/nonexistent"};
  RunResult result = Run({"a.wav", "1024"}, options, install);
  EXPECT_EQ(result.Error, CannotStart("Permission denied"));
  EXPECT_EQ(result.ExitStatus, 127);

  // A directory of that name cannot be run either.
  std::remove((install + "/enc.exe").c_str());
  mkdir((install + "/enc.exe").c_str(), 0755);
  result = Run({"a.wav", "1024"}, options, install);
  EXPECT_EQ(result.Error, CannotStart("Permission denied"));
  EXPECT_EQ(result.ExitStatus, 127);
}

TEST_F(EndToEnd, LogToAFileShowsEachProgressLineBeforeItsEncoderOutput) {
  Touch("a.wav");
  Touch("b.wav");
  RunOptions options;
  options.StandardOutput = OutputTo::File;
  options.OutputFile = Root + "/run.log";
  EXPECT_EQ(Run({"*.wav", "1024"}, options).ExitStatus, 0);
  EXPECT_EQ(ReadFile(Root + "/run.log"), kBanner + Progress(1, 2) + Saw("a.wav") + Progress(2, 2) + Saw("b.wav"));
}

TEST_F(EndToEnd, OnATerminalProgressLinesAreYellowAndTheRestGrey) {
  Touch("a.wav");
  Touch("b.wav");
  RunOptions options;
  options.StandardOutput = OutputTo::Terminal;
  RunResult result = Run({"*.wav", "1024"}, options);
  EXPECT_EQ(result.Output, kBanner + kYellow + Progress(1, 2) + kGrey + Saw("a.wav") + kYellow + Progress(2, 2) +
                               kGrey + Saw("b.wav") + kGrey);
  EXPECT_EQ(result.ExitStatus, 0);

  result = Run({"*.none", "1024"}, options);
  EXPECT_EQ(result.Output, kBanner + kGrey);
}

TEST_F(EndToEnd, ColourFollowsTheTerminalConventions) {
  Touch("a.wav");
  const std::vector<std::pair<std::vector<std::string>, bool>> cases = {
      {{"NO_COLOR=1"}, false}, {{"TERM=dumb"}, false}, {{"NO_COLOR="}, true}, {{"TERM=vt100"}, true}};
  for (const auto& [environment, coloured] : cases) {
    RunOptions options;
    options.StandardOutput = OutputTo::Terminal;
    options.Environment = environment;
    const RunResult result = Run({"a.wav", "1024"}, options);
    EXPECT_EQ(result.Output, coloured ? kBanner + kYellow + Progress(1, 1) + kGrey + Saw("a.wav") + kGrey
                                      : kBanner + Progress(1, 1) + Saw("a.wav"))
        << environment[0];
  }
}

TEST_F(EndToEnd, TheBannerIsOutBeforeTheSearchStarts) {
  // The preloaded library writes a mark to standard output as the directory is opened.
  Touch("a.wav");
  for (OutputTo output : {OutputTo::Terminal, OutputTo::Pipe}) {
    RunOptions options;
    options.StandardOutput = output;
    options.Environment = {std::string("LD_PRELOAD=") + SEARCH_MARKER_PATH, "QUINTREL_TEST_QUIET=1"};
    const RunResult result = Run({"a.wav", "1024"}, options);
    EXPECT_EQ(result.Output.substr(0, kBanner.size() + 8), kBanner + "<search>");
  }
}

TEST_F(EndToEnd, UnwritableStandardOutputNeverStopsThePass) {
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) Touch(name);
  struct Case {
    OutputTo output;
    const char* file;
  };
  for (const Case& c : {Case{OutputTo::ClosedPipe, ""}, Case{OutputTo::Closed, ""}, Case{OutputTo::File, "/dev/full"}}) {
    WriteFile(Log, "");
    RunOptions options;
    options.StandardOutput = c.output;
    options.OutputFile = c.file;
    const RunResult result = Run({"*.wav", "1024"}, options);
    EXPECT_EQ(result.ExitStatus, 0);
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(EncoderCalls().size(), 3u);
  }
}

TEST_F(EndToEnd, MemoryExhaustionEndsWithTheLastChanceReport) {
#ifdef QUINTREL_SANITIZED
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit this test sets";
#endif
  // 20,000 names of 200 bytes: about 4 MiB of names, too much for an 8 MiB address space.
  for (int i = 0; i < 20000; ++i) {
    const std::string number = std::to_string(i);
    Touch(std::string(200 - number.size(), 'n') + number + ".wav");
  }
  RunOptions options;
  options.AddressSpaceLimit = 8ul << 20;
  const RunResult result = Run({"*.wav", "1024"}, options);
  EXPECT_EQ(result.ExitStatus, 1);
  // The banner still held goes out first, then the report.
  ASSERT_EQ(result.Output.substr(0, kBanner.size()), kBanner);
  EXPECT_TRUE(std::regex_match(result.Output.substr(kBanner.size()),
                               std::regex("Exception EOutOfMemory in module Quintrel at [0-9A-F]{8}\\.\r\n"
                                          "Out of memory\\.\r\n\r\n")))
      << result.Output;
  EXPECT_TRUE(EncoderCalls().empty());
}

TEST_F(EndToEnd, AFailedAllocationAnywhereEndsWithTheLastChanceReport) {
  const std::string install = Install(RECORDING_ENCODER_PATH, QUINTREL_WITH_ALLOCATION_HOOK_PATH);
  for (const char* name : {"first long enough to be allocated.wav", "second long enough to be allocated.wav"})
    Touch(name);
  RunOptions options;
  options.Environment = {"QUINTREL_TEST_QUIET=1"};
  const std::string normal = Run({"*.wav", "1024"}, options, install).Output;
  ASSERT_EQ(normal, kBanner + Progress(1, 2) + Progress(2, 2));

  bool reachedTheEnd = false;
  for (long failing = 1; failing < 200 && !reachedTheEnd; ++failing) {
    options.Environment = {"QUINTREL_TEST_QUIET=1", "QUINTREL_FAIL_ALLOCATION=" + std::to_string(failing)};
    const RunResult result = Run({"*.wav", "1024"}, options, install);
    ExpectNormalRunOrOutOfMemoryReport(normal, result.Output, result.ExitStatus, "Quintrel", failing);
    reachedTheEnd = result.ExitStatus == 0;
  }
  EXPECT_TRUE(reachedTheEnd);
}

TEST_F(EndToEnd, WithTheStandInEncoderEveryFileIsConverted) {
  const std::string install = Install(STANDIN_ENCODER_PATH);
  Touch("one.wav", MakeWav(1, 8000, 8, 800));
  Touch("two.wav", MakeWav(2, 22050, 16, 4410 * 4));
  Touch("bad.wav", "not a wav");
  const RunResult result = Run({"*.wav", "2048"}, RunOptions{}, install);
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Output, kBanner + Progress(1, 3) + Progress(2, 3) +
                               "enc.exe: one.wav -> one.aifr: 8000 Hz, 8-bit, mono, 0.10 s, block bitrate 2048\n" +
                               Progress(3, 3) +
                               "enc.exe: two.wav -> two.aifr: 22050 Hz, 16-bit, stereo, 0.20 s, block bitrate 2048\n");
  EXPECT_EQ(result.Error, "enc.exe: bad.wav: not a RIFF WAVE file\n");
  EXPECT_TRUE(FileExists(Work + "/one.aifr"));
  EXPECT_TRUE(FileExists(Work + "/two.aifr"));
  EXPECT_FALSE(FileExists(Work + "/bad.aifr"));

  // With the reader of its output gone (as in "Quintrel '*.wav' 1024 | head -1"), every
  // file is still converted: the stand-in writes its file before it says so.
  std::remove((Work + "/one.aifr").c_str());
  std::remove((Work + "/two.aifr").c_str());
  RunOptions closed;
  closed.StandardOutput = OutputTo::ClosedPipe;
  EXPECT_EQ(Run({"*.wav", "2048"}, closed, install).ExitStatus, 0);
  EXPECT_EQ(ReadFile(Work + "/one.aifr").substr(0, 4), "QSAF");
  EXPECT_EQ(ReadFile(Work + "/two.aifr").substr(0, 4), "QSAF");
}

}  // namespace

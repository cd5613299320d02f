// The stand-in encoder on its own: what it accepts, what it writes, and that a failure
// leaves no output behind.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "run-program.h"
#include "wav.h"

namespace {

class StandInEncoder : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = MakeScratchDirectory();
    Work = Root + "/work";
    mkdir(Work.c_str(), 0755);
  }
  void TearDown() override { RemoveTree(Root); }

  RunResult Encode(const std::vector<std::string>& arguments) {
    RunOptions options;
    options.WorkingDirectory = Work;
    return RunProgram(STANDIN_ENCODER_PATH, arguments, options);
  }

  // Everything in the working directory, to show that nothing else was touched.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Work)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string Root, Work;
};

TEST_F(StandInEncoder, WritesItsContainerAndSaysWhatItEncoded) {
  WriteFile(Work + "/in.wav", MakeWav(2, 44100, 16, 44100 * 4 / 2));
  const RunResult result = Encode({"in.wav", "out.aifr", "1024"});
  EXPECT_EQ(result.ExitStatus, 0);
  EXPECT_EQ(result.Output, "enc.exe: in.wav -> out.aifr: 44100 Hz, 16-bit, stereo, 0.50 s, block bitrate 1024\n");
  EXPECT_EQ(result.Error, "");
  const std::string out = ReadFile(Work + "/out.aifr");
  std::string header = "QSAF";
  PutLittle(header, 1, 2);
  PutLittle(header, 2, 2);
  PutLittle(header, 44100, 4);
  PutLittle(header, 16, 2);
  PutLittle(header, 1024, 4);
  PutLittle(header, 44100 * 2, 4);
  ASSERT_EQ(out.size(), header.size() + 44100 * 2);
  EXPECT_EQ(out.substr(0, header.size()), header);
  EXPECT_EQ(out.substr(header.size()), MakeWav(2, 44100, 16, 44100 * 2).substr(44));
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.wav", "out.aifr"}));
}

TEST_F(StandInEncoder, ReplacesAnExistingOutput) {
  WriteFile(Work + "/in.wav", MakeWav(1, 8000, 8, 8));
  WriteFile(Work + "/out.aifr", "old");
  EXPECT_EQ(Encode({"in.wav", "out.aifr", "512"}).ExitStatus, 0);
  EXPECT_EQ(ReadFile(Work + "/out.aifr").substr(0, 4), "QSAF");
}

TEST_F(StandInEncoder, RefusesBadInputWithOneLineAndNoOutput) {
  struct Case {
    const char* what;
    std::string input;  // contents of in.wav; empty means the file is missing
    std::vector<std::string> arguments;
    const char* error;
  };
  const std::vector<std::string> normal = {"in.wav", "out.aifr", "1024"};
  const std::vector<Case> cases = {
      {"missing input", "", normal, "enc.exe: in.wav: cannot read: No such file or directory\n"},
      {"not RIFF", "hello, world", normal, "enc.exe: in.wav: not a RIFF WAVE file\n"},
      {"float samples", MakeWav(1, 8000, 32, 8, 3), normal, "enc.exe: in.wav: not PCM (format tag is not 1)\n"},
      {"24-bit", MakeWav(1, 8000, 24, 9), normal, "enc.exe: in.wav: unsupported sample size\n"},
      {"6 channels", MakeWav(6, 8000, 16, 12), normal, "enc.exe: in.wav: unsupported channel count\n"},
      {"truncated", MakeWav(1, 8000, 8, 100).substr(0, 60), normal, "enc.exe: in.wav: truncated chunk\n"},
      {"zero bitrate", MakeWav(1, 8000, 8, 8), {"in.wav", "out.aifr", "0"},
       "enc.exe: in.wav: block bitrate is not a positive whole number: 0\n"},
      {"text bitrate", MakeWav(1, 8000, 8, 8), {"in.wav", "out.aifr", "abc"},
       "enc.exe: in.wav: block bitrate is not a positive whole number: abc\n"},
      {"negative bitrate", MakeWav(1, 8000, 8, 8), {"in.wav", "out.aifr", "-5"},
       "enc.exe: in.wav: block bitrate is not a positive whole number: -5\n"},
      {"too many arguments", MakeWav(1, 8000, 8, 8), {"in.wav", "out.aifr", "1024", "x"},
       "usage: enc.exe <input> <output> <block_bitrate>\n"},
  };
  for (const Case& c : cases) {
    std::remove((Work + "/in.wav").c_str());
    if (!c.input.empty()) WriteFile(Work + "/in.wav", c.input);
    const RunResult result = Encode(c.arguments);
    EXPECT_NE(result.ExitStatus, 0) << c.what;
    EXPECT_EQ(result.Error, c.error) << c.what;
    EXPECT_EQ(result.Output, "") << c.what;
    EXPECT_EQ(Files(), c.input.empty() ? std::vector<std::string>{} : std::vector<std::string>{"in.wav"}) << c.what;
  }
}

TEST_F(StandInEncoder, LeavesNoPartialFileWhenTheOutputCannotBeWritten) {
  WriteFile(Work + "/in.wav", MakeWav(1, 8000, 8, 8));
  const RunResult result = Encode({"in.wav", "missing-dir/out.aifr", "1024"});
  EXPECT_NE(result.ExitStatus, 0);
  EXPECT_EQ(result.Error, "enc.exe: in.wav: cannot write missing-dir/out.aifr\n");
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.wav"}));
}

}  // namespace

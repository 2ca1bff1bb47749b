// A few cases run the built palorin-cli as its own process: argument passing,
// standard streams and exit statuses as a shell sees them.
#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/cli.h"
#include "test_util.h"

namespace palorin::cli {
namespace {

using test::CliBinary;
using test::DataPath;
using test::ReadFile;
using test::RunProcess;
using test::ShellQuote;
using test::TempDir;

std::string Cli() { return ShellQuote(CliBinary()); }

TEST(Process, PlayTracesAnUnDoReDoScript) {
  const TempDir dir;
  const std::string out = dir / "out.txt";
  const int status =
      RunProcess(Cli() + " play --trace " + ShellQuote(DataPath("redo_past_the_end.play")) + " > " +
                 ShellQuote(out));
  EXPECT_EQ(status, kExitOk);
  EXPECT_EQ(ReadFile(out), ReadFile(DataPath("redo_past_the_end.trace")));
}

TEST(Process, RenderWritesTheSameBmpToAFileAndToAPipe) {
  const TempDir dir;
  const std::string file = dir / "file.bmp";
  const std::string piped = dir / "piped.bmp";
  const std::string small = ShellQuote(DataPath("small.pln"));
  EXPECT_EQ(RunProcess(Cli() + " render -o " + ShellQuote(file) + " " + small), kExitOk);
  EXPECT_EQ(RunProcess(Cli() + " render " + small + " | cat > " + ShellQuote(piped)), kExitOk);
  const std::string bmp = ReadFile(file);
  EXPECT_EQ(test::Fnv1a64(bmp), 0x1437945a629bfa39ull);
  EXPECT_EQ(ReadFile(piped), bmp);
}

TEST(Process, ExitStatusesReachTheShell) {
  const TempDir dir;
  const std::string err = dir / "err.txt";
  const std::string quiet = " 2> " + ShellQuote(err) + " > /dev/null";
  EXPECT_EQ(RunProcess("printf 'undo\\nbogus\\n' | " + Cli() + " play" + quiet), kExitUsage);
  EXPECT_EQ(ReadFile(err), "palorin-cli play: line 2: unknown action \"bogus\"\n");
  EXPECT_EQ(RunProcess(Cli() + quiet), kExitUsage);
  EXPECT_EQ(RunProcess(Cli() + " info " + ShellQuote(dir / "none.pln") + quiet), kExitFailure);
  EXPECT_EQ(RunProcess("printf 'step x\\nundo\\n' | " + Cli() + " play" + quiet), kExitOk);
  EXPECT_EQ(RunProcess(Cli() + " convert --help" + quiet), kExitOk);
}

// Output that cannot be written is a failure, said in one line, for every
// command that prints to standard output.
TEST(Process, OutputThatCannotBeWrittenFails) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full to write to";
  const TempDir dir;
  const std::string err = dir / "err.txt";
  const std::string small = ShellQuote(DataPath("small.pln"));
  const std::string script = ShellQuote(DataPath("redo_past_the_end.play"));
  const std::pair<std::string, std::string> cases[] = {
      {"info " + small, "info"},
      {"link --base https://example.org/ " + small, "link"},
      {"play " + script, "play"},
      {"play --trace " + script, "play"},
      {"convert --to native -o " + ShellQuote(dir / "out") + " " + small, "convert"},
      {"render " + small, "render"},
      {"--version", ""},
      {"help info", "help"},
  };
  for (const auto& [arguments, command] : cases) {
    SCOPED_TRACE(arguments);
    EXPECT_EQ(RunProcess(Cli() + " " + arguments + " > /dev/full 2> " + ShellQuote(err)),
              kExitFailure);
    EXPECT_EQ(ReadFile(err), "palorin-cli" + (command.empty() ? "" : " " + command) +
                                 ": writing to standard output failed\n");
  }
}

}  // namespace
}  // namespace palorin::cli

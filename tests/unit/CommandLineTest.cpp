// The command line every entry reads: one table of argument lists and what
// each asks for, then what the answers print and their exit statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

struct Case {
  std::vector<const char*> arguments;  // after the program's name
  CommandAction action;
  bool windowed;
  const char* problem;  // with CommandAction::error
};

const Case cases[] = {
    {{}, CommandAction::play, false, ""},
    {{"--window"}, CommandAction::play, true, ""},
    {{"-w"}, CommandAction::play, true, ""},
    {{"-w", "--window"}, CommandAction::play, true, ""},
    {{"--help"}, CommandAction::help, false, ""},
    {{"-h", "-w"}, CommandAction::help, true, ""},
    {{"--version"}, CommandAction::version, false, ""},
    {{"--version", "--help"}, CommandAction::help, false, ""},
    {{"--windowed"},
     CommandAction::error,
     false,
     "unknown option '--windowed'"},
    {{"-W"}, CommandAction::error, false, "unknown option '-W'"},
    {{"--help", "-x"}, CommandAction::error, false, "unknown option '-x'"},
    {{"-w", "level2"},
     CommandAction::error,
     true,
     "unexpected argument 'level2'"},
    {{""}, CommandAction::error, false, "unexpected argument ''"},
};

TEST(CommandLine, EachArgumentListAsksForWhatTheTableSays) {
  for (const Case& c : cases) {
    std::vector<const char*> argv{"fusebound"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    std::string shown;
    for (const char* a : c.arguments) shown += std::string(" '") + a + "'";
    const CommandLine line =
        parseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(line.action, c.action) << shown;
    EXPECT_EQ(line.windowed, c.windowed) << shown;
    EXPECT_STREQ(line.problem, c.problem) << shown;
  }
}

// What an answer writes to standard output and standard error, and its
// exit status.
struct Answer {
  int status;
  std::string out, err;
};

std::string contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

Answer answer(std::vector<const char*> argv) {
  argv.insert(argv.begin(), "fusebound");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = answerCommandLine(
      parseCommandLine(static_cast<int>(argv.size()), argv.data()), out, err);
  return {status, contents(out), contents(err)};
}

TEST(CommandLine, HelpVersionAndMistakesAreAnsweredWithoutPlaying) {
  const Answer help = answer({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out, usageText());
  EXPECT_NE(help.out.find("--window"), std::string::npos);
  EXPECT_NE(help.out.find("Escape"), std::string::npos);  // the controls
  EXPECT_EQ(help.err, "");

  const Answer version = answer({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("fusebound ") + FUSEBOUND_VERSION + "\n");

  const Answer wrong = answer({"--fullscreen"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(
      wrong.err,
      std::string("fusebound: unknown option '--fullscreen'\n") + usageText());

  EXPECT_EQ(answer({"-w"}).status, -1);  // played: nothing written
  EXPECT_EQ(answer({"-w"}).out + answer({"-w"}).err, "");
}

}  // namespace

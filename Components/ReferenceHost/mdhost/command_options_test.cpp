// The options each command takes: what `mdhost help` shows is what the
// command accepts, and anything else is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "mdhost/command.h"

// The table points at every command; these tests only read it.
#define MD_UNUSED_COMMAND(name) \
  int name(const CommandLine&) { return kExitFailure; }
MD_UNUSED_COMMAND(RunInfo)
MD_UNUSED_COMMAND(RunInventory)
MD_UNUSED_COMMAND(RunManifest)
MD_UNUSED_COMMAND(RunPlayers)
MD_UNUSED_COMMAND(RunDevices)
MD_UNUSED_COMMAND(RunWatch)
MD_UNUSED_COMMAND(RunMedia)
MD_UNUSED_COMMAND(RunErase)
MD_UNUSED_COMMAND(RunFormat)
MD_UNUSED_COMMAND(RunLs)
MD_UNUSED_COMMAND(RunMkdir)
MD_UNUSED_COMMAND(RunMv)
MD_UNUSED_COMMAND(RunRm)
MD_UNUSED_COMMAND(RunPlaylist)
MD_UNUSED_COMMAND(RunSend)
MD_UNUSED_COMMAND(RunSync)
MD_UNUSED_COMMAND(RunServe)

namespace {

struct OptionNames {
  std::set<std::string> flags, values;
  bool session = false;
};

bool IsValueWord(std::string word) {
  if (!word.empty() && word.back() == ']') word.pop_back();
  if (word.empty()) return false;
  for (char c : word)
    if (c < 'A' || c > 'Z') return false;
  return true;
}

// The options a usage text names, read as a person reads it: an option
// takes a value when an upper-case word follows it inside its brackets
// ([--port N], [--reg FILE ...]); [--keep|--replace] are flags.
OptionNames ReadUsage(const std::string& usage) {
  std::istringstream text(usage);
  std::vector<std::string> words;
  for (std::string word; text >> word;) words.push_back(word);
  OptionNames names;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i + 1 < words.size() && words[i] + " " + words[i + 1] == kSessionOptionsWord) names.session = true;
    std::string word = words[i].substr(words[i][0] == '[' ? 1 : 0);
    if (word.empty() || word[0] != '-') continue;
    const bool closed = word.back() == ']';
    if (closed) word.pop_back();
    std::istringstream alternatives(word);
    std::vector<std::string> options;
    for (std::string option; std::getline(alternatives, option, '|');) options.push_back(option);
    const bool takesValue = !closed && i + 1 < words.size() && words[i + 1][0] != '[' && IsValueWord(words[i + 1]);
    for (size_t k = 0; k < options.size(); ++k)
      (takesValue && k + 1 == options.size() ? names.values : names.flags).insert(options[k]);
  }
  return names;
}

void AddSessionOptions(OptionNames* names) {
  for (const SessionOption& option : SessionOptions()) (*option.value ? names->values : names->flags).insert(option.name);
}

TEST(CommandOptionsTest, EveryUsageNamesTheOptionsItsCommandTakes) {
  for (const Command& command : AllCommands()) {
    SCOPED_TRACE(command.usage);
    OptionNames shown = ReadUsage(command.usage);
    EXPECT_EQ(shown.session, command.takesSessionOptions);
    if (shown.session) AddSessionOptions(&shown);
    OptionNames declared;
    declared.flags.insert(command.flags.begin(), command.flags.end());
    declared.values.insert(command.valueOptions.begin(), command.valueOptions.end());
    if (command.takesSessionOptions) AddSessionOptions(&declared);
    EXPECT_EQ(shown.flags, declared.flags);
    EXPECT_EQ(shown.values, declared.values);
  }
}

TEST(CommandOptionsTest, ArgumentsAreReadAsTheCommandDeclaresThem) {
  const struct {
    int line;
    const char* command;
    std::vector<std::string> args;
    std::vector<std::string> positionals;
    const char* problem;  // empty: read
  } cases[] = {
      {__LINE__, "send", {"a.mp3", "--title", "--json", "1/1", "/M", "--keep"}, {"a.mp3", "1/1", "/M"}, ""},
      {__LINE__, "send", {"--", "-live.mp3", "--keep", "1/1", "/M"}, {"-live.mp3", "--keep", "1/1", "/M"}, ""},
      {__LINE__, "ls", {"1/1", "-v", "--player", "-dir", "/M"}, {"1/1", "/M"}, ""},
      {__LINE__, "ls", {"1/1", "--jsno"}, {}, "mdhost ls: unknown option --jsno (mdhost help ls lists them)"},
      {__LINE__, "ls", {"-live"}, {}, "mdhost ls: unknown option -live"},
      {__LINE__, "rm", {"1/1", "/M", "-"}, {}, "mdhost rm: unknown option -"},
      {__LINE__, "devices", {"--port", "80"}, {}, "mdhost devices: unknown option --port"},
      {__LINE__, "players", {"-v"}, {}, "mdhost players: unknown option -v"},
      {__LINE__, "serve", {"--open", "--port"}, {}, "mdhost serve: --port needs a value"},
      {__LINE__, "inventory", {"--reg", "a.reg", "--reg"}, {}, "mdhost inventory: --reg needs a value"},
      // Positionals up to the most the command reads, after "--" too.
      {__LINE__, "ls", {"1/1", "/M", "--json"}, {"1/1", "/M"}, ""},
      {__LINE__, "send", {"a", "b", "c", "d", "1/1", "/M"}, {"a", "b", "c", "d", "1/1", "/M"}, ""},
      {__LINE__, "media", {"--player", "DIR", "2"}, {"2"}, ""},
      {__LINE__, "devices", {"json"}, {}, "mdhost devices: stray word json (mdhost help devices shows what it takes)"},
      {__LINE__, "devices", {"--json", "-v", "1"}, {}, "mdhost devices: stray word 1"},
      {__LINE__, "serve", {"--port", "80", "8080"}, {}, "mdhost serve: stray word 8080"},
      {__LINE__, "mkdir", {"1/1", "/Music", "New", "Folder"}, {}, "mdhost mkdir: stray word Folder"},
      {__LINE__, "rm", {"1/1", "--", "-a.mp3", "-b.mp3"}, {}, "mdhost rm: stray word -b.mp3"},
      // The first mistake is the one named.
      {__LINE__, "devices", {"json", "--bogus"}, {}, "mdhost devices: unknown option --bogus"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    CommandLine line;
    std::string problem;
    const bool read = ReadCommandLine(*FindCommand(c.command), c.args, &line, &problem);
    EXPECT_EQ(read, *c.problem == 0);
    EXPECT_EQ(problem.substr(0, std::string(c.problem).size()), c.problem);
    if (read) {
      EXPECT_EQ(line.Positionals(), c.positionals);
    }
  }
}

TEST(CommandOptionsTest, HelpAmongTheOptionsWinsOverAnyMistake) {
  const struct {
    int line;
    const char* command;
    std::vector<std::string> args;
    bool helpAsked;
  } cases[] = {
      {__LINE__, "ls", {"1/1", "--help"}, true},
      {__LINE__, "devices", {"-h"}, true},
      {__LINE__, "devices", {"json", "--help"}, true},
      {__LINE__, "send", {"--force", "a.mp3", "--help"}, true},
      {__LINE__, "inventory", {"--reg", "--help", "--json"}, false},  // a value, as --title --live is a title
      {__LINE__, "send", {"a.mp3", "--title", "--help", "1/1", "/M"}, false},
      {__LINE__, "send", {"a.mp3", "1/1", "/M", "--", "--help"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    CommandLine line;
    std::string problem;
    const bool read = ReadCommandLine(*FindCommand(c.command), c.args, &line, &problem);
    EXPECT_EQ(line.helpAsked, c.helpAsked);
    EXPECT_TRUE(read) << problem;
  }
}

// A command's limit on positionals is the count of upper-case words its
// usage shows (the longest of its forms); "..." shows no limit.
TEST(CommandOptionsTest, EveryLimitIsWhatTheUsageShows) {
  for (const Command& command : AllCommands()) {
    SCOPED_TRACE(command.usage);
    std::istringstream text(command.usage);
    std::vector<std::string> words;
    for (std::string word; text >> word;) words.push_back(word);
    size_t most = 0, count = 0;
    bool unlimited = false, lastCounted = false;
    for (size_t i = 0; i < words.size(); ++i) {
      std::string word = words[i].substr(words[i][0] == '[' ? 1 : 0);
      if (word == "|") count = 0;
      const bool optionValue = i > 0 && words[i - 1].find('-') != std::string::npos && words[i - 1].back() != ']';
      const bool session = (i + 1 < words.size() && words[i] + " " + words[i + 1] == kSessionOptionsWord) ||
                           (i > 0 && words[i - 1] + " " + words[i] == kSessionOptionsWord);
      const size_t dots = word.find("...");
      if (dots != std::string::npos) {
        unlimited = unlimited || lastCounted || dots > 0;  // FILE... or [TRACK ...], not [--reg FILE ...]
        word.erase(dots);
      }
      lastCounted = !optionValue && !session && IsValueWord(word);
      if (lastCounted) most = std::max(most, ++count);
    }
    if (unlimited) {
      EXPECT_EQ(command.maxPositionals, kAnyNumber);
    } else if (command.maxPositionals != kAnyNumber) {
      EXPECT_EQ(command.maxPositionals, most);
    }
  }
}

TEST(CommandOptionsTest, AValueIsNeverTakenForAnOption) {
  CommandLine line;
  std::string problem;
  ASSERT_TRUE(ReadCommandLine(*FindCommand("send"), {"a.mp3", "1/1", "/M", "--title", "--replace"}, &line, &problem));
  EXPECT_FALSE(line.Has("--replace"));
  EXPECT_EQ(line.Value("--title"), "--replace");
  EXPECT_TRUE(line.Has("--title"));
}

}  // namespace

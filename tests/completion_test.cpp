// The shell completions of orvane and orvane-rename as the shells load them:
// the bash ones in a real bash, alone and through the bash-completion
// package, complete as tabled; the zsh ones parse. And the options that the
// help text lists are the manual page's and the completions', so that none
// is forgotten in one of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/folder.h"
#include "support/run.h"

namespace
{

namespace fs = std::filesystem;
using Words = std::vector<std::string>;
using Options = std::set<std::string>;

const char bashCompletion[] = COMPLETIONS "/bash/orvane-rename";
const char zshCompletion[] = COMPLETIONS "/zsh/_orvane-rename";
const char orvaneBashCompletion[] = COMPLETIONS "/bash/orvane";
const char orvaneZshCompletion[] = COMPLETIONS "/zsh/_orvane";
const char bashCompletionPackage[] = "/usr/share/bash-completion/bash_completion";

// Completes the last of the words, the first naming the command, as bash
// does on a Tab, in the folder files/, and prints the candidates in byte
// order. The completion is sourced, or found by the bash-completion package
// under share/ by the command's name, as it is where installed.
const char completer[] = R"(
completion=$1 loading=$2 command=$3
shift 2
cd files || exit 3
if [ "$loading" = alone ]; then
	. "$completion"
else
	. /usr/share/bash-completion/bash_completion
	BASH_COMPLETION_USER_DIR=$PWD/../none XDG_DATA_DIRS=$PWD/../share \
		__load_completion "$command" || exit 4
fi
rule=$(complete -p "$command") || exit 5
function=${rule##*-F } function=${function%% *}
COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE}
"$function" "$command" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
)";

class Completion : public InOwnFolder<>
{
      protected:
	void SetUp() override
	{
		InOwnFolder::SetUp();
		for (const char *folder :
		     {"files/a b", "files/rinex/2016", "share/bash-completion/completions"})
			fs::create_directories(folder);
		for (const char *file :
		     {"files/a b/x", "files/abc", "files/lists.txt", "files/-odd"})
			std::ofstream{file};
		// short names of each layout, and names that orvane refuses
		for (const char *file :
		     {"files/rinex/abmf0010.16o", "files/rinex/brux001a.16n",
		      "files/rinex/zimm001x45.16d", "files/rinex/abmf0010.16o.gz",
		      "files/rinex/ABMF0010.16O", "files/rinex/abmf0010.16z",
		      "files/rinex/notes.txt", "files/rinex/zimm001x44.16o"})
			std::ofstream{file};
		fs::copy_file(bashCompletion, "share/bash-completion/completions/orvane-rename");
		fs::copy_file(orvaneBashCompletion, "share/bash-completion/completions/orvane");
	}
	Result complete(const char *loading, const Words &words)
	{
		const std::string completion = COMPLETIONS "/bash/" + words.at(0);
		Words argv{"bash",    "--norc", "--noprofile", "-c",
			   completer, "bash",   completion,    loading};
		argv.insert(argv.end(), words.begin(), words.end());
		return runArgv("/bin/bash", argv);
	}
};

const char allOptions[] =
    "--help\n--version\n-0\n-2\n-H\n-L\n-R\n-S\n-a\n-c\n-h\n-j\n-k\n-n\n-s\n-u\n";
const char forwardOptions[] = "--help\n--version\n-0\n-H\n-L\n-R\n-S\n-a\n-c\n-h\n-j\n-k\n-n\n-s\n";

// The words typed, the last one being completed, and the candidates.
const struct {
	Words words;
	std::string candidates;
} completions[] = {
    {{"orvane-rename", "-"}, allOptions},
    {{"orvane-rename", "--h"}, "--help\n"},
    // -2 goes with none of -R, -S, -s and -c, nor they with it
    {{"orvane-rename", "-2", "-"}, "--help\n--version\n-0\n-L\n-h\n-j\n-n\n"},
    // -L goes with neither -H nor -u; -u with none of the naming options
    {{"orvane-rename", "-L", "l", "-"}, "--help\n--version\n-0\n-2\n-R\n-S\n-c\n-h\n-j\n-n\n-s\n"},
    {{"orvane-rename", "-u", "r", "-"}, "-0\n-n\n"},
    {{"orvane-rename", "-u", "l"}, "lists.txt\n"},
    // -a goes with neither -2, -L, -u nor -k; -k with -0, -j, -s and -c alone
    {{"orvane-rename", "-a", "-"}, "--help\n--version\n-0\n-H\n-R\n-S\n-a\n-c\n-h\n-j\n-n\n-s\n"},
    {{"orvane-rename", "-k", "-"}, "-0\n-c\n-j\n-s\n"},
    {{"orvane-rename", "-0k", "-"}, "-0\n-c\n-j\n-s\n"},
    {{"orvane-rename", "-n", "-"},
     "--help\n--version\n-0\n-2\n-H\n-L\n-R\n-S\n-a\n-c\n-h\n-j\n-n\n-s\n-u\n"},
    {{"orvane-rename", "-s", "00ITA", "-"}, forwardOptions},
    // as they do in one word; -n rules out -k
    {{"orvane-rename", "-ns00ITA", "-"},
     "--help\n--version\n-0\n-H\n-L\n-R\n-S\n-a\n-c\n-h\n-j\n-n\n-s\n"},
    // a number of jobs: nothing to offer; a station list: files
    {{"orvane-rename", "-j", ""}, ""},
    {{"orvane-rename", "-c", "l"}, "lists.txt\n"},
    // paths, quoted as readline quotes them
    {{"orvane-rename", "a"}, "a b\nabc\n"},
    {{"orvane-rename", "a\\ b/"}, "a b/x\n"},
    {{"orvane-rename", "'a b/"}, "a b/x\n"},
    // options come before the paths: after one, or after --, a dash begins a name
    {{"orvane-rename", "a\\ b", "-"}, "-odd\n"},
    {{"orvane-rename", "--", "-"}, "-odd\n"},

    // orvane: options as the first word alone
    {{"orvane", "-"}, "--help\n--version\n-R\n-S\n"},
    {{"orvane", "--v"}, "--version\n"},
    {{"orvane", "-S", "-"}, ""},
    {{"orvane", "--help", ""}, ""},
    // a short name: files in its layout, and folders
    {{"orvane", "rinex/"},
     "rinex/2016\nrinex/abmf0010.16o\nrinex/brux001a.16n\nrinex/zimm001x45.16d\n"},
    {{"orvane", "-R", "rinex/a"}, "rinex/abmf0010.16o\n"},
    {{"orvane", "-S", "rinex/z"}, "rinex/zimm001x45.16d\n"},
    {{"orvane", "'rinex/ab"}, "rinex/abmf0010.16o\n"},
    // a suffix, and past it: nothing
    {{"orvane", "rinex/abmf0010.16o", ""}, ""},
    {{"orvane", "-S", "rinex/abmf0010.16o", ""}, ""},
    {{"orvane", "rinex/abmf0010.16o", "00ITA", ""}, ""},
};

TEST_F(Completion, BashAloneCompletesAsTabled)
{
	for (const auto &c : completions) {
		const Result r = complete("alone", c.words);
		EXPECT_EQ(r.out, c.candidates) << ::testing::PrintToString(c.words);
		EXPECT_EQ(r.err, "") << ::testing::PrintToString(c.words);
		EXPECT_EQ(r.status, 0) << ::testing::PrintToString(c.words);
	}
}

TEST_F(Completion, BashCompletionPackageLoadsItAndCompletesTheSame)
{
	if (access(bashCompletionPackage, R_OK) != 0)
		GTEST_SKIP() << "the bash-completion package is not installed";
	for (const auto &c : completions) {
		const Result r = complete("package", c.words);
		EXPECT_EQ(r.out, c.candidates) << ::testing::PrintToString(c.words);
		EXPECT_EQ(r.err, "") << ::testing::PrintToString(c.words);
		EXPECT_EQ(r.status, 0) << ::testing::PrintToString(c.words);
	}
}

TEST(ZshCompletion, Parses)
{
	if (access("/usr/bin/zsh", X_OK) != 0)
		GTEST_SKIP() << "zsh is not installed";
	for (const char *completion : {zshCompletion, orvaneZshCompletion}) {
		const Result r = runArgv("/usr/bin/zsh", {"zsh", "-n", completion});
		EXPECT_EQ(r.out, "") << completion;
		EXPECT_EQ(r.err, "") << completion;
		EXPECT_EQ(r.status, 0) << completion;
	}
}

// Every match of the pattern's first group in the text.
Options matches(const std::string &text, const std::regex &pattern)
{
	Options found;
	for (std::sregex_iterator m(text.begin(), text.end(), pattern), end; m != end; ++m)
		found.insert((*m)[1]);
	return found;
}

std::string contents(const std::string &path)
{
	std::ostringstream text;
	text << std::ifstream(path).rdbuf();
	return text.str();
}

// The options of a manual page's OPTIONS, from the lines after each .TP:
// ".BI \-c " list"", ".BR \-h ", " \-\-help"
Options pagedOptions(const std::string &page)
{
	std::string manual = contents(MANUALS "/" + page);
	manual = manual.substr(manual.find("\n.SH OPTIONS\n"));
	manual = manual.substr(0, manual.find("\n.SH ", 1));
	Options paged;
	for (const std::string &line : matches(manual, std::regex("\n\\.TP\n(\\.[A-Z]+ [^\n]*)"))) {
		const std::string options = std::regex_replace(line, std::regex("\\\\-"), "-");
		const Options these = matches(options, std::regex("(--?[0-9A-Za-z][a-z-]*)"));
		paged.insert(these.begin(), these.end());
	}
	return paged;
}

// '(-2)*-c+[...]', '(- *)--help[...]'
Options zshOptions(const char *completion)
{
	return matches(contents(completion),
		       std::regex("'(?:\\([^)]*\\))?\\*?(--?[0-9A-Za-z][a-z-]*)\\+?\\["));
}

// What the bash completion's function offers for "COMMAND -".
Options bashOptions(const char *completion, const std::string &command, const std::string &function)
{
	const Result completed =
	    runArgv("/bin/bash", {"bash", "--norc", "-c",
				  std::string(". ") + completion + " && COMP_WORDS=(" + command +
				      " -) COMP_CWORD=1 && " + function +
				      " && printf '%s\\n' \"${COMPREPLY[@]}\""});
	return matches(completed.out, std::regex("([^\n]+)"));
}

TEST(Help, ListsTheOptionsOfTheManualAndTheCompletions)
{
	const Result help = runArgv(orvaneRenamePath, {"orvane-rename", "--help"});
	ASSERT_EQ(help.status, 0);
	const Result h = runArgv(orvaneRenamePath, {"orvane-rename", "-h"});
	EXPECT_EQ(h.out, help.out);
	EXPECT_EQ(h.err, "");
	EXPECT_EQ(h.status, 0);

	// "  -c list     ...", "  -h, --help  ..."
	Options listed = matches(help.out, std::regex("\n  (-[^ ,]+)"));
	const Options longAfterShort = matches(help.out, std::regex("\n  -., (--[a-z]+)"));
	listed.insert(longAfterShort.begin(), longAfterShort.end());

	EXPECT_GE(listed.size(), 11u) << help.out; // none read would agree everywhere
	EXPECT_EQ(pagedOptions("orvane-rename.1"), listed) << "the manual page's OPTIONS";
	EXPECT_EQ(zshOptions(zshCompletion), listed) << "the zsh completion";
	EXPECT_EQ(bashOptions(bashCompletion, "orvane-rename", "_orvane_rename"), listed)
	    << "the bash completion";
}

// orvane's usage text names its options in prose; its manual page lists them.
TEST(Help, OrvaneCompletionsOfferTheOptionsOfItsManual)
{
	const Options paged = pagedOptions("orvane.1");
	EXPECT_EQ(paged, (Options{"--help", "--version", "-R", "-S"}));
	EXPECT_EQ(zshOptions(orvaneZshCompletion), paged) << "the zsh completion";
	EXPECT_EQ(bashOptions(orvaneBashCompletion, "orvane", "_orvane"), paged)
	    << "the bash completion";
}

} // namespace

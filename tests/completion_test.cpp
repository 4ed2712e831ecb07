// orvane-rename's shell completions as the shells load them: the bash one
// in a real bash, alone and through the bash-completion package, completes
// as tabled; the zsh one parses. And the options that the help text lists
// are the manual page's and the completions', so that none is forgotten in
// one of them.
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
const char bashCompletionPackage[] = "/usr/share/bash-completion/bash_completion";

// Completes the last of the words as bash does on a Tab, in the folder
// files/, and prints the candidates in byte order. The completion is
// sourced, or found by the bash-completion package under share/ by the
// command's name, as it is where installed.
const char completer[] = R"(
completion=$1 loading=$2
shift 2
cd files || exit 3
if [ "$loading" = alone ]; then
	. "$completion"
else
	. /usr/share/bash-completion/bash_completion
	BASH_COMPLETION_USER_DIR=$PWD/../none XDG_DATA_DIRS=$PWD/../share \
		__load_completion orvane-rename || exit 4
fi
rule=$(complete -p orvane-rename) || exit 5
function=${rule##*-F } function=${function%% *}
COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE}
"$function" orvane-rename "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort
)";

class Completion : public InOwnFolder<>
{
      protected:
	void SetUp() override
	{
		InOwnFolder::SetUp();
		for (const char *folder : {"files/a b", "share/bash-completion/completions"})
			fs::create_directories(folder);
		for (const char *file :
		     {"files/a b/x", "files/abc", "files/lists.txt", "files/-odd"})
			std::ofstream{file};
		fs::copy_file(bashCompletion, "share/bash-completion/completions/orvane-rename");
	}
	Result complete(const char *loading, const Words &words)
	{
		Words argv{"bash",    "--norc", "--noprofile",  "-c",
			   completer, "bash",   bashCompletion, loading};
		argv.insert(argv.end(), words.begin(), words.end());
		return runArgv("/bin/bash", argv);
	}
};

const char allOptions[] = "--help\n--version\n-0\n-2\n-H\n-L\n-R\n-S\n-c\n-h\n-j\n-n\n-s\n-u\n";
const char forwardOptions[] = "--help\n--version\n-0\n-H\n-L\n-R\n-S\n-c\n-h\n-j\n-n\n-s\n";

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
    {{"orvane-rename", "-s", "00ITA", "-"}, forwardOptions},
    {{"orvane-rename", "-ns00ITA", "-"}, forwardOptions},
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
	const Result r = runArgv("/usr/bin/zsh", {"zsh", "-n", zshCompletion});
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
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

	// the lines after each .TP of OPTIONS: ".BI \-c " list"", ".BR \-h ", " \-\-help"
	std::string manual = contents(MANUALS "/orvane-rename.1");
	manual = manual.substr(manual.find("\n.SH OPTIONS\n"));
	manual = manual.substr(0, manual.find("\n.SH ", 1));
	Options paged;
	for (const std::string &line : matches(manual, std::regex("\n\\.TP\n(\\.[A-Z]+ [^\n]*)"))) {
		const std::string options = std::regex_replace(line, std::regex("\\\\-"), "-");
		const Options these = matches(options, std::regex("(--?[0-9A-Za-z][a-z-]*)"));
		paged.insert(these.begin(), these.end());
	}

	// '(-2)*-c+[...]', '(- *)--help[...]'
	const Options zsh =
	    matches(contents(zshCompletion),
		    std::regex("'(?:\\([^)]*\\))?\\*?(--?[0-9A-Za-z][a-z-]*)\\+?\\["));

	const Result completed = runArgv(
	    "/bin/bash", {"bash", "--norc", "-c",
			  std::string(". ") + bashCompletion +
			      " && COMP_WORDS=(orvane-rename -) COMP_CWORD=1 && _orvane_rename && "
			      "printf '%s\\n' \"${COMPREPLY[@]}\""});
	const Options bash = matches(completed.out, std::regex("([^\n]+)"));

	EXPECT_GE(listed.size(), 11u) << help.out; // none read would agree everywhere
	EXPECT_EQ(paged, listed) << "the manual page's OPTIONS";
	EXPECT_EQ(zsh, listed) << "the zsh completion";
	EXPECT_EQ(bash, listed) << "the bash completion";
}

} // namespace

// The manual pages clean for groff, and orvane.1's messages, examples and station
// table as the program prints them, so the page cannot drift from the tool.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/run.h"

namespace
{

using Args = std::vector<std::string>;

const std::string manual = MANUALS "/orvane.1";

// Every test formats a page with groff, found when the build was configured.
class Manual : public ::testing::Test
{
      protected:
	void SetUp() override
	{
		if (GROFF[0] == '\0')
			GTEST_SKIP() << "groff was not found when the build was configured: "
					"install groff-base and configure again";
		if (access(GROFF, X_OK) != 0)
			GTEST_SKIP() << GROFF " is missing: install groff-base";
	}
};

// The page as plain text, one line each, leading indentation removed.
std::vector<std::string> formattedPage()
{
	const Result r = runArgv(GROFF, {"groff", "-man", "-Tascii", "-P-cbou", manual});
	EXPECT_EQ(r.status, 0);
	std::vector<std::string> lines;
	std::istringstream in(r.out);
	for (std::string line; std::getline(in, line);) {
		const size_t text = line.find_first_not_of(' ');
		lines.push_back(text == std::string::npos ? "" : line.substr(text));
	}
	return lines;
}

bool hasLine(const std::vector<std::string> &lines, const std::string &line)
{
	return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(Manual, PagesFormatWithoutWarnings)
{
	for (const std::string page : {"orvane.1", "orvane-rename.1"}) {
		const Result r = runArgv(GROFF, {"groff", "-man", "-ww", "-z", MANUALS "/" + page});
		EXPECT_EQ(r.err, "") << page;
		EXPECT_EQ(r.status, 0) << page;
	}
}

// One run that reaches each message; the page shows a placeholder where the
// program shows the offending text.
const struct {
	Args args;
	std::string shown, placeholder;
} messages[] = {
    {{"-X"}, "'-X'", "'option'"},
    {{"abmf0010.16"}, "'abmf0010.16'", "'name'"},
    {{"abmf3670.16o"}, "'abmf3670.16o'", "'name'"},
    {{"abmf001%.16o"}, "... % ", "... h "},
    {{"abmf001a10.16o"}, "'abmf001a10.16o'", "'name'"},
    {{"abmf0010.81o"}, "'abmf0010.81o'", "'name'"},
    {{"abmf0010.16x"}, "'x'", "'t'"},
    {{"xxxx0010.16o"}, "'xxxx'", "'code'"},
    {{"abmf0010.16o", "00IT"}, "'00IT'", "'suffix'"},
    {{"abmf0010.16o", "00ITA", "extra"}, "'extra'", "'argument'"},
};

TEST_F(Manual, ListsEveryMessageAsPrinted)
{
	const std::vector<std::string> page = formattedPage();
	for (const auto &m : messages) {
		const Result r = run(m.args);
		ASSERT_EQ(r.status, 1) << m.args[0];
		// The message stands between the leading newline and the next one.
		std::string message = r.out.substr(1, r.out.find('\n', 1) - 1);
		const size_t at = message.find(m.shown);
		ASSERT_NE(at, std::string::npos) << message;
		message.replace(at, m.shown.size(), m.placeholder);
		EXPECT_TRUE(hasLine(page, message)) << message;
	}
}

std::string contents(const std::string &path)
{
	std::ostringstream text;
	text << std::ifstream(path).rdbuf();
	return text.str();
}

// "$ orvane ARGS" followed by the line the program prints, less its blank,
// which the page says.
TEST_F(Manual, ExamplesRunAsShown)
{
	const std::string source = std::regex_replace(contents(manual), std::regex("\n"), " ");
	EXPECT_NE(source.find("each line ends with a blank, which the page cannot show"),
		  std::string::npos);
	const std::vector<std::string> page = formattedPage();
	const std::string prompt = "$ orvane ";
	int examples = 0;
	for (size_t i = 0; i + 1 < page.size(); i++) {
		if (page[i].compare(0, prompt.size(), prompt) != 0)
			continue;
		std::istringstream words(page[i].substr(prompt.size()));
		Args args;
		for (std::string w; words >> w;)
			args.push_back(w);
		EXPECT_EQ(run(args).out, page[i + 1] + " \n") << page[i];
		examples++;
	}
	EXPECT_GE(examples, 5); // the page shows five
}

// "brmu  BRMU00GBR, not BRMU00BMU": the catalogue gives the first name.
TEST_F(Manual, AmbiguousStationsAsTheCatalogueResolvesThem)
{
	int stations = 0;
	for (const std::string &line : formattedPage()) {
		char code[5], chosen[10], other[10];
		if (sscanf(line.c_str(), "%4[a-z]  %9[A-Z0-9], not %9[A-Z0-9]", code, chosen,
			   other) != 3)
			continue;
		const Result r = run({std::string(code) + "0010.16o"});
		EXPECT_EQ(r.out.substr(0, 10), std::string(chosen) + "_") << code;
		EXPECT_NE(std::string(chosen), std::string(other));
		stations++;
	}
	EXPECT_EQ(stations, 9);
}

// Its footer names the version that --version prints.
TEST_F(Manual, FooterNamesTheProgramVersion)
{
	const std::string out = run({"--version"}).out; // "orvane version 16158.\n"
	const std::string version = out.substr(out.rfind(' ') + 1, out.size() - out.rfind(' ') - 3);
	const std::vector<std::string> page = formattedPage();
	ASSERT_FALSE(page.empty());
	EXPECT_EQ(page.back().compare(0, 7 + version.size() + 1, "orvane " + version + " "), 0)
	    << page.back();
}

// Each page's AUTHORS, and a COPYRIGHT that begins with LICENSE's copyright
// line, as orvane-rename --version prints it.
TEST(ManualSource, NamesTheAuthorsAndTheCopyrightOfTheLicence)
{
	std::smatch line;
	const std::string licence = contents(LICENSE);
	ASSERT_TRUE(std::regex_search(licence, line, std::regex("\nCopyright \\(c\\) [^\n]+\n")));
	const std::string copyright = line.str().substr(1, line.length() - 2) + ".";
	const std::string version = runArgv(orvaneRenamePath, {"orvane-rename", "--version"}).out;
	EXPECT_NE(version.find("\n" + copyright + "\n"), std::string::npos) << version;
	for (const std::string page : {"orvane.1", "orvane-rename.1"}) {
		const std::string source = contents(MANUALS "/" + page);
		EXPECT_NE(source.find("\n.SH AUTHORS\n"), std::string::npos) << page;
		EXPECT_NE(source.find("\n.SH COPYRIGHT\n" + copyright + "\n"), std::string::npos)
		    << page;
	}
}

} // namespace

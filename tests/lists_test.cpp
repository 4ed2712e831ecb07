// Station lists as orvane-rename -c reads them, and the indexed catalogue.
// The lists read stay in the process, so each row reads its lists in a child
// of its own, in a folder of its own, all in one call as the renamer does.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/folder.h"
#include "name/catalogue.h"
#include "stations/listednames.h"
#include "stations/lists.h"
#include "name/orvane.h"
#include "support/run.h"

namespace
{

namespace fs = std::filesystem;
using namespace std::string_literals;
using Files = std::vector<std::pair<std::string, std::string>>;

// The IGS layout: the Nine Character ID on line 5, and after it a name on a
// line of its own, which a site log must not give; then, after more lines
// when asked, the date it was prepared.
std::string siteLog(const std::string &name, const std::string &prepared = "",
		    size_t more = 0)
{
	std::string log = "     " + name + " Site Information Form (site log v2.0)\n\n" +
			  "1.   Site Identification of the GNSS Monument\n\n" +
			  "     Nine Character ID        : " + name + "  \n" +
			  "     IERS DOMES Number        : 97103M001\nZIMM00CHE\n";
	for (size_t i = 0; i < more; i++)
		log += "     Additional Information   : (multiple lines)\n";
	if (!prepared.empty())
		log += "     Date Prepared            : " + prepared + "\n";
	return log;
}

// A version 1 log; the IGS's site log manager writes a nine-character name
// in the title.
std::string v1Log(const std::string &title, const std::string &four)
{
	return "     " + title + " Site Information Form (site log)\n\n" +
	       "     Four Character ID        : " + four + "\n";
}

const std::string v1 = v1Log("ABMF", "ABMF");

// GeodesyML, its siteIdentification on line 7; no countryCodeISO for "".
std::string geodesyML(const std::string &four, const std::string &monument,
		      const std::string &receiver, const std::string &country,
		      const std::string &prepared = "2019-02-04")
{
	return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
	       "<geo:GeodesyML xmlns:geo=\"urn:xml-gov-au:icsm:egeodesy:0.5\">\n"
	       "  <geo:siteLog>\n"
	       "    <geo:formInformation>\n"
	       "      <geo:datePrepared>" + prepared + "</geo:datePrepared>\n"
	       "    </geo:formInformation>\n"
	       "    <geo:siteIdentification>\n"
	       "      <geo:siteName>" + four + "</geo:siteName>\n"
	       "      <geo:fourCharacterID>" + four + "</geo:fourCharacterID>\n"
	       "      <geo:monumentNumber>" + monument + "</geo:monumentNumber>\n"
	       "      <geo:receiverNumber> " + receiver + "\n</geo:receiverNumber>\n"
	       "    </geo:siteIdentification>\n"
	       "    <geo:siteLocation>\n" +
	       (country.empty() ? "" : "      <geo:countryCodeISO>" + country + "</geo:countryCodeISO>\n") +
	       "    </geo:siteLocation>\n"
	       "  </geo:siteLog>\n"
	       "</geo:GeodesyML>\n";
}

// GeodesyML 0.5 as Geoscience Australia exports it: no monument or receiver
// numbers, the name in the root's gml:id (line 2), the country last.
std::string gaGeodesyML(const std::string &id, const std::string &four)
{
	return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
	       "<geo:GeodesyML gml:id=\"" + id + "\" xmlns:geo=\"urn:xml-gov-au:icsm:egeodesy:0.5\" "
	       "xmlns:gml=\"http://www.opengis.net/gml/3.2\">\n"
	       "    <geo:siteLog gml:id=\"_" + four + "_20170505.log\">\n"
	       "        <geo:formInformation>\n"
	       "    <geo:FormInformation gml:id=\"form-information\">\n"
	       "            <geo:datePrepared>2017-05-05</geo:datePrepared>\n"
	       "            </geo:FormInformation>\n"
	       "        </geo:formInformation>\n"
	       "        <geo:siteIdentification>\n"
	       "            <geo:SiteIdentification gml:id=\"site-identification\">\n"
	       "            <geo:siteName>Somewhere</geo:siteName>\n"
	       "            <geo:fourCharacterID>" + four + "</geo:fourCharacterID>\n"
	       "            <geo:iersDOMESNumber>59975M001</geo:iersDOMESNumber>\n"
	       "            </geo:SiteIdentification>\n"
	       "        </geo:siteIdentification>\n"
	       "        <geo:siteLocation>\n"
	       "            <geo:SiteLocation gml:id=\"site-location\">\n"
	       "            <geo:countryCodeISO codeListValue=\"Australia\">AUS</geo:countryCodeISO>\n"
	       "            </geo:SiteLocation>\n"
	       "        </geo:siteLocation>\n"
	       "    </geo:siteLog>\n"
	       "</geo:GeodesyML>\n";
}

// GeodesyML that gives the numbers, and a name in its root's gml:id too.
std::string numberedWithId(const std::string &id)
{
	std::string document = geodesyML("ABMF", "0", "1", "FRA");
	const std::string root = "<geo:GeodesyML ";
	document.insert(document.find(root) + root.size(),
			"gml:id=\"" + id + "\" xmlns:gml=\"http://www.opengis.net/gml/3.2\" ");
	return document;
}

// SOPAC's igsSiteLog XML: a four-character ID and a country's name.
std::string sopacLog(const std::string &four)
{
	return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
	       "<igsSiteLog xmlns=\"http://sopac.ucsd.edu/ns/geodesy/doc/igsSiteLog/2004\" "
	       "xmlns:mi=\"http://sopac.ucsd.edu/ns/geodesy/doc/igsSiteLog/monumentInfo/2004\">\n"
	       "  <formInformation>\n"
	       "    <mi:datePrepared>2004-06-01</mi:datePrepared>\n"
	       "  </formInformation>\n"
	       "  <siteIdentification>\n"
	       "    <mi:fourCharacterID>" + four + "</mi:fourCharacterID>\n"
	       "  </siteIdentification>\n"
	       "  <siteLocation>\n"
	       "    <mi:country>Canada</mi:country>\n"
	       "  </siteLocation>\n"
	       "</igsSiteLog>\n";
}

// GeodesyML whose fourCharacterID stands between blanks that an entity piles
// up, n references on each side of 250 blanks each: an amplification expat
// allows.
std::string piledUp(size_t n)
{
	std::string refs;
	for (size_t i = 0; i < n; i++)
		refs += "&b;";
	std::string document = geodesyML(refs + "ABMF" + refs, "0", "1", "FRA");
	document.insert(document.find('\n') + 1, "<!DOCTYPE geo:GeodesyML [<!ENTITY b \"" +
							std::string(250, ' ') + "\">]>\n");
	return document;
}

// GeodesyML of two siteIdentification blocks, the second naming ZIMM99:
// the name is the first's, and so is the line that messages give (7).
std::string twoIdentifications()
{
	std::string document = geodesyML("ABMF", "0", "1", "FRA");
	const std::string end = "    </geo:siteIdentification>\n";
	document.insert(document.find(end) + end.size(),
			"    <geo:siteIdentification>\n"
			"      <geo:fourCharacterID>ZIMM</geo:fourCharacterID>\n"
			"      <geo:monumentNumber>9</geo:monumentNumber>\n"
			"      <geo:receiverNumber>9</geo:receiverNumber>\n" +
			    end);
	return document;
}

// A list l of ABMF00GLP, then rows that name no station, then codes each
// named twice (Q001 as Q00100DEU and Q00101DEU, ...); and the notes its
// reader prints, ten of each kind at most and then a count of the rest.
std::string codeQ(size_t i)
{
	return (i < 10 ? "Q00" : "Q0") + std::to_string(i);
}

std::string doubts(size_t strays, size_t twice)
{
	std::string list = "ABMF00GLP\n";
	for (size_t i = 1; i <= strays; i++)
		list.append("x").append(std::to_string(i)).append("\n"); // "x" + ...: GCC 12 warns
	for (size_t i = 1; i <= twice; i++)
		list += codeQ(i) + "00DEU\n" + codeQ(i) + "01DEU\n";
	return list;
}

std::string doubtNotes(size_t strays, size_t twice)
{
	std::string notes;
	for (size_t i = 1; i <= std::min<size_t>(strays, 10); i++)
		notes += "l:" + std::to_string(i + 1) + ": note: skipped: not a station name 'x" +
			 std::to_string(i) + "'\n";
	for (size_t i = 1; i <= std::min<size_t>(twice, 10); i++) {
		const std::string first = std::to_string(strays + 2 * i);
		const std::string second = std::to_string(strays + 2 * i + 1);
		notes += "l:" + second + ": note: " + codeQ(i) + " is " + codeQ(i) +
			 "00DEU (l:" + first + ") or " + codeQ(i) + "01DEU (l:" + second +
			 "); its files are left\n";
	}
	if (strays > 10)
		notes += "l: note: skipped " + std::to_string(strays - 10) +
			 " more lines whose first field is not a station name\n";
	if (twice > 10)
		notes += "l: note: " + std::to_string(twice - 10) +
			 " more station codes named twice; their files are left\n";
	return notes;
}

// A site log's Nine Character ID line, after a comment that puts its
// newline at the given offset, and a comment after it.
std::string nameLineEndingAt(size_t newline)
{
	const std::string nine = "     Nine Character ID        : ABMF00GLP";
	return std::string(newline - 1 - nine.size(), '#') + "\n" + nine + "\n% end\n";
}

// A real station file of tests/data/stations, whole.
std::string real(const std::string &name)
{
	std::ostringstream text;
	text << std::ifstream(std::string(STATIONS_DATA) + "/" + name, std::ios::binary).rdbuf();
	return text.str();
}

// A station whose country code changed; the later log sorts first.
const Files moved = {{"logs/abmf00fra_20200101.log", siteLog("ABMF00FRA")},
		     {"logs/abmf00glp_20150101.log", siteLog("ABMF00GLP")}};
const std::string note = "logs/abmf00glp_20150101.log:5: note: 'ABMF00GLP' superseded by "
			 "'ABMF00FRA' of logs/abmf00fra_20200101.log:5\n";

std::string repeated(const std::string &text, size_t times)
{
	std::string s;
	while (times-- > 0)
		s += text;
	return s;
}

Files with(Files files, const Files &more)
{
	files.insert(files.end(), more.begin(), more.end());
	return files;
}

struct Row {
	const char *what;
	Files files; // a path ending in '/' is a folder; "->X" a link to X; "swap->X" a file
		     // or folder swapped for a link to X as the lists' reader opens it;
		     // "move F->X" an empty file, folder F moved to X as it is opened
	std::vector<std::string> lists; // read in this order
	int status;                     // the renamer's: 2 when the lists stop the run
	std::string err;
	std::string lookups; // code=name, code=- for none, code=? for a code named twice
};

void PrintTo(const Row &row, std::ostream *os)
{
	*os << row.what;
}

// clang-format off
const Row rows[] = {
    {"one per line", {{"l", "ABMF00GLP\nzimm00CHE\n"}}, {"l"}, 0, "",
     "abmf=abmf00GLP zimm=zimm00CHE ABMF=- Zimm=- abm=- xxxx=-"},
    {"several per line", {{"l", " ABMF00GLP ZIMM00CHE,ALGO00CAN;\tWTZR00DEU,\n"}}, {"l"}, 0, "",
     "abmf=abmf00GLP zimm=zimm00CHE algo=algo00CAN wtzr=wtzr00DEU"},
    {"table with data", {{"l", "#Name,X,Y\nABMF00GLP,2919786.0,-5383745.0\nALIC00AUS ZIMM00CHE 5\n"}},
     {"l"}, 0, "", "abmf=abmf00GLP alic=alic00AUS zimm=-"},
    {"Windows text and comments",
     {{"l", "\xEF\xBB\xBF" "ABMF00GLP\r\n% note\r\n\r\n \t\r\n  # note\r\n,;\r\nZIMM00CHE"}},
     {"l"}, 0, "", "abmf=abmf00GLP zimm=zimm00CHE"},
    {"site log", {{"abmf.log", siteLog("ABMF00GLP")}}, {"abmf.log"}, 0, "", "abmf=abmf00GLP zimm=-"},
    {"folder, later date wins",
     with(moved, {{"logs/zimm00che_20100101.log", siteLog("ZIMM00CHE")}, {"logs/v1.txt", v1},
		  {"logs/sub.log/", ""}, {"v1.log", v1}, {"logs/link.log", "->../v1.log"}}),
     {"logs"}, 0,
     "logs: 1 site log names no nine-character station (version 1), skipped: logs/v1.txt\n" + note,
     "abmf=abmf00FRA zimm=zimm00CHE"},
    {"folder named twice, read once", moved, {"logs", "./logs/"}, 0, note, "abmf=abmf00FRA"},
    {"header row", {{"l", "id lat lon provider\nABMF00GLP 16.26 -61.53 IGS\nZIMM00CHE 46.87 7.46 EPN\n"}},
     {"l"}, 0, "", "abmf=abmf00GLP zimm=zimm00CHE"},
    {"stray row of a table noted",
     {{"l", "Station,Lat\nABMF00GLP,16.2\nBEJ_00PRT,39.6\nZIMM00CHE,46.8\n"}}, {"l"}, 0,
     "l:3: note: skipped: not a station name 'BEJ_00PRT'\n", "abmf=abmf00GLP zimm=zimm00CHE"},
    {"stray rows over ten counted",
     {{"l", "ABMF00GLP\nx1\nx2\nx3\nx4\nx5\nx6\nx7\nx8\nx9\nx10\nx11\nx12\nZIMM00CHE\n"}}, {"l"}, 0,
     "l:2: note: skipped: not a station name 'x1'\nl:3: note: skipped: not a station name 'x2'\n"
     "l:4: note: skipped: not a station name 'x3'\nl:5: note: skipped: not a station name 'x4'\n"
     "l:6: note: skipped: not a station name 'x5'\nl:7: note: skipped: not a station name 'x6'\n"
     "l:8: note: skipped: not a station name 'x7'\nl:9: note: skipped: not a station name 'x8'\n"
     "l:10: note: skipped: not a station name 'x9'\nl:11: note: skipped: not a station name 'x10'\n"
     "l: note: skipped 2 more lines whose first field is not a station name\n",
     "abmf=abmf00GLP zimm=zimm00CHE"},
    {"ten stray rows and ten codes named twice, none more", {{"l", doubts(10, 10)}}, {"l"}, 0,
     doubtNotes(10, 10), "abmf=abmf00GLP q010=?"},
    {"eleven stray rows and eleven codes named twice", {{"l", doubts(11, 11)}}, {"l"}, 0,
     doubtNotes(11, 11), "abmf=abmf00GLP q011=?"},
    {"long-name prefixes and long file names",
     {{"l", "NRC100CAN_R_\nABMF00GLP_R_20160010000_01D_30S_MO.crx.gz 1234\n"
	    "ALGO00CAN_R_ ZIMM00CHE_S_20210320115_15M_01S_MO.rnx\nBRUX00BELX_R\n"}}, {"l"}, 0,
     "l:4: note: skipped: not a station name 'BRUX00BELX_R'\n",
     "nrc1=nrc100CAN abmf=abmf00GLP algo=algo00CAN zimm=zimm00CHE brux=-"},
    {"list named twice, its notes once", {{"l", "ABMF00GLP\nBEJ_00PRT\n"}}, {"l", "./l"}, 0,
     "l:2: note: skipped: not a station name 'BEJ_00PRT'\n", "abmf=abmf00GLP"},
    {"site log named on the last line of its head", {{"l", nameLineEndingAt(4095)}}, {"l"}, 0, "",
     "abmf=abmf00GLP"},
    {"name a byte past the head: no site log", {{"l", nameLineEndingAt(4096)}}, {"l"}, 2,
     "l:2: note: skipped: not a station name 'Nine'\nl: no station names\n", "abmf=-"},
    {"version 1 log titled with its name", {{"aaa2.log", v1Log("AAA200USA", "aaa2")}}, {"aaa2.log"}, 0,
     "", "aaa2=aaa200USA"},
    {"GeodesyML", {{"sntr.xml", geodesyML("SNTR", "0", "0", "GRC")}}, {"sntr.xml"}, 0, "",
     "sntr=sntr00GRC"},
    {"GeodesyML named by its gml:id", {{"00na.xml", gaGeodesyML("_00NA00AUS", "00na")}}, {"00na.xml"}, 0,
     "", "00na=00na00AUS"},
    {"GeodesyML of numbers and a gml:id, named by its numbers", {{"abmf.xml", numberedWithId("ABMF00GLP")}},
     {"abmf.xml"}, 0, "", "abmf=abmf01FRA"},
    {"folder of GeodesyML with and without names",
     {{"logs/00na_20170505.xml", real("00na_20170505.xml")},
      {"logs/ade1_20170505.xml", gaGeodesyML("ADE200AUS", "ADE1")},
      {"logs/alic_20170505.xml", gaGeodesyML("site-log", "ALIC")}, {"logs/brux.xml", real("BRUX00BEL.xml")}},
     {"logs"}, 0,
     "logs/ade1_20170505.xml:2: note: skipped: gml:id 'ADE200AUS' and fourCharacterID 'ADE1' disagree\n"
     "logs: 1 site log names no nine-character station (GeodesyML), skipped: logs/alic_20170505.xml\n",
     "00na=00na00AUS brux=brux00BEL ade1=- ade2=- alic=-"},
    {"global station table",
     {{"l", "* Global station table\n!ID  DOMES     NAME                 P  NINE\n"
	    "00NA 59975M001 Darwin Supreme Court P          00NA00AUS\n"
	    "abmf 97103M001 Les Abymes           P          ABMF00GLP\n"
	    "* ZIMM00CHE moved\n! ALGO00CAN closed\n"
	    "ALIC 50137M001 Alice Springs        P          ZIMM00CHE\n"}}, {"l"}, 0,
     "l:7: note: skipped: not a station name 'ALIC'\n", "00na=00na00AUS abmf=abmf00GLP alic=- zimm=- algo=-"},
    {"paths, as find prints them",
     {{"l", "./ALIC00AUS_R_20191990000_01D_30S_MO.rnx\nsbas/ABMF00GLP_R_20191990000_01D_30S_MO.crx.gz\n"
	    "/data/2019/199/ZIMM00CHE_S_20191990000_01D_30S_MO.rnx\n./x/\n"}}, {"l"}, 0,
     "l:4: note: skipped: not a station name './x/'\n", "alic=alic00AUS abmf=abmf00GLP zimm=zimm00CHE"},
    {"SOPAC XML site log in a folder", with(moved, {{"logs/algo.xml", sopacLog("ALGO")}}), {"logs"}, 0,
     "logs: 1 site log names no nine-character station (SOPAC XML), skipped: logs/algo.xml\n" + note,
     "abmf=abmf00FRA algo=-"},
    {"GeodesyML named past its first 4 KiB", {{"BRUX00BEL.xml", real("BRUX00BEL.xml")}},
     {"BRUX00BEL.xml"}, 0, "", "brux=brux00BEL"},
    {"XML of an empty root in a folder", with(moved, {{"logs/meta.xml", "<?xml version=\"1.0\"?><metadata/>"}}),
     {"logs"}, 0, note, "abmf=abmf00FRA"},
    {"folder of every kind, at any depth",
     {{"logs/README", "Site logs of our network\n"},
      {"logs/aaa2/aaa2_20200101.txt", v1Log("AAA200USA", "AAA2")},
      {"logs/abmf/abmf00glp_20240710.log", siteLog("ABMF00GLP")},
      {"logs/abmf/abmf_20240710.log", v1},
      {"logs/akyr_20040310.log", v1Log("AKYR", "AKYR")},
      {"logs/nyal_20200101.log", v1Log("AAA200USA", "NYAL")},
      {"logs/sntr.xml", geodesyML("SNTR", "0", "0", "GRC")},
      {"logs/zimm.txt", siteLog("ZIMM00CHE")}},
     {"logs"}, 0,
     "logs/nyal_20200101.log:1: note: skipped: title 'AAA200USA' and Four Character ID 'NYAL' "
     "disagree\nlogs: 2 site logs name no nine-character station (version 1), skipped; the "
     "first: logs/abmf/abmf_20240710.log\n",
     "abmf=abmf00GLP aaa2=aaa200USA nyal=- sntr=sntr00GRC zimm=zimm00CHE akyr=-"},
    {"undated log dated as prepared, past its head",
     {{"logs/abmf.log", siteLog("ABMF00FRA", "2020-01-01", 100)}, moved[1]}, {"logs"}, 0,
     "logs/abmf00glp_20150101.log:5: note: 'ABMF00GLP' superseded by 'ABMF00FRA' of "
     "logs/abmf.log:5\n", "abmf=abmf00FRA"},
    {"log dated as prepared, before one dated by its name",
     {moved[0], {"logs/abmf.log", siteLog("ABMF00GLP", "2015-01-01")}}, {"logs"}, 0,
     "logs/abmf.log:5: note: 'ABMF00GLP' superseded by 'ABMF00FRA' of "
     "logs/abmf00fra_20200101.log:5\n", "abmf=abmf00FRA"},
    {"undated GeodesyML dated as prepared",
     {{"logs/fra.xml", geodesyML("ABMF", "0", "0", "FRA")},
      {"logs/glp.xml", geodesyML("ABMF", "0", "0", "GLP", "2015-01-01")}}, {"logs"}, 0,
     "logs/glp.xml:7: note: 'ABMF00GLP' superseded by 'ABMF00FRA' of logs/fra.xml:7\n",
     "abmf=abmf00FRA"},
    {"one undated log among agreeing ones",
     {{"logs/abmf.log", siteLog("ABMF00GLP")}, {"logs/abmf00glp_20150101.log", siteLog("ABMF00GLP")}},
     {"logs"}, 0, "", "abmf=abmf00GLP"},
    {"same name in two lists", {{"a", "ABMF00GLP\n"}, {"b", "abmf00GLP\n"}}, {"a", "b"}, 0, "",
     "abmf=abmf00GLP"},

    {"stray line noted", {{"l", "ABMF00GLP\r\n\r\nABMF0GLP,1.0\r\n"}}, {"l"}, 0,
     "l:3: note: skipped: not a station name 'ABMF0GLP'\n", "abmf=abmf00GLP"},
    {"control bytes shown escaped", {{"l", "ABMF00GLP\nA\0B\rC\\\x7f\xc3\xa9\n"s}}, {"l"}, 0,
     "l:2: note: skipped: not a station name 'A\\x00B\\x0dC\\x5c\\x7f\xc3\xa9'\n", ""},
    {"long word cut before a character",
     {{"l", "ABMF00GLP\n" + std::string(39, 'A') + "\xc3\xa9" + std::string(4999959, 'A')}}, {"l"}, 0,
     "l:2: note: skipped: not a station name '" + std::string(39, 'A') +
         "' (first 39 of 5000000 bytes)\n", ""},
    {"long GeodesyML name cut", {{"x.xml", geodesyML(std::string(50, 'A'), "0", "0", "GRC")}},
     {"x.xml"}, 2, "x.xml:7: not a station name: '" + std::string(40, 'A') +
         "' (first 40 of 55 bytes)\n", ""},
    {"name of ten characters", {{"l", "ABMF00GLP\nZIMM00CHEX\n"}}, {"l"}, 0,
     "l:2: note: skipped: not a station name 'ZIMM00CHEX'\n", "zimm=-"},
    {"digit in the country code", {{"l", "ABMF00GLP\nZIMM00CH3\n"}}, {"l"}, 0,
     "l:2: note: skipped: not a station name 'ZIMM00CH3'\n", "zimm=-"},
    {"no station names, first field no name", {{"l", "site ABMF00GLP\n"}}, {"l"}, 2,
     "l:1: note: skipped: not a station name 'site'\nl: no station names\n", "abmf=-"},
    {"unreadable", {}, {"nolist.txt"}, 2, "nolist.txt: not read: No such file or directory\n", ""},
    {"version 1 site log", {{"abmf.log", v1}}, {"abmf.log"}, 2,
     "abmf.log:3: version 1 site log, with no country code: 'ABMF'\n", ""},
    {"empty Nine Character ID", {{"abmf.log", "Nine Character ID:  \n"}}, {"abmf.log"}, 2,
     "abmf.log:1: not a station name: ''\n", ""},
    {"file of a folder that is no log", with(moved, {{"logs/notes.log", "ABMF00GLP\n"}}),
     {"logs/"}, 0, note, ""},
    {"log titled without an ID", {{"logs/abmf.log", "     ABMF Site Information Form\n"}}, {"logs"},
     2, "logs/abmf.log: no 'Nine Character ID' line\n", ""},
    {"version 1 log in a folder, skipped", with(moved, {{"logs/zimm_20100101.log", v1}}), {"logs"},
     0, "logs: 1 site log names no nine-character station (version 1), skipped: "
        "logs/zimm_20100101.log\n" + note, ""},
    {"version 1 log without its ID", {{"rhof.txt", v1Log("ISL00", "")}}, {"rhof.txt"}, 2,
     "rhof.txt:3: version 1 site log, with an empty Four Character ID and no country code\n", ""},
    {"SOPAC XML site log", {{"algo.xml", sopacLog("ALGO")}}, {"algo.xml"}, 2,
     "algo.xml: SOPAC XML site log: gives no nine-character name\n", "algo=-"},
    {"GeodesyML whose gml:id disagrees", {{"ade1.xml", gaGeodesyML("ADE200AUS", "ADE1")}}, {"ade1.xml"}, 2,
     "ade1.xml:2: gml:id 'ADE200AUS' and fourCharacterID 'ADE1' disagree\n", "ade1=- ade2=-"},
    {"folder of logs that name no station",
     {{"logs/akyr_20040310.log", v1Log("AKYR", "AKYR")}, {"logs/algo.xml", sopacLog("ALGO")},
      {"logs/alic.xml", gaGeodesyML("", "ALIC")}, {"logs/nyal.log", v1Log("AAA200USA", "NYAL")}},
     {"logs"}, 2,
     "logs/nyal.log:1: note: skipped: title 'AAA200USA' and Four Character ID 'NYAL' disagree\n"
     "logs: no usable site logs (1 version 1 log, 1 GeodesyML log, 1 SOPAC XML log skipped)\n", ""},
    {"title and Four Character ID disagree", {{"nyal.log", v1Log("AAA200USA", "NYAL")}}, {"nyal.log"},
     2, "nyal.log:1: title 'AAA200USA' and Four Character ID 'NYAL' disagree\n", "aaa2=- nyal=-"},
    {"GeodesyML without a country", {{"sntr.xml", geodesyML("SNTR", "0", "0", "")}}, {"sntr.xml"}, 2,
     "sntr.xml: no 'countryCodeISO' element in 'siteLocation'\n", "sntr=-"},
    {"folder with nothing usable",
     {{"logs/notes.txt", "ABMF00GLP\n"}, {"logs/akyr_20040310.log", v1Log("AKYR", "AKYR")}}, {"logs"},
     2, "logs: no usable site logs (1 version 1 log skipped)\n", "abmf=-"},
    {"every conflict and refusal at once",
     {{"a", "KOST00KAZ\nSANT00CHL\nSCH200CAN\n"}, {"b", "KOST00TUR SANT00GRC\nSCH200USA\n"},
      {"logs/abmf00fra_20200101.log", siteLog("ABMF00FRA")},
      {"logs/abmf00glp_20200101.log", siteLog("ABMF00GLP")}, {"logs/kost.log", siteLog("KOST00RUS")}},
     {"a", "nolist", "b", "logs"}, 2,
     "nolist: not read: No such file or directory\n"
     "b:1: 'KOST00TUR' conflicts with 'KOST00KAZ' of a:1\n"
     "b:1: 'SANT00GRC' conflicts with 'SANT00CHL' of a:2\n"
     "b:2: 'SCH200USA' conflicts with 'SCH200CAN' of a:3\n"
     "logs/abmf00glp_20200101.log:5: 'ABMF00GLP' conflicts with 'ABMF00FRA' of "
     "logs/abmf00fra_20200101.log:5\n"
     "logs/kost.log:5: 'KOST00RUS' conflicts with 'KOST00KAZ' of a:1\n", "kost=kost00KAZ abmf=-"},
    {"two names under one code in one list", {{"l", "ABMF00GLP\nabmf00GLP\nABMF01GLP\nABMF02GLP\n"}}, {"l"},
     0, "l:3: note: ABMF is ABMF00GLP (l:1) or ABMF01GLP (l:3); its files are left\n", "abmf=?"},
    {"conflict across lists", {{"a", "ABMF00GLP\n"}, {"b", "ZIMM00CHE\nABMF00FRA\n"}}, {"a", "b"},
     2, "b:2: 'ABMF00FRA' conflicts with 'ABMF00GLP' of a:1\n", ""},
    {"conflict with a folder's winner", with(moved, {{"b", "ABMF00GLP\n"}}), {"logs", "b"}, 2,
     note + "b:1: 'ABMF00GLP' conflicts with 'ABMF00FRA' of logs/abmf00fra_20200101.log:5\n", ""},
    {"folder's winner in conflict, no note", with(moved, {{"a", "ABMF00GLP\n"}}), {"a", "logs"},
     2, "logs/abmf00fra_20200101.log:5: 'ABMF00FRA' conflicts with 'ABMF00GLP' of a:1\n", ""},
    {"two names of one date",
     {{"logs/abmf00fra_20200101.log", siteLog("ABMF00FRA")},
      {"logs/abmf00glp_20200101.log", siteLog("ABMF00GLP")}}, {"logs"}, 2,
     "logs/abmf00glp_20200101.log:5: 'ABMF00GLP' conflicts with 'ABMF00FRA' of "
     "logs/abmf00fra_20200101.log:5\n", ""},
    {"date of seven digits is none",
     {{"logs/abmf00fra_2020101.log", siteLog("ABMF00FRA")}, moved[1]}, {"logs"}, 2,
     "logs/abmf00glp_20150101.log:5: 'ABMF00GLP' conflicts with 'ABMF00FRA' of "
     "logs/abmf00fra_2020101.log:5\n", ""},
    {"folder that conflicts, no superseded note",
     with(moved, {{"logs/zimm00che_20200101.log", siteLog("ZIMM00CHE")},
		  {"logs/zimm01che_20200101.log", siteLog("ZIMM01CHE")}}),
     {"logs"}, 2,
     "logs/zimm01che_20200101.log:5: 'ZIMM01CHE' conflicts with 'ZIMM00CHE' of "
     "logs/zimm00che_20200101.log:5\n", ""},
    {"subfolder swapped for a link as it is opened",
     with(moved, {{"logs/sub/", "swap->../elsewhere"},
		  {"elsewhere/zimm.log", siteLog("ZIMM00CHE")}}),
     {"logs"}, 2, "logs/sub: not read: Not a directory\n", "abmf=- zimm=-"},
    {"GeodesyML of two siteIdentification blocks",
     {{"a", "ABMF02FRA\n"}, {"two.xml", twoIdentifications()}}, {"a", "two.xml"}, 2,
     "two.xml:7: 'ABMF01FRA' conflicts with 'ABMF02FRA' of a:1\n", "zimm=-"},
    {"log swapped for a link as it is opened",
     with(moved, {{"logs/zimm00che_20200101.log", "swap->../zimm.log"}, {"zimm.log", siteLog("ZIMM00CHE")}}),
     {"logs"}, 2, "logs/zimm00che_20200101.log: not read: Too many levels of symbolic links\n",
     "abmf=- zimm=-"},
    {"folder moved away while read below, its parent found again by name",
     {{"logs/d/" + repeated("e/", 19) + "a", "move logs/d/e->aside"}, {"logs/d/z.log", siteLog("ZIMM00CHE")}},
     {"logs"}, 0, "", "zimm=zimm00CHE"},
    {"no date", {{"logs/abmf.log", siteLog("ABMF00GLP")}, moved[0]}, {"logs"}, 2,
     "logs/abmf00fra_20200101.log:5: 'ABMF00FRA' conflicts with 'ABMF00GLP' of logs/abmf.log:5\n",
     ""},
};
// clang-format on

// A row's test name: its description, letters and digits kept.
template <class T> std::string nameOf(const ::testing::TestParamInfo<T> &info)
{
	std::string name = info.param.what;
	for (char &c : name)
		if (!isalnum((unsigned char)c))
			c = '_';
	return name;
}

class Lists : public InOwnFolder<::testing::TestWithParam<Row>>
{
};

// The file to swap for a link as it is opened, by name, and the link's target.
std::string swapped, swappedFor;
// The file whose opening moves a folder elsewhere, by name; the folder and
// where it goes, from the test's folder.
std::string moving, movedFolder, movedTo;

// Every openat of the process comes here: the lists' reader opens a folder's
// files by name in the folder, and the file to swap is swapped just before.
extern "C" int openat(int dir, const char *path, int flags, ...)
{
	mode_t mode = 0;
	if (flags & (O_CREAT | O_TMPFILE)) {
		va_list args;
		va_start(args, flags);
		mode = va_arg(args, mode_t);
		va_end(args);
	}
	if (!swapped.empty() && swapped == path) {
		swapped.clear();
		if (symlinkat(swappedFor.c_str(), dir, "swap.tmp") != 0)
			abort();
		// a folder is moved aside first: a link cannot replace it
		if (renameat(dir, "swap.tmp", dir, path) != 0 &&
		    (errno != EISDIR || renameat(dir, path, dir, "swap.was") != 0 ||
		     renameat(dir, "swap.tmp", dir, path) != 0))
			abort();
	}
	if (!moving.empty() && moving == path) {
		moving.clear();
		if (rename(movedFolder.c_str(), movedTo.c_str()) != 0)
			abort();
	}
	return (int)syscall(SYS_openat, dir, path, flags, mode);
}

void make(const Files &files)
{
	for (const auto &[path, content] : files) {
		if (fs::path(path).has_parent_path())
			fs::create_directories(fs::path(path).parent_path());
		if (content.rfind("swap->", 0) == 0) {
			swapped = fs::path(path).parent_path().filename();
			if (path.back() != '/') {
				swapped = fs::path(path).filename();
				std::ofstream(path) << siteLog("ABMF00GLP");
			}
			swappedFor = content.substr(6);
		} else if (content.rfind("move ", 0) == 0) {
			moving = fs::path(path).filename();
			movedFolder = content.substr(5, content.find("->") - 5);
			movedTo = content.substr(content.find("->") + 2);
			std::ofstream{path};
		} else if (content.rfind("->", 0) == 0)
			fs::create_symlink(content.substr(2), path);
		else if (path.back() != '/')
			std::ofstream(path, std::ios::binary) << content;
	}
}

// What a child saw: the status, the lookups, then standard error.
std::vector<std::string> readInChild(const Row &row)
{
	std::vector<std::string> codes;
	std::istringstream lookups(row.lookups);
	for (std::string pair; lookups >> pair;)
		codes.push_back(pair.substr(0, pair.find('=')));

	fflush(nullptr);
	const pid_t pid = fork();
	if (pid == 0) {
		dup2(open("stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
		ListedNames names;
		const int status = readStationLists(row.lists, names) ? 0 : 2;
		std::string found;
		for (const std::string &code : codes) {
			const ListedName listed = listedName(names, code.c_str());
			found += (found.empty() ? "" : " ") + code + "=" +
				 (!listed.ambiguity.empty() ? "?"
				  : listed.name		    ? listed.name
							    : "-");
		}
		std::ofstream("report") << status << '\n' << found << '\n';
		_exit(0);
	}
	swapped.clear();
	moving.clear();
	int status = -1;
	waitpid(pid, &status, 0);
	EXPECT_EQ(status, 0);
	std::vector<std::string> seen(3);
	std::ifstream report("report");
	std::getline(report, seen[0]);
	std::getline(report, seen[1]);
	std::ostringstream err;
	err << std::ifstream("stderr").rdbuf();
	seen[2] = err.str();
	return seen;
}

TEST_P(Lists, ReadAsTheRenamerDoes)
{
	const Row &row = GetParam();
	make(row.files);
	const std::vector<std::string> seen = readInChild(row);
	EXPECT_EQ(seen[0], std::to_string(row.status));
	EXPECT_EQ(seen[1], row.lookups);
	EXPECT_EQ(seen[2], row.err);
}

INSTANTIATE_TEST_SUITE_P(Rows, Lists, ::testing::ValuesIn(rows), nameOf<Row>);

// The renamer itself, over a tree t with one candidate and under a limit of
// 80 MiB of address space: a list may take 64 MiB and no more; or of 32 MiB,
// too little for that. A candidate beside the tree must be left whatever the
// lists do.
struct RunRow {
	const char *what;
	Files files;
	std::vector<std::string> args; // before "t"
	std::string out, err;
	int status;
	bool tight = false; // 32 MiB
	// One of files, grown to a size with zero bytes, which take no room on
	// the disk.
	std::pair<const char *, uintmax_t> grown{};
};

void PrintTo(const RunRow &row, std::ostream *os)
{
	*os << row.what;
}

const RunRow runs[] = {
    {"endless list", {}, {"-c", "/dev/zero"}, "", "/dev/zero: not read: larger than 64 MiB\n", 2},
    {"endless list in too little memory", {}, {"-c", "/dev/zero"}, "",
     "/dev/zero: not read: Cannot allocate memory\n", 2, true},
    {"large file of a folder that is no log, its head alone read",
     {{"logs/abmf.log", siteLog("ABMF01FRA")}, {"logs/zeros", ""}}, {"-c", "logs"},
     "t/abmf0010.16o -> t/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n", "", 0, true,
     {"logs/zeros", uintmax_t{48} << 20}},
    {"GeodesyML of a folder larger than a list, read no further",
     {{"gml/abmf", "<GeodesyML>" + std::string(4096, ' ')}}, {"-c", "gml"}, "",
     "gml/abmf: not read: larger than 64 MiB\n", 2, false, {"gml/abmf", uintmax_t{128} << 20}},
    {"conflicts, every one told", {{"a", "ABMF00GLP ZIMM00CHE\n"}, {"b", "ABMF00FRA\nZIMM01CHE\n"}},
     {"-c", "a", "-c", "b"}, "",
     "b:1: 'ABMF00FRA' conflicts with 'ABMF00GLP' of a:1\n"
     "b:2: 'ZIMM01CHE' conflicts with 'ZIMM00CHE' of a:1\n", 2},
    {"unreadable list, then a good one", {{"good", "ABMF01FRA\n"}},
     {"-c", "missing", "-c", "good"}, "", "missing: not read: No such file or directory\n", 2},
    {"folder with no site logs", {{"logs/notes.txt", "ABMF00GLP\n"}}, {"-c", "logs"}, "",
     "logs: no site logs\n", 2},
    {"GeodesyML in a folder", {{"gml/abmf", geodesyML("ABMF", "0", "1", "FRA")}}, {"-c", "gml"},
     "t/abmf0010.16o -> t/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n", "", 0},
    {"two names under one code: its files left, the rest renamed",
     {{"l", "ABMF00GLP\nABMF01GLP\nZIMM00CHE\n"}, {"t/zimm0010.16o", "t"}}, {"-c", "l"},
     "t/zimm0010.16o -> t/ZIMM00CHE_R_20160010000_01D_30S_MO.rnx\n",
     "l:2: note: ABMF is ABMF00GLP (l:1) or ABMF01GLP (l:2); its files are left\n"
     "t/abmf0010.16o: not renamed: ABMF is ABMF00GLP (l:1) or ABMF01GLP (l:2)\n", 1},
    // 87 MB of blanks in a name's element, of which none is kept
    {"GeodesyML of piled-up blanks", {{"gml/abmf", piledUp(174762)}}, {"-c", "gml"},
     "t/abmf0010.16o -> t/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n", "", 0},
};

class Runs : public InOwnFolder<::testing::TestWithParam<RunRow>>
{
};

TEST_P(Runs, AsTheRenamerEnds)
{
	const RunRow &row = GetParam();
	if (access("/usr/bin/prlimit", X_OK) != 0)
		GTEST_SKIP() << "prlimit is missing";
#ifdef ORVANE_SANITIZE
	if (row.tight)
		GTEST_SKIP() << "the sanitizers' shadow memory takes terabytes";
#endif
	make(with(row.files, {{"t/abmf0010.16o", "t"}, {"abmf0010.16o", "beside"}}));
	if (row.grown.first != nullptr)
		fs::resize_file(row.grown.first, row.grown.second);
	std::vector<std::string> argv = {"prlimit", row.tight ? "--as=33554432" : "--as=83886080",
					 orvaneRenamePath};
#ifdef ORVANE_SANITIZE
	argv.erase(argv.begin() + 1); // the sanitizers' shadow memory takes terabytes
#endif
	argv.insert(argv.end(), row.args.begin(), row.args.end());
	argv.push_back("t");
	const Result r = runArgv("/usr/bin/prlimit", argv);
	EXPECT_EQ(r.out, row.out);
	EXPECT_EQ(r.err, row.err);
	EXPECT_EQ(r.status, row.status);
	EXPECT_TRUE(fs::is_regular_file("abmf0010.16o"));
	EXPECT_EQ(fs::is_regular_file("t/abmf0010.16o"), row.status != 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, Runs, ::testing::ValuesIn(runs), nameOf<RunRow>);

class Deep : public InOwnFolder<>
{
};

// A folder of site logs 1,100 levels deep, under a limit of 1,024
// descriptors: every level read. Each log sorts after its subfolder, so that
// it is read on the way back, through the folders closed on the way down.
TEST_F(Deep, FolderOfLogsUnderFewDescriptors)
{
	if (access("/usr/bin/prlimit", X_OK) != 0)
		GTEST_SKIP() << "prlimit is missing";
	make({{"t/abmf0010.16o", "t"}, {"t/brux0010.16o", "t"}, {"t/zimm0010.16o", "t"}});
	ASSERT_EQ(mkdir("logs", 0777), 0);
	const int home = open(".", O_RDONLY | O_DIRECTORY);
	ASSERT_EQ(chdir("logs"), 0);
	for (int level = 1; level <= 1100; level++) {
		ASSERT_EQ(mkdir("d", 0777), 0);
		if (level == 1 || level == 550 || level == 1100)
			std::ofstream("z.log") << siteLog(level == 1	 ? "ABMF01FRA"
							  : level == 550 ? "BRUX01BEL"
									 : "ZIMM01CHE");
		ASSERT_EQ(chdir("d"), 0);
	}
	ASSERT_EQ(fchdir(home), 0);
	close(home);

	const Result r = runArgv("/usr/bin/prlimit",
				 {"prlimit", "--nofile=1024", orvaneRenamePath, "-c", "logs", "t"});
	EXPECT_EQ(r.out, "t/abmf0010.16o -> t/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n"
			 "t/brux0010.16o -> t/BRUX01BEL_R_20160010000_01D_30S_MO.rnx\n"
			 "t/zimm0010.16o -> t/ZIMM01CHE_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(runArgv("/bin/rm", {"rm", "-rf", "logs"}).status, 0);
}

// A log in a subfolder, under a limit on descriptors raised by one each
// run: the walk stops first at its top, then at the subfolder, then at the
// log, each for want of a descriptor, and then the log names the station.
// Where each limit falls depends on what the process holds besides, so
// only the order of the outcomes is told.
TEST_F(Deep, EachDescriptorTheWalkLacksTold)
{
	if (access("/usr/bin/prlimit", X_OK) != 0)
		GTEST_SKIP() << "prlimit is missing";
#ifdef ORVANE_SANITIZE
	GTEST_SKIP() << "the sanitizers' runtime, loaded as a shared library, needs descriptors "
			"of its own at the lowest limits";
#endif
	make({{"t/abmf0010.16o", "t"}, {"logs/d/z.log", siteLog("ABMF01FRA")}});
	const std::string renamed = "t/abmf0010.16o -> t/ABMF01FRA_R_20160010000_01D_30S_MO.rnx\n0\n";
	std::vector<std::string> seen;
	for (int limit = 3; limit <= 16 && (seen.empty() || seen.back() != renamed); limit++) {
		const Result r = runArgv("/usr/bin/prlimit", {"prlimit", "--nofile=" + std::to_string(limit),
							      orvaneRenamePath, "-c", "logs", "t"});
		const std::string outcome = r.out + r.err + std::to_string(r.status) + "\n";
		if (seen.empty() || seen.back() != outcome)
			seen.push_back(outcome);
	}
	const std::string tooMany = ": not read: Too many open files\n2\n";
	EXPECT_EQ(seen, (std::vector<std::string>{"logs" + tooMany, "logs/d" + tooMany,
						  "logs/d/z.log" + tooMany, renamed}));
}

class Bounded : public InOwnFolder<>
{
};

// A log of a folder read past its head, for the date it was prepared on,
// takes room for its size, not for the 64 MiB a list may take: the run
// fits in 32 MiB of address space.
TEST_F(Bounded, LogReadPastItsHeadInRoomForItsSize)
{
	if (access("/usr/bin/prlimit", X_OK) != 0)
		GTEST_SKIP() << "prlimit is missing";
#ifdef ORVANE_SANITIZE
	GTEST_SKIP() << "the sanitizers' shadow memory takes terabytes";
#endif
	make({{"t/abmf0010.16o", "t"}, {"logs/abmf.log", siteLog("ABMF00FRA", "2020-01-01", 100)}});
	const Result r = runArgv("/usr/bin/prlimit", {"prlimit", "--as=33554432", orvaneRenamePath,
						      "-c", "logs", "t"});
	EXPECT_EQ(r.out, "t/abmf0010.16o -> t/ABMF00FRA_R_20160010000_01D_30S_MO.rnx\n");
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.status, 0);
}

TEST(Catalogue, IndexAnswersAsTheScan)
{
	std::vector<std::string> codes = {"", "a", "abm", "END", "xxxx", "ab\x01z"};
	for (size_t i = 0; i < staRows; i++) {
		const std::string code = staName[2 * i];
		std::string upper = code;
		for (char &c : upper)
			c = (char)toupper((unsigned char)c);
		codes.insert(codes.end(), {code, code + "00GLP", upper, code.substr(0, 3)});
	}
	for (const std::string &code : codes)
		ASSERT_EQ(catalogueName(code.c_str()), sta4to9char(code.c_str())) << code;
}

// Enough names to grow the index many times over.
TEST(LargeList, EveryNameFound)
{
	char path[] = "/tmp/orvane-list-XXXXXX";
	const int fd = mkstemp(path);
	ASSERT_GE(fd, 0);
	close(fd);
	const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
	std::vector<std::string> codes;
	std::string list = "#Name,X,Y,Z\n";
	for (int i = 0; i < 10000; i++) {
		codes.push_back({digits[i / 1296], digits[i / 36 % 36], digits[i % 36], 'q'});
		list += codes.back() + "00DEU,4075580.3,931854.0,4801568.2\n";
	}
	std::ofstream(path) << list;

	ListedNames names;
	const bool read = readStationLists({path}, names);
	unlink(path);
	ASSERT_TRUE(read);
	for (const std::string &code : codes) {
		const ListedName listed = listedName(names, code.c_str());
		ASSERT_NE(listed.name, nullptr) << code;
		ASSERT_EQ(listed.name, code + "00DEU");
		ASSERT_EQ(listed.ambiguity, "");
	}
}

} // namespace

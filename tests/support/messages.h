// The messages orvane prints before its usage text, each with the argument it
// quotes, as the tests expect them byte for byte.
#ifndef ORVANE_TESTS_SUPPORT_MESSAGES_H
#define ORVANE_TESTS_SUPPORT_MESSAGES_H

#include <string>

// orvane-rename's synopsis, as it follows a mistake on the command line.
inline constexpr char renamerUsage[] =
    "usage: orvane-rename [-0aHn] [-j jobs] [-R | -S] [-s suffix] [-c list]... path ...\n"
    "       orvane-rename -2 [-0n] [-j jobs] path ...\n"
    "       orvane-rename -k [-0] [-j jobs] [-s suffix] [-c list]... path ...\n"
    "       orvane-rename -L listing [-02] [-R | -S] [-s suffix] [-c list]...\n"
    "       orvane-rename -u record [-0n] path ...\n";

namespace message
{

inline std::string dataSource(const std::string &a)
{
	return "\nData Source Type not recognized... '" + a +
	       "' (accepted; -R, -S ; Receiver, Stream)\n";
}
inline std::string fileName(const std::string &a)
{
	return "\nInput filename not recognized... '" + a +
	       "' (accepted; RINEX 2 style uncompressed short filenames)\n";
}
inline std::string day(const std::string &a)
{
	return "\nInput Day-of-Year not recognized in the filename... '" + a +
	       "' (accepted; Day-Of-Year 000-366)\n";
}
inline std::string hour(const std::string &a)
{
	return "\nHour designator not correct... " + a + " (accepted; 0,1,[a-x])\n";
}
inline std::string minute(const std::string &a)
{
	return "\nInput Minute not allowed in the filename... '" + a +
	       "' (accepted; Minutes 00,15,30,45)\n";
}
inline std::string year(const std::string &a)
{
	return "\nInput Year not allowed in the filename... '" + a + "' (accepted; Year 00-80)\n";
}
inline std::string type(const std::string &a)
{
	return "\nFile extension not supported... '" + a + "' (accepted; o,d,n,g,h,l,f,p,q)\n";
}
inline std::string station(const std::string &a)
{
	return "\nStation Name not found... '" + a +
	       "' ...specify second input [Monument num, Receiver num, ISO country code; e.g. 00ITA]\n";
}
inline std::string suffix(const std::string &a)
{
	return "\nInput Monument/Receiver/Country not correct... '" + a +
	       "' (accepted; [Monument num, Receiver num, ISO country code; 00ITA])\n";
}
inline std::string surplus(const std::string &a)
{
	return "\nToo many input arguments... '" + a +
	       "' (accepted; [-R, -S] [short filename] [Monument num, Receiver num, ISO country code; 00ITA])\n";
}

} // namespace message

#endif

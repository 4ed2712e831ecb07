// orvane's catalogue, indexed once for the renamer, which looks a station up
// for every file.
#include <cstdint>
#include <new>
#include <unordered_map>

#include "stations/lists.h"
#include "name/orvane.h"
#include "name/stationcode.h"

namespace
{

// A code's long name, by the code's four bytes as one word.
std::unordered_map<uint32_t, const char *> catalogue;

} // namespace

// The earliest row of a code is its answer, as in the scan.
void indexCatalogue()
{
	try {
		catalogue.reserve(staRows);
		for (size_t i = 0; i < staRows; i++) {
			const char *code = staName[2 * i];
			if (hasFourBytes(code))
				catalogue.try_emplace(codeWord(code), staName[2 * i + 1]);
		}
	} catch (const std::bad_alloc &) {
		catalogue.clear();
	}
}

// Without an index, for want of memory, the scan still answers.
const char *catalogueName(const char *code)
{
	if (catalogue.empty())
		return sta4to9char(code);
	if (!hasFourBytes(code))
		return nullptr;
	const auto at = catalogue.find(codeWord(code));
	return at != catalogue.end() ? at->second : nullptr;
}

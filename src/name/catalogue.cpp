// The index maps a code's four bytes, as one word, to the earliest row of
// the code, which is the scan's answer too.
#include <cstdint>
#include <new>
#include <unordered_map>

#include "name/catalogue.h"
#include "name/orvane.h"
#include "name/stationcode.h"

namespace
{

using Index = std::unordered_map<uint32_t, const char *>;

// Empty, for want of memory: the scan still answers.
Index made()
{
	Index index;
	try {
		index.reserve(staRows);
		for (size_t i = 0; i < staRows; i++) {
			const char *code = staName[2 * i];
			if (hasFourBytes(code))
				index.try_emplace(codeWord(code), staName[2 * i + 1]);
		}
	} catch (const std::bad_alloc &) {
		index.clear();
	}
	return index;
}

} // namespace

const char *catalogueName(const char *code)
{
	static const Index index = made();
	if (index.empty())
		return sta4to9char(code);
	if (!hasFourBytes(code))
		return nullptr;
	const auto at = index.find(codeWord(code));
	return at != index.end() ? at->second : nullptr;
}

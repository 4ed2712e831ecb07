#include "name/orvane.h"
#include "name/stationcode.h"

/* Linear scan from the first row: a code may have several rows and the
 * earliest one wins. A code shorter than four characters matches no row.
 * Each row's code is compared as one word; every entry is staWidth bytes
 * wide, so the read stays inside it. Unrolled, a row costs a compare, a
 * branch and a step. */
const char *sta4to9char(const char *code)
{
	if (hasFourBytes(code)) {
		const unsigned key = codeWord(code);
		const char(*const end)[staWidth] = staName + 2 * staRows;

#pragma GCC unroll 8
		for (const char(*row)[staWidth] = staName; row != end; row += 2)
			if (codeWord(*row) == key)
				return row[1];
	}
	return NULL;
}

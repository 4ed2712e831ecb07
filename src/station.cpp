#include <string.h>

#include "orvane.h"

/* The first four bytes of a text as one word, so that a row costs a single
 * comparison. Every entry is staWidth bytes wide, so the read stays inside it. */
static unsigned word(const char *text)
{
	unsigned w;

	memcpy(&w, text, sizeof w);
	return w;
}

/* Linear scan from the first row: a code may have several rows and the
 * earliest one wins. A code shorter than four characters matches no row.
 * Unrolled, a row costs a compare, a branch and a step. */
const char *sta4to9char(const char *code)
{
	if (code[0] != '\0' && code[1] != '\0' && code[2] != '\0' && code[3] != '\0') {
		const unsigned key = word(code);
		const char(*const end)[staWidth] = staName + 2 * staRows;

#pragma GCC unroll 8
		for (const char(*row)[staWidth] = staName; row != end; row += 2)
			if (word(*row) == key)
				return row[1];
	}
	return NULL;
}

#include <stdio.h>
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
 * earliest one wins. A code shorter than four characters matches no row. */
const char *sta4to9char(const char *code)
{
	if (strnlen(code, 4) == 4) {
		const unsigned key = word(code);
		const unsigned end = word("END");

		for (const char(*row)[staWidth] = staName; word(*row) != end; row += 2)
			if (word(*row) == key)
				return row[1];
	}
	printf(
	    "\nStation Name not found... '%s' ...specify second input [Monument num, Receiver num, ISO country code; e.g. 00ITA]\n",
	    code);
	HelpPrint();
}

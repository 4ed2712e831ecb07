/* A station code's first four bytes as one word, so that two codes compare
 * in a single step: orvane's scan of the catalogue and the renamer's indexes
 * both key on it. Plain C, for orvane's side of the code. */
#ifndef ORVANE_STATIONCODE_H
#define ORVANE_STATIONCODE_H

#include <string.h>

/* A code shorter than four characters is no station's. */
static inline int hasFourBytes(const char *code)
{
	return code[0] != '\0' && code[1] != '\0' && code[2] != '\0' && code[3] != '\0';
}

/* The first four bytes of a text, which must have them, as one word. No word
 * of four non-NUL bytes is 0. */
static inline unsigned codeWord(const char *text)
{
	unsigned w;

	memcpy(&w, text, sizeof w);
	return w;
}

#endif

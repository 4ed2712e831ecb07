#include "orvane.h"

/* Station catalogue: short name, then long name, one row a line, ended by "END". */
const char staName[][staWidth] = {
	"END",
};

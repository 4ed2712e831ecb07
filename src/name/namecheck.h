// -k: a long name set field by field beside what its file's data say.
#ifndef ORVANE_NAMECHECK_H
#define ORVANE_NAMECHECK_H

#include <optional>
#include <string>
#include <variant>

#include "name/longname.h"
#include "report/notrenamed.h"
#include "rinex/content.h"

struct Naming;

// Where they disagree: "name says 30S and MO, the data 15S and GO", and the
// name the data give, which keeps the name's own start and period where
// the data fit in them, and its source.
struct Disagreement {
	std::string says;
	std::string name;
};

// Nothing where the name agrees with the data; else where they disagree,
// or why the data give no name (a marker that names no station).
std::variant<std::monostate, Disagreement, NotRenamed>
checkName(const Naming &naming, const LongNameFields &name, const rinex::Content &c);

#endif

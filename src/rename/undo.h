// -u: a run taken back from its -0 record. Each pair OLD, NEW is renamed
// back, the last first, with a run's own care: only below the PATHs given,
// through folders opened a name at a time without following a link, and
// never over a file.
#ifndef ORVANE_UNDO_H
#define ORVANE_UNDO_H

#include <optional>
#include <span>
#include <string_view>
#include <vector>


class Record;
class NoReplace;

// A record's pairs, or nothing after saying on standard error why the
// record as a whole is refused: not NUL pairs, or cut short.
struct Pair {
	std::string_view old, to;
};
std::optional<std::vector<Pair>> readPairs(std::string_view file, std::string_view record);

void undoPairs(const std::vector<Pair> &pairs, std::span<char *const> paths, bool dryRun,
	       Record &record, NoReplace &noReplace);

#endif

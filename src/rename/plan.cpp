#include "rename/plan.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "name/names.h"
#include "report/record.h"
#include "util/path.h"

namespace
{

std::vector<std::string_view> pathsOf(std::string_view listing)
{
	const char separator = listing.find('\0') != std::string_view::npos ? '\0' : '\n';
	std::vector<std::string_view> paths;
	while (!listing.empty()) {
		const std::size_t end = std::min(listing.find(separator), listing.size());
		if (end > 0)
			paths.push_back(listing.substr(0, end));
		listing.remove_prefix(std::min(end + 1, listing.size()));
	}
	return paths;
}

// A candidate of the listing and the path it is to take, kept in one buffer
// of new paths, so that a listing of millions of keys stays within a few
// times its own size.
struct Move {
	std::uint64_t at;   // where its new path starts in the buffer
	std::uint32_t path; // index in the listing's paths
	std::uint32_t length;
};

class Plan
{
      public:
	Plan(std::string_view listing, const Naming &naming, Record &record)
	    : paths_(pathsOf(listing)), naming_(naming), record_(record)
	{
	}
	void make();

      private:
	std::string_view newPath(const Move &m) const { return {buffer_.data() + m.at, m.length}; }
	bool listed(std::string_view path) const
	{
		const auto at = std::lower_bound(
		    sorted_.begin(), sorted_.end(), path,
		    [this](std::uint32_t a, std::string_view b) { return paths_[a] < b; });
		return at != sorted_.end() && paths_[*at] == path;
	}
	void namePaths();
	void findTaken();

	const std::vector<std::string_view> paths_;
	const Naming &naming_;
	Record &record_;
	std::vector<std::uint32_t> sorted_; // the paths, by index, in byte order
	std::string buffer_;
	std::vector<Move> moves_;
	std::vector<bool> left_; // by move: its new path taken by an earlier path
	std::vector<std::pair<std::uint32_t, NotRenamed>> refused_; // by path
};

void Plan::make()
{
	sorted_.resize(paths_.size());
	for (std::uint32_t i = 0; i < sorted_.size(); i++)
		sorted_[i] = i;
	std::sort(sorted_.begin(), sorted_.end(),
		  [this](std::uint32_t a, std::uint32_t b) { return paths_[a] < paths_[b]; });
	namePaths();
	findTaken();
	auto refused = refused_.begin();
	for (std::size_t i = 0; i < moves_.size() || refused != refused_.end();) {
		if (refused != refused_.end() && (i == moves_.size() || refused->first < moves_[i].path)) {
			const PathParts old = splitPath(paths_[refused->first]);
			record_.left(old.folder, old.name, refused->second);
			++refused;
			continue;
		}
		const Move &m = moves_[i];
		const PathParts old = splitPath(paths_[m.path]);
		const std::string_view to = splitPath(newPath(m)).name;
		if (left_[i] || listed(newPath(m)))
			record_.exists(old.folder, old.name, to);
		else
			record_.rename(old.folder, old.name, to);
		i++;
	}
}

// Every candidate's new path, or why it has none.
void Plan::namePaths()
{
	for (std::uint32_t i = 0; i < paths_.size(); i++) {
		const PathParts path = splitPath(paths_[i]);
		const std::string name(path.name);
		if (!isCandidate(naming_, name))
			continue;
		const NewName nn = newName(naming_, name);
		if (!nn) {
			refused_.emplace_back(i, nn.why());
			continue;
		}
		const std::string_view to = nn.name();
		moves_.push_back(
		    {buffer_.size(), i, static_cast<std::uint32_t>(path.folder.size() + to.size())});
		buffer_.append(path.folder).append(to);
	}
}

// Of the paths that take one new path, the first in byte order has it, as in
// a run, where a folder's files are renamed in that order.
void Plan::findTaken()
{
	std::vector<std::uint32_t> order(moves_.size());
	for (std::uint32_t i = 0; i < order.size(); i++)
		order[i] = i;
	std::sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
		const std::string_view x = newPath(moves_[a]);
		const std::string_view y = newPath(moves_[b]);
		if (x != y)
			return x < y;
		return paths_[moves_[a].path] < paths_[moves_[b].path];
	});
	left_.assign(moves_.size(), false);
	for (std::size_t k = 1; k < order.size(); k++)
		if (newPath(moves_[order[k]]) == newPath(moves_[order[k - 1]]))
			left_[order[k]] = true;
}

} // namespace

void planFromListing(std::string_view listing, const Naming &naming, Record &record)
{
	Plan(listing, naming, record).make();
}

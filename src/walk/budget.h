// How many descriptors the walk may hold open, and how many folders may wait
// for a worker of -j or be in its hands, each with a descriptor of its own.
#ifndef ORVANE_BUDGET_H
#define ORVANE_BUDGET_H

#include <cstddef>

struct Budget {
	std::size_t walk;
	std::size_t jobs;
};

// Raises the soft limit to the hard one first, as any process may. With
// readsFiles (-H), each job and the walk itself also hold a file open while
// they read it.
Budget descriptorBudget(int jobs, bool readsFiles);

#endif

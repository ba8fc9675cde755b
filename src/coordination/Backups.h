// Backups: spare frequencies for a show, each clean against the whole set and the fixed
// carriers on its own. They need not be clean against each other: only one replaces a carrier
// at a time, and the set is checked again when it does.
#pragma once

#include "SearchSpace.h"

#include <vector>

namespace k7 {

// How many channels a backup could take now.
int CleanChannels(const SearchSpace& space);

// Up to count backups (kHz, ascending), spread over the bands of the slots in turn and, within
// a band, each as far from the set's carriers and the backups before it as the clean channels
// allow, so that one interferer does not take them all.
std::vector<int> ChooseBackups(const SearchSpace& space, int count);

} // namespace k7

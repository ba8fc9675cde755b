// k7station --coordinate BAND COUNT [...]: the largest clean set of up to COUNT carriers of a
// band, printed as CSV. It needs no display and no receiver, so it is answered before any
// window system is touched.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace k7 {

// True when the command line asks for a coordination (--coordinate anywhere on it).
bool WantsCoordination(int argc, char** argv);

// args: the arguments after the program name. Writes the set as CSV to out and returns 0, or
// says on err what is wrong with the line and returns 2, or that out could not take the set
// (a full disk, a closed output) and returns 1.
int RunCoordinateCommand(const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err);

} // namespace k7

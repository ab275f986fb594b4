// The client side of zel8d's control socket: one command line, one reply line.
#pragma once

#include <string>
#include <vector>

namespace zel8d {

// Sends the fields, tab-separated, to <folder>/control and reads the reply line (without its
// line feed). False with a message when no emulator answers there.
bool controlRequest(const std::string &folder, const std::vector<std::string> &fields,
                    std::string *reply, std::string *error);

// `zel8d ctl [--dir DIR] COMMAND [ARG]...`: prints the reply's value (or the reason of an
// error) and returns the exit status: 0 OK, 1 refused, 2 no emulator or bad usage.
int runControlClient(const std::vector<std::string> &args);

}  // namespace zel8d
